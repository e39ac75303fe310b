#pragma once

#include <QString>
#include <QStringList>

/** The settings file's name inside AppPath. */
inline constexpr char kSettingsFileName[] = "IC706.INI";

/** The section of the radio address and the ports (ADDR706, COMPORT, COM1..COM4). */
inline constexpr char kSettingsSection[] = "SETTINGS";

/** AppPath: the directory that holds the settings file, the bookmark databases and the
 *  template, always ending in the platform's directory separator. It is the directory of
 *  the executable, unless the command line says "--dir DIR" (an installed program cannot
 *  write next to its binary; tests need a directory of their own). */
QString appPathFromArguments(const QStringList& arguments);

/** Appends the separator when missing ("/tmp/x" -> "/tmp/x/"). */
QString withTrailingSeparator(const QString& directory);

/** AppPath + "IC706.INI". */
QString settingsFilePath(const QString& appPath);
