// Decoding of replies into status lines: fixed positions, exact letters, and
// safety on short, empty, over-long and arbitrary 8-bit input.

#include "link/querylines.h"

#include <QTest>
#include <climits>

using namespace orrinet;
using namespace Qt::StringLiterals;

namespace {

// Reply text as the port hands it over: one character per byte.
QString latin1(const char *bytes)
{
    return QString::fromLatin1(bytes);
}

// Every byte value 0..255 once, in order.
QString allBytes()
{
    QString text;
    for (int b = 0; b < 256; ++b)
        text.append(QChar(b));
    return text;
}

} // namespace

class TestQueryLines : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mid_data();
    void mid();
    void stripTerminator_data();
    void stripTerminator();
    void firstCharIs_data();
    void firstCharIs();
    void autostarTaking_data();
    void autostarTaking();

    void statusLine_data();
    void statusLine();
    void firmwareLine_data();
    void firmwareLine();
    void dateTimeLine_data();
    void dateTimeLine();
    void siteLine_data();
    void siteLine();
    void azAltLine_data();
    void azAltLine();
    void queryResultLine_data();
    void queryResultLine();

    void decodersReadOnlyTheirFields_data();
    void decodersReadOnlyTheirFields();
};

// ---- helpers ------------------------------------------------------------------------

void TestQueryLines::mid_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("pos");
    QTest::addColumn<qsizetype>("len");
    QTest::addColumn<QString>("expected");

    QTest::newRow("inside") << u"+33*52"_s << qsizetype(2) << qsizetype(2) << u"33"_s;
    QTest::newRow("from the start") << u"123*45:30"_s << qsizetype(1) << qsizetype(3) << u"123"_s;
    QTest::newRow("runs past the end") << u"+33*5"_s << qsizetype(5) << qsizetype(2) << u"5"_s;
    QTest::newRow("last character") << u"abc"_s << qsizetype(3) << qsizetype(1) << u"c"_s;
    QTest::newRow("starts just past the end")
        << u"abc"_s << qsizetype(4) << qsizetype(1) << QString();
    QTest::newRow("starts far past the end")
        << u"abc"_s << qsizetype(1000) << qsizetype(2) << QString();
    QTest::newRow("empty text") << QString() << qsizetype(1) << qsizetype(3) << QString();
    QTest::newRow("zero length") << u"abc"_s << qsizetype(1) << qsizetype(0) << QString();
    QTest::newRow("negative length") << u"abc"_s << qsizetype(1) << qsizetype(-1) << QString();
    QTest::newRow("position 0") << u"abc"_s << qsizetype(0) << qsizetype(2) << QString();
    QTest::newRow("negative position") << u"abc"_s << qsizetype(-5) << qsizetype(9) << QString();
    QTest::newRow("huge length") << u"abc"_s << qsizetype(2)
                                 << std::numeric_limits<qsizetype>::max() << u"bc"_s;
    QTest::newRow("huge position") << u"abc"_s << std::numeric_limits<qsizetype>::max()
                                   << std::numeric_limits<qsizetype>::max() << QString();
    QTest::newRow("8-bit kept") << latin1("+51\xDF"
                                          "28")
                                << qsizetype(4) << qsizetype(1) << QString(QChar(0xDF));
}

void TestQueryLines::mid()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, pos);
    QFETCH(qsizetype, len);
    QFETCH(QString, expected);
    QCOMPARE(orrinet::mid(text, pos, len), expected);
}

void TestQueryLines::stripTerminator_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("firmware") << u"4.2g#"_s << u"4.2g"_s;
    QTest::newRow("terminator only") << u"#"_s << QString();
    QTest::newRow("empty stays empty") << QString() << QString();
    QTest::newRow("last character dropped whatever it is") << u"12:34"_s << u"12:3"_s;
    QTest::newRow("8-bit") << latin1("+51\xDF"
                                     "28#")
                           << latin1("+51\xDF"
                                     "28");
    QTest::newRow("over-long keeps all but last") << u"LX2001#4.2g#"_s << u"LX2001#4.2g"_s;
}

void TestQueryLines::stripTerminator()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(orrinet::stripTerminator(text), expected);
}

void TestQueryLines::firstCharIs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("ch");
    QTest::addColumn<bool>("expected");

    QTest::newRow("accepted") << u"1"_s << QChar(u'1') << true;
    QTest::newRow("refused") << u"0"_s << QChar(u'1') << false;
    QTest::newRow("slew started") << u"0"_s << QChar(u'0') << true;
    QTest::newRow("slew refused with reason")
        << u"1Object Below Horizon#"_s << QChar(u'0') << false;
    QTest::newRow("trailing garbage ignored") << u"1#junk"_s << QChar(u'1') << true;
    QTest::newRow("empty") << QString() << QChar(u'1') << false;
    QTest::newRow("NUL is not a match for 1") << QString(QChar(0)) << QChar(u'1') << false;
    QTest::newRow("8-bit") << latin1("\xB1") << QChar(u'1') << false;
}

void TestQueryLines::firstCharIs()
{
    QFETCH(QString, text);
    QFETCH(QChar, ch);
    QFETCH(bool, expected);
    QCOMPARE(orrinet::firstCharIs(text, ch), expected);
}

void TestQueryLines::autostarTaking_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<bool>("expected");

    QTest::newRow("busy") << u" Taking you to Polaris......"_s << true;
    QTest::newRow("any first character") << u"\x01Taking"_s << true;
    QTest::newRow("exactly seven") << u"xTaking"_s << true;
    QTest::newRow("at position 1") << u"Taking you there"_s << false;
    QTest::newRow("at position 3") << u"  Taking"_s << false;
    QTest::newRow("lower case") << u" taking"_s << false;
    QTest::newRow("cut short") << u" Takin"_s << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("other display") << u"Polaris         Slewing...      "_s << false;
}

void TestQueryLines::autostarTaking()
{
    QFETCH(QString, display);
    QFETCH(bool, expected);
    QCOMPARE(orrinet::autostarTaking(display), expected);
}

// ---- result lines -----------------------------------------------------------------

void TestQueryLines::statusLine_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("expected");

    QTest::newRow("A T 1") << u"AT1"_s << u"AltAz Mount, Tracking, One star aligned"_s;
    QTest::newRow("G N P: P at 3 means parked")
        << u"GNP"_s << u"German Mount, Not Tracking, Scope was parked"_s;
    QTest::newRow("P at 1 means polar") << u"PS0"_s << u"Polar Mount, Sleeping, Not aligned"_s;
    QTest::newRow("two star") << u"AT2"_s << u"AltAz Mount, Tracking, Two star aligned"_s;
    QTest::newRow("three star") << u"GT3"_s << u"German Mount, Tracking, Three star aligned"_s;
    QTest::newRow("home") << u"ANH"_s << u"AltAz Mount, Not Tracking, Aligned on Home"_s;
    QTest::newRow("unknown mount letter") << u"XT2"_s << u"Tracking, Two star aligned"_s;
    QTest::newRow("unknown tracking letter") << u"A?1"_s << u"AltAz Mount, One star aligned"_s;
    QTest::newRow("unknown alignment letter") << u"ATX"_s << u"AltAz Mount, Tracking, "_s;
    QTest::newRow("letters are case-sensitive") << u"at1"_s << u"One star aligned"_s;
    QTest::newRow("nothing known") << u"xyz"_s << QString();
    QTest::newRow("two characters") << u"GT"_s << u"German Mount, Tracking, "_s;
    QTest::newRow("one character") << u"P"_s << u"Polar Mount, "_s;
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("with terminator") << u"AT1#"_s << u"AltAz Mount, Tracking, One star aligned"_s;
    QTest::newRow("over-long") << u"GNP#AT1#garbage"_s
                               << u"German Mount, Not Tracking, Scope was parked"_s;
    QTest::newRow("letters in the wrong places") << u"TA1"_s << u"One star aligned"_s;
    QTest::newRow("8-bit bytes") << latin1("\xC1\xD4\xB1") << QString();
}

void TestQueryLines::statusLine()
{
    QFETCH(QString, reply);
    QFETCH(QString, expected);
    QCOMPARE(orrinet::statusLine(reply), expected);
}

void TestQueryLines::firmwareLine_data()
{
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("expected");

    QTest::newRow("LX200GPS") << u"LX2001"_s << u"4.2g"_s << u"LX2001   Firmware 4.2g"_s;
    QTest::newRow("both empty") << QString() << QString() << u"   Firmware "_s;
    QTest::newRow("8-bit passed through")
        << latin1("Autostar\xFF") << u"2.0"_s << latin1("Autostar\xFF   Firmware 2.0");
}

void TestQueryLines::firmwareLine()
{
    QFETCH(QString, product);
    QFETCH(QString, firmware);
    QFETCH(QString, expected);
    QCOMPARE(orrinet::firmwareLine(product, firmware), expected);
}

void TestQueryLines::dateTimeLine_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("expected");

    QTest::newRow("telescope forms")
        << u"03/14/24"_s << u"21:05:33"_s << u"Date 03/14/24   Time 21:05:33"_s;
    QTest::newRow("shown as received")
        << u"3/4/24 x"_s << u"9:5"_s << u"Date 3/4/24 x   Time 9:5"_s;
    QTest::newRow("both empty") << QString() << QString() << u"Date    Time "_s;
}

void TestQueryLines::dateTimeLine()
{
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, expected);
    QCOMPARE(orrinet::dateTimeLine(date, time), expected);
}

void TestQueryLines::siteLine_data()
{
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("longitude");
    QTest::addColumn<QString>("expected");

    QTest::newRow("south, west (0xDF degree marks)") << latin1("-33\xDF"
                                                               "52")
                                                     << latin1("+117\xDF"
                                                               "05")
                                                     << u"Lat 33°52'S   Lon 117°05'W"_s;
    QTest::newRow("north, east") << latin1("+51\xDF"
                                           "28")
                                 << latin1("-000\xDF"
                                           "08")
                                 << u"Lat 51°28'N   Lon 000°08'E"_s;
    QTest::newRow("asterisk marks")
        << u"+45*00"_s << u"+090*30"_s << u"Lat 45°00'N   Lon 090°30'W"_s;
    QTest::newRow("only + is north")
        << u" 45*00"_s << u"*090*30"_s << u"Lat 45°00'S   Lon 090°30'W"_s;
    QTest::newRow("only - is east")
        << u"+45*00"_s << u"E090*30"_s << u"Lat 45°00'N   Lon 090°30'W"_s;
    QTest::newRow("empty replies") << QString() << QString() << u"Lat °'S   Lon °'W"_s;
    QTest::newRow("sign only") << u"+"_s << u"-"_s << u"Lat °'N   Lon °'E"_s;
    QTest::newRow("cut inside the minutes")
        << u"-33*5"_s << u"+117*0"_s << u"Lat 33°5'S   Lon 117°0'W"_s;
    QTest::newRow("over-long") << u"-33*52#+11"_s << u"+117*05#junk"_s
                               << u"Lat 33°52'S   Lon 117°05'W"_s;
}

void TestQueryLines::siteLine()
{
    QFETCH(QString, latitude);
    QFETCH(QString, longitude);
    QFETCH(QString, expected);
    QCOMPARE(orrinet::siteLine(latitude, longitude), expected);
}

void TestQueryLines::azAltLine_data()
{
    QTest::addColumn<QString>("azimuth");
    QTest::addColumn<QString>("altitude");
    QTest::addColumn<QString>("expected");

    QTest::newRow("altitude keeps its minus") << latin1("123\xDF"
                                                        "45:30")
                                              << latin1("-05\xDF"
                                                        "12:30")
                                              << u"Azimuth 123°45'30\"   Altitude -05°12'30\""_s;
    QTest::newRow("positive altitude") << latin1("359\xDF"
                                                 "59:59")
                                       << latin1("+89\xDF"
                                                 "00:01")
                                       << u"Azimuth 359°59'59\"   Altitude +89°00'01\""_s;
    QTest::newRow("low precision forms") << latin1("123\xDF"
                                                   "45")
                                         << latin1("-05\xDF"
                                                   "12")
                                         << u"Azimuth 123°45'\"   Altitude -05°12'\""_s;
    QTest::newRow("empty replies") << QString() << QString() << u"Azimuth °'\"   Altitude °'\""_s;
    QTest::newRow("over-long") << u"123*45:30#xyz"_s << u"-05*12:30##"_s
                               << u"Azimuth 123°45'30\"   Altitude -05°12'30\""_s;
    QTest::newRow("one character") << u"1"_s << u"-"_s << u"Azimuth 1°'\"   Altitude -°'\""_s;
}

void TestQueryLines::azAltLine()
{
    QFETCH(QString, azimuth);
    QFETCH(QString, altitude);
    QFETCH(QString, expected);
    QCOMPARE(orrinet::azAltLine(azimuth, altitude), expected);
}

void TestQueryLines::queryResultLine_data()
{
    QTest::addColumn<int>("query");
    QTest::addColumn<QString>("firstText");
    QTest::addColumn<QString>("secondText");
    QTest::addColumn<QString>("expected");

    QTest::newRow("status uses its reply only")
        << int(TelescopeQuery::Status) << u"GT1"_s << u"AT2"_s
        << u"German Mount, Tracking, One star aligned"_s;
    QTest::newRow("firmware: product first in the line")
        << int(TelescopeQuery::Firmware) << u"4.2g"_s << u"LX2001"_s << u"LX2001   Firmware 4.2g"_s;
    QTest::newRow("date/time") << int(TelescopeQuery::DateTime) << u"03/14/24"_s << u"21:05:33"_s
                               << u"Date 03/14/24   Time 21:05:33"_s;
    QTest::newRow("site") << int(TelescopeQuery::Site) << u"-33*52"_s << u"+117*05"_s
                          << u"Lat 33°52'S   Lon 117°05'W"_s;
    QTest::newRow("az/alt") << int(TelescopeQuery::AzimuthAltitude) << u"123*45:30"_s
                            << u"-05*12:30"_s << u"Azimuth 123°45'30\"   Altitude -05°12'30\""_s;
}

void TestQueryLines::queryResultLine()
{
    QFETCH(int, query);
    QFETCH(QString, firstText);
    QFETCH(QString, secondText);
    QFETCH(QString, expected);
    QCOMPARE(orrinet::queryResultLine(TelescopeQuery(query), firstText, secondText), expected);
}

// ---- arbitrary input ----------------------------------------------------------------

// Whatever the line delivers, each decoder reads only its fixed fields: the
// result for a long text equals the result for the text cut to the last field
// it reads. Run over every byte value, at every length around the fields.
void TestQueryLines::decodersReadOnlyTheirFields_data()
{
    QTest::addColumn<QString>("text");

    const QString bytes = allBytes();
    for (qsizetype offset = 0; offset < bytes.size(); offset += 7) {
        const QString window = bytes.mid(offset, 12);
        for (qsizetype length = 0; length <= window.size(); ++length)
            QTest::addRow("bytes %lld+%lld", qlonglong(offset), qlonglong(length))
                << window.first(length);
    }
    QTest::newRow("all 256 bytes") << bytes;
    QTest::newRow("NULs") << QString(40, QChar(0));
    QTest::newRow("terminators") << QString(40, QChar(u'#'));
}

void TestQueryLines::decodersReadOnlyTheirFields()
{
    QFETCH(QString, text);
    const QStringView view(text);

    QCOMPARE(orrinet::statusLine(text),
             orrinet::statusLine(view.first(std::min<qsizetype>(3, view.size()))));

    const QString site = orrinet::siteLine(text, text);
    QVERIFY(site.startsWith("Lat "_L1));
    QVERIFY(site.contains("   Lon "_L1));
    QCOMPARE(site, orrinet::siteLine(view.first(std::min<qsizetype>(6, view.size())),
                                     view.first(std::min<qsizetype>(7, view.size()))));

    const QString azAlt = orrinet::azAltLine(text, text);
    QVERIFY(azAlt.startsWith("Azimuth "_L1));
    QVERIFY(azAlt.endsWith(QLatin1Char('"')));
    const QStringView fields = view.first(std::min<qsizetype>(9, view.size()));
    QCOMPARE(azAlt, orrinet::azAltLine(fields, fields));

    QCOMPARE(orrinet::autostarTaking(text), view.size() >= 7 && view.sliced(1, 6) == "Taking"_L1);
    QCOMPARE(orrinet::stripTerminator(text).size(), std::max<qsizetype>(0, view.size() - 1));
    for (qsizetype pos = -1; pos <= view.size() + 1; ++pos)
        QVERIFY(orrinet::mid(text, pos, 3).size() <= 3);
}

QTEST_APPLESS_MAIN(TestQueryLines)
#include "tst_querylines.moc"
