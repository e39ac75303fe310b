#pragma once

#include "common/errorcatalogue.h"

#include <QList>
#include <QString>

/**
 * Bookmark database files and their entries in the settings file, without any widget:
 * the name rules of the add dialog, the copy of the template, and the BOOKn keys of
 * section BOOKMARKS.
 */

/** The template every new bookmark database is copied from. */
inline constexpr char kTemplateFileName[] = "EMPTY.MDB";
/** The settings section of the bookmark list. */
inline constexpr char kBookmarksSection[] = "BOOKMARKS";
/** The highest entry number BookCount (a 16-bit count) can reach. */
constexpr int kMaxBookCount = 32767;

/** The name typed in the add dialog after its first two steps: ".MDB" appended unless it
 *  already ends in .mdb in any mix of cases, then blanks trimmed from both ends
 *  ("radio" -> "radio.MDB", " radio.mdb" -> "radio.mdb", "radio " -> "radio .MDB"). */
QString bookmarkFileName(const QString& typed);

/** The name rule: the part before the first "." has 1 to 8 characters, and the name is a
 *  plain file name: no "/" or "\\", no drive letter ":", no "..". */
bool isValidBookmarkName(const QString& name);

/** Where the template is: AppPath + "EMPTY.MDB" when that file exists, else the copy
 *  next to the executable (a build tree), else the installed one in share/corvane. */
QString templatePath(const QString& appPath);

/** True when name is the template's own name, in any mix of cases ("empty.mdb"). */
bool isTemplateName(const QString& name);

/** True when both paths name the same existing file. */
bool isSameFile(const QString& first, const QString& second);

/** Copies the template to target: to a temporary file in target's folder first, renamed
 *  over target once complete, so a failed copy leaves an existing target as it was. An
 *  existing target is refused (kFileExists) unless replaceExisting; the template itself is
 *  never a target (kPermissionDenied). A full disk is kDiskFull. The copy is left writable
 *  even when the template is installed read-only. error names the file and the cause. */
bool createFromTemplate(const QString& templateFile, const QString& target, bool replaceExisting,
                        AppError* error);

/** One entry of the bookmark menu. */
struct BookmarkEntry {
    QString caption;   ///< BOOKnCAPTION (BOOK0CAPTION for entry 0)
    QString fileName;  ///< BOOKn, relative to AppPath
};

/** Entries 0 .. BookCount from the settings file: entry 0 always (BOOK0CAPTION, BOOK0),
 *  then n = 1, 2, ... up to the first n whose BOOKn is empty or absent. BookCount is the
 *  list's size minus one. */
QList<BookmarkEntry> readBookmarkList(const QString& settingsFile);

/** Writes entry n: BOOKnCAPTION = caption, then BOOKn = fileName. n must be 1 ..
 *  kMaxBookCount (kOverflow otherwise); a failed write is kSettingsWriteFailed naming the
 *  settings file. */
bool writeBookmarkEntry(const QString& settingsFile, int n, const QString& caption,
                        const QString& fileName, AppError* error);
