#include "focuser.h"

#include <algorithm>

namespace lx200sim {

Focuser::Focuser(const Clock &clock) : m_clock(clock), m_lastNs(clock.nowNs()) {}

void Focuser::setSpeed(int speed)
{
    advance();
    m_speed = std::clamp(speed, 1, 4);
}

void Focuser::move(int direction)
{
    advance();
    m_direction = std::clamp(direction, -1, 1);
}

double Focuser::position()
{
    advance();
    return m_position;
}

int Focuser::direction()
{
    advance();
    return m_direction;
}

bool Focuser::moving()
{
    advance();
    return m_direction != 0;
}

void Focuser::advance()
{
    const qint64 now = m_clock.nowNs();
    const double seconds = static_cast<double>(now - m_lastNs) / 1e9;
    m_lastNs = now;
    if (m_direction == 0)
        return;
    const double next = m_position + m_direction * kSpeeds[static_cast<size_t>(m_speed - 1)] * seconds;
    m_position = std::clamp(next, 0.0, kTravel);
    if (m_position == 0.0 || m_position == kTravel)
        m_direction = 0;  // end stop
}

} // namespace lx200sim
