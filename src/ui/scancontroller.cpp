#include "ui/scancontroller.h"

#include "ui/bookmarkscanpanel.h"
#include "ui/messagebox.h"

#include <QMetaObject>

ScanController::ScanController(BookmarkScanPanel* panel, DataFreq* data,
                               BookmarkScan::RecallFunction recall, QWidget* boxParent,
                               QObject* parent)
    : QObject(parent),
      m_panel(panel),
      m_boxParent(boxParent),
      m_scan(new BookmarkScan(data, std::move(recall), this))
{
    connect(m_scan, &BookmarkScan::runningChanged, m_panel,
            [this](bool running) { m_panel->setButtons(!running, running); });
    connect(m_scan, &BookmarkScan::scanError, this, &ScanController::showScanError);
}

void ScanController::start()
{
    QMetaObject::invokeMethod(m_scan, &BookmarkScan::start, Qt::QueuedConnection);
}

void ScanController::showScanError(const AppError& error)
{
    showMessage(m_boxParent, QMessageBox::Critical, QStringLiteral("Error during scan"),
                error.text);
}
