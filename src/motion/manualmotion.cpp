// The direction and focuser buttons: a move runs while a mouse button (or a
// pad key) is held on it, and every way of ending the hold sends its stop.

#include "app/frmMain.h"
#include "motion/manualmoves.h"
#include "platform/blockingwait.h"
#include "platform/serialport.h"

#include <QCheckBox>

void frmMain::CommandMove_MouseDown(orrinet::Move move, orrinet::HeldBy by)
{
    // A mouse button held on a move button keeps its presses and release
    // there after the line closed under it (lost, or disconnected): there is
    // nothing to move or stop then, and the status line keeps saying why.
    if (!Comm1.isOpen())
        return;
    const orrinet::ManualMove &row = orrinet::manualMove(move);
    Comm1.write(row.pressCommand);
    m_heldMoves.started(move, by);
    setStatusText(row.pressText);
    focusPad();
}

void frmMain::CommandMove_MouseUp(orrinet::Move move)
{
    if (!Comm1.isOpen())
        return;
    const orrinet::ManualMove &row = orrinet::manualMove(move);
    Comm1.write(row.releaseCommand);
    m_heldMoves.stopped(move);
    setStatusText(row.releaseText);
    if (row.slew) {
        // The mount needs a moment to come to rest before its position means anything.
        Pause.wait(orrinet::kPauseStopToGetMs);
        if (CheckRADEC->isChecked())
            CommandGet_Click();
    }
    focusPad();
}

void frmMain::stopHeldMoves(std::optional<orrinet::HeldBy> by)
{
    // The held key's release will not come to the pad: the next press must act.
    if (by != orrinet::HeldBy::Button && !m_heldMoves.running(orrinet::HeldBy::Key).empty())
        KeyIsDown = false;
    for (const orrinet::Move move : m_heldMoves.running(by)) {
        const orrinet::ManualMove &row = orrinet::manualMove(move);
        Comm1.write(row.releaseCommand);
        m_heldMoves.stopped(move);
        setStatusText(row.releaseText);
    }
}
