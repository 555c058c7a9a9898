#pragma once

#include "app/frmMain_ui.h"
#include "link/awaited.h"
#include "link/linetap.h"
#include "link/sharableline.h"
#include "motion/heldmotion.h"
#include "platform/platform.h"

#include <QColor>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <array>

namespace orrinet {
enum class TelescopeQuery;
struct MaintenanceItem;
class BlockingWait;
class Cursor;
class MessageBoxes;
class SerialPort;
class SettingsStore;
class frmMonitor;
class frmShare;
} // namespace orrinet
class KeyMap;
class frmAbout;
class frmCmd;

// The main window: every control, both timers, the serial line and all state
// shared between the subsystems. Its handlers are split by subsystem:
//   app/      start-up, shut-down, settings, About and key-map windows
//   link/     connection, reply dispatcher, telescope queries
//   coords/   RA/DEC lists, Goto, Get and Halt
//   motion/   slew rate, focuser, keyboard pad, pointer
//   commands/ maintenance commands, Autostar macros, console
class frmMain : public QMainWindow, public frmMainUi
{
    Q_OBJECT

public:
    // Builds the window and runs Form_Load; the window is not shown yet.
    explicit frmMain(const orrinet::Platform &platform, QWidget *parent = nullptr);
    ~frmMain() override;

private:
    // Before Comm1, which is the machine's line seen through them: shared
    // with other programs or not, then tapped for the line monitor.
    orrinet::SharableLine m_sharable;
    orrinet::LineTap m_lineTap;

public:
    // ---- platform -------------------------------------------------------
    orrinet::SerialPort &Comm1;
    orrinet::SettingsStore &Settings;
    orrinet::BlockingWait &Pause;
    orrinet::MessageBoxes &Messages;
    orrinet::Cursor &ScreenCursor;

    // ---- shared state ---------------------------------------------------
    bool Loading = false;
    std::array<QString, 13> RateLabels{};     // index 0 stays empty
    std::array<QString, 10> PlanetCommands{}; // index 0 stays empty
    int ComPort = 0;
    int FocusSpeed = 0;
    int PointerTimeIndex = 0;
    int PointerTimeInterval = 500;
    // Pointer slewing: the echo of a re-centring to skip, the reference
    // position in the pad, the directions sent during this slew, and the
    // pad's client area and centre on the screen.
    bool SkipNextPointerMove = false;
    float LastPointerX = 0;
    float LastPointerY = 0;
    bool MovingNorth = false;
    bool MovingSouth = false;
    bool MovingEast = false;
    bool MovingWest = false;
    // Keyboard pad: a key is held; its auto-repeated presses do nothing.
    bool KeyIsDown = false;
    QRect PointerRect;
    QPoint PointerOrigin;
    double PointerCentreX = 0;
    int PointerCentreY = 0;
    QColor ConnectBackColor;
    QColor ConnectedBackColor;

    QString ReceiveBuffer;
    QString RaString;
    QString DecString;
    QString GotoText;
    // The target commands of the current Goto, apart from the replies a Get
    // keeps in RaString and DecString.
    QString GotoRaCommand;
    QString GotoDecCommand;
    QString FirmwareText;
    QString ProductText;
    QString DateText;
    QString TimeText;
    QString LatitudeText;
    QString LongitudeText;
    QString AzimuthText;
    QString AltitudeText;

    // Awaited-reply flags, in the order the dispatcher tests them.
    // clang-format off
#define ORRINET_WAITING_MEMBER(id, flag, threshold, timeout, branch) bool flag = false;
    ORRINET_AWAITED_REPLIES(ORRINET_WAITING_MEMBER)
#undef ORRINET_WAITING_MEMBER
    // clang-format on
    bool ConsoleOpen = false;

    // ---- pending exchanges ------------------------------------------------
    // Every sender of a command that awaits a reply calls startExchange()
    // first, then raises its flag with awaitReply() (branches that continue an
    // exchange only raise the next flag).
    //
    // startExchange() ends the exchanges whose reply is overdue (older than
    // the reply time-out), so that a reply that never came cannot be taken for
    // the new exchange's reply. A late reply within the time-out is still served.
    void startExchange();
    void awaitReply(orrinet::Awaiting flag);
    // Ends every pending exchange: the line is gone, no reply can come.
    void endAllExchanges();

    // ---- helpers every subsystem uses ----------------------------------
    QString statusText() const;
    // The status line shows text as plain text, never as markup.
    void setStatusText(const QString &text);

    enum class MousePointer { Default, Hourglass };
    void setMousePointer(MousePointer pointer);
    MousePointer mousePointer() const
    {
        return m_mousePointer;
    }

    // Lines lost so far. A handler that waited in a message box compares it
    // with the count from before the box: a loss meanwhile keeps its report
    // as the status text.
    int connectionLosses() const
    {
        return m_connectionLosses;
    }

    // Gives the keyboard focus back to the keyboard pad; no effect while the
    // pad is hidden.
    void focusPad();

    // The key-map window object lives from start-up to the end of the program.
    KeyMap &keyMap() const
    {
        return *m_keyMap;
    }
    frmAbout *aboutWindow() const
    {
        return m_about;
    }
    frmCmd *console() const
    {
        return m_console;
    }
    orrinet::frmMonitor *lineMonitor() const
    {
        return m_monitor;
    }
    orrinet::frmShare *shareWindow() const
    {
        return m_share;
    }
    orrinet::SharableLine &sharableLine()
    {
        return m_sharable;
    }

    QAction *ShareButton = nullptr;
    QAction *LineMonitorButton = nullptr;

    // ---- app: start-up, shut-down, settings, secondary windows ----------
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void ExitButton_Click();
    void RemoveRegButton_Click();
    void HelpAboutButton_Click();
    void HelpKeymapButton_Click();
    void LineMonitorButton_Click();
    void ShareButton_Click();

    // ---- link: connection ------------------------------------------------
    void Combo1_Click();
    void CommandConnect_Click();
    void Comm1_OnLost(const QString &reason); // the device went away while connected
    void Send_Command(const QString &Command);
    void DispRecBufferButton_Click();

    // ---- link: dispatcher and queries ----------------------------------
    void Comm1_OnComm();
    void Timer1_Timer();
    void TelescopeStatusButton_Click();
    void TelescopeInfoButton_Click();
    void TelescopeSiteButton_Click();
    void TelescopeDateButton_Click();
    void TelescopeAzButton_Click();

    // ---- coords ---------------------------------------------------------
    void CheckRADEC_Click();
    void ShowReceivedCoordinates();
    void CommandGotoRADEC_Click();
    void CommandGet_Click();
    void TimerPrecision_Timer();
    void CommandGotoAbort_Click();

    // ---- motion -----------------------------------------------------------
    void ShowRateLabel(int Index);
    void SliderMove_Scroll();
    void SliderMove_Change();
    void OptionFocus_Click(int Index);
    // Press and release of a direction or focuser button (any mouse button),
    // also called by the keyboard pad with HeldBy::Key.
    void CommandMove_MouseDown(orrinet::Move move, orrinet::HeldBy by = orrinet::HeldBy::Button);
    void CommandMove_MouseUp(orrinet::Move move);
    void PictureNav_KeyDown(int KeyCode, int Shift);
    void PictureNav_KeyUp(int KeyCode, int Shift);
    void PictureNav_GotFocus();
    void PictureNav_LostFocus();
    void PTDbutton_Click(int Index);
    void CheckPointerControl_Click();
    void PicturePointer_MouseMove(int Button, int Shift, double X, double Y);
    void PicturePointer_MouseDown(int Button, int Shift, double X, double Y);
    void PicturePointer_KeyDown(int KeyCode, int Shift);
    void PicturePointer_GotFocus();
    void TimerMove_Timer();

    // ---- commands ---------------------------------------------------------
    void AutostarQuery_Click();
    void GotoPolaris_Click(int Index);
    void GotoButton_Click(int Index);
    void SendButton_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Connections of each subsystem's controls, made once by the constructor.
    void wireApp();      // app menus, connection controls, CheckRADEC
    void wireMotion();   // slider, focus options, pointer halt-delay menu
    void wireLink();     // receive event, Timer1, Telescope menu
    void wireCoords();   // Goto, Get, Halt
    void wireCommands(); // LX200GPS and Autostar menus, console
    void wireShare();    // the Share Telescope item and window
    void wireMonitor();  // the Line Monitor item, last of the Program menu

    // Writes the stop of every manual move still running (those a held key
    // started, or all) at once: no pause, no position read, no focus change.
    void stopHeldMoves(std::optional<orrinet::HeldBy> by = std::nullopt);

    // Pointer mode: park the pointer in the pad's centre and hold it there;
    // let it go; write a halt that is still to come now.
    void holdPointerInPad();
    void recentrePointer();
    void letPointerGo();
    void haltPendingPointerSlew();

    // Dispatcher branches, one per awaited-reply flag.
    // clang-format off
#define ORRINET_BRANCH_MEMBER(id, flag, threshold, timeout, branch) void branch();
    ORRINET_AWAITED_REPLIES(ORRINET_BRANCH_MEMBER)
#undef ORRINET_BRANCH_MEMBER
    // clang-format on
    void serveUnexpected();

    // First step of a two-step query: store, ask for the second part.
    void serveFirstStep(orrinet::TelescopeQuery query);
    // Second step: store, then compose and show the result line.
    void serveSecondStep(orrinet::TelescopeQuery query);

    // Applies every saved choice, key by key (settings.cpp).
    void restoreSettings();

    // Connected: the four frames shown, the telescope menus enabled, the port
    // choice locked. Disconnected: the picture and the port choice instead.
    void showConnectionFace(bool connected);
    // Any LX200GPS housekeeping item: confirms where asked, writes the
    // item's command and shows its text.
    void maintenanceItem_Click(const orrinet::MaintenanceItem &item);
    // Writes a keypad macro, pausing between its commands, and awaits the
    // display text its last command asks for.
    void sendKeypadMacro(const QStringList &commands);

    // Asks for the RA reply that begins a Get.
    void askForPosition();

    // Sends the first command of a telescope query.
    void sendQuery(orrinet::TelescopeQuery query);

    // Each awaited-reply flag with its branch, in the order the receive
    // handler tests them.
    struct DispatchEntry
    {
        bool frmMain::*flag;
        void (frmMain::*serve)();
    };
    static const std::array<DispatchEntry, orrinet::kAwaitingCount> kDispatchTable;
    bool &waiting(orrinet::Awaiting flag);
    // Stops Timer1 when no awaited reply has its time-out reported.
    void stopTimeoutIfUnused();

    // When each flag was last raised, on m_clock.
    QElapsedTimer m_clock;
    std::array<qint64, orrinet::kAwaitingCount> m_raisedAt{};

    // Characters of the status text that the status bar shows.
    static constexpr qsizetype kStatusShownLength = 256;
    QString m_statusText;
    MousePointer m_mousePointer = MousePointer::Default;
    KeyMap *m_keyMap = nullptr;
    frmAbout *m_about = nullptr;
    frmCmd *m_console = nullptr;
    orrinet::frmMonitor *m_monitor = nullptr;
    orrinet::frmShare *m_share = nullptr;
    bool m_unloaded = false;
    int m_connectionLosses = 0;
    bool m_pointerHeld = false; // pointer mode holds the pointer in the pad
    orrinet::HeldMotion m_heldMoves;
    bool m_focusOptionWasChosen = false; // at the press on a focus option
};
