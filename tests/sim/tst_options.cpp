// The command line.

#include "options.h"

#include <QtTest>

using namespace lx200sim;

class TestOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void defaults();
    void everyOption();
    void rejected_data();
    void rejected();
    void helpNamesEveryOption();
};

namespace {
ParsedOptions parse(QStringList args)
{
    args.prepend(QStringLiteral("lx200sim"));
    return parseOptions(args);
}
} // namespace

void TestOptions::defaults()
{
    const auto parsed = parse({});
    QVERIFY(parsed.options.has_value());
    const SimOptions &o = *parsed.options;
    QCOMPARE(o.telescope.mountType, MountType::AltAz);
    QVERIFY(o.pacing);
    QCOMPARE(o.baud, 9600);
    QVERIFY(o.pty);
    QVERIFY(!o.com && !o.tcpPort);
    QCOMPARE(o.telescope.gpsDelayNs, 3 * kNsPerSec);
    QCOMPARE(o.faults.latencyNs, 0);
    QVERIFY(o.faults.drop.isEmpty() && o.faults.truncate.isEmpty());
    QCOMPARE(o.faults.garbageRate, 0.0);
    QVERIFY(!o.faults.flood && !o.faults.nakWhenBusy);
    QCOMPARE(o.faults.hangupAfter, 0);
}

void TestOptions::everyOption()
{
    const auto parsed = parse({"--mount", "polar", "--com", "9", "--tcp", "4030", "--no-pty", "--baud", "19200",
                               "--no-pacing", "--gps-delay", "0.5", "--align-delay", "2", "--utc",
                               "2024-03-15T04:00:00", "--latency", "120", "--drop", ":GW#", "--drop", "ACK",
                               "--truncate", ":GR#:5", "--garbage", "0.1", "--flood", "--hangup-after", "7",
                               "--nak-when-busy", "--seed", "99", "--log"});
    QVERIFY2(parsed.options.has_value(), qPrintable(parsed.message));
    const SimOptions &o = *parsed.options;
    QCOMPARE(o.telescope.mountType, MountType::Polar);
    QCOMPARE(o.com, std::optional<int>(9));
    QCOMPARE(o.tcpPort, std::optional<quint16>(4030));
    QVERIFY(!o.pty);
    QCOMPARE(o.baud, 19200);
    QVERIFY(!o.pacing);
    QCOMPARE(o.telescope.gpsDelayNs, 500 * kNsPerMs);
    QCOMPARE(o.telescope.alignDelayNs, 2 * kNsPerSec);
    QCOMPARE(o.telescope.utcAtStart, QDateTime(QDate(2024, 3, 15), QTime(4, 0), QTimeZone::utc()));
    QCOMPARE(o.faults.latencyNs, 120 * kNsPerMs);
    QCOMPARE(o.faults.drop, (QList<QByteArray>{":GW#", "ACK"}));
    QCOMPARE(o.faults.truncate.size(), 1);
    QCOMPARE(o.faults.truncate.first().command, QByteArray(":GR#"));
    QCOMPARE(o.faults.truncate.first().length, 5);
    QCOMPARE(o.faults.garbageRate, 0.1);
    QVERIFY(o.faults.flood);
    QCOMPARE(o.faults.hangupAfter, 7);
    QVERIFY(o.faults.nakWhenBusy);
    QCOMPARE(o.faults.seed, 99u);
    QVERIFY(o.log);
}

void TestOptions::rejected_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("unknown mount") << QStringList{"--mount", "fork"};
    QTest::newRow("garbage above 1") << QStringList{"--garbage", "1.5"};
    QTest::newRow("negative latency") << QStringList{"--latency", "-1"};
    QTest::newRow("truncate without length") << QStringList{"--truncate", ":GR#"};
    QTest::newRow("hangup after 0") << QStringList{"--hangup-after", "0"};
    QTest::newRow("no line at all") << QStringList{"--no-pty"};
    QTest::newRow("port out of range") << QStringList{"--tcp", "70000"};
    QTest::newRow("bad time") << QStringList{"--utc", "yesterday"};
    QTest::newRow("unknown option") << QStringList{"--fast"};
    QTest::newRow("stray argument") << QStringList{"extra"};
}

void TestOptions::rejected()
{
    QFETCH(QStringList, args);
    const auto parsed = parse(args);
    QVERIFY(!parsed.options.has_value());
    QCOMPARE(parsed.exitCode, 2);
    QVERIFY(!parsed.message.isEmpty());
}

void TestOptions::helpNamesEveryOption()
{
    const auto parsed = parse({"--help"});
    QVERIFY(!parsed.options.has_value());
    QCOMPARE(parsed.exitCode, 0);
    for (const char *name : {"--mount", "--com", "--tcp", "--no-pty", "--baud", "--no-pacing", "--gps-delay",
                             "--align-delay", "--utc", "--latency", "--drop", "--truncate", "--garbage", "--flood",
                             "--hangup-after", "--nak-when-busy", "--seed", "--log", "--help"})
        QVERIFY2(parsed.message.contains(QLatin1String(name)), name);
}

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
