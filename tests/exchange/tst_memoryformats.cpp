// Import and export through the library: each format's mapping with every refusal, exact
// decimal frequencies, files as people have them, and round trips, over real SQLite files.
#include "exchange/frequencytext.h"
#include "exchange/memoryexport.h"
#include "exchange/memoryimport.h"
#include "support/memoryfixture.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kAllRows =
    QStringLiteral("SELECT Name,MHz,KHz,Hz,Mode,sMHz,sKHz,sHz,Split,Scan FROM TabFreq ORDER BY id");
const QByteArray kChirpHeader =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
    "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\r\n";

/** A CHIRP data line with the columns this program reads; the others hold CHIRP defaults. */
QByteArray chirpLine(const char* name, const char* freq, const char* duplex, const char* offset,
                     const char* mode, const char* skip)
{
    return QByteArray("1,") + name + ',' + freq + ',' + duplex + ',' + offset +
           ",,88.5,88.5,023,NN,023,Tone->Tone," + mode + ",5.00," + skip + ",50W,,,,,\r\n";
}

/** text as UTF-16 with its byte-order mark. */
QByteArray utf16(const QString& text, bool littleEndian)
{
    QByteArray bytes = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : text) {
        const char high = char(c.unicode() >> 8), low = char(c.unicode() & 0xFF);
        bytes.append(littleEndian ? low : high).append(littleEndian ? high : low);
    }
    return bytes;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

/** Imports with the issues collected as "line: reason". */
ImportResult importCollecting(const QString& file, const QString& db, ImportOptions options,
                              QStringList* issues)
{
    ExchangeCallbacks callbacks;
    callbacks.rowIssue = [issues](const RowIssue& issue) {
        issues->append(
            QStringLiteral("%1: %2%3")
                .arg(issue.line)
                .arg(issue.remark ? QStringLiteral("remark: ") : QString(), issue.reason));
    };
    return importMemories(file, db, options, callbacks);
}

}  // namespace

class TestMemoryFormats : public QObject {
    Q_OBJECT
private slots:
    void decimalParsing_data();
    void decimalParsing();
    void typedFrequencyRule_data();
    void typedFrequencyRule();
    void mapping_data();
    void mapping();
    void filesAsPeopleHaveThem_data();
    void filesAsPeopleHaveThem();
    void ownCsvRoundTripIsByteForByte();
    void chirpAndGqrxRoundTrips_data();
    void chirpAndGqrxRoundTrips();
    void nameLongerThanTheColumnIsRefused();
    void cancelLeavesDatabaseAndFileAsTheyWere();

private:
    QTemporaryDir m_dir;
};

void TestMemoryFormats::decimalParsing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("unitDigits");
    QTest::addColumn<qint64>("hz");  // -1: refused

    QTest::newRow("146.52 MHz, no rounding") << "146.52" << 6 << qint64(146'520'000);
    QTest::newRow("146.520000 MHz") << "146.520000" << 6 << qint64(146'520'000);
    QTest::newRow("0.1 MHz (binary floats miss it)") << "0.1" << 6 << qint64(100'000);
    QTest::newRow("199.999999 MHz") << "199.999999" << 6 << qint64(199'999'999);
    QTest::newRow(".03 MHz") << ".03" << 6 << qint64(30'000);
    QTest::newRow("blanks and trailing zeros") << " 7.0500000000 " << 6 << qint64(7'050'000);
    QTest::newRow("14 MHz, no point") << "14" << 6 << qint64(14'000'000);
    QTest::newRow("Hz with leading zeros") << "000144800000" << 0 << qint64(144'800'000);
    QTest::newRow("finer than 1 Hz") << "146.5200001" << 6 << qint64(-1);
    QTest::newRow("fraction of a Hz") << "144800000.5" << 0 << qint64(-1);
    QTest::newRow("two points") << "146.52.1" << 6 << qint64(-1);
    QTest::newRow("sign") << "-146.52" << 6 << qint64(-1);
    QTest::newRow("exponent") << "1.4652e2" << 6 << qint64(-1);
    QTest::newRow("comma decimal") << "146,52" << 6 << qint64(-1);
    QTest::newRow("empty") << "" << 6 << qint64(-1);
    QTest::newRow("a point alone") << "." << 6 << qint64(-1);
    QTest::newRow("huge") << "99999999999999999999" << 6 << qint64(-1);
}

void TestMemoryFormats::decimalParsing()
{
    QFETCH(QString, text);
    QFETCH(int, unitDigits);
    QFETCH(qint64, hz);
    const frequencytext::Parsed parsed = frequencytext::parse(text, unitDigits);
    QCOMPARE(parsed.hz.value_or(-1), hz);
    QCOMPARE(parsed.reason.isEmpty(), hz >= 0);
}

void TestMemoryFormats::typedFrequencyRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<qint64>("hz");  // -1: no frequency

    QTest::newRow("point: MHz") << "14.074"
                                << "MHz" << qint64(14'074'000);
    QTest::newRow("comma: MHz") << "7,0745"
                                << "MHz" << qint64(7'074'500);
    QTest::newRow("MHz to the hertz") << "145.500001"
                                      << "MHz" << qint64(145'500'001);
    QTest::newRow("point first") << ".5"
                                 << "MHz" << qint64(500'000);
    QTest::newRow("point last") << "28."
                                << "MHz" << qint64(28'000'000);
    QTest::newRow("five digits: kHz") << "14074"
                                      << "kHz" << qint64(14'074'000);
    QTest::newRow("six digits: kHz") << "145500"
                                     << "kHz" << qint64(145'500'000);
    QTest::newRow("one digit: kHz") << "7"
                                    << "kHz" << qint64(7'000);
    QTest::newRow("blanks around") << " 14074 "
                                   << "kHz" << qint64(14'074'000);
    QTest::newRow("seven digits: Hz") << "7074000"
                                      << "Hz" << qint64(7'074'000);
    QTest::newRow("eight digits: Hz") << "14074000"
                                      << "Hz" << qint64(14'074'000);
    QTest::newRow("nine digits: Hz") << "145400000"
                                     << "Hz" << qint64(145'400'000);
    QTest::newRow("finer than 1 Hz") << "14.0740001"
                                     << "MHz" << qint64(-1);
    QTest::newRow("two points") << "14.07.4"
                                << "MHz" << qint64(-1);
    QTest::newRow("point and comma") << "1,234.5"
                                     << "MHz" << qint64(-1);
    QTest::newRow("a point alone") << ","
                                   << "MHz" << qint64(-1);
    QTest::newRow("letters") << "14074k"
                             << "kHz" << qint64(-1);
    QTest::newRow("sign") << "-14074"
                          << "kHz" << qint64(-1);
    QTest::newRow("empty") << ""
                           << "kHz" << qint64(-1);
}

void TestMemoryFormats::typedFrequencyRule()
{
    QFETCH(QString, text);
    QFETCH(QString, unit);
    QFETCH(qint64, hz);
    const frequencytext::Typed typed = frequencytext::readTyped(text);
    QCOMPARE(frequencytext::unitName(typed.unit), unit);
    QCOMPARE(typed.hz.value_or(-1), hz);
}

void TestMemoryFormats::mapping_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("rows");    // stored, "|" between fields, "~" null
    QTest::addColumn<QStringList>("issues");  // "line: reason"

    QTest::newRow("chirp: modes, duplex, skip")
        << "chirp"
        << kChirpHeader + chirpLine("Calling", "146.520000", "", "0.000000", "FM", "") +
               chirpLine("Narrow", "145.500000", "off", "0.600000", "NFM", "S") +
               chirpLine("Up", "145.000000", "+", "0.600000", "FM", "P") +
               chirpLine("Down", "145.600000", "-", "0.600000", "FM", "") +
               chirpLine("Cross", "145.800000", "split", "29.500000", "USB", "") +
               chirpLine("", "7.050000", "", "0.000000", "LSB", "") +
               chirpLine("B", "88.5", "", "0", "WFM", "") +
               chirpLine("C", "1.8", "", "0", "NAM", "") +
               chirpLine("D", "14.000001", "", "0", "CWR", "") +
               chirpLine("E", "14.08", "", "0", "RTTYR", "") +
               chirpLine("F", "0.03", "", "0", "AM", "")
        << QStringList{"Calling|146|520|000|FM|~|~|~|0|Y",
                       "Narrow|145|500|000|FM|~|~|~|0|~",
                       "Up|145|000|000|FM|145|600|000|1|Y",
                       "Down|145|600|000|FM|145|000|000|1|Y",
                       "Cross|145|800|000|USB|029|500|000|1|Y",
                       "~|007|050|000|LSB|~|~|~|0|Y",
                       "B|088|500|000|WFM|~|~|~|0|Y",
                       "C|001|800|000|AM|~|~|~|0|Y",
                       "D|014|000|001|CW|~|~|~|0|Y",
                       "E|014|080|000|RTTY|~|~|~|0|Y",
                       "F|000|030|000|AM|~|~|~|0|Y"}
        << QStringList{
               "3: remark: Duplex \"off\" (transmitting forbidden) is not kept: this "
               "radio's memories cannot forbid transmitting"};
    QTest::newRow("chirp: every refusal")
        << "chirp"
        << kChirpHeader + chirpLine("UHF", "446.000000", "", "0", "FM", "") +
               chirpLine("GHz", "1296.000000", "", "0", "FM", "") +
               chirpLine("Low", "0.029999", "", "0", "AM", "") +
               chirpLine("Digital", "145.500000", "", "0", "DV", "") +
               chirpLine("Broken", "145.5x", "", "0", "FM", "") +
               chirpLine("Fine", "145.5000001", "", "0", "FM", "") +
               chirpLine("Duplex", "145.5", "x", "0", "FM", "") +
               chirpLine("TxHigh", "199.9", "+", "0.6", "FM", "") +
               chirpLine("TxLow", "0.1", "-", "0.6", "AM", "") +
               chirpLine("Offset", "145.5", "+", "six", "FM", "") +
               chirpLine("Skip", "145.5", "", "0", "FM", "X") + "1,Short,145.5\r\n"
        << QStringList{}
        << QStringList{
               "2: the frequency 446.000000 MHz is outside 0.030000 MHz - 199.999999 MHz",
               "3: the frequency 1296.000000 MHz is outside 0.030000 MHz - 199.999999 MHz",
               "4: the frequency 0.029999 MHz is outside 0.030000 MHz - 199.999999 MHz",
               "5: the mode \"DV\" is not one of this radio's modes (LSB, USB, AM, CW, RTTY, FM, "
               "WFM)",
               "6: the frequency: \"145.5x\" is not a frequency: it holds \"x\"",
               "7: the frequency: \"145.5000001\" is not a frequency: it is finer than 1 Hz",
               "8: Duplex is \"x\", not empty, +, -, split or off",
               "9: the transmit frequency 200.500000 MHz is outside 0.030000 MHz - 199.999999 MHz",
               "10: the transmit frequency 0.000000 MHz is outside 0.030000 MHz - 199.999999 MHz",
               "11: the offset: \"six\" is not a frequency: it holds \"s\"",
               "12: Skip is \"X\", not empty, S or P",
               "13: the row has 3 fields; it ends before the column Mode (field 13 of the "
               "header's 21)"};
    QTest::newRow("chirp: comment first, older rows, a column twice, tones as remarks")
        << "chirp"
        << QByteArray(
               "# Club frequency list; updated 2024\r\n"
               "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,"
               "Mode,Name\r\n"
               "1,First,145.5,,0,Tone,88.5,88.5,023,FM,Second,\r\n"
               "2,Tsql,145.6,off,0,TSQL,88.5,100.0,023,FM,x,\r\n"
               "3,Dcs,145.7,,0,DTCS,88.5,88.5,754,NFM,x,\r\n"
               "4,Short,145.8\r\n"
               "5,Shorter,145.9,,0,,88.5,88.5,023,FM\r\n")
        << QStringList{"First|145|500|000|FM|~|~|~|0|Y", "Tsql|145|600|000|FM|~|~|~|0|Y",
                       "Dcs|145|700|000|FM|~|~|~|0|Y", "Shorter|145|900|000|FM|~|~|~|0|Y"}
        << QStringList{
               "3: remark: the CTCSS tone 88.5 Hz (Tone) is not kept: this radio's memories hold "
               "no tones",
               "4: remark: Duplex \"off\" (transmitting forbidden) is not kept: this radio's "
               "memories cannot forbid transmitting; the CTCSS tone squelch 100.0 Hz (TSQL) is not "
               "kept: this radio's memories hold no tones",
               "5: remark: the DCS code 754 (DTCS) is not kept: this radio's memories hold no "
               "tones",
               "6: the row has 3 fields; it ends before the column Mode (field 10 of the header's "
               "11)"};
    QTest::newRow("chirp: columns by name, extra ones ignored")
        << "chirp" << QByteArray("Mode,Extra,Frequency,Name\n# a comment\nFM,x,145.5,Hdr\n")
        << QStringList{"Hdr|145|500|000|FM|~|~|~|0|Y"} << QStringList{};
    QTest::newRow("gqrx: tag table, every modulation and refusal")
        << "gqrx"
        << QByteArray(
               "# Tag name          ;  color\nUntagged            ; #c0c0c0\n"
               "Local ; #ff0000\n\n# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n"
               "   145500000 ; Calling ; Narrow FM ; 10000 ; Local,Untagged\n"
               "    88500000 ; Mono ; WFM (mono) ; 160000 ; Untagged\n"
               "    88600000 ; Stereo ; WFM (stereo) ; 160000 ; Untagged\n"
               "    66000000 ; Oirt ; WFM (oirt) ; 120000 ; Untagged\n"
               "      999000 ; Sync ; AM-Sync ; 10000 ; Untagged\n"
               "     1000000 ; Plain AM ; AM ; 10000 ; Untagged\n"
               "     7050000 ; Lower ; LSB ; 2800 ; Untagged\n"
               "    14250000 ; Upper ; USB ; 2800 ; Untagged\n"
               "    10100000 ; CwL ; CW-L ; 500 ; Untagged\n"
               "    10101000 ; CwU ; CW-U ; 500 ; Untagged ; info\n"
               "   433920000 ; ISM ; Narrow FM ; 10000 ; Untagged\n"
               "   145000000 ; IQ ; Raw I/Q ; 10000 ; Untagged\n"
               "   145000000 ; Off ; Demod Off ; 10000 ; Untagged\n"
               "   145000000 ; Odd ; FreeDV ; 10000 ; Untagged\n"
               "   145000000.5 ; Half ; AM ; 10000 ; Untagged\n"
               "   145000000 ; Short ; AM\n")
        << QStringList{"Calling|145|500|000|FM|~|~|~|0|~", "Mono|088|500|000|WFM|~|~|~|0|~",
                       "Stereo|088|600|000|WFM|~|~|~|0|~", "Oirt|066|000|000|WFM|~|~|~|0|~",
                       "Sync|000|999|000|AM|~|~|~|0|~",    "Plain AM|001|000|000|AM|~|~|~|0|~",
                       "Lower|007|050|000|LSB|~|~|~|0|~",  "Upper|014|250|000|USB|~|~|~|0|~",
                       "CwL|010|100|000|CW|~|~|~|0|~",     "CwU|010|101|000|CW|~|~|~|0|~"}
        << QStringList{
               "16: the frequency 433.920000 MHz is outside 0.030000 MHz - 199.999999 MHz",
               "17: the modulation \"Raw I/Q\" has no mode on this radio (LSB, USB, AM, CW, RTTY, "
               "FM, WFM)",
               "18: the modulation \"Demod Off\" has no mode on this radio (LSB, USB, AM, CW, "
               "RTTY, FM, WFM)",
               "19: the modulation \"FreeDV\" has no mode on this radio (LSB, USB, AM, CW, RTTY, "
               "FM, WFM)",
               "20: the frequency: \"   145000000.5 \" is not a frequency: it is finer than 1 Hz",
               "21: the row has 3 fields; a gqrx bookmark has 5"};
    QTest::newRow("gqrx: split at \";\" and trimmed, quotes are text")
        << "gqrx"
        << QByteArray(
               "# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n"
               "145500000 ; \"Quote \"\"x\"\" name\" ; Narrow FM ; 10000 ; Untagged\n"
               "145600000 ; \"a;b\" ; Narrow FM ; 10000 ; Untagged\n")
        << QStringList{"\"Quote \"\"x\"\" name\"|145|500|000|FM|~|~|~|0|~"}
        << QStringList{
               "3: the modulation \"b\"\" has no mode on this radio (LSB, USB, AM, CW, "
               "RTTY, FM, WFM)"};
    QTest::newRow("gqrx: older comma form")
        << "gqrx"
        << QByteArray(
               "# Frequency , Name , Modulation , Bandwidth\n"
               "   145500000, Calling , Narrow FM , 10000\n"
               "     7050000, Lower, LSB, 2800\n   7050000, Three, LSB\n"
               "    88500000, Stereo, Wide FM (stereo), 160000\n"
               "    88600000, Mono, Wide FM (mono), 160000\n"
               "   145000000, Added in gqrx, Unknown, 10000\n")
        << QStringList{"Calling|145|500|000|FM|~|~|~|0|~", "Lower|007|050|000|LSB|~|~|~|0|~",
                       "Stereo|088|500|000|WFM|~|~|~|0|~", "Mono|088|600|000|WFM|~|~|~|0|~"}
        << QStringList{"4: the row has 3 fields; a gqrx bookmark has 4",
                       "7: the modulation is \"Unknown\" (gqrx did not record one); "
                       "--default-mode chooses a mode for such rows"};
    QTest::newRow("own csv: stored forms, nulls and every rule")
        << "csv"
        << QByteArray(
               "Name,MHz,KHz,Hz,Mode,sMHz,sKHz,sHz,Split,Scan\n"
               "Rep,145,600,000,FM,145,000,000,1,Y\n"
               ",007,050,000,LSB,,,,0,\n"
               "\"\",014,250,000,USB,\"\",\"\",\"\",0,\"\"\n"
               "Short,14,250,000,USB,,,,0,\n"
               "Low,000,029,999,AM,,,,0,\n"
               "Case,145,500,000,fm,,,,0,\n"
               "Part,145,500,000,FM,145,,,0,\n"
               "Flag,145,500,000,FM,,,,1,\n"
               "NoFlag,145,500,000,FM,145,000,000,0,\n"
               "Scan,145,500,000,FM,,,,0,N\n"
               "SplitHigh,145,500,000,FM,200,000,000,1,\n"
               "Count,145,500,000,FM,,,,0\n")
        << QStringList{"Rep|145|600|000|FM|145|000|000|1|Y", "~|007|050|000|LSB|~|~|~|0|~",
                       "|014|250|000|USB||||0|"}
        << QStringList{"5: MHz is \"14\", not three digits",
                       "6: the frequency 0.029999 MHz is outside 0.030000 MHz - 199.999999 MHz",
                       "7: the mode \"fm\" is not one of LSB, USB, AM, CW, RTTY, FM, WFM",
                       "8: the split frequency is given only in part",
                       "9: Split is 1 but no split frequency is given",
                       "10: Split is 0 but a split frequency is given",
                       "11: Scan is \"N\", not \"Y\" or empty",
                       "12: the split frequency 200.000000 MHz is outside 0.030000 MHz - "
                       "199.999999 MHz",
                       "13: the row has 9 fields; the header has 10"};
}

void TestMemoryFormats::mapping()
{
    QFETCH(QString, format);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, issues);
    const QString db = fixture::makeDatabase(m_dir.path(), "MAP.MDB", {});
    ImportOptions options;
    options.skipBad = true;
    // Guessed, and it must be guessed right.
    QStringList seen;
    const ImportResult result =
        importCollecting(writeFile(m_dir, "in.txt", file), db, options, &seen);
    QVERIFY2(result.ok || rows.isEmpty(), qPrintable(result.error));
    QCOMPARE(formatKey(result.format), format);
    QCOMPARE(seen, issues);
    QCOMPARE(fixture::rowsOf(db, kAllRows), rows);
    QCOMPARE(result.added, rows.size());
    const qsizetype remarks = issues.filter(QRegularExpression("^\\d+: remark: ")).size();
    QCOMPARE(result.remarks, remarks);
    QCOMPARE(result.refused, issues.size() - remarks);
}

void TestMemoryFormats::filesAsPeopleHaveThem_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QStringList>("rows");

    const QByteArray header = "Location,Name,Frequency,Mode\n";
    QTest::newRow("UTF-8 with BOM, CRLF, blank lines, no last newline")
        << QByteArray(
               "\xEF\xBB\xBFLocation,Name,Frequency,Mode\r\n\r\n1,Zürich,145.5,FM\r\n"
               "   \r\n2,Ost,145.6,FM")
        << "UTF-8 with byte-order mark"
        << QStringList{"Zürich|145|500|000|FM|~|~|~|0|Y", "Ost|145|600|000|FM|~|~|~|0|Y"};
    QTest::newRow("Windows-1252 fallback") << header + "1,Z\xFCrich \x80 \x93q\x94,145.5,FM\n"
                                           << "Windows-1252 (the file is not valid UTF-8)"
                                           << QStringList{"Zürich € “q”|145|500|000|FM|~|~|~|0|Y"};
    QTest::newRow("one stray byte in UTF-8: that line alone")
        << header + "1,Zürich,145.5,FM\n2,Caf\xE9,145.6,FM\n"
        << "UTF-8; 1 of its lines, not valid UTF-8, read as Windows-1252 (the first: line 3)"
        << QStringList{"Zürich|145|500|000|FM|~|~|~|0|Y", "Café|145|600|000|FM|~|~|~|0|Y"};
    for (const bool littleEndian : {true, false}) {
        QTest::addRow("UTF-16 %s with byte-order mark", littleEndian ? "LE" : "BE")
            << utf16(
                   "Location,Name,Frequency,Mode\r\n1,Zürich €,145.5,FM\r\n"
                   "2,\"a \"\"€\"\"\r\nb\",145.6,FM\r\n",
                   littleEndian)
            << QStringLiteral("UTF-16 %1 with byte-order mark").arg(littleEndian ? "LE" : "BE")
            << QStringList{"Zürich €|145|500|000|FM|~|~|~|0|Y",
                           "a \"€\"\r\nb|145|600|000|FM|~|~|~|0|Y"};
    }
    QTest::newRow("a quoted field over lines of two encodings")
        << header + "1,\"Zürich\r\nCaf\xE9 \"\"x\"\"\",145.5,FM\r\n2,Ost,145.6,FM\r\n"
        << "UTF-8; 1 of its lines, not valid UTF-8, read as Windows-1252 (the first: line 3)"
        << QStringList{"Zürich\r\nCafé \"x\"|145|500|000|FM|~|~|~|0|Y",
                       "Ost|145|600|000|FM|~|~|~|0|Y"};
    // The file is read in blocks of 64 KiB: this line runs over the first block's end with
    // "é" cut in two there.
    const QByteArray longName = QByteArray(65536 - header.size() - 3, 'a') + "éb";
    QTest::newRow("a line longer than the read block")
        << header + "1," + longName + ",145.5,FM\n2,Ost,145.6,FM\n"
        << "UTF-8"
        << QStringList{QString::fromUtf8(longName) + "|145|500|000|FM|~|~|~|0|Y",
                       "Ost|145|600|000|FM|~|~|~|0|Y"};
    QTest::newRow("quoted fields with commas, quotes and a line break")
        << header + "1,\"Rep, \"\"North\"\"\",145.5,FM\n2,\"two\r\nlines\",145.6,FM\n"
        << "UTF-8"
        << QStringList{"Rep, \"North\"|145|500|000|FM|~|~|~|0|Y",
                       "two\r\nlines|145|600|000|FM|~|~|~|0|Y"};
}

void TestMemoryFormats::filesAsPeopleHaveThem()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, encoding);
    QFETCH(QStringList, rows);
    const QString db = fixture::makeDatabase(m_dir.path(), "SHAPES.MDB", {});
    QStringList issues;
    const ImportResult result =
        importCollecting(writeFile(m_dir, "shape.csv", file), db, {}, &issues);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(issues, QStringList());
    QCOMPARE(result.encoding, encoding);
    QCOMPARE(fixture::rowsOf(db, kAllRows), rows);
}

void TestMemoryFormats::ownCsvRoundTripIsByteForByte()
{
    // Nulls and empty texts, a split memory, quotes and a line break in a name, and a row
    // another program wrote that breaks the rules (exported as it stands, and reported).
    const QList<fixture::Row> stored = {
        {QVariant(), "007", "050", "000", "LSB", QVariant(), QVariant(), QVariant(), 0, QVariant()},
        {"", "014", "250", "000", "USB", "", "", "", 0, ""},
        {"Rep \"1\", north\nside", "145", "600", "000", "FM", "145", "000", "000", 1, "Y"},
        {"#hash", "199", "999", "999", "WFM", QVariant(), QVariant(), QVariant(), 0, "Y"},
        {"BOM", "145", "500", "000", "FM", QVariant(), QVariant(), QVariant(), 0, QVariant()},
        {"BOMlead", "145", "500", "000", "FM", QVariant(), QVariant(), QVariant(), 0, "Y"},
        {"Foreign", "446", "0", "000", "dv", QVariant(), QVariant(), QVariant(), 0, "x"},
    };
    const QString source = fixture::makeDatabase(m_dir.path(), "SOURCE.MDB", stored);
    // Names that begin with U+FEFF (stored as UTF-8 bytes: SQLite drops a leading U+FEFF
    // from text handed over as UTF-16).
    fixture::rowsOf(source,
                    "UPDATE TabFreq SET Name = CAST(X'EFBBBF' AS TEXT) || substr(Name, 4) "
                    "WHERE Name LIKE 'BOM%'");
    const QString file = m_dir.filePath("own.csv");
    QStringList issues;
    ExchangeCallbacks callbacks;
    callbacks.rowIssue = [&issues](const RowIssue& issue) {
        issues.append(QStringLiteral("%1: %2").arg(issue.line).arg(issue.reason));
    };
    const ExportResult out =
        exportMemories(source, file, MemoryFormat::OwnCsv, ViewOrder::None, callbacks);
    QVERIFY2(out.ok, qPrintable(out.error));
    QCOMPARE(out.written, 7);
    QCOMPARE(issues, QStringList{"7: KHz is \"0\", not three digits; written as it stands"});
    QCOMPARE(fixture::bytesOf(file),
             QByteArray("Name,MHz,KHz,Hz,Mode,sMHz,sKHz,sHz,Split,Scan\n"
                        ",007,050,000,LSB,,,,0,\n"
                        "\"\",014,250,000,USB,\"\",\"\",\"\",0,\"\"\n"
                        "\"Rep \"\"1\"\", north\nside\",145,600,000,FM,145,000,000,1,Y\n"
                        "\"#hash\",199,999,999,WFM,,,,0,Y\n"
                        "\xEF\xBB\xBF,145,500,000,FM,,,,0,\n"
                        "\xEF\xBB\xBFlead,145,500,000,FM,,,,0,Y\n"
                        "Foreign,446,0,000,dv,,,,0,x\n"));

    const QString target = fixture::makeDatabase(m_dir.path(), "TARGET.MDB", {});
    ImportOptions options;
    options.skipBad = true;
    issues.clear();
    const ImportResult in = importCollecting(file, target, options, &issues);
    QVERIFY2(in.ok, qPrintable(in.error));
    QCOMPARE(issues, QStringList{"9: KHz is \"0\", not three digits"});
    const QString typed = QStringLiteral(
        "SELECT quote(Name),quote(MHz),quote(KHz),quote(Hz),quote(Mode),quote(sMHz),quote(sKHz),"
        "quote(sHz),quote(Split),quote(Scan) FROM TabFreq ORDER BY id");
    // A byte-order mark is taken off only at the very start of the file: names keep theirs.
    QCOMPARE(fixture::rowsOf(target, typed), fixture::rowsOf(source, typed).mid(0, 6));
}

void TestMemoryFormats::chirpAndGqrxRoundTrips_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QStringList>("back");  // what comes back, by frequency
    QTest::newRow("chirp") << int(MemoryFormat::Chirp)
                           << QStringList{"Low|000|500|000|AM|~|~|~|0|Y",
                                          "Far|029|600|000|FM|145|500|000|1|~",
                                          "Say \"hi\"; now\nthen|145|500|000|FM|~|~|~|0|Y",
                                          "Rep, A|145|600|000|FM|145|000|000|1|Y",
                                          "Up|145|650|000|FM|145|650|000|1|Y",
                                          "Teletype|199|999|999|RTTY|~|~|~|0|~"};
    QTest::newRow("gqrx") << int(MemoryFormat::Gqrx)
                          << QStringList{"Low|000|500|000|AM|~|~|~|0|~",
                                         "Far|029|600|000|FM|~|~|~|0|~",
                                         "Say \"hi\", now then|145|500|000|FM|~|~|~|0|~",
                                         "Rep, A|145|600|000|FM|~|~|~|0|~",
                                         "Up|145|650|000|FM|~|~|~|0|~",
                                         "Teletype|199|999|999|USB|~|~|~|0|~"};
}

void TestMemoryFormats::chirpAndGqrxRoundTrips()
{
    QFETCH(int, format);
    QFETCH(QStringList, back);
    const QString source = fixture::makeDatabase(
        m_dir.path(), "RT.MDB",
        {{"Rep, A", "145", "600", "000", "FM", "145", "000", "000", 1, "Y"},
         {"Far", "029", "600", "000", "FM", "145", "500", "000", 1, ""},
         {"Up", "145", "650", "000", "FM", "145", "650", "000", 1, "Y"},
         {"Low", "000", "500", "000", "AM", QVariant(), QVariant(), QVariant(), 0, "Y"},
         {"Teletype", "199", "999", "999", "RTTY", QVariant(), QVariant(), QVariant(), 0, ""},
         {"Broken", "abc", "000", "000", "FM", QVariant(), QVariant(), QVariant(), 0, ""},
         {"Say \"hi\"; now\nthen", "145", "500", "000", "FM", QVariant(), QVariant(), QVariant(), 0,
          "Y"}});
    const QString file = m_dir.filePath("rt.txt");
    QStringList issues;
    ExchangeCallbacks callbacks;
    callbacks.rowIssue = [&issues](const RowIssue& issue) { issues.append(issue.reason); };
    const ExportResult out =
        exportMemories(source, file, MemoryFormat(format), ViewOrder::ByFrequency, callbacks);
    QVERIFY2(out.ok, qPrintable(out.error));
    QCOMPARE(out.written, 6);
    QCOMPARE(out.leftOut, 1);
    QVERIFY2(issues.contains("MHz is \"abc\", not three digits; not written"),
             qPrintable(issues.join('\n')));
    const QByteArray written = fixture::bytesOf(file);
    if (MemoryFormat(format) == MemoryFormat::Chirp) {
        // CHIRP's own header; repeater shifts as +/- Offset, a cross-band pair as split.
        QVERIFY(written.startsWith(kChirpHeader));
        QVERIFY2(written.contains("\r\n4,\"Rep, A\",145.600000,-,0.600000,"), written);
        QVERIFY2(written.contains("\r\n2,Far,29.600000,split,145.500000,"), written);
    } else {
        // The name as gqrx writes and reads it: raw, ";" and the line break replaced.
        QVERIFY2(written.contains("\n145500000 ; Say \"hi\", now then ; Narrow FM ; 10000 ; "
                                  "Untagged\n"),
                 written);
        QVERIFY2(issues.contains("the name is written as \"Say \"hi\", now then\": gqrx "
                                 "bookmarks hold no \";\" (written as \",\") and no line break "
                                 "(written as a blank)"),
                 qPrintable(issues.join('\n')));
    }
    const QString target = fixture::makeDatabase(m_dir.path(), "RTBACK.MDB", {});
    issues.clear();
    const ImportResult in = importCollecting(file, target, {}, &issues);
    QVERIFY2(in.ok, qPrintable(in.error));
    QCOMPARE(fixture::rowsOf(target, kAllRows), back);
}

void TestMemoryFormats::nameLongerThanTheColumnIsRefused()
{
    // A database whose Name column declares a size (another program's file).
    const QString db = fixture::makeDatabase(m_dir.path(), "SIZED.MDB", {});
    QVERIFY(QFile::remove(db));
    {
        QSqlDatabase sized = QSqlDatabase::addDatabase("QSQLITE", "sized");
        sized.setDatabaseName(db);
        QVERIFY(sized.open());
        QVERIFY(QSqlQuery(sized).exec(
            "CREATE TABLE TabFreq (id INTEGER PRIMARY KEY, Name TEXT(8), MHz TEXT, KHz TEXT, "
            "Hz TEXT, Mode TEXT, sMHz TEXT, sKHz TEXT, sHz TEXT, Split INTEGER, Scan TEXT)"));
        sized.close();
    }
    QSqlDatabase::removeDatabase("sized");
    QStringList issues;
    ImportOptions options;
    options.skipBad = true;
    const ImportResult result =
        importCollecting(writeFile(m_dir, "names.csv",
                                   "Name,Frequency,Mode\nEightChr,145.5,FM\nNineChars,145.6,FM\n"),
                         db, options, &issues);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(issues, QStringList{"3: the name is 9 characters long; the database allows 8"});
    QCOMPARE(fixture::rowsOf(db, "SELECT Name FROM TabFreq"), QStringList{"EightChr"});
}

void TestMemoryFormats::cancelLeavesDatabaseAndFileAsTheyWere()
{
    QByteArray many = "Name,Frequency,Mode\n";
    for (int i = 0; i < 5000; ++i)
        many += "M" + QByteArray::number(i) + ",145." + QByteArray::number(100000 + i) + ",FM\n";
    const QString file = writeFile(m_dir, "many.csv", many);
    const QString db = fixture::makeDatabase(m_dir.path(), "CANCEL.MDB",
                                             {fixture::memory("Kept", "007", "050", "000", "LSB")});
    const QByteArray before = fixture::bytesOf(db);
    qint64 firstDone = -1;
    qint64 firstTotal = -1;
    ExchangeCallbacks callbacks;
    callbacks.progress = [&](qint64 done, qint64 total) {
        if (firstDone < 0)
            firstDone = done, firstTotal = total;
    };
    callbacks.cancelRequested = [] { return true; };
    const ImportResult in = importMemories(file, db, {}, callbacks);
    QVERIFY(!in.ok && in.cancelled);
    QCOMPARE(in.error, QStringLiteral("The import was cancelled; nothing was imported; the "
                                      "database is as it was"));
    QCOMPARE(fixture::bytesOf(db), before);
    // Rows are checked and written as they are read: the first report comes long before the
    // end of the file (which the first pass counted).
    QCOMPARE(firstTotal, 5001);
    QCOMPARE(firstDone, 1000);

    fixture::fillGenerated(db, 3000);
    const QString old = writeFile(m_dir, "old.csv", "an older export\n");
    const ExportResult out =
        exportMemories(db, old, MemoryFormat::Chirp, ViewOrder::None, callbacks);
    QVERIFY(!out.ok && out.cancelled);
    QCOMPARE(fixture::bytesOf(old), QByteArray("an older export\n"));
    QCOMPARE(QDir(m_dir.path()).entryList({"old.csv*"}, QDir::Files | QDir::Hidden),
             QStringList{"old.csv"});
}

QTEST_GUILESS_MAIN(TestMemoryFormats)
#include "tst_memoryformats.moc"
