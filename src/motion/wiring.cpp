// Connections of the slider, the focus options and the halt-delay menu.

#include "app/frmMain.h"
#include "app/picturebox.h"

#include <QAction>
#include <QCheckBox>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

void frmMain::wireMotion()
{
    // The slider does not track: its value, and so the rate sent, changes
    // when the thumb is let go or moved by keys or code; dragging only
    // updates the caption.
    connect(SliderMove, &QSlider::valueChanged, this, &frmMain::SliderMove_Change);
    connect(SliderMove, &QSlider::sliderMoved, this, &frmMain::SliderMove_Scroll);

    for (std::size_t i = 0; i < OptionFocus.size(); ++i) {
        const int index = static_cast<int>(i);
        // Becoming chosen, by the user or by code, is the option's click.
        connect(OptionFocus[i], &QRadioButton::toggled, this, [this, index](bool on) {
            if (on)
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
