// The memories in the whole window: start-up from the settings file, recall, adding, views,
// switching bookmark databases, the pending edit at quit and the bookmark scan, against the
// virtual radio and real SQLite files in a temporary directory.
#include "radiobench.h"

#include "memory/bookmarkfiles.h"
#include "memory/datafreq.h"
#include "memory/views.h"
#include "settings/inifile.h"
#include "support/memoryfixture.h"
#include "support/ptyclient.h"
#include "ui/displayframe.h"
#include "ui/mainmenus.h"
#include "ui/memorycontroller.h"
#include "ui/memorymenus.h"
#include "ui/scancontroller.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <set>

namespace {

/** One stored memory: Name, MHz, KHz, Hz, Mode, sMHz, sKHz, sHz, Scan; Split follows the
 *  split parts. */
using Memory = QStringList;

const QString kHome = QStringLiteral("HOME.MDB");
const QList<Memory> kHomeMemories = {
    {"Bravo", "014", "250", "000", "USB", "", "", "", "Y"},
    {"Alpha", "145", "500", "000", "FM", "", "", "", "Y"},
    {"Charlie", "007", "050", "000", "LSB", "", "", "", ""},
};

/** Runs statements on a database file through a connection of the test's own. */
bool exec(const QString& path, const QStringList& statements, QList<QStringList>* rows = nullptr)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "memwin-test");
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery query(db);
        for (const QString& statement : statements) {
            ok = ok && query.exec(statement);
            while (ok && rows && query.next()) {
                QStringList row;
                for (int i = 0; i < query.record().count(); ++i)
                    row.append(query.value(i).toString());
                rows->append(row);
            }
        }
        if (!ok)
            qWarning("%s", qPrintable(query.lastError().text()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("memwin-test"));
    return ok;
}

bool createBook(const QString& path, const QList<Memory>& memories)
{
    QList<fixture::Row> rows;
    for (const Memory& m : memories) {
        const bool split = !m[5].isEmpty();
        rows.append({m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], split ? 1 : 0, m[8]});
    }
    const QFileInfo file(path);
    return fixture::makeDatabase(file.absolutePath(), file.fileName(), rows) == path;
}

/** Writes key=value into section BOOKMARKS. */
bool setBook(RadioBench& bench, const QString& key, const QString& value)
{
    return WriteINI(bench.settingsFile(), QString::fromLatin1(kBookmarksSection), key, value);
}

/** The grid's texts in one column, top to bottom. */
QStringList gridColumn(const RadioBench& bench, int column)
{
    const auto* grid = bench.find<QTableView>("DBGrid1");
    QStringList texts;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        texts.append(grid->model()->index(row, column).data().toString());
    return texts;
}

void selectGridRow(RadioBench& bench, const QString& name)
{
    auto* grid = bench.find<QTableView>("DBGrid1");
    const int row = static_cast<int>(gridColumn(bench, memcol::kName).indexOf(name));
    QVERIFY2(row >= 0, qPrintable(name));
    grid->setCurrentIndex(grid->model()->index(row, memcol::kMHz));
}

QString label(const RadioBench& bench, const char* name)
{
    return bench.find<QLabel>(name)->text();
}

MemoryController* controller(const RadioBench& bench)
{
    return bench.window()->findChild<MemoryController*>();
}

/** Writes a probe frame behind everything on the line and waits until it is in: every frame
 *  the window sent before it has then arrived too. */
bool probeLine(RadioBench& bench, int framesBefore)
{
    PtyClient probe;
    if (!probe.open(bench.radio().devicePath()) ||
        !probe.write(QByteArray::fromHex("FEFE48E003FD")))
        return false;
    return bench.waitForFrames(framesBefore + 1) && bench.frames().last() == frameTo48("03");
}

}  // namespace

class TestMemoryWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startupFillsMenuPanelAndGrid();
    void unreadableDefaultDatabaseIsToldWhenShown();
    void recallFromButton_data();
    void recallFromButton();
    void recallSendsTheMemoryItStartedWith();
    void addFromDisplayAndPad_data();
    void addFromDisplayAndPad();
    void viewChangeReordersGrid();
    void failedSwitchRestoresPreviousDatabase();
    void pendingEditKeptAtQuit();
    void scanThroughWindow_data();
    void scanThroughWindow();
    void demoListsTwoDatabasesOnce();
    void keyboardAloneReachesEveryControl();

private:
    bool startWithHome(const QList<Memory>& memories = kHomeMemories);

    std::unique_ptr<RadioBench> m_bench;
};

void TestMemoryWindow::init()
{
    m_bench = std::make_unique<RadioBench>();
    QVERIFY(m_bench->startRadio());
}

void TestMemoryWindow::cleanup()
{
    m_bench.reset();
}

bool TestMemoryWindow::startWithHome(const QList<Memory>& memories)
{
    return createBook(m_bench->appPath() + kHome, memories) &&
           setBook(*m_bench, "BOOK0CAPTION", "Home") && setBook(*m_bench, "BOOK0", kHome) &&
           m_bench->loadWindow();
}

void TestMemoryWindow::startupFillsMenuPanelAndGrid()
{
    RadioBench& bench = *m_bench;
    QVERIFY(createBook(bench.appPath() + "CONTEST.MDB", {}));
    QVERIFY(setBook(bench, "BOOK1CAPTION", "Contest") && setBook(bench, "BOOK1", "CONTEST.MDB"));
    QVERIFY(setBook(bench, "BOOK3CAPTION", "After a gap") && setBook(bench, "BOOK3", "X.MDB"));
    QVERIFY(startWithHome());

    const QList<QAction*>& books = bench.window()->menus()->bookActions();
    QCOMPARE(books.size(), 2);
    QCOMPARE(books[0]->text(), QStringLiteral("Home"));
    QCOMPARE(books[1]->text(), QStringLiteral("Contest"));
    QVERIFY(books[0]->isChecked() && !books[1]->isChecked());
    QCOMPARE(controller(bench)->menus()->bookCount(), 1);
    QCOMPARE(label(bench, "NomeDB"), bench.appPath() + kHome);
    QCOMPARE(controller(bench)->dataFreq()->recordSource(),
             QStringLiteral("SELECT * FROM TabFreq ORDER BY Name,MHz,KHz,Hz"));
    QCOMPARE(gridColumn(bench, memcol::kName), (QStringList{"Alpha", "Bravo", "Charlie"}));
    QCOMPARE(label(bench, "MainFreq"), QStringLiteral("145.500.000"));
    QCOMPARE(label(bench, "MemMode"), QStringLiteral("FM"));
    QCOMPARE(label(bench, "MemName"), QStringLiteral("Alpha"));
    QVERIFY(bench.find<QLabel>("SplitFreq")->isHidden());
    QVERIFY(bench.messages().isEmpty());

    // The navigation bar past the last record stays on the last one.
    bench.click("DataFreqLast");
    bench.click("DataFreqNext");
    QCOMPARE(label(bench, "MemName"), QStringLiteral("Charlie"));
    QCOMPARE(bench.find<QTableView>("DBGrid1")->currentIndex().row(), 2);
}

void TestMemoryWindow::unreadableDefaultDatabaseIsToldWhenShown()
{
    RadioBench& bench = *m_bench;
    QVERIFY(setBook(bench, "BOOK0", "MISSING.MDB"));
    QVERIFY(bench.loadWindow());
    QVERIFY(bench.messages().isEmpty());
    bench.window()->show();
    QTRY_COMPARE(bench.messages().size(), 1);
    QCOMPARE(bench.messages().first().icon, QMessageBox::Critical);
    QVERIFY2(bench.messages().first().text.contains("MISSING.MDB"),
             qPrintable(bench.messages().first().text));
    QCOMPARE(bench.find<QTableView>("DBGrid1")->model()->rowCount(), 0);
    QCOMPARE(label(bench, "MainFreq"), QString());
}

void TestMemoryWindow::recallFromButton_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<bool>("splitShown");
    QTest::newRow("no split: four frames")
        << "Alpha"
        << QStringList{frameTo48("0F00"), frameTo48("0700"), frameTo48("050000504501"),
                       frameTo48("0605")}
        << false;
    QTest::newRow("split: seven frames")
        << "Repeater"
        << QStringList{frameTo48("0701"), frameTo48("050000004501"), frameTo48("0F01"),
                       frameTo48("0605"), frameTo48("0700"),         frameTo48("050000604501"),
                       frameTo48("0605")}
        << true;
    QTest::newRow("mode in lower case: nothing sent") << "Lower" << QStringList{} << false;
}

void TestMemoryWindow::recallFromButton()
{
    QFETCH(QString, name);
    QFETCH(QStringList, frames);
    QFETCH(bool, splitShown);
    RadioBench& bench = *m_bench;
    QVERIFY(startWithHome({{"Alpha", "145", "500", "000", "FM", "", "", "", ""},
                           {"Repeater", "145", "600", "000", "FM", "145", "000", "000", ""},
                           {"Lower", "145", "500", "000", "usb", "", "", "", ""}}));
    selectGridRow(bench, name);
    QCOMPARE(label(bench, "MemName"), name);

    bench.click("Crecall");
    QVERIFY(probeLine(bench, static_cast<int>(frames.size())));
    QCOMPARE(bench.frames().mid(0, frames.size()), frames);
    QCOMPARE(bench.window()->displayFrame()->splitShown(), splitShown);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    if (frames.isEmpty()) {
        QCOMPARE(bench.messages().size(), 1);
        QCOMPARE(bench.messages().first().title, QStringLiteral("Recall"));
        QVERIFY(bench.messages().first().text.contains("usb"));
    } else {
        QVERIFY(bench.messages().isEmpty());
    }
}

void TestMemoryWindow::recallSendsTheMemoryItStartedWith()
{
    RadioBench& bench = *m_bench;
    QVERIFY(startWithHome({{"Alpha", "145", "500", "000", "FM", "", "", "", ""},
                           {"Repeater", "145", "600", "000", "USB", "145", "000", "000", ""}}));
    selectGridRow(bench, "Alpha");

    // The current row's MHz is edited and stored: the panel, and RECALL, take the new one.
    QAbstractItemModel* model = bench.find<QTableView>("DBGrid1")->model();
    const int alpha = static_cast<int>(gridColumn(bench, memcol::kName).indexOf("Alpha"));
    QVERIFY(model->setData(model->index(alpha, memcol::kMHz), "146"));
    QVERIFY(controller(bench)->writePendingRow());
    QCOMPARE(label(bench, "MainFreq"), QStringLiteral("146.500.000"));

    // The operator clicks another memory while the recall pauses after its first frame.
    bench.clearFrames();
    connect(
        &bench.radio(), &VirtualRadio::frameReceived, this,
        [this, &bench] {
            QTimer::singleShot(0, this, [&bench] { selectGridRow(bench, "Repeater"); });
        },
        Qt::SingleShotConnection);
    bench.click("Crecall");
    QVERIFY(probeLine(bench, 4));
    QCOMPARE(bench.frames().mid(0, 4), (QStringList{frameTo48("0F00"), frameTo48("0700"),
                                                    frameTo48("050000504601"), frameTo48("0605")}));
    QCOMPARE(label(bench, "MemName"), QStringLiteral("Repeater"));
    QVERIFY(bench.messages().isEmpty());
}

void TestMemoryWindow::addFromDisplayAndPad_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<quint64>("radioHz");  // told by the radio in LSB; 0: the radio is silent
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("stored");  // MHz, KHz, Hz, Mode, Split; empty: refused
    QTest::newRow("display 7.050.000") << "CaddCurrMem" << quint64(7'050'000) << "7.050.000"
                                       << "" << QStringList{"007", "050", "000", "LSB", "0"};
    QTest::newRow("display below 1 MHz") << "CaddCurrMem" << quint64(500'000) << ".500.000"
                                         << "" << QStringList{"000", "500", "000", "LSB", "0"};
    QTest::newRow("nothing told yet refused") << "CaddCurrMem" << quint64(0) << ""
                                              << "" << QStringList{};
    QTest::newRow("pad 144.300.000") << "CaddMain" << quint64(145'400'000) << "145.400.000"
                                     << "144300000" << QStringList{"144", "300", "000", "LSB", "0"};
    QTest::newRow("half-keyed pad refused") << "CaddMain" << quint64(145'400'000) << "145.400.000"
                                            << "1443" << QStringList{};
}

void TestMemoryWindow::addFromDisplayAndPad()
{
    QFETCH(QString, button);
    QFETCH(quint64, radioHz);
    QFETCH(QString, display);
    QFETCH(QString, keys);
    QFETCH(QStringList, stored);
    RadioBench& bench = *m_bench;
    bench.radio().setSilent(radioHz == 0);  // no echo: the radio's frequency stays unknown
    QVERIFY(startWithHome());
    if (radioHz != 0) {
        // ADD MEM takes what the radio told, not what a label says.
        QTRY_COMPARE(label(bench, "Freq"), QStringLiteral("145.400.000"));
        bench.radio().setFrequency(radioHz);
        bench.radio().setMode(0);
        QTRY_COMPARE(label(bench, "Lmode"), QStringLiteral("LSB"));
        QTRY_COMPARE(label(bench, "Freq"), display);
    }
    for (const QChar key : keys)
        bench.click(qPrintable(QStringLiteral("Tasto_%1").arg(key)));

    bench.click(qPrintable(button));
    QList<QStringList> rows;
    QVERIFY(exec(bench.appPath() + kHome,
                 {"SELECT MHz, KHz, Hz, Mode, Split FROM TabFreq WHERE Name IS NULL"}, &rows));
    if (stored.isEmpty()) {
        QVERIFY(rows.isEmpty());
        QCOMPARE(bench.messages().size(), 1);
        QCOMPARE(bench.messages().first().title, QStringLiteral("Error writing memory"));
        QCOMPARE(bench.messages().first().icon, QMessageBox::Critical);
        QCOMPARE(gridColumn(bench, memcol::kName).size(), kHomeMemories.size());
        return;
    }
    QCOMPARE(rows, QList<QStringList>{stored});
    // By name, the new memory without a name comes first in the grid.
    QCOMPARE(gridColumn(bench, memcol::kMHz).first(), stored[0]);
    QCOMPARE(gridColumn(bench, memcol::kName).size(), kHomeMemories.size() + 1);
    QVERIFY(bench.messages().isEmpty());
}

void TestMemoryWindow::viewChangeReordersGrid()
{
    RadioBench& bench = *m_bench;
    QVERIFY(startWithHome());
    MainMenus* menus = bench.window()->menus();
    DataFreq* data = controller(bench)->dataFreq();

    menus->sortFreqAction()->trigger();
    QCOMPARE(gridColumn(bench, memcol::kMHz), (QStringList{"007", "014", "145"}));
    QVERIFY(menus->sortFreqAction()->isChecked() && !menus->sortNameAction()->isChecked());
    QCOMPARE(label(bench, "MainFreq"), QStringLiteral("007.050.000"));

    menus->sortScanAction()->trigger();
    QVERIFY(menus->sortScanAction()->isChecked());
    QCOMPARE(data->recordSource(), viewQuery(ViewOrder::ByFrequency, true));
    QCOMPARE(gridColumn(bench, memcol::kMHz), (QStringList{"014", "145"}));

    menus->sortScanAction()->trigger();
    QVERIFY(!menus->sortScanAction()->isChecked());
    QCOMPARE(data->recordSource(), QStringLiteral("SELECT * FROM TabFreq ORDER BY MHz,KHz,Hz"));
    QCOMPARE(gridColumn(bench, memcol::kMHz).size(), 3);

    // The filter with no marked memory empties the panel.
    QVERIFY(exec(bench.appPath() + kHome, {"UPDATE TabFreq SET Scan=''"}));
    menus->sortScanAction()->trigger();
    QCOMPARE(gridColumn(bench, memcol::kMHz), QStringList{});
    QCOMPARE(label(bench, "MainFreq"), QString());
    QCOMPARE(label(bench, "MemName"), QString());
    QVERIFY(bench.find<QLabel>("LabelMem_1")->isHidden());
}

void TestMemoryWindow::failedSwitchRestoresPreviousDatabase()
{
    RadioBench& bench = *m_bench;
    QVERIFY(createBook(bench.appPath() + "SECOND.MDB",
                       {{"Only", "050", "313", "000", "USB", "", "", "", ""}}));
    QVERIFY(setBook(bench, "BOOK1CAPTION", "Gone") && setBook(bench, "BOOK1", "GONE.MDB"));
    QVERIFY(setBook(bench, "BOOK2CAPTION", "Second") && setBook(bench, "BOOK2", "SECOND.MDB"));
    QVERIFY(startWithHome());
    const QList<QAction*>& books = bench.window()->menus()->bookActions();
    QCOMPARE(books.size(), 3);

    books[1]->trigger();
    QCOMPARE(bench.messages().size(), 1);
    const MessageRequest box = bench.messages().first();
    QCOMPARE(box.title, QStringLiteral("Errore apertura database"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY2(box.text.contains("GONE.MDB"), qPrintable(box.text));
    QVERIFY(box.text.endsWith("\r\nControllare il file INI e riavviare il software."));
    QCOMPARE(label(bench, "NomeDB"), bench.appPath() + kHome);
    QCOMPARE(controller(bench)->dataFreq()->databaseName(), bench.appPath() + kHome);
    QVERIFY(books[0]->isChecked() && !books[1]->isChecked() && !books[2]->isChecked());
    QCOMPARE(gridColumn(bench, memcol::kName), (QStringList{"Alpha", "Bravo", "Charlie"}));

    books[2]->trigger();
    QCOMPARE(label(bench, "NomeDB"), bench.appPath() + "SECOND.MDB");
    QVERIFY(!books[0]->isChecked() && !books[1]->isChecked() && books[2]->isChecked());
    QCOMPARE(gridColumn(bench, memcol::kName), QStringList{"Only"});
    QCOMPARE(label(bench, "MainFreq"), QStringLiteral("050.313.000"));
}

void TestMemoryWindow::pendingEditKeptAtQuit()
{
    RadioBench& bench = *m_bench;
    QVERIFY(startWithHome());
    QAbstractItemModel* model = bench.find<QTableView>("DBGrid1")->model();
    QVERIFY(model->setData(model->index(1, memcol::kName), "Renamed"));
    QVERIFY(controller(bench)->dataFreq()->hasPendingRow());

    // A second row edited in a cell editor that is still open when QUIT is pressed.
    auto* grid = bench.find<QTableView>("DBGrid1");
    const QModelIndex cell = model->index(0, memcol::kName);
    grid->setCurrentIndex(cell);
    grid->edit(cell);
    auto* editor = grid->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText("Typed");

    bench.click("Cquit");
    QVERIFY(bench.window()->isUnloaded());
    QList<QStringList> rows;
    QVERIFY(exec(bench.appPath() + kHome,
                 {"SELECT Name FROM TabFreq WHERE Name IN "
                  "('Renamed','Typed') ORDER BY Name"},
                 &rows));
    QCOMPARE(rows, (QList<QStringList>{QStringList{"Renamed"}, QStringList{"Typed"}}));
}

void TestMemoryWindow::scanThroughWindow_data()
{
    QTest::addColumn<bool>("quit");
    QTest::newRow("STOP after C") << false;
    QTest::newRow("QUIT after C") << true;
}

void TestMemoryWindow::scanThroughWindow()
{
    QFETCH(bool, quit);
    RadioBench& bench = *m_bench;
    QVERIFY(startWithHome({{"C", "145", "700", "000", "FM", "", "", "", ""},
                           {"A", "145", "500", "000", "FM", "", "", "", ""},
                           {"B", "145", "600", "000", "FM", "", "", "", ""}}));
    bench.click("OptSpeed_0");
    QCOMPARE(controller(bench)->scan()->tempoScan(), 0.5);
    // The scan runs inside START, so the operator's next click comes from within its waits.
    constexpr int kThreeRecalls = 12;
    bool buttonsWhileScanning = false;
    connect(&bench.radio(), &VirtualRadio::frameReceived, bench.window(), [&] {
        if (bench.frames().size() != kThreeRecalls)
            return;
        buttonsWhileScanning = !bench.find<QPushButton>("CscanDB")->isEnabled() &&
                               bench.find<QPushButton>("CstopScan")->isEnabled();
        bench.click(quit ? "Cquit" : "CstopScan");
    });
    bench.click("CscanDB");
    QTRY_VERIFY_WITH_TIMEOUT(bench.frames().size() >= kThreeRecalls, 15000);
    QVERIFY(buttonsWhileScanning);

    if (quit) {
        QVERIFY(bench.window()->isUnloaded());
    } else {
        // The loop ends after its dwell. Its move past C comes after STOP, so the grid steps
        // back to the last memory instead of wrapping, and stays on C.
        QTRY_VERIFY(!controller(bench)->scan()->scanAttivo());
        QTRY_COMPARE(bench.find<QTableView>("DBGrid1")->currentIndex().row(), 2);
        QCOMPARE(label(bench, "MemName"), QStringLiteral("C"));
        QVERIFY(bench.find<QPushButton>("CscanDB")->isEnabled());
        QVERIFY(!bench.find<QPushButton>("CstopScan")->isEnabled());
    }
    QVERIFY(probeLine(bench, kThreeRecalls));
    const QStringList frames = bench.frames();
    QCOMPARE(frames.size(), kThreeRecalls + 1);
    QCOMPARE(frames[2], frameTo48("050000504501"));
    QCOMPARE(frames[6], frameTo48("050000604501"));
    QCOMPARE(frames[10], frameTo48("050000704501"));
    QVERIFY(bench.messages().isEmpty());
}

void TestMemoryWindow::demoListsTwoDatabasesOnce()
{
    QTemporaryDir dir;
    const QString appPath = dir.path() + QLatin1Char('/');
    auto runDemo = [&] {
        QProcess demo;
        demo.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        demo.start(QStringLiteral(CORVANE_PROGRAM_PATH),
                   {"--demo", "--dir", dir.path(), "--screenshot", appPath + "demo.png",
                    "--quit-after", "0.5"});
        return demo.waitForFinished(60000) && demo.exitCode() == 0;
    };
    QVERIFY(runDemo());
    const QString section = QString::fromLatin1(kBookmarksSection);
    const QString settings = appPath + "IC706.INI";
    QCOMPARE(ReadINI(settings, section, "BOOK0", ""), QStringLiteral("DEMOHF.MDB"));
    QCOMPARE(ReadINI(settings, section, "BOOK1", ""), QStringLiteral("DEMOVHF.MDB"));
    QList<QStringList> rows;
    QVERIFY(exec(appPath + "DEMOVHF.MDB",
                 {"SELECT MHz||KHz||Hz, Mode, sMHz||sKHz||sHz, Scan FROM TabFreq WHERE Split=1"},
                 &rows));
    QCOMPARE(rows, QList<QStringList>{(QStringList{"145625000", "FM", "145025000", "Y"})});
    // A dozen memories between the two, all within the radio's 30 kHz to 200 MHz.
    rows.clear();
    for (const char* file : {"DEMOHF.MDB", "DEMOVHF.MDB"}) {
        QVERIFY(exec(appPath + file,
                     {"SELECT COUNT(*) FROM TabFreq WHERE MHz||KHz||Hz BETWEEN '000030000' AND "
                      "'200000000' AND length(MHz||KHz||Hz) = 9"},
                     &rows));
    }
    QCOMPARE(rows[0][0].toInt() + rows[1][0].toInt(), 12);

    // The operator's own edits survive the next demo start.
    QVERIFY(exec(appPath + "DEMOHF.MDB", {"DELETE FROM TabFreq"}));
    QVERIFY(runDemo());
    rows.clear();
    QVERIFY(exec(appPath + "DEMOHF.MDB", {"SELECT COUNT(*) FROM TabFreq"}, &rows));
    QCOMPARE(rows, QList<QStringList>{QStringList{"0"}});
}

namespace {

/** The controls Tab stops at: shown, enabled, taking the focus by Tab, outside the grid's
 *  own cell editors. */
QList<QWidget*> tabStops(QWidget* window, const QWidget* grid)
{
    QList<QWidget*> stops;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus) &&
            !grid->isAncestorOf(widget))
            stops.append(widget);
    }
    return stops;
}

/** Presses key (Tab or Backtab) on the focus until it comes back to where it started; the
 *  controls visited in order, the first one last. Empty when it never came back. */
QList<QWidget*> walk(Qt::Key key, int most)
{
    QWidget* start = QApplication::focusWidget();
    QList<QWidget*> visited;
    for (int i = 0; i < most; ++i) {
        QTest::keyClick(QApplication::focusWidget(), key);
        visited.append(QApplication::focusWidget());
        if (visited.last() == start)
            return visited;
    }
    return {};
}

void typeOnFocus(const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

}  // namespace

void TestMemoryWindow::keyboardAloneReachesEveryControl()
{
    RadioBench& bench = *m_bench;
    QVERIFY(startWithHome());
    F706* window = bench.window();
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    auto* grid = bench.find<QTableView>("DBGrid1");
    const auto named = [&](const char* name) { return bench.find<QWidget>(name); };
    QTRY_COMPARE(QApplication::focusWidget(), named("Csend"));  // the window opens on SEND

    // Tab goes round every control once and comes back; the pad and SEND come first.
    const QList<QWidget*> stops = tabStops(window, grid);
    QList<QWidget*> round = walk(Qt::Key_Tab, 3 * static_cast<int>(stops.size()));
    QVERIFY2(!round.isEmpty(), "Tab never came back to SEND");
    for (QWidget* stop : stops) {
        // Tab stops once in a group of options (the arrows move between them).
        const auto* option = qobject_cast<QRadioButton*>(stop);
        const bool reached = round.contains(stop) ||
                             (option && option->group() &&
                              std::any_of(round.cbegin(), round.cend(), [option](QWidget* visited) {
                                  return option->group()->buttons().contains(visited);
                              }));
        QVERIFY2(reached, qPrintable(stop->objectName()));
    }
    QCOMPARE(round.size(), std::set<QWidget*>(round.cbegin(), round.cend()).size());
    const qsizetype first = round.indexOf(named("Tasto_1"));
    std::rotate(round.begin(), round.begin() + first, round.end());
    QStringList order;
    for (const QWidget* widget : round.mid(0, 12))
        order.append(widget->objectName());
    QCOMPARE(order, (QStringList{"Tasto_1", "Tasto_2", "Tasto_3", "Tasto_4", "Tasto_5", "Tasto_6",
                                 "Tasto_7", "Tasto_8", "Tasto_9", "Tasto_0", "Csend", "CaddMain"}));
    // Shift+Tab goes the same way back.
    QList<QWidget*> back = walk(Qt::Key_Backtab, 3 * static_cast<int>(stops.size()));
    std::reverse(back.begin(), back.end());
    std::rotate(back.begin(), back.begin() + back.indexOf(named("Tasto_1")), back.end());
    QCOMPARE(back, round);

    // SEND from the keyboard.
    QCOMPARE(QApplication::focusWidget(), named("Csend"));
    QTest::keyClick(named("Csend"), Qt::Key_Space);
    QVERIFY(bench.waitForFrames(1));
    QCOMPARE(bench.frames(), QStringList{frameTo48("050000404501")});

    // Into the grid and out: the arrows and Ctrl+Tab move between cells, Tab leaves.
    while (QApplication::focusWidget() != grid)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    grid->setCurrentIndex(grid->model()->index(0, memcol::kName));
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(grid->currentIndex(), grid->model()->index(1, memcol::kMHz));
    QTest::keyClick(grid, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(grid->currentIndex(), grid->model()->index(1, memcol::kName));
    QTest::keyClick(grid, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), named("DataFreqFirst"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), grid);

    // ADD MEM from the keyboard puts the focus on the new memory's Name: typing names it, and
    // Tab stores it and leaves the grid.
    named("CaddMain")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(named("CaddMain"), Qt::Key_Space);
    QCOMPARE(QApplication::focusWidget(), grid);
    QCOMPARE(grid->currentIndex().column(), memcol::kName);
    QCOMPARE(grid->currentIndex().data().toString(), QString());
    typeOnFocus(QStringLiteral("Zulu"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), named("DataFreqFirst"));
    QList<QStringList> rows;
    QVERIFY(exec(bench.appPath() + kHome, {"SELECT MHz, KHz, Hz FROM TabFreq WHERE Name='Zulu'"},
                 &rows));
    QCOMPARE(rows, (QList<QStringList>{{"145", "400", "000"}}));
    QVERIFY2(bench.messages().isEmpty(), qPrintable(bench.messages().value(0).text));
}

QTEST_MAIN(TestMemoryWindow)
#include "tst_memorywindow.moc"
