#pragma once

// The main window over the real serial stack against lx200sim: the simulator
// maps the panel's Com port to its pseudo-terminal in the per-user settings
// (a private folder, see privatesettings.h), and the window uses those
// settings, the panel's own serial line and real pauses.
//     SimPanel p{{"--nak-when-busy"}};
// With SimProcess::Observe::LogAndState, p.sim.commandLog() and p.sim.state()
// show what the simulator received and how it moves.
//     QVERIFY2(p.connectPort(), qPrintable(p.failure()));

#include "app/frmMain.h"
#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"
#include "platform/sleepingwait.h"
#include "support/recordingcursor.h"
#include "support/scriptedmessageboxes.h"
#include "support/simprocess.h"

#include <QStringList>

namespace orrinet::testing {

struct SimPanel
{
    static constexpr int kComPort = 7;

    explicit SimPanel(const QStringList &simArguments = {},
                      SimProcess::Observe observe = SimProcess::Observe::No);

    SimProcess sim;
    // Made after the simulator has written its port mapping: the store reads
    // the file when it is made.
    QtSettingsStore settings;
    QtSerialLine line{settings};
    SleepingWait wait;
    ScriptedMessageBoxes boxes;
    orrinet::testing::RecordingCursor cursor;
    frmMain window;

    // Selects the simulator's port and presses Connect. True when the line
    // is open on the simulator's pseudo-terminal.
    bool connectPort();
    // Why the simulator or the connection failed.
    QString failure() const;
};

} // namespace orrinet::testing
