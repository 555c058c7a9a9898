#include "platform/tcpbridge.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orrinet {

namespace {

// The texts QTcpSocket gives for the same failures.
QString socketErrorText(int error)
{
    switch (error) {
    case ECONNREFUSED:
        return QStringLiteral("Connection refused");
    case ETIMEDOUT:
        return QStringLiteral("Connection timed out");
    case EHOSTUNREACH:
        return QStringLiteral("Host unreachable");
    case ENETUNREACH:
        return QStringLiteral("Network unreachable");
    case EACCES:
    case EPERM:
        return QStringLiteral("Permission denied");
    case EPIPE:
    case ECONNRESET:
    case 0: // end of input
        return QStringLiteral("The remote host closed the connection");
    default:
        return QStringLiteral("Unknown error");
    }
}

} // namespace

TcpBridge::TcpBridge(QObject *parent) : QIODevice(parent) {}

TcpBridge::~TcpBridge()
{
    abort();
}

bool TcpBridge::connectTo(const QString &host, quint16 port, int timeoutMs)
{
    abort();
    const QDeadlineTimer deadline(timeoutMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo *found = nullptr;
    const QByteArray service = QByteArray::number(port);
    if (getaddrinfo(host.toUtf8().constData(), service.constData(), &hints, &found) != 0 ||
        !found) {
        setErrorString(QStringLiteral("Host not found"));
        return false;
    }
    bool connected = false;
    for (const addrinfo *address = found; address && !connected; address = address->ai_next)
        connected = connectAddress(address->ai_addr, address->ai_addrlen, address->ai_family,
                                   deadline.remainingTime());
    freeaddrinfo(found);
    if (!connected)
        return false;

    // Commands are a few bytes each and their spacing matters: no coalescing.
    const int one = 1;
    setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    m_readable = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_readable.get(), &QSocketNotifier::activated, this, &TcpBridge::readSocket);
    m_writable = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Write);
    m_writable->setEnabled(false);
    connect(m_writable.get(), &QSocketNotifier::activated, this, &TcpBridge::flushOutput);
    QIODevice::open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    setErrorString(QString());
    return true;
}

bool TcpBridge::connectAddress(const void *address, unsigned length, int family, qint64 remainingMs)
{
    const int fd = socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        setErrorString(socketErrorText(errno));
        return false;
    }
    int error = 0;
    if (::connect(fd, static_cast<const sockaddr *>(address), length) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            pollfd waiting{fd, POLLOUT, 0};
            int ready = 0;
            do {
                ready = poll(&waiting, 1, int(qMax<qint64>(remainingMs, 0)));
            } while (ready < 0 && errno == EINTR);
            socklen_t size = sizeof error;
            if (ready == 0) {
                ::close(fd);
                setErrorString(QStringLiteral("Socket operation timed out"));
                return false;
            }
            if (ready < 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
                error = errno;
        }
    }
    if (error != 0) {
        ::close(fd);
        setErrorString(socketErrorText(error));
        return false;
    }
    m_fd = fd;
    m_failed = false;
    return true;
}

void TcpBridge::abort()
{
    m_readable.reset();
    m_writable.reset();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_failed = false;
    m_input.clear();
    m_output.clear();
    if (isOpen())
        QIODevice::close();
}

qint64 TcpBridge::bytesAvailable() const
{
    return m_input.size() + QIODevice::bytesAvailable();
}

qint64 TcpBridge::readData(char *data, qint64 maxSize)
{
    const qint64 count = qMin<qint64>(maxSize, m_input.size());
    std::copy_n(m_input.constData(), count, data);
    m_input.remove(0, count);
    return count;
}

qint64 TcpBridge::writeData(const char *data, qint64 size)
{
    if (!isConnected())
        return -1;
    m_output.append(data, size);
    flushOutput();
    return isConnected() ? size : -1;
}

void TcpBridge::flushOutput()
{
    while (isConnected() && !m_output.isEmpty()) {
        const ssize_t sent =
            ::send(m_fd, m_output.constData(), size_t(m_output.size()), MSG_NOSIGNAL);
        if (sent > 0) {
            m_output.remove(0, sent);
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break; // the rest when the socket can take more
        } else {
            fail(sent < 0 ? errno : 0);
        }
    }
    if (m_writable)
        m_writable->setEnabled(isConnected() && !m_output.isEmpty());
}

void TcpBridge::readSocket()
{
    char buffer[4096];
    bool arrived = false;
    int error = -1;
    while (isConnected()) {
        const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            m_input.append(buffer, got);
            arrived = true;
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                error = got == 0 ? 0 : errno;
            break;
        }
    }
    // What came before the end is still read first.
    if (arrived)
        Q_EMIT readyRead();
    if (error >= 0)
        fail(error);
}

void TcpBridge::fail(int error)
{
    if (m_failed)
        return;
    m_failed = true;
    if (m_readable)
        m_readable->setEnabled(false);
    if (m_writable)
        m_writable->setEnabled(false);
    setErrorString(socketErrorText(error));
    Q_EMIT failed(errorString());
}

} // namespace orrinet
