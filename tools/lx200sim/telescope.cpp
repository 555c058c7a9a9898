#include "telescope.h"

#include "angles.h"

namespace lx200sim {

namespace {
// Power-up pointing: on the meridian at +45 degrees, well above the horizon.
Equatorial startPointing(const Observatory &observatory)
{
    return {observatory.localSiderealDegrees() / 15.0, 45.0};
}
} // namespace

Telescope::Telescope(const Clock &clock, const TelescopeConfig &config)
    : m_config(config),
      m_observatory(clock, config.utcAtStart),
      m_mount(clock, startPointing(m_observatory)),
      m_focuser(clock),
      m_handController(clock, *this, config.takingNs),
      m_mountType(config.mountType),
      m_target(startPointing(m_observatory)),
      m_longFormat(config.longFormat)
{
}

void Telescope::setTargetRa(double hours)
{
    m_target.raHours = hours;
    m_targetName.clear();
}

void Telescope::setTargetDec(double degrees)
{
    m_target.decDegrees = degrees;
    m_targetName.clear();
}

SlewVerdict Telescope::slewTo(const Equatorial &target, const QByteArray &name, HorizonCheck check)
{
    if (m_parked)
        return SlewVerdict::Parked;
    if (m_asleep)
        return SlewVerdict::Asleep;
    m_target = target;
    m_targetName = name;
    if (check == HorizonCheck::Apply && m_observatory.horizontal(target).altitudeDegrees < 0)
        return SlewVerdict::BelowHorizon;
    m_mount.startGoto(target);
    return SlewVerdict::Started;
}

char Telescope::mountLetter() const
{
    switch (m_mountType) {
    case MountType::AltAz:
        return 'A';
    case MountType::Polar:
        return 'P';
    case MountType::German:
        return 'G';
    }
    return 'A';
}

char Telescope::trackingLetter() const
{
    if (m_asleep)
        return 'S';
    return m_mount.tracking() ? 'T' : 'N';
}

void Telescope::park()
{
    m_mount.stopAll();
    m_mount.setTracking(false);
    m_parked = true;
    m_asleep = false;
}

void Telescope::sleep()
{
    if (m_parked || m_asleep)
        return;
    m_mount.stopAll();
    m_trackingBeforeSleep = m_mount.tracking();
    m_mount.setTracking(false);
    m_asleep = true;
}

void Telescope::wake()
{
    if (!m_asleep)
        return;
    m_asleep = false;
    m_mount.setTracking(m_trackingBeforeSleep);
}

void Telescope::initialize()
{
    m_mount.stopAll();
    m_parked = false;
    m_asleep = false;
    m_alignment = '0';
    m_mount.setTracking(true);
}

void Telescope::alignFromHome()
{
    m_mount.stopAll();
    m_parked = false;
    m_asleep = false;
    m_alignment = 'H';
    m_mount.setTracking(true);
}

} // namespace lx200sim
