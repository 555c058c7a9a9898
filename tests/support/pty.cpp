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

namespace {

// Short slices, so that queued events of the program run in between.
constexpr int kSliceMs = 5;

QString systemError(const char *what)
{
    return QLatin1String(what) + QStringLiteral(": ") +
           QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

Pty::Pty()
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_error = systemError("openpty");
        m_master = m_slave = -1;
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    termios raw{};
    if (::tcgetattr(m_slave, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slave, TCSANOW, &raw);
    }
    const int flags = ::fcntl(m_master, F_GETFL);
    ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK);
}

Pty::~Pty()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool Pty::write(const QByteArray &bytes, int timeoutMs)
{
    if (!isOpen())
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(m_master, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (deadline.hasExpired())
            return false;
        pollfd out{m_master, POLLOUT, 0};
        ::poll(&out, 1, kSliceMs);
    }
    return true;
}

bool Pty::waitReadable(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        QCoreApplication::processEvents();
        pollfd in{m_master, POLLIN, 0};
        if (::poll(&in, 1, kSliceMs) > 0 && (in.revents & POLLIN))
            return true;
        if (deadline.hasExpired())
            return false;
    }
}

QByteArray Pty::read(qsizetype count, int timeoutMs)
{
    QByteArray received;
    if (!isOpen())
        return received;
    const QDeadlineTimer deadline(timeoutMs);
    while (received.size() < count) {
        if (!waitReadable(static_cast<int>(deadline.remainingTime())))
            break;
        char buffer[256];
        const qsizetype want = std::min<qsizetype>(count - received.size(), sizeof buffer);
        const ssize_t n = ::read(m_master, buffer, static_cast<size_t>(want));
        if (n > 0)
            received.append(buffer, n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
    }
    return received;
}

QByteArray Pty::readUntilQuiet(int quietMs, int timeoutMs)
{
    QByteArray received;
    if (!isOpen())
        return received;
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const int wait = static_cast<int>(std::min<qint64>(quietMs, deadline.remainingTime()));
        if (!waitReadable(wait))
            break;
        char buffer[256];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0)
            received.append(buffer, n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
    }
    return received;
}

} // namespace orrinet::testing
