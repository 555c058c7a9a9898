#pragma once

#include <QFont>
#include <QStringList>

namespace orrinet {

// The windows' font: a narrow sans face at 8 points, so that captions fit
// the design sizes of their controls. Arial where installed, else Liberation
// Sans, which has the same widths; a wider substitute would clip captions.
inline QFont formFont(bool bold = true, int pointSize = 8)
{
    QFont font(QStringLiteral("Arial"), pointSize, bold ? QFont::Bold : QFont::Normal);
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    return font;
}

} // namespace orrinet
