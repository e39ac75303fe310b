#include "exchange/memoryrules.h"

#include "exchange/frequencytext.h"
#include "memory/cellrules.h"
#include "memory/datafreq.h"
#include "protocol/civ.h"

namespace memoryrules {

namespace {

bool isText(const QVariant& value)
{
    return value.typeId() == QMetaType::QString;
}

QString textOf(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

/** The text a text value holds, without a copy. */
QStringView viewOf(const QVariant& value)
{
    return *static_cast<const QString*>(value.constData());
}

/** The stored form of a value in a reason: "null", or the text in quotes. */
QString shown(const QVariant& value)
{
    return value.isNull() ? QStringLiteral("null")
                          : QLatin1Char('"') + value.toString() + QLatin1Char('"');
}

std::optional<QString> frequencyBreak(const StoredRow& row, int first, const QString& what)
{
    for (int c = first; c < first + 3; ++c) {
        if (!isText(row[c]) || !frequencytext::fromParts(viewOf(row[c]), u"000", u"000"))
            return QStringLiteral("%1 is %2, not three digits")
                .arg(QString::fromLatin1(kMemoryFields[c]), shown(row[c]));
    }
    const qint64 hz = *frequencytext::fromParts(viewOf(row[first]), viewOf(row[first + 1]),
                                                viewOf(row[first + 2]));
    if (!frequencytext::inRange(hz))
        return frequencytext::outOfRange(what, hz);
    return std::nullopt;
}

std::optional<QString> splitBreak(const StoredRow& row)
{
    const QString s1 = textOf(row[memcol::kSMHz]);
    const QString s2 = textOf(row[memcol::kSKHz]);
    const QString s3 = textOf(row[memcol::kSHz]);
    const bool filled = splitFromParts(s1, s2, s3);
    if (!filled && !(s1.isEmpty() && s2.isEmpty() && s3.isEmpty()))
        return QStringLiteral("the split frequency is given only in part");
    if (filled) {
        if (auto reason = frequencyBreak(row, memcol::kSMHz, QStringLiteral("the split frequency")))
            return reason;
    }
    const QVariant& flag = row[memcol::kSplit];
    bool isNumber = false;
    const int value = flag.toInt(&isNumber);
    // A stored integer is its own number; only text is compared with its number's text.
    if (flag.isNull() || !isNumber || (value != 0 && value != 1) ||
        (flag.typeId() != QMetaType::Int && flag.toString() != QString::number(value)))
        return QStringLiteral("Split is %1, not 0 or 1").arg(shown(flag));
    if ((value == 1) != filled)
        return filled ? QStringLiteral("Split is 0 but a split frequency is given")
                      : QStringLiteral("Split is 1 but no split frequency is given");
    return std::nullopt;
}

}  // namespace

QString modeList()
{
    QStringList names;
    for (quint8 code = 0; !modeName(code).isEmpty(); ++code)
        names.append(modeName(code));
    return names.join(QStringLiteral(", "));
}

std::optional<QString> nameTooLong(const QString& name, int nameLimit)
{
    if (nameLimit <= 0 || name.size() <= nameLimit)
        return std::nullopt;
    return QStringLiteral("the name is %1 characters long; the database allows %2")
        .arg(name.size())
        .arg(nameLimit);
}

std::optional<QString> ruleBreak(const StoredRow& row, int nameLimit)
{
    const QVariant& name = row[memcol::kName];
    if (!name.isNull() && !isText(name))
        return QStringLiteral("Name is not stored as text");
    if (auto reason = nameTooLong(textOf(name), nameLimit))
        return reason;
    if (auto reason = frequencyBreak(row, memcol::kMHz, QStringLiteral("the frequency")))
        return reason;
    const QVariant& mode = row[memcol::kMode];
    if (!isText(mode) || !modeCode(viewOf(mode)))
        return QStringLiteral("the mode %1 is not one of %2").arg(shown(mode), modeList());
    if (auto reason = splitBreak(row))
        return reason;
    const QVariant& scan = row[memcol::kScan];
    if (!scan.isNull() &&
        (!isText(scan) || !(viewOf(scan).isEmpty() || viewOf(scan) == QLatin1String("Y"))))
        return QStringLiteral("Scan is %1, not \"Y\" or empty").arg(shown(scan));
    return std::nullopt;
}

StoredRow makeRow(const QString& name, qint64 hz, const QString& mode,
                  std::optional<qint64> splitHz, bool scanMarked)
{
    StoredRow row;
    if (!name.isEmpty())
        row[memcol::kName] = name;
    const frequencytext::Parts main = frequencytext::partsOf(hz);
    row[memcol::kMHz] = main.mhz;
    row[memcol::kKHz] = main.khz;
    row[memcol::kHz] = main.hz;
    row[memcol::kMode] = mode;
    if (splitHz) {
        const frequencytext::Parts split = frequencytext::partsOf(*splitHz);
        row[memcol::kSMHz] = split.mhz;
        row[memcol::kSKHz] = split.khz;
        row[memcol::kSHz] = split.hz;
    }
    row[memcol::kSplit] = splitHz ? 1 : 0;
    if (scanMarked)
        row[memcol::kScan] = QStringLiteral("Y");
    return row;
}

qint64 mainHz(const StoredRow& row)
{
    return frequencytext::fromParts(textOf(row[memcol::kMHz]), textOf(row[memcol::kKHz]),
                                    textOf(row[memcol::kHz]))
        .value_or(0);
}

std::optional<qint64> splitHz(const StoredRow& row)
{
    return frequencytext::fromParts(textOf(row[memcol::kSMHz]), textOf(row[memcol::kSKHz]),
                                    textOf(row[memcol::kSHz]));
}

QString cellText(const StoredRow& row, int column)
{
    if (column == memcol::kSplit && !row[column].isNull())
        return row[column].toInt() != 0 ? QStringLiteral("True") : QStringLiteral("False");
    return textOf(row[column]);
}

}  // namespace memoryrules
