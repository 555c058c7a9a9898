#include "signalwatcher.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace lx200sim {

namespace {
// The handler can reach nothing but this descriptor; one watcher per process.
volatile sig_atomic_t g_writeEnd = -1;

void onSignal(int signalNumber)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    if (g_writeEnd >= 0) {
        [[maybe_unused]] const auto n = ::write(g_writeEnd, &byte, 1);
    }
    errno = saved;
}
} // namespace

SignalWatcher::SignalWatcher(std::initializer_list<int> signalNumbers, QObject *parent) : QObject(parent)
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_writeEnd = m_pipe[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &SignalWatcher::drain);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : signalNumbers)
        ::sigaction(number, &action, nullptr);
}

SignalWatcher::~SignalWatcher()
{
    g_writeEnd = -1;
    m_notifier.reset();
    for (const int fd : m_pipe) {
        if (fd >= 0)
            ::close(fd);
    }
}

void SignalWatcher::drain()
{
    unsigned char byte = 0;
    while (::read(m_pipe[0], &byte, 1) == 1)
        Q_EMIT caught(byte);
}

} // namespace lx200sim
