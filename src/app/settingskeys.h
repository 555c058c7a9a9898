#pragma once

// The panel's saved choices: the 21 keys of section "Defaults", their defaults,
// the order start-up reads them in and the order Exit writes them in, and the
// conversions between stored texts and values. Nothing here needs a window.

#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace orrinet {

inline constexpr QLatin1StringView kSettingsSection("Defaults");

enum class SettingKey : std::uint8_t {
    ComPort,
    RaH,
    RaM,
    RaS,
    DecSign,
    DecD,
    DecM,
    DecS,
    PosLeft,
    PosTop,
    WinHeight,
    WinWidth,
    SendFocusRateBox,
    UpdateRadecBox,
    PointerTelescopeMoveTime,
    FocuserSpeed,
    SlewRate,
    KeymapTop,
    KeymapLeft,
    KeymapWidth,
    KeymapHeight,
};

inline constexpr std::size_t kSettingKeyCount = 21;

// What a stored text must look like to be used.
enum class SettingKind : std::uint8_t {
    Int16,  // whole number, -32768..32767
    Int32,  // whole number, 32-bit
    Single, // number, a fraction allowed (window and key-map geometry, twips)
};

struct SettingKeyInfo
{
    SettingKey key;
    QLatin1StringView name;
    QLatin1StringView defaultText; // used when the key is missing
    SettingKind kind;
    int readingPosition; // 1..21, the order start-up applies the keys in
    int writingPosition; // 1..21, the order Exit writes them in
};

// In reading order. Exit swaps the two check boxes and slew rate / focus speed.
inline constexpr std::array<SettingKeyInfo, kSettingKeyCount> kSettingKeys{{
    {SettingKey::ComPort, QLatin1StringView("com_port"), QLatin1StringView("1"), SettingKind::Int16,
     1, 1},
    {SettingKey::RaH, QLatin1StringView("ra_h"), QLatin1StringView("0"), SettingKind::Int16, 2, 2},
    {SettingKey::RaM, QLatin1StringView("ra_m"), QLatin1StringView("0"), SettingKind::Int16, 3, 3},
    {SettingKey::RaS, QLatin1StringView("ra_s"), QLatin1StringView("0"), SettingKind::Int16, 4, 4},
    {SettingKey::DecSign, QLatin1StringView("dec_sign"), QLatin1StringView("0"), SettingKind::Int16,
     5, 5},
    {SettingKey::DecD, QLatin1StringView("dec_d"), QLatin1StringView("0"), SettingKind::Int16, 6,
     6},
    {SettingKey::DecM, QLatin1StringView("dec_m"), QLatin1StringView("0"), SettingKind::Int16, 7,
     7},
    {SettingKey::DecS, QLatin1StringView("dec_s"), QLatin1StringView("0"), SettingKind::Int16, 8,
     8},
    {SettingKey::PosLeft, QLatin1StringView("pos_left"), QLatin1StringView("100"),
     SettingKind::Single, 9, 9},
    {SettingKey::PosTop, QLatin1StringView("pos_top"), QLatin1StringView("100"),
     SettingKind::Single, 10, 10},
    {SettingKey::WinHeight, QLatin1StringView("win_height"), QLatin1StringView("0"),
     SettingKind::Single, 11, 11},
    {SettingKey::WinWidth, QLatin1StringView("win_width"), QLatin1StringView("0"),
     SettingKind::Int32, 12, 12},
    {SettingKey::SendFocusRateBox, QLatin1StringView("send_focus_rate_box"), QLatin1StringView("0"),
     SettingKind::Int16, 13, 14},
    {SettingKey::UpdateRadecBox, QLatin1StringView("update_radec_box"), QLatin1StringView("0"),
     SettingKind::Int16, 14, 13},
    {SettingKey::PointerTelescopeMoveTime, QLatin1StringView("pointer_telescope_move_time"),
     QLatin1StringView("2"), SettingKind::Int16, 15, 15},
    {SettingKey::FocuserSpeed, QLatin1StringView("focuser_speed"), QLatin1StringView("1"),
     SettingKind::Int16, 16, 17},
    {SettingKey::SlewRate, QLatin1StringView("slew_rate"), QLatin1StringView("2"),
     SettingKind::Int32, 17, 16},
    {SettingKey::KeymapTop, QLatin1StringView("keymap_top"), QLatin1StringView("200"),
     SettingKind::Single, 18, 18},
    {SettingKey::KeymapLeft, QLatin1StringView("keymap_left"), QLatin1StringView("200"),
     SettingKind::Single, 19, 19},
    {SettingKey::KeymapWidth, QLatin1StringView("keymap_width"), QLatin1StringView("0"),
     SettingKind::Single, 20, 20},
    {SettingKey::KeymapHeight, QLatin1StringView("keymap_height"), QLatin1StringView("0"),
     SettingKind::Int32, 21, 21},
}};

const SettingKeyInfo &settingKey(SettingKey key);

std::array<SettingKey, kSettingKeyCount> settingKeysInReadingOrder();
std::array<SettingKey, kSettingKeyCount> settingKeysInWritingOrder();

// A whole number as the store holds it: blanks around it, an optional sign and
// decimal digits, within the range of kind (Int16 or Int32). Anything else
// ("abc", "1e3", "12.5", "", "70000" for Int16) is not a number.
std::optional<int> storedInteger(QStringView text, SettingKind kind);

// A number as the store holds it: blanks around it, an optional sign, decimal
// digits with an optional fraction (".5", "12.", "-3.25"); within the range of
// a single-precision number. A whole number of kind Int16/Int32 is accepted too.
std::optional<double> storedNumber(QStringView text);

// Whether the text is usable for a key of this kind.
bool isStoredValue(QStringView text, SettingKind kind);

// The text of a single-precision number: seven significant digits, a whole
// number without a decimal point ("100", "-300", "1309.091").
QString singleText(double value);

} // namespace orrinet
