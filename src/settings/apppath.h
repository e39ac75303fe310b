#pragma once

#include <QString>
#include <QStringList>

/** The settings file's name inside AppPath. */
inline constexpr char kSettingsFileName[] = "IC706.INI";

/** The section of the radio address and the ports (ADDR706, COMPORT, COM1..COM4). */
inline constexpr char kSettingsSection[] = "SETTINGS";

/** The folder below the executable's prefix with the files installed for every user
 *  (the template EMPTY.MDB): <prefix>/share/corvane beside <prefix>/bin. */
inline constexpr char kSharedFolder[] = "../share/corvane";

/** AppPath: the directory that holds the settings file, the bookmark databases and the
 *  template, always ending in the platform's directory separator. It is the directory of
 *  the executable, unless the command line says "--dir DIR" (an installed program cannot
 *  write next to its binary; tests need a directory of their own). */
QString appPathFromArguments(const QStringList& arguments);

/** Appends the separator when missing ("/tmp/x" -> "/tmp/x/"). */
QString withTrailingSeparator(const QString& directory);

/** AppPath + "IC706.INI". */
QString settingsFilePath(const QString& appPath);

/** Why AppPath is the folder it is. */
enum class DataFolderUse {
    Given,     ///< --dir DIR on the command line
    Portable,  ///< the executable's folder: writable and holding the settings file
    UserData,  ///< the user's data folder (~/.local/share/corvane): an installed program
};

/** What the choice needs to know about the executable's folder. */
struct ExecutableFolder {
    QString path;
    bool writable = false;
    bool holdsSettings = false;  ///< IC706.INI is there
};

/** The folder in use and why. */
struct DataFolder {
    QString appPath;  ///< ends in a separator
    DataFolderUse use = DataFolderUse::Portable;
};

/** Looks at a folder on disk: is it writable, does it hold IC706.INI. */
ExecutableFolder inspectExecutableFolder(const QString& path);

/**
 * The rule for AppPath: "--dir DIR" names it; otherwise the executable's folder when it is
 * writable and holds IC706.INI (portable use, everything beside the program); otherwise
 * userDataFolder (QStandardPaths::AppDataLocation for the real program).
 */
DataFolder chooseDataFolder(const QStringList& arguments, const ExecutableFolder& executable,
                            const QString& userDataFolder);

/** The file name in the executable's folder when it is there (a build tree, a portable
 *  copy), else in the installed shared folder <prefix>/share/corvane. The path returned
 *  need not exist. */
QString sharedFilePath(const QString& fileName);

/**
 * Makes the user's data folder ready: creates it, and copies the template (templateFile,
 * named fileName in the folder) into it unless a copy is already there. The copy is made
 * writable, as the installed template is read-only. False with error naming the folder or
 * the file when something cannot be made; nothing already there is touched.
 */
bool prepareUserDataFolder(const QString& appPath, const QString& templateFile,
                           const QString& fileName, QString* error);
