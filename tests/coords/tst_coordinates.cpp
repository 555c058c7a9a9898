// Decoding of :GR#/:GD# replies, then Goto, Get and Halt over the fake line.

#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "app/picturebox.h"
#include "coords/coordinates.h"
#include "support/panelfixture.h"
#include "support/waitingflags.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

constexpr std::optional<int> keep = std::nullopt;

// The telescope's degree mark is the byte 0xDF; '*' stands for it here.
QString dfMark(QString text)
{
    return text.replace(u'*', QChar(0xDF));
}

// Position in each list; the degree list descends, so position 82 is 7 degrees.
const ListPositions kTarget{5, 7, 9, 1, 82, 30, 0};
const QString kRaCommand = u":Sr 05:07:09#"_s;
const QString kDecCommand = u":Sd -07:30:00#"_s;
const QString kGotoText = u"RA 05h 07m 09s  DEC -07° 30' 00\""_s;
const QString kGotoStatus = u"Goto RA/DEC  "_s + kGotoText;

void select(frmMain &w, const ListPositions &p)
{
    w.ComboRAh->setCurrentIndex(p.raH);
    w.ComboRAm->setCurrentIndex(p.raM);
    w.ComboRAs->setCurrentIndex(p.raS);
    w.ComboDECsign->setCurrentIndex(p.decSign);
    w.ComboDECd->setCurrentIndex(p.decD);
    w.ComboDECm->setCurrentIndex(p.decM);
    w.ComboDECs->setCurrentIndex(p.decS);
}

ListPositions selected(const frmMain &w)
{
    return {w.ComboRAh->currentIndex(),  w.ComboRAm->currentIndex(),
            w.ComboRAs->currentIndex(),  w.ComboDECsign->currentIndex(),
            w.ComboDECd->currentIndex(), w.ComboDECm->currentIndex(),
            w.ComboDECs->currentIndex()};
}

} // namespace

class TestCoordinates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodeReplies_data();
    void decodeReplies();
    void commandsDecodeBackToTheirPositions();

    void gotoReplies_data();
    void gotoReplies();
    void gotoTimeouts_data();
    void gotoTimeouts();
    void gotoSendsOnlyListedValues_data();
    void gotoSendsOnlyListedValues();
    void haltWhileGotoWaits_data();
    void haltWhileGotoWaits();
    void getDuringGotoTakesNextReply();
    void get_data();
    void get();
    void getSwitchesLowPrecision_data();
    void getSwitchesLowPrecision();
    void clicksGiveFocusToPad();
};

void TestCoordinates::decodeReplies_data()
{
    QTest::addColumn<QString>("ra");
    QTest::addColumn<QString>("dec");
    QTest::addColumn<QString>("text");
    QTest::addColumn<ListUpdate>("lists");

    // \337 is the 0xDF degree mark. A text without "RA" is the DEC part
    // after that of "12:34:56#".
    const auto row = [](const char *name, const char *ra, const char *dec, const char *text,
                        ListUpdate lists) {
        QString shown = QString::fromUtf8(text);
        if (!shown.startsWith(u"RA"_s))
            shown.prepend(u"RA 12h 34m 56s  DEC "_s);
        QTest::newRow(name) << QString::fromLatin1(ra) << QString::fromLatin1(dec) << shown
                            << lists;
    };
    const char *const ra = "12:34:56#";
    row("0xDF degree mark", ra, "+45\33730:15#", "+45° 30' 15\"", {12, 34, 56, 0, 44, 30, 15});
    row("over-long", "12:34:56#01:02:03#", "+45*30:15#-01*02:03#", "+45° 30' 15\"",
        {12, 34, 56, 0, 44, 30, 15});
    row("minus with 0 degrees", ra, "-00*00:00#", "-00° 00' 00\"", {12, 34, 56, 1, 89, 0, 0});
    row("exactly 90 clears degrees", ra, "+90*00:00#", "+90° 00' 00\"",
        {12, 34, 56, 0, noSelection, 0, 0});
    row("over 90 keeps degrees", ra, "+91*00:00#", "+91° 00' 00\"", {12, 34, 56, 0, keep, 0, 0});
    row("seconds not numeric", "12:34.5#", "+45*30:15#", "RA 12h 34m 5#s  DEC +45° 30' 15\"",
        {12, 34, keep, 0, 44, 30, 15});
    row("sign other than minus", ra, "x45*30:15#", "x45° 30' 15\"", {12, 34, 56, 0, 44, 30, 15});
    row("short DEC", ra, "-45*30#", "-45° 30' \"", {12, 34, 56, 1, 44, 30, keep});
    row("empty", "", "", "RA h m s  DEC ° ' \"", {keep, keep, keep, 0, keep, keep, keep});
}

void TestCoordinates::decodeReplies()
{
    QFETCH(QString, ra);
    QFETCH(QString, dec);
    QFETCH(QString, text);
    QFETCH(ListUpdate, lists);

    const ReceivedCoordinates received = decodeCoordinateReplies(ra, dec);
    QCOMPARE(received.text, text);
    QVERIFY(received.lists == lists);
}

// A target command without ":Sr " / ":Sd " has the shape of the reply, so
// every selectable position must survive the trip.
void TestCoordinates::commandsDecodeBackToTheirPositions()
{
    for (int raH = 0; raH < 24; ++raH) {
        for (int decD = noSelection; decD < 90; ++decD) {
            for (int decSign = 0; decSign < 2; ++decSign) {
                const int step = raH * 90 + decD + 1;
                const ListPositions target{raH,  step % 60,        (step * 7) % 60, decSign,
                                           decD, (step * 11) % 60, (step * 13) % 60};
                const ReceivedCoordinates back = decodeCoordinateReplies(
                    raTargetCommand(target).sliced(4), decTargetCommand(target).sliced(4));
                QCOMPARE(back.text, coordinateText(target));
                QVERIFY(applyListUpdate(ListPositions{}, back.lists) == target);
            }
        }
    }
}

void TestCoordinates::gotoReplies_data()
{
    QTest::addColumn<QStringList>("replies");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("label");

    QTest::newRow("accepted") << QStringList{u"1"_s, u"1"_s, u"0"_s} << kGotoStatus + u"  - Sent"_s
                              << kGotoText;
    QTest::newRow("RA refused") << QStringList{u"0"_s}
                                << u"Error sending RA :Sr 05:07:09# , received 0 RA invalid"_s
                                << u"earlier"_s;
    QTest::newRow("DEC refused") << QStringList{u"1"_s, u"0"_s}
                                 << u"Error sending DEC :Sd -07:30:00# , received 0 DEC invalid"_s
                                 << u"earlier"_s;
    QTest::newRow("slew refused") << QStringList{u"1"_s, u"1"_s, u"1Object Below Horizon#"_s}
                                  << kGotoStatus + u"  Slew not possible, 1Object Below Horizon#"_s
                                  << kGotoText;
}

void TestCoordinates::gotoReplies()
{
    QFETCH(QStringList, replies);
    QFETCH(QString, status);
    QFETCH(QString, label);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    frmMain &w = f.window;
    select(w, kTarget);
    f.port.setReceiveThreshold(9); // whatever an earlier exchange left
    w.LabelRADEC->setText(u"earlier"_s);

    w.CommandGotoRADEC->click();
    QCOMPARE(w.statusText(), kGotoStatus);
    const QStringList stages{kRaCommand, kDecCommand, u":MS#"_s};
    for (qsizetype i = 0; i < replies.size(); ++i) {
        // Each stage goes out only once the one before was accepted.
        QCOMPARE(f.written(), stages.first(i + 1));
        QVERIFY(w.Timer1->isActive());
        QCOMPARE(w.LabelRADEC->text(), u"earlier"_s);
        f.port.feed(replies[i]);
    }
    QCOMPARE(f.written(), stages.first(replies.size()));
    for (const FakeSerialPort::Write &write : f.port.writes())
        QCOMPARE(write.thresholdAtWrite, 1);
    QCOMPARE(w.statusText(), status);
    QCOMPARE(w.LabelRADEC->text(), label);
    QVERIFY(raisedFlags(w).isEmpty());
    QVERIFY(!w.Timer1->isActive());
    QVERIFY(f.pauses().empty());
}

void TestCoordinates::gotoTimeouts_data()
{
    QTest::addColumn<QStringList>("answered");
    QTest::addColumn<QString>("timeout");
    QTest::addColumn<QString>("lateReply");
    QTest::addColumn<QStringList>("writtenAfter");
    QTest::addColumn<QString>("statusAfter");

    const QString ra = u"Timeout sending RA :Sr 05:07:09#"_s;
    const QString dec = u"Timeout sending DEC :Sd -07:30:00#"_s;
    const QString slew = u"Timeout waiting for response"_s;
    const QStringList all{kRaCommand, kDecCommand, u":MS#"_s};
    QTest::newRow("RA") << QStringList{} << ra << u"1"_s << all.first(2) << ra;
    QTest::newRow("DEC") << QStringList{u"1"_s} << dec << u"1"_s << all << dec;
    QTest::newRow("slew") << u"1 1"_s.split(u' ') << slew << u"0"_s << all << slew + u"  - Sent"_s;
}

// Each stage names what it waited for; a late reply still moves the Goto on.
void TestCoordinates::gotoTimeouts()
{
    QFETCH(QStringList, answered);
    QFETCH(QString, timeout);
    QFETCH(QString, lateReply);
    QFETCH(QStringList, writtenAfter);
    QFETCH(QString, statusAfter);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    frmMain &w = f.window;
    select(w, kTarget);
    w.CommandGotoRADEC_Click();
    for (const QString &reply : answered)
        f.port.feed(reply);
    const QStringList flags = raisedFlags(w);

    w.Timer1_Timer();
    QCOMPARE(w.statusText(), timeout);
    QVERIFY(!w.Timer1->isActive());
    QCOMPARE(raisedFlags(w), flags);

    f.port.feed(lateReply);
    QCOMPARE(f.written(), writtenAfter);
    QCOMPARE(w.statusText(), statusAfter);
}

void TestCoordinates::gotoSendsOnlyListedValues_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QString>("status");

    QTest::newRow("unlisted hour") << u"ComboRAh"_s << u"7x"_s << QStringList{}
                                   << u"Goto not sent: RA Hour \"7x\" is not in its list"_s;
    QTest::newRow("emptied degrees") << u"ComboDECd"_s << QString() << QStringList{}
                                     << u"Goto not sent: DEC degree \"\" is not in its list"_s;
    QTest::newRow("typed item") << u"ComboDECd"_s << u"45d"_s << QStringList{kRaCommand}
                                << u"Goto RA/DEC  RA 05h 07m 09s  DEC -45° 30' 00\""_s;
}

void TestCoordinates::gotoSendsOnlyListedValues()
{
    QFETCH(QString, list);
    QFETCH(QString, typed);
    QFETCH(QStringList, written);
    QFETCH(QString, status);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    select(f.window, kTarget);
    f.window.findChild<QComboBox *>(list)->setEditText(typed);
    f.window.CommandGotoRADEC_Click();
    QCOMPARE(f.written(), written);
    QCOMPARE(f.window.statusText(), status);
    f.port.feed(u"1"_s);
    QCOMPARE(f.written().size(), written.size() * 2);
}

void TestCoordinates::haltWhileGotoWaits_data()
{
    gotoTimeouts_data(); // its "answered" stages
}

// No target accepted after the halt may start a slew.
void TestCoordinates::haltWhileGotoWaits()
{
    QFETCH(QStringList, answered);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    frmMain &w = f.window;
    select(w, kTarget);
    w.CommandGotoRADEC_Click();
    for (const QString &reply : answered)
        f.port.feed(reply);

    w.CommandGotoAbort->click();
    QCOMPARE(f.written().last(), u":Q#"_s);
    QCOMPARE(w.statusText(), u"Goto cancelled."_s);
    QVERIFY(raisedFlags(w).isEmpty());
    QVERIFY(!w.Timer1->isActive());
    f.port.feed(u"1"_s);
    f.port.feed(u"1"_s);
    QCOMPARE(f.written().last(), u":Q#"_s);
}

void TestCoordinates::getDuringGotoTakesNextReply()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    frmMain &w = f.window;
    select(w, kTarget);
    w.CommandGotoRADEC_Click();
    w.CommandGet_Click();

    // The RA target's "1" now waits for eight more characters; all of it is the RA.
    f.port.feed(u"1"_s);
    QCOMPARE(f.written(), (QStringList{kRaCommand, u":GR#"_s}));
    f.port.feed(u"12:34:56#"_s);
    QCOMPARE(w.RaString, u"112:34:56#"_s);
    QCOMPARE(f.written(), (QStringList{kRaCommand, u":GR#"_s, u":GD#"_s}));
    QCOMPARE(raisedFlags(w), (QStringList{u"WaitingDec"_s, u"WaitingGotoRa"_s}));
    QCOMPARE(w.statusText(), kGotoStatus);

    // The Get's replies never become the Goto's commands.
    f.port.feed(u"+45*30:15#"_s);
    w.Timer1_Timer();
    QCOMPARE(w.statusText(), u"Timeout sending RA "_s + kRaCommand);
    f.port.feed(u"1"_s);
    QCOMPARE(f.written().last(), kDecCommand);
}

void TestCoordinates::get_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("decReply");
    QTest::addColumn<QString>("label");
    QTest::addColumn<ListPositions>("lists");

    const QString label = u"RA 12h 34m 56s  DEC +45° 30' 15\""_s;
    const QString reply = dfMark(u"+45*30:15#"_s);
    QTest::newRow("ticked") << true << reply << label << ListPositions{12, 34, 56, 0, 44, 30, 15};
    QTest::newRow("not ticked") << false << reply << label << kTarget;
    QTest::newRow("90 degrees clears the degree list")
        << true << dfMark(u"+90*00:00#"_s) << u"RA 12h 34m 56s  DEC +90° 00' 00\""_s
        << ListPositions{12, 34, 56, 0, noSelection, 0, 0};
}

void TestCoordinates::get()
{
    QFETCH(bool, ticked);
    QFETCH(QString, decReply);
    QFETCH(QString, label);
    QFETCH(ListPositions, lists);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    frmMain &w = f.window;
    w.CheckRADEC->setChecked(ticked);
    select(w, kTarget);
    w.setStatusText(u"untouched"_s);

    w.CommandGet->click();
    QCOMPARE(f.port.writes().back().thresholdAtWrite, 9);
    QVERIFY(!w.Timer1->isActive());
    f.port.feed(u"12:34:56"_s); // eight characters are not yet a reply
    QCOMPARE(f.written(), QStringList{u":GR#"_s});
    f.port.feed(u"#"_s);
    QCOMPARE(f.written(), (QStringList{u":GR#"_s, u":GD#"_s}));
    QCOMPARE(f.port.writes().back().thresholdAtWrite, 10);

    f.port.feed(decReply);
    QCOMPARE(w.LabelRADEC->text(), label);
    QVERIFY(selected(w) == lists);
    QCOMPARE(w.statusText(), u"untouched"_s);
    QVERIFY(raisedFlags(w).isEmpty());
    QCOMPARE(f.port.receiveThreshold(), 1);
}

void TestCoordinates::getSwitchesLowPrecision_data()
{
    QTest::addColumn<QString>("buffered"); // when the Get has waited 5 s
    QTest::addColumn<bool>("switched");
    QTest::newRow("low precision") << u"12:34.5#"_s << true;
    QTest::newRow("a long reply still coming") << u"12:34:56"_s << false;
    QTest::newRow("not a short RA") << u"12:34,5#"_s << false;
    QTest::newRow("seven characters") << u"2:34.5#"_s << false;
    QTest::newRow("nothing") << QString() << false;
}

// Only a low-precision reply is taken; the Get is asked again.
void TestCoordinates::getSwitchesLowPrecision()
{
    QFETCH(QString, buffered);
    QFETCH(bool, switched);
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    frmMain &w = f.window;
    w.setStatusText(u"untouched"_s);
    w.CommandGet->click();
    QCOMPARE(w.TimerPrecision->interval(), 5000);
    QVERIFY(w.TimerPrecision->isActive());
    f.port.feed(buffered);
    w.TimerPrecision_Timer();

    QCOMPARE(w.statusText(), switched ? u"Telescope switched to high precision"_s : u"untouched"_s);
    const QStringList again{u":GR#"_s, u":U#"_s, u":GR#"_s};
    QCOMPARE(f.written(), switched ? again : QStringList{u":GR#"_s});
    QCOMPARE(f.port.buffered(), switched ? QString() : buffered);
    QCOMPARE(raisedFlags(w), QStringList{u"WaitingRa"_s});
    QVERIFY(!w.TimerPrecision->isActive()); // once per Get
}

// After Goto, Get, Halt or a Telescope query the keyboard drives the pad
// again, whether or not a reply came.
void TestCoordinates::clicksGiveFocusToPad()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    frmMain &w = f.window;
    if (!f.showActive())
        QSKIP("the window cannot be activated on this platform");
    const std::vector<std::function<void()>> clicks{
        [&w] { w.CommandGotoRADEC->click(); },      [&w] { w.CommandGet->click(); },
        [&w] { w.CommandGotoAbort->click(); },      [&w] { w.TelescopeStatusButton->trigger(); },
        [&w] { w.TelescopeInfoButton->trigger(); }, [&w] { w.TelescopeSiteButton->trigger(); },
        [&w] { w.TelescopeDateButton->trigger(); }, [&w] { w.TelescopeAzButton->trigger(); },
    };
    for (const std::function<void()> &click : clicks) {
        w.ComboRAh->setFocus();
        QTRY_VERIFY(w.ComboRAh->hasFocus());
        click();
        QTRY_VERIFY(w.PictureNav->hasFocus());
    }
}

QTEST_MAIN(TestCoordinates)
#include "tst_coordinates.moc"
