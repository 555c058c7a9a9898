#include "app/frmMain_ui.h"

#include "app/commandbutton.h"
#include "app/formfont.h"
#include "app/picturebox.h"
#include "app/twips.h"
#include "commands/maintenance.h"
#include "link/protocol.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>

namespace {

using orrinet::Art;
using orrinet::CommandButton;
using orrinet::PictureBox;
using orrinet::place;

// Design colours, 0x00BBGGRR.
constexpr quint32 ConnectGreen = 0x00D0FFD0;
constexpr quint32 LightCyan = 0x00FFFFC0;
constexpr quint32 LightYellow = 0x0080FFFF;
constexpr quint32 LightRed = 0x00C0C0FF;
constexpr quint32 LightGrey = 0x00E0E0E0;
constexpr quint32 DarkGreen = 0x00008000;
constexpr quint32 Red = 0x000000FF;

// The bullets of the pad indicator are larger than the captions, to be seen.
constexpr int BulletPointSize = 11;

// Client area of the window at design, twips.
constexpr double ClientWidth = 5556;
constexpr double ClientHeight = 4176;

// Left, Top, Width, Height in twips, relative to the container.
struct Twips
{
    double left;
    double top;
    double width;
    double height;
};

template <typename Widget> Widget *named(Widget *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

void setTextColor(QWidget *widget, quint32 bgr)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, orrinet::colorFromBgr(bgr));
    widget->setPalette(palette);
}

void setBackground(QWidget *widget, quint32 bgr)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, orrinet::colorFromBgr(bgr));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void useRegularWeight(QWidget *widget)
{
    QFont font = widget->font();
    font.setBold(false);
    widget->setFont(font);
}

CommandButton *button(QWidget *parent, const QString &name, const QString &caption, const Twips &at,
                      quint32 back)
{
    auto *b = named(new CommandButton(caption, parent), name);
    place(b, at.left, at.top, at.width, at.height);
    b->setBackColor(orrinet::colorFromBgr(back));
    return b;
}

// Drop-down lists with an editable text part; typed text never becomes an
// item, so list indexes and item data stay as the program filled them.
QComboBox *comboBox(QWidget *parent, const QString &name, const QString &designText,
                    const QString &toolTip, const Twips &at)
{
    auto *combo = named(new QComboBox(parent), name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setEditText(designText);
    combo->setToolTip(toolTip);
    place(combo, at.left, at.top, at.width, at.height);
    return combo;
}

QLabel *label(QWidget *parent, const QString &name, const QString &caption, const Twips &at)
{
    auto *l = named(new QLabel(caption, parent), name);
    l->setTextFormat(Qt::PlainText);
    place(l, at.left, at.top, at.width, at.height);
    return l;
}

// A frame whose caption sits on its top line, leaving the whole inside free
// for controls placed close to the top edge.
class CaptionedFrame : public QGroupBox
{
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int lineY = metrics.height() / 2;
        const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;

        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(group, QPalette::Mid), 1));
        painter.drawRoundedRect(QRectF(0.5, lineY + 0.5, width() - 1, height() - lineY - 1), 2, 2);

        if (title().isEmpty())
            return;
        const QRect caption(CaptionIndent, 0,
                            metrics.horizontalAdvance(title()) + 2 * CaptionPadding,
                            metrics.height());
        painter.fillRect(caption, palette().color(group, QPalette::Window));
        painter.setPen(palette().color(group, QPalette::WindowText));
        painter.drawText(caption, Qt::AlignCenter | Qt::TextHideMnemonic, title());
    }

private:
    static constexpr int CaptionIndent = 6;
    static constexpr int CaptionPadding = 2;
};

QGroupBox *frame(QWidget *parent, const QString &name, const QString &caption, const Twips &at)
{
    auto *box = named(new CaptionedFrame(caption, parent), name);
    place(box, at.left, at.top, at.width, at.height);
    box->hide();
    return box;
}

QAction *separator(QMenu *menu, const QString &name)
{
    return named(menu->addSeparator(), name);
}

QAction *item(QMenu *menu, const QString &name, const QString &caption)
{
    return named(menu->addAction(caption), name);
}

QMenu *menu(QMenuBar *bar, const QString &name, const QString &caption)
{
    QMenu *m = named(bar->addMenu(caption), name);
    m->menuAction()->setObjectName(name + QStringLiteral("Action"));
    return m;
}

QMenu *submenu(QMenu *parent, const QString &name, const QString &caption)
{
    QMenu *m = named(parent->addMenu(caption), name);
    m->menuAction()->setObjectName(name + QStringLiteral("Action"));
    return m;
}

QString indexed(const char *name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

} // namespace

void frmMainUi::setupUi(QMainWindow *window)
{
    window->setObjectName(QStringLiteral("frmMain"));
    window->setWindowTitle(QStringLiteral("Orrinet "));

    Client = named(new QWidget(window), QStringLiteral("Client"));
    Client->setFont(orrinet::formFont());
    window->setCentralWidget(Client);

    // ---- top row --------------------------------------------------------
    CommandConnect = button(Client, QStringLiteral("CommandConnect"), QStringLiteral("Connect"),
                            {60, 120, 1272, 312}, ConnectGreen);
    Combo1 =
        comboBox(Client, QStringLiteral("Combo1"), QString(), QString(), {1380, 120, 1272, 288});

    SendCheck = named(new QCheckBox(QStringLiteral("Set Focus && Rate"), Client),
                      QStringLiteral("SendCheck"));
    SendCheck->setToolTip(QStringLiteral("Focus speed & Slew rate commands sent after connect"));
    useRegularWeight(SendCheck);
    place(SendCheck, 3000, 180, 1632, 192);

    Picture1 = named(new PictureBox(Art::Telescope, Client), QStringLiteral("Picture1"));
    place(Picture1, 60, 540, 4200, 2052);

    // ---- keyboard pad ---------------------------------------------------
    FrameAutostar = named(new QFrame(Client), QStringLiteral("FrameAutostar"));
    FrameAutostar->setFrameShape(QFrame::NoFrame);
    place(FrameAutostar, 60, 600, 612, 1392);
    FrameAutostar->hide();

    PictureNav = named(new PictureBox(Art::ArrowPad, FrameAutostar), QStringLiteral("PictureNav"));
    PictureNav->setFocusPolicy(Qt::StrongFocus);
    // A keyboard user leaves the pad as any other control.
    PictureNav->setTabMovesFocus(true);
    PictureNav->setToolTip(QStringLiteral("Click here to activate Keyboard Controls"));
    place(PictureNav, 60, 300, 372, 840);

    LabelKeyControls = label(FrameAutostar, QStringLiteral("LabelKeyControls"),
                             QString(4, QChar(0x2022)), {60, 60, 432, 240});
    LabelKeyControls->setFont(orrinet::formFont(true, BulletPointSize));
    LabelKeyControls->setAlignment(Qt::AlignCenter);
    LabelKeyControls->setToolTip(QStringLiteral("Keyboard button controls enabled"));
    setTextColor(LabelKeyControls, Red);
    LabelKeyControls->hide();

    // ---- focuser --------------------------------------------------------
    FrameFocus = frame(Client, QStringLiteral("FrameFocus"), QStringLiteral("Focus"),
                       {720, 540, 1932, 1512});
    for (const orrinet::FocusSpeedSetting &speed : orrinet::kFocusSpeeds) {
        auto *option =
            named(new QRadioButton(speed.caption, FrameFocus), indexed("OptionFocus", speed.index));
        useRegularWeight(option);
        place(option, 120, 240.0 + 240.0 * speed.index, 912, 312);
        OptionFocus.at(std::size_t(speed.index)) = option;
    }
    CommandFocusIn = button(FrameFocus, QStringLiteral("CommandFocusIn"), QStringLiteral("In"),
                            {1140, 300, 612, 372}, LightCyan);
    CommandFocusOut = button(FrameFocus, QStringLiteral("CommandFocusOut"), QStringLiteral("Out"),
                             {1140, 840, 612, 372}, LightCyan);

    // ---- slewing --------------------------------------------------------
    FrameMove =
        frame(Client, QStringLiteral("FrameMove"), QStringLiteral("Move"), {2700, 540, 2052, 1512});
    CommandMoveN = button(FrameMove, QStringLiteral("CommandMoveN"), QStringLiteral("N"),
                          {540, 240, 372, 372}, LightCyan);
    CommandMoveW = button(FrameMove, QStringLiteral("CommandMoveW"), QStringLiteral("W"),
                          {120, 600, 372, 372}, LightCyan);
    CommandMoveE = button(FrameMove, QStringLiteral("CommandMoveE"), QStringLiteral("E"),
                          {960, 600, 372, 372}, LightCyan);
    CommandMoveS = button(FrameMove, QStringLiteral("CommandMoveS"), QStringLiteral("S"),
                          {540, 960, 372, 372}, LightCyan);

    LabelRate = label(FrameMove, QStringLiteral("LabelRate"), QStringLiteral("Rate"),
                      {1020, 240, 612, 252});
    LabelRate->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    useRegularWeight(LabelRate);

    // Position 1 at the top. Dragging reports moves and changes the value
    // only on release; keys and clicks change it at once.
    SliderMove = named(new QSlider(Qt::Vertical, FrameMove), QStringLiteral("SliderMove"));
    SliderMove->setRange(orrinet::kSlewRateMinPosition, orrinet::kSlewRateMaxPosition);
    SliderMove->setSingleStep(1);
    SliderMove->setPageStep(1);
    SliderMove->setValue(1);
    SliderMove->setInvertedAppearance(true);
    SliderMove->setInvertedControls(true);
    SliderMove->setTickPosition(QSlider::TicksRight);
    SliderMove->setTickInterval(1);
    SliderMove->setTracking(false);
    place(SliderMove, 1620, 180, 300, 1272);

    CheckPointerControl = named(new QCheckBox(FrameMove), QStringLiteral("CheckPointerControl"));
    CheckPointerControl->setToolTip(QStringLiteral("Enable pointer device slew control"));
    place(CheckPointerControl, 120, 1200, 192, 192);

    // ---- RA/DEC ---------------------------------------------------------
    FrameRADEC = frame(Client, QStringLiteral("FrameRADEC"), QStringLiteral("RA/DEC"),
                       {60, 2100, 4692, 1692});
    CommandGotoRADEC = button(FrameRADEC, QStringLiteral("CommandGotoRADEC"),
                              QStringLiteral("Goto"), {120, 240, 792, 312}, LightCyan);
    CommandGet = button(FrameRADEC, QStringLiteral("CommandGet"), QStringLiteral("Get"),
                        {120, 660, 792, 312}, LightYellow);
    CommandGotoAbort = button(FrameRADEC, QStringLiteral("CommandGotoAbort"),
                              QStringLiteral("Halt"), {1020, 240, 612, 312}, LightRed);

    ComboRAh = comboBox(FrameRADEC, QStringLiteral("ComboRAh"), QStringLiteral("00h"),
                        QStringLiteral("RA Hour"), {1740, 240, 732, 288});
    ComboRAm = comboBox(FrameRADEC, QStringLiteral("ComboRAm"), QStringLiteral("00m"),
                        QStringLiteral("RA Minute"), {2580, 240, 732, 288});
    ComboRAs = comboBox(FrameRADEC, QStringLiteral("ComboRAs"), QStringLiteral("00s"),
                        QStringLiteral("RA Second"), {3420, 240, 732, 288});
    Label1 =
        label(FrameRADEC, QStringLiteral("Label1"), QStringLiteral("RA"), {4200, 300, 252, 192});

    ComboDECsign = comboBox(FrameRADEC, QStringLiteral("ComboDECsign"), QStringLiteral("+"),
                            QStringLiteral("DEC sign"), {1200, 660, 492, 288});
    ComboDECd = comboBox(FrameRADEC, QStringLiteral("ComboDECd"), QStringLiteral("00d"),
                         QStringLiteral("DEC degree"), {1740, 660, 732, 288});
    ComboDECm = comboBox(FrameRADEC, QStringLiteral("ComboDECm"), QStringLiteral("00m"),
                         QStringLiteral("DEC minute"), {2580, 660, 732, 288});
    ComboDECs = comboBox(FrameRADEC, QStringLiteral("ComboDECs"), QStringLiteral("00s"),
                         QStringLiteral("DEC second"), {3420, 660, 732, 288});
    Label2 =
        label(FrameRADEC, QStringLiteral("Label2"), QStringLiteral("DEC"), {4200, 720, 432, 192});

    CheckRADEC = named(new QCheckBox(QStringLiteral("Update RA/DEC boxes after Get"), FrameRADEC),
                       QStringLiteral("CheckRADEC"));
    place(CheckRADEC, 180, 1020, 3192, 252);

    LabelRADEC = label(FrameRADEC, QStringLiteral("LabelRADEC"), QString(), {120, 1320, 4452, 252});
    LabelRADEC->setFrameStyle(QFrame::Box | QFrame::Plain);
    LabelRADEC->setLineWidth(1);
    LabelRADEC->setFont(orrinet::formFont());
    LabelRADEC->setAlignment(Qt::AlignCenter);
    LabelRADEC->setToolTip(QStringLiteral("Last Goto RA/DEC position"));
    setBackground(LabelRADEC, LightGrey);
    setTextColor(LabelRADEC, DarkGreen);

    // ---- pointer pad ----------------------------------------------------
    PicturePointer =
        named(new PictureBox(Art::CrossHair, Client), QStringLiteral("PicturePointer"));
    PicturePointer->setFocusPolicy(Qt::StrongFocus);
    place(PicturePointer, 720, 480, 3108, 3108);
    PicturePointer->hide();

    // ---- status line ----------------------------------------------------
    // A child of the client area at a fixed place: resizing the window moves
    // nothing but the end of Line1.
    StatusBar1 = named(new QStatusBar(Client), QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    place(StatusBar1, 0, 3864, ClientWidth, 312);
    StatusText = named(new QLabel(StatusBar1), QStringLiteral("StatusText"));
    StatusText->setTextFormat(Qt::PlainText);
    StatusBar1->addWidget(StatusText, 1);

    // ---- timers ---------------------------------------------------------
    Timer1 = named(new QTimer(window), QStringLiteral("Timer1"));
    Timer1->setInterval(orrinet::kReplyTimeoutMs);
    Timer1->setSingleShot(false);
    TimerMove = named(new QTimer(window), QStringLiteral("TimerMove"));
    TimerMove->setInterval(500);
    TimerMove->setSingleShot(false);
    TimerPrecision = named(new QTimer(window), QStringLiteral("TimerPrecision"));
    TimerPrecision->setInterval(orrinet::kReplyTimeoutMs);
    TimerPrecision->setSingleShot(true);

    // ---- menus ----------------------------------------------------------
    QMenuBar *bar = window->menuBar();
    bar->setObjectName(QStringLiteral("MenuBar"));

    ExitButton = named(bar->addAction(QStringLiteral("Exit")), QStringLiteral("ExitButton"));

    ProgramlMenu = menu(bar, QStringLiteral("ProgramlMenu"), QStringLiteral("Program"));
    PTMD = submenu(ProgramlMenu, QStringLiteral("PTMD"), QStringLiteral("Pointer halt slew"));
    for (const orrinet::PointerHaltDelay &row : orrinet::kPointerHaltDelays) {
        QAction *delay = item(PTMD, indexed("PTDbutton", row.index), row.caption);
        delay->setCheckable(true);
        delay->setChecked(row.index == 1);
        PTDbutton.at(std::size_t(row.index)) = delay;
    }
    pointsep = separator(ProgramlMenu, QStringLiteral("pointsep"));
    RemoveRegButton = item(ProgramlMenu, QStringLiteral("RemoveRegButton"),
                           QStringLiteral("Remove Registry Entries"));
    regsep = separator(ProgramlMenu, QStringLiteral("regsep"));
    DispRecBufferButton = item(ProgramlMenu, QStringLiteral("DispRecBufferButton"),
                               QStringLiteral("Display Receive Buffer"));
    HelpKeymapButton =
        item(ProgramlMenu, QStringLiteral("HelpKeymapButton"), QStringLiteral("Keyboard Map"));
    HelpAboutButton =
        item(ProgramlMenu, QStringLiteral("HelpAboutButton"), QStringLiteral("About"));

    LX200Menu = menu(bar, QStringLiteral("LX200Menu"), QStringLiteral("LX200GPS"));
    for (const orrinet::MaintenanceItem &row : orrinet::kMaintenanceItems) {
        this->*row.action = item(LX200Menu, row.name, row.caption);
        if (row.separatorAfter)
            this->*row.separatorAfter = separator(LX200Menu, row.separatorName);
    }
    SendButton = item(LX200Menu, QStringLiteral("SendButton"), QStringLiteral("Send Command..."));

    TeleMenu = menu(bar, QStringLiteral("TeleMenu"), QStringLiteral("Telescope"));
    TelescopeStatusButton =
        item(TeleMenu, QStringLiteral("TelescopeStatusButton"), QStringLiteral("Status"));
    TelescopeInfoButton =
        item(TeleMenu, QStringLiteral("TelescopeInfoButton"), QStringLiteral("Firmware verson"));
    TelescopeSiteButton =
        item(TeleMenu, QStringLiteral("TelescopeSiteButton"), QStringLiteral("Site Lat/Lon"));
    TelescopeDateButton =
        item(TeleMenu, QStringLiteral("TelescopeDateButton"), QStringLiteral("Date and Time"));
    TelescopeAzButton =
        item(TeleMenu, QStringLiteral("TelescopeAzButton"), QStringLiteral("Azimuth/Altitude"));

    GotoMenu = menu(bar, QStringLiteral("GotoMenu"), QStringLiteral("Autostar"));
    AutostarQuery = item(GotoMenu, QStringLiteral("AutostarQuery"), QStringLiteral("Query"));
    starsep = separator(GotoMenu, QStringLiteral("starsep"));
    GotoPolaris[1] = item(GotoMenu, indexed("GotoPolaris", 1), QStringLiteral("Polaris"));
    planetsep = separator(GotoMenu, QStringLiteral("planetsep"));
    for (const orrinet::PlanetMacro &planet : orrinet::kPlanetMacros)
        GotoButton.at(std::size_t(planet.index)) =
            item(GotoMenu, indexed("GotoButton", planet.index), planet.caption);

    // ---- window size and the top line -----------------------------------
    // The window is sized so that the client area below the menu bar has the
    // design size.
    const QRect client = orrinet::twipsRectToPixels(0, 0, ClientWidth, ClientHeight, window);
    int barHeight = bar->heightForWidth(client.width());
    if (barHeight <= 0)
        barHeight = bar->sizeHint().height();
    window->resize(client.width(), client.height() + barHeight);

    Line1 = named(new QFrame(Client), QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Plain);
    Line1->setLineWidth(1);
    Line1->setGeometry(0, 0, window->width(), 1);
}
