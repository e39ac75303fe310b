#include "ui/radiosettingscontroller.h"

#include "common/errormessage.h"
#include "link/portnames.h"
#include "link/seriallink.h"
#include "protocol/radioprofile.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"
#include "settings/apppath.h"
#include "settings/inifile.h"
#include "ui/messagebox.h"

RadioSettingsController::RadioSettingsController(Parts parts, QObject* parent)
    : QObject(parent), m_parts(std::move(parts)), m_byIdFolder(QLatin1String(kSerialByIdFolder))
{
}

RadioSettings RadioSettingsController::current() const
{
    const QString section = QString::fromLatin1(kSettingsSection);
    RadioSettings settings;
    settings.line.portNumber =
        m_parts.radio->portNumber() >= 1 ? m_parts.radio->portNumber() : kDefaultPortNumber;
    settings.line.device = portDevice(settings.line.portNumber, m_parts.settingsFile);
    settings.line.radioAddress = m_parts.commands->radioAddress();
    settings.line.baudRate = m_parts.link->baudRate();
    settings.poll =
        ReadINI(m_parts.settingsFile, section, QLatin1String(kPollKey), QStringLiteral("auto"));
    settings.startup =
        ReadINI(m_parts.settingsFile, section, QLatin1String(kStartupKey), QStringLiteral("reset"));
    return settings;
}

void RadioSettingsController::edit()
{
    const RadioSettings now = current();
    RadioSettingsDialog dialog(
        availablePorts(m_byIdFolder), now,
        [this, port = now.line.portNumber](RadioSettings chosen, QString* error) {
            chosen.line.portNumber = port;
            return apply(chosen, error);
        },
        m_parts.window);
    connect(&dialog, &RadioSettingsDialog::checkStarting, this,
            &RadioSettingsController::releasePort);
    connect(&dialog, &RadioSettingsDialog::checkEnded, this,
            &RadioSettingsController::takePortBack);
    m_pendingWarning.clear();
    dialog.exec();
    takePortBack();
    if (!m_pendingWarning.isEmpty())
        showMessage(m_parts.window, QMessageBox::Warning, QString(), m_pendingWarning);
}

void RadioSettingsController::releasePort()
{
    // The check asks on a line of its own, which may be this very device.
    if (!m_parts.radio->isOpen())
        return;
    m_parts.commands->closePort();
    m_released = true;
}

void RadioSettingsController::takePortBack()
{
    if (!m_released)
        return;
    m_released = false;
    // A failure shows as the closed port it is; the "Com Port" menu tries again.
    m_parts.commands->openPort(m_parts.radio->portNumber(), m_parts.radio->device());
}

bool RadioSettingsController::apply(const RadioSettings& chosen, QString* error)
{
    AppError failure;
    if (!writeRadioLineSettings(
            m_parts.settingsFile, chosen.line,
            {{QLatin1String(kPollKey), chosen.poll}, {QLatin1String(kStartupKey), chosen.startup}},
            &failure)) {
        *error = failure.text + QStringLiteral("\nNothing was changed.");
        return false;
    }
    m_released = false;  // reopened below, at the new settings
    if (m_parts.devicesChanged)
        m_parts.devicesChanged();
    m_parts.commands->setRadioAddress(chosen.line.radioAddress);
    radioprofile::setCurrent(radioprofile::nativeAt(chosen.line.radioAddress));
    m_parts.link->setBaudRate(chosen.line.baudRate);
    if (const RadioCommands::Result failed =
            m_parts.commands->openPort(chosen.line.portNumber, chosen.line.device)) {
        m_pendingWarning = numberedErrorMessage(*failed) +
                           QStringLiteral(
                               "\r\nThe radio settings are stored. When the device is there, "
                               "choose \"COM %1\" from the \"Com Port\" menu.")
                               .arg(chosen.line.portNumber);
    }
    return true;
}
