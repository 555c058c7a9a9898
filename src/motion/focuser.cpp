// The focus-speed choice.

#include "app/frmMain.h"
#include "link/protocol.h"
#include "platform/serialport.h"

void frmMain::OptionFocus_Click(int Index)
{
    // Called directly (F1..F4, after connecting) it leaves the tick where it is.
    const std::optional<orrinet::FocusSpeedSetting> speed = orrinet::focusSpeed(Index);
    if (!speed)
        return;
    setStatusText(speed->statusText);
    FocusSpeed = Index;
    if (!Comm1.isOpen())
        return;
    Comm1.write(speed->command);
    focusPad();
}
