// The Hamlib backend end to end: Hamlib's IC-706MKIIG backend (model 3011) inside the
// library drives corvane-sim at address 88 (0x58) on a pseudo-terminal, and the remote
// backend (model 2) drives Hamlib's own rigctld with its dummy radio on 127.0.0.1.

#include "hamlib/hamlibdebug.h"
#include "hamlib/hamlibmodels.h"
#include "hamlib/hamlibradio.h"
#include "hamlib/hamlibworker.h"
#include "support/latencyprobe.h"
#include "support/rigctld.h"
#include "support/simprocess.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <memory>

using Answer = RadioCommands::Answer;
using VfoSelected = RadioState::VfoSelected;

namespace {

constexpr int kIc706MkIIG = 3011;
constexpr int kWaitMs = 15'000;

/** The answer a completion gave, once it came. */
struct Outcome {
    std::optional<Answer> answer;
    RadioCommands::Completion completion()
    {
        return [this](Answer a) { answer = a; };
    }
};


}  // namespace

class TestHamlibRadio : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void models();
    void requests_data();
    void requests();
    void silentRadio_data();
    void silentRadio();
    void openErrors_data();
    void openErrors();

private:
    /** Opens radio on target; false (with the error in the test log) when it failed. */
    bool openRadio(HamlibRadio& radio, const HamlibTarget& target);
};

void TestHamlibRadio::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("rigctld")).isEmpty())
        QSKIP("rigctld is not installed (Debian package libhamlib-utils)");
}

bool TestHamlibRadio::openRadio(HamlibRadio& radio, const HamlibTarget& target)
{
    QSignalSpy opened(&radio, &HamlibRadio::opened);
    QSignalSpy failed(&radio, &HamlibRadio::openFailed);
    radio.open(target);
    if (!QTest::qWaitFor([&] { return !opened.isEmpty() || !failed.isEmpty(); }, kWaitMs))
        return false;
    if (!failed.isEmpty())
        qWarning() << "open failed:" << failed.first().first().value<AppError>().text;
    return !opened.isEmpty();
}

void TestHamlibRadio::models()
{
    const QList<HamlibModel> models = hamlibModels();
    const auto find = [&](int number) {
        for (const HamlibModel& model : models) {
            if (model.number == number)
                return model.manufacturer + QLatin1Char(' ') + model.name;
        }
        return QString();
    };
    QCOMPARE(find(kIc706MkIIG), QStringLiteral("Icom IC-706MkIIG"));
    QCOMPARE(find(kHamlibRemoteModel), QStringLiteral("Hamlib NET rigctl"));
    QVERIFY(models.size() > 200);
}

void TestHamlibRadio::requests_data()
{
    QTest::addColumn<bool>("remote");
    QTest::addColumn<QString>("request");
    QTest::addColumn<quint64>("value");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("frame");  // the frame the radio received (serial)
    QTest::addColumn<QString>("state");  // part of the radio's state after it (serial)

    const int ok = int(Answer::Ok);
    QTest::newRow("serial: frequency")
        << false << "frequency" << quint64(14'074'000) << ok << "FEFE58E0050040071400FD"
        << "a=14074000/";
    QTest::newRow("serial: mode USB") << false << "mode" << quint64(1) << ok << "FEFE58E0060101FD"
                                      << "a=145400000/1/";
    QTest::newRow("serial: split on") << false << "split" << quint64(1) << ok << "FEFE58E00F01FD"
                                      << "split=1";
    QTest::newRow("serial: VFO B")
        << false << "vfo" << quint64(VfoSelected::B) << ok << "FEFE58E00701FD"
        << "vfo=B";
    QTest::newRow("serial: frequency the radio refuses")
        << false << "frequency" << quint64(250'000'000) << int(Answer::Rejected)
        << "FEFE58E0050000005002FD"
        << "a=145400000/";
    QTest::newRow("remote: frequency") << true << "frequency" << quint64(7'074'000) << ok << ""
                                       << "";
    QTest::newRow("remote: mode CW") << true << "mode" << quint64(3) << ok << ""
                                     << "";
    QTest::newRow("remote: split on") << true << "split" << quint64(1) << ok << ""
                                      << "";
}

void TestHamlibRadio::requests()
{
    QFETCH(bool, remote);
    QFETCH(QString, request);
    QFETCH(quint64, value);
    QFETCH(int, answer);
    QFETCH(QString, frame);
    QFETCH(QString, state);

    SimProcess sim;
    Rigctld rigctld;
    HamlibTarget target;
    if (remote) {
        QVERIFY(rigctld.start(freeTcpPort()));
        target = {kHamlibRemoteModel, rigctld.address(), 0};
    } else {
        QVERIFY2(sim.start({QStringLiteral("--address"), QStringLiteral("88")}),
                 qPrintable(sim.errorString()));
        target = {kIc706MkIIG, sim.devicePath(), 9600};
    }
    HamlibLog::setLevel(HamlibLog::Level::Trace);
    HamlibRadio radio;
    radio.setPollPeriod(std::chrono::milliseconds(0));  // only the requests on the line
    QSignalSpy log(&radio, &HamlibRadio::debugLine);
    QSignalSpy heard(&radio, &HamlibRadio::heard);
    QVERIFY(openRadio(radio, target));
    const HamlibCapabilities caps = *radio.capabilities();
    QVERIFY(caps.split);
    QVERIFY(caps.vfoB);
    if (!remote) {
        // The MKIIG receives up to 200 MHz and 400-470 MHz.
        QCOMPARE(caps.modeCodes, (QList<quint8>{0, 1, 2, 3, 4, 5, 6}));
        QVERIFY(caps.receiveRanges.size() >= 2);
        QCOMPARE(caps.receiveRanges.last().highestHz, quint64(470'000'000));
    }
    sim.clearFrames();

    Outcome outcome;
    RadioCommands::Result result;
    if (request == QLatin1String("frequency"))
        result = radio.setFrequency(value, outcome.completion());
    else if (request == QLatin1String("mode"))
        result = radio.setMode(quint8(value), outcome.completion());
    else if (request == QLatin1String("split"))
        result = radio.setSplit(value != 0, outcome.completion());
    else
        result = radio.selectVfo(VfoSelected(value), outcome.completion());
    QVERIFY(!result);
    QTRY_VERIFY_WITH_TIMEOUT(outcome.answer.has_value(), kWaitMs);
    QCOMPARE(int(*outcome.answer), answer);

    if (!remote) {
        QVERIFY2(sim.frameTexts().contains(frame), qPrintable(sim.frameTexts().join(' ')));
        QVERIFY2(sim.state().contains(state), qPrintable(sim.state()));
        // Hamlib's own trace of the frame reached the log, not the terminal.
        const QString dump = frame.toLower().left(8).replace(QRegularExpression("(..)"), "\\1 ");
        bool logged = false;
        for (const QList<QVariant>& line : log)
            logged = logged || line.first().toString().contains(dump.trimmed());
        QVERIFY2(logged, qPrintable(dump));
        return;
    }
    // The remote radio: what was set is read back from it.
    if (request == QLatin1String("split"))
        return;
    Outcome read;
    heard.clear();
    QVERIFY(!(request == QLatin1String("frequency") ? radio.readFrequency(read.completion())
                                                    : radio.readMode(read.completion())));
    QTRY_VERIFY_WITH_TIMEOUT(read.answer.has_value(), kWaitMs);
    QCOMPARE(*read.answer, Answer::Ok);
    QCOMPARE(heard.size(), 1);
    const auto reading = heard.first().first().value<HamlibReading>();
    if (request == QLatin1String("frequency"))
        QCOMPARE(reading.frequencyHz, std::optional<quint64>(value));
    else
        QCOMPARE(reading.modeCode, std::optional<quint8>(quint8(value)));
}

void TestHamlibRadio::silentRadio_data()
{
    QTest::addColumn<bool>("remote");
    QTest::newRow("serial radio falls silent") << false;
    QTest::newRow("rigctld vanishes") << true;
}

void TestHamlibRadio::silentRadio()
{
    QFETCH(bool, remote);

    SimProcess sim;
    Rigctld rigctld;
    quint16 port = 0;
    HamlibTarget target;
    if (remote) {
        port = freeTcpPort();
        QVERIFY(rigctld.start(port));
        target = {kHamlibRemoteModel, rigctld.address(), 0};
    } else {
        QVERIFY2(sim.start({QStringLiteral("--address"), QStringLiteral("88")}),
                 qPrintable(sim.errorString()));
        target = {kIc706MkIIG, sim.devicePath(), 9600};
    }
    HamlibLog::setLevel(HamlibLog::Level::Warning);
    auto radio = std::make_unique<HamlibRadio>();
    radio->setPollPeriod(std::chrono::milliseconds(200));
    QSignalSpy heard(radio.get(), &HamlibRadio::heard);
    QSignalSpy answering(radio.get(), &HamlibRadio::answeringChanged);
    QVERIFY(openRadio(*radio, target));
    QVERIFY(heard.wait(kWaitMs));  // polled

    // The radio goes away while polls and a request are under way.
    support::LatencyProbe probe;
    if (remote)
        rigctld.stop();
    else
        QVERIFY(sim.command(QStringLiteral("silent on")));
    Outcome outcome;
    QVERIFY(!radio->setFrequency(7'050'000, outcome.completion()));
    QTRY_VERIFY_WITH_TIMEOUT(!radio->answering(), kWaitMs);
    QCOMPARE(answering.size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(outcome.answer.has_value(), kWaitMs);
    QVERIFY(*outcome.answer == Answer::Timeout || *outcome.answer == Answer::WriteFailed);
    // The window's thread never waited on Hamlib: no stall as long as one Hamlib timeout.
    const qint64 timeoutMs =
        remote ? HamlibWorker::kRemoteTimeout.count() : HamlibWorker::serialTimeout(9600).count();
    QVERIFY2(probe.worstMs() < timeoutMs, qPrintable(QString::number(probe.worstMs())));

    // It comes back: heard again, answering again.
    if (remote)
        QVERIFY(rigctld.start(port));
    else
        QVERIFY(sim.command(QStringLiteral("silent off")));
    heard.clear();
    QTRY_VERIFY_WITH_TIMEOUT(radio->answering(), kWaitMs);
    QCOMPARE(answering.size(), 2);
    QVERIFY(heard.wait(kWaitMs));
    QVERIFY(heard.last().first().value<HamlibReading>().frequencyHz.has_value());

    // Closing with a silent radio and requests queued ends promptly, every request told.
    if (remote)
        rigctld.stop();
    else
        QVERIFY(sim.command(QStringLiteral("silent on")));
    Outcome first;
    Outcome second;
    QVERIFY(!radio->readFrequency(first.completion()));
    QVERIFY(!radio->readMode(second.completion()));
    radio->close();
    QTRY_VERIFY(first.answer.has_value() && second.answer.has_value());
    QCOMPARE(*second.answer, Answer::WriteFailed);
    radio.reset();
}

void TestHamlibRadio::openErrors_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("device");  // "sim": corvane-sim's pty, held open by another
    QTest::addColumn<int>("number");

    QTest::newRow("no such device") << kIc706MkIIG << "/dev/corvane-no-such-port" << 8002;
    QTest::newRow("no rigctld listening")
        << kHamlibRemoteModel << QStringLiteral("127.0.0.1:%1").arg(freeTcpPort()) << 9201;
    QTest::newRow("no such model") << 999'999 << "/dev/null" << 5;
}

void TestHamlibRadio::openErrors()
{
    QFETCH(int, model);
    QFETCH(QString, device);
    QFETCH(int, number);

    HamlibRadio radio;
    QSignalSpy failed(&radio, &HamlibRadio::openFailed);
    radio.open({model, device, 9600});
    QVERIFY(failed.wait(kWaitMs));
    const auto error = failed.first().first().value<AppError>();
    QCOMPARE(error.number, number);
    QCOMPARE(error.text.left(standardErrorText(number).size()), standardErrorText(number));
    QCOMPARE(radio.connection(), HamlibRadio::Connection::Closed);
    QCOMPARE(radio.setFrequency(7'000'000)->number, 8012);
}

QTEST_GUILESS_MAIN(TestHamlibRadio)
#include "tst_hamlibradio.moc"
