#include "sim/simcodec.h"

#include <QString>
#include <QStringView>

namespace simcodec {

QByteArray frequencyBytes(quint64 hz)
{
    QByteArray bytes(5, '\0');
    for (int i = 0; i < 5; ++i) {
        const quint64 low = hz % 10;
        const quint64 high = (hz / 10) % 10;
        bytes[i] = char((high << 4) | low);
        hz /= 100;
    }
    return bytes;
}

QByteArray modeBytes(quint8 mode, quint8 filter)
{
    QByteArray bytes;
    bytes.append(char(mode));
    bytes.append(char(filter));
    return bytes;
}

std::optional<quint64> frequencyFromBytes(QByteArrayView bytes)
{
    if (bytes.size() != 5) {
        return std::nullopt;
    }
    quint64 hz = 0;
    for (int i = 4; i >= 0; --i) {
        const auto byte = quint8(bytes[i]);
        const quint8 high = byte >> 4;
        const quint8 low = byte & 0x0F;
        if (high > 9 || low > 9) {
            return std::nullopt;
        }
        hz = hz * 100 + high * 10 + low;
    }
    return hz;
}

std::optional<QByteArray> bytesFromHexText(QStringView text)
{
    QByteArray digits;
    for (const QChar c : text) {
        if (c.isSpace()) {
            continue;
        }
        const char16_t u = c.unicode();
        const bool hex = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f');
        if (!hex) {
            return std::nullopt;
        }
        digits.append(char(u));
    }
    if (digits.isEmpty() || digits.size() % 2 != 0) {
        return std::nullopt;
    }
    return QByteArray::fromHex(digits);
}

std::optional<quint64> parseNumber(const QString& text)
{
    bool ok = false;
    const bool hex = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const QString digits = hex ? text.mid(2) : text;
    const quint64 value = digits.toULongLong(&ok, hex ? 16 : 10);
    if (!ok || digits.startsWith(QLatin1Char('+'))) {
        return std::nullopt;
    }
    return value;
}

}  // namespace simcodec
