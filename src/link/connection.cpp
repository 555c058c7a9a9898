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

} // namespace

void frmMain::showConnectionFace(bool connected)
{
    // Leaves pointer mode through the box's own handler, which sends nothing
    // once the port is closed.
    if (!connected)
        CheckPointerControl->setChecked(false);
    Picture1->setVisible(!connected);
    for (QWidget *frame :
         std::initializer_list<QWidget *>{FrameFocus, FrameMove, FrameRADEC, FrameAutostar})
        frame->setVisible(connected);
    for (QAction *menu :
         {LX200Menu->menuAction(), TeleMenu->menuAction(), GotoMenu->menuAction(), SendButton})
        menu->setEnabled(connected);
    CommandConnect->setText(connected ? QStringLiteral("Disconnect") : QStringLiteral("Connect"));
    CommandConnect->setBackColor(connected ? ConnectedBackColor : ConnectBackColor);
    Combo1->setEnabled(!connected);
    SendCheck->setEnabled(!connected);
}

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
        // No slew or focuser move may outlive the line.
        stopHeldMoves();
        haltPendingPointerSlew();
        Comm1.close();
        // The port's input is gone with it: no awaited reply can come.
        endAllExchanges();
        showConnectionFace(false);
        setStatusText(QStringLiteral("Disconnected from com ") + portText(ComPort));
        return;
    }

    Comm1.setPortNumber(ComPort);
    if (!Comm1.open()) {
        setStatusText(QStringLiteral("Error opening com port ") + portText(ComPort) +
                      QStringLiteral(" - ") + Comm1.errorString());
        return;
    }
    showConnectionFace(true);
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
    // Nothing to write to: the held moves and the halt timer are only forgotten.
    m_heldMoves.clear();
    KeyIsDown = false;
    haltPendingPointerSlew();
    // No reply can come any more: its time-out would only hide why.
    endAllExchanges();
    showConnectionFace(false);
    ++m_connectionLosses;
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
