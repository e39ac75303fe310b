#include "settings/startupsettings.h"

#include "settings/apppath.h"
#include "settings/inifile.h"

std::optional<StartupSettings> readStartupSettings(const QString& settingsFile, AppError* error)
{
    const QString section = QString::fromLatin1(kSettingsSection);
    const auto address =
        readIniNumber(settingsFile, section, QString::fromLatin1(kRadioAddressKey),
                      QString::number(civ::kDefaultRadioAddress), 0, kHighestRadioAddress, error);
    if (!address)
        return std::nullopt;
    const auto port = readIniNumber(settingsFile, section, QString::fromLatin1(kPortKey),
                                    QString::number(kDefaultPortNumber), 1, kPortCount, error);
    if (!port)
        return std::nullopt;
    return StartupSettings{static_cast<quint8>(*address), *port};
}
