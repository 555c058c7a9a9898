#pragma once

#include "astro.h"
#include "clock.h"
#include "slewcontrol.h"

#include <QByteArray>

#include <optional>

namespace lx200sim {

struct CatalogueObject {
    QByteArray name;
    Equatorial position;
};

// Key codes of ":EK n#".
namespace Key {
inline constexpr int Enter = 13;
inline constexpr int GoTo = 71;
inline constexpr int Mode = 77;
} // namespace Key

// Menu entries of ":ESnnnn#".
namespace Entry {
inline constexpr int Star = 4734;
inline constexpr int Moon = 4142;
inline constexpr int Mercury = 3966;
inline constexpr int Venus = 3982;
inline constexpr int Mars = 4014;
inline constexpr int Jupiter = 4030;
inline constexpr int Saturn = 4046;
inline constexpr int Uranus = 4062;
inline constexpr int Neptune = 4078;
inline constexpr int Pluto = 4094;
} // namespace Entry

// The Autostar II hand controller, reduced to what a keypad macro walks
// through: a menu entry, a few keys, a goto and the two-line display.
// Its objects stand at fixed positions, so its gotos skip the horizon check:
// a keypad macro then works at any hour.
class HandController {
public:
    static constexpr int kLineLength = 16;
    static constexpr char kLeadByte = ' ';
    static constexpr qint64 kTakingNs = 1500 * kNsPerMs;  // "Taking Control" after GoTo, by default
    static constexpr int kNamedStarList = 3;               // first digit in the star entry

    HandController(const Clock &clock, SlewControl &telescope, qint64 takingNs = kTakingNs);

    void selectEntry(int code);
    void pressKey(int key);
    // The ":ED#" frame: lead byte, two 16-character lines, "#" (34 bytes).
    QByteArray display();

    static std::optional<CatalogueObject> solarSystemObject(int entry);
    static std::optional<CatalogueObject> namedStar(int number);

private:
    enum class Screen { Menu, StarList, StarNumber, Chosen, Info, Goto, Refused, NotFound };

    void pressDigit(int digit);
    void pressEnter();
    void pressGoTo();
    QByteArray firstLine();
    QByteArray secondLine();

    const Clock &m_clock;
    SlewControl &m_telescope;
    Screen m_screen = Screen::Menu;
    QByteArray m_heading;        // category shown above a chosen object
    QByteArray m_digits;
    std::optional<CatalogueObject> m_object;
    SlewVerdict m_refusal = SlewVerdict::Parked;
    qint64 m_gotoPressedNs = 0;
    qint64 m_takingNs = kTakingNs;
};

} // namespace lx200sim
