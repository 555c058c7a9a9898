#include "hub/access.h"

#include <algorithm>

namespace orrinet::hub {

namespace {

bool inAny(const QList<Subnet> &subnets, const QHostAddress &address)
{
    const QHostAddress plain = plainAddress(address);
    return std::any_of(subnets.begin(), subnets.end(),
                       [&plain](const Subnet &subnet) { return plain.isInSubnet(subnet); });
}

} // namespace

std::optional<Subnet> parseSubnet(const QString &text)
{
    if (!text.contains(u'/')) {
        const QHostAddress address(text);
        if (address.isNull())
            return std::nullopt;
        const QHostAddress plain = plainAddress(address);
        return Subnet{plain, plain.protocol() == QAbstractSocket::IPv4Protocol ? 32 : 128};
    }
    const Subnet subnet = QHostAddress::parseSubnet(text);
    if (subnet.first.isNull() || subnet.second < 0)
        return std::nullopt;
    return subnet;
}

bool AccessRules::allows(const QHostAddress &address) const
{
    return allow.isEmpty() || inAny(allow, address);
}

bool AccessRules::isReadOnly(const QHostAddress &address) const
{
    return inAny(readOnly, address);
}

QHostAddress plainAddress(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

QString endpointText(const QHostAddress &address, quint16 port)
{
    const QHostAddress plain = plainAddress(address);
    const QString host = plain.protocol() == QAbstractSocket::IPv6Protocol
                             ? u'[' + plain.toString() + u']'
                             : plain.toString();
    return host + u':' + QString::number(port);
}

} // namespace orrinet::hub
