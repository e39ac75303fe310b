#pragma once

#include "hamlib/hamlibtypes.h"
#include "radio/radiocommands.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>

struct s_rig;

/**
 * The thread side of HamlibRadio: owns the RIG* and makes every Hamlib call, each of which
 * may block for up to Hamlib's timeout. Its functions run on its own thread only, invoked
 * queued by HamlibRadio; what it has to say goes back through report(), which posts to the
 * GUI thread.
 *
 * Every call carries the session it belongs to. HamlibRadio advances the session on close;
 * a call of an older session does nothing, so requests still queued when the radio closes
 * (or the program quits) never reach a silent radio.
 *
 * A link that fails (the line or connection gone: RIG_EIO, RIG_EPROTO) is closed and
 * opened again before the next call, so a rigctld that comes back is heard again.
 */
class HamlibWorker : public QObject {
    Q_OBJECT
public:
    enum class Request {
        SetFrequency,
        SetMode,
        SelectVfo,
        SetSplit,
        ReadFrequency,
        ReadMode,
        SetRadioScan,   ///< value 1: scan the VFO, 0: stop
        SetTuningStep,  ///< value: the step in Hz
    };

    /** What the worker tells the GUI side; run there, queued. */
    struct Reports {
        std::function<void(quint64 session, const HamlibCapabilities&)> opened;
        std::function<void(quint64 session, const AppError&)> openFailed;
        std::function<void(quint64 id, RadioCommands::Answer, const HamlibReading&)> finished;
        std::function<void(quint64 session, const HamlibReading&)> polled;
        std::function<void(quint64 session, bool answering)> answering;
    };

    /** Hamlib's timeout for one answer on a serial line at baud: the native path's bound. */
    static std::chrono::milliseconds serialTimeout(qint32 baud);
    /** Hamlib's timeout for one answer of a rigctld, which may itself wait on its radio. */
    static constexpr std::chrono::milliseconds kRemoteTimeout{2000};
    /** Unanswered calls in a row that make the radio not answering (as the native path). */
    static constexpr int kNoAnswerRun = RadioState::kNoAnswerRun;

    HamlibWorker(QObject* home, const std::atomic<quint64>* session, Reports reports);
    ~HamlibWorker() override;

    void open(const HamlibTarget& target, quint64 session);
    void close();
    void request(quint64 id, quint64 session, Request kind, quint64 value);
    void setPollPeriod(std::chrono::milliseconds period);

private:
    bool current(quint64 session) const { return session == m_session->load(); }
    template <typename F>
    void report(F&& f);
    /** Reopens a link that failed; RIG_OK when the link is up. */
    int ensureLink();
    /** Counts answers and silences; tells when the radio stops or starts answering. */
    void note(int status);
    void poll();
    int call(Request kind, quint64 value, HamlibReading* reading);

    QObject* m_home;
    const std::atomic<quint64>* m_session;
    Reports m_reports;
    s_rig* m_rig = nullptr;
    HamlibTarget m_target;
    quint64 m_openSession = 0;
    bool m_linkUp = false;
    bool m_readsVfo = false;
    bool m_readsSplit = false;
    /** The VFO last selected or polled (Unknown until then). */
    RadioState::VfoSelected m_selectedVfo = RadioState::VfoSelected::Unknown;
    int m_unansweredRun = 0;
    bool m_answering = true;
    QTimer m_pollTimer;
};
