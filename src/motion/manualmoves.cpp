#include "motion/manualmoves.h"

#include "motion/heldmotion.h"

#include <algorithm>

namespace orrinet {

std::optional<PadKey> padKey(int keyCode)
{
    const auto row = std::find_if(kPadKeys.begin(), kPadKeys.end(),
                                  [keyCode](const PadKey &key) { return key.keyCode == keyCode; });
    if (row == kPadKeys.end())
        return std::nullopt;
    return *row;
}

std::optional<Move> padMove(int keyCode)
{
    const std::optional<PadKey> key = padKey(keyCode);
    if (!key || key->action != PadAction::Move)
        return std::nullopt;
    return static_cast<Move>(key->argument);
}

void HeldMotion::started(Move move, HeldBy by)
{
    m_by[static_cast<std::size_t>(move)] |= static_cast<std::uint8_t>(by);
}

void HeldMotion::stopped(Move move)
{
    const QLatin1StringView stop = manualMove(move).releaseCommand;
    for (const ManualMove &row : kManualMoves) {
        if (row.releaseCommand == stop)
            m_by[static_cast<std::size_t>(row.move)] = 0;
    }
}

std::vector<Move> HeldMotion::running(std::optional<HeldBy> by) const
{
    const std::uint8_t mask = by ? static_cast<std::uint8_t>(*by) : 0xFF;
    std::vector<Move> moves;
    for (const ManualMove &row : kManualMoves) {
        if (!(m_by[static_cast<std::size_t>(row.move)] & mask))
            continue;
        const bool sameStop = std::any_of(moves.begin(), moves.end(), [&row](Move m) {
            return manualMove(m).releaseCommand == row.releaseCommand;
        });
        if (!sameStop)
            moves.push_back(row.move);
    }
    return moves;
}

} // namespace orrinet
