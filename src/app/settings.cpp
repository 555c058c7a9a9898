// The Exit menu (save and close) and "Remove Registry Entries".

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
#include <QSlider>
#include <algorithm>
#include <array>

using orrinet::MessageBoxes;
using Restored = orrinet::RestoredGeometry;
using orrinet::SettingKey;

namespace {

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
