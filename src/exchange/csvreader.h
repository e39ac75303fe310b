#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

/** One record of a delimited text file. */
struct CsvRecord {
    qint64 line = 0;       ///< line of the file where the record starts, from 1
    QStringList fields;    ///< the fields, quotes removed
    QList<bool> quoted;    ///< per field: it was written in quotes (own CSV: "" is empty, not null)
    bool blank = false;    ///< the line is empty or blanks only
    bool comment = false;  ///< the line starts with '#'
};

/**
 * Reads a delimited text file record by record, as people have such files: UTF-8 with or
 * without a byte-order mark, or Latin-1 when the bytes are not valid UTF-8; CR LF or LF;
 * fields in double quotes holding separators, doubled quotes and line breaks; blank lines;
 * a last line without a line break.
 *
 * The file is never held whole: prepare() reads it once in blocks to decide the encoding
 * and count its lines, then next() reads one record at a time. The device must be open
 * and seekable (a file).
 */
class CsvReader {
public:
    enum class Encoding { Utf8, Utf8Bom, Latin1 };

    /** A physical line longer than this is refused: the file is no memory list. */
    static constexpr qint64 kMaxLineBytes = 1 << 20;

    CsvReader(QIODevice* device, QChar separator);

    /** First pass: encoding and line count; the device is put back at its start. False with
     *  error when the device cannot be read. */
    bool prepare(QString* error);
    Encoding encoding() const { return m_encoding; }
    /** "UTF-8", "UTF-8 with byte-order mark" or "Latin-1 (the file is not valid UTF-8)". */
    QString encodingName() const;
    qint64 lineCount() const { return m_lineCount; }

    /** Starts again at the first record (after the byte-order mark). */
    bool rewind();
    void setSeparator(QChar separator) { m_separator = separator; }

    /** The next record; false at the end of the file or on error (see error()). */
    bool next(CsvRecord* record);
    /** Empty unless next() stopped on an unreadable or overlong line. */
    QString error() const { return m_error; }
    /** Lines read so far. */
    qint64 linesRead() const { return m_line; }

private:
    bool readPhysicalLine(QString* text, QString* ending);
    /** Where splitting a record stands between two of its lines: the field being read. */
    struct SplitState {
        QString field;
        bool quoted = false;
        bool inQuotes = false;  ///< a quoted field runs on into the next line
    };
    /** Splits one more piece of a record's text into its fields, going on from state. */
    void splitFields(const QString& text, CsvRecord* record, SplitState* state) const;

    QIODevice* m_device;
    QChar m_separator;
    Encoding m_encoding = Encoding::Utf8;
    qint64 m_lineCount = 0;
    qint64 m_line = 0;
    QString m_error;
    QByteArray m_buffer;
};
