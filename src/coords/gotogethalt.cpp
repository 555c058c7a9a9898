// The Goto, Get and Halt buttons. Each starts an exchange that the receive
// handler carries on (see replies.cpp).

#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "coords/coordinatelists.h"
#include "coords/coordinates.h"
#include "link/protocol.h"
#include "platform/serialport.h"

#include <QTimer>

void frmMain::wireCoords()
{
    connect(CommandGotoRADEC, &QPushButton::clicked, this, &frmMain::CommandGotoRADEC_Click);
    connect(CommandGet, &QPushButton::clicked, this, &frmMain::CommandGet_Click);
    connect(CommandGotoAbort, &QPushButton::clicked, this, &frmMain::CommandGotoAbort_Click);
}

void frmMain::CommandGotoRADEC_Click()
{
    if (Comm1.isOpen()) {
        const orrinet::ListPositions target = orrinet::selectedPositions(*this);
        RaString = orrinet::raTargetCommand(target);
        DecString = orrinet::decTargetCommand(target);
        WaitingGotoDec = false;
        WaitingGotoRa = true;
        Comm1.setReceiveThreshold(orrinet::kThresholdDefault);
        Timer1->start();
        // A failed write shows up as the time-out of this stage.
        Comm1.write(RaString);
        GotoText = orrinet::coordinateText(target);
        setStatusText(QStringLiteral("Goto RA/DEC  ") + GotoText);
    }
    focusPad();
}

void frmMain::CommandGet_Click()
{
    if (Comm1.isOpen()) {
        WaitingRa = true;
        Comm1.setReceiveThreshold(orrinet::kThresholdRa);
        Comm1.write(orrinet::kGetRa);
    }
    focusPad();
}

void frmMain::CommandGotoAbort_Click()
{
    // The awaited replies stay awaited: a Goto stage answered after the halt
    // still goes on to the next one.
    if (Comm1.isOpen()) {
        Comm1.write(orrinet::kHaltAll);
        setStatusText(QStringLiteral("Goto cancelled."));
    }
    focusPad();
}
