#include "settings/inifile.h"

#include "common/replacingfile.h"
#include "settings/inifileformat.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

/** Symbolic links followed at most, as the system does before it gives up (ELOOP). */
constexpr int kMaxLinkDepth = 40;

enum class FileState { Absent, Read, NotRegular, TooLarge, Failed };

struct FileText {
    FileState state = FileState::Absent;
    QByteArray text;
    mode_t mode = 0;
    int error = 0;  ///< errno of the failed step
};

/** Closes a descriptor when it goes out of scope. */
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

/** The whole file when it is a regular one. It is opened without waiting (a FIFO would
 *  wait for a writer) and checked before a byte is read. */
FileText readRegularFile(const QString& path)
{
    FileText file;
    const Descriptor fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0) {
        file.error = errno;
        file.state = errno == ENOENT ? FileState::Absent : FileState::Failed;
        return file;
    }
    file.mode = status.st_mode & 07777;
    if (!S_ISREG(status.st_mode)) {
        file.state = FileState::NotRegular;
        return file;
    }
    if (status.st_size > kIniMaxFileBytes) {
        file.state = FileState::TooLarge;
        return file;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            file.error = errno;
            file.state = FileState::Failed;
            return file;
        }
        file.text.append(buffer, got);
        if (file.text.size() > kIniMaxFileBytes) {  // it grew while being read
            file.state = FileState::TooLarge;
            return file;
        }
    }
    file.state = FileState::Read;
    return file;
}

/** The file a path names, symbolic links followed (also to a target that does not exist
 *  yet, which the write then creates). Empty after too many links. */
QString linkTarget(const QString& path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        if (!info.isSymLink())
            return info.absoluteFilePath();
        info.setFile(info.symLinkTarget());
    }
    return {};
}

/** Why a settings file over the size limit is not used. */
QString tooLargeText()
{
    return QStringLiteral(
               "the file is larger than %1 bytes (1 MiB), far more than any settings "
               "file holds; move it aside")
        .arg(kIniMaxFileBytes);
}

AppError writeError(const QString& path, const QString& cause)
{
    return {errors::kSettingsWriteFailed, standardErrorText(errors::kSettingsWriteFailed) +
                                              QStringLiteral(" (") + path + QStringLiteral("): ") +
                                              cause};
}

/** Replaces target by text (see ReplacingFile): on any failure target is untouched. A
 *  replaced file's mode is kept (keepMode); a new file (keepMode -1) gets the usual mode
 *  under the umask. */
bool replaceFile(const QString& target, QByteArrayView text, int keepMode, AppError* error)
{
    ReplacingFile file(target);
    file.setMode(keepMode);
    if (!file.open() || !file.write(text) || !file.commit()) {
        *error = writeError(target, file.cause());
        return false;
    }
    return true;
}

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

/** The stored value as text, or std::nullopt when absent or unreadable. */
std::optional<QString> storedValue(const FileText& file, const QString& section, const QString& key)
{
    if (file.state != FileState::Read)
        return std::nullopt;
    const auto bytes =
        inifileformat::findValue(file.text, section.toLocal8Bit(), key.toLocal8Bit());
    if (!bytes)
        return std::nullopt;
    return inifileformat::hasByteOrderMark(file.text) ? QString::fromUtf8(*bytes)
                                                      : QString::fromLocal8Bit(*bytes);
}

bool setError(AppError* error, const AppError& value)
{
    if (error)
        *error = value;
    return false;
}

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
    const auto value = storedValue(readRegularFile(filePath), section, key);
    return cutToLength(value.value_or(defaultValue), length);
}

std::optional<int> readIniNumber(const QString& filePath, const QString& section,
                                 const QString& key, const QString& defaultValue, int lowest,
                                 int highest, AppError* error)
{
    const FileText file = readRegularFile(filePath);
    if (file.state == FileState::NotRegular) {
        setError(error, AppError::withDetail(errors::kPathFileAccess,
                                             filePath + QStringLiteral(": not a regular file")));
        return std::nullopt;
    }
    if (file.state == FileState::TooLarge) {
        setError(error, AppError::withDetail(errors::kPathFileAccess,
                                             filePath + QStringLiteral(": ") + tooLargeText()));
        return std::nullopt;
    }
    const QString value =
        cutToLength(storedValue(file, section, key).value_or(defaultValue), kIniMaxValueLength);
    const QString detail = key + QLatin1Char('=') + value;
    static const QRegularExpression kDecimal(QStringLiteral("^[+-]?[0-9]+$"));
    const QString digits = value.trimmed();
    if (!kDecimal.match(digits).hasMatch()) {
        setError(error, AppError::withDetail(errors::kSettingsNotNumber, detail));
        return std::nullopt;
    }
    bool ok = false;
    const qlonglong number = digits.toLongLong(&ok, 10);
    if (!ok || number < lowest || number > highest) {
        setError(error, AppError::withDetail(errors::kSettingsOutOfRange, detail));
        return std::nullopt;
    }
    return static_cast<int>(number);
}

bool WriteINI(const QString& filePath, const QString& section, const QString& key,
              const QString& value, AppError* error)
{
    return writeIniValues(filePath, section, {{key, value}}, error);
}

bool writeIniValues(const QString& filePath, const QString& section,
                    const QList<std::pair<QString, QString>>& entries, AppError* error)
{
    const QByteArray sectionBytes = section.toLocal8Bit();
    bool writable = inifileformat::isWritableSection(sectionBytes);
    for (const auto& [key, value] : entries) {
        writable = writable && inifileformat::isWritableKey(key.toLocal8Bit()) &&
                   inifileformat::isWritableValue(value.toLocal8Bit());
    }
    if (!writable)
        return setError(error, AppError::withDetail(errors::kInvalidArgument, filePath));
    const QString target = filePath.isEmpty() ? QString() : linkTarget(filePath);
    if (target.isEmpty())
        return setError(
            error, writeError(filePath, systemErrorCause(filePath.isEmpty() ? ENOENT : ELOOP)));
    const FileText file = readRegularFile(target);
    if (file.state == FileState::NotRegular)
        return setError(error, writeError(target, QStringLiteral("not a regular file")));
    if (file.state == FileState::TooLarge)
        return setError(error, writeError(target, tooLargeText()));
    if (file.state == FileState::Failed)
        return setError(error, writeError(target, systemErrorCause(file.error)));
    if (file.state == FileState::Read && ::access(QFile::encodeName(target).constData(), W_OK) != 0)
        return setError(error, writeError(target, systemErrorCause(errno)));
    QByteArray text = file.text;
    for (const auto& [key, value] : entries)
        text = inifileformat::withValue(text, sectionBytes, key.toLocal8Bit(), value.toLocal8Bit());
    if (file.state == FileState::Read && text == file.text)
        return true;
    AppError failure;
    const int keepMode = file.state == FileState::Read ? static_cast<int>(file.mode) : -1;
    if (!replaceFile(target, text, keepMode, &failure))
        return setError(error, failure);
    return true;
}
