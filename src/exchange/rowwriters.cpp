#include "exchange/rowwriters.h"

#include "exchange/csvwriter.h"
#include "exchange/frequencytext.h"
#include "memory/datafreq.h"

#include <QHash>
#include <QStringList>

namespace {

/** A transmit frequency at most this far from the receive one is written as a repeater
 *  shift (+ or - with Offset); farther, as CHIRP's "split" with Offset = transmit. */
constexpr qint64 kLargestShiftHz = 10'000'000;

QString nameOf(const StoredRow& row)
{
    return row[memcol::kName].isNull() ? QString() : row[memcol::kName].toString();
}

WrittenRow leftOut(const QString& reason)
{
    return {QByteArray(), reason + QStringLiteral("; not written"), false};
}

// ---------------------------------------------------------------- CHIRP

class ChirpWriter : public RowWriter {
public:
    QByteArray header() const override
    {
        return (chirpColumns().join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8();
    }
    WrittenRow write(const StoredRow& row, qint64 position) const override;
};

WrittenRow ChirpWriter::write(const StoredRow& row, qint64 position) const
{
    if (auto reason = memoryrules::ruleBreak(row, 0))
        return leftOut(*reason);
    const qint64 rx = memoryrules::mainHz(row);
    QString duplex;
    qint64 offset = 0;
    if (const std::optional<qint64> tx = memoryrules::splitHz(row)) {
        const qint64 shift = *tx - rx;
        if (shift != 0 && std::abs(shift) <= kLargestShiftHz) {
            duplex = shift > 0 ? QStringLiteral("+") : QStringLiteral("-");
            offset = std::abs(shift);
        } else {
            duplex = QStringLiteral("split");
            offset = *tx;
        }
    }
    const bool scanned = row[memcol::kScan].toString() == QLatin1String("Y");
    // Tone, DTCS, step and power are CHIRP's defaults: this radio's memories have none.
    const QStringList fields = {QString::number(position),
                                csvField(nameOf(row), QLatin1Char(',')),
                                frequencytext::megahertzText(rx),
                                duplex,
                                frequencytext::megahertzText(offset),
                                QString(),
                                QStringLiteral("88.5"),
                                QStringLiteral("88.5"),
                                QStringLiteral("023"),
                                QStringLiteral("NN"),
                                QStringLiteral("023"),
                                QStringLiteral("Tone->Tone"),
                                row[memcol::kMode].toString(),
                                QStringLiteral("5.00"),
                                scanned ? QString() : QStringLiteral("S"),
                                QStringLiteral("50W"),
                                QString(),
                                QString(),
                                QString(),
                                QString(),
                                QString()};
    return {(fields.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8(), QString(), true};
}

// ---------------------------------------------------------------- gqrx

class GqrxWriter : public RowWriter {
public:
    QByteArray header() const override
    {
        return QByteArrayLiteral(
            "# Tag name ; color\nUntagged ; #c0c0c0\n\n"
            "# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n");
    }
    WrittenRow write(const StoredRow& row, qint64 position) const override;
};

WrittenRow GqrxWriter::write(const StoredRow& row, qint64 /*position*/) const
{
    struct Demodulator {
        const char* modulation;
        int bandwidth;
    };
    static const QHash<QString, Demodulator> kDemodulators = {
        {QStringLiteral("FM"), {"Narrow FM", 10000}},
        {QStringLiteral("WFM"), {"WFM (stereo)", 160000}},
        {QStringLiteral("AM"), {"AM", 10000}},
        {QStringLiteral("LSB"), {"LSB", 2800}},
        {QStringLiteral("USB"), {"USB", 2800}},
        {QStringLiteral("CW"), {"CW-U", 500}},
        {QStringLiteral("RTTY"), {"USB", 2800}},
    };
    if (auto reason = memoryrules::ruleBreak(row, 0))
        return leftOut(*reason);
    const QString mode = row[memcol::kMode].toString();
    const Demodulator demodulator = kDemodulators.value(mode);
    QStringList notes;
    if (mode == QLatin1String("RTTY"))
        notes.append(QStringLiteral("RTTY written as USB: gqrx has no RTTY demodulator"));
    if (const std::optional<qint64> tx = memoryrules::splitHz(row))
        notes.append(
            QStringLiteral("the split frequency %1 is not written: gqrx bookmarks have none")
                .arg(frequencytext::describe(*tx)));
    // gqrx splits its lines at ";" and trims the fields, and never removes quotes: the
    // name goes in as it is, only a ";" (to ",") and a line break (to a blank) replaced.
    QString name = nameOf(row);
    if (name.contains(QLatin1Char(';')) || name.contains(QLatin1Char('\n')) ||
        name.contains(QLatin1Char('\r'))) {
        name.replace(QLatin1Char(';'), QLatin1Char(','));
        name.replace(QLatin1String("\r\n"), QLatin1String(" "));
        name.replace(QLatin1Char('\n'), QLatin1Char(' '));
        name.replace(QLatin1Char('\r'), QLatin1Char(' '));
        notes.append(QStringLiteral("the name is written as \"%1\": gqrx bookmarks hold no "
                                    "\";\" (written as \",\") and no line break (written as a "
                                    "blank)")
                         .arg(name));
    }
    const QString line = QStringLiteral("%1 ; %2 ; %3 ; %4 ; Untagged\n")
                             .arg(memoryrules::mainHz(row))
                             .arg(name, QString::fromLatin1(demodulator.modulation))
                             .arg(demodulator.bandwidth);
    return {line.toUtf8(), notes.join(QStringLiteral("; ")), true};
}

// ---------------------------------------------------------------- own CSV

class OwnCsvWriter : public RowWriter {
public:
    QByteArray header() const override
    {
        QStringList names;
        for (const char* field : kMemoryFields)
            names.append(QString::fromLatin1(field));
        return (names.join(QLatin1Char(',')) + QLatin1Char('\n')).toUtf8();
    }
    WrittenRow write(const StoredRow& row, qint64 position) const override;
};

WrittenRow OwnCsvWriter::write(const StoredRow& row, qint64 /*position*/) const
{
    QStringList fields;
    for (const QVariant& value : row) {
        if (value.isNull())
            fields.append(QString());  // null: nothing between the commas
        else if (value.typeId() == QMetaType::QString)
            fields.append(csvField(value.toString(), QLatin1Char(','), value.toString().isEmpty()));
        else
            fields.append(csvField(value.toString(), QLatin1Char(',')));
    }
    QString problem;
    if (auto reason = memoryrules::ruleBreak(row, 0))
        problem = *reason + QStringLiteral("; written as it stands");
    return {(fields.join(QLatin1Char(',')) + QLatin1Char('\n')).toUtf8(), problem, true};
}

}  // namespace

QStringList chirpColumns()
{
    return {
        QStringLiteral("Location"),     QStringLiteral("Name"),       QStringLiteral("Frequency"),
        QStringLiteral("Duplex"),       QStringLiteral("Offset"),     QStringLiteral("Tone"),
        QStringLiteral("rToneFreq"),    QStringLiteral("cToneFreq"),  QStringLiteral("DtcsCode"),
        QStringLiteral("DtcsPolarity"), QStringLiteral("RxDtcsCode"), QStringLiteral("CrossMode"),
        QStringLiteral("Mode"),         QStringLiteral("TStep"),      QStringLiteral("Skip"),
        QStringLiteral("Power"),        QStringLiteral("Comment"),    QStringLiteral("URCALL"),
        QStringLiteral("RPT1CALL"),     QStringLiteral("RPT2CALL"),   QStringLiteral("DVCODE")};
}

std::unique_ptr<RowWriter> makeRowWriter(MemoryFormat format)
{
    switch (format) {
        case MemoryFormat::Chirp:
            return std::make_unique<ChirpWriter>();
        case MemoryFormat::Gqrx:
            return std::make_unique<GqrxWriter>();
        case MemoryFormat::OwnCsv:
            break;
    }
    return std::make_unique<OwnCsvWriter>();
}
