// The device going away while connected (adapter unplugged, line hung up,
// bridge reset), over the fake serial line: the window falls back to its
// disconnected face and says why, a reply that can no longer come stops
// being waited for, and Connect works again afterwards.

#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "app/picturebox.h"
#include "support/recordingcursor.h"
#include "support/panelfixture.h"
#include "support/waitingflags.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

using orrinet::testing::PanelFixture;
using orrinet::testing::raisedFlags;
using namespace Qt::StringLiterals;

namespace {

const QColor kDesignGreen(0xD0, 0xFF, 0xD0);

// Everything the two faces differ in, one line per control, so that a
// failure names the control.
QStringList face(const frmMain &w)
{
    auto shown = [&w](const QWidget *widget) {
        return widget->objectName() + (widget->isVisibleTo(&w) ? " shown" : " hidden");
    };
    auto enabled = [](const QString &name, bool on) {
        return name + (on ? " enabled" : " disabled");
    };
    return {
        shown(w.Picture1),
        shown(w.FrameFocus),
        shown(w.FrameMove),
        shown(w.FrameRADEC),
        shown(w.FrameAutostar),
        enabled(u"LX200Menu"_s, w.LX200Menu->menuAction()->isEnabled()),
        enabled(u"TeleMenu"_s, w.TeleMenu->menuAction()->isEnabled()),
        enabled(u"GotoMenu"_s, w.GotoMenu->menuAction()->isEnabled()),
        enabled(u"SendButton"_s, w.SendButton->isEnabled()),
        enabled(u"Combo1"_s, w.Combo1->isEnabled()),
        enabled(u"SendCheck"_s, w.SendCheck->isEnabled()),
        u"caption "_s + w.CommandConnect->text(),
        u"colour "_s + w.CommandConnect->backColor().name(),
    };
}

const QStringList kDisconnectedFace{
    u"Picture1 shown"_s,
    u"FrameFocus hidden"_s,
    u"FrameMove hidden"_s,
    u"FrameRADEC hidden"_s,
    u"FrameAutostar hidden"_s,
    u"LX200Menu disabled"_s,
    u"TeleMenu disabled"_s,
    u"GotoMenu disabled"_s,
    u"SendButton disabled"_s,
    u"Combo1 enabled"_s,
    u"SendCheck enabled"_s,
    u"caption Connect"_s,
    u"colour "_s + kDesignGreen.name(),
};

// What is under way when the device goes away.
enum class Pending { Nothing, StatusQuery, Goto, PointerMode };

} // namespace

Q_DECLARE_METATYPE(Pending)

class ConnectionLostTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lossShowsDisconnectedFaceAndReason_data();
    void lossShowsDisconnectedFaceAndReason();
    void lossReportedBeforeThePortClosedClosesIt();
    void lossWhileDisconnectedChangesNothing_data();
    void lossWhileDisconnectedChangesNothing();
    void lossWhileAMessageBoxWaitsKeepsItsReport();
    void connectWorksAgainAfterLoss_data();
    void connectWorksAgainAfterLoss();
};

void ConnectionLostTest::lossShowsDisconnectedFaceAndReason_data()
{
    QTest::addColumn<Pending>("pending");
    QTest::addColumn<QString>("reason");

    QTest::newRow("idle, pty hung up") << Pending::Nothing << u"/dev/pts/4: the device hung up"_s;
    QTest::newRow("status query awaited, adapter unplugged")
        << Pending::StatusQuery << u"/dev/ttyUSB0: No such device"_s;
    QTest::newRow("goto awaited, bridge reset")
        << Pending::Goto << u"192.168.4.1:4030: The remote host closed the connection"_s;
    QTest::newRow("pointer mode") << Pending::PointerMode << u"/dev/ttyS2: Input/output error"_s;
    QTest::newRow("markup shown as text") << Pending::Nothing << u"<b>gone</b> &amp;"_s;
    QTest::newRow("no reason given") << Pending::StatusQuery << QString();
}

void ConnectionLostTest::lossShowsDisconnectedFaceAndReason()
{
    QFETCH(Pending, pending);
    QFETCH(QString, reason);

    PanelFixture f{{{"com_port", "3"}, {"send_focus_rate_box", "1"}}};
    QVERIFY(f.connectPort());
    switch (pending) {
    case Pending::Nothing:
        break;
    case Pending::StatusQuery:
        f.window.TelescopeStatusButton_Click();
        QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Hourglass);
        break;
    case Pending::Goto:
        f.window.CommandGotoRADEC_Click();
        break;
    case Pending::PointerMode:
        f.window.CheckPointerControl->setChecked(true);
        break;
    }
    const bool replyAwaited = pending == Pending::StatusQuery || pending == Pending::Goto;
    QCOMPARE(f.window.Timer1->isActive(), replyAwaited);
    f.forgetTraffic();

    f.port.loseConnection(reason);
    QVERIFY(!f.port.isOpen());
    QCOMPARE(face(f.window), kDisconnectedFace);
    QCOMPARE(f.window.statusText(), u"Connection lost on com 3 - "_s + reason);
    QCOMPARE(f.window.StatusText->textFormat(), Qt::PlainText);
    QVERIFY(!f.window.CheckPointerControl->isChecked());
    // No reply can come: no time-out text later, no hourglass left behind.
    QVERIFY(!f.window.Timer1->isActive());
    QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Default);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    // No reply is awaited any more; the box keeps its tick.
    QVERIFY(raisedFlags(f.window).isEmpty());
    QVERIFY(f.window.SendCheck->isChecked());
    QVERIFY(f.written().isEmpty());
    QVERIFY(f.pauses().empty());

    // What the connected-only controls would still send goes nowhere.
    f.window.Send_Command(u":GR#"_s);
    f.window.CommandGet_Click();
    QVERIFY(f.written().isEmpty());
    QCOMPARE(f.window.statusText(), u"Connection lost on com 3 - "_s + reason);
}

void ConnectionLostTest::lossReportedBeforeThePortClosedClosesIt()
{
    PanelFixture f;
    QVERIFY(f.connectPort(9));
    f.window.TelescopeStatusButton_Click();

    Q_EMIT f.port.connectionLost(u"/dev/ttyACM0: the device hung up"_s);
    QVERIFY(!f.port.isOpen());
    QCOMPARE(face(f.window), kDisconnectedFace);
    QCOMPARE(f.window.statusText(), u"Connection lost on com 9 - /dev/ttyACM0: the device hung up"_s);
    QVERIFY(!f.window.Timer1->isActive());
    QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Default);

    // The port was really let go: the same button opens it again.
    f.window.CommandConnect_Click();
    QVERIFY(f.port.isOpen());
    QCOMPARE(f.window.statusText(), u"Connected to com 9"_s);
}

void ConnectionLostTest::lossWhileDisconnectedChangesNothing_data()
{
    QTest::addColumn<QString>("before"); // how the window came to be disconnected

    QTest::newRow("never connected") << u"start-up"_s;
    QTest::newRow("after Disconnect with a query awaited") << u"disconnect"_s;
    QTest::newRow("after a failed open") << u"failed open"_s;
    QTest::newRow("second report of one loss") << u"lost"_s;
}

void ConnectionLostTest::lossWhileDisconnectedChangesNothing()
{
    QFETCH(QString, before);

    PanelFixture f{{{"com_port", "3"}}};
    if (before == u"disconnect"_s) {
        QVERIFY(f.connectPort());
        f.window.TelescopeStatusButton_Click();
        QVERIFY(f.disconnectPort());
    } else if (before == u"failed open"_s) {
        f.port.failOpenWith(u"/dev/ttyS2: Permission denied"_s);
        f.window.CommandConnect_Click();
        QVERIFY(!f.port.isOpen());
    } else if (before == u"lost"_s) {
        QVERIFY(f.connectPort());
        f.port.loseConnection(u"/dev/ttyS2: the device hung up"_s);
    }
    f.forgetTraffic();
    const QStringList faceBefore = face(f.window);
    QCOMPARE(faceBefore, kDisconnectedFace);
    const QString statusBefore = f.window.statusText();
    const bool timerBefore = f.window.Timer1->isActive();
    const frmMain::MousePointer pointerBefore = f.window.mousePointer();
    const int opensBefore = f.port.openCount();

    // The fake reports only while open; a report anyway must be harmless.
    f.port.loseConnection(u"ignored"_s);
    Q_EMIT f.port.connectionLost(u"/dev/ttyS2: stray report"_s);
    QCOMPARE(face(f.window), faceBefore);
    QCOMPARE(f.window.statusText(), statusBefore);
    QCOMPARE(f.window.Timer1->isActive(), timerBefore);
    QCOMPARE(f.window.mousePointer(), pointerBefore);
    QCOMPARE(f.port.openCount(), opensBefore);
    QVERIFY(!f.port.isOpen());
    QVERIFY(f.written().isEmpty());
}

namespace {

// Loses the line while its box is open, then answers Yes.
class LosingBoxes final : public orrinet::MessageBoxes
{
public:
    explicit LosingBoxes(orrinet::FakeSerialPort &port) : m_port(port) {}
    Answer ask(QWidget *, const QString &, const QString &, Buttons, Icon) override
    {
        m_port.loseConnection(u"gone"_s);
        return Answer::Yes;
    }

private:
    orrinet::FakeSerialPort &m_port;
};

} // namespace

void ConnectionLostTest::lossWhileAMessageBoxWaitsKeepsItsReport()
{
    orrinet::RecordingWait wait;
    orrinet::FakeSerialPort port{&wait};
    orrinet::MemorySettingsStore settings;
    LosingBoxes boxes{port};
    orrinet::testing::RecordingCursor cursor;
    frmMain window{orrinet::Platform{port, settings, wait, boxes, cursor}};
    window.CommandConnect_Click();
    QVERIFY(port.isOpen());

    window.RemoveRegButton_Click();
    QCOMPARE(window.statusText(), u"Connection lost on com 1 - gone"_s);
}

void ConnectionLostTest::connectWorksAgainAfterLoss_data()
{
    QTest::addColumn<QString>("sendCheck");
    QTest::addColumn<QString>("slewRate");
    QTest::addColumn<QString>("focuserSpeed");
    QTest::addColumn<QStringList>("expectedWrites");
    QTest::addColumn<std::vector<int>>("expectedPauses");

    QTest::newRow("rate and speed not sent") << "0"
                                             << "2"
                                             << "1" << QStringList{} << std::vector<int>{};
    QTest::newRow("1.5 degrees, fast")
        << "1"
        << "10"
        << "3" << QStringList{":RA01.5#", ":RE01.5#", ":F4#"}
        << std::vector<int>{500, 200, 200, 500};
}

void ConnectionLostTest::connectWorksAgainAfterLoss()
{
    QFETCH(QString, sendCheck);
    QFETCH(QString, slewRate);
    QFETCH(QString, focuserSpeed);
    QFETCH(QStringList, expectedWrites);
    QFETCH(std::vector<int>, expectedPauses);

    PanelFixture f{{{"com_port", "3"},
                    {"send_focus_rate_box", sendCheck},
                    {"slew_rate", slewRate},
                    {"focuser_speed", focuserSpeed}}};
    f.window.CommandConnect_Click();
    QVERIFY(f.port.isOpen());
    // The first connect sends exactly what the reconnect must send again.
    QCOMPARE(f.written(), expectedWrites);
    f.port.loseConnection(u"/dev/ttyUSB0: No such device"_s);
    f.forgetTraffic();

    // The device is back.
    f.window.CommandConnect_Click();
    QVERIFY(f.port.isOpen());
    QCOMPARE(f.port.openCount(), 2);
    QCOMPARE(f.port.lastPortNumber(), 3);
    QCOMPARE(f.written(), expectedWrites);
    QCOMPARE(f.pauses(), expectedPauses);
    QCOMPARE(f.window.statusText(), u"Connected to com 3"_s);
    QVERIFY(f.window.FrameRADEC->isVisibleTo(&f.window));

    // And a second loss is reported like the first.
    f.port.loseConnection(u"/dev/ttyUSB0: the device hung up"_s);
    QCOMPARE(face(f.window), kDisconnectedFace);
    QCOMPARE(f.window.statusText(), u"Connection lost on com 3 - /dev/ttyUSB0: the device hung up"_s);
}

QTEST_MAIN(ConnectionLostTest)
#include "tst_connectionlost.moc"
