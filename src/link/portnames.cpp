#include "link/portnames.h"

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
