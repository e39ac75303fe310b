#include "net/rigctldispatcher.h"

#include "net/radiodescription.h"

#include <QPointer>

using rigctl::Code;
using rigctl::Command;
using rigctl::Reply;

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

QByteArray vfoText(RigControl::Vfo vfo)
{
    return vfo == RigControl::Vfo::B ? QByteArrayLiteral("VFOB") : QByteArrayLiteral("VFOA");
}

Reply code(Code value)
{
    return Reply{value, {}};
}

}  // namespace

RigctlDispatcher::RigctlDispatcher(RigControl* rig, QObject* parent) : QObject(parent), m_rig(rig)
{
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
    switch (request.entry->command) {
        case Command::GetFreq:
            return now.frequencyHz && !frequencyStale(now) ? frequencyReply()
                                                           : readFrequency(std::move(sink));
        case Command::GetMode:
            return now.modeCode && !modeStale(now) ? modeReply() : readMode(std::move(sink));
        case Command::GetVfo:
            return vfoReply();
        case Command::GetSplitVfo:
            return splitReply();
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
        case Command::SetFreq:
            return setFrequency(request, std::move(sink));
        case Command::SetMode:
            return setMode(request, std::move(sink));
        case Command::SetVfo:
            return setVfo(request, std::move(sink));
        case Command::SetSplitVfo:
            return setSplit(request, std::move(sink));
        default:
            break;
    }
    // set_ptt: a well-formed request for something this radio cannot do over CI-V.
    bool number = false;
    request.arguments.value(0).toInt(&number);
    return code(number ? Code::NotAvailable : Code::InvalidArgument);
}

std::optional<Reply> RigctlDispatcher::setFrequency(const rigctl::Request& request, ReplySink sink)
{
    const std::optional<quint64> hz = rigctl::frequencyFromText(request.arguments[0]);
    if (!hz || *hz < rigctl::kMinFrequencyHz || *hz > rigctl::kMaxFrequencyHz)
        return code(Code::InvalidArgument);
    return sentOrFailed(m_rig->setFrequency(*hz, verdictTo(std::move(sink))));
}

std::optional<Reply> RigctlDispatcher::setMode(const rigctl::Request& request, ReplySink sink)
{
    const std::optional<quint8> mode = rigctl::modeCodeFromName(request.arguments[0]);
    bool passbandIsNumber = false;
    request.arguments[1].toLong(&passbandIsNumber);  // read, then left to the radio's filter
    if (!mode || !passbandIsNumber)
        return code(Code::InvalidArgument);
    return sentOrFailed(m_rig->setMode(*mode, verdictTo(std::move(sink))));
}

std::optional<Reply> RigctlDispatcher::setVfo(const rigctl::Request& request, ReplySink sink)
{
    const std::optional<rigctl::VfoName> vfo = rigctl::vfoFromName(request.arguments[0]);
    if (!vfo)
        return code(Code::InvalidArgument);
    if (*vfo == rigctl::VfoName::Current)
        return code(Code::Ok);
    const RigControl::Vfo target =
        *vfo == rigctl::VfoName::A ? RigControl::Vfo::A : RigControl::Vfo::B;
    const RigControl::Vfo before = m_rig->snapshot().vfo;
    QPointer<RigctlDispatcher> self(this);
    RigControl::Done answer = verdictTo(std::move(sink));
    return sentOrFailed(m_rig->selectVfo(target, [self, before, target, answer](auto outcome) {
        if (self && outcome == RigControl::Outcome::Ok && before != target)
            self->noteVfoSwitched();
        answer(outcome);
    }));
}

void RigctlDispatcher::noteVfoSwitched()
{
    const RigControl::Snapshot now = m_rig->snapshot();
    m_staleFrequency = now.frequencyHz;
    m_staleMode = now.modeCode;
}

bool RigctlDispatcher::frequencyStale(const RigControl::Snapshot& now)
{
    if (m_staleFrequency && m_staleFrequency != now.frequencyHz)
        m_staleFrequency.reset();  // the radio has told the new VFO's frequency
    return m_staleFrequency.has_value();
}

bool RigctlDispatcher::modeStale(const RigControl::Snapshot& now)
{
    if (m_staleMode && m_staleMode != now.modeCode)
        m_staleMode.reset();
    return m_staleMode.has_value();
}

std::optional<Reply> RigctlDispatcher::setSplit(const rigctl::Request& request, ReplySink sink)
{
    bool number = false;
    const int split = request.arguments[0].toInt(&number);
    // The transmit VFO is checked but not sent: with split on, this radio transmits on the
    // VFO it is not receiving on.
    if (!number || split < 0 || split > 1 || !rigctl::vfoFromName(request.arguments[1]))
        return code(Code::InvalidArgument);
    return sentOrFailed(m_rig->setSplit(split == 1, verdictTo(std::move(sink))));
}

std::optional<Reply> RigctlDispatcher::readFrequency(ReplySink sink)
{
    if (!m_rig->snapshot().lineOpen)
        return code(Code::IoError);
    m_frequencyWaiters.push_back(std::move(sink));
    if (m_frequencyWaiters.size() > 1)
        return std::nullopt;  // the 03 already out answers this one too
    QPointer<RigctlDispatcher> self(this);
    const bool written = m_rig->readFrequency([self](RigControl::Outcome outcome) {
        if (self && outcome == RigControl::Outcome::Ok)
            self->m_staleFrequency.reset();
        if (self)
            self->settleWaiters(&self->m_frequencyWaiters, outcome,
                                self->m_rig->snapshot().frequencyHz.has_value(),
                                &RigctlDispatcher::frequencyReply);
    });
    if (!written) {
        m_frequencyWaiters.clear();
        return code(Code::IoError);
    }
    return std::nullopt;
}

std::optional<Reply> RigctlDispatcher::readMode(ReplySink sink)
{
    if (!m_rig->snapshot().lineOpen)
        return code(Code::IoError);
    m_modeWaiters.push_back(std::move(sink));
    if (m_modeWaiters.size() > 1)
        return std::nullopt;  // the 04 already out answers this one too
    QPointer<RigctlDispatcher> self(this);
    const bool written = m_rig->readMode([self](RigControl::Outcome outcome) {
        if (self && outcome == RigControl::Outcome::Ok)
            self->m_staleMode.reset();
        if (self)
            self->settleWaiters(&self->m_modeWaiters, outcome,
                                self->m_rig->snapshot().modeCode.has_value(),
                                &RigctlDispatcher::modeReply);
    });
    if (!written) {
        m_modeWaiters.clear();
        return code(Code::IoError);
    }
    return std::nullopt;
}

void RigctlDispatcher::settleWaiters(std::vector<ReplySink>* waiters, RigControl::Outcome outcome,
                                     bool known, Reply (RigctlDispatcher::*reply)() const)
{
    Reply answer;
    if (known)
        answer = (this->*reply)();
    else
        answer = code(outcome == RigControl::Outcome::Ok ? Code::Protocol : codeFor(outcome));
    const std::vector<ReplySink> sinks = std::exchange(*waiters, {});
    for (const ReplySink& sink : sinks)
        sink(answer);
}

Reply RigctlDispatcher::frequencyReply() const
{
    return Reply{Code::Ok, {QByteArray::number(m_rig->snapshot().frequencyHz.value_or(0))}};
}

Reply RigctlDispatcher::modeReply() const
{
    const quint8 mode = m_rig->snapshot().modeCode.value_or(0);
    return Reply{Code::Ok,
                 {rigctl::modeName(mode), QByteArray::number(rigctl::normalPassbandHz(mode))}};
}

Reply RigctlDispatcher::vfoReply() const
{
    const RigControl::Vfo vfo = m_rig->snapshot().vfo;
    if (vfo == RigControl::Vfo::Unknown)
        return code(Code::NotAvailable);  // this radio cannot be asked which VFO it uses
    return Reply{Code::Ok, {vfoText(vfo)}};
}

Reply RigctlDispatcher::splitReply() const
{
    const RigControl::Snapshot now = m_rig->snapshot();
    RigControl::Vfo tx = now.vfo == RigControl::Vfo::B ? RigControl::Vfo::B : RigControl::Vfo::A;
    if (now.split)
        tx = tx == RigControl::Vfo::A ? RigControl::Vfo::B : RigControl::Vfo::A;
    return Reply{Code::Ok, {now.split ? "1" : "0", vfoText(tx)}};
}

std::optional<Reply> RigctlDispatcher::sentOrFailed(bool written)
{
    if (written)
        return std::nullopt;
    return code(Code::IoError);
}

RigControl::Done RigctlDispatcher::verdictTo(ReplySink sink)
{
    return [sink = std::move(sink)](RigControl::Outcome outcome) {
        sink(Reply{codeFor(outcome), {}});
    };
}
