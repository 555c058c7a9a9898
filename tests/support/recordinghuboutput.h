#pragma once

#include "hub/hubcore.h"

#include <QByteArrayList>
#include <QStringList>
#include <map>

namespace orrinet::hub {

// What the hub core writes to the line, sends to each client and logs.
class RecordingHubOutput final : public HubOutput
{
public:
    void writeLine(const QByteArray &command) override { lineWrites << command; }
    void sendToClient(ClientId client, const QByteArray &reply) override
    {
        received[client] += reply;
    }
    void log(const QString &line) override { logLines << line; }

    QByteArrayList lineWrites;
    std::map<ClientId, QByteArray> received;
    QStringList logLines;
};

} // namespace orrinet::hub
