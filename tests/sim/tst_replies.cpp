// The reply to every command, byte for byte, as the LX200GPS sends it.

#include "interpreter.h"
#include "simtestsupport.h"

#include <QtTest>

using namespace lx200sim;

namespace {

// Runs a script of commands on a fresh telescope and returns the last reply.
struct Scope {
    explicit Scope(MountType type = MountType::AltAz) : telescope(clock, simtest::fixedConfig(type)) {}

    std::optional<Reply> run(const QByteArray &command) { return interpreter.execute(command); }
    QByteArray ask(const QByteArray &command)
    {
        const auto reply = run(command);
        return reply ? reply->bytes : QByteArray("<none>");
    }
    void script(const QList<QByteArray> &commands)
    {
        for (const auto &c : commands)
            run(c);
    }

    ManualClock clock;
    Telescope telescope;
    CommandInterpreter interpreter{telescope};
};

} // namespace

class TestReplies : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fixedReplies_data();
    void fixedReplies();
    void silentCommands_data();
    void silentCommands();
    void ackGivesMountType_data();
    void ackGivesMountType();
    void positionInLongAndShortForm();
    void azimuthAltitudeAtThePole();
    void siderealTime_data();
    void siderealTime();
    void targetSetters_data();
    void targetSetters();
    void siteAndTimeSetters_data();
    void siteAndTimeSetters();
    void setDateAnswersTwoTexts();
    void localTimeRuns();
    void precisionToggles();
    void slewReplies_data();
    void slewReplies();
    void statusLetters_data();
    void statusLetters();
    void delayedReplies_data();
    void delayedReplies();
    void syncAnswersObjectText();
};

void TestReplies::fixedReplies_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("product") << QByteArray(":GVP#") << QByteArray("LX2001#");
    QTest::newRow("firmware") << QByteArray(":GVN#") << QByteArray("4.2l#");
    QTest::newRow("firmware date") << QByteArray(":GVD#") << QByteArray("Oct 05 2007#");
    QTest::newRow("firmware time") << QByteArray(":GVT#") << QByteArray("10:26:17#");
    QTest::newRow("full version") << QByteArray(":GVF#") << QByteArray("LX200GPS 4.2l#");
    QTest::newRow("clock format") << QByteArray(":Gc#") << QByteArray("24#");
    QTest::newRow("tracking rate") << QByteArray(":GT#") << QByteArray("+60.1#");
    QTest::newRow("latitude") << QByteArray(":Gt#") << QByteArray("+33\xDF" "52#");
    QTest::newRow("longitude, west positive") << QByteArray(":Gg#") << QByteArray("+117\xDF" "05#");
    QTest::newRow("utc offset") << QByteArray(":GG#") << QByteArray("+08.0#");
    QTest::newRow("site 1") << QByteArray(":GM#") << QByteArray("Home#");
    QTest::newRow("site 4") << QByteArray(":GP#") << QByteArray("Site 4#");
    QTest::newRow("status") << QByteArray(":GW#") << QByteArray("AT0#");
    QTest::newRow("distance bars idle") << QByteArray(":D#") << QByteArray("#");
    QTest::newRow("focuser idle") << QByteArray(":FB#") << QByteArray("0");
    QTest::newRow("local time") << QByteArray(":GL#") << QByteArray("20:00:00#");
    QTest::newRow("local time 12h") << QByteArray(":Ga#") << QByteArray("08:00:00#");
    QTest::newRow("local date") << QByteArray(":GC#") << QByteArray("03/14/24#");
}

// The fixed start is 04:00 UTC on 15 March 2024; with the default offset of
// +8 hours the telescope's local time is 20:00 on the 14th.
void TestReplies::fixedReplies()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    Scope scope;
    QCOMPARE(scope.ask(command), reply);
}

void TestReplies::silentCommands_data()
{
    QTest::addColumn<QByteArray>("command");
    for (const char *c : {":Q#", ":Qn#", ":Qs#", ":Qe#", ":Qw#", ":Mn#", ":Ms#", ":Me#", ":Mw#", ":Mgn0500#",
                          ":RG#", ":RC#", ":RM#", ":RS#", ":RA01.5#", ":RE01.5#", ":F+#", ":F-#", ":FQ#",
                          ":F1#", ":F4#", ":I#", ":hF#", ":hS#", ":hP#", ":hN#", ":hW#", ":U#", ":EK13#",
                          ":EK 71#", ":ES4734#", ":CS#", ":AL#", ":XY#", ":GX#", ":#", ":G R#"})
        QTest::newRow(c) << QByteArray(c);
}

void TestReplies::silentCommands()
{
    QFETCH(QByteArray, command);
    Scope scope;
    QVERIFY(!scope.run(command).has_value());
}

void TestReplies::ackGivesMountType_data()
{
    QTest::addColumn<MountType>("type");
    QTest::addColumn<QByteArray>("ack");
    QTest::addColumn<QByteArray>("status");
    QTest::newRow("alt-az") << MountType::AltAz << QByteArray("A") << QByteArray("AT0#");
    QTest::newRow("polar") << MountType::Polar << QByteArray("P") << QByteArray("PT0#");
    QTest::newRow("german") << MountType::German << QByteArray("G") << QByteArray("GT0#");
}

void TestReplies::ackGivesMountType()
{
    QFETCH(MountType, type);
    QFETCH(QByteArray, ack);
    QFETCH(QByteArray, status);
    Scope scope(type);
    QCOMPARE(scope.ask("\x06"), ack);
    QCOMPARE(scope.ask(":GW#"), status);
}

void TestReplies::positionInLongAndShortForm()
{
    Scope scope;
    scope.script({":Sr 12:34:56#", ":Sd -45*30:15#", ":CS#"});
    QCOMPARE(scope.ask(":GR#"), QByteArray("12:34:56#"));
    QCOMPARE(scope.ask(":GD#"), QByteArray("-45\xDF" "30:15#"));
    QCOMPARE(scope.ask(":Gr#"), QByteArray("12:34:56#"));
    QCOMPARE(scope.ask(":Gd#"), QByteArray("-45\xDF" "30:15#"));
    scope.run(":U#");
    QCOMPARE(scope.ask(":GR#"), QByteArray("12:34.9#"));
    QCOMPARE(scope.ask(":GD#"), QByteArray("-45\xDF" "30#"));
    scope.run(":U#");
    QCOMPARE(scope.ask(":GR#"), QByteArray("12:34:56#"));
    QCOMPARE(scope.ask(":GD#"), QByteArray("-45\xDF" "30:15#"));
}

// At the celestial pole the altitude equals the latitude and the azimuth is north.
void TestReplies::azimuthAltitudeAtThePole()
{
    Scope scope;
    scope.script({":Sd +90*00:00#", ":CS#"});
    QCOMPARE(scope.ask(":GZ#"), QByteArray("000\xDF" "00:00#"));
    QCOMPARE(scope.ask(":GA#"), QByteArray("+33\xDF" "52:00#"));
    scope.run(":U#");
    QCOMPARE(scope.ask(":GZ#"), QByteArray("000\xDF" "00#"));
    QCOMPARE(scope.ask(":GA#"), QByteArray("+33\xDF" "52#"));
    scope.script({":U#", ":St -33*52#"});
    QCOMPARE(scope.ask(":GA#"), QByteArray("-33\xDF" "52:00#"));
}

void TestReplies::siderealTime_data()
{
    QTest::addColumn<QByteArray>("longitude");
    QTest::addColumn<QByteArray>("lst");
    // GMST at 2000-01-01 12:00 UT is 18h41m50.55s.
    QTest::newRow("greenwich") << QByteArray(":Sg 000*00#") << QByteArray("18:41:51#");
    QTest::newRow("117 05 west") << QByteArray(":Sg 117*05#") << QByteArray("10:53:31#");
    QTest::newRow("90 east") << QByteArray(":Sg -090*00#") << QByteArray("00:41:51#");
}

void TestReplies::siderealTime()
{
    QFETCH(QByteArray, longitude);
    QFETCH(QByteArray, lst);
    ManualClock clock;
    TelescopeConfig config = simtest::fixedConfig();
    config.utcAtStart = QDateTime(QDate(2000, 1, 1), QTime(12, 0), QTimeZone::utc());
    Telescope telescope(clock, config);
    CommandInterpreter interpreter(telescope);
    QCOMPARE(interpreter.execute(longitude)->bytes, QByteArray("1"));
    QCOMPARE(interpreter.execute(":GS#")->bytes, lst);
}

void TestReplies::targetSetters_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("readBack");
    QTest::newRow("RA with blank") << QByteArray(":Sr 05:07:09#") << QByteArray("1") << QByteArray(":Gr#")
                                   << QByteArray("05:07:09#");
    QTest::newRow("RA without blank") << QByteArray(":Sr05:07:09#") << QByteArray("1") << QByteArray(":Gr#")
                                      << QByteArray("05:07:09#");
    QTest::newRow("RA short form") << QByteArray(":Sr 05:07.5#") << QByteArray("1") << QByteArray(":Gr#")
                                   << QByteArray("05:07:30#");
    QTest::newRow("RA hour 24 refused") << QByteArray(":Sr 24:00:00#") << QByteArray("0") << QByteArray(":Gr#")
                                        << QByteArray();
    QTest::newRow("RA garbage refused") << QByteArray(":Sr 5h7m#") << QByteArray("0") << QByteArray(":Gr#")
                                        << QByteArray();
    QTest::newRow("DEC colon") << QByteArray(":Sd -07:30:00#") << QByteArray("1") << QByteArray(":Gd#")
                               << QByteArray("-07\xDF" "30:00#");
    QTest::newRow("DEC star, no blank") << QByteArray(":Sd+07*30:00#") << QByteArray("1") << QByteArray(":Gd#")
                                        << QByteArray("+07\xDF" "30:00#");
    QTest::newRow("DEC degree byte") << QByteArray(":Sd -07\xDF" "30:00#") << QByteArray("1")
                                     << QByteArray(":Gd#") << QByteArray("-07\xDF" "30:00#");
    QTest::newRow("DEC short form") << QByteArray(":Sd +89*15#") << QByteArray("1") << QByteArray(":Gd#")
                                    << QByteArray("+89\xDF" "15:00#");
    QTest::newRow("DEC 91 refused") << QByteArray(":Sd +91:00:00#") << QByteArray("0") << QByteArray(":Gd#")
                                    << QByteArray();
    QTest::newRow("DEC minute 60 refused") << QByteArray(":Sd +10:60:00#") << QByteArray("0")
                                           << QByteArray(":Gd#") << QByteArray();
}

// Refused targets leave the power-up target (the meridian at +45) in place.
void TestReplies::targetSetters()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, readBack);
    Scope scope;
    const QByteArray before = scope.ask(query);
    QCOMPARE(scope.ask(command), reply);
    QCOMPARE(scope.ask(query), reply == "1" ? readBack : before);
}

void TestReplies::siteAndTimeSetters_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("readBack");
    QTest::newRow("latitude south") << QByteArray(":St -33*52#") << QByteArray("1") << QByteArray(":Gt#")
                                    << QByteArray("-33\xDF" "52#");
    QTest::newRow("latitude 91") << QByteArray(":St +91*00#") << QByteArray("0") << QByteArray(":Gt#")
                                 << QByteArray("+33\xDF" "52#");
    QTest::newRow("longitude west") << QByteArray(":Sg 010*30#") << QByteArray("1") << QByteArray(":Gg#")
                                    << QByteArray("+010\xDF" "30#");
    QTest::newRow("longitude 349 is 11 east") << QByteArray(":Sg 349*00#") << QByteArray("1")
                                              << QByteArray(":Gg#") << QByteArray("-011\xDF" "00#");
    QTest::newRow("longitude 361") << QByteArray(":Sg 361*00#") << QByteArray("0") << QByteArray(":Gg#")
                                   << QByteArray("+117\xDF" "05#");
    QTest::newRow("offset") << QByteArray(":SG -05.0#") << QByteArray("1") << QByteArray(":GG#")
                            << QByteArray("-05.0#");
    QTest::newRow("offset keeps local time") << QByteArray(":SG -05.0#") << QByteArray("1") << QByteArray(":GL#")
                                             << QByteArray("20:00:00#");
    QTest::newRow("offset 25") << QByteArray(":SG +25#") << QByteArray("0") << QByteArray(":GG#")
                               << QByteArray("+08.0#");
    QTest::newRow("local time") << QByteArray(":SL 21:15:30#") << QByteArray("1") << QByteArray(":GL#")
                                << QByteArray("21:15:30#");
    QTest::newRow("local time keeps date") << QByteArray(":SL 21:15:30#") << QByteArray("1")
                                           << QByteArray(":GC#") << QByteArray("03/14/24#");
    QTest::newRow("local time 25h") << QByteArray(":SL 25:00:00#") << QByteArray("0") << QByteArray(":GL#")
                                    << QByteArray("20:00:00#");
    QTest::newRow("date 13th month") << QByteArray(":SC 13/01/24#") << QByteArray("0") << QByteArray(":GC#")
                                     << QByteArray("03/14/24#");
    QTest::newRow("site name") << QByteArray(":SM Backyard#") << QByteArray("1") << QByteArray(":GM#")
                               << QByteArray("Backyard#");
}

void TestReplies::siteAndTimeSetters()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, readBack);
    Scope scope;
    QCOMPARE(scope.ask(command), reply);
    QCOMPARE(scope.ask(query), readBack);
}

void TestReplies::setDateAnswersTwoTexts()
{
    Scope scope;
    const QByteArray reply = scope.ask(":SC 07/04/25#");
    QCOMPARE(reply, QByteArray("1Updating Planetary Data         #                                #"));
    QCOMPARE(reply.size(), 1 + 33 + 33);
    QCOMPARE(scope.ask(":GC#"), QByteArray("07/04/25#"));
    QCOMPARE(scope.ask(":GL#"), QByteArray("20:00:00#"));
}

void TestReplies::localTimeRuns()
{
    Scope scope;
    scope.run(":SL 23:59:58#");
    scope.clock.advanceSec(3);
    QCOMPARE(scope.ask(":GL#"), QByteArray("00:00:01#"));
    QCOMPARE(scope.ask(":GC#"), QByteArray("03/15/24#"));
}

void TestReplies::precisionToggles()
{
    Scope scope;
    QCOMPARE(scope.ask(":P#"), QByteArray("HIGH PRECISION"));
    QCOMPARE(scope.ask(":P#"), QByteArray("LOW  PRECISION"));
    QCOMPARE(scope.ask(":P#"), QByteArray("HIGH PRECISION"));
}

void TestReplies::slewReplies_data()
{
    QTest::addColumn<QList<QByteArray>>("before");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("slewing");
    QTest::newRow("circumpolar target") << QList<QByteArray>{":Sr 02:31:49#", ":Sd +89:15:51#"} << QByteArray("0")
                                        << true;
    QTest::newRow("never rises") << QList<QByteArray>{":Sr 02:31:49#", ":Sd -80:00:00#"}
                                 << QByteArray("1Object Below Horizon#") << false;
    QTest::newRow("parked") << QList<QByteArray>{":hP#", ":Sd +89:15:51#"} << QByteArray("2Telescope Parked#")
                            << false;
    QTest::newRow("asleep") << QList<QByteArray>{":hN#", ":Sd +89:15:51#"} << QByteArray("2Telescope Asleep#")
                            << false;
    QTest::newRow("woken") << QList<QByteArray>{":hN#", ":hW#", ":Sd +89:15:51#"} << QByteArray("0") << true;
    QTest::newRow("unparked by initialize") << QList<QByteArray>{":hP#", ":I#", ":Sd +89:15:51#"}
                                            << QByteArray("0") << true;
}

void TestReplies::slewReplies()
{
    QFETCH(QList<QByteArray>, before);
    QFETCH(QByteArray, reply);
    QFETCH(bool, slewing);
    Scope scope;
    scope.script(before);
    QCOMPARE(scope.ask(":MS#"), reply);
    QCOMPARE(scope.telescope.slewing(), slewing);
    QCOMPARE(scope.ask(":D#"), QByteArray(slewing ? "|#" : "#"));
}

void TestReplies::statusLetters_data()
{
    QTest::addColumn<MountType>("type");
    QTest::addColumn<QList<QByteArray>>("commands");
    QTest::addColumn<QByteArray>("status");
    QTest::newRow("power-up") << MountType::AltAz << QList<QByteArray>{} << QByteArray("AT0#");
    QTest::newRow("parked") << MountType::AltAz << QList<QByteArray>{":hP#"} << QByteArray("ANP#");
    QTest::newRow("asleep") << MountType::AltAz << QList<QByteArray>{":hN#"} << QByteArray("AS0#");
    QTest::newRow("woken") << MountType::AltAz << QList<QByteArray>{":hN#", ":hW#"} << QByteArray("AT0#");
    QTest::newRow("parked stays parked on wake") << MountType::AltAz << QList<QByteArray>{":hP#", ":hW#"}
                                                 << QByteArray("ANP#");
    QTest::newRow("aligned from home") << MountType::AltAz << QList<QByteArray>{":hP#", ":hF#"}
                                       << QByteArray("ATH#");
    QTest::newRow("auto aligned") << MountType::AltAz << QList<QByteArray>{":Aa#"} << QByteArray("AT2#");
    QTest::newRow("land mode") << MountType::AltAz << QList<QByteArray>{":AL#"} << QByteArray("AN0#");
    QTest::newRow("polar, alignment refused") << MountType::Polar << QList<QByteArray>{":Aa#"}
                                              << QByteArray("PT0#");
    QTest::newRow("switched to polar") << MountType::AltAz << QList<QByteArray>{":AP#"} << QByteArray("PT0#");
    QTest::newRow("german parked") << MountType::German << QList<QByteArray>{":hP#"} << QByteArray("GNP#");
}

void TestReplies::statusLetters()
{
    QFETCH(MountType, type);
    QFETCH(QList<QByteArray>, commands);
    QFETCH(QByteArray, status);
    Scope scope(type);
    scope.script(commands);
    QCOMPARE(scope.ask(":GW#"), status);
}

void TestReplies::delayedReplies_data()
{
    QTest::addColumn<MountType>("type");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<qint64>("delayNs");
    QTest::newRow("gps fix") << MountType::AltAz << QByteArray(":gT#") << QByteArray("1") << 3 * kNsPerSec;
    QTest::newRow("align alt-az") << MountType::AltAz << QByteArray(":Aa#") << QByteArray("1") << 4 * kNsPerSec;
    QTest::newRow("align polar") << MountType::Polar << QByteArray(":Aa#") << QByteArray("0") << qint64(0);
    QTest::newRow("align german") << MountType::German << QByteArray(":Aa#") << QByteArray("0") << qint64(0);
}

void TestReplies::delayedReplies()
{
    QFETCH(MountType, type);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(qint64, delayNs);
    Scope scope(type);
    const auto answer = scope.run(command);
    QVERIFY(answer.has_value());
    QCOMPARE(answer->bytes, reply);
    QCOMPARE(answer->delayNs, delayNs);
}

void TestReplies::syncAnswersObjectText()
{
    Scope scope;
    scope.script({":Sr 05:00:00#", ":Sd +20:00:00#"});
    QCOMPARE(scope.ask(":CM#"), QByteArray("Coordinates     matched.        #"));
    QCOMPARE(scope.ask(":GR#"), QByteArray("05:00:00#"));
    scope.script({":ES4734#", ":EK 51#", ":EK 48#", ":EK 56#", ":EK13#", ":EK 71#", ":Q#"});
    QCOMPARE(scope.ask(":CM#"), QByteArray("Polaris#"));
    QCOMPARE(scope.ask(":GD#"), QByteArray("+89\xDF" "15:51#"));
}

QTEST_GUILESS_MAIN(TestReplies)
#include "tst_replies.moc"
