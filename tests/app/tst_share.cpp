// Program > Share Telescope over the fake line: the panel's own exchanges are
// the same byte for byte and pause for pause whether the line is shared or
// not; the window's choices and what it says when it cannot listen.

#include "app/commandbutton.h"
#include "app/frmMonitor.h"
#include "app/frmShare.h"
#include "motion/manualmoves.h"
#include "support/panelfixture.h"
#include "support/waitingflags.h"

#include <QAction>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

// A telescope that answers at once: each command, then its reply.
const QStringList kReplies{u":GR#"_s,           u"05:07:09#"_s,
                           u":GD#"_s,           u"+45*30:15#"_s,
                           u":Sr 00:00:00#"_s,  u"1"_s,
                           u":Sd +00*00:00#"_s, u"1"_s,
                           u":MS#"_s,           u"0"_s,
                           u":GW#"_s,           u"AT1#"_s,
                           u":GVN#"_s,          u"4.2l#"_s,
                           u":GVP#"_s,          u"LX2001#"_s,
                           u":ED#"_s,           u" Polaris         Slewing...      #"_s};

const std::array<std::pair<const char *, void (*)(frmMain &)>, 6> kActions{{
    {"get", [](frmMain &w) { w.CommandGet_Click(); }},
    {"goto", [](frmMain &w) { w.CommandGotoRADEC_Click(); }},
    {"status query", [](frmMain &w) { w.TelescopeStatusButton_Click(); }},
    {"firmware query", [](frmMain &w) { w.TelescopeInfoButton_Click(); }},
    {"keypad macro", [](frmMain &w) { w.GotoPolaris_Click(1); }},
    {"manual move",
     [](frmMain &w) {
         w.CheckRADEC->setChecked(true);
         w.CommandMove_MouseDown(Move::North);
         w.CommandMove_MouseUp(Move::North); // pauses, then Gets the position
     }},
}};

// A port no one listens on (4030 may be another hub's on this machine).
QString freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return QString::number(probe.serverPort());
}

// Runs the action until no reply is awaited and nothing more is written:
// each write with its time, the pauses and the texts shown.
QStringList run(std::size_t action, bool shared)
{
    PanelFixture f{
        {{u"Sharing/share"_s, shared ? u"1"_s : u"0"_s}, {u"Sharing/port"_s, freePort()}}};
    if (!f.connectPort(1) || f.window.sharableLine().shared() != shared)
        return {u"not connected"_s};
    FakeSerialPort &line = shared ? f.hubPort : f.port;
    kActions[action].second(f.window);
    std::size_t answered = 0;
    for (const QDeadlineTimer deadline(5000); !deadline.hasExpired();) {
        if (answered < line.writes().size()) {
            const qsizetype command = kReplies.indexOf(line.writes()[answered++].text);
            if (command % 2 == 0)
                line.feed(kReplies[command + 1]);
            continue;
        }
        QTest::qWait(10); // the quiet gap that ends a reply without '#'
        if (raisedFlags(f.window).isEmpty() && answered == line.writes().size())
            break;
    }
    QStringList outcome{f.window.statusText(), f.window.LabelRADEC->text(),
                        f.port.isOpen() == shared ? u"panel's own line open"_s : QString()};
    for (const FakeSerialPort::Write &write : line.writes())
        outcome << u"%1: %2"_s.arg(write.at).arg(write.text);
    for (const int pause : f.pauses())
        outcome << u"pause %1"_s.arg(pause);
    return outcome;
}

} // namespace

class TestShare : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sharingLeavesTheExchangeAsItWas_data()
    {
        QTest::addColumn<int>("action");
        for (std::size_t i = 0; i < kActions.size(); ++i)
            QTest::newRow(kActions[i].first) << int(i);
    }

    void sharingLeavesTheExchangeAsItWas()
    {
        QFETCH(int, action);
        const QStringList alone = run(std::size_t(action), false);
        QVERIFY2(alone.size() > 3, qPrintable(alone.join(u'\n')));
        QCOMPARE(run(std::size_t(action), true), alone);
    }

    void controlsAndRememberedChoice()
    {
        PanelFixture fresh;
        const QList<QAction *> items = fresh.window.ProgramlMenu->actions();
        QCOMPARE(items.indexOf(fresh.window.ShareButton) + 1,
                 items.indexOf(fresh.window.LineMonitorButton));
        QCOMPARE(fresh.window.ShareButton->text(), u"Share Telescope..."_s);
        fresh.window.ShareButton_Click();
        frmShare &w = *fresh.window.shareWindow();
        QVERIFY(w.isVisible() && !w.isModal());
        QCOMPARE(w.windowTitle(), u"Share Telescope"_s);
        QVERIFY(!w.CheckShare->isChecked() && w.OptionLocal->isChecked());
        QVERIFY(!w.CheckReadOnly->isChecked() && w.SpinPort->value() == 4030);

        // Each change is written at once, in a section of its own.
        w.CheckShare->setChecked(true);
        w.OptionNetwork->setChecked(true);
        w.SpinPort->setValue(4100);
        w.CheckReadOnly->setChecked(true);
        QCOMPARE(fresh.settings.keys(u"Sharing"_s),
                 QStringList({u"local_network"_s, u"others_read_only"_s, u"port"_s, u"share"_s}));
        QCOMPARE(fresh.settings.flushCount(), 4);

        PanelFixture again{{{u"Sharing/share"_s, u"1"_s},
                            {u"Sharing/local_network"_s, u"1"_s},
                            {u"Sharing/port"_s, u"4100"_s},
                            {u"Sharing/others_read_only"_s, u"1"_s}}};
        const frmShare &restored = *again.window.shareWindow();
        QVERIFY(restored.CheckShare->isChecked() && restored.OptionNetwork->isChecked());
        QVERIFY(restored.CheckReadOnly->isChecked() && restored.SpinPort->value() == 4100);
        QCOMPARE(restored.LabelState->text(), u"Shared once the panel is connected"_s);
    }

    void lineMonitorNamesEachClient()
    {
        PanelFixture f{{{u"Sharing/share"_s, u"1"_s}, {u"Sharing/port"_s, freePort()}}};
        QVERIFY(f.connectPort(1));
        f.window.LineMonitorButton_Click();
        f.window.CommandGet_Click();
        f.hubPort.feed(u"05:07:09#"_s);
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost,
                             quint16(f.window.shareWindow()->SpinPort->value()));
        QVERIFY(client.waitForConnected(3000));
        client.write(":U#");
        const QString name = u"127.0.0.1:"_s + QString::number(client.localPort());
        QTRY_VERIFY(f.window.lineMonitor()->log().allText().contains(name + u"  :U#"_s));
        const QString lines = f.window.lineMonitor()->log().allText();
        QVERIFY2(lines.contains(u"  TX  panel  :GR#\n"_s), qPrintable(lines));
        QVERIFY2(lines.contains(u"  RX  panel  05:07:09#\n"_s), qPrintable(lines));
        QVERIFY2(lines.contains(u"  TX  "_s + name + u"  :U#\n"_s), qPrintable(lines));
    }

    // The panel's face and text as when its own line goes; the clients go too.
    void lineLostEndsTheSharing()
    {
        PanelFixture f{{{u"Sharing/share"_s, u"1"_s}, {u"Sharing/port"_s, freePort()}}};
        QVERIFY(f.connectPort(3));
        f.hubPort.loseConnection(u"the device hung up"_s);
        QTRY_COMPARE(f.window.statusText(), u"Connection lost on com 3 - the device hung up"_s);
        QVERIFY(!f.window.sharableLine().shared() && !f.window.Comm1.isOpen());
        QCOMPARE(f.window.CommandConnect->text(), u"Connect"_s);
    }

    void portInUseLeavesThePanelUnshared()
    {
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::LocalHost));
        const QString port = QString::number(other.serverPort());
        PanelFixture f{{{u"Sharing/share"_s, u"1"_s}, {u"Sharing/port"_s, port}}};
        QVERIFY(f.connectPort(2));
        const frmShare &w = *f.window.shareWindow();
        QVERIFY(!w.CheckShare->isChecked());
        QCOMPARE(w.LabelState->text(), u"Not shared: cannot listen on 127.0.0.1:"_s + port +
                                           u": The bound address is already in use"_s);
        QCOMPARE(f.settings.read(u"Sharing"_s, u"share"_s, {}), u"0"_s);
        QVERIFY(!f.window.sharableLine().shared() && f.port.isOpen() && !f.hubPort.isOpen());
        QCOMPARE(f.window.statusText(), u"Connected to com 2"_s);
        f.window.CommandGet_Click();
        QCOMPARE(f.written(), QStringList{u":GR#"_s});
    }
};

QTEST_MAIN(TestShare)
#include "tst_share.moc"
