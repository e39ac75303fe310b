#include "common/replacingfile.h"
#include "memory/bookmarkfiles.h"
#include "settings/inifile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

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

/** Every file in dir, hidden ones too: a temporary file left behind shows here. */
QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

/** The unprivileged account every Linux system has. */
constexpr uid_t kNobody = 65534;

/** Runs work in a child process as the user nobody and returns its exit status (0..254);
 *  -1 when the process cannot drop to that user here. */
int runAsNobody(const std::function<int()>& work)
{
    constexpr int kCannotDrop = 255;
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(kCannotDrop);
        ::_exit(work());
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) == kCannotDrop)
        return -1;
    return WEXITSTATUS(status);
}

/** A tmpfs of a few pages mounted on a folder for the life of the object. */
class SmallDisk {
public:
    explicit SmallDisk(const QString& folder) : m_folder(QFile::encodeName(folder))
    {
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    bool isMounted() const { return m_mounted; }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

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
    void writesKeepTheFilesForm_data();
    void writesKeepTheFilesForm();
    void symlinkIsWrittenThrough();
    void nonRegularFileIsRefused_data();
    void nonRegularFileIsRefused();
    void numbers_data();
    void numbers();
    void staleTemporaryFilesOfOursAreRemoved();
    void fullDiskLeavesTheFileWhole();

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
    QTest::newRow("byte-order mark before the first section")
        << QByteArray("\xEF\xBB\xBF[SETTINGS]\r\nCOMPORT=3\r\n") << kSettings << "COMPORT"
        << "3";
    QTest::newRow("quoted value keeps its blanks and ';'")
        << QByteArray("[BOOKMARKS]\nBOOK1CAPTION=\" 2 m; FM \" ; note\n") << kBookmarks
        << "BOOK1CAPTION"
        << " 2 m; FM ";
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
    QCOMPARE(filesIn(dir.path()), QStringList({"IC706.INI", "plain"}));
    QCOMPARE(filesIn(QFileInfo(path).path()).size(), QFileInfo(path).path() == dir.path() ? 2 : 0);
}

void TestIniFile::readOnlyFileIsNotReplaced()
{
    QVERIFY(writeFile(iniPath(), kHandWritten));
    QVERIFY(QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::ReadUser));
    enum Attempt { Refused, Written, MayWriteAnyFile };
    const auto attempt = [this]() -> int {
        QFile probe(iniPath());
        if (probe.open(QIODevice::WriteOnly | QIODevice::Append))
            return MayWriteAnyFile;
        return WriteINI(iniPath(), kSettings, QStringLiteral("COMPORT"), QStringLiteral("3"))
                   ? Written
                   : Refused;
    };
    int result = 0;
    if (::geteuid() == 0) {
        // Root writes any file: an ordinary user owning the folder and the read-only file
        // tries the write, so replacing the file through the folder would succeed.
        const QByteArray dir = QFile::encodeName(m_dir->path());
        const QByteArray file = QFile::encodeName(iniPath());
        QVERIFY(::chown(dir.constData(), kNobody, kNobody) == 0);
        QVERIFY(::chown(file.constData(), kNobody, kNobody) == 0);
        result = runAsNobody(attempt);
        if (result < 0)
            QSKIP("cannot run as an unprivileged user here");
    } else {
        result = attempt();
    }
    if (result == MayWriteAnyFile)
        QSKIP("this account may write read-only files");

    QCOMPARE(result, int(Refused));
    QCOMPARE(readFile(iniPath()), QByteArray(kHandWritten));
    QCOMPARE(QFileInfo(iniPath()).permissions() & QFile::WriteOwner, QFile::Permissions());
}

void TestIniFile::writesKeepTheFilesForm_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    const QByteArray bom = "\xEF\xBB\xBF";
    QTest::newRow("CRLF file: the line keeps CRLF")
        << QByteArray("[SETTINGS]\r\nADDR706=72\r\nCOMPORT=2\r\n") << kSettings << "COMPORT"
        << "3" << QByteArray("[SETTINGS]\r\nADDR706=72\r\nCOMPORT=3\r\n");
    QTest::newRow("CRLF file: a new key and section take CRLF")
        << QByteArray("[SETTINGS]\r\nCOMPORT=2\r\n") << kBookmarks << "BOOK1"
        << "a.mdb" << QByteArray("[SETTINGS]\r\nCOMPORT=2\r\n[BOOKMARKS]\r\nBOOK1=a.mdb\r\n");
    QTest::newRow("byte-order mark kept, section found behind it")
        << bom + "[SETTINGS]\nCOMPORT=2\n"
        << kSettings << "COMPORT"
        << "4" << bom + "[SETTINGS]\nCOMPORT=4\n";
    QTest::newRow("new key after the section's last entry, before the blank line")
        << QByteArray("[SETTINGS]\nADDR706=72\n\n[BOOKMARKS]\nBOOK0=a.mdb\n") << kSettings
        << "COMPORT"
        << "1" << QByteArray("[SETTINGS]\nADDR706=72\nCOMPORT=1\n\n[BOOKMARKS]\nBOOK0=a.mdb\n");
    QTest::newRow("last line without a line break")
        << QByteArray("[SETTINGS]\nADDR706=72") << kSettings << "COMPORT"
        << "1" << QByteArray("[SETTINGS]\nADDR706=72\nCOMPORT=1\n");
    QTest::newRow("comment, blanks and case of the other lines kept")
        << QByteArray("; mine\n[settings]\n  comport = 2 ; the port\naddr706=78\n") << kSettings
        << "COMPORT"
        << "3" << QByteArray("; mine\n[settings]\nCOMPORT=3\naddr706=78\n");
    QTest::newRow("value needing quotes")
        << QByteArray() << kBookmarks << "BOOK1CAPTION"
        << " \"Ponti\"; 2 m " << QByteArray("[BOOKMARKS]\nBOOK1CAPTION=\" \\\"Ponti\\\"; 2 m \"\n");
    QTest::newRow("same value: file untouched")
        << QByteArray("[SETTINGS]\nCOMPORT = 3  ; mine\n") << kSettings << "COMPORT"
        << "3" << QByteArray("[SETTINGS]\nCOMPORT = 3  ; mine\n");
}

void TestIniFile::writesKeepTheFilesForm()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    if (!before.isNull())
        QVERIFY(writeFile(iniPath(), before));
    AppError error;
    QVERIFY2(WriteINI(iniPath(), section, key, value, &error), qPrintable(error.text));
    QCOMPARE(readFile(iniPath()), after);
    QCOMPARE(ReadINI(iniPath(), section, key, {}), value);
    QCOMPARE(filesIn(m_dir->path()), QStringList({"IC706.INI"}));
}

void TestIniFile::symlinkIsWrittenThrough()
{
    QDir dir(m_dir->path());
    QVERIFY(dir.mkdir("kept"));
    QVERIFY(writeFile(dir.filePath("kept/mine.ini"), kHandWritten));
    const QByteArray target = QFile::encodeName(dir.filePath("kept/mine.ini"));
    QCOMPARE(::chmod(target.constData(), 0604), 0);
    QCOMPARE(::symlink("kept/mine.ini", QFile::encodeName(iniPath()).constData()), 0);

    QVERIFY(WriteINI(iniPath(), kSettings, QStringLiteral("COMPORT"), QStringLiteral("3")));

    QVERIFY(QFileInfo(iniPath()).isSymLink());
    QByteArray expected(kHandWritten);
    expected.replace("COMPORT = 2", "COMPORT=3");
    QCOMPARE(readFile(dir.filePath("kept/mine.ini")), expected);
    struct stat status {};
    QCOMPARE(::stat(target.constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, 0604u);
    QCOMPARE(filesIn(dir.filePath("kept")), QStringList({"mine.ini"}));
}

void TestIniFile::nonRegularFileIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("link to /dev/zero") << "zero";
    QTest::newRow("folder") << "folder";
}

void TestIniFile::nonRegularFileIsRefused()
{
    QFETCH(QString, kind);
    const QByteArray path = QFile::encodeName(iniPath());
    if (kind == "fifo")
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    else if (kind == "zero")
        QVERIFY(QFile::link("/dev/zero", iniPath()));
    else
        QVERIFY(QDir(m_dir->path()).mkdir("IC706.INI"));

    QCOMPARE(ReadINI(iniPath(), kSettings, "COMPORT", "2"), QStringLiteral("2"));
    AppError error;
    QVERIFY(!readIniNumber(iniPath(), kSettings, "COMPORT", "2", 1, 4, &error));
    QCOMPARE(error.number, errors::kPathFileAccess);
    QCOMPARE(error.text, "Path/File access error (" + iniPath() + ": not a regular file)");
    QVERIFY(!WriteINI(iniPath(), kSettings, "COMPORT", "3", &error));
    QCOMPARE(error.number, errors::kSettingsWriteFailed);
    QVERIFY2(error.text.endsWith("not a regular file"), qPrintable(error.text));
    QCOMPARE(filesIn(m_dir->path()), kind == "folder" ? QStringList() : QStringList{"IC706.INI"});
}

void TestIniFile::numbers_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("number");  ///< the value, or minus the error number
    QTest::newRow("decimal") << QByteArray("ADDR706=78") << 78;
    QTest::newRow("blanks around") << QByteArray("ADDR706 =  7 ") << 7;
    QTest::newRow("absent: default") << QByteArray() << 72;
    QTest::newRow("hexadecimal") << QByteArray("ADDR706=4E") << -errors::kSettingsNotNumber;
    QTest::newRow("empty") << QByteArray("ADDR706=") << -errors::kSettingsNotNumber;
    QTest::newRow("above 255") << QByteArray("ADDR706=256") << -errors::kSettingsOutOfRange;
    QTest::newRow("negative") << QByteArray("ADDR706=-1") << -errors::kSettingsOutOfRange;
    QTest::newRow("overflows any integer")
        << QByteArray("ADDR706=99999999999999999999") << -errors::kSettingsOutOfRange;
    QTest::newRow("a file over 1 MiB is no settings file")
        << QByteArray("ADDR706=78\n;" + QByteArray(1024 * 1024, 'x')) << -errors::kPathFileAccess;
}

void TestIniFile::numbers()
{
    QFETCH(QByteArray, line);
    QFETCH(int, number);
    QVERIFY(writeFile(iniPath(), "[SETTINGS]\n" + line + "\n"));
    AppError error;
    const std::optional<int> got =
        readIniNumber(iniPath(), kSettings, "ADDR706", "72", 0, 255, &error);
    QCOMPARE(got.value_or(-error.number), number);
    if (number == -errors::kPathFileAccess) {
        // Neither read nor rewritten, and the message names the file and the limit.
        const QString tooLarge = iniPath() + ": the file is larger than 1048576 bytes (1 MiB)";
        QVERIFY2(error.text.contains(tooLarge), qPrintable(error.text));
        const QByteArray before = readFile(iniPath());
        QVERIFY(!WriteINI(iniPath(), kSettings, "COMPORT", "3", &error));
        QVERIFY2(error.text.contains("larger than 1048576 bytes (1 MiB)"), qPrintable(error.text));
        QCOMPARE(readFile(iniPath()), before);
    } else if (!got) {
        QVERIFY2(error.text.endsWith("(ADDR706=" + line.mid(line.indexOf('=') + 1) + ")"),
                 qPrintable(error.text));
    }
}

void TestIniFile::staleTemporaryFilesOfOursAreRemoved()
{
    // Left by a run killed while writing: ours and old, ours and fresh (a write under way
    // in another instance), and files of the same look that are not ours.
    const QDir dir(m_dir->path());
    const QStringList names = {".IC706.INI.new-1abc", ".HOME.MDB.new-zz9", ".IC706.INI.new-fresh1",
                               "IC706.INI.new-1abc",  ".notes.new-",       ".x.new-UPPER"};
    for (const QString& name : names) {
        QVERIFY(writeFile(dir.filePath(name), "partial"));
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QDateTime when =
            QDateTime::currentDateTime().addSecs(name.contains("fresh") ? 0 : -3600);
        QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
    }
    QCOMPARE(ReplacingFile::removeStale(dir.path(), 600), 2);
    QCOMPARE(filesIn(dir.path()), (QStringList{".IC706.INI.new-fresh1", ".notes.new-",
                                               ".x.new-UPPER", "IC706.INI.new-1abc"}));
}

void TestIniFile::fullDiskLeavesTheFileWhole()
{
    SmallDisk disk(m_dir->path());
    if (!disk.isMounted())
        QSKIP("cannot mount a small tmpfs here (needs root); the full-disk case is not run");
    QVERIFY(writeFile(iniPath(), kHandWritten));
    QFile filler(m_dir->filePath("filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray page(4096, 'x');
    while (filler.write(page) == page.size()) {
    }
    filler.close();

    AppError error;
    QVERIFY(!WriteINI(iniPath(), kSettings, "COMPORT", QString(100, u'3'), &error));
    QCOMPARE(error.text, "The settings file could not be written (" + iniPath() + "): Disk full");
    error = {};
    QVERIFY(!writeBookmarkEntry(iniPath(), 2, "UHF", "uhf.mdb", &error));
    QCOMPARE(error.number, errors::kSettingsWriteFailed);
    QVERIFY2(error.text.endsWith("Disk full"), qPrintable(error.text));

    QCOMPARE(readFile(iniPath()), QByteArray(kHandWritten));
    QCOMPARE(filesIn(m_dir->path()), QStringList({"filler", "IC706.INI"}));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
