#pragma once

#include "common/errorcatalogue.h"

#include <QString>
#include <QtGlobal>

#include <optional>

/** Keys of section SETTINGS: the radio's CI-V address in decimal, the port number. */
inline constexpr char kRadioAddressKey[] = "ADDR706";
inline constexpr char kPortKey[] = "COMPORT";

/** What start-up reads from section SETTINGS before it opens the port. */
struct StartupSettings {
    quint8 radioAddress = 0x48;  ///< ADDR706 in decimal, default "72"
    int portNumber = 2;          ///< COMPORT, default "2", 1..4
};

/** Reads ADDR706 and COMPORT from the settings file (defaults when absent). A value that
 *  is not a decimal number, an address above 255 or a port outside 1..4 is an error:
 *  std::nullopt, and error names the key and the value. */
std::optional<StartupSettings> readStartupSettings(const QString& settingsFile, AppError* error);
