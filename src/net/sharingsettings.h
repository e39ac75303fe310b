#pragma once

#include "net/allowlist.h"

#include <QHostAddress>
#include <QString>

#include <optional>

/** Section and keys of the settings file for sharing the radio over TCP. */
inline constexpr char kNetworkSection[] = "NETWORK";
inline constexpr char kRigctlPortKey[] = "RIGCTLPORT";        ///< 0 or absent: off
inline constexpr char kRigctlAddressKey[] = "RIGCTLADDRESS";  ///< default 127.0.0.1
inline constexpr char kDefaultRigctlAddress[] = "127.0.0.1";
/** Who may connect from beyond this computer, "192.168.1.0/24, 10.0.0.7"; required to
 *  listen on any address but loopback. */
inline constexpr char kRigctlAllowKey[] = "RIGCTLALLOW";

/** Where to share, as the command line gives it (each part optional). */
struct SharingArguments {
    std::optional<QString> port;     ///< --rigctl-port N
    std::optional<QString> address;  ///< --rigctl-address ADDR
    std::optional<QString> allow;    ///< --rigctl-allow LIST
};

/** What start-up does: share on address:port, or not (port 0), or an error to show. */
struct SharingChoice {
    quint16 port = 0;
    QHostAddress address{QHostAddress::LocalHost};
    AllowList allowList;
    QString error;  ///< not empty: a value is wrong; nothing is shared
    bool on() const { return port != 0 && error.isEmpty(); }
};

/** Reads RIGCTLPORT, RIGCTLADDRESS and RIGCTLALLOW of section NETWORK from settingsFile;
 *  a value given on the command line takes the place of the stored one. Anything but a
 *  number 0..65535 for the port, an address that is not an IPv4/IPv6 address or
 *  "localhost", or an allow-list entry that is neither an address nor a range is an error
 *  naming the key (or option) and the value. So is sharing on an address other than
 *  loopback without an allow-list: the message says what to add. */
SharingChoice readSharingChoice(const QString& settingsFile, const SharingArguments& arguments);

/** The address text as a host address; std::nullopt when it is none. */
std::optional<QHostAddress> parseSharingAddress(const QString& text);
