#pragma once

// Shared pieces for the simulator's tests: one line to a telescope on
// hand-driven time at a fixed date, and a byte sink that records what left
// the line and when.

#include "clock.h"
#include "lineoutput.h"
#include "link.h"
#include "telescope.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QTimeZone>

namespace simtest {

struct Write {
    qint64 atNs = 0;
    QByteArray bytes;
};

class RecordingSink final : public lx200sim::ByteSink {
public:
    explicit RecordingSink(const lx200sim::Clock &clock) : m_clock(clock) {}

    qint64 writeBytes(QByteArrayView bytes) override
    {
        if (gone)
            return -1;
        const qint64 taken = capacity < 0 ? bytes.size() : std::min<qint64>(capacity, bytes.size());
        if (taken > 0)
            writes.append({m_clock.nowNs(), bytes.first(taken).toByteArray()});
        if (capacity >= 0)
            capacity -= taken;
        return taken;
    }

    QByteArray all() const
    {
        QByteArray out;
        for (const auto &w : writes)
            out += w.bytes;
        return out;
    }

    QList<Write> writes;
    qint64 capacity = -1;   // bytes still accepted; -1 unlimited
    bool gone = false;

private:
    const lx200sim::Clock &m_clock;
};

// An alt-az telescope at 04:00 UTC on 15 March 2024 (local 20:00 on the 14th
// at the default offset of +8 hours) behind one line; nsPerByte 0 sends
// replies the moment they are due.
struct Line {
    explicit Line(const lx200sim::FaultOptions &faults = {}, qint64 nsPerByte = 0,
                  const lx200sim::TelescopeConfig &telescopeConfig = config())
        : telescope(clock, telescopeConfig), sink(clock),
          link(telescope, clock, sink, faults, nsPerByte)
    {
    }

    static lx200sim::TelescopeConfig config()
    {
        lx200sim::TelescopeConfig config;
        config.utcAtStart = QDateTime(QDate(2024, 3, 15), QTime(4, 0), QTimeZone::utc());
        return config;
    }

    // Sends commands; returns what the line sent back meanwhile.
    QByteArray exchange(const QByteArray &commands)
    {
        const qsizetype before = sink.all().size();
        link.receive(commands);
        return sink.all().mid(before);
    }

    // Lets time pass in 1 ms ticks, sending what falls due.
    void runFor(double ms)
    {
        for (double t = 0; t < ms; t += 1.0) {
            clock.advanceMs(1.0);
            link.output().pump();
        }
    }

    lx200sim::ManualClock clock;
    lx200sim::Telescope telescope;
    RecordingSink sink;
    lx200sim::Link link;
};

} // namespace simtest
