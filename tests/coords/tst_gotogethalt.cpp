// Goto, Get and Halt over the fake serial line: the bytes written at each
// stage, the receive thresholds, the status line, the label and the lists.
// Replies go through FakeSerialPort::feed(), i.e. the real receive handler.

#include "support/panelfixture.h"
#include "support/waitingflags.h"

#include "app/commandbutton.h"
#include "app/picturebox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace orrinet;
using orrinet::testing::PanelFixture;
using orrinet::testing::raisedFlags;

namespace {

// The telescope's DEC replies use 0xDF as the degree mark; '*' stands for it here.
QString wire(const char *text)
{
    return QString::fromLatin1(text).replace(QLatin1Char('*'), QChar(0xDF));
}

// A position as the user picks it: values, not list positions.
struct Target
{
    int raH = 0;
    int raM = 0;
    int raS = 0;
    bool minus = false;
    int decD = 0; // -1: no item chosen in the degree list
    int decM = 0;
    int decS = 0;
};

} // namespace

Q_DECLARE_METATYPE(Target)

namespace {

void selectTarget(frmMain &w, const Target &t)
{
    w.ComboRAh->setCurrentIndex(t.raH);
    w.ComboRAm->setCurrentIndex(t.raM);
    w.ComboRAs->setCurrentIndex(t.raS);
    w.ComboDECsign->setCurrentIndex(t.minus ? 1 : 0);
    w.ComboDECd->setCurrentIndex(t.decD < 0 ? -1 : 89 - t.decD);
    w.ComboDECm->setCurrentIndex(t.decM);
    w.ComboDECs->setCurrentIndex(t.decS);
}

QList<int> listPositions(const frmMain &w)
{
    return {w.ComboRAh->currentIndex(),  w.ComboRAm->currentIndex(),  w.ComboRAs->currentIndex(),
            w.ComboDECsign->currentIndex(), w.ComboDECd->currentIndex(), w.ComboDECm->currentIndex(),
            w.ComboDECs->currentIndex()};
}

// The example target used wherever the target itself does not matter.
const Target kTarget{5, 7, 9, true, 7, 30, 0};
const QString kRaCommand = QStringLiteral(":Sr 05:07:09#");
const QString kDecCommand = QStringLiteral(":Sd -07:30:00#");
const QString kGotoText = QString::fromUtf8("RA 05h 07m 09s  DEC -07\u00B0 30' 00\"");
const QString kGotoStatus = QStringLiteral("Goto RA/DEC  ") + kGotoText;

std::unique_ptr<PanelFixture> connectedPanel()
{
    auto f = std::make_unique<PanelFixture>();
    if (!f->connectPort(1))
        return nullptr;
    return f;
}

bool anyGotoFlag(const frmMain &w)
{
    return w.WaitingGotoRa || w.WaitingGotoDec || w.WaitingGoto;
}

} // namespace

class TestGotoGetHalt : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void gotoSendsEachStageAfterItsReply_data();
    void gotoSendsEachStageAfterItsReply();
    void refusedTarget_data();
    void refusedTarget();
    void refusedSlew_data();
    void refusedSlew();
    void slewRefusalRestIsUnexpectedInput();
    void timeoutPerStage_data();
    void timeoutPerStage();
    void gotoWriteFailureEndsInTimeout();
    void haltLeavesGotoWaiting_data();
    void haltLeavesGotoWaiting();
    void newGotoDropsDecStage();
    void getDuringGotoTakesNextReply();
    void get_data();
    void get();
    void getShortRepliesWait();
    void portClosedWritesNothing_data();
    void portClosedWritesNothing();
    void buttonsGiveFocusToPad_data();
    void buttonsGiveFocusToPad();
};

void TestGotoGetHalt::gotoSendsEachStageAfterItsReply_data()
{
    QTest::addColumn<Target>("target");
    QTest::addColumn<QString>("raCommand");
    QTest::addColumn<QString>("decCommand");
    QTest::addColumn<QString>("text");

    QTest::newRow("south") << kTarget << kRaCommand << kDecCommand << kGotoText;
    QTest::newRow("first items, 89 degrees")
        << Target{0, 0, 0, false, 89, 0, 0} << QStringLiteral(":Sr 00:00:00#")
        << QStringLiteral(":Sd +89:00:00#") << QString::fromUtf8("RA 00h 00m 00s  DEC +89\u00B0 00' 00\"");
    QTest::newRow("last items")
        << Target{23, 59, 59, false, 0, 59, 59} << QStringLiteral(":Sr 23:59:59#")
        << QStringLiteral(":Sd +00:59:59#") << QString::fromUtf8("RA 23h 59m 59s  DEC +00\u00B0 59' 59\"");
    QTest::newRow("minus, 0 degrees")
        << Target{12, 0, 30, true, 0, 30, 0} << QStringLiteral(":Sr 12:00:30#")
        << QStringLiteral(":Sd -00:30:00#") << QString::fromUtf8("RA 12h 00m 30s  DEC -00\u00B0 30' 00\"");
    QTest::newRow("no degree chosen")
        << Target{1, 2, 3, false, -1, 4, 5} << QStringLiteral(":Sr 01:02:03#")
        << QStringLiteral(":Sd +90:04:05#") << QString::fromUtf8("RA 01h 02m 03s  DEC +90\u00B0 04' 05\"");
}

void TestGotoGetHalt::gotoSendsEachStageAfterItsReply()
{
    QFETCH(Target, target);
    QFETCH(QString, raCommand);
    QFETCH(QString, decCommand);
    QFETCH(QString, text);

    auto f = connectedPanel();
    QVERIFY(f);
    frmMain &w = f->window;
    selectTarget(w, target);
    f->port.setReceiveThreshold(9); // whatever an earlier exchange left
    w.LabelRADEC->setText(QStringLiteral("earlier"));

    w.CommandGotoRADEC->click();
    QCOMPARE(f->written(), QStringList{raCommand});
    QCOMPARE(f->port.writes().back().thresholdAtWrite, 1);
    QCOMPARE(w.statusText(), QStringLiteral("Goto RA/DEC  ") + text);
    QCOMPARE(w.GotoText, text);
    QCOMPARE(w.RaString, raCommand);
    QCOMPARE(w.DecString, decCommand);
    QVERIFY(w.WaitingGotoRa);
    QVERIFY(w.Timer1->isActive());
    QCOMPARE(w.Timer1->interval(), 5000);

    f->port.feed(QStringLiteral("1"));
    QCOMPARE(f->written(), (QStringList{raCommand, decCommand}));
    QCOMPARE(f->port.receiveThreshold(), 1);
    QVERIFY(!w.WaitingGotoRa);
    QVERIFY(w.WaitingGotoDec);
    QVERIFY(w.Timer1->isActive());

    f->port.feed(QStringLiteral("1"));
    QCOMPARE(f->written(), (QStringList{raCommand, decCommand, QStringLiteral(":MS#")}));
    QVERIFY(!w.WaitingGotoDec);
    QVERIFY(w.WaitingGoto);
    QVERIFY(w.Timer1->isActive());
    QCOMPARE(w.LabelRADEC->text(), QStringLiteral("earlier"));

    f->port.feed(QStringLiteral("0"));
    QCOMPARE(f->port.writes().size(), std::size_t{3});
    QCOMPARE(w.statusText(), QStringLiteral("Goto RA/DEC  ") + text + QStringLiteral("  - Sent"));
    QCOMPARE(w.LabelRADEC->text(), text);
    QCOMPARE(w.LabelRADEC->textFormat(), Qt::PlainText);
    QCOMPARE(raisedFlags(w), QStringList{});
    QVERIFY(!w.Timer1->isActive());
    QCOMPARE(f->port.receiveThreshold(), 1);
    QVERIFY(f->port.buffered().isEmpty());
    QVERIFY(f->pauses().empty());
}

void TestGotoGetHalt::refusedTarget_data()
{
    QTest::addColumn<QStringList>("replies");
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QString>("status");

    QTest::newRow("RA 0") << QStringList{QStringLiteral("0")} << QStringList{kRaCommand}
                          << QStringLiteral("Error sending RA :Sr 05:07:09# , received 0 RA invalid");
    QTest::newRow("RA garbage") << QStringList{QStringLiteral("#")} << QStringList{kRaCommand}
                                << QStringLiteral("Error sending RA :Sr 05:07:09# , received # RA invalid");
    QTest::newRow("DEC 0") << QStringList{QStringLiteral("1"), QStringLiteral("0")}
                           << QStringList{kRaCommand, kDecCommand}
                           << QStringLiteral("Error sending DEC :Sd -07:30:00# , received 0 DEC invalid");
    QTest::newRow("DEC NAK") << QStringList{QStringLiteral("1"), QStringLiteral("\x15")}
                             << QStringList{kRaCommand, kDecCommand}
                             << QStringLiteral("Error sending DEC :Sd -07:30:00# , received \x15 DEC invalid");
}

void TestGotoGetHalt::refusedTarget()
{
    QFETCH(QStringList, replies);
    QFETCH(QStringList, written);
    QFETCH(QString, status);

    auto f = connectedPanel();
    QVERIFY(f);
    frmMain &w = f->window;
    selectTarget(w, kTarget);
    w.LabelRADEC->setText(QStringLiteral("earlier"));
    w.CommandGotoRADEC_Click();
    for (const QString &reply : replies)
        f->port.feed(reply);

    QCOMPARE(f->written(), written);
    QCOMPARE(w.statusText(), status);
    QCOMPARE(w.LabelRADEC->text(), QStringLiteral("earlier"));
    QCOMPARE(raisedFlags(w), QStringList{});
    QVERIFY(!w.Timer1->isActive());
    QCOMPARE(f->port.receiveThreshold(), 1);
}

void TestGotoGetHalt::refusedSlew_data()
{
    QTest::addColumn<QString>("reply");

    QTest::newRow("below horizon") << QStringLiteral("1Object Below Horizon#");
    QTest::newRow("parked") << QStringLiteral("2Telescope Parked#");
    QTest::newRow("one character") << QStringLiteral("1");
}

void TestGotoGetHalt::refusedSlew()
{
    QFETCH(QString, reply);

    auto f = connectedPanel();
    QVERIFY(f);
    frmMain &w = f->window;
    selectTarget(w, kTarget);
    w.CommandGotoRADEC_Click();
    f->port.feed(QStringLiteral("1"));
    f->port.feed(QStringLiteral("1"));
    f->port.feed(reply);

    QCOMPARE(f->port.writes().size(), std::size_t{3});
    QCOMPARE(w.statusText(), kGotoStatus + QStringLiteral("  Slew not possible, ") + reply);
    QCOMPARE(w.LabelRADEC->text(), kGotoText);
    QCOMPARE(raisedFlags(w), QStringList{});
    QVERIFY(!w.Timer1->isActive());
}

void TestGotoGetHalt::slewRefusalRestIsUnexpectedInput()
{
    auto f = connectedPanel();
    QVERIFY(f);
    frmMain &w = f->window;
    selectTarget(w, kTarget);
    w.CommandGotoRADEC_Click();
    f->port.feed(QStringLiteral("1"));
    f->port.feed(QStringLiteral("1"));
    // The line delivers the first character on its own.
    f->port.feed(QStringLiteral("1"));
    QCOMPARE(w.statusText(), kGotoStatus + QStringLiteral("  Slew not possible, 1"));
    f->port.feed(QStringLiteral("Object Below Horizon#"));
    QCOMPARE(w.statusText(), QStringLiteral("Object Below Horizon#"));
    QCOMPARE(w.LabelRADEC->text(), kGotoText);
}

void TestGotoGetHalt::timeoutPerStage_data()
{
    QTest::addColumn<QStringList>("answered");
    QTest::addColumn<QString>("timeout");
    QTest::addColumn<QString>("lateReply");
    QTest::addColumn<QStringList>("writtenAfter");
    QTest::addColumn<QString>("statusAfter");

    const QString ms = QStringLiteral(":MS#");
    QTest::newRow("RA") << QStringList{} << QStringLiteral("Timeout sending RA :Sr 05:07:09#")
                        << QStringLiteral("1") << QStringList{kRaCommand, kDecCommand}
                        << QStringLiteral("Timeout sending RA :Sr 05:07:09#");
    QTest::newRow("DEC") << QStringList{QStringLiteral("1")}
                         << QStringLiteral("Timeout sending DEC :Sd -07:30:00#") << QStringLiteral("1")
                         << QStringList{kRaCommand, kDecCommand, ms}
                         << QStringLiteral("Timeout sending DEC :Sd -07:30:00#");
    QTest::newRow("slew") << QStringList{QStringLiteral("1"), QStringLiteral("1")}
                          << QStringLiteral("Timeout waiting for response") << QStringLiteral("0")
                          << QStringList{kRaCommand, kDecCommand, ms}
                          << QStringLiteral("Timeout waiting for response  - Sent");
    QTest::newRow("late refusal of RA")
        << QStringList{} << QStringLiteral("Timeout sending RA :Sr 05:07:09#") << QStringLiteral("0")
        << QStringList{kRaCommand} << QStringLiteral("Error sending RA :Sr 05:07:09# , received 0 RA invalid");
}

void TestGotoGetHalt::timeoutPerStage()
{
    QFETCH(QStringList, answered);
    QFETCH(QString, timeout);
    QFETCH(QString, lateReply);
    QFETCH(QStringList, writtenAfter);
    QFETCH(QString, statusAfter);

    auto f = connectedPanel();
    QVERIFY(f);
    frmMain &w = f->window;
    selectTarget(w, kTarget);
    w.CommandGotoRADEC_Click();
    for (const QString &reply : answered)
        f->port.feed(reply);
    QVERIFY(w.Timer1->isActive());
    const bool flagsBefore[] = {w.WaitingGotoRa, w.WaitingGotoDec, w.WaitingGoto};

    w.Timer1_Timer();
    QCOMPARE(w.statusText(), timeout);
    QVERIFY(!w.Timer1->isActive());
    QCOMPARE(w.WaitingGotoRa, flagsBefore[0]);
    QCOMPARE(w.WaitingGotoDec, flagsBefore[1]);
    QCOMPARE(w.WaitingGoto, flagsBefore[2]);

    f->port.feed(lateReply);
    QCOMPARE(f->written(), writtenAfter);
    QCOMPARE(w.statusText(), statusAfter);
    // A stage that went on has its own time-out again.
    QCOMPARE(w.Timer1->isActive(), anyGotoFlag(w));
}

void TestGotoGetHalt::gotoWriteFailureEndsInTimeout()
{
    auto f = connectedPanel();
    QVERIFY(f);
    frmMain &w = f->window;
    selectTarget(w, kTarget);
    f->port.failWrites(true);
    w.CommandGotoRADEC_Click();
    QVERIFY(f->written().isEmpty());
    QCOMPARE(w.statusText(), kGotoStatus);
    QVERIFY(w.WaitingGotoRa);
    QVERIFY(w.Timer1->isActive());
    w.Timer1_Timer();
    QCOMPARE(w.statusText(), QStringLiteral("Timeout sending RA :Sr 05:07:09#"));
}

void TestGotoGetHalt::haltLeavesGotoWaiting_data()
{
    QTest::addColumn<QStringList>("answered");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("nextWrite");
    QTest::addColumn<QString>("statusAfter");

    QTest::newRow("awaiting RA") << QStringList{} << QStringLiteral("1") << kDecCommand
                                 << QStringLiteral("Goto cancelled.");
    QTest::newRow("awaiting DEC") << QStringList{QStringLiteral("1")} << QStringLiteral("1")
                                  << QStringLiteral(":MS#") << QStringLiteral("Goto cancelled.");
    QTest::newRow("awaiting slew") << QStringList{QStringLiteral("1"), QStringLiteral("1")}
                                   << QStringLiteral("0") << QString()
                                   << QStringLiteral("Goto cancelled.  - Sent");
}

void TestGotoGetHalt::haltLeavesGotoWaiting()
{
    QFETCH(QStringList, answered);
    QFETCH(QString, reply);
    QFETCH(QString, nextWrite);
    QFETCH(QString, statusAfter);

    auto f = connectedPanel();
    QVERIFY(f);
    frmMain &w = f->window;
    selectTarget(w, kTarget);
    w.CommandGotoRADEC_Click();
    for (const QString &r : answered)
        f->port.feed(r);
    const QStringList before = f->written();
    const bool flagsBefore[] = {w.WaitingGotoRa, w.WaitingGotoDec, w.WaitingGoto};

    w.CommandGotoAbort->click();
    QCOMPARE(f->written(), before + QStringList{QStringLiteral(":Q#")});
    QCOMPARE(w.statusText(), QStringLiteral("Goto cancelled."));
    QCOMPARE(w.WaitingGotoRa, flagsBefore[0]);
    QCOMPARE(w.WaitingGotoDec, flagsBefore[1]);
    QCOMPARE(w.WaitingGoto, flagsBefore[2]);
    QVERIFY(w.Timer1->isActive());

    f->port.feed(reply);
    QStringList expected = before + QStringList{QStringLiteral(":Q#")};
    if (!nextWrite.isEmpty())
        expected << nextWrite;
    QCOMPARE(f->written(), expected);
    QCOMPARE(w.statusText(), statusAfter);
}

void TestGotoGetHalt::newGotoDropsDecStage()
{
    auto f = connectedPanel();
    QVERIFY(f);
    frmMain &w = f->window;
    selectTarget(w, kTarget);
    w.CommandGotoRADEC_Click();
    f->port.feed(QStringLiteral("1"));
    QVERIFY(w.WaitingGotoDec);

    selectTarget(w, Target{10, 20, 30, false, 40, 50, 0});
    w.CommandGotoRADEC_Click();
    QVERIFY(w.WaitingGotoRa);
    QVERIFY(!w.WaitingGotoDec);
    // The next reply answers the new RA target and sends the new DEC target.
    f->port.feed(QStringLiteral("1"));
    QCOMPARE(f->written(), (QStringList{kRaCommand, kDecCommand, QStringLiteral(":Sr 10:20:30#"),
                                        QStringLiteral(":Sd +40:50:00#")}));
}

void TestGotoGetHalt::getDuringGotoTakesNextReply()
{
    auto f = connectedPanel();
    QVERIFY(f);
    frmMain &w = f->window;
    selectTarget(w, kTarget);
    w.CommandGotoRADEC_Click();
    w.CommandGet_Click();
    QCOMPARE(f->written(), (QStringList{kRaCommand, QStringLiteral(":GR#")}));

    // The RA target's "1" now waits for eight more characters, then all of it
    // goes to the Get.
    f->port.feed(QStringLiteral("1"));
    QCOMPARE(f->port.writes().size(), std::size_t{2});
    f->port.feed(QStringLiteral("12:34:56#"));
    QCOMPARE(w.RaString, QStringLiteral("112:34:56#"));
    QCOMPARE(f->written(), (QStringList{kRaCommand, QStringLiteral(":GR#"), QStringLiteral(":GD#")}));
    QCOMPARE(raisedFlags(w), (QStringList{QStringLiteral("WaitingDec"), QStringLiteral("WaitingGotoRa")}));
    QCOMPARE(w.statusText(), kGotoStatus);
}

void TestGotoGetHalt::get_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("raReply");
    QTest::addColumn<QString>("decReply");
    QTest::addColumn<QString>("label");
    // -2: the list keeps its position
    QTest::addColumn<QList<int>>("positions");

    const QString example = QString::fromUtf8("RA 12h 34m 56s  DEC +45\u00B0 30' 15\"");
    QTest::newRow("ticked") << true << QStringLiteral("12:34:56#") << wire("+45*30:15#") << example
                            << QList<int>{12, 34, 56, 0, 44, 30, 15};
    QTest::newRow("not ticked") << false << QStringLiteral("12:34:56#") << wire("+45*30:15#") << example
                                << QList<int>{-2, -2, -2, -2, -2, -2, -2};
    QTest::newRow("other degree mark")
        << true << QStringLiteral("00:00:00#") << QStringLiteral("-00:00:01#")
        << QString::fromUtf8("RA 00h 00m 00s  DEC -00\u00B0 00' 01\"") << QList<int>{0, 0, 0, 1, 89, 0, 1};
    QTest::newRow("90 degrees clears the degree list")
        << true << QStringLiteral("23:59:59#") << wire("+90*00:00#")
        << QString::fromUtf8("RA 23h 59m 59s  DEC +90\u00B0 00' 00\"") << QList<int>{23, 59, 59, 0, -1, 0, 0};
    QTest::newRow("markup stays text")
        << true << QStringLiteral("<b:34:56#") << wire("+45*30:15#")
        << QString::fromUtf8("RA <bh 34m 56s  DEC +45\u00B0 30' 15\"") << QList<int>{-2, 34, 56, 0, 44, 30, 15};
}

void TestGotoGetHalt::get()
{
    QFETCH(bool, ticked);
    QFETCH(QString, raReply);
    QFETCH(QString, decReply);
    QFETCH(QString, label);
    QFETCH(QList<int>, positions);

    auto f = connectedPanel();
    QVERIFY(f);
    frmMain &w = f->window;
    w.CheckRADEC->setChecked(ticked);
    const Target before{1, 2, 3, true, 4, 5, 6};
    selectTarget(w, before);
    const QList<int> positionsBefore = listPositions(w);
    w.setStatusText(QStringLiteral("untouched"));

    w.CommandGet->click();
    QCOMPARE(f->written(), QStringList{QStringLiteral(":GR#")});
    QCOMPARE(f->port.writes().back().thresholdAtWrite, 9);
    QVERIFY(w.WaitingRa);
    QVERIFY(!w.Timer1->isActive());

    // Eight characters are not yet a reply.
    f->port.feed(raReply.chopped(1));
    QCOMPARE(f->port.writes().size(), std::size_t{1});
    f->port.feed(raReply.right(1));
    QCOMPARE(f->written(), (QStringList{QStringLiteral(":GR#"), QStringLiteral(":GD#")}));
    QCOMPARE(f->port.writes().back().thresholdAtWrite, 10);
    QCOMPARE(w.RaString, raReply);
    QVERIFY(!w.WaitingRa);
    QVERIFY(w.WaitingDec);

    f->port.feed(decReply.chopped(1));
    QCOMPARE(w.LabelRADEC->text(), QString());
    f->port.feed(decReply.right(1));
    QCOMPARE(w.DecString, decReply);
    QCOMPARE(raisedFlags(w), QStringList{});
    QCOMPARE(f->port.receiveThreshold(), 1);
    QCOMPARE(w.LabelRADEC->text(), label);
    QCOMPARE(w.LabelRADEC->textFormat(), Qt::PlainText);
    QCOMPARE(f->port.writes().size(), std::size_t{2});
    QCOMPARE(w.statusText(), QStringLiteral("untouched"));
    QVERIFY(!w.Timer1->isActive());

    QList<int> expected = positions;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        if (expected[i] == -2)
            expected[i] = positionsBefore[i];
    }
    QCOMPARE(listPositions(w), expected);
}

void TestGotoGetHalt::getShortRepliesWait()
{
    auto f = connectedPanel();
    QVERIFY(f);
    frmMain &w = f->window;
    w.CommandGet_Click();
    // The short RA form has eight characters: below the threshold.
    f->port.feed(QStringLiteral("12:34.5#"));
    QCOMPARE(f->written(), QStringList{QStringLiteral(":GR#")});
    QVERIFY(w.WaitingRa);
    // The next reply completes the count; all nine characters are the RA.
    f->port.feed(QStringLiteral("+"));
    QCOMPARE(w.RaString, QStringLiteral("12:34.5#+"));
    QVERIFY(w.WaitingDec);
}

void TestGotoGetHalt::portClosedWritesNothing_data()
{
    QTest::addColumn<QString>("button");

    QTest::newRow("Goto") << QStringLiteral("CommandGotoRADEC");
    QTest::newRow("Get") << QStringLiteral("CommandGet");
    QTest::newRow("Halt") << QStringLiteral("CommandGotoAbort");
}

void TestGotoGetHalt::portClosedWritesNothing()
{
    QFETCH(QString, button);

    PanelFixture f;
    frmMain &w = f.window;
    QVERIFY(f.connectPort(1));
    QVERIFY(f.disconnectPort());
    f.forgetTraffic();
    selectTarget(w, kTarget);
    const QString status = w.statusText();
    auto *pushButton = w.findChild<QPushButton *>(button);
    QVERIFY(pushButton);

    pushButton->click();
    QVERIFY(f.written().isEmpty());
    QCOMPARE(w.statusText(), status);
    QVERIFY(!w.WaitingRa);
    QCOMPARE(raisedFlags(w), QStringList{});
    QVERIFY(!w.Timer1->isActive());
    QVERIFY(w.RaString.isEmpty());
    QVERIFY(w.GotoText.isEmpty());
}

void TestGotoGetHalt::buttonsGiveFocusToPad_data()
{
    portClosedWritesNothing_data();
}

void TestGotoGetHalt::buttonsGiveFocusToPad()
{
    QFETCH(QString, button);

    auto f = connectedPanel();
    QVERIFY(f);
    frmMain &w = f->window;
    if (!f->showActive())
        QSKIP("the window cannot be activated on this platform");
    w.ComboRAh->setFocus();
    QTRY_VERIFY(w.ComboRAh->hasFocus());
    w.findChild<QPushButton *>(button)->click();
    QTRY_VERIFY(w.PictureNav->hasFocus());
}

QTEST_MAIN(TestGotoGetHalt)
#include "tst_gotogethalt.moc"
