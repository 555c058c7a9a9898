#include "tcptransport.h"

namespace lx200sim {

TcpTransport::TcpTransport(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpTransport::acceptClient);
}

bool TcpTransport::listen(quint16 port, QString *error)
{
    if (m_server.listen(QHostAddress::LocalHost, port))
        return true;
    *error = m_server.errorString();
    return false;
}

void TcpTransport::hangUp()
{
    m_server.close();
    if (m_client) {
        m_client->disconnect(this);
        m_client->abort();
        m_client->deleteLater();
        m_client = nullptr;
    }
}

qint64 TcpTransport::writeBytes(QByteArrayView bytes)
{
    if (!m_client || m_client->state() != QAbstractSocket::ConnectedState)
        return -1;
    // A client that stops reading must not make the socket buffer grow without end.
    if (m_client->bytesToWrite() >= kMaxUnsent)
        return 0;
    return m_client->write(bytes.data(), bytes.size());
}

void TcpTransport::acceptClient()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_client) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_client = socket;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, &TcpTransport::readClient);
        connect(socket, &QTcpSocket::disconnected, this, &TcpTransport::dropClient);
        Q_EMIT clientArrived();
    }
}

void TcpTransport::readClient()
{
    if (m_client)
        Q_EMIT received(m_client->readAll());
}

void TcpTransport::dropClient()
{
    if (!m_client)
        return;
    m_client->disconnect(this);
    m_client->deleteLater();
    m_client = nullptr;
    Q_EMIT clientGone();
}

} // namespace lx200sim
