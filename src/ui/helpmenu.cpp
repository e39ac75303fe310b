#include "ui/helpmenu.h"

#include "common/version.h"
#include "radio/framelog.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>

namespace {

/** The README as the package installs it, beside the program's bin folder. */
QString installedReadme()
{
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("../share/doc/corvane/README.md"));
}

}  // namespace

QString aboutText(const AboutFacts& facts)
{
    const QString address =
        QStringLiteral("%1 (0x%2)")
            .arg(facts.radioAddress)
            .arg(QString::number(facts.radioAddress, 16).toUpper().rightJustified(2, u'0'));
    QString port = QStringLiteral("COM %1").arg(facts.portNumber);
    if (!facts.device.isEmpty())
        port += QStringLiteral(", ") + facts.device;
    port += facts.portOpen ? QStringLiteral(" (open)") : QStringLiteral(" (closed)");
    return QStringLiteral(
               "Corvane %1\n"
               "Controller for IC-706-class transceivers over CI-V.\n\n"
               "Released under the GNU General Public License, version 3 or later "
               "(GPL-3.0-or-later). It comes with ABSOLUTELY NO WARRANTY.\n\n"
               "Settings file: %2\n"
               "Data folder: %3\n"
               "Radio: CI-V address %4 on %5")
        .arg(QLatin1String(kCorvaneVersion), QDir::toNativeSeparators(facts.settingsFile),
             QDir::toNativeSeparators(facts.dataFolder), address, port);
}

HelpMenu::HelpMenu(QMenuBar* bar, QWidget* window, FrameLog* log)
    : QObject(bar), m_window(window), m_log(log)
{
    QMenu* menu = bar->addMenu(QStringLiteral("&Help"));
    menu->setObjectName(QStringLiteral("Mhelp"));
    m_manual = menu->addAction(QStringLiteral("Manual"));
    m_manual->setObjectName(QStringLiteral("Mmanual"));
    m_manual->setShortcut(QKeySequence::HelpContents);
    m_logFrames = menu->addAction(QStringLiteral("Log frames to file…"));
    m_logFrames->setObjectName(QStringLiteral("MlogFrames"));
    m_logFrames->setCheckable(true);
    menu->addSeparator();
    m_about = menu->addAction(QStringLiteral("About Corvane"));
    m_about->setObjectName(QStringLiteral("Mabout"));
    m_about->setMenuRole(QAction::AboutRole);

    connect(m_about, &QAction::triggered, this, &HelpMenu::Mabout_Click);
    connect(m_manual, &QAction::triggered, this, &HelpMenu::Mmanual_Click);
    connect(m_logFrames, &QAction::triggered, this, &HelpMenu::MlogFrames_Click);
    connect(m_log, &FrameLog::failed, this, &HelpMenu::onLogFailed);
}

void HelpMenu::setSources(const QString& settingsFile, const QString& dataFolder,
                          const RadioCommands* commands, const RadioState* radio)
{
    m_settingsFile = settingsFile;
    m_dataFolder = dataFolder;
    m_commands = commands;
    m_radio = radio;
}

void HelpMenu::Mabout_Click()
{
    AboutFacts facts;
    facts.settingsFile = m_settingsFile;
    facts.dataFolder = m_dataFolder;
    if (m_commands)
        facts.radioAddress = m_commands->radioAddress();
    if (m_radio) {
        facts.portNumber = m_radio->portNumber();
        facts.device = m_radio->device();
        facts.portOpen = m_radio->isOpen();
    }
    showMessage(m_window, QMessageBox::Information, QStringLiteral("About Corvane"),
                aboutText(facts));
}

void HelpMenu::Mmanual_Click()
{
    // The desktop opens it in a program of its own; nothing here waits for that.
    const QString readme = installedReadme();
    const QUrl url = QFileInfo::exists(readme) ? QUrl::fromLocalFile(readme)
                                               : QUrl(QStringLiteral("man:corvane"));
    if (!QDesktopServices::openUrl(url)) {
        showMessage(m_window, QMessageBox::Information, QString(),
                    QStringLiteral("The manual could not be opened on this desktop. Read it "
                                   "in a terminal with \"man corvane\"."));
    }
}

void HelpMenu::MlogFrames_Click(bool checked)
{
    if (!checked) {
        m_log->stop();
        return;
    }
    const QString path = QFileDialog::getSaveFileName(
        m_window, QStringLiteral("Log frames to file"),
        QDir(m_dataFolder).absoluteFilePath(QStringLiteral("frames.log")),
        QStringLiteral("Frame logs (*.log *.txt);;All files (*)"), nullptr,
        QFileDialog::DontConfirmOverwrite);
    QString error;
    if (path.isEmpty()) {
        m_logFrames->setChecked(false);
    } else if (!m_log->start(path, &error)) {
        m_logFrames->setChecked(false);
        showMessage(m_window, QMessageBox::Critical, QString(), error);
    }
}

void HelpMenu::onLogFailed(const QString& error)
{
    m_logFrames->setChecked(false);
    showMessage(m_window, QMessageBox::Critical, QString(), error);
}
