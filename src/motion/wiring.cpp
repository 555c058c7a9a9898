// Connections of the move buttons, the keyboard pad, the slider, the focus
// options, the pointer pad and the halt-delay menu.

#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "app/picturebox.h"
#include "motion/manualmoves.h"

#include <QAction>
#include <QCheckBox>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <utility>

void frmMain::wireMotion()
{
    for (const orrinet::ManualMove &row : orrinet::kManualMoves) {
        orrinet::CommandButton *button = this->*row.button;
        const orrinet::Move move = row.move;
        connect(button, &orrinet::CommandButton::mouseDown, this,
                [this, move] { CommandMove_MouseDown(move); });
        connect(button, &orrinet::CommandButton::mouseUp, this,
                [this, move] { CommandMove_MouseUp(move); });
    }
    connect(PictureNav, &orrinet::PictureBox::keyDown, this, &frmMain::PictureNav_KeyDown);
    connect(PictureNav, &orrinet::PictureBox::keyUp, this, &frmMain::PictureNav_KeyUp);
    connect(PictureNav, &orrinet::PictureBox::gotFocus, this, &frmMain::PictureNav_GotFocus);
    connect(PictureNav, &orrinet::PictureBox::lostFocus, this, &frmMain::PictureNav_LostFocus);

    // The slider does not track: its value, and so the rate sent, changes
    // when the thumb is let go or moved by keys or code; dragging only
    // updates the caption.
    connect(SliderMove, &QSlider::valueChanged, this, &frmMain::SliderMove_Change);
    connect(SliderMove, &QSlider::sliderMoved, this, &frmMain::SliderMove_Scroll);

    for (std::size_t i = 0; i < OptionFocus.size(); ++i) {
        const int index = static_cast<int>(i);
        QRadioButton *option = OptionFocus[i];
        // Becoming chosen, by the user or by code, is the option's click.
        connect(option, &QRadioButton::toggled, this, [this, index](bool on) {
            if (on)
                OptionFocus_Click(index);
        });
        // A click on the option already chosen toggles nothing but must still
        // send its speed: F1..F4 may have sent another one meanwhile.
        connect(option, &QRadioButton::pressed, this,
                [this, option] { m_focusOptionWasChosen = option->isChecked(); });
        connect(option, &QRadioButton::clicked, this, [this, index] {
            if (std::exchange(m_focusOptionWasChosen, false))
                OptionFocus_Click(index);
        });
    }

    // A change of value, by the user or by code, is the box's click.
    connect(CheckPointerControl, &QCheckBox::toggled, this, &frmMain::CheckPointerControl_Click);
    connect(PicturePointer, &orrinet::PictureBox::mouseMove, this,
            &frmMain::PicturePointer_MouseMove);
    connect(PicturePointer, &orrinet::PictureBox::mouseDown, this,
            &frmMain::PicturePointer_MouseDown);
    connect(PicturePointer, &orrinet::PictureBox::keyDown, this, &frmMain::PicturePointer_KeyDown);
    connect(PicturePointer, &orrinet::PictureBox::gotFocus, this,
            &frmMain::PicturePointer_GotFocus);
    // A coarse timer may fire 5% early: the halt would cut a slew short.
    TimerMove->setTimerType(Qt::PreciseTimer);
    connect(TimerMove, &QTimer::timeout, this, &frmMain::TimerMove_Timer);

    for (std::size_t i = 1; i < PTDbutton.size(); ++i) {
        const int index = static_cast<int>(i);
        connect(PTDbutton[i], &QAction::triggered, this, [this, index] { PTDbutton_Click(index); });
    }
}
