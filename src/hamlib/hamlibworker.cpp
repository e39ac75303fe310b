#include "hamlib/hamlibworker.h"

#include "hamlib/hamlibmapping.h"

#include <QThread>

#include <hamlib/rig.h>

#include <algorithm>
#include <cstdlib>

namespace {

using Answer = RadioCommands::Answer;

bool notAvailable(int status)
{
    const int code = std::abs(status);
    return code == RIG_ENAVAIL || code == RIG_ENIMPL;
}

void setConf(RIG* rig, const char* name, const QByteArray& value)
{
    const token_t token = rig_token_lookup(rig, name);
    if (token != RIG_CONF_END)
        rig_set_conf(rig, token, value.constData());
}

/** The receive ranges of an opened radio, clipped to what a memory holds, merged. */
QList<FrequencyRange> receiveRanges(const RIG* rig)
{
    QList<FrequencyRange> ranges;
    for (const freq_range_t& range : rig->state.rx_range_list) {
        if (RIG_IS_FRNG_END(range))
            break;
        const auto low = quint64(std::max(range.startf, 0.0));
        const auto high = std::min(quint64(std::max(range.endf, 0.0)), kHighestStorableHz);
        if (low <= high)
            ranges.append({low, high});
    }
    std::sort(ranges.begin(), ranges.end(), [](const FrequencyRange& a, const FrequencyRange& b) {
        return a.lowestHz < b.lowestHz;
    });
    QList<FrequencyRange> merged;
    for (const FrequencyRange& range : ranges) {
        if (!merged.isEmpty() && range.lowestHz <= merged.last().highestHz + 1)
            merged.last().highestHz = std::max(merged.last().highestHz, range.highestHz);
        else
            merged.append(range);
    }
    return merged;
}

HamlibCapabilities capabilitiesOf(const RIG* rig)
{
    const rig_caps* caps = rig->caps;
    HamlibCapabilities result;
    result.model = int(caps->rig_model);
    result.manufacturer = QString::fromLatin1(caps->mfg_name);
    result.modelName = QString::fromLatin1(caps->model_name);
    result.split = caps->set_split_vfo != nullptr;
    result.vfoB = caps->set_vfo != nullptr && (rig->state.vfo_list & RIG_VFO_B) != 0;
    result.targetableVfo = (caps->targetable_vfo & RIG_TARGETABLE_FREQ) != 0;
    result.radioScan = caps->scan != nullptr && (caps->scan_ops & RIG_SCAN_VFO) != 0;
    result.tuningStep = caps->set_ts != nullptr;
    result.readsVfo = caps->get_vfo != nullptr;
    result.readsSplit = caps->get_split_vfo != nullptr;
    rmode_t modes = rig->state.mode_list;
    for (const freq_range_t& range : rig->state.rx_range_list) {
        if (RIG_IS_FRNG_END(range))
            break;
        modes |= range.modes;
    }
    for (quint8 code = 0; code < 7; ++code) {
        if ((modes & hamlibmapping::hamlibMode(code)) != 0)
            result.modeCodes.append(code);
    }
    result.receiveRanges = receiveRanges(rig);
    return result;
}

}  // namespace

std::chrono::milliseconds HamlibWorker::serialTimeout(qint32 baud)
{
    return RadioCommands::answerBoundFor(baud);
}

HamlibWorker::HamlibWorker(QObject* home, const std::atomic<quint64>* session, Reports reports)
    : m_home(home), m_session(session), m_reports(std::move(reports)), m_pollTimer(this)
{
    m_pollTimer.setInterval(std::chrono::milliseconds(1000));
    connect(&m_pollTimer, &QTimer::timeout, this, &HamlibWorker::poll);
}

HamlibWorker::~HamlibWorker()
{
    close();
}

template <typename F>
void HamlibWorker::report(F&& f)
{
    QMetaObject::invokeMethod(m_home, std::forward<F>(f), Qt::QueuedConnection);
}

void HamlibWorker::setPollPeriod(std::chrono::milliseconds period)
{
    m_pollTimer.setInterval(period);
    if (period.count() <= 0)
        m_pollTimer.stop();
    else if (m_rig)
        m_pollTimer.start();
}

void HamlibWorker::open(const HamlibTarget& target, quint64 session)
{
    if (!current(session))
        return;  // closed again before its turn
    close();
    RIG* rig = rig_init(rig_model_t(target.model));
    if (!rig) {
        report([f = m_reports.openFailed, session, model = target.model] {
            f(session, AppError::withDetail(errors::kInvalidArgument,
                                            QStringLiteral("Hamlib model %1").arg(model)));
        });
        return;
    }
    setConf(rig, "rig_pathname", target.device.toLocal8Bit());
    if (target.remote()) {
        setConf(rig, "timeout", QByteArray::number(qint64(kRemoteTimeout.count())));
    } else {
        setConf(rig, "serial_speed", QByteArray::number(target.baud));
        setConf(rig, "timeout", QByteArray::number(qint64(serialTimeout(target.baud).count())));
    }
    // One try per call: a silent radio costs one timeout, so closing never waits long.
    setConf(rig, "retry", "0");
    const int status = target.device.isEmpty() ? -RIG_EINVAL : rig_open(rig);
    if (status != RIG_OK) {
        rig_cleanup(rig);
        report([f = m_reports.openFailed, session,
                error = hamlibmapping::openError(status, target)] { f(session, error); });
        return;
    }
    // Every read asks the radio: the poll is what tells a silent radio.
    rig_set_cache_timeout_ms(rig, HAMLIB_CACHE_ALL, 0);
    m_rig = rig;
    m_target = target;
    m_openSession = session;
    m_linkUp = true;
    m_unansweredRun = 0;
    m_answering = true;
    const HamlibCapabilities caps = capabilitiesOf(rig);
    m_readsVfo = caps.readsVfo;
    m_readsSplit = caps.readsSplit;
    report([f = m_reports.opened, session, caps] { f(session, caps); });
    poll();
    if (m_pollTimer.interval() > 0)
        m_pollTimer.start();
}

void HamlibWorker::close()
{
    m_pollTimer.stop();
    if (!m_rig)
        return;
    if (m_linkUp)
        rig_close(m_rig);
    rig_cleanup(m_rig);
    m_rig = nullptr;
    m_linkUp = false;
}

int HamlibWorker::ensureLink()
{
    if (m_linkUp)
        return RIG_OK;
    const int status = rig_open(m_rig);
    if (status == RIG_OK) {
        m_linkUp = true;
        rig_set_cache_timeout_ms(m_rig, HAMLIB_CACHE_ALL, 0);
    }
    return status;
}

void HamlibWorker::note(int status)
{
    const int code = std::abs(status);
    if (code == RIG_EIO || code == RIG_EPROTO) {
        // The line or connection failed: open it anew before the next call.
        if (m_linkUp)
            rig_close(m_rig);
        m_linkUp = false;
    }
    bool answering = m_answering;
    if (hamlibmapping::unanswered(status)) {
        if (++m_unansweredRun >= kNoAnswerRun)
            answering = false;
    } else {
        m_unansweredRun = 0;
        answering = true;
    }
    if (answering != m_answering) {
        m_answering = answering;
        report([f = m_reports.answering, session = m_openSession, answering] {
            f(session, answering);
        });
    }
}

int HamlibWorker::call(Request kind, quint64 value, HamlibReading* reading)
{
    int status = ensureLink();
    if (status != RIG_OK) {
        note(status);
        return status;
    }
    switch (kind) {
        case Request::SetFrequency:
            status = rig_set_freq(m_rig, RIG_VFO_CURR, freq_t(value));
            if (status == RIG_OK)
                reading->frequencyHz = value;
            break;
        case Request::SetMode:
            status = rig_set_mode(m_rig, RIG_VFO_CURR, hamlibmapping::hamlibMode(quint8(value)),
                                  RIG_PASSBAND_NOCHANGE);
            if (status == RIG_OK)
                reading->modeCode = quint8(value);
            break;
        case Request::SelectVfo: {
            const auto vfo = RadioState::VfoSelected(value);
            status = rig_set_vfo(m_rig, vfo == RadioState::VfoSelected::B ? RIG_VFO_B : RIG_VFO_A);
            if (status == RIG_OK) {
                reading->vfo = vfo;
                m_selectedVfo = vfo;
            }
            break;
        }
        case Request::SetSplit:
            status =
                rig_set_split_vfo(m_rig, RIG_VFO_CURR, value != 0 ? RIG_SPLIT_ON : RIG_SPLIT_OFF,
                                  value != 0 ? RIG_VFO_B : RIG_VFO_A);
            if (status == RIG_OK)
                reading->split = value != 0;
            // Some backends select the receive VFO to switch split; the radio model's split
            // changes split alone, so a VFO B selected before is selected again.
            if (status == RIG_OK && m_selectedVfo == RadioState::VfoSelected::B) {
                vfo_t now = RIG_VFO_NONE;
                if (rig_get_vfo(m_rig, &now) != RIG_OK || now != RIG_VFO_B)
                    status = rig_set_vfo(m_rig, RIG_VFO_B);
            }
            break;
        case Request::SetRadioScan:
            status = rig_scan(m_rig, RIG_VFO_CURR, value != 0 ? RIG_SCAN_VFO : RIG_SCAN_STOP, 0);
            break;
        case Request::SetTuningStep:
            status = rig_set_ts(m_rig, RIG_VFO_CURR, shortfreq_t(value));
            break;
        case Request::ReadFrequency: {
            freq_t hz = 0;
            status = rig_get_freq(m_rig, RIG_VFO_CURR, &hz);
            if (status == RIG_OK && hz >= 0)
                reading->frequencyHz = quint64(hz + 0.5);
            break;
        }
        case Request::ReadMode: {
            rmode_t mode = RIG_MODE_NONE;
            pbwidth_t width = 0;
            status = rig_get_mode(m_rig, RIG_VFO_CURR, &mode, &width);
            if (status == RIG_OK)
                reading->modeCode = hamlibmapping::modeCode(mode);
            break;
        }
    }
    note(status);
    return status;
}

void HamlibWorker::request(quint64 id, quint64 session, Request kind, quint64 value)
{
    HamlibReading reading;
    Answer answer = Answer::WriteFailed;
    if (current(session) && m_rig && session == m_openSession)
        answer = hamlibmapping::answer(call(kind, value, &reading));
    report([f = m_reports.finished, id, answer, reading] { f(id, answer, reading); });
}

void HamlibWorker::poll()
{
    if (!m_rig || !current(m_openSession))
        return;
    HamlibReading reading;
    int status = call(Request::ReadFrequency, 0, &reading);
    if (status == RIG_OK)
        status = call(Request::ReadMode, 0, &reading);
    if (status == RIG_OK && m_readsVfo) {
        vfo_t vfo = RIG_VFO_NONE;
        status = rig_get_vfo(m_rig, &vfo);
        if (notAvailable(status)) {
            m_readsVfo = false;
        } else {
            note(status);
            if (status == RIG_OK && (vfo == RIG_VFO_A || vfo == RIG_VFO_B)) {
                reading.vfo =
                    vfo == RIG_VFO_A ? RadioState::VfoSelected::A : RadioState::VfoSelected::B;
                m_selectedVfo = *reading.vfo;
            }
        }
    }
    if ((status == RIG_OK || notAvailable(status)) && m_readsSplit) {
        split_t split = RIG_SPLIT_OFF;
        vfo_t txVfo = RIG_VFO_NONE;
        status = rig_get_split_vfo(m_rig, RIG_VFO_CURR, &split, &txVfo);
        if (notAvailable(status)) {
            m_readsSplit = false;
        } else {
            note(status);
            if (status == RIG_OK)
                reading.split = split == RIG_SPLIT_ON;
        }
    }
    if (reading.frequencyHz || reading.modeCode || reading.vfo || reading.split)
        report([f = m_reports.polled, session = m_openSession, reading] { f(session, reading); });
}
