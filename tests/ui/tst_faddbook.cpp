#include "settings/inifile.h"
#include "ui/faddbook.h"
#include "ui/messagebox.h"
#include "ui/uilook.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestFaddBook : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layout();
    void tabOrder();
    void names_data();
    void names();
    void refusedNames_data();
    void refusedNames();
    void templateNameRefused_data();
    void templateNameRefused();
    void diskFullKeepsExistingFile();
    void overwriteNo();
    void overwriteYes();
    void openDatabaseNotOverwritten();
    void missingTemplate();
    void settingsWriteFails();
    void bookCountFull();
    void cancelKeepsText();

private:
    void type(const QString& description, const QString& name);
    QString book(const QString& key) const;
    QString ini() const { return m_appPath + "IC706.INI"; }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_appPath;
    QString m_open;
    std::unique_ptr<FaddBook> m_dialog;
    QList<MessageRequest> m_boxes;
    QMessageBox::StandardButton m_answer = QMessageBox::Ok;
};

void TestFaddBook::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_appPath = m_dir->path() + '/';
    QVERIFY(QFile::copy(CORVANE_TEMPLATE_PATH, m_appPath + "EMPTY.MDB"));
    QVERIFY(WriteINI(ini(), "BOOKMARKS", "BOOK0", "default.MDB"));
    QVERIFY(WriteINI(ini(), "BOOKMARKS", "BOOK1", "one.MDB"));
    QVERIFY(WriteINI(ini(), "BOOKMARKS", "BOOK2", "two.MDB"));
    m_open = m_appPath + "default.MDB";
    m_boxes.clear();
    m_answer = QMessageBox::Ok;
    setMessageHandler([this](const MessageRequest& request) {
        m_boxes.append(request);
        return m_answer;
    });
    FaddBook::Context context{m_appPath, [] { return 2; }, [this] { return m_open; }};
    m_dialog = std::make_unique<FaddBook>(context);
    m_dialog->show();
}

void TestFaddBook::cleanup()
{
    m_dialog.reset();
    setMessageHandler({});
    m_dir.reset();
}

void TestFaddBook::type(const QString& description, const QString& name)
{
    m_dialog->descr()->setText(description);
    m_dialog->nameBook()->setText(name);
}

QString TestFaddBook::book(const QString& key) const
{
    return ReadINI(ini(), "BOOKMARKS", key, "<absent>");
}

void TestFaddBook::layout()
{
    FaddBook& d = *m_dialog;
    QCOMPARE(d.windowTitle(), QString("Add new bookmark"));
    QCOMPARE(d.size(), QSize(look::px(&d, 5355), look::px(&d, 1920)));
    const struct {
        const char* name;
        QRect twips;
        const char* caption;
    } controls[] = {
        {"LabelDescr", {270, 270, 1230, 240}, "DESCRIPTION:"},
        {"Descr", {1575, 225, 3480, 330}, ""},
        {"LabelName", {270, 765, 1230, 240}, "NAME:"},
        {"NameBook", {1575, 675, 3480, 330}, ""},
        {"Ccancel", {765, 1350, 1185, 375}, "CANCEL"},
        {"Cadd", {3375, 1350, 1185, 375}, "ADD"},
    };
    for (const auto& c : controls) {
        QWidget* w = d.findChild<QWidget*>(c.name);
        QVERIFY2(w, c.name);
        const QRect expected(look::px(w, c.twips.x()), look::px(w, c.twips.y()),
                             look::px(w, c.twips.width()), look::px(w, c.twips.height()));
        QCOMPARE(w->geometry(), expected);
        QString caption;
        if (auto* label = qobject_cast<QLabel*>(w))
            caption = label->text();
        else if (auto* button = qobject_cast<QPushButton*>(w))
            caption = button->text();
        else
            caption = qobject_cast<QLineEdit*>(w)->text();
        QCOMPARE(caption, QString(c.caption));
    }
}

void TestFaddBook::tabOrder()
{
    QWidget* cadd = m_dialog->findChild<QWidget*>("Cadd");
    QStringList order;
    for (QWidget* w = cadd->nextInFocusChain(); w != cadd; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w->objectName();
    }
    QCOMPARE(order, (QStringList{"Ccancel", "Descr", "NameBook"}));
}

void TestFaddBook::names_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");

    QTest::newRow("extension added") << "radio"
                                     << "radio.MDB";
    QTest::newRow("lower-case extension kept") << "radio.mdb"
                                               << "radio.mdb";
    QTest::newRow("other extension extended") << "radio.txt"
                                              << "radio.txt.MDB";
    QTest::newRow("eight before the point") << "abcdefgh.MDB"
                                            << "abcdefgh.MDB";
    QTest::newRow("leading blanks trimmed") << "  radio.mdb"
                                            << "radio.mdb";
    QTest::newRow("blanks around, extension added") << "  radio"
                                                    << "radio.MDB";
    QTest::newRow("trailing blanks before appended extension") << "radio  "
                                                               << "radio  .MDB";
}

void TestFaddBook::names()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QSignalSpy added(m_dialog.get(), &FaddBook::bookmarkAdded);
    type("Contest", typed);
    m_dialog->Cadd_Click();

    QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.value(0).text));
    QCOMPARE(contents(m_appPath + stored), contents(CORVANE_TEMPLATE_PATH));
    QCOMPARE(book("BOOK3CAPTION"), QString("Contest"));
    QCOMPARE(book("BOOK3"), stored);
    QCOMPARE(book("BOOK2"), QString("two.MDB"));
    QCOMPARE(added.size(), 1);
    QCOMPARE(added.at(0), (QVariantList{3, "Contest", stored}));
    QVERIFY(m_dialog->isHidden());
    QCOMPARE(m_dialog->nameBook()->text(), stored);  // kept for the next showing
}

void TestFaddBook::refusedNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("nine before the point") << "abcdefghi";
    QTest::newRow("point first") << ".MDB";
    QTest::newRow("empty") << "";
    QTest::newRow("backslash path") << "ab.\\..\\x";
    QTest::newRow("slash path") << "a.b/../../etc/x";
    QTest::newRow("drive letter") << "C:x.MDB";
    QTest::newRow("dir before name") << "a/b.MDB";
    QTest::newRow("dot dot after point") << "ab..MDB";
}

void TestFaddBook::refusedNames()
{
    QFETCH(QString, typed);
    QSignalSpy added(m_dialog.get(), &FaddBook::bookmarkAdded);
    const QStringList before = QDir(m_appPath).entryList(QDir::Files);
    const QByteArray settings = contents(ini());
    type("Bad", typed);
    m_dialog->Cadd_Click();

    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].title, QString("Invalid name"));
    QCOMPARE(m_boxes[0].text, QString("The name must be 8+3 characters (with no path)"));
    QCOMPARE(m_boxes[0].icon, QMessageBox::Warning);
    QCOMPARE(m_dialog->nameBook()->text(), QString());
    QCOMPARE(m_dialog->focusWidget(), m_dialog->nameBook());
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(QDir(m_appPath).entryList(QDir::Files), before);
    QCOMPARE(contents(ini()), settings);
    QCOMPARE(added.size(), 0);
}

void TestFaddBook::templateNameRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("bare name, Yes to overwrite") << "EMPTY";
    QTest::newRow("lower case") << "empty.mdb";
    QTest::newRow("full name after blanks") << "  EMPTY.MDB";
}

void TestFaddBook::templateNameRefused()
{
    QFETCH(QString, typed);
    const QByteArray templ = contents(m_appPath + "EMPTY.MDB");
    const QByteArray settings = contents(ini());
    m_answer = QMessageBox::Yes;
    type("Template", typed);
    m_dialog->Cadd_Click();

    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].title, QString("Invalid name"));
    QCOMPARE(m_boxes[0].text, QString("EMPTY.MDB is the template of every new bookmark database: "
                                      "choose another name"));
    QCOMPARE(contents(m_appPath + "EMPTY.MDB"), templ);
    QCOMPARE(contents(ini()), settings);
    QCOMPARE(m_dialog->nameBook()->text(), QString());
    QVERIFY(m_dialog->isVisible());

    // Later adds still find their template.
    m_boxes.clear();
    type("Next", "next");
    m_dialog->Cadd_Click();
    QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.value(0).text));
    QCOMPARE(contents(m_appPath + "next.MDB"), templ);
}

void TestFaddBook::diskFullKeepsExistingFile()
{
    // A small file system, filled up, holding the program folder.
    const QString folder = m_dir->filePath("full");
    QVERIFY(QDir().mkdir(folder));
    if (::mount("tmpfs", folder.toLocal8Bit().constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP(qPrintable("no tmpfs for a full disk (mount: " +
                         QString::fromLocal8Bit(std::strerror(errno)) + ")"));
    auto unmount = qScopeGuard([&] { ::umount2(folder.toLocal8Bit().constData(), MNT_DETACH); });
    const QString appPath = folder + '/';
    QVERIFY(QFile::copy(CORVANE_TEMPLATE_PATH, appPath + "EMPTY.MDB"));
    QVERIFY(WriteINI(appPath + "IC706.INI", "BOOKMARKS", "BOOK0", "radio.MDB"));
    QFile old(appPath + "radio.MDB");
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old memories") > 0);
    old.close();
    QFile filler(appPath + "filler");
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(4096, 'x')) > 0) {
    }
    filler.close();
    const QByteArray settings = contents(appPath + "IC706.INI");
    const QStringList files = QDir(appPath).entryList(QDir::Files);

    FaddBook dialog({appPath, [] { return 0; }, [] { return QString(); }});
    dialog.descr()->setText("Radio");
    dialog.nameBook()->setText("radio");
    m_answer = QMessageBox::Yes;
    dialog.Cadd_Click();

    QCOMPARE(m_boxes.size(), 2);  // "Confirm message", then the failure
    QCOMPARE(m_boxes[1].title, QString("Error during add"));
    QVERIFY2(m_boxes[1].text.startsWith("Error #61\r\nDisk full ("), qPrintable(m_boxes[1].text));
    QVERIFY2(m_boxes[1].text.contains("radio.MDB"), qPrintable(m_boxes[1].text));
    QCOMPARE(contents(appPath + "radio.MDB"), QByteArray("old memories"));
    QCOMPARE(contents(appPath + "EMPTY.MDB"), contents(CORVANE_TEMPLATE_PATH));
    QCOMPARE(contents(appPath + "IC706.INI"), settings);
    QCOMPARE(QDir(appPath).entryList(QDir::Files), files);  // no temporary file left
}

void TestFaddBook::overwriteNo()
{
    QFile old(m_appPath + "radio.MDB");
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old memories") > 0);
    old.close();
    const QByteArray settings = contents(ini());
    m_answer = QMessageBox::No;
    type("Radio", "radio");
    m_dialog->Cadd_Click();

    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].title, QString("Confirm message"));
    QCOMPARE(m_boxes[0].text, QString("radio.MDB already exists. Overwrite it?"));
    QCOMPARE(m_boxes[0].icon, QMessageBox::Warning);
    QCOMPARE(m_boxes[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(contents(m_appPath + "radio.MDB"), QByteArray("old memories"));
    QCOMPARE(contents(ini()), settings);
    QVERIFY(m_dialog->isVisible());
}

void TestFaddBook::overwriteYes()
{
    QFile old(m_appPath + "radio.MDB");
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old memories") > 0);
    old.close();
    m_answer = QMessageBox::Yes;
    type("Radio", "radio");
    m_dialog->Cadd_Click();

    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(contents(m_appPath + "radio.MDB"), contents(CORVANE_TEMPLATE_PATH));
    QCOMPARE(book("BOOK3"), QString("radio.MDB"));
    QVERIFY(m_dialog->isHidden());
}

void TestFaddBook::openDatabaseNotOverwritten()
{
    QFile open(m_open);
    QVERIFY(open.open(QIODevice::WriteOnly) && open.write("in use") > 0);
    open.close();
    m_answer = QMessageBox::Yes;
    type("Again", "default");
    m_dialog->Cadd_Click();

    QCOMPARE(m_boxes.size(), 2);
    QCOMPARE(m_boxes[1].title, QString("Error during add"));
    QCOMPARE(m_boxes[1].icon, QMessageBox::Critical);
    QVERIFY2(m_boxes[1].text.startsWith("Error #70\r\n"), qPrintable(m_boxes[1].text));
    QCOMPARE(contents(m_open), QByteArray("in use"));
    QCOMPARE(book("BOOK3"), QString("<absent>"));
    QVERIFY(m_dialog->isVisible());
}

void TestFaddBook::missingTemplate()
{
    QVERIFY(QFile::remove(m_appPath + "EMPTY.MDB"));
    type("Radio", "radio");
    m_dialog->Cadd_Click();

    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].title, QString("Error during add"));
    QVERIFY2(m_boxes[0].text.startsWith("Error #53\r\n"), qPrintable(m_boxes[0].text));
    QVERIFY(!QFile::exists(m_appPath + "radio.MDB"));
    QCOMPARE(book("BOOK3"), QString("<absent>"));
    QVERIFY(m_dialog->isVisible());
}

void TestFaddBook::settingsWriteFails()
{
    // A directory where the settings file should be: every write to it fails.
    QVERIFY(QFile::remove(ini()));
    QVERIFY(QDir(m_appPath).mkdir("IC706.INI"));
    QSignalSpy added(m_dialog.get(), &FaddBook::bookmarkAdded);
    type("Radio", "radio");
    m_dialog->Cadd_Click();

    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].title, QString("Error during add"));
    QCOMPARE(m_boxes[0].icon, QMessageBox::Critical);
    QVERIFY2(m_boxes[0].text.startsWith("Error #9003\r\n"), qPrintable(m_boxes[0].text));
    QCOMPARE(added.size(), 0);
    QVERIFY(m_dialog->isVisible());
    // The new copy that no entry lists is gone again, with no temporary file left.
    QCOMPARE(QDir(m_appPath).entryList({"*radio*"}, QDir::Files | QDir::Hidden), QStringList());
}

void TestFaddBook::bookCountFull()
{
    FaddBook full({m_appPath, [] { return 32767; }, [] { return QString(); }});
    full.nameBook()->setText("radio");
    full.Cadd_Click();
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY2(m_boxes[0].text.startsWith("Error #6\r\n"), qPrintable(m_boxes[0].text));
    QVERIFY(!QFile::exists(m_appPath + "radio.MDB"));
}

void TestFaddBook::cancelKeepsText()
{
    type("Half typed", "radi");
    QTest::mouseClick(m_dialog->findChild<QPushButton*>("Ccancel"), Qt::LeftButton);
    QVERIFY(m_dialog->isHidden());
    m_dialog->show();
    QCOMPARE(m_dialog->descr()->text(), QString("Half typed"));
    QCOMPARE(m_dialog->nameBook()->text(), QString("radi"));
    QVERIFY(!QFile::exists(m_appPath + "radi.MDB"));
    QVERIFY(m_boxes.isEmpty());
}

QTEST_MAIN(TestFaddBook)
#include "tst_faddbook.moc"
