// The serial port's connection: choosing the port, Connect/Disconnect with the
// window's two faces, the device going away while connected, the one general
// send routine and the receive-buffer view.

#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "app/picturebox.h"
#include "link/protocol.h"
#include "platform/blockingwait.h"
#include "platform/serialport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QMenu>
#include <QTimer>

namespace {

QString portText(int port)
{
    return QString::number(port);
}

// What the window shows while the port is closed. The port is closed first,
// so that leaving pointer mode through the box's own handler sends nothing.
void showDisconnectedFace(frmMain &w)
{
    w.CheckPointerControl->setChecked(false);
    w.FrameFocus->hide();
    w.FrameMove->hide();
    w.FrameRADEC->hide();
    w.FrameAutostar->hide();
    w.LX200Menu->menuAction()->setEnabled(false);
    w.TeleMenu->menuAction()->setEnabled(false);
    w.GotoMenu->menuAction()->setEnabled(false);
    w.SendButton->setEnabled(false);
    w.Picture1->show();
    w.CommandConnect->setText(QStringLiteral("Connect"));
    w.CommandConnect->setBackColor(w.ConnectBackColor);
    w.Combo1->setEnabled(true);
    w.SendCheck->setEnabled(true);
}

} // namespace

void frmMain::Combo1_Click()
{
    setStatusText(QString());
    const int index = Combo1->currentIndex();
    if (index < 0)
        return; // nothing selected: no port number to take
    ComPort = Combo1->itemData(index).toInt();
}

void frmMain::CommandConnect_Click()
{
    if (Comm1.isOpen()) {
        haltPendingPointerSlew(); // a pointer slew must not outlive the line
        Comm1.close();
        showDisconnectedFace(*this);
        setStatusText(QStringLiteral("Disconnected from com ") + portText(ComPort));
        return;
    }

    Comm1.setPortNumber(ComPort);
    if (!Comm1.open()) {
        setStatusText(QStringLiteral("Error opening com port ") + portText(ComPort) +
                      QStringLiteral(" - ") + Comm1.errorString());
        return;
    }
    Picture1->hide();
    FrameFocus->show();
    FrameMove->show();
    FrameRADEC->show();
    FrameAutostar->show();
    LX200Menu->menuAction()->setEnabled(true);
    TeleMenu->menuAction()->setEnabled(true);
    GotoMenu->menuAction()->setEnabled(true);
    SendButton->setEnabled(true);
    CommandConnect->setText(QStringLiteral("Disconnect"));
    CommandConnect->setBackColor(ConnectedBackColor);
    Combo1->setEnabled(false);
    if (SendCheck->isChecked()) {
        setStatusText(QStringLiteral("Connecting to com ") + portText(ComPort) +
                      QStringLiteral(" ,sending slew & focus speeds"));
        // The hand controller needs a moment after the line opens, and a
        // pause between the rate and the focus speed.
        Pause.wait(orrinet::kPauseBeforeConnectSendMs);
        SliderMove_Change();
        Pause.wait(orrinet::kPauseRateToFocusMs);
        OptionFocus_Click(FocusSpeed);
        Pause.wait(orrinet::kPauseAfterConnectSendMs);
    }
    setStatusText(QStringLiteral("Connected to com ") + portText(ComPort));
    SendCheck->setEnabled(false);
    focusPad();
}

void frmMain::Comm1_OnLost(const QString &reason)
{
    // The picture is hidden only while connected; otherwise there is nothing
    // to take back.
    if (Picture1->isVisibleTo(this))
        return;
    if (Comm1.isOpen())
        Comm1.close();
    haltPendingPointerSlew(); // nothing to write to: only the timer stops
    showDisconnectedFace(*this);
    // No reply can come any more: its time-out would only hide why.
    Timer1->stop();
    setMousePointer(MousePointer::Default);
    setStatusText(QStringLiteral("Connection lost on com ") + portText(ComPort) +
                  QStringLiteral(" - ") + reason);
}

void frmMain::Send_Command(const QString &Command)
{
    if (!Comm1.isOpen())
        return;
    // No reply is awaited: whatever comes back goes to the unexpected-input branch.
    Comm1.setReceiveThreshold(orrinet::kThresholdDefault);
    Comm1.write(Command);
}

void frmMain::DispRecBufferButton_Click()
{
    // A closed port reads as empty.
    ReceiveBuffer = Comm1.readAll();
    setStatusText(ReceiveBuffer);
}
