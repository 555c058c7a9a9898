#include "lineoutput.h"

#include <algorithm>

namespace lx200sim {

LineOutput::LineOutput(const Clock &clock, ByteSink &sink, qint64 nsPerByte, QObject *parent)
    : QObject(parent), m_clock(clock), m_sink(sink), m_pacer(nsPerByte)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &LineOutput::pump);
}

void LineOutput::setFlood(Noise *noise)
{
    m_flood = noise;
    schedule();
}

void LineOutput::send(QByteArray bytes, qint64 notBeforeNs)
{
    m_pacer.enqueue(std::move(bytes), notBeforeNs, m_clock.nowNs());
    pump();
}

void LineOutput::clear()
{
    m_pacer.clear();
    m_backlog.clear();
    m_timer.stop();
    schedule();
}

void LineOutput::pump()
{
    const bool hadReplies = !idle();
    const qint64 now = m_clock.nowNs();
    // Keep a little noise queued behind the line so it never falls idle.
    const qsizetype chunk = m_pacer.nsPerByte() > 0 ? kPacedFloodChunk : kUnpacedFloodChunk;
    if (m_flood && !m_pacer.repliesPending() && m_pacer.queuedBytes() < chunk && m_backlog.isEmpty())
        m_pacer.enqueue(m_flood->bytes(chunk), now, now, true);
    m_backlog += m_pacer.takeDue(now);
    if (!m_backlog.isEmpty()) {
        const qint64 written = m_sink.writeBytes(m_backlog);
        if (written < 0)
            m_backlog.clear();
        else
            m_backlog.remove(0, written);
    }
    if (hadReplies && idle())
        Q_EMIT drained();
    schedule();
}

void LineOutput::schedule()
{
    qint64 waitNs = -1;
    if (!m_backlog.isEmpty())
        waitNs = kNsPerMs;  // the sink was full: try again shortly
    else if (const auto due = m_pacer.nextDueNs())
        waitNs = std::max<qint64>(0, *due - m_clock.nowNs());
    else if (m_flood)
        waitNs = 0;
    if (waitNs < 0) {
        m_timer.stop();
        return;
    }
    if (m_flood && m_pacer.nsPerByte() == 0)
        waitNs = std::max<qint64>(waitNs, kNsPerMs);
    m_timer.start(static_cast<int>((waitNs + kNsPerMs - 1) / kNsPerMs));
}

} // namespace lx200sim
