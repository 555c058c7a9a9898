#pragma once

// The manual moves (four slew directions and the focuser) and the keys of the
// keyboard pad.

#include "app/frmMain_ui.h"
#include "app/virtualkeys.h"
#include "link/protocol.h"
#include "motion/heldmotion.h"

#include <QLatin1StringView>
#include <array>
#include <optional>

namespace orrinet {

struct ManualMove
{
    Move move;
    CommandButton *frmMainUi::*button;
    QLatin1StringView pressCommand;
    QLatin1StringView pressText;
    QLatin1StringView releaseCommand; // a slew stops its own direction, the focuser stops whole
    QLatin1StringView releaseText;
    bool slew; // a slew's release pauses and may read the position back
};

// Indexed by Move.
inline constexpr std::array<ManualMove, kMoveCount> kManualMoves{{
    {Move::North, &frmMainUi::CommandMoveN, kMoveNorth, QLatin1StringView("Moving North"),
     kStopNorth, QLatin1StringView("Movement stopped"), true},
    {Move::South, &frmMainUi::CommandMoveS, kMoveSouth, QLatin1StringView("Moving South"),
     kStopSouth, QLatin1StringView("Movement stopped"), true},
    {Move::East, &frmMainUi::CommandMoveE, kMoveEast, QLatin1StringView("Moving East"), kStopEast,
     QLatin1StringView("Movement stopped"), true},
    {Move::West, &frmMainUi::CommandMoveW, kMoveWest, QLatin1StringView("Moving West"), kStopWest,
     QLatin1StringView("Movement stopped"), true},
    {Move::FocusIn, &frmMainUi::CommandFocusIn, kFocusIn, QLatin1StringView("Focus moving In"),
     kFocusStop, QLatin1StringView("Focus stopped"), false},
    {Move::FocusOut, &frmMainUi::CommandFocusOut, kFocusOut, QLatin1StringView("Focus moving Out"),
     kFocusStop, QLatin1StringView("Focus stopped"), false},
}};

constexpr const ManualMove &manualMove(Move move)
{
    return kManualMoves[static_cast<std::size_t>(move)];
}

// ---- keyboard pad ----------------------------------------------------------------

// A move key acts on press and release; every other key on release only.
enum class PadAction { Move, FocusSpeed, SlewRate, Get, Firmware, Halt };

struct PadKey
{
    int keyCode; // Windows virtual-key code
    PadAction action;
    int argument; // the Move, the focus-speed index or the slider position
};

// The keys with an action; Shift, Ctrl and Alt do not change a key's action.
// F1..F4 choose the focus speed; F5..F14 reach slider positions 1..10, and
// 3.0 and 5.0 deg/s have no key.
inline constexpr std::array<PadKey, 23> kPadKeys{{
    {VirtualKey::Up, PadAction::Move, int(Move::North)},
    {VirtualKey::Down, PadAction::Move, int(Move::South)},
    {VirtualKey::Right, PadAction::Move, int(Move::East)},
    {VirtualKey::Left, PadAction::Move, int(Move::West)},
    {VirtualKey::End, PadAction::Move, int(Move::FocusIn)},
    {VirtualKey::Next, PadAction::Move, int(Move::FocusOut)},
    {VirtualKey::F1, PadAction::FocusSpeed, 0},
    {VirtualKey::F1 + 1, PadAction::FocusSpeed, 1},
    {VirtualKey::F1 + 2, PadAction::FocusSpeed, 2},
    {VirtualKey::F1 + 3, PadAction::FocusSpeed, 3},
    {VirtualKey::F1 + 4, PadAction::SlewRate, 1},
    {VirtualKey::F1 + 5, PadAction::SlewRate, 2},
    {VirtualKey::F1 + 6, PadAction::SlewRate, 3},
    {VirtualKey::F1 + 7, PadAction::SlewRate, 4},
    {VirtualKey::F1 + 8, PadAction::SlewRate, 5},
    {VirtualKey::F1 + 9, PadAction::SlewRate, 6},
    {VirtualKey::F1 + 10, PadAction::SlewRate, 7},
    {VirtualKey::F1 + 11, PadAction::SlewRate, 8},
    {VirtualKey::F1 + 12, PadAction::SlewRate, 9},
    {VirtualKey::F1 + 13, PadAction::SlewRate, 10},
    {VirtualKey::Home, PadAction::Get, 0},
    {VirtualKey::Prior, PadAction::Firmware, 0},
    {VirtualKey::Space, PadAction::Halt, 0},
}};

// The row of a key; nothing for a key without an action.
std::optional<PadKey> padKey(int keyCode);
// The move a key starts and stops, if it is a move key.
std::optional<Move> padMove(int keyCode);

} // namespace orrinet
