#include "common/errorcatalogue.h"

#include <QHash>

QString standardErrorText(int number)
{
    static const QHash<int, QString> kTexts = {
        {errors::kInvalidArgument, QStringLiteral("Invalid procedure call or argument")},
        {errors::kOverflow, QStringLiteral("Overflow")},
        {errors::kTypeMismatch, QStringLiteral("Type mismatch")},
        {errors::kBadFileName, QStringLiteral("Bad file name or number")},
        {errors::kFileNotFound, QStringLiteral("File not found")},
        {errors::kFileExists, QStringLiteral("File already exists")},
        {errors::kDiskFull, QStringLiteral("Disk full")},
        {errors::kPermissionDenied, QStringLiteral("Permission denied")},
        {errors::kPathFileAccess, QStringLiteral("Path/File access error")},
        {errors::kNoCurrentRecord, QStringLiteral("No current record.")},
        {errors::kDatabaseNotFound, QStringLiteral("Couldn't find file.")},
        {errors::kDatabaseLocked, QStringLiteral("Couldn't lock file; the database is in use.")},
        {errors::kDatabaseReadOnly,
         QStringLiteral("Couldn't open the file for writing; it is read-only or you need "
                        "permission to change it.")},
        {errors::kTableNotFound, QStringLiteral("Couldn't find the input table 'TabFreq'.")},
        {errors::kUnrecognizedDatabase, QStringLiteral("Unrecognized database format.")},
        {errors::kDatabaseError, QStringLiteral("The database engine reported an error.")},
        {errors::kInvalidPortNumber, QStringLiteral("Invalid port number")},
        {errors::kPortAlreadyOpen, QStringLiteral("Port already open")},
        {errors::kPortNotOpen, QStringLiteral("Port is not open")},
        {errors::kSetCommStateFailed, QStringLiteral("Could not set comm state")},
        {errors::kPortRemoved, QStringLiteral("The serial device was removed")},
        {errors::kPortWriteFailed, QStringLiteral("Error writing to the serial port")},
        {errors::kPortReadFailed, QStringLiteral("Error reading from the serial port")},
        {errors::kEventBreak, QStringLiteral("Break signal received")},
        {errors::kEventFrame, QStringLiteral("Framing error")},
        {errors::kEventOverrun, QStringLiteral("Port overrun; a character was lost")},
        {errors::kEventRxOver, QStringLiteral("Receive buffer overflow")},
        {errors::kEventRxParity, QStringLiteral("Parity error")},
        {errors::kEventTxFull, QStringLiteral("Transmit buffer full")},
        {errors::kSettingsNotNumber, QStringLiteral("Setting is not a number")},
        {errors::kSettingsOutOfRange, QStringLiteral("Setting is out of range")},
        {errors::kSettingsWriteFailed, QStringLiteral("The settings file could not be written")},
        {errors::kMemoryNotRecallable, QStringLiteral("This memory cannot be sent to the radio")},
        {errors::kRemoteRadioUnreachable,
         QStringLiteral("The radio on the other computer cannot be reached")},
        {errors::kRadioNotAnswering, QStringLiteral("The radio does not answer")},
    };
    return kTexts.value(number, QStringLiteral("Application-defined or object-defined error"));
}

AppError AppError::withDetail(int number, const QString& detail)
{
    QString text = standardErrorText(number);
    if (!detail.isEmpty())
        text += QStringLiteral(" (") + detail + QLatin1Char(')');
    return {number, text};
}
