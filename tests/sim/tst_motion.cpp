// A telescope that moves on hand-driven time: gotos, manual slews, halting,
// tracking and the keypad goto.

#include "angles.h"
#include "simtestsupport.h"

#include <QtTest>

using namespace lx200sim;

class TestMotion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void gotoArrivesAtItsTarget();
    void manualSlew_data();
    void manualSlew();
    void haltEndsAGoto();
    void trackingHoldsRaWhileTheSkyTurns();
    void keypadGotoArrives();
    void takingControlLastsAsSet();
};

// Both axes move at 8 degrees a second; read back over the wire.
void TestMotion::gotoArrivesAtItsTarget()
{
    simtest::Line line;
    line.exchange(":Sr 01:00:00#:Sd +10:00:00#:CS#");
    QCOMPARE(line.exchange(":Sr 03:00:00#:Sd +40:00:00#:MS#"), QByteArray("110"));

    line.clock.advanceSec(2.0);  // 16 degrees each: RA 1h + 16/15 h, DEC 26
    QCOMPARE(line.exchange(":GR#:GD#:D#"), QByteArray("02:04:00#+26\xDF" "00:00#|#"));

    line.clock.advanceSec(2.0);  // 30 degrees of RA need 3.75 s
    QCOMPARE(line.exchange(":GR#:GD#:D#"), QByteArray("03:00:00#+40\xDF" "00:00##"));
    QVERIFY(!line.telescope.slewing());
}

void TestMotion::manualSlew_data()
{
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<double>("raDegrees");
    QTest::addColumn<double>("decDegrees");
    QTest::newRow("find rate north") << QByteArray(":RM#:Mn#") << 0.0 << 1.5;
    QTest::newRow("1.5 deg/s pair west") << QByteArray(":RA01.5#:RE01.5#:Mw#") << -1.5 << 0.0;
    QTest::newRow("max rate south") << QByteArray(":RS#:Ms#") << 0.0 << -8.0;
    QTest::newRow("guide rate east") << QByteArray(":RG#:Me#") << Mount::kGuideRate << 0.0;
    QTest::newRow("out-of-range rate ignored") << QByteArray(":RM#:RA09.0#:Me#") << 1.5 << 0.0;
    QTest::newRow("woken moves again") << QByteArray(":hN#:hW#:RM#:Mn#") << 0.0 << 1.5;
}

void TestMotion::manualSlew()
{
    QFETCH(QByteArray, commands);
    QFETCH(double, raDegrees);
    QFETCH(double, decDegrees);
    simtest::Line line;
    const Equatorial start{6.0, 10.0};
    line.telescope.mount().syncTo(start);
    QCOMPARE(line.exchange(commands), QByteArray());
    line.clock.advanceSec(1.0);
    const Equatorial p = line.telescope.mount().position();
    QVERIFY(qAbs(wrap180((p.raHours - start.raHours) * 15.0) - raDegrees) < 1e-9);
    QVERIFY(qAbs(p.decDegrees - start.decDegrees - decDegrees) < 1e-9);
}

void TestMotion::haltEndsAGoto()
{
    simtest::Line line;
    line.telescope.mount().syncTo({4.0, 20.0});
    QCOMPARE(line.exchange(":Sr 08:00:00#:Sd +60:00:00#:MS#"), QByteArray("110"));
    line.clock.advanceSec(1.0);
    line.exchange(":Q#");
    const QByteArray stopped = line.exchange(":GR#:GD#");
    QVERIFY(stopped.endsWith("+28\xDF" "00:00#"));
    line.clock.advanceSec(5.0);
    QCOMPARE(line.exchange(":GR#:GD#"), stopped);
    QVERIFY(!line.telescope.slewing());
}

void TestMotion::trackingHoldsRaWhileTheSkyTurns()
{
    simtest::Line line;
    line.exchange(":Sr 06:00:00#:Sd +20:00:00#:CS#");
    const QByteArray altitude = line.exchange(":GA#");
    line.clock.advanceSec(600.0);
    QCOMPARE(line.exchange(":GR#:GD#"), QByteArray("06:00:00#+20\xDF" "00:00#"));
    QVERIFY(line.exchange(":GA#") != altitude);
}

// Star 8 from the keypad: the goto skips the horizon check and shows
// "Slewing..." on the display until it arrives.
void TestMotion::keypadGotoArrives()
{
    simtest::Line line;
    line.exchange(":St -89*00#");  // from the south pole, Polaris never rises
    QCOMPARE(line.exchange(":ES4734#:EK 51#:EK 48#:EK 56#:EK13#:EK 71#"), QByteArray());
    QVERIFY(line.telescope.slewing());
    line.clock.advanceSec(2.0);
    QCOMPARE(line.exchange(":ED#"), QByteArray(" Polaris         Slewing...      #"));
    line.clock.advanceSec(60.0);
    QVERIFY(!line.telescope.slewing());
    QCOMPARE(line.exchange(":GR#:GD#"), QByteArray("02:31:49#+89\xDF" "15:51#"));
}

void TestMotion::takingControlLastsAsSet()
{
    lx200sim::TelescopeConfig config = simtest::Line::config();
    config.takingNs = 200 * lx200sim::kNsPerMs;
    simtest::Line line({}, 0, config);
    line.exchange(":ES4014#:EK13#:EK 71#");
    line.clock.advanceMs(199);
    QCOMPARE(line.exchange(":ED#"), QByteArray(" Taking Control  Please Wait...  #"));
    line.clock.advanceMs(1);
    QCOMPARE(line.exchange(":ED#"), QByteArray(" Mars            Slewing...      #"));
}

QTEST_GUILESS_MAIN(TestMotion)
#include "tst_motion.moc"
