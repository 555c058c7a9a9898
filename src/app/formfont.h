#pragma once

#include <QFont>

namespace orrinet {

// The windows' font: a narrow sans face at 8 points, so that captions fit
// the design sizes of their controls. Arial where installed; elsewhere the
// font configuration substitutes a face with the same widths.
inline QFont formFont(bool bold = true, int pointSize = 8)
{
    return QFont(QStringLiteral("Arial"), pointSize, bold ? QFont::Bold : QFont::Normal);
}

} // namespace orrinet
