#include "settings/inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kSettings = QStringLiteral("SETTINGS");
const QString kBookmarks = QStringLiteral("BOOKMARKS");

/** A settings file as the operator keeps it: comments, blanks around '=', a gap in the
 *  bookmark list (BOOK2 missing), an empty BOOK4. */
const char kHandWritten[] =
    "; Corvane settings\n"
    "[SETTINGS]\n"
    "ADDR706=78\n"
    "# the port\n"
    "COMPORT = 2\n"
    "\n"
    "[BOOKMARKS]\n"
    "BOOK0=default.mdb\n"
    "BOOK0CAPTION=Ripetitori\n"
    "BOOK1=vhf.mdb\n"
    "BOOK1CAPTION=VHF\n"
    "BOOK3=hf.mdb\n"
    "BOOK3CAPTION=HF\n"
    "BOOK4=\n";

bool writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestIniFile : public QObject {
    Q_OBJECT

private slots:
    void init();
    void read_data();
    void read();
    void firstWriteCreatesFile();
    void replacesValueInPlace();
    void appendsToTheBookmarkGap();
    void longValueComesBackAs79Characters();
    void failedWrites_data();
    void failedWrites();
    void readOnlyFileIsNotReplaced();

private:
    QString iniPath() const { return m_dir->filePath(QStringLiteral("IC706.INI")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestIniFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestIniFile::read_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QByteArray hand(kHandWritten);
    QTest::newRow("ADDR706 as text") << hand << kSettings << "ADDR706"
                                     << "78";
    QTest::newRow("blanks around =") << hand << kSettings << "COMPORT"
                                     << "2";
    QTest::newRow("BOOK1") << hand << kBookmarks << "BOOK1"
                           << "vhf.mdb";
    QTest::newRow("BOOK2 absent") << hand << kBookmarks << "BOOK2"
                                  << "<none>";
    QTest::newRow("BOOK3 behind the gap") << hand << kBookmarks << "BOOK3"
                                          << "hf.mdb";
    QTest::newRow("BOOK4 empty, not the default") << hand << kBookmarks << "BOOK4"
                                                  << "";
    QTest::newRow("key in the other section") << hand << kSettings << "BOOK1"
                                              << "<none>";
    QTest::newRow("section absent") << hand << "OTHER"
                                    << "ADDR706"
                                    << "<none>";
    QTest::newRow("empty file") << QByteArray() << kSettings << "ADDR706"
                                << "<none>";
    QTest::newRow("commented-out key")
        << QByteArray("[SETTINGS]\n;COMPORT=4\n") << kSettings << "COMPORT"
        << "<none>";
    QTest::newRow("names ignore case")
        << QByteArray("[settings]\ncomport=3\n") << kSettings << "COMPORT"
        << "3";
    QTest::newRow("non-ASCII caption")
        << QByteArray("[BOOKMARKS]\nBOOK1CAPTION=Ponte 2m àèì\n") << kBookmarks << "BOOK1CAPTION"
        << "Ponte 2m àèì";
    QTest::newRow("80 characters cut to 79")
        << "[BOOKMARKS]\nBOOK1CAPTION=" + QByteArray(80, 'x') + '\n'
        << kBookmarks << "BOOK1CAPTION" << QString(79, u'x');
    QTest::newRow("79 two-byte characters kept whole")
        << "[BOOKMARKS]\nBOOK1CAPTION=" + QString(100, u'é').toUtf8() + '\n'
        << kBookmarks << "BOOK1CAPTION" << QString(79, u'é');
}

void TestIniFile::read()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    if (!contents.isNull())
        QVERIFY(writeFile(iniPath(), contents));
    QCOMPARE(ReadINI(iniPath(), section, key, QStringLiteral("<none>")), expected);
    QCOMPARE(QFile::exists(iniPath()), !contents.isNull());
}

void TestIniFile::firstWriteCreatesFile()
{
    QVERIFY(WriteINI(iniPath(), kSettings, QStringLiteral("COMPORT"), QStringLiteral("3")));
    QCOMPARE(ReadINI(iniPath(), kSettings, QStringLiteral("COMPORT"), QStringLiteral("2")),
             QStringLiteral("3"));
    QCOMPARE(readFile(iniPath()).split('\n').mid(0, 2),
             QByteArrayList({"[SETTINGS]", "COMPORT=3"}));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({"IC706.INI"}));
}

void TestIniFile::replacesValueInPlace()
{
    QVERIFY(writeFile(iniPath(), kHandWritten));
    QVERIFY(WriteINI(iniPath(), kSettings, QStringLiteral("COMPORT"), QStringLiteral("3")));

    QByteArrayList expected = QByteArray(kHandWritten).split('\n');
    expected[4] = "COMPORT=3";
    QCOMPARE(readFile(iniPath()).split('\n'), expected);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({"IC706.INI"}));
}

void TestIniFile::appendsToTheBookmarkGap()
{
    QVERIFY(writeFile(iniPath(), kHandWritten));
    QVERIFY(WriteINI(iniPath(), kBookmarks, QStringLiteral("BOOK2CAPTION"), QStringLiteral("UHF")));
    QVERIFY(WriteINI(iniPath(), kBookmarks, QStringLiteral("BOOK2"), QStringLiteral("uhf.mdb")));

    const QStringList expected = {"vhf.mdb", "VHF", "uhf.mdb", "UHF", "hf.mdb", "HF"};
    QStringList stored;
    for (int n = 1; n <= 3; ++n) {
        const QString key = QStringLiteral("BOOK%1").arg(n);
        stored << ReadINI(iniPath(), kBookmarks, key, {})
               << ReadINI(iniPath(), kBookmarks, key + QStringLiteral("CAPTION"), {});
    }
    QCOMPARE(stored, expected);
    QCOMPARE(ReadINI(iniPath(), kSettings, QStringLiteral("ADDR706"), {}), QStringLiteral("78"));
    QVERIFY(WriteINI(iniPath(), kBookmarks, QStringLiteral("BOOK5"), QString()));
    QCOMPARE(ReadINI(iniPath(), kBookmarks, QStringLiteral("BOOK5"), QStringLiteral("<none>")),
             QString());
}

void TestIniFile::longValueComesBackAs79Characters()
{
    const QString caption = QString(60, u'a') + QString(40, u'b');
    QVERIFY(WriteINI(iniPath(), kBookmarks, QStringLiteral("BOOK1CAPTION"), caption));
    QCOMPARE(ReadINI(iniPath(), kBookmarks, QStringLiteral("BOOK1CAPTION"), {}), caption.left(79));
    QCOMPARE(readIniValue(iniPath(), kBookmarks, QStringLiteral("BOOK1CAPTION"), {}, 255), caption);
}

void TestIniFile::failedWrites_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<QString>("value");
    QTest::newRow("directory missing") << "missing/IC706.INI"
                                       << "3";
    QTest::newRow("parent is a file") << "plain/IC706.INI"
                                      << "3";
    QTest::newRow("file name is a full directory") << "full/IC706.INI"
                                                   << "3";
    QTest::newRow("file name is an empty directory") << "empty/IC706.INI"
                                                     << "3";
    QTest::newRow("line break in the value") << "IC706.INI"
                                             << "3\n[SETTINGS]";
    QTest::newRow("carriage return in the value") << "IC706.INI"
                                                  << "3\rX";
}

void TestIniFile::failedWrites()
{
    QFETCH(QString, relativePath);
    QFETCH(QString, value);
    QDir dir(m_dir->path());
    QVERIFY(writeFile(dir.filePath("plain"), "not a directory"));
    QVERIFY(dir.mkpath("full/IC706.INI/inside") && dir.mkpath("empty/IC706.INI"));
    QVERIFY(writeFile(iniPath(), kHandWritten));
    const QString path = dir.filePath(relativePath);

    QVERIFY(!WriteINI(path, kSettings, QStringLiteral("COMPORT"), value));

    QCOMPARE(readFile(iniPath()), QByteArray(kHandWritten));
    QVERIFY(QFileInfo(dir.filePath("full/IC706.INI/inside")).isDir());
    QVERIFY(QFileInfo(dir.filePath("empty/IC706.INI")).isDir());
    QVERIFY(!QFile::exists(path.chopped(1) + u'~'));
}

void TestIniFile::readOnlyFileIsNotReplaced()
{
    QVERIFY(writeFile(iniPath(), kHandWritten));
    QVERIFY(QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::ReadUser));
    QFile probe(iniPath());
    if (probe.open(QIODevice::WriteOnly | QIODevice::Append))
        QSKIP("this account may write read-only files");

    QVERIFY(!WriteINI(iniPath(), kSettings, QStringLiteral("COMPORT"), QStringLiteral("3")));
    QCOMPARE(readFile(iniPath()), QByteArray(kHandWritten));
    QCOMPARE(QFileInfo(iniPath()).permissions() & QFile::WriteOwner, QFile::Permissions());
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
