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
//     13       a user action (next byte, % 20): 0-10 Get, Goto, the five
//              queries, Halt, Connect/Disconnect, Display Receive Buffer, the
//              line lost; then manual motion, each but the last four with
//              one more byte: 11 a mouse button pressed on a move button
//              (byte % 6 the button, / 6 % 3 left, right or middle), 12 one
//              held mouse button let go, 13 a key pressed on the pad (byte % 27
//              the key, bits 5-6 Shift, Ctrl or Alt; a held key repeats, bit
//              7 as X11 or as Windows repeats it), 14 one held key let go,
//              15 the focus moved elsewhere in the window, 16 a click on the
//              pad, 17 the window deactivated, 18 activated, 19 closed (the
//              input ends there)
//     14       ConsoleOpen flipped
// Keys and mouse buttons still held when the input ends are let go.
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
//
// Manual motion, after every step: nothing is written to a closed line; a
// move command comes only from the press of its own button or key; a move
// that runs is still held, by a mouse button on its button while the window
// is active, or by its key on the pad while the pad has the focus in the
// active window, and the line is open: every other end of a hold (the
// release, the focus leaving the pad, deactivation, disconnect, closing)
// has written its stop, once in that step. A stop comes only where a hold
// ends: for a move that runs, or from the release of that move's own button
// or key (a release always sends its stop). A lost line can take no stop.
// (A receive event on a closed line, which only the harness can raise, may
// write the next command of its exchange.)

#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "app/picturebox.h"
#include "app/virtualkeys.h"
#include "commands/frmCmd.h"
#include "coords/coordinatelists.h"
#include "coords/coordinates.h"
#include "fuzzcheck.h"
#include "link/awaited.h"
#include "link/protocol.h"
#include "link/querylines.h"
#include "motion/manualmoves.h"
#include "support/fakeserialport.h"
#include "support/panelfixture.h"
#include "support/recordingwait.h"
#include "support/waitingflags.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
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

constexpr int kActionCount = 20;

// The keys pressed on the pad: each key of its table, Tab both ways, Esc and
// a key with no action.
constexpr std::array<int, 27> kKeys{
    Qt::Key_Up,      Qt::Key_Down,   Qt::Key_Right, Qt::Key_Left,   Qt::Key_End,   Qt::Key_PageDown,
    Qt::Key_F1,      Qt::Key_F2,     Qt::Key_F3,    Qt::Key_F4,     Qt::Key_F5,    Qt::Key_F6,
    Qt::Key_F7,      Qt::Key_F8,     Qt::Key_F9,    Qt::Key_F10,    Qt::Key_F11,   Qt::Key_F12,
    Qt::Key_F13,     Qt::Key_F14,    Qt::Key_Home,  Qt::Key_PageUp, Qt::Key_Space, Qt::Key_Tab,
    Qt::Key_Backtab, Qt::Key_Escape, Qt::Key_A,
};
constexpr std::array<Qt::KeyboardModifiers::enum_type, 4> kModifiers{
    Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier};
constexpr std::array<Qt::MouseButton, 3> kMouseButtons{Qt::LeftButton, Qt::RightButton,
                                                       Qt::MiddleButton};

// What holds a running move.
enum Holder : std::uint8_t { kByMouse = 1, kByKey = 2 };

// The press or release a step made, for the motion invariants.
struct Gesture
{
    std::optional<Move> pressed;
    std::uint8_t by = 0;
    std::optional<Move> released;
    bool lineLost = false;
    QString what; // for the report
    // A receive event on a closed line: only the harness raises one.
    bool eventWhileClosed = false;
};

struct HeldKey
{
    int key;
    Qt::KeyboardModifiers modifiers;
};

std::optional<Move> keyMove(const HeldKey &key)
{
    return padMove(windowsKeyCode(key.key, key.modifiers));
}

// Activation as the window system would hand it over, at once.
void activate(QWidget *window)
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(window);
    QT_WARNING_POP
}

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
          gathered(rig.window.console() ? rig.window.console()->gatheredReply() : QString()),
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
    QString gathered;
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
        // A closed window has unloaded for good.
        if (slot->wait.elapsed() > kClockLimitMs || !slot->window.isVisible())
            slot = buildRig(config & 1);
        m_rig = slot.get();
        reset();
        start(config, in);
        while (!in.atEnd() && !m_closed)
            step(in);
        letEverythingGo();
        // Let the widgets take what they posted (layout requests and the like).
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_rig = nullptr;
    }

private:
    std::unique_ptr<Rig> buildRig(bool withConsole)
    {
        auto rig = std::make_unique<Rig>();
        // Shown, so that the pad can have the focus; activated per input.
        // Nothing needs its pixels: no window on the (offscreen) screen.
        rig->window.setAttribute(Qt::WA_DontShowOnScreen);
        rig->window.show();
        QCoreApplication::processEvents();
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
        // A key left held while the pad lost the focus keeps it set.
        w.KeyIsDown = false;
        activate(&w);
        m_running = {};
        m_grab.reset();
        m_mouseButtons = {};
        m_keys.clear();
        m_closed = false;
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
        const qsizetype written = m_rig->port.writes().size();
        const qsizetype refused = m_rig->port.refusedWrites().size();
        Gesture gesture;
        stepWithout(in, gesture);
        checkMotion(gesture, written, refused);
    }

    void stepWithout(Bytes &in, Gesture &gesture)
    {
        const int kind = in.next() & 0x0F;
        switch (kind) {
        case 8:
            gesture.eventWhileClosed = !m_rig->port.isOpen();
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
            action(in, gesture);
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
                // The reply box gathers a reply's pieces since the last Send or
                // opening.
                require(after.reply == (before.gathered + read).left(console->Text2->maxLength()),
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

    void action(Bytes &in, Gesture &gesture)
    {
        frmMain &w = window();
        const int which = in.next() % kActionCount;
        gesture.what = QStringLiteral("action ") + QString::number(which);
        switch (which) {
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
        case 10:
            gesture.lineLost = true;
            m_rig->port.loseConnection(QStringLiteral("unplugged"));
            break;
        case 11:
            pressMouse(in.next(), gesture);
            break;
        case 12:
            releaseMouse(in.next(), gesture);
            break;
        case 13:
            pressKey(in.next(), gesture);
            break;
        case 14:
            releaseKey(in.next(), gesture);
            break;
        case 15: {
            QWidget *const elsewhere = (in.next() & 1) ? static_cast<QWidget *>(w.CommandConnect)
                                                       : static_cast<QWidget *>(w.ComboRAh);
            elsewhere->setFocus(Qt::TabFocusReason);
            break;
        }
        case 16:
            // A click activates the window and gives the pad the focus.
            if (w.PictureNav->isVisibleTo(&w)) {
                activate(&w);
                w.PictureNav->setFocus(Qt::MouseFocusReason);
            }
            break;
        case 17:
            activate(nullptr);
            break;
        case 18:
            activate(&w);
            break;
        default:
            w.close();
            m_closed = true;
            break;
        }
    }

    // ---- manual motion --------------------------------------------------

    bool active() { return QApplication::activeWindow() == &window(); }

    orrinet::CommandButton *moveButton(Move move) { return window().*manualMove(move).button; }

    void pressMouse(std::uint8_t which, Gesture &gesture)
    {
        const Qt::MouseButton button = kMouseButtons[which / kMoveCount % kMouseButtons.size()];
        if (m_mouseButtons & button)
            return;
        // A button already held keeps the mouse on its widget.
        const Move move = m_grab.value_or(static_cast<Move>(which % kMoveCount));
        orrinet::CommandButton *target = moveButton(move);
        if (!m_grab) {
            if (!target->isVisible() || !target->isEnabled())
                return;          // the press goes elsewhere
            activate(&window()); // a click activates the window
        } else if (!active()) {
            // Deactivated while a mouse button was held: the window now
            // active has the pointer. (Were it still this window's, a move
            // would run in an inactive window until its release came.)
            return;
        }
        m_grab = move;
        m_mouseButtons |= button;
        gesture = {move, kByMouse, std::nullopt, false,
                   QStringLiteral("mouse pressed on ") + target->objectName()};
        QTest::mousePress(target, button);
    }

    void releaseMouse(std::uint8_t which, Gesture &gesture)
    {
        std::vector<Qt::MouseButton> held;
        for (const Qt::MouseButton button : kMouseButtons) {
            if (m_mouseButtons & button)
                held.push_back(button);
        }
        if (held.empty())
            return;
        const Qt::MouseButton button = held[which % held.size()];
        const Move move = *m_grab;
        m_mouseButtons &= ~button;
        if (!m_mouseButtons)
            m_grab.reset();
        gesture = {std::nullopt, 0, move, false,
                   QStringLiteral("mouse released on ") + moveButton(move)->objectName()};
        // The widget that took the press takes the release, shown or not.
        QTest::mouseRelease(moveButton(move), button);
    }

    // Keys go to the pad while it has the focus in the active window; any
    // other widget's keys are not under test here.
    bool padHasFocus() { return active() && QApplication::focusWidget() == window().PictureNav; }

    void sendKey(QEvent::Type type, const HeldKey &key, bool repeat)
    {
        if (!padHasFocus())
            return;
        QKeyEvent event(type, key.key, key.modifiers, QString(), repeat);
        QApplication::sendEvent(window().PictureNav, &event);
    }

    void pressKey(std::uint8_t which, Gesture &gesture)
    {
        const HeldKey key{kKeys[which % kKeys.size()], kModifiers[(which >> 5) & 3]};
        const bool held = std::any_of(m_keys.begin(), m_keys.end(),
                                      [&key](const HeldKey &k) { return k.key == key.key; });
        gesture = {keyMove(key), kByKey, std::nullopt, false,
                   QString::fromLatin1(held ? "key repeated: " : "key pressed: ") +
                       QString::number(key.key, 16)};
        if (!held) {
            m_keys.push_back(key);
        } else if (which & 0x80) {
            sendKey(QEvent::KeyRelease, key, true); // X11 repeats as release and press
        }
        sendKey(QEvent::KeyPress, key, held);
    }

    void releaseKey(std::uint8_t which, Gesture &gesture)
    {
        if (m_keys.empty())
            return;
        const auto at = m_keys.begin() + static_cast<std::ptrdiff_t>(which % m_keys.size());
        const HeldKey key = *at;
        m_keys.erase(at);
        gesture = {std::nullopt, 0, keyMove(key), false,
                   QStringLiteral("key released: ") + QString::number(key.key, 16)};
        sendKey(QEvent::KeyRelease, key, false);
    }

    // Whatever the input left held is let go, as the user would in the end.
    void letEverythingGo()
    {
        while (!m_closed && (m_mouseButtons || !m_keys.empty())) {
            const qsizetype written = m_rig->port.writes().size();
            const qsizetype refused = m_rig->port.refusedWrites().size();
            Gesture gesture;
            if (m_mouseButtons)
                releaseMouse(0, gesture);
            else
                releaseKey(0, gesture);
            checkMotion(gesture, written, refused);
        }
    }

    bool stillHeld(Move move, std::uint8_t by)
    {
        if (m_closed || !m_rig->port.isOpen() || !active())
            return false;
        if ((by & kByMouse) && m_grab == move)
            return true;
        if ((by & kByKey) && padHasFocus()) {
            return std::any_of(m_keys.begin(), m_keys.end(),
                               [move](const HeldKey &key) { return keyMove(key) == move; });
        }
        return false;
    }

    void checkMotion(const Gesture &gesture, qsizetype writtenBefore, qsizetype refusedBefore)
    {
        const QStringList &refused = m_rig->port.refusedWrites();
        require(refused.size() == refusedBefore || gesture.eventWhileClosed,
                "nothing is written to a closed line",
                gesture.what + QStringLiteral(": ") + refused.join(u' '));
        const auto &writes = m_rig->port.writes();
        QStringList stops;
        for (auto write = writes.begin() + writtenBefore; write != writes.end(); ++write) {
            const QString &text = write->text;
            const QString what = gesture.what + QStringLiteral(": ") + text;
            for (const ManualMove &row : kManualMoves) {
                if (text == row.pressCommand) {
                    require(gesture.pressed == row.move,
                            "a move starts only from the press of its own button or key", what);
                    m_running[static_cast<std::size_t>(row.move)] |= gesture.by;
                }
            }
            const bool isStop =
                std::any_of(kManualMoves.begin(), kManualMoves.end(),
                            [&text](const ManualMove &row) { return text == row.releaseCommand; });
            if (!isStop)
                continue;
            require(!stops.contains(text), "a hold's end writes its stop once", what);
            stops << text;
            bool running = false;
            for (const ManualMove &row : kManualMoves) {
                if (text == row.releaseCommand)
                    running =
                        std::exchange(m_running[static_cast<std::size_t>(row.move)], 0) || running;
            }
            const bool ownRelease =
                gesture.released && manualMove(*gesture.released).releaseCommand == text;
            require(running || ownRelease, "a stop is written only where a hold ends", what);
        }
        if (gesture.lineLost)
            m_running = {}; // no stop can reach the telescope now
        for (const ManualMove &row : kManualMoves) {
            const std::uint8_t by = m_running[static_cast<std::size_t>(row.move)];
            require(!by || stillHeld(row.move, by), "a move ends with its hold: its stop is due",
                    gesture.what + QStringLiteral(", still running: ") + row.pressCommand);
        }
    }

    std::unique_ptr<Rig> m_plain;
    std::unique_ptr<Rig> m_withConsole;
    Rig *m_rig = nullptr;
    std::optional<Snapshot> m_before;
    QString m_read;
    int m_events = 0;
    // Manual motion: what holds each running move, the move button the mouse
    // is on and its buttons held, the keys held, the window closed.
    std::array<std::uint8_t, kMoveCount> m_running{};
    std::optional<Move> m_grab;
    Qt::MouseButtons m_mouseButtons;
    std::vector<HeldKey> m_keys;
    bool m_closed = false;
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
    // Closing a window ends one input, not the run.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    harness = new Harness;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    harness->run(data, size);
    return 0;
}
