// The memory grid in the whole window when a row cannot be written, on a read-only database,
// at QUIT with a cell editor open, and the program ended by a signal: real SQLite files in
// a temporary directory and the virtual radio on a pseudo-terminal.
#include "radiobench.h"

#include "memory/bookmarkfiles.h"
#include "memory/datafreq.h"
#include "memory/memorymodel.h"
#include "settings/inifile.h"
#include "support/memoryfixture.h"
#include "ui/gridediting.h"
#include "ui/mainmenus.h"
#include "ui/memorycontroller.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>

#include <csignal>

namespace {

const QString kHome = QStringLiteral("HOME.MDB");
const QString kSecond = QStringLiteral("SECOND.MDB");

/** Runs one statement on a database file through a connection of the test's own. */
bool exec(const QString& path, const QString& statement)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "gridwin-test");
        db.setDatabaseName(path);
        QSqlQuery query(db);
        ok = db.open() && query.exec(statement);
        if (!ok)
            qWarning("%s", qPrintable(query.lastError().text()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("gridwin-test"));
    return ok;
}

QStringList storedNames(const QString& path)
{
    return fixture::rowsOf(path, "SELECT Name FROM TabFreq ORDER BY Name");
}

/** True once the process catches signalNumber (its handler is installed). */
bool catches(qint64 pid, int signalNumber)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signalNumber - 1)) & 1;
    }
    return false;
}

}  // namespace

class TestGridWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void unwritableRowKeepsGridAndRecordTogether_data();
    void unwritableRowKeepsGridAndRecordTogether();
    void readOnlyDatabaseHasReadOnlyCells();
    void quitWithOpenEditor_data();
    void quitWithOpenEditor();
    void quitWhenTheEditCannotBeWritten_data();
    void quitWhenTheEditCannotBeWritten();
    void terminationSignalEndsLikeQuit_data();
    void terminationSignalEndsLikeQuit();

private:
    bool start();
    QTableView* grid() const { return m_bench->find<QTableView>("DBGrid1"); }
    DataFreq* data() const { return m_bench->window()->findChild<MemoryController*>()->dataFreq(); }
    QString label(const char* name) const { return m_bench->find<QLabel>(name)->text(); }
    QString home() const { return m_bench->appPath() + kHome; }
    void typeInCell(int row, int column, const QString& text);
    QLineEdit* openEditor(int row, int column);

    std::unique_ptr<RadioBench> m_bench;
    QList<MessageRequest> m_boxes;
    QMessageBox::StandardButton m_answer = QMessageBox::Ok;
};

void TestGridWindow::init()
{
    m_bench = std::make_unique<RadioBench>();
    QVERIFY(m_bench->startRadio());
    const auto memory = &fixture::memory;
    const QString folder = QDir(m_bench->appPath()).path();
    QVERIFY(!fixture::makeDatabase(folder, kHome,
                                   {memory("Bravo", "014", "250", "000", "USB", "Y"),
                                    memory("Alpha", "145", "500", "000", "FM", "Y"),
                                    memory("Charlie", "007", "050", "000", "LSB", {})})
                 .isEmpty());
    QVERIFY(
        !fixture::makeDatabase(folder, kSecond, {memory("Only", "050", "313", "000", "USB", {})})
             .isEmpty());
    const QString section = QString::fromLatin1(kBookmarksSection);
    for (const auto& [key, value] : {std::pair{"BOOK0CAPTION", "Home"},
                                     {"BOOK0", "HOME.MDB"},
                                     {"BOOK1CAPTION", "Second"},
                                     {"BOOK1", "SECOND.MDB"}})
        QVERIFY(WriteINI(m_bench->settingsFile(), section, key, value));
    m_boxes.clear();
    m_answer = QMessageBox::Ok;
}

void TestGridWindow::cleanup()
{
    m_bench.reset();
}

bool TestGridWindow::start()
{
    if (!m_bench->loadWindow())
        return false;
    setMessageHandler([this](const MessageRequest& request) {
        m_boxes.append(request);
        return m_answer;
    });
    F706* window = m_bench->window();
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return false;
    grid()->setFocus();
    return true;
}

QLineEdit* TestGridWindow::openEditor(int row, int column)
{
    const QModelIndex cell = grid()->model()->index(row, column);
    grid()->setCurrentIndex(cell);
    grid()->edit(cell);
    // Editors closed before are hidden until they are deleted.
    for (QLineEdit* editor : grid()->viewport()->findChildren<QLineEdit*>()) {
        if (!editor->isHidden())
            return editor;
    }
    return nullptr;
}

void TestGridWindow::typeInCell(int row, int column, const QString& text)
{
    QLineEdit* editor = openEditor(row, column);
    QVERIFY(editor);
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(grid()->hasFocus());
}

void TestGridWindow::unwritableRowKeepsGridAndRecordTogether_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("click on another row") << "click";
    QTest::newRow("arrow key") << "key";
    QTest::newRow("navigation bar") << "bar";
    QTest::newRow("other bookmark database") << "book";
    QTest::newRow("other view") << "view";
}

void TestGridWindow::unwritableRowKeepsGridAndRecordTogether()
{
    QFETCH(QString, way);
    // Every change of a stored row is refused by the file itself (as a constraint would).
    QVERIFY(exec(home(),
                 "CREATE TRIGGER refuse BEFORE UPDATE ON TabFreq "
                 "BEGIN SELECT RAISE(ABORT, 'refused by the file'); END"));
    QVERIFY(start());
    QAbstractItemModel* model = grid()->model();
    MainMenus* menus = m_bench->window()->menus();
    typeInCell(0, memcol::kName, "Renamed");
    QCOMPARE(model->headerData(0, Qt::Vertical).toString(), kEditMarker);
    QCOMPARE(model->headerData(1, Qt::Vertical).toString(), QString("2"));

    auto leaveRow = [&] {
        if (way == "click") {
            const QRect cell = grid()->visualRect(model->index(1, memcol::kName));
            QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
        } else if (way == "key") {
            QTest::keyClick(grid(), Qt::Key_Down);
        } else if (way == "bar") {
            m_bench->click("DataFreqNext");
        } else if (way == "book") {
            menus->bookActions().at(1)->trigger();
        } else {
            menus->sortFreqAction()->trigger();
        }
    };
    leaveRow();
    QCOMPARE(m_boxes.size(), 1);
    const QString text = m_boxes[0].text;
    QVERIFY2(text.contains(kHome) && text.contains("refused by the file"), qPrintable(text));
    QVERIFY2(!text.contains(kSecond) && !text.contains("stays empty"), qPrintable(text));
    QVERIFY2(text.contains("press Esc in the grid to drop it"), qPrintable(text));
    // Everything stays on the edited row of the same database and view, edit and all.
    QCOMPARE(grid()->currentIndex().row(), 0);
    QCOMPARE(data()->currentRow(), 0);
    for (const QModelIndex& selected : grid()->selectionModel()->selectedIndexes())
        QCOMPARE(selected.row(), 0);
    QCOMPARE(label("MemName"), QString("Renamed"));  // the panel shows that record too
    QCOMPARE(label("NomeDB"), home());
    QVERIFY(menus->bookActions().at(0)->isChecked() && !menus->bookActions().at(1)->isChecked());
    QVERIFY(menus->sortNameAction()->isChecked() && !menus->sortFreqAction()->isChecked());
    QCOMPARE(model->index(0, memcol::kName).data().toString(), QString("Renamed"));

    // Esc drops the edit, and the way is free.
    QTest::keyClick(grid(), Qt::Key_Escape);
    QVERIFY(!data()->hasPendingRow());
    QCOMPARE(model->index(0, memcol::kName).data().toString(), QString("Alpha"));
    QCOMPARE(model->headerData(0, Qt::Vertical).toString(), QString("1"));
    QCOMPARE(label("MemName"), QString("Alpha"));
    leaveRow();
    QCOMPARE(m_boxes.size(), 1);
    if (way == "book")
        QCOMPARE(label("NomeDB"), m_bench->appPath() + kSecond);
    else if (way == "view")
        QVERIFY(menus->sortFreqAction()->isChecked());
    else
        QCOMPARE(grid()->currentIndex().row(), 1);
    QCOMPARE(data()->currentRow(), grid()->currentIndex().row());

    // Delete removes the highlighted memory, and only that one.
    const QString path = data()->databaseName();
    const QStringList before = storedNames(path);
    const QString highlighted =
        grid()->currentIndex().siblingAtColumn(memcol::kName).data().toString();
    m_answer = QMessageBox::Yes;
    QTest::keyClick(grid(), Qt::Key_Delete);
    QStringList expected = before;
    expected.removeOne(highlighted);
    QCOMPARE(storedNames(path), expected);
}

void TestGridWindow::readOnlyDatabaseHasReadOnlyCells()
{
    const QString second = m_bench->appPath() + kSecond;
    QVERIFY(QFile::setPermissions(second, QFile::ReadOwner | QFile::ReadGroup));
    const QByteArray bytes = fixture::bytesOf(second);
    QVERIFY(start());
    QLineEdit* status = m_bench->find<QLineEdit>("InStringa");
    m_bench->window()->menus()->bookActions().at(1)->trigger();
    QCOMPARE(status->text(), kReadOnlyStatus);
    QVERIFY(m_boxes.isEmpty());
    QVERIFY(!m_bench->find<QPushButton>("CaddMain")->isEnabled());
    QVERIFY(!m_bench->find<QPushButton>("CaddCurrMem")->isEnabled());

    // Typing, a double-click on Scan and a right-click on Mode change nothing, silently.
    QAbstractItemModel* model = grid()->model();
    grid()->setCurrentIndex(model->index(0, memcol::kName));
    status->setText("OK");  // a radio reply came in since
    QTest::keyClicks(grid(), "abc");
    QCOMPARE(status->text(), kReadOnlyStatus);
    const QPoint scan = grid()->visualRect(model->index(0, memcol::kScan)).center();
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, scan);
    const QPoint mode = grid()->visualRect(model->index(0, memcol::kMode)).center();
    QTest::mouseClick(grid()->viewport(), Qt::RightButton, {}, mode);
    QVERIFY(!m_bench->window()->findChild<QMenu*>("Mmode")->isVisible());
    QVERIFY(!openEditor(0, memcol::kName));
    QVERIFY(!data()->hasPendingRow());
    QCOMPARE(model->index(0, memcol::kScan).data().toString(), QString());
    QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.value(0).text));

    m_bench->window()->menus()->bookActions().at(0)->trigger();
    QCOMPARE(status->text(), QString());
    QVERIFY(model->index(0, memcol::kName).flags() & Qt::ItemIsEditable);
    QVERIFY(m_bench->find<QPushButton>("CaddMain")->isEnabled());
    m_bench->window()->Cquit_Click();
    QCOMPARE(fixture::bytesOf(second), bytes);
}

void TestGridWindow::quitWithOpenEditor_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("refused text dropped") << "abc"
                                          << "145";
    QTest::newRow("refused range dropped") << "0"
                                           << "145";
    QTest::newRow("valid text committed") << "7"
                                          << "007";
}

void TestGridWindow::quitWithOpenEditor()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QVERIFY(start());
    // Alpha's name edited and pending; then its MHz cell open in an editor at QUIT.
    typeInCell(0, memcol::kName, "Renamed");
    QLineEdit* editor = openEditor(0, memcol::kMHz);
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, typed);
    m_bench->click("Cquit");
    QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.value(0).text));
    QVERIFY(m_bench->window()->isUnloaded());
    QCOMPARE(fixture::rowsOf(home(), "SELECT Name, MHz FROM TabFreq WHERE KHz='500'"),
             QStringList{"Renamed|" + stored});
}

void TestGridWindow::quitWhenTheEditCannotBeWritten_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("ended");
    QTest::addColumn<QString>("stored");
    QTest::newRow("Cancel: the program stays, the edit pending")
        << int(QMessageBox::Cancel) << false << "Alpha";
    QTest::newRow("Retry once the file is free: written")
        << int(QMessageBox::Retry) << true << "Renamed";
    QTest::newRow("Discard: ends without the edit") << int(QMessageBox::Discard) << true << "Alpha";
}

void TestGridWindow::quitWhenTheEditCannotBeWritten()
{
    QFETCH(int, answer);
    QFETCH(bool, ended);
    QFETCH(QString, stored);
    QVERIFY(start());
    typeInCell(0, memcol::kName, "Renamed");
    // Another program writes to the file: the row write at QUIT fails (as on a full disk).
    std::optional<QSqlDatabase> locker = QSqlDatabase::addDatabase("QSQLITE", "locker");
    locker->setDatabaseName(home());
    QVERIFY(locker->open() && QSqlQuery(*locker).exec("BEGIN IMMEDIATE"));
    const auto release = [&locker] {
        if (!locker)
            return;
        QSqlQuery(*locker).exec("ROLLBACK");
        locker->close();
        locker.reset();
        QSqlDatabase::removeDatabase("locker");
    };
    const auto cleanup = qScopeGuard(release);
    setMessageHandler([&](const MessageRequest& request) {
        m_boxes.append(request);
        if (answer == QMessageBox::Retry)
            release();
        return QMessageBox::StandardButton(answer);
    });

    m_bench->click("Cquit");
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].buttons, QMessageBox::Retry | QMessageBox::Discard | QMessageBox::Cancel);
    QVERIFY2(m_boxes[0].text.contains("\r\nThe edited memory is not saved."),
             qPrintable(m_boxes[0].text));
    QCOMPARE(m_bench->window()->isUnloaded(), ended);
    QCOMPARE(data()->hasPendingRow(), !ended);
    release();
    QCOMPARE(fixture::rowsOf(home(), "SELECT Name FROM TabFreq WHERE KHz='500'"),
             QStringList{stored});
}

void TestGridWindow::terminationSignalEndsLikeQuit_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestGridWindow::terminationSignalEndsLikeQuit()
{
    QFETCH(int, signalNumber);
    QProcess program;
    program.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    program.start(QStringLiteral(CORVANE_PROGRAM_PATH), {"--dir", m_bench->appPath()});
    QVERIFY(program.waitForStarted());
    QVERIFY(m_bench->waitForFrames(4));  // start-up is under way on the line
    QVERIFY(QTest::qWaitFor([&] { return catches(program.processId(), signalNumber); }, 20000));

    QVERIFY(::kill(static_cast<pid_t>(program.processId()), signalNumber) == 0);
    QTRY_COMPARE_WITH_TIMEOUT(program.state(), QProcess::NotRunning, 20000);
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_MAIN(TestGridWindow)
#include "tst_gridwindow.moc"
