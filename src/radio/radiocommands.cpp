#include "radio/radiocommands.h"

#include "link/delay.h"
#include "link/seriallink.h"
#include "protocol/civ.h"
#include "radio/radiostate.h"

namespace {

using Clock = std::chrono::steady_clock;

AppError outOfRange(const QString& what)
{
    return AppError::withDetail(errors::kInvalidArgument, what);
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

RadioCommands::Result RadioCommands::openPort(int portNumber, const QString& device)
{
    int number = 0;
    QString text;
    if (!m_link->open(device, &number, &text)) {
        const AppError error{number, text};
        if (m_state)
            m_state->setOpenFailed(portNumber, device, error);
        return error;
    }
    if (m_state)
        m_state->setOpen(portNumber, device);
    return std::nullopt;
}

void RadioCommands::closePort()
{
    m_link->close();
    if (m_state)
        m_state->setClosed();
}

void RadioCommands::onPortLost(int errorNumber, const QString& errorText)
{
    if (m_state)
        m_state->setLost(AppError{errorNumber, errorText});
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
    if (hz < kMinFrequencyHz || hz > kMaxFrequencyHz)
        return outOfRange(
            QStringLiteral("frequency %1 Hz outside 30 kHz .. 199.999999 MHz").arg(hz));
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
    if (modeCode > kMaxModeCode)
        return outOfRange(QStringLiteral("mode code %1 above 6").arg(modeCode));
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
    return submit({commandFrame(m_radioAddress, civ::kCmdReadFrequency), {}, {}}, std::move(done));
}

RadioCommands::Result RadioCommands::readMode(Completion done)
{
    return submit({commandFrame(m_radioAddress, civ::kCmdReadMode), {}, {}}, std::move(done));
}

RadioCommands::Result RadioCommands::sendRaw(const QByteArray& frame, Completion done)
{
    return submit({frame, std::nullopt, std::nullopt}, std::move(done));
}

// ---------------------------------------------------------------- writing and answers

RadioCommands::Result RadioCommands::submit(Step step, Completion done)
{
    const bool mustWait = m_sequenceRunning || !m_outstanding.empty() || !m_queue.empty();
    if (!done || !mustWait)
        return writeNow(step, std::move(done));
    if (!m_link || !m_link->isOpen())
        return AppError::fromNumber(errors::kPortNotOpen);
    m_queue.push_back({std::move(step), std::move(done)});
    return std::nullopt;
}

RadioCommands::Result RadioCommands::writeNow(const Step& step, Completion done)
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
    m_outstanding.push_back({std::move(done), Clock::now() + kAnswerTimeout});
    if (!m_answerTimer.isActive())
        armAnswerTimer();
    return std::nullopt;
}

void RadioCommands::pump()
{
    while (!m_sequenceRunning && m_outstanding.empty() && !m_queue.empty()) {
        Request next = std::move(m_queue.front());
        m_queue.pop_front();
        if (writeNow(next.step, next.done))
            next.done(Answer::WriteFailed);
    }
}

void RadioCommands::onFrameReceived(const QString& frameText)
{
    if (m_state)
        m_state->applyFrame(frameText, m_radioAddress);
    // Only the radio's answers to this controller: FE FE E0 <radio> ... FD.
    if (textPart(frameText, 5, 2) != addressText(civ::kControllerAddress) ||
        textPart(frameText, 7, 2) != addressText(m_radioAddress))
        return;
    const QStringView command = textPart(frameText, 9, 2);
    if (command == byteText(civ::kOk))
        settleOldest(Answer::Ok);
    else if (command == byteText(civ::kNg))
        settleOldest(Answer::Rejected);
    else if (command == byteText(civ::kCmdReadFrequency) || command == byteText(civ::kCmdReadMode))
        settleOldest(Answer::Ok);
}

void RadioCommands::settleOldest(Answer answer)
{
    if (m_outstanding.empty())
        return;
    const Completion done = std::move(m_outstanding.front().done);
    m_outstanding.pop_front();
    armAnswerTimer();
    if (done)
        done(answer);
    pump();
}

void RadioCommands::onAnswerTimer()
{
    const Clock::time_point now = Clock::now();
    std::vector<Completion> expired;
    while (!m_outstanding.empty() && m_outstanding.front().deadline <= now) {
        expired.push_back(std::move(m_outstanding.front().done));
        m_outstanding.pop_front();
    }
    armAnswerTimer();
    for (const Completion& done : expired) {
        if (done)
            done(Answer::Timeout);
    }
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
