#pragma once

// Shared pieces for the simulator's tests: a telescope on hand-driven time at
// a fixed date, and a byte sink that records what left the line and when.

#include "clock.h"
#include "lineoutput.h"
#include "telescope.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QTimeZone>

namespace simtest {

inline lx200sim::TelescopeConfig fixedConfig(lx200sim::MountType type = lx200sim::MountType::AltAz)
{
    lx200sim::TelescopeConfig config;
    config.mountType = type;
    config.utcAtStart = QDateTime(QDate(2024, 3, 15), QTime(4, 0), QTimeZone::utc());
    return config;
}

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

} // namespace simtest
