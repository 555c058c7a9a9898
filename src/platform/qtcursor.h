#pragma once

#include "platform/cursor.h"

namespace orrinet {

// The real pointer. On X11 a pointer grab, owner events on so the window
// still sees its input, confines it to an input-only X window laid exactly
// over the area. Elsewhere (Wayland, offscreen) and when another program
// holds the pointer, confine() fails and only the warps keep the pointer
// near the window.
class QtCursor final : public Cursor
{
public:
    QtCursor() = default;
    ~QtCursor() override;

    bool confine(QWidget &window, const QRect &area) override;
    void release() override;
    QPoint position() const override;
    void warp(const QPoint &to) override;

private:
    unsigned m_fence = 0; // the X window the pointer is confined to; 0 when free
};

} // namespace orrinet
