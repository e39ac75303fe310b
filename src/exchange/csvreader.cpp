#include "exchange/csvreader.h"

#include <QIODevice>
#include <QStringDecoder>

namespace {

constexpr qint64 kBlockBytes = 64 * 1024;
const QByteArray kBom("\xEF\xBB\xBF");

bool isBlankText(const QString& text)
{
    for (QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return false;
    }
    return true;
}

}  // namespace

CsvReader::CsvReader(QIODevice* device, QChar separator) : m_device(device), m_separator(separator)
{
}

bool CsvReader::prepare(QString* error)
{
    if (!m_device->seek(0)) {
        *error = m_device->errorString();
        return false;
    }
    QStringDecoder stateful(QStringDecoder::Utf8);
    bool first = true;
    bool bom = false;
    qint64 lines = 0;
    QByteArray last;
    while (!m_device->atEnd()) {
        const QByteArray block = m_device->read(kBlockBytes);
        if (block.isEmpty() && !m_device->atEnd()) {
            *error = m_device->errorString();
            return false;
        }
        if (first)
            bom = block.startsWith(kBom);
        first = false;
        lines += block.count('\n');
        const QString decoded = stateful.decode(block);  // decoding happens on conversion
        last = block;
    }
    if (!last.isEmpty() && !last.endsWith('\n'))
        ++lines;
    // A sequence cut off at the very end leaves the decoder waiting: decoding one more
    // complete character shows it as an error.
    const QString tail = stateful.decode(QByteArrayView("\n"));
    m_encoding =
        stateful.hasError() ? Encoding::Latin1 : (bom ? Encoding::Utf8Bom : Encoding::Utf8);
    m_lineCount = lines;
    return rewind();
}

QString CsvReader::encodingName() const
{
    switch (m_encoding) {
        case Encoding::Utf8:
            return QStringLiteral("UTF-8");
        case Encoding::Utf8Bom:
            return QStringLiteral("UTF-8 with byte-order mark");
        case Encoding::Latin1:
            break;
    }
    return QStringLiteral("Latin-1 (the file is not valid UTF-8)");
}

bool CsvReader::rewind()
{
    m_line = 0;
    m_error.clear();
    return m_device->seek(m_encoding == Encoding::Utf8Bom ? kBom.size() : 0);
}

bool CsvReader::readPhysicalLine(QString* text, QString* ending)
{
    if (m_device->atEnd())
        return false;
    // One small buffer for every line (readLine(maxSize) would allocate its whole maximum
    // each time); a longer line is read in pieces up to the limit.
    constexpr qint64 kPieceBytes = 64 * 1024;
    if (m_buffer.size() < kPieceBytes + 1)
        m_buffer.resize(kPieceBytes + 1);
    QByteArray bytes;
    while (!bytes.endsWith('\n') && bytes.size() <= kMaxLineBytes && !m_device->atEnd()) {
        const qint64 length = m_device->readLine(m_buffer.data(), m_buffer.size());
        if (length <= 0)
            break;
        bytes.append(m_buffer.constData(), length);
    }
    if (bytes.isEmpty()) {
        m_error = QStringLiteral("line %1 cannot be read: %2")
                      .arg(m_line + 1)
                      .arg(m_device->errorString());
        return false;
    }
    if (bytes.size() > kMaxLineBytes + 1 ||
        (bytes.size() > kMaxLineBytes && !bytes.endsWith('\n'))) {
        m_error = QStringLiteral("line %1 is longer than %2 bytes: this is not a list of memories")
                      .arg(m_line + 1)
                      .arg(kMaxLineBytes);
        return false;
    }
    ++m_line;
    qsizetype cut = bytes.size();
    if (bytes.endsWith('\n'))
        cut -= bytes.endsWith("\r\n") ? 2 : 1;
    *ending = QString::fromLatin1(bytes.mid(cut));
    bytes.truncate(cut);
    *text = m_encoding == Encoding::Latin1 ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
    return true;
}

bool CsvReader::next(CsvRecord* record)
{
    QString text;
    QString ending;
    if (!readPhysicalLine(&text, &ending))
        return false;
    *record = CsvRecord{};
    record->line = m_line;
    record->blank = isBlankText(text);
    record->comment = text.startsWith(QLatin1Char('#'));
    SplitState state;
    splitFields(text, record, &state);
    // A quoted field runs on over line breaks, which stay in it as they were written; only
    // the new line is split, going on from where the last one ended.
    qint64 recordBytes = text.size();
    while (state.inQuotes) {
        QString more;
        QString moreEnding;
        if (!readPhysicalLine(&more, &moreEnding)) {
            if (m_error.isEmpty())
                m_error =
                    QStringLiteral("line %1: a quoted field is never closed").arg(record->line);
            return false;
        }
        recordBytes += more.size();
        if (recordBytes > kMaxLineBytes) {
            m_error = QStringLiteral("line %1: a quoted field runs on for more than %2 bytes")
                          .arg(record->line)
                          .arg(kMaxLineBytes);
            return false;
        }
        record->blank = false;
        splitFields(ending + more, record, &state);
        ending = moreEnding;
    }
    return true;
}

void CsvReader::splitFields(const QString& text, CsvRecord* record, SplitState* state) const
{
    const QChar quote(u'"');
    QString& field = state->field;
    bool& quoted = state->quoted;
    bool& inQuotes = state->inQuotes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c != quote)
                field += c;
            else if (i + 1 < text.size() && text.at(i + 1) == quote)
                field += quote, ++i;
            else
                inQuotes = false;
        } else if (c == m_separator) {
            record->fields.append(field);
            record->quoted.append(quoted);
            field.clear();
            quoted = false;
        } else if (c == quote && field.isEmpty() && !quoted) {
            inQuotes = quoted = true;
        } else {
            field += c;  // a quote inside an unquoted field is an ordinary character
        }
    }
    if (inQuotes)
        return;  // the field goes on in the next line
    record->fields.append(field);
    record->quoted.append(quoted);
    *state = SplitState{};
}
