#pragma once

#include "common/errorcatalogue.h"
#include "protocol/civ.h"

#include <QString>
#include <QtGlobal>

#include <QList>

#include <chrono>

#include <optional>
#include <utility>

/** Keys of section SETTINGS: the radio's CI-V address in decimal, the port number, the
 *  line's rate in baud. */
inline constexpr char kRadioAddressKey[] = "ADDR706";
inline constexpr char kPortKey[] = "COMPORT";
inline constexpr char kBaudKey[] = "BAUD";

/** Keys of section SETTINGS: how the radio is read, and what start-up sends it. */
inline constexpr char kPollKey[] = "POLL";
inline constexpr char kStartupKey[] = "STARTUP";
/** Longest POLL period, seconds. */
inline constexpr int kLongestPollSeconds = 3600;

/**
 * POLL: how often frequency and mode are read from a radio that does not announce its
 * changes. "auto" (the default): once a second until the radio announces something on its
 * own; "off": never; a number: every that many seconds, 1 to 3600, announcements or not.
 */
struct PollSetting {
    std::chrono::seconds period{1};  ///< 0 s: never
    bool untilAnnounced = true;      ///< "auto"

    bool operator==(const PollSetting&) const = default;
};

/** Highest port number offered in the "Com Port" menu (COM 1 .. COM 4). */
inline constexpr int kPortCount = 4;
/** COMPORT when the settings file has none. */
inline constexpr int kDefaultPortNumber = 2;
/** Highest ADDR706 (a CI-V address is one byte). */
inline constexpr int kHighestRadioAddress = 255;

/** BAUD when the settings file has none, and the range the IC-706 family's CI-V takes. */
inline constexpr int kDefaultBaudRate = 9600;
inline constexpr int kLowestBaudRate = 300;
inline constexpr int kHighestBaudRate = 19200;
/** The rates the radios' menus offer, slowest first. */
inline constexpr int kOfferedBaudRates[] = {300, 1200, 4800, 9600, 19200};

/** What start-up reads from section SETTINGS before it opens the port. */
struct StartupSettings {
    quint8 radioAddress = civ::kDefaultRadioAddress;  ///< ADDR706 in decimal, default "72"
    int portNumber = kDefaultPortNumber;              ///< COMPORT, 1..4
    int baudRate = kDefaultBaudRate;                  ///< BAUD, 300..19200
    PollSetting poll;                                 ///< POLL, default "auto"
    /** STARTUP: "reset" (the default) puts the radio in a known state with start-up's four
     *  frames; "keep" sends none and only reads frequency and mode. */
    bool keepRadio = false;
};

/** Reads ADDR706, COMPORT, BAUD, POLL and STARTUP from the settings file (defaults when
 *  absent). A value that is not a decimal number, an address above 255, a port outside
 *  1..4, a rate outside 300..19200, a POLL that is none of its forms, a STARTUP other than
 *  reset or keep, is an error: std::nullopt, and error names the key and the value. */
std::optional<StartupSettings> readStartupSettings(const QString& settingsFile, AppError* error);

/** Key of section SETTINGS naming the device of port "COM n": COM1 .. COM4. */
QString portDeviceKey(int portNumber);

/** The radio's line as the settings file keeps it. */
struct RadioLineSettings {
    int portNumber = kDefaultPortNumber;              ///< COMPORT
    QString device;                                   ///< COMn of that port
    quint8 radioAddress = civ::kDefaultRadioAddress;  ///< ADDR706
    int baudRate = kDefaultBaudRate;                  ///< BAUD
};

/** Stores COMPORT, COMn = the device, ADDR706 and BAUD, then the further entries of section
 *  SETTINGS given, with one replacement of the file: all of them or none (9003 with the
 *  cause when the file cannot be written). */
bool writeRadioLineSettings(const QString& settingsFile, const RadioLineSettings& line,
                            const QList<std::pair<QString, QString>>& more, AppError* error);
