#include "app/art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <algorithm>
#include <array>

namespace orrinet {

namespace {

const QColor NightTop(10, 16, 48);
const QColor NightBottom(36, 58, 110);
const QColor PadFace(58, 62, 70);
const QColor PadEdge(24, 26, 30);
const QColor KeyFace(214, 220, 228);
const QColor ArrowInk(40, 44, 52);
const QColor ReticleGreen(90, 230, 120);

// The largest rectangle of the given width:height ratio centred in area.
QRectF fitted(const QRectF &area, double ratio)
{
    double w = area.width();
    double h = w / ratio;
    if (h > area.height()) {
        h = area.height();
        w = h * ratio;
    }
    return QRectF(area.center().x() - w / 2, area.center().y() - h / 2, w, h);
}

// Maps a 100 x 100 drawing onto the square box.
void useUnitBox(QPainter &painter, const QRectF &box)
{
    painter.translate(box.topLeft());
    painter.scale(box.width() / 100.0, box.height() / 100.0);
}

struct Star
{
    double x; // per cent of the area
    double y;
    double size;
};

constexpr std::array stars{
    Star{8, 12, 1.2},  Star{22, 30, 0.8}, Star{35, 8, 1.0},  Star{52, 18, 1.4}, Star{68, 6, 0.9},
    Star{83, 22, 1.1}, Star{93, 10, 0.8}, Star{12, 48, 0.9}, Star{90, 44, 1.0}, Star{60, 36, 0.7},
    Star{42, 44, 0.8}, Star{76, 52, 0.9}, Star{5, 70, 0.7},  Star{96, 72, 0.8},
};

void paintSky(QPainter &painter, const QRectF &area)
{
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0.0, NightTop);
    sky.setColorAt(1.0, NightBottom);
    painter.fillRect(area, sky);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 250, 220));
    const double unit = std::min(area.width(), area.height()) / 100.0;
    for (const Star &star : stars) {
        const QPointF at(area.left() + area.width() * star.x / 100.0,
                         area.top() + area.height() * star.y / 100.0);
        painter.drawEllipse(at, star.size * unit, star.size * unit);
    }

    // A low horizon of dark ground.
    QRectF ground(area.left(), area.bottom() - area.height() * 0.12, area.width(),
                  area.height() * 0.12);
    painter.fillRect(ground, QColor(18, 26, 22));
}

void paintTelescope(QPainter &painter, const QRectF &area)
{
    paintSky(painter, area);
    painter.save();
    useUnitBox(painter, fitted(area, 1.0));

    // Tripod: three legs from the mount down to the ground, with a spreader.
    QPen leg(QColor(200, 204, 210), 2.6, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(leg);
    const QPointF head(50, 58);
    painter.drawLine(head, QPointF(28, 95));
    painter.drawLine(head, QPointF(72, 95));
    painter.drawLine(head, QPointF(50, 97));
    painter.setPen(QPen(QColor(150, 154, 160), 1.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(39, 78), QPointF(61, 78));
    painter.drawLine(QPointF(50, 58), QPointF(50, 80));

    // Fork mount: a base and two arms holding the tube.
    painter.setPen(QPen(PadEdge, 0.8));
    painter.setBrush(QColor(70, 78, 96));
    painter.drawRoundedRect(QRectF(40, 52, 20, 7), 2, 2);
    painter.drawRoundedRect(QRectF(41, 36, 5, 18), 1.5, 1.5);
    painter.drawRoundedRect(QRectF(54, 36, 5, 18), 1.5, 1.5);

    // The tube, tilted up towards the sky, pivoting between the arms.
    painter.save();
    painter.translate(50, 40);
    painter.rotate(-32);
    QLinearGradient metal(QPointF(0, -9), QPointF(0, 9));
    metal.setColorAt(0.0, QColor(250, 250, 252));
    metal.setColorAt(0.5, QColor(205, 210, 220));
    metal.setColorAt(1.0, QColor(140, 146, 158));
    painter.setBrush(metal);
    painter.setPen(QPen(PadEdge, 0.8));
    painter.drawRoundedRect(QRectF(-24, -9, 48, 18), 3, 3);
    // Dew shield and front ring.
    painter.setBrush(QColor(34, 38, 46));
    painter.drawRect(QRectF(20, -10, 8, 20));
    // Finder scope on top of the tube.
    painter.setBrush(QColor(60, 66, 80));
    painter.drawRoundedRect(QRectF(-6, -14.5, 18, 4), 1.5, 1.5);
    // Eyepiece at the back.
    painter.drawRect(QRectF(-30, -3, 7, 6));
    painter.restore();

    // Pivot bolt.
    painter.setBrush(QColor(220, 180, 60));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(50, 40), 2.2, 2.2);
    painter.restore();
}

// One arrow key: a rounded key face with a triangle pointing away from the
// centre, rotated by angle degrees (0 points up).
void paintArrowKey(QPainter &painter, const QPointF &centre, double angle)
{
    painter.save();
    painter.translate(centre);
    painter.rotate(angle);
    painter.setPen(QPen(PadEdge, 1.0));
    painter.setBrush(KeyFace);
    painter.drawRoundedRect(QRectF(-13, -13, 26, 26), 5, 5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ArrowInk);
    painter.drawPolygon(QPolygonF({QPointF(0, -8), QPointF(8, 4), QPointF(-8, 4)}));
    painter.restore();
}

void paintArrowPad(QPainter &painter, const QRectF &area)
{
    QLinearGradient face(area.topLeft(), area.bottomLeft());
    face.setColorAt(0.0, PadFace.lighter(125));
    face.setColorAt(1.0, PadFace);
    painter.setPen(Qt::NoPen);
    painter.setBrush(face);
    painter.drawRoundedRect(area, std::min(area.width(), area.height()) * 0.15,
                            std::min(area.width(), area.height()) * 0.15);

    painter.save();
    useUnitBox(painter, fitted(area.adjusted(1, 1, -1, -1), 1.0));
    paintArrowKey(painter, QPointF(50, 17), 0);
    paintArrowKey(painter, QPointF(83, 50), 90);
    paintArrowKey(painter, QPointF(50, 83), 180);
    paintArrowKey(painter, QPointF(17, 50), 270);
    // The centre key.
    painter.setPen(QPen(PadEdge, 1.0));
    QRadialGradient centre(QPointF(47, 47), 12);
    centre.setColorAt(0.0, QColor(255, 120, 110));
    centre.setColorAt(1.0, QColor(180, 30, 30));
    painter.setBrush(centre);
    painter.drawEllipse(QPointF(50, 50), 10, 10);
    painter.restore();
}

void paintCrossHair(QPainter &painter, const QRectF &area)
{
    QRadialGradient field(area.center(), std::max(area.width(), area.height()) * 0.7);
    field.setColorAt(0.0, QColor(20, 40, 30));
    field.setColorAt(1.0, QColor(4, 10, 8));
    painter.fillRect(area, field);

    painter.save();
    useUnitBox(painter, fitted(area, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ReticleGreen, 0.6));
    for (const double radius : {12.0, 26.0, 40.0})
        painter.drawEllipse(QPointF(50, 50), radius, radius);

    // The cross with a gap at the centre, and ticks every five units.
    painter.setPen(QPen(ReticleGreen, 0.8));
    painter.drawLine(QPointF(50, 11), QPointF(50, 45));
    painter.drawLine(QPointF(50, 55), QPointF(50, 89));
    painter.drawLine(QPointF(11, 50), QPointF(45, 50));
    painter.drawLine(QPointF(55, 50), QPointF(89, 50));
    painter.setPen(QPen(ReticleGreen, 0.5));
    for (int step = 10; step <= 90; step += 5) {
        if (step == 50)
            continue;
        const double half = step % 10 == 0 ? 2.0 : 1.0;
        painter.drawLine(QPointF(step, 50 - half), QPointF(step, 50 + half));
        painter.drawLine(QPointF(50 - half, step), QPointF(50 + half, step));
    }
    painter.setBrush(ReticleGreen);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(50, 50), 1.2, 1.2);

    // Compass letters: moving the pointer up slews north, right slews east.
    QFont letters = painter.font();
    letters.setBold(true);
    letters.setPixelSize(7);
    painter.setFont(letters);
    painter.setPen(ReticleGreen);
    struct Letter
    {
        QRectF box;
        const char *text;
    };
    const std::array<Letter, 4> compass{
        Letter{QRectF(40, 1, 20, 9), "N"},
        Letter{QRectF(40, 90, 20, 9), "S"},
        Letter{QRectF(90, 45, 10, 10), "E"},
        Letter{QRectF(0, 45, 10, 10), "W"},
    };
    for (const Letter &letter : compass)
        painter.drawText(letter.box, Qt::AlignCenter, QString::fromLatin1(letter.text));
    painter.restore();
}

} // namespace

void paintArt(QPainter &painter, Art art, const QRectF &area)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setClipRect(area);
    switch (art) {
    case Art::Telescope:
        paintTelescope(painter, area);
        break;
    case Art::ArrowPad:
        paintArrowPad(painter, area);
        break;
    case Art::CrossHair:
        paintCrossHair(painter, area);
        break;
    }
    painter.restore();
}

} // namespace orrinet
