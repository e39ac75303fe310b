#pragma once

#include <QString>

/**
 * The settings file IC706.INI: Windows profile format, sections [SETTINGS] and
 * [BOOKMARKS]. Every access opens, reads or writes and closes the file; nothing is cached.
 * Nothing but this module touches the profile-file layer.
 */

/** Longest value handed back: the profile layer reads into an 80-character buffer. */
constexpr int kIniMaxValueLength = 79;

/** Longest value readIniValue can hand back: one line of the profile layer holds about
 *  500 bytes. Enough for a device path such as /dev/serial/by-id/usb-...-if00-port0. */
constexpr int kIniLongValueLength = 255;

/** The stored value, or defaultValue when the file, section or key is absent. At most
 *  79 characters come back. */
QString ReadINI(const QString& filePath, const QString& section, const QString& key,
                const QString& defaultValue);

/** Like ReadINI, but cut at maxLength characters (at most kIniLongValueLength) instead of
 *  79: for values that the program adds to the file and that can be longer, such as the
 *  device path of a port. */
QString readIniValue(const QString& filePath, const QString& section, const QString& key,
                     const QString& defaultValue, int maxLength);

/** Stores value under key, creating the file, section or key as needed and replacing an
 *  existing value in place; other lines and comments are kept. Returns false when the
 *  file could not be written (the caller tells the operator), and for a value holding a
 *  line break, which would split the entry and corrupt the file. */
bool WriteINI(const QString& filePath, const QString& section, const QString& key,
              const QString& value);
