#pragma once

#include <QString>

/**
 * The one catalogue of error numbers and their standard texts. Every message that is
 * built from "the standard text for the error number" takes the text from here, so an
 * operator sees the same words for the same failure wherever it happens.
 *
 * Numbering follows the classic serial-control and database-engine numbers where one
 * fits (8002 invalid port, 8005 port already open, 3024 file not found, ...); numbers
 * that have no classic counterpart are kept in the 9000 range.
 */
namespace errors {

// General run-time errors.
constexpr int kInvalidArgument = 5;  ///< Invalid procedure call or argument
constexpr int kOverflow = 6;         ///< Overflow
constexpr int kTypeMismatch = 13;    ///< Type mismatch (a text that is no number)
constexpr int kBadFileName = 52;     ///< Bad file name or number
constexpr int kFileNotFound = 53;    ///< File not found
constexpr int kFileExists = 58;      ///< File already exists
constexpr int kDiskFull = 61;        ///< Disk full
constexpr int kPermissionDenied = 70;  ///< Permission denied
constexpr int kPathFileAccess = 75;    ///< Path/File access error

// Database errors (a bookmark database file).
constexpr int kNoCurrentRecord = 3021;
constexpr int kDatabaseNotFound = 3024;
constexpr int kDatabaseLocked = 3050;
constexpr int kDatabaseReadOnly = 3051;
constexpr int kTableNotFound = 3078;
constexpr int kUnrecognizedDatabase = 3343;
constexpr int kDatabaseError = 3146;  ///< any other failure reported by the engine

// Serial port errors.
constexpr int kInvalidPortNumber = 8002;
constexpr int kPortAlreadyOpen = 8005;
constexpr int kPortNotOpen = 8012;
constexpr int kSetCommStateFailed = 8015;
constexpr int kPortRemoved = 8020;
constexpr int kPortWriteFailed = 8021;
constexpr int kPortReadFailed = 8022;

// Line events reported while the port is open (serial-control event numbering).
constexpr int kEventBreak = 1001;
constexpr int kEventFrame = 1004;
constexpr int kEventOverrun = 1006;
constexpr int kEventRxOver = 1008;
constexpr int kEventRxParity = 1009;
constexpr int kEventTxFull = 1010;

// Settings file.
constexpr int kSettingsNotNumber = 9001;   ///< ADDR706 / COMPORT do not convert
constexpr int kSettingsOutOfRange = 9002;  ///< converts, but outside the allowed range
constexpr int kSettingsWriteFailed = 9003;

// Memories.
constexpr int kMemoryNotRecallable = 9101;  ///< a memory's frequency or mode cannot be sent

// A radio driven through Hamlib.
constexpr int kRemoteRadioUnreachable = 9201;  ///< no rigctld answers at host:port
constexpr int kRadioNotAnswering = 9202;       ///< the port opened, the radio stayed silent

}  // namespace errors

/** The standard text for an error number; "Application-defined or object-defined error"
 *  for a number the catalogue does not know. */
QString standardErrorText(int number);

/** An error as a value: its number and the text to show. */
struct AppError {
    int number = 0;
    QString text;  ///< the standard text, possibly with detail (a file name) appended

    static AppError fromNumber(int number) { return {number, standardErrorText(number)}; }
    static AppError withDetail(int number, const QString& detail);
};
