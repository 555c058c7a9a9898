// The command catalogue: exact bytes on the wire, the rate / focus / pointer /
// planet tables, the query table, and the order in which awaited replies are
// served.

#include "link/awaited.h"
#include "link/protocol.h"

#include <QTest>
#include <climits>

using namespace orrinet;
using namespace Qt::StringLiterals;

namespace {

QByteArray wire(QLatin1StringView command)
{
    return QString(command).toLatin1();
}

QByteArray wire(const QString &command)
{
    return command.toLatin1();
}

} // namespace

class TestProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fixedCommands_data();
    void fixedCommands();
    void polarisMacro();
    void planetMacros_data();
    void planetMacros();
    void lookupsRejectIndexesOutsideTheirTable_data();
    void lookupsRejectIndexesOutsideTheirTable();

    void raCommand_data();
    void raCommand();
    void decCommand_data();
    void decCommand();
    void focusSpeedCommand_data();
    void focusSpeedCommand();
    void rateCommandBuilders_data();
    void rateCommandBuilders();

    void slewRates_data();
    void slewRates();
    void slewRatePairsSetBothAxesAlike();
    void focusSpeeds_data();
    void focusSpeeds();
    void pointerHaltDelays_data();
    void pointerHaltDelays();

    void thresholdsAndPauses_data();
    void thresholdsAndPauses();
    void telescopeQueries_data();
    void telescopeQueries();
    void queryForFlag_data();
    void queryForFlag();

    void awaitingNames_data();
    void awaitingNames();
    void awaitedFirst_data();
    void awaitedFirst();
    void awaitedClearLowersOnlyThatFlag();
    void awaitedIgnoresValuesOutsideTheEnumeration();
};

// ---- fixed commands ------------------------------------------------------------

void TestProtocol::fixedCommands_data()
{
    QTest::addColumn<QByteArray>("actual");
    QTest::addColumn<QByteArray>("expected");

    const auto row = [](const char *name, QLatin1StringView command, const char *bytes) {
        QTest::newRow(name) << wire(command) << QByteArray(bytes);
    };
    row("get RA", kGetRa, ":GR#");
    row("get DEC", kGetDec, ":GD#");
    row("slew to target", kSlewToTarget, ":MS#");
    row("halt all", kHaltAll, ":Q#");
    row("move N", kMoveNorth, ":Mn#");
    row("move S", kMoveSouth, ":Ms#");
    row("move E", kMoveEast, ":Me#");
    row("move W", kMoveWest, ":Mw#");
    row("stop N", kStopNorth, ":Qn#");
    row("stop S", kStopSouth, ":Qs#");
    row("stop E", kStopEast, ":Qe#");
    row("stop W", kStopWest, ":Qw#");
    row("guide rate", kRateGuide, ":RG#");
    row("centering rate", kRateCentering, ":RC#");
    row("focus in", kFocusIn, ":F+#");
    row("focus out", kFocusOut, ":F-#");
    row("focus stop", kFocusStop, ":FQ#");
    row("GPS update", kGpsUpdate, ":gT#");
    row("auto align", kAutoAlign, ":Aa#");
    row("initialize", kInitialize, ":I#");
    row("align from home", kAlignFromHome, ":hF#");
    row("store home", kStoreHome, ":hS#");
    row("park", kPark, ":hP#");
    row("sleep", kSleep, ":hN#");
    row("wake", kWake, ":hW#");
    row("status", kGetStatus, ":GW#");
    row("firmware number", kGetFirmwareNumber, ":GVN#");
    row("product name", kGetProductName, ":GVP#");
    row("date", kGetDate, ":GC#");
    row("time", kGetTime, ":GL#");
    row("latitude", kGetLatitude, ":Gt#");
    row("longitude", kGetLongitude, ":Gg#");
    row("azimuth", kGetAzimuth, ":GZ#");
    row("altitude", kGetAltitude, ":GA#");
    row("autostar display", kAutostarDisplay, ":ED#");
}

void TestProtocol::fixedCommands()
{
    QFETCH(QByteArray, actual);
    QFETCH(QByteArray, expected);
    QCOMPARE(actual, expected);
}

void TestProtocol::polarisMacro()
{
    QList<QByteArray> written;
    for (const QLatin1StringView command : kPolarisMacro)
        written.append(wire(command));
    // One blank after "EK" except in ":EK13#".
    const QList<QByteArray> expected{":ES4734#", ":EK 51#", ":EK 48#", ":EK 56#",
                                     ":EK13#",   ":EK 71#", ":ED#"};
    QCOMPARE(written, expected);
}

void TestProtocol::planetMacros_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QList<QByteArray>>("sequence");

    const auto row = [](int index, const char *caption, const char *first) {
        QTest::newRow(caption) << index << QString::fromLatin1(caption)
                               << QList<QByteArray>{first, ":EK13#", ":EK 71#", ":ED#"};
    };
    row(1, "Moon", ":ES4142#");
    row(2, "Mercury", ":ES3966#");
    row(3, "Venus", ":ES3982#");
    row(4, "Mars", ":ES4014#");
    row(5, "Jupiter", ":ES4030#");
    row(6, "Saturn", ":ES4046#");
    row(7, "Uranus", ":ES4062#");
    row(8, "Neptune", ":ES4078#");
    row(9, "Pluto", ":ES4094#");
}

void TestProtocol::planetMacros()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QList<QByteArray>, sequence);

    const std::optional<PlanetMacro> macro = planetMacro(index);
    QVERIFY(macro);
    QCOMPARE(macro->index, index);
    QCOMPARE(QString(macro->caption), caption);

    QList<QByteArray> written{wire(macro->command)};
    for (const QLatin1StringView command : kPlanetMacroTail)
        written.append(wire(command));
    QCOMPARE(written, sequence);
}

void TestProtocol::lookupsRejectIndexesOutsideTheirTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("slewRateFound");
    QTest::addColumn<bool>("focusSpeedFound");
    QTest::addColumn<bool>("haltDelayFound");
    QTest::addColumn<bool>("planetFound");

    QTest::newRow("INT_MIN") << INT_MIN << false << false << false << false;
    QTest::newRow("-1") << -1 << false << false << false << false;
    QTest::newRow("0") << 0 << false << true << false << false;
    QTest::newRow("4") << 4 << true << false << true << true;
    QTest::newRow("7") << 7 << true << false << false << true;
    QTest::newRow("10") << 10 << true << false << false << false;
    QTest::newRow("13") << 13 << false << false << false << false;
    QTest::newRow("INT_MAX") << INT_MAX << false << false << false << false;
}

void TestProtocol::lookupsRejectIndexesOutsideTheirTable()
{
    QFETCH(int, index);
    QFETCH(bool, slewRateFound);
    QFETCH(bool, focusSpeedFound);
    QFETCH(bool, haltDelayFound);
    QFETCH(bool, planetFound);

    QCOMPARE(slewRate(index).has_value(), slewRateFound);
    QCOMPARE(focusSpeed(index).has_value(), focusSpeedFound);
    QCOMPARE(pointerHaltDelay(index).has_value(), haltDelayFound);
    QCOMPARE(planetMacro(index).has_value(), planetFound);
}

// ---- argument commands ---------------------------------------------------------

void TestProtocol::raCommand_data()
{
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("5h 7m 9s") << 5 << 7 << 9 << QByteArray(":Sr 05:07:09#");
    QTest::newRow("zero") << 0 << 0 << 0 << QByteArray(":Sr 00:00:00#");
    QTest::newRow("largest list values") << 23 << 59 << 59 << QByteArray(":Sr 23:59:59#");
    QTest::newRow("10 is not padded") << 10 << 10 << 10 << QByteArray(":Sr 10:10:10#");
    QTest::newRow("three digits kept") << 100 << 0 << 0 << QByteArray(":Sr 100:00:00#");
    QTest::newRow("no selection (-1)") << -1 << 5 << 0 << QByteArray(":Sr -01:05:00#");
}

void TestProtocol::raCommand()
{
    QFETCH(int, hours);
    QFETCH(int, minutes);
    QFETCH(int, seconds);
    QFETCH(QByteArray, expected);
    QCOMPARE(wire(orrinet::raCommand(hours, minutes, seconds)), expected);
}

void TestProtocol::decCommand_data()
{
    QTest::addColumn<QChar>("sign");
    QTest::addColumn<int>("degrees");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("-5 3 9") << QChar(u'-') << 5 << 3 << 9 << QByteArray(":Sd -05:03:09#");
    QTest::newRow("-7 30 0") << QChar(u'-') << 7 << 30 << 0 << QByteArray(":Sd -07:30:00#");
    QTest::newRow("+89 59 59") << QChar(u'+') << 89 << 59 << 59 << QByteArray(":Sd +89:59:59#");
    QTest::newRow("+0 0 0") << QChar(u'+') << 0 << 0 << 0 << QByteArray(":Sd +00:00:00#");
    QTest::newRow("90 two digits") << QChar(u'+') << 90 << 0 << 0 << QByteArray(":Sd +90:00:00#");
    QTest::newRow("negative field") << QChar(u'+') << -1 << 0 << 0 << QByteArray(":Sd +-01:00:00#");
    QTest::newRow("INT_MIN field")
        << QChar(u'-') << INT_MIN << 0 << 0 << QByteArray(":Sd --2147483648:00:00#");
}

void TestProtocol::decCommand()
{
    QFETCH(QChar, sign);
    QFETCH(int, degrees);
    QFETCH(int, minutes);
    QFETCH(int, seconds);
    QFETCH(QByteArray, expected);
    QCOMPARE(wire(orrinet::decCommand(sign, degrees, minutes, seconds)), expected);
}

void TestProtocol::focusSpeedCommand_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("Fine") << 0 << QByteArray(":F1#");
    QTest::newRow("Slow") << 1 << QByteArray(":F2#");
    QTest::newRow("Medium") << 2 << QByteArray(":F3#");
    QTest::newRow("Fast") << 3 << QByteArray(":F4#");
    // Plain decimal, no padding; no overflow at the top of the range.
    QTest::newRow("9") << 9 << QByteArray(":F10#");
    QTest::newRow("-1") << -1 << QByteArray(":F0#");
    QTest::newRow("INT_MAX") << INT_MAX << QByteArray(":F2147483648#");
}

void TestProtocol::focusSpeedCommand()
{
    QFETCH(int, index);
    QFETCH(QByteArray, expected);
    QCOMPARE(wire(orrinet::focusSpeedCommand(index)), expected);
}

void TestProtocol::rateCommandBuilders_data()
{
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QByteArray>("raCommand");
    QTest::addColumn<QByteArray>("decCommand");

    QTest::newRow("1.5") << u"01.5"_s << QByteArray(":RA01.5#") << QByteArray(":RE01.5#");
    QTest::newRow("0.1") << u"00.1"_s << QByteArray(":RA00.1#") << QByteArray(":RE00.1#");
    QTest::newRow("empty") << QString() << QByteArray(":RA#") << QByteArray(":RE#");
}

void TestProtocol::rateCommandBuilders()
{
    QFETCH(QString, rate);
    QFETCH(QByteArray, raCommand);
    QFETCH(QByteArray, decCommand);
    QCOMPARE(wire(raRateCommand(rate)), raCommand);
    QCOMPARE(wire(decRateCommand(rate)), decCommand);
}

// ---- tables ----------------------------------------------------------------------

void TestProtocol::slewRates_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QString>("rateText");

    QTest::newRow("1") << 1 << u"Guide"_s << QByteArray(":RG#") << QByteArray()
                       << u"Guide Rate (Key 1)"_s;
    QTest::newRow("2") << 2 << u"2x"_s << QByteArray(":RC#") << QByteArray()
                       << u"Centering Rate 2x (Key 2)"_s;
    QTest::newRow("3") << 3 << u"0.1°"_s << QByteArray(":RA00.1#") << QByteArray(":RE00.1#")
                       << u"0.1°/sec"_s;
    QTest::newRow("4") << 4 << u"0.2°"_s << QByteArray(":RA00.2#") << QByteArray(":RE00.2#")
                       << u"0.2°/sec"_s;
    QTest::newRow("5") << 5 << u"0.3°"_s << QByteArray(":RA00.3#") << QByteArray(":RE00.3#")
                       << u"0.3°/sec"_s;
    QTest::newRow("6") << 6 << u"0.4°"_s << QByteArray(":RA00.4#") << QByteArray(":RE00.4#")
                       << u"0.4°/sec"_s;
    QTest::newRow("7") << 7 << u"0.5°"_s << QByteArray(":RA00.5#") << QByteArray(":RE00.5#")
                       << u"0.5°/sec"_s;
    QTest::newRow("8") << 8 << u"0.7°"_s << QByteArray(":RA00.7#") << QByteArray(":RE00.7#")
                       << u"0.7°/sec"_s;
    QTest::newRow("9") << 9 << u"1.0°"_s << QByteArray(":RA01.0#") << QByteArray(":RE01.0#")
                       << u"1.0°/sec"_s;
    QTest::newRow("10") << 10 << u"1.5°"_s << QByteArray(":RA01.5#") << QByteArray(":RE01.5#")
                        << u"1.5°/sec"_s;
    QTest::newRow("11") << 11 << u"3.0°"_s << QByteArray(":RA03.0#") << QByteArray(":RE03.0#")
                        << u"3.0°/sec"_s;
    QTest::newRow("12") << 12 << u"5.0°"_s << QByteArray(":RA05.0#") << QByteArray(":RE05.0#")
                        << u"5.0°/sec"_s;
}

void TestProtocol::slewRates()
{
    QFETCH(int, position);
    QFETCH(QString, caption);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QString, rateText);

    const std::optional<SlewRate> rate = slewRate(position);
    QVERIFY(rate);
    QCOMPARE(rate->position, position);
    QCOMPARE(QString(rate->caption), caption);
    QCOMPARE(wire(rate->firstCommand), first);
    QCOMPARE(wire(rate->secondCommand), second);
    QCOMPARE(QString(rate->rateText), rateText);
    // The degree sign must reach the user as U+00B0, not as UTF-8 bytes.
    QVERIFY(!QString(rate->rateText).contains(QChar(0xC2)));
}

void TestProtocol::slewRatePairsSetBothAxesAlike()
{
    QCOMPARE(kSlewRates.size(), std::size_t(kSlewRateMaxPosition - kSlewRateMinPosition + 1));
    for (const SlewRate &rate : kSlewRates) {
        if (rate.secondCommand.isEmpty())
            continue;
        const QString first = rate.firstCommand;
        const QString second = rate.secondCommand;
        QVERIFY2(first.startsWith(":RA"_L1) && second.startsWith(":RE"_L1),
                 qPrintable(first + second));
        QCOMPARE(second.mid(3), first.mid(3));
        // The rate always has two digits, a point and one digit.
        QCOMPARE(first.size(), 8);
        QCOMPARE(orrinet::raRateCommand(QStringView(first).sliced(3, 4)), first);
    }
}

void TestProtocol::focusSpeeds_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QString>("statusText");

    QTest::newRow("0") << 0 << u"Fine"_s << QByteArray(":F1#") << u"Focus speed set to 1 Fine"_s;
    QTest::newRow("1") << 1 << u"Slow"_s << QByteArray(":F2#") << u"Focus speed set to 2 Slow"_s;
    QTest::newRow("2") << 2 << u"Medium"_s << QByteArray(":F3#")
                       << u"Focus speed set to 3 Medium"_s;
    QTest::newRow("3") << 3 << u"Fast"_s << QByteArray(":F4#") << u"Focus speed set to 4 Fast"_s;
}

void TestProtocol::focusSpeeds()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QByteArray, command);
    QFETCH(QString, statusText);

    const std::optional<FocusSpeedSetting> speed = focusSpeed(index);
    QVERIFY(speed);
    QCOMPARE(speed->index, index);
    QCOMPARE(QString(speed->caption), caption);
    QCOMPARE(wire(speed->command), command);
    QCOMPARE(QString(speed->statusText), statusText);
    // The table and the builder must never disagree.
    QCOMPARE(wire(orrinet::focusSpeedCommand(index)), command);
}

void TestProtocol::pointerHaltDelays_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("milliseconds");

    QTest::newRow("1") << 1 << u"10ms"_s << 10;
    QTest::newRow("2") << 2 << u"25ms"_s << 25;
    QTest::newRow("3") << 3 << u"50ms"_s << 50;
    QTest::newRow("4") << 4 << u"100ms"_s << 100;
    QTest::newRow("5") << 5 << u"200ms"_s << 200;
    QTest::newRow("6") << 6 << u"300ms"_s << 300;
}

void TestProtocol::pointerHaltDelays()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(int, milliseconds);

    const std::optional<PointerHaltDelay> delay = pointerHaltDelay(index);
    QVERIFY(delay);
    QCOMPARE(delay->index, index);
    QCOMPARE(QString(delay->caption), caption);
    QCOMPARE(delay->milliseconds, milliseconds);
}

// ---- thresholds, pauses, queries ------------------------------------------------

void TestProtocol::thresholdsAndPauses_data()
{
    QTest::addColumn<int>("actual");
    QTest::addColumn<int>("expected");

    QTest::newRow("threshold RA") << kThresholdRa << 9;
    QTest::newRow("threshold DEC") << kThresholdDec << 10;
    QTest::newRow("threshold default") << kThresholdDefault << 1;
    QTest::newRow("threshold status") << kThresholdStatus << 3;
    QTest::newRow("threshold firmware") << kThresholdFirmware << 5;
    QTest::newRow("threshold site") << kThresholdSite << 7;
    QTest::newRow("threshold date/time") << kThresholdDateTime << 9;
    QTest::newRow("threshold az/alt") << kThresholdAzimuthAltitude << 10;
    QTest::newRow("threshold autostar query") << kThresholdAutostarDisplay << 30;
    QTest::newRow("threshold autostar macro") << kThresholdAutostarMacro << 34;
    QTest::newRow("pause query second step") << kPauseQuerySecondStepMs << 200;
    QTest::newRow("pause rate pair") << kPauseRatePairMs << 200;
    QTest::newRow("pause macro step") << kPauseMacroStepMs << 500;
    QTest::newRow("pause before connect send") << kPauseBeforeConnectSendMs << 500;
    QTest::newRow("pause rate to focus") << kPauseRateToFocusMs << 200;
    QTest::newRow("pause after connect send") << kPauseAfterConnectSendMs << 500;
    QTest::newRow("pause stop to get") << kPauseStopToGetMs << 200;
    QTest::newRow("reply time-out") << kReplyTimeoutMs << 5000;
}

void TestProtocol::thresholdsAndPauses()
{
    QFETCH(int, actual);
    QFETCH(int, expected);
    QCOMPARE(actual, expected);
}

void TestProtocol::telescopeQueries_data()
{
    QTest::addColumn<int>("query");
    QTest::addColumn<int>("firstFlag");
    QTest::addColumn<int>("secondFlag"); // -1: one-step query
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QByteArray>("firstCommand");
    QTest::addColumn<QByteArray>("secondCommand");
    QTest::addColumn<QString>("sentStatus");

    const auto flag = [](Awaiting a) { return int(a); };
    QTest::newRow("status") << int(TelescopeQuery::Status) << flag(Awaiting::Status) << -1 << 3
                            << QByteArray(":GW#") << QByteArray() << u"Telescope status..."_s;
    QTest::newRow("firmware") << int(TelescopeQuery::Firmware) << flag(Awaiting::Firmware)
                              << flag(Awaiting::Product) << 5 << QByteArray(":GVN#")
                              << QByteArray(":GVP#") << u"Telescope firmware..."_s;
    QTest::newRow("date/time") << int(TelescopeQuery::DateTime) << flag(Awaiting::Date)
                               << flag(Awaiting::Time) << 9 << QByteArray(":GC#")
                               << QByteArray(":GL#") << u"Telescope date/time..."_s;
    QTest::newRow("site") << int(TelescopeQuery::Site) << flag(Awaiting::Latitude)
                          << flag(Awaiting::Longitude) << 7 << QByteArray(":Gt#")
                          << QByteArray(":Gg#") << u"Telescope lat/lon..."_s;
    QTest::newRow("az/alt") << int(TelescopeQuery::AzimuthAltitude) << flag(Awaiting::Azimuth)
                            << flag(Awaiting::Altitude) << 10 << QByteArray(":GZ#")
                            << QByteArray(":GA#") << u"Telescope azimuth/altitude..."_s;
}

void TestProtocol::telescopeQueries()
{
    QFETCH(int, query);
    QFETCH(int, firstFlag);
    QFETCH(int, secondFlag);
    QFETCH(int, threshold);
    QFETCH(QByteArray, firstCommand);
    QFETCH(QByteArray, secondCommand);
    QFETCH(QString, sentStatus);

    const TelescopeQueryInfo &info = telescopeQuery(TelescopeQuery(query));
    QCOMPARE(int(info.query), query);
    QCOMPARE(int(info.firstFlag), firstFlag);
    QCOMPARE(info.secondFlag ? int(*info.secondFlag) : -1, secondFlag);
    QCOMPARE(info.threshold, threshold);
    QCOMPARE(wire(info.firstCommand), firstCommand);
    QCOMPARE(wire(info.secondCommand), secondCommand);
    QCOMPARE(QString(info.sentStatus), sentStatus);
}

void TestProtocol::queryForFlag_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<int>("query"); // -1: belongs to no query

    for (const Awaiting flag : kAwaitingTestOrder) {
        int query = -1;
        switch (flag) {
        case Awaiting::Status:
            query = int(TelescopeQuery::Status);
            break;
        case Awaiting::Firmware:
        case Awaiting::Product:
            query = int(TelescopeQuery::Firmware);
            break;
        case Awaiting::Date:
        case Awaiting::Time:
            query = int(TelescopeQuery::DateTime);
            break;
        case Awaiting::Latitude:
        case Awaiting::Longitude:
            query = int(TelescopeQuery::Site);
            break;
        case Awaiting::Azimuth:
        case Awaiting::Altitude:
            query = int(TelescopeQuery::AzimuthAltitude);
            break;
        default:
            break;
        }
        QTest::newRow(awaitingName(flag).data()) << int(flag) << query;
    }
}

void TestProtocol::queryForFlag()
{
    QFETCH(int, flag);
    QFETCH(int, query);

    const TelescopeQueryInfo *info = orrinet::queryForFlag(Awaiting(flag));
    QCOMPARE(info ? int(info->query) : -1, query);
}

// ---- awaited replies ----------------------------------------------------------------

void TestProtocol::awaitingNames_data()
{
    QTest::addColumn<int>("position"); // 0-based place in the test order
    QTest::addColumn<QString>("name");

    const char *names[] = {"WaitingRa",           "WaitingDec",      "WaitingFirmware",
                           "WaitingProduct",      "WaitingDate",     "WaitingTime",
                           "WaitingAzimuth",      "WaitingAltitude", "WaitingLatitude",
                           "WaitingLongitude",    "WaitingGotoRa",   "WaitingGotoDec",
                           "WaitingGoto",         "WaitingGps",      "WaitingAlign",
                           "WaitingAutostarGoto", "WaitingAutostar", "WaitingStatus"};
    int position = 0;
    for (const char *name : names) {
        QTest::newRow(name) << position << QString::fromLatin1(name);
        ++position;
    }
}

void TestProtocol::awaitingNames()
{
    QFETCH(int, position);
    QFETCH(QString, name);

    QCOMPARE(kAwaitingTestOrder.size(), kAwaitingCount);
    const Awaiting flag = kAwaitingTestOrder[std::size_t(position)];
    QCOMPARE(int(flag), position);
    QCOMPARE(QString(awaitingName(flag)), name);
}

void TestProtocol::awaitedFirst_data()
{
    QTest::addColumn<QList<int>>("raised");
    QTest::addColumn<int>("first"); // -1: none

    const auto f = [](Awaiting a) { return int(a); };
    QTest::newRow("none") << QList<int>{} << -1;
    QTest::newRow("status alone") << QList<int>{f(Awaiting::Status)} << f(Awaiting::Status);
    QTest::newRow("get pending during a status query")
        << QList<int>{f(Awaiting::Status), f(Awaiting::Ra)} << f(Awaiting::Ra);
    QTest::newRow("altitude before latitude")
        << QList<int>{f(Awaiting::Longitude), f(Awaiting::Latitude), f(Awaiting::Altitude)}
        << f(Awaiting::Altitude);
    QTest::newRow("macro display before display query")
        << QList<int>{f(Awaiting::Autostar), f(Awaiting::AutostarGoto)}
        << f(Awaiting::AutostarGoto);
    QTest::newRow("goto before GPS")
        << QList<int>{f(Awaiting::Gps), f(Awaiting::GotoDec)} << f(Awaiting::GotoDec);
    QTest::newRow("align before autostar")
        << QList<int>{f(Awaiting::Status), f(Awaiting::Autostar), f(Awaiting::Align)}
        << f(Awaiting::Align);
    QList<int> all;
    for (const Awaiting flag : kAwaitingTestOrder)
        all.prepend(int(flag));
    QTest::newRow("all") << all << f(Awaiting::Ra);
}

void TestProtocol::awaitedFirst()
{
    QFETCH(QList<int>, raised);
    QFETCH(int, first);

    AwaitedReplies replies;
    for (const int flag : raised)
        replies.set(Awaiting(flag));
    QCOMPARE(replies.any(), !raised.isEmpty());
    const std::optional<Awaiting> served = replies.first();
    QCOMPARE(served ? int(*served) : -1, first);
    for (const Awaiting flag : kAwaitingTestOrder)
        QCOMPARE(replies.test(flag), raised.contains(int(flag)));
}

void TestProtocol::awaitedClearLowersOnlyThatFlag()
{
    AwaitedReplies replies;
    replies.set(Awaiting::Ra);
    replies.set(Awaiting::Dec);
    replies.set(Awaiting::Status);

    replies.clear(Awaiting::Ra);
    QVERIFY(!replies.test(Awaiting::Ra));
    QVERIFY(replies.test(Awaiting::Dec));
    QCOMPARE(replies.first(), std::optional(Awaiting::Dec));

    replies.clear(Awaiting::Ra); // lowering a lowered flag changes nothing
    replies.set(Awaiting::Dec, false);
    QCOMPARE(replies.first(), std::optional(Awaiting::Status));

    replies.set(Awaiting::Status, false);
    QVERIFY(!replies.any());
    QCOMPARE(replies, AwaitedReplies());
}

void TestProtocol::awaitedIgnoresValuesOutsideTheEnumeration()
{
    const auto bogus = static_cast<Awaiting>(40);
    AwaitedReplies replies;
    replies.set(bogus);
    QVERIFY(!replies.any());
    QVERIFY(!replies.test(bogus));
    QVERIFY(!replies.first());
    QVERIFY(awaitingName(bogus).isEmpty());
    QCOMPARE(orrinet::queryForFlag(bogus), nullptr);
}

QTEST_APPLESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
