#pragma once

#include <QByteArray>

#include <deque>
#include <limits>
#include <optional>

namespace lx200sim {

// Schedules bytes onto a serial line of fixed speed. A byte is due when its
// last bit has left, one character time after it started; the schedule is
// kept against absolute times, so a late caller gets a catch-up burst and the
// average rate stays exact.
class LinePacer {
public:
    // 8N1: ten bits per character.
    static constexpr qint64 nsPerByteForBaud(int baud) { return 10'000'000'000LL / baud; }

    explicit LinePacer(qint64 nsPerByte) : m_nsPerByte(nsPerByte) {}  // 0: no pacing

    // filler marks noise that does not count as a pending reply.
    void enqueue(QByteArray bytes, qint64 notBeforeNs, qint64 nowNs, bool filler = false);
    QByteArray takeDue(qint64 nowNs);
    std::optional<qint64> nextDueNs() const;

    bool empty() const { return m_queue.empty(); }
    bool repliesPending() const { return m_replies > 0; }
    qsizetype queuedBytes() const { return m_queuedBytes; }
    void clear();
    qint64 nsPerByte() const { return m_nsPerByte; }

private:
    struct Chunk {
        QByteArray bytes;
        qint64 notBeforeNs = 0;
        qsizetype sent = 0;
        bool filler = false;
    };

    void pop();

    qint64 m_nsPerByte = 0;
    std::deque<Chunk> m_queue;
    qint64 m_lineFreeNs = std::numeric_limits<qint64>::min();  // when the next byte may start
    int m_replies = 0;
    qsizetype m_queuedBytes = 0;
};

} // namespace lx200sim
