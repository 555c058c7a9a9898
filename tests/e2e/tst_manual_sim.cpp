// Manual motion through the real serial stack against the simulator: the
// slew and focus buttons' press and release, seen in what the simulator
// received (its command log) and in how it moves (its state file).

#include "motion/manualmoves.h"
#include "support/privatesettings.h"
#include "support/simpanel.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>
#include <QTest>
#include <cmath>
#include <memory>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(orrinet::Move)

namespace {

constexpr int kSimReplyWaitMs = 3000;
constexpr int kRateSlider = 10; // 1.5 deg/s on both axes
constexpr double kRate = 1.5;

// "HH:MM:SS#" in degrees.
double raDegrees(const QString &reply)
{
    const QStringList parts = reply.chopped(1).split(u':');
    if (parts.size() != 3)
        return -1;
    return (parts[0].toDouble() + parts[1].toDouble() / 60 + parts[2].toDouble() / 3600) * 15;
}

QStringList commandsOf(const QList<LoggedCommand> &log)
{
    QStringList commands;
    for (const LoggedCommand &entry : log)
        commands << entry.command;
    return commands;
}

} // namespace

class TestManualSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase() { m_panel.reset(); }
    void ratePairIsSpacedOut();
    void oneSecondEastMovesByTheRate();
    void pressAndRelease_data();
    void pressAndRelease();

private:
    // Presses Get and waits for both replies.
    bool get();
    // Waits until a Get under way has both its replies.
    bool replied();
    QString state(const QString &key) const { return m_panel->sim.state().value(key); }

    std::unique_ptr<SimPanel> m_panel;
};

void TestManualSim::initTestCase()
{
    m_panel = std::make_unique<SimPanel>(QStringList{}, SimProcess::Observe::LogAndState);
    QVERIFY2(m_panel->connectPort(), qPrintable(m_panel->failure()));
}

bool TestManualSim::get()
{
    frmMain &w = m_panel->window;
    w.CommandGet_Click();
    return replied();
}

bool TestManualSim::replied()
{
    const frmMain &w = m_panel->window;
    return QTest::qWaitFor([&w] { return !w.WaitingRa && !w.WaitingDec; }, kSimReplyWaitMs);
}

// The hand controller drops an axis rate that follows the other too closely.
void TestManualSim::ratePairIsSpacedOut()
{
    frmMain &w = m_panel->window;
    QVERIFY(w.SliderMove->value() != kRateSlider);
    const qsizetype before = m_panel->sim.commandLog().size();
    w.SliderMove->setValue(kRateSlider);

    QList<LoggedCommand> sent;
    QTRY_VERIFY((sent = m_panel->sim.commandLog().mid(before)).size() >= 2);
    QCOMPARE(commandsOf(sent.mid(0, 2)), QStringList({u":RA01.5#"_s, u":RE01.5#"_s}));
    const double gapMs = sent[1].ms - sent[0].ms;
    QVERIFY2(gapMs >= 190 && gapMs <= 300, qPrintable(QString::number(gapMs)));
    QTRY_COMPARE(state(u"ra_rate"_s), u"1.5"_s);
    QTRY_COMPARE(state(u"dec_rate"_s), u"1.5"_s); // the state follows the log
}

// Tracking holds RA still, so what a Get shows after the release is the slew.
void TestManualSim::oneSecondEastMovesByTheRate()
{
    frmMain &w = m_panel->window;
    w.SliderMove->setValue(kRateSlider);
    w.CheckRADEC->setChecked(true);
    QVERIFY(get());
    const double start = raDegrees(w.RaString);
    QVERIFY2(start >= 0, qPrintable(w.RaString));
    const QString shown = w.LabelRADEC->text();

    QElapsedTimer held;
    held.start();
    w.CommandMove_MouseDown(Move::East);
    QTest::qWait(1000);
    QCOMPARE(state(u"ra_direction"_s), u"1"_s);
    const double seconds = held.elapsed() / 1000.0;
    w.CommandMove_MouseUp(Move::East); // pauses, then Gets the position
    QVERIFY(replied());
    QTRY_COMPARE(state(u"ra_direction"_s), u"0"_s);

    const double moved = std::remainder(raDegrees(w.RaString) - start, 360.0);
    QVERIFY2(moved >= 1.2 && moved <= 1.9,
             qPrintable(u"moved %1 deg in %2 s at %3 deg/s"_s.arg(moved).arg(seconds).arg(kRate)));
    QVERIFY2(w.LabelRADEC->text() != shown, "the Get after the release shows the new position");
}

void TestManualSim::pressAndRelease_data()
{
    QTest::addColumn<Move>("move");
    QTest::addColumn<QString>("press");
    QTest::addColumn<QString>("release");
    QTest::addColumn<QString>("key"); // in the simulator's state
    QTest::addColumn<QString>("moving");
    QTest::newRow("north") << Move::North << u":Mn#"_s << u":Qn#"_s << u"dec_direction"_s << u"1"_s;
    QTest::newRow("south") << Move::South << u":Ms#"_s << u":Qs#"_s << u"dec_direction"_s
                           << u"-1"_s;
    QTest::newRow("east") << Move::East << u":Me#"_s << u":Qe#"_s << u"ra_direction"_s << u"1"_s;
    QTest::newRow("west") << Move::West << u":Mw#"_s << u":Qw#"_s << u"ra_direction"_s << u"-1"_s;
    QTest::newRow("focus in") << Move::FocusIn << u":F+#"_s << u":FQ#"_s << u"focuser_direction"_s
                              << u"1"_s;
    QTest::newRow("focus out") << Move::FocusOut << u":F-#"_s << u":FQ#"_s << u"focuser_direction"_s
                               << u"-1"_s;
}

void TestManualSim::pressAndRelease()
{
    QFETCH(Move, move);
    QFETCH(QString, press);
    QFETCH(QString, release);
    QFETCH(QString, key);
    QFETCH(QString, moving);
    frmMain &w = m_panel->window;
    const qsizetype before = m_panel->sim.commandLog().size();

    w.CommandMove_MouseDown(move);
    QTRY_COMPARE(state(key), moving);
    w.CommandMove_MouseUp(move);
    QTRY_COMPARE(state(key), u"0"_s);
    QVERIFY(replied()); // the Get after a slew
    QCOMPARE(commandsOf(m_panel->sim.commandLog().mid(before, 2)), QStringList({press, release}));
}

ORRINET_E2E_MAIN(TestManualSim)

#include "tst_manual_sim.moc"
