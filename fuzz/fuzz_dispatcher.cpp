// The receive handler of the main window, over the test doubles the tests
// use (a fake serial line, pauses that return at once, settings in memory,
// scripted message boxes). Two windows are built once and reused, one that never had a
// console and one whose console was opened and closed once; each input starts
// from a reset window.
//
// Input, from the front:
//   byte 0     bit 0: use the window with a console; bit 1: ConsoleOpen;
//              bit 2: "Update RA/DEC boxes after Get" ticked; bits 3-4: the
//              line stays closed (0), is opened directly (1), through the
//              Connect button (2), or through Connect with "send slew & focus"
//              ticked (3)
//   byte 1     port number (0 and numbers without a device fail to open)
//   bytes 2-4  the 18 awaited-reply flags, in test order, low bit first
//   byte 5     receive threshold (signed)
//   bytes 6-12 the seven list positions, each byte minus one
//   then steps, each chosen by the low four bits of a byte:
//     0-7, 15  characters arrive: the next byte % 48 says how many follow
//     8        a receive event on whatever is buffered
//     9        a line event of another kind (next byte)
//     10       new receive threshold (next byte, signed)
//     11       one flag flipped (next byte % 18)
//     12       the reply time-out fires, if its timer runs
//     13       a user action (next byte): Get, Goto, the five queries, Halt,
//              Connect/Disconnect, Display Receive Buffer, the line lost
//     14       ConsoleOpen flipped
//
// Invariants, for each receive event: the first raised flag's branch runs
// and only it: that flag is lowered (the Autostar macro's stays raised while
// the display reads "Taking"), at most the next flag of its exchange is
// raised, no other flag moves; at most one command is written and it goes
// with the next flag; at most one pause; the threshold is left or set to 1 or
// 10; everything buffered is read; the pointer is the default one. Input that
// no flag explains is shown as it came, in the console too while it is open
// (and nothing breaks while ConsoleOpen is set without a console). Events of
// another kind change nothing. The time-out lowers no flag and stops its
// timer. One arrival raises at most one event; nothing hangs.

#include "app/frmMain.h"
#include "commands/frmCmd.h"
#include "coords/coordinatelists.h"
#include "coords/coordinates.h"
#include "fuzzcheck.h"
#include "link/awaited.h"
#include "link/protocol.h"
#include "link/querylines.h"
#include "support/fakeserialport.h"
#include "support/panelfixture.h"
#include "support/recordingwait.h"
#include "support/waitingflags.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

using namespace orrinet;
using orrinet::fuzz::require;

namespace {

constexpr int kMaxChunk = 47;
// The virtual clock is an int; a window is rebuilt long before it could run over.
constexpr int kClockLimitMs = 1'000'000'000;

constexpr std::array<QString frmMain::*, 12> kTexts{
    &frmMain::ReceiveBuffer, &frmMain::RaString,      &frmMain::DecString,   &frmMain::GotoText,
    &frmMain::FirmwareText,  &frmMain::ProductText,   &frmMain::DateText,    &frmMain::TimeText,
    &frmMain::LatitudeText,  &frmMain::LongitudeText, &frmMain::AzimuthText, &frmMain::AltitudeText,
};

constexpr std::array<int, 3> kOtherEventKinds{SerialPort::EventNone, 1, SerialPort::EventLost};

// The flag a branch raises when its exchange goes on.
std::optional<Awaiting> successor(Awaiting flag)
{
    switch (flag) {
    case Awaiting::Ra:
        return Awaiting::Dec;
    case Awaiting::GotoRa:
        return Awaiting::GotoDec;
    case Awaiting::GotoDec:
        return Awaiting::Goto;
    default:
        break;
    }
    const TelescopeQueryInfo *query = queryForFlag(flag);
    if (query && query->firstFlag == flag)
        return query->secondFlag;
    return std::nullopt;
}

// One main window over its own doubles.
using Rig = testing::PanelFixture;

struct Snapshot
{
    explicit Snapshot(const Rig &rig)
        : status(rig.window.statusText()),
          reply(rig.window.console() ? rig.window.console()->Text2->text() : QString()),
          buffered(rig.port.buffered()), threshold(rig.port.receiveThreshold()),
          writes(rig.port.writes().size()), pauses(rig.wait.pauses().size()),
          timerRunning(rig.window.Timer1->isActive()), portOpen(rig.port.isOpen()),
          pointer(rig.window.mousePointer())
    {
        for (const Awaiting flag : kAwaitingTestOrder)
            flags[static_cast<std::size_t>(flag)] = testing::waiting(rig.window, flag);
    }

    std::optional<Awaiting> firstRaised() const
    {
        for (const Awaiting flag : kAwaitingTestOrder) {
            if (flags[static_cast<std::size_t>(flag)])
                return flag;
        }
        return std::nullopt;
    }

    std::array<bool, kAwaitingCount> flags{};
    QString status;
    QString reply;
    QString buffered;
    int threshold;
    std::size_t writes;
    std::size_t pauses;
    bool timerRunning;
    bool portOpen;
    frmMain::MousePointer pointer;
};

// Reads the input front to back; zeros once it runs out.
class Bytes
{
public:
    Bytes(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_at >= m_size; }
    std::uint8_t next() { return atEnd() ? 0 : m_data[m_at++]; }
    QString text(std::size_t count)
    {
        const std::size_t n = std::min(count, m_size - std::min(m_at, m_size));
        const QString text = fuzz::latin1(m_data + m_at, n);
        m_at += n;
        return text;
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

class Harness
{
public:
    Harness() : m_plain(buildRig(false)), m_withConsole(buildRig(true)) {}

    void run(const std::uint8_t *data, std::size_t size)
    {
        Bytes in(data, size);
        const std::uint8_t config = in.next();
        std::unique_ptr<Rig> &slot = (config & 1) ? m_withConsole : m_plain;
        if (slot->wait.elapsed() > kClockLimitMs)
            slot = buildRig(config & 1);
        m_rig = slot.get();
        reset();
        start(config, in);
        while (!in.atEnd())
            step(in);
        // Let the widgets take what they posted (layout requests and the like).
        QCoreApplication::sendPostedEvents();
        m_rig = nullptr;
    }

private:
    std::unique_ptr<Rig> buildRig(bool withConsole)
    {
        auto rig = std::make_unique<Rig>();
        // Runs after the window's own receive handler, which was connected first.
        QObject::connect(&rig->port, &SerialPort::received, &rig->port, [this] { received(); });
        if (withConsole) {
            // The console is made on first use and shown modally; close it as
            // soon as its loop runs, so that the object exists from now on.
            frmMain *window = &rig->window;
            QTimer::singleShot(0, window, [window] { window->console()->close(); });
            window->SendButton_Click();
            require(window->console() != nullptr && !window->ConsoleOpen,
                    "the console exists once opened and closed");
        }
        return rig;
    }

    frmMain &window() { return m_rig->window; }

    void reset()
    {
        frmMain &w = window();
        if (m_rig->port.isOpen())
            w.CommandConnect_Click(); // back to the disconnected face
        testing::clearAllFlags(w);
        for (QString frmMain::*text : kTexts)
            (w.*text).clear();
        w.ConsoleOpen = false;
        w.Timer1->stop();
        w.setMousePointer(frmMain::MousePointer::Default);
        w.Combo1->setCurrentIndex(noSelection);
        w.ComPort = 0;
        w.SendCheck->setChecked(false);
        w.LabelRADEC->clear();
        w.setStatusText(QString());
        if (w.console())
            w.console()->Text2->clear();
        m_rig->port.setReceiveThreshold(kThresholdDefault);
        m_rig->port.clearWrites();
        m_rig->wait.clearPauses();
        m_rig->boxes.clear();
        m_rig->settings.clearWriteLog();
    }

    void start(std::uint8_t config, Bytes &in)
    {
        frmMain &w = window();
        const int portNumber = in.next();
        std::uint32_t flagBits = in.next();
        flagBits |= std::uint32_t{in.next()} << 8;
        flagBits |= std::uint32_t{in.next()} << 16;
        const int threshold = static_cast<std::int8_t>(in.next());
        ListUpdate lists;
        for (std::optional<int> ListUpdate::*list :
             {&ListUpdate::raH, &ListUpdate::raM, &ListUpdate::raS, &ListUpdate::decSign,
              &ListUpdate::decD, &ListUpdate::decM, &ListUpdate::decS})
            lists.*list = static_cast<int>(in.next()) - 1;

        w.CheckRADEC->setChecked((config & 4) != 0);
        selectPositions(w, lists);
        switch ((config >> 3) & 3) {
        case 1:
            m_rig->port.setPortNumber(portNumber);
            m_rig->port.open();
            break;
        case 2:
        case 3:
            w.SendCheck->setChecked(((config >> 3) & 3) == 3);
            w.Combo1->setCurrentIndex(portNumber - 1);
            w.CommandConnect_Click();
            break;
        default:
            break;
        }
        for (const Awaiting flag : kAwaitingTestOrder)
            testing::waiting(w, flag) = (flagBits >> static_cast<unsigned>(flag)) & 1;
        w.ConsoleOpen = (config & 2) != 0;
        m_rig->port.setReceiveThreshold(threshold);
    }

    void step(Bytes &in)
    {
        const int kind = in.next() & 0x0F;
        switch (kind) {
        case 8:
            receiveEvent();
            break;
        case 9:
            otherEvent(kOtherEventKinds[in.next() % kOtherEventKinds.size()]);
            break;
        case 10:
            m_rig->port.setReceiveThreshold(static_cast<std::int8_t>(in.next()));
            break;
        case 11: {
            bool &flag = testing::waiting(window(), kAwaitingTestOrder[in.next() % kAwaitingCount]);
            flag = !flag;
            break;
        }
        case 12:
            timeout();
            break;
        case 13:
            action(in.next());
            break;
        case 14:
            window().ConsoleOpen = !window().ConsoleOpen;
            break;
        default:
            arrive(in.text(in.next() % (kMaxChunk + 1)));
            break;
        }
    }

    // ---- arrivals and events -------------------------------------------------

    void arrive(const QString &chunk)
    {
        const Snapshot before(*m_rig);
        beginEvents(before, before.portOpen ? before.buffered + chunk : before.buffered);
        m_rig->port.feed(chunk);
        m_before.reset();
        require(m_events <= 1, "one arrival raises at most one receive event", chunk);
        if (m_events == 0) {
            const Snapshot after(*m_rig);
            require(after.flags == before.flags && after.status == before.status &&
                        after.writes == before.writes,
                    "input below the threshold is not served", chunk);
        }
    }

    void receiveEvent()
    {
        const Snapshot before(*m_rig);
        beginEvents(before, before.buffered);
        m_rig->port.raiseEvent(SerialPort::EventReceive);
        m_before.reset();
        require(m_events == 1, "a raised receive event reaches the handler");
    }

    void otherEvent(int kind)
    {
        const Snapshot before(*m_rig);
        m_rig->port.raiseEvent(kind);
        const Snapshot after(*m_rig);
        require(after.flags == before.flags && after.status == before.status &&
                    after.buffered == before.buffered && after.writes == before.writes &&
                    after.pointer == before.pointer && after.threshold == before.threshold,
                "an event of another kind changes nothing", QString::number(kind));
    }

    void beginEvents(const Snapshot &before, const QString &read)
    {
        m_before.emplace(before);
        m_read = read;
        m_events = 0;
    }

    // Called for every line event, after the window's handler.
    void received()
    {
        if (!m_rig || m_rig->port.commEvent() != SerialPort::EventReceive)
            return;
        require(m_before.has_value(), "a receive event only while characters arrive");
        const Snapshot after(*m_rig);
        checkEvent(*m_before, after, m_read);
        ++m_events;
        m_before.emplace(after);
        m_read = after.buffered;
    }

    void checkEvent(const Snapshot &before, const Snapshot &after, const QString &read)
    {
        const std::optional<Awaiting> served = before.firstRaised();
        const std::optional<Awaiting> next = served ? successor(*served) : std::nullopt;
        const QString what = (served ? QString(awaitingName(*served)) : QStringLiteral("no flag")) +
                             QStringLiteral(" served, read: ") + read;

        require(after.buffered.isEmpty(), "the branch reads everything buffered", what);
        require(after.pointer == frmMain::MousePointer::Default, "the pointer is reset", what);
        require(after.threshold == before.threshold || after.threshold == kThresholdDefault ||
                    after.threshold == kThresholdDec,
                "the threshold is left or set to 1 or 10", what);
        require(after.writes <= before.writes + 1, "at most one command per event", what);
        require(after.pauses <= before.pauses + 1, "at most one pause per event", what);

        for (const Awaiting flag : kAwaitingTestOrder) {
            const auto i = static_cast<std::size_t>(flag);
            if (served && flag == *served) {
                const bool staysRaised = flag == Awaiting::AutostarGoto && autostarTaking(read);
                require(after.flags[i] == staysRaised, "the served flag is lowered", what);
            } else if (next && flag == *next) {
                require(after.flags[i] || !before.flags[i], "the next flag is not lowered", what);
            } else {
                require(after.flags[i] == before.flags[i],
                        "a flag the branch does not own stays as it was", what);
            }
        }

        const bool chainGoesOn = next && after.flags[static_cast<std::size_t>(*next)] &&
                                 !before.flags[static_cast<std::size_t>(*next)];
        if (after.writes > before.writes)
            require(next && after.flags[static_cast<std::size_t>(*next)],
                    "a command is written only with the next flag of its exchange", what);
        if (chainGoesOn && after.portOpen)
            require(after.writes == before.writes + 1, "the next flag goes with the next command",
                    what);

        if (!served) {
            require(after.status == read, "unexpected input is shown as it came", what);
            require(window().ReceiveBuffer.isEmpty(), "unexpected input is not kept", what);
            require(after.writes == before.writes && after.threshold == before.threshold &&
                        after.timerRunning == before.timerRunning,
                    "unexpected input leaves the line alone", what);
            const frmCmd *console = window().console();
            if (window().ConsoleOpen && console) {
                // The reply box gathers a reply's pieces until the next command.
                require(after.reply == (before.reply + read).left(console->Text2->maxLength()),
                        "unexpected input is added to the open console's reply", what);
            } else {
                require(after.reply == before.reply, "a closed console is left alone", what);
            }
        }
    }

    void timeout()
    {
        if (!window().Timer1->isActive())
            return;
        const Snapshot before(*m_rig);
        window().Timer1_Timer();
        const Snapshot after(*m_rig);
        require(after.flags == before.flags, "the time-out lowers no flag", after.status);
        require(!after.timerRunning && after.pointer == frmMain::MousePointer::Default,
                "the time-out stops its timer and resets the pointer", after.status);
        require(after.status.startsWith(QLatin1String("Timeout ")), "the time-out says so",
                after.status);
    }

    // ---- what the user does -------------------------------------------------

    void action(std::uint8_t which)
    {
        frmMain &w = window();
        switch (which % 11) {
        case 0:
            w.CommandGet_Click();
            break;
        case 1:
            w.CommandGotoRADEC_Click();
            break;
        case 2:
            w.TelescopeStatusButton_Click();
            break;
        case 3:
            w.TelescopeInfoButton_Click();
            break;
        case 4:
            w.TelescopeSiteButton_Click();
            break;
        case 5:
            w.TelescopeDateButton_Click();
            break;
        case 6:
            w.TelescopeAzButton_Click();
            break;
        case 7:
            w.CommandGotoAbort_Click();
            break;
        case 8:
            w.CommandConnect_Click();
            break;
        case 9:
            w.DispRecBufferButton_Click();
            break;
        default:
            m_rig->port.loseConnection(QStringLiteral("unplugged"));
            break;
        }
    }

    std::unique_ptr<Rig> m_plain;
    std::unique_ptr<Rig> m_withConsole;
    Rig *m_rig = nullptr;
    std::optional<Snapshot> m_before;
    QString m_read;
    int m_events = 0;
};

Harness *harness = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_dispatcher";
    static char *argv[] = {name, nullptr};
    // Both live until the process ends; tearing Qt down is not under test.
    new QApplication(argc, argv);
    harness = new Harness;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    harness->run(data, size);
    return 0;
}
