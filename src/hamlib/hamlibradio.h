#pragma once

#include "common/errorcatalogue.h"
#include "hamlib/hamlibtypes.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <chrono>
#include <map>
#include <optional>

class HamlibWorker;

/**
 * A radio driven through Hamlib: any Hamlib model on a serial port, or a radio on another
 * computer through its rigctld (model kHamlibRemoteModel, "host:port").
 *
 * Hamlib's calls block until the radio answers or Hamlib's timeout passes, so the RIG* lives
 * on a worker thread of this object's own and every call is made there, one at a time, in
 * the order asked. Nothing here waits for it: open() and every request return at once, and
 * what comes back arrives as signals and completions from the event loop. The timeout is
 * the native path's answer bound on a serial line (246 ms at 9600 baud) and 2 s for a
 * rigctld, with no retries, so a silent radio costs one timeout per call, and the
 * destructor, which joins the thread, waits at most for the call under way.
 *
 * Requests are those of RadioCommands, with the same answers: each returns std::nullopt
 * when it was queued and the error otherwise (8012 while closed, 5 for a value out of
 * range), and its completion is called once, later, with
 *   Ok          Hamlib carried it out (for a read: the value came)
 *   Rejected    the radio or Hamlib refused it (RIG_ERJCTED, RIG_ENAVAIL, RIG_EINVAL, ...)
 *   Timeout     no answer within Hamlib's timeout
 *   WriteFailed the line or connection failed, or the radio was closed before its turn
 * Whatever the radio confirms (a set that succeeded, a value read) is told by heard().
 *
 * Polling: while open, frequency, mode, VFO and split (the last two where the radio can
 * tell them) are read every pollPeriod() (1 s unless set; zero: no polling), and heard()
 * tells what came. Two unanswered calls in a row make answeringChanged(false); the first
 * answer after them, answeringChanged(true). A failed line or connection is opened anew
 * before the next call, so a rigctld that comes back is heard again.
 *
 * Hamlib's debug output comes as debugLine() (see HamlibLog: it is one output for every
 * radio in the program).
 */
class HamlibRadio : public QObject {
    Q_OBJECT
public:
    using Answer = RadioCommands::Answer;
    using Completion = RadioCommands::Completion;
    using Result = RadioCommands::Result;
    enum class Connection { Closed, Opening, Open };

    static constexpr std::chrono::milliseconds kDefaultPollPeriod{1000};

    explicit HamlibRadio(QObject* parent = nullptr);
    ~HamlibRadio() override;

    /** Opens target (closing what was open): opened() or openFailed() tells how it went. */
    void open(const HamlibTarget& target);
    /** Closes the radio: requests not yet answered end with WriteFailed. */
    void close();
    Connection connection() const { return m_connection; }
    HamlibTarget target() const { return m_target; }
    /** What the opened radio can do; std::nullopt until opened(). */
    std::optional<HamlibCapabilities> capabilities() const { return m_capabilities; }
    /** false after two unanswered calls in a row, until the radio answers again. */
    bool answering() const { return m_answering; }

    void setPollPeriod(std::chrono::milliseconds period);
    std::chrono::milliseconds pollPeriod() const { return m_pollPeriod; }

    /** Frequency in Hz of the current VFO; 1 Hz .. 999.999999 MHz, or 5. */
    Result setFrequency(quint64 hz, Completion done = {});
    /** Mode code 0 (LSB) .. 6 (WFM), or 5; the radio's normal passband is kept. */
    Result setMode(quint8 modeCode, Completion done = {});
    /** VFO A or B (Unknown: 5). */
    Result selectVfo(RadioState::VfoSelected vfo, Completion done = {});
    /** Split on (transmit on VFO B) or off. */
    Result setSplit(bool on, Completion done = {});
    /** The radio's own scan of the current VFO started (on) or stopped. */
    Result setRadioScan(bool on, Completion done = {});
    /** Tuning step in Hz, 1 Hz .. 1 MHz, or 5. */
    Result setTuningStep(quint32 hz, Completion done = {});
    Result readFrequency(Completion done = {});
    Result readMode(Completion done = {});

    /** Requests queued or under way. */
    int pendingCount() const { return int(m_pending.size()); }

signals:
    void opened(const HamlibCapabilities& capabilities);
    void openFailed(const AppError& error);
    /** What the radio told: a poll, a read, or a set it confirmed (only those fields). */
    void heard(const HamlibReading& reading);
    void answeringChanged(bool answering);
    /** One line of Hamlib's debug output. */
    void debugLine(const QString& text);

private:
    Result submit(int kind, quint64 value, Completion done);
    void settleAll(Answer answer);

    QThread m_thread;
    HamlibWorker* m_worker = nullptr;
    std::atomic<quint64> m_session{0};
    quint64 m_nextId = 1;
    std::map<quint64, Completion> m_pending;
    Connection m_connection = Connection::Closed;
    HamlibTarget m_target;
    std::optional<HamlibCapabilities> m_capabilities;
    bool m_answering = true;
    std::chrono::milliseconds m_pollPeriod = kDefaultPollPeriod;
};
