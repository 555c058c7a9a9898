#include "astro.h"

#include "angles.h"

#include <algorithm>
#include <cmath>

namespace lx200sim {

namespace {
double rad(double degrees) { return degrees * kPi / 180.0; }
double deg(double radians) { return radians * 180.0 / kPi; }
} // namespace

double julianDate(const QDateTime &utc)
{
    return static_cast<double>(utc.toMSecsSinceEpoch()) / 86'400'000.0 + 2440587.5;
}

double greenwichSiderealDegrees(const QDateTime &utc)
{
    const double d = julianDate(utc) - 2451545.0;
    return wrap360(280.46061837 + 360.98564736629 * d);
}

Horizontal toHorizontal(double hourAngleDegrees, double decDegrees, double latitudeDegrees)
{
    const double h = rad(hourAngleDegrees);
    const double dec = rad(decDegrees);
    const double lat = rad(latitudeDegrees);
    const double sinAlt = std::sin(lat) * std::sin(dec) + std::cos(lat) * std::cos(dec) * std::cos(h);
    const double alt = std::asin(std::clamp(sinAlt, -1.0, 1.0));
    const double az = std::atan2(-std::cos(dec) * std::sin(h),
                                 std::sin(dec) * std::cos(lat) - std::cos(dec) * std::cos(h) * std::sin(lat));
    return {wrap360(deg(az)), deg(alt)};
}

} // namespace lx200sim
