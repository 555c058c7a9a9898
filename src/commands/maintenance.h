#pragma once

// The LX200GPS menu's housekeeping items: each writes one fixed command, some
// after a confirmation, and the GPS update and the automatic alignment await
// a one-character verdict.

#include "app/frmMain_ui.h"
#include "link/awaited.h"
#include "link/protocol.h"

#include <QLatin1StringView>
#include <array>
#include <optional>

namespace orrinet {

// Asked with OK and Cancel and the warning icon; only OK sends the command.
struct Confirmation
{
    QLatin1StringView title;
    QLatin1StringView text; // lines joined with CR LF
};

struct MaintenanceItem
{
    QAction *frmMainUi::*action;
    QLatin1StringView name;
    QLatin1StringView caption;
    QLatin1StringView command;
    std::optional<Confirmation> confirmation{};
    QLatin1StringView statusText; // once the command is written
    std::optional<Awaiting> awaits{};
    // A GPS fix can take minutes while the user goes on with other controls,
    // so the GPS item leaves the focus where it was.
    bool focusesPad = true;
    QAction *frmMainUi::*separatorAfter = nullptr;
    QLatin1StringView separatorName{};
};

// In menu order; "Send Command..." follows the last separator.
inline constexpr std::array<MaintenanceItem, 8> kMaintenanceItems{{
    {.action = &frmMainUi::GpsButton,
     .name = QLatin1StringView("GpsButton"),
     .caption = QLatin1StringView("Turn on GPS and update time"),
     .command = kGpsUpdate,
     .confirmation = std::nullopt,
     .statusText = QLatin1StringView("Getting GPS data, waiting..."),
     .awaits = Awaiting::Gps,
     .focusesPad = false,
     .separatorAfter = &frmMainUi::syncsep,
     .separatorName = QLatin1StringView("syncsep")},
    {.action = &frmMainUi::AutoButton,
     .name = QLatin1StringView("AutoButton"),
     .caption = QLatin1StringView("Start Telescope Automatic Alignment Sequence"),
     .command = kAutoAlign,
     .confirmation =
         Confirmation{QLatin1StringView("Automatic Alignment LX200GPS"),
                      QLatin1StringView("Start Automatic Alignment of telescope?\r\n\r\n"
                                        "This can take several minutes.")},
     .statusText = QLatin1StringView("Automatic alignment sent, waiting..."),
     .awaits = Awaiting::Align},
    {.action = &frmMainUi::InitButton,
     .name = QLatin1StringView("InitButton"),
     .caption = QLatin1StringView("Initialize Telescope"),
     .command = kInitialize,
     .confirmation =
         Confirmation{QLatin1StringView("Initialize LX200GPS"),
                      QLatin1StringView("Power up Initialize telescope?\r\n\r\n"
                                        "Autostar II hand controler must be attached to use "
                                        "this function.")},
     .statusText = QLatin1StringView("Power up initialization sent"),
     .separatorAfter = &frmMainUi::sep1,
     .separatorName = QLatin1StringView("sep1")},
    {.action = &frmMainUi::HomePosAlignButton,
     .name = QLatin1StringView("HomePosAlignButton"),
     .caption = QLatin1StringView("Align Telescope using Home Position"),
     .command = kAlignFromHome,
     .confirmation =
         Confirmation{QLatin1StringView("Align Home LX200GPS"),
                      QLatin1StringView("Align telescope using values stored at the Home "
                                        "Position?\r\n\r\n"
                                        "This can be used after a power failure to align\r\n"
                                        "the telescope if the telescope has not been moved.")},
     .statusText = QLatin1StringView("Align using Home Position sent")},
    {.action = &frmMainUi::HomePosStoreButton,
     .name = QLatin1StringView("HomePosStoreButton"),
     .caption = QLatin1StringView("Store Telescope Alignment to Home Position"),
     .command = kStoreHome,
     .confirmation =
         Confirmation{QLatin1StringView("Store Home LX200GPS"),
                      QLatin1StringView("Store telescope alignment values to the Home "
                                        "Position?\r\n\r\n"
                                        "This will cause the telescope to slew to the Home "
                                        "Positon.")},
     .statusText = QLatin1StringView("Store alignemnt to Home Position sent"),
     .separatorAfter = &frmMainUi::sep2,
     .separatorName = QLatin1StringView("sep2")},
    {.action = &frmMainUi::SleepButton,
     .name = QLatin1StringView("SleepButton"),
     .caption = QLatin1StringView("Sleep Telescope"),
     .command = kSleep,
     .statusText = QLatin1StringView("Sleep telescope sent")},
    {.action = &frmMainUi::WakeButton,
     .name = QLatin1StringView("WakeButton"),
     .caption = QLatin1StringView("Wake Telescope from Sleep"),
     .command = kWake,
     .statusText = QLatin1StringView("Wakeup telescope sent")},
    {.action = &frmMainUi::ParkButton,
     .name = QLatin1StringView("ParkButton"),
     .caption = QLatin1StringView("Park Telescope"),
     .command = kPark,
     .statusText = QLatin1StringView("Park telescope sent"),
     .separatorAfter = &frmMainUi::cmdsep,
     .separatorName = QLatin1StringView("cmdsep")},
}};

} // namespace orrinet
