// The RA/DEC frame's buttons and the "Update RA/DEC boxes after Get" box.

#include "app/commandbutton.h"
#include "app/frmMain.h"

void frmMain::wireCoords()
{
    connect(CommandGotoRADEC, &QPushButton::clicked, this, &frmMain::CommandGotoRADEC_Click);
    connect(CommandGet, &QPushButton::clicked, this, &frmMain::CommandGet_Click);
    connect(CommandGotoAbort, &QPushButton::clicked, this, &frmMain::CommandGotoAbort_Click);
}

void frmMain::CheckRADEC_Click()
{
    // Start-up sets the box from the settings; the pad is not shown then.
    if (!Loading)
        focusPad();
}
