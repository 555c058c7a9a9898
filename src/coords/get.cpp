// Get: reads the telescope's position, RA then DEC, and shows it.

#include "app/frmMain.h"
#include "coords/coordinatelists.h"
#include "coords/coordinates.h"
#include "link/protocol.h"
#include "platform/serialport.h"

#include <QCheckBox>
#include <QLabel>

using orrinet::Awaiting;

void frmMain::CommandGet_Click()
{
    if (Comm1.isOpen()) {
        startExchange();
        awaitReply(Awaiting::Ra);
        Comm1.setReceiveThreshold(orrinet::awaitedReply(Awaiting::Ra).threshold);
        Comm1.write(orrinet::kGetRa);
    }
    focusPad();
}

void frmMain::serveRa()
{
    RaString = Comm1.readAll();
    WaitingRa = false;
    Comm1.setReceiveThreshold(orrinet::awaitedReply(Awaiting::Dec).threshold);
    awaitReply(Awaiting::Dec);
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
    const orrinet::ReceivedCoordinates received =
        orrinet::decodeCoordinateReplies(RaString, DecString);
    LabelRADEC->setTextFormat(Qt::PlainText);
    LabelRADEC->setText(received.text);
    if (CheckRADEC->isChecked())
        orrinet::selectPositions(*this, received.lists);
}
