#include "hamlib/hamlibradio.h"

#include "hamlib/hamlibdebug.h"
#include "hamlib/hamlibworker.h"

#include <QTimer>

#include <csignal>

#include <pthread.h>

HamlibRadio::HamlibRadio(QObject* parent) : QObject(parent)
{
    connect(HamlibLog::instance(), &HamlibLog::line, this, &HamlibRadio::debugLine);

    HamlibWorker::Reports reports;
    reports.opened = [this](quint64 session, const HamlibCapabilities& caps) {
        if (session != m_session.load())
            return;
        m_connection = Connection::Open;
        m_capabilities = caps;
        emit opened(caps);
    };
    reports.openFailed = [this](quint64 session, const AppError& error) {
        if (session != m_session.load())
            return;
        m_connection = Connection::Closed;
        settleAll(Answer::WriteFailed);
        emit openFailed(error);
    };
    reports.finished = [this](quint64 id, Answer answer, const HamlibReading& reading) {
        const auto found = m_pending.find(id);
        if (found == m_pending.end())
            return;  // closed before it came
        Completion done = std::move(found->second);
        m_pending.erase(found);
        if (reading.frequencyHz || reading.modeCode || reading.vfo || reading.split)
            emit heard(reading);
        if (done)
            done(answer);
    };
    reports.polled = [this](quint64 session, const HamlibReading& reading) {
        if (session == m_session.load())
            emit heard(reading);
    };
    reports.answering = [this](quint64 session, bool answering) {
        if (session != m_session.load() || answering == m_answering)
            return;
        m_answering = answering;
        emit answeringChanged(answering);
    };

    m_worker = new HamlibWorker(this, &m_session, std::move(reports));
    m_worker->moveToThread(&m_thread);
    // A write to a rigctld that has gone would raise SIGPIPE: on this thread it only fails.
    connect(
        &m_thread, &QThread::started, &m_thread,
        [] {
            sigset_t pipe;
            sigemptyset(&pipe);
            sigaddset(&pipe, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        },
        Qt::DirectConnection);
    m_thread.setObjectName(QStringLiteral("hamlib"));
    m_thread.start();
}

HamlibRadio::~HamlibRadio()
{
    ++m_session;  // what is still queued is left alone
    HamlibWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker,
        [worker] {
            worker->close();
            worker->thread()->quit();
        },
        Qt::QueuedConnection);
    // The call under way, if any, ends within Hamlib's timeout.
    m_thread.wait();
    delete m_worker;
}

void HamlibRadio::open(const HamlibTarget& target)
{
    close();
    m_target = target;
    m_connection = Connection::Opening;
    const quint64 session = m_session.load();
    HamlibWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, target, session] { worker->open(target, session); }, Qt::QueuedConnection);
}

void HamlibRadio::close()
{
    ++m_session;
    m_capabilities.reset();
    const bool wasAnswering = m_answering;
    m_answering = true;
    if (m_connection != Connection::Closed) {
        m_connection = Connection::Closed;
        HamlibWorker* worker = m_worker;
        QMetaObject::invokeMethod(
            worker, [worker] { worker->close(); }, Qt::QueuedConnection);
    }
    settleAll(Answer::WriteFailed);
    if (!wasAnswering)
        emit answeringChanged(true);
}

void HamlibRadio::settleAll(Answer answer)
{
    if (m_pending.empty())
        return;
    std::map<quint64, Completion> settled;
    settled.swap(m_pending);
    // Completions are called from the event loop, never from inside the caller's call.
    QTimer::singleShot(0, this, [settled = std::move(settled), answer] {
        for (const auto& [id, done] : settled) {
            if (done)
                done(answer);
        }
    });
}

void HamlibRadio::setPollPeriod(std::chrono::milliseconds period)
{
    m_pollPeriod = period;
    HamlibWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, period] { worker->setPollPeriod(period); }, Qt::QueuedConnection);
}

HamlibRadio::Result HamlibRadio::submit(int kind, quint64 value, Completion done)
{
    if (m_connection == Connection::Closed)
        return AppError::fromNumber(errors::kPortNotOpen);
    const quint64 id = m_nextId++;
    const quint64 session = m_session.load();
    m_pending.emplace(id, std::move(done));
    HamlibWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker,
        [worker, id, session, kind, value] {
            worker->request(id, session, HamlibWorker::Request(kind), value);
        },
        Qt::QueuedConnection);
    return std::nullopt;
}

HamlibRadio::Result HamlibRadio::setFrequency(quint64 hz, Completion done)
{
    if (hz == 0 || hz > kHighestStorableHz)
        return AppError::fromNumber(errors::kInvalidArgument);
    return submit(int(HamlibWorker::Request::SetFrequency), hz, std::move(done));
}

HamlibRadio::Result HamlibRadio::setMode(quint8 modeCode, Completion done)
{
    if (modeCode > 6)
        return AppError::fromNumber(errors::kInvalidArgument);
    return submit(int(HamlibWorker::Request::SetMode), modeCode, std::move(done));
}

HamlibRadio::Result HamlibRadio::selectVfo(RadioState::VfoSelected vfo, Completion done)
{
    if (vfo == RadioState::VfoSelected::Unknown)
        return AppError::fromNumber(errors::kInvalidArgument);
    return submit(int(HamlibWorker::Request::SelectVfo), quint64(vfo), std::move(done));
}

HamlibRadio::Result HamlibRadio::setSplit(bool on, Completion done)
{
    return submit(int(HamlibWorker::Request::SetSplit), on ? 1 : 0, std::move(done));
}

HamlibRadio::Result HamlibRadio::setRadioScan(bool on, Completion done)
{
    return submit(int(HamlibWorker::Request::SetRadioScan), on ? 1 : 0, std::move(done));
}

HamlibRadio::Result HamlibRadio::setTuningStep(quint32 hz, Completion done)
{
    if (hz == 0 || hz > 1'000'000)
        return AppError::fromNumber(errors::kInvalidArgument);
    return submit(int(HamlibWorker::Request::SetTuningStep), hz, std::move(done));
}

HamlibRadio::Result HamlibRadio::readFrequency(Completion done)
{
    return submit(int(HamlibWorker::Request::ReadFrequency), 0, std::move(done));
}

HamlibRadio::Result HamlibRadio::readMode(Completion done)
{
    return submit(int(HamlibWorker::Request::ReadMode), 0, std::move(done));
}
