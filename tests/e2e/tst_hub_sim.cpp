// orrinet-hub between lx200sim and several clients over real sockets: a
// poller and a goto at once, a client that vanishes mid-move, and the panel
// itself on a tcp:// port mapped to the hub.

#include "app/commandbutton.h"
#include "support/hubprocess.h"
#include "support/simpanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QRegularExpression>
#include <QSet>
#include <QTcpSocket>
#include <QTimer>
#include <sys/socket.h>

using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

constexpr int kReplyTimeoutMs = 3000;
constexpr int kArrivalTimeoutMs = 20000; // 8 degrees a second on each axis

// Connects a client to the hub on the loopback port.
bool connectClient(QTcpSocket &socket, quint16 port)
{
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(kReplyTimeoutMs);
}

// Writes a command and reads its reply: `length` bytes, or up to '#' when 0.
QByteArray exchange(QTcpSocket &socket, const QByteArray &command, int length = 0)
{
    socket.write(command);
    QByteArray reply;
    (void)QTest::qWaitFor(
        [&] {
            reply += socket.readAll();
            return length ? reply.size() >= length : reply.endsWith('#');
        },
        kReplyTimeoutMs);
    return reply;
}

// "HH:MM:SS" some hours east of where the telescope points.
QByteArray raEastOf(const QByteArray &raReply, int hours)
{
    return QByteArray::number((raReply.left(2).toInt() + hours) % 24).rightJustified(2, '0') +
           raReply.mid(2, 6);
}

QStringList commandsStartingWith(const SimProcess &sim, const QStringList &prefixes)
{
    QStringList found;
    for (const LoggedCommand &logged : sim.commandLog()) {
        for (const QString &prefix : prefixes) {
            if (logged.command.startsWith(prefix))
                found << logged.command;
        }
    }
    return found;
}

} // namespace

class TestHubSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void pollingWhileAnotherClientGotos_data()
    {
        QTest::addColumn<bool>("overTcp");
        QTest::newRow("pseudo-terminal") << false;
        QTest::newRow("tcp line") << true;
    }

    void pollingWhileAnotherClientGotos()
    {
        QFETCH(bool, overTcp);
        SimProcess sim({}, {u"--tcp"_s, u"0"_s}, SimProcess::Observe::LogAndState);
        const QString tcpLine = sim.readLine();
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        // The goer falls silent during its slew, as a client that only watches may.
        HubProcess hub(QStringLiteral(ORRINET_HUB_PATH), overTcp ? tcpLine : sim.ptyPath(),
                       {u"--silence-stop-ms"_s, u"60000"_s});
        QVERIFY2(hub.isRunning(), qPrintable(hub.errorString()));

        QTcpSocket poller, goer;
        QVERIFY(connectClient(poller, hub.port()) && connectClient(goer, hub.port()));
        // 4 Hz, both queries in one write; every reply is kept with its arrival time.
        QElapsedTimer clock;
        clock.start();
        QList<std::pair<qint64, QByteArray>> replies;
        QByteArray pending;
        connect(&poller, &QTcpSocket::readyRead, this, [&] {
            pending += poller.readAll();
            for (qsizetype end; (end = pending.indexOf('#')) >= 0; pending.remove(0, end + 1))
                replies.append({clock.elapsed(), pending.left(end)});
        });
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] { poller.write(":GR#:GD#"); });
        poll.start(250);
        QTRY_VERIFY(!replies.isEmpty());

        const QByteArray target = raEastOf(replies.first().second, 1);
        QCOMPARE(exchange(goer, ":Sr" + target + '#', 1), "1");
        QCOMPARE(exchange(goer,
                          ":Sd+40\xDF"
                          "00:00#",
                          1),
                 "1");
        QCOMPARE(exchange(goer, ":MS#", 1), "0");
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         return replies.last().second == target ||
                                replies.value(replies.size() - 2).second == target;
                     },
                     kArrivalTimeoutMs),
                 replies.last().second.constData());
        poll.stop();

        // The poller saw the slew at its own pace and got only position replies.
        static const QRegularExpression position(
            u"^(\\d\\d:\\d\\d:\\d\\d|[+-]\\d\\d\\x{DF}\\d\\d:\\d\\d)$"_s);
        QSet<QByteArray> raSeen;
        for (qsizetype i = 0; i < replies.size(); ++i) {
            QVERIFY2(position.match(QString::fromLatin1(replies[i].second)).hasMatch(),
                     replies[i].second.toPercentEncoding().constData());
            if (i > 0)
                QVERIFY2(replies[i].first - replies[i - 1].first < 1000, "a poll went unanswered");
            if (replies[i].second.size() == 8)
                raSeen.insert(replies[i].second);
        }
        QVERIFY2(raSeen.size() >= 4, "intermediate positions of the slew");
        QVERIFY(goer.readAll().isEmpty());
        // The goto reached the telescope as one block.
        const QStringList block = commandsStartingWith(sim, {u":S"_s, u":M"_s});
        QCOMPARE(block, QStringList({u":Sr"_s + QString::fromLatin1(target) + u'#',
                                     u":Sd+40\\xdf00:00#"_s, u":MS#"_s}));
        QVERIFY2(hub.stop(), qPrintable(hub.log()));
    }

    void vanishedClientsMoveStops_data()
    {
        QTest::addColumn<QList<QByteArray>>("move");
        QTest::addColumn<QString>("stateKey");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QStringList>("stops");
        const QList<QByteArray> east{":Me#"};
        const QStringList eastStops{u":Qe#"_s, u":Q#"_s};
        QTest::newRow("slewing east, closed")
            << east << u"ra_direction"_s << u"close"_s << eastStops;
        QTest::newRow("slewing east, reset")
            << east << u"ra_direction"_s << u"reset"_s << eastStops;
        // SIGTERM to the hub: it stops what its clients left running, then exits 0.
        QTest::newRow("slewing east, hub terminated")
            << east << u"ra_direction"_s << u"terminate"_s << eastStops;
        QTest::newRow("goto, closed") << QList<QByteArray>{":Sr", ":Sd+40*00:00#", ":MS#"}
                                      << u"goto"_s << u"close"_s << QStringList{u":Q#"_s};
    }

    void vanishedClientsMoveStops()
    {
        QFETCH(QList<QByteArray>, move);
        QFETCH(QString, stateKey);
        QFETCH(QString, ending);
        QFETCH(QStringList, stops);
        SimProcess sim({}, {}, SimProcess::Observe::LogAndState);
        HubProcess hub(QStringLiteral(ORRINET_HUB_PATH), sim.ptyPath());
        QVERIFY2(hub.isRunning(), qPrintable(hub.errorString()));
        QTcpSocket client;
        QVERIFY(connectClient(client, hub.port()));
        for (QByteArray command : move) {
            if (command == ":Sr") // four hours east: a slew of several seconds
                command += raEastOf(exchange(client, ":GR#"), 4) + '#';
            if (command == ":Me#")
                client.write(command);
            else
                QVERIFY(!exchange(client, command, 1).isEmpty());
        }
        QTRY_COMPARE(sim.state().value(stateKey), u"1"_s);

        const auto stopCount = [&] { return commandsStartingWith(sim, stops).size(); };
        QCOMPARE(stopCount(), 0);
        if (ending == u"reset"_s) { // no FIN: the peer sees a reset
            const linger now{1, 0};
            ::setsockopt(int(client.socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
        }
        QElapsedTimer gone;
        gone.start();
        if (ending == u"terminate"_s)
            QVERIFY2(hub.stop(), qPrintable(hub.log()));
        else
            client.abort();
        QVERIFY2(QTest::qWaitFor([&] { return stopCount() > 0; }, 3000), qPrintable(hub.log()));
        QVERIFY2(gone.elapsed() <= 1000, qPrintable(u"stop after %1 ms"_s.arg(gone.elapsed())));
        QTRY_COMPARE(sim.state().value(stateKey), u"0"_s);
    }

    void panelGetAndGotoThroughHub()
    {
        SimPanel panel({}, SimProcess::Observe::LogAndState);
        QVERIFY2(panel.sim.isRunning(), qPrintable(panel.sim.errorString()));
        HubProcess hub(QStringLiteral(ORRINET_HUB_PATH), panel.sim.ptyPath());
        QVERIFY2(hub.isRunning(), qPrintable(hub.errorString()));
        const QString mapping = u"tcp://127.0.0.1:%1"_s.arg(hub.port());
        QVERIFY(panel.settings.write(u"Ports"_s, u"com9"_s, mapping));
        frmMain &w = panel.window;
        w.Combo1->setCurrentIndex(8);
        w.CommandConnect_Click();
        QVERIFY2(panel.line.isOpen() && panel.line.device() == mapping, qPrintable(w.statusText()));

        w.CheckRADEC->setChecked(true);
        QVERIFY(panel.get());
        const QString start = w.LabelRADEC->text();
        QVERIFY2(raDegrees(w.RaString) >= 0, qPrintable(w.RaString));
        // A declination 20 degrees north of the meridian's +45: a slew of a few seconds.
        w.ComboDECd->setCurrentIndex(89 - 65);
        w.CommandGotoRADEC->click();
        QVERIFY(panel.settled());
        const QString target = w.GotoText;
        QVERIFY(target != start);
        QVERIFY2(QTest::qWaitFor([&] { return panel.get() && w.LabelRADEC->text() == target; },
                                 kArrivalTimeoutMs),
                 qPrintable(w.LabelRADEC->text() + u" / "_s + target));
        QVERIFY(commandsStartingWith(panel.sim, {u":MS#"_s}).size() == 1);
    }
};

ORRINET_E2E_MAIN(TestHubSim)

#include "tst_hub_sim.moc"
