#pragma once

// The main window over the real serial stack against lx200sim, which maps the
// panel's Com port to its pseudo-terminal in the per-user settings; the
// window uses those settings, the panel's own serial line and real pauses.
// With Observe::LogAndState, sim.commandLog() and sim.state() show what the
// simulator received and how it moves.

#include "app/frmMain.h"
#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"
#include "platform/sleepingwait.h"
#include "support/recordingcursor.h"
#include "support/scriptedmessageboxes.h"
#include "support/simprocess.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace orrinet::testing {

struct SimPanel
{
    static constexpr int kComPort = 7;

    explicit SimPanel(const QStringList &simArguments = {},
                      SimProcess::Observe observe = SimProcess::Observe::No);

    SimProcess sim;
    QtSettingsStore settings; // reads the file: made after the simulator mapped its port
    QtSerialLine line{settings};
    SleepingWait wait;
    ScriptedMessageBoxes boxes;
    RecordingCursor cursor;
    frmMain window;

    // True when Connect opened the simulator's pseudo-terminal.
    bool connectPort();
    QString failure() const;
    // Waits until no reply is awaited.
    bool settled(int timeoutMs = 4000) const;
    // Presses Get and waits for its replies.
    bool get();
};

// "HH:MM:SS#" in degrees; -1 if it is not one.
double raDegrees(const QString &reply);

// main() of the end-to-end tests. The settings location is fixed at the first
// settings object, so a private one is chosen first; the simulators the test
// starts inherit it and map their port there.
template <typename Test> int runWithPrivateSettings(int argc, char *argv[])
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
