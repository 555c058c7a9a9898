#include "app/virtualkeys.h"

#include <array>

namespace orrinet {

namespace {

// A run of consecutive Qt keys mapped onto consecutive virtual-key codes.
struct KeyRange
{
    int firstQtKey;
    int lastQtKey;
    int firstCode;
};

constexpr std::array keyRanges{
    KeyRange{Qt::Key_A, Qt::Key_Z, 'A'},
    KeyRange{Qt::Key_0, Qt::Key_9, '0'},
    KeyRange{Qt::Key_F1, Qt::Key_F24, VirtualKey::F1},
    KeyRange{Qt::Key_Escape, Qt::Key_Escape, VirtualKey::Escape},
    KeyRange{Qt::Key_Tab, Qt::Key_Tab, VirtualKey::Tab},
    KeyRange{Qt::Key_Backtab, Qt::Key_Backtab, VirtualKey::Tab}, // Shift+Tab
    KeyRange{Qt::Key_Backspace, Qt::Key_Backspace, VirtualKey::Back},
    KeyRange{Qt::Key_Return, Qt::Key_Return, VirtualKey::Return},
    KeyRange{Qt::Key_Enter, Qt::Key_Enter, VirtualKey::Return}, // keypad Enter
    KeyRange{Qt::Key_Insert, Qt::Key_Insert, VirtualKey::Insert},
    KeyRange{Qt::Key_Delete, Qt::Key_Delete, VirtualKey::Delete},
    KeyRange{Qt::Key_Pause, Qt::Key_Pause, 19},
    KeyRange{Qt::Key_Print, Qt::Key_Print, 44},
    KeyRange{Qt::Key_Clear, Qt::Key_Clear, 12},
    KeyRange{Qt::Key_Home, Qt::Key_Home, VirtualKey::Home},
    KeyRange{Qt::Key_End, Qt::Key_End, VirtualKey::End},
    KeyRange{Qt::Key_Left, Qt::Key_Left, VirtualKey::Left},
    KeyRange{Qt::Key_Up, Qt::Key_Up, VirtualKey::Up},
    KeyRange{Qt::Key_Right, Qt::Key_Right, VirtualKey::Right},
    KeyRange{Qt::Key_Down, Qt::Key_Down, VirtualKey::Down},
    KeyRange{Qt::Key_PageUp, Qt::Key_PageUp, VirtualKey::Prior},
    KeyRange{Qt::Key_PageDown, Qt::Key_PageDown, VirtualKey::Next},
    KeyRange{Qt::Key_Shift, Qt::Key_Shift, VirtualKey::Shift},
    KeyRange{Qt::Key_Control, Qt::Key_Control, VirtualKey::Control},
    KeyRange{Qt::Key_Meta, Qt::Key_Meta, 91},
    KeyRange{Qt::Key_Alt, Qt::Key_Alt, VirtualKey::Menu},
    KeyRange{Qt::Key_AltGr, Qt::Key_AltGr, VirtualKey::Menu},
    KeyRange{Qt::Key_CapsLock, Qt::Key_CapsLock, 20},
    KeyRange{Qt::Key_NumLock, Qt::Key_NumLock, 144},
    KeyRange{Qt::Key_ScrollLock, Qt::Key_ScrollLock, 145},
    KeyRange{Qt::Key_Menu, Qt::Key_Menu, 93},
    KeyRange{Qt::Key_Space, Qt::Key_Space, VirtualKey::Space},
    KeyRange{Qt::Key_Semicolon, Qt::Key_Semicolon, 186},
    KeyRange{Qt::Key_Equal, Qt::Key_Equal, 187},
    KeyRange{Qt::Key_Comma, Qt::Key_Comma, 188},
    KeyRange{Qt::Key_Minus, Qt::Key_Minus, 189},
    KeyRange{Qt::Key_Period, Qt::Key_Period, 190},
    KeyRange{Qt::Key_Slash, Qt::Key_Slash, 191},
    KeyRange{Qt::Key_QuoteLeft, Qt::Key_QuoteLeft, 192},
    KeyRange{Qt::Key_BracketLeft, Qt::Key_BracketLeft, 219},
    KeyRange{Qt::Key_Backslash, Qt::Key_Backslash, 220},
    KeyRange{Qt::Key_BracketRight, Qt::Key_BracketRight, 221},
    KeyRange{Qt::Key_Apostrophe, Qt::Key_Apostrophe, 222},
};

// Keys of the numeric keypad that Windows reports with their own codes.
constexpr std::array keypadRanges{
    KeyRange{Qt::Key_0, Qt::Key_9, 96},
    KeyRange{Qt::Key_Asterisk, Qt::Key_Plus, 106}, // * then +
    KeyRange{Qt::Key_Minus, Qt::Key_Minus, 109},
    KeyRange{Qt::Key_Period, Qt::Key_Period, 110},
    KeyRange{Qt::Key_Slash, Qt::Key_Slash, 111},
};

template <std::size_t N> int lookUp(const std::array<KeyRange, N> &ranges, int qtKey)
{
    for (const KeyRange &range : ranges) {
        if (qtKey >= range.firstQtKey && qtKey <= range.lastQtKey)
            return range.firstCode + (qtKey - range.firstQtKey);
    }
    return 0;
}

struct MaskBit
{
    int qtFlag;
    int vbBit;
};

constexpr std::array modifierBits{
    MaskBit{Qt::ShiftModifier, 1},
    MaskBit{Qt::ControlModifier, 2},
    MaskBit{Qt::AltModifier, 4},
};

constexpr std::array buttonBits{
    MaskBit{Qt::LeftButton, 1},
    MaskBit{Qt::RightButton, 2},
    MaskBit{Qt::MiddleButton, 4},
};

template <std::size_t N> int collectBits(const std::array<MaskBit, N> &bits, int qtFlags)
{
    int mask = 0;
    for (const MaskBit &bit : bits) {
        if (qtFlags & bit.qtFlag)
            mask |= bit.vbBit;
    }
    return mask;
}

} // namespace

int windowsKeyCode(int qtKey)
{
    return lookUp(keyRanges, qtKey);
}

int windowsKeyCode(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        if (const int code = lookUp(keypadRanges, qtKey))
            return code;
    }
    return windowsKeyCode(qtKey);
}

int vbShiftMask(Qt::KeyboardModifiers modifiers)
{
    return collectBits(modifierBits, modifiers.toInt());
}

int vbButtonMask(Qt::MouseButtons buttons)
{
    return collectBits(buttonBits, buttons.toInt());
}

} // namespace orrinet
