// The command catalogue where a slip would reach the telescope, and the
// decoding of query replies that are short, malformed or over-long.

#include "link/protocol.h"
#include "link/querylines.h"

#include <QTest>
#include <climits>

using namespace orrinet;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(orrinet::TelescopeQuery)

namespace {

template <typename Commands> QString joined(const Commands &commands)
{
    QStringList texts;
    for (const QLatin1StringView command : commands)
        texts << QString(command);
    return texts.join(u'|');
}

} // namespace

class TestProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commands();
    void tables();
    void resultLines_data();
    void resultLines();
};

void TestProtocol::commands()
{
    // Keypad keys carry a blank after "EK", Enter (13) none.
    QCOMPARE(joined(kPolarisMacro), u":ES4734#|:EK 51#|:EK 48#|:EK 56#|:EK13#|:EK 71#|:ED#"_s);
    QCOMPARE(joined(kPlanetMacroTail), u":EK13#|:EK 71#|:ED#"_s);
    QCOMPARE(twoDigits(100), u"100"_s);
}

// Invariants of the menu and slider tables, and no entry outside them.
void TestProtocol::tables()
{
    QCOMPARE(kSlewRates.size(), std::size_t{12});
    for (std::size_t i = 0; i < kSlewRates.size(); ++i) {
        const SlewRate &rate = kSlewRates[i];
        QCOMPARE(rate.position, int(i) + 1);
        if (rate.position < 3)
            continue;
        // Both axes get the same rate; the user sees U+00B0, not UTF-8 bytes.
        QCOMPARE(QString(rate.secondCommand), u":RE"_s + QString(rate.firstCommand).mid(3));
        QVERIFY(QString(rate.rateText).endsWith(u"\u00B0/sec"_s));
    }

    for (const int outside : {INT_MIN, -1, 0, 13, INT_MAX})
        QVERIFY(!slewRate(outside));
    for (const int outside : {-1, 4})
        QVERIFY(!focusSpeed(outside));
    for (const int outside : {0, 7})
        QVERIFY(!pointerHaltDelay(outside));
    for (const int outside : {0, 10})
        QVERIFY(!planetMacro(outside));
}

void TestProtocol::resultLines_data()
{
    QTest::addColumn<TelescopeQuery>("query");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("line");

    const auto status = [](const char *tag, const QString &reply, const QString &line) {
        QTest::newRow(tag) << TelescopeQuery::Status << reply << QString() << line;
    };
    status("status A,T,1", u"AT1"_s, u"AltAz Mount, Tracking, One star aligned"_s);
    status("status unlisted letters", u"at1"_s, u"One star aligned"_s);
    status("status unlisted alignment", u"ATX"_s, u"AltAz Mount, Tracking, "_s);
    status("status short", u"P"_s, u"Polar Mount, "_s);
    status("status empty", QString(), QString());
    status("status over-long", u"GNP#AT1#garbage"_s,
           u"German Mount, Not Tracking, Scope was parked"_s);

    const auto row = [](const char *tag, TelescopeQuery query, const QString &first,
                        const QString &second, const QString &line) {
        QTest::newRow(tag) << query << first << second << line;
    };
    const auto site = TelescopeQuery::Site;
    const auto azAlt = TelescopeQuery::AzimuthAltitude;
    row("firmware empty", TelescopeQuery::Firmware, {}, {}, u"   Firmware "_s);
    row("date/time as received", TelescopeQuery::DateTime, u"3/4/24 x"_s, u"9:5"_s,
        u"Date 3/4/24 x   Time 9:5"_s);
    row("site N, - is E", site, u"+51*28"_s, u"-000*08"_s, u"Lat 51°28'N   Lon 000°08'E"_s);
    row("site other signs", site, u" 45*00"_s, u"E090*30"_s, u"Lat 45°00'S   Lon 090°30'W"_s);
    row("site short", site, u"-33*5"_s, u"+117*0"_s, u"Lat 33°5'S   Lon 117°0'W"_s);
    row("site empty", site, {}, {}, u"Lat °'S   Lon °'W"_s);
    row("site over-long", site, u"-33*52#+11"_s, u"+117*05#junk"_s,
        u"Lat 33°52'S   Lon 117°05'W"_s);
    row("az/alt short", azAlt, u"1"_s, u"-"_s, u"Azimuth 1°'\"   Altitude -°'\""_s);
    row("az/alt over-long", azAlt, u"123*45:30#xyz"_s, u"-05*12:30##"_s,
        u"Azimuth 123°45'30\"   Altitude -05°12'30\""_s);
}

void TestProtocol::resultLines()
{
    QFETCH(TelescopeQuery, query);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, line);
    QCOMPARE(queryResultLine(query, first, second), line);
}

QTEST_APPLESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
