#include "ui/exchangejob.h"

#include <QProgressDialog>
#include <QThread>

ExchangeJob::ExchangeJob(QWidget* parent, const QString& label, const QString& unit, Work work)
    : QObject(parent), m_parent(parent), m_label(label), m_unit(unit)
{
    ExchangeCallbacks callbacks;
    callbacks.cancelRequested = [this] { return m_cancel.load(); };
    callbacks.progress = [this](qint64 done, qint64 total) {
        QMetaObject::invokeMethod(
            this, [this, done, total] { showProgress(done, total); }, Qt::QueuedConnection);
    };
    m_thread = QThread::create([work = std::move(work), callbacks] { work(callbacks); });
    connect(m_thread, &QThread::finished, this, [this] {
        // Gone with its job: QProgressDialog runs show timers of its own, which would
        // otherwise bring it up over the result, seconds after the work ended.
        delete m_dialog;
        emit finished();
    });
}

ExchangeJob::~ExchangeJob()
{
    // The window is going away while the work runs: it is stopped (nothing is kept) first.
    m_cancel = true;
    m_thread->wait();
    delete m_thread;
    delete m_dialog;
}

void ExchangeJob::start()
{
    // Made now: the dialog counts its delay from its construction.
    m_dialog = new QProgressDialog(m_label, QStringLiteral("Cancel"), 0, 0, m_parent);
    m_dialog->setObjectName(QStringLiteral("exchangeProgress"));
    m_dialog->setWindowTitle(QStringLiteral("Corvane"));
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setMinimumDuration(kDialogDelayMs);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    connect(m_dialog, &QProgressDialog::canceled, this, [this] { m_cancel = true; });
    m_thread->start();
}

void ExchangeJob::showProgress(qint64 done, qint64 total)
{
    if (!m_dialog || m_thread->isFinished())
        return;
    // Counts beyond an int's range are shown in thousands.
    const int scale = total > 2'000'000'000 ? 1000 : 1;
    m_dialog->setMaximum(static_cast<int>(qMax(total, done) / scale));
    m_dialog->setValue(static_cast<int>(done / scale));
    if (!m_unit.isEmpty())
        m_dialog->setLabelText(
            QStringLiteral("%1\n%2 / %3 %4").arg(m_label).arg(done).arg(total).arg(m_unit));
}
