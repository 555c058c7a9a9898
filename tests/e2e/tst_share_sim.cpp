// The panel shares its line with the simulator behind it: a network client
// polling at 4 Hz is served while the panel waits in a keypad macro and while
// the keyboard pad slews, a client's goto moves the telescope that the
// panel's Get then reads, and Disconnect stops what clients left running.

#include "app/frmShare.h"
#include "app/virtualkeys.h"
#include "support/lx200poller.h"
#include "support/simpanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <cmath>
#include <memory>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

// The one-character reply of a target or goto command.
QByteArray exchange(QTcpSocket &client, const QByteArray &command)
{
    client.write(command);
    return client.waitForReadyRead(3000) ? client.readAll() : QByteArray();
}

} // namespace

class TestShareSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // The macro's display reply comes 1 s after its GoTo key.
        m_panel = std::make_unique<SimPanel>(QStringList{u"--taking-ms"_s, u"200"_s},
                                             SimProcess::Observe::LogAndState);
        QTcpServer probe; // a free port: 4030 may be another hub's
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        m_port = probe.serverPort();
        probe.close();
        frmShare &share = *m_panel->window.shareWindow();
        share.SpinPort->setValue(m_port);
        share.CheckShare->setChecked(true);
        QVERIFY2(m_panel->connectPort(), qPrintable(m_panel->failure()));
        QVERIFY2(m_panel->window.sharableLine().shared(), qPrintable(share.LabelState->text()));
        m_panel->window.CheckRADEC->setChecked(true);
    }

    // The panel's held key sends nothing while held, longer than the silence
    // after which the hub stops a network client's move.
    void clientIsServedThroughAMacroAndAPadSlew()
    {
        frmMain &w = m_panel->window;
        Lx200Poller poller(m_port);
        QTest::qWait(600);
        const Clock::time_point from = Clock::now();
        w.GotoPolaris_Click(1); // six pauses of 500 ms on this thread
        const Clock::time_point to = Clock::now();
        QTest::qWait(300);
        const long long gap = longestGapMs(poller.replies(), from, to);
        qInfo("longest gap between 4 Hz replies during the macro: %lld ms", gap);
        QVERIFY2(gap <= 500, qPrintable(QString::number(gap)));
        QVERIFY(m_panel->settled());
        QCOMPARE(w.statusText(), u" Polaris         Slewing...      #"_s);
        w.CommandGotoAbort_Click();

        w.PictureNav_GotFocus();
        w.PictureNav_KeyDown(VirtualKey::Up, 0);
        QTRY_COMPARE(m_panel->sim.state().value(u"dec_direction"_s), u"1"_s);
        QTest::qWait(2600);
        QCOMPARE(m_panel->sim.state().value(u"dec_direction"_s), u"1"_s);
        w.PictureNav_KeyUp(VirtualKey::Up, 0);
        QTRY_COMPARE(m_panel->sim.state().value(u"dec_direction"_s), u"0"_s);
        QVERIFY(m_panel->settled());
        QVERIFY(poller.replies().size() >= 20);
    }

    void clientGotoIsWhatThePanelGets()
    {
        frmMain &w = m_panel->window;
        QVERIFY(m_panel->get());
        const double start = raDegrees(w.RaString);
        QVERIFY2(start >= 0, qPrintable(w.RaString));
        const QTime target =
            QTime(0, 0).addSecs(qRound(std::fmod(start + 15.0, 360.0) * 240)); // an hour east
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, m_port);
        QVERIFY(client.waitForConnected(3000));
        QCOMPARE(exchange(client, ":Sr " + target.toString(u"HH:mm:ss"_s).toLatin1() + "#"), "1");
        QCOMPARE(exchange(client, ":Sd " + w.DecString.left(9).toLatin1() + "#"), "1");
        QCOMPARE(exchange(client, ":MS#"), "0");
        QTRY_COMPARE_WITH_TIMEOUT(m_panel->sim.state().value(u"goto"_s), u"0"_s, 30000);
        QVERIFY(m_panel->get());
        QVERIFY2(std::abs(raDegrees(w.RaString) - target.msecsSinceStartOfDay() / 240000.0) < 0.1,
                 qPrintable(w.RaString + u" for "_s + target.toString()));
    }

    // Last: the panel's Disconnect ends the sharing.
    void disconnectStopsWhatClientsLeftRunning()
    {
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, m_port);
        QVERIFY(client.waitForConnected(3000));
        client.write(":Me#");
        QTRY_COMPARE(m_panel->sim.state().value(u"ra_direction"_s), u"1"_s);
        m_panel->window.CommandConnect_Click();
        QCOMPARE(m_panel->window.statusText(), u"Disconnected from com 7"_s);
        QTRY_COMPARE(m_panel->sim.state().value(u"ra_direction"_s), u"0"_s);
        QVERIFY(client.state() == QAbstractSocket::UnconnectedState ||
                client.waitForDisconnected(3000));
        QTRY_COMPARE(m_panel->sim.commandLog().constLast().command, u":Qe#"_s);
    }

private:
    std::unique_ptr<SimPanel> m_panel;
    quint16 m_port = 0;
};

ORRINET_E2E_MAIN(TestShareSim)
#include "tst_share_sim.moc"
