// Get: reads the telescope's position, RA then DEC, and shows it.

#include "app/frmMain.h"
#include "coords/coordinatelists.h"
#include "coords/coordinates.h"
#include "link/protocol.h"
#include "platform/serialport.h"

#include <QCheckBox>
#include <QLabel>
#include <QTimer>

using orrinet::Awaiting;

void frmMain::CommandGet_Click()
{
    if (Comm1.isOpen()) {
        askForPosition();
        TimerPrecision->start();
    }
    focusPad();
}

void frmMain::askForPosition()
{
    startExchange();
    awaitReply(Awaiting::Ra);
    Comm1.setReceiveThreshold(orrinet::awaitedReply(Awaiting::Ra).threshold);
    Comm1.write(orrinet::kGetRa);
}

void frmMain::TimerPrecision_Timer()
{
    TimerPrecision->stop();
    // A telescope left in low precision answers HH:MM.T#, one character short
    // of the reply the Get waits for, and would never be read. It is switched
    // to high precision once per Get, and asked again.
    if (!WaitingRa || !orrinet::isLowPrecisionRaReply(Comm1.peekAll()))
        return;
    Comm1.readAll();
    WaitingRa = false;
    Comm1.write(orrinet::kTogglePrecision);
    setStatusText(QStringLiteral("Telescope switched to high precision"));
    askForPosition();
}

void frmMain::serveRa()
{
    TimerPrecision->stop();
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
