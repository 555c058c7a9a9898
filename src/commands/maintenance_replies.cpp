// The receive handler's branches for the GPS update and the automatic
// alignment: the first character of the reply tells success.

#include "app/frmMain.h"
#include "link/protocol.h"
#include "link/querylines.h"
#include "platform/serialport.h"

#include <QTimer>

void frmMain::serveGps()
{
    WaitingGps = false;
    ReceiveBuffer = Comm1.readAll();
    Timer1->stop();
    setStatusText(orrinet::firstCharIs(ReceiveBuffer, orrinet::kReplyAccepted)
                      ? QStringLiteral("Telescope updated with GPS data")
                      : QStringLiteral("GPS turn on aborted or failed"));
}

void frmMain::serveAlign()
{
    WaitingAlign = false;
    ReceiveBuffer = Comm1.readAll();
    Timer1->stop();
    setStatusText(orrinet::firstCharIs(ReceiveBuffer, orrinet::kReplyAccepted)
                      ? QStringLiteral("Alignment Successful")
                      : QStringLiteral("Scope not AzEl Mounted or align failed"));
}
