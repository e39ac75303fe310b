#include "settings/inifile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

#ifdef Q_OS_WIN
#define NOMINMAX
#include <windows.h>
#else
#include <minIni.h>
#endif

namespace {

/** Bytes one character can take in the 8-bit text of the file (UTF-8 on Linux, the ANSI
 *  code page on Windows). The buffer is sized so that the characters asked for always fit
 *  whole; the value is then cut by characters, never in the middle of one. */
#ifdef Q_OS_WIN
constexpr int kBytesPerCharacter = 1;
#else
constexpr int kBytesPerCharacter = 4;
#endif

/** At most maxLength characters, never splitting a surrogate pair. */
QString cutToLength(QString value, int maxLength)
{
    if (value.size() <= maxLength)
        return value;
    qsizetype length = maxLength;
    if (length > 0 && value.at(length - 1).isHighSurrogate())
        --length;
    value.truncate(length);
    return value;
}

/** The profile layer's read: the value's bytes, at most bufferSize - 1 of them. */
QByteArray profileRead(const QString& filePath, const QByteArray& section, const QByteArray& key,
                       const QByteArray& defaultValue, int bufferSize)
{
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize), ' ');
#ifdef Q_OS_WIN
    const DWORD copied = GetPrivateProfileStringA(
        section.constData(), key.constData(), defaultValue.constData(), buffer.data(),
        static_cast<DWORD>(bufferSize), filePath.toLocal8Bit().constData());
#else
    const int copied = ini_gets(section.constData(), key.constData(), defaultValue.constData(),
                                buffer.data(), bufferSize, QFile::encodeName(filePath).constData());
#endif
    return QByteArray(buffer.data(),
                      std::clamp(qsizetype(copied), qsizetype(0), qsizetype(bufferSize - 1)));
}

#ifndef Q_OS_WIN
/** The file in which the profile layer builds the new contents before it replaces the
 *  settings file: the same name with its last character turned into '~'. */
QString rewriteTemporaryPath(const QString& filePath)
{
    QString temporary = filePath;
    temporary.back() = u'~';
    return temporary;
}

/** minIni copies the file to a temporary one and then removes and renames. It reports
 *  success when the temporary file was written even if the final remove or rename failed,
 *  it replaces a read-only file (the directory allows it) and it would remove an empty
 *  directory of the file's name. So the write is guarded before, the temporary file is
 *  never left behind, and the value is read back to tell the truth. */
bool profileWrite(const QString& filePath, const QByteArray& section, const QByteArray& key,
                  const QByteArray& value)
{
    const QFileInfo info(filePath);
    if (filePath.isEmpty() || filePath.endsWith(u'~') || info.isDir())
        return false;
    if (info.exists() && !info.isWritable())
        return false;
    const QByteArray path = QFile::encodeName(filePath);
    const bool written =
        ini_puts(section.constData(), key.constData(), value.constData(), path.constData()) != 0;
    const QString temporary = rewriteTemporaryPath(filePath);
    if (QFileInfo(temporary).isFile())
        QFile::remove(temporary);
    if (!written || ini_haskey(section.constData(), key.constData(), path.constData()) == 0)
        return false;
    const QByteArray stored = profileRead(filePath, section, key, {}, kIniLongValueLength * 4);
    return QString::fromLocal8Bit(stored).trimmed().left(kIniMaxValueLength) ==
           QString::fromLocal8Bit(value).trimmed().left(kIniMaxValueLength);
}
#else
bool profileWrite(const QString& filePath, const QByteArray& section, const QByteArray& key,
                  const QByteArray& value)
{
    return WritePrivateProfileStringA(section.constData(), key.constData(), value.constData(),
                                      filePath.toLocal8Bit().constData()) != 0;
}
#endif

}  // namespace

QString ReadINI(const QString& filePath, const QString& section, const QString& key,
                const QString& defaultValue)
{
    return readIniValue(filePath, section, key, defaultValue, kIniMaxValueLength);
}

QString readIniValue(const QString& filePath, const QString& section, const QString& key,
                     const QString& defaultValue, int maxLength)
{
    const int length = std::clamp(maxLength, 0, kIniLongValueLength);
    const QByteArray bytes =
        profileRead(filePath, section.toLocal8Bit(), key.toLocal8Bit(), defaultValue.toLocal8Bit(),
                    length * kBytesPerCharacter + 1);
    return cutToLength(QString::fromLocal8Bit(bytes), length);
}

bool WriteINI(const QString& filePath, const QString& section, const QString& key,
              const QString& value)
{
    if (value.contains(u'\n') || value.contains(u'\r'))
        return false;
    return profileWrite(filePath, section.toLocal8Bit(), key.toLocal8Bit(), value.toLocal8Bit());
}
