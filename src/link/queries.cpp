// The Telescope menu: each item sends the first command of its query; the
// receive handler asks for the second part and shows the result line.

#include "app/frmMain.h"
#include "link/protocol.h"
#include "platform/serialport.h"

#include <QAction>
#include <QTimer>

using orrinet::TelescopeQuery;

void frmMain::wireLink()
{
    connect(&Comm1, &orrinet::SerialPort::received, this, &frmMain::Comm1_OnComm);
    connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);

    connect(TelescopeStatusButton, &QAction::triggered, this, &frmMain::TelescopeStatusButton_Click);
    connect(TelescopeInfoButton, &QAction::triggered, this, &frmMain::TelescopeInfoButton_Click);
    connect(TelescopeSiteButton, &QAction::triggered, this, &frmMain::TelescopeSiteButton_Click);
    connect(TelescopeDateButton, &QAction::triggered, this, &frmMain::TelescopeDateButton_Click);
    connect(TelescopeAzButton, &QAction::triggered, this, &frmMain::TelescopeAzButton_Click);
}

void frmMain::sendQuery(TelescopeQuery query)
{
    if (Comm1.isOpen()) {
        const orrinet::TelescopeQueryInfo &info = orrinet::telescopeQuery(query);
        setMousePointer(MousePointer::Hourglass);
        this->*waitingMember(info.firstFlag) = true;
        Comm1.setReceiveThreshold(info.threshold);
        Comm1.write(info.firstCommand);
        Timer1->start();
        setStatusText(info.sentStatus);
    }
    focusPad();
}

void frmMain::TelescopeStatusButton_Click()
{
    sendQuery(TelescopeQuery::Status);
}

void frmMain::TelescopeInfoButton_Click()
{
    sendQuery(TelescopeQuery::Firmware);
}

void frmMain::TelescopeSiteButton_Click()
{
    sendQuery(TelescopeQuery::Site);
}

void frmMain::TelescopeDateButton_Click()
{
    sendQuery(TelescopeQuery::DateTime);
}

void frmMain::TelescopeAzButton_Click()
{
    sendQuery(TelescopeQuery::AzimuthAltitude);
}
