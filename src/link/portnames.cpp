#include "link/portnames.h"

#include "common/errorcatalogue.h"
#include "settings/apppath.h"
#include "settings/inifile.h"
#include "settings/startupsettings.h"

QString portDevice(int portNumber, const QString& settingsFile)
{
    if (portNumber < 1)
        return {};
    const QString key = portDeviceKey(portNumber);
    // A device path such as /dev/serial/by-id/... can be longer than the 79 characters of an
    // ordinary setting, so it is read whole.
    const QString configured = readIniValue(settingsFile, QString::fromLatin1(kSettingsSection),
                                            key, QString(), kIniLongValueLength)
                                   .trimmed();
    if (!configured.isEmpty())
        return configured;
#ifdef Q_OS_WIN
    return key;
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QString portOpenAdvice(int errorNumber, int portNumber)
{
    const QString key = QStringLiteral("COM%1").arg(portNumber);
    switch (errorNumber) {
        case errors::kPermissionDenied:
            return QStringLiteral(
                "Your user may not open serial ports: add it to the group "
                "\"dialout\" (sudo adduser $USER dialout) and log in again.");
        case errors::kPortAlreadyOpen:
            return QStringLiteral(
                "Another program is using the port: close it, or let it reach "
                "the radio through Corvane's sharing instead.");
        case errors::kInvalidPortNumber:
            return QStringLiteral(
                       "There is no such device: plug in the radio's interface, or set "
                       "its device as %1 in section [SETTINGS] of IC706.INI (for "
                       "example %1=/dev/ttyUSB0).")
                .arg(key);
        default:
            return QStringLiteral(
                       "Check that %1 in section [SETTINGS] of IC706.INI names the "
                       "radio's serial device.")
                .arg(key);
    }
}
