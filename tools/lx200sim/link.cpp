#include "link.h"

namespace lx200sim {

Link::Link(Telescope &telescope, const Clock &clock, ByteSink &sink, const FaultOptions &faults,
           qint64 nsPerByte, QObject *parent)
    : QObject(parent),
      m_telescope(telescope),
      m_clock(clock),
      m_faults(faults),
      m_interpreter(telescope),
      m_replyFaults(faults),
      m_noise(faults.seed),
      m_output(clock, sink, nsPerByte, this)
{
    if (m_faults.flood)
        m_output.setFlood(&m_noise);
    connect(&m_output, &LineOutput::drained, this, &Link::checkHangup, Qt::QueuedConnection);
}

void Link::receive(QByteArrayView bytes)
{
    if (m_hangingUp)
        return;
    for (const QByteArray &command : m_framer.feed(bytes)) {
        handle(command);
        if (m_hangingUp)
            return;
    }
}

void Link::handle(const QByteArray &command)
{
    ++m_commands;
    const qint64 now = m_clock.nowNs();
    Q_EMIT framed(command, now);
    const bool busy = m_telescope.slewing();
    const auto reply = m_interpreter.execute(command);
    std::optional<QByteArray> sent;
    if (reply)
        sent = m_replyFaults.apply(command, reply->bytes, busy);
    Q_EMIT exchanged(command, sent.value_or(QByteArray()));
    if (sent) {
        const qint64 notBefore = now + reply->delayNs + m_faults.latencyNs;
        m_output.send(m_noise.mix(*sent, m_faults.garbageRate), notBefore);
    }
    if (m_faults.hangupAfter > 0 && m_commands >= m_faults.hangupAfter) {
        m_hangingUp = true;
        QMetaObject::invokeMethod(this, &Link::checkHangup, Qt::QueuedConnection);
    }
}

void Link::checkHangup()
{
    if (!m_hangingUp || m_hangupSignalled || !m_output.idle())
        return;
    m_hangupSignalled = true;
    Q_EMIT hangupDue();
}

void Link::reset()
{
    m_framer.reset();
    m_output.clear();
}

} // namespace lx200sim
