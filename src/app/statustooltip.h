#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace orrinet {

// Shows the whole status text as the status bar's tool tip, as plain text,
// while the bar shows its one line. Built when the tip is asked for, so a
// status text changing many times a second costs nothing more.
class StatusToolTip final : public QObject
{
    Q_OBJECT

public:
    StatusToolTip(QWidget *statusBar, std::function<QString()> text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_statusBar = nullptr;
    std::function<QString()> m_text;
};

} // namespace orrinet
