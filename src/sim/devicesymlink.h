#pragma once

#include <QString>

/**
 * A symbolic link to the virtual radio's device, so a fixed name (a settings file's COM
 * key, a demo script) finds a pseudo-terminal whose number changes from run to run.
 * A stale link left by an earlier run is replaced; anything that is not a symbolic link is
 * never touched. The link is removed on destruction if it still points to our device.
 */
class DeviceSymlink {
public:
    DeviceSymlink() = default;
    ~DeviceSymlink();
    DeviceSymlink(const DeviceSymlink&) = delete;
    DeviceSymlink& operator=(const DeviceSymlink&) = delete;

    bool create(const QString& target, const QString& linkPath, QString* error);
    void remove();

private:
    QString m_target;
    QString m_linkPath;
};
