#pragma once

#include "app/frmMain_ui.h"
#include "link/awaited.h"
#include "link/linetap.h"
#include "platform/platform.h"

#include <QColor>
#include <QMainWindow>
#include <QString>

#include <array>

namespace orrinet {
enum class TelescopeQuery;
class BlockingWait;
class MessageBoxes;
class SerialPort;
class SettingsStore;
class frmMonitor;
}
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
    // Before Comm1, which is the machine's line seen through it.
    orrinet::LineTap m_lineTap;

public:
    // ---- platform -------------------------------------------------------
    orrinet::SerialPort &Comm1;
    orrinet::SettingsStore &Settings;
    orrinet::BlockingWait &Pause;
    orrinet::MessageBoxes &Messages;

    // ---- shared state ---------------------------------------------------
    bool Loading = false;
    std::array<QString, 13> RateLabels{};    // index 0 stays empty
    std::array<QString, 10> PlanetCommands{}; // index 0 stays empty
    int ComPort = 0;
    int FocusSpeed = 0;
    int PointerTimeIndex = 0;
    int PointerTimeInterval = 500;
    QColor ConnectBackColor;
    QColor ConnectedBackColor;

    QString ReceiveBuffer;
    QString RaString;
    QString DecString;
    QString GotoText;
    QString FirmwareText;
    QString ProductText;
    QString DateText;
    QString TimeText;
    QString LatitudeText;
    QString LongitudeText;
    QString AzimuthText;
    QString AltitudeText;

    // Awaited-reply flags, listed in the order the dispatcher tests them.
    bool WaitingRa = false;
    bool WaitingDec = false;
    bool WaitingFirmware = false;
    bool WaitingProduct = false;
    bool WaitingDate = false;
    bool WaitingTime = false;
    bool WaitingAzimuth = false;
    bool WaitingAltitude = false;
    bool WaitingLatitude = false;
    bool WaitingLongitude = false;
    bool WaitingGotoRa = false;
    bool WaitingGotoDec = false;
    bool WaitingGoto = false;
    bool WaitingGps = false;
    bool WaitingAlign = false;
    bool WaitingAutostarGoto = false;
    bool WaitingAutostar = false;
    bool WaitingStatus = false;
    bool ConsoleOpen = false;

    // ---- helpers every subsystem uses ----------------------------------
    QString statusText() const;
    // The status line shows text as plain text, never as markup.
    void setStatusText(const QString &text);

    enum class MousePointer { Default, Hourglass };
    void setMousePointer(MousePointer pointer);
    MousePointer mousePointer() const { return m_mousePointer; }

    // Gives the keyboard focus back to the keyboard pad; no effect while the
    // pad is hidden.
    void focusPad();

    // The key-map window object lives from start-up to the end of the program.
    KeyMap &keyMap() const { return *m_keyMap; }
    frmAbout *aboutWindow() const { return m_about; }
    frmCmd *console() const { return m_console; }
    orrinet::frmMonitor *lineMonitor() const { return m_monitor; }

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
    void CommandGotoAbort_Click();

    // ---- motion -----------------------------------------------------------
    void ShowRateLabel(int Index);
    void SliderMove_Scroll();
    void SliderMove_Change();
    void OptionFocus_Click(int Index);
    void PTDbutton_Click(int Index);

    // ---- commands ---------------------------------------------------------
    void SendButton_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Connections of each subsystem's controls, made once by the constructor.
    void wireApp();      // app menus, connection controls, CheckRADEC
    void wireMotion();   // slider, focus options, pointer halt-delay menu
    void wireLink();     // receive event, Timer1, Telescope menu
    void wireCoords();   // Goto, Get, Halt
    void wireCommands(); // LX200GPS and Autostar menus, console
    void wireMonitor();  // the Line Monitor item, last of the Program menu

    // Dispatcher branches, one per awaited-reply flag.
    void serveRa();
    void serveDec();
    void serveFirmware();
    void serveProduct();
    void serveDate();
    void serveTime();
    void serveAzimuth();
    void serveAltitude();
    void serveLatitude();
    void serveLongitude();
    void serveGotoRa();
    void serveGotoDec();
    void serveGoto();
    void serveGps();
    void serveAlign();
    void serveAutostarGoto();
    void serveAutostar();
    void serveStatus();
    void serveUnexpected();

    // First step of a two-step query: store, ask for the second part.
    void serveFirstStep(orrinet::TelescopeQuery query);
    // Second step: store, then compose and show the result line.
    void serveSecondStep(orrinet::TelescopeQuery query);

    // Sends the first command of a telescope query.
    void sendQuery(orrinet::TelescopeQuery query);

    // Each awaited-reply flag with its branch, in the order the receive
    // handler tests them.
    struct DispatchEntry
    {
        orrinet::Awaiting awaits;
        bool frmMain::*flag;
        void (frmMain::*serve)();
    };
    static const std::array<DispatchEntry, orrinet::kAwaitingCount> kDispatchTable;
    static bool frmMain::*waitingMember(orrinet::Awaiting awaits);

    // Characters of the status text that the status bar shows.
    static constexpr qsizetype kStatusShownLength = 256;
    QString m_statusText;
    MousePointer m_mousePointer = MousePointer::Default;
    KeyMap *m_keyMap = nullptr;
    frmAbout *m_about = nullptr;
    frmCmd *m_console = nullptr;
    orrinet::frmMonitor *m_monitor = nullptr;
    bool m_unloaded = false;
};
