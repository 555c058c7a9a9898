#pragma once

#include <Qt>

namespace orrinet {

// Windows virtual-key codes of the keys the pads react to; the handlers
// compare against these, whatever the platform delivers.
namespace VirtualKey {
inline constexpr int Back = 8;
inline constexpr int Tab = 9;
inline constexpr int Return = 13;
inline constexpr int Shift = 16;
inline constexpr int Control = 17;
inline constexpr int Menu = 18; // Alt
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int Prior = 33; // Page Up
inline constexpr int Next = 34;  // Page Down
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int F1 = 112; // F2..F24 follow in order
} // namespace VirtualKey

// The Windows virtual-key code of a Qt key, or 0 for a key without one.
// Letters and digits give their upper-case ASCII code.
int windowsKeyCode(int qtKey);

// As above, but digits and operators of the numeric keypad give the keypad
// codes (96.. and 106..111), as Windows reports them.
int windowsKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

// The Shift argument of key and mouse events: 1 Shift, 2 Ctrl, 4 Alt.
int vbShiftMask(Qt::KeyboardModifiers modifiers);

// The Button argument of mouse events: 1 left, 2 right, 4 middle, or'ed
// together when several are given (mouse-move reports the held buttons).
int vbButtonMask(Qt::MouseButtons buttons);

} // namespace orrinet
