#pragma once

#include "exchange/memoryimport.h"

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include <atomic>
#include <functional>

class QThread;
class QWidget;

/**
 * Runs one import or export on a worker thread, so the window keeps serving events. A
 * progress dialog (rows done / total, Cancel) appears when the work takes more than a
 * moment; Cancel asks the work to stop, which then leaves the database or file as it was.
 * finished() is emitted on the window's thread when the work has ended; the dialog is gone
 * by then and never shows again.
 *
 * The work gets the callbacks to pass to importMemories / exportMemories; it must not touch
 * widgets. The job deletes its dialog; the owner deletes the job after finished().
 */
class ExchangeJob : public QObject {
    Q_OBJECT
public:
    using Work = std::function<void(const ExchangeCallbacks& callbacks)>;

    /** The dialog appears only when the work lasts longer than this. */
    static constexpr int kDialogDelayMs = 400;

    /** label: what the work does ("Importing 3 rows from FILE"). unit: what the work's
     *  progress counts ("rows"), shown as "done / total unit"; empty when its counts are
     *  no such unit (the lines of a file), so that only the bar shows how far it is. */
    ExchangeJob(QWidget* parent, const QString& label, const QString& unit, Work work);
    ~ExchangeJob() override;

    void start();
    /** The progress dialog (for tests: its Cancel button). */
    QProgressDialog* dialog() const { return m_dialog; }

signals:
    void finished();

private:
    void showProgress(qint64 done, qint64 total);

    QWidget* m_parent;
    QPointer<QProgressDialog> m_dialog;
    QThread* m_thread;
    QString m_label;
    QString m_unit;
    std::atomic<bool> m_cancel{false};
};
