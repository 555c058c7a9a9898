#include "app/commandbutton.h"

#include "app/virtualkeys.h"

#include <QMouseEvent>
#include <QPalette>

namespace orrinet {

CommandButton::CommandButton(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent), m_backColor(palette().color(QPalette::Button))
{
    // A right-button press belongs to the button, not to a context menu of
    // the window behind it.
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void CommandButton::setBackColor(const QColor &color)
{
    m_backColor = color;
    QPalette face = palette();
    face.setColor(QPalette::Button, color);
    setPalette(face);
}

void CommandButton::mousePressEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    Q_EMIT mouseDown(vbButtonMask(event->button()), vbShiftMask(event->modifiers()), at.x(),
                     at.y());
    if (event->button() == Qt::LeftButton)
        QPushButton::mousePressEvent(event);
    else
        event->accept(); // the push-button base ignores other buttons
}

void CommandButton::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    Q_EMIT mouseUp(vbButtonMask(event->button()), vbShiftMask(event->modifiers()), at.x(), at.y());
    if (event->button() == Qt::LeftButton)
        QPushButton::mouseReleaseEvent(event);
    else
        event->accept();
}

} // namespace orrinet
