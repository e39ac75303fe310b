#include "radio/radiocommands.h"

#include "link/delay.h"
#include "link/seriallink.h"
#include "protocol/civ.h"
#include "protocol/radioprofile.h"
#include "radio/radiostate.h"

#include <QPointer>

#include <algorithm>

namespace {

using Clock = std::chrono::steady_clock;

AppError outOfRange(const QString& what)
{
    return AppError::withDetail(errors::kInvalidArgument, what);
}

/** Answer bound: the longest frame this program sends or reads (11 bytes of 10 bits on
 *  the line, 8N1), counted four times, plus the radio's turnaround and the latency of a USB
 *  adapter (16 ms each way) and of the event loop. */
constexpr int kLongestFrameBits = 11 * 10;
constexpr int kFramesPerAnswer = 4;
constexpr std::chrono::milliseconds kTurnaroundAndLatency{200};

/** After the bound has passed, bytes that are here but not yet read (the event loop was
 *  late, not the radio) are waited for in steps of kLateStep, for at most one more bound. */
constexpr std::chrono::milliseconds kLateStep{10};

/** What a refused frame asked for, in the status line's words. */
QString describe(const QByteArray& frame, quint8 radioAddress)
{
    const RadioState::Claim claim = RadioState::Claim::fromFrame(frame, radioAddress);
    const quint8 command = frame.size() > 4 ? quint8(frame[4]) : 0;
    if (claim.frequencyText)
        return QStringLiteral("the frequency ") + *claim.frequencyText;
    if (claim.modeCode)
        return QStringLiteral("the mode ") + modeName(*claim.modeCode);
    if (claim.vfo)
        return claim.vfo == RadioState::VfoSelected::A ? QStringLiteral("VFO A")
                                                       : QStringLiteral("VFO B");
    if (claim.split)
        return *claim.split ? QStringLiteral("split on") : QStringLiteral("split off");
    if (claim.radioScan)
        return *claim.radioScan ? QStringLiteral("the scan start")
                                : QStringLiteral("the scan stop");
    switch (command) {
        case civ::kCmdTuningStep:
            return QStringLiteral("the tuning step");
        case civ::kCmdReadFrequency:
            return QStringLiteral("a read of the frequency");
        case civ::kCmdReadMode:
            return QStringLiteral("a read of the mode");
        default:
            break;
    }
    return QStringLiteral("command %1").arg(byteText(command));
}

/** Nine digits, 100 MHz down to 1 Hz: 145400000 -> "145400000", 7050000 -> "007050000". */
QString nineDigits(quint64 hz)
{
    return QStringLiteral("%1").arg(hz, 9, 10, QLatin1Char('0'));
}

}  // namespace

RadioCommands::RadioCommands(SerialLink* link, RadioState* state, QObject* parent)
    : QObject(parent), m_link(link), m_state(state)
{
    m_answerTimer.setSingleShot(true);
    connect(&m_answerTimer, &QTimer::timeout, this, &RadioCommands::onAnswerTimer);
    if (m_link) {
        connect(m_link, &SerialLink::frameReceived, this, &RadioCommands::onFrameReceived);
        connect(m_link, &SerialLink::portLost, this, &RadioCommands::onPortLost);
    }
}

std::chrono::milliseconds RadioCommands::answerBoundFor(qint32 baud)
{
    const qint32 rate = std::max(baud, qint32{1});
    const auto frames = std::chrono::milliseconds(
        (qint64{kFramesPerAnswer} * kLongestFrameBits * 1000 + rate - 1) / rate);
    return frames + kTurnaroundAndLatency;
}

std::chrono::milliseconds RadioCommands::answerBound() const
{
    return answerBoundFor(baudRate());
}

void RadioCommands::setBaudRate(qint32 baud)
{
    if (m_link)
        m_link->setBaudRate(baud);
}

qint32 RadioCommands::baudRate() const
{
    return m_link ? m_link->baudRate() : SerialLink::kDefaultBaudRate;
}

RadioCommands::Result RadioCommands::openPort(int portNumber, const QString& device)
{
    abandonAll();
    AppError error;
    if (!m_link->open(device, &error)) {
        if (m_state)
            m_state->setOpenFailed(portNumber, device, error);
        return error;
    }
    if (m_state)
        m_state->setOpen(portNumber, device);
    emit portOpened();
    return std::nullopt;
}

void RadioCommands::closePort()
{
    m_link->close();
    abandonAll();
    if (m_state)
        m_state->setClosed();
}

void RadioCommands::onPortLost(const AppError& error)
{
    abandonAll();
    if (m_state)
        m_state->setLost(error);
}

void RadioCommands::abandonAll()
{
    // No answer can come over a line that is gone: what was shown unconfirmed goes back at
    // once, and every request hears WriteFailed, not a timeout a bound later.
    std::deque<Outstanding> outstanding = std::exchange(m_outstanding, {});
    std::deque<Request> queued = std::exchange(m_queue, {});
    m_answerTimer.stop();
    const bool watched =
        std::any_of(outstanding.begin(), outstanding.end(),
                    [](const Outstanding& waiting) { return waiting.watch != Watch::None; });
    if (m_state && watched)
        m_state->rollBack(0);
    for (Outstanding& waiting : outstanding) {
        if (waiting.done)
            waiting.done(Answer::WriteFailed);
    }
    for (Request& request : queued) {
        if (request.done)
            request.done(Answer::WriteFailed);
    }
}

// ---------------------------------------------------------------- steps

RadioCommands::Step RadioCommands::splitStep(bool on) const
{
    return {splitFrame(m_radioAddress, on), on, std::nullopt};
}

RadioCommands::Step RadioCommands::vfoStep(Vfo vfo) const
{
    return {selectVfoFrame(m_radioAddress, vfo), std::nullopt, std::nullopt};
}

RadioCommands::Step RadioCommands::modeStep(quint8 modeCode) const
{
    return {setModeFrame(m_radioAddress, modeCode), std::nullopt, std::nullopt};
}

std::optional<RadioCommands::Step> RadioCommands::storedFrequencyStep(QStringView text11) const
{
    const std::optional<QByteArray> frame = setFrequencyFrameFromStored(m_radioAddress, text11);
    if (!frame)
        return std::nullopt;
    return Step{*frame, std::nullopt, std::nullopt};
}

std::optional<RadioCommands::Step> RadioCommands::padFrequencyStep(QStringView digits) const
{
    const std::optional<QByteArray> frame = setFrequencyFrame(m_radioAddress, digits);
    if (!frame)
        return std::nullopt;
    return Step{*frame, std::nullopt, std::nullopt};
}

// ---------------------------------------------------------------- commands

RadioCommands::Result RadioCommands::setFrequency(quint64 hz, Completion done)
{
    const RadioProfile& profile = radioprofile::current();
    if (!profile.receives(hz))
        return outOfRange(QStringLiteral("frequency %1 Hz is not received by the %2")
                              .arg(hz)
                              .arg(profile.displayName()));
    return setFrequencyFromPad(nineDigits(hz), std::move(done));
}

RadioCommands::Result RadioCommands::setFrequencyFromPad(QStringView digits, Completion done)
{
    std::optional<Step> step = padFrequencyStep(digits);
    if (!step || digits.size() != 9)
        return outOfRange(QStringLiteral("\"%1\" is not nine digits").arg(digits));
    return submit(std::move(*step), std::move(done));
}

RadioCommands::Result RadioCommands::setMode(quint8 modeCode, Completion done)
{
    if (modeName(modeCode).isEmpty())
        return outOfRange(
            QStringLiteral("mode code %1 is none of the radio's modes").arg(modeCode));
    return submit(modeStep(modeCode), std::move(done));
}

RadioCommands::Result RadioCommands::selectVfo(Vfo vfo, Completion done)
{
    return submit(vfoStep(vfo), std::move(done));
}

RadioCommands::Result RadioCommands::setSplit(bool on, Completion done)
{
    return submit(splitStep(on), std::move(done));
}

RadioCommands::Result RadioCommands::setRadioScan(bool on, Completion done)
{
    return submit({scanFrame(m_radioAddress, on), std::nullopt, on}, std::move(done));
}

RadioCommands::Result RadioCommands::setTuningStep(quint8 stepCode, Completion done)
{
    return submit({tuningStepFrame(m_radioAddress, stepCode), std::nullopt, std::nullopt},
                  std::move(done));
}

RadioCommands::Result RadioCommands::readFrequency(Completion done)
{
    return submit({commandFrame(m_radioAddress, civ::kCmdReadFrequency), {}, {}}, std::move(done),
                  Watch::Read);
}

RadioCommands::Result RadioCommands::readMode(Completion done)
{
    return submit({commandFrame(m_radioAddress, civ::kCmdReadMode), {}, {}}, std::move(done),
                  Watch::Read);
}

RadioCommands::Result RadioCommands::sendRaw(const QByteArray& frame, Completion done)
{
    return submit({frame, std::nullopt, std::nullopt}, std::move(done), Watch::None);
}

void RadioCommands::readRadio()
{
    if (m_readsWaiting > 0 || !m_link || !m_link->isOpen())
        return;
    const QPointer<RadioCommands> self(this);
    const auto answered = [self](Answer) {
        if (self)
            --self->m_readsWaiting;
    };
    for (const quint8 command : {civ::kCmdReadFrequency, civ::kCmdReadMode}) {
        if (!submit({commandFrame(m_radioAddress, command), {}, {}}, answered, Watch::Read))
            ++m_readsWaiting;
    }
}

RadioCommands::Result RadioCommands::askRadio(quint8 address, Completion done)
{
    return submit({commandFrame(address, civ::kCmdReadFrequency), {}, {}}, std::move(done),
                  Watch::None);
}

// ---------------------------------------------------------------- writing and answers

RadioCommands::Result RadioCommands::submit(Step step, Completion done, Watch watch)
{
    const bool mustWait = m_sequenceRunning || !m_outstanding.empty() || !m_queue.empty();
    if (!done || !mustWait)
        return writeNow(step, std::move(done), watch);
    if (!m_link || !m_link->isOpen())
        return AppError::fromNumber(errors::kPortNotOpen);
    m_queue.push_back({std::move(step), std::move(done), watch});
    return std::nullopt;
}

RadioCommands::Result RadioCommands::writeNow(const Step& step, Completion done, Watch watch)
{
    std::optional<AppError> error;
    if (!m_link || !m_link->isOpen())
        error = AppError::fromNumber(errors::kPortNotOpen);
    else if (!m_link->write(step.frame))
        error = AppError::fromNumber(errors::kPortWriteFailed);
    if (error) {
        emit writeFailed(*error);
        return error;
    }
    if (m_state && step.splitAfterWrite)
        m_state->noteSplitWritten(*step.splitAfterWrite);
    if (m_state && step.radioScanAfterWrite)
        m_state->noteRadioScanWritten(*step.radioScanAfterWrite);
    const quint8 address = step.frame.size() > 2 ? quint8(step.frame[2]) : 0;
    if (address != m_radioAddress)
        watch = Watch::None;
    m_outstanding.push_back(
        {std::move(done), Clock::now() + answerBound(), address, watch, step.frame});
    if (!m_answerTimer.isActive())
        armAnswerTimer();
    return std::nullopt;
}

void RadioCommands::pump()
{
    while (!m_sequenceRunning && m_outstanding.empty() && !m_queue.empty()) {
        Request next = std::move(m_queue.front());
        m_queue.pop_front();
        if (writeNow(next.step, next.done, next.watch))
            next.done(Answer::WriteFailed);
    }
}

void RadioCommands::onFrameReceived(const QString& frameText)
{
    if (m_state)
        m_state->applyFrame(frameText, m_radioAddress);
    // Only answers to this controller: FE FE E0 <radio> ... FD.
    if (textPart(frameText, 5, 2) != addressText(civ::kControllerAddress))
        return;
    bool isHex = false;
    const auto from = static_cast<quint8>(textPart(frameText, 7, 2).toUInt(&isHex, 16));
    const QStringView command = textPart(frameText, 9, 2);
    if (!isHex)
        return;
    if (command == byteText(civ::kOk))
        settleOldestFrom(from, Answer::Ok);
    else if (command == byteText(civ::kNg))
        settleOldestFrom(from, Answer::Rejected);
    else if (command == byteText(civ::kCmdReadFrequency) || command == byteText(civ::kCmdReadMode))
        settleOldestFrom(from, Answer::Ok);
}

void RadioCommands::settleOldestFrom(quint8 address, Answer answer)
{
    const auto oldest =
        std::find_if(m_outstanding.begin(), m_outstanding.end(),
                     [address](const Outstanding& waiting) { return waiting.address == address; });
    if (oldest == m_outstanding.end())
        return;
    Outstanding settled = std::move(*oldest);
    m_outstanding.erase(oldest);
    armAnswerTimer();
    settle(std::move(settled), answer);
    pump();
}

void RadioCommands::settle(Outstanding settled, Answer answer)
{
    if (m_state && settled.watch != Watch::None)
        takeAnswer(settled, answer);
    if (settled.done)
        settled.done(answer);
}

void RadioCommands::takeAnswer(const Outstanding& settled, Answer answer)
{
    const unsigned awaited = fieldsAwaited();
    if (answer == Answer::Ok) {
        m_state->confirm(RadioState::Claim::fromFrame(settled.frame, m_radioAddress), awaited);
        return;
    }
    const bool wasAnswering = m_state->answering();
    if (answer == Answer::Timeout)
        m_state->noteNoAnswer();
    m_state->rollBack(awaited);
    if (answer == Answer::Rejected)
        emit commandRefused(describe(settled.frame, m_radioAddress));
    else if (answer == Answer::Timeout && (settled.watch == Watch::Command || wasAnswering))
        emit answerMissing(settled.address);
    if (settled.watch == Watch::Command)
        readRadio();
}

unsigned RadioCommands::fieldsAwaited() const
{
    unsigned fields = 0;
    for (const Outstanding& waiting : m_outstanding) {
        if (waiting.watch == Watch::Command)
            fields |= RadioState::Claim::fromFrame(waiting.frame, m_radioAddress).fields();
    }
    return fields;
}

void RadioCommands::onAnswerTimer()
{
    const Clock::time_point now = Clock::now();
    if (!m_outstanding.empty() && m_link && m_link->bytesWaiting() &&
        now < m_outstanding.front().deadline + answerBound()) {
        m_answerTimer.start(kLateStep);
        return;
    }
    std::vector<Outstanding> expired;
    while (!m_outstanding.empty() && m_outstanding.front().deadline <= now) {
        expired.push_back(std::move(m_outstanding.front()));
        m_outstanding.pop_front();
    }
    armAnswerTimer();
    for (Outstanding& settled : expired)
        settle(std::move(settled), Answer::Timeout);
    pump();
}

void RadioCommands::armAnswerTimer()
{
    if (m_outstanding.empty()) {
        m_answerTimer.stop();
        return;
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(m_outstanding.front().deadline - Clock::now());
    m_answerTimer.start(std::max(left, std::chrono::milliseconds(0)));
}

// ---------------------------------------------------------------- sequences

RadioCommands::SequenceOutcome RadioCommands::runSequence(const std::vector<Step>& steps,
                                                          std::chrono::milliseconds pause,
                                                          AppError* error)
{
    if (m_sequenceRunning) {
        if (error)
            *error = AppError::withDetail(errors::kInvalidArgument,
                                          QStringLiteral("another sequence is being sent"));
        return SequenceOutcome::Busy;
    }
    m_sequenceRunning = true;
    const double pauseSeconds = std::chrono::duration<double>(pause).count();
    SequenceOutcome outcome = SequenceOutcome::Sent;
    for (const Step& step : steps) {
        if (delaysAborted()) {
            outcome = SequenceOutcome::Aborted;
            break;
        }
        if (const Result failed = writeNow(step, {})) {
            if (error)
                *error = *failed;
            outcome = SequenceOutcome::Failed;
            break;
        }
        Delay(pauseSeconds);
    }
    if (outcome == SequenceOutcome::Sent && delaysAborted())
        outcome = SequenceOutcome::Aborted;
    m_sequenceRunning = false;
    pump();
    return outcome;
}
