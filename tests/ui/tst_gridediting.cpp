#include "memory/datafreq.h"
#include "support/memoryfixture.h"
#include "ui/gridediting.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString kByName = "SELECT * FROM TabFreq ORDER BY Name,MHz,KHz,Hz";

/** The two memories A and B in a bookmark database at path, from the built template. */
bool createDatabase(const QString& path)
{
    const QFileInfo file(path);
    const QList<fixture::Row> rows = {
        fixture::memory("A", "145", "500", "000", "FM", QStringLiteral("Y")),
        fixture::memory("B", "007", "050", "000", "LSB", QStringLiteral(""))};
    return fixture::makeDatabase(file.absolutePath(), file.fileName(), rows) == path;
}

/** The field of the stored row named name, read straight from the file. */
QVariant stored(const QString& path, const QString& name, const QString& field)
{
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "grid-test-read");
        db.setDatabaseName(path);
        QSqlQuery q(db);
        if (db.open() && q.exec("SELECT " + field + " FROM TabFreq WHERE Name='" + name + "'") &&
            q.next())
            value = q.value(0);
    }
    QSqlDatabase::removeDatabase("grid-test-read");
    return value;
}

}  // namespace

class TestGridEditing : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cellRuleOnEnter_data();
    void cellRuleOnEnter();
    void refusedEditReturnsAfterRowChange();
    void splitFollowsParts();
    void escapeDropsCellThenRow_data();
    void escapeDropsCellThenRow();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void doubleClickTogglesScan();
    void rightClickOpensModeMenu();

private:
    QLineEdit* openEditor(int row, int column);
    QLineEdit* editor() const;
    QString cell(int row, int column) const { return m_data->cell(row, column).toString(); }
    QPoint centre(int row, int column) const
    {
        return m_view->visualRect(m_view->model()->index(row, column)).center();
    }

    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<DataFreq> m_data;
    std::unique_ptr<QTableView> m_view;
    GridEditing* m_editing = nullptr;
    QList<MessageRequest> m_boxes;
    QMessageBox::StandardButton m_answer = QMessageBox::Ok;
};

void TestGridEditing::init()
{
    static int number = 0;
    m_path = m_dir.filePath(QString("grid%1.MDB").arg(++number));
    QVERIFY(createDatabase(m_path));
    m_data = std::make_unique<DataFreq>();
    m_data->setDatabaseName(m_path);
    m_data->setRecordSource(kByName);
    AppError error;
    QVERIFY2(m_data->refresh(&error), qPrintable(error.text));
    m_view = std::make_unique<QTableView>();
    m_view->setModel(m_data->model());
    m_editing = new GridEditing(m_view.get(), m_data.get());
    m_view->resize(900, 300);
    m_view->show();
    m_view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
    m_boxes.clear();
    m_answer = QMessageBox::Ok;
    setMessageHandler([this](const MessageRequest& request) {
        m_boxes.append(request);
        return m_answer;
    });
}

void TestGridEditing::cleanup()
{
    setMessageHandler({});
    m_view.reset();
    m_data.reset();
}

QLineEdit* TestGridEditing::editor() const
{
    for (QLineEdit* line : m_view->viewport()->findChildren<QLineEdit*>()) {
        if (line->isVisible())
            return line;
    }
    return nullptr;
}

QLineEdit* TestGridEditing::openEditor(int row, int column)
{
    const QModelIndex index = m_view->model()->index(row, column);
    m_view->setCurrentIndex(index);
    m_view->edit(index);
    return editor();
}

void TestGridEditing::cellRuleOnEnter_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("cellAfter");   // the row's value after Enter
    QTest::addColumn<QString>("message");     // empty: none
    QTest::addColumn<QString>("editorText");  // empty: the editor closed

    using namespace memcol;
    QTest::newRow("MHz padded") << kMHz << "1"
                                << "001"
                                << ""
                                << "";
    QTest::newRow("MHz out of range") << kMHz << "201"
                                      << "145"
                                      << "Wrong frequency"
                                      << "145";
    QTest::newRow("KHz overflow") << kKHz << "40000"
                                  << "500"
                                  << "Error Before Update"
                                  << "40000";
    QTest::newRow("mode lower case") << kMode << " usb "
                                     << "USB"
                                     << ""
                                     << "";
    QTest::newRow("sKHz padded") << kSKHz << "0"
                                 << "000"
                                 << ""
                                 << "";
    QTest::newRow("name free") << kName << "Repeater"
                               << "Repeater"
                               << ""
                               << "";
}

void TestGridEditing::cellRuleOnEnter()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, cellAfter);
    QFETCH(QString, message);
    QFETCH(QString, editorText);

    QLineEdit* line = openEditor(0, column);
    QVERIFY(line);
    line->setText(typed);
    QTest::keyClick(line, Qt::Key_Return);
    if (message.isEmpty())
        QTRY_VERIFY(!editor());  // the commit of an accepted edit is queued

    QCOMPARE(cell(0, column), cellAfter);
    QCOMPARE(m_boxes.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(m_boxes[0].text, message);
        QCOMPARE(m_boxes[0].title, QString("Corvane"));
        QCOMPARE(m_boxes[0].icon,
                 message == "Error Before Update" ? QMessageBox::Critical : QMessageBox::NoIcon);
        // Refused: the operator stays in the cell with the text the rule leaves.
        QVERIFY(editor());
        QCOMPARE(editor()->text(), editorText);
        QCOMPARE(m_view->currentIndex(), m_view->model()->index(0, column));
    } else {
        QVERIFY(!editor());
    }
}

void TestGridEditing::refusedEditReturnsAfterRowChange()
{
    QLineEdit* line = openEditor(0, memcol::kMHz);
    QVERIFY(line);
    line->setText("0");
    m_view->setCurrentIndex(m_view->model()->index(1, memcol::kName));  // ends the edit

    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].text, QString("Wrong frequency"));
    QTRY_VERIFY(editor());
    QCOMPARE(m_view->currentIndex(), m_view->model()->index(0, memcol::kMHz));
    QCOMPARE(editor()->text(), QString("145"));
    QCOMPARE(cell(0, memcol::kMHz), QString("145"));
}

void TestGridEditing::splitFollowsParts()
{
    const struct {
        int column;
        const char* typed;
        bool split;
    } steps[] = {
        {memcol::kSMHz, "145", false}, {memcol::kSKHz, "0", false}, {memcol::kSHz, "0", true}};
    for (const auto& step : steps) {
        QLineEdit* line = openEditor(0, step.column);
        QVERIFY(line);
        line->setText(step.typed);
        QTest::keyClick(line, Qt::Key_Return);
        QTRY_VERIFY(!editor());
        QCOMPARE(m_data->cell(0, memcol::kSplit).toBool(), step.split);
    }
    AppError error;
    QVERIFY(m_data->writePendingRow(&error));
    QCOMPARE(stored(m_path, "A", "Split").toInt(), 1);
    QCOMPARE(stored(m_path, "A", "sKHz").toString(), QString("000"));

    // Emptying one part: no message, Split false at once, the other parts go on row write.
    QLineEdit* line = openEditor(0, memcol::kSMHz);
    QVERIFY(line);
    line->setText("");
    QTest::keyClick(line, Qt::Key_Return);
    QTRY_VERIFY(!editor());
    QVERIFY(m_boxes.isEmpty());
    QCOMPARE(m_data->cell(0, memcol::kSplit).toBool(), false);
    QVERIFY(m_data->writePendingRow(&error));
    QCOMPARE(stored(m_path, "A", "Split").toInt(), 0);
    QCOMPARE(stored(m_path, "A", "sKHz").toString(), QString(""));
    QCOMPARE(stored(m_path, "A", "sHz").toString(), QString(""));
}

void TestGridEditing::escapeDropsCellThenRow_data()
{
    QTest::addColumn<QString>("typed");  // into the MHz editor; empty: nothing typed
    QTest::addColumn<int>("escapes");
    QTest::addColumn<bool>("rowKept");  // the pending Name edit is still there
    QTest::newRow("Esc after typing: the cell only") << "7" << 1 << true;
    QTest::newRow("second Esc: the row") << "7" << 2 << false;
    QTest::newRow("Esc on a cell left as it was: the row") << "" << 1 << false;
}

void TestGridEditing::escapeDropsCellThenRow()
{
    QFETCH(QString, typed);
    QFETCH(int, escapes);
    QFETCH(bool, rowKept);
    QAbstractItemModel* model = m_view->model();
    QVERIFY(model->setData(model->index(0, memcol::kName), "Renamed"));
    QCOMPARE(model->headerData(0, Qt::Vertical).toString(), QString("\u270E"));
    QLineEdit* line = openEditor(0, memcol::kMHz);
    QVERIFY(line);
    QTest::keyClicks(line, typed);
    QTest::keyClick(line, Qt::Key_Escape);
    QTRY_VERIFY(!editor());
    if (escapes == 2)
        QTest::keyClick(m_view.get(), Qt::Key_Escape);

    QCOMPARE(cell(0, memcol::kMHz), QString("145"));
    QCOMPARE(m_data->hasPendingRow(), rowKept);
    QCOMPARE(cell(0, memcol::kName), QString(rowKept ? "Renamed" : "A"));
    QCOMPARE(model->headerData(0, Qt::Vertical).toString(), QString(rowKept ? "\u270E" : "1"));
    QCOMPARE(stored(m_path, "A", "MHz").toString(), QString("145"));
    QVERIFY(m_boxes.isEmpty());
}

void TestGridEditing::deleteAsksFirst_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<int>("rowsAfter");
    QTest::newRow("No keeps the row") << QMessageBox::No << 2;
    QTest::newRow("Yes deletes it") << QMessageBox::Yes << 1;
}

void TestGridEditing::deleteAsksFirst()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(int, rowsAfter);
    m_answer = answer;
    m_view->setCurrentIndex(m_view->model()->index(1, memcol::kName));
    QTest::keyClick(m_view.get(), Qt::Key_Delete);

    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].title, QString("Erase operation"));
    QCOMPARE(m_boxes[0].text,
             QString("Confirm elimination of this memory ?\r\n\"B\", 007.050.000 LSB"));
    QCOMPARE(m_boxes[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(m_data->recordCount(), rowsAfter);
    QCOMPARE(stored(m_path, "B", "Name").isValid(), rowsAfter == 2);
    QCOMPARE(stored(m_path, "A", "Name").toString(), QString("A"));
}

void TestGridEditing::doubleClickTogglesScan()
{
    QWidget* viewport = m_view->viewport();
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, centre(0, memcol::kScan));
    QCOMPARE(cell(0, memcol::kScan), QString(""));
    QVERIFY(!editor());
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, centre(0, memcol::kScan));
    QCOMPARE(cell(0, memcol::kScan), QString("Y"));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, centre(1, memcol::kScan));
    QCOMPARE(cell(1, memcol::kScan), QString("Y"));

    QTest::mouseDClick(viewport, Qt::LeftButton, {}, centre(0, memcol::kName));
    QCOMPARE(cell(0, memcol::kScan), QString("Y"));  // other columns leave Scan alone
}

void TestGridEditing::rightClickOpensModeMenu()
{
    QMenu* menu = m_editing->modeMenu();
    QCOMPARE(menu->objectName(), QString("Mmode"));
    QStringList items;
    for (QAction* action : menu->actions())
        items << action->objectName() + '=' + action->text();
    QCOMPARE(items, (QStringList{"Mfm=FM", "Mam=AM", "Mwfm=WFM", "Musb=USB", "Mlsb=LSB", "Mcw=CW",
                                 "Mrtty=RTTY"}));

    QTest::mouseClick(m_view->viewport(), Qt::RightButton, {}, centre(0, memcol::kName));
    QVERIFY(!menu->isVisible());

    QTest::mouseClick(m_view->viewport(), Qt::RightButton, {}, centre(0, memcol::kMode));
    QTRY_VERIFY(menu->isVisible());
    menu->findChild<QAction*>("Musb")->trigger();
    menu->hide();
    QCOMPARE(cell(0, memcol::kMode), QString("USB"));
    QCOMPARE(cell(1, memcol::kMode), QString("LSB"));
    QVERIFY(m_data->hasPendingRow());
}

QTEST_MAIN(TestGridEditing)
#include "tst_gridediting.moc"
