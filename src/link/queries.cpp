// The Telescope menu: each item sends the first command of its query; the
// receive handler's branches below ask for the second part and show the
// result line.

#include "app/frmMain.h"
#include "link/protocol.h"
#include "link/querylines.h"
#include "platform/blockingwait.h"
#include "platform/serialport.h"

#include <QAction>
#include <QTimer>
#include <algorithm>

using orrinet::TelescopeQuery;

namespace {

// Where a two-step query keeps its two replies (the status query keeps its
// one reply, unstripped, in ReceiveBuffer).
struct QueryTexts
{
    TelescopeQuery query;
    QString frmMain::*first;
    QString frmMain::*second;
};

constexpr std::array<QueryTexts, 4> kQueryTexts{{
    {TelescopeQuery::Firmware, &frmMain::FirmwareText, &frmMain::ProductText},
    {TelescopeQuery::DateTime, &frmMain::DateText, &frmMain::TimeText},
    {TelescopeQuery::Site, &frmMain::LatitudeText, &frmMain::LongitudeText},
    {TelescopeQuery::AzimuthAltitude, &frmMain::AzimuthText, &frmMain::AltitudeText},
}};

const QueryTexts &queryTexts(TelescopeQuery query)
{
    return *std::find_if(kQueryTexts.begin(), kQueryTexts.end(),
                         [query](const QueryTexts &row) { return row.query == query; });
}

} // namespace

void frmMain::wireLink()
{
    connect(&Comm1, &orrinet::SerialPort::received, this, &frmMain::Comm1_OnComm);
    connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);

    connect(TelescopeStatusButton, &QAction::triggered, this,
            &frmMain::TelescopeStatusButton_Click);
    connect(TelescopeInfoButton, &QAction::triggered, this, &frmMain::TelescopeInfoButton_Click);
    connect(TelescopeSiteButton, &QAction::triggered, this, &frmMain::TelescopeSiteButton_Click);
    connect(TelescopeDateButton, &QAction::triggered, this, &frmMain::TelescopeDateButton_Click);
    connect(TelescopeAzButton, &QAction::triggered, this, &frmMain::TelescopeAzButton_Click);
}

void frmMain::sendQuery(TelescopeQuery query)
{
    if (Comm1.isOpen()) {
        const orrinet::TelescopeQueryInfo &info = orrinet::telescopeQuery(query);
        startExchange();
        setMousePointer(MousePointer::Hourglass);
        awaitReply(info.firstFlag);
        Comm1.setReceiveThreshold(orrinet::awaitedReply(info.firstFlag).threshold);
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

void frmMain::serveFirstStep(TelescopeQuery query)
{
    const orrinet::TelescopeQueryInfo &info = orrinet::telescopeQuery(query);
    QString &text = this->*queryTexts(query).first;
    text = Comm1.readAll();
    waiting(info.firstFlag) = false;
    text = orrinet::stripTerminator(text);
    if (info.secondFlag)
        awaitReply(*info.secondFlag);
    // The telescope takes the second command only after a short rest; the
    // threshold set for the first reply serves the second as well.
    Pause.wait(orrinet::kPauseQuerySecondStepMs);
    Comm1.write(info.secondCommand);
}

void frmMain::serveSecondStep(TelescopeQuery query)
{
    const orrinet::TelescopeQueryInfo &info = orrinet::telescopeQuery(query);
    const QueryTexts &texts = queryTexts(query);
    QString &text = this->*texts.second;
    text = Comm1.readAll();
    if (info.secondFlag)
        waiting(*info.secondFlag) = false;
    Timer1->stop();
    Comm1.setReceiveThreshold(orrinet::kThresholdDefault);
    text = orrinet::stripTerminator(text);
    setStatusText(orrinet::queryResultLine(query, this->*texts.first, text));
}

void frmMain::serveFirmware()
{
    serveFirstStep(TelescopeQuery::Firmware);
}

void frmMain::serveProduct()
{
    serveSecondStep(TelescopeQuery::Firmware);
}

void frmMain::serveDate()
{
    serveFirstStep(TelescopeQuery::DateTime);
}

void frmMain::serveTime()
{
    serveSecondStep(TelescopeQuery::DateTime);
}

void frmMain::serveAzimuth()
{
    serveFirstStep(TelescopeQuery::AzimuthAltitude);
}

void frmMain::serveAltitude()
{
    serveSecondStep(TelescopeQuery::AzimuthAltitude);
}

void frmMain::serveLatitude()
{
    serveFirstStep(TelescopeQuery::Site);
}

void frmMain::serveLongitude()
{
    serveSecondStep(TelescopeQuery::Site);
}

void frmMain::serveStatus()
{
    // Kept as read: the decoder looks only at the first three characters.
    ReceiveBuffer = Comm1.readAll();
    Timer1->stop();
    WaitingStatus = false;
    setStatusText(orrinet::statusLine(ReceiveBuffer));
}
