// The frequency entry pad: its state table on the pad alone, then the keyboard through the
// window against the virtual radio: which keys reach the pad and which Return sends. Then
// every native radio model's frequencies through each place that checks one: the pad, the
// grid's MHz cell, the import rules and a network client's set.
#include "net/fakerig.h"
#include "radiobench.h"

#include "exchange/memoryrules.h"
#include "hamlib/hamlibprofile.h"
#include "memory/cellrules.h"
#include "memory/datafreq.h"
#include "net/rigctldispatcher.h"
#include "profile/radioprofile.h"
#include "ui/entrypad.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

class TestEntryPad : public QObject {
    Q_OBJECT
private slots:
    void keyedEntries_data();
    void keyedEntries();
    void keyboard_data();
    void keyboard();
    void modelFrequencies_data();
    void modelFrequencies();
    void mkiigWindowSends70cm();
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
        QTest::mouseClick(pad.findChild<QPushButton*>(QStringLiteral("Tasto_%1").arg(key)),
                          Qt::LeftButton);

    QCOMPARE(pad.digits(), shown);
    QCOMPARE(pad.posCifra(), shown.size() - 1);
    for (int i = 0; i < EntryPad::kDigitCount; ++i)
        QCOMPARE(pad.digitLabel(i)->text(), i < shown.size() ? QString(shown[i]) : QString());
    QCOMPARE(pad.sendEnabled(), sendEnabled);
    QCOMPARE(!status.isEmpty(), refused);
    if (refused)
        QCOMPARE(status.first().first().toString(), QStringLiteral("WRONG FREQUENCY\r\n"));
    QVERIFY(pad.findChild<QPushButton*>(QStringLiteral("CaddMain"))->isEnabled());
}

void TestEntryPad::modelFrequencies_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<qint64>("hz");
    QTest::addColumn<bool>("pad");
    QTest::addColumn<bool>("grid");  // the MHz cell, which knows only its own three digits
    QTest::addColumn<bool>("import");
    QTest::addColumn<bool>("rigctl");

    // The MKII and the original keep their limits exactly: the pad 50 001 .. 199 999 999 Hz,
    // the MHz cell 1 .. 200, a memory and a client's set 30 kHz .. 199.999999 MHz.
    QTest::newRow("MKII 2 m") << "IC-706MKII" << 145'500'000LL << true << true << true << true;
    QTest::newRow("MKII top") << "IC-706MKII" << 199'999'999LL << true << true << true << true;
    QTest::newRow("MKII 200 MHz") << "IC-706MKII" << 200'000'000LL << false << true << false
                                  << false;
    QTest::newRow("MKII 40 kHz") << "IC-706MKII" << 40'000LL << false << false << true << true;
    QTest::newRow("MKII 70 cm") << "IC-706MKII" << 435'000'000LL << false << false << false
                                << false;
    QTest::newRow("IC-706 70 cm") << "IC-706" << 435'000'000LL << false << false << false << false;
    // The MKIIG also receives 400 to 470 MHz.
    QTest::newRow("MKIIG 2 m") << "IC-706MKIIG" << 145'500'000LL << true << true << true << true;
    QTest::newRow("MKIIG 70 cm") << "IC-706MKIIG" << 435'000'000LL << true << true << true << true;
    QTest::newRow("MKIIG 400 MHz")
        << "IC-706MKIIG" << 400'000'000LL << true << true << true << true;
    QTest::newRow("MKIIG 470 MHz")
        << "IC-706MKIIG" << 470'000'000LL << true << true << true << true;
    QTest::newRow("MKIIG just above 470")
        << "IC-706MKIIG" << 470'000'001LL << false << true << false << false;
    QTest::newRow("MKIIG just below 400")
        << "IC-706MKIIG" << 399'999'999LL << false << false << false << false;
    QTest::newRow("MKIIG 300 MHz")
        << "IC-706MKIIG" << 300'000'000LL << false << false << false << false;
    // A radio through Hamlib: its receive ranges as Hamlib tells them (100 kHz .. 56 MHz and
    // 76 MHz .. 1.3 GHz), up to what a memory holds, 999.999999 MHz.
    QTest::newRow("Hamlib 900 MHz") << "Hamlib" << 900'000'000LL << true << true << true << true;
    QTest::newRow("Hamlib top of a memory")
        << "Hamlib" << 999'999'999LL << true << true << true << true;
    QTest::newRow("Hamlib 60 MHz, between its ranges")
        << "Hamlib" << 60'000'000LL << false << true << false << false;
    QTest::newRow("Hamlib 80 kHz, below its lowest")
        << "Hamlib" << 80'000LL << false << false << false << false;
}

void TestEntryPad::modelFrequencies()
{
    QFETCH(QString, model);
    QFETCH(qint64, hz);
    QFETCH(bool, pad);
    QFETCH(bool, grid);
    QFETCH(bool, import);
    QFETCH(bool, rigctl);

    const RadioProfile* profile = nullptr;
    for (const RadioProfile* native : kNativeProfiles) {
        if (native->displayName() == model)
            profile = native;
    }
    if (model == u"Hamlib") {
        HamlibCapabilities wideband;
        wideband.receiveRanges = {{100'000, 56'000'000}, {76'000'000, 1'300'000'000}};
        profile = &hamlibProfile(wideband);
    } else {
        QVERIFY(profile);
        QCOMPARE(&radioprofile::nativeAt(profile->defaultAddress), profile);
    }
    radioprofile::setCurrent(*profile);
    const auto restore = qScopeGuard([] { radioprofile::setCurrent(kRadioProfile); });

    EntryPad entry;
    for (QChar key : QStringLiteral("%1").arg(hz, 9, 10, QLatin1Char('0')))
        QTest::mouseClick(entry.findChild<QPushButton*>(QStringLiteral("Tasto_%1").arg(key)),
                          Qt::LeftButton);
    QCOMPARE(entry.sendEnabled(), pad);

    const CellVerdict cell =
        checkCellEdit(memcol::kMHz, QString::number(hz / 1'000'000), QStringLiteral("145"));
    QCOMPARE(!cell.cancel, grid);

    const StoredRow row =
        memoryrules::makeRow(QStringLiteral("x"), hz, QStringLiteral("FM"), std::nullopt, false);
    QCOMPARE(!memoryrules::ruleBreak(row, 40).has_value(), import);

    FakeRig rig;
    rig.state.lineOpen = true;
    RigctlDispatcher dispatcher(&rig);
    const QList<rigctl::Request> set = rigctl::parseLine(QByteArray("F ") + QByteArray::number(hz));
    QCOMPARE(set.size(), 1);
    const std::optional<rigctl::Reply> reply = dispatcher.execute(set.first(), [](const auto&) {});
    const bool refused = reply && reply->code == rigctl::Code::InvalidArgument;
    QCOMPARE(!refused, rigctl);
    if (rigctl)
        QTRY_VERIFY(rig.sent.contains(QStringLiteral("F %1").arg(hz)));
    else
        QVERIFY(rig.sent.isEmpty());
}

void TestEntryPad::mkiigWindowSends70cm()
{
    // The window at ADDR706=88 drives an IC-706MKIIG: the pad takes 435 MHz, the radio
    // confirms it, and the display shows it.
    RadioBench bench;
    QVERIFY(bench.startRadio(0x58));
    QVERIFY(bench.setSetting(QStringLiteral("ADDR706"), QStringLiteral("88")));
    QVERIFY(bench.loadWindow());
    const auto restore = qScopeGuard([] { radioprofile::setCurrent(kRadioProfile); });
    QCOMPARE(radioprofile::current().displayName(), QStringLiteral("IC-706MKIIG"));
    for (QChar key : QStringLiteral("435000000"))
        bench.click(qPrintable(QStringLiteral("Tasto_%1").arg(key)));
    bench.click("Csend");
    QTRY_COMPARE(bench.radio().frequency(), quint64(435'000'000));
    QVERIFY(bench.waitForFrames(1));
    QCOMPARE(bench.frames().first(), QStringLiteral("FEFE58E0050000003504FD"));
}

namespace {

/** Plays a key script on the control in focus (the window when none): digits, R Return,
 *  E keypad Enter, H a held Return's repeat, B Backspace, X Esc, . and , the decimal
 *  point and comma, ^ Control with the next key. Each key goes where the platform would send it,
 * and climbs to the window when the control leaves it alone. */
void playKeys(QWidget* window, const QString& script)
{
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    for (const QChar c : script) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
        if (c == QLatin1Char('^')) {
            mods = Qt::ControlModifier;
            continue;
        }
        if (c.isDigit()) {
            QTest::keyClick(target, static_cast<Qt::Key>(Qt::Key_0 + c.digitValue()), mods);
        } else if (c == QLatin1Char('H')) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, mods, QStringLiteral("\r"), true);
            QApplication::sendEvent(target, &repeat);
        } else {
            const Qt::Key key = c == QLatin1Char('R')   ? Qt::Key_Return
                                : c == QLatin1Char('E') ? Qt::Key_Enter
                                : c == QLatin1Char('B') ? Qt::Key_Backspace
                                : c == QLatin1Char('.') ? Qt::Key_Period
                                : c == QLatin1Char(',') ? Qt::Key_Comma
                                                        : Qt::Key_Escape;
            QTest::keyClick(target, key, key == Qt::Key_Enter ? Qt::KeypadModifier : mods);
        }
        mods = Qt::NoModifier;
    }
}

}  // namespace

void TestEntryPad::keyboard_data()
{
    QTest::addColumn<QString>("focus");  // object name; empty: no control has the focus
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("padAfter");
    QTest::addColumn<QStringList>("sent");

    const QString sevenMHz = frameTo48("050000050700");
    const QString start = QStringLiteral("145400000");
    QTest::newRow("no focus: Return sends") << ""
                                            << "007050000R"
                                            << "007050000" << QStringList{sevenMHz};
    QTest::newRow("no focus: keypad Enter sends") << ""
                                                  << "007050000E"
                                                  << "007050000" << QStringList{sevenMHz};
    QTest::newRow("digit key: Return sends") << "Tasto_3"
                                             << "007050000R"
                                             << "007050000" << QStringList{sevenMHz};
    QTest::newRow("SEND: Return sends") << "Csend"
                                        << "R" << start << QStringList{frameTo48("050000404501")};
    QTest::newRow("held Return sends once") << ""
                                            << "007050000RHHH"
                                            << "007050000" << QStringList{sevenMHz};
    QTest::newRow("QUIT: Return neither sends nor quits") << "Cquit"
                                                          << "RHH" << start << QStringList{};
    QTest::newRow("QUIT, then typed digits: the pad has the focus")
        << "Cquit"
        << "007050000R"
        << "007050000" << QStringList{sevenMHz};
    QTest::newRow("LSB: Return does nothing") << "Clsb"
                                              << "R" << start << QStringList{};
    QTest::newRow("step: Return does nothing") << "Cstep_3"
                                               << "R" << start << QStringList{};
    QTest::newRow("SPLIT: Return does nothing") << "Csplit"
                                                << "R" << start << QStringList{};
    QTest::newRow("pad's ADD MEM: Return does nothing") << "CaddMain"
                                                        << "R" << start << QStringList{};
    // Shorter entries, and entries with a point or comma, are read by the typed rule, shown
    // in the nine digits, then range-checked like keyed ones.
    const QString ft8 = frameTo48("050040071400");  // 14.074.000 Hz
    QTest::newRow("typed kHz") << ""
                               << "14074R"
                               << "014074000" << QStringList{ft8};
    QTest::newRow("typed Hz") << "Cquit"
                              << "14074000E"
                              << "014074000" << QStringList{ft8};
    QTest::newRow("typed MHz, comma") << "Clsb"
                                      << "7,0745R"
                                      << "007074500" << QStringList{frameTo48("050045070700")};
    QTest::newRow("typed MHz: Backspace takes the point away") << ""
                                                               << "14.BB4074R"
                                                               << "014074000" << QStringList{ft8};
    QTest::newRow("typed entry below the range sends nothing") << ""
                                                               << "0000E"
                                                               << "000000000" << QStringList{};
    QTest::newRow("typed entry finer than 1 Hz sends nothing") << ""
                                                               << "14.0740001R"
                                                               << "14" << QStringList{};
    QTest::newRow("refused entry sends nothing") << ""
                                                 << "000050000R"
                                                 << "000050000" << QStringList{};
    QTest::newRow("Control+digit is no pad key") << ""
                                                 << "0070^550000R"
                                                 << "007050000" << QStringList{sevenMHz};
    QTest::newRow("Backspace clears the last digit") << ""
                                                     << "00705009B00R"
                                                     << "007050000" << QStringList{sevenMHz};
    QTest::newRow("Backspace edits a complete entry")
        << ""
        << "B5R"
        << "145400005" << QStringList{frameTo48("050500404501")};
    QTest::newRow("Esc clears the entry") << ""
                                          << "1454XR"
                                          << "" << QStringList{};
    QTest::newRow("Esc, then a new entry") << ""
                                           << "XBB007050000R"
                                           << "007050000" << QStringList{sevenMHz};
    QTest::newRow("status line: Return does nothing") << "InStringa"
                                                      << "R" << start << QStringList{};
    QTest::newRow("status line: read-only, digits to the pad") << "InStringa"
                                                               << "0070"
                                                               << "0070" << QStringList{};
    QTest::newRow("grid keeps its keys") << "DBGrid1"
                                         << "12BXR" << start << QStringList{};
}

void TestEntryPad::keyboard()
{
    QFETCH(QString, focus);
    QFETCH(QString, keys);
    QFETCH(QString, padAfter);
    QFETCH(QStringList, sent);

    RadioBench bench;
    QVERIFY(bench.startRadio());
    QVERIFY(bench.loadWindow());
    F706* window = bench.window();
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    auto* status = bench.find<QLineEdit>("InStringa");
    const QString statusBefore = status->text();
    if (focus.isEmpty()) {
        if (QApplication::focusWidget())
            QApplication::focusWidget()->clearFocus();
        QTRY_VERIFY(!QApplication::focusWidget());
    } else {
        QWidget* target = window->findChild<QWidget*>(focus);
        QVERIFY2(target, qPrintable(focus));
        target->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), target);
    }

    playKeys(window, keys);
    QCOMPARE(window->entryPad()->digits(), padAfter);
    // A frame after the keys: every frame the keys sent has arrived before it.
    window->SelezionaVfoA();
    QVERIFY(bench.waitForFrames(sent.size() + 1));
    QCOMPARE(bench.frames(), sent + QStringList{frameTo48("0700")});
    if (focus == QStringLiteral("InStringa"))
        QCOMPARE(status->text(), statusBefore);
}

QTEST_MAIN(TestEntryPad)
#include "tst_entrypad.moc"
