#include "memory/bookmarkfiles.h"
#include "settings/inifile.h"

#include "support/memoryfixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestBookmarkFiles : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString ini() const { return m_dir.filePath("IC706.INI"); }

private slots:
    void nameSteps_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("extension added") << "radio"
                                         << "radio.MDB" << true;
        QTest::newRow("lower-case extension kept") << "radio.mdb"
                                                   << "radio.mdb" << true;
        QTest::newRow("mixed-case extension kept") << "Radio.mDb"
                                                   << "Radio.mDb" << true;
        QTest::newRow("other extension") << "radio.txt"
                                         << "radio.txt.MDB" << true;
        QTest::newRow("eight before the point") << "abcdefgh.MDB"
                                                << "abcdefgh.MDB" << true;
        QTest::newRow("nine before the point") << "abcdefghi"
                                               << "abcdefghi.MDB" << false;
        QTest::newRow("bare extension") << ".MDB"
                                        << ".MDB" << false;
        QTest::newRow("blanks around") << "  radio.mdb  "
                                       << "radio.mdb  .MDB" << true;
        QTest::newRow("blanks before") << "  radio"
                                       << "radio.MDB" << true;
        QTest::newRow("blanks inside before the extension") << "radio  "
                                                            << "radio  .MDB" << true;
        QTest::newRow("only blanks") << "   "
                                     << ".MDB" << false;
        QTest::newRow("backslash path") << "ab.\\..\\x"
                                        << "ab.\\..\\x.MDB" << false;
        QTest::newRow("slash path") << "a.b/../../etc/x"
                                    << "a.b/../../etc/x.MDB" << false;
        QTest::newRow("drive letter") << "C:x.MDB"
                                      << "C:x.MDB" << false;
        QTest::newRow("two points") << "ab..MDB"
                                    << "ab..MDB" << false;
        QTest::newRow("folder only") << "dir/x"
                                     << "dir/x.MDB" << false;
    }
    void nameSteps()
    {
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(bookmarkFileName(typed), name);
        QCOMPARE(isValidBookmarkName(name), valid);
    }

    void templateCopy_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<int>("number");  // 0: success
        QTest::newRow("new file") << false << false << 0;
        QTest::newRow("existing file kept") << true << false << int(errors::kFileExists);
        QTest::newRow("existing file replaced") << true << true << 0;
    }
    void templateCopy()
    {
        QFETCH(bool, exists);
        QFETCH(bool, replace);
        QFETCH(int, number);
        const QString target = m_dir.filePath("radio.MDB");
        QFile::remove(target);
        if (exists)
            fixture::makeDatabase(m_dir.path(), "radio.MDB",
                                  {fixture::memory("x", "145", "500", "000", "FM")});
        const QByteArray before = fixture::bytesOf(target);
        AppError error;
        QCOMPARE(createFromTemplate(CORVANE_TEMPLATE_PATH, target, replace, &error), number == 0);
        QCOMPARE(error.number, number);
        if (number == 0) {
            QCOMPARE(fixture::bytesOf(target), fixture::bytesOf(CORVANE_TEMPLATE_PATH));
            QCOMPARE(fixture::rowsOf(target, "SELECT * FROM TabFreq"), QStringList());
        } else {
            QVERIFY(error.text.contains(QDir::toNativeSeparators(target)));
            QCOMPARE(fixture::bytesOf(target), before);
        }
    }

    void readOnlyTemplateGivesWritableCopy()
    {
        const QString templ = m_dir.filePath("EMPTY.MDB");
        QVERIFY(QFile::copy(CORVANE_TEMPLATE_PATH, templ));
        QVERIFY(QFile::setPermissions(templ, QFile::ReadOwner | QFile::ReadGroup));
        const QString target = m_dir.filePath("new.MDB");
        AppError error;
        QVERIFY2(createFromTemplate(templateFilePathFor(), target, false, &error),
                 qPrintable(error.text));
        QVERIFY(QFile::permissions(target) & QFile::WriteOwner);
        QFile::setPermissions(templ, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(QFile::remove(templ));
    }

    void missingTemplate()
    {
        const QString target = m_dir.filePath("none.MDB");
        AppError error;
        QVERIFY(!createFromTemplate(m_dir.filePath("NOTHERE.MDB"), target, false, &error));
        QCOMPARE(error.number, int(errors::kFileNotFound));
        QVERIFY(error.text.contains("NOTHERE.MDB"));
        QVERIFY(!QFile::exists(target));
    }

    void sameFile()
    {
        const QString path = fixture::makeDatabase(m_dir.path(), "same.MDB", {});
        QVERIFY(isSameFile(path, m_dir.path() + "/./same.MDB"));
        QVERIFY(!isSameFile(path, m_dir.filePath("other.MDB")));
    }

    void bookmarkList_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("no settings file") << QString() << QStringList{"|"};
        QTest::newRow("two further entries")
            << "[BOOKMARKS]\nBOOK0=main.MDB\nBOOK0CAPTION=Main\nBOOK1=hf.MDB\n"
               "BOOK1CAPTION=HF\nBOOK2=vhf.MDB\n"
            << QStringList{"Main|main.MDB", "HF|hf.MDB", "|vhf.MDB"};
        QTest::newRow("a gap ends the list")
            << "[BOOKMARKS]\nBOOK0=main.MDB\nBOOK1=a.MDB\nBOOK3=c.MDB\n"
            << QStringList{"|main.MDB", "|a.MDB"};
        QTest::newRow("an empty value ends the list")
            << "[BOOKMARKS]\nBOOK1=a.MDB\nBOOK2=\nBOOK3=c.MDB\n"
            << QStringList{"|", "|a.MDB"};
    }
    void bookmarkList()
    {
        QFETCH(QString, content);
        QFETCH(QStringList, entries);
        QFile::remove(ini());
        if (!content.isNull()) {
            QFile file(ini());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content.toUtf8());
        }
        QStringList seen;
        for (const BookmarkEntry& entry : readBookmarkList(ini()))
            seen << entry.caption + '|' + entry.fileName;
        QCOMPARE(seen, entries);
    }

    void addingAnEntryWritesItsKeys()
    {
        QFile::remove(ini());
        QVERIFY(WriteINI(ini(), "BOOKMARKS", "BOOK0", "main.MDB"));
        QVERIFY(WriteINI(ini(), "BOOKMARKS", "BOOK1", "a.MDB"));
        QVERIFY(WriteINI(ini(), "BOOKMARKS", "BOOK2", "b.MDB"));
        const int bookCount = static_cast<int>(readBookmarkList(ini()).size()) - 1;
        QCOMPARE(bookCount, 2);
        AppError error;
        QVERIFY2(writeBookmarkEntry(ini(), bookCount + 1, "Contest", "radio.MDB", &error),
                 qPrintable(error.text));
        QCOMPARE(ReadINI(ini(), "BOOKMARKS", "BOOK3CAPTION", "?"), QStringLiteral("Contest"));
        QCOMPARE(ReadINI(ini(), "BOOKMARKS", "BOOK3", "?"), QStringLiteral("radio.MDB"));
        QCOMPARE(readBookmarkList(ini()).size(), 4);
    }

    void entryWriteFailures_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<bool>("unwritable");
        QTest::addColumn<int>("number");
        QTest::newRow("BookCount at its limit")
            << kMaxBookCount + 1 << false << int(errors::kOverflow);
        QTest::newRow("settings file not writable")
            << 1 << true << int(errors::kSettingsWriteFailed);
    }
    void entryWriteFailures()
    {
        QFETCH(int, n);
        QFETCH(bool, unwritable);
        QFETCH(int, number);
        // A settings "file" that is a folder cannot be written by anyone.
        const QString path = unwritable ? m_dir.filePath("folder.INI") : ini();
        if (unwritable)
            QVERIFY(QDir(m_dir.path()).mkpath("folder.INI"));
        AppError error;
        QVERIFY(!writeBookmarkEntry(path, n, "x", "x.MDB", &error));
        QCOMPARE(error.number, number);
        if (unwritable)
            QVERIFY(error.text.contains(QDir::toNativeSeparators(path)));
    }

private:
    QString templateFilePathFor() const { return templatePath(m_dir.path() + '/'); }
};

QTEST_GUILESS_MAIN(TestBookmarkFiles)
#include "tst_bookmarkfiles.moc"
