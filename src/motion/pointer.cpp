// Pointer slewing: the pointer pad, the halt timer and the halt-delay menu.

#include "app/frmMain.h"
#include "app/picturebox.h"
#include "app/virtualkeys.h"
#include "link/protocol.h"
#include "motion/manualmoves.h"
#include "motion/pointercentre.h"
#include "platform/cursor.h"
#include "platform/serialport.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <cmath>

namespace orrinet {

QPoint pointerCentre(const QRect &area)
{
    // nearbyint rounds halves to even in the default rounding mode.
    return {static_cast<int>(std::nearbyint(area.width() / 2.0 + area.left())),
            static_cast<int>(std::nearbyint(area.height() / 2.0 + area.top()))};
}

} // namespace orrinet

namespace {

enum class Axis { X, Y };

struct PointerDirection
{
    Axis axis;
    bool positive; // right or down
    bool frmMain::*moving;
    QLatin1StringView command;
    QLatin1StringView statusText;
};

// Tested in this order, so a diagonal step sends the east-west command first.
constexpr std::array<PointerDirection, 4> kPointerDirections{{
    {Axis::X, true, &frmMain::MovingEast, orrinet::kMoveEast, QLatin1StringView("East")},
    {Axis::X, false, &frmMain::MovingWest, orrinet::kMoveWest, QLatin1StringView("West")},
    {Axis::Y, true, &frmMain::MovingSouth, orrinet::kMoveSouth, QLatin1StringView("South")},
    {Axis::Y, false, &frmMain::MovingNorth, orrinet::kMoveNorth, QLatin1StringView("North")},
}};

} // namespace

void frmMain::CheckPointerControl_Click()
{
    QWidget *const frames[] = {FrameFocus, FrameMove, FrameRADEC, LabelKeyControls, FrameAutostar};
    if (CheckPointerControl->isChecked()) {
        SkipNextPointerMove = false;
        PicturePointer->show();
        PicturePointer->setFocus(Qt::OtherFocusReason);
        for (QWidget *frame : frames)
            frame->hide();
        const std::optional<orrinet::PointerHaltDelay> delay =
            orrinet::pointerHaltDelay(PointerTimeIndex);
        setStatusText(QStringLiteral("Move using pointer activated ") +
                      (delay ? QString(delay->caption) : QString()));
        PointerOrigin = PicturePointer->mapToGlobal(QPoint(0, 0));
        PointerRect = QRect(PointerOrigin, PicturePointer->size());
        const QPoint centre = orrinet::pointerCentre(PointerRect);
        PointerCentreX = PointerRect.width() / 2.0 + PointerRect.left();
        PointerCentreY = centre.y();
        holdPointerInPad();
        m_pointerHeld = true;
        return;
    }

    letPointerGo();
    for (QWidget *frame : frames)
        frame->show();
    PicturePointer->hide();
    setStatusText(QStringLiteral("Move using pointer deactivated"));
    if (CheckRADEC->isChecked())
        CommandGet_Click();
    focusPad();
}

void frmMain::holdPointerInPad()
{
    // Parked before the grab, which would otherwise pull a pointer lying
    // outside the pad to its edge and so make a move of its own.
    recentrePointer();
    ScreenCursor.confine(*PicturePointer, PointerRect);
}

void frmMain::recentrePointer()
{
    const QPoint centre(static_cast<int>(std::nearbyint(PointerCentreX)), PointerCentreY);
    // The centre is the reference for the next movement, whether or not an
    // echo comes. A warp to where the pointer already is gives no echo to skip.
    const QPointF local = PicturePointer->mapFromGlobal(QPointF(centre));
    LastPointerX = static_cast<float>(local.x());
    LastPointerY = static_cast<float>(local.y());
    if (ScreenCursor.position() == centre)
        return;
    SkipNextPointerMove = true;
    ScreenCursor.warp(centre);
}

void frmMain::letPointerGo()
{
    if (!m_pointerHeld)
        return;
    m_pointerHeld = false;
    ScreenCursor.release();
}

void frmMain::PicturePointer_GotFocus()
{
    // A menu or a message box takes the pointer away from the grab.
    if (m_pointerHeld && CheckPointerControl->isChecked())
        holdPointerInPad();
}

void frmMain::PicturePointer_MouseMove(int, int, double X, double Y)
{
    const float x = static_cast<float>(X);
    const float y = static_cast<float>(Y);
    if (SkipNextPointerMove) {
        SkipNextPointerMove = false;
        // The echo lands on the centre. A busy window system may instead hand
        // over the next step with the echo merged into it: that is a movement
        // from the centre, not an echo, or its reference would be off and the
        // following echo would read as a slew the other way.
        if (std::abs(x - LastPointerX) < 0.5f && std::abs(y - LastPointerY) < 0.5f)
            return;
    }
    TimerMove->stop();
    for (const PointerDirection &direction : kPointerDirections) {
        const float now = direction.axis == Axis::X ? x : y;
        const float last = direction.axis == Axis::X ? LastPointerX : LastPointerY;
        if (direction.positive ? !(now > last) : !(now < last))
            continue;
        if (!(this->*direction.moving)) {
            Comm1.write(direction.command);
            setStatusText(direction.statusText);
            this->*direction.moving = true;
        }
    }
    // Restarted while anything moves, also after a move with no change on
    // either axis, so that a running slew always has its halt to come.
    if (MovingEast || MovingWest || MovingSouth || MovingNorth)
        TimerMove->start();
    recentrePointer();
}

void frmMain::PicturePointer_MouseDown(int, int, double, double)
{
    Comm1.write(orrinet::kHaltAll);
    TimerMove->stop();
    MovingNorth = MovingSouth = MovingEast = MovingWest = false;
    CheckPointerControl->setChecked(false);
}

void frmMain::PicturePointer_KeyDown(int KeyCode, int)
{
    switch (KeyCode) {
    case orrinet::VirtualKey::Escape:
        CheckPointerControl->setChecked(false);
        break;
    case orrinet::VirtualKey::Up: {
        // Positions 2..12 in a ring; Guide is not reached from here.
        int next = SliderMove->value() + 1;
        if (next > SliderMove->maximum())
            next = SliderMove->minimum() + 1;
        SliderMove->setValue(next);
        break;
    }
    case orrinet::VirtualKey::Down: {
        int next = SliderMove->value() - 1;
        if (next < SliderMove->minimum() + 1)
            next = SliderMove->maximum();
        SliderMove->setValue(next);
        break;
    }
    case orrinet::VirtualKey::End:
        CommandMove_MouseUp(orrinet::Move::FocusIn);
        break;
    case orrinet::VirtualKey::Next:
        CommandMove_MouseUp(orrinet::Move::FocusOut);
        break;
    case orrinet::VirtualKey::Space:
        CommandGotoAbort_Click();
        break;
    default:
        break;
    }
}

void frmMain::TimerMove_Timer()
{
    TimerMove->stop();
    // After the line has closed the halt has nowhere to go; closing writes
    // a pending halt first.
    if (Comm1.isOpen())
        Comm1.write(orrinet::kHaltAll);
    setStatusText(QStringLiteral("Stop"));
    MovingNorth = MovingSouth = MovingEast = MovingWest = false;
}

void frmMain::haltPendingPointerSlew()
{
    if (TimerMove->isActive())
        TimerMove_Timer();
}

void frmMain::PTDbutton_Click(int Index)
{
    for (std::size_t i = 1; i < PTDbutton.size(); ++i)
        PTDbutton[i]->setChecked(false);
    // An index outside the menu ticks nothing and keeps the delay.
    if (const std::optional<orrinet::PointerHaltDelay> delay = orrinet::pointerHaltDelay(Index)) {
        PointerTimeInterval = delay->milliseconds;
        PTDbutton[static_cast<std::size_t>(Index)]->setChecked(true);
    }
    PointerTimeIndex = Index;
    TimerMove->setInterval(PointerTimeInterval);
}
