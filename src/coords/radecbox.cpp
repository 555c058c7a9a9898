// The RA/DEC frame's buttons and the "Update RA/DEC boxes after Get" box.

#include "app/commandbutton.h"
#include "app/frmMain.h"

#include <QTimer>

void frmMain::wireCoords()
{
    connect(CommandGotoRADEC, &QPushButton::clicked, this, &frmMain::CommandGotoRADEC_Click);
    connect(CommandGet, &QPushButton::clicked, this, &frmMain::CommandGet_Click);
    connect(CommandGotoAbort, &QPushButton::clicked, this, &frmMain::CommandGotoAbort_Click);
    connect(TimerPrecision, &QTimer::timeout, this, &frmMain::TimerPrecision_Timer);
}

void frmMain::CheckRADEC_Click()
{
    // Start-up sets the box from the settings; the pad is not shown then.
    if (!Loading)
        focusPad();
}
