// The main window as a whole: construction, start-up, resizing and shut-down,
// and the helpers every subsystem uses.

#include "app/frmMain.h"

#include "app/KeyMap.h"
#include "app/commandbutton.h"
#include "app/frmAbout.h"
#include "app/frmMonitor.h"
#include "app/picturebox.h"
#include "app/restoredgeometry.h"
#include "app/settingskeys.h"
#include "app/statustooltip.h"
#include "app/twips.h"
#include "app/version.h"
#include "commands/frmCmd.h"
#include "coords/coordinates.h"
#include "link/protocol.h"
#include "platform/serialport.h"
#include "platform/settingsstore.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QResizeEvent>
#include <QStatusBar>
#include <QScreen>
#include <QSlider>
#include <algorithm>
#include <optional>

using orrinet::RestoredGeometry;
using orrinet::SettingKey;

namespace {

constexpr int kPortCount = 255;

// Twips beyond any desktop are cut before they are turned into pixels.
constexpr double kTwipsLimit = 1.0e9;

double boundedTwips(double twips)
{
    return std::clamp(twips, -kTwipsLimit, kTwipsLimit);
}

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

// ---- restoring the saved choices -------------------------------------------

// A list index the list does not have leaves the list as it is; -1 is
// "no selection".
void selectIndex(QComboBox *box, double index)
{
    if (index < orrinet::noSelection || index >= box->count())
        return;
    box->setCurrentIndex(static_cast<int>(index));
}

// A check box takes 0 (unticked) or 1 (ticked) only.
void setCheckValue(QCheckBox *box, double value)
{
    if (value == 0 || value == 1)
        box->setChecked(value == 1);
}

// The window's Width and Height are its outer size; the frame is added by
// the window system around the client size that resize() sets.
QSize frameExtra(const frmMain &w)
{
    return w.frameGeometry().size() - w.size();
}

// Larger than the whole desktop is of no use and costs memory.
QSize desktopSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualSize() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

// Before the window is shown the frame may still be unknown (X11 learns it
// only once the window manager has framed the window), so a restored outer
// size would come out larger by the frame on every run. This corrects the
// client size once the frame is known, until the window is first activated.
class OuterSizeKeeper final : public QObject
{
public:
    static constexpr QLatin1StringView kName{"OuterSizeKeeper"};

    OuterSizeKeeper(frmMain &window, QSize extraUsed)
        : QObject(&window), m_window(window), m_extraUsed(extraUsed)
    {
        setObjectName(kName);
        window.installEventFilter(this);
    }

    void setOuterWidth(int width) { m_width = width; }
    void setOuterHeight(int height) { m_height = height; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != &m_window || m_done)
            return false;
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
            correct();
            break;
        case QEvent::WindowActivate:
            correct();
            finish();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void correct()
    {
        const QSize extra = frameExtra(m_window);
        if (extra == m_extraUsed)
            return;
        const QSize client = m_window.size();
        m_window.resize(m_width ? *m_width - extra.width() : client.width(),
                        m_height ? *m_height - extra.height() : client.height());
        finish();
    }

    void finish()
    {
        m_done = true;
        m_window.removeEventFilter(this);
        deleteLater();
    }

    frmMain &m_window;
    QSize m_extraUsed;
    std::optional<int> m_width;
    std::optional<int> m_height;
    bool m_done = false;
};

OuterSizeKeeper &outerSizeKeeper(frmMain &w)
{
    // Made by the first restored dimension, so it remembers the frame assumed then.
    if (auto *keeper = w.findChild<QObject *>(OuterSizeKeeper::kName, Qt::FindDirectChildrenOnly))
        return *static_cast<OuterSizeKeeper *>(keeper);
    return *new OuterSizeKeeper(w, frameExtra(w));
}

void setOuterWidth(frmMain &w, double twips)
{
    RestoredGeometry::Value width{twips, orrinet::twipsToPixelsX(boundedTwips(twips), &w)};
    if (width.pixels > desktopSize().width()) {
        width.pixels = desktopSize().width();
        width.twips = orrinet::pixelsToTwipsX(width.pixels, &w);
    }
    w.resize(width.pixels - frameExtra(w).width(), w.height());
    outerSizeKeeper(w).setOuterWidth(width.pixels);
    RestoredGeometry::of(w).width = width;
}

void setOuterHeight(frmMain &w, double twips)
{
    RestoredGeometry::Value height{twips, orrinet::twipsToPixelsY(boundedTwips(twips), &w)};
    if (height.pixels > desktopSize().height()) {
        height.pixels = desktopSize().height();
        height.twips = orrinet::pixelsToTwipsY(height.pixels, &w);
    }
    w.resize(w.width(), height.pixels - frameExtra(w).height());
    outerSizeKeeper(w).setOuterHeight(height.pixels);
    RestoredGeometry::of(w).height = height;
}

void setLeft(frmMain &w, double twips)
{
    const int x = orrinet::twipsToPixelsX(boundedTwips(twips), &w);
    w.move(x, w.y());
    RestoredGeometry::of(w).left = RestoredGeometry::Value{twips, x};
}

void setTop(frmMain &w, double twips)
{
    const int y = orrinet::twipsToPixelsY(boundedTwips(twips), &w);
    w.move(w.x(), y);
    RestoredGeometry::of(w).top = RestoredGeometry::Value{twips, y};
}

double defaultNumber(SettingKey key)
{
    return *orrinet::storedNumber(QString(orrinet::settingKey(key).defaultText));
}

// A window that no screen shows at all goes back to the default place.
void keepOnScreen(frmMain &w)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return;
    const QRect frame(w.pos(), w.frameGeometry().size());
    const bool shown = std::any_of(screens.begin(), screens.end(), [&frame](const QScreen *s) {
        return s->geometry().intersects(frame);
    });
    if (shown)
        return;
    setLeft(w, defaultNumber(SettingKey::PosLeft));
    setTop(w, defaultNumber(SettingKey::PosTop));
}

// One restoring step: the stored value, already known to be a number of the
// key's kind, both as a number and as the trimmed text.
using Apply = void (*)(frmMain &w, double value, const QString &text);

struct Restore
{
    SettingKey key;
    Apply apply;
    // A key-map geometry that is not a number counts as missing (its default
    // applies); for every other key a bad value leaves the target as it is.
    bool defaultWhenBad = false;
};

constexpr std::array<Restore, orrinet::kSettingKeyCount> kRestores{{
    {SettingKey::ComPort,
     [](frmMain &w, double v, const QString &) { selectIndex(w.Combo1, v - 1); }},
    {SettingKey::RaH, [](frmMain &w, double v, const QString &) { selectIndex(w.ComboRAh, v); }},
    {SettingKey::RaM, [](frmMain &w, double v, const QString &) { selectIndex(w.ComboRAm, v); }},
    {SettingKey::RaS, [](frmMain &w, double v, const QString &) { selectIndex(w.ComboRAs, v); }},
    {SettingKey::DecSign,
     [](frmMain &w, double v, const QString &) { selectIndex(w.ComboDECsign, v); }},
    {SettingKey::DecD,
     [](frmMain &w, double v, const QString &) {
         selectIndex(w.ComboDECd, orrinet::decDegreesListPosition(static_cast<int>(v)));
     }},
    {SettingKey::DecM, [](frmMain &w, double v, const QString &) { selectIndex(w.ComboDECm, v); }},
    {SettingKey::DecS, [](frmMain &w, double v, const QString &) { selectIndex(w.ComboDECs, v); }},
    {SettingKey::PosLeft, [](frmMain &w, double v, const QString &) { setLeft(w, v); }},
    {SettingKey::PosTop, [](frmMain &w, double v, const QString &) { setTop(w, v); }},
    {SettingKey::WinHeight,
     [](frmMain &w, double v, const QString &) {
         if (v > 0)
             setOuterHeight(w, v);
     }},
    {SettingKey::WinWidth,
     [](frmMain &w, double v, const QString &) {
         if (v > 0)
             setOuterWidth(w, v);
     }},
    {SettingKey::SendFocusRateBox,
     [](frmMain &w, double v, const QString &) { setCheckValue(w.SendCheck, v); }},
    {SettingKey::UpdateRadecBox,
     [](frmMain &w, double v, const QString &) { setCheckValue(w.CheckRADEC, v); }},
    {SettingKey::PointerTelescopeMoveTime,
     [](frmMain &w, double v, const QString &) {
         w.PointerTimeIndex = static_cast<int>(v);
         w.PTDbutton_Click(w.PointerTimeIndex);
     }},
    {SettingKey::FocuserSpeed,
     [](frmMain &w, double v, const QString &) {
         if (v >= 0 && v < static_cast<double>(w.OptionFocus.size()))
             w.OptionFocus[static_cast<std::size_t>(v)]->setChecked(true);
     }},
    {SettingKey::SlewRate,
     [](frmMain &w, double v, const QString &) {
         if (v < w.SliderMove->minimum() || v > w.SliderMove->maximum())
             return;
         const int position = static_cast<int>(v);
         if (position == w.SliderMove->value())
             w.SliderMove_Change(); // the caption follows the position it already has
         else
             w.SliderMove->setValue(position);
     }},
    {SettingKey::KeymapTop, [](frmMain &w, double, const QString &t) { w.keyMap().KeyMapTop = t; },
     true},
    {SettingKey::KeymapLeft,
     [](frmMain &w, double, const QString &t) { w.keyMap().KeyMapLeft = t; }, true},
    {SettingKey::KeymapWidth,
     [](frmMain &w, double, const QString &t) { w.keyMap().KeyMapWidth = t; }, true},
    {SettingKey::KeymapHeight,
     [](frmMain &w, double v, const QString &) { w.keyMap().KeyMapHeight = static_cast<int>(v); },
     true},
}};

const Restore &restoreFor(SettingKey key)
{
    return *std::find_if(kRestores.begin(), kRestores.end(),
                         [key](const Restore &r) { return r.key == key; });
}

// Each key is read with its default and applied as it is read; a value that
// is not a number of the key's kind is skipped and the rest still apply.
void restoreSettings(frmMain &w)
{
    for (const SettingKey key : orrinet::settingKeysInReadingOrder()) {
        const orrinet::SettingKeyInfo &info = orrinet::settingKey(key);
        const Restore &restore = restoreFor(key);
        QString text =
            w.Settings.read(orrinet::kSettingsSection, info.name, info.defaultText).trimmed();
        if (!orrinet::isStoredValue(text, info.kind)) {
            if (!restore.defaultWhenBad)
                continue;
            text = info.defaultText;
        }
        restore.apply(w, *orrinet::storedNumber(text), text);
    }
    keepOnScreen(w);
}

} // namespace

frmMain::frmMain(const orrinet::Platform &platform, QWidget *parent)
    : QMainWindow(parent), m_lineTap(platform.port), Comm1(m_lineTap), Settings(platform.settings), Pause(platform.wait),
      Messages(platform.messages)
{
    setupUi(this);
    m_keyMap = new KeyMap(this);
    wireApp();
    wireMotion();
    wireLink();
    wireCoords();
    wireCommands();
    wireMonitor();
    new orrinet::StatusToolTip(StatusBar1, [this] { return m_statusText; });
    Form_Load();
}

frmMain::~frmMain()
{
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
    setMousePointer(MousePointer::Default);
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

    LX200Menu->menuAction()->setEnabled(false);
    TeleMenu->menuAction()->setEnabled(false);
    GotoMenu->menuAction()->setEnabled(false);
    SendButton->setEnabled(false);

    restoreSettings(*this);

    ConnectBackColor = CommandConnect->backColor();
    ConnectedBackColor = orrinet::colorFromBgr(0x00B0B0FF);

    WaitingRa = false;
    WaitingDec = false;
    WaitingFirmware = false;
    WaitingProduct = false;
    WaitingLatitude = false;
    WaitingLongitude = false;
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
