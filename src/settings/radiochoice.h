#pragma once

#include "common/errorcatalogue.h"

#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>

/** Section and keys of the radio in use: which way the program reaches it. A settings file
 *  without section RADIO (or without BACKEND) means the IC-706 family on the serial port of
 *  section SETTINGS, exactly as before the section existed. */
inline constexpr char kRadioSection[] = "RADIO";
inline constexpr char kBackendKey[] = "BACKEND";
inline constexpr char kHamlibModelKey[] = "HAMLIBMODEL";
inline constexpr char kDeviceKey[] = "DEVICE";
inline constexpr char kRadioBaudKey[] = "BAUD";
inline constexpr char kRemoteKey[] = "REMOTE";

/** How the program reaches the radio. */
enum class RadioBackendKind {
    Native,  ///< BACKEND=native: the IC-706 family on a serial port (section SETTINGS's line)
    Hamlib,  ///< BACKEND=hamlib: Hamlib model HAMLIBMODEL on DEVICE at BAUD
    Remote,  ///< BACKEND=remote: a rigctld on another computer, REMOTE = "host:port"
};

/** The radio chosen in the first-start or "Radio settings…" dialog, as section RADIO keeps
 *  it. For Native only backend matters (the line is section SETTINGS's). */
struct RadioChoice {
    RadioBackendKind backend = RadioBackendKind::Native;
    int hamlibModel = 0;   ///< HAMLIBMODEL, Hamlib's model number
    QString device;        ///< DEVICE, "/dev/ttyUSB0"
    qint32 baud = 9600;    ///< BAUD of section RADIO
    QString remote;        ///< REMOTE, "host:port" of a rigctld

    bool operator==(const RadioChoice&) const = default;
};

/** Reads section RADIO: BACKEND native (the default), hamlib or remote, and the keys that
 *  backend needs. An unknown BACKEND, a HAMLIBMODEL or BAUD that is no number in range, a
 *  hamlib backend without DEVICE or a remote one whose REMOTE is not "host:port" is an
 *  error: std::nullopt, and error names the key and the value. */
std::optional<RadioChoice> readRadioChoice(const QString& settingsFile, AppError* error);

/** Stores section RADIO's keys for choice with one replacement of the file (9003 with the
 *  cause when it cannot be written); the keys of the other backends keep their values, so
 *  switching back finds them. */
bool writeRadioChoice(const QString& settingsFile, const RadioChoice& choice, AppError* error);

/** "host:port" split; std::nullopt unless host is not empty and port is 1..65535. */
std::optional<std::pair<QString, quint16>> splitRemote(const QString& remote);
