#include "support/simpanel.h"

#include "platform/platform.h"
#include "support/waitingflags.h"

#include <QComboBox>
#include <QTime>

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
    if (!window.Comm1.isOpen())
        window.CommandConnect_Click();
    if (window.sharableLine().shared())
        return true; // the hub opened the same device from the same settings
    return line.isOpen() && line.device() == sim.ptyPath();
}

QString SimPanel::failure() const
{
    return sim.isRunning() ? window.statusText() : sim.errorString();
}

bool SimPanel::settled(int timeoutMs) const
{
    return QTest::qWaitFor([this] { return raisedFlags(window).isEmpty(); }, timeoutMs);
}

bool SimPanel::get()
{
    window.CommandGet_Click();
    return settled();
}

double raDegrees(const QString &reply)
{
    const QTime hms = QTime::fromString(reply.left(8), QStringLiteral("HH:mm:ss"));
    return hms.isValid() ? hms.msecsSinceStartOfDay() / 240000.0 : -1; // 4 min a degree
}

} // namespace orrinet::testing
