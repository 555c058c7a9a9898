#pragma once

#include "hub/hubcommandline.h"
#include "hub/hubcore.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <atomic>
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
    // A client that leaves this much of its replies unread is dropped.
    static constexpr qint64 kMaxUnreadReplyBytes = 64 * 1024;

    // The line is open already.
    HubServer(HubSettings settings, SerialPort &line, QObject *parent = nullptr);
    ~HubServer() override;

    // Listens on every address and logs "listening on ADDR:PORT" for each;
    // a one-line reason when one of them fails.
    std::optional<QString> listen(const QList<ListenAddress> &addresses);

    // Stops every move a client left running, then finished() once the line
    // has had the time to take the stops.
    void shutdown();
    // Writes the stop of every move a client left running, now.
    void stopAllMoves();

    // Logs go to logged() only, not to standard error.
    void setLogToStandardError(bool on) { m_logToStandardError = on; }
    // traffic() is raised for what network clients send and get while on;
    // may be called from any thread.
    void setReportTraffic(bool on) { m_reportTraffic = on; }

    // A client on this machine, not on the network (the panel sharing its
    // line): its commands come in through panelBytes(), its replies go out
    // through panelReply().
    void attachPanel(const QString &name);
    void panelBytes(const QByteArray &bytes);

Q_SIGNALS:
    void finished();
    void logged(const QString &line);
    void lineGone(const QString &reason);
    void panelReply(const QByteArray &bytes);
    // The network clients, shortly after any of them connected, left or sent something.
    void clientsChanged(const QList<orrinet::hub::HubClientRow> &clients);
    void traffic(const QString &client, bool fromClient, const QByteArray &bytes);

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
    void clientsTouched();
    void reportClients();

    HubCore m_core;
    SerialPort &m_line;
    QElapsedTimer m_clock;
    QTimer m_deadline;
    QTimer m_reopen;
    std::vector<std::unique_ptr<QTcpServer>> m_servers;
    std::map<ClientId, QTcpSocket *> m_sockets;
    std::map<ClientId, HubClientRow> m_rows;
    QTimer m_clientsReport;
    std::optional<ClientId> m_panel;
    ClientId m_nextClient = 1;
    bool m_stopping = false;
    bool m_logToStandardError = true;
    std::atomic<bool> m_reportTraffic = false;
};

} // namespace orrinet::hub
