#pragma once

#include <QColor>
#include <QRect>

class QWidget;

namespace orrinet {

// Window geometry is kept in twips, 1440 to the inch of the screen's logical
// resolution, so stored places and sizes mean the same on any screen.
inline constexpr double TwipsPerInch = 1440.0;

// The logical resolution (dots per inch) used for a widget: its own screen's,
// or the primary screen's when widget is null.
double logicalDpiX(const QWidget *widget = nullptr);
double logicalDpiY(const QWidget *widget = nullptr);

// Pure conversions at a given resolution; results are rounded to the nearest
// whole pixel or twip.
int twipsToPixels(double twips, double dpi);
int pixelsToTwips(double pixels, double dpi);

int twipsToPixelsX(double twips, const QWidget *widget = nullptr);
int twipsToPixelsY(double twips, const QWidget *widget = nullptr);
int pixelsToTwipsX(double pixels, const QWidget *widget = nullptr);
int pixelsToTwipsY(double pixels, const QWidget *widget = nullptr);

// A design rectangle (Left, Top, Width, Height in twips) in pixels. The edges
// are rounded, not the sizes, so controls that touch in twips still touch.
QRect twipsRectToPixels(double left, double top, double width, double height, double dpiX,
                        double dpiY);
QRect twipsRectToPixels(double left, double top, double width, double height,
                        const QWidget *widget = nullptr);

// Gives a widget its design rectangle (twips, relative to its container).
void place(QWidget *widget, double left, double top, double width, double height);

// Colours are stored and specified as 0x00BBGGRR values (red in the low byte).
QColor colorFromBgr(quint32 bgr);
quint32 colorToBgr(const QColor &color);

} // namespace orrinet
