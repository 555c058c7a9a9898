#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

namespace orrinet {

// The screen-wide mouse pointer, reduced to what pointer slewing needs.
// Positions and rectangles are in global (screen) coordinates.
class Cursor
{
public:
    Cursor() = default;
    virtual ~Cursor() = default;
    Cursor(const Cursor &) = delete;
    Cursor &operator=(const Cursor &) = delete;

    // Holds the pointer inside area, the client area of window, until
    // release(); window keeps getting its moves and clicks. False when the
    // pointer cannot be held (no such facility, or another program has it).
    virtual bool confine(QWidget &window, const QRect &area) = 0;
    // Lets the pointer move freely again; harmless when nothing is held.
    virtual void release() = 0;

    virtual QPoint position() const = 0;
    // Moves the pointer; a move to a new place gives the window under it one
    // mouse-move event afterwards.
    virtual void warp(const QPoint &to) = 0;
};

} // namespace orrinet
