#include "handcontroller.h"

#include "angles.h"

#include <array>

namespace lx200sim {

namespace {

constexpr Equatorial hms(int h, int m, int s, int sign, int d, int dm, int ds)
{
    return {h + m / 60.0 + s / 3600.0, sign * (d + dm / 60.0 + ds / 3600.0)};
}

struct SolarSystemEntry {
    int entry;
    const char *name;
    Equatorial position;  // fixed: the simulator keeps no ephemeris
};

constexpr std::array kSolarSystem{
    SolarSystemEntry{Entry::Moon, "Moon", hms(10, 15, 0, +1, 12, 0, 0)},
    SolarSystemEntry{Entry::Mercury, "Mercury", hms(16, 40, 0, -1, 22, 30, 0)},
    SolarSystemEntry{Entry::Venus, "Venus", hms(19, 5, 0, -1, 22, 40, 0)},
    SolarSystemEntry{Entry::Mars, "Mars", hms(4, 10, 0, +1, 22, 20, 0)},
    SolarSystemEntry{Entry::Jupiter, "Jupiter", hms(3, 50, 0, +1, 19, 30, 0)},
    SolarSystemEntry{Entry::Saturn, "Saturn", hms(22, 15, 0, -1, 12, 45, 0)},
    SolarSystemEntry{Entry::Uranus, "Uranus", hms(3, 20, 0, +1, 18, 10, 0)},
    SolarSystemEntry{Entry::Neptune, "Neptune", hms(23, 55, 0, -1, 2, 20, 0)},
    SolarSystemEntry{Entry::Pluto, "Pluto", hms(20, 10, 0, -1, 23, 0, 0)},
};

struct NamedStarEntry {
    int number;
    const char *name;
    Equatorial position;
};

constexpr std::array kNamedStars{
    NamedStarEntry{1, "Sirius", hms(6, 45, 9, -1, 16, 42, 58)},
    NamedStarEntry{2, "Canopus", hms(6, 23, 57, -1, 52, 41, 44)},
    NamedStarEntry{3, "Arcturus", hms(14, 15, 40, +1, 19, 10, 57)},
    NamedStarEntry{4, "Vega", hms(18, 36, 56, +1, 38, 47, 1)},
    NamedStarEntry{5, "Capella", hms(5, 16, 41, +1, 45, 59, 53)},
    NamedStarEntry{6, "Rigel", hms(5, 14, 32, -1, 8, 12, 6)},
    NamedStarEntry{7, "Procyon", hms(7, 39, 18, +1, 5, 13, 30)},
    NamedStarEntry{8, "Polaris", hms(2, 31, 49, +1, 89, 15, 51)},
};

QByteArray padded(QByteArray line)
{
    line.truncate(HandController::kLineLength);
    return line.leftJustified(HandController::kLineLength, ' ');
}

QByteArray coordinateLine(const Equatorial &position)
{
    return "RA" + formatHmTenths(position.raHours) + ' '
        + formatDegrees(position.decDegrees, {.sign = true, .degreeDigits = 2, .seconds = false});
}

} // namespace

HandController::HandController(const Clock &clock, SlewControl &telescope, qint64 takingNs)
    : m_clock(clock), m_telescope(telescope), m_takingNs(takingNs)
{
}

std::optional<CatalogueObject> HandController::solarSystemObject(int entry)
{
    for (const auto &e : kSolarSystem) {
        if (e.entry == entry)
            return CatalogueObject{e.name, e.position};
    }
    return std::nullopt;
}

std::optional<CatalogueObject> HandController::namedStar(int number)
{
    for (const auto &e : kNamedStars) {
        if (e.number == number)
            return CatalogueObject{e.name, e.position};
    }
    return std::nullopt;
}

void HandController::selectEntry(int code)
{
    m_digits.clear();
    m_object.reset();
    if (code == Entry::Star) {
        m_screen = Screen::StarList;
        m_heading = "Object: Star";
    } else if (auto object = solarSystemObject(code)) {
        m_screen = Screen::Chosen;
        m_heading = "Solar System";
        m_object = object;
    } else {
        m_screen = Screen::Menu;
    }
}

void HandController::pressKey(int key)
{
    if (key >= '0' && key <= '9')
        pressDigit(key - '0');
    else if (key == Key::Enter)
        pressEnter();
    else if (key == Key::GoTo)
        pressGoTo();
    else if (key == Key::Mode)
        selectEntry(0);
}

void HandController::pressDigit(int digit)
{
    if (m_screen == Screen::StarList) {
        if (digit == kNamedStarList) {
            m_screen = Screen::StarNumber;
            m_heading = "Named Star";
        } else {
            m_screen = Screen::NotFound;
        }
    } else if (m_screen == Screen::StarNumber && m_digits.size() < 4) {
        m_digits += char('0' + digit);
    }
}

void HandController::pressEnter()
{
    if (m_screen == Screen::StarNumber) {
        m_object = namedStar(m_digits.toInt());
        m_screen = m_object ? Screen::Info : Screen::NotFound;
    } else if (m_screen == Screen::Chosen) {
        m_screen = Screen::Info;
    }
}

void HandController::pressGoTo()
{
    if (!m_object || (m_screen != Screen::Chosen && m_screen != Screen::Info && m_screen != Screen::Goto))
        return;
    const SlewVerdict verdict = m_telescope.slewTo(m_object->position, m_object->name, HorizonCheck::Skip);
    if (verdict == SlewVerdict::Started) {
        m_screen = Screen::Goto;
        m_gotoPressedNs = m_clock.nowNs();
    } else {
        m_screen = Screen::Refused;
        m_refusal = verdict;
    }
}

QByteArray HandController::firstLine()
{
    switch (m_screen) {
    case Screen::Menu:
        return "Select Item:";
    case Screen::StarList:
    case Screen::StarNumber:
    case Screen::Chosen:
        return m_heading;
    case Screen::Info:
        return m_object->name;
    case Screen::Goto:
        if (m_clock.nowNs() - m_gotoPressedNs < m_takingNs)
            return "Taking Control";
        return m_object->name;
    case Screen::Refused:
        return m_refusal == SlewVerdict::Asleep ? "Telescope Asleep" : "Telescope Parked";
    case Screen::NotFound:
        return m_heading;
    }
    return {};
}

QByteArray HandController::secondLine()
{
    switch (m_screen) {
    case Screen::Menu:
        return "Object";
    case Screen::StarList:
        return "Enter Number";
    case Screen::StarNumber:
        return "Number: " + m_digits;
    case Screen::Chosen:
        return m_object->name;
    case Screen::Info:
        return coordinateLine(m_object->position);
    case Screen::Goto:
        if (m_clock.nowNs() - m_gotoPressedNs < m_takingNs)
            return "Please Wait...";
        return m_telescope.slewing() ? QByteArray("Slewing...") : coordinateLine(m_telescope.pointing());
    case Screen::Refused:
        return "Slew Refused";
    case Screen::NotFound:
        return "Not Found";
    }
    return {};
}

QByteArray HandController::display()
{
    return kLeadByte + padded(firstLine()) + padded(secondLine()) + '#';
}

} // namespace lx200sim
