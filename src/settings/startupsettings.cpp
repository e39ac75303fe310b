#include "settings/startupsettings.h"

#include "settings/apppath.h"
#include "settings/inifile.h"

namespace {

constexpr int kHighestAddress = 255;

/** A decimal whole number, blanks around it allowed; sets *error otherwise. */
std::optional<int> settingNumber(const QString& file, const QString& key, const QString& fallback,
                                 int lowest, int highest, AppError* error)
{
    return readIniNumber(file, QString::fromLatin1(kSettingsSection), key, fallback, lowest,
                         highest, error);
}

}  // namespace

std::optional<StartupSettings> readStartupSettings(const QString& settingsFile, AppError* error)
{
    const auto address =
        settingNumber(settingsFile, QString::fromLatin1(kRadioAddressKey),
                      QString::number(civ::kDefaultRadioAddress), 0, kHighestAddress, error);
    if (!address)
        return std::nullopt;
    const auto port = settingNumber(settingsFile, QString::fromLatin1(kPortKey),
                                    QString::number(kDefaultPortNumber), 1, kPortCount, error);
    if (!port)
        return std::nullopt;
    return StartupSettings{static_cast<quint8>(*address), *port};
}
