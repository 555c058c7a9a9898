#include "app/statustooltip.h"

#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

namespace orrinet {

StatusToolTip::StatusToolTip(QWidget *statusBar, std::function<QString()> text)
    : QObject(statusBar), m_statusBar(statusBar), m_text(std::move(text))
{
    m_statusBar->installEventFilter(this);
}

bool StatusToolTip::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_statusBar || event->type() != QEvent::ToolTip)
        return QObject::eventFilter(watched, event);
    const QString text = m_text();
    const auto *help = static_cast<QHelpEvent *>(event);
    if (text.isEmpty())
        QToolTip::hideText();
    else // escaped and wrapped: the tip never reads the text as markup
        QToolTip::showText(help->globalPos(), Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal),
                           m_statusBar);
    return true;
}

} // namespace orrinet
