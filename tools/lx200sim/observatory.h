#pragma once

#include "astro.h"
#include "clock.h"

#include <QByteArray>
#include <QDateTime>

#include <array>

namespace lx200sim {

// Where the telescope stands. Longitudes follow the LX200 convention: west positive.
struct Site {
    double latitudeDegrees = 33.0 + 52.0 / 60.0;
    double westLongitudeDegrees = 117.0 + 5.0 / 60.0;
    double utcOffsetHours = 8.0;   // hours added to local time to give UTC
    std::array<QByteArray, 4> names{"Home", "Site 2", "Site 3", "Site 4"};
};

// The site plus the telescope's own clock, which runs on the monotonic clock
// from a starting UTC instant and can be reset by the date/time commands.
class Observatory {
public:
    Observatory(const Clock &clock, const QDateTime &utcAtStart);

    Site &site() { return m_site; }
    const Site &site() const { return m_site; }

    QDateTime utc() const;
    // Local wall-clock time (UTC minus the offset), carried in a UTC QDateTime.
    QDateTime local() const;
    void setLocal(const QDateTime &localWallTime);

    double localSiderealDegrees() const;
    double hourAngleDegrees(const Equatorial &position) const;
    Horizontal horizontal(const Equatorial &position) const;

private:
    const Clock &m_clock;
    qint64 m_baseNs = 0;
    QDateTime m_baseUtc;
    Site m_site;
};

} // namespace lx200sim
