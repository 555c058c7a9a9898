#include "support/panelfixture.h"

#include <QComboBox>
#include <QTest>

namespace orrinet::testing {

PanelFixture::PanelFixture(const StoredDefaults &defaults)
    : settings([&defaults] {
          MemorySettingsStore store;
          for (const auto &[key, value] : defaults) {
              const qsizetype slash = key.indexOf(u'/');
              store.preset(slash < 0 ? QStringLiteral("Defaults") : key.left(slash),
                           key.mid(slash + 1), value);
          }
          return store;
      }())
{
}

bool PanelFixture::connectPort(int comPort)
{
    if (comPort > 0)
        window.Combo1->setCurrentIndex(comPort - 1);
    if (!window.Comm1.isOpen())
        window.CommandConnect_Click();
    if (!window.Comm1.isOpen())
        return false;
    forgetTraffic();
    return true;
}

bool PanelFixture::disconnectPort()
{
    if (window.Comm1.isOpen())
        window.CommandConnect_Click();
    return !window.Comm1.isOpen();
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
    hubPort.clearWrites();
    wait.clearPauses();
}

} // namespace orrinet::testing
