// The receive handler: replies carry no marker of the command they answer, so
// each event goes to the first awaited-reply flag that is set, in a fixed
// order, and that flag's branch interprets whatever was read. Also the reply
// time-out and the bookkeeping of pending exchanges.

#include "app/frmMain.h"
#include "commands/frmCmd.h"
#include "platform/serialport.h"

#include <QTimer>

using orrinet::Awaiting;
using orrinet::ReplyTimeout;

constexpr std::array<frmMain::DispatchEntry, orrinet::kAwaitingCount> frmMain::kDispatchTable{{
#define ORRINET_DISPATCH_ENTRY(id, flag, threshold, timeout, branch)                               \
    {&frmMain::flag, &frmMain::branch},
    ORRINET_AWAITED_REPLIES(ORRINET_DISPATCH_ENTRY)
#undef ORRINET_DISPATCH_ENTRY
}};

bool &frmMain::waiting(Awaiting flag)
{
    return this->*kDispatchTable[static_cast<std::size_t>(flag)].flag;
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
        message = QStringLiteral("Timeout sending RA ") + GotoRaCommand;
    if (WaitingGotoDec)
        message = QStringLiteral("Timeout sending DEC ") + GotoDecCommand;
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

void frmMain::startExchange()
{
    const qint64 now = m_clock.elapsed();
    bool abandoned = false;
    for (const orrinet::AwaitedReply &reply : orrinet::kAwaitedReplies) {
        bool &raised = waiting(reply.flag);
        const qint64 age = now - m_raisedAt[static_cast<std::size_t>(reply.flag)];
        if (raised && reply.timeout != ReplyTimeout::None && age >= Timer1->interval()) {
            raised = false;
            abandoned = true;
        }
    }
    if (!abandoned)
        return;
    // What came of the abandoned exchanges would be read as the new reply.
    Comm1.readAll();
    stopTimeoutIfUnused();
}

void frmMain::stopTimeoutIfUnused()
{
    for (const orrinet::AwaitedReply &reply : orrinet::kAwaitedReplies) {
        if (reply.timeout == ReplyTimeout::Reported && waiting(reply.flag))
            return;
    }
    Timer1->stop();
}

void frmMain::awaitReply(Awaiting flag)
{
    m_raisedAt[static_cast<std::size_t>(flag)] = m_clock.elapsed();
    waiting(flag) = true;
}

void frmMain::endAllExchanges()
{
    for (const Awaiting flag : orrinet::kAwaitingTestOrder)
        waiting(flag) = false;
    Timer1->stop();
    TimerPrecision->stop();
    setMousePointer(MousePointer::Default);
    Comm1.setReceiveThreshold(orrinet::kThresholdDefault);
}
