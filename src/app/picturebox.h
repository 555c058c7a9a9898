#pragma once

#include "app/art.h"

#include <QWidget>

namespace orrinet {

// A picture that can also take the keyboard focus and reports its input the
// way the pads' handlers expect it: key codes are Windows virtual-key codes,
// Shift codes 1 Shift, 2 Ctrl, 4 Alt, button codes 1 left, 2 right, 4 middle,
// x and y in pixels of the picture.
//
// A held key repeats keyDown but gives a single keyUp on its real release.
// While it has the focus it keeps every key, the arrows included, and Tab
// and Shift+Tab too unless they are set to move the focus on.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(Art art, QWidget *parent = nullptr);

    Art art() const { return m_art; }
    void setArt(Art art);

    // Tab and Shift+Tab move the focus on, as from any other control, and
    // are not reported as keys.
    void setTabMovesFocus(bool moves) { m_tabMovesFocus = moves; }

Q_SIGNALS:
    void keyDown(int keyCode, int shift);
    void keyUp(int keyCode, int shift);
    void gotFocus();
    void lostFocus();
    void clicked();
    void mouseDown(int button, int shift, double x, double y);
    void mouseMove(int button, int shift, double x, double y);
    void mouseUp(int button, int shift, double x, double y);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    Art m_art;
    bool m_tabMovesFocus = false;
};

} // namespace orrinet
