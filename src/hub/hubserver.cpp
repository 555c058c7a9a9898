#include "hub/hubserver.h"

#include "platform/serialport.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <cstdio>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace orrinet::hub {

namespace {

// A client whose machine vanished (power, WiFi) is noticed within about
// 10 + 3 x 5 seconds instead of the system's two hours.
void keepAlive(QTcpSocket &socket)
{
    socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
#ifdef Q_OS_LINUX
    const auto fd = static_cast<int>(socket.socketDescriptor());
    for (const auto &[option, value] :
         {std::pair{TCP_KEEPIDLE, 10}, std::pair{TCP_KEEPINTVL, 5}, std::pair{TCP_KEEPCNT, 3}})
        ::setsockopt(fd, IPPROTO_TCP, option, &value, sizeof value);
#endif
}

} // namespace

HubServer::HubServer(HubSettings settings, SerialPort &line, QObject *parent)
    : QObject(parent), m_core(std::move(settings), *this), m_line(line)
{
    m_clock.start();
    m_deadline.setSingleShot(true);
    m_deadline.setTimerType(Qt::PreciseTimer);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_core.advance(now());
        reschedule();
    });
    m_reopen.setInterval(kReopenIntervalMs);
    connect(&m_reopen, &QTimer::timeout, this, &HubServer::reopen);

    m_line.setReceiveThreshold(1);
    connect(&m_line, &SerialPort::received, this, &HubServer::lineReceived);
    connect(&m_line, &SerialPort::connectionLost, this, &HubServer::lineLost);
}

HubServer::~HubServer()
{
    for (const auto &[client, socket] : m_sockets) {
        socket->disconnect(this);
        socket->abort();
        delete socket;
    }
}

std::optional<QString> HubServer::listen(const QList<ListenAddress> &addresses)
{
    for (const ListenAddress &address : addresses) {
        auto server = std::make_unique<QTcpServer>();
        if (!server->listen(address.address, address.port))
            return QStringLiteral("cannot listen on %1: %2")
                .arg(endpointText(address.address, address.port), server->errorString());
        QTcpServer *const raw = server.get();
        connect(raw, &QTcpServer::newConnection, this, [this, raw] { accept(raw); });
        log(QStringLiteral("listening on %1")
                .arg(endpointText(raw->serverAddress(), raw->serverPort())));
        m_servers.push_back(std::move(server));
    }
    return std::nullopt;
}

void HubServer::accept(QTcpServer *server)
{
    while (QTcpSocket *const socket = server->nextPendingConnection()) {
        socket->setParent(nullptr);
        const ClientId client = m_nextClient++;
        if (m_stopping ||
            !m_core.clientConnected(client, socket->peerAddress(), socket->peerPort(), now())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        keepAlive(*socket);
        m_sockets[client] = socket;
        connect(socket, &QTcpSocket::readyRead, this, [this, client, socket] {
            m_core.clientBytes(client, socket->readAll(), now());
            reschedule();
        });
        connect(socket, &QTcpSocket::disconnected, this,
                [this, client] { drop(client, QStringLiteral("closed by the client")); });
        connect(socket, &QTcpSocket::errorOccurred, this,
                [this, client, socket](QAbstractSocket::SocketError error) {
                    drop(client, error == QAbstractSocket::RemoteHostClosedError
                                     ? QStringLiteral("closed by the client")
                                     : socket->errorString());
                });
    }
    reschedule();
}

void HubServer::drop(ClientId client, const QString &reason)
{
    const auto found = m_sockets.find(client);
    if (found == m_sockets.end())
        return;
    QTcpSocket *const socket = found->second;
    m_sockets.erase(found);
    socket->disconnect(this);
    socket->deleteLater();
    m_core.clientGone(client, reason, now());
    reschedule();
}

void HubServer::writeLine(const QByteArray &command)
{
    m_line.write(QString::fromLatin1(command));
}

void HubServer::sendToClient(ClientId client, const QByteArray &reply)
{
    const auto found = m_sockets.find(client);
    if (found != m_sockets.end())
        found->second->write(reply);
}

void HubServer::log(const QString &line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

void HubServer::lineReceived()
{
    if (m_line.commEvent() != SerialPort::EventReceive)
        return;
    m_core.lineBytes(m_line.readAll().toLatin1(), now());
    reschedule();
}

void HubServer::lineLost(const QString &reason)
{
    m_core.lineLost(reason, now());
    m_reopen.start();
    reschedule();
}

void HubServer::reopen()
{
    if (m_line.isOpen() || !m_line.open())
        return;
    m_reopen.stop();
    m_core.lineBack(now());
    reschedule();
}

void HubServer::reschedule()
{
    const std::optional<qint64> due = m_core.nextDeadline();
    if (!due) {
        m_deadline.stop();
        return;
    }
    m_deadline.start(static_cast<int>(std::clamp<qint64>(*due - now(), 0, 24 * 3600 * 1000)));
}

void HubServer::shutdown()
{
    if (m_stopping)
        return;
    m_stopping = true;
    m_core.stopAllMoves();
    QTimer::singleShot(kDrainMs, this, &HubServer::finished);
}

} // namespace orrinet::hub
