#include "ui/radiosettingscontroller.h"

#include "common/errormessage.h"
#include "link/portnames.h"
#include "profile/radioprofile.h"
#include "radio/radiobackend.h"
#include "radio/radiocommands.h"
#include "radio/radiostate.h"
#include "settings/apppath.h"
#include "settings/inifile.h"
#include "settings/radiochoice.h"
#include "ui/messagebox.h"

#include <utility>

namespace {

/** Section RADIO as stored; the keys of the backends not in use fill their fields too, so
 *  that switching back finds them. A section that cannot be read offers the IC-706 family. */
RadioChoice storedChoice(const QString& settingsFile)
{
    RadioChoice choice = readRadioChoice(settingsFile, nullptr).value_or(RadioChoice{});
    const QString section = QString::fromLatin1(kRadioSection);
    const auto stored = [&](const char* key) {
        return readIniValue(settingsFile, section, QString::fromLatin1(key), QString(),
                            kIniLongValueLength)
            .trimmed();
    };
    if (choice.backend != RadioBackendKind::Hamlib) {
        choice.hamlibModel = stored(kHamlibModelKey).toInt();
        choice.device = stored(kDeviceKey);
        choice.baud = stored(kRadioBaudKey).toInt();
        if (choice.baud <= 0)
            choice.baud = kDefaultBaudRate;
    }
    if (choice.backend != RadioBackendKind::Remote)
        choice.remote = stored(kRemoteKey);
    return choice;
}

}  // namespace

RadioSettingsController::RadioSettingsController(Parts parts, QObject* parent)
    : QObject(parent), m_parts(std::move(parts)), m_byIdFolder(QLatin1String(kSerialByIdFolder))
{
}

RadioSettings RadioSettingsController::current() const
{
    const QString section = QString::fromLatin1(kSettingsSection);
    RadioSettings settings;
    settings.radio = storedChoice(m_parts.settingsFile);
    settings.line.portNumber =
        m_parts.radio->portNumber() >= 1 ? m_parts.radio->portNumber() : kDefaultPortNumber;
    settings.line.device = portDevice(settings.line.portNumber, m_parts.settingsFile);
    settings.line.radioAddress = m_parts.commands->radioAddress();
    settings.line.baudRate = m_parts.commands->baudRate();
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
    m_chosen.reset();
    dialog.exec();
    takePortBack();
    if (!m_pendingWarning.isEmpty())
        showMessage(m_parts.window, QMessageBox::Warning, QString(), m_pendingWarning);
    if (const std::optional<RadioChoice> chosen = std::exchange(m_chosen, std::nullopt))
        emit radioChosen(*chosen);
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
    // A radio through Hamlib is opened again as it was.
    if (RadioBackend* backend = m_parts.commands->backend()) {
        m_parts.commands->openBackend(backend);
        return;
    }
    // A failure shows as the closed port it is; the "Com Port" menu tries again.
    m_parts.commands->openPort(m_parts.radio->portNumber(), m_parts.radio->device());
}

bool RadioSettingsController::apply(const RadioSettings& chosen, QString* error)
{
    if (!store(chosen, error))
        return false;
    if (chosen.radio.backend != RadioBackendKind::Native) {
        // The port stays as it is (closed, when a check let go of it): the radio chosen
        // takes over once the dialog has closed.
        m_released = false;
        m_chosen = chosen.radio;
        return true;
    }
    m_released = false;  // reopened below, at the new settings
    m_parts.commands->setRadioAddress(chosen.line.radioAddress);
    radioprofile::setCurrent(radioprofile::nativeAt(chosen.line.radioAddress));
    m_parts.commands->setBaudRate(chosen.line.baudRate);
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

bool RadioSettingsController::store(const RadioSettings& chosen, QString* error)
{
    const QString file = m_parts.settingsFile;
    const bool native = chosen.radio.backend == RadioBackendKind::Native;
    AppError failure;
    // Section RADIO first: when it cannot be written, nothing is changed. A file that never
    // had it gets none for the IC-706 family, which is what its absence means.
    const bool hasRadio = !ReadINI(file, QString::fromLatin1(kRadioSection),
                                   QString::fromLatin1(kBackendKey), QString())
                               .isEmpty();
    const bool radio = !native || hasRadio;
    if (radio && !writeRadioChoice(file, chosen.radio, &failure)) {
        *error = failure.text + QStringLiteral("\nNothing was changed.");
        return false;
    }
    const QList<std::pair<QString, QString>> more{{QLatin1String(kPollKey), chosen.poll},
                                                  {QLatin1String(kStartupKey), chosen.startup}};
    // Another radio's choice keeps the IC-706 line as it stands, unless it has no port.
    const bool line = native || !chosen.line.device.isEmpty();
    const bool stored =
        line ? writeRadioLineSettings(file, chosen.line, more, &failure)
             : writeIniValues(file, QString::fromLatin1(kSettingsSection), more, &failure);
    if (!stored) {
        *error = failure.text + (radio ? QStringLiteral("\nThe radio chosen is stored, the "
                                                        "rest is not.")
                                       : QStringLiteral("\nNothing was changed."));
        return false;
    }
    if (line && m_parts.devicesChanged)
        m_parts.devicesChanged();
    return true;
}
