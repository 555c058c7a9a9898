#pragma once

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

namespace orrinet::hub {

using Subnet = QPair<QHostAddress, int>;

// "192.168.1.0/24", "::1/128", or a single address. nullopt when it is none.
std::optional<Subnet> parseSubnet(const QString &text);

// Who may connect, and who may only query.
struct AccessRules
{
    QList<Subnet> allow;    // empty: anyone who reaches a listen address
    QList<Subnet> readOnly; // clients that may only query

    bool allows(const QHostAddress &address) const;
    bool isReadOnly(const QHostAddress &address) const;
};

// An IPv4 client seen through an IPv6 socket as ::ffff:a.b.c.d is a.b.c.d.
QHostAddress plainAddress(const QHostAddress &address);

// "127.0.0.1:4030", "[::1]:4030".
QString endpointText(const QHostAddress &address, quint16 port);

} // namespace orrinet::hub
