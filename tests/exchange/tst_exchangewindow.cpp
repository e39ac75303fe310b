// Memories in and out through the window: a database filled by corvane-memories shown in the
// grid and recalled into the virtual radio, and the "&Bookmarks" menu's import (preview,
// confirmation, refreshed grid) and export, offscreen against real SQLite files.
#include "../ui/radiobench.h"

#include "memory/bookmarkfiles.h"
#include "memory/datafreq.h"
#include "settings/inifile.h"
#include "support/memoryfixture.h"
#include "support/ptyclient.h"
#include "ui/importdialog.h"
#include "ui/memoryexchange.h"

#include <QAction>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

const QString kHome = QStringLiteral("HOME.MDB");

QString writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QStringList gridNames(const RadioBench& bench)
{
    const auto* grid = bench.find<QTableView>("DBGrid1");
    QStringList names;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        names.append(grid->model()->index(row, memcol::kName).data().toString());
    return names;
}

}  // namespace

class TestExchangeWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void toolFillsDatabaseWindowShowsAndRecallsSplit();
    void menuImportPreviewsThenAddsAndRefreshes();
    void menuExportWritesTheViewOrder();
    void progressDialogNeverOutlivesItsJob();

private:
    bool startWithHome(const QList<fixture::Row>& rows);
    QString homePath() const { return m_bench->appPath() + kHome; }
    std::unique_ptr<RadioBench> m_bench;
};

void TestExchangeWindow::init()
{
    m_bench = std::make_unique<RadioBench>();
    QVERIFY(m_bench->startRadio());
}

void TestExchangeWindow::cleanup()
{
    MemoryExchange::setFileChooser({});
    m_bench.reset();
}

bool TestExchangeWindow::startWithHome(const QList<fixture::Row>& rows)
{
    QString dir = m_bench->appPath();
    dir.chop(1);  // AppPath ends in a separator
    fixture::makeDatabase(dir, kHome, rows);
    const QString section = QString::fromLatin1(kBookmarksSection);
    return WriteINI(m_bench->settingsFile(), section, "BOOK0CAPTION", "Home") &&
           WriteINI(m_bench->settingsFile(), section, "BOOK0", kHome);
}

void TestExchangeWindow::toolFillsDatabaseWindowShowsAndRecallsSplit()
{
    RadioBench& bench = *m_bench;
    QVERIFY(startWithHome({fixture::memory("Zulu", "007", "050", "000", "LSB")}));
    QVERIFY(bench.loadWindow());
    QCOMPARE(bench.find<QLabel>("MemName")->text(), QStringLiteral("Zulu"));
    // A file as CHIRP saves it: a repeater 600 kHz below, and a simplex channel.
    const QString file = writeFile(
        bench.appPath() + "US Calling Frequencies.csv",
        "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
        "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\r\n"
        "1,Repeater,145.600000,-,0.600000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,50W,,,,,\r\n"
        "2,Calling,146.520000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,50W,,,,,\r\n");
    QProcess tool;
    tool.start(QStringLiteral(CORVANE_MEMORIES_PATH), {"import", file, homePath()});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()),
             "Read " + file + " as CHIRP CSV, UTF-8.\n2 memories added to " + homePath() + ".\n");

    // The window open on the file sees the rows the tool added, and stays on its record.
    QTRY_COMPARE_WITH_TIMEOUT(gridNames(bench), (QStringList{"Calling", "Repeater", "Zulu"}),
                              10000);
    QCOMPARE(bench.find<QLabel>("MemName")->text(), QStringLiteral("Zulu"));
    auto* grid = bench.find<QTableView>("DBGrid1");
    QCOMPARE(grid->currentIndex().row(), 2);
    grid->setCurrentIndex(grid->model()->index(1, memcol::kMHz));
    QCOMPARE(bench.find<QLabel>("MemName")->text(), QStringLiteral("Repeater"));
    QCOMPARE(bench.find<QLabel>("SplitFreq")->text(), QStringLiteral("145.000.000"));

    bench.click("Crecall");
    const QStringList seven = {
        frameTo48("0701"), frameTo48("050000004501"), frameTo48("0F01"), frameTo48("0605"),
        frameTo48("0700"), frameTo48("050000604501"), frameTo48("0605")};
    QVERIFY(bench.waitForFrames(7));
    QCOMPARE(bench.frames(), seven);
    QVERIFY(bench.messages().isEmpty());
}

void TestExchangeWindow::menuImportPreviewsThenAddsAndRefreshes()
{
    RadioBench& bench = *m_bench;
    QVERIFY(startWithHome({fixture::memory("Delta", "007", "050", "000", "LSB")}));
    QVERIFY(bench.loadWindow());
    const QString file = writeFile(bench.appPath() + "bookmarks.csv",
                                   "# Tag name ; color\nUntagged ; #c0c0c0\n\n"
                                   "# Frequency ; Name ; Modulation ; Bandwidth ; Tags\n"
                                   "145500000 ; Bravo ; Narrow FM ; 10000 ; Untagged\n"
                                   "145000000 ; Raw ; Raw I/Q ; 10000 ; Untagged\n"
                                   "  7074000 ; Alpha ; USB ; 2800 ; Untagged\n");
    MemoryExchange::setFileChooser([&file](bool forExport, QWidget*, const QString&) {
        return forExport ? MemoryExchange::FileChoice{} : MemoryExchange::FileChoice{file, {}};
    });
    const QByteArray before = fixture::bytesOf(homePath());
    bench.window()->findChild<QAction*>("Mimport")->trigger();

    ImportDialog* dialog = nullptr;
    QTRY_VERIFY((dialog = bench.window()->findChild<ImportDialog*>()) && dialog->isVisible());
    const QString summary = dialog->findChild<QLabel*>("importSummary")->text();
    QVERIFY2(summary.contains("Encoding: UTF-8\n\n2 memories will be added to " + homePath() +
                              ".\n1 rows cannot be imported:"),
             qPrintable(summary));
    QCOMPARE(dialog->findChild<QPlainTextEdit*>("importRefused")->toPlainText(),
             QStringLiteral("line 6: the modulation \"Raw I/Q\" has no mode on this radio (LSB, "
                            "USB, AM, CW, RTTY, FM, WFM)"));
    auto* import = dialog->findChild<QPushButton*>("importButton");
    QCOMPARE(import->text(), QStringLiteral("Import the 2 good rows"));
    QCOMPARE(fixture::bytesOf(homePath()), before);  // nothing before the confirmation

    import->click();
    QTRY_COMPARE(gridNames(bench), (QStringList{"Alpha", "Bravo", "Delta"}));
    QTRY_COMPARE(bench.messages().size(), 1);
    QCOMPARE(bench.messages().first().text,
             "2 memories added to " + homePath() +
                 ".\n1 rows were not imported (listed before the import).");
    QCOMPARE(bench.find<QLabel>("MemName")->text(), QStringLiteral("Alpha"));
    QCOMPARE(fixture::rowsOf(homePath(),
                             "SELECT Name,MHz,KHz,Hz,Mode,Split,Scan FROM TabFreq "
                             "ORDER BY id"),
             (QStringList{"Delta|007|050|000|LSB|0|~", "Bravo|145|500|000|FM|0|~",
                          "Alpha|007|074|000|USB|0|~"}));
}

void TestExchangeWindow::menuExportWritesTheViewOrder()
{
    RadioBench& bench = *m_bench;
    QVERIFY(startWithHome({fixture::memory("Alpha", "145", "500", "000", "FM", "Y"),
                           fixture::memory("Bravo", "014", "250", "000", "USB"),
                           fixture::memory("Charlie", "007", "050", "000", "LSB", "Y")}));
    QVERIFY(bench.loadWindow());
    bench.window()->findChild<QAction*>("Msort_freq")->trigger();
    bench.window()->findChild<QAction*>("Msort_scan")->trigger();  // the filter: all rows still
    const QString file = bench.appPath() + "out.csv";
    writeFile(file, "an older file\n");
    MemoryExchange::setFileChooser([&file](bool forExport, QWidget*, const QString&) {
        return forExport ? MemoryExchange::FileChoice{file, MemoryFormat::OwnCsv}
                         : MemoryExchange::FileChoice{};
    });
    bench.window()->findChild<QAction*>("Mexport")->trigger();
    QTRY_COMPARE(bench.messages().size(), 1);
    QCOMPARE(bench.messages().first().text, "3 memories written to " + file + " as Corvane CSV.");
    QCOMPARE(fixture::bytesOf(file), QByteArray("Name,MHz,KHz,Hz,Mode,sMHz,sKHz,sHz,Split,Scan\n"
                                                "Charlie,007,050,000,LSB,,,,0,Y\n"
                                                "Bravo,014,250,000,USB,,,,0,\n"
                                                "Alpha,145,500,000,FM,,,,0,Y\n"));
}

void TestExchangeWindow::progressDialogNeverOutlivesItsJob()
{
    RadioBench& bench = *m_bench;
    QVERIFY(startWithHome({}));
    QVERIFY(bench.loadWindow());
    const QString file = writeFile(bench.appPath() + "three.csv",
                                   "Name,MHz,KHz,Hz,Mode,sMHz,sKHz,sHz,Split,Scan\n"
                                   "A,145,500,000,FM,,,,0,\n"
                                   "B,014,074,000,USB,,,,0,\n"
                                   "C,007,050,000,LSB,,,,0,\n");
    MemoryExchange::setFileChooser([&file](bool forExport, QWidget*, const QString&) {
        return forExport ? MemoryExchange::FileChoice{} : MemoryExchange::FileChoice{file, {}};
    });
    // Every progress dialog that comes on screen, from the first click on.
    struct ShowWatch : QObject {
        int shown = 0;
        bool eventFilter(QObject* object, QEvent* event) override
        {
            if (event->type() == QEvent::Show && qobject_cast<QProgressDialog*>(object))
                ++shown;
            return false;
        }
    } watch;
    qApp->installEventFilter(&watch);
    // The operator reads the result for five seconds, the box's own loop running (a
    // QProgressDialog's show timer runs four).
    QStringList boxes;
    setMessageHandler([&boxes](const MessageRequest& request) {
        boxes.append(request.text);
        QEventLoop reading;
        QTimer::singleShot(5000, &reading, &QEventLoop::quit);
        reading.exec();
        return QMessageBox::Ok;
    });
    bench.window()->findChild<QAction*>("Mimport")->trigger();
    ImportDialog* dialog = nullptr;
    QTRY_VERIFY((dialog = bench.window()->findChild<ImportDialog*>()) && dialog->isVisible());
    dialog->findChild<QPushButton*>("importButton")->click();
    QTRY_COMPARE_WITH_TIMEOUT(boxes.size(), 1, 20000);
    qApp->removeEventFilter(&watch);
    QVERIFY2(boxes.first().startsWith("3 memories added"), qPrintable(boxes.first()));
    QCOMPARE(watch.shown, 0);
}

QTEST_MAIN(TestExchangeWindow)
#include "tst_exchangewindow.moc"
