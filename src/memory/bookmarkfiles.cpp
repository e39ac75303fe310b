#include "memory/bookmarkfiles.h"

#include "common/replacingfile.h"
#include "memory/sqlitefile.h"
#include "settings/apppath.h"
#include "settings/inifile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr char kExtension[] = ".MDB";
constexpr int kMaxStemLength = 8;

/** Blanks (spaces) trimmed from both ends, as the add dialog trims its name box. */
QString trimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

/** Copies the whole of source into copy; false at the first failed read or write. */
bool copyAll(QFile* source, ReplacingFile* copy)
{
    constexpr qint64 kChunk = 64 * 1024;
    while (!source->atEnd()) {
        const QByteArray chunk = source->read(kChunk);
        if (chunk.isEmpty() || !copy->write(chunk))
            return false;  // the temporary file goes with the unfinished copy
    }
    return true;
}

QString bookKey(int n, bool caption)
{
    return QStringLiteral("BOOK") + QString::number(n) +
           (caption ? QStringLiteral("CAPTION") : QString());
}

}  // namespace

QString bookmarkFileName(const QString& typed)
{
    QString name = typed;
    if (!name.toUpper().endsWith(QLatin1String(kExtension)))
        name += QLatin1String(kExtension);
    return trimBlanks(name);
}

bool isValidBookmarkName(const QString& name)
{
    const qsizetype point = name.indexOf(QLatin1Char('.'));
    if (point < 1 || point > kMaxStemLength)
        return false;
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           !name.contains(QLatin1Char(':')) && !name.contains(QLatin1String(".."));
}

QString templatePath(const QString& appPath)
{
    const QString inAppPath = appPath + QLatin1String(kTemplateFileName);
    if (QFileInfo::exists(inAppPath) || !QCoreApplication::instance())
        return inAppPath;
    return sharedFilePath(QLatin1String(kTemplateFileName));
}

bool isTemplateName(const QString& name)
{
    return name.compare(QLatin1String(kTemplateFileName), Qt::CaseInsensitive) == 0;
}

bool isSameFile(const QString& first, const QString& second)
{
    const QString a = QFileInfo(first).canonicalFilePath();
    return !a.isEmpty() && a == QFileInfo(second).canonicalFilePath();
}

bool createFromTemplate(const QString& templateFile, const QString& target, bool replaceExisting,
                        AppError* error)
{
    QFile source(templateFile);
    if (!QFileInfo(templateFile).isFile()) {
        *error = sqlitefile::fileError(errors::kFileNotFound, templateFile,
                                       QStringLiteral("the template database is missing"));
        return false;
    }
    if (isSameFile(templateFile, target)) {
        *error = sqlitefile::fileError(errors::kPermissionDenied, target,
                                       QStringLiteral("the template itself is never replaced"));
        return false;
    }
    if (QFileInfo::exists(target) && !replaceExisting) {
        *error = sqlitefile::fileError(errors::kFileExists, target, QString());
        return false;
    }
    if (!source.open(QIODevice::ReadOnly)) {
        *error = sqlitefile::fileError(errors::kPathFileAccess, templateFile, source.errorString());
        return false;
    }
    // The copy goes to a temporary file in the same folder and is renamed over the target
    // only when complete: a failed copy leaves an existing file as it was.
    ReplacingFile copy(target);
    if (!copy.open() || !copyAll(&source, &copy) || !copy.commit()) {
        if (source.error() != QFileDevice::NoError)
            *error =
                sqlitefile::fileError(errors::kPathFileAccess, templateFile, source.errorString());
        else
            *error =
                sqlitefile::fileError(copy.diskFull() ? errors::kDiskFull : errors::kPathFileAccess,
                                      target, copy.cause());
        return false;
    }
    const QFile::Permissions writable = QFile::WriteOwner | QFile::WriteUser;
    if (!QFile::setPermissions(target, QFile::permissions(target) | writable)) {
        *error = sqlitefile::fileError(errors::kPermissionDenied, target,
                                       QStringLiteral("the copy could not be made writable"));
        return false;
    }
    return true;
}

QList<BookmarkEntry> readBookmarkList(const QString& settingsFile)
{
    const QString section = QLatin1String(kBookmarksSection);
    QList<BookmarkEntry> entries;
    entries.append({ReadINI(settingsFile, section, bookKey(0, true), QString()),
                    ReadINI(settingsFile, section, bookKey(0, false), QString())});
    for (int n = 1; n <= kMaxBookCount; ++n) {
        const QString fileName = ReadINI(settingsFile, section, bookKey(n, false), QString());
        if (fileName.isEmpty())
            break;
        entries.append({ReadINI(settingsFile, section, bookKey(n, true), QString()), fileName});
    }
    return entries;
}

bool writeBookmarkEntry(const QString& settingsFile, int n, const QString& caption,
                        const QString& fileName, AppError* error)
{
    if (n < 1 || n > kMaxBookCount) {
        *error = AppError::fromNumber(errors::kOverflow);
        return false;
    }
    // Caption and file name in one replacement of the file: both or neither.
    return writeIniValues(settingsFile, QLatin1String(kBookmarksSection),
                          {{bookKey(n, true), caption}, {bookKey(n, false), fileName}}, error);
}
