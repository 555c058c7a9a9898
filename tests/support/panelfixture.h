#pragma once

// The main window built over the test doubles: a fake serial line on a
// virtual clock, a settings store in memory, scripted message boxes and a recording
// pointer.
//     PanelFixture f{{{"com_port", "3"}}};   // section "Defaults" as stored
//     PanelFixture f{{{"Sharing/port", "4100"}}}; // another section
// Shared, the hub runs on the test's thread over a second fake line, hubPort.

#include "app/frmMain.h"
#include "link/linetap.h"
#include "platform/platform.h"
#include "support/fakeserialport.h"
#include "support/memorysettingsstore.h"
#include "support/recordingcursor.h"
#include "support/recordingwait.h"
#include "support/scriptedmessageboxes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace orrinet::testing {

// Keys and texts of section "Defaults" as an earlier run left them.
using StoredDefaults = QList<std::pair<QString, QString>>;

struct PanelFixture
{
    explicit PanelFixture(const StoredDefaults &defaults = {});

    RecordingWait wait;
    FakeSerialPort port{&wait};
    FakeSerialPort hubPort{&wait};
    MemorySettingsStore settings;
    ScriptedMessageBoxes boxes;
    RecordingCursor cursor;
    frmMain window{Platform{port, settings, wait, boxes, cursor,
                            [this](int number) -> std::unique_ptr<SerialPort> {
                                hubPort.setPortNumber(number);
                                return std::make_unique<LineTap>(hubPort);
                            },
                            false}};

    // Selects the port in the list (when given) and presses Connect. On
    // success the writes and pauses made while connecting are forgotten, so
    // that a test sees only its own traffic. True when the port is open.
    bool connectPort(int comPort = 0);
    // Presses Connect while connected. True when the port is closed.
    bool disconnectPort();

    // Shows the window and waits until it is active. True when it became active.
    bool showActive();

    QStringList written() const { return port.writtenTexts(); }
    std::vector<int> pauses() const { return wait.pauses(); }
    // Forgets writes and pauses so far.
    void forgetTraffic();
};

} // namespace orrinet::testing
