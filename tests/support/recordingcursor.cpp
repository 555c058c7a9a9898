#include "support/recordingcursor.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace orrinet::testing {

bool RecordingCursor::confine(QWidget &, const QRect &area)
{
    calls << QStringLiteral("confine %1,%2 %3x%4")
                 .arg(area.left())
                 .arg(area.top())
                 .arg(area.width())
                 .arg(area.height());
    confined = !refuseConfine;
    return confined;
}

void RecordingCursor::release()
{
    calls << QStringLiteral("release");
    confined = false;
}

void RecordingCursor::warp(const QPoint &to)
{
    calls << QStringLiteral("warp %1,%2").arg(to.x()).arg(to.y());
    const bool moved = to != m_position;
    m_position = to;
    if (moved && echoTo) {
        const QPointF local = echoTo->mapFromGlobal(QPointF(to));
        QCoreApplication::postEvent(echoTo,
                                    new QMouseEvent(QEvent::MouseMove, local, QPointF(to),
                                                    Qt::NoButton, Qt::NoButton, Qt::NoModifier));
    }
}

} // namespace orrinet::testing
