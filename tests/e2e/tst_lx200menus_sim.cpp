// The LX200GPS and Autostar menus and the console through the real serial
// stack against the simulator: delayed verdicts, a keypad macro that starts a
// real slew, the mount's park and sleep states, and a console reply read in
// pieces.

#include "app/frmMain.h"
#include "commands/frmCmd.h"
#include "platform/platform.h"
#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"
#include "support/recordingcursor.h"
#include "support/scriptedmessageboxes.h"
#include "platform/sleepingwait.h"
#include "support/privatesettings.h"
#include "support/simprocess.h"
#include "support/waitingflags.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

// The shared simulator and the ones made for a single case map separate ports.
constexpr int kComPort = 9;
constexpr int kOwnComPort = 10;
constexpr int kReplyTimeoutMs = 4000;
// A macro blocks for 3 s; its display text follows within a few character times.
constexpr int kMacroTimeoutMs = 8000;

// A simulator with the given options and a panel connected to it.
struct Rig
{
    Rig(int comPort, const QStringList &options)
        : sim(qEnvironmentVariable("XDG_CONFIG_HOME"),
              QStringList{u"--com"_s, QString::number(comPort)} + options)
    {
        if (!sim.isRunning())
            return;
        // Made after the simulator has written its port mapping.
        settings = std::make_unique<QtSettingsStore>();
        line = std::make_unique<QtSerialLine>(*settings);
        window = std::make_unique<frmMain>(Platform{*line, *settings, wait, boxes, cursor});
        window->Combo1->setCurrentIndex(comPort - 1);
        window->CommandConnect_Click();
    }

    bool connected() const { return line && line->isOpen(); }

    bool settled(int timeoutMs = kReplyTimeoutMs)
    {
        return QTest::qWaitFor([this] { return raisedFlags(*window).isEmpty(); }, timeoutMs);
    }

    // The declination a Get reads, in whole degrees.
    int declination()
    {
        window->CommandGet_Click();
        return settled() ? window->DecString.mid(1, 2).toInt() : -1;
    }

    SimProcess sim;
    std::unique_ptr<QtSettingsStore> settings;
    std::unique_ptr<QtSerialLine> line;
    SleepingWait wait;
    ScriptedMessageBoxes boxes;
    orrinet::testing::RecordingCursor cursor;
    std::unique_ptr<frmMain> window;
};

} // namespace

class TestLx200MenusSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void verdicts_data();
    void verdicts();
    void initTestCase();
    void cleanupTestCase();
    void polarisMacroStartsSlew();
    void consoleShowsWholeReply();
    void mountStates_data();
    void mountStates();

private:
    std::unique_ptr<Rig> m_rig;
};

void TestLx200MenusSim::verdicts_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("status");

    QTest::newRow("GPS update") << QStringList{u"--gps-delay"_s, u"1"_s} << u"GpsButton"_s
                                << u"Telescope updated with GPS data"_s;
    QTest::newRow("GPS without fix") << QStringList{u"--gps-delay"_s, u"1"_s, u"--gps-fail"_s}
                                     << u"GpsButton"_s << u"GPS turn on aborted or failed"_s;
    QTest::newRow("automatic alignment")
        << QStringList{u"--align-delay"_s, u"1"_s} << u"AutoButton"_s << u"Alignment Successful"_s;
    QTest::newRow("alignment, polar mount")
        << QStringList{u"--mount"_s, u"polar"_s} << u"AutoButton"_s
        << u"Scope not AzEl Mounted or align failed"_s;
}

void TestLx200MenusSim::verdicts()
{
    QFETCH(QStringList, options);
    QFETCH(QString, item);
    QFETCH(QString, status);

    Rig rig(kOwnComPort, options);
    QVERIFY2(rig.connected(), qPrintable(rig.sim.errorString()));
    rig.boxes.enqueue(MessageBoxes::Answer::Ok);
    rig.window->findChild<QAction *>(item)->trigger();
    QVERIFY(rig.window->statusText().endsWith(u"waiting..."_s));
    QVERIFY(rig.settled());
    QCOMPARE(rig.window->statusText(), status);
}

void TestLx200MenusSim::initTestCase()
{
    // Short enough that the display read ending a macro already shows the slew.
    m_rig = std::make_unique<Rig>(kComPort, QStringList{u"--taking-ms"_s, u"200"_s});
    QVERIFY2(m_rig->connected(), qPrintable(m_rig->sim.errorString()));
}

void TestLx200MenusSim::cleanupTestCase()
{
    m_rig.reset();
}

void TestLx200MenusSim::polarisMacroStartsSlew()
{
    frmMain &w = *m_rig->window;
    const int start = m_rig->declination();
    w.GotoPolaris[1]->trigger();
    QVERIFY(m_rig->settled(kMacroTimeoutMs));
    QCOMPARE(w.statusText(), u" Polaris         Slewing...      #"_s);
    const int early = m_rig->declination();
    QTest::qWait(1000);
    const int later = m_rig->declination();
    QVERIFY2(start < early && early < later && later <= 89,
             qPrintable(u"%1 %2 %3"_s.arg(start).arg(early).arg(later)));
}

void TestLx200MenusSim::consoleShowsWholeReply()
{
    frmMain &w = *m_rig->window;
    QString reply;
    QTimer::singleShot(0, &w, [&] {
        frmCmd &console = *w.console();
        console.Text1->setText(u":GR#"_s);
        console.SendCommand->click();
        // The reply is checked below, whole or not.
        (void)QTest::qWaitFor([&] { return console.Text2->text().endsWith(u'#'); }, kReplyTimeoutMs);
        QTest::qWait(50); // anything after the terminator would be shown too
        reply = console.Text2->text();
        console.CloseCommand->click();
    });
    w.SendButton_Click();
    QVERIFY2(QRegularExpression(u"^\\d\\d:\\d\\d:\\d\\d#$"_s).match(reply).hasMatch(),
             qPrintable(reply));
}

void TestLx200MenusSim::mountStates_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("status");

    QTest::newRow("asleep") << QStringList{u"SleepButton"_s}
                            << u"AltAz Mount, Sleeping, Not aligned"_s;
    QTest::newRow("woken") << QStringList{u"SleepButton"_s, u"WakeButton"_s}
                           << u"AltAz Mount, Tracking, Not aligned"_s;
    QTest::newRow("parked") << QStringList{u"ParkButton"_s}
                            << u"AltAz Mount, Not Tracking, Scope was parked"_s;
}

void TestLx200MenusSim::mountStates()
{
    QFETCH(QStringList, items);
    QFETCH(QString, status);

    frmMain &w = *m_rig->window;
    for (const QString &item : items)
        w.findChild<QAction *>(item)->trigger();
    w.TelescopeStatusButton->trigger();
    QVERIFY(m_rig->settled());
    QCOMPARE(w.statusText(), status);
}

ORRINET_E2E_MAIN(TestLx200MenusSim)
#include "tst_lx200menus_sim.moc"
