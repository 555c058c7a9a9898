#include "observatory.h"

#include "angles.h"

#include <QTimeZone>

#include <cmath>

namespace lx200sim {

Observatory::Observatory(const Clock &clock, const QDateTime &utcAtStart)
    : m_clock(clock), m_baseNs(clock.nowNs()), m_baseUtc(utcAtStart.toUTC())
{
}

QDateTime Observatory::utc() const
{
    return m_baseUtc.addMSecs((m_clock.nowNs() - m_baseNs) / kNsPerMs);
}

QDateTime Observatory::local() const
{
    return utc().addMSecs(-std::llround(m_site.utcOffsetHours * 3'600'000.0));
}

void Observatory::setLocal(const QDateTime &localWallTime)
{
    QDateTime wall = localWallTime;
    wall.setTimeZone(QTimeZone::utc());
    m_baseUtc = wall.addMSecs(std::llround(m_site.utcOffsetHours * 3'600'000.0));
    m_baseNs = m_clock.nowNs();
}

double Observatory::localSiderealDegrees() const
{
    return wrap360(greenwichSiderealDegrees(utc()) - m_site.westLongitudeDegrees);
}

double Observatory::hourAngleDegrees(const Equatorial &position) const
{
    return wrap180(localSiderealDegrees() - position.raHours * 15.0);
}

Horizontal Observatory::horizontal(const Equatorial &position) const
{
    return toHorizontal(hourAngleDegrees(position), position.decDegrees, m_site.latitudeDegrees);
}

} // namespace lx200sim
