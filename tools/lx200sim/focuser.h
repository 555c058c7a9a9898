#pragma once

#include "clock.h"

#include <array>

namespace lx200sim {

// The focuser: a position in steps, moved in or out at one of four speeds.
class Focuser {
public:
    static constexpr std::array<double, 4> kSpeeds{10.0, 50.0, 200.0, 1000.0};  // steps per second
    static constexpr double kTravel = 50'000.0;

    explicit Focuser(const Clock &clock);

    void setSpeed(int speed);      // 1 slowest .. 4 fastest
    int speed() const { return m_speed; }
    void move(int direction);      // +1 in (":F+#"), -1 out, 0 stop
    double position();
    int direction();               // +1 in, -1 out, 0 still (also after an end stop)
    bool moving();

private:
    void advance();

    const Clock &m_clock;
    qint64 m_lastNs = 0;
    double m_position = kTravel / 2;
    int m_speed = 4;
    int m_direction = 0;
};

} // namespace lx200sim
