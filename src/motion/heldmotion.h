#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace orrinet {

// The manual moves: the four slew directions and the focuser's two.
enum class Move { North, South, East, West, FocusIn, FocusOut };
inline constexpr std::size_t kMoveCount = 6;

enum class HeldBy : std::uint8_t { Key = 1, Button = 2 };

// Which manual moves are running and whether a held key or a held mouse
// button started them, so that every way of ending a hold (release, the pad
// losing the focus, the window losing activation, disconnect, close) sends
// the stops that are still due.
class HeldMotion
{
public:
    void started(Move move, HeldBy by);
    // A stop went out: every move that stop ends is over (":FQ#" ends both
    // focuser directions).
    void stopped(Move move);
    // The running moves (those started by `by`, or all), one per stop command.
    std::vector<Move> running(std::optional<HeldBy> by = std::nullopt) const;
    void clear() { m_by = {}; }

private:
    std::array<std::uint8_t, kMoveCount> m_by{};
};

} // namespace orrinet
