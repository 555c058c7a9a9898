// The device going away while connected (adapter unplugged, line hung up,
// bridge reset), over the fake serial line: the window falls back to its
// disconnected face and says why, a reply that can no longer come stops
// being waited for, and Connect works again afterwards.

#include "app/commandbutton.h"
#include "support/panelfixture.h"
#include "support/waitingflags.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

// Which controls are shown and enabled, and the Connect button's face: after
// a loss, those of a window that never connected.
QStringList face(const frmMain &w)
{
    QStringList lines{w.CommandConnect->text(), w.CommandConnect->backColor().name()};
    for (const QWidget *widget : w.findChildren<QWidget *>()) {
        lines << widget->objectName() + (widget->isVisibleTo(&w) ? u" shown"_s : u" hidden"_s) +
                     (widget->isEnabled() ? u""_s : u" disabled"_s);
    }
    for (const QAction *action : w.findChildren<QAction *>())
        lines << action->objectName() + (action->isEnabled() ? u""_s : u" disabled"_s);
    return lines;
}

// Loses the line while its box is open, then answers Yes.
struct LosingBoxes final : MessageBoxes
{
    explicit LosingBoxes(FakeSerialPort &line) : port(line) {}
    Answer ask(QWidget *, const QString &, const QString &, Buttons, Icon) override
    {
        port.loseConnection(u"gone"_s);
        return Answer::Yes;
    }
    FakeSerialPort &port;
};

} // namespace

class ConnectionLostTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lossShowsDisconnectedFaceAndReason_data();
    void lossShowsDisconnectedFaceAndReason();
    void lossWhileAMessageBoxWaitsKeepsItsReport();
};

void ConnectionLostTest::lossShowsDisconnectedFaceAndReason_data()
{
    QTest::addColumn<QString>("pending"); // the control pressed before the loss
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("reportedOpen"); // reported before the line closed itself

    QTest::newRow("idle, pty hung up") << QString() << u"/dev/pts/4: the device hung up"_s << false;
    QTest::newRow("status query awaited, adapter unplugged")
        << u"TelescopeStatusButton"_s << u"/dev/ttyUSB0: No such device"_s << false;
    QTest::newRow("goto awaited, reported while open")
        << u"CommandGotoRADEC"_s << u"192.168.4.1:4030: The remote host closed the connection"_s
        << true;
    QTest::newRow("pointer mode") << u"CheckPointerControl"_s << u"/dev/ttyS2: Input/output error"_s
                                  << false;
}

void ConnectionLostTest::lossShowsDisconnectedFaceAndReason()
{
    QFETCH(QString, pending);
    QFETCH(QString, reason);
    QFETCH(bool, reportedOpen);

    PanelFixture f{{{"com_port", "3"}, {"send_focus_rate_box", "1"}, {"slew_rate", "10"}}};
    const QStringList disconnectedFace = face(f.window);
    f.window.CommandConnect_Click();
    const QStringList connectWrites = f.written();
    f.forgetTraffic();
    if (auto *action = f.window.findChild<QAction *>(pending))
        action->trigger();
    else if (auto *button = f.window.findChild<QAbstractButton *>(pending))
        button->click();
    const bool replyAwaited = !pending.isEmpty() && pending != u"CheckPointerControl"_s;
    QCOMPARE(f.window.Timer1->isActive(), replyAwaited);
    f.forgetTraffic();

    if (reportedOpen)
        Q_EMIT f.port.connectionLost(reason);
    else
        f.port.loseConnection(reason);
    const QString lost = u"Connection lost on com 3 - "_s + reason;
    QVERIFY(!f.port.isOpen());
    QCOMPARE(face(f.window), disconnectedFace);
    QCOMPARE(f.window.statusText(), lost);
    QVERIFY(!f.window.CheckPointerControl->isChecked());
    // No reply can come: no time-out text later, no hourglass left behind.
    QVERIFY(raisedFlags(f.window).isEmpty());
    QVERIFY(!f.window.Timer1->isActive());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);

    // Nothing goes anywhere, and a second report of the same loss changes nothing.
    f.window.Send_Command(u":GR#"_s);
    f.window.CommandGet_Click();
    Q_EMIT f.port.connectionLost(u"stray report"_s);
    QVERIFY(f.written().isEmpty());
    QVERIFY(f.pauses().empty());
    QCOMPARE(f.window.statusText(), lost);

    // The port was let go: Connect opens it again and sends what the first one sent.
    f.window.CommandConnect_Click();
    QVERIFY(f.port.isOpen());
    QCOMPARE(f.port.openCount(), 2);
    QCOMPARE(f.written(), connectWrites);
    QCOMPARE(f.window.statusText(), u"Connected to com 3"_s);

    // The line may report late: Disconnect's text stays.
    QVERIFY(f.disconnectPort());
    Q_EMIT f.port.connectionLost(u"late report"_s);
    QCOMPARE(f.window.statusText(), u"Disconnected from com 3"_s);
}

void ConnectionLostTest::lossWhileAMessageBoxWaitsKeepsItsReport()
{
    RecordingWait wait;
    FakeSerialPort port{&wait};
    MemorySettingsStore settings;
    LosingBoxes boxes{port};
    RecordingCursor cursor;
    frmMain window{Platform{port, settings, wait, boxes, cursor}};
    window.CommandConnect_Click();
    QVERIFY(port.isOpen());

    window.RemoveRegButton_Click();
    QCOMPARE(window.statusText(), u"Connection lost on com 1 - gone"_s);
}

QTEST_MAIN(ConnectionLostTest)
#include "tst_connectionlost.moc"
