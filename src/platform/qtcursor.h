#pragma once

#include "platform/cursor.h"

#include <QPointer>

namespace orrinet {

// The real pointer. On X11 a pointer grab confined to the window's own
// native window holds it (owner events on, so the window still sees its
// input). Elsewhere (Wayland, offscreen) confine() fails and only the warps
// keep the pointer near the window.
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
    bool m_grabbed = false;
};

} // namespace orrinet
