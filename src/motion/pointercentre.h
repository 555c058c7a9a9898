#pragma once

#include <QPoint>
#include <QRect>

namespace orrinet {

// Where the pointer is parked in the pointer pad: the middle of the pad's
// client area (screen coordinates), halves rounded to the even neighbour.
QPoint pointerCentre(const QRect &area);

} // namespace orrinet
