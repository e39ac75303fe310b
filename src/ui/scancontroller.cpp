#include "ui/scancontroller.h"

#include "ui/bookmarkscanpanel.h"
#include "ui/messagebox.h"

#include <QButtonGroup>
#include <QPushButton>

ScanController::ScanController(BookmarkScanPanel* panel, DataFreq* data,
                               BookmarkScan::RecallFunction recall, QWidget* boxParent,
                               QObject* parent)
    : QObject(parent),
      m_panel(panel),
      m_boxParent(boxParent),
      m_scan(new BookmarkScan(data, std::move(recall), this))
{
    connect(m_panel->startButton(), &QPushButton::clicked, m_scan, &BookmarkScan::CscanDB_Click,
            Qt::QueuedConnection);
    connect(m_panel->stopButton(), &QPushButton::clicked, m_scan, &BookmarkScan::CstopScan_Click);
    connect(m_panel->speedGroup(), &QButtonGroup::idClicked, m_scan, &BookmarkScan::OptSpeed_Click);
    connect(m_scan, &BookmarkScan::buttonsChanged, this, &ScanController::setButtons);
    connect(m_scan, &BookmarkScan::scanError, this, &ScanController::showScanError);
}

void ScanController::setButtons(bool startEnabled, bool stopEnabled)
{
    m_panel->startButton()->setEnabled(startEnabled);
    m_panel->stopButton()->setEnabled(stopEnabled);
}

void ScanController::showScanError(const AppError& error)
{
    showMessage(m_boxParent, QMessageBox::Critical, QStringLiteral("Error during scan"),
                error.text);
}
