#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QIODevice;

/**
 * One record of a delimited text file. The fields are kept as UTF-8 bytes (a line read as
 * Windows-1252 is converted) and made text only when asked: most columns of a CHIRP row are
 * never looked at.
 */
class CsvRecord {
public:
    qint64 line = 0;       ///< line of the file where the record starts, from 1
    bool blank = false;    ///< the line is empty or blanks only
    bool comment = false;  ///< the line starts with '#'

    qsizetype size() const { return qsizetype(m_fields.size()); }
    /** Field i, quotes removed, as text. */
    QString field(qsizetype i) const;
    /** Field i, quotes removed, as UTF-8. */
    QByteArrayView bytes(qsizetype i) const
    {
        const Field& f = m_fields[std::size_t(i)];
        return QByteArrayView(m_text).sliced(f.begin, f.size);
    }
    /** Field i was written in quotes (own CSV: "" is empty, not null). */
    bool quoted(qsizetype i) const { return m_fields[std::size_t(i)].quoted; }
    /** Every field as text. */
    QStringList fields() const;

private:
    friend class CsvReader;
    struct Field {
        qsizetype begin = 0;
        qsizetype size = 0;
        bool quoted = false;
    };
    QByteArray m_text;  ///< the fields' bytes back to back
    std::vector<Field> m_fields;
};

/**
 * Reads a delimited text file record by record, as people have such files: UTF-8 with or
 * without a byte-order mark, UTF-16 with one (LE or BE); CR LF or LF; fields in double
 * quotes holding separators, doubled quotes and line breaks (unless quoting is off, as gqrx
 * reads its files); blank lines; a last line without a line break.
 *
 * Each line that is not valid UTF-8 is read as Windows-1252 (what single-byte files from
 * Windows are); valid UTF-8 lines of the same file stay UTF-8. A file that holds NUL bytes
 * or many control bytes is no text file and is refused before any record is read, and so
 * is UTF-16 without a byte-order mark (named as such).
 *
 * The file is never held whole: prepare() reads it once in blocks to decide the encoding
 * and count its lines, then next() reads one record at a time. The device must be open
 * and seekable (a file). UTF-16 is converted to UTF-8 in a temporary file first.
 */
class CsvReader {
public:
    /** A physical line longer than this is refused: the file is no memory list. */
    static constexpr qint64 kMaxLineBytes = 1 << 20;

    CsvReader(QIODevice* device, QChar separator);
    ~CsvReader();

    /** First pass: encoding and line count; the device is put back at its start. False with
     *  error when the device cannot be read or holds no text. */
    bool prepare(QString* error);
    /** "UTF-8", "UTF-8 with byte-order mark", "UTF-16 LE with byte-order mark",
     *  "Windows-1252 (the file is not valid UTF-8)", or UTF-8 with the count of lines read
     *  as Windows-1252. */
    QString encodingName() const { return m_encodingName; }
    qint64 lineCount() const { return m_lineCount; }

    /** Starts again at the first record (after the byte-order mark). */
    bool rewind();
    /** An ASCII character (or QChar(0): whole lines). */
    void setSeparator(QChar separator) { m_separator = char(separator.unicode() & 0x7F); }
    /** Off: double quotes are ordinary characters (gqrx never quotes). On by default. */
    void setQuoting(bool on) { m_quoting = on; }

    /** The next record; false at the end of the file or on error (see error()). */
    bool next(CsvRecord* record);
    /** Empty unless next() stopped on an unreadable or overlong line. */
    QString error() const { return m_error; }
    /** Lines read so far. */
    qint64 linesRead() const { return m_line; }

private:
    bool convertUtf16(bool littleEndian, QString* error);
    bool scan(QString* error);
    /** The next line as UTF-8 without its line break (valid until the next call), and the
     *  line break. */
    bool readPhysicalLine(QByteArrayView* text, QByteArrayView* ending);
    /** Where splitting a record stands between two of its lines: the field being read. */
    struct SplitState {
        qsizetype begin = 0;  ///< where the field's bytes begin in the record
        bool quoted = false;
        bool inQuotes = false;  ///< a quoted field runs on into the next line
    };
    /** Splits one more piece of a record's text into its fields, going on from state. */
    void splitFields(QByteArrayView text, CsvRecord* record, SplitState* state) const;

    QIODevice* m_device;
    std::unique_ptr<QIODevice> m_converted;  ///< UTF-16 input as UTF-8
    QString m_sourceEncoding;                ///< "UTF-8", "UTF-16 LE with byte-order mark", ...
    char m_separator;
    bool m_quoting = true;
    qint64 m_skipBytes = 0;  ///< a UTF-8 byte-order mark at the start
    QString m_encodingName;
    qint64 m_lineCount = 0;
    qint64 m_line = 0;
    QString m_error;
    QByteArray m_buffer;    ///< bytes read ahead from the device
    qsizetype m_begin = 0;  ///< the unread part of m_buffer
    qsizetype m_end = 0;
    QByteArray m_converted1252;  ///< the current line, read as Windows-1252, in UTF-8
};
