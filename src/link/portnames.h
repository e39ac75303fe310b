#pragma once

#include <QString>

/**
 * Port number 1-4 -> device. The optional key COMn in section SETTINGS of the settings
 * file overrides the default (COM2=/dev/ttyUSB0); the default is "COMn" on Windows and
 * /dev/ttyS<n-1> on Linux. The override is read whole (a /dev/serial/by-id/ path is often
 * longer than the 79 characters of an ordinary setting). Empty for a number below 1.
 */
QString portDevice(int portNumber, const QString& settingsFile);

/**
 * What the operator can do about a port that would not open, by the error number of the
 * failure (errors::kInvalidPortNumber, kPermissionDenied, kPortAlreadyOpen, ...): one or two
 * sentences naming the device setting COMn of section SETTINGS where it is the cure. The
 * caller adds how to try again (the "Com Port" menu, or the next start).
 */
QString portOpenAdvice(int errorNumber, int portNumber);
