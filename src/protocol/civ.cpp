#include "protocol/civ.h"

#include "profile/radioprofile.h"

#include <algorithm>
#include <array>

namespace {

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

/** A character converted as a decimal digit: only '0'-'9' convert. */
std::optional<int> decimalDigit(QChar c)
{
    if (c < u'0' || c > u'9')
        return std::nullopt;
    return c.unicode() - u'0';
}

}  // namespace

std::optional<quint8> Hex2Dec(QStringView numHex)
{
    if (numHex.isEmpty())
        return std::nullopt;
    const std::optional<int> high = decimalDigit(numHex.front());
    const std::optional<int> low = decimalDigit(numHex.back());
    if (!high || !low)
        return std::nullopt;
    return static_cast<quint8>(*high * 16 + *low);
}

QString BCD2STRING(QStringView ByteString)
{
    // Wire order is 10/1 Hz, 1k/100 Hz, 100k/10 kHz, 10M/1 MHz, 1G/100 MHz: the display
    // reads the pairs back to front, and the 1 GHz digit (character 9) is not shown.
    QString text;
    text.reserve(11);
    text += textPart(ByteString, 10, 1);
    text += textPart(ByteString, 7, 2);
    text += u'.';
    text += textPart(ByteString, 5, 2);
    text += textPart(ByteString, 3, 1);
    text += u'.';
    text += textPart(ByteString, 4, 1);
    text += textPart(ByteString, 1, 2);
    qsizetype zeros = 0;
    while (zeros < text.size() && text.at(zeros) == u'0')
        ++zeros;
    return text.remove(0, zeros);
}

QStringView textPart(QStringView text, qsizetype position, qsizetype length)
{
    const qsizetype start = position - 1;
    if (start < 0 || start >= text.size())
        return {};
    const qsizetype available = text.size() - start;
    return text.sliced(start, length < 0 ? available : std::min(length, available));
}

QString byteText(quint8 value)
{
    const QChar chars[2] = {QChar(kHexDigits[value >> 4]), QChar(kHexDigits[value & 0x0F])};
    return QString(chars, 2);
}

QString frameText(QByteArrayView frame)
{
    // Written in place: every received frame passes here, so one allocation a frame.
    QString text(frame.size() * 2, Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : frame) {
        const auto value = static_cast<quint8>(byte);
        *out++ = QChar(kHexDigits[value >> 4]);
        *out++ = QChar(kHexDigits[value & 0x0F]);
    }
    return text;
}

QString addressText(quint8 address)
{
    return byteText(address);
}

std::optional<quint8> modeCode(QStringView name)
{
    for (const RadioMode& mode : kRadioProfile.modes) {
        if (name == QStringView(mode.name))
            return mode.code;
    }
    return std::nullopt;
}

QString modeName(quint8 code)
{
    for (const RadioMode& mode : kRadioProfile.modes) {
        if (mode.code == code)
            return QString::fromUtf16(mode.name);
    }
    return {};
}
