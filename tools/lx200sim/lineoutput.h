#pragma once

#include "clock.h"
#include "faults.h"
#include "pacer.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

namespace lx200sim {

// Where the line's bytes go: the pty master or a TCP client.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Returns how many bytes were taken, or -1 when the line is gone.
    virtual qint64 writeBytes(QByteArrayView bytes) = 0;
};

// Sends replies through the pacer at the line's speed, with a timer that
// wakes when the next byte is due. Bytes the sink cannot take yet wait.
class LineOutput : public QObject {
    Q_OBJECT
public:
    LineOutput(const Clock &clock, ByteSink &sink, qint64 nsPerByte, QObject *parent = nullptr);

    // Random bytes whenever no reply is waiting (--flood); null turns it off.
    void setFlood(Noise *noise);

    void send(QByteArray bytes, qint64 notBeforeNs);
    void clear();
    bool idle() const { return !m_pacer.repliesPending() && m_backlog.isEmpty(); }

    // Writes whatever is due now; the timer calls it, tests may too.
    void pump();

Q_SIGNALS:
    void drained();

private:
    void schedule();

    static constexpr qsizetype kPacedFloodChunk = 8;
    static constexpr qsizetype kUnpacedFloodChunk = 1024;

    const Clock &m_clock;
    ByteSink &m_sink;
    LinePacer m_pacer;
    QTimer m_timer;
    QByteArray m_backlog;
    Noise *m_flood = nullptr;
};

} // namespace lx200sim
