#include "settings/radiochoice.h"

#include "settings/inifile.h"
#include "settings/startupsettings.h"

namespace {

/** Hamlib's model numbers are below 100 000 (a backend's number times 100 plus its model). */
constexpr int kHighestHamlibModel = 99'999;

QString key(const char* name)
{
    return QString::fromLatin1(name);
}

AppError badValue(const char* name, const QString& value, const QString& expected)
{
    return AppError::withDetail(errors::kSettingsOutOfRange,
                                key(name) + QLatin1Char('=') + value + QStringLiteral(": ") +
                                    expected);
}

}  // namespace

std::optional<std::pair<QString, quint16>> splitRemote(const QString& remote)
{
    const QString text = remote.trimmed();
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return std::nullopt;
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    bool isNumber = false;
    const uint port = text.mid(colon + 1).toUInt(&isNumber);
    if (host.isEmpty() || !isNumber || port < 1 || port > 65535)
        return std::nullopt;
    return std::pair{host, quint16(port)};
}

std::optional<RadioChoice> readRadioChoice(const QString& settingsFile, AppError* error)
{
    const QString section = key(kRadioSection);
    const QString backend =
        ReadINI(settingsFile, section, key(kBackendKey), QStringLiteral("native")).trimmed();
    RadioChoice choice;
    AppError failure;
    if (backend.compare(u"native", Qt::CaseInsensitive) == 0)
        return choice;
    if (backend.compare(u"hamlib", Qt::CaseInsensitive) == 0) {
        choice.backend = RadioBackendKind::Hamlib;
        const auto model = readIniNumber(settingsFile, section, key(kHamlibModelKey),
                                         QString(), 1, kHighestHamlibModel, &failure);
        const auto baud =
            model ? readIniNumber(settingsFile, section, key(kRadioBaudKey),
                                  QString::number(kDefaultBaudRate), 50, 1'000'000, &failure)
                  : std::nullopt;
        choice.device = readIniValue(settingsFile, section, key(kDeviceKey), QString(),
                                     kIniLongValueLength)
                            .trimmed();
        if (model && baud && choice.device.isEmpty())
            failure = badValue(kDeviceKey, choice.device, QStringLiteral("the radio's serial device"));
        else if (model && baud) {
            choice.hamlibModel = *model;
            choice.baud = *baud;
            return choice;
        }
    } else if (backend.compare(u"remote", Qt::CaseInsensitive) == 0) {
        choice.backend = RadioBackendKind::Remote;
        choice.remote = readIniValue(settingsFile, section, key(kRemoteKey), QString(),
                                     kIniLongValueLength)
                            .trimmed();
        if (splitRemote(choice.remote))
            return choice;
        failure = badValue(kRemoteKey, choice.remote, QStringLiteral("host:port of a rigctld"));
    } else {
        failure = badValue(kBackendKey, backend, QStringLiteral("native, hamlib or remote"));
    }
    if (error)
        *error = failure;
    return std::nullopt;
}

bool writeRadioChoice(const QString& settingsFile, const RadioChoice& choice, AppError* error)
{
    QList<std::pair<QString, QString>> entries;
    switch (choice.backend) {
        case RadioBackendKind::Native:
            entries = {{key(kBackendKey), QStringLiteral("native")}};
            break;
        case RadioBackendKind::Hamlib:
            entries = {{key(kBackendKey), QStringLiteral("hamlib")},
                       {key(kHamlibModelKey), QString::number(choice.hamlibModel)},
                       {key(kDeviceKey), choice.device},
                       {key(kRadioBaudKey), QString::number(choice.baud)}};
            break;
        case RadioBackendKind::Remote:
            entries = {{key(kBackendKey), QStringLiteral("remote")},
                       {key(kRemoteKey), choice.remote}};
            break;
    }
    return writeIniValues(settingsFile, key(kRadioSection), entries, error);
}
