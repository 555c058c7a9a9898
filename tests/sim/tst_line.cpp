// The simulator's line on hand-driven time: pacing, a reply the telescope is
// still working on, and every fault option as given on the command line,
// seen from the client's side.

#include "link.h"
#include "options.h"
#include "pacer.h"

#include <QSignalSpy>
#include <QtTest>

using namespace lx200sim;
using namespace Qt::StringLiterals;

namespace {

// What left the line; takes at most `capacity` more bytes unless it is -1.
class RecordingSink final : public ByteSink
{
public:
    qint64 writeBytes(QByteArrayView bytes) override
    {
        const qint64 taken = capacity < 0 ? bytes.size() : std::min<qint64>(capacity, bytes.size());
        sent += bytes.first(taken);
        if (capacity >= 0)
            capacity -= taken;
        return taken;
    }

    QByteArray sent;
    qint64 capacity = -1;
};

// A telescope at 04:00 UTC on 15 March 2024 behind one line, set up as the
// simulator's command line says.
struct Line
{
    explicit Line(const QStringList &arguments)
        : options(parseOptions(QStringList{u"lx200sim"_s} + arguments).options.value()),
          telescope(clock,
                    {.utcAtStart = QDateTime(QDate(2024, 3, 15), QTime(4, 0), QTimeZone::utc())}),
          link(telescope, clock, sink, options.faults,
               options.pacing ? LinePacer::nsPerByteForBaud(options.baud) : 0)
    {
    }

    // Lets time pass in 1 ms ticks, sending what falls due.
    void runFor(int ms)
    {
        for (int t = 0; t < ms; ++t) {
            clock.advanceMs(1.0);
            link.output().pump();
        }
    }

    SimOptions options;
    ManualClock clock;
    Telescope telescope;
    RecordingSink sink;
    Link link;
};

} // namespace

class TestLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:

    void replies_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("commands");
        QTest::addColumn<int>("afterMs");
        QTest::addColumn<QString>("pattern"); // what has left the line by then
        const auto row = [](const char *name, const QStringList &arguments,
                            const QByteArray &commands, int afterMs, const QString &pattern) {
            QTest::newRow(name) << arguments << commands << afterMs << pattern;
        };
        const auto exactly = [](const QByteArray &bytes) {
            return u'^' + QRegularExpression::escape(QString::fromLatin1(bytes)) + u'$';
        };
        const QStringList atOnce{QStringLiteral("--no-pacing")};
        const QByteArray polarisGoto = ":Sr 02:31:49#:Sd +89:15:51#:MS#";

        // Ten bits a character at 9600 baud: 1.04 ms each.
        row("paced, 3 ms", {}, ":GVP#", 3, exactly("LX"));
        row("paced, 8 ms", {}, ":GVP#", 8, exactly("LX2001#"));
        // The GPS fix answers after 3 s; the status asked after it waits its turn.
        row("GPS fix pending", atOnce, ":gT#:GW#", 2999, exactly(""));
        row("GPS fix", atOnce, ":gT#:GW#", 3000, exactly("1AT0#"));
        row("latency pending", atOnce + QStringList{"--latency", "250"}, ":GW#", 249, exactly(""));
        row("latency", atOnce + QStringList{"--latency", "250"}, ":GW#", 250, exactly("AT0#"));
        // Exact commands, command starts and the ACK byte; the commands still run.
        row("drop",
            atOnce +
                QStringList{"--drop", "ACK", "--drop", ":GW#", "--drop", ":Sr", "--drop", ":MS#"},
            "\x06:GW#" + polarisGoto + ":GVN#:D#", 0, exactly("14.2l#|#"));
        row("truncate",
            atOnce + QStringList{"--truncate", ":Sd -07:30:00#:0", "--truncate", ":GVP#:3",
                                 "--truncate", ":ED#:30"},
            ":Sd -07:30:00#:GVP#:ED#:GVN#", 0, exactly("LX2 Select Item:    Object       4.2l#"));
        row("garbage before every byte", atOnce + QStringList{"--garbage", "1", "--seed", "1"},
            ":GVP#", 0, QStringLiteral("^.L.X.2.0.0.1.#$"));
        row("NAK while slewing", atOnce + QStringList{"--nak-when-busy"},
            ":GW#" + polarisGoto + ":GR#:GW#:GVN#", 0,
            exactly("AT0#110\x15\x15"
                    "4.2l#"));
        // Noise at the line's speed, and a reply still gets through whole.
        row("flood", {"--flood", "--seed", "1"}, ":GVP#", 100,
            QStringLiteral("^(?=.{90,97}$).*LX2001#"));
    }

    void replies()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, commands);
        QFETCH(int, afterMs);
        QFETCH(QString, pattern);

        Line line(arguments);
        line.link.receive(commands);
        line.runFor(afterMs);
        const QString sent = QString::fromLatin1(line.sink.sent);
        QVERIFY2(QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption)
                     .match(sent)
                     .hasMatch(),
                 qPrintable(sent.toLatin1().toPercentEncoding()));
    }

    // A full pseudo-terminal takes part of a reply; the rest follows in order.
    void fullSinkKeepsOrder()
    {
        ManualClock clock;
        RecordingSink sink;
        sink.capacity = 3;
        LineOutput output(clock, sink, 0);
        output.send("12345678", 0);
        QCOMPARE(sink.sent, QByteArray("123"));
        output.send("9", 0);
        sink.capacity = 100;
        output.pump();
        QCOMPARE(sink.sent, QByteArray("123456789"));
        QVERIFY(output.idle());
    }

    void hangupAfterWaitsForTheReplies()
    {
        Line line({"--hangup-after", "2"});
        QSignalSpy hangup(&line.link, &Link::hangupDue);
        line.link.receive(":GW#:GVP#:GR#");
        QCOMPARE(line.link.commandCount(), 2);
        QCoreApplication::processEvents();
        QCOMPARE(hangup.count(), 0); // replies still on the line
        line.runFor(20);
        QTRY_COMPARE(hangup.count(), 1);
        QCOMPARE(line.sink.sent, QByteArray("AT0#LX2001#"));
    }
};

QTEST_GUILESS_MAIN(TestLine)
#include "tst_line.moc"
