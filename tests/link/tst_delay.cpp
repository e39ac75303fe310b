#include "common/delay.h"
#include "support/cputime.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <limits>

namespace {

/** CPU time of this process, in milliseconds. */
using support::cpuMs;

}  // namespace

class TestDelay : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { resetDelays(); }

    void waitsAtLeastPauseTime_data();
    void waitsAtLeastPauseTime();
    void returnsAtOnceWithoutRunningEvents_data();
    void returnsAtOnceWithoutRunningEvents();
    void eventsRunDuringTheWait();
    void doesNotSpin();
    void abortEndsRunningDelays();
    void abortedDelaysReturnAtOnceUntilReset();
};

void TestDelay::waitsAtLeastPauseTime_data()
{
    QTest::addColumn<double>("pauseTime");
    QTest::newRow("0.2 s, between two commands") << 0.2;
    QTest::newRow("below a millisecond") << 0.0004;
    QTest::newRow("a millisecond and a half") << 0.0015;
    QTest::newRow("0.05 s") << 0.05;
}

void TestDelay::waitsAtLeastPauseTime()
{
    QFETCH(double, pauseTime);
    QElapsedTimer clock;
    clock.start();
    Delay(pauseTime);
    const qint64 elapsed = clock.nsecsElapsed();
    QVERIFY2(elapsed >= static_cast<qint64>(pauseTime * 1e9), qPrintable(QString::number(elapsed)));
}

void TestDelay::returnsAtOnceWithoutRunningEvents_data()
{
    QTest::addColumn<double>("pauseTime");
    QTest::newRow("zero") << 0.0;
    QTest::newRow("negative") << -1.0;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN();
}

void TestDelay::returnsAtOnceWithoutRunningEvents()
{
    QFETCH(double, pauseTime);
    bool ran = false;
    QTimer::singleShot(0, this, [&ran] { ran = true; });
    Delay(pauseTime);
    QVERIFY(!ran);
    QTRY_VERIFY(ran);  // the event was only waiting for the loop
}

void TestDelay::eventsRunDuringTheWait()
{
    // Events (timers here, frames and clicks in the program) run inside the wait, and a
    // Delay nested in one of them still ends no earlier than its own time.
    QElapsedTimer clock;
    clock.start();
    qint64 innerEnded = 0;
    QTimer::singleShot(10, this, [&] {
        Delay(0.05);
        innerEnded = clock.nsecsElapsed();
    });
    Delay(0.2);
    QVERIFY(innerEnded >= 60'000'000);
    QVERIFY(clock.nsecsElapsed() >= 200'000'000);
}

void TestDelay::doesNotSpin()
{
    // Not a speed test: a waiting loop that polled the clock would burn the whole second.
    const double before = cpuMs();
    Delay(1.0);
    const double used = cpuMs() - before;
    QVERIFY2(used < 50, qPrintable(QString::number(used)));
}

void TestDelay::abortEndsRunningDelays()
{
    // An outer and a nested Delay of an hour both end when the program quits.
    bool innerReturned = false;
    QTimer::singleShot(10, this, [&] {
        QTimer::singleShot(10, this, [] { abortDelays(); });
        Delay(3600);
        innerReturned = true;
    });
    Delay(3600);  // a Delay that does not end here runs into the test's time-out
    QVERIFY(innerReturned);
    QVERIFY(delaysAborted());
}

void TestDelay::abortedDelaysReturnAtOnceUntilReset()
{
    abortDelays();
    bool ran = false;
    QTimer::singleShot(0, this, [&ran] { ran = true; });
    Delay(3600);
    QVERIFY(!ran);

    resetDelays();
    QVERIFY(!delaysAborted());
    QElapsedTimer clock;
    clock.start();
    Delay(0.05);
    QVERIFY(ran);
    QVERIFY(clock.nsecsElapsed() >= 50'000'000);
}

QTEST_GUILESS_MAIN(TestDelay)
#include "tst_delay.moc"
