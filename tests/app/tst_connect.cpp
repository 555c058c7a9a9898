// Connect and Disconnect with the window's two faces, the rate and focus
// speed sent after connecting, and "Display Receive Buffer", over the fake
// serial line.

#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "app/picturebox.h"
#include "support/panelfixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <vector>

using orrinet::testing::PanelFixture;
using namespace Qt::StringLiterals;

namespace {

// What Connect and Disconnect switch: the shown frames | the enabled menus and
// controls | the button's caption and colour.
QString face(const frmMain &w)
{
    QStringList on;
    for (const QWidget *widget : std::initializer_list<const QWidget *>{
             w.Picture1, w.FrameFocus, w.FrameMove, w.FrameRADEC, w.FrameAutostar}) {
        if (widget->isVisibleTo(&w))
            on << widget->objectName();
    }
    on << "|";
    const std::pair<const char *, bool> states[] = {
        {"LX200Menu", w.LX200Menu->menuAction()->isEnabled()},
        {"TeleMenu", w.TeleMenu->menuAction()->isEnabled()},
        {"GotoMenu", w.GotoMenu->menuAction()->isEnabled()},
        {"SendButton", w.SendButton->isEnabled()},
        {"Combo1", w.Combo1->isEnabled()},
        {"SendCheck", w.SendCheck->isEnabled()},
    };
    for (const auto &[name, enabled] : states) {
        if (enabled)
            on << QLatin1String(name);
    }
    return on.join(u' ') + " | " + w.CommandConnect->text() + ' ' +
           w.CommandConnect->backColor().name();
}

const QString kDisconnectedFace = "Picture1 | Combo1 SendCheck | Connect #d0ffd0";
const QString kConnectedFace = "FrameFocus FrameMove FrameRADEC FrameAutostar | LX200Menu "
                               "TeleMenu GotoMenu SendButton | Disconnect #ffb0b0";

} // namespace

class TestConnect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void connectSendsRateThenFocusSpeed_data();
    void connectSendsRateThenFocusSpeed();
    void connectFailureKeepsDisconnectedFace_data();
    void connectFailureKeepsDisconnectedFace();
    void displayReceiveBufferShowsAndEmptiesInput();
    void closedPortTouchesNothing();
    void otherLineEventsReadNothing();
    void floodOfInputShowsOneShortLine();
};

void TestConnect::connectSendsRateThenFocusSpeed_data()
{
    QTest::addColumn<QString>("sendCheck");
    QTest::addColumn<QString>("slewRate");
    QTest::addColumn<QString>("focuserSpeed");
    QTest::addColumn<QString>("expectedWrites"); // text@virtual ms
    QTest::addColumn<std::vector<int>>("expectedPauses");

    QTest::newRow("without Set Focus && Rate")
        << u"0"_s << u"2"_s << u"1"_s << QString() << std::vector<int>{};
    QTest::newRow("centering, slow")
        << u"1"_s << u"2"_s << u"1"_s << u":RC#@500 :F2#@700"_s << std::vector<int>{500, 200, 500};
    // A rate in degrees is a pair of commands, also 200 ms apart.
    QTest::newRow("1.5 degrees, fast")
        << u"1"_s << u"10"_s << u"3"_s << u":RA01.5#@500 :RE01.5#@700 :F4#@900"_s
        << std::vector<int>{500, 200, 200, 500};
}

void TestConnect::connectSendsRateThenFocusSpeed()
{
    QFETCH(QString, sendCheck);
    QFETCH(QString, slewRate);
    QFETCH(QString, focuserSpeed);
    QFETCH(QString, expectedWrites);
    QFETCH(std::vector<int>, expectedPauses);

    PanelFixture f{{{"com_port", "5"},
                    {"send_focus_rate_box", sendCheck},
                    {"slew_rate", slewRate},
                    {"focuser_speed", focuserSpeed}}};
    QCOMPARE(face(f.window), kDisconnectedFace);
    const int start = f.wait.elapsed();

    f.window.CommandConnect_Click();
    QStringList writes;
    for (const auto &write : f.port.writes())
        writes << QStringLiteral("%1@%2").arg(write.text).arg(write.at - start);
    QCOMPARE(writes.join(QLatin1Char(' ')), expectedWrites);
    QCOMPARE(f.pauses(), expectedPauses);
    QCOMPARE(f.port.lastPortNumber(), 5);
    QCOMPARE(f.window.statusText(), QStringLiteral("Connected to com 5"));
    QCOMPARE(face(f.window), kConnectedFace);

    f.forgetTraffic();
    f.window.CommandConnect_Click();
    QVERIFY(!f.port.isOpen());
    QCOMPARE(f.window.statusText(), QStringLiteral("Disconnected from com 5"));
    QCOMPARE(face(f.window), kDisconnectedFace);
    QVERIFY(f.written().isEmpty());
}

void TestConnect::connectFailureKeepsDisconnectedFace_data()
{
    QTest::addColumn<QString>("comPort");
    QTest::addColumn<QString>("deviceError"); // "" leaves the fake's own refusal

    QTest::newRow("no port selected") << u"0"_s << QString();
    QTest::newRow("missing device") << u"12"_s << u"/dev/ttyS11: No such file or directory"_s;
}

void TestConnect::connectFailureKeepsDisconnectedFace()
{
    QFETCH(QString, comPort);
    QFETCH(QString, deviceError);

    PanelFixture f{{{"com_port", comPort}, {"send_focus_rate_box", "1"}}};
    if (!deviceError.isEmpty())
        f.port.failOpenWith(deviceError);

    f.window.CommandConnect_Click();
    QVERIFY(!f.port.isOpen());
    QCOMPARE(f.window.statusText(),
             "Error opening com port " + comPort + " - " + f.port.errorString());
    QCOMPARE(face(f.window), kDisconnectedFace);
    QVERIFY(f.written().isEmpty());
    QVERIFY(f.pauses().empty());
}

void TestConnect::displayReceiveBufferShowsAndEmptiesInput()
{
    const QString input = QStringLiteral("<b>12:34:56#</b> &amp;"); // shown as it came
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    // A threshold the input does not reach: it waits in the buffer.
    f.port.setReceiveThreshold(100);
    f.port.feed(input);

    f.window.DispRecBufferButton_Click();
    QCOMPARE(f.window.statusText(), input);
    QCOMPARE(f.window.StatusText->textFormat(), Qt::PlainText);
    QCOMPARE(f.port.buffered(), QString());
    QVERIFY(f.written().isEmpty());
}

// Line events other than a receive leave the input where it is.
void TestConnect::otherLineEventsReadNothing()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.port.setReceiveThreshold(100);
    f.port.feed(QStringLiteral("12:34:56#"));
    for (const int kind :
         {int(orrinet::SerialPort::EventNone), 1, int(orrinet::SerialPort::EventLost)})
        f.port.raiseEvent(kind);
    QCOMPARE(f.port.buffered(), QStringLiteral("12:34:56#"));
    QCOMPARE(f.window.statusText(), QStringLiteral("Connected to com 1"));
}

// Unexpected input is kept whole in the status text, but the status bar shows
// one line of bounded length, however much arrives in one event.
void TestConnect::floodOfInputShowsOneShortLine()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    QString flood;
    for (int i = 0; i < 2000; ++i)
        flood += QStringLiteral("ab\r\ncd#\t");
    f.port.feed(flood);

    QCOMPARE(f.window.statusText(), flood);
    const QString shown = f.window.StatusText->text();
    QVERIFY(shown.size() <= 256);
    QVERIFY(flood.startsWith(shown.left(2)));
    QVERIFY(!shown.contains(u'\n') && !shown.contains(u'\r') && !shown.contains(u'\t'));
}

void TestConnect::closedPortTouchesNothing()
{
    PanelFixture f;
    f.window.Send_Command(QStringLiteral(":GR#"));
    QCOMPARE(f.window.statusText(), QStringLiteral("Version 2.13"));
    // "Display Receive Buffer" shows an empty buffer.
    f.window.ReceiveBuffer = QStringLiteral("old");
    f.window.DispRecBufferButton->trigger();
    QCOMPARE(f.window.statusText(), QString());
    QCOMPARE(f.window.ReceiveBuffer, QString());
    QVERIFY(f.written().isEmpty());
    QCOMPARE(f.port.openCount(), 0);
}

QTEST_MAIN(TestConnect)
#include "tst_connect.moc"
