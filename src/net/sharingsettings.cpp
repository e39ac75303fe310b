#include "net/sharingsettings.h"

#include "settings/inifile.h"

SharingChoice readSharingChoice(const QString& settingsFile, const SharingArguments& arguments)
{
    SharingChoice choice;
    const QString section = QString::fromLatin1(kNetworkSection);
    // The settings file is read only for what the command line leaves open.
    const QString portText =
        (arguments.port ? *arguments.port
                        : ReadINI(settingsFile, section, QString::fromLatin1(kRigctlPortKey),
                                  QStringLiteral("0")))
            .trimmed();
    const QString addressText =
        (arguments.address ? *arguments.address
                           : ReadINI(settingsFile, section, QString::fromLatin1(kRigctlAddressKey),
                                     QString::fromLatin1(kDefaultRigctlAddress)))
            .trimmed();
    const QString portName =
        arguments.port ? QStringLiteral("--rigctl-port") : QString::fromLatin1(kRigctlPortKey);
    const QString addressName = arguments.address ? QStringLiteral("--rigctl-address")
                                                  : QString::fromLatin1(kRigctlAddressKey);

    bool number = false;
    const uint port = portText.isEmpty() ? 0 : portText.toUInt(&number);
    if (!portText.isEmpty() && (!number || port > 65535)) {
        choice.error = QStringLiteral("%1 \"%2\" is not a TCP port number (0 to 65535)")
                           .arg(portName, portText);
        return choice;
    }
    choice.port = static_cast<quint16>(port);
    const std::optional<QHostAddress> address = parseSharingAddress(addressText);
    if (!address) {
        choice.error =
            QStringLiteral("%1 \"%2\" is not an IP address").arg(addressName, addressText);
        return choice;
    }
    choice.address = *address;
    return choice;
}

std::optional<QHostAddress> parseSharingAddress(const QString& text)
{
    if (text.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
        return QHostAddress(QHostAddress::LocalHost);
    QHostAddress address;
    if (!address.setAddress(text))
        return std::nullopt;
    return address;
}
