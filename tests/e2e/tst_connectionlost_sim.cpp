// The telescope's line going away under the panel, through the real serial
// stack against the simulator: the simulator hanging up after some commands,
// or ended while a reply is awaited, and the panel connecting again once a
// new simulator serves the same port number.

#include "app/commandbutton.h"
#include "app/picturebox.h"
#include "support/privatesettings.h"
#include "support/simpanel.h"
#include "support/waitingflags.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

// The simulators a test starts itself serve this port; SimPanel's own, kComPort.
constexpr int kOwnComPort = 14;
// The line notices a hang-up at its next event; the simulator hangs up
// 100 ms after its last reply.
constexpr int kLossTimeoutMs = 3000;

// Starts the simulator as a plain child, which can also be killed outright,
// and returns its pseudo-terminal's path, the first line it prints.
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

// Asks for the status; true when the reply was served.
bool statusServed(frmMain &w)
{
    w.TelescopeStatusButton->trigger();
    return QTest::qWaitFor([&w] { return !w.WaitingStatus; }, 3000) &&
           w.statusText().startsWith(u"AltAz Mount"_s);
}

// Processor time this process has used so far.
qint64 cpuTimeMs()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return qint64(t.tv_sec) * 1000 + t.tv_usec / 1000; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The reason on the disconnected face (tests/app checks it control by
// control), and nothing left to time out.
bool showsLoss(const frmMain &w, int comPort, const QString &reason)
{
    return w.statusText() == u"Connection lost on com %1 - "_s.arg(comPort) + reason &&
           w.Picture1->isVisibleTo(&w) && !w.FrameRADEC->isVisibleTo(&w) &&
           w.CommandConnect->text() == u"Connect"_s && !w.Timer1->isActive() &&
           raisedFlags(w).isEmpty() && w.mousePointer() == frmMain::MousePointer::Default;
}

} // namespace

class TestConnectionLostSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hangUpAfterSomeCommands();
    void simulatorEndedWhileReplyAwaited_data();
    void simulatorEndedWhileReplyAwaited();
};

void TestConnectionLostSim::hangUpAfterSomeCommands()
{
    SimPanel p{{u"--hangup-after"_s, u"3"_s}};
    QVERIFY2(p.connectPort(), qPrintable(p.failure()));
    QSignalSpy lost(&p.line, &SerialPort::connectionLost);
    QSignalSpy received(&p.line, &SerialPort::received);
    for (int command = 0; command < 3; ++command)
        QVERIFY2(statusServed(p.window), qPrintable(p.window.statusText()));
    // Still awaited when the line goes.
    p.window.TelescopeStatusButton->trigger();
    QVERIFY(p.window.WaitingStatus);

    QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, kLossTimeoutMs);
    const QString reason = lost.at(0).at(0).toString();
    QVERIFY2(reason.startsWith(p.sim.ptyPath() + u": "_s), qPrintable(reason));
    QVERIFY2(showsLoss(p.window, SimPanel::kComPort, reason), qPrintable(p.window.statusText()));

    // Quiet afterwards: no further event, no busy loop.
    const qsizetype receivedAfterLoss = received.size();
    QElapsedTimer wall;
    wall.start();
    const qint64 cpuBefore = cpuTimeMs();
    QVERIFY(!lost.wait(500));
    const qint64 cpuUsed = cpuTimeMs() - cpuBefore;
    QVERIFY2(cpuUsed * 4 < wall.elapsed(),
             qPrintable(u"%1 ms of processor time in %2 ms"_s.arg(cpuUsed).arg(wall.elapsed())));
    QCOMPARE(received.size(), receivedAfterLoss);
    QVERIFY(showsLoss(p.window, SimPanel::kComPort, reason));
}

void TestConnectionLostSim::simulatorEndedWhileReplyAwaited_data()
{
    QTest::addColumn<bool>("kill");

    QTest::newRow("terminated (SIGTERM)") << false;
    QTest::newRow("killed (SIGKILL)") << true;
}

void TestConnectionLostSim::simulatorEndedWhileReplyAwaited()
{
    QFETCH(bool, kill);

    SimPanel p;
    QProcess first;
    // Slow enough that the reply is still awaited when the simulator ends.
    const QString firstPath = startSim(first, {u"--latency"_s, u"2000"_s});
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
    p.window.TelescopeStatusButton->trigger();
    QVERIFY(p.window.Timer1->isActive());
    QCOMPARE(p.window.mousePointer(), frmMain::MousePointer::Hourglass);

    kill ? first.kill() : first.terminate();
    QVERIFY(first.waitForFinished(SimProcess::kStopTimeoutMs));
    QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, kLossTimeoutMs);
    const QString reason = lost.at(0).at(0).toString();
    QVERIFY2(reason.startsWith(firstPath + u": "_s), qPrintable(reason));
    QVERIFY2(showsLoss(p.window, kOwnComPort, reason), qPrintable(p.window.statusText()));
    // Reported once.
    QVERIFY(!lost.wait(300));
    QVERIFY(showsLoss(p.window, kOwnComPort, reason));

    if (kill) {
        // Its port mapping is left behind, naming a device that is gone.
        p.window.CommandConnect_Click();
        const QString refused =
            u"Error opening com port %1 - %2: "_s.arg(kOwnComPort).arg(firstPath);
        QVERIFY2(p.window.statusText().startsWith(refused), qPrintable(p.window.statusText()));
    }
    // A new simulator on another device, mapped under the same number.
    QProcess second;
    const QString secondPath = startSim(second, {});
    QVERIFY(!secondPath.isEmpty() && secondPath != firstPath);
    QVERIFY2(connectOwnPort(p), qPrintable(p.window.statusText()));
    QCOMPARE(p.line.device(), secondPath);
    QCOMPARE(p.window.statusText(), u"Connected to com %1"_s.arg(kOwnComPort));
    QVERIFY2(statusServed(p.window), qPrintable(p.window.statusText()));
    QCOMPARE(lost.size(), 1);
    second.terminate();
    QVERIFY(second.waitForFinished(SimProcess::kStopTimeoutMs));
}

ORRINET_E2E_MAIN(TestConnectionLostSim)

#include "tst_connectionlost_sim.moc"
