#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <memory>

class QSocketNotifier;

namespace orrinet {

// A TCP connection to a network serial bridge ("tcp://HOST:PORT") on the
// system's sockets, watched by socket notifiers as QSerialPort watches its
// device. The panel so loads no network library at start-up: QtNetwork with
// its Kerberos, GSSAPI and proxy libraries is about 1.5 MiB resident, for a
// line most users never choose. Error texts are those QTcpSocket gives.
//
// connectTo() blocks until connected or the time-out, like the open of a
// serial device; reading and writing never block. A connection that fails
// once open (the far end closed, reset) reports failed() once and reads and
// writes nothing more until abort().
class TcpBridge final : public QIODevice
{
    Q_OBJECT

public:
    explicit TcpBridge(QObject *parent = nullptr);
    ~TcpBridge() override;

    // Resolves the host and connects to the first of its addresses that
    // answers, all within timeoutMs. False with errorString() set.
    bool connectTo(const QString &host, quint16 port, int timeoutMs);
    // Connected, and no failure reported since.
    bool isConnected() const { return m_fd >= 0 && !m_failed; }
    // Hands what is still queued to the system, as far as it takes it now.
    void flushOutput();
    // Closes at once; what is queued is dropped.
    void abort();

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

Q_SIGNALS:
    void failed(const QString &reason);

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    bool connectAddress(const void *address, unsigned length, int family, qint64 remainingMs);
    void readSocket();
    void fail(int error);

    int m_fd = -1;
    bool m_failed = false;
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    QByteArray m_input;
    QByteArray m_output;
};

} // namespace orrinet
