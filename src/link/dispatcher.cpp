// The receive handler: replies carry no marker of the command they answer, so
// each event goes to the first awaited-reply flag that is set, in a fixed
// order, and that flag's branch interprets whatever was read. Also the reply
// time-out and the branches of the telescope queries.

#include "app/frmMain.h"
#include "commands/frmCmd.h"
#include "link/protocol.h"
#include "link/querylines.h"
#include "platform/blockingwait.h"
#include "platform/serialport.h"

#include <QTimer>

#include <algorithm>

using orrinet::Awaiting;
using orrinet::TelescopeQuery;

constexpr std::array<frmMain::DispatchEntry, orrinet::kAwaitingCount> frmMain::kDispatchTable{{
    {Awaiting::Ra, &frmMain::WaitingRa, &frmMain::serveRa},
    {Awaiting::Dec, &frmMain::WaitingDec, &frmMain::serveDec},
    {Awaiting::Firmware, &frmMain::WaitingFirmware, &frmMain::serveFirmware},
    {Awaiting::Product, &frmMain::WaitingProduct, &frmMain::serveProduct},
    {Awaiting::Date, &frmMain::WaitingDate, &frmMain::serveDate},
    {Awaiting::Time, &frmMain::WaitingTime, &frmMain::serveTime},
    {Awaiting::Azimuth, &frmMain::WaitingAzimuth, &frmMain::serveAzimuth},
    {Awaiting::Altitude, &frmMain::WaitingAltitude, &frmMain::serveAltitude},
    {Awaiting::Latitude, &frmMain::WaitingLatitude, &frmMain::serveLatitude},
    {Awaiting::Longitude, &frmMain::WaitingLongitude, &frmMain::serveLongitude},
    {Awaiting::GotoRa, &frmMain::WaitingGotoRa, &frmMain::serveGotoRa},
    {Awaiting::GotoDec, &frmMain::WaitingGotoDec, &frmMain::serveGotoDec},
    {Awaiting::Goto, &frmMain::WaitingGoto, &frmMain::serveGoto},
    {Awaiting::Gps, &frmMain::WaitingGps, &frmMain::serveGps},
    {Awaiting::Align, &frmMain::WaitingAlign, &frmMain::serveAlign},
    {Awaiting::AutostarGoto, &frmMain::WaitingAutostarGoto, &frmMain::serveAutostarGoto},
    {Awaiting::Autostar, &frmMain::WaitingAutostar, &frmMain::serveAutostar},
    {Awaiting::Status, &frmMain::WaitingStatus, &frmMain::serveStatus},
}};

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

bool frmMain::*frmMain::waitingMember(Awaiting awaits)
{
    static_assert(std::ranges::equal(kDispatchTable, orrinet::kAwaitingTestOrder, {},
                                     &DispatchEntry::awaits),
                  "the dispatcher tests the flags in their declared order");
    return kDispatchTable[static_cast<std::size_t>(awaits)].flag;
}

void frmMain::Comm1_OnComm()
{
    if (Comm1.commEvent() != orrinet::SerialPort::EventReceive)
        return;
    setMousePointer(MousePointer::Default);
    for (const DispatchEntry &entry : kDispatchTable) {
        if (this->*entry.flag) {
            (this->*entry.serve)();
            return;
        }
    }
    serveUnexpected();
}

void frmMain::Timer1_Timer()
{
    setMousePointer(MousePointer::Default);
    QString message = QStringLiteral("Timeout waiting for response");
    if (WaitingGotoRa)
        message = QStringLiteral("Timeout sending RA ") + RaString;
    if (WaitingGotoDec)
        message = QStringLiteral("Timeout sending DEC ") + DecString;
    Timer1->stop();
    setStatusText(message);
}

void frmMain::serveUnexpected()
{
    ReceiveBuffer = Comm1.readAll();
    setStatusText(ReceiveBuffer);
    if (ConsoleOpen && m_console)
        m_console->showReceived(ReceiveBuffer);
    ReceiveBuffer.clear();
}

void frmMain::serveFirstStep(TelescopeQuery query)
{
    const orrinet::TelescopeQueryInfo &info = orrinet::telescopeQuery(query);
    QString &text = this->*queryTexts(query).first;
    text = Comm1.readAll();
    this->*waitingMember(info.firstFlag) = false;
    text = orrinet::stripTerminator(text);
    if (info.secondFlag)
        this->*waitingMember(*info.secondFlag) = true;
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
        this->*waitingMember(*info.secondFlag) = false;
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
