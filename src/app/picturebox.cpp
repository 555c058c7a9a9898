#include "app/picturebox.h"

#include "app/virtualkeys.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace orrinet {

PictureBox::PictureBox(Art art, QWidget *parent) : QWidget(parent), m_art(art)
{
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true); // moves without a held button count too
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void PictureBox::setArt(Art art)
{
    m_art = art;
    update();
}

bool PictureBox::event(QEvent *event)
{
    // The widget base would turn Tab and Shift+Tab into a focus move before
    // the key handler saw them.
    if (event->type() == QEvent::KeyPress && !m_tabMovesFocus) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintArt(painter, m_art, rect());
}

void PictureBox::keyPressEvent(QKeyEvent *event)
{
    Q_EMIT keyDown(windowsKeyCode(event->key(), event->modifiers()),
                   vbShiftMask(event->modifiers()));
    event->accept();
}

void PictureBox::keyReleaseEvent(QKeyEvent *event)
{
    // Auto-repeat comes as release and press pairs on some platforms; only
    // the final release ends the key press.
    if (!event->isAutoRepeat())
        Q_EMIT keyUp(windowsKeyCode(event->key(), event->modifiers()),
                     vbShiftMask(event->modifiers()));
    event->accept();
}

void PictureBox::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    Q_EMIT gotFocus();
}

void PictureBox::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    Q_EMIT lostFocus();
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    Q_EMIT mouseDown(vbButtonMask(event->button()), vbShiftMask(event->modifiers()), at.x(),
                     at.y());
    event->accept();
}

void PictureBox::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    Q_EMIT mouseMove(vbButtonMask(event->buttons()), vbShiftMask(event->modifiers()), at.x(),
                     at.y());
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    const bool leftClick = event->button() == Qt::LeftButton && rect().contains(at.toPoint());
    Q_EMIT mouseUp(vbButtonMask(event->button()), vbShiftMask(event->modifiers()), at.x(), at.y());
    if (leftClick)
        Q_EMIT clicked();
    event->accept();
}

} // namespace orrinet
