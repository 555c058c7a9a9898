#include "support/panelfixture.h"

#include <QComboBox>
#include <QTest>

namespace orrinet::testing {

PanelFixture::PanelFixture(const StoredDefaults &defaults)
    : settings([&defaults] {
          MemorySettingsStore store;
          for (const auto &[key, value] : defaults)
              store.preset(QStringLiteral("Defaults"), key, value);
          return store;
      }())
{
}

bool PanelFixture::connectPort(int comPort)
{
    if (comPort > 0)
        window.Combo1->setCurrentIndex(comPort - 1);
    if (!port.isOpen())
        window.CommandConnect_Click();
    if (!port.isOpen())
        return false;
    forgetTraffic();
    return true;
}

bool PanelFixture::disconnectPort()
{
    if (port.isOpen())
        window.CommandConnect_Click();
    return !port.isOpen();
}

bool PanelFixture::showActive()
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

void PanelFixture::forgetTraffic()
{
    port.clearWrites();
    wait.clearPauses();
}

} // namespace orrinet::testing
