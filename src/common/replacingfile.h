#pragma once

#include <QByteArrayView>
#include <QString>

/**
 * A file replaced as a whole: the new bytes go to a temporary file beside the target,
 * named "." + the target's name + ".new-" + a random tag, written unbuffered with every
 * write checked; commit() syncs it to the disk, closes it (a failed close is a failed
 * write) and only then renames it over the target. Anything short of a successful commit
 * removes the temporary file, and the target stays byte for byte as it was.
 *
 * A short write (a nearly full disk takes part of a block) is followed by another for the
 * rest, so a refusal always comes with its own cause: "Disk full" for no space left or an
 * exhausted quota, else the system's text.
 */
class ReplacingFile {
public:
    explicit ReplacingFile(const QString& target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    /** Creates the temporary file; false with cause() when it cannot be. */
    bool open();
    /** Gives the file this mode (permission bits) when committed; by default a replaced
     *  file keeps its mode and a new one gets the usual mode under the umask. */
    void setMode(int mode) { m_mode = mode; }
    /** Writes all of bytes; false with cause() at the first refusal. */
    bool write(QByteArrayView bytes);
    /** Sync, close, rename; false with cause() (the temporary file is then gone). */
    bool commit();
    /** Drops the temporary file; the target stays as it was. */
    void cancel();

    QString cause() const { return m_cause; }
    bool diskFull() const { return m_diskFull; }

    /** Removes, from folder, temporary files of this naming that were left behind by a run
     *  that was killed while writing: regular files named ".NAME.new-TAG" untouched for
     *  staleSeconds. Returns how many were removed. */
    static int removeStale(const QString& folder, int staleSeconds);

private:
    bool fail(int error);

    QString m_target;
    QString m_temporary;
    int m_fd = -1;
    int m_mode = -1;
    QString m_cause;
    bool m_diskFull = false;
};

/** The cause of a failed file operation, from its errno, in the catalogue's words where it
 *  has them ("Disk full" for no space or quota, "Permission denied"), else the system's. */
QString systemErrorCause(int error);
