#pragma once

// A set of raised awaited-reply flags as a value, for a model of the receive
// handler to compare the window against.

#include "link/awaited.h"

#include <bit>
#include <cstdint>
#include <optional>

namespace orrinet::testing {

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

} // namespace orrinet::testing
