#include "settings/startupsettings.h"

#include "settings/apppath.h"
#include "settings/inifile.h"

namespace {

std::optional<PollSetting> readPoll(const QString& settingsFile, const QString& section,
                                    AppError* error)
{
    const QString key = QString::fromLatin1(kPollKey);
    const QString value = ReadINI(settingsFile, section, key, QStringLiteral("auto")).trimmed();
    if (value.compare(u"auto", Qt::CaseInsensitive) == 0)
        return PollSetting{};
    if (value.compare(u"off", Qt::CaseInsensitive) == 0)
        return PollSetting{std::chrono::seconds(0), false};
    AppError failure;
    const auto seconds =
        readIniNumber(settingsFile, section, key, QString(), 1, kLongestPollSeconds, &failure);
    if (!seconds) {
        if (error && failure.number != errors::kPathFileAccess)
            failure = AppError::withDetail(failure.number,
                                           QStringLiteral("%1=%2: auto, off or 1 to %3 seconds")
                                               .arg(key, value)
                                               .arg(kLongestPollSeconds));
        if (error)
            *error = failure;
        return std::nullopt;
    }
    return PollSetting{std::chrono::seconds(*seconds), false};
}

std::optional<bool> readKeepRadio(const QString& settingsFile, const QString& section,
                                  AppError* error)
{
    const QString key = QString::fromLatin1(kStartupKey);
    const QString value = ReadINI(settingsFile, section, key, QStringLiteral("reset")).trimmed();
    if (value.compare(u"reset", Qt::CaseInsensitive) == 0)
        return false;
    if (value.compare(u"keep", Qt::CaseInsensitive) == 0)
        return true;
    if (error)
        *error = AppError::withDetail(
            errors::kSettingsOutOfRange,
            key + QLatin1Char('=') + value + QStringLiteral(": reset or keep"));
    return std::nullopt;
}

}  // namespace

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
    const std::optional<PollSetting> poll = readPoll(settingsFile, section, error);
    if (!poll)
        return std::nullopt;
    const std::optional<bool> keep = readKeepRadio(settingsFile, section, error);
    if (!keep)
        return std::nullopt;
    return StartupSettings{static_cast<quint8>(*address), *port, *baud, *poll, *keep};
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
