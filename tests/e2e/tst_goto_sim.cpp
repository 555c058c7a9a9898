// Goto, Get and Halt through the real serial stack against the simulator:
// the panel's own line (QtSerialLine, port number mapped to the simulator's
// pseudo-terminal in the per-user settings) and real pauses. The simulator's
// site lies at latitude +33 deg 52', and it powers up pointing at the meridian;
// it never answers the firmware query, like some third-party servers.

#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "platform/platform.h"
#include "platform/qtcursor.h"
#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"
#include "platform/sleepingwait.h"
#include "support/privatesettings.h"
#include "support/scriptedmessageboxes.h"
#include "support/simprocess.h"
#include "support/waitingflags.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

constexpr int kComPort = 8;
// One exchange at 9600 baud takes a few tens of milliseconds.
constexpr int kReplyTimeoutMs = 3000;
// The simulator slews at 8 degrees a second on each axis.
constexpr int kArrivalTimeoutMs = 30000;

// Picks a declination in the lists, keeping the right ascension.
void selectDeclination(frmMain &w, bool minus, int degrees)
{
    w.ComboDECsign->setCurrentIndex(minus ? 1 : 0);
    w.ComboDECd->setCurrentIndex(89 - degrees);
    w.ComboDECm->setCurrentIndex(0);
    w.ComboDECs->setCurrentIndex(0);
}

} // namespace

class TestGotoSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void gotoAboveHorizonArrives();
    void gotoBelowHorizonIsRefused();
    void haltStopsTheSlew();

private:
    // Presses Get and waits for both replies; the label then shows the position.
    bool get();
    // Presses Goto and waits until the slew reply has been served.
    bool startGoto();

    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<QtSettingsStore> m_settings;
    std::unique_ptr<QtSerialLine> m_line;
    SleepingWait m_wait;
    ScriptedMessageBoxes m_boxes;
    orrinet::QtCursor m_cursor;
    std::unique_ptr<frmMain> m_window;
};

void TestGotoSim::initTestCase()
{
    m_sim = std::make_unique<SimProcess>(
        qEnvironmentVariable("XDG_CONFIG_HOME"),
        QStringList{u"--com"_s, QString::number(kComPort), u"--drop"_s, u":GVN#"_s});
    QVERIFY2(m_sim->isRunning(), qPrintable(m_sim->errorString()));

    // Made after the simulator has written its port mapping.
    m_settings = std::make_unique<QtSettingsStore>();
    m_line = std::make_unique<QtSerialLine>(*m_settings);
    m_window = std::make_unique<frmMain>(Platform{*m_line, *m_settings, m_wait, m_boxes, m_cursor});

    m_window->Combo1->setCurrentIndex(kComPort - 1);
    m_window->CommandConnect_Click();
    QVERIFY2(m_line->isOpen(), qPrintable(m_window->statusText()));
    QCOMPARE(m_line->device(), m_sim->ptyPath());
}

void TestGotoSim::cleanupTestCase()
{
    m_window.reset();
    m_line.reset();
    m_settings.reset();
    m_sim.reset();
}

void TestGotoSim::init()
{
    // A Get copies the telescope's position into the lists.
    m_window->CheckRADEC->setChecked(true);
    QVERIFY(get());
}

bool TestGotoSim::get()
{
    frmMain &w = *m_window;
    w.CommandGet->click();
    return QTest::qWaitFor([&w] { return !w.WaitingRa && !w.WaitingDec; }, kReplyTimeoutMs);
}

bool TestGotoSim::startGoto()
{
    frmMain &w = *m_window;
    w.CommandGotoRADEC->click();
    return QTest::qWaitFor([&w] { return raisedFlags(w).isEmpty(); }, kReplyTimeoutMs);
}

void TestGotoSim::gotoAboveHorizonArrives()
{
    frmMain &w = *m_window;
    // The firmware query's reply never comes; the Goto must still get its own.
    const int timeout = w.Timer1->interval();
    w.Timer1->setInterval(200);
    w.TelescopeInfoButton_Click();
    QTRY_COMPARE(w.statusText(), u"Timeout waiting for response"_s);
    // Near the meridian, 26 degrees from the zenith.
    selectDeclination(w, false, 60);
    w.CommandGotoRADEC->click();
    w.Timer1->setInterval(timeout);
    QVERIFY(QTest::qWaitFor([&w] { return raisedFlags(w).isEmpty(); }, kReplyTimeoutMs));
    QCOMPARE(w.DecString, u":Sd +60:00:00#"_s);
    QCOMPARE(w.statusText(), u"Goto RA/DEC  "_s + w.GotoText + u"  - Sent"_s);
    QVERIFY(w.GotoText.endsWith(u"  DEC +60\u00B0 00' 00\""_s));
    QVERIFY(!w.Timer1->isActive());

    const QString target = w.GotoText;
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < kArrivalTimeoutMs) {
        QVERIFY(get());
        if (w.LabelRADEC->text() == target)
            break;
        QTest::qWait(250);
    }
    QCOMPARE(w.LabelRADEC->text(), target);
    // The DEC reply carries the telescope's own degree mark, not the one shown.
    QCOMPARE(w.DecString, u"+60"_s + QChar(0xDF) + u"00:00#"_s);
    // The Goto's line stays: a Get shows no status text.
    QCOMPARE(w.statusText(), u"Goto RA/DEC  "_s + target + u"  - Sent"_s);
}

void TestGotoSim::gotoBelowHorizonIsRefused()
{
    frmMain &w = *m_window;
    const QString position = w.LabelRADEC->text();
    // Never rises at latitude +33 degrees.
    selectDeclination(w, true, 80);

    QVERIFY(startGoto());
    QCOMPARE(w.DecString, u":Sd -80:00:00#"_s);
    QCOMPARE(w.statusText(),
             u"Goto RA/DEC  "_s + w.GotoText + u"  Slew not possible, 1Object Below Horizon#"_s);
    QCOMPARE(w.LabelRADEC->text(), w.GotoText);

    // The whole reason was read in one piece: nothing follows as stray input.
    const QString shown = w.statusText();
    QTest::qWait(300);
    QCOMPARE(w.statusText(), shown);

    // The telescope has not moved.
    QVERIFY(get());
    QCOMPARE(w.LabelRADEC->text(), position);
}

void TestGotoSim::haltStopsTheSlew()
{
    frmMain &w = *m_window;
    const QString start = w.LabelRADEC->text();
    // 36 degrees above the southern horizon on the meridian, far enough from
    // the current position for a slew of several seconds.
    selectDeclination(w, true, 20);
    QVERIFY(startGoto());
    QVERIFY2(w.statusText().endsWith(u"  - Sent"_s), qPrintable(w.statusText()));
    const QString target = w.GotoText;

    QTest::qWait(500);
    w.CommandGotoAbort->click();
    QCOMPARE(w.statusText(), u"Goto cancelled."_s);

    QVERIFY(get());
    const QString stopped = w.LabelRADEC->text();
    QVERIFY(stopped != start);
    QVERIFY(stopped != target);
    QTest::qWait(1000);
    QVERIFY(get());
    QCOMPARE(w.LabelRADEC->text(), stopped);
}

ORRINET_E2E_MAIN(TestGotoSim)

#include "tst_goto_sim.moc"
