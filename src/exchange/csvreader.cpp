#include "exchange/csvreader.h"

#include <QIODevice>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <cstring>

namespace {

constexpr qint64 kBlockBytes = 64 * 1024;
const QByteArray kBom("\xEF\xBB\xBF");
/** More control bytes than one in this many (and more than a few) and the file is no text:
 *  an escape sequence or two in a name is no reason to refuse it. */
constexpr qint64 kControlShare = 100;
constexpr qint64 kFewControlBytes = 16;

/** Windows-1252 for 0x80 .. 0x9F; the five bytes it leaves undefined keep their Latin-1
 *  code points, as Windows itself reads them. */
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        *out++ = c >= 0x80 && c < 0xA0 ? QChar(kWindows1252High[c - 0x80]) : QChar(c);
    }
    return text;
}

bool isControlByte(unsigned char c)
{
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1A) || c == 0x7F;
}

/** In the first bytes of a file without a byte-order mark: NUL bytes in every other place,
 *  the mark of UTF-16 text. */
bool looksLikeUtf16(QByteArrayView start)
{
    qsizetype even = 0;
    qsizetype odd = 0;
    for (qsizetype i = 0; i < start.size(); ++i) {
        if (start[i] == '\0')
            ++(i % 2 == 0 ? even : odd);
    }
    const qsizetype pairs = start.size() / 2;
    return pairs > 0 && std::max(even, odd) * 10 >= pairs * 4 && std::min(even, odd) * 10 < pairs;
}

}  // namespace

CsvReader::CsvReader(QIODevice* device, QChar separator) : m_device(device)
{
    setSeparator(separator);
}

CsvReader::~CsvReader() = default;

bool CsvReader::prepare(QString* error)
{
    if (!m_device->seek(0)) {
        *error = m_device->errorString();
        return false;
    }
    const QByteArray start = m_device->peek(4);
    m_sourceEncoding = QStringLiteral("UTF-8");
    if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF")) {
        if (!convertUtf16(start.startsWith("\xFF\xFE"), error))
            return false;
    }
    return scan(error) && rewind();
}

bool CsvReader::convertUtf16(bool littleEndian, QString* error)
{
    m_sourceEncoding = littleEndian ? QStringLiteral("UTF-16 LE with byte-order mark")
                                    : QStringLiteral("UTF-16 BE with byte-order mark");
    auto converted = std::make_unique<QTemporaryFile>();
    if (!converted->open()) {
        *error = QStringLiteral("no room for a UTF-8 copy of the UTF-16 file: ") +
                 converted->errorString();
        return false;
    }
    QStringDecoder decoder(littleEndian ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
    m_device->read(2);  // the byte-order mark
    while (!m_device->atEnd()) {
        const QByteArray block = m_device->read(kBlockBytes);
        if (block.isEmpty()) {
            *error = m_device->errorString();
            return false;
        }
        const QByteArray utf8 = QString(decoder.decode(block)).toUtf8();
        if (converted->write(utf8) != utf8.size()) {
            *error = QStringLiteral("no room for a UTF-8 copy of the UTF-16 file: ") +
                     converted->errorString();
            return false;
        }
    }
    // A code unit cut off at the end leaves the decoder waiting: one more whole character
    // shows it as an error.
    const QString tail =
        decoder.decode(littleEndian ? QByteArrayView("\n\0", 2) : QByteArrayView("\0\n", 2));
    if (decoder.hasError()) {
        *error = QStringLiteral("the file begins as %1 but is not valid UTF-16 text")
                     .arg(m_sourceEncoding);
        return false;
    }
    if (!converted->flush() || !converted->seek(0)) {
        *error = converted->errorString();
        return false;
    }
    m_converted = std::move(converted);
    m_device = m_converted.get();
    return true;
}

bool CsvReader::scan(QString* error)
{
    if (!m_device->seek(0)) {
        *error = m_device->errorString();
        return false;
    }
    qint64 lines = 0;
    qint64 offset = 0;
    qint64 controls = 0;
    qint64 singleByteLines = 0;
    qint64 firstSingleByteLine = 0;
    qint64 utf8Lines = 0;  // lines with characters beyond ASCII, valid UTF-8
    QByteArray carry;
    const auto checkLine = [&](QByteArrayView line) {
        ++lines;
        bool ascii = true;
        for (const char c : line) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                ascii = false;
                break;
            }
        }
        if (ascii)
            return;
        if (line.isValidUtf8()) {
            ++utf8Lines;
        } else if (++singleByteLines == 1) {
            firstSingleByteLine = lines;
        }
    };
    m_skipBytes = 0;
    while (!m_device->atEnd()) {
        QByteArray block = m_device->read(kBlockBytes);
        if (block.isEmpty()) {
            *error = m_device->errorString();
            return false;
        }
        if (offset == 0 && block.startsWith(kBom)) {
            m_skipBytes = kBom.size();
            m_sourceEncoding = QStringLiteral("UTF-8 with byte-order mark");
            block.remove(0, kBom.size());
        }
        if (const qsizetype nul = block.indexOf('\0'); nul >= 0) {
            *error = offset == 0 && looksLikeUtf16(QByteArrayView(block).first(
                                        std::min<qsizetype>(block.size(), 4096)))
                         ? QStringLiteral(
                               "the file is UTF-16 text without a byte-order mark, "
                               "which cannot be read safely; save it as UTF-8")
                         : QStringLiteral(
                               "the file holds NUL bytes (the first at byte %1): it "
                               "is not a text file")
                               .arg(offset + m_skipBytes + nul);
            return false;
        }
        for (const char c : block)
            controls += isControlByte(static_cast<unsigned char>(c)) ? 1 : 0;
        qsizetype from = 0;
        for (;;) {
            const qsizetype end = block.indexOf('\n', from);
            if (end < 0) {
                if (carry.size() <= kMaxLineBytes)  // a longer line is refused when read
                    carry.append(QByteArrayView(block).sliced(from));
                break;
            }
            if (carry.isEmpty()) {
                checkLine(QByteArrayView(block).sliced(from, end - from));
            } else {
                carry.append(QByteArrayView(block).sliced(from, end - from));
                checkLine(carry);
                carry.clear();
            }
            from = end + 1;
        }
        offset += block.size();
    }
    if (!carry.isEmpty())
        checkLine(carry);
    if (controls > kFewControlBytes && controls * kControlShare > offset) {
        *error = QStringLiteral("the file holds %1 control bytes in %2: it is not a text file")
                     .arg(controls)
                     .arg(offset);
        return false;
    }
    m_lineCount = lines;
    if (singleByteLines == 0)
        m_encodingName = m_sourceEncoding;
    else if (utf8Lines == 0)
        m_encodingName = QStringLiteral("Windows-1252 (the file is not valid UTF-8)");
    else
        m_encodingName = QStringLiteral(
                             "%1; %2 of its lines, not valid UTF-8, read as "
                             "Windows-1252 (the first: line %3)")
                             .arg(m_sourceEncoding)
                             .arg(singleByteLines)
                             .arg(firstSingleByteLine);
    return true;
}

bool CsvReader::rewind()
{
    m_line = 0;
    m_error.clear();
    m_begin = m_end = 0;
    return m_device->seek(m_skipBytes);
}

bool CsvReader::readPhysicalLine(QByteArrayView* text, QByteArrayView* ending)
{
    // The device is read in blocks; a line is found in them with memchr and handed out as a
    // view. A line longer than the buffer's block makes the buffer grow, up to the limit.
    const char* newline = nullptr;
    for (;;) {
        const qsizetype have = m_end - m_begin;
        newline = have > 0 ? static_cast<const char*>(
                                 std::memchr(m_buffer.constData() + m_begin, '\n', size_t(have)))
                           : nullptr;
        if (newline != nullptr || have > kMaxLineBytes || m_device->atEnd())
            break;
        if (m_begin > 0) {
            std::memmove(m_buffer.data(), m_buffer.constData() + m_begin, size_t(have));
            m_begin = 0;
            m_end = have;
        }
        if (m_buffer.size() - m_end < kBlockBytes)
            m_buffer.resize(m_end + kBlockBytes);
        const qint64 length = m_device->read(m_buffer.data() + m_end, kBlockBytes);
        if (length <= 0) {
            if (have > 0)
                break;  // what is there is the last line
            m_error = QStringLiteral("line %1 cannot be read: %2")
                          .arg(m_line + 1)
                          .arg(m_device->errorString());
            return false;
        }
        m_end += length;
    }
    const qsizetype lineEnd = newline != nullptr ? newline - m_buffer.constData() : m_end;
    if (lineEnd == m_begin && newline == nullptr)
        return false;  // the end of the file
    if (lineEnd - m_begin > kMaxLineBytes) {
        m_error = QStringLiteral("line %1 is longer than %2 bytes: this is not a list of memories")
                      .arg(m_line + 1)
                      .arg(kMaxLineBytes);
        return false;
    }
    ++m_line;
    QByteArrayView bytes(m_buffer.constData() + m_begin, lineEnd - m_begin);
    m_begin = newline != nullptr ? lineEnd + 1 : lineEnd;
    *ending = {};
    if (newline != nullptr) {
        const bool crlf = bytes.endsWith('\r');
        if (crlf)
            bytes.chop(1);
        *ending = crlf ? QByteArrayView("\r\n") : QByteArrayView("\n");
    }
    if (bytes.isValidUtf8()) {
        *text = bytes;
    } else {
        m_converted1252 = fromWindows1252(bytes).toUtf8();
        *text = m_converted1252;
    }
    return true;
}

namespace {

/** The length of UTF-8 text in UTF-16 code units (a character beyond the BMP takes two). */
qsizetype utf16Length(QByteArrayView utf8)
{
    qsizetype units = 0;
    for (const char byte : utf8) {
        const auto c = static_cast<unsigned char>(byte);
        units += (c & 0xC0) != 0x80 ? 1 : 0;
        units += c >= 0xF0 ? 1 : 0;
    }
    return units;
}

bool isBlankText(QByteArrayView text)
{
    for (const char c : text) {
        if (c != ' ' && c != '\t')
            return false;
    }
    return true;
}

}  // namespace

bool CsvReader::next(CsvRecord* record)
{
    QByteArrayView text;
    QByteArrayView ending;
    if (!readPhysicalLine(&text, &ending))
        return false;
    record->line = m_line;
    record->blank = isBlankText(text);
    record->comment = text.startsWith('#');
    record->m_text.resize(0);  // keeps its room for the next record
    record->m_fields.clear();
    SplitState state;
    splitFields(text, record, &state);
    if (!state.inQuotes)
        return true;
    // A quoted field runs on over line breaks, which stay in it as they were written; only
    // the new line is split, going on from where the last one ended.
    qint64 recordLength = utf16Length(text);
    QByteArray lineBreak = ending.toByteArray();
    while (state.inQuotes) {
        QByteArrayView more;
        QByteArrayView moreEnding;
        if (!readPhysicalLine(&more, &moreEnding)) {
            if (m_error.isEmpty())
                m_error =
                    QStringLiteral("line %1: a quoted field is never closed").arg(record->line);
            return false;
        }
        recordLength += utf16Length(more);
        if (recordLength > kMaxLineBytes) {
            m_error = QStringLiteral("line %1: a quoted field runs on for more than %2 bytes")
                          .arg(record->line)
                          .arg(kMaxLineBytes);
            return false;
        }
        record->blank = false;
        splitFields(lineBreak, record, &state);
        splitFields(more, record, &state);
        lineBreak = moreEnding.toByteArray();
    }
    return true;
}

void CsvReader::splitFields(QByteArrayView text, CsvRecord* record, SplitState* state) const
{
    // Separators and quotes are ASCII, never part of a longer UTF-8 character: the bytes
    // split as the characters would.
    constexpr char quote = '"';
    QByteArray& out = record->m_text;
    qsizetype length = out.size();
    out.resize(length + text.size());  // the fields of a piece never outgrow it
    char* const to = out.data();
    bool& quoted = state->quoted;
    bool& inQuotes = state->inQuotes;
    const qsizetype size = text.size();
    const char* const data = text.data();
    const auto copyUpTo = [&](qsizetype i, char stop) {
        const void* found = std::memchr(data + i, stop, size_t(size - i));
        const qsizetype end = found == nullptr ? size : static_cast<const char*>(found) - data;
        std::memcpy(to + length, data + i, size_t(end - i));
        length += end - i;
        return end - 1;
    };
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (inQuotes) {
            if (c != quote) {
                i = copyUpTo(i, quote);  // the run up to the next quote at once
            } else if (i + 1 < size && data[i + 1] == quote) {
                to[length++] = quote, ++i;
            } else {
                inQuotes = false;
            }
        } else if (c == m_separator) {
            record->m_fields.push_back({state->begin, length - state->begin, quoted});
            state->begin = length;
            quoted = false;
        } else if (c == quote && m_quoting && length == state->begin && !quoted) {
            inQuotes = quoted = true;
        } else {
            // A quote inside an unquoted field is an ordinary character: the run goes on
            // up to the next separator.
            to[length++] = c;
            if (i + 1 < size)
                i = copyUpTo(i + 1, m_separator);
        }
    }
    out.resize(length);
    if (inQuotes)
        return;  // the field goes on in the next line
    record->m_fields.push_back({state->begin, length - state->begin, quoted});
    *state = SplitState{length};
}

QString CsvRecord::field(qsizetype i) const
{
    const QByteArrayView utf8 = bytes(i);
    // A byte-order mark inside the text (a name that begins with U+FEFF) is a character:
    // only the one at the very start of the file was taken off.
    if (utf8.startsWith(kBom))
        return QChar(0xFEFF) + QString::fromUtf8(utf8.sliced(kBom.size()));
    return QString::fromUtf8(utf8);
}

QStringList CsvRecord::fields() const
{
    QStringList all;
    all.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        all.append(field(i));
    return all;
}
