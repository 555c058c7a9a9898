// Replies leave at the speed of a 9600 baud 8N1 line.

#include "lineoutput.h"
#include "pacer.h"
#include "simtestsupport.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

using namespace lx200sim;

namespace {
const qint64 T = LinePacer::nsPerByteForBaud(9600);
}

class TestPacer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void characterTimeAt9600();
    void bytesDueOneCharacterTimeApart();
    void lateCallerGetsACatchUpBurst();
    void repliesQueueBackToBack();
    void idleLineStartsFresh();
    void notBeforeHoldsTheReplyAndThoseBehindIt();
    void unpacedSendsAtOnce();
    void outputWritesOnSchedule();
    void fullSinkKeepsOrder();
    void goneSinkDropsEverything();
    void floodFillsIdleLine_data();
    void floodFillsIdleLine();
    void realTimeAverageWithinTenPercent();
};

void TestPacer::characterTimeAt9600()
{
    // Ten bits per character: 1.0417 ms.
    QVERIFY(qAbs(T - 1'041'667) <= 1);
    QCOMPARE(LinePacer::nsPerByteForBaud(19200), T / 2);
}

void TestPacer::bytesDueOneCharacterTimeApart()
{
    LinePacer pacer(T);
    pacer.enqueue("ABCD", 0, 0);
    QCOMPARE(pacer.nextDueNs(), std::optional<qint64>(T));
    QCOMPARE(pacer.takeDue(T - 1), QByteArray());
    QCOMPARE(pacer.takeDue(T), QByteArray("A"));
    QCOMPARE(pacer.nextDueNs(), std::optional<qint64>(2 * T));
    QCOMPARE(pacer.takeDue(3 * T), QByteArray("BC"));
    QCOMPARE(pacer.takeDue(4 * T - 1), QByteArray());
    QCOMPARE(pacer.takeDue(4 * T), QByteArray("D"));
    QVERIFY(pacer.empty());
    QCOMPARE(pacer.nextDueNs(), std::nullopt);
}

void TestPacer::lateCallerGetsACatchUpBurst()
{
    LinePacer pacer(T);
    pacer.enqueue(QByteArray(100, 'x'), 0, 0);
    QCOMPARE(pacer.takeDue(50 * T + T / 2).size(), 50);
    QCOMPARE(pacer.takeDue(99 * T).size(), 49);
    QCOMPARE(pacer.takeDue(100 * T).size(), 1);
}

void TestPacer::repliesQueueBackToBack()
{
    LinePacer pacer(T);
    pacer.enqueue("AB", 0, 0);
    pacer.enqueue("CD", 0, 0);
    QCOMPARE(pacer.takeDue(3 * T), QByteArray("ABC"));
    QCOMPARE(pacer.takeDue(4 * T), QByteArray("D"));
}

void TestPacer::idleLineStartsFresh()
{
    LinePacer pacer(T);
    pacer.enqueue("A", 0, 0);
    QCOMPARE(pacer.takeDue(10 * T), QByteArray("A"));
    pacer.enqueue("B", 0, 20 * T);
    QCOMPARE(pacer.takeDue(21 * T - 1), QByteArray());
    QCOMPARE(pacer.takeDue(21 * T), QByteArray("B"));
}

// A reply the telescope is still working on (GPS fix) holds the line.
void TestPacer::notBeforeHoldsTheReplyAndThoseBehindIt()
{
    LinePacer pacer(T);
    pacer.enqueue("1", 3 * kNsPerSec, 0);
    pacer.enqueue("AT0#", 0, 0);
    QVERIFY(pacer.repliesPending());
    QCOMPARE(pacer.takeDue(3 * kNsPerSec), QByteArray());
    QCOMPARE(pacer.takeDue(3 * kNsPerSec + 5 * T), QByteArray("1AT0#"));
    QVERIFY(!pacer.repliesPending());
}

void TestPacer::unpacedSendsAtOnce()
{
    LinePacer pacer(0);
    pacer.enqueue(QByteArray(500, 'x'), 0, 7);
    QCOMPARE(pacer.takeDue(7).size(), 500);
    pacer.enqueue("late", 100, 7);
    QCOMPARE(pacer.takeDue(99), QByteArray());
    QCOMPARE(pacer.takeDue(100), QByteArray("late"));
}

void TestPacer::outputWritesOnSchedule()
{
    ManualClock clock;
    simtest::RecordingSink sink(clock);
    LineOutput output(clock, sink, T);
    QSignalSpy drained(&output, &LineOutput::drained);
    const QByteArray reply = QByteArray(" Select Item:    Object          #");
    output.send(reply, 0);
    for (int ms = 0; ms < 40; ++ms) {
        clock.advanceMs(1.0);
        output.pump();
    }
    QCOMPARE(sink.all(), reply);
    // Each byte goes out at the first millisecond tick after it is due.
    qint64 written = 0;
    for (const auto &w : sink.writes) {
        written += w.bytes.size();
        QVERIFY(w.atNs >= written * T);
        QVERIFY(w.atNs < written * T + kNsPerMs);
    }
    QCOMPARE(drained.count(), 1);
    QVERIFY(output.idle());
}

void TestPacer::fullSinkKeepsOrder()
{
    ManualClock clock;
    simtest::RecordingSink sink(clock);
    sink.capacity = 3;
    LineOutput output(clock, sink, 0);
    QSignalSpy drained(&output, &LineOutput::drained);
    output.send("12345678", 0);
    QCOMPARE(sink.all(), QByteArray("123"));
    QVERIFY(!output.idle());
    output.send("9", 0);
    sink.capacity = 100;
    output.pump();
    QCOMPARE(sink.all(), QByteArray("123456789"));
    QVERIFY(output.idle());
    QCOMPARE(drained.count(), 1);
}

void TestPacer::goneSinkDropsEverything()
{
    ManualClock clock;
    simtest::RecordingSink sink(clock);
    sink.gone = true;
    LineOutput output(clock, sink, T);
    output.send("AT0#", 0);
    clock.advanceMs(10);
    output.pump();
    QVERIFY(output.idle());
    sink.gone = false;
    clock.advanceMs(10);
    output.pump();
    QCOMPARE(sink.all(), QByteArray());
}

void TestPacer::floodFillsIdleLine_data()
{
    QTest::addColumn<bool>("paced");
    QTest::newRow("at line speed") << true;
    QTest::newRow("flat out") << false;
}

void TestPacer::floodFillsIdleLine()
{
    QFETCH(bool, paced);
    ManualClock clock;
    simtest::RecordingSink sink(clock);
    Noise noise(7);
    LineOutput output(clock, sink, paced ? T : 0);
    output.setFlood(&noise);
    for (int ms = 0; ms < 100; ++ms) {
        clock.advanceMs(1.0);
        output.pump();
    }
    const qsizetype floodBytes = sink.all().size();
    if (paced)
        QVERIFY2(floodBytes >= 90 && floodBytes <= 97, qPrintable(QString::number(floodBytes)));
    else
        QVERIFY(floodBytes >= 100 * 1024);

    // A reply still gets through whole, between noise.
    const QByteArray reply("12:34:56#");
    output.send(reply, clock.nowNs());
    for (int ms = 0; ms < 40; ++ms) {
        clock.advanceMs(1.0);
        output.pump();
    }
    QVERIFY(sink.all().mid(floodBytes).contains(reply));
}

// The real timer, on the real clock: 96 characters take 100 ms at 9600 baud.
void TestPacer::realTimeAverageWithinTenPercent()
{
    SteadyClock clock;
    simtest::RecordingSink sink(clock);
    LineOutput output(clock, sink, T);
    QSignalSpy drained(&output, &LineOutput::drained);
    const qint64 start = clock.nowNs();
    output.send(QByteArray(96, 'x'), 0);
    QVERIFY(drained.wait(2000));
    const double elapsedMs = static_cast<double>(sink.writes.last().atNs - start) / 1e6;
    const double expectedMs = 96 * T / 1e6;
    QVERIFY2(qAbs(elapsedMs - expectedMs) <= 0.1 * expectedMs,
             qPrintable(QStringLiteral("%1 ms for 96 characters").arg(elapsedMs)));
    QVERIFY(sink.writes.size() > 10);  // trickled, not sent in one go
}

QTEST_GUILESS_MAIN(TestPacer)
#include "tst_pacer.moc"
