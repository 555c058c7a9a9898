// Coordinate texts as the LX200 writes and reads them.

#include "angles.h"

#include <QtTest>

using namespace lx200sim;

class TestAngles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formatsHours_data();
    void formatsHours();
    void formatsDegrees_data();
    void formatsDegrees();
    void parsesHours_data();
    void parsesHours();
    void parsesDegrees_data();
    void parsesDegrees();
    void parsesOffsetsAndDates_data();
    void parsesOffsetsAndDates();
};

void TestAngles::formatsHours_data()
{
    QTest::addColumn<double>("hours");
    QTest::addColumn<QByteArray>("longForm");
    QTest::addColumn<QByteArray>("shortForm");
    QTest::newRow("polaris") << 2 + 31 / 60.0 + 49 / 3600.0 << QByteArray("02:31:49") << QByteArray("02:31.8");
    QTest::newRow("zero") << 0.0 << QByteArray("00:00:00") << QByteArray("00:00.0");
    QTest::newRow("rounds up into next day") << 24 - 0.3 / 3600.0 << QByteArray("00:00:00") << QByteArray("00:00.0");
    QTest::newRow("negative wraps") << -1.0 << QByteArray("23:00:00") << QByteArray("23:00.0");
    QTest::newRow("tenths round") << 5 + 7.96 / 60.0 << QByteArray("05:07:58") << QByteArray("05:08.0");
}

void TestAngles::formatsHours()
{
    QFETCH(double, hours);
    QFETCH(QByteArray, longForm);
    QFETCH(QByteArray, shortForm);
    QCOMPARE(formatHms(hours), longForm);
    QCOMPARE(formatHmTenths(hours), shortForm);
}

void TestAngles::formatsDegrees_data()
{
    QTest::addColumn<double>("degrees");
    QTest::addColumn<bool>("sign");
    QTest::addColumn<int>("digits");
    QTest::addColumn<bool>("seconds");
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<QByteArray>("expected");
    const double polaris = 89 + 15 / 60.0 + 51 / 3600.0;
    QTest::newRow("dec long") << polaris << true << 2 << true << false << QByteArray("+89\xDF" "15:51");
    QTest::newRow("dec short rounds") << polaris << true << 2 << false << false << QByteArray("+89\xDF" "16");
    QTest::newRow("negative dec") << -(5 + 3 / 60.0 + 9 / 3600.0) << true << 2 << true << false
                                  << QByteArray("-05\xDF" "03:09");
    QTest::newRow("tiny negative is plus zero") << -0.0001 << true << 2 << true << false
                                                << QByteArray("+00\xDF" "00:00");
    QTest::newRow("longitude") << 117 + 5 / 60.0 << true << 3 << false << false << QByteArray("+117\xDF" "05");
    QTest::newRow("east longitude") << -(10 + 30 / 60.0) << true << 3 << false << false
                                    << QByteArray("-010\xDF" "30");
    QTest::newRow("azimuth") << 254 + 9 / 60.0 << false << 3 << true << false << QByteArray("254\xDF" "09:00");
    QTest::newRow("azimuth wraps at 360") << 359.99999 << false << 3 << true << true
                                          << QByteArray("000\xDF" "00:00");
}

void TestAngles::formatsDegrees()
{
    QFETCH(double, degrees);
    QFETCH(bool, sign);
    QFETCH(int, digits);
    QFETCH(bool, seconds);
    QFETCH(bool, wrap);
    QFETCH(QByteArray, expected);
    QCOMPARE(formatDegrees(degrees, {.sign = sign, .degreeDigits = digits, .seconds = seconds, .wrap360 = wrap}),
             expected);
}

void TestAngles::parsesHours_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("hours");
    QTest::newRow("long") << QByteArray("05:07:09") << true << 5 + 7 / 60.0 + 9 / 3600.0;
    QTest::newRow("leading blank") << QByteArray(" 05:07:09") << true << 5 + 7 / 60.0 + 9 / 3600.0;
    QTest::newRow("short") << QByteArray("05:47.4") << true << 5 + 47.4 / 60.0;
    QTest::newRow("last second") << QByteArray("23:59:59") << true << 23 + 59 / 60.0 + 59 / 3600.0;
    QTest::newRow("hour 24") << QByteArray("24:00:00") << false << 0.0;
    QTest::newRow("minute 60") << QByteArray("05:60:00") << false << 0.0;
    QTest::newRow("second 60") << QByteArray("05:07:60") << false << 0.0;
    QTest::newRow("letters") << QByteArray("ab:cd:ef") << false << 0.0;
    QTest::newRow("trailing junk") << QByteArray("05:07:09x") << false << 0.0;
    QTest::newRow("empty") << QByteArray() << false << 0.0;
}

void TestAngles::parsesHours()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QFETCH(double, hours);
    const auto parsed = parseHours(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QVERIFY(qAbs(*parsed - hours) < 1e-9);
}

void TestAngles::parsesDegrees_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("degrees");
    const double d = -(7 + 30 / 60.0);
    QTest::newRow("colon separator") << QByteArray("-07:30:00") << true << d;
    QTest::newRow("star separator") << QByteArray("-07*30:00") << true << d;
    QTest::newRow("degree byte") << QByteArray("-07\xDF" "30:00") << true << d;
    QTest::newRow("no seconds") << QByteArray("-07*30") << true << d;
    QTest::newRow("no sign") << QByteArray("45*30:15") << true << 45 + 30 / 60.0 + 15 / 3600.0;
    QTest::newRow("ninety") << QByteArray("+90:00:00") << true << 90.0;
    QTest::newRow("beyond ninety") << QByteArray("+90:00:01") << false << 0.0;
    QTest::newRow("minute 60") << QByteArray("+10:60:00") << false << 0.0;
    QTest::newRow("other separator") << QByteArray("+10/30:00") << false << 0.0;
}

void TestAngles::parsesDegrees()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QFETCH(double, degrees);
    const auto parsed = parseDegrees(text, 90.0);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QVERIFY(qAbs(*parsed - degrees) < 1e-9);
}

void TestAngles::parsesOffsetsAndDates_data()
{
    QTest::addColumn<QByteArray>("offset");
    QTest::addColumn<bool>("offsetValid");
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QDate>("expectedDate");
    QTest::newRow("tenths and 2-digit year") << QByteArray("+08.0") << true << QByteArray("03/15/24")
                                             << QDate(2024, 3, 15);
    QTest::newRow("whole hours, last century") << QByteArray("-5") << true << QByteArray("12/31/99")
                                               << QDate(1999, 12, 31);
    QTest::newRow("junk, bad day") << QByteArray("+x") << false << QByteArray("02/30/24") << QDate();
}

void TestAngles::parsesOffsetsAndDates()
{
    QFETCH(QByteArray, offset);
    QFETCH(bool, offsetValid);
    QFETCH(QByteArray, date);
    QFETCH(QDate, expectedDate);
    QCOMPARE(parseSignedDecimal(offset).has_value(), offsetValid);
    const auto parsed = parseDate(date);
    QCOMPARE(parsed.has_value(), expectedDate.isValid());
    if (parsed)
        QCOMPARE(QDate(parsed->year, parsed->month, parsed->day), expectedDate);
}

QTEST_GUILESS_MAIN(TestAngles)
#include "tst_angles.moc"
