// The simulator hanging up, or ended while a reply is awaited, and the panel
// connecting again once a new simulator serves the same port number.

#include "app/commandbutton.h"
#include "app/picturebox.h"
#include "support/simpanel.h"
#include "support/waitingflags.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTimer>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

// The simulators the test starts itself serve this port; SimPanel's own
// simulator, which can only be terminated, is left idle.
constexpr int kOwnComPort = 14;

// A plain child, which can also be killed outright; returns its pseudo-terminal's path.
QString startSim(QProcess &sim, const QStringList &arguments)
{
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QStringLiteral(LX200SIM_PATH),
              QStringList{u"--com"_s, QString::number(kOwnComPort)} + arguments);
    if (!QTest::qWaitFor([&sim] { return sim.canReadLine(); }, SimProcess::kStartTimeoutMs))
        return {};
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

bool connectOwnPort(SimPanel &p)
{
    p.window.Combo1->setCurrentIndex(kOwnComPort - 1);
    p.window.CommandConnect_Click();
    return p.line.isOpen();
}

bool statusServed(SimPanel &p)
{
    p.window.TelescopeStatusButton->trigger();
    return p.settled(3000) && p.window.statusText().startsWith(u"AltAz Mount"_s);
}

// The reason (tests/app checks the disconnected face), and nothing left to time out.
bool showsLoss(const frmMain &w, const QString &reason)
{
    return w.statusText() == u"Connection lost on com %1 - "_s.arg(kOwnComPort) + reason &&
           !w.Timer1->isActive() && raisedFlags(w).isEmpty() &&
           w.mousePointer() == frmMain::MousePointer::Default;
}

} // namespace

class TestConnectionLostSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void lossThenNewSimulator_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("served"); // status queries answered before the loss
        QTest::addColumn<QString>("ending");
        QTest::newRow("hung up after 3 commands")
            << QStringList{u"--hangup-after"_s, u"3"_s} << 3 << u"by itself"_s;
        // Slow enough that the reply is still awaited when the simulator ends.
        const QStringList slow{u"--latency"_s, u"2000"_s};
        QTest::newRow("terminated (SIGTERM)") << slow << 0 << u"terminate"_s;
        QTest::newRow("killed (SIGKILL)") << slow << 0 << u"kill"_s;
    }

    void lossThenNewSimulator()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, served);
        QFETCH(QString, ending);

        SimPanel p;
        QProcess first;
        const QString firstPath = startSim(first, arguments);
        QVERIFY(!firstPath.isEmpty());
        // Held open before the panel takes the device for itself alone: its
        // number stays taken after the simulator has gone, so the next simulator
        // gets another device and an outdated port mapping cannot pass by chance.
        const int held =
            ::open(QFile::encodeName(firstPath).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(held >= 0);
        const auto release = qScopeGuard([held] { ::close(held); });
        QVERIFY2(connectOwnPort(p), qPrintable(p.window.statusText()));
        QSignalSpy lost(&p.line, &SerialPort::connectionLost);
        QSignalSpy received(&p.line, &SerialPort::received);
        for (int query = 0; query < served; ++query)
            QVERIFY2(statusServed(p), qPrintable(p.window.statusText()));
        // Still awaited when the line goes.
        p.window.TelescopeStatusButton->trigger();
        QVERIFY(p.window.Timer1->isActive());

        if (ending == u"terminate"_s)
            first.terminate();
        else if (ending == u"kill"_s)
            first.kill();
        QVERIFY(first.waitForFinished(SimProcess::kStopTimeoutMs));
        QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, 3000);
        const QString reason = lost.at(0).at(0).toString();
        QVERIFY2(reason.startsWith(firstPath + u": "_s), qPrintable(reason));
        QVERIFY2(showsLoss(p.window, reason), qPrintable(p.window.statusText()));

        // Quiet afterwards: no further report or event, no busy loop.
        const qsizetype receivedAfterLoss = received.size();
        QElapsedTimer wall;
        wall.start();
        const std::clock_t cpuBefore = std::clock(); // processor time of this process
        QVERIFY(!lost.wait(500));
        const qint64 cpuUsed = qint64(std::clock() - cpuBefore) * 1000 / CLOCKS_PER_SEC;
        QVERIFY2(
            cpuUsed * 4 < wall.elapsed(),
            qPrintable(u"%1 ms of processor time in %2 ms"_s.arg(cpuUsed).arg(wall.elapsed())));
        QCOMPARE(received.size(), receivedAfterLoss);
        QVERIFY(showsLoss(p.window, reason));

        // A new simulator on another device, mapped under the same number.
        QProcess second;
        const QString secondPath = startSim(second, {});
        QVERIFY(!secondPath.isEmpty() && secondPath != firstPath);
        QVERIFY2(connectOwnPort(p), qPrintable(p.window.statusText()));
        QCOMPARE(p.line.device(), secondPath);
        QVERIFY2(statusServed(p), qPrintable(p.window.statusText()));
        second.terminate();
        QVERIFY(second.waitForFinished(SimProcess::kStopTimeoutMs));
    }
};

ORRINET_E2E_MAIN(TestConnectionLostSim)

#include "tst_connectionlost_sim.moc"
