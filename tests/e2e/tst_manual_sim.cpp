// The slew and focus buttons against the simulator, seen in its command log
// and state file.

#include "motion/manualmoves.h"
#include "support/simpanel.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>
#include <cmath>
#include <memory>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(orrinet::Move)

namespace {

constexpr int kRateSlider = 10; // 1.5 deg/s on both axes

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
    void initTestCase()
    {
        m_panel = std::make_unique<SimPanel>(QStringList{}, SimProcess::Observe::LogAndState);
        QVERIFY2(m_panel->connectPort(), qPrintable(m_panel->failure()));
    }

    void cleanupTestCase() { m_panel.reset(); }
    // The hand controller drops an axis rate that follows the other too closely.
    void ratePairIsSpacedOut()
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
    }

    // Tracking holds RA still, so what a Get shows after the release is the slew.
    void oneSecondEastMovesByTheRate()
    {
        frmMain &w = m_panel->window;
        w.SliderMove->setValue(kRateSlider);
        w.CheckRADEC->setChecked(true);
        QVERIFY(m_panel->get());
        const double start = raDegrees(w.RaString);
        QVERIFY2(start >= 0, qPrintable(w.RaString));
        const QString shown = w.LabelRADEC->text();

        w.CommandMove_MouseDown(Move::East);
        QTest::qWait(1000);
        w.CommandMove_MouseUp(Move::East); // pauses, then Gets the position
        QVERIFY(m_panel->settled());
        const double moved = std::remainder(raDegrees(w.RaString) - start, 360.0);
        QVERIFY2(moved >= 1.2 && moved <= 1.9, qPrintable(u"moved %1 deg"_s.arg(moved)));
        QVERIFY2(w.LabelRADEC->text() != shown, "the Get after the release shows the new position");
    }

    void pressAndRelease_data()
    {
        QTest::addColumn<Move>("move");
        QTest::addColumn<QString>("press");
        QTest::addColumn<QString>("release");
        QTest::addColumn<QString>("key"); // in the simulator's state
        QTest::addColumn<QString>("moving");
        const auto row = [](const char *name, Move move, const char *press, const char *release,
                            const char *key, const char *moving) {
            QTest::newRow(name) << move << QString(press) << QString(release) << QString(key)
                                << QString(moving);
        };
        row("north", Move::North, ":Mn#", ":Qn#", "dec_direction", "1");
        row("south", Move::South, ":Ms#", ":Qs#", "dec_direction", "-1");
        row("east", Move::East, ":Me#", ":Qe#", "ra_direction", "1");
        row("west", Move::West, ":Mw#", ":Qw#", "ra_direction", "-1");
        row("focus in", Move::FocusIn, ":F+#", ":FQ#", "focuser_direction", "1");
        row("focus out", Move::FocusOut, ":F-#", ":FQ#", "focuser_direction", "-1");
    }

    void pressAndRelease()
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
        QVERIFY(m_panel->settled()); // the Get after a slew
        QCOMPARE(commandsOf(m_panel->sim.commandLog().mid(before, 2)),
                 QStringList({press, release}));
    }

private:
    QString state(const QString &key) const { return m_panel->sim.state().value(key); }

    std::unique_ptr<SimPanel> m_panel;
};

ORRINET_E2E_MAIN(TestManualSim)

#include "tst_manual_sim.moc"
