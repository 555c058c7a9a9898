#pragma once

#include <QRectF>

class QPainter;

namespace orrinet {

// The pictures the windows show, drawn as vectors so they stay sharp at any
// size and resolution.
enum class Art {
    Telescope, // a telescope on its tripod under a night sky
    ArrowPad,  // four arrow keys around a centre: the keyboard pad
    CrossHair, // a reticle with the four directions: the pointer pad
};

// Paints the picture over the whole of area, keeping its proportions (the
// background fills the rest).
void paintArt(QPainter &painter, Art art, const QRectF &area);

} // namespace orrinet
