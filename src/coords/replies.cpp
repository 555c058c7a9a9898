// The receive handler's branches for the Get and Goto exchanges, and the
// display of the position a Get read.

#include "app/frmMain.h"
#include "coords/coordinatelists.h"
#include "coords/coordinates.h"
#include "link/protocol.h"
#include "platform/serialport.h"

#include <QCheckBox>
#include <QLabel>
#include <QTimer>

void frmMain::serveRa()
{
    RaString = Comm1.readAll();
    WaitingRa = false;
    Comm1.setReceiveThreshold(orrinet::kThresholdDec);
    WaitingDec = true;
    Comm1.write(orrinet::kGetDec);
}

void frmMain::serveDec()
{
    DecString = Comm1.readAll();
    WaitingDec = false;
    Comm1.setReceiveThreshold(orrinet::kThresholdDefault);
    ShowReceivedCoordinates();
}

void frmMain::ShowReceivedCoordinates()
{
    const orrinet::ReceivedCoordinates received = orrinet::decodeCoordinateReplies(RaString, DecString);
    LabelRADEC->setTextFormat(Qt::PlainText);
    LabelRADEC->setText(received.text);
    if (CheckRADEC->isChecked())
        orrinet::selectPositions(*this, received.lists);
}

void frmMain::serveGotoRa()
{
    Comm1.setReceiveThreshold(orrinet::kThresholdDefault);
    WaitingGotoRa = false;
    ReceiveBuffer = Comm1.readAll();
    Timer1->stop();
    if (ReceiveBuffer.startsWith(orrinet::kReplyAccepted)) {
        Timer1->start();
        Comm1.write(DecString);
        WaitingGotoDec = true;
        return;
    }
    setStatusText(QStringLiteral("Error sending RA ") + RaString + QStringLiteral(" , received ") +
                  ReceiveBuffer + QStringLiteral(" RA invalid"));
}

void frmMain::serveGotoDec()
{
    Comm1.setReceiveThreshold(orrinet::kThresholdDefault);
    WaitingGotoDec = false;
    ReceiveBuffer = Comm1.readAll();
    Timer1->stop();
    if (ReceiveBuffer.startsWith(orrinet::kReplyAccepted)) {
        Timer1->start();
        Comm1.write(orrinet::kSlewToTarget);
        WaitingGoto = true;
        return;
    }
    setStatusText(QStringLiteral("Error sending DEC ") + DecString + QStringLiteral(" , received ") +
                  ReceiveBuffer + QStringLiteral(" DEC invalid"));
}

void frmMain::serveGoto()
{
    WaitingGoto = false;
    ReceiveBuffer = Comm1.readAll();
    Timer1->stop();
    // The outcome is added to the Goto's own line (or whatever replaced it).
    const QString outcome = ReceiveBuffer.startsWith(orrinet::kReplySlewStarted)
                                ? QStringLiteral("  - Sent")
                                : QStringLiteral("  Slew not possible, ") + ReceiveBuffer;
    setStatusText(statusText() + outcome);
    LabelRADEC->setTextFormat(Qt::PlainText);
    LabelRADEC->setText(GotoText);
}
