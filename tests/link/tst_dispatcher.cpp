// The receive handler and the Telescope menu over the fake line; the line
// going away, whatever the cause; the line monitor.

#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "app/frmMonitor.h"
#include "link/linelog.h"
#include "support/panelfixture.h"
#include "support/waitingflags.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

// Longer than any receive threshold, so one feed raises exactly one event.
const QString kLongReply = u"0ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklm"_s;

// Virtual milliseconds the telescope takes to answer.
constexpr int kReplyDelayMs = 350;

constexpr std::array<QAction * frmMainUi::*, 5> kMenuItems{
    &frmMainUi::TelescopeStatusButton, &frmMainUi::TelescopeInfoButton,
    &frmMainUi::TelescopeSiteButton,   &frmMainUi::TelescopeDateButton,
    &frmMainUi::TelescopeAzButton,
};

// The telescope's degree mark is the byte 0xDF; "*" stands for it here.
QString marked(const char *text)
{
    return QString::fromLatin1(text).replace(u'*', QChar(0xDF));
}

bool hourglassShown()
{
    const QCursor *cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}

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

// The monitor's lines without their time stamps.
QStringList shownLines(const orrinet::frmMonitor &monitor)
{
    QStringList lines;
    const QAbstractItemModel *model = monitor.LogList->model();
    for (int row = 0; row < model->rowCount(); ++row)
        lines << model->index(row, 0).data().toString().mid(12);
    return lines;
}

} // namespace

class TestDispatcher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void servesFlagsInFixedOrder();
    void gotoTimeoutNamesDecFirst();
    void queries_data();
    void queries();
    void overdueExchangeIsAbandoned_data();
    void overdueExchangeIsAbandoned();
    void lineGone_data();
    void lineGone();
    void lossWhileAMessageBoxWaitsKeepsItsReport();
    void listsExchangeInOrder_data();
    void listsExchangeInOrder();
    void escapesBytes();
    void keepsMostRecentLines();
    void copyThenClose();
};

void TestDispatcher::servesFlagsInFixedOrder()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    QStringList expected =
        u"WaitingRa WaitingDec WaitingFirmware WaitingProduct WaitingDate WaitingTime "
        "WaitingAzimuth WaitingAltitude WaitingLatitude WaitingLongitude WaitingGotoRa "
        "WaitingGotoDec WaitingGoto WaitingGps WaitingAlign WaitingAutostarGoto WaitingAutostar "
        "WaitingStatus"_s.split(u' ');
    for (const Awaiting flag : kAwaitingTestOrder)
        waiting(f.window, flag) = true;
    QCOMPARE(raisedFlags(f.window), expected);

    while (!expected.isEmpty()) {
        f.port.feed(kLongReply);
        expected.removeFirst();
        QCOMPARE(raisedFlags(f.window), expected);
        QVERIFY(f.port.buffered().isEmpty());
    }
    // With none left, the input is shown as it came.
    f.port.feed(u"xyz#"_s);
    QCOMPARE(f.window.statusText(), u"xyz#"_s);
}

// With both Goto steps awaited, the time-out names the later one.
void TestDispatcher::gotoTimeoutNamesDecFirst()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.GotoRaCommand = u":Sr 05:34:32#"_s;
    f.window.GotoDecCommand = u":Sd -05:03:09#"_s;
    f.window.WaitingGotoRa = f.window.WaitingGotoDec = true;
    f.window.Timer1_Timer();
    QCOMPARE(f.window.statusText(), u"Timeout sending DEC :Sd -05:03:09#"_s);
}

void TestDispatcher::queries_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QStringList>("replies");
    QTest::addColumn<int>("timeoutBefore"); // the reply the time-out comes before; -1: none
    QTest::addColumn<QString>("line");

    const auto row = [](const char *name, int item, const QStringList &commands, int threshold,
                        const char *sent, const QStringList &replies, const QString &line,
                        int timeoutBefore = -1) {
        QTest::newRow(name) << item << commands << threshold << QString::fromLatin1(sent) << replies
                            << timeoutBefore << line;
    };
    const QString parked = u"AltAz Mount, Not Tracking, Scope was parked"_s;
    const QString product = u"LX2001   Firmware 4.2l"_s;
    row("status", 0, {":GW#"}, 3, "Telescope status...", {"ANP#"}, parked);
    row("status, reply after the time-out", 0, {":GW#"}, 3, "Telescope status...", {"ANP#"}, parked,
        0);
    row("firmware", 1, {":GVN#", ":GVP#"}, 5, "Telescope firmware...", {"4.2l#", "LX2001#"},
        product);
    row("firmware, product after the time-out", 1, {":GVN#", ":GVP#"}, 5, "Telescope firmware...",
        {"4.2l#", "LX2001#"}, product, 1);
    row("site", 2, {":Gt#", ":Gg#"}, 7, "Telescope lat/lon...",
        {marked("-33*52#"), marked("+117*05#")}, u"Lat 33°52'S   Lon 117°05'W"_s);
    row("date/time", 3, {":GC#", ":GL#"}, 9, "Telescope date/time...", {"03/15/24#", "21:04:37#"},
        u"Date 03/15/24   Time 21:04:37"_s);
    row("azimuth/altitude", 4, {":GZ#", ":GA#"}, 10, "Telescope azimuth/altitude...",
        {marked("123*45:30#"), marked("-05*12:30#")},
        u"Azimuth 123°45'30\"   Altitude -05°12'30\""_s);
}

void TestDispatcher::queries()
{
    QFETCH(int, item);
    QFETCH(QStringList, commands);
    QFETCH(int, threshold);
    QFETCH(QString, sent);
    QFETCH(QStringList, replies);
    QFETCH(int, timeoutBefore);
    QFETCH(QString, line);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    QCOMPARE(f.window.Timer1->interval(), 5000);
    if (timeoutBefore >= 0)
        f.window.Timer1->setInterval(20); // fired through its own signal
    (f.window.*kMenuItems[std::size_t(item)])->trigger();
    QCOMPARE(f.window.statusText(), sent);
    QVERIFY(hourglassShown());

    for (qsizetype i = 0; i < replies.size(); ++i) {
        if (i == timeoutBefore) {
            QTRY_COMPARE(f.window.statusText(), u"Timeout waiting for response"_s);
            QVERIFY(!hourglassShown());
        }
        f.wait.advance(kReplyDelayMs);
        f.port.feed(replies[i]);
        QVERIFY(!hourglassShown());
        if (i + 1 < replies.size())
            QCOMPARE(f.window.statusText(), sent);
    }

    QCOMPARE(f.window.statusText(), line);
    QVERIFY(raisedFlags(f.window).isEmpty());
    QVERIFY(!f.window.Timer1->isActive()); // nothing left to time out
    QCOMPARE(f.written(), commands);
    // The second command inherits the first one's threshold.
    for (const FakeSerialPort::Write &write : f.port.writes())
        QCOMPARE(write.thresholdAtWrite, threshold);
    if (commands.size() == 2) {
        // 200 ms after the first reply, on the recorded clock.
        QCOMPARE(f.pauses(), std::vector<int>{200});
        QCOMPARE(f.port.writes()[1].at - f.port.writes()[0].at, kReplyDelayMs + 200);
        QCOMPARE(f.port.receiveThreshold(), 1);
    }
}

void TestDispatcher::overdueExchangeIsAbandoned_data()
{
    QTest::addColumn<int>("pending"); // a menu item, or -1 for a Get
    QTest::addColumn<QString>("partial");
    QTest::addColumn<bool>("overdue");
    QTest::addColumn<QStringList>("written"); // ending in ":ED#": the Autostar query, else a Goto

    const QStringList gotoWrites{u":Sr 00:00:00#"_s, u":Sd +00:00:00#"_s, u":MS#"_s};
    const QStringList firmware{u":GVN#"_s};
    QTest::newRow("firmware unanswered") << 1 << QString() << true << firmware + gotoWrites;
    QTest::newRow("firmware half answered") << 1 << u"4.2"_s << true << firmware + gotoWrites;
    QTest::newRow("Get unanswered")
        << -1 << QString() << true << QStringList{u":GR#"_s} + gotoWrites;
    QTest::newRow("Get unanswered, then Autostar")
        << -1 << QString() << true << QStringList{u":GR#"_s, u":ED#"_s};
    // Within the time-out the firmware query still takes the next reply.
    QTest::newRow("firmware not yet overdue")
        << 1 << QString() << false << firmware + gotoWrites.first(1) + QStringList{u":GVP#"_s};
}

// A Goto or an Autostar query after a reply that never came gets its own replies.
void TestDispatcher::overdueExchangeIsAbandoned()
{
    QFETCH(int, pending);
    QFETCH(QString, partial);
    QFETCH(bool, overdue);
    QFETCH(QStringList, written);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    if (overdue)
        f.window.Timer1->setInterval(0); // every pending reply is overdue at once
    if (pending < 0)
        f.window.CommandGet_Click();
    else
        (f.window.*kMenuItems[std::size_t(pending)])->trigger();
    f.port.feed(partial);

    if (written.last() == u":ED#"_s) {
        f.window.AutostarQuery_Click();
        f.port.feed(kLongReply.left(30));
        QCOMPARE(f.window.statusText(), kLongReply.left(30));
    } else {
        f.window.CommandGotoRADEC_Click();
        f.port.feed(u"1"_s);
        f.port.feed(u"1"_s);
    }
    QCOMPARE(f.written(), written);
}

void TestDispatcher::lineGone_data()
{
    QTest::addColumn<QString>("pending");   // the control pressed before the line goes
    QTest::addColumn<QString>("reason");    // why the line was lost; none: Disconnect
    QTest::addColumn<bool>("reportedOpen"); // reported before the line closed itself

    QTest::newRow("Get awaited, Disconnect") << u"CommandGet"_s << QString() << false;
    QTest::newRow("firmware awaited, Disconnect") << u"TelescopeInfoButton"_s << QString() << false;
    QTest::newRow("idle, pty hung up") << QString() << u"/dev/pts/4: the device hung up"_s << false;
    QTest::newRow("status query awaited, adapter unplugged")
        << u"TelescopeStatusButton"_s << u"/dev/ttyUSB0: No such device"_s << false;
    QTest::newRow("goto awaited, reported while open")
        << u"CommandGotoRADEC"_s << u"192.168.4.1:4030: The remote host closed the connection"_s
        << true;
    QTest::newRow("pointer mode") << u"CheckPointerControl"_s << u"/dev/ttyS2: Input/output error"_s
                                  << false;
}

// Nothing awaited survives the line, the window shows its disconnected face
// and why, and no time-out text can replace that.
void TestDispatcher::lineGone()
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
    f.forgetTraffic();

    if (reason.isNull())
        QVERIFY(f.disconnectPort());
    else if (reportedOpen)
        Q_EMIT f.port.connectionLost(reason);
    else
        f.port.loseConnection(reason);
    const QString gone =
        reason.isNull() ? u"Disconnected from com 3"_s : u"Connection lost on com 3 - "_s + reason;
    QVERIFY(!f.port.isOpen());
    QCOMPARE(face(f.window), disconnectedFace);
    QCOMPARE(f.window.statusText(), gone);
    QVERIFY(!f.window.CheckPointerControl->isChecked());
    QVERIFY(raisedFlags(f.window).isEmpty());
    QVERIFY(!f.window.Timer1->isActive());
    QVERIFY(!hourglassShown());
    QCOMPARE(f.port.receiveThreshold(), 1);

    // Nothing goes anywhere, and a late report of a loss changes nothing.
    f.window.Send_Command(u":GR#"_s);
    f.window.CommandGet_Click();
    Q_EMIT f.port.connectionLost(u"late report"_s);
    QVERIFY(f.written().isEmpty());
    QVERIFY(f.pauses().empty());
    QCOMPARE(f.window.statusText(), gone);

    // The port was let go: Connect opens it again and sends what the first
    // one sent, and a status reply is read as a status.
    f.window.CommandConnect_Click();
    QVERIFY(f.port.isOpen());
    QCOMPARE(f.written(), connectWrites);
    f.window.TelescopeStatusButton_Click();
    f.port.feed(u"GNP#"_s);
    QCOMPARE(f.window.statusText(), u"German Mount, Not Tracking, Scope was parked"_s);
}

void TestDispatcher::lossWhileAMessageBoxWaitsKeepsItsReport()
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

void TestDispatcher::listsExchangeInOrder_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("replies");

    QTest::newRow("get") << "CommandGet" << QStringList{"12:34:56#", u"+45\u00DF30:00#"_s};
    QTest::newRow("goto") << "CommandGotoRADEC" << QStringList{"1", "1", "0"};
}

void TestDispatcher::listsExchangeInOrder()
{
    QFETCH(QString, action);
    QFETCH(QStringList, replies);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.LineMonitorButton->trigger();
    orrinet::frmMonitor *monitor = f.window.lineMonitor();
    QVERIFY(monitor && monitor->isVisible() && !monitor->isModal());

    f.window.findChild<QPushButton *>(action)->click();
    for (const QString &reply : replies)
        f.port.feed(reply);

    QStringList expected;
    const QStringList written = f.written();
    QCOMPARE(written.size(), replies.size());
    for (qsizetype i = 0; i < written.size(); ++i)
        expected << "  TX  " + written[i] << "  RX  " + orrinet::escapeLineBytes(replies[i]);
    QCOMPARE(shownLines(*monitor), expected);
}

// Every byte outside printable ASCII as \xHH, the backslash doubled, markup as it is.
void TestDispatcher::escapesBytes()
{
    const QString bytes = QString::fromLatin1("<b>&amp;\\x41+45\xDF\x06") + QChar(0) +
                          QString::fromLatin1("\r\n\t\x7F\xE9");
    QCOMPARE(orrinet::escapeLineBytes(bytes),
             u"<b>&amp;\\\\x41+45\\xDF\\x06\\x00\\x0D\\x0A\\x09\\x7F\\xE9"_s);
}

void TestDispatcher::keepsMostRecentLines()
{
    LineLog log;
    for (int i = 0; i < LineLog::kCapacity + 5; ++i)
        log.record(orrinet::LineDirection::Written, QString::number(i), 0);
    QCOMPARE(log.size(), LineLog::kCapacity);
    QCOMPARE(log.at(0).text, QStringLiteral("5"));

    // A long read is cut into lines of kBytesPerLine bytes.
    log.record(orrinet::LineDirection::Read, QString(LineLog::kBytesPerLine * 2 + 1, u'x'), 0);
    QCOMPARE(log.size(), LineLog::kCapacity);
    QCOMPARE(log.at(log.size() - 1).text, QStringLiteral("x"));
    QCOMPARE(log.at(log.size() - 2).text.size(), LineLog::kBytesPerLine);
}

// Copy puts every line on the clipboard; closed, the monitor records nothing.
void TestDispatcher::copyThenClose()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.LineMonitorButton_Click();
    f.window.CommandGet_Click();
    f.port.feed(u"12:34:56#"_s);

    orrinet::frmMonitor *monitor = f.window.lineMonitor();
    monitor->CommandCopy->click();
    const QStringList lines = QGuiApplication::clipboard()->text().split(u'\n');
    QCOMPARE(lines.size(), 4); // three lines, each ended by a line feed
    const QRegularExpression stamp(u"^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d  (TX|RX)  "_s);
    QVERIFY(lines[0].contains(stamp) && lines[0].endsWith(u"  TX  :GR#"_s));
    QVERIFY(lines[1].endsWith(u"  RX  12:34:56#"_s));
    QVERIFY(lines[2].endsWith(u"  TX  :GD#"_s));

    monitor->close();
    f.port.feed(u"+45*30:15#"_s);
    f.window.CommandGet_Click();
    QCOMPARE(f.written().size(), 3);
    QCOMPARE(monitor->log().size(), 3);
}

QTEST_MAIN(TestDispatcher)
#include "tst_dispatcher.moc"
