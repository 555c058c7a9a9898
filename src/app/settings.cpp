// The saved choices: restored at start-up, saved by the Exit menu, removed by
// "Remove Registry Entries".

#include "app/KeyMap.h"
#include "app/frmMain.h"
#include "app/restoredgeometry.h"
#include "app/settingskeys.h"
#include "app/twips.h"
#include "coords/coordinates.h"
#include "platform/messageboxes.h"
#include "platform/settingsstore.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <algorithm>
#include <array>
#include <optional>

using orrinet::MessageBoxes;
using orrinet::RestoredGeometry;
using Restored = orrinet::RestoredGeometry;
using orrinet::SettingKey;

namespace {

// Twips beyond any desktop are cut before they are turned into pixels.
constexpr double kTwipsLimit = 1.0e9;

double boundedTwips(double twips)
{
    return std::clamp(twips, -kTwipsLimit, kTwipsLimit);
}

// A list index the list does not have leaves the list as it is; -1 is
// "no selection".
void selectIndex(QComboBox *box, double index)
{
    if (index < orrinet::noSelection || index >= box->count())
        return;
    box->setCurrentIndex(static_cast<int>(index));
}

// A coordinate list always has a selection, so that it shows what a Goto
// sends: a saved position the list does not have selects the default one.
void selectListPosition(QComboBox *box, int position, int defaultPosition)
{
    box->setCurrentIndex(position >= 0 && position < box->count() ? position : defaultPosition);
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

// A list whose position is saved as it is.
void selectList(QComboBox *box, double position, SettingKey key)
{
    selectListPosition(box, static_cast<int>(position), static_cast<int>(defaultNumber(key)));
}

// One restoring step: the stored value, already known to be a number of the
// key's kind, both as a number and as the trimmed text.
using Apply = void (*)(frmMain &w, double value, const QString &text);

struct Restore
{
    SettingKey key;
    Apply apply;
    // A coordinate or key-map geometry that is not a number counts as missing
    // (its default applies); for every other key a bad value leaves the
    // target as it is.
    bool defaultWhenBad = false;
};

constexpr std::array<Restore, orrinet::kSettingKeyCount> kRestores{{
    {SettingKey::ComPort,
     [](frmMain &w, double v, const QString &) { selectIndex(w.Combo1, v - 1); }},
    {SettingKey::RaH,
     [](frmMain &w, double v, const QString &) { selectList(w.ComboRAh, v, SettingKey::RaH); },
     true},
    {SettingKey::RaM,
     [](frmMain &w, double v, const QString &) { selectList(w.ComboRAm, v, SettingKey::RaM); },
     true},
    {SettingKey::RaS,
     [](frmMain &w, double v, const QString &) { selectList(w.ComboRAs, v, SettingKey::RaS); },
     true},
    {SettingKey::DecSign,
     [](frmMain &w, double v, const QString &) {
         selectList(w.ComboDECsign, v, SettingKey::DecSign);
     },
     true},
    {SettingKey::DecD,
     [](frmMain &w, double v, const QString &) {
         selectListPosition(
             w.ComboDECd, orrinet::decDegreesListPosition(static_cast<int>(v)),
             orrinet::decDegreesListPosition(static_cast<int>(defaultNumber(SettingKey::DecD))));
     },
     true},
    {SettingKey::DecM,
     [](frmMain &w, double v, const QString &) { selectList(w.ComboDECm, v, SettingKey::DecM); },
     true},
    {SettingKey::DecS,
     [](frmMain &w, double v, const QString &) { selectList(w.ComboDECs, v, SettingKey::DecS); },
     true},
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
void restoreAll(frmMain &w)
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

// ---- saving -----------------------------------------------------------------

const QString kExitTitle = QStringLiteral("Orrinet - Exit / Save");

// What Exit writes for each key. Geometry is in twips, the window's outer
// frame; the key map gives the geometry it has or would open with.
struct SavedChoices
{
    const frmMain &window;
    const orrinet::RestoredGeometry *restored;
    QRect keyMap;

    // A window value as restored while it is unchanged, else converted.
    QString windowGeometry(
        std::optional<orrinet::RestoredGeometry::Value> orrinet::RestoredGeometry::*value,
        int pixelsNow, int twipsNow) const
    {
        if (!restored)
            return orrinet::singleText(twipsNow);
        return orrinet::singleText(
            orrinet::RestoredGeometry::twipsToSave(restored->*value, pixelsNow, twipsNow));
    }
};

using ValueText = QString (*)(const SavedChoices &saved);

struct Save
{
    SettingKey key;
    ValueText text;
};

QString number(qint64 value)
{
    return QString::number(value);
}

QString boxValue(const QCheckBox *box)
{
    return number(box->isChecked() ? 1 : 0);
}

QString geometry(int twips)
{
    return orrinet::singleText(twips);
}

constexpr std::array<Save, orrinet::kSettingKeyCount> kSaves{{
    {SettingKey::ComPort, [](const SavedChoices &s) { return number(s.window.ComPort); }},
    {SettingKey::RaH,
     [](const SavedChoices &s) { return number(s.window.ComboRAh->currentIndex()); }},
    {SettingKey::RaM,
     [](const SavedChoices &s) { return number(s.window.ComboRAm->currentIndex()); }},
    {SettingKey::RaS,
     [](const SavedChoices &s) { return number(s.window.ComboRAs->currentIndex()); }},
    {SettingKey::DecSign,
     [](const SavedChoices &s) { return number(s.window.ComboDECsign->currentIndex()); }},
    // The degree value, not the list index: no selection writes 90.
    {SettingKey::DecD,
     [](const SavedChoices &s) {
         return number(orrinet::decDegreesAtListPosition(s.window.ComboDECd->currentIndex()));
     }},
    {SettingKey::DecM,
     [](const SavedChoices &s) { return number(s.window.ComboDECm->currentIndex()); }},
    {SettingKey::DecS,
     [](const SavedChoices &s) { return number(s.window.ComboDECs->currentIndex()); }},
    {SettingKey::PosLeft,
     [](const SavedChoices &s) {
         const int x = s.window.frameGeometry().x();
         return s.windowGeometry(&Restored::left, x, orrinet::pixelsToTwipsX(x, &s.window));
     }},
    {SettingKey::PosTop,
     [](const SavedChoices &s) {
         const int y = s.window.frameGeometry().y();
         return s.windowGeometry(&Restored::top, y, orrinet::pixelsToTwipsY(y, &s.window));
     }},
    {SettingKey::WinHeight,
     [](const SavedChoices &s) {
         const int height = s.window.frameGeometry().height();
         return s.windowGeometry(&Restored::height, height,
                                 orrinet::pixelsToTwipsY(height, &s.window));
     }},
    {SettingKey::WinWidth,
     [](const SavedChoices &s) {
         const int width = s.window.frameGeometry().width();
         return s.windowGeometry(&Restored::width, width,
                                 orrinet::pixelsToTwipsX(width, &s.window));
     }},
    {SettingKey::SendFocusRateBox,
     [](const SavedChoices &s) { return boxValue(s.window.SendCheck); }},
    {SettingKey::UpdateRadecBox,
     [](const SavedChoices &s) { return boxValue(s.window.CheckRADEC); }},
    {SettingKey::PointerTelescopeMoveTime,
     [](const SavedChoices &s) { return number(s.window.PointerTimeIndex); }},
    {SettingKey::FocuserSpeed, [](const SavedChoices &s) { return number(s.window.FocusSpeed); }},
    {SettingKey::SlewRate,
     [](const SavedChoices &s) { return number(s.window.SliderMove->value()); }},
    {SettingKey::KeymapTop, [](const SavedChoices &s) { return geometry(s.keyMap.y()); }},
    {SettingKey::KeymapLeft, [](const SavedChoices &s) { return geometry(s.keyMap.x()); }},
    {SettingKey::KeymapWidth, [](const SavedChoices &s) { return geometry(s.keyMap.width()); }},
    {SettingKey::KeymapHeight, [](const SavedChoices &s) { return geometry(s.keyMap.height()); }},
}};

const Save &saveFor(SettingKey key)
{
    return *std::find_if(kSaves.begin(), kSaves.end(),
                         [key](const Save &s) { return s.key == key; });
}

// Writes every key in the writing order, also after a refused one; false
// when the store refused any write or the flush.
bool saveSettings(const frmMain &w)
{
    const SavedChoices saved{w, Restored::find(w), w.keyMap().geometryTwips()};
    bool stored = true;
    for (const SettingKey key : orrinet::settingKeysInWritingOrder()) {
        const QString value = saveFor(key).text(saved);
        stored =
            w.Settings.write(orrinet::kSettingsSection, orrinet::settingKey(key).name, value) &&
            stored;
    }
    return w.Settings.flush() && stored;
}

} // namespace

void frmMain::restoreSettings()
{
    restoreAll(*this);
}

void frmMain::ExitButton_Click()
{
    const MessageBoxes::Answer answer =
        Messages.ask(this, kExitTitle, QStringLiteral("Exit and Save current settings"),
                     MessageBoxes::Buttons::YesNoCancel, MessageBoxes::Icon::Question);
    if (answer != MessageBoxes::Answer::Yes && answer != MessageBoxes::Answer::No)
        return;
    if (answer == MessageBoxes::Answer::Yes && !saveSettings(*this)) {
        // The user should know the choices are not kept; the program still ends.
        Messages.ask(this, kExitTitle, QStringLiteral("The settings could not be saved."),
                     MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Warning);
    }
    close();
}

void frmMain::RemoveRegButton_Click()
{
    const int losses = connectionLosses();
    const MessageBoxes::Answer answer =
        Messages.ask(this, QStringLiteral("Orrinet - Remove"),
                     QStringLiteral("Remove all registry entires for Orrinet"),
                     MessageBoxes::Buttons::YesNo, MessageBoxes::Icon::Question);
    if (answer == MessageBoxes::Answer::Yes) {
        // Nothing stored to remove is no failure worth telling.
        Settings.removeSection(orrinet::kSettingsSection);
        if (connectionLosses() == losses)
            setStatusText(QStringLiteral("Registry entries removed for Orrinet"));
    }
    focusPad();
}
