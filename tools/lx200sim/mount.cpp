#include "mount.h"

#include "angles.h"

#include <algorithm>
#include <cmath>

namespace lx200sim {

Mount::Mount(const Clock &clock, Equatorial start)
    : m_clock(clock), m_lastNs(clock.nowNs()), m_position(start)
{
}

Equatorial Mount::position()
{
    advance();
    return m_position;
}

void Mount::syncTo(Equatorial position)
{
    advance();
    m_position = position;
}

void Mount::setTracking(bool on)
{
    advance();
    m_tracking = on;
}

void Mount::setRates(double raRate, double decRate)
{
    advance();
    m_raAxis.rate = raRate;
    m_decAxis.rate = decRate;
}

void Mount::setRaRate(double rate)
{
    advance();
    m_raAxis.rate = rate;
}

void Mount::setDecRate(double rate)
{
    advance();
    m_decAxis.rate = rate;
}

Mount::Axis &Mount::axisFor(Direction direction)
{
    return direction == Direction::North || direction == Direction::South ? m_decAxis : m_raAxis;
}

namespace {
// East raises the right ascension, north the declination.
int signOf(Direction direction)
{
    return direction == Direction::North || direction == Direction::East ? 1 : -1;
}
} // namespace

void Mount::startMove(Direction direction)
{
    advance();
    if (m_gotoActive)
        return;
    Axis &axis = axisFor(direction);
    axis.direction = signOf(direction);
    axis.pulsing = false;
}

void Mount::pulse(Direction direction, qint64 durationNs)
{
    advance();
    if (m_gotoActive || durationNs <= 0)
        return;
    Axis &axis = axisFor(direction);
    axis.direction = signOf(direction);
    axis.pulsing = true;
    axis.untilNs = m_lastNs + durationNs;
}

void Mount::stopMove(Direction direction)
{
    advance();
    Axis &axis = axisFor(direction);
    axis.direction = 0;
    axis.pulsing = false;
}

void Mount::stopAll()
{
    advance();
    m_raAxis.direction = 0;
    m_raAxis.pulsing = false;
    m_decAxis.direction = 0;
    m_decAxis.pulsing = false;
    m_gotoActive = false;
}

void Mount::startGoto(Equatorial target)
{
    advance();
    m_raAxis.direction = 0;
    m_raAxis.pulsing = false;
    m_decAxis.direction = 0;
    m_decAxis.pulsing = false;
    m_target = target;
    m_gotoActive = true;
}

bool Mount::gotoActive()
{
    advance();
    return m_gotoActive;
}

int Mount::raDirection()
{
    advance();
    return m_raAxis.direction;
}

int Mount::decDirection()
{
    advance();
    return m_decAxis.direction;
}

bool Mount::moving()
{
    advance();
    return m_gotoActive || m_raAxis.direction != 0 || m_decAxis.direction != 0;
}

void Mount::advance()
{
    const qint64 now = m_clock.nowNs();
    // Guide pulses end part-way: integrate up to each end in turn.
    for (;;) {
        qint64 nextEnd = now;
        Axis *ending = nullptr;
        for (Axis *axis : {&m_raAxis, &m_decAxis}) {
            if (axis->pulsing && axis->direction != 0 && axis->untilNs <= nextEnd) {
                nextEnd = axis->untilNs;
                ending = axis;
            }
        }
        if (!ending)
            break;
        integrate(static_cast<double>(nextEnd - m_lastNs) / 1e9);
        m_lastNs = nextEnd;
        ending->direction = 0;
        ending->pulsing = false;
    }
    if (now > m_lastNs) {
        integrate(static_cast<double>(now - m_lastNs) / 1e9);
        m_lastNs = now;
    }
}

void Mount::integrate(double seconds)
{
    if (seconds <= 0)
        return;
    double raDeg = m_position.raHours * 15.0;
    double dec = m_position.decDegrees;

    // Untracked, the mount stands still against the ground while the sky turns.
    if (!m_tracking)
        raDeg += kSiderealDegPerSec * seconds;

    if (m_gotoActive) {
        const double step = kGotoRate * seconds;
        const double raLeft = wrap180(m_target.raHours * 15.0 - raDeg);
        const double decLeft = m_target.decDegrees - dec;
        const bool raDone = std::fabs(raLeft) <= step;
        const bool decDone = std::fabs(decLeft) <= step;
        raDeg = raDone ? m_target.raHours * 15.0 : raDeg + std::copysign(step, raLeft);
        dec = decDone ? m_target.decDegrees : dec + std::copysign(step, decLeft);
        if (raDone && decDone)
            m_gotoActive = false;
    } else {
        raDeg += m_raAxis.direction * moveRate(m_raAxis) * seconds;
        dec += m_decAxis.direction * moveRate(m_decAxis) * seconds;
    }

    m_position.raHours = wrap360(raDeg) / 15.0;
    m_position.decDegrees = std::clamp(dec, -90.0, 90.0);
}

} // namespace lx200sim
