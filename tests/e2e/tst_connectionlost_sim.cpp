// The telescope's line going away under the panel, through the real serial
// stack against the simulator: the simulator hanging up after some commands,
// or ended while a reply is awaited, and the panel connecting again once a
// new simulator serves the same port number.
//
// One settings store serves every test, made before any simulator runs, as
// the panel's own store lives from start-up on: each simulator writes its
// port mapping into the store's file behind the panel's back.

#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "app/picturebox.h"
#include "platform/platform.h"
#include "platform/qtcursor.h"
#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"
#include "platform/sleepingwait.h"
#include "support/privatesettings.h"
#include "support/scriptedmessageboxes.h"
#include "support/simprocess.h"
#include "support/waitingflags.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <memory>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

constexpr int kComPort = 14;
// A status reply at 9600 baud comes within a few tens of milliseconds.
constexpr int kReplyTimeoutMs = 3000;
// The line notices a hang-up at its next event; the simulator hangs up
// 100 ms after its last reply.
constexpr int kLossTimeoutMs = 3000;
// Long enough that the reply is still awaited when the simulator ends.
constexpr int kLatencyMs = 2000;

// The simulator as a child of this test, so that it can also be killed
// outright; SimProcess ends it with SIGTERM, which lets it clean up its port
// mapping.
class KillableSim
{
public:
    explicit KillableSim(const QStringList &arguments)
    {
        // XDG_CONFIG_HOME is inherited: the simulator maps the port in our store.
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(LX200SIM_PATH), arguments);
        const QDeadlineTimer deadline(SimProcess::kStartTimeoutMs);
        while (!m_process.canReadLine() && m_process.state() != QProcess::NotRunning &&
               !deadline.hasExpired())
            m_process.waitForReadyRead(100);
        if (m_process.canReadLine())
            m_ptyPath = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~KillableSim() { end(Ending::Kill); }
    KillableSim(const KillableSim &) = delete;
    KillableSim &operator=(const KillableSim &) = delete;

    enum class Ending { Terminate, Kill };

    bool isRunning() const
    {
        return !m_ptyPath.isEmpty() && m_process.state() == QProcess::Running;
    }
    QString ptyPath() const { return m_ptyPath; }

    // SIGTERM or SIGKILL; true once the process has ended.
    bool end(Ending how)
    {
        if (m_process.state() == QProcess::NotRunning)
            return true;
        if (how == Ending::Terminate)
            m_process.terminate();
        else
            m_process.kill();
        return m_process.waitForFinished(SimProcess::kStopTimeoutMs);
    }

private:
    QProcess m_process;
    QString m_ptyPath;
};

// A device held open by the test. While it is held, the number of a
// pseudo-terminal stays taken after its simulator has gone (though its
// device node is gone), so the next simulator gets another device and an
// outdated port mapping cannot pass by chance.
class HeldDevice
{
public:
    explicit HeldDevice(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
    }
    ~HeldDevice()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    HeldDevice(const HeldDevice &) = delete;
    HeldDevice &operator=(const HeldDevice &) = delete;

    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Processor time this process has used so far.
qint64 cpuTimeMs()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return qint64(t.tv_sec) * 1000 + t.tv_usec / 1000; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The disconnected face; tests/app checks it control by control.
bool disconnectedFace(const frmMain &w)
{
    return w.Picture1->isVisibleTo(&w) && !w.FrameRADEC->isVisibleTo(&w) &&
           w.CommandConnect->text() == u"Connect"_s;
}

QString lostText(const QString &reason)
{
    return u"Connection lost on com "_s + QString::number(kComPort) + u" - "_s + reason;
}

// The panel as the program builds it, over the shared settings store.
struct Panel
{
    explicit Panel(QtSettingsStore &store) : settings(store) {}

    // Chooses the port and presses Connect; true when the line is open.
    bool connect()
    {
        window.Combo1->setCurrentIndex(kComPort - 1);
        window.CommandConnect->click();
        return line.isOpen();
    }

    // Asks for the telescope's status and waits until the reply is served
    // or the line has gone; true when the reply was served.
    bool statusQuery()
    {
        window.TelescopeStatusButton->trigger();
        if (!window.WaitingStatus)
            return false; // nothing was sent
        return QTest::qWaitFor([this] { return !window.WaitingStatus || !line.isOpen(); },
                               kReplyTimeoutMs) &&
               !window.WaitingStatus;
    }

    QtSettingsStore &settings;
    QtSerialLine line{settings};
    SleepingWait wait;
    ScriptedMessageBoxes boxes;
    orrinet::QtCursor cursor;
    frmMain window{Platform{line, settings, wait, boxes, cursor}};
};

} // namespace

Q_DECLARE_METATYPE(KillableSim::Ending)

class TestConnectionLostSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void hangUpAfterSomeCommands();
    void simulatorEndedWhileReplyAwaited_data();
    void simulatorEndedWhileReplyAwaited();
    void connectAgainOnceANewSimulatorRuns();

private:
    std::unique_ptr<QtSettingsStore> m_settings;
};

void TestConnectionLostSim::initTestCase()
{
    m_settings = std::make_unique<QtSettingsStore>();
    QVERIFY2(m_settings->location().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")),
             qPrintable(m_settings->location()));
}

void TestConnectionLostSim::cleanupTestCase()
{
    m_settings.reset();
}

void TestConnectionLostSim::hangUpAfterSomeCommands()
{
    constexpr int kCommandsBeforeHangUp = 3;
    SimProcess sim(qEnvironmentVariable("XDG_CONFIG_HOME"),
                   {u"--com"_s, QString::number(kComPort), u"--hangup-after"_s,
                    QString::number(kCommandsBeforeHangUp)});
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    Panel p(*m_settings);
    QVERIFY2(p.connect(), qPrintable(p.window.statusText()));
    QCOMPARE(p.line.device(), sim.ptyPath());
    QSignalSpy lost(&p.line, &SerialPort::connectionLost);
    QSignalSpy received(&p.line, &SerialPort::received);

    // Queries until the line goes: the ones before the hang-up are answered.
    int answered = 0;
    while (p.line.isOpen() && answered <= kCommandsBeforeHangUp) {
        if (!p.statusQuery())
            break;
        ++answered;
    }
    QVERIFY2(answered >= kCommandsBeforeHangUp, qPrintable(p.window.statusText()));
    QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, kLossTimeoutMs);
    QVERIFY(!p.line.isOpen());

    const QString reason = lost.at(0).at(0).toString();
    QVERIFY2(reason.startsWith(sim.ptyPath() + u": "_s), qPrintable(reason));
    QCOMPARE(p.window.statusText(), lostText(reason));
    QVERIFY(disconnectedFace(p.window));
    QVERIFY(!p.window.Timer1->isActive());
    QCOMPARE(p.window.mousePointer(), frmMain::MousePointer::Default);
    // The simulator hung up on purpose and ended by itself.
    QTRY_VERIFY_WITH_TIMEOUT(!sim.isRunning(), kLossTimeoutMs);

    // Quiet afterwards: no further event, no busy loop.
    const qsizetype receivedAfterLoss = received.size();
    QElapsedTimer wall;
    wall.start();
    const qint64 cpuBefore = cpuTimeMs();
    QVERIFY(!lost.wait(500));
    const qint64 cpuUsed = cpuTimeMs() - cpuBefore;
    QVERIFY2(cpuUsed * 4 < wall.elapsed(),
             qPrintable(u"%1 ms of processor time in %2 ms"_s.arg(cpuUsed).arg(wall.elapsed())));
    QCOMPARE(lost.size(), 1);
    QCOMPARE(received.size(), receivedAfterLoss);
    QCOMPARE(p.window.statusText(), lostText(reason));
    QVERIFY(!p.line.write(u":GW#"_s));
}

void TestConnectionLostSim::simulatorEndedWhileReplyAwaited_data()
{
    QTest::addColumn<KillableSim::Ending>("ending");

    QTest::newRow("terminated (SIGTERM)") << KillableSim::Ending::Terminate;
    QTest::newRow("killed (SIGKILL)") << KillableSim::Ending::Kill;
}

void TestConnectionLostSim::simulatorEndedWhileReplyAwaited()
{
    QFETCH(KillableSim::Ending, ending);

    KillableSim sim({u"--com"_s, QString::number(kComPort), u"--latency"_s,
                     QString::number(kLatencyMs)});
    QVERIFY(sim.isRunning());
    Panel p(*m_settings);
    QVERIFY2(p.connect(), qPrintable(p.window.statusText()));
    QCOMPARE(p.line.device(), sim.ptyPath());
    QSignalSpy lost(&p.line, &SerialPort::connectionLost);

    p.window.TelescopeStatusButton->trigger();
    QVERIFY(p.window.WaitingStatus);
    QVERIFY(p.window.Timer1->isActive());
    QCOMPARE(p.window.mousePointer(), frmMain::MousePointer::Hourglass);

    QVERIFY(sim.end(ending));
    QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, kLossTimeoutMs);
    const QString reason = lost.at(0).at(0).toString();
    QVERIFY2(reason.startsWith(sim.ptyPath() + u": "_s), qPrintable(reason));
    QVERIFY(!p.line.isOpen());
    QCOMPARE(p.window.statusText(), lostText(reason));
    QVERIFY(disconnectedFace(p.window));
    // The reply can no longer come: no time-out text will follow.
    QVERIFY(raisedFlags(p.window).isEmpty());

    QVERIFY(!lost.wait(300));
    QCOMPARE(p.window.statusText(), lostText(reason));
}

void TestConnectionLostSim::connectAgainOnceANewSimulatorRuns()
{
    auto first = std::make_unique<KillableSim>(QStringList{u"--com"_s, QString::number(kComPort)});
    QVERIFY(first->isRunning());
    const QString firstPath = first->ptyPath();
    // Opened before the panel, which then takes the device for itself alone.
    const HeldDevice held(firstPath);
    QVERIFY(held.isOpen());

    Panel p(*m_settings);
    QVERIFY2(p.connect(), qPrintable(p.window.statusText()));
    QCOMPARE(p.line.device(), firstPath);
    QVERIFY2(p.statusQuery(), qPrintable(p.window.statusText()));
    QSignalSpy lost(&p.line, &SerialPort::connectionLost);

    // Killed, it leaves its port mapping behind, naming a device that is gone.
    QVERIFY(first->end(KillableSim::Ending::Kill));
    QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, kLossTimeoutMs);
    QCOMPARE(p.window.statusText(), lostText(lost.at(0).at(0).toString()));
    first.reset();

    // Nothing to connect to yet.
    p.window.CommandConnect->click();
    QVERIFY(!p.line.isOpen());
    const QString refused = u"Error opening com port "_s + QString::number(kComPort) + u" - "_s;
    QVERIFY2(p.window.statusText().startsWith(refused + firstPath + u": "_s),
             qPrintable(p.window.statusText()));
    QVERIFY(disconnectedFace(p.window));

    // A new simulator on another device, mapped under the same number.
    KillableSim second({u"--com"_s, QString::number(kComPort)});
    QVERIFY(second.isRunning());
    QVERIFY(second.ptyPath() != firstPath);
    p.window.CommandConnect->click();
    QVERIFY2(p.line.isOpen(), qPrintable(p.window.statusText()));
    QCOMPARE(p.line.device(), second.ptyPath());
    QCOMPARE(p.window.statusText(), u"Connected to com "_s + QString::number(kComPort));
    QVERIFY2(p.statusQuery(), qPrintable(p.window.statusText()));
    QVERIFY(!p.window.Timer1->isActive());
    QCOMPARE(lost.size(), 1);
}

ORRINET_E2E_MAIN(TestConnectionLostSim)

#include "tst_connectionlost_sim.moc"
