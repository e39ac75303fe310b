#pragma once

#include <QString>

/**
 * The settings file IC706.INI: Windows profile format, sections [SETTINGS] and
 * [BOOKMARKS]. Every access opens, reads or writes and closes the file; nothing is cached.
 * Nothing but this module touches the profile-file layer.
 */

/** Longest value handed back: the profile layer reads into an 80-character buffer. */
constexpr int kIniMaxValueLength = 79;

/** The stored value, or defaultValue when the file, section or key is absent. At most
 *  79 characters come back. */
QString ReadINI(const QString& filePath, const QString& section, const QString& key,
                const QString& defaultValue);

/** Stores value under key, creating the file, section or key as needed and replacing an
 *  existing value in place; other lines and comments are kept. Returns false when the
 *  file could not be written (the caller tells the operator). */
bool WriteINI(const QString& filePath, const QString& section, const QString& key,
              const QString& value);
