#include "platform/fakeserialport.h"
#include "platform/recordingwait.h"

#include <QSignalSpy>
#include <QTest>

using namespace orrinet;

// The doubles that every window test leans on: what they record and when
// they deliver must be right, or those tests prove nothing.
class tst_Fakes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesCarryVirtualTimeAndThreshold();
    void refusedWritesAreNotRecorded();
    void opening_data();
    void opening();
    void feedDeliversAtTheThreshold_data();
    void feedDeliversAtTheThreshold();
    void handlerThatDoesNotReadEndsTheDelivery();
    void handlerContinuesTheExchange();
    void feedInsideAHandlerWaitsForItsEnd();
    void otherEventsAndLoss();
};

void tst_Fakes::writesCarryVirtualTimeAndThreshold()
{
    RecordingWait clock;
    FakeSerialPort port(&clock);
    port.setPortNumber(3);
    QVERIFY(port.open());

    port.setReceiveThreshold(9);
    QVERIFY(port.write(":GR#"));
    clock.wait(500);
    port.setReceiveThreshold(1);
    QVERIFY(port.write(":RS#"));
    clock.wait(200);
    clock.advance(40);
    QVERIFY(port.write(":F2#"));

    QCOMPARE(port.writtenTexts(), (QStringList{":GR#", ":RS#", ":F2#"}));
    QCOMPARE(port.writes().at(0).at, 0);
    QCOMPARE(port.writes().at(0).thresholdAtWrite, 9);
    QCOMPARE(port.writes().at(1).at, 500);
    QCOMPARE(port.writes().at(1).thresholdAtWrite, 1);
    QCOMPARE(port.writes().at(2).at, 740);
    QCOMPARE(clock.pauses(), (std::vector<int>{500, 200}));
    QCOMPARE(clock.elapsed(), 740);

    port.clearWrites();
    QVERIFY(port.writes().empty());
}

void tst_Fakes::refusedWritesAreNotRecorded()
{
    FakeSerialPort port;
    QVERIFY(!port.write(":GR#")); // closed
    port.setPortNumber(1);
    QVERIFY(port.open());
    port.failWrites(true);
    QVERIFY(!port.write(":GD#"));
    port.failWrites(false);
    QVERIFY(port.write(":Q#"));
    QCOMPARE(port.writtenTexts(), QStringList{":Q#"});
    QCOMPARE(port.writes().front().at, 0); // no clock
}

void tst_Fakes::opening_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("error");

    QTest::newRow("1") << 1 << "" << true << "";
    QTest::newRow("255") << 255 << "" << true << "";
    QTest::newRow("0, no port chosen") << 0 << "" << false << "Invalid port number";
    QTest::newRow("256") << 256 << "" << false << "Invalid port number";
    QTest::newRow("told to fail") << 12 << "/dev/ttyS11: No such file or directory" << false
                                  << "/dev/ttyS11: No such file or directory";
}

void tst_Fakes::opening()
{
    QFETCH(int, number);
    QFETCH(QString, failure);
    QFETCH(bool, opens);
    QFETCH(QString, error);

    FakeSerialPort port;
    port.failOpenWith(failure);
    port.setPortNumber(number);
    QCOMPARE(port.open(), opens);
    QCOMPARE(port.isOpen(), opens);
    QCOMPARE(port.errorString(), error);
    QCOMPARE(port.openCount(), 1);
    QCOMPARE(port.lastPortNumber(), number);

    port.close();
    port.failOpenWith(QString());
    port.setPortNumber(7);
    QVERIFY(port.open());
    QCOMPARE(port.openCount(), 2);
    QCOMPARE(port.lastPortNumber(), 7);
}

void tst_Fakes::feedDeliversAtTheThreshold_data()
{
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QStringList>("feeds");
    QTest::addColumn<QList<int>>("deliveredAfterFeed"); // deliveries counted after each feed
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("left");

    QTest::newRow("in two parts") << 9 << QStringList{"12:34", ":56#"} << QList<int>{0, 1}
                                  << QStringList{"12:34:56#"} << "";
    QTest::newRow("one at a time")
        << 1 << QStringList{"A", "B"} << QList<int>{1, 2} << QStringList{"A", "B"} << "";
    QTest::newRow("longer than the threshold")
        << 3 << QStringList{"ANP#"} << QList<int>{1} << QStringList{"ANP#"} << "";
    QTest::newRow("short") << 5 << QStringList{"AB#"} << QList<int>{0} << QStringList{} << "AB#";
    QTest::newRow("threshold 0") << 0 << QStringList{"ANP#"} << QList<int>{0} << QStringList{}
                                 << "ANP#";
}

void tst_Fakes::feedDeliversAtTheThreshold()
{
    QFETCH(int, threshold);
    QFETCH(QStringList, feeds);
    QFETCH(QList<int>, deliveredAfterFeed);
    QFETCH(QStringList, texts);
    QFETCH(QString, left);

    FakeSerialPort port;
    port.setPortNumber(1);
    QVERIFY(port.open());
    port.setReceiveThreshold(threshold);
    QStringList read;
    QList<int> events;
    connect(&port, &SerialPort::received, this, [&] {
        events << port.commEvent();
        read << port.readAll();
    });

    for (qsizetype i = 0; i < feeds.size(); ++i) {
        port.feed(feeds.at(i));
        QCOMPARE(read.size(), deliveredAfterFeed.at(i));
    }
    QCOMPARE(read, texts);
    QCOMPARE(events, QList<int>(texts.size(), SerialPort::EventReceive));
    QCOMPARE(port.buffered(), left);
    QCOMPARE(port.commEvent(), int(SerialPort::EventNone));
}

void tst_Fakes::handlerThatDoesNotReadEndsTheDelivery()
{
    FakeSerialPort port;
    port.setPortNumber(1);
    QVERIFY(port.open());
    int calls = 0;
    connect(&port, &SerialPort::received, this, [&] { ++calls; });

    port.feed("A");
    QCOMPARE(calls, 1);
    port.feed("B");
    QCOMPARE(calls, 2);
    QCOMPARE(port.buffered(), QString("AB"));
    QCOMPARE(port.readAll(), QString("AB"));
    QCOMPARE(port.buffered(), QString());
}

void tst_Fakes::handlerContinuesTheExchange()
{
    FakeSerialPort port;
    port.setPortNumber(1);
    QVERIFY(port.open());
    QStringList replies;
    connect(&port, &SerialPort::received, this, [&] {
        replies << port.readAll();
        if (replies.size() == 1) {
            port.setReceiveThreshold(10);
            port.write(":GD#");
        }
    });
    port.setReceiveThreshold(9);
    port.write(":GR#");

    port.feed("12:34:56#");
    QCOMPARE(port.writtenTexts(), (QStringList{":GR#", ":GD#"}));
    QCOMPARE(port.writes().back().thresholdAtWrite, 10);
    port.feed(QString::fromLatin1("+45\xDF"
                                  "30:15#"));
    QCOMPARE(replies, (QStringList{"12:34:56#", QString::fromLatin1("+45\xDF"
                                                                    "30:15#")}));
}

void tst_Fakes::feedInsideAHandlerWaitsForItsEnd()
{
    FakeSerialPort port;
    port.setPortNumber(1);
    QVERIFY(port.open());
    int depth = 0;
    int deepest = 0;
    QStringList replies;
    connect(&port, &SerialPort::received, this, [&] {
        deepest = std::max(deepest, ++depth);
        replies << port.readAll();
        if (replies.size() == 1)
            port.feed("late#");
        --depth;
    });

    port.feed("first#");
    QCOMPARE(deepest, 1);
    QCOMPARE(replies, (QStringList{"first#", "late#"}));
}

void tst_Fakes::otherEventsAndLoss()
{
    FakeSerialPort port;
    port.feed("ignored while closed");
    port.setPortNumber(1);
    QVERIFY(port.open());
    QCOMPARE(port.buffered(), QString());

    QList<int> events;
    connect(&port, &SerialPort::received, this, [&] { events << port.commEvent(); });
    port.raiseEvent(1);
    QCOMPARE(events, QList<int>{1});

    int eventDuringLoss = -1;
    connect(&port, &SerialPort::connectionLost, this, [&] { eventDuringLoss = port.commEvent(); });
    QSignalSpy lost(&port, &SerialPort::connectionLost);
    port.setReceiveThreshold(10);
    port.feed("part");
    port.loseConnection("/dev/ttyUSB0: unplugged");
    QVERIFY(!port.isOpen());
    QCOMPARE(lost.size(), 1);
    QCOMPARE(lost.at(0).at(0).toString(), QString("/dev/ttyUSB0: unplugged"));
    QCOMPARE(eventDuringLoss, int(SerialPort::EventLost));
    QCOMPARE(port.readAll(), QString());
    port.loseConnection("again");
    QCOMPARE(lost.size(), 1);
}

QTEST_GUILESS_MAIN(tst_Fakes)
#include "tst_fakes.moc"
