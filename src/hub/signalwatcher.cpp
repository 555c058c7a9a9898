#include "hub/signalwatcher.h"

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orrinet::hub {

namespace {

// The write end for the handler; a signal handler can reach nothing else.
volatile sig_atomic_t handlerFd = -1;

void onSignal(int number)
{
    const int saved = errno;
    const char byte = static_cast<char>(number);
    if (handlerFd >= 0) [[maybe_unused]]
        const ssize_t written = ::write(handlerFd, &byte, 1);
    errno = saved;
}

} // namespace

SignalWatcher::SignalWatcher(QObject *parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, m_fds) != 0)
        return;
    ::fcntl(m_fds[0], F_SETFL, O_NONBLOCK);
    ::fcntl(m_fds[1], F_SETFL, O_NONBLOCK);
    handlerFd = m_fds[1];
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGINT, &action, nullptr) != 0 || ::sigaction(SIGTERM, &action, nullptr) != 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_fds[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SignalWatcher::readSignal);
}

SignalWatcher::~SignalWatcher()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    handlerFd = -1;
    m_notifier.reset();
    for (const int fd : m_fds)
        if (fd >= 0)
            ::close(fd);
}

void SignalWatcher::readSignal()
{
    char byte = 0;
    while (::read(m_fds[0], &byte, 1) == 1)
        Q_EMIT terminationRequested(static_cast<unsigned char>(byte));
}

} // namespace orrinet::hub
