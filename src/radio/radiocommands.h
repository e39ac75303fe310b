#pragma once

#include "common/errorcatalogue.h"
#include "protocol/civ.h"
#include "protocol/frames.h"

#include <QByteArray>
#include <QObject>
#include <QStringView>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

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
 *   Timeout     no answer within kAnswerTimeout of the write
 *   WriteFailed the frame could not be written when its turn came
 * A command that returns an error never calls its completion.
 *
 * Order on the line. The radio answers in the order it was asked, without saying to
 * which frame: an answer (FB, FA, or 03/04 to this controller) is given to the OLDEST
 * frame written and not yet answered or timed out. Commands with a completion wait in a
 * FIFO and are written one at a time, each when every earlier frame is answered or timed
 * out, so their answers are never confused. Commands without a completion (the window's
 * buttons) are written at once; they take their place among the frames awaiting an
 * answer, so their FB is not given to someone else.
 *
 * The commands listen to the link themselves: every received frame updates RadioState,
 * and a lost port sets its connection to Lost.
 *
 * Sequences (start-up, recall) run one at a time through runSequence(); queued requests
 * wait while a sequence runs, so nothing is written between its frames.
 */
class RadioCommands : public QObject {
    Q_OBJECT
public:
    enum class Answer { Ok, Rejected, Timeout, WriteFailed };
    using Completion = std::function<void(Answer)>;
    using Result = std::optional<AppError>;  ///< std::nullopt: written (or queued)

    /** How long the radio may take to answer one frame. At 9600 baud a frame and its
     *  answer take under 20 ms; a radio that is off never answers. */
    static constexpr std::chrono::milliseconds kAnswerTimeout{1000};
    /** Lowest and highest frequency the radio tunes, Hz. */
    static constexpr quint64 kMinFrequencyHz = 30'000;
    static constexpr quint64 kMaxFrequencyHz = 199'999'999;
    static constexpr quint8 kMaxModeCode = 6;

    RadioCommands(SerialLink* link, RadioState* state, QObject* parent = nullptr);

    quint8 radioAddress() const { return m_radioAddress; }
    void setRadioAddress(quint8 address) { m_radioAddress = address; }

    /** Opens device as port "COM portNumber" (closing what was open); RadioState's
     *  connection follows: Open, or Closed with the reason. */
    Result openPort(int portNumber, const QString& device);
    /** Closes the port (RadioState: Closed). */
    void closePort();

    /** 05: frequency in Hz, kMinFrequencyHz .. kMaxFrequencyHz. */
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
    /** Any whole frame, as given. */
    Result sendRaw(const QByteArray& frame, Completion done = {});

    /** One frame of a sequence: the frame and, when it is a split or scan frame, what it
     *  sets in RadioState once written. */
    struct Step {
        QByteArray frame;
        std::optional<bool> splitAfterWrite;
        std::optional<bool> radioScanAfterWrite;
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

signals:
    /** A write failed: the port is closed or the line refused the bytes. */
    void writeFailed(const AppError& error);

private:
    struct Request {
        Step step;
        Completion done;
    };
    struct Outstanding {
        Completion done;
        std::chrono::steady_clock::time_point deadline;
    };

    /** Every received frame: RadioState reads it first, then an answer settles the oldest
     *  frame awaiting one. */
    void onFrameReceived(const QString& frameText);
    void onPortLost(int errorNumber, const QString& errorText);
    Result submit(Step step, Completion done);
    Result writeNow(const Step& step, Completion done);
    void pump();
    void settleOldest(Answer answer);
    void onAnswerTimer();
    void armAnswerTimer();

    SerialLink* m_link;
    RadioState* m_state;
    quint8 m_radioAddress = civ::kDefaultRadioAddress;
    bool m_sequenceRunning = false;
    std::deque<Request> m_queue;
    std::deque<Outstanding> m_outstanding;
    QTimer m_answerTimer;
};
