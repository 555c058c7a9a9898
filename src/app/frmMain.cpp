// The main window as a whole: construction, start-up, resizing and shut-down,
// and the helpers every subsystem uses.

#include "app/frmMain.h"

#include "app/KeyMap.h"
#include "app/commandbutton.h"
#include "app/frmAbout.h"
#include "app/frmMonitor.h"
#include "app/frmShare.h"
#include "app/picturebox.h"
#include "app/statustooltip.h"
#include "app/twips.h"
#include "app/version.h"
#include "commands/frmCmd.h"
#include "coords/coordinates.h"
#include "link/protocol.h"
#include "platform/cursor.h"
#include "platform/keyrepeat.h"
#include "platform/qtserialline.h"
#include "platform/serialport.h"
#include "platform/settingsstore.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHideEvent>
#include <QLabel>
#include <QMenu>
#include <QResizeEvent>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace {

constexpr int kPortCount = 255;

// Adds the items without choosing one and keeps the design text in the edit
// part; adding to an empty list would otherwise select the first item.
void fillList(QComboBox *box, const QList<orrinet::ListItem> &items)
{
    const QSignalBlocker blocker(box);
    const QString designText = box->currentText();
    for (const orrinet::ListItem &item : items)
        box->addItem(item.text, item.data);
    box->setCurrentIndex(orrinet::noSelection);
    if (box->isEditable())
        box->setEditText(designText);
}

QList<orrinet::ListItem> portListItems()
{
    QList<orrinet::ListItem> items;
    items.reserve(kPortCount);
    for (int port = 1; port <= kPortCount; ++port)
        items.append({QStringLiteral("Com ") + QString::number(port), port});
    return items;
}

QComboBox *coordinateBox(frmMain &w, orrinet::CoordinateList list)
{
    using orrinet::CoordinateList;
    switch (list) {
    case CoordinateList::RaHours:
        return w.ComboRAh;
    case CoordinateList::RaMinutes:
        return w.ComboRAm;
    case CoordinateList::RaSeconds:
        return w.ComboRAs;
    case CoordinateList::DecSign:
        return w.ComboDECsign;
    case CoordinateList::DecDegrees:
        return w.ComboDECd;
    case CoordinateList::DecMinutes:
        return w.ComboDECm;
    case CoordinateList::DecSeconds:
        return w.ComboDECs;
    }
    return nullptr;
}

// The hub's line: the machine's serial line for the port number.
orrinet::HubLineMaker machineLine(const orrinet::SettingsStore &settings)
{
    return [&settings](int portNumber) -> std::unique_ptr<orrinet::SerialPort> {
        auto line = std::make_unique<orrinet::QtSerialLine>(settings);
        line->setPortNumber(portNumber);
        return line;
    };
}

} // namespace

frmMain::frmMain(const orrinet::Platform &platform, QWidget *parent)
    : QMainWindow(parent),
      m_sharable(platform.port,
                 platform.hubLine ? platform.hubLine : machineLine(platform.settings),
                 platform.hubInOwnThread),
      m_lineTap(m_sharable), Comm1(m_lineTap), Settings(platform.settings), Pause(platform.wait),
      Messages(platform.messages), ScreenCursor(platform.cursor)
{
    m_clock.start();
    // A held key on the pad must slew once, not once per repeat.
    orrinet::useDetectableKeyRepeat();
    setupUi(this);
    m_keyMap = new KeyMap(this);
    wireApp();
    wireMotion();
    wireLink();
    wireCoords();
    wireCommands();
    wireShare();
    wireMonitor();
    new orrinet::StatusToolTip(StatusBar1, [this] { return m_statusText; });
    Form_Load();
}

frmMain::~frmMain()
{
    // Children being destroyed still send focus and timer signals; none may
    // reach the handlers of a window that is going away.
    QObject *const children[] = {PicturePointer, PictureNav, CheckPointerControl, TimerMove};
    for (QObject *child : children)
        child->disconnect(this);
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
    setMousePointer(MousePointer::Default);
    // The monitor detaches itself from the line tap, a member that is gone
    // before the base class deletes the children.
    delete m_monitor;
    m_monitor = nullptr;
}

QString frmMain::statusText() const
{
    return m_statusText;
}

void frmMain::setStatusText(const QString &text)
{
    m_statusText = text;
    // The status bar has room for one line: the shown text is cut and its line
    // breaks flattened, so that a flood of input cannot make every update lay
    // out tens of kilobytes. statusText() keeps the whole text.
    QString shown = text.left(kStatusShownLength);
    for (QChar &c : shown) {
        if (c == u'\n' || c == u'\r' || c == u'\t')
            c = u' ';
    }
    StatusText->setText(shown);
}

void frmMain::setMousePointer(MousePointer pointer)
{
    if (pointer == m_mousePointer)
        return; // the override cursor is never stacked
    if (pointer == MousePointer::Hourglass)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
    m_mousePointer = pointer;
}

void frmMain::focusPad()
{
    if (PictureNav->isVisibleTo(this))
        PictureNav->setFocus(Qt::OtherFocusReason);
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
    QMainWindow::closeEvent(event);
}

void frmMain::hideEvent(QHideEvent *event)
{
    // The pointer is not held for a window that is not shown; the pad takes
    // it again when it gets the focus back.
    if (m_pointerHeld)
        ScreenCursor.release();
    QMainWindow::hideEvent(event);
}

void frmMain::changeEvent(QEvent *event)
{
    // A mouse or key release may never reach a window that has lost
    // activation: what it held stops now.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        stopHeldMoves();
    QMainWindow::changeEvent(event);
}

void frmMain::Form_Load()
{
    setWindowTitle(windowTitle() + QStringLiteral(" - ") + orrinet::kVersionText);
    Loading = true;

    fillList(Combo1, portListItems());
    for (const orrinet::CoordinateList list : orrinet::coordinateListFillOrder)
        fillList(coordinateBox(*this, list), orrinet::coordinateListItems(list));

    for (const orrinet::SlewRate &rate : orrinet::kSlewRates)
        RateLabels[static_cast<std::size_t>(rate.position)] = rate.caption;
    for (const orrinet::PlanetMacro &planet : orrinet::kPlanetMacros)
        PlanetCommands[static_cast<std::size_t>(planet.index)] = planet.command;

    // The design colour, taken before anything can change it.
    ConnectBackColor = CommandConnect->backColor();
    ConnectedBackColor = orrinet::colorFromBgr(0x00B0B0FF);
    showConnectionFace(false);

    restoreSettings();

    ConsoleOpen = false;

    setStatusText(orrinet::kVersionText);
    Loading = false;
}

void frmMain::Form_Resize()
{
    // The line runs from its left end to the window's outer width.
    Line1->setGeometry(Line1->x(), Line1->y(), frameGeometry().width() - Line1->x(),
                       Line1->height());
}

void frmMain::Form_Unload()
{
    letPointerGo();
    if (Comm1.isOpen())
        stopHeldMoves();
    haltPendingPointerSlew();
    if (Comm1.isOpen())
        Comm1.close();
    // Only windows that are open are closed; none is created here.
    if (m_keyMap && m_keyMap->isOpen())
        m_keyMap->closeWindow();
    if (m_about && m_about->isVisible())
        m_about->reject();
    if (m_console && m_console->isVisible())
        m_console->close();
    if (m_monitor && m_monitor->isVisible())
        m_monitor->close();
    if (m_share && m_share->isVisible())
        m_share->close();
}

void frmMain::wireApp()
{
    connect(ExitButton, &QAction::triggered, this, &frmMain::ExitButton_Click);
    connect(RemoveRegButton, &QAction::triggered, this, &frmMain::RemoveRegButton_Click);
    connect(DispRecBufferButton, &QAction::triggered, this, &frmMain::DispRecBufferButton_Click);
    connect(HelpKeymapButton, &QAction::triggered, this, &frmMain::HelpKeymapButton_Click);
    connect(HelpAboutButton, &QAction::triggered, this, &frmMain::HelpAboutButton_Click);

    connect(CommandConnect, &QPushButton::clicked, this, &frmMain::CommandConnect_Click);
    connect(&Comm1, &orrinet::SerialPort::connectionLost, this, &frmMain::Comm1_OnLost);
    // Selecting an item, by the user or by code, is the list's click.
    connect(Combo1, &QComboBox::currentIndexChanged, this, &frmMain::Combo1_Click);
    // A change of value, by the user or by code, is the box's click.
    connect(CheckRADEC, &QCheckBox::toggled, this, &frmMain::CheckRADEC_Click);
}
