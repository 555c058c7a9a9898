// The line on hand-driven time: pacing, a reply the telescope is still
// working on, and every fault option seen from the client's side.

#include "link.h"
#include "pacer.h"
#include "simtestsupport.h"

#include <QSignalSpy>
#include <QtTest>

using namespace lx200sim;

namespace {
const qint64 T = LinePacer::nsPerByteForBaud(9600);
}

class TestLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bytesDueOneCharacterTimeApart();
    void fullSinkKeepsOrder();
    void delayedReplyHoldsTheLine();
    void gpsWithoutFixAnswersZero();
    void dropSuppressesOnlyTheReply();
    void truncateCutsTheReply();
    void garbageBeforeEveryByte();
    void latencyDelaysEachReply();
    void nakWhenBusy_data();
    void nakWhenBusy();
    void hangupAfterWaitsForTheReplies();
    void floodSendsWithoutCommands();
};

void TestLine::bytesDueOneCharacterTimeApart()
{
    QVERIFY(qAbs(T - 1'041'667) <= 1);  // ten bits at 9600 baud
    LinePacer pacer(T);
    pacer.enqueue("ABCD", 0, 0);
    QCOMPARE(pacer.takeDue(T - 1), QByteArray());
    QCOMPARE(pacer.takeDue(T), QByteArray("A"));
    QCOMPARE(pacer.takeDue(3 * T), QByteArray("BC"));
    QCOMPARE(pacer.takeDue(4 * T - 1), QByteArray());
    QCOMPARE(pacer.takeDue(4 * T), QByteArray("D"));
    QVERIFY(pacer.empty());
}

// A full pseudo-terminal takes part of a reply; the rest follows in order.
void TestLine::fullSinkKeepsOrder()
{
    ManualClock clock;
    simtest::RecordingSink sink(clock);
    sink.capacity = 3;
    LineOutput output(clock, sink, 0);
    output.send("12345678", 0);
    QCOMPARE(sink.all(), QByteArray("123"));
    output.send("9", 0);
    sink.capacity = 100;
    output.pump();
    QCOMPARE(sink.all(), QByteArray("123456789"));
    QVERIFY(output.idle());
}

// The GPS fix answers after 3 s; the status asked after it waits its turn.
void TestLine::delayedReplyHoldsTheLine()
{
    simtest::Line line;
    QCOMPARE(line.exchange(":gT#:GW#"), QByteArray());
    line.runFor(2999);
    QCOMPARE(line.sink.all(), QByteArray());
    line.runFor(1);
    QCOMPARE(line.sink.all(), QByteArray("1AT0#"));
}

// Without a fix the answer is "0", after the same wait.
void TestLine::gpsWithoutFixAnswersZero()
{
    lx200sim::TelescopeConfig config = simtest::Line::config();
    config.gpsFails = true;
    simtest::Line line({}, 0, config);
    line.exchange(":gT#");
    line.runFor(2999);
    QCOMPARE(line.sink.all(), QByteArray());
    line.runFor(1);
    QCOMPARE(line.sink.all(), QByteArray("0"));
}

// Exact commands, command starts and the ACK byte can be named.
void TestLine::dropSuppressesOnlyTheReply()
{
    FaultOptions faults;
    faults.drop = {"ACK", ":GW#", ":Sr", ":MS#"};
    simtest::Line line(faults);
    QCOMPARE(line.exchange("\x06:GW#:Sr 02:31:49#:Sd +89:15:51#:MS#:GVN#"), QByteArray("14.2l#"));
    QVERIFY(line.telescope.slewing());  // the dropped commands still ran
}

void TestLine::truncateCutsTheReply()
{
    const auto option = parseTruncation(":Sd -07:30:00#:0");  // split at the last colon
    QVERIFY(option.has_value());
    QCOMPARE(option->command, QByteArray(":Sd -07:30:00#"));
    FaultOptions faults;
    faults.truncate = {*option, {":GVP#", 3}, {":ED#", 30}};
    simtest::Line line(faults);
    QCOMPARE(line.exchange(":Sd -07:30:00#:GVP#:ED#:GVN#"), QByteArray("LX2 Select Item:    Object       4.2l#"));
}

void TestLine::garbageBeforeEveryByte()
{
    FaultOptions faults;
    faults.garbageRate = 1.0;
    simtest::Line line(faults);
    const QByteArray got = line.exchange(":GVP#");
    QCOMPARE(got.size(), 14);
    QByteArray every2nd;
    for (qsizetype i = 1; i < got.size(); i += 2)
        every2nd += got[i];
    QCOMPARE(every2nd, QByteArray("LX2001#"));
}

void TestLine::latencyDelaysEachReply()
{
    FaultOptions faults;
    faults.latencyNs = 250 * kNsPerMs;
    simtest::Line line(faults);
    QCOMPARE(line.exchange(":GW#"), QByteArray());
    line.runFor(249);
    QCOMPARE(line.sink.all(), QByteArray());
    line.runFor(1);
    QCOMPARE(line.sink.all(), QByteArray("AT0#"));
}

void TestLine::nakWhenBusy_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<bool>("naked");
    QTest::newRow("RA") << QByteArray(":GR#") << true;
    QTest::newRow("status") << QByteArray(":GW#") << true;
    QTest::newRow("firmware still answers") << QByteArray(":GVN#") << false;
}

void TestLine::nakWhenBusy()
{
    QFETCH(QByteArray, query);
    QFETCH(bool, naked);
    FaultOptions faults;
    faults.nakWhenBusy = true;
    simtest::Line line(faults);
    QVERIFY(line.exchange(query) != "\x15");
    QCOMPARE(line.exchange(":Sr 02:31:49#:Sd +89:15:51#:MS#"), QByteArray("110"));
    line.clock.advanceSec(1.0);
    QCOMPARE(line.exchange(query) == "\x15", naked);
    line.clock.advanceSec(60.0);
    QVERIFY(line.exchange(query) != "\x15");
}

void TestLine::hangupAfterWaitsForTheReplies()
{
    FaultOptions faults;
    faults.hangupAfter = 2;
    simtest::Line line(faults, T);
    QSignalSpy hangup(&line.link, &Link::hangupDue);
    line.link.receive(":GW#:GVP#:GR#");
    QCOMPARE(line.link.commandCount(), 2);
    QCoreApplication::processEvents();
    QCOMPARE(hangup.count(), 0);  // replies still on the line
    line.runFor(20);
    QTRY_COMPARE(hangup.count(), 1);
    QCOMPARE(line.sink.all(), QByteArray("AT0#LX2001#"));
}

void TestLine::floodSendsWithoutCommands()
{
    FaultOptions faults;
    faults.flood = true;
    faults.seed = 1;
    simtest::Line line(faults, T);
    line.runFor(100);
    const qsizetype noise = line.sink.all().size();
    QVERIFY2(noise >= 90 && noise <= 97, qPrintable(QString::number(noise)));  // at line speed
    line.link.receive(":GVP#");
    line.runFor(40);
    QVERIFY(line.sink.all().mid(noise).contains("LX2001#"));  // a reply gets through whole
}

QTEST_GUILESS_MAIN(TestLine)
#include "tst_line.moc"
