#pragma once

// main() of the end-to-end tests. The settings location is fixed for the
// process at the first settings object, so a private one is chosen before
// anything else runs; the simulators started by the test inherit it and map
// their port there.

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace orrinet::testing {

template <typename Test>
int runWithPrivateSettings(int argc, char *argv[])
{
    QTemporaryDir config;
    if (!config.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace orrinet::testing

#define ORRINET_E2E_MAIN(Test)                                                                     \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        return orrinet::testing::runWithPrivateSettings<Test>(argc, argv);                         \
    }
