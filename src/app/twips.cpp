#include "app/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace orrinet {

namespace {

// What the toolkit assumes when there is no screen at all.
constexpr double FallbackDpi = 96.0;

double screenDpi(const QWidget *widget, bool horizontal)
{
    if (widget)
        return horizontal ? widget->logicalDpiX() : widget->logicalDpiY();
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return FallbackDpi;
    return horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
}

int roundToInt(double value)
{
    return static_cast<int>(std::lround(value));
}

} // namespace

double logicalDpiX(const QWidget *widget)
{
    return screenDpi(widget, true);
}

double logicalDpiY(const QWidget *widget)
{
    return screenDpi(widget, false);
}

int twipsToPixels(double twips, double dpi)
{
    return roundToInt(twips * dpi / TwipsPerInch);
}

int pixelsToTwips(double pixels, double dpi)
{
    return dpi > 0 ? roundToInt(pixels * TwipsPerInch / dpi) : 0;
}

int twipsToPixelsX(double twips, const QWidget *widget)
{
    return twipsToPixels(twips, logicalDpiX(widget));
}

int twipsToPixelsY(double twips, const QWidget *widget)
{
    return twipsToPixels(twips, logicalDpiY(widget));
}

int pixelsToTwipsX(double pixels, const QWidget *widget)
{
    return pixelsToTwips(pixels, logicalDpiX(widget));
}

int pixelsToTwipsY(double pixels, const QWidget *widget)
{
    return pixelsToTwips(pixels, logicalDpiY(widget));
}

QRect twipsRectToPixels(double left, double top, double width, double height, double dpiX,
                        double dpiY)
{
    const int x1 = twipsToPixels(left, dpiX);
    const int y1 = twipsToPixels(top, dpiY);
    const int x2 = twipsToPixels(left + width, dpiX);
    const int y2 = twipsToPixels(top + height, dpiY);
    return QRect(x1, y1, x2 - x1, y2 - y1);
}

QRect twipsRectToPixels(double left, double top, double width, double height, const QWidget *widget)
{
    return twipsRectToPixels(left, top, width, height, logicalDpiX(widget), logicalDpiY(widget));
}

void place(QWidget *widget, double left, double top, double width, double height)
{
    widget->setGeometry(twipsRectToPixels(left, top, width, height, widget));
}

QColor colorFromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFFu), int((bgr >> 8) & 0xFFu), int((bgr >> 16) & 0xFFu));
}

quint32 colorToBgr(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16);
}

} // namespace orrinet
