#pragma once

// An LX200 client on a thread of its own, as a planetarium program polls:
// ":GR#" every 250 ms on a TCP connection, each reply read to its '#'. The
// thread that made it may block meanwhile (the panel in a pause).

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace orrinet::testing {

using Clock = std::chrono::steady_clock;

class Lx200Poller
{
public:
    static constexpr std::chrono::milliseconds kInterval{250};

    explicit Lx200Poller(unsigned short port);
    ~Lx200Poller();
    Lx200Poller(const Lx200Poller &) = delete;
    Lx200Poller &operator=(const Lx200Poller &) = delete;

    // When each reply was whole, oldest first.
    std::vector<Clock::time_point> replies() const;

private:
    void run(unsigned short port);

    std::atomic<bool> m_stop = false;
    mutable std::mutex m_mutex;
    std::vector<Clock::time_point> m_replies;
    std::thread m_thread;
};

// The longest time without a reply between from and to, in milliseconds.
long long longestGapMs(const std::vector<Clock::time_point> &replies, Clock::time_point from,
                       Clock::time_point to);

} // namespace orrinet::testing
