#include "net/sharingsettings.h"

#include "settings/inifile.h"

namespace {

/** The command line's value, or else the settings file's (read only then). */
QString valueOf(const std::optional<QString>& argument, const QString& settingsFile,
                const char* key, const QString& fallback)
{
    return (argument ? *argument
                     : ReadINI(settingsFile, QString::fromLatin1(kNetworkSection),
                               QString::fromLatin1(key), fallback))
        .trimmed();
}

QString nameOf(const std::optional<QString>& argument, const char* option, const char* key)
{
    return argument ? QString::fromLatin1(option) : QString::fromLatin1(key);
}

}  // namespace

SharingChoice readSharingChoice(const QString& settingsFile, const SharingArguments& arguments)
{
    SharingChoice choice;
    const QString portText =
        valueOf(arguments.port, settingsFile, kRigctlPortKey, QStringLiteral("0"));
    const QString addressText = valueOf(arguments.address, settingsFile, kRigctlAddressKey,
                                        QString::fromLatin1(kDefaultRigctlAddress));
    const QString allowText = valueOf(arguments.allow, settingsFile, kRigctlAllowKey, QString());
    const QString portName = nameOf(arguments.port, "--rigctl-port", kRigctlPortKey);
    const QString addressName = nameOf(arguments.address, "--rigctl-address", kRigctlAddressKey);
    const QString allowName = nameOf(arguments.allow, "--rigctl-allow", kRigctlAllowKey);

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
    QString why;
    const std::optional<AllowList> allowList = AllowList::parse(allowText, &why);
    if (!allowList) {
        choice.error = QStringLiteral("%1: %2").arg(allowName, why);
        return choice;
    }
    choice.allowList = *allowList;
    if (choice.port != 0 && !isLoopback(choice.address) && choice.allowList.isEmpty()) {
        choice.error = QStringLiteral(
                           "Sharing on %1 would let anyone who reaches this computer control the "
                           "radio: add the addresses allowed to connect to %2 in section %3 of "
                           "the settings file, or give them with --rigctl-allow (for example "
                           "--rigctl-allow 192.168.1.0/24)")
                           .arg(addressText, QString::fromLatin1(kRigctlAllowKey),
                                QString::fromLatin1(kNetworkSection));
    }
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
