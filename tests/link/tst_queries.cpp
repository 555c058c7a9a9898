// The Telescope menu over the fake line: the bytes each item writes, the
// thresholds they are written with, the pause before the second command, the
// hourglass, the result line, and replies that come after the time-out.

#include "app/frmMain.h"
#include "app/picturebox.h"
#include "link/protocol.h"
#include "support/panelfixture.h"
#include "support/waitingflags.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>

#include <array>
#include <utility>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(orrinet::TelescopeQuery)

namespace {

// Virtual milliseconds the telescope takes to answer.
constexpr int kReplyDelayMs = 350;

constexpr std::array<std::pair<TelescopeQuery, QAction *frmMainUi::*>, 5> kMenuItems{{
    {TelescopeQuery::Status, &frmMainUi::TelescopeStatusButton},
    {TelescopeQuery::Firmware, &frmMainUi::TelescopeInfoButton},
    {TelescopeQuery::Site, &frmMainUi::TelescopeSiteButton},
    {TelescopeQuery::DateTime, &frmMainUi::TelescopeDateButton},
    {TelescopeQuery::AzimuthAltitude, &frmMainUi::TelescopeAzButton},
}};

QAction *menuItem(frmMain &window, TelescopeQuery query)
{
    for (const auto &[which, item] : kMenuItems) {
        if (which == query)
            return window.*item;
    }
    return nullptr;
}

// The click handler itself, for when the menu is disabled.
void click(frmMain &window, TelescopeQuery query)
{
    switch (query) {
    case TelescopeQuery::Status:
        window.TelescopeStatusButton_Click();
        break;
    case TelescopeQuery::Firmware:
        window.TelescopeInfoButton_Click();
        break;
    case TelescopeQuery::Site:
        window.TelescopeSiteButton_Click();
        break;
    case TelescopeQuery::DateTime:
        window.TelescopeDateButton_Click();
        break;
    case TelescopeQuery::AzimuthAltitude:
        window.TelescopeAzButton_Click();
        break;
    }
}

QString latin1(const char *bytes)
{
    return QString::fromLatin1(bytes);
}

bool hourglassShown()
{
    const QCursor *cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}

void addQueryColumns()
{
    QTest::addColumn<TelescopeQuery>("query");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("sent");
}

void addQueryRows()
{
    QTest::newRow("Status") << TelescopeQuery::Status << u":GW#"_s << 3 << u"WaitingStatus"_s
                            << u"Telescope status..."_s;
    QTest::newRow("Firmware verson") << TelescopeQuery::Firmware << u":GVN#"_s << 5
                                     << u"WaitingFirmware"_s << u"Telescope firmware..."_s;
    QTest::newRow("Site Lat/Lon") << TelescopeQuery::Site << u":Gt#"_s << 7 << u"WaitingLatitude"_s
                                  << u"Telescope lat/lon..."_s;
    QTest::newRow("Date and Time") << TelescopeQuery::DateTime << u":GC#"_s << 9 << u"WaitingDate"_s
                                   << u"Telescope date/time..."_s;
    QTest::newRow("Azimuth/Altitude") << TelescopeQuery::AzimuthAltitude << u":GZ#"_s << 10
                                      << u"WaitingAzimuth"_s << u"Telescope azimuth/altitude..."_s;
}

} // namespace

class TestQueries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuItemSendsFirstCommand_data();
    void menuItemSendsFirstCommand();
    void closedPortSendsNothing_data();
    void closedPortSendsNothing();
    void focusGoesToPad_data();
    void focusGoesToPad();

    void exchange_data();
    void exchange();

    void lateReplyAfterTimeout_data();
    void lateReplyAfterTimeout();
};

void TestQueries::menuItemSendsFirstCommand_data()
{
    addQueryColumns();
    addQueryRows();
}

void TestQueries::menuItemSendsFirstCommand()
{
    QFETCH(TelescopeQuery, query);
    QFETCH(QString, command);
    QFETCH(int, threshold);
    QFETCH(QString, flag);
    QFETCH(QString, sent);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    menuItem(f.window, query)->trigger();

    QCOMPARE(f.written(), QStringList{command});
    QCOMPARE(f.port.writes().front().thresholdAtWrite, threshold);
    QCOMPARE(raisedFlags(f.window), QStringList{flag});
    QCOMPARE(f.window.statusText(), sent);
    QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Hourglass);
    QVERIFY(hourglassShown());
    QVERIFY(f.window.Timer1->isActive());
    QVERIFY(f.window.Timer1->remainingTime() > kReplyTimeoutMs - 1000);
    QVERIFY(f.pauses().empty());
}

void TestQueries::closedPortSendsNothing_data()
{
    addQueryColumns();
    addQueryRows();
}

void TestQueries::closedPortSendsNothing()
{
    QFETCH(TelescopeQuery, query);

    PanelFixture f;
    const QString before = f.window.statusText();
    click(f.window, query);

    QVERIFY(f.written().isEmpty());
    QVERIFY(raisedFlags(f.window).isEmpty());
    QCOMPARE(f.window.statusText(), before);
    QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Default);
    QVERIFY(!f.window.Timer1->isActive());
}

void TestQueries::focusGoesToPad_data()
{
    addQueryColumns();
    addQueryRows();
}

void TestQueries::focusGoesToPad()
{
    QFETCH(TelescopeQuery, query);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    QVERIFY(f.showActive());
    f.window.ComboRAh->setFocus();
    QVERIFY(f.window.ComboRAh->hasFocus());

    menuItem(f.window, query)->trigger();
    QVERIFY(f.window.PictureNav->hasFocus());

    // Also when the reply never came and the item is used again.
    f.window.ComboRAh->setFocus();
    click(f.window, query);
    QVERIFY(f.window.PictureNav->hasFocus());
}

// ---- whole exchanges ---------------------------------------------------------------------

void TestQueries::exchange_data()
{
    QTest::addColumn<TelescopeQuery>("query");
    QTest::addColumn<QString>("firstReply");
    QTest::addColumn<QString>("secondReply");
    QTest::addColumn<QString>("line");

    const auto status = [](const char *tag, const char *reply, const QString &line) {
        QTest::newRow(tag) << TelescopeQuery::Status << latin1(reply) << QString() << line;
    };
    status("status A,T,1", "AT1", u"AltAz Mount, Tracking, One star aligned"_s);
    status("status G,N,P", "GNP", u"German Mount, Not Tracking, Scope was parked"_s);
    status("status P,S,H", "PSH", u"Polar Mount, Sleeping, Aligned on Home"_s);
    status("status 0,T,2: no mount text", "0T2", u"Tracking, Two star aligned"_s);
    status("status lower case adds nothing", "at3", u"Three star aligned"_s);
    status("status over-long with terminator", "ANP#", u"AltAz Mount, Not Tracking, Scope was parked"_s);
    status("status 8-bit bytes", "\xC1\xD4\xB1", QString());

    QTest::newRow("firmware") << TelescopeQuery::Firmware << u"4.2l#"_s << u"LX2001#"_s
                              << u"LX2001   Firmware 4.2l"_s;
    QTest::newRow("firmware, product just at the threshold")
        << TelescopeQuery::Firmware << u"4.2l#"_s << u"LX20#"_s << u"LX20   Firmware 4.2l"_s;
    QTest::newRow("date/time") << TelescopeQuery::DateTime << u"03/15/24#"_s << u"21:04:37#"_s
                               << u"Date 03/15/24   Time 21:04:37"_s;
    QTest::newRow("site south-west") << TelescopeQuery::Site << latin1("-33\xDF" "52#")
                                     << latin1("+117\xDF" "05#")
                                     << u"Lat 33\u00B0" "52'S   Lon 117\u00B0" "05'W"_s;
    QTest::newRow("site north-east") << TelescopeQuery::Site << latin1("+48\xDF" "51#")
                                     << latin1("-002\xDF" "21#")
                                     << u"Lat 48\u00B0" "51'N   Lon 002\u00B0" "21'E"_s;
    QTest::newRow("azimuth/altitude below horizon")
        << TelescopeQuery::AzimuthAltitude << latin1("123\xDF" "45:30#") << latin1("-05\xDF" "12:30#")
        << u"Azimuth 123\u00B0" "45'30\"   Altitude -05\u00B0" "12'30\""_s;
    QTest::newRow("azimuth/altitude above horizon")
        << TelescopeQuery::AzimuthAltitude << latin1("359\xDF" "59:59#") << latin1("+89\xDF" "00:01#")
        << u"Azimuth 359\u00B0" "59'59\"   Altitude +89\u00B0" "00'01\""_s;
}

void TestQueries::exchange()
{
    QFETCH(TelescopeQuery, query);
    QFETCH(QString, firstReply);
    QFETCH(QString, secondReply);
    QFETCH(QString, line);

    const TelescopeQueryInfo &info = telescopeQuery(query);
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    menuItem(f.window, query)->trigger();
    QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Hourglass);
    const int sentAt = f.port.writes().front().at;

    f.wait.advance(kReplyDelayMs);
    f.port.feed(firstReply);
    QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Default);
    QVERIFY(!hourglassShown());

    if (info.secondFlag) {
        const QStringList expected{QString(info.firstCommand), QString(info.secondCommand)};
        QCOMPARE(f.written(), expected);
        // The second command inherits the first one's threshold, 200 ms after the reply.
        QCOMPARE(f.port.writes().back().thresholdAtWrite, info.threshold);
        QCOMPARE(f.pauses(), std::vector<int>{kPauseQuerySecondStepMs});
        QCOMPARE(f.port.writes().back().at - (sentAt + kReplyDelayMs), kPauseQuerySecondStepMs);
        QCOMPARE(raisedFlags(f.window), QStringList{QString(awaitingName(*info.secondFlag))});
        QCOMPARE(f.window.statusText(), QString(info.sentStatus));
        QVERIFY(f.window.Timer1->isActive());

        f.wait.advance(kReplyDelayMs);
        f.port.feed(secondReply);
        QCOMPARE(f.port.receiveThreshold(), kThresholdDefault);
    } else {
        QCOMPARE(f.port.receiveThreshold(), info.threshold);
        QCOMPARE(f.window.ReceiveBuffer, firstReply);
    }

    QCOMPARE(f.window.statusText(), line);
    QVERIFY(raisedFlags(f.window).isEmpty());
    QCOMPARE(f.written().size(), info.secondFlag ? 2 : 1);
    // Nothing left to time out.
    QVERIFY(!f.window.Timer1->isActive());
    QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Default);
}

void TestQueries::lateReplyAfterTimeout_data()
{
    QTest::addColumn<TelescopeQuery>("query");
    QTest::addColumn<QString>("firstReply");
    QTest::addColumn<QString>("secondReply");
    QTest::addColumn<bool>("afterFirstReply"); // the time-out falls between the two replies
    QTest::addColumn<QString>("line");

    QTest::newRow("status") << TelescopeQuery::Status << u"ANP#"_s << QString() << false
                            << u"AltAz Mount, Not Tracking, Scope was parked"_s;
    QTest::newRow("firmware, nothing answered") << TelescopeQuery::Firmware << u"4.2l#"_s
                                                << u"LX2001#"_s << false << u"LX2001   Firmware 4.2l"_s;
    QTest::newRow("firmware, product late") << TelescopeQuery::Firmware << u"4.2l#"_s << u"LX2001#"_s
                                            << true << u"LX2001   Firmware 4.2l"_s;
    QTest::newRow("date/time, time late") << TelescopeQuery::DateTime << u"03/15/24#"_s
                                          << u"21:04:37#"_s << true << u"Date 03/15/24   Time 21:04:37"_s;
    QTest::newRow("site") << TelescopeQuery::Site << latin1("+48\xDF" "51#") << latin1("-002\xDF" "21#")
                          << false << u"Lat 48\u00B0" "51'N   Lon 002\u00B0" "21'E"_s;
    QTest::newRow("azimuth/altitude, altitude late")
        << TelescopeQuery::AzimuthAltitude << latin1("123\xDF" "45:30#") << latin1("-05\xDF" "12:30#")
        << true << u"Azimuth 123\u00B0" "45'30\"   Altitude -05\u00B0" "12'30\""_s;
}

void TestQueries::lateReplyAfterTimeout()
{
    QFETCH(TelescopeQuery, query);
    QFETCH(QString, firstReply);
    QFETCH(QString, secondReply);
    QFETCH(bool, afterFirstReply);
    QFETCH(QString, line);

    const TelescopeQueryInfo &info = telescopeQuery(query);
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    menuItem(f.window, query)->trigger();
    if (afterFirstReply)
        f.port.feed(firstReply);

    // The first step leaves the time-out running.
    QVERIFY(f.window.Timer1->isActive());
    f.window.Timer1_Timer();
    QCOMPARE(f.window.statusText(), u"Timeout waiting for response"_s);
    QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Default);
    QVERIFY(!raisedFlags(f.window).isEmpty());

    if (!afterFirstReply)
        f.port.feed(firstReply);
    if (info.secondFlag)
        f.port.feed(secondReply);

    QCOMPARE(f.window.statusText(), line);
    QVERIFY(raisedFlags(f.window).isEmpty());
    QVERIFY(!f.window.Timer1->isActive());
}

QTEST_MAIN(TestQueries)
#include "tst_queries.moc"
