// A telescope that moves: gotos, manual slews, tracking, guiding and the
// focuser, all on hand-driven time.

#include "angles.h"
#include "interpreter.h"
#include "simtestsupport.h"

#include <QtTest>

using namespace lx200sim;

namespace {

struct Scope {
    Scope() : telescope(clock, simtest::fixedConfig()) {}

    QByteArray ask(const QByteArray &command)
    {
        const auto reply = interpreter.execute(command);
        return reply ? reply->bytes : QByteArray();
    }
    void put(const Equatorial &position)
    {
        telescope.mount().syncTo(position);
    }
    Equatorial where() { return telescope.mount().position(); }

    ManualClock clock;
    Telescope telescope;
    CommandInterpreter interpreter{telescope};
};

constexpr double kEps = 1e-9;

double raDegreesBetween(const Equatorial &from, const Equatorial &to)
{
    return wrap180((to.raHours - from.raHours) * 15.0);
}

} // namespace

class TestMotion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void gotoMovesEachAxisAtItsRate();
    void gotoReadsIntermediatePositionsOverTheWire();
    void gotoTakesTheShortWayRoundRa();
    void gotoArrivesWithoutTracking();
    void haltEndsAGoto();
    void manualRates_data();
    void manualRates();
    void directions_data();
    void directions();
    void stopsPerAxis();
    void declinationStopsAtThePole();
    void trackingHoldsRaWhileTheSkyTurns();
    void untrackedMountHoldsAltAz();
    void guidePulseEndsByItself();
    void manualMovesIgnoredWhenParkedOrSlewing();
    void focuser_data();
    void focuser();
};

void TestMotion::gotoMovesEachAxisAtItsRate()
{
    Scope s;
    const Equatorial start{3.0, 45.0};
    const Equatorial target{5.0, 60.0};  // 30 degrees of RA, 15 of declination
    s.put(start);
    s.telescope.slewTo(target, {});

    s.clock.advanceSec(1.0);
    Equatorial p = s.where();
    QVERIFY(qAbs(raDegreesBetween(start, p) - Mount::kGotoRate) < kEps);
    QVERIFY(qAbs(p.decDegrees - (45.0 + Mount::kGotoRate)) < kEps);
    QVERIFY(s.telescope.slewing());

    s.clock.advanceSec(1.0);  // declination done after 15/8 s, RA still moving
    p = s.where();
    QCOMPARE(p.decDegrees, 60.0);
    QVERIFY(qAbs(raDegreesBetween(start, p) - 2 * Mount::kGotoRate) < kEps);

    s.clock.advanceSec(30.0 / Mount::kGotoRate - 2.0 - 0.01);
    QVERIFY(s.telescope.slewing());
    s.clock.advanceSec(0.02);
    QVERIFY(!s.telescope.slewing());
    p = s.where();
    QCOMPARE(p.raHours, 5.0);
    QCOMPARE(p.decDegrees, 60.0);
}

void TestMotion::gotoReadsIntermediatePositionsOverTheWire()
{
    Scope s;
    s.ask(":Sr 01:00:00#");
    s.ask(":Sd +10:00:00#");
    s.ask(":CS#");
    QCOMPARE(s.ask(":Sr 03:00:00#"), QByteArray("1"));
    QCOMPARE(s.ask(":Sd +40:00:00#"), QByteArray("1"));
    QCOMPARE(s.ask(":MS#"), QByteArray("0"));

    s.clock.advanceSec(2.0);  // 16 degrees each: RA 1h + 16/15 h, DEC 26
    QCOMPARE(s.ask(":GR#"), QByteArray("02:04:00#"));
    QCOMPARE(s.ask(":GD#"), QByteArray("+26\xDF" "00:00#"));
    QCOMPARE(s.ask(":D#"), QByteArray("|#"));

    s.clock.advanceSec(2.0);  // 30 degrees needed 3.75 s
    QCOMPARE(s.ask(":GR#"), QByteArray("03:00:00#"));
    QCOMPARE(s.ask(":GD#"), QByteArray("+40\xDF" "00:00#"));
    QCOMPARE(s.ask(":D#"), QByteArray("#"));
}

void TestMotion::gotoTakesTheShortWayRoundRa()
{
    Scope s;
    s.put({23.0, 30.0});
    s.telescope.slewTo({1.0, 30.0}, {});
    s.clock.advanceSec(30.0 / Mount::kGotoRate + 0.01);
    QVERIFY(!s.telescope.slewing());
    QCOMPARE(s.where().raHours, 1.0);
}

void TestMotion::gotoArrivesWithoutTracking()
{
    Scope s;
    s.ask(":AL#");
    s.put({4.0, 20.0});
    s.telescope.slewTo({4.5, 25.0}, {});
    s.clock.advanceSec(2.0);
    QVERIFY(!s.telescope.slewing());
    QCOMPARE(s.where().raHours, 4.5);
    QCOMPARE(s.where().decDegrees, 25.0);
}

void TestMotion::haltEndsAGoto()
{
    Scope s;
    s.put({4.0, 20.0});
    s.telescope.slewTo({8.0, 60.0}, {});
    s.clock.advanceSec(1.0);
    s.ask(":Q#");
    const Equatorial stopped = s.where();
    s.clock.advanceSec(5.0);
    QVERIFY(!s.telescope.slewing());
    QCOMPARE(s.where().raHours, stopped.raHours);
    QCOMPARE(s.where().decDegrees, 28.0);
}

void TestMotion::manualRates_data()
{
    QTest::addColumn<QList<QByteArray>>("rateCommands");
    QTest::addColumn<double>("raRate");
    QTest::addColumn<double>("decRate");
    const double sidereal = 360.0 / 86164.0905;
    QTest::newRow("guide, 1x sidereal") << QList<QByteArray>{":RG#"} << sidereal << sidereal;
    QTest::newRow("centering, 16x sidereal") << QList<QByteArray>{":RC#"} << 16 * sidereal << 16 * sidereal;
    QTest::newRow("find") << QList<QByteArray>{":RM#"} << 1.5 << 1.5;
    QTest::newRow("max") << QList<QByteArray>{":RS#"} << 8.0 << 8.0;
    QTest::newRow("degrees per second pair") << QList<QByteArray>{":RA01.5#", ":RE01.5#"} << 1.5 << 1.5;
    QTest::newRow("separate axes") << QList<QByteArray>{":RA00.3#", ":RE05.0#"} << 0.3 << 5.0;
    QTest::newRow("out of range ignored") << QList<QByteArray>{":RM#", ":RA09.0#", ":REabc#"} << 1.5 << 1.5;
}

// A slew at a rate moves that many degrees in a second.
void TestMotion::manualRates()
{
    QFETCH(QList<QByteArray>, rateCommands);
    QFETCH(double, raRate);
    QFETCH(double, decRate);
    Scope s;
    s.put({6.0, 10.0});
    for (const auto &c : rateCommands)
        s.ask(c);
    s.ask(":Mn#");
    s.ask(":Me#");
    s.clock.advanceSec(1.0);
    const Equatorial p = s.where();
    QVERIFY2(qAbs(p.decDegrees - (10.0 + decRate)) < 1e-9, qPrintable(QString::number(p.decDegrees, 'f', 6)));
    QVERIFY(qAbs(raDegreesBetween({6.0, 10.0}, p) - raRate) < 1e-9);
}

void TestMotion::directions_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<double>("raDegrees");
    QTest::addColumn<double>("decDegrees");
    QTest::newRow("north") << QByteArray(":Mn#") << 0.0 << 1.5;
    QTest::newRow("south") << QByteArray(":Ms#") << 0.0 << -1.5;
    QTest::newRow("east raises RA") << QByteArray(":Me#") << 1.5 << 0.0;
    QTest::newRow("west lowers RA") << QByteArray(":Mw#") << -1.5 << 0.0;
}

void TestMotion::directions()
{
    QFETCH(QByteArray, command);
    QFETCH(double, raDegrees);
    QFETCH(double, decDegrees);
    Scope s;
    const Equatorial start{0.05, 0.0};  // moves west across RA 0
    s.put(start);
    s.ask(":RM#");
    s.ask(command);
    s.clock.advanceSec(1.0);
    const Equatorial p = s.where();
    QVERIFY(qAbs(raDegreesBetween(start, p) - raDegrees) < 1e-9);
    QVERIFY(qAbs(p.decDegrees - decDegrees) < 1e-9);
}

void TestMotion::stopsPerAxis()
{
    Scope s;
    s.put({6.0, 10.0});
    s.ask(":RM#");
    s.ask(":Mn#");
    s.ask(":Mw#");
    s.clock.advanceSec(1.0);
    s.ask(":Qn#");
    s.clock.advanceSec(1.0);
    Equatorial p = s.where();
    QVERIFY(qAbs(p.decDegrees - 11.5) < kEps);
    QVERIFY(qAbs(raDegreesBetween({6.0, 10.0}, p) + 3.0) < kEps);
    s.ask(":Ms#");
    s.ask(":Q#");
    s.clock.advanceSec(1.0);
    const Equatorial after = s.where();
    QCOMPARE(after.decDegrees, p.decDegrees);
    QCOMPARE(after.raHours, p.raHours);
    QVERIFY(!s.telescope.mount().moving());
}

void TestMotion::declinationStopsAtThePole()
{
    Scope s;
    s.put({6.0, 85.0});
    s.ask(":RS#");
    s.ask(":Mn#");
    s.clock.advanceSec(2.0);
    QCOMPARE(s.where().decDegrees, 90.0);
}

void TestMotion::trackingHoldsRaWhileTheSkyTurns()
{
    Scope s;
    s.ask(":Sr 06:00:00#");
    s.ask(":Sd +20:00:00#");
    s.ask(":CS#");
    const QByteArray altitude = s.ask(":GA#");
    s.clock.advanceSec(600.0);
    QCOMPARE(s.ask(":GR#"), QByteArray("06:00:00#"));
    QCOMPARE(s.ask(":GD#"), QByteArray("+20\xDF" "00:00#"));
    QVERIFY(s.ask(":GA#") != altitude);
}

// Without tracking the axes stand still against the ground: RA runs on at
// the sidereal rate, azimuth and altitude stay.
void TestMotion::untrackedMountHoldsAltAz()
{
    Scope s;
    s.ask(":AL#");
    s.put({6.0, 20.0});
    const QByteArray azimuth = s.ask(":GZ#");
    const QByteArray altitude = s.ask(":GA#");
    s.clock.advanceSec(3600.0);
    QCOMPARE(s.ask(":GZ#"), azimuth);
    QCOMPARE(s.ask(":GA#"), altitude);
    const double expectedRa = 6.0 + 3600.0 * (360.0 / 86164.0905) / 15.0;
    QVERIFY(qAbs(s.where().raHours - expectedRa) < 1e-9);
}

void TestMotion::guidePulseEndsByItself()
{
    Scope s;
    s.put({6.0, 10.0});
    s.ask(":RS#");
    QVERIFY(!s.interpreter.execute(":Mgn1000#"));
    s.clock.advanceSec(0.5);
    QVERIFY(s.telescope.mount().moving());
    s.clock.advanceSec(2.5);
    QVERIFY(!s.telescope.mount().moving());
    QVERIFY(qAbs(s.where().decDegrees - (10.0 + Mount::kGuideRate)) < kEps);
    s.ask(":Mgw2000#");
    s.clock.advanceSec(3.0);
    QVERIFY(qAbs(raDegreesBetween({6.0, 10.0}, s.where()) + 2 * Mount::kGuideRate) < kEps);
}

void TestMotion::manualMovesIgnoredWhenParkedOrSlewing()
{
    Scope s;
    s.put({6.0, 10.0});
    s.ask(":hP#");
    s.ask(":RM#");
    s.ask(":Mn#");
    s.clock.advanceSec(1.0);
    QCOMPARE(s.where().decDegrees, 10.0);

    s.ask(":I#");
    s.telescope.slewTo({6.0, 30.0}, {});
    s.ask(":Ms#");  // a goto is not interrupted by a direction key
    s.clock.advanceSec(3.0);
    QCOMPARE(s.where().decDegrees, 30.0);
    QVERIFY(!s.telescope.mount().moving());
}

void TestMotion::focuser_data()
{
    QTest::addColumn<QByteArray>("speed");
    QTest::addColumn<QByteArray>("direction");
    QTest::addColumn<double>("stepsPerSecond");
    QTest::newRow("in, fastest") << QByteArray(":F4#") << QByteArray(":F+#") << 1000.0;
    QTest::newRow("out, slowest") << QByteArray(":F1#") << QByteArray(":F-#") << -10.0;
    QTest::newRow("speed 2") << QByteArray(":F2#") << QByteArray(":F+#") << 50.0;
    QTest::newRow("speed 3") << QByteArray(":F3#") << QByteArray(":F-#") << -200.0;
    QTest::newRow("slow") << QByteArray(":FS#") << QByteArray(":F+#") << 10.0;
    QTest::newRow("fast") << QByteArray(":FF#") << QByteArray(":F-#") << -1000.0;
}

void TestMotion::focuser()
{
    QFETCH(QByteArray, speed);
    QFETCH(QByteArray, direction);
    QFETCH(double, stepsPerSecond);
    Scope s;
    const double start = s.telescope.focuser().position();
    s.ask(speed);
    s.ask(direction);
    s.clock.advanceSec(2.0);
    QCOMPARE(s.ask(":FB#"), QByteArray("1"));
    s.ask(":FQ#");
    QCOMPARE(s.ask(":FB#"), QByteArray("0"));
    s.clock.advanceSec(2.0);
    QCOMPARE(s.telescope.focuser().position(), start + 2.0 * stepsPerSecond);
}

QTEST_GUILESS_MAIN(TestMotion)
#include "tst_motion.moc"
