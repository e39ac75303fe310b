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
    const auto baud =
        readIniNumber(settingsFile, section, QString::fromLatin1(kBaudKey),
                      QString::number(kDefaultBaudRate), kLowestBaudRate, kHighestBaudRate, error);
    if (!baud)
        return std::nullopt;
    return StartupSettings{static_cast<quint8>(*address), *port, *baud};
}

QString portDeviceKey(int portNumber)
{
    return QStringLiteral("COM%1").arg(portNumber);
}

bool writeRadioLineSettings(const QString& settingsFile, const RadioLineSettings& line,
                            const QList<std::pair<QString, QString>>& more, AppError* error)
{
    QList<std::pair<QString, QString>> entries{
        {QLatin1String(kPortKey), QString::number(line.portNumber)},
        {portDeviceKey(line.portNumber), line.device},
        {QLatin1String(kRadioAddressKey), QString::number(line.radioAddress)},
        {QLatin1String(kBaudKey), QString::number(line.baudRate)}};
    entries.append(more);
    return writeIniValues(settingsFile, QString::fromLatin1(kSettingsSection), entries, error);
}
