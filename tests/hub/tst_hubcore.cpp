#include "hub/hubcore.h"
#include "support/recordinghuboutput.h"

#include <QTest>
#include <memory>

using namespace orrinet::hub;

// The core with a recorded line and clients, and a clock that moves only when
// told.
class TestHubCore : public QObject
{
    Q_OBJECT

    std::unique_ptr<RecordingHubOutput> out;
    std::unique_ptr<HubCore> core;
    qint64 now = 0;

    void make(HubSettings settings = {})
    {
        out = std::make_unique<RecordingHubOutput>();
        core = std::make_unique<HubCore>(std::move(settings), *out);
        now = 0;
    }
    bool join(ClientId id, const char *address = "127.0.0.1")
    {
        return core->clientConnected(id, QHostAddress(QString::fromLatin1(address)),
                                     quint16(40000 + id), now);
    }
    void send(ClientId id, const QByteArray &bytes) { core->clientBytes(id, bytes, now); }
    void line(const QByteArray &bytes) { core->lineBytes(bytes, now); }
    void at(qint64 ms)
    {
        now = ms;
        core->advance(now);
    }
    QByteArray last() const { return out->lineWrites.value(out->lineWrites.size() - 1); }

private Q_SLOTS:
    void init() { make(); }

    // One exchange per client per turn: a flood does not starve another client.
    void fairTurns()
    {
        join(1);
        join(2);
        send(1, ":GC#:GC#:GC#");
        send(2, ":Gt#");
        line("03/15/24#");
        line("+33*52#");
        QCOMPARE(out->lineWrites, (QByteArrayList{":GC#", ":Gt#", ":GC#"}));
        QCOMPARE(out->received[2], QByteArray("+33*52#"));
    }

    // A stop is never queued behind an exchange that holds the line, and a
    // move queued before it never starts after it.
    void stopAtOnce()
    {
        join(1);
        join(2);
        send(1, ":gT#");
        send(2, ":Mn#");
        send(2, ":Qn#");
        QCOMPARE(out->lineWrites, (QByteArrayList{":gT#", ":Qn#"}));
        line("1");
        QCOMPARE(out->lineWrites, (QByteArrayList{":gT#", ":Qn#"}));
        QCOMPARE(out->received[1], QByteArray("1"));
    }

    // Another client's target waits for the block; its polls do not.
    void targetBlock()
    {
        join(1);
        join(2);
        join(3);
        send(1, ":Sr 01:00:00#");
        send(2, ":Sr 02:00:00#:Sd +02:00:00#:MS#");
        send(3, ":GW#");
        line("1");
        send(1, ":Sd +01:00:00#:MS#");
        for (const char *reply : {"AT1#", "1", "0", "1", "1", "0"})
            line(reply);
        QCOMPARE(out->lineWrites, (QByteArrayList{":Sr 01:00:00#", ":GW#", ":Sd +01:00:00#", ":MS#",
                                                  ":Sr 02:00:00#", ":Sd +02:00:00#", ":MS#"}));
        QCOMPARE(out->received[1], QByteArray("110"));
        QCOMPARE(out->received[2], QByteArray("110"));
    }

    // Bytes from an exchange that timed out never reach the next client.
    void staleBytes()
    {
        join(1);
        join(2);
        send(1, ":GW#");
        line("AT");
        at(5000);
        line("1#");
        send(2, ":GC#");
        line("03/15/24#");
        QCOMPARE(out->received[1], QByteArray());
        QCOMPARE(out->received[2], QByteArray("03/15/24#"));
    }

    void cacheAge_data()
    {
        QTest::addColumn<int>("ageMs");
        QTest::addColumn<int>("writes");
        QTest::newRow("fresh") << 0 << 1;
        QTest::newRow("just fresh") << 249 << 1;
        QTest::newRow("stale") << 250 << 2;
    }
    // Many clients, one exchange per poll interval.
    void cacheAge()
    {
        join(1);
        join(2);
        send(1, ":GR#");
        send(2, ":GR#");
        line("12:34:56#");
        QFETCH(int, ageMs);
        at(ageMs);
        send(2, ":GR#");
        QFETCH(int, writes);
        QCOMPARE(out->lineWrites.size(), writes);
        QCOMPARE(out->received[1], QByteArray("12:34:56#"));
        QCOMPARE(out->received[2].left(9), QByteArray("12:34:56#"));
    }

    // The line is set to high precision once; each client keeps its own form.
    void precision()
    {
        join(1);
        join(2);
        send(1, ":GR#");
        line("12:34.9#");
        QCOMPARE(out->lineWrites, (QByteArrayList{":GR#", ":U#", ":GR#"}));
        line("12:34:56#");
        send(2, ":U#:GR#:U#:GR#");
        QCOMPARE(out->received[1], QByteArray("12:34:56#"));
        QCOMPARE(out->received[2], QByteArray("12:34.9#12:34:56#"));
        QCOMPARE(out->lineWrites.size(), 3);
    }

    void moveGuards_data()
    {
        QTest::addColumn<QByteArray>("moves");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QByteArrayList>("stops");
        QTest::newRow("closed") << QByteArray(":Mn#:F+#") << true << QByteArrayList{":Qn#", ":FQ#"};
        QTest::newRow("silent") << QByteArray(":Me#") << false << QByteArrayList{":Qe#"};
        QTest::newRow("stopped itself") << QByteArray(":Mw#:Qw#") << true << QByteArrayList{};
    }
    void moveGuards()
    {
        join(1);
        QFETCH(QByteArray, moves);
        send(1, moves);
        out->lineWrites.clear();
        at(1999);
        QCOMPARE(out->lineWrites, QByteArrayList{});
        QFETCH(bool, closes);
        if (closes)
            core->clientGone(1, QStringLiteral("reset"), now);
        else
            at(2000);
        QFETCH(QByteArrayList, stops);
        QCOMPARE(out->lineWrites, stops);
    }

    // A client that keeps talking keeps its move; an older goto does not stop
    // a newer move of another client.
    void guardsBelongToTheLastMover()
    {
        join(1);
        join(2);
        send(1, ":Me#");
        at(1500);
        send(1, ":GW#");
        line("AT1#");
        at(3000);
        QVERIFY(!out->lineWrites.contains(":Qe#"));
        send(2, ":MS#");
        line("0");
        send(1, ":Me#");
        out->lineWrites.clear();
        core->clientGone(2, QStringLiteral("closed"), now);
        QCOMPARE(out->lineWrites, QByteArrayList{});
    }

    void readOnly()
    {
        HubSettings settings;
        settings.access.readOnly << *parseSubnet(QStringLiteral("10.0.0.0/8"));
        make(settings);
        QVERIFY(join(1, "10.1.2.3"));
        send(1, ":Mn#:Sr 01:00:00#:Q#:hP#:XY#:GR#");
        QCOMPARE(out->lineWrites, QByteArrayList{":GR#"});
        QVERIFY(out->logLines.join(u'\n').contains(QStringLiteral("(read-only): dropped :Mn#")));
    }

    void admission()
    {
        HubSettings settings;
        settings.access.allow << *parseSubnet(QStringLiteral("192.168.1.0/24"));
        settings.maxClients = 1;
        make(settings);
        QVERIFY(!join(1, "10.0.0.1"));
        QVERIFY(join(2, "192.168.1.5"));
        QVERIFY(!join(3, "192.168.1.6"));
        QCOMPARE(core->clientCount(), std::size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestHubCore)
#include "tst_hubcore.moc"
