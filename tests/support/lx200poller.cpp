#include "support/lx200poller.h"

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orrinet::testing {

Lx200Poller::Lx200Poller(unsigned short port) : m_thread([this, port] { run(port); }) {}

Lx200Poller::~Lx200Poller()
{
    m_stop = true;
    m_thread.join();
}

std::vector<Clock::time_point> Lx200Poller::replies() const
{
    const std::lock_guard lock(m_mutex);
    return m_replies;
}

void Lx200Poller::run(unsigned short port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const timeval timeout{0, 100000}; // looks at m_stop this often while waiting
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        m_stop = true;
    auto next = Clock::now();
    while (!m_stop) {
        ::send(fd, ":GR#", 4, MSG_NOSIGNAL);
        for (char c = 0; !m_stop && c != '#';)
            if (::recv(fd, &c, 1, 0) == 0)
                m_stop = true;
        {
            const std::lock_guard lock(m_mutex);
            m_replies.push_back(Clock::now());
        }
        next += kInterval;
        std::this_thread::sleep_until(next);
    }
    ::close(fd);
}

long long longestGapMs(const std::vector<Clock::time_point> &replies, Clock::time_point from,
                       Clock::time_point to)
{
    Clock::time_point last = from;
    Clock::duration longest{};
    for (const Clock::time_point at : replies) {
        if (at <= from || at > to)
            continue;
        longest = std::max(longest, at - last);
        last = at;
    }
    longest = std::max(longest, to - last);
    return std::chrono::duration_cast<std::chrono::milliseconds>(longest).count();
}

} // namespace orrinet::testing
