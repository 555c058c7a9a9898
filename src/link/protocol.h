#pragma once

// Every LX200 command the panel writes, the pauses that go with them, and the
// tables that map the panel's choices to commands.
// Commands are exact byte strings: ":EK 51#" carries a blank, ":EK13#" none.
// Texts shown to the user use U+00B0 for the degree sign (written "\xB0" in
// these Latin-1 literals).

#include "link/awaited.h"

#include <QChar>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

namespace orrinet {

// ---- fixed commands -------------------------------------------------------

// Position
inline constexpr QLatin1StringView kGetRa(":GR#");
inline constexpr QLatin1StringView kGetDec(":GD#");
// Switches the coordinate replies between low precision (HH:MM.T#, sDD*MM#)
// and high precision (HH:MM:SS#, sDD*MM:SS#); no reply.
inline constexpr QLatin1StringView kTogglePrecision(":U#");
inline constexpr QLatin1StringView kSlewToTarget(":MS#");
inline constexpr QLatin1StringView kHaltAll(":Q#");

// Manual slewing: start and stop one direction
inline constexpr QLatin1StringView kMoveNorth(":Mn#");
inline constexpr QLatin1StringView kMoveSouth(":Ms#");
inline constexpr QLatin1StringView kMoveEast(":Me#");
inline constexpr QLatin1StringView kMoveWest(":Mw#");
inline constexpr QLatin1StringView kStopNorth(":Qn#");
inline constexpr QLatin1StringView kStopSouth(":Qs#");
inline constexpr QLatin1StringView kStopEast(":Qe#");
inline constexpr QLatin1StringView kStopWest(":Qw#");

// Slew rates without an argument
inline constexpr QLatin1StringView kRateGuide(":RG#");
inline constexpr QLatin1StringView kRateCentering(":RC#");

// Focuser
inline constexpr QLatin1StringView kFocusIn(":F+#");
inline constexpr QLatin1StringView kFocusOut(":F-#");
inline constexpr QLatin1StringView kFocusStop(":FQ#");

// LX200GPS maintenance
inline constexpr QLatin1StringView kGpsUpdate(":gT#");
inline constexpr QLatin1StringView kAutoAlign(":Aa#");
inline constexpr QLatin1StringView kInitialize(":I#");
inline constexpr QLatin1StringView kAlignFromHome(":hF#");
inline constexpr QLatin1StringView kStoreHome(":hS#");
inline constexpr QLatin1StringView kPark(":hP#");
inline constexpr QLatin1StringView kSleep(":hN#");
inline constexpr QLatin1StringView kWake(":hW#");

// Telescope queries
inline constexpr QLatin1StringView kGetStatus(":GW#");
inline constexpr QLatin1StringView kGetFirmwareNumber(":GVN#");
inline constexpr QLatin1StringView kGetProductName(":GVP#");
inline constexpr QLatin1StringView kGetDate(":GC#");
inline constexpr QLatin1StringView kGetTime(":GL#");
inline constexpr QLatin1StringView kGetLatitude(":Gt#");
inline constexpr QLatin1StringView kGetLongitude(":Gg#");
inline constexpr QLatin1StringView kGetAzimuth(":GZ#");
inline constexpr QLatin1StringView kGetAltitude(":GA#");

// Autostar hand controller: read the display
inline constexpr QLatin1StringView kAutostarDisplay(":ED#");

// Keypad macro that selects Polaris and starts the goto, ending with the
// display read.
inline constexpr std::array<QLatin1StringView, 7> kPolarisMacro{
    QLatin1StringView(":ES4734#"), QLatin1StringView(":EK 51#"), QLatin1StringView(":EK 48#"),
    QLatin1StringView(":EK 56#"),  QLatin1StringView(":EK13#"),  QLatin1StringView(":EK 71#"),
    QLatin1StringView(":ED#"),
};

// What follows a planet's first command in its keypad macro.
inline constexpr std::array<QLatin1StringView, 3> kPlanetMacroTail{
    QLatin1StringView(":EK13#"),
    QLatin1StringView(":EK 71#"),
    QLatin1StringView(":ED#"),
};

// ---- replies ----------------------------------------------------------------

// First character of an accepted target (":Sr", ":Sd") and of a successful
// GPS update or alignment.
inline constexpr QChar kReplyAccepted(u'1');
// First character of the ":MS#" reply when the slew has started.
inline constexpr QChar kReplySlewStarted(u'0');
// The hand controller shows this at positions 2..7 while it is still busy
// after a keypad macro; another display text will follow.
inline constexpr QLatin1StringView kAutostarBusyMarker("Taking");

// ---- pauses (ms) and the reply time-out --------------------------------------

inline constexpr int kPauseQuerySecondStepMs = 200; // first reply of a query -> second command
inline constexpr int kPauseRatePairMs = 200;        // ":RA.." -> ":RE.."
inline constexpr int kPauseMacroStepMs = 500;       // after each keypad-macro command but the last
inline constexpr int kPauseBeforeConnectSendMs = 500; // after connecting, before the slew rate
inline constexpr int kPauseRateToFocusMs = 200;       // slew rate -> focus speed after connecting
inline constexpr int kPauseAfterConnectSendMs = 500;  // after the focus speed
inline constexpr int kPauseStopToGetMs = 200;         // ":Qn#" etc. -> the automatic ":GR#"
inline constexpr int kReplyTimeoutMs = 5000;

// ---- argument commands --------------------------------------------------------

// A number in a command or coordinate text: decimal, at least two digits,
// a leading zero below 10 ("05"); a negative one keeps its sign ("-01").
QString twoDigits(qint64 value);

// ":Sr HH:MM:SS#". Each number is written with at least two digits, a leading
// zero below 10; a negative number keeps its minus ("-01"), a larger one all
// its digits ("100").
QString raCommand(int hours, int minutes, int seconds);

// ":Sd sDD:MM:SS#", the sign character placed as given ('+' or '-'), the
// numbers formatted like raCommand's.
QString decCommand(QChar sign, qint64 degrees, int minutes, int seconds);

// ":F" & (index + 1) & "#", plain decimal. Valid speeds are index 0..3; see
// focusSpeed() for the checked lookup.
QString focusSpeedCommand(int index);

// ":RA" & rate & "#" and ":RE" & rate & "#", rate being a text such as "01.5".
QString raRateCommand(QStringView rate);
QString decRateCommand(QStringView rate);

// ---- slew rates (rate slider positions 1..12) ----------------------------------

struct SlewRate
{
    int position;
    QLatin1StringView caption; // label beside the slider
    QLatin1StringView firstCommand;
    QLatin1StringView secondCommand; // empty for guide and centering rate
    QLatin1StringView rateText;      // follows "Slew set to "
};

inline constexpr int kSlewRateMinPosition = 1;
inline constexpr int kSlewRateMaxPosition = 12;

inline constexpr std::array<SlewRate, 12> kSlewRates{{
    {1, QLatin1StringView("Guide"), QLatin1StringView(":RG#"), QLatin1StringView(),
     QLatin1StringView("Guide Rate (Key 1)")},
    {2, QLatin1StringView("2x"), QLatin1StringView(":RC#"), QLatin1StringView(),
     QLatin1StringView("Centering Rate 2x (Key 2)")},
    {3, QLatin1StringView("0.1\xB0"), QLatin1StringView(":RA00.1#"), QLatin1StringView(":RE00.1#"),
     QLatin1StringView("0.1\xB0/sec")},
    {4, QLatin1StringView("0.2\xB0"), QLatin1StringView(":RA00.2#"), QLatin1StringView(":RE00.2#"),
     QLatin1StringView("0.2\xB0/sec")},
    {5, QLatin1StringView("0.3\xB0"), QLatin1StringView(":RA00.3#"), QLatin1StringView(":RE00.3#"),
     QLatin1StringView("0.3\xB0/sec")},
    {6, QLatin1StringView("0.4\xB0"), QLatin1StringView(":RA00.4#"), QLatin1StringView(":RE00.4#"),
     QLatin1StringView("0.4\xB0/sec")},
    {7, QLatin1StringView("0.5\xB0"), QLatin1StringView(":RA00.5#"), QLatin1StringView(":RE00.5#"),
     QLatin1StringView("0.5\xB0/sec")},
    {8, QLatin1StringView("0.7\xB0"), QLatin1StringView(":RA00.7#"), QLatin1StringView(":RE00.7#"),
     QLatin1StringView("0.7\xB0/sec")},
    {9, QLatin1StringView("1.0\xB0"), QLatin1StringView(":RA01.0#"), QLatin1StringView(":RE01.0#"),
     QLatin1StringView("1.0\xB0/sec")},
    {10, QLatin1StringView("1.5\xB0"), QLatin1StringView(":RA01.5#"), QLatin1StringView(":RE01.5#"),
     QLatin1StringView("1.5\xB0/sec")},
    {11, QLatin1StringView("3.0\xB0"), QLatin1StringView(":RA03.0#"), QLatin1StringView(":RE03.0#"),
     QLatin1StringView("3.0\xB0/sec")},
    {12, QLatin1StringView("5.0\xB0"), QLatin1StringView(":RA05.0#"), QLatin1StringView(":RE05.0#"),
     QLatin1StringView("5.0\xB0/sec")},
}};

// The entry for a slider position; nothing outside 1..12.
std::optional<SlewRate> slewRate(int position);

// ---- focus speeds (OptionFocus index 0..3) --------------------------------------

struct FocusSpeedSetting
{
    int index;
    QLatin1StringView caption;
    QLatin1StringView command;
    QLatin1StringView statusText;
};

inline constexpr std::array<FocusSpeedSetting, 4> kFocusSpeeds{{
    {0, QLatin1StringView("Fine"), QLatin1StringView(":F1#"),
     QLatin1StringView("Focus speed set to 1 Fine")},
    {1, QLatin1StringView("Slow"), QLatin1StringView(":F2#"),
     QLatin1StringView("Focus speed set to 2 Slow")},
    {2, QLatin1StringView("Medium"), QLatin1StringView(":F3#"),
     QLatin1StringView("Focus speed set to 3 Medium")},
    {3, QLatin1StringView("Fast"), QLatin1StringView(":F4#"),
     QLatin1StringView("Focus speed set to 4 Fast")},
}};

// The entry for an option index; nothing outside 0..3.
std::optional<FocusSpeedSetting> focusSpeed(int index);

// ---- pointer halt delays (PTDbutton index 1..6) ------------------------------------

struct PointerHaltDelay
{
    int index;
    QLatin1StringView caption;
    int milliseconds;
};

inline constexpr std::array<PointerHaltDelay, 6> kPointerHaltDelays{{
    {1, QLatin1StringView("10ms"), 10},
    {2, QLatin1StringView("25ms"), 25},
    {3, QLatin1StringView("50ms"), 50},
    {4, QLatin1StringView("100ms"), 100},
    {5, QLatin1StringView("200ms"), 200},
    {6, QLatin1StringView("300ms"), 300},
}};

// The entry for a menu index; nothing outside 1..6.
std::optional<PointerHaltDelay> pointerHaltDelay(int index);

// ---- planet keypad macros (GotoButton index 1..9) -----------------------------------

struct PlanetMacro
{
    int index;
    QLatin1StringView caption;
    QLatin1StringView command; // first command; kPlanetMacroTail follows
};

inline constexpr std::array<PlanetMacro, 9> kPlanetMacros{{
    {1, QLatin1StringView("Moon"), QLatin1StringView(":ES4142#")},
    {2, QLatin1StringView("Mercury"), QLatin1StringView(":ES3966#")},
    {3, QLatin1StringView("Venus"), QLatin1StringView(":ES3982#")},
    {4, QLatin1StringView("Mars"), QLatin1StringView(":ES4014#")},
    {5, QLatin1StringView("Jupiter"), QLatin1StringView(":ES4030#")},
    {6, QLatin1StringView("Saturn"), QLatin1StringView(":ES4046#")},
    {7, QLatin1StringView("Uranus"), QLatin1StringView(":ES4062#")},
    {8, QLatin1StringView("Neptune"), QLatin1StringView(":ES4078#")},
    {9, QLatin1StringView("Pluto"), QLatin1StringView(":ES4094#")},
}};

// The entry for a menu index; nothing outside 1..9.
std::optional<PlanetMacro> planetMacro(int index);

// ---- telescope queries --------------------------------------------------------------

enum class TelescopeQuery { Status, Firmware, DateTime, Site, AzimuthAltitude };

struct TelescopeQueryInfo
{
    TelescopeQuery query;
    Awaiting firstFlag;
    std::optional<Awaiting> secondFlag; // none for the one-step status query
    QLatin1StringView firstCommand;
    QLatin1StringView secondCommand; // empty for the status query
    QLatin1StringView sentStatus;    // shown once the first command is written
};

// Indexed by TelescopeQuery.
inline constexpr std::array<TelescopeQueryInfo, 5> kTelescopeQueries{{
    {TelescopeQuery::Status, Awaiting::Status, std::nullopt, kGetStatus, QLatin1StringView(),
     QLatin1StringView("Telescope status...")},
    {TelescopeQuery::Firmware, Awaiting::Firmware, Awaiting::Product, kGetFirmwareNumber,
     kGetProductName, QLatin1StringView("Telescope firmware...")},
    {TelescopeQuery::DateTime, Awaiting::Date, Awaiting::Time, kGetDate, kGetTime,
     QLatin1StringView("Telescope date/time...")},
    {TelescopeQuery::Site, Awaiting::Latitude, Awaiting::Longitude, kGetLatitude, kGetLongitude,
     QLatin1StringView("Telescope lat/lon...")},
    {TelescopeQuery::AzimuthAltitude, Awaiting::Azimuth, Awaiting::Altitude, kGetAzimuth,
     kGetAltitude, QLatin1StringView("Telescope azimuth/altitude...")},
}};

// The table entry of a query. Throws std::out_of_range only for a value cast
// from outside the enumeration.
const TelescopeQueryInfo &telescopeQuery(TelescopeQuery query);

// The query whose first or second flag this is; nullptr for flags that belong
// to no telescope query (Ra, Goto, Gps, ...).
const TelescopeQueryInfo *queryForFlag(Awaiting flag);

} // namespace orrinet
