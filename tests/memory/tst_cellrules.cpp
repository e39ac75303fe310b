#include "memory/cellrules.h"
#include "memory/datafreq.h"

#include <QTest>

using Status = Int16Conversion::Status;
using Icon = CellVerdict::Icon;

class TestCellRules : public QObject {
    Q_OBJECT
private slots:
    void conversion_data();
    void conversion();
    void cellRule_data();
    void cellRule();
    void splitFlag_data();
    void splitFlag();
};

void TestCellRules::conversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Status>("status");
    QTest::addColumn<int>("value");

    QTest::newRow("plain") << "145" << Status::Ok << 145;
    QTest::newRow("leading zeros") << "007" << Status::Ok << 7;
    QTest::newRow("blanks around") << "  42 \t" << Status::Ok << 42;
    QTest::newRow("plus sign") << "+5" << Status::Ok << 5;
    QTest::newRow("negative") << "-1" << Status::Ok << -1;
    QTest::newRow("half to even down") << "2.5" << Status::Ok << 2;
    QTest::newRow("half to even up") << "3.5" << Status::Ok << 4;
    QTest::newRow("half of zero") << "0.5" << Status::Ok << 0;
    QTest::newRow("point first") << ".6" << Status::Ok << 1;
    QTest::newRow("exponent") << "1e2" << Status::Ok << 100;
    QTest::newRow("tiny exponent") << "1e-400" << Status::Ok << 0;
    QTest::newRow("top") << "32767" << Status::Ok << 32767;
    QTest::newRow("bottom by rounding") << "-32768.5" << Status::Ok << -32768;
    QTest::newRow("over top") << "32768" << Status::Overflow << 0;
    QTest::newRow("over top by rounding") << "32767.5" << Status::Overflow << 0;
    QTest::newRow("huge") << "1e400" << Status::Overflow << 0;
    QTest::newRow("many digits") << QString(50, u'9') << Status::Overflow << 0;
    QTest::newRow("empty") << "" << Status::Format << 0;
    QTest::newRow("blanks only") << "   " << Status::Format << 0;
    QTest::newRow("letters") << "abc" << Status::Format << 0;
    QTest::newRow("digits then letters") << "12a" << Status::Format << 0;
    QTest::newRow("blank inside") << "1 2" << Status::Format << 0;
    QTest::newRow("two points") << "1.2.3" << Status::Format << 0;
    QTest::newRow("non-ascii digits") << QString::fromUtf8("\xd9\xa3") << Status::Format << 0;
}

void TestCellRules::conversion()
{
    QFETCH(QString, text);
    QFETCH(Status, status);
    QFETCH(int, value);
    const Int16Conversion result = convertInt16(text);
    QCOMPARE(result.status, status);
    if (status == Status::Ok)
        QCOMPARE(result.value, value);
}

void TestCellRules::cellRule_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("previous");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("cellText");
    QTest::addColumn<QString>("message");
    QTest::addColumn<Icon>("icon");

    const QString none;
    const QString wrongFreq = "Wrong frequency";
    const QString wrongFormat = "Wrong frequency format";
    const QString beforeUpdate = "Error Before Update";
    using namespace memcol;
    auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };

    // MHz: 1..200, three characters.
    row("MHz 1 padded") << kMHz << "1"
                        << "145" << false << "001" << none << Icon::None;
    row("MHz 14 padded") << kMHz << "14"
                         << "145" << false << "014" << none << Icon::None;
    row("MHz 200 accepted") << kMHz << "200"
                            << "145" << false << "200" << none << Icon::None;
    row("MHz blanks dropped") << kMHz << " 7 "
                              << "145" << false << "007" << none << Icon::None;
    row("MHz half to even") << kMHz << "2.5"
                            << "145" << false << "002" << none << Icon::None;
    row("MHz half to even up") << kMHz << "3.5"
                               << "145" << false << "004" << none << Icon::None;
    row("MHz four digits") << kMHz << "0014"
                           << "145" << false << "014" << none << Icon::None;
    row("MHz 0 refused") << kMHz << "0"
                         << "145" << true << "145" << wrongFreq << Icon::None;
    row("MHz 201 refused") << kMHz << "201"
                           << "145" << true << "145" << wrongFreq << Icon::None;
    row("MHz refused pads previous") << kMHz << "0"
                                     << "14" << true << "014" << wrongFreq << Icon::None;
    row("MHz refused pads empty previous") << kMHz << "999"
                                           << "" << true << "000" << wrongFreq << Icon::None;
    row("MHz letters") << kMHz << "abc"
                       << "145" << true << "abc" << wrongFormat << Icon::None;
    row("MHz emptied") << kMHz << ""
                       << "145" << true << "" << wrongFormat << Icon::None;
    row("MHz overflow") << kMHz << "40000"
                        << "145" << true << "40000" << beforeUpdate << Icon::Critical;

    // KHz and Hz: 0..999.
    row("KHz 7 padded") << kKHz << "7"
                        << "500" << false << "007" << none << Icon::None;
    row("KHz 74 padded") << kKHz << "74"
                         << "500" << false << "074" << none << Icon::None;
    row("KHz 999 accepted") << kKHz << "999"
                            << "500" << false << "999" << none << Icon::None;
    row("KHz 0 accepted") << kKHz << "0"
                          << "500" << false << "000" << none << Icon::None;
    row("KHz 1000 refused") << kKHz << "1000"
                            << "500" << true << "500" << wrongFreq << Icon::None;
    row("KHz -1 refused") << kKHz << "-1"
                          << "500" << true << "500" << wrongFreq << Icon::None;
    row("KHz overflow 40000") << kKHz << "40000"
                              << "500" << true << "40000" << beforeUpdate << Icon::Critical;
    row("KHz negative overflow") << kKHz << "-40000"
                                 << "500" << true << "-40000" << beforeUpdate << Icon::Critical;
    row("KHz letters") << kKHz << "x1"
                       << "500" << true << "x1" << wrongFormat << Icon::None;
    row("Hz 0 padded") << kHz << "0"
                       << "100" << false << "000" << none << Icon::None;
    row("Hz 1000 refused") << kHz << "1000"
                           << "100" << true << "100" << wrongFreq << Icon::None;
    row("Hz emptied") << kHz << ""
                      << "100" << true << "" << wrongFormat << Icon::None;

    // Split parts: empty is valid, silently.
    row("sMHz emptied") << kSMHz << ""
                        << "145" << false << "" << none << Icon::None;
    row("sMHz blanks only") << kSMHz << "  "
                            << "145" << false << "" << none << Icon::None;
    row("sMHz 0 refused") << kSMHz << "0"
                          << "145" << true << "145" << wrongFreq << Icon::None;
    row("sMHz refused keeps empty previous") << kSMHz << "201"
                                             << "" << true << "" << wrongFreq << Icon::None;
    row("sMHz 145 accepted") << kSMHz << "145"
                             << "" << false << "145" << none << Icon::None;
    row("sKHz 0 padded") << kSKHz << "0"
                         << "" << false << "000" << none << Icon::None;
    row("sKHz 1000 refused") << kSKHz << "1000"
                             << "600" << true << "600" << wrongFreq << Icon::None;
    row("sKHz letters") << kSKHz << "zz"
                        << "600" << true << "zz" << wrongFormat << Icon::None;
    row("sHz overflow") << kSHz << "99999"
                        << "" << true << "99999" << beforeUpdate << Icon::Critical;
    row("sHz emptied") << kSHz << ""
                       << "000" << false << "" << none << Icon::None;

    // Mode: trimmed, upper case, one of seven.
    row("mode usb") << kMode << "  usb "
                    << "FM" << false << "USB" << none << Icon::None;
    row("mode Rtty") << kMode << "Rtty"
                     << "FM" << false << "RTTY" << none << Icon::None;
    row("mode wfm") << kMode << "wfm"
                    << "FM" << false << "WFM" << none << Icon::None;
    const QString wrongMode = "Wrong operation mode. Use: LSB, USB, AM, CW, RTTY, FM, WFM";
    row("mode unknown") << kMode << "SSB"
                        << "FM" << true << "FM" << wrongMode << Icon::None;
    row("mode empty") << kMode << ""
                      << "LSB" << true << "LSB" << wrongMode << Icon::None;

    // Scan: "Y", empty, and "N" stored as the empty text.
    const QString wrongScan = "Wrong scan flag. Use: Y,N";
    row("scan y") << kScan << "y"
                  << "" << false << "Y" << none << Icon::None;
    row("scan blanks y") << kScan << " Y "
                         << "" << false << "Y" << none << Icon::None;
    row("scan empty") << kScan << ""
                      << "Y" << false << "" << none << Icon::None;
    row("scan n stored empty") << kScan << "n"
                               << "Y" << false << "" << none << Icon::None;
    row("scan X refused") << kScan << "X"
                          << "Y" << true << "Y" << wrongScan << Icon::None;
    row("scan YES refused") << kScan << "yes"
                            << "" << true << "" << wrongScan << Icon::None;

    // No rule.
    row("name anything") << kName << " 40 m net "
                         << "" << false << " 40 m net " << none << Icon::None;
    row("split cell") << kSplit << "whatever"
                      << "0" << false << "whatever" << none << Icon::None;
}

void TestCellRules::cellRule()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, previous);
    QFETCH(bool, cancel);
    QFETCH(QString, cellText);
    QFETCH(QString, message);
    QFETCH(Icon, icon);

    const CellVerdict verdict = checkCellEdit(column, typed, previous);
    QCOMPARE(verdict.cancel, cancel);
    QCOMPARE(verdict.cellText, cellText);
    QCOMPARE(verdict.message, message);
    QCOMPARE(verdict.icon, icon);
}

void TestCellRules::splitFlag_data()
{
    QTest::addColumn<QString>("sMHz");
    QTest::addColumn<QString>("sKHz");
    QTest::addColumn<QString>("sHz");
    QTest::addColumn<bool>("split");

    QTest::newRow("all three") << "145"
                               << "000"
                               << "000" << true;
    QTest::newRow("first only") << "145"
                                << ""
                                << "" << false;
    QTest::newRow("first two") << "145"
                               << "000"
                               << "" << false;
    QTest::newRow("null part") << "145" << QString() << "000" << false;
    QTest::newRow("none") << ""
                          << ""
                          << "" << false;
}

void TestCellRules::splitFlag()
{
    QFETCH(QString, sMHz);
    QFETCH(QString, sKHz);
    QFETCH(QString, sHz);
    QFETCH(bool, split);
    QCOMPARE(splitFromParts(sMHz, sKHz, sHz), split);
}

QTEST_APPLESS_MAIN(TestCellRules)
#include "tst_cellrules.moc"
