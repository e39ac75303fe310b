#include "settings/apppath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kDirOption = QStringLiteral("--dir");

/** The directory named by "--dir DIR" or "--dir=DIR"; the last one wins. Empty when the
 *  option is absent or names nothing. */
QString directoryOption(const QStringList& arguments)
{
    QString directory;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == kDirOption && i + 1 < arguments.size())
            directory = arguments.at(++i);
        else if (argument.startsWith(kDirOption + u'='))
            directory = argument.sliced(kDirOption.size() + 1);
    }
    return directory;
}

/** An absolute, cleaned directory in native form, ending in a separator. */
QString asAppPath(const QString& directory)
{
    const QString absolute = QDir::cleanPath(QDir(directory).absolutePath());
    return withTrailingSeparator(QDir::toNativeSeparators(absolute));
}

}  // namespace

QString appPathFromArguments(const QStringList& arguments)
{
    QString directory = directoryOption(arguments);
    if (directory.isEmpty())
        directory = QCoreApplication::applicationDirPath();
    return asAppPath(directory);
}

QString withTrailingSeparator(const QString& directory)
{
    // An empty text stays empty: a separator alone would name the root directory.
    if (directory.isEmpty() || directory.endsWith(u'/') || directory.endsWith(QDir::separator()))
        return directory;
    return directory + QDir::separator();
}

QString settingsFilePath(const QString& appPath)
{
    return appPath + QLatin1String(kSettingsFileName);
}

ExecutableFolder inspectExecutableFolder(const QString& path)
{
    const QFileInfo folder(path);
    const QFileInfo settings(QDir(path).filePath(QLatin1String(kSettingsFileName)));
    return ExecutableFolder{path, folder.isDir() && folder.isWritable(), settings.isFile()};
}

DataFolder chooseDataFolder(const QStringList& arguments, const ExecutableFolder& executable,
                            const QString& userDataFolder)
{
    const QString given = directoryOption(arguments);
    if (!given.isEmpty())
        return DataFolder{asAppPath(given), DataFolderUse::Given};
    if (executable.writable && executable.holdsSettings)
        return DataFolder{asAppPath(executable.path), DataFolderUse::Portable};
    return DataFolder{asAppPath(userDataFolder), DataFolderUse::UserData};
}

QString sharedFilePath(const QString& fileName)
{
    const QDir executableDir(QCoreApplication::applicationDirPath());
    const QString beside = executableDir.filePath(fileName);
    if (QFileInfo::exists(beside))
        return beside;
    return QDir::cleanPath(executableDir.filePath(QLatin1String(kSharedFolder) + u'/' + fileName));
}

bool prepareUserDataFolder(const QString& appPath, const QString& templateFile,
                           const QString& fileName, QString* error)
{
    if (!QDir().mkpath(appPath)) {
        *error = QStringLiteral("Cannot create the data folder %1").arg(appPath);
        return false;
    }
    const QString copy = appPath + fileName;
    if (QFileInfo::exists(copy))
        return true;
    QFile source(templateFile);
    if (!source.copy(copy)) {
        *error = QStringLiteral("Cannot copy the template %1 to %2: %3")
                     .arg(templateFile, copy, source.errorString());
        return false;
    }
    const auto writable = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                          QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (!QFile::setPermissions(copy, writable)) {
        *error = QStringLiteral("Cannot make the template copy %1 writable").arg(copy);
        return false;
    }
    return true;
}
