#pragma once

#include <QColor>
#include <QPushButton>

namespace orrinet {

// A push button that also reports the press and release of every mouse
// button (left, right, middle), as the slew and focuser buttons act while a
// button is held. Button codes: 1 left, 2 right, 4 middle; Shift codes:
// 1 Shift, 2 Ctrl, 4 Alt; x and y in pixels of the button.
// clicked() still comes only from the left button, after mouseUp.
class CommandButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CommandButton(const QString &caption = QString(), QWidget *parent = nullptr);

    // The face colour, shown by the style and read back unchanged.
    void setBackColor(const QColor &color);
    QColor backColor() const { return m_backColor; }

Q_SIGNALS:
    void mouseDown(int button, int shift, double x, double y);
    void mouseUp(int button, int shift, double x, double y);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor m_backColor;
};

} // namespace orrinet
