#include "sim/devicesymlink.h"

#include <QFile>
#include <QFileInfo>

DeviceSymlink::~DeviceSymlink()
{
    remove();
}

bool DeviceSymlink::create(const QString& target, const QString& linkPath, QString* error)
{
    const QFileInfo existing(linkPath);
    if (existing.isSymLink()) {
        if (!QFile::remove(linkPath)) {
            *error = QStringLiteral("cannot replace the old link %1").arg(linkPath);
            return false;
        }
    } else if (existing.exists()) {
        *error = QStringLiteral("%1 exists and is not a symbolic link; left alone").arg(linkPath);
        return false;
    }
    if (!QFile::link(target, linkPath)) {
        *error = QStringLiteral("cannot create the link %1 -> %2").arg(linkPath, target);
        return false;
    }
    m_target = target;
    m_linkPath = linkPath;
    return true;
}

void DeviceSymlink::remove()
{
    if (m_linkPath.isEmpty()) {
        return;
    }
    const QFileInfo link(m_linkPath);
    if (link.isSymLink() && link.symLinkTarget() == m_target) {
        QFile::remove(m_linkPath);
    }
    m_linkPath.clear();
}
