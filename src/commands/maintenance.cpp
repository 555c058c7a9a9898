// The LX200GPS menu's housekeeping items: one click handler serves every row
// of their table. The replies of the GPS update and the alignment are served
// next door.

#include "commands/maintenance.h"

#include "app/frmMain.h"
#include "platform/messageboxes.h"
#include "platform/serialport.h"

#include <QAction>
#include <QTimer>

using orrinet::Awaiting;
using orrinet::MaintenanceItem;

void frmMain::maintenanceItem_Click(const MaintenanceItem &item)
{
    using orrinet::MessageBoxes;
    const bool confirmed =
        !item.confirmation || Messages.ask(this, item.confirmation->title, item.confirmation->text,
                                           MessageBoxes::Buttons::OkCancel,
                                           MessageBoxes::Icon::Warning) == MessageBoxes::Answer::Ok;
    if (confirmed && Comm1.isOpen()) {
        if (item.awaits) {
            startExchange();
            awaitReply(*item.awaits);
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
