#include "ptytransport.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace lx200sim {

PtyTransport::PtyTransport(QObject *parent) : QObject(parent) {}

PtyTransport::~PtyTransport()
{
    hangUp();
}

bool PtyTransport::open(QString *error)
{
    const auto fail = [&](const char *step) {
        *error = QStringLiteral("%1: %2").arg(QLatin1String(step), QString::fromLocal8Bit(std::strerror(errno)));
        hangUp();
        return false;
    };
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0)
        return fail("posix_openpt");
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return fail("unlockpt");
    char name[128];
    if (::ptsname_r(m_master, name, sizeof name) != 0)
        return fail("ptsname");
    m_slavePath = QString::fromLocal8Bit(name);

    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_slave < 0)
        return fail("open slave");
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    tio.c_cflag |= CLOCAL | CREAD;
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0)
        return fail("tcsetattr");

    // Watched after our own open, so only clients are counted.
    m_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watch < 0 || ::inotify_add_watch(m_watch, name, IN_OPEN | IN_CLOSE) < 0)
        return fail("inotify");

    m_watchNotifier = std::make_unique<QSocketNotifier>(m_watch, QSocketNotifier::Read);
    connect(m_watchNotifier.get(), &QSocketNotifier::activated, this, &PtyTransport::readOpensAndCloses);
    m_masterNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_masterNotifier.get(), &QSocketNotifier::activated, this, &PtyTransport::readMaster);
    return true;
}

void PtyTransport::hangUp()
{
    m_masterNotifier.reset();
    m_watchNotifier.reset();
    for (int *fd : {&m_watch, &m_slave, &m_master}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    m_clients = 0;
}

qint64 PtyTransport::writeBytes(QByteArrayView bytes)
{
    if (m_master < 0 || m_clients == 0)
        return -1;
    const ssize_t n = ::write(m_master, bytes.data(), static_cast<size_t>(bytes.size()));
    if (n >= 0)
        return n;
    return errno == EAGAIN || errno == EINTR ? 0 : -1;
}

void PtyTransport::readMaster()
{
    // A client opens the device before it writes: count it first, so its
    // command is not answered into the void.
    readOpensAndCloses();
    char buffer[512];
    while (m_master >= 0) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            return;
        Q_EMIT received(QByteArray(buffer, n));
    }
}

void PtyTransport::readOpensAndCloses()
{
    if (m_watch < 0)
        return;
    alignas(inotify_event) char buffer[4096];
    const int before = m_clients;
    for (;;) {
        const ssize_t n = ::read(m_watch, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t offset = 0; offset < n;) {
            inotify_event event;
            std::memcpy(&event, buffer + offset, sizeof event);
            if (event.mask & IN_OPEN)
                ++m_clients;
            if ((event.mask & IN_CLOSE) && m_clients > 0)
                --m_clients;
            offset += static_cast<ssize_t>(sizeof event + event.len);
        }
    }
    if (before == 0 && m_clients > 0) {
        discardUnread();
        Q_EMIT clientArrived();
    } else if (before > 0 && m_clients == 0) {
        ::ioctl(m_slave, TIOCNXCL);
        discardUnread();
        Q_EMIT clientGone();
    }
}

void PtyTransport::discardUnread()
{
    ::tcflush(m_master, TCOFLUSH);
    ::tcflush(m_slave, TCIFLUSH);
}

} // namespace lx200sim
