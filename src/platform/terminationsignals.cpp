#include "platform/terminationsignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace orrinet {

namespace {
// The handler can reach nothing but this descriptor; one instance per process.
volatile sig_atomic_t g_writeEnd = -1;

void onSignal(int signalNumber)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    if (g_writeEnd >= 0) {
        [[maybe_unused]] const auto n = ::write(g_writeEnd, &byte, 1);
    }
    errno = saved;
}
} // namespace

TerminationSignals::TerminationSignals(std::initializer_list<int> signalNumbers, QObject *parent)
    : QObject(parent), m_signalNumbers(signalNumbers)
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_writeEnd = m_pipe[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::drain);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : m_signalNumbers)
        ::sigaction(number, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    // Without an instance a termination signal terminates again.
    if (m_notifier) {
        for (const int number : m_signalNumbers)
            ::signal(number, SIG_DFL);
    }
    g_writeEnd = -1;
    m_notifier.reset();
    for (const int fd : m_pipe) {
        if (fd >= 0)
            ::close(fd);
    }
}

void TerminationSignals::drain()
{
    unsigned char byte = 0;
    while (::read(m_pipe[0], &byte, 1) == 1)
        Q_EMIT caught(byte);
}

} // namespace orrinet
