// Goto and Halt. A Goto is three exchanges: the RA target, the DEC target,
// then the slew; each accepted stage sends the next from its branch below.

#include "app/frmMain.h"
#include "coords/coordinatelists.h"
#include "coords/coordinates.h"
#include "link/protocol.h"
#include "platform/serialport.h"

#include <QComboBox>
#include <QLabel>
#include <QTimer>

using orrinet::Awaiting;

void frmMain::CommandGotoRADEC_Click()
{
    if (Comm1.isOpen()) {
        // Only what the lists show is sent.
        if (const QComboBox *unlisted = orrinet::unlistedCoordinate(*this)) {
            setStatusText(QStringLiteral("Goto not sent: ") + unlisted->toolTip() +
                          QStringLiteral(" \"") + unlisted->currentText() +
                          QStringLiteral("\" is not in its list"));
            focusPad();
            return;
        }
        const orrinet::ListPositions target = orrinet::selectedPositions(*this);
        startExchange();
        GotoRaCommand = orrinet::raTargetCommand(target);
        GotoDecCommand = orrinet::decTargetCommand(target);
        RaString = GotoRaCommand;
        DecString = GotoDecCommand;
        WaitingGotoDec = false;
        awaitReply(Awaiting::GotoRa);
        Comm1.setReceiveThreshold(orrinet::awaitedReply(Awaiting::GotoRa).threshold);
        Timer1->start();
        // A failed write shows up as the time-out of this stage.
        Comm1.write(GotoRaCommand);
        GotoText = orrinet::coordinateText(target);
        setStatusText(QStringLiteral("Goto RA/DEC  ") + GotoText);
    }
    focusPad();
}

void frmMain::CommandGotoAbort_Click()
{
    if (Comm1.isOpen()) {
        // A target accepted after the halt must not start a slew.
        WaitingGotoRa = false;
        WaitingGotoDec = false;
        WaitingGoto = false;
        stopTimeoutIfUnused();
        Comm1.write(orrinet::kHaltAll);
        setStatusText(QStringLiteral("Goto cancelled."));
    }
    focusPad();
}

void frmMain::serveGotoRa()
{
    Comm1.setReceiveThreshold(orrinet::kThresholdDefault);
    WaitingGotoRa = false;
    ReceiveBuffer = Comm1.readAll();
    Timer1->stop();
    if (ReceiveBuffer.startsWith(orrinet::kReplyAccepted)) {
        Timer1->start();
        Comm1.write(GotoDecCommand);
        awaitReply(Awaiting::GotoDec);
        return;
    }
    setStatusText(QStringLiteral("Error sending RA ") + GotoRaCommand +
                  QStringLiteral(" , received ") + ReceiveBuffer + QStringLiteral(" RA invalid"));
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
        awaitReply(Awaiting::Goto);
        return;
    }
    setStatusText(QStringLiteral("Error sending DEC ") + GotoDecCommand +
                  QStringLiteral(" , received ") + ReceiveBuffer + QStringLiteral(" DEC invalid"));
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
