// The "Update RA/DEC boxes after Get" box.

#include "app/frmMain.h"

void frmMain::CheckRADEC_Click()
{
    // Start-up sets the box from the settings; the pad is not shown then.
    if (!Loading)
        focusPad();
}
