#pragma once

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

/**
 * The addresses allowed to use the shared radio from beyond this computer: single
 * addresses and CIDR ranges, IPv4 and IPv6 ("192.168.1.0/24, 10.0.0.7, fd00::/8").
 * This computer itself (127.0.0.1, ::1) is always allowed; an IPv4 client reaching an
 * IPv6 socket ("::ffff:192.168.1.9") is taken as its IPv4 address.
 */
class AllowList {
public:
    /** The list in text, comma separated (blanks allowed); std::nullopt with *error naming
     *  the entry that is neither an address nor a range. An empty text is an empty list. */
    static std::optional<AllowList> parse(const QString& text, QString* error);

    bool isEmpty() const { return m_ranges.isEmpty(); }
    bool allows(const QHostAddress& peer) const;

private:
    QList<QPair<QHostAddress, int>> m_ranges;
};

/** True for an address that only this computer can reach (127.0.0.0/8, ::1). */
bool isLoopback(const QHostAddress& address);
