#include "common/delay.h"
#include "common/errorcatalogue.h"
#include "link/framecutter.h"
#include "link/seriallink.h"
#include "sim/virtualradio.h"
#include "support/cputime.h"
#include "support/simprocess.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryFile>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <memory>

namespace {

using Chunks = QList<QByteArray>;

/** The radio at 48 announcing 145.400.000 Hz, and mode FM with filter 1. */
const QByteArray kAnnounce = QByteArray::fromHex("FEFE0048000000404501FD");
const QString kAnnounceText = QStringLiteral("FEFE0048000000404501FD");
const QString kModeText = QStringLiteral("FEFE0048010501FD");
/** A set-frequency command of the controller (145.400.000 Hz). */
const QByteArray kCommand = QByteArray::fromHex("FEFE48E0050000404501FD");

/** CPU time of this process, in milliseconds. */
using support::cpuMs;

}  // namespace

class TestSerialLink : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void receivesFrames_data();
    void receivesFrames();
    void twoFramesInOneWriteAtOnce();
    void framesStayInOrderWhenReceiverWaits();
    void partialFrameDroppedAfterQuietGap();
    void randomBytesWithoutFdInBoundedMemory();
    void openFails_data();
    void openFails();
    void portAlreadyInUse();
    void writesAfterCloseSendNothing();
    void portLostOnceWithoutSpinning();
    void wakeUpWithoutBytesIsNoLoss();
    void delayHandlesFrameArrivingMeanwhile();
    void throughSimProgram();

private:
    bool openLink(SerialLink& link);

    std::unique_ptr<VirtualRadio> m_radio;
    std::unique_ptr<SerialLink> m_link;
};

void TestSerialLink::init()
{
    m_radio = std::make_unique<VirtualRadio>();
    QString error;
    QVERIFY2(m_radio->start(&error), qPrintable(error));
    m_link = std::make_unique<SerialLink>();
    QVERIFY(openLink(*m_link));
}

void TestSerialLink::cleanup()
{
    m_link.reset();
    m_radio.reset();
}

bool TestSerialLink::openLink(SerialLink& link)
{
    AppError error;
    const bool opened = link.open(m_radio->devicePath(), &error);
    if (!opened)
        qWarning("open %s: %d %s", qPrintable(m_radio->devicePath()), error.number,
                 qPrintable(error.text));
    return opened;
}

void TestSerialLink::receivesFrames_data()
{
    QTest::addColumn<Chunks>("writes");
    QTest::addColumn<QStringList>("frames");

    QTest::newRow("frame cut right") << Chunks{kAnnounce} << QStringList{kAnnounceText};
    QTest::newRow("frame in two writes")
        << Chunks{kAnnounce.left(4), kAnnounce.mid(4)} << QStringList{kAnnounceText};
    QTest::newRow("read from its middle, unchanged")
        << Chunks{kAnnounce.mid(3)} << QStringList{QStringLiteral("48000000404501FD")};
    QTest::newRow("three frames, the last cut")
        << Chunks{kAnnounce + kAnnounce + kAnnounce.left(6), kAnnounce.mid(6)}
        << QStringList{kAnnounceText, kAnnounceText, kAnnounceText};
}

void TestSerialLink::receivesFrames()
{
    QFETCH(Chunks, writes);
    QFETCH(QStringList, frames);

    QSignalSpy spy(m_link.get(), &SerialLink::frameReceived);
    QSignalSpy lineSpy(m_link.get(), &SerialLink::lineEvent);
    for (qsizetype i = 0; i + 1 < writes.size(); ++i) {
        // Each write but the last leaves a partial frame that must wait for its rest.
        const qint64 partialBefore = m_link->partialSize();
        const qsizetype framesBefore = spy.count();
        m_radio->sendRaw(writes.at(i));
        QTRY_VERIFY(m_link->partialSize() != partialBefore || spy.count() != framesBefore);
        QTRY_VERIFY(m_link->partialSize() > 0);
    }
    m_radio->sendRaw(writes.last());
    QTRY_COMPARE(spy.count(), frames.size());
    QStringList got;
    for (const QList<QVariant>& arguments : spy)
        got.append(arguments.at(0).toString());
    QCOMPARE(got, frames);
    QCOMPARE(m_link->partialSize(), 0);
    QCOMPARE(lineSpy.count(), 0);  // a pty has no modem lines: no event for that
}

void TestSerialLink::twoFramesInOneWriteAtOnce()
{
    QSignalSpy spy(m_link.get(), &SerialLink::frameReceived);
    m_radio->sendTwoFramesInOneWrite();
    // The spy's wait ends at the first frame; the second must have come in the same pass,
    // before the event loop could read any further byte.
    QVERIFY(spy.wait());
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toString(), kAnnounceText);
    QCOMPARE(spy.at(1).at(0).toString(), kModeText);
}

void TestSerialLink::framesStayInOrderWhenReceiverWaits()
{
    // The receiver of the first frame waits (Delay) while a third frame arrives; the
    // second frame of the first read must still come before it, and no delivery nests.
    const QString third = QStringLiteral("FEFE00480103 01FD").remove(u' ');
    QStringList order;
    int depth = 0;
    int deepest = 0;
    connect(m_link.get(), &SerialLink::frameReceived, this, [&](const QString& frame) {
        deepest = std::max(deepest, ++depth);
        order.append(frame);
        if (order.size() == 1) {
            m_radio->sendRaw(QByteArray::fromHex(third.toLatin1()));
            Delay(0.1);
        }
        --depth;
    });
    m_radio->sendTwoFramesInOneWrite();
    QTRY_COMPARE(order.size(), 3);
    QCOMPARE(order, (QStringList{kAnnounceText, kModeText, third}));
    QCOMPARE(deepest, 1);
}

void TestSerialLink::partialFrameDroppedAfterQuietGap()
{
    QSignalSpy dropped(m_link.get(), &SerialLink::partialDropped);
    QSignalSpy frames(m_link.get(), &SerialLink::frameReceived);
    QElapsedTimer clock;
    clock.start();
    m_radio->sendCutFrame();  // first half of a frequency announce, 5 bytes
    QVERIFY(dropped.wait());
    QVERIFY2(clock.elapsed() >= SerialLink::kQuietGap.count(),
             qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(dropped.at(0).at(0).toInt(), kAnnounce.size() / 2);
    QCOMPARE(m_link->partialSize(), 0);

    // The rest arriving late is a frame of its own: the dropped half does not glue on.
    m_radio->sendRaw(kAnnounce.mid(kAnnounce.size() / 2));
    QVERIFY(frames.wait());
    QCOMPARE(frames.at(0).at(0).toString(), QStringLiteral("0000404501FD"));
}

void TestSerialLink::randomBytesWithoutFdInBoundedMemory()
{
    constexpr int kGarbage = 10'000;
    QSignalSpy frames(m_link.get(), &SerialLink::frameReceived);
    m_radio->sendGarbage(kGarbage);
    QTRY_COMPARE(m_link->droppedBytes() + m_link->partialSize(), kGarbage);
    QVERIFY(m_link->partialSize() <= FrameCutter::kMaxFrameLength);
    QCOMPARE(frames.count(), 0);

    // The line recovers: the next frame arrives whole.
    m_radio->sendRaw(kAnnounce);
    QTRY_COMPARE(frames.count(), 1);
    QCOMPARE(frames.at(0).at(0).toString(), kAnnounceText);
}

void TestSerialLink::openFails_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("number");

    QTest::newRow("device missing")
        << QStringLiteral("/dev/corvane-no-such-tty") << errors::kInvalidPortNumber;
    QTest::newRow("directory missing")
        << QStringLiteral("/nonexistent/ttyUSB0") << errors::kInvalidPortNumber;
    QTest::newRow("a directory") << QStringLiteral("/") << errors::kInvalidPortNumber;
    QTest::newRow("no device named") << QString() << errors::kInvalidPortNumber;
    QTest::newRow("not a serial port")
        << QStringLiteral("/dev/null") << errors::kSetCommStateFailed;
}

void TestSerialLink::openFails()
{
    QFETCH(QString, device);
    QFETCH(int, number);

    SerialLink link;
    AppError error;
    QVERIFY(!link.open(device, &error));
    const int gotNumber = error.number;
    const QString text = error.text;
    QCOMPARE(gotNumber, number);
    QVERIFY2(text.startsWith(standardErrorText(number)), qPrintable(text));
    QVERIFY2(text.contains(device), qPrintable(text));
    QVERIFY(!link.isOpen());
    QVERIFY(!link.write(kCommand));
}

void TestSerialLink::portAlreadyInUse()
{
    SerialLink second;
    AppError error;
    QVERIFY(!second.open(m_radio->devicePath(), &error));
    const int number = error.number;
    const QString text = error.text;
    QCOMPARE(number, errors::kPortAlreadyOpen);
    QVERIFY2(text.contains(m_radio->devicePath()), qPrintable(text));

    // The first link is untouched by the failed attempt.
    QSignalSpy spy(m_link.get(), &SerialLink::frameReceived);
    m_radio->sendRaw(kAnnounce);
    QTRY_COMPARE(spy.count(), 1);

    // Once the first lets go, the port is free again.
    m_link->close();
    QVERIFY(openLink(second));
}

void TestSerialLink::writesAfterCloseSendNothing()
{
    QSignalSpy heard(m_radio.get(), &VirtualRadio::frameReceived);
    QVERIFY(m_link->write(kCommand));
    QTRY_COMPARE(heard.count(), 1);

    m_link->close();
    QVERIFY(!m_link->isOpen());
    QVERIFY(!m_link->write(kCommand));

    // A marker sent after reopening is the next thing the radio hears.
    const QByteArray marker = QByteArray::fromHex("FEFE48E00700FD");
    QVERIFY(openLink(*m_link));
    QVERIFY(m_link->write(marker));
    QTRY_COMPARE(heard.count(), 2);
    QCOMPARE(heard.at(1).at(0).toByteArray(), marker);
}

void TestSerialLink::portLostOnceWithoutSpinning()
{
    const QString device = m_radio->devicePath();
    QSignalSpy lost(m_link.get(), &SerialLink::portLost);
    QSignalSpy events(m_link.get(), &SerialLink::lineEvent);
    m_radio.reset();  // the other end of the line goes away
    QVERIFY(lost.wait());
    QVERIFY(!m_link->isOpen());
    // A hang-up is the device's removal, not a failed read.
    const AppError lostError = lost.at(0).at(0).value<AppError>();
    QCOMPARE(lostError.number, errors::kPortRemoved);
    QCOMPARE(lostError.text, "The serial device was removed (" + device + ")");

    // No second notice and no spinning on the dead descriptor.
    const double cpuBefore = cpuMs();
    QVERIFY(!lost.wait(500));
    const double cpuUsed = cpuMs() - cpuBefore;
    QVERIFY2(cpuUsed < 100, qPrintable(QString::number(cpuUsed)));
    QCOMPARE(lost.count(), 1);
    QCOMPARE(events.count(), 0);
    QVERIFY(!m_link->write(kCommand));

    // Choosing a port again reopens the link.
    m_radio = std::make_unique<VirtualRadio>();
    QString error;
    QVERIFY2(m_radio->start(&error), qPrintable(error));
    QVERIFY(openLink(*m_link));
    QSignalSpy frames(m_link.get(), &SerialLink::frameReceived);
    m_radio->sendRaw(kAnnounce);
    QTRY_COMPARE(frames.count(), 1);
}

void TestSerialLink::wakeUpWithoutBytesIsNoLoss()
{
    // Another reader on the same line takes the bytes the link was woken for (the virtual
    // radio flushes a line its last client left): Qt reports a read error although the
    // line is fine. The link stays open and reads on.
    m_link->close();
    const int other =
        ::open(m_radio->devicePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(other >= 0);
    QSocketNotifier thief(other, QSocketNotifier::Read);
    connect(&thief, &QSocketNotifier::activated, this, [&thief, other] {
        ::tcflush(other, TCIFLUSH);
        thief.setEnabled(false);
    });
    QVERIFY(openLink(*m_link));
    QSignalSpy frames(m_link.get(), &SerialLink::frameReceived);
    QSignalSpy lost(m_link.get(), &SerialLink::portLost);

    m_radio->sendRaw(kAnnounce);
    QTRY_VERIFY(!thief.isEnabled());
    m_radio->sendRaw(QByteArray::fromHex(kModeText.toLatin1()));
    QTRY_COMPARE(frames.count(), 1);
    QCOMPARE(frames.at(0).at(0).toString(), kModeText);  // the first went to the thief
    QVERIFY(m_link->isOpen());
    QCOMPARE(lost.count(), 0);
    ::close(other);
}

void TestSerialLink::delayHandlesFrameArrivingMeanwhile()
{
    QSignalSpy spy(m_link.get(), &SerialLink::frameReceived);
    m_radio->sendRaw(kAnnounce);  // reaches the link only once events run
    QCOMPARE(spy.count(), 0);
    QElapsedTimer clock;
    clock.start();
    Delay(0.2);
    QVERIFY2(clock.nsecsElapsed() >= 200'000'000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), kAnnounceText);
}

void TestSerialLink::throughSimProgram()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    SerialLink link;
    AppError opening;
    QVERIFY2(link.open(sim.devicePath(), &opening), qPrintable(opening.text));
    QSignalSpy frames(&link, &SerialLink::frameReceived);
    QSignalSpy dropped(&link, &SerialLink::partialDropped);
    QSignalSpy lost(&link, &SerialLink::portLost);

    // On the one-wire bus a command comes back as its echo, then the radio's OK.
    QVERIFY(link.write(kCommand));
    QTRY_COMPARE(frames.count(), 2);
    QCOMPARE(frames.at(0).at(0).toString(), QStringLiteral("FEFE48E0050000404501FD"));
    QCOMPARE(frames.at(1).at(0).toString(), QStringLiteral("FEFEE048FBFD"));
    QVERIFY(sim.waitForFrames(1));
    QCOMPARE(sim.frameTexts().first(), QStringLiteral("FEFE48E0050000404501FD"));

    frames.clear();
    QVERIFY(sim.command(QStringLiteral("double")));
    QTRY_COMPARE(frames.count(), 2);
    QCOMPARE(frames.at(0).at(0).toString(), kAnnounceText);
    QCOMPARE(frames.at(1).at(0).toString(), kModeText);

    QVERIFY(sim.command(QStringLiteral("cut")));
    QTRY_COMPARE(dropped.count(), 1);

    QVERIFY(sim.stop());
    QTRY_COMPARE(lost.count(), 1);
    QCOMPARE(lost.at(0).at(0).value<AppError>().number, errors::kPortRemoved);
    QVERIFY(!link.isOpen());
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
