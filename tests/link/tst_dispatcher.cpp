// The receive handler over the fake line: which branch serves an event, what
// each branch leaves behind (flags, threshold, time-out timer, pointer), the
// time-out texts, and input that no flag explains.

#include "app/frmMain.h"
#include "link/protocol.h"
#include "support/panelfixture.h"
#include "support/waitingflags.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(orrinet::Awaiting)

namespace {

// Longer than any receive threshold, so one feed raises exactly one event.
const QString kLongReply = u"0ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklm"_s;

// Sender-set threshold that no branch would choose itself.
constexpr int kSenderThreshold = 17;

QString latin1(const char *bytes)
{
    return QString::fromLatin1(bytes);
}

QStringList allFlagNames()
{
    QStringList names;
    for (const Awaiting flag : kAwaitingTestOrder)
        names << QString(awaitingName(flag));
    return names;
}

bool hourglassShown()
{
    const QCursor *cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}

// A reply that reaches the handler even when it is empty.
void deliver(PanelFixture &f, const QString &reply)
{
    if (reply.isEmpty())
        f.port.raiseEvent(SerialPort::EventReceive);
    else
        f.port.feed(reply);
}

} // namespace

class TestDispatcher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void servesFirstRaisedFlagInTestOrder();
    void getPendingTakesTheStatusReply();

    void branchLeavesThresholdTimerAndPointer_data();
    void branchLeavesThresholdTimerAndPointer();

    void gpsAndAlignReplies_data();
    void gpsAndAlignReplies();

    void autostarTakingKeepsMacroFlag_data();
    void autostarTakingKeepsMacroFlag();
    void autostarQueryShowsDisplay();

    void unexpectedInputShownRaw_data();
    void unexpectedInputShownRaw();

    void otherEventKindsIgnored_data();
    void otherEventKindsIgnored();

    void shortReplyWaitsForThreshold();
    void emptyReadsGiveEmptyFields_data();
    void emptyReadsGiveEmptyFields();

    void timeoutTexts_data();
    void timeoutTexts();
    void timerFiresThroughItsSignal();
};

void TestDispatcher::servesFirstRaisedFlagInTestOrder()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    for (const Awaiting flag : kAwaitingTestOrder)
        waiting(f.window, flag) = true;

    QStringList expected = allFlagNames();
    for (const Awaiting flag : kAwaitingTestOrder) {
        f.port.feed(kLongReply);
        expected.removeFirst();
        QVERIFY2(raisedFlags(f.window) == expected,
                 qPrintable(u"after serving "_s + awaitingName(flag) + u": "_s +
                            raisedFlags(f.window).join(u' ')));
        QVERIFY(f.port.buffered().isEmpty());
    }

    // With none left, the input is shown as it came.
    f.port.feed(u"xyz#"_s);
    QCOMPARE(f.window.statusText(), u"xyz#"_s);
    QVERIFY(raisedFlags(f.window).isEmpty());
}

void TestDispatcher::getPendingTakesTheStatusReply()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.CommandGet_Click();
    f.window.TelescopeStatusButton_Click();
    f.forgetTraffic();

    // Whatever it says, the next reply is taken as the RA.
    f.port.feed(u"ANP#"_s);
    QCOMPARE(f.window.RaString, u"ANP#"_s);
    QCOMPARE(raisedFlags(f.window), (QStringList{u"WaitingDec"_s, u"WaitingStatus"_s}));
    QCOMPARE(f.written(), QStringList{u":GD#"_s});
    QCOMPARE(f.port.receiveThreshold(), kThresholdDec);
    QCOMPARE(f.window.statusText(), u"Telescope status..."_s);

    f.port.feed(latin1("+12\xDF" "34:56#"));
    QCOMPARE(raisedFlags(f.window), QStringList{u"WaitingStatus"_s});
    QCOMPARE(f.window.statusText(), u"Telescope status..."_s);

    // Only now does a reply reach the status branch.
    f.port.feed(u"GNP#"_s);
    QVERIFY(raisedFlags(f.window).isEmpty());
    QCOMPARE(f.window.statusText(), u"German Mount, Not Tracking, Scope was parked"_s);
}

// ---- what each branch leaves behind -----------------------------------------------

void TestDispatcher::branchLeavesThresholdTimerAndPointer_data()
{
    QTest::addColumn<int>("flag"); // -1: none raised
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<bool>("timerRunning");

    const QString accepted = u"1"_s + kLongReply;
    const auto row = [&](Awaiting flag, const QString &reply, int threshold, bool running) {
        QTest::newRow(QString(awaitingName(flag)).toLatin1().constData())
            << static_cast<int>(flag) << reply << threshold << running;
    };
    row(Awaiting::Ra, kLongReply, kThresholdDec, true);
    row(Awaiting::Dec, kLongReply, kThresholdDefault, true);
    row(Awaiting::Firmware, kLongReply, kSenderThreshold, true);
    row(Awaiting::Product, kLongReply, kThresholdDefault, false);
    row(Awaiting::Date, kLongReply, kSenderThreshold, true);
    row(Awaiting::Time, kLongReply, kThresholdDefault, false);
    row(Awaiting::Azimuth, kLongReply, kSenderThreshold, true);
    row(Awaiting::Altitude, kLongReply, kThresholdDefault, false);
    row(Awaiting::Latitude, kLongReply, kSenderThreshold, true);
    row(Awaiting::Longitude, kLongReply, kThresholdDefault, false);
    row(Awaiting::GotoRa, kLongReply, kThresholdDefault, false);
    QTest::newRow("WaitingGotoRa accepted")
        << static_cast<int>(Awaiting::GotoRa) << accepted << kThresholdDefault << true;
    row(Awaiting::GotoDec, kLongReply, kThresholdDefault, false);
    QTest::newRow("WaitingGotoDec accepted")
        << static_cast<int>(Awaiting::GotoDec) << accepted << kThresholdDefault << true;
    row(Awaiting::Goto, kLongReply, kSenderThreshold, false);
    row(Awaiting::Gps, kLongReply, kSenderThreshold, false);
    row(Awaiting::Align, kLongReply, kSenderThreshold, false);
    row(Awaiting::AutostarGoto, kLongReply, kSenderThreshold, false);
    row(Awaiting::Autostar, kLongReply, kSenderThreshold, false);
    row(Awaiting::Status, kLongReply, kSenderThreshold, false);
    QTest::newRow("none raised") << -1 << kLongReply << kSenderThreshold << true;
}

void TestDispatcher::branchLeavesThresholdTimerAndPointer()
{
    QFETCH(int, flag);
    QFETCH(QString, reply);
    QFETCH(int, threshold);
    QFETCH(bool, timerRunning);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    if (flag >= 0)
        waiting(f.window, static_cast<Awaiting>(flag)) = true;
    f.port.setReceiveThreshold(kSenderThreshold);
    f.window.Timer1->start();
    f.window.setMousePointer(frmMain::MousePointer::Hourglass);

    f.port.feed(reply);

    QVERIFY(f.port.buffered().isEmpty());
    QCOMPARE(f.port.receiveThreshold(), threshold);
    QCOMPARE(f.window.Timer1->isActive(), timerRunning);
    QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Default);
    QVERIFY(!hourglassShown());
}

// ---- LX200GPS replies ----------------------------------------------------------------

void TestDispatcher::gpsAndAlignReplies_data()
{
    QTest::addColumn<Awaiting>("flag");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("status");

    const QString gpsDone = u"Telescope updated with GPS data"_s;
    const QString gpsFailed = u"GPS turn on aborted or failed"_s;
    const QString aligned = u"Alignment Successful"_s;
    const QString notAligned = u"Scope not AzEl Mounted or align failed"_s;

    QTest::newRow("gps 1") << Awaiting::Gps << u"1"_s << gpsDone;
    QTest::newRow("gps 0") << Awaiting::Gps << u"0"_s << gpsFailed;
    QTest::newRow("gps other character") << Awaiting::Gps << u"#"_s << gpsFailed;
    QTest::newRow("gps longer read, first decides") << Awaiting::Gps << u"1#0"_s << gpsDone;
    QTest::newRow("gps empty read") << Awaiting::Gps << QString() << gpsFailed;
    QTest::newRow("align 1") << Awaiting::Align << u"1"_s << aligned;
    QTest::newRow("align 0") << Awaiting::Align << u"0"_s << notAligned;
    QTest::newRow("align 8-bit byte") << Awaiting::Align << latin1("\xB1") << notAligned;
    QTest::newRow("align empty read") << Awaiting::Align << QString() << notAligned;
}

void TestDispatcher::gpsAndAlignReplies()
{
    QFETCH(Awaiting, flag);
    QFETCH(QString, reply);
    QFETCH(QString, status);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    waiting(f.window, flag) = true;
    f.window.Timer1->start();

    deliver(f, reply);

    QCOMPARE(f.window.statusText(), status);
    QCOMPARE(f.window.ReceiveBuffer, reply);
    QVERIFY(raisedFlags(f.window).isEmpty());
    QVERIFY(!f.window.Timer1->isActive());
    QVERIFY(f.written().isEmpty());
}

// ---- Autostar display texts -------------------------------------------------------------

void TestDispatcher::autostarTakingKeepsMacroFlag_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<bool>("keepsFlag");

    QTest::newRow("Taking at 2..7") << u" Taking you to Polaris...        "_s << true;
    QTest::newRow("Taking after another first character") << u">Taking"_s << true;
    QTest::newRow("a finished display") << u"Polaris    RA 02:31:49 DEC+89:15#"_s << false;
    QTest::newRow("Taking at 1..6") << u"Taking you there"_s << false;
    QTest::newRow("lower case") << u" taking you there"_s << false;
    QTest::newRow("cut short") << u" Takin"_s << false;
    QTest::newRow("empty read") << QString() << false;
}

void TestDispatcher::autostarTakingKeepsMacroFlag()
{
    QFETCH(QString, display);
    QFETCH(bool, keepsFlag);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    // A display query is pending too; the macro's flag is tested first.
    f.window.WaitingAutostarGoto = true;
    f.window.WaitingAutostar = true;
    f.window.Timer1->start();

    deliver(f, display);
    QCOMPARE(f.window.statusText(), display);
    QCOMPARE(f.window.WaitingAutostarGoto, keepsFlag);
    QVERIFY(f.window.WaitingAutostar);
    QVERIFY(!f.window.Timer1->isActive());

    const QString next = u"Polaris    RA 02:31:49 DEC+89:15#"_s;
    f.port.feed(next);
    QCOMPARE(f.window.statusText(), next);
    // Served by the macro branch again when it was kept, else by the query.
    QCOMPARE(raisedFlags(f.window), keepsFlag ? QStringList{u"WaitingAutostar"_s} : QStringList());
}

void TestDispatcher::autostarQueryShowsDisplay()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.WaitingAutostar = true;
    f.port.setReceiveThreshold(kThresholdAutostarDisplay);
    f.window.Timer1->start();

    const QString display = latin1(" Taking you to the Moon\xDF        #");
    f.port.feed(display.left(kThresholdAutostarDisplay - 1));
    QVERIFY(f.window.WaitingAutostar); // one short: no event yet
    f.port.feed(display.mid(kThresholdAutostarDisplay - 1));

    QCOMPARE(f.window.statusText(), display);
    QVERIFY(!f.window.WaitingAutostar);
    QVERIFY(!f.window.Timer1->isActive());
    QCOMPARE(f.port.receiveThreshold(), kThresholdAutostarDisplay);
}

// ---- input nothing awaits ------------------------------------------------------------------

void TestDispatcher::unexpectedInputShownRaw_data()
{
    QTest::addColumn<QString>("input");

    QTest::newRow("one character") << u"1"_s;
    QTest::newRow("with terminator") << u"LX2001#"_s;
    QTest::newRow("control and 8-bit bytes") << latin1("\x15\r\n\xDF\xFF#");
    QTest::newRow("markup stays text") << u"<b>bold</b>"_s;
    QTest::newRow("empty read") << QString();
}

void TestDispatcher::unexpectedInputShownRaw()
{
    QFETCH(QString, input);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.port.setReceiveThreshold(1);
    f.window.Timer1->start();

    deliver(f, input);

    QCOMPARE(f.window.statusText(), input);
    QCOMPARE(f.window.StatusText->textFormat(), Qt::PlainText);
    QVERIFY(f.window.ReceiveBuffer.isEmpty());
    // The timer and the threshold are none of its business.
    QVERIFY(f.window.Timer1->isActive());
    QCOMPARE(f.port.receiveThreshold(), 1);
    QVERIFY(f.written().isEmpty());
    QVERIFY(!f.window.console());
}

void TestDispatcher::otherEventKindsIgnored_data()
{
    QTest::addColumn<int>("kind");

    QTest::newRow("none") << int(SerialPort::EventNone);
    QTest::newRow("send event") << 1;
    QTest::newRow("line lost") << int(SerialPort::EventLost);
}

void TestDispatcher::otherEventKindsIgnored()
{
    QFETCH(int, kind);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.TelescopeStatusButton_Click();
    f.port.feed(u"AN"_s);

    f.port.raiseEvent(kind);

    QCOMPARE(f.port.buffered(), u"AN"_s);
    QCOMPARE(raisedFlags(f.window), QStringList{u"WaitingStatus"_s});
    QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Hourglass);
    QVERIFY(hourglassShown());
    QCOMPARE(f.window.statusText(), u"Telescope status..."_s);
    QVERIFY(f.window.Timer1->isActive());

    f.port.feed(u"P#"_s);
    QCOMPARE(f.window.statusText(), u"AltAz Mount, Not Tracking, Scope was parked"_s);
}

// ---- short and empty replies -------------------------------------------------------------------

void TestDispatcher::shortReplyWaitsForThreshold()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.TelescopeStatusButton_Click();

    f.port.feed(u"P"_s);
    f.port.feed(u"S"_s);
    QCOMPARE(f.window.statusText(), u"Telescope status..."_s);
    QVERIFY(f.window.WaitingStatus);
    QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Hourglass);

    f.port.feed(u"H"_s);
    QCOMPARE(f.window.statusText(), u"Polar Mount, Sleeping, Aligned on Home"_s);
    QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Default);
    // A terminator that comes after the event waits for the next reply.
    f.port.feed(u"#"_s);
    QCOMPARE(f.port.buffered(), u"#"_s);
}

void TestDispatcher::emptyReadsGiveEmptyFields_data()
{
    QTest::addColumn<int>("query");
    QTest::addColumn<QString>("line");

    QTest::newRow("status") << int(TelescopeQuery::Status) << QString();
    QTest::newRow("firmware") << int(TelescopeQuery::Firmware) << u"   Firmware "_s;
    QTest::newRow("date/time") << int(TelescopeQuery::DateTime) << u"Date    Time "_s;
    QTest::newRow("site") << int(TelescopeQuery::Site) << u"Lat \u00B0'S   Lon \u00B0'W"_s;
    QTest::newRow("azimuth/altitude")
        << int(TelescopeQuery::AzimuthAltitude) << u"Azimuth \u00B0'\"   Altitude \u00B0'\""_s;
}

void TestDispatcher::emptyReadsGiveEmptyFields()
{
    QFETCH(int, query);
    QFETCH(QString, line);

    const TelescopeQueryInfo &info = telescopeQuery(static_cast<TelescopeQuery>(query));
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    waiting(f.window, info.firstFlag) = true;
    f.window.ReceiveBuffer = u"stale"_s;

    f.port.raiseEvent(SerialPort::EventReceive);
    if (info.secondFlag) {
        QCOMPARE(f.written(), QStringList{QString(info.secondCommand)});
        QCOMPARE(raisedFlags(f.window), QStringList{QString(awaitingName(*info.secondFlag))});
        f.port.raiseEvent(SerialPort::EventReceive);
    }

    QCOMPARE(f.window.statusText(), line);
    QVERIFY(raisedFlags(f.window).isEmpty());
}

// ---- the reply time-out ---------------------------------------------------------------------------

void TestDispatcher::timeoutTexts_data()
{
    QTest::addColumn<bool>("gotoRa");
    QTest::addColumn<bool>("gotoDec");
    QTest::addColumn<QString>("text");

    QTest::newRow("a query") << false << false << u"Timeout waiting for response"_s;
    QTest::newRow("goto RA") << true << false << u"Timeout sending RA :Sr 05:34:32#"_s;
    QTest::newRow("goto DEC") << false << true << u"Timeout sending DEC :Sd -05:03:09#"_s;
    QTest::newRow("both: DEC wins") << true << true << u"Timeout sending DEC :Sd -05:03:09#"_s;
}

void TestDispatcher::timeoutTexts()
{
    QFETCH(bool, gotoRa);
    QFETCH(bool, gotoDec);
    QFETCH(QString, text);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.TelescopeAzButton_Click();
    f.window.RaString = u":Sr 05:34:32#"_s;
    f.window.DecString = u":Sd -05:03:09#"_s;
    f.window.WaitingGotoRa = gotoRa;
    f.window.WaitingGotoDec = gotoDec;
    const QStringList raised = raisedFlags(f.window);

    QVERIFY(f.window.Timer1->isActive());
    f.window.Timer1_Timer();

    QCOMPARE(f.window.statusText(), text);
    QVERIFY(!f.window.Timer1->isActive());
    QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Default);
    QVERIFY(!hourglassShown());
    QCOMPARE(raisedFlags(f.window), raised); // no flag is cleared
    QVERIFY(f.written() == QStringList{u":GZ#"_s});
}

void TestDispatcher::timerFiresThroughItsSignal()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    QCOMPARE(f.window.Timer1->interval(), kReplyTimeoutMs);
    f.window.Timer1->setInterval(20);

    f.window.TelescopeStatusButton_Click();
    QTRY_COMPARE(f.window.statusText(), u"Timeout waiting for response"_s);
    QVERIFY(!f.window.Timer1->isActive());
    QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Default);

    // The late reply still completes the query.
    f.port.feed(u"AT1#"_s);
    QCOMPARE(f.window.statusText(), u"AltAz Mount, Tracking, One star aligned"_s);
    QVERIFY(!f.window.WaitingStatus);
}

QTEST_MAIN(TestDispatcher)
#include "tst_dispatcher.moc"
