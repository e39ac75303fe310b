#include "net/allowlist.h"

namespace {

QHostAddress plain(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

}  // namespace

std::optional<AllowList> AllowList::parse(const QString& text, QString* error)
{
    AllowList list;
    for (QString entry : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        entry = entry.trimmed();
        if (entry.isEmpty())
            continue;
        QPair<QHostAddress, int> range;
        QHostAddress single;
        if (entry.contains(QLatin1Char('/')))
            range = QHostAddress::parseSubnet(entry);
        else if ((entry.contains(QLatin1Char(':')) || entry.count(QLatin1Char('.')) == 3) &&
                 single.setAddress(entry))  // not the short forms "10" or "10.1"
            range = {single, single.protocol() == QAbstractSocket::IPv4Protocol ? 32 : 128};
        if (range.first.isNull()) {
            if (error != nullptr)
                *error = QStringLiteral(
                             "\"%1\" is neither an IP address nor an address range "
                             "such as 192.168.1.0/24")
                             .arg(entry);
            return std::nullopt;
        }
        list.m_ranges.append(range);
    }
    return list;
}

bool AllowList::allows(const QHostAddress& peer) const
{
    const QHostAddress address = plain(peer);
    if (address == QHostAddress(QHostAddress::LocalHost) ||
        address == QHostAddress(QHostAddress::LocalHostIPv6))
        return true;
    for (const auto& range : m_ranges) {
        if (address.isInSubnet(range))
            return true;
    }
    return false;
}

bool isLoopback(const QHostAddress& address)
{
    return plain(address).isLoopback();
}
