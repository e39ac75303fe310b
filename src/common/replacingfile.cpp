#include "common/replacingfile.h"

#include "common/errorcatalogue.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

/** Names tried for the temporary file before giving up. */
constexpr int kTemporaryNameTries = 100;

const QString kMarker = QStringLiteral(".new-");

/** Makes a rename durable; a failure here leaves the new file in place. */
void syncFolder(const QString& target)
{
    const int folder = ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

}  // namespace

QString systemErrorCause(int error)
{
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return standardErrorText(errors::kDiskFull);
        case EACCES:
        case EPERM:
        case EROFS:
            return standardErrorText(errors::kPermissionDenied);
        default:
            return QString::fromLocal8Bit(std::strerror(error));
    }
}

ReplacingFile::ReplacingFile(const QString& target) : m_target(target) {}

ReplacingFile::~ReplacingFile()
{
    cancel();
}

bool ReplacingFile::fail(int error)
{
    m_diskFull = error == ENOSPC || error == EDQUOT;
    m_cause = systemErrorCause(error);
    cancel();
    return false;
}

bool ReplacingFile::open()
{
    struct stat existing {};
    if (m_mode < 0 && ::stat(QFile::encodeName(m_target).constData(), &existing) == 0 &&
        S_ISREG(existing.st_mode))
        m_mode = static_cast<int>(existing.st_mode & 07777);  // a replaced file keeps its mode
    const QFileInfo info(m_target);
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        m_temporary = info.absolutePath() + QStringLiteral("/.") + info.fileName() + kMarker +
                      QString::number(QRandomGenerator::global()->generate(), 36);
        m_fd = ::open(QFile::encodeName(m_temporary).constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_fd >= 0)
            return true;
        if (errno != EEXIST)
            break;
    }
    const int error = errno;
    m_temporary.clear();
    return fail(error);
}

bool ReplacingFile::write(QByteArrayView bytes)
{
    if (m_fd < 0)
        return false;
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), static_cast<size_t>(bytes.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return fail(errno);
        if (written == 0)
            return fail(ENOSPC);
        bytes = bytes.sliced(written);
    }
    return true;
}

bool ReplacingFile::commit()
{
    if (m_fd < 0)
        return false;
    if (::fsync(m_fd) != 0)
        return fail(errno);
    if (m_mode >= 0 && ::fchmod(m_fd, static_cast<mode_t>(m_mode)) != 0)
        return fail(errno);
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0)
        return fail(errno);
    if (::rename(QFile::encodeName(m_temporary).constData(),
                 QFile::encodeName(m_target).constData()) != 0)
        return fail(errno);
    m_temporary.clear();
    syncFolder(m_target);
    return true;
}

void ReplacingFile::cancel()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_temporary.isEmpty())
        ::unlink(QFile::encodeName(std::exchange(m_temporary, QString())).constData());
}

int ReplacingFile::removeStale(const QString& folder, int staleSeconds)
{
    static const QRegularExpression kOwnName(QStringLiteral("^\\..+\\.new-[0-9a-z]{1,7}$"));
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-staleSeconds);
    int removed = 0;
    const QFileInfoList entries =
        QDir(folder).entryInfoList({QStringLiteral(".*.new-*")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        if (entry.isSymLink() || !kOwnName.match(entry.fileName()).hasMatch() ||
            entry.lastModified().toUTC() > before)
            continue;
        if (QFile::remove(entry.absoluteFilePath()))
            ++removed;
    }
    return removed;
}
