#include "exchange/rowmappers.h"

#include "exchange/frequencytext.h"
#include "memory/datafreq.h"

#include <QHash>

namespace {

MappedRecord skip()
{
    return {};
}

MappedRecord memory(StoredRow row, const QString& remark = QString())
{
    return {MappedRecord::Kind::Memory, std::move(row), QString(), remark};
}

MappedRecord refused(const QString& reason)
{
    return {MappedRecord::Kind::Refused, {}, reason, {}};
}

MappedRecord fatal(const QString& reason)
{
    return {MappedRecord::Kind::Fatal, {}, reason, {}};
}

QString fieldCountReason(qsizetype found, qsizetype expected, const QString& what)
{
    return QStringLiteral("the row has %1 fields; %2 has %3").arg(found).arg(what).arg(expected);
}

/** A frequency field in range, or the reason why not. */
std::optional<qint64> frequencyField(const QString& text, int unitDigits, const QString& what,
                                     QString* reason)
{
    const frequencytext::Parsed parsed = frequencytext::parse(text, unitDigits);
    if (!parsed.hz) {
        *reason = what + QStringLiteral(": ") + parsed.reason;
        return std::nullopt;
    }
    if (!frequencytext::inRange(*parsed.hz)) {
        *reason = frequencytext::outOfRange(what, *parsed.hz);
        return std::nullopt;
    }
    return parsed.hz;
}

// ---------------------------------------------------------------- CHIRP generic CSV

class ChirpMapper : public RowMapper {
public:
    MappedRecord map(const CsvRecord& record) override;

private:
    /** The columns read, found by name in the header. */
    enum Column {
        kFrequency,
        kMode,
        kName,
        kDuplex,
        kOffset,
        kSkip,
        kTone,
        kRToneFreq,
        kCToneFreq,
        kDtcsCode,
        kCrossMode,
        kColumnCount
    };
    MappedRecord readHeader(const CsvRecord& record);
    MappedRecord readMemory(const CsvRecord& record) const;
    std::optional<std::optional<qint64>> transmitFrequency(const CsvRecord& record, qint64 rx,
                                                           QString* reason) const;
    QStringList lostParts(const CsvRecord& record) const;
    QString field(const CsvRecord& record, Column column) const;

    std::array<int, kColumnCount> m_positions{};  ///< place in the row, -1 when none
    bool m_headerRead = false;
    qsizetype m_fieldCount = 0;
};

MappedRecord ChirpMapper::map(const CsvRecord& record)
{
    if (record.blank || record.bytes(0).startsWith('#'))
        return skip();
    return m_headerRead ? readMemory(record) : readHeader(record);
}

MappedRecord ChirpMapper::readHeader(const CsvRecord& record)
{
    // CHIRP reads columns by name and takes the first of a name given twice.
    QHash<QString, int> columns;  // lower-case name -> position
    for (int i = 0; i < record.size(); ++i) {
        const QString name = record.field(i).trimmed().toLower();
        if (!columns.contains(name))
            columns.insert(name, i);
    }
    m_headerRead = true;
    m_fieldCount = record.size();
    static const char* const kNames[kColumnCount] = {
        "frequency", "mode",      "name",      "duplex",   "offset",   "skip",
        "tone",      "rtonefreq", "ctonefreq", "dtcscode", "crossmode"};
    for (int c = 0; c < kColumnCount; ++c)
        m_positions[std::size_t(c)] = columns.value(QString::fromLatin1(kNames[c]), -1);
    for (const char* needed : {"Frequency", "Mode"}) {
        if (!columns.contains(QString::fromLatin1(needed).toLower()))
            return fatal(
                QStringLiteral("line %1: the header has no column \"%2\"; a CHIRP CSV file "
                               "starts with Location,Name,Frequency,...")
                    .arg(record.line)
                    .arg(QString::fromLatin1(needed)));
    }
    return skip();
}

QString ChirpMapper::field(const CsvRecord& record, Column column) const
{
    const int position = m_positions[std::size_t(column)];
    return position < 0 || position >= record.size() ? QString() : record.field(position);
}

MappedRecord ChirpMapper::readMemory(const CsvRecord& record) const
{
    // As CHIRP reads its rows: fields beyond the header's (older CHIRP wrote one more, empty)
    // are passed over, and a short row is refused only when it ends before a column needed.
    for (const Column needed : {kFrequency, kMode}) {
        const int position = m_positions[std::size_t(needed)];
        if (position >= record.size())
            return refused(QStringLiteral("the row has %1 fields; it ends before the column %2 "
                                          "(field %3 of the header's %4)")
                               .arg(record.size())
                               .arg(needed == kFrequency ? QStringLiteral("Frequency")
                                                         : QStringLiteral("Mode"))
                               .arg(position + 1)
                               .arg(m_fieldCount));
    }
    QString reason;
    const auto rx =
        frequencyField(field(record, kFrequency), 6, QStringLiteral("the frequency"), &reason);
    if (!rx)
        return refused(reason);
    const QString chirpMode = field(record, kMode);
    const std::optional<QString> mode = modeForChirp(chirpMode);
    if (!mode)
        return refused(QStringLiteral("the mode \"%1\" is not one of this radio's modes (%2)")
                           .arg(chirpMode, memoryrules::modeList()));
    const auto tx = transmitFrequency(record, *rx, &reason);
    if (!tx)
        return refused(reason);
    const QString skipText = field(record, kSkip).trimmed();
    if (!skipText.isEmpty() && skipText.compare(QLatin1String("S"), Qt::CaseInsensitive) != 0 &&
        skipText.compare(QLatin1String("P"), Qt::CaseInsensitive) != 0)
        return refused(QStringLiteral("Skip is \"%1\", not empty, S or P").arg(skipText));
    const bool scanned = skipText.compare(QLatin1String("S"), Qt::CaseInsensitive) != 0;
    return memory(memoryrules::makeRow(field(record, kName), *rx, *mode, *tx, scanned),
                  lostParts(record).join(QStringLiteral("; ")));
}

/** What a CHIRP memory holds that this radio's memories cannot: transmitting forbidden
 *  (Duplex off) and the tone squelch settings. */
QStringList ChirpMapper::lostParts(const CsvRecord& record) const
{
    QStringList lost;
    if (field(record, kDuplex).trimmed().toLower() == QLatin1String("off"))
        lost.append(
            QStringLiteral("Duplex \"off\" (transmitting forbidden) is not kept: this "
                           "radio's memories cannot forbid transmitting"));
    const QString tone = field(record, kTone).trimmed();
    const QString kept = QStringLiteral(" is not kept: this radio's memories hold no tones");
    if (tone.compare(QLatin1String("Tone"), Qt::CaseInsensitive) == 0)
        lost.append(
            QStringLiteral("the CTCSS tone %1 Hz (Tone)").arg(field(record, kRToneFreq).trimmed()) +
            kept);
    else if (tone.compare(QLatin1String("TSQL"), Qt::CaseInsensitive) == 0)
        lost.append(QStringLiteral("the CTCSS tone squelch %1 Hz (TSQL)")
                        .arg(field(record, kCToneFreq).trimmed()) +
                    kept);
    else if (tone.compare(QLatin1String("DTCS"), Qt::CaseInsensitive) == 0)
        lost.append(
            QStringLiteral("the DCS code %1 (DTCS)").arg(field(record, kDtcsCode).trimmed()) +
            kept);
    else if (!tone.isEmpty())
        lost.append(
            QStringLiteral("the tone mode %1 (%2)").arg(tone, field(record, kCrossMode).trimmed()) +
            kept);
    return lost;
}

/** The split part of a CHIRP memory: none for "", "off" and a zero offset; receive +/-
 *  Offset for "+"/"-"; Offset itself for "split". The outer optional is empty on refusal. */
std::optional<std::optional<qint64>> ChirpMapper::transmitFrequency(const CsvRecord& record,
                                                                    qint64 rx,
                                                                    QString* reason) const
{
    const QString duplex = field(record, kDuplex).trimmed().toLower();
    if (duplex.isEmpty() || duplex == QLatin1String("off"))
        return std::optional<qint64>();
    if (duplex != QLatin1String("+") && duplex != QLatin1String("-") &&
        duplex != QLatin1String("split")) {
        *reason = QStringLiteral("Duplex is \"%1\", not empty, +, -, split or off").arg(duplex);
        return std::nullopt;
    }
    const frequencytext::Parsed offset = frequencytext::parse(field(record, kOffset), 6);
    if (!offset.hz) {
        *reason = QStringLiteral("the offset: ") + offset.reason;
        return std::nullopt;
    }
    qint64 tx = *offset.hz;
    if (duplex != QLatin1String("split")) {
        if (*offset.hz == 0)
            return std::optional<qint64>();
        tx = duplex == QLatin1String("+") ? rx + *offset.hz : rx - *offset.hz;
    }
    if (tx < 0 || !frequencytext::inRange(tx)) {
        *reason =
            frequencytext::outOfRange(QStringLiteral("the transmit frequency"), tx < 0 ? 0 : tx);
        return std::nullopt;
    }
    return std::optional<qint64>(tx);
}

// ---------------------------------------------------------------- gqrx bookmarks

class GqrxMapper : public RowMapper {
public:
    GqrxMapper(bool commaForm, const QString& defaultMode)
        : m_commaForm(commaForm), m_defaultMode(defaultMode)
    {
    }
    MappedRecord map(const CsvRecord& record) override;

private:
    bool m_commaForm;
    QString m_defaultMode;
    bool m_inTagTable = true;
};

MappedRecord GqrxMapper::map(const CsvRecord& record)
{
    if (record.blank) {
        m_inTagTable = false;  // the first blank line ends the tag table
        return skip();
    }
    if (record.comment)
        return skip();
    const qsizetype count = record.size();
    if (!m_commaForm && m_inTagTable && count == 2)
        return skip();  // "tag name ; #colour"
    const bool bookmark = m_commaForm ? count == 4 : (count == 5 || count == 6);
    if (!bookmark)
        return refused(
            fieldCountReason(count, m_commaForm ? 4 : 5, QStringLiteral("a gqrx bookmark")));
    m_inTagTable = false;
    QString reason;
    const auto hz = frequencyField(record.field(0), 0, QStringLiteral("the frequency"), &reason);
    if (!hz)
        return refused(reason);
    const QString modulation = record.field(2).trimmed();
    std::optional<QString> mode = modeForGqrx(modulation);
    QString remark;
    if (!mode && modulation == QLatin1String("Unknown")) {
        // Older gqrx wrote "Unknown" for bookmarks added in its window.
        if (m_defaultMode.isEmpty())
            return refused(
                QStringLiteral("the modulation is \"Unknown\" (gqrx did not record "
                               "one); --default-mode chooses a mode for such rows"));
        mode = m_defaultMode;
        remark = QStringLiteral("the modulation \"Unknown\" is taken as %1 (--default-mode)")
                     .arg(m_defaultMode);
    }
    if (!mode)
        return refused(QStringLiteral("the modulation \"%1\" has no mode on this radio (%2)")
                           .arg(modulation, memoryrules::modeList()));
    return memory(memoryrules::makeRow(record.field(1).trimmed(), *hz, *mode, std::nullopt, false),
                  remark);
}

// ---------------------------------------------------------------- own CSV

class OwnCsvMapper : public RowMapper {
public:
    MappedRecord map(const CsvRecord& record) override;

private:
    MappedRecord readHeader(const CsvRecord& record);
    std::array<int, 10> m_positions{};
    qsizetype m_fieldCount = 0;
};

MappedRecord OwnCsvMapper::map(const CsvRecord& record)
{
    if (record.blank && record.size() == 1 && !record.quoted(0))
        return skip();
    if (m_fieldCount == 0)
        return readHeader(record);
    if (record.size() != m_fieldCount)
        return refused(fieldCountReason(record.size(), m_fieldCount, QStringLiteral("the header")));
    StoredRow row;
    for (int c = 0; c < 10; ++c) {
        const int p = m_positions[c];
        if (record.bytes(p).isEmpty()) {
            // An empty field without quotes is null; "" is the empty text (a null QString
            // would be stored as NULL: it must be a real one).
            if (record.quoted(p))
                row[c] = QStringLiteral("");
            continue;
        }
        const QString text = record.field(p);
        if (c == memcol::kSplit && (text == QLatin1String("0") || text == QLatin1String("1")))
            row[c] = text == QLatin1String("1") ? 1 : 0;
        else
            row[c] = text;
    }
    return memory(std::move(row));
}

MappedRecord OwnCsvMapper::readHeader(const CsvRecord& record)
{
    m_positions.fill(-1);
    for (int i = 0; i < record.size(); ++i) {
        const QString name = record.field(i).trimmed();
        int column = -1;
        for (int c = 0; c < 10; ++c) {
            if (name.compare(QString::fromLatin1(kMemoryFields[c]), Qt::CaseInsensitive) == 0)
                column = c;
        }
        if (column < 0 || m_positions[column] >= 0)
            return fatal(
                QStringLiteral("line %1: the header holds \"%2\"; a Corvane CSV file has "
                               "the ten columns Name,MHz,KHz,Hz,Mode,sMHz,sKHz,sHz,Split,Scan "
                               "once each")
                    .arg(record.line)
                    .arg(name));
        m_positions[column] = i;
    }
    if (record.size() != 10)
        return fatal(QStringLiteral("line %1: the header has %2 of the ten columns "
                                    "Name,MHz,KHz,Hz,Mode,sMHz,sKHz,sHz,Split,Scan")
                         .arg(record.line)
                         .arg(record.size()));
    m_fieldCount = 10;
    return skip();
}

}  // namespace

std::unique_ptr<RowMapper> makeRowMapper(MemoryFormat format, bool gqrxCommaForm,
                                         const QString& defaultMode)
{
    switch (format) {
        case MemoryFormat::Chirp:
            return std::make_unique<ChirpMapper>();
        case MemoryFormat::Gqrx:
            return std::make_unique<GqrxMapper>(gqrxCommaForm, defaultMode);
        case MemoryFormat::OwnCsv:
            break;
    }
    return std::make_unique<OwnCsvMapper>();
}

QChar separatorOf(MemoryFormat format, bool gqrxCommaForm)
{
    return format == MemoryFormat::Gqrx && !gqrxCommaForm ? QLatin1Char(';') : QLatin1Char(',');
}

std::optional<QString> modeForChirp(const QString& chirpMode)
{
    static const QHash<QString, QString> kModes = {
        {QStringLiteral("FM"), QStringLiteral("FM")},
        {QStringLiteral("NFM"), QStringLiteral("FM")},
        {QStringLiteral("WFM"), QStringLiteral("WFM")},
        {QStringLiteral("AM"), QStringLiteral("AM")},
        {QStringLiteral("NAM"), QStringLiteral("AM")},
        {QStringLiteral("USB"), QStringLiteral("USB")},
        {QStringLiteral("LSB"), QStringLiteral("LSB")},
        {QStringLiteral("CW"), QStringLiteral("CW")},
        {QStringLiteral("CWR"), QStringLiteral("CW")},
        {QStringLiteral("RTTY"), QStringLiteral("RTTY")},
        {QStringLiteral("RTTYR"), QStringLiteral("RTTY")},
    };
    const auto it = kModes.constFind(chirpMode.trimmed().toUpper());
    return it == kModes.constEnd() ? std::nullopt : std::optional<QString>(*it);
}

std::optional<QString> modeForGqrx(const QString& modulation)
{
    static const QHash<QString, QString> kModes = {
        {QStringLiteral("narrow fm"), QStringLiteral("FM")},
        {QStringLiteral("wfm (mono)"), QStringLiteral("WFM")},
        {QStringLiteral("wfm (stereo)"), QStringLiteral("WFM")},
        {QStringLiteral("wfm (oirt)"), QStringLiteral("WFM")},
        {QStringLiteral("wide fm (mono)"), QStringLiteral("WFM")},  // older gqrx
        {QStringLiteral("wide fm (stereo)"), QStringLiteral("WFM")},
        {QStringLiteral("am"), QStringLiteral("AM")},
        {QStringLiteral("am-sync"), QStringLiteral("AM")},
        {QStringLiteral("lsb"), QStringLiteral("LSB")},
        {QStringLiteral("usb"), QStringLiteral("USB")},
        {QStringLiteral("cw-l"), QStringLiteral("CW")},
        {QStringLiteral("cw-u"), QStringLiteral("CW")},
    };
    const auto it = kModes.constFind(modulation.trimmed().toLower());
    return it == kModes.constEnd() ? std::nullopt : std::optional<QString>(*it);
}
