#pragma once

#include "hub/hubcommandline.h"
#include "hub/hubcore.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QTcpServer;
class QTcpSocket;

namespace orrinet {
class SerialPort;
}

namespace orrinet::hub {

// The hub on the network: a TCP server per listen address, one socket per
// client, the telescope line, and the core between them. Logs go to standard
// error, one line per event.
class HubServer final : public QObject, private HubOutput
{
    Q_OBJECT

public:
    static constexpr int kReopenIntervalMs = 2000;
    // After the last stops at exit, time for the line to take them.
    static constexpr int kDrainMs = 100;

    // The line is open already.
    HubServer(HubSettings settings, SerialPort &line, QObject *parent = nullptr);
    ~HubServer() override;

    // Listens on every address and logs "listening on ADDR:PORT" for each;
    // a one-line reason when one of them fails.
    std::optional<QString> listen(const QList<ListenAddress> &addresses);

    // Stops every move a client left running, then finished() once the line
    // has had the time to take the stops.
    void shutdown();

Q_SIGNALS:
    void finished();

private:
    void writeLine(const QByteArray &command) override;
    void sendToClient(ClientId client, const QByteArray &reply) override;
    void log(const QString &line) override;

    void accept(QTcpServer *server);
    void drop(ClientId client, const QString &reason);
    void lineReceived();
    void lineLost(const QString &reason);
    void reopen();
    void reschedule();
    qint64 now() const { return m_clock.elapsed(); }

    HubCore m_core;
    SerialPort &m_line;
    QElapsedTimer m_clock;
    QTimer m_deadline;
    QTimer m_reopen;
    std::vector<std::unique_ptr<QTcpServer>> m_servers;
    std::map<ClientId, QTcpSocket *> m_sockets;
    ClientId m_nextClient = 1;
    bool m_stopping = false;
};

} // namespace orrinet::hub
