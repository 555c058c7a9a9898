// What the LX200GPS answers, byte for byte, through the simulator's framer
// and interpreter.

#include "angles.h"
#include "framer.h"
#include "simtestsupport.h"

#include <QtTest>

using namespace lx200sim;

class TestReplies : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void replies_data();
    void replies();
    void roundingAtTheEdges();
};

void TestReplies::replies_data()
{
    QTest::addColumn<QByteArray>("setup");  // sent first, replies ignored
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    const auto row = [](const char *name, const QByteArray &setup, const QByteArray &command,
                        const QByteArray &reply) { QTest::newRow(name) << setup << command << reply; };
    const QByteArray synced = ":Sr 12:34:56#:Sd -45*30:15#:CS#";
    const QByteArray pole = ":Sd +90*00:00#:CS#";
    const QByteArray polaris = ":Sr 02:31:49#:Sd +89:15:51#";
    const QByteArray polarisKeys = ":ES4734#:EK 51#:EK 48#:EK 56#:EK13#";

    row("ACK, alt-az", "", "\x06", "A");
    row("ACK, polar", ":AP#", "\x06", "P");
    row("product", "", ":GVP#", "LX2001#");
    row("firmware", "", ":GVN#", "4.2l#");
    row("latitude", "", ":Gt#", "+33\xDF" "52#");
    row("longitude, west positive", "", ":Gg#", "+117\xDF" "05#");
    row("local time", "", ":GL#", "20:00:00#");
    row("local date", "", ":GC#", "03/14/24#");
    row("RA", synced, ":GR#", "12:34:56#");
    row("DEC", synced, ":GD#", "-45\xDF" "30:15#");
    row("RA, short form", synced + ":U#", ":GR#", "12:34.9#");
    row("DEC, short form", synced + ":U#", ":GD#", "-45\xDF" "30#");
    row(":U# toggles back", synced + ":U#:U#", ":GD#", "-45\xDF" "30:15#");
    row("azimuth at the pole", pole, ":GZ#", "000\xDF" "00:00#");
    row("altitude at the pole", pole, ":GA#", "+33\xDF" "52:00#");
    row("altitude, short form", pole + ":U#", ":GA#", "+33\xDF" "52#");
    row("status", "", ":GW#", "AT0#");
    row("status parked", ":hP#", ":GW#", "ANP#");
    row("status asleep", ":hN#", ":GW#", "AS0#");
    row("status aligned from home", ":hP#:hF#", ":GW#", "ATH#");
    row("status land mode", ":AL#", ":GW#", "AN0#");
    row("status polar", ":AP#", ":GW#", "PT0#");
    row(":P#", "", ":P#", "HIGH PRECISION");
    row(":P# again", ":P#", ":P#", "LOW  PRECISION");
    row("RA target", "", ":Sr 05:07:09#", "1");
    row("RA target hour 24", "", ":Sr 24:00:00#", "0");
    row("DEC target, star", "", ":Sd+07*30:00#", "1");
    row("DEC target, degree byte", "", ":Sd -07\xDF" "30:00#", "1");
    row("DEC target 91", "", ":Sd +91:00:00#", "0");
    row("short-form target read back", ":Sd +89*15#", ":Gd#", "+89\xDF" "15:00#");
    row("refused target keeps the last", ":Sd +45:00:00#:Sd +10:60:00#", ":Gd#", "+45\xDF" "00:00#");
    row("longitude 349 is 11 east", ":Sg 349*00#", ":Gg#", "-011\xDF" "00#");
    row("offset keeps local time", ":SG -05.0#", ":GL#", "20:00:00#");
    row("set date", "", ":SC 07/04/25#", "1Updating Planetary Data         #                                #");
    row("goto", polaris, ":MS#", "0");
    row("goto below horizon", ":Sr 02:31:49#:Sd -80:00:00#", ":MS#", "1Object Below Horizon#");
    row("goto parked", ":hP#" + polaris, ":MS#", "2Telescope Parked#");
    row("goto asleep", ":hN#" + polaris, ":MS#", "2Telescope Asleep#");
    row("distance bars idle", "", ":D#", "#");
    row("distance bars slewing", polaris + ":MS#", ":D#", "|#");
    row("sync", ":Sr 05:00:00#:Sd +20:00:00#", ":CM#", "Coordinates     matched.        #");
    row("display frame", "", ":ED#", " Select Item:    Object          #");
    row("display frame with a degree mark", polarisKeys, ":ED#", " Polaris         RA02:31.8 +89\xDF" "16#");
    row("focuser idle", "", ":FB#", "0");
    row("silent commands", "", ":Q#:Mn#:Qn#:RS#:RA01.5#:F+#:FQ#:hW#:EK 71#:XY#:#", "");
    row("two in one read", "", ":GW#\x06", "AT0#A");
    row("stray bytes, colon restarts", "", "xyz#\r\n:G:GVN#", "4.2l#");
    row("overlong garbage dropped", "", ":" + QByteArray(10 * CommandFramer::kMaxCommandLength, 'x') + "#:GVN#",
        "4.2l#");
}

void TestReplies::replies()
{
    QFETCH(QByteArray, setup);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    simtest::Line line;
    line.exchange(setup);
    QCOMPARE(line.exchange(command), reply);
}

// Rounding never gives "24:00:00", "-00" or "360".
void TestReplies::roundingAtTheEdges()
{
    QCOMPARE(formatHms(24 - 0.3 / 3600.0), QByteArray("00:00:00"));
    QCOMPARE(formatHmTenths(24 - 0.3 / 3600.0), QByteArray("00:00.0"));
    QCOMPARE(formatDegrees(-0.0001, {.sign = true, .degreeDigits = 2, .seconds = true, .wrap360 = false}),
             QByteArray("+00\xDF" "00:00"));
    QCOMPARE(formatDegrees(359.99999, {.sign = false, .degreeDigits = 3, .seconds = true, .wrap360 = true}),
             QByteArray("000\xDF" "00:00"));
}

QTEST_GUILESS_MAIN(TestReplies)
#include "tst_replies.moc"
