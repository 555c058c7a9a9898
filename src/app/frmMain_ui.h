#pragma once

#include <QString>
#include <array>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMainWindow;
class QMenu;
class QRadioButton;
class QSlider;
class QStatusBar;
class QTimer;
class QWidget;

namespace orrinet {
class CommandButton;
class PictureBox;
} // namespace orrinet

// The controls and menus of the main window, with the names the rest of the
// program uses. setupUi() creates them at their design places (twips turned
// into pixels at the screen's logical DPI), with captions, tool tips, colours
// and the initial hidden/disabled states.
class frmMainUi
{
public:
    void setupUi(QMainWindow *window);

    // The client area that holds every control (the menu bar sits above it).
    QWidget *Client = nullptr;
    QFrame *Line1 = nullptr;

    orrinet::CommandButton *CommandConnect = nullptr;
    QComboBox *Combo1 = nullptr;
    QCheckBox *SendCheck = nullptr;
    orrinet::PictureBox *Picture1 = nullptr;

    QFrame *FrameAutostar = nullptr;
    orrinet::PictureBox *PictureNav = nullptr;
    QLabel *LabelKeyControls = nullptr;

    QGroupBox *FrameFocus = nullptr;
    std::array<QRadioButton *, 4> OptionFocus{}; // Index 0 "Fine" .. 3 "Fast"
    orrinet::CommandButton *CommandFocusIn = nullptr;
    orrinet::CommandButton *CommandFocusOut = nullptr;

    QGroupBox *FrameMove = nullptr;
    orrinet::CommandButton *CommandMoveN = nullptr;
    orrinet::CommandButton *CommandMoveW = nullptr;
    orrinet::CommandButton *CommandMoveE = nullptr;
    orrinet::CommandButton *CommandMoveS = nullptr;
    QLabel *LabelRate = nullptr;
    QSlider *SliderMove = nullptr; // positions 1..12
    QCheckBox *CheckPointerControl = nullptr;

    QGroupBox *FrameRADEC = nullptr;
    orrinet::CommandButton *CommandGotoRADEC = nullptr;
    orrinet::CommandButton *CommandGet = nullptr;
    orrinet::CommandButton *CommandGotoAbort = nullptr;
    QComboBox *ComboRAh = nullptr;
    QComboBox *ComboRAm = nullptr;
    QComboBox *ComboRAs = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *ComboDECsign = nullptr;
    QComboBox *ComboDECd = nullptr;
    QComboBox *ComboDECm = nullptr;
    QComboBox *ComboDECs = nullptr;
    QLabel *Label2 = nullptr;
    QCheckBox *CheckRADEC = nullptr;
    QLabel *LabelRADEC = nullptr;

    orrinet::PictureBox *PicturePointer = nullptr;

    // The status line: one plain-text line across the bottom.
    QStatusBar *StatusBar1 = nullptr;
    QLabel *StatusText = nullptr;

    QTimer *Timer1 = nullptr;    // reply time-out, 5000 ms, stopped
    QTimer *TimerMove = nullptr; // pointer halt, 500 ms, stopped
    // A Get's wait for a reply a telescope in low precision cuts short,
    // 5000 ms, single shot, stopped.
    QTimer *TimerPrecision = nullptr;

    // Menu bar, left to right.
    QAction *ExitButton = nullptr;

    QMenu *ProgramlMenu = nullptr;
    QMenu *PTMD = nullptr;
    std::array<QAction *, 7> PTDbutton{}; // Index 1..6; [0] unused
    QAction *pointsep = nullptr;
    QAction *RemoveRegButton = nullptr;
    QAction *regsep = nullptr;
    QAction *DispRecBufferButton = nullptr;
    QAction *HelpKeymapButton = nullptr;
    QAction *HelpAboutButton = nullptr;

    QMenu *LX200Menu = nullptr;
    QAction *GpsButton = nullptr;
    QAction *syncsep = nullptr;
    QAction *AutoButton = nullptr;
    QAction *InitButton = nullptr;
    QAction *sep1 = nullptr;
    QAction *HomePosAlignButton = nullptr;
    QAction *HomePosStoreButton = nullptr;
    QAction *sep2 = nullptr;
    QAction *SleepButton = nullptr;
    QAction *WakeButton = nullptr;
    QAction *ParkButton = nullptr;
    QAction *cmdsep = nullptr;
    QAction *SendButton = nullptr;

    QMenu *TeleMenu = nullptr;
    QAction *TelescopeStatusButton = nullptr;
    QAction *TelescopeInfoButton = nullptr;
    QAction *TelescopeSiteButton = nullptr;
    QAction *TelescopeDateButton = nullptr;
    QAction *TelescopeAzButton = nullptr;

    QMenu *GotoMenu = nullptr;
    QAction *AutostarQuery = nullptr;
    QAction *starsep = nullptr;
    std::array<QAction *, 2> GotoPolaris{}; // Index 1 only
    QAction *planetsep = nullptr;
    std::array<QAction *, 10> GotoButton{}; // Index 1..9; [0] unused
};
