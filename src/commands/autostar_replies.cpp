// The receive handler's branches for the hand controller's display text,
// shown as it was read.

#include "app/frmMain.h"
#include "link/querylines.h"
#include "platform/serialport.h"

#include <QTimer>

void frmMain::serveAutostarGoto()
{
    ReceiveBuffer = Comm1.readAll();
    Timer1->stop();
    // While the hand controller still reads "Taking..." another display
    // text follows, and it belongs to the same macro.
    if (!orrinet::autostarTaking(ReceiveBuffer))
        WaitingAutostarGoto = false;
    setStatusText(ReceiveBuffer);
}

void frmMain::serveAutostar()
{
    ReceiveBuffer = Comm1.readAll();
    Timer1->stop();
    WaitingAutostar = false;
    setStatusText(ReceiveBuffer);
}
