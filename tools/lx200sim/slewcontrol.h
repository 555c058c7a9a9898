#pragma once

#include "astro.h"

#include <QByteArray>

namespace lx200sim {

enum class SlewVerdict { Started, BelowHorizon, Parked, Asleep };
enum class HorizonCheck { Apply, Skip };

// What the hand controller needs from the telescope to send it somewhere.
class SlewControl {
public:
    virtual ~SlewControl() = default;
    virtual SlewVerdict slewTo(const Equatorial &target, const QByteArray &name, HorizonCheck check) = 0;
    virtual bool slewing() = 0;
    virtual Equatorial pointing() = 0;
};

} // namespace lx200sim
