#pragma once

#include <QDateTime>

namespace lx200sim {

struct Equatorial {
    double raHours = 0;
    double decDegrees = 0;
};

struct Horizontal {
    double azimuthDegrees = 0;   // from north through east
    double altitudeDegrees = 0;
};

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kSiderealDegPerSec = 360.0 / 86164.0905;

double julianDate(const QDateTime &utc);
// Greenwich mean sidereal time in degrees.
double greenwichSiderealDegrees(const QDateTime &utc);
// Hour angle in degrees and declination to azimuth/altitude at a latitude.
Horizontal toHorizontal(double hourAngleDegrees, double decDegrees, double latitudeDegrees);

} // namespace lx200sim
