#include "support/simpanel.h"

#include "platform/platform.h"

#include <QComboBox>

namespace orrinet::testing {

SimPanel::SimPanel(const QStringList &simArguments, SimProcess::Observe observe)
    : sim(qEnvironmentVariable("XDG_CONFIG_HOME"),
          QStringList{QStringLiteral("--com"), QString::number(kComPort)} + simArguments, observe),
      window(Platform{line, settings, wait, boxes, cursor})
{
}

bool SimPanel::connectPort()
{
    if (!sim.isRunning())
        return false;
    window.Combo1->setCurrentIndex(kComPort - 1);
    if (!line.isOpen())
        window.CommandConnect_Click();
    return line.isOpen() && line.device() == sim.ptyPath();
}

QString SimPanel::failure() const
{
    return sim.isRunning() ? window.statusText() : sim.errorString();
}

} // namespace orrinet::testing
