// The LX200GPS menu's housekeeping items, one handler over their table; the
// replies of the GPS update and the alignment are served next door.

#include "commands/maintenance.h"

#include "app/frmMain.h"
#include "platform/messageboxes.h"
#include "platform/serialport.h"

#include <QAction>
#include <QTimer>
#include <algorithm>

using orrinet::Awaiting;
using orrinet::MaintenanceItem;

namespace {

const MaintenanceItem &maintenanceItem(QAction *frmMainUi::*action)
{
    return *std::ranges::find(orrinet::kMaintenanceItems, action, &MaintenanceItem::action);
}

} // namespace

void frmMain::maintenanceItem_Click(const MaintenanceItem &item)
{
    using orrinet::MessageBoxes;
    const bool confirmed =
        !item.confirmation || Messages.ask(this, item.confirmation->title, item.confirmation->text,
                                           MessageBoxes::Buttons::OkCancel,
                                           MessageBoxes::Icon::Warning) == MessageBoxes::Answer::Ok;
    if (confirmed && Comm1.isOpen()) {
        if (item.awaits) {
            this->*waitingMember(*item.awaits) = true;
            // No time-out may call a slow GPS fix lost; the alignment leaves
            // the timer as it was.
            if (*item.awaits == Awaiting::Gps)
                Timer1->stop();
            Comm1.setReceiveThreshold(orrinet::kThresholdDefault);
        }
        Comm1.write(item.command);
        setStatusText(item.statusText);
    }
    if (item.focusesPad)
        focusPad();
}

void frmMain::GpsButton_Click()
{
    maintenanceItem_Click(maintenanceItem(&frmMainUi::GpsButton));
}

void frmMain::AutoButton_Click()
{
    maintenanceItem_Click(maintenanceItem(&frmMainUi::AutoButton));
}

void frmMain::InitButton_Click()
{
    maintenanceItem_Click(maintenanceItem(&frmMainUi::InitButton));
}

void frmMain::HomePosAlignButton_Click()
{
    maintenanceItem_Click(maintenanceItem(&frmMainUi::HomePosAlignButton));
}

void frmMain::HomePosStoreButton_Click()
{
    maintenanceItem_Click(maintenanceItem(&frmMainUi::HomePosStoreButton));
}

void frmMain::SleepButton_Click()
{
    maintenanceItem_Click(maintenanceItem(&frmMainUi::SleepButton));
}

void frmMain::WakeButton_Click()
{
    maintenanceItem_Click(maintenanceItem(&frmMainUi::WakeButton));
}

void frmMain::ParkButton_Click()
{
    maintenanceItem_Click(maintenanceItem(&frmMainUi::ParkButton));
}
