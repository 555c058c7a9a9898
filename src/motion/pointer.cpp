// The pointer halt delay ("Pointer halt slew" menu).

#include "app/frmMain.h"
#include "link/protocol.h"

#include <QAction>
#include <QTimer>

void frmMain::PTDbutton_Click(int Index)
{
    for (std::size_t i = 1; i < PTDbutton.size(); ++i)
        PTDbutton[i]->setChecked(false);
    // An index outside the menu ticks nothing and keeps the delay.
    if (const std::optional<orrinet::PointerHaltDelay> delay = orrinet::pointerHaltDelay(Index)) {
        PointerTimeInterval = delay->milliseconds;
        PTDbutton[static_cast<std::size_t>(Index)]->setChecked(true);
    }
    PointerTimeIndex = Index;
    TimerMove->setInterval(PointerTimeInterval);
}
