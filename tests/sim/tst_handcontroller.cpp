// The Autostar II display frame and the keypad sequences that end in a goto.

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
    void keys(const QList<QByteArray> &commands)
    {
        for (const auto &c : commands)
            QVERIFY2(!interpreter.execute(c), c.constData());  // keypad commands answer nothing
    }

    ManualClock clock;
    Telescope telescope;
    CommandInterpreter interpreter{telescope};
};

QByteArray firstLine(const QByteArray &frame) { return frame.mid(1, 16); }
QByteArray secondLine(const QByteArray &frame) { return frame.mid(17, 16); }

const QList<QByteArray> kPolaris{":ES4734#", ":EK 51#", ":EK 48#", ":EK 56#", ":EK13#", ":EK 71#"};

} // namespace

class TestHandController : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void frameIs34Bytes();
    void polarisMacroEndsInAGoto();
    void planetMacros_data();
    void planetMacros();
    void takingShowsForAMoment();
    void keysWithAndWithoutBlank();
    void unknownStarNumber();
    void keypadGotoSkipsTheHorizonCheck();
    void parkedTelescopeRefuses();
    void modeKeyReturnsToTheMenu();
};

void TestHandController::frameIs34Bytes()
{
    Scope s;
    const QByteArray frame = s.ask(":ED#");
    QCOMPARE(frame.size(), 34);
    QCOMPARE(frame.front(), HandController::kLeadByte);
    QCOMPARE(frame.back(), '#');
    QCOMPARE(firstLine(frame), QByteArray("Select Item:    "));
    QCOMPARE(secondLine(frame), QByteArray("Object          "));
}

void TestHandController::polarisMacroEndsInAGoto()
{
    Scope s;
    s.keys(kPolaris.mid(0, 1));
    QCOMPARE(firstLine(s.ask(":ED#")), QByteArray("Object: Star    "));
    s.keys(kPolaris.mid(1, 3));
    QCOMPARE(secondLine(s.ask(":ED#")), QByteArray("Number: 08      "));
    s.keys(kPolaris.mid(4, 1));
    QByteArray frame = s.ask(":ED#");
    QCOMPARE(firstLine(frame), QByteArray("Polaris         "));
    QCOMPARE(secondLine(frame), QByteArray("RA02:31.8 +89\xDF" "16"));
    QVERIFY(!s.telescope.slewing());

    s.keys(kPolaris.mid(5, 1));
    QVERIFY(s.telescope.slewing());
    frame = s.ask(":ED#");
    QCOMPARE(frame.size(), 34);
    QCOMPARE(frame.mid(1, 6), QByteArray("Taking"));

    s.clock.advanceSec(2.0);
    frame = s.ask(":ED#");
    QCOMPARE(firstLine(frame), QByteArray("Polaris         "));
    QCOMPARE(secondLine(frame), QByteArray("Slewing...      "));

    s.clock.advanceSec(60.0);
    QVERIFY(!s.telescope.slewing());
    QCOMPARE(s.ask(":GR#"), QByteArray("02:31:49#"));
    QCOMPARE(s.ask(":GD#"), QByteArray("+89\xDF" "15:51#"));
    QCOMPARE(secondLine(s.ask(":ED#")), QByteArray("RA02:31.8 +89\xDF" "16"));
}

void TestHandController::planetMacros_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("Moon") << QByteArray(":ES4142#") << QByteArray("Moon");
    QTest::newRow("Mercury") << QByteArray(":ES3966#") << QByteArray("Mercury");
    QTest::newRow("Venus") << QByteArray(":ES3982#") << QByteArray("Venus");
    QTest::newRow("Mars") << QByteArray(":ES4014#") << QByteArray("Mars");
    QTest::newRow("Jupiter") << QByteArray(":ES4030#") << QByteArray("Jupiter");
    QTest::newRow("Saturn") << QByteArray(":ES4046#") << QByteArray("Saturn");
    QTest::newRow("Uranus") << QByteArray(":ES4062#") << QByteArray("Uranus");
    QTest::newRow("Neptune") << QByteArray(":ES4078#") << QByteArray("Neptune");
    QTest::newRow("Pluto") << QByteArray(":ES4094#") << QByteArray("Pluto");
}

void TestHandController::planetMacros()
{
    QFETCH(QByteArray, entry);
    QFETCH(QByteArray, name);
    Scope s;
    s.keys({entry});
    QByteArray frame = s.ask(":ED#");
    QCOMPARE(firstLine(frame), QByteArray("Solar System    "));
    QCOMPARE(secondLine(frame), name.leftJustified(16, ' '));

    const auto object = HandController::solarSystemObject(entry.mid(3, 4).toInt());
    QVERIFY(object.has_value());
    s.keys({":EK13#", ":EK 71#"});
    QVERIFY(s.telescope.slewing());
    QCOMPARE(s.ask(":ED#").mid(1, 6), QByteArray("Taking"));
    s.clock.advanceSec(60.0);
    QVERIFY(!s.telescope.slewing());
    frame = s.ask(":ED#");
    QCOMPARE(firstLine(frame), name.leftJustified(16, ' '));
    const Equatorial at = s.telescope.mount().position();
    QCOMPARE(at.raHours, object->position.raHours);
    QCOMPARE(at.decDegrees, object->position.decDegrees);
}

void TestHandController::takingShowsForAMoment()
{
    Scope s;
    s.keys(kPolaris);
    s.clock.advanceSec(1.4);
    QCOMPARE(s.ask(":ED#").mid(1, 6), QByteArray("Taking"));
    s.clock.advanceSec(0.2);
    QVERIFY(s.ask(":ED#").mid(1, 6) != QByteArray("Taking"));
}

void TestHandController::keysWithAndWithoutBlank()
{
    Scope s;
    s.keys({":ES4734#", ":EK51#", ":EK 48#", ":EK56#", ":EK 13#", ":EK71#"});
    QVERIFY(s.telescope.slewing());
}

void TestHandController::unknownStarNumber()
{
    Scope s;
    s.keys({":ES4734#", ":EK 51#", ":EK 57#", ":EK 57#", ":EK13#", ":EK 71#"});
    QVERIFY(!s.telescope.slewing());
    QCOMPARE(secondLine(s.ask(":ED#")), QByteArray("Not Found       "));
}

// Keypad gotos work at any hour; only ":MS#" refuses objects below the horizon.
void TestHandController::keypadGotoSkipsTheHorizonCheck()
{
    Scope s;
    s.ask(":St -89*00#");  // from the south pole, Polaris never rises
    s.keys(kPolaris);
    QVERIFY(s.telescope.slewing());
    s.ask(":Q#");
    s.ask(":Sr 02:31:49#");
    s.ask(":Sd +89:15:51#");
    QCOMPARE(s.ask(":MS#"), QByteArray("1Object Below Horizon#"));
}

void TestHandController::parkedTelescopeRefuses()
{
    Scope s;
    s.ask(":hP#");
    s.keys({":ES4014#", ":EK13#", ":EK 71#"});
    QVERIFY(!s.telescope.slewing());
    const QByteArray frame = s.ask(":ED#");
    QCOMPARE(firstLine(frame), QByteArray("Telescope Parked"));
    QCOMPARE(secondLine(frame), QByteArray("Slew Refused    "));
}

void TestHandController::modeKeyReturnsToTheMenu()
{
    Scope s;
    s.keys({":ES4014#", ":EK 77#"});
    QCOMPARE(firstLine(s.ask(":ED#")), QByteArray("Select Item:    "));
    s.keys({":EK 71#"});
    QVERIFY(!s.telescope.slewing());
}

QTEST_GUILESS_MAIN(TestHandController)
#include "tst_handcontroller.moc"
