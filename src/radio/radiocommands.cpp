#include "radio/radiocommands.h"

#include "common/delay.h"
#include "link/seriallink.h"
#include "profile/radioprofile.h"
#include "protocol/civ.h"
#include "radio/radiobackend.h"
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

/** The Hz of digits with points between them ("145.500.000", "145500000"). */
quint64 hzOfDigits(QStringView text)
{
    QString digits = text.toString();
    digits.remove(u'.');
    return digits.toULongLong();
}

/** Why a backend's radio cannot carry out step; empty when it can. Split off and VFO A on a
 *  radio without split or without a second VFO are what it is already: they need no reason
 *  and are not sent (see RadioCommands::toBackend). */
QString whyNot(const RadioAbilities& can, const RadioCommands::Step& step)
{
    using Action = RadioCommands::Action;
    switch (step.action) {
        case Action::SetSplit:
            return step.value != 0 ? can.noSplit : QString();
        case Action::SelectVfo:
            return step.value != 0 ? can.noVfoB : QString();
        case Action::SetRadioScan:
            return can.noRadioScan;
        case Action::SetTuningStep:
            return can.noTuningStep;
        case Action::SetMode:
            return can.hasMode(quint8(step.value)) ? QString() : can.noOtherModes;
        case Action::None:
            return QStringLiteral(
                "this command is sent only to the IC-706 family on its own "
                "serial line");
        default:
            return QString();
    }
}

/** A step that asks for what a radio without that control already is. */
bool alreadyTrue(const RadioAbilities& can, const RadioCommands::Step& step)
{
    using Action = RadioCommands::Action;
    return (step.action == Action::SetSplit && step.value == 0 && !can.noSplit.isEmpty()) ||
           (step.action == Action::SelectVfo && step.value == 0 && !can.noVfoB.isEmpty());
}

}  // namespace

RadioCommands::RadioCommands(SerialLink* link, RadioState* state, QObject* parent)
    : QObject(parent), m_link(link), m_state(state)
{
    m_answerTimer.setSingleShot(true);
    connect(&m_answerTimer, &QTimer::timeout, this, &RadioCommands::onAnswerTimer);
    attachLink();
}

void RadioCommands::attachLink()
{
    if (!m_link)
        return;
    connect(m_link, &SerialLink::frameReceived, this, &RadioCommands::onFrameReceived);
    connect(m_link, &SerialLink::portLost, this, &RadioCommands::onPortLost);
    connect(m_link, &SerialLink::lineEvent, this, &RadioCommands::lineEvent);
    connect(m_link, &SerialLink::portLost, this, &RadioCommands::portLost);
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
    if (m_backend)
        openBackend(nullptr);
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
    if (m_backend)
        m_backend->close();
    m_backendOpen = false;
    if (m_link)
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
    return {splitFrame(m_radioAddress, on), on, std::nullopt, Action::SetSplit, on ? 1U : 0U};
}

RadioCommands::Step RadioCommands::vfoStep(Vfo vfo) const
{
    return {selectVfoFrame(m_radioAddress, vfo), std::nullopt, std::nullopt, Action::SelectVfo,
            vfo == Vfo::B ? 1U : 0U};
}

RadioCommands::Step RadioCommands::modeStep(quint8 modeCode) const
{
    return {setModeFrame(m_radioAddress, modeCode), std::nullopt, std::nullopt, Action::SetMode,
            modeCode};
}

std::optional<RadioCommands::Step> RadioCommands::storedFrequencyStep(QStringView text11) const
{
    const std::optional<QByteArray> frame = setFrequencyFrameFromStored(m_radioAddress, text11);
    if (!frame)
        return std::nullopt;
    return Step{*frame, std::nullopt, std::nullopt, Action::SetFrequency, hzOfDigits(text11)};
}

std::optional<RadioCommands::Step> RadioCommands::padFrequencyStep(QStringView digits) const
{
    const std::optional<QByteArray> frame = setFrequencyFrame(m_radioAddress, digits);
    if (!frame)
        return std::nullopt;
    return Step{*frame, std::nullopt, std::nullopt, Action::SetFrequency, hzOfDigits(digits)};
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
    return submit(
        {scanFrame(m_radioAddress, on), std::nullopt, on, Action::SetRadioScan, on ? 1U : 0U},
        std::move(done));
}

RadioCommands::Result RadioCommands::setTuningStep(quint8 stepCode, Completion done)
{
    return submit({tuningStepFrame(m_radioAddress, stepCode), std::nullopt, std::nullopt,
                   Action::SetTuningStep, stepCode},
                  std::move(done));
}

RadioCommands::Result RadioCommands::readFrequency(Completion done)
{
    return submit(
        {commandFrame(m_radioAddress, civ::kCmdReadFrequency), {}, {}, Action::ReadFrequency, 0},
        std::move(done), Watch::Read);
}

RadioCommands::Result RadioCommands::readMode(Completion done)
{
    return submit({commandFrame(m_radioAddress, civ::kCmdReadMode), {}, {}, Action::ReadMode, 0},
                  std::move(done), Watch::Read);
}

RadioCommands::Result RadioCommands::sendRaw(const QByteArray& frame, Completion done)
{
    return submit({frame, std::nullopt, std::nullopt, Action::None, 0}, std::move(done),
                  Watch::None);
}

void RadioCommands::readRadio()
{
    if (m_readsWaiting > 0 || !lineOpen())
        return;
    const QPointer<RadioCommands> self(this);
    const auto answered = [self](Answer) {
        if (self)
            --self->m_readsWaiting;
    };
    for (const quint8 command : {civ::kCmdReadFrequency, civ::kCmdReadMode}) {
        const Action action =
            command == civ::kCmdReadFrequency ? Action::ReadFrequency : Action::ReadMode;
        if (!submit({commandFrame(m_radioAddress, command), {}, {}, action, 0}, answered,
                    Watch::Read))
            ++m_readsWaiting;
    }
}

RadioCommands::Result RadioCommands::askRadio(quint8 address, Completion done)
{
    return submit({commandFrame(address, civ::kCmdReadFrequency), {}, {}, Action::None, 0},
                  std::move(done), Watch::None);
}

// ---------------------------------------------------------------- writing and answers

RadioCommands::Result RadioCommands::submit(Step step, Completion done, Watch watch)
{
    const bool mustWait = m_sequenceRunning || !m_outstanding.empty() || !m_queue.empty();
    if (!done || !mustWait)
        return writeNow(step, std::move(done), watch);
    if (!lineOpen())
        return AppError::fromNumber(errors::kPortNotOpen);
    m_queue.push_back({std::move(step), std::move(done), watch});
    return std::nullopt;
}

RadioCommands::Result RadioCommands::writeNow(const Step& step, Completion done, Watch watch)
{
    if (m_backend)
        return toBackend(step, std::move(done), watch);
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

// ---------------------------------------------------------------- backends

RadioCommands* RadioCommands::withOwnLink(RadioState* state, QObject* parent)
{
    auto* commands = new RadioCommands(nullptr, state, parent);
    commands->m_link = new SerialLink(commands);
    commands->attachLink();
    return commands;
}

bool RadioCommands::lineOpen() const
{
    if (m_backend)
        return m_backendOpen;
    return m_link && m_link->isOpen();
}

RadioAbilities RadioCommands::abilities() const
{
    return m_backend ? m_backend->abilities() : RadioAbilities{};
}

void RadioCommands::openBackend(RadioBackend* backend)
{
    if (m_link && m_link->isOpen())
        m_link->close();
    abandonAll();
    for (const QMetaObject::Connection& connection : std::exchange(m_backendConnections, {}))
        disconnect(connection);
    if (m_backend && m_backend != backend)
        m_backend->close();
    m_backend = backend;
    m_backendOpen = false;
    if (m_state)
        m_state->setClosed();
    if (!backend)
        return;
    m_backendConnections = {
        connect(backend, &RadioBackend::opened, this,
                [this, backend] {
                    m_backendOpen = true;
                    if (const RadioProfile* profile = backend->profile())
                        radioprofile::setCurrent(*profile);
                    if (m_state)
                        m_state->setOpen(0, backend->place());
                    emit portOpened();
                }),
        connect(backend, &RadioBackend::openFailed, this,
                [this, backend](const AppError& error) {
                    m_backendOpen = false;
                    if (m_state)
                        m_state->setOpenFailed(0, backend->place(), error);
                    emit backendOpenFailed(error);
                }),
        connect(backend, &RadioBackend::heard, this, &RadioCommands::takeHeard),
        connect(backend, &RadioBackend::answeringChanged, this,
                [this](bool answering) {
                    if (m_state)
                        m_state->setAnswering(answering);
                }),
    };
    backend->open();
}

RadioCommands::Result RadioCommands::toBackend(const Step& step, Completion done, Watch watch)
{
    const RadioAbilities can = m_backend->abilities();
    if (alreadyTrue(can, step)) {
        // Nothing to switch on a radio without it; the completion still comes from the loop.
        if (done)
            QMetaObject::invokeMethod(
                this, [done = std::move(done)] { done(Answer::Ok); }, Qt::QueuedConnection);
        return std::nullopt;
    }
    if (const QString why = whyNot(can, step); !why.isEmpty())
        return AppError::withDetail(errors::kInvalidArgument, why);
    const QPointer<RadioCommands> self(this);
    const RadioBackend* backend = m_backend;
    auto answered = [self, backend, step, done = std::move(done), watch](Answer answer) {
        if (self && self->m_backend == backend && watch != Watch::None)
            self->takeBackendAnswer(step, answer, watch);
        if (done)
            done(answer);
    };
    if (const Result failed = m_backend->request(step.action, step.value, std::move(answered))) {
        emit writeFailed(*failed);
        return failed;
    }
    return std::nullopt;
}

void RadioCommands::takeBackendAnswer(const Step& step, Answer answer, Watch watch)
{
    if (!m_state)
        return;
    const RadioState::Claim claim = RadioState::Claim::fromFrame(step.frame, m_radioAddress);
    switch (answer) {
        case Answer::Ok:
            // What the backend heard came first (heard()); a set it confirmed is confirmed
            // here too, radio scan included, which no poll reads.
            if (watch == Watch::Command)
                m_state->confirm(claim, 0);
            break;
        case Answer::Rejected:
            m_state->rollBack(0);
            emit commandRefused(describe(step.frame, m_radioAddress));
            break;
        case Answer::Timeout:
            m_state->rollBack(0);
            if (watch == Watch::Command)
                emit answerMissing(m_radioAddress);
            break;
        case Answer::WriteFailed:
            m_state->rollBack(0);
            break;
    }
}

void RadioCommands::takeHeard(const RadioHeard& heard)
{
    if (!m_state)
        return;
    // The VFO first: the frequency and mode heard with it are that VFO's.
    if (heard.vfo) {
        RadioState::Claim vfo;
        vfo.vfo = heard.vfo;
        m_state->confirm(vfo, 0);
    }
    RadioState::Claim claim;
    if (heard.frequencyHz && *heard.frequencyHz <= 999'999'999) {
        if (const auto step = padFrequencyStep(nineDigits(*heard.frequencyHz)))
            claim.frequencyText =
                RadioState::Claim::fromFrame(step->frame, m_radioAddress).frequencyText;
    }
    claim.modeCode = heard.modeCode;
    claim.split = heard.split;
    if (claim.fields() != 0)
        m_state->confirm(claim, 0);
    m_state->setAnswering(true);
}
