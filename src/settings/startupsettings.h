#pragma once

#include "common/errorcatalogue.h"
#include "protocol/civ.h"

#include <QString>
#include <QtGlobal>

#include <optional>

/** Keys of section SETTINGS: the radio's CI-V address in decimal, the port number. */
inline constexpr char kRadioAddressKey[] = "ADDR706";
inline constexpr char kPortKey[] = "COMPORT";

/** Highest port number offered in the "Com Port" menu (COM 1 .. COM 4). */
inline constexpr int kPortCount = 4;
/** COMPORT when the settings file has none. */
inline constexpr int kDefaultPortNumber = 2;
/** Highest ADDR706 (a CI-V address is one byte). */
inline constexpr int kHighestRadioAddress = 255;

/** What start-up reads from section SETTINGS before it opens the port. */
struct StartupSettings {
    quint8 radioAddress = civ::kDefaultRadioAddress;  ///< ADDR706 in decimal, default "72"
    int portNumber = kDefaultPortNumber;              ///< COMPORT, 1..4
};

/** Reads ADDR706 and COMPORT from the settings file (defaults when absent). A value that
 *  is not a decimal number, an address above 255 or a port outside 1..4 is an error:
 *  std::nullopt, and error names the key and the value. */
std::optional<StartupSettings> readStartupSettings(const QString& settingsFile, AppError* error);
