#pragma once

#include "common/errorcatalogue.h"
#include "protocol/civ.h"
#include "protocol/frames.h"
#include "radio/radioabilities.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringView>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

class RadioBackend;
struct RadioHeard;
class RadioState;
class SerialLink;

/**
 * The one place that builds the catalogue's frames and writes them to the radio. The
 * window's buttons and entry pad, the recall, the scans and the network all send here.
 *
 * Every command returns std::nullopt when its frame was written (or queued, see below)
 * and the error otherwise (8012 port not open, 8021 write failed, 5 a value outside the
 * radio's range); a command whose write failed changes nothing in RadioState, so no
 * indicator flips.
 *
 * Answers. Each command takes an optional completion, called once, later, from the event
 * loop, with the radio's answer to that frame:
 *   Ok          FB, or for a read (03/04) the radio's 03/04 frame
 *   Rejected    FA
 *   Timeout     no answer within answerBound() of the write
 *   WriteFailed the frame could not be written when its turn came, or the port closed (or
 *               was opened anew) before its answer came
 * A command that returns an error never calls its completion.
 *
 * Confirmed state. Every frame of the catalogue sent to the radio (by the window, the
 * recall, the scans, the network; not sendRaw() or askRadio()) is watched, completion or
 * not: on FB RadioState takes its value as confirmed; on FA or no answer RadioState shows
 * the confirmed values again, commandRefused() or answerMissing() tells it, and the
 * frequency and mode are read (readRadio()). A read that goes unanswered reads nothing
 * more.
 *
 * Order on the line. The radio answers in the order it was asked, without saying to
 * which frame: an answer (FB, FA, or 03/04 to this controller) from an address is given
 * to the OLDEST frame written to that address and not yet answered or timed out. Commands with a
 * completion wait in a FIFO and are written one at a time, each when every earlier frame is
 * answered or timed out, so their answers are never confused. Commands without a completion (the
 * window's buttons) are written at once; they take their place among the frames awaiting an answer,
 * so their FB is not given to someone else.
 *
 * The commands listen to the link themselves: every received frame updates RadioState,
 * and a lost port sets its connection to Lost.
 *
 * Sequences (start-up, recall) run one at a time through runSequence(); queued requests
 * wait while a sequence runs, so nothing is written between its frames.
 *
 * Backends. The commands above reach the radio over the serial line by default. With
 * openBackend() they reach it through a RadioBackend instead (Hamlib, a rigctld): every
 * command, read and sequence step goes there as the action and value its Step carries, in
 * the same order and with the same answers; what the backend hears is confirmed state;
 * its "answering" is RadioState's. A command the radio cannot serve (abilities()) returns
 * error 5 with the reason and is not sent. sendRaw() and askRadio() are CI-V only.
 */
class RadioCommands : public QObject {
    Q_OBJECT
public:
    enum class Answer { Ok, Rejected, Timeout, WriteFailed };
    using Completion = std::function<void(Answer)>;
    using Result = std::optional<AppError>;  ///< std::nullopt: written (or queued)
    /** What a command sets or reads, for a backend that is not the CI-V line. */
    enum class Action {
        None,           ///< CI-V only (sendRaw, askRadio)
        SetFrequency,   ///< value: Hz
        SetMode,        ///< value: mode code 0..6
        SelectVfo,      ///< value: 0 VFO A, 1 VFO B
        SetSplit,       ///< value: 1 on, 0 off
        SetRadioScan,   ///< value: 1 start, 0 stop
        SetTuningStep,  ///< value: step code 0..9
        ReadFrequency,
        ReadMode,
    };

    /** How long the radio may take to answer one frame at baud: four times the longest
     *  frame (the frame, its echo, the answer and a frame of someone else's in between)
     *  plus the radio's turnaround and a USB adapter's and the event loop's latency. 246 ms
     *  at 9600 baud, 223 ms at 19 200, 1667 ms at 300. A radio that is off never answers. */
    static std::chrono::milliseconds answerBoundFor(qint32 baud);
    std::chrono::milliseconds answerBound() const;

    RadioCommands(SerialLink* link, RadioState* state, QObject* parent = nullptr);
    /** The radio model of a window: commands with a serial line of their own (link()). */
    static RadioCommands* withOwnLink(RadioState* state, QObject* parent);

    /** The serial line of the native path (nullptr for a probe without one). */
    SerialLink* link() const { return m_link; }

    /** Reaches the radio through backend from now on (not owned; it must outlive its use
     *  here): the serial port is closed, backend is opened, RadioState's connection follows
     *  (Open at backend->place() once opened, Closed with the reason when it fails:
     *  backendOpenFailed()). On opened the backend's profile is made current. nullptr: back to
     *  the serial line (closed until openPort()). */
    void openBackend(RadioBackend* backend);
    RadioBackend* backend() const { return m_backend; }
    /** What the radio in use can do (everything on the native path). */
    RadioAbilities abilities() const;

    quint8 radioAddress() const { return m_radioAddress; }
    void setRadioAddress(quint8 address) { m_radioAddress = address; }

    /** The line's baud rate for the next openPort() (9600 until set); the answer bound
     *  follows it. */
    void setBaudRate(qint32 baud);
    qint32 baudRate() const;

    /** Opens device as port "COM portNumber" (closing what was open); RadioState's
     *  connection follows: Open, or Closed with the reason. Reads nothing: call
     *  readRadio() once the port is open (after start-up's frames, if any). */
    Result openPort(int portNumber, const QString& device);
    /** Closes the port (RadioState: Closed). */
    void closePort();

    /** 05: frequency in Hz, one the radio in use receives (radioprofile::current()). */
    Result setFrequency(quint64 hz, Completion done = {});
    /** 05 from the entry pad's nine digits (100 MHz down to 1 Hz), as the pad holds them. */
    Result setFrequencyFromPad(QStringView nineDigits, Completion done = {});
    /** 06 m, m = 0..6, no filter byte. */
    Result setMode(quint8 modeCode, Completion done = {});
    /** 07 00 / 07 01. */
    Result selectVfo(Vfo vfo, Completion done = {});
    /** 0F 00 / 0F 01; RadioState's split follows a successful write. */
    Result setSplit(bool on, Completion done = {});
    /** 0E 00 / 0E 01; RadioState's radio scan follows a successful write. */
    Result setRadioScan(bool on, Completion done = {});
    /** 10 s, s = 0..9. */
    Result setTuningStep(quint8 stepCode, Completion done = {});
    /** 03: the radio answers with its frequency, which updates RadioState. */
    Result readFrequency(Completion done = {});
    /** 04: the radio answers with its mode, which updates RadioState. */
    Result readMode(Completion done = {});
    /** Any whole frame, as given; not watched (see Confirmed state). */
    Result sendRaw(const QByteArray& frame, Completion done = {});

    /** Reads frequency (03) and then mode (04) of the radio at radioAddress(); the answers
     *  are confirmed state. Nothing when the port is closed or a read is already waiting. */
    void readRadio();

    /**
     * Does a radio answer at address? Writes a read of frequency to it on the open port
     * (FE FE address E0 03 FD) and calls done with Ok when that address answers this
     * controller, Rejected for its FA, Timeout when nothing comes within answerBound().
     * radioAddress() and RadioState are left alone, whatever the answer, so the window's
     * own radio may be asked at another address. Returns 8012 when the port is closed.
     *
     * To ask on a device that is not the window's own port, build a SerialLink and a
     * RadioCommands without state for it: RadioCommands probe(&link, nullptr);
     * probe.setBaudRate(4800); probe.openPort(1, "/dev/ttyUSB1"); probe.askRadio(0x58, done).
     */
    Result askRadio(quint8 address, Completion done);

    /** One frame of a sequence: the frame and, when it is a split or scan frame, what it
     *  sets in RadioState once written; and what it sets or reads, as a backend carries it
     *  out. */
    struct Step {
        QByteArray frame;
        std::optional<bool> splitAfterWrite;
        std::optional<bool> radioScanAfterWrite;
        Action action = Action::None;
        quint64 value = 0;
    };
    Step splitStep(bool on) const;
    Step vfoStep(Vfo vfo) const;
    Step modeStep(quint8 modeCode) const;
    /** std::nullopt when the stored text is not "MMM.KKK.HHH" of digits. */
    std::optional<Step> storedFrequencyStep(QStringView text11) const;
    std::optional<Step> padFrequencyStep(QStringView nineDigits) const;

    enum class SequenceOutcome {
        Sent,     ///< every frame was written
        Failed,   ///< a write failed; error says which; the frames before stay sent
        Aborted,  ///< the program is quitting (delaysAborted()): nothing more was sent
        Busy,     ///< another sequence is running: nothing was sent
    };
    /** Writes the frames in order, with pause after each one while events keep running
     *  (Delay). Returns when the last pause is over. */
    SequenceOutcome runSequence(const std::vector<Step>& steps, std::chrono::milliseconds pause,
                                AppError* error);
    bool sequenceRunning() const { return m_sequenceRunning; }

    /** Requests with a completion that are waiting for their turn (not yet written). */
    int queuedCount() const { return static_cast<int>(m_queue.size()); }
    /** No sequence runs, nothing waits for its turn or for an answer. */
    bool idle() const { return !m_sequenceRunning && m_queue.empty() && m_outstanding.empty(); }

signals:
    /** A write failed: the port is closed or the line refused the bytes. */
    void writeFailed(const AppError& error);
    /** A port was opened (also the one open before, opened again). */
    void portOpened();
    /** A frame to the radio at address had no answer within the bound (told for reads
     *  only when the radio was answering until then). */
    void answerMissing(quint8 address);
    /** The radio answered FA to a frame; what: "the frequency 250.000.000", "split on". */
    void commandRefused(const QString& what);
    /** A backend could not be opened (RadioState: Closed with the reason). */
    void backendOpenFailed(const AppError& error);
    /** The serial line's own events (SerialLink::lineEvent, SerialLink::portLost), for the
     *  window, which does not reach the line itself. */
    void lineEvent(int code);
    void portLost(const AppError& error);

private:
    /** How a frame's answer is taken. */
    enum class Watch {
        Command,  ///< a set: confirms or rolls back, and a failure reads the radio
        Read,     ///< 03/04: its answer is confirmed state; a failure reads nothing more
        None,     ///< sendRaw, askRadio: only its completion hears the answer
    };
    struct Request {
        Step step;
        Completion done;
        Watch watch;
    };
    struct Outstanding {
        Completion done;
        std::chrono::steady_clock::time_point deadline;
        quint8 address;  ///< the frame's destination: its answer comes from there
        Watch watch;
        QByteArray frame;
    };

    /** Every received frame: RadioState reads it first, then an answer settles the oldest
     *  frame awaiting one. */
    void onFrameReceived(const QString& frameText);
    void onPortLost(const AppError& error);
    void attachLink();
    /** The port closed or is opened anew: every frame awaiting an answer and every queued
     *  request ends with WriteFailed. */
    void abandonAll();
    Result submit(Step step, Completion done, Watch watch = Watch::Command);
    Result writeNow(const Step& step, Completion done, Watch watch = Watch::Command);
    void pump();
    void settleOldestFrom(quint8 address, Answer answer);
    void settle(Outstanding settled, Answer answer);
    void takeAnswer(const Outstanding& settled, Answer answer);
    /** The fields that frames still awaiting an answer have shown by their echoes. */
    unsigned fieldsAwaited() const;
    void onAnswerTimer();
    void armAnswerTimer();
    /** The serial port, or the backend, is open. */
    bool lineOpen() const;
    Result toBackend(const Step& step, Completion done, Watch watch);
    void takeBackendAnswer(const Step& step, Answer answer, Watch watch);
    void takeHeard(const RadioHeard& heard);

    SerialLink* m_link;
    RadioState* m_state;
    quint8 m_radioAddress = civ::kDefaultRadioAddress;
    bool m_sequenceRunning = false;
    std::deque<Request> m_queue;
    std::deque<Outstanding> m_outstanding;
    QTimer m_answerTimer;
    int m_readsWaiting = 0;  ///< readRadio()'s reads not yet answered
    RadioBackend* m_backend = nullptr;
    bool m_backendOpen = false;
    QList<QMetaObject::Connection> m_backendConnections;
};
