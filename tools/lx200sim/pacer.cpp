#include "pacer.h"

#include <algorithm>

namespace lx200sim {

void LinePacer::enqueue(QByteArray bytes, qint64 notBeforeNs, qint64 nowNs, bool filler)
{
    if (bytes.isEmpty())
        return;
    m_queuedBytes += bytes.size();
    m_queue.push_back({std::move(bytes), std::max(notBeforeNs, nowNs), 0, filler});
    if (!filler)
        ++m_replies;
}

void LinePacer::pop()
{
    if (!m_queue.front().filler)
        --m_replies;
    m_queue.pop_front();
}

QByteArray LinePacer::takeDue(qint64 nowNs)
{
    QByteArray out;
    while (!m_queue.empty()) {
        Chunk &chunk = m_queue.front();
        const qint64 start = std::max(m_lineFreeNs, chunk.notBeforeNs);
        const qsizetype remaining = chunk.bytes.size() - chunk.sent;
        qsizetype count = remaining;
        if (m_nsPerByte > 0) {
            if (nowNs < start)
                break;
            count = std::min<qsizetype>(remaining, (nowNs - start) / m_nsPerByte);
            if (count == 0)
                break;
        } else if (nowNs < start) {
            break;
        }
        out += QByteArrayView(chunk.bytes).sliced(chunk.sent, count);
        chunk.sent += count;
        m_queuedBytes -= count;
        m_lineFreeNs = start + count * m_nsPerByte;
        if (chunk.sent == chunk.bytes.size())
            pop();
    }
    return out;
}

std::optional<qint64> LinePacer::nextDueNs() const
{
    if (m_queue.empty())
        return std::nullopt;
    return std::max(m_lineFreeNs, m_queue.front().notBeforeNs) + m_nsPerByte;
}

void LinePacer::clear()
{
    m_queue.clear();
    m_replies = 0;
    m_queuedBytes = 0;
}

} // namespace lx200sim
