// The serial port's connection: choosing the port, Connect/Disconnect with the
// window's two faces, the one general send routine and the receive-buffer view.

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

namespace {

QString portText(int port)
{
    return QString::number(port);
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
        Comm1.close();
        // Leaves pointer mode through the box's own handler, the port being closed.
        CheckPointerControl->setChecked(false);
        FrameFocus->hide();
        FrameMove->hide();
        FrameRADEC->hide();
        FrameAutostar->hide();
        LX200Menu->menuAction()->setEnabled(false);
        TeleMenu->menuAction()->setEnabled(false);
        GotoMenu->menuAction()->setEnabled(false);
        SendButton->setEnabled(false);
        Picture1->show();
        CommandConnect->setText(QStringLiteral("Connect"));
        CommandConnect->setBackColor(ConnectBackColor);
        Combo1->setEnabled(true);
        SendCheck->setEnabled(true);
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
