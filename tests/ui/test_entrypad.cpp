// The frequency entry pad: its state table on the pad alone, then SEND and the keyboard
// through the window against the virtual radio.
#include "radiobench.h"

#include "ui/entrypad.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

class TestEntryPad : public QObject {
    Q_OBJECT
private slots:
    void keyedEntries_data();
    void keyedEntries();
    void keyboardSendsWhenEnabled();
    void keyboardLeavesTextBoxesAlone_data();
    void keyboardLeavesTextBoxesAlone();
};

void TestEntryPad::keyedEntries_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("sendEnabled");
    QTest::addColumn<bool>("refused");

    QTest::newRow("start-up value") << "145400000"
                                    << "145400000" << true << false;
    QTest::newRow("50 000 Hz refused") << "000050000"
                                       << "000050000" << false << true;
    QTest::newRow("50 001 Hz lowest") << "000050001"
                                      << "000050001" << true << false;
    QTest::newRow("199 999 999 Hz highest") << "199999999"
                                            << "199999999" << true << false;
    QTest::newRow("200 MHz refused") << "200000000"
                                     << "200000000" << false << true;
    QTest::newRow("all zeros refused") << "000000000"
                                       << "000000000" << false << true;
    QTest::newRow("all nines refused") << "999999999"
                                       << "999999999" << false << true;
    QTest::newRow("first key clears the rest") << "7"
                                               << "7" << false << false;
    QTest::newRow("partial entry") << "1454"
                                   << "1454" << false << false;
    QTest::newRow("eight of nine") << "14540000"
                                   << "14540000" << false << false;
    QTest::newRow("new entry after refusal") << "2000000003"
                                             << "3" << false << true;
    QTest::newRow("new entry after valid one") << "14540000000"
                                               << "00" << false << false;
}

void TestEntryPad::keyedEntries()
{
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    QFETCH(bool, sendEnabled);
    QFETCH(bool, refused);

    EntryPad pad;
    QSignalSpy status(&pad, &EntryPad::statusText);
    for (QChar key : keys)
        QTest::mouseClick(pad.key(key.digitValue()), Qt::LeftButton);

    QCOMPARE(pad.digits(), shown);
    QCOMPARE(pad.posCifra(), shown.size() - 1);
    for (int i = 0; i < EntryPad::kDigitCount; ++i)
        QCOMPARE(pad.digitLabel(i)->text(), i < shown.size() ? QString(shown[i]) : QString());
    QCOMPARE(pad.sendButton()->isEnabled(), sendEnabled);
    QCOMPARE(!status.isEmpty(), refused);
    if (refused)
        QCOMPARE(status.first().first().toString(), QStringLiteral("WRONG FREQUENCY\r\n"));
    QVERIFY(pad.addMainButton()->isEnabled());
}

void TestEntryPad::keyboardSendsWhenEnabled()
{
    RadioBench bench;
    QVERIFY(bench.startRadio());
    QVERIFY(bench.loadWindow());
    F706* window = bench.window();

    QTest::keyClicks(window, QStringLiteral("0000"));
    QTest::keyClick(window, Qt::Key_Enter);  // partial entry: SEND is disabled
    QTest::keyClicks(window, QStringLiteral("50000"));
    QCOMPARE(bench.find<QLineEdit>("InStringa")->text(), QStringLiteral("WRONG FREQUENCY\r\n"));
    QTest::keyClick(window, Qt::Key_Return);  // refused entry
    QTest::keyClicks(window, QStringLiteral("0070"));
    QTest::keyClick(window, Qt::Key_5, Qt::ControlModifier);  // not a pad key
    QTest::keyClicks(window, QStringLiteral("50000"));
    QTest::keyClick(window, Qt::Key_Return);
    QTest::keyClick(window, Qt::Key_Enter, Qt::KeypadModifier);

    QVERIFY(bench.waitForFrames(2));
    window->SelezionaVfoA();
    QVERIFY(bench.waitForFrames(3));
    const QString sent = frameTo48("050000050700");
    QCOMPARE(bench.frames(), (QStringList{sent, sent, frameTo48("0700")}));
    QTRY_COMPARE(bench.find<QLabel>("Freq")->text(), QStringLiteral("7.050.000"));
}

void TestEntryPad::keyboardLeavesTextBoxesAlone_data()
{
    QTest::addColumn<QString>("focus");
    QTest::newRow("status line") << "InStringa";
    QTest::newRow("memory grid") << "DBGrid1";
}

void TestEntryPad::keyboardLeavesTextBoxesAlone()
{
    QFETCH(QString, focus);
    RadioBench bench;
    QVERIFY(bench.startRadio());
    QVERIFY(bench.loadWindow());
    F706* window = bench.window();
    window->show();
    QApplication::setActiveWindow(window);
    QWidget* target = window->findChild<QWidget*>(focus);
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);

    QTest::keyClicks(target, QStringLiteral("12"));
    QTest::keyClick(target, Qt::Key_Return);
    QCOMPARE(window->entryPad()->digits(), QStringLiteral("145400000"));
    window->SelezionaVfoA();
    QVERIFY(bench.waitForFrames(1));
    QCOMPARE(bench.frames(), QStringList{frameTo48("0700")});
}

QTEST_MAIN(TestEntryPad)
#include "test_entrypad.moc"
