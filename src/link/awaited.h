#pragma once

// The replies the panel can be waiting for. Replies carry no marker of the
// command they answer, so each sender raises its own flag and the receive
// handler serves the first raised flag in the fixed order below.

#include <QLatin1StringView>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace orrinet {

// Declared in the order the receive handler tests them; the underlying value
// is the position in that order.
enum class Awaiting : std::uint8_t {
    Ra,
    Dec,
    Firmware,
    Product,
    Date,
    Time,
    Azimuth,
    Altitude,
    Latitude,
    Longitude,
    GotoRa,
    GotoDec,
    Goto,
    Gps,
    Align,
    AutostarGoto,
    Autostar,
    Status,
};

inline constexpr std::size_t kAwaitingCount = 18;

// Every flag, in test order.
inline constexpr std::array<Awaiting, kAwaitingCount> kAwaitingTestOrder{
    Awaiting::Ra,       Awaiting::Dec,       Awaiting::Firmware, Awaiting::Product,
    Awaiting::Date,     Awaiting::Time,      Awaiting::Azimuth,  Awaiting::Altitude,
    Awaiting::Latitude, Awaiting::Longitude, Awaiting::GotoRa,   Awaiting::GotoDec,
    Awaiting::Goto,     Awaiting::Gps,       Awaiting::Align,    Awaiting::AutostarGoto,
    Awaiting::Autostar, Awaiting::Status,
};

// The names the main window gives the flags, indexed by the flag's value.
inline constexpr std::array<QLatin1StringView, kAwaitingCount> kAwaitingNames{
    QLatin1StringView("WaitingRa"),       QLatin1StringView("WaitingDec"),
    QLatin1StringView("WaitingFirmware"), QLatin1StringView("WaitingProduct"),
    QLatin1StringView("WaitingDate"),     QLatin1StringView("WaitingTime"),
    QLatin1StringView("WaitingAzimuth"),  QLatin1StringView("WaitingAltitude"),
    QLatin1StringView("WaitingLatitude"), QLatin1StringView("WaitingLongitude"),
    QLatin1StringView("WaitingGotoRa"),   QLatin1StringView("WaitingGotoDec"),
    QLatin1StringView("WaitingGoto"),     QLatin1StringView("WaitingGps"),
    QLatin1StringView("WaitingAlign"),    QLatin1StringView("WaitingAutostarGoto"),
    QLatin1StringView("WaitingAutostar"), QLatin1StringView("WaitingStatus"),
};

// "WaitingRa" for Awaiting::Ra; empty for a value outside the enumeration.
constexpr QLatin1StringView awaitingName(Awaiting flag)
{
    const auto index = static_cast<std::size_t>(flag);
    return index < kAwaitingCount ? kAwaitingNames[index] : QLatin1StringView();
}

// The set of raised flags. Flags are independent: several may be raised at
// once, and only the branch that serves a flag lowers it.
class AwaitedReplies
{
public:
    constexpr AwaitedReplies() = default;

    constexpr void set(Awaiting flag) { m_bits |= bit(flag); }
    constexpr void clear(Awaiting flag) { m_bits &= ~bit(flag); }
    constexpr void set(Awaiting flag, bool raised) { raised ? set(flag) : clear(flag); }
    constexpr bool test(Awaiting flag) const { return (m_bits & bit(flag)) != 0; }
    constexpr bool any() const { return m_bits != 0; }

    // The flag the receive handler serves next: the first raised one in test
    // order, or nothing when none is raised.
    constexpr std::optional<Awaiting> first() const
    {
        if (m_bits == 0)
            return std::nullopt;
        return static_cast<Awaiting>(std::countr_zero(m_bits));
    }

    friend constexpr bool operator==(AwaitedReplies, AwaitedReplies) = default;

private:
    // A value outside the enumeration maps to no bit, so it can never be
    // raised and never shifts out of range.
    static constexpr std::uint32_t bit(Awaiting flag)
    {
        const auto index = static_cast<std::size_t>(flag);
        return index < kAwaitingCount ? std::uint32_t{1} << index : 0;
    }

    std::uint32_t m_bits = 0;
};

} // namespace orrinet
