#include "net/rigctldispatcher.h"

#include "net/radiodescription.h"
#include "profile/radioprofile.h"

#include <QPointer>

#include <algorithm>

using rigctl::Code;
using rigctl::Command;
using rigctl::Reply;
using RigVfo = RigControl::Vfo;

namespace {

Code codeFor(RigControl::Outcome outcome)
{
    switch (outcome) {
        case RigControl::Outcome::Ok:
            return Code::Ok;
        case RigControl::Outcome::Rejected:
            return Code::Rejected;
        case RigControl::Outcome::Timeout:
            return Code::Timeout;
        case RigControl::Outcome::WriteFailed:
            break;
    }
    return Code::IoError;
}

QByteArray vfoText(RigVfo vfo)
{
    return vfo == RigVfo::B ? QByteArrayLiteral("VFOB") : QByteArrayLiteral("VFOA");
}

Reply code(Code value)
{
    return Reply{value, {}};
}

/** The VFO the radio receives on (a radio of unknown VFO starts on A). */
RigVfo receiveVfo(const RigControl::Snapshot& now)
{
    return now.vfo == RigVfo::B ? RigVfo::B : RigVfo::A;
}

RigVfo otherVfo(RigVfo vfo)
{
    return vfo == RigVfo::B ? RigVfo::A : RigVfo::B;
}

int index(RigVfo vfo)
{
    return vfo == RigVfo::B ? 1 : 0;
}

std::optional<quint64> currentFrequency(const RigControl::Snapshot& now)
{
    return now.vfo == RigVfo::Unknown ? now.frequencyHz : now.vfoFrequencyHz[index(now.vfo)];
}

std::optional<quint8> currentMode(const RigControl::Snapshot& now)
{
    return now.vfo == RigVfo::Unknown ? now.modeCode : now.vfoModeCode[index(now.vfo)];
}

std::optional<quint64> checkedFrequency(const QByteArray& text)
{
    const std::optional<quint64> hz = rigctl::frequencyFromText(text);
    if (!hz || !radioprofile::current().receives(*hz))
        return std::nullopt;
    return hz;
}

/** A mode and a passband (read, then left to the radio's filter). */
std::optional<quint8> checkedMode(const rigctl::Request& request)
{
    bool passbandIsNumber = false;
    request.arguments[1].toLong(&passbandIsNumber);
    return passbandIsNumber ? rigctl::modeCodeFromName(request.arguments[0]) : std::nullopt;
}

/** The error for a read while the line is closed (-6) or the radio is silent (-5). */
std::optional<Reply> unheard(const RigControl::Snapshot& now)
{
    if (!now.lineOpen)
        return code(Code::IoError);
    if (!now.radioAnswering)
        return code(Code::Timeout);
    return std::nullopt;
}

}  // namespace

RigctlDispatcher::RigctlDispatcher(RigControl* rig, QObject* parent)
    : QObject(parent),
      m_rig(rig),
      m_replyBudget(std::chrono::milliseconds(rigctl::kClientTimeoutMs) - kReplyMargin)
{
    m_vfoSwitchGrace.setSingleShot(true);
    m_vfoSwitchGrace.setInterval(kVfoSwitchGrace);
    connect(&m_vfoSwitchGrace, &QTimer::timeout, this, &RigctlDispatcher::onVfoSwitchGraceOver);
    m_deadline.setSingleShot(true);
    m_deadline.setTimerType(Qt::PreciseTimer);  // a coarse one may fire 5 % late
    connect(&m_deadline, &QTimer::timeout, this, &RigctlDispatcher::onDeadline);
}

std::optional<Reply> RigctlDispatcher::execute(const rigctl::Request& request, ReplySink sink)
{
    if (request.entry == nullptr)
        return code(Code::NotImplemented);
    if (request.missingArguments)
        return code(Code::InvalidArgument);
    if (request.entry->argumentCount > 0)
        return executeSet(request, std::move(sink));
    return executeRead(request, std::move(sink));
}

std::optional<Reply> RigctlDispatcher::executeRead(const rigctl::Request& request, ReplySink sink)
{
    const RigControl::Snapshot now = m_rig->snapshot();
    const int transmit = index(otherVfo(receiveVfo(now)));
    switch (request.entry->command) {
        case Command::GetFreq:
            if (const std::optional<quint64> hz = currentFrequency(now))
                return frequencyReply(hz);
            return read(Read::Frequency, std::move(sink));
        case Command::GetMode:
            if (const std::optional<quint8> mode = currentMode(now))
                return modeReply(mode);
            return read(Read::Mode, std::move(sink));
        case Command::GetSplitFreq:
            return frequencyReply(now.vfoFrequencyHz[transmit]);
        case Command::GetSplitMode:
            return modeReply(now.vfoModeCode[transmit]);
        case Command::GetVfo:
            return unheard(now) ? unheard(now) : vfoReply();
        case Command::GetSplitVfo:
            return unheard(now) ? unheard(now) : splitReply();
        case Command::GetPtt:  // no PTT over CI-V on this radio: never transmitting for us
        case Command::ChkVfo:  // VFO mode off: commands carry no VFO argument
        case Command::GetLockMode:
            return Reply{Code::Ok, {"0"}};
        case Command::GetPowerstat:
            return now.lineOpen ? Reply{Code::Ok, {"1"}} : code(Code::IoError);
        case Command::DumpState:
            return Reply{Code::Ok, {rigctl::dumpStateText()}};
        case Command::DumpCaps:
            return Reply{Code::Ok, {rigctl::dumpCapsText()}};
        default:
            break;  // Quit: the session closes after "RPRT 0"
    }
    return code(Code::Ok);
}

std::optional<Reply> RigctlDispatcher::executeSet(const rigctl::Request& request, ReplySink sink)
{
    switch (request.entry->command) {
        case Command::SetFreq: {
            const std::optional<quint64> hz = checkedFrequency(request.arguments[0]);
            if (!hz)
                return code(Code::InvalidArgument);
            takeOverForSet();
            return submit(single([this, hz](auto done) { return m_rig->setFrequency(*hz, done); }),
                          1, std::move(sink));
        }
        case Command::SetMode: {
            const std::optional<quint8> mode = checkedMode(request);
            if (!mode)
                return code(Code::InvalidArgument);
            takeOverForSet();
            return submit(single([this, mode](auto done) { return m_rig->setMode(*mode, done); }),
                          1, std::move(sink));
        }
        case Command::SetVfo:
            return setVfo(request, std::move(sink));
        case Command::SetSplitVfo:
            return setSplit(request, std::move(sink));
        case Command::SetSplitFreq:
        case Command::SetSplitMode:
            return setSplitValue(request, std::move(sink));
        default:
            break;
    }
    // set_ptt: a well-formed request for something this radio cannot do over CI-V.
    bool number = false;
    request.arguments.value(0).toInt(&number);
    return code(number ? Code::NotAvailable : Code::InvalidArgument);
}

std::optional<Reply> RigctlDispatcher::setVfo(const rigctl::Request& request, ReplySink sink)
{
    const std::optional<rigctl::VfoName> vfo = rigctl::vfoFromName(request.arguments[0]);
    if (!vfo)
        return code(Code::InvalidArgument);
    if (*vfo == rigctl::VfoName::Current)
        return code(Code::Ok);
    const RigVfo target = *vfo == rigctl::VfoName::A ? RigVfo::A : RigVfo::B;
    noteVfoRequest(target);
    return submit(single([this, target](auto done) { return m_rig->selectVfo(target, done); }), 1,
                  std::move(sink));
}

std::optional<Reply> RigctlDispatcher::setSplit(const rigctl::Request& request, ReplySink sink)
{
    bool number = false;
    const int split = request.arguments[0].toInt(&number);
    // The transmit VFO is checked but not sent: with split on, this radio transmits on the
    // VFO it is not receiving on.
    if (!number || split < 0 || split > 1 || !rigctl::vfoFromName(request.arguments[1]))
        return code(Code::InvalidArgument);
    takeOverForSet();
    return submit(single([this, split](auto done) { return m_rig->setSplit(split == 1, done); }), 1,
                  std::move(sink));
}

std::optional<Reply> RigctlDispatcher::setSplitValue(const rigctl::Request& request, ReplySink sink)
{
    std::function<bool(RigControl::Done)> send;
    if (request.entry->command == Command::SetSplitFreq) {
        const std::optional<quint64> hz = checkedFrequency(request.arguments[0]);
        if (hz)
            send = [this, hz](RigControl::Done done) { return m_rig->setFrequency(*hz, done); };
    } else if (const std::optional<quint8> mode = checkedMode(request)) {
        send = [this, mode](RigControl::Done done) { return m_rig->setMode(*mode, done); };
    }
    if (!send)
        return code(Code::InvalidArgument);
    takeOverForSet();
    return submit(onTransmitVfo(std::move(send)), 3, std::move(sink));
}

std::optional<Reply> RigctlDispatcher::read(Read what, ReplySink sink)
{
    for (const JobPointer& job : m_queue) {
        if (job->read == what && !job->answered) {
            job->sinks.push_back(std::move(sink));
            return std::nullopt;  // the request already waiting answers this one too
        }
    }
    if (m_running && m_running->read == what && !m_running->answered) {
        m_running->sinks.push_back(std::move(sink));
        return std::nullopt;
    }
    QPointer<RigctlDispatcher> self(this);
    Work work = [self, what](Finish finish) {
        auto done = [self, what, finish](RigControl::Outcome outcome) {
            if (self)
                finish(self->afterRead(outcome, what));
        };
        const bool sent = what == Read::Frequency ? self->m_rig->readFrequency(done)
                                                  : self->m_rig->readMode(done);
        if (!sent)
            finish(code(Code::IoError));
    };
    return submit(std::move(work), 1, std::move(sink), what);
}

Reply RigctlDispatcher::afterRead(RigControl::Outcome outcome, Read what) const
{
    const RigControl::Snapshot now = m_rig->snapshot();
    if (what == Read::Frequency && currentFrequency(now))
        return frequencyReply(currentFrequency(now));
    if (what == Read::Mode && currentMode(now))
        return modeReply(currentMode(now));
    return code(outcome == RigControl::Outcome::Ok ? Code::Protocol : codeFor(outcome));
}

std::optional<Reply> RigctlDispatcher::submit(Work work, int frames, ReplySink sink, Read read)
{
    if (!m_rig->snapshot().lineOpen)
        return code(Code::IoError);
    const auto now = Clock::now();
    const auto answerTime = m_rig->answerTimeout();
    auto turn = m_running ? std::max(now, m_runningWorstEnd) : now;
    for (const JobPointer& job : m_queue)
        turn += job->frames * answerTime;
    const auto deadline = now + m_replyBudget;
    if (turn + answerTime > deadline)
        return code(Code::Timeout);  // its turn would come too late for an answer in time

    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    job->frames = frames;
    job->deadline = deadline;
    job->sinks.push_back(std::move(sink));
    job->read = read;
    m_queue.push_back(job);
    pump();
    armDeadline();
    return std::nullopt;
}

void RigctlDispatcher::pump()
{
    if (m_pumping)
        return;
    m_pumping = true;
    while (!m_running && !m_queue.empty()) {
        const JobPointer job = m_queue.front();
        m_queue.pop_front();
        if (job->answered)
            continue;
        const auto now = Clock::now();
        if (now + m_rig->answerTimeout() > job->deadline) {
            answer(job, code(Code::Timeout));
            continue;
        }
        m_running = job;
        m_runningWorstEnd = now + job->frames * m_rig->answerTimeout();
        m_starting = job.get();
        QPointer<RigctlDispatcher> self(this);
        job->work([self, job](const Reply& reply) {
            if (self)
                self->finishJob(job, reply);
        });
        m_starting = nullptr;
    }
    m_pumping = false;
}

void RigctlDispatcher::finishJob(const JobPointer& job, const Reply& reply)
{
    if (m_running == job)
        m_running.reset();
    answer(job, reply);
    pump();
    armDeadline();
}

void RigctlDispatcher::answer(const JobPointer& job, const Reply& reply)
{
    if (job->answered)
        return;
    job->answered = true;
    const std::vector<ReplySink> sinks = std::exchange(job->sinks, {});
    if (job.get() == m_starting) {
        // Failed while being started (nothing could be written): the client is still inside
        // execute(), so its answer follows from the event loop.
        QTimer::singleShot(0, this, [sinks, reply] {
            for (const ReplySink& sink : sinks)
                sink(reply);
        });
        return;
    }
    for (const ReplySink& sink : sinks)
        sink(reply);
}

void RigctlDispatcher::armDeadline()
{
    std::optional<Clock::time_point> next;
    const auto consider = [&next](const JobPointer& job) {
        if (!job->answered && (!next || job->deadline < *next))
            next = job->deadline;
    };
    if (m_running)
        consider(m_running);
    std::for_each(m_queue.cbegin(), m_queue.cend(), consider);
    if (!next) {
        m_deadline.stop();
        return;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now());
    m_deadline.start(std::max(left, std::chrono::milliseconds(0)));
}

void RigctlDispatcher::onDeadline()
{
    // Every job whose budget is used up answers -5. One that was not sent yet never is; the
    // one on the line finishes in its own time.
    const auto now = Clock::now();
    std::vector<JobPointer> expired;
    if (m_running && m_running->deadline <= now)
        expired.push_back(m_running);
    std::erase_if(m_queue, [&expired, now](const JobPointer& job) {
        if (job->deadline > now)
            return false;
        expired.push_back(job);
        return true;
    });
    for (const JobPointer& job : expired)
        answer(job, code(Code::Timeout));
    armDeadline();
}

RigctlDispatcher::Work RigctlDispatcher::single(std::function<bool(RigControl::Done)> send)
{
    return [send = std::move(send)](Finish finish) {
        if (!send([finish](RigControl::Outcome outcome) { finish(code(codeFor(outcome))); }))
            finish(code(Code::IoError));
    };
}

RigctlDispatcher::Work RigctlDispatcher::onTransmitVfo(std::function<bool(RigControl::Done)> send)
{
    QPointer<RigctlDispatcher> self(this);
    return [self, send = std::move(send)](Finish finish) {
        const RigVfo receive = receiveVfo(self->m_rig->snapshot());
        // Selects the receive VFO again, then answers with the first failure (or its own).
        auto back = [self, receive, finish](Code failed) {
            if (!self)
                return;
            const auto answer = [failed, finish](RigControl::Outcome outcome) {
                finish(code(failed != Code::Ok ? failed : codeFor(outcome)));
            };
            if (!self->m_rig->selectVfo(receive, answer))
                finish(code(failed != Code::Ok ? failed : Code::IoError));
        };
        const bool sent = self->m_rig->selectVfo(
            otherVfo(receive), [self, send, back, finish](RigControl::Outcome outcome) {
                if (!self)
                    return;
                if (outcome == RigControl::Outcome::Rejected) {
                    finish(code(Code::Rejected));  // still on the receive VFO
                    return;
                }
                if (outcome != RigControl::Outcome::Ok) {
                    back(codeFor(outcome));
                    return;
                }
                if (!send([back](RigControl::Outcome set) { back(codeFor(set)); }))
                    back(Code::IoError);
            });
        if (!sent)
            finish(code(Code::IoError));
    };
}

void RigctlDispatcher::takeOverForSet()
{
    m_vfoBeforeSwitch.reset();
    m_vfoSwitchGrace.stop();
    m_rig->takeOver();
}

void RigctlDispatcher::noteVfoRequest(RigVfo target)
{
    if (!m_vfoBeforeSwitch) {
        const RigVfo now = receiveVfo(m_rig->snapshot());
        if (target != now) {
            m_vfoBeforeSwitch = now;
            m_vfoSwitchGrace.start();
        }
    } else if (target == *m_vfoBeforeSwitch) {
        m_vfoBeforeSwitch.reset();  // undone: it changed nothing
        m_vfoSwitchGrace.stop();
    }
}

void RigctlDispatcher::onVfoSwitchGraceOver()
{
    if (m_vfoBeforeSwitch && receiveVfo(m_rig->snapshot()) != *m_vfoBeforeSwitch)
        m_rig->takeOver();
    m_vfoBeforeSwitch.reset();
}

Reply RigctlDispatcher::frequencyReply(std::optional<quint64> hz) const
{
    if (!hz)
        return code(Code::NotAvailable);
    return Reply{Code::Ok, {QByteArray::number(*hz)}};
}

Reply RigctlDispatcher::modeReply(std::optional<quint8> mode) const
{
    if (!mode)
        return code(Code::NotAvailable);
    return Reply{Code::Ok,
                 {rigctl::modeName(*mode), QByteArray::number(rigctl::normalPassbandHz(*mode))}};
}

Reply RigctlDispatcher::vfoReply() const
{
    const RigVfo vfo = m_rig->snapshot().vfo;
    if (vfo == RigVfo::Unknown)
        return code(Code::NotAvailable);  // this radio cannot be asked which VFO it uses
    return Reply{Code::Ok, {vfoText(vfo)}};
}

Reply RigctlDispatcher::splitReply() const
{
    const RigControl::Snapshot now = m_rig->snapshot();
    const RigVfo transmit = now.split ? otherVfo(receiveVfo(now)) : receiveVfo(now);
    return Reply{Code::Ok, {now.split ? "1" : "0", vfoText(transmit)}};
}
