#include "support/fakeserialport.h"
#include "support/recordingwait.h"

#include <QTest>

using namespace orrinet;

// The doubles that every window test leans on: what they record and when
// they deliver must be right, or those tests prove nothing.
class TestFakes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesCarryVirtualTimeAndThreshold();
    void feedDeliversAtTheThreshold_data();
    void feedDeliversAtTheThreshold();
};

void TestFakes::writesCarryVirtualTimeAndThreshold()
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
    QCOMPARE(port.writes().at(0).thresholdAtWrite, 9);
    QCOMPARE(port.writes().at(1).at, 500);
    QCOMPARE(port.writes().at(1).thresholdAtWrite, 1);
    QCOMPARE(port.writes().at(2).at, 740);
    QCOMPARE(clock.pauses(), (std::vector<int>{500, 200}));
}

void TestFakes::feedDeliversAtTheThreshold_data()
{
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QStringList>("feeds");
    QTest::addColumn<QList<int>>("deliveredAfterFeed"); // deliveries counted after each feed
    QTest::addColumn<QString>("left");

    QTest::newRow("in two parts") << 9 << QStringList{"12:34", ":56#"} << QList<int>{0, 1} << "";
    QTest::newRow("one at a time") << 1 << QStringList{"A", "B"} << QList<int>{1, 2} << "";
    QTest::newRow("longer than the threshold") << 3 << QStringList{"ANP#"} << QList<int>{1} << "";
    QTest::newRow("short") << 5 << QStringList{"AB#"} << QList<int>{0} << "AB#";
    QTest::newRow("threshold 0") << 0 << QStringList{"ANP#"} << QList<int>{0} << "ANP#";
}

void TestFakes::feedDeliversAtTheThreshold()
{
    QFETCH(int, threshold);
    QFETCH(QStringList, feeds);
    QFETCH(QList<int>, deliveredAfterFeed);
    QFETCH(QString, left);

    FakeSerialPort port;
    port.setPortNumber(1);
    QVERIFY(port.open());
    port.setReceiveThreshold(threshold);
    QStringList read;
    connect(&port, &SerialPort::received, this, [&] {
        QCOMPARE(port.commEvent(), int(SerialPort::EventReceive));
        read << port.readAll();
    });

    for (qsizetype i = 0; i < feeds.size(); ++i) {
        port.feed(feeds.at(i));
        QCOMPARE(read.size(), deliveredAfterFeed.at(i));
    }
    QCOMPARE(read.join(QString()) + port.buffered(), feeds.join(QString()));
    QCOMPARE(port.buffered(), left);
}

QTEST_GUILESS_MAIN(TestFakes)
#include "tst_fakes.moc"
