// Cutting the client's byte stream into commands.

#include "framer.h"

#include <QtTest>

using namespace lx200sim;

class TestFramer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void frames_data();
    void frames();
    void commandSplitAcrossReads();
    void garbageCannotGrowTheBuffer();
};

void TestFramer::frames_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QList<QByteArray>>("commands");
    QTest::newRow("one") << QByteArray(":GR#") << QList<QByteArray>{":GR#"};
    QTest::newRow("two in one read") << QByteArray(":GR#:GD#") << QList<QByteArray>{":GR#", ":GD#"};
    QTest::newRow("lone ack") << QByteArray("\x06") << QList<QByteArray>{"\x06"};
    QTest::newRow("ack between commands") << QByteArray(":GW#\x06:GR#") << QList<QByteArray>{":GW#", "\x06", ":GR#"};
    QTest::newRow("stray bytes ignored") << QByteArray("xyz#\r\n:GR#") << QList<QByteArray>{":GR#"};
    QTest::newRow("colon restarts") << QByteArray(":G:GR#") << QList<QByteArray>{":GR#"};
    QTest::newRow("colons inside RA target") << QByteArray(":Sr 05:07:09#") << QList<QByteArray>{":Sr 05:07:09#"};
    QTest::newRow("colons inside DEC target") << QByteArray(":Sd -07:30:00#")
                                              << QList<QByteArray>{":Sd -07:30:00#"};
    QTest::newRow("colons inside local time") << QByteArray(":SL 21:15:00#") << QList<QByteArray>{":SL 21:15:00#"};
    QTest::newRow("colon after unknown setter restarts") << QByteArray(":SX:GW#") << QList<QByteArray>{":GW#"};
    QTest::newRow("degree byte kept") << QByteArray(":Sd +45\xDF" "30:00#")
                                      << QList<QByteArray>{":Sd +45\xDF" "30:00#"};
    QTest::newRow("unterminated") << QByteArray(":GR") << QList<QByteArray>{};
}

void TestFramer::frames()
{
    QFETCH(QByteArray, input);
    QFETCH(QList<QByteArray>, commands);
    CommandFramer framer;
    QCOMPARE(framer.feed(input), commands);
}

void TestFramer::commandSplitAcrossReads()
{
    CommandFramer framer;
    QVERIFY(framer.feed(":E").isEmpty());
    QVERIFY(framer.feed("K 5").isEmpty());
    QCOMPARE(framer.feed("1#"), QList<QByteArray>{":EK 51#"});
}

void TestFramer::garbageCannotGrowTheBuffer()
{
    CommandFramer framer;
    QVERIFY(framer.feed(":" + QByteArray(10 * CommandFramer::kMaxCommandLength, 'x')).isEmpty());
    QVERIFY(!framer.pending());
    QCOMPARE(framer.feed("#:GR#"), QList<QByteArray>{":GR#"});
}

QTEST_GUILESS_MAIN(TestFramer)
#include "tst_framer.moc"
