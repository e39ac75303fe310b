#include "link/portoffers.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSet>

#include <algorithm>

namespace {

QString usbIds(const QSerialPortInfo& info)
{
    if (!info.hasVendorIdentifier() || !info.hasProductIdentifier())
        return {};
    return QStringLiteral("%1:%2")
        .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
        .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
}

/** The port the system lists under that device path, if any. */
const QSerialPortInfo* findPort(const QList<QSerialPortInfo>& ports, const QString& device)
{
    for (const QSerialPortInfo& port : ports) {
        if (port.systemLocation() == device)
            return &port;
    }
    return nullptr;
}

PortOffer offerFor(const QString& device, const QString& target, const QSerialPortInfo* info)
{
    PortOffer offer{device, target, QString(), QString()};
    if (info) {
        offer.description = info->description();
        offer.usbIds = usbIds(*info);
    }
    return offer;
}

}  // namespace

QList<PortOffer> availablePorts(const QString& byIdFolder)
{
    QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    std::sort(ports.begin(), ports.end(), [](const QSerialPortInfo& a, const QSerialPortInfo& b) {
        return a.systemLocation() < b.systemLocation();
    });
    QList<PortOffer> offers;
    QSet<QString> reached;
    const QFileInfoList links =
        QDir(byIdFolder)
            .entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& link : links) {
        const QString target = link.canonicalFilePath();
        if (target.isEmpty())
            continue;  // a dangling link: its adapter is gone
        offers.append(offerFor(link.absoluteFilePath(), target, findPort(ports, target)));
        reached.insert(target);
    }
    for (const QSerialPortInfo& port : ports) {
        if (!reached.contains(port.systemLocation()))
            offers.append(offerFor(port.systemLocation(), port.systemLocation(), &port));
    }
    return offers;
}

QString portOfferText(const PortOffer& offer)
{
    const bool link = offer.target != offer.device;
    QString text = link ? QFileInfo(offer.device).fileName() : offer.device;
    QStringList about;
    if (!offer.description.isEmpty())
        about.append(offer.description);
    if (!offer.usbIds.isEmpty())
        about.append(QStringLiteral("USB ") + offer.usbIds);
    if (!about.isEmpty())
        text += QStringLiteral("  (%1)").arg(about.join(QStringLiteral(", ")));
    if (link)
        text += QStringLiteral(" -> ") + offer.target;
    return text;
}
