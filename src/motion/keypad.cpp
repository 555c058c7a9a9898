// The keyboard pad: while it has the focus, its keys work the move buttons,
// the focus speeds, the slew rate, Get, the firmware query and Halt.

#include "app/frmMain.h"
#include "app/picturebox.h"
#include "motion/manualmoves.h"

#include <QLabel>
#include <QSlider>

void frmMain::PictureNav_GotFocus()
{
    LabelKeyControls->show();
}

void frmMain::PictureNav_LostFocus()
{
    LabelKeyControls->hide();
    // The release of a held move key would now go elsewhere: the move must
    // not outlive the hold.
    stopHeldMoves(orrinet::HeldBy::Key);
}

void frmMain::PictureNav_KeyDown(int KeyCode, int)
{
    // The label's visibility is the pad's "active" flag.
    if (LabelKeyControls->isHidden() || KeyIsDown)
        return;
    if (const std::optional<orrinet::Move> move = orrinet::padMove(KeyCode))
        CommandMove_MouseDown(*move, orrinet::HeldBy::Key);
    // Any key held turns the presses that follow into nothing, auto-repeat included.
    KeyIsDown = true;
}

void frmMain::PictureNav_KeyUp(int KeyCode, int)
{
    if (LabelKeyControls->isHidden())
        return;
    if (const std::optional<orrinet::PadKey> key = orrinet::padKey(KeyCode)) {
        using orrinet::PadAction;
        switch (key->action) {
        case PadAction::Move:
            CommandMove_MouseUp(static_cast<orrinet::Move>(key->argument));
            break;
        case PadAction::FocusSpeed:
            OptionFocus_Click(key->argument); // the tick stays where it is
            break;
        case PadAction::SlewRate:
            SliderMove->setValue(key->argument);
            break;
        case PadAction::Get:
            CommandGet_Click();
            break;
        case PadAction::Firmware:
            TelescopeInfoButton_Click();
            break;
        case PadAction::Halt:
            CommandGotoAbort_Click();
            break;
        }
    }
    KeyIsDown = false;
}
