// The slew-rate slider and the caption beside it.

#include "app/frmMain.h"
#include "link/protocol.h"
#include "platform/blockingwait.h"
#include "platform/serialport.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>

void frmMain::ShowRateLabel(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(RateLabels.size()))
        return;
    LabelRate->setText(RateLabels[static_cast<std::size_t>(Index)]);
}

void frmMain::SliderMove_Scroll()
{
    // While the thumb is dragged the value lags behind the thumb's position.
    ShowRateLabel(SliderMove->sliderPosition());
}

void frmMain::SliderMove_Change()
{
    ShowRateLabel(SliderMove->value());
    const std::optional<orrinet::SlewRate> rate = orrinet::slewRate(SliderMove->value());
    if (!rate || !Comm1.isOpen())
        return;
    Comm1.write(rate->firstCommand);
    if (!rate->secondCommand.isEmpty()) {
        // The hand controller drops an axis rate that follows the other too closely.
        Pause.wait(orrinet::kPauseRatePairMs);
        Comm1.write(rate->secondCommand);
    }
    setStatusText(QStringLiteral("Slew set to ") + rate->rateText);
    if (!CheckPointerControl->isChecked())
        focusPad(); // in pointer mode the pointer pad keeps the focus
}
