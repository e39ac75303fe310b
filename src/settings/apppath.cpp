#include "settings/apppath.h"

#include <QCoreApplication>
#include <QDir>

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

}  // namespace

QString appPathFromArguments(const QStringList& arguments)
{
    QString directory = directoryOption(arguments);
    if (directory.isEmpty())
        directory = QCoreApplication::applicationDirPath();
    const QString absolute = QDir::cleanPath(QDir(directory).absolutePath());
    return withTrailingSeparator(QDir::toNativeSeparators(absolute));
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
