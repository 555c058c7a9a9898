#pragma once

#include "lineoutput.h"

#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace lx200sim {

// The line as a WiFi serial bridge would offer it: a TCP port on the loopback
// address, one client at a time; a second client is turned away.
class TcpTransport : public QObject, public ByteSink {
    Q_OBJECT
public:
    explicit TcpTransport(QObject *parent = nullptr);

    bool listen(quint16 port, QString *error);
    quint16 port() const { return m_server.serverPort(); }
    bool clientConnected() const { return m_client != nullptr; }
    void hangUp();

    qint64 writeBytes(QByteArrayView bytes) override;

Q_SIGNALS:
    void received(const QByteArray &bytes);
    void clientArrived();
    void clientGone();

private:
    void acceptClient();
    void readClient();
    void dropClient();

    static constexpr qint64 kMaxUnsent = 64 * 1024;

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
};

} // namespace lx200sim
