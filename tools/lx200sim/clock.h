#pragma once

#include <QtGlobal>

namespace lx200sim {

// Monotonic time in nanoseconds. Motion, pacing and delayed replies all read
// this, never the wall clock, so tests can drive time by hand.
class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 nowNs() const = 0;
};

class SteadyClock final : public Clock {
public:
    qint64 nowNs() const override;
};

// Time that only moves when told to.
class ManualClock final : public Clock {
public:
    explicit ManualClock(qint64 startNs = 0) : m_now(startNs) {}
    qint64 nowNs() const override { return m_now; }
    void advanceNs(qint64 ns) { m_now += ns; }
    void advanceMs(double ms) { m_now += static_cast<qint64>(ms * 1e6); }
    void advanceSec(double s) { m_now += static_cast<qint64>(s * 1e9); }

private:
    qint64 m_now = 0;
};

constexpr qint64 kNsPerMs = 1'000'000;
constexpr qint64 kNsPerSec = 1'000'000'000;

} // namespace lx200sim
