#pragma once

#include "hub/hubcore.h"

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <variant>

namespace orrinet::hub {

struct ListenAddress
{
    QHostAddress address;
    quint16 port = 0;
};

inline constexpr quint16 kDefaultPort = 4030;

struct HubCommandLine
{
    QString line; // a serial device or "tcp://HOST:PORT"
    QList<ListenAddress> listen;
    HubSettings settings;
    bool help = false;
};

// The options after the program name; a one-line reason when they are wrong.
std::variant<HubCommandLine, QString> parseCommandLine(const QStringList &arguments);

QString usageText();

} // namespace orrinet::hub
