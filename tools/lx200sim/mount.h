#pragma once

#include "astro.h"
#include "clock.h"

namespace lx200sim {

enum class Direction { North, South, East, West };

// The two axes, modelled in right ascension and declination whatever the mount
// type. Every query first brings the model up to the present on the monotonic
// clock, so positions read between commands move in real time.
class Mount {
public:
    static constexpr double kGuideRate = kSiderealDegPerSec;            // 1x sidereal, ~0.0042 deg/s
    static constexpr double kCenteringRate = 16.0 * kSiderealDegPerSec; // 16x sidereal, ~0.067 deg/s
    static constexpr double kFindRate = 1.5;
    static constexpr double kMaxRate = 8.0;
    static constexpr double kGotoRate = 8.0;  // each axis during a goto

    Mount(const Clock &clock, Equatorial start);

    Equatorial position();
    void syncTo(Equatorial position);

    bool tracking() const { return m_tracking; }
    void setTracking(bool on);

    // Rates in degrees per second on the sky; RA is the east-west axis.
    void setRates(double raRate, double decRate);
    void setRaRate(double rate);
    void setDecRate(double rate);
    double raRate() const { return m_raAxis.rate; }
    double decRate() const { return m_decAxis.rate; }

    // The manual move or guide pulse under way on each axis: +1 east/north,
    // -1 west/south, 0 none (a goto is not counted here).
    int raDirection();
    int decDirection();
    // What each axis moves at by hand: the guide rate during a pulse, else its set rate.
    double raMoveRate() { return moveRate(m_raAxis); }
    double decMoveRate() { return moveRate(m_decAxis); }

    // Manual moves run until stopped; they are ignored during a goto.
    void startMove(Direction direction);
    // A guide pulse: a move at the guide rate that ends by itself.
    void pulse(Direction direction, qint64 durationNs);
    void stopMove(Direction direction);   // stops that direction's axis
    void stopAll();                        // manual moves and any goto

    void startGoto(Equatorial target);
    bool gotoActive();
    bool moving();

private:
    struct Axis {
        double rate = kMaxRate;
        int direction = 0;       // -1, 0, +1
        bool pulsing = false;
        qint64 untilNs = 0;      // end of a pulse
    };

    void advance();
    void integrate(double seconds);
    static double moveRate(const Axis &axis) { return axis.pulsing ? kGuideRate : axis.rate; }
    Axis &axisFor(Direction direction);

    const Clock &m_clock;
    qint64 m_lastNs = 0;
    Equatorial m_position;
    bool m_tracking = true;
    Axis m_raAxis;
    Axis m_decAxis;
    bool m_gotoActive = false;
    Equatorial m_target;
};

} // namespace lx200sim
