#include "support/pty.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace orrinet::testing {

Pty::Pty()
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_error = QStringLiteral("openpty: ") + QString::fromLocal8Bit(std::strerror(errno));
        m_master = m_slave = -1;
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    termios raw{};
    if (::tcgetattr(m_slave, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slave, TCSANOW, &raw);
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

Pty::~Pty()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

QByteArray Pty::read(qsizetype count, int timeoutMs)
{
    QByteArray received;
    const QDeadlineTimer deadline(timeoutMs);
    while (isOpen() && received.size() < count && !deadline.hasExpired()) {
        QCoreApplication::processEvents();
        // Short slices, so that queued events of the program run in between.
        pollfd in{m_master, POLLIN, 0};
        if (::poll(&in, 1, 5) <= 0 || !(in.revents & POLLIN))
            continue;
        char buffer[256];
        const auto want = std::min<qsizetype>(count - received.size(), sizeof buffer);
        const ssize_t n = ::read(m_master, buffer, static_cast<size_t>(want));
        if (n > 0)
            received.append(buffer, n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
    }
    return received;
}

} // namespace orrinet::testing
