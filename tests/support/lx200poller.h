#pragma once

// An LX200 client on a thread of its own, as a planetarium program polls:
// ":GR#" every 250 ms over TCP, each reply read to its '#', its time kept.
// The thread that made it may block meanwhile (the panel in a pause).

#include <QTcpSocket>
#include <algorithm>
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
    explicit Lx200Poller(quint16 port) : m_thread([this, port] { run(port); }) {}
    ~Lx200Poller()
    {
        m_stop = true;
        m_thread.join();
    }

    std::vector<Clock::time_point> replies() const
    {
        const std::lock_guard lock(m_mutex);
        return m_replies;
    }

private:
    void run(quint16 port)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        for (auto next = Clock::now(); !m_stop && socket.waitForConnected(); next += kInterval) {
            socket.write(":GR#");
            QByteArray reply;
            while (!m_stop && !reply.endsWith('#') && socket.state() == QTcpSocket::ConnectedState)
                if (socket.waitForReadyRead(100))
                    reply += socket.readAll();
            const std::lock_guard lock(m_mutex);
            m_replies.push_back(Clock::now());
            std::this_thread::sleep_until(next + kInterval);
        }
    }

    static constexpr std::chrono::milliseconds kInterval{250};
    std::atomic<bool> m_stop = false;
    mutable std::mutex m_mutex;
    std::vector<Clock::time_point> m_replies;
    std::thread m_thread;
};

// The longest time without a reply between from and to, in milliseconds.
inline long long longestGapMs(const std::vector<Clock::time_point> &replies, Clock::time_point from,
                              Clock::time_point to)
{
    Clock::time_point last = from;
    Clock::duration longest{};
    for (const Clock::time_point at : replies)
        if (at > from && at <= to)
            longest = std::max(longest, at - std::exchange(last, at));
    longest = std::max(longest, to - last);
    return std::chrono::duration_cast<std::chrono::milliseconds>(longest).count();
}

} // namespace orrinet::testing
