#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

/**
 * corvane-sim as a child process, for tests that need a radio on a real pseudo-terminal.
 *
 *   SimProcess sim;
 *   QVERIFY2(sim.start(), qPrintable(sim.errorString()));   // waits for the device path
 *   link.open(sim.devicePath(), ...);                        // /dev/pts/N
 *   QVERIFY(sim.command("freq 7050000"));                    // front panel, waits for "OK"
 *   QVERIFY(sim.waitForFrames(1));                           // frames the radio received
 *   QCOMPARE(sim.frames().first().text, "FEFE48E00603FD");
 *
 * start(arguments)       runs CORVANE_SIM_PATH with the arguments (--address, --link ...),
 *                        reads the device path from its first line of output. Log to the
 *                        default (standard error) so frames() can follow it.
 * command(line, &reply)  sends one front-panel command (see src/sim/frontpanel.h: freq,
 *                        mode, vfo, raw, garbage, double, cut, silent, state, quit) and
 *                        waits until the program has carried it out; true for "OK".
 *                        The reply text is what follows "OK "/"ERROR ". When it returns,
 *                        what the command wrote to the line is on the line and in
 *                        logLines() ("TX" lines).
 * state()                the radio's state as "freq=... mode=... vfo=A split=0 ...".
 * frames()               every frame the radio has received from the line since start (or
 *                        since clearFrames()), with the radio's monotonic time stamp.
 * waitForFrames(n)       waits (running events) until at least n frames are in frames().
 * logLines()             every log line: "<seconds> <RX|TX|CMD|INFO> <text>".
 * stop()                 SIGTERM and wait; true when it exited cleanly (status 0).
 * The destructor stops a running program.
 *
 * Waiting runs the event loop (QTest::qWaitFor), with a generous default bound that only
 * decides when a test fails; nothing here sleeps.
 */
class SimProcess : public QObject {
    Q_OBJECT
public:
    /** One frame the radio received: its text (upper-case hex through FD) and when. */
    struct Frame {
        double seconds = 0;  ///< radio's clock: seconds since it started
        QString text;
        QByteArray bytes() const { return QByteArray::fromHex(text.toLatin1()); }
    };

    static constexpr int kDefaultTimeoutMs = 10'000;

    explicit SimProcess(QObject* parent = nullptr);
    ~SimProcess() override;

    bool start(const QStringList& arguments = {}, int timeoutMs = kDefaultTimeoutMs);
    bool stop(int timeoutMs = kDefaultTimeoutMs);
    QString devicePath() const { return m_devicePath; }
    QString errorString() const { return m_error; }

    bool command(const QString& line, QString* reply = nullptr, int timeoutMs = kDefaultTimeoutMs);
    QString state();

    QList<Frame> frames() const { return m_frames; }
    QStringList frameTexts() const;
    bool waitForFrames(int count, int timeoutMs = kDefaultTimeoutMs);
    void clearFrames() { m_frames.clear(); }

    QStringList logLines() const { return m_logLines; }
    QProcess& process() { return m_process; }

signals:
    /** A frame the radio received, as soon as its log line is read. */
    void frameReceived(const SimProcess::Frame& frame);

private:
    void onStandardOutput();
    void onStandardError();
    void handleLogLine(const QString& line);

    QProcess m_process;
    QString m_devicePath;
    QString m_error;
    QByteArray m_stdoutBuffer;
    QByteArray m_stderrBuffer;
    QStringList m_replies;  // "OK ..." / "ERROR ..." lines not yet taken by command()
    QStringList m_logLines;
    int m_commandsLogged = 0;
    QList<Frame> m_frames;
};
