// The line's fault options, seen from the client's side of one link.

#include "link.h"
#include "simtestsupport.h"

#include <QSignalSpy>
#include <QtTest>

using namespace lx200sim;

namespace {

// A link on hand-driven time; nsPerByte 0 sends replies the moment they are due.
struct Line {
    explicit Line(const FaultOptions &faults, qint64 nsPerByte = 0)
        : telescope(clock, simtest::fixedConfig()),
          sink(clock),
          link(telescope, clock, sink, faults, nsPerByte)
    {
    }
    QByteArray exchange(const QByteArray &commands)
    {
        const qsizetype before = sink.all().size();
        link.receive(commands);
        return sink.all().mid(before);
    }
    void runFor(double ms)
    {
        for (double t = 0; t < ms; t += 1.0) {
            clock.advanceMs(1.0);
            link.output().pump();
        }
    }

    ManualClock clock;
    Telescope telescope;
    simtest::RecordingSink sink;
    Link link;
};

FaultOptions none() { return {}; }

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void patterns_data();
    void patterns();
    void truncationOption_data();
    void truncationOption();
    void cleanLineAnswersEveryCommand();
    void dropSuppressesOnlyTheReply();
    void truncateCutsTheReply();
    void garbageAllOrNothing();
    void garbageRateAndSeed();
    void latencyDelaysEachReply();
    void delayedReplyHoldsTheLine();
    void nakWhenBusy_data();
    void nakWhenBusy();
    void hangupAfterWaitsForTheReplies();
    void floodSendsWithoutCommands();
    void resetForgetsHalfACommandAndPendingBytes();
};

void TestFaults::patterns_data()
{
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("matches");
    QTest::newRow("exact") << QByteArray(":GW#") << QByteArray(":GW#") << true;
    QTest::newRow("other command") << QByteArray(":GW#") << QByteArray(":GR#") << false;
    QTest::newRow("exact is not a prefix") << QByteArray(":G#") << QByteArray(":GW#") << false;
    QTest::newRow("prefix") << QByteArray(":Sr") << QByteArray(":Sr 05:07:09#") << true;
    QTest::newRow("prefix other") << QByteArray(":Sr") << QByteArray(":Sd -07:30:00#") << false;
    QTest::newRow("ack") << QByteArray("ACK") << QByteArray("\x06") << true;
    QTest::newRow("ack only") << QByteArray("ACK") << QByteArray(":GW#") << false;
    QTest::newRow("empty matches nothing") << QByteArray() << QByteArray(":GW#") << false;
}

void TestFaults::patterns()
{
    QFETCH(QByteArray, pattern);
    QFETCH(QByteArray, command);
    QFETCH(bool, matches);
    QCOMPARE(commandMatches(pattern, command), matches);
}

void TestFaults::truncationOption_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("length");
    QTest::newRow("simple") << QByteArray(":GR#:5") << true << QByteArray(":GR#") << 5;
    QTest::newRow("colons in command") << QByteArray(":Sd -07:30:00#:0") << true << QByteArray(":Sd -07:30:00#")
                                       << 0;
    QTest::newRow("no length") << QByteArray(":GR#") << false << QByteArray() << 0;
    QTest::newRow("not a number") << QByteArray(":GR#:x") << false << QByteArray() << 0;
    QTest::newRow("negative") << QByteArray(":GR#:-1") << false << QByteArray() << 0;
}

void TestFaults::truncationOption()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QFETCH(QByteArray, command);
    QFETCH(int, length);
    const auto parsed = parseTruncation(text);
    QCOMPARE(parsed.has_value(), valid);
    if (parsed) {
        QCOMPARE(parsed->command, command);
        QCOMPARE(parsed->length, length);
    }
}

void TestFaults::cleanLineAnswersEveryCommand()
{
    Line line(none());
    QCOMPARE(line.exchange("\x06:GW#:Q#:Sr 05:07:09#:XX#:Gr#"), QByteArray("AAT0#105:07:09#"));
    QCOMPARE(line.link.commandCount(), 6);
}

void TestFaults::dropSuppressesOnlyTheReply()
{
    FaultOptions faults;
    faults.drop = {":GW#", ":MS#"};
    Line line(faults);
    QCOMPARE(line.exchange(":GW#:Sr 02:31:49#:Sd +89:15:51#:MS#:GVN#"), QByteArray("114.2l#"));
    QVERIFY(line.telescope.slewing());  // the dropped command still ran
}

void TestFaults::truncateCutsTheReply()
{
    FaultOptions faults;
    faults.truncate = {{":GVP#", 3}, {":ED#", 30}};
    Line line(faults);
    QCOMPARE(line.exchange(":GVP#"), QByteArray("LX2"));
    QCOMPARE(line.exchange(":ED#"), QByteArray(" Select Item:    Object       "));
    QCOMPARE(line.exchange(":GVN#"), QByteArray("4.2l#"));
}

void TestFaults::garbageAllOrNothing()
{
    FaultOptions faults;
    faults.garbageRate = 1.0;
    Line line(faults);
    const QByteArray got = line.exchange(":GVP#");
    QCOMPARE(got.size(), 14);
    QByteArray every2nd;
    for (qsizetype i = 1; i < got.size(); i += 2)
        every2nd += got[i];
    QCOMPARE(every2nd, QByteArray("LX2001#"));

    faults.garbageRate = 0.0;
    Line clean(faults);
    QCOMPARE(clean.exchange(":GVP#"), QByteArray("LX2001#"));
}

void TestFaults::garbageRateAndSeed()
{
    const QByteArray reply(10'000, 'a');
    Noise first(42);
    Noise same(42);
    Noise other(43);
    const QByteArray a = first.mix(reply, 0.25);
    QCOMPARE(same.mix(reply, 0.25), a);
    QVERIFY(other.mix(reply, 0.25) != a);
    const qsizetype inserted = a.size() - reply.size();
    QVERIFY2(inserted > 2300 && inserted < 2700, qPrintable(QString::number(inserted)));
}

void TestFaults::latencyDelaysEachReply()
{
    FaultOptions faults;
    faults.latencyNs = 250 * kNsPerMs;
    Line line(faults);
    QCOMPARE(line.exchange(":GW#"), QByteArray());
    line.runFor(249);
    QCOMPARE(line.sink.all(), QByteArray());
    line.runFor(1);
    QCOMPARE(line.sink.all(), QByteArray("AT0#"));
}

void TestFaults::delayedReplyHoldsTheLine()
{
    Line line(none());
    QCOMPARE(line.exchange(":gT#:GW#"), QByteArray());
    line.runFor(2999);
    QCOMPARE(line.sink.all(), QByteArray());
    line.runFor(1);
    QCOMPARE(line.sink.all(), QByteArray("1AT0#"));
}

void TestFaults::nakWhenBusy_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<bool>("naked");
    QTest::newRow("RA") << QByteArray(":GR#") << true;
    QTest::newRow("DEC") << QByteArray(":GD#") << true;
    QTest::newRow("status") << QByteArray(":GW#") << true;
    QTest::newRow("firmware still answers") << QByteArray(":GVN#") << false;
}

void TestFaults::nakWhenBusy()
{
    QFETCH(QByteArray, query);
    QFETCH(bool, naked);
    FaultOptions faults;
    faults.nakWhenBusy = true;
    Line line(faults);
    const QByteArray idle = line.exchange(query);
    QVERIFY(idle != "\x15");
    QCOMPARE(line.exchange(":Sr 02:31:49#:Sd +89:15:51#:MS#"), QByteArray("110"));
    line.clock.advanceSec(1.0);
    const QByteArray busy = line.exchange(query);
    QCOMPARE(busy == QByteArray("\x15"), naked);
    line.clock.advanceSec(60.0);
    QVERIFY(line.exchange(query) != "\x15");
}

void TestFaults::hangupAfterWaitsForTheReplies()
{
    FaultOptions faults;
    faults.hangupAfter = 2;
    Line line(faults, LinePacer::nsPerByteForBaud(9600));
    QSignalSpy hangup(&line.link, &Link::hangupDue);
    line.link.receive(":GW#:GVP#:GR#");
    QCOMPARE(line.link.commandCount(), 2);
    QCoreApplication::processEvents();
    QCOMPARE(hangup.count(), 0);  // replies still on the line
    line.runFor(20);
    QTRY_COMPARE(hangup.count(), 1);
    QCOMPARE(line.sink.all(), QByteArray("AT0#LX2001#"));
    line.link.receive(":GW#");
    QCOMPARE(line.link.commandCount(), 2);
}

void TestFaults::floodSendsWithoutCommands()
{
    FaultOptions faults;
    faults.flood = true;
    faults.seed = 1;
    Line line(faults, LinePacer::nsPerByteForBaud(9600));
    line.runFor(50);
    QVERIFY(line.sink.all().size() >= 40);
}

void TestFaults::resetForgetsHalfACommandAndPendingBytes()
{
    Line line(none(), LinePacer::nsPerByteForBaud(9600));
    line.link.receive(":ED#:G");
    line.runFor(5);
    QVERIFY(!line.sink.all().isEmpty());
    line.link.reset();
    const qsizetype sent = line.sink.all().size();
    line.runFor(50);
    QCOMPARE(line.sink.all().size(), sent);
    line.link.receive("R#");  // the half ":G" is gone: this is stray input
    line.runFor(50);
    QCOMPARE(line.sink.all().size(), sent);
}

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
