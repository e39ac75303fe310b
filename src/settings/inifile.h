#pragma once

#include "common/errorcatalogue.h"

#include <QList>
#include <QString>

#include <optional>
#include <utility>

/**
 * The settings file IC706.INI: profile (INI) format, sections [SETTINGS] and [BOOKMARKS]
 * (the format itself: settings/inifileformat.h). Every access opens, reads or writes and
 * closes the file; nothing is cached.
 *
 * Only a regular file is read or written (a symbolic link counts as the file it points
 * to): a FIFO or a device of that name is never opened for long, so it cannot hang the
 * program. A write replaces the file as a whole and atomically: the new text goes to a
 * new temporary file beside it, is synced to the disk and only then renamed over the old
 * one, which stays byte for byte as it was when any step fails.
 */

/** Longest value handed back: 79 characters, as settings files have always been read. */
constexpr int kIniMaxValueLength = 79;

/** Largest settings file used (1 MiB): a bigger one is no settings file (readIniNumber and
 *  the writers refuse it naming the limit; the plain readers return their defaults). */
constexpr qint64 kIniMaxFileBytes = 1024 * 1024;

/** Longest value readIniValue can hand back. Enough for a device path such as
 *  /dev/serial/by-id/usb-...-if00-port0. */
constexpr int kIniLongValueLength = 255;

/** The stored value, or defaultValue when the file, section or key is absent or the file
 *  cannot be read. At most 79 characters come back. */
QString ReadINI(const QString& filePath, const QString& section, const QString& key,
                const QString& defaultValue);

/** Like ReadINI, but cut at maxLength characters (at most kIniLongValueLength) instead of
 *  79: for values that the program adds to the file and that can be longer, such as the
 *  device path of a port. */
QString readIniValue(const QString& filePath, const QString& section, const QString& key,
                     const QString& defaultValue, int maxLength);

/** A whole decimal number read as ReadINI reads it (blanks around it allowed). Errors, with
 *  "KEY=value" as detail: 9001 when the value is no decimal number, 9002 when it is one
 *  but lies outside lowest..highest (also when it is too long for any integer), and 75
 *  when the settings file exists but is not a regular file. */
std::optional<int> readIniNumber(const QString& filePath, const QString& section,
                                 const QString& key, const QString& defaultValue, int lowest,
                                 int highest, AppError* error);

/** Stores value under key, creating the file, section or key as needed and replacing an
 *  existing value in place; every other line and comment, a byte-order mark and the line
 *  endings are kept. Returns false, and sets error when given, when the file could not
 *  be written (the file is then as it was), and for a name or value that the file cannot
 *  hold (a line break would split the entry). */
bool WriteINI(const QString& filePath, const QString& section, const QString& key,
              const QString& value, AppError* error = nullptr);

/** Like WriteINI for several keys of one section, in order, with one replacement of the
 *  file: either all of them are stored or none. Errors are 9003 "The settings file could
 *  not be written", with the file's path and the cause ("Disk full", "Permission denied",
 *  "not a regular file", ...) in the text, or 5 for a name or value the file cannot hold. */
bool writeIniValues(const QString& filePath, const QString& section,
                    const QList<std::pair<QString, QString>>& entries, AppError* error);
