#pragma once

// The main window's awaited-reply flags, reached by their place in the
// receive handler's test order, and listed by name for readable comparisons:
//
//     waiting(f.window, Awaiting::Gps) = true;
//     QCOMPARE(raisedFlags(f.window), QStringList{"WaitingGps"});

#include "app/frmMain.h"
#include "link/awaited.h"

#include <QStringList>

#include <array>
#include <cstddef>

namespace orrinet::testing {

inline constexpr std::array<bool frmMain::*, kAwaitingCount> kWaitingFlags{
#define ORRINET_WAITING_FLAG(id, flag, threshold, timeout, branch) &frmMain::flag,
    ORRINET_AWAITED_REPLIES(ORRINET_WAITING_FLAG)
#undef ORRINET_WAITING_FLAG
};

inline bool &waiting(frmMain &window, Awaiting flag)
{
    return window.*kWaitingFlags[static_cast<std::size_t>(flag)];
}

inline bool waiting(const frmMain &window, Awaiting flag)
{
    return window.*kWaitingFlags[static_cast<std::size_t>(flag)];
}

// Names of the raised flags, in test order.
inline QStringList raisedFlags(const frmMain &window)
{
    QStringList names;
    for (const Awaiting flag : kAwaitingTestOrder) {
        if (waiting(window, flag))
            names << QString(awaitingName(flag));
    }
    return names;
}

inline void clearAllFlags(frmMain &window)
{
    for (const Awaiting flag : kAwaitingTestOrder)
        waiting(window, flag) = false;
}

} // namespace orrinet::testing
