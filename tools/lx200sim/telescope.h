#pragma once

#include "clock.h"
#include "focuser.h"
#include "handcontroller.h"
#include "mount.h"
#include "observatory.h"
#include "slewcontrol.h"

#include <QByteArray>
#include <QDateTime>

namespace lx200sim {

enum class MountType { AltAz, Polar, German };

struct TelescopeConfig {
    MountType mountType = MountType::AltAz;
    qint64 gpsDelayNs = 3 * kNsPerSec;     // ":gT#" answers once the GPS has a fix
    qint64 alignDelayNs = 4 * kNsPerSec;   // ":Aa#" answers when the alignment is done
    bool gpsFails = false;                 // ":gT#" answers "0": no fix was found
    qint64 takingNs = HandController::kTakingNs;  // "Taking Control" after GoTo
    bool longFormat = true;                // false: the short forms until ":U#"
    QDateTime utcAtStart = QDateTime::currentDateTimeUtc();
};

// Everything the telescope is and knows: mount, focuser, site and clock,
// hand controller and the few modes the command set toggles.
class Telescope final : public SlewControl {
public:
    Telescope(const Clock &clock, const TelescopeConfig &config);

    Mount &mount() { return m_mount; }
    Focuser &focuser() { return m_focuser; }
    Observatory &observatory() { return m_observatory; }
    HandController &handController() { return m_handController; }
    const TelescopeConfig &config() const { return m_config; }

    MountType mountType() const { return m_mountType; }
    void setMountType(MountType type) { m_mountType = type; }

    // The target of ":Sr"/":Sd", also set by hand-controller gotos.
    Equatorial target() const { return m_target; }
    void setTargetRa(double hours);
    void setTargetDec(double degrees);
    QByteArray targetName() const { return m_targetName; }

    SlewVerdict slewTo(const Equatorial &target, const QByteArray &name,
                       HorizonCheck check = HorizonCheck::Apply) override;
    bool slewing() override { return m_mount.gotoActive(); }
    Equatorial pointing() override { return m_mount.position(); }

    bool longFormat() const { return m_longFormat; }
    void toggleLongFormat() { m_longFormat = !m_longFormat; }
    bool highPrecision() const { return m_highPrecision; }
    void toggleHighPrecision() { m_highPrecision = !m_highPrecision; }

    // ":GW#" letters.
    char mountLetter() const;
    char trackingLetter() const;
    char alignmentLetter() const { return m_parked ? 'P' : m_alignment; }
    void setAlignment(char letter) { m_alignment = letter; }

    bool parked() const { return m_parked; }
    bool asleep() const { return m_asleep; }
    bool canMove() const { return !m_parked && !m_asleep; }
    void park();
    void sleep();
    void wake();
    void initialize();
    void alignFromHome();

private:
    TelescopeConfig m_config;
    Observatory m_observatory;
    Mount m_mount;
    Focuser m_focuser;
    HandController m_handController;
    MountType m_mountType = MountType::AltAz;
    Equatorial m_target;
    QByteArray m_targetName;
    bool m_longFormat = true;
    bool m_highPrecision = false;
    char m_alignment = '0';
    bool m_parked = false;
    bool m_asleep = false;
    bool m_trackingBeforeSleep = true;
};

} // namespace lx200sim
