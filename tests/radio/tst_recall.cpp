#include "common/delay.h"
#include "link/seriallink.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"
#include "radio/recall.h"
#include "sim/virtualradio.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

/** A frame to an address nobody has: written after a recall, its arrival at the radio
 *  proves that every frame the recall wrote before it has arrived too. */
const QByteArray kSentinel = QByteArray::fromHex("FEFE01E019FD");

QByteArray frame(const char* hex)
{
    return QByteArray::fromHex(QByteArray("FEFE48E0") + hex + "FD");
}

}  // namespace

class TestRecall : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void sequence_data();
    void sequence();
    void refused_data();
    void refused();
    void emptyMainFreqSendsNothing();
    void pausesBetweenFrames();
    void sendsTheMemoryItStartedWith();
    void quitDuringRecallStopsAtOnce();
    void closedPortFails();

private:
    Recall makeRecall();
    /** Frames the radio received up to (not including) the sentinel. */
    QList<QByteArray> framesAfterSentinel();

    std::unique_ptr<VirtualRadio> m_radio;
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<RadioState> m_state;
    std::unique_ptr<RadioCommands> m_commands;
    QList<QByteArray> m_received;
    QList<qint64> m_receivedAt;
    QElapsedTimer m_clock;

    bool m_split = false;
    QString m_main, m_splitFreq, m_mode;
};

void TestRecall::init()
{
    resetDelays();
    m_radio = std::make_unique<VirtualRadio>(0x48);
    QString error;
    QVERIFY2(m_radio->start(&error), qPrintable(error));
    m_link = std::make_unique<SerialLink>();
    AppError opening;
    QVERIFY2(m_link->open(m_radio->devicePath(), &opening), qPrintable(opening.text));
    m_state = std::make_unique<RadioState>();
    m_commands = std::make_unique<RadioCommands>(m_link.get(), m_state.get());
    m_received.clear();
    m_receivedAt.clear();
    m_clock.start();
    connect(m_radio.get(), &VirtualRadio::frameReceived, this, [this](const QByteArray& f) {
        m_received.append(f);
        m_receivedAt.append(m_clock.nsecsElapsed());
    });
    m_split = false;
    m_main = "145.500.000";
    m_splitFreq.clear();
    m_mode = "FM";
}

void TestRecall::cleanup()
{
    m_commands.reset();
    m_state.reset();
    m_link.reset();
    m_radio.reset();
    resetDelays();
}

Recall TestRecall::makeRecall()
{
    MemorySnapshot memory;
    memory.split = m_split;
    memory.mainFreq = m_main;
    memory.splitFreq = m_splitFreq;
    memory.mode = m_mode;
    return Recall(m_commands.get(), memory);
}

QList<QByteArray> TestRecall::framesAfterSentinel()
{
    // Reads that follow a refused frame are in before the sentinel.
    if (!QTest::qWaitFor([this] { return m_commands->idle(); }))
        return {QByteArray("answers still awaited")};
    if (!m_link->write(kSentinel))
        return {QByteArray("sentinel not written")};
    if (!QTest::qWaitFor([this] { return m_received.contains(kSentinel); }))
        return {QByteArray("sentinel never arrived")};
    return m_received.mid(0, m_received.indexOf(kSentinel));
}

void TestRecall::sequence_data()
{
    QTest::addColumn<bool>("split");
    QTest::addColumn<QString>("main");
    QTest::addColumn<QString>("splitFreq");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<bool>("lsplit");

    QTest::newRow("145.500.000 FM, no split")
        << false << "145.500.000"
        << ""
        << "FM"
        << QList<QByteArray>{frame("0F00"), frame("0700"), frame("050000504501"), frame("0605")}
        << false;
    QTest::newRow("main 145.600.000, split 145.000.000")
        << true << "145.600.000"
        << "145.000.000"
        << "FM"
        << QList<QByteArray>{frame("0701"), frame("050000004501"), frame("0F01"), frame("0605"),
                             frame("0700"), frame("050000604501"), frame("0605")}
        << true;
    // Above the radio's range: refused (FA), so the radio is read once the recall is sent.
    QTest::newRow("430.100.000 USB")
        << false << "430.100.000"
        << ""
        << "USB" << QList<QByteArray>{frame("0F00"), frame("0700"), frame("050000103004"),
                                      frame("0601"), frame("03"),   frame("04")}
        << false;
    QTest::newRow("7.050.000 LSB")
        << false << "007.050.000"
        << ""
        << "LSB"
        << QList<QByteArray>{frame("0F00"), frame("0700"), frame("050000050700"), frame("0600")}
        << false;
    QTest::newRow("0.500.000 AM") << false << "000.500.000"
                                  << ""
                                  << "AM"
                                  << QList<QByteArray>{frame("0F00"), frame("0700"),
                                                       frame("050000500000"), frame("0602")}
                                  << false;
    QTest::newRow("1 Hz digits, WFM")
        << false << "123.456.789"
        << ""
        << "WFM"
        << QList<QByteArray>{frame("0F00"), frame("0700"), frame("058967452301"), frame("0606")}
        << false;
    QTest::newRow("split flag with parts ignored when false")
        << false << "145.600.000"
        << "garbage"
        << "CW"
        << QList<QByteArray>{frame("0F00"), frame("0700"), frame("050000604501"), frame("0603")}
        << false;
}

void TestRecall::sequence()
{
    QFETCH(bool, split);
    QFETCH(QString, main);
    QFETCH(QString, splitFreq);
    QFETCH(QString, mode);
    QFETCH(QList<QByteArray>, frames);
    QFETCH(bool, lsplit);
    m_split = split;
    m_main = main;
    m_splitFreq = splitFreq;
    m_mode = mode;

    Recall recall = makeRecall();
    AppError error;
    QCOMPARE(recall.run(&error), Recall::Outcome::Sent);
    QCOMPARE(framesAfterSentinel(), frames);
    QCOMPARE(m_state->split(), lsplit);
    QCOMPARE(m_radio->currentVfo(), VirtualRadio::VfoId::A);
}

void TestRecall::refused_data()
{
    QTest::addColumn<bool>("split");
    QTest::addColumn<QString>("main");
    QTest::addColumn<QString>("splitFreq");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("why");

    QTest::newRow("main without leading zeros") << false << "14.250.000"
                                                << ""
                                                << "USB"
                                                << "main frequency \"14.250.000\"";
    QTest::newRow("main all null parts") << false << ".."
                                         << ""
                                         << "FM"
                                         << "main frequency \"..\"";
    QTest::newRow("main with letters") << false << "145.5x0.000"
                                       << ""
                                       << "FM"
                                       << "main";
    QTest::newRow("main with blank") << false << "145.500.00 "
                                     << ""
                                     << "FM"
                                     << "main";
    QTest::newRow("main too long") << false << "145.500.0000"
                                   << ""
                                   << "FM"
                                   << "main";
    QTest::newRow("main commas") << false << "145,500,000"
                                 << ""
                                 << "FM"
                                 << "main";
    QTest::newRow("split with empty parts") << true << "145.600.000"
                                            << ".."
                                            << "FM"
                                            << "split frequency \"..\"";
    QTest::newRow("split short") << true << "145.600.000"
                                 << "145.000.00"
                                 << "FM"
                                 << "split";
    QTest::newRow("mode lower case") << false << "145.500.000"
                                     << ""
                                     << "usb"
                                     << "mode \"usb\"";
    QTest::newRow("mode empty") << false << "145.500.000"
                                << ""
                                << ""
                                << "mode \"\"";
    QTest::newRow("mode unknown, split") << true << "145.600.000"
                                         << "145.000.000"
                                         << "SSB"
                                         << "mode \"SSB\"";
}

void TestRecall::refused()
{
    QFETCH(bool, split);
    QFETCH(QString, main);
    QFETCH(QString, splitFreq);
    QFETCH(QString, mode);
    QFETCH(QString, why);
    m_split = split;
    m_main = main;
    m_splitFreq = splitFreq;
    m_mode = mode;

    Recall recall = makeRecall();
    AppError error;
    QCOMPARE(recall.run(&error), Recall::Outcome::Refused);
    QCOMPARE(error.number, errors::kMemoryNotRecallable);
    QVERIFY2(error.text.contains(why), qPrintable(error.text));
    QCOMPARE(framesAfterSentinel(), QList<QByteArray>{});
    QVERIFY(!m_state->split());
}

void TestRecall::emptyMainFreqSendsNothing()
{
    m_main.clear();
    m_mode.clear();
    Recall recall = makeRecall();
    AppError error;
    QCOMPARE(recall.run(&error), Recall::Outcome::NothingShown);
    QCOMPARE(error.number, 0);
    QCOMPARE(framesAfterSentinel(), QList<QByteArray>{});
}

void TestRecall::pausesBetweenFrames()
{
    m_split = true;
    m_main = "145.600.000";
    m_splitFreq = "145.000.000";
    Recall recall = makeRecall();
    QElapsedTimer whole;
    whole.start();
    QCOMPARE(recall.run(nullptr), Recall::Outcome::Sent);
    const qint64 wholeMs = whole.elapsed();
    QCOMPARE(framesAfterSentinel().size(), 7);

    QStringList gaps;
    for (int i = 1; i < 7; ++i) {
        const double gapMs = (m_receivedAt[i] - m_receivedAt[i - 1]) / 1e6;
        gaps << QString::number(gapMs, 'f', 1);
        // The pause never ends early; the pty adds a little jitter on either side.
        QVERIFY2(gapMs > 150.0, qPrintable(gaps.join(' ')));
    }
    QVERIFY(wholeMs >= 1400);  // seven pauses of 0.2 s, the last one after the last frame
    qInfo("gaps between frames (ms): %s; whole recall %lld ms", qPrintable(gaps.join(' ')),
          wholeMs);
}

void TestRecall::sendsTheMemoryItStartedWith()
{
    // The operator moves to another memory while the first pause runs: the recall goes on
    // with the copy it took when it started.
    Recall recall = makeRecall();
    connect(m_radio.get(), &VirtualRadio::frameReceived, this, [this](const QByteArray& f) {
        if (f == frame("0F00")) {
            m_main = "430.100.000";
            m_mode = "USB";
        }
    });
    QCOMPARE(recall.run(nullptr), Recall::Outcome::Sent);
    QCOMPARE(framesAfterSentinel(), (QList<QByteArray>{frame("0F00"), frame("0700"),
                                                       frame("050000504501"), frame("0605")}));
}

void TestRecall::quitDuringRecallStopsAtOnce()
{
    m_split = true;
    m_main = "145.600.000";
    m_splitFreq = "145.000.000";
    Recall recall = makeRecall();
    connect(m_radio.get(), &VirtualRadio::frameReceived, this, [](const QByteArray& f) {
        if (f == frame("0701"))
            abortDelays();
    });
    QCOMPARE(recall.run(nullptr), Recall::Outcome::Aborted);
    QCOMPARE(framesAfterSentinel(), QList<QByteArray>{frame("0701")});
    QVERIFY(!m_state->split());
}

void TestRecall::closedPortFails()
{
    m_link->close();
    Recall recall = makeRecall();
    AppError error;
    QCOMPARE(recall.run(&error), Recall::Outcome::Failed);
    QCOMPARE(error.number, errors::kPortNotOpen);
    QVERIFY(!m_state->split());
}

QTEST_GUILESS_MAIN(TestRecall)
#include "tst_recall.moc"
