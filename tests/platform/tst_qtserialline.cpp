#include "platform/portdevices.h"
#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <memory>
#include <poll.h>
#include <pthread.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace orrinet;
using namespace std::chrono_literals;

namespace {

constexpr int mappedPort = 9;

// The telescope's end of a pseudo-terminal; the line under test opens the other end.
class PtyPeer
{
public:
    PtyPeer()
    {
        char name[256] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
            return;
        termios raw{};
        ::tcgetattr(m_slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slave, TCSANOW, &raw);
        m_slavePath = QString::fromLocal8Bit(name);
    }
    ~PtyPeer()
    {
        hangUp();
        if (m_slave >= 0)
            ::close(m_slave);
    }
    PtyPeer(const PtyPeer &) = delete;
    PtyPeer &operator=(const PtyPeer &) = delete;

    bool isValid() const { return m_master >= 0 && !m_slavePath.isEmpty(); }
    QString slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    // The line settings in force on the line's side.
    termios lineSettings() const
    {
        termios settings{};
        ::tcgetattr(m_slave, &settings);
        return settings;
    }

    bool send(const QByteArray &bytes) const
    {
        return ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // What the line has sent, waiting for `count` bytes without running any event loop.
    QByteArray receive(qsizetype count, int timeoutMs = 2000) const
    {
        QByteArray got;
        QElapsedTimer timer;
        timer.start();
        while (got.size() < count && !timer.hasExpired(timeoutMs)) {
            pollfd ready{m_master, POLLIN, 0};
            if (::poll(&ready, 1, 10) <= 0 || !(ready.revents & POLLIN))
                continue;
            char chunk[512];
            const ssize_t n = ::read(m_master, chunk, sizeof chunk);
            if (n > 0)
                got.append(chunk, n);
        }
        return got;
    }

    // The far end goes away, as when the adapter is unplugged.
    void hangUp()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};

// Writes bytes one at a time from another thread, `gap` apart, as a telescope
// answering at 9600 baud with pauses would.
class Streamer
{
public:
    // Gaps are measured from byte `watchFrom` on.
    Streamer(int fd, const QByteArray &bytes, std::chrono::microseconds gap,
             qsizetype watchFrom = 1)
        : m_thread([this, fd, bytes, gap, watchFrom](const std::stop_token &stop) {
              // Keeps the pace on a busy machine where allowed (root); best effort.
              const sched_param realtime{1};
              ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &realtime);
              auto last = std::chrono::steady_clock::now();
              for (qsizetype i = 0; i < bytes.size(); ++i) {
                  const auto now = std::chrono::steady_clock::now();
                  if (i >= watchFrom)
                      m_longestGapUs = std::max<long long>(
                          m_longestGapUs,
                          std::chrono::duration_cast<std::chrono::microseconds>(now - last)
                              .count());
                  last = now;
                  if (stop.stop_requested() || ::write(fd, bytes.constData() + i, 1) != 1)
                      return;
                  ++m_sent;
                  std::this_thread::sleep_for(gap);
              }
          })
    {
    }

    int sent() const { return m_sent; }
    void finish() { m_thread.join(); }
    // The longest time between two bytes; only meaningful after finish().
    std::chrono::microseconds longestGap() const
    {
        return std::chrono::microseconds(m_longestGapUs);
    }

private:
    std::atomic<int> m_sent = 0;
    std::atomic<long long> m_longestGapUs = 0;
    std::jthread m_thread;
};

// What the receive handler saw.
struct Reception
{
    QStringList texts;
    QList<int> events;
};

void readOnReceive(QtSerialLine &line, Reception &reception)
{
    QObject::connect(&line, &SerialPort::received, &line, [&line, &reception] {
        reception.events << line.commEvent();
        reception.texts << line.readAll();
    });
}

QByteArray everyByteValue()
{
    QByteArray bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i);
    return bytes;
}

} // namespace

class tst_QtSerialLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void opensThePortWithTheLineSettings();
    void failedOpenNamesTheDevice_data();
    void failedOpenNamesTheDevice();
    void writesExactBytesAtOnce();
    void receiveWaitsForTheQuietLine_data();
    void receiveWaitsForTheQuietLine();
    void tooLittleInputRaisesNothing_data();
    void tooLittleInputRaisesNothing();
    void continuousStreamRaisesWithinTheCap();
    void unreadInputRaisesAgain();
    void loweringTheThresholdRaises();
    void receivesEveryByteValue();
    void handlerMayCloseThePort();
    void hangUpClosesAndReportsOnce();

    void bridgeExchangesBytes();
    void bridgeClosedByTheFarEnd();
    void bridgeRefused();

private:
    struct StreamedReply
    {
        bool opened = false;
        QString openError;
        QStringList texts;
        QList<int> events;
        int eventAfterwards = -1;
        std::chrono::microseconds longestGap{};
    };
    StreamedReply streamReply(const QByteArray &reply, int threshold);
    void mapPort(const QString &device);
    QString bridgeFor(const QTcpServer &server) const;

    QTemporaryDir m_config;
    std::unique_ptr<QtSettingsStore> m_settings;
};

void tst_QtSerialLine::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    m_settings = std::make_unique<QtSettingsStore>();
    QVERIFY2(m_settings->location().startsWith(m_config.path()),
             qPrintable(m_settings->location()));
}

void tst_QtSerialLine::init()
{
    m_settings->removeSection(QLatin1String(portOverrideSection));
}

void tst_QtSerialLine::mapPort(const QString &device)
{
    QVERIFY(
        m_settings->write(QLatin1String(portOverrideSection), portOverrideKey(mappedPort), device));
}

QString tst_QtSerialLine::bridgeFor(const QTcpServer &server) const
{
    return QStringLiteral("tcp://127.0.0.1:%1").arg(server.serverPort());
}

void tst_QtSerialLine::opensThePortWithTheLineSettings()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    mapPort(peer.slavePath());
    QtSerialLine line(*m_settings);
    line.setPortNumber(mappedPort);
    QCOMPARE(line.portNumber(), mappedPort);
    QVERIFY(!line.isOpen());

    QVERIFY2(line.open(), qPrintable(line.errorString()));
    QVERIFY(line.isOpen());
    QCOMPARE(line.device(), peer.slavePath());
    QCOMPARE(line.errorString(), QString());
    QCOMPARE(line.receiveThreshold(), 1);

    const termios settings = peer.lineSettings();
    QCOMPARE(::cfgetospeed(&settings), speed_t(B9600));
    QCOMPARE(::cfgetispeed(&settings), speed_t(B9600));
    QCOMPARE(settings.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    QCOMPARE(settings.c_iflag & (IXON | IXOFF), tcflag_t(0));

    QVERIFY(!line.open()); // already open
    QVERIFY(line.isOpen());

    line.close();
    QVERIFY(!line.isOpen());
    QCOMPARE(line.readAll(), QString());
    QVERIFY(!line.write(":GR#"));

    QVERIFY2(line.open(), qPrintable(line.errorString()));
    QVERIFY(line.isOpen());
}

void tst_QtSerialLine::failedOpenNamesTheDevice_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("reason");

    const QString missing = m_config.filePath(QStringLiteral("no-such-tty"));
    const QString invalid = QStringLiteral("Invalid port number");

    QTest::newRow("no port chosen") << 0 << "" << invalid << "";
    QTest::newRow("past the Linux devices") << 97 << "" << invalid << "";
    QTest::newRow("negative") << -1 << "" << invalid << "";
    QTest::newRow("missing device") << mappedPort << missing << missing + ": "
                                    << "No such file or directory";
    QTest::newRow("missing USB adapter") << 64 << ""
                                         << "/dev/ttyUSB31: "
                                         << "No such file or directory";
    QTest::newRow("malformed bridge") << mappedPort << "tcp://scope.local"
                                      << "tcp://scope.local: "
                                      << "tcp://HOST:PORT";
}

void tst_QtSerialLine::failedOpenNamesTheDevice()
{
    QFETCH(int, number);
    QFETCH(QString, device);
    QFETCH(QString, start);
    QFETCH(QString, reason);

    if (number == 64 && QFile::exists(QStringLiteral("/dev/ttyUSB31")))
        QSKIP("this machine has a /dev/ttyUSB31");
    if (!device.isEmpty())
        mapPort(device);

    QtSerialLine line(*m_settings);
    line.setPortNumber(number);
    QVERIFY(!line.open());
    QVERIFY(!line.isOpen());
    QVERIFY2(line.errorString().startsWith(start), qPrintable(line.errorString()));
    if (reason.isEmpty())
        QCOMPARE(line.errorString(), start);
    else
        QVERIFY2(line.errorString().contains(reason), qPrintable(line.errorString()));
    QCOMPARE(line.readAll(), QString());
    QVERIFY(!line.write(":GR#"));
}

void tst_QtSerialLine::writesExactBytesAtOnce()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    mapPort(peer.slavePath());
    QtSerialLine line(*m_settings);
    line.setPortNumber(mappedPort);
    QVERIFY2(line.open(), qPrintable(line.errorString()));

    // No event loop runs between these writes and the reads: callers block in
    // pauses between commands, so the bytes must already be on their way.
    QVERIFY(line.write(":RS#"));
    QCOMPARE(peer.receive(4), QByteArray(":RS#"));
    QVERIFY(line.write(":Mn#"));
    QVERIFY(line.write(":Qn#"));
    QCOMPARE(peer.receive(8), QByteArray(":Mn#:Qn#"));

    const QByteArray all = everyByteValue();
    QVERIFY(line.write(QString::fromLatin1(all)));
    QCOMPARE(peer.receive(all.size()), all);
    QVERIFY(line.write(QString()));
    QCOMPARE(peer.receive(1, 50), QByteArray());
}

void tst_QtSerialLine::receiveWaitsForTheQuietLine_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("threshold");

    QTest::newRow("alignment reply, threshold 3") << QByteArray("ANP#") << 3;
    QTest::newRow("8-character reply, threshold 7") << QByteArray("-105\xDF"
                                                                  "27#")
                                                    << 7;
    QTest::newRow("exactly the threshold") << QByteArray("12:34:56#") << 9;
}

void tst_QtSerialLine::receiveWaitsForTheQuietLine()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, threshold);

    // The sending thread stands in for the telescope; on a busy machine it
    // can stall longer than the quiet gap, which a real line would not. Such
    // runs prove nothing and are repeated.
    constexpr auto stalled = 2500us;
    StreamedReply result;
    for (int attempt = 0; attempt < 5; ++attempt) {
        result = streamReply(reply, threshold);
        QVERIFY2(result.opened, qPrintable(result.openError));
        if (result.longestGap < stalled)
            break;
    }
    if (result.longestGap >= stalled)
        QSKIP("the sending thread kept stalling longer than the quiet gap");

    QCOMPARE(result.texts, QStringList{QString::fromLatin1(reply)});
    QCOMPARE(result.events, QList<int>{SerialPort::EventReceive});
    QCOMPARE(result.eventAfterwards, int(SerialPort::EventNone));
}

tst_QtSerialLine::StreamedReply tst_QtSerialLine::streamReply(const QByteArray &reply,
                                                              int threshold)
{
    StreamedReply result;
    PtyPeer peer;
    mapPort(peer.slavePath());
    QtSerialLine line(*m_settings);
    line.setPortNumber(mappedPort);
    result.opened = peer.isValid() && line.open();
    result.openError = line.errorString();
    if (!result.opened)
        return result;
    line.setReceiveThreshold(threshold);
    Reception reception;
    readOnReceive(line, reception);
    QSignalSpy received(&line, &SerialPort::received);

    // Only the bytes after the threshold was reached depend on the quiet gap.
    Streamer streamer(peer.masterFd(), reply, 1ms, threshold);
    received.wait(2000);
    received.wait(100); // longer than the cap: anything more would come now
    streamer.finish();
    result.texts = reception.texts;
    result.events = reception.events;
    result.eventAfterwards = line.commEvent();
    result.longestGap = streamer.longestGap();
    return result;
}

void tst_QtSerialLine::tooLittleInputRaisesNothing_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("threshold");

    QTest::newRow("short reply") << QByteArray("AB#") << 5;
    QTest::newRow("threshold 0") << QByteArray("ANP#") << 0;
}

void tst_QtSerialLine::tooLittleInputRaisesNothing()
{
    QFETCH(QByteArray, input);
    QFETCH(int, threshold);

    PtyPeer peer;
    QVERIFY(peer.isValid());
    mapPort(peer.slavePath());
    QtSerialLine line(*m_settings);
    line.setPortNumber(mappedPort);
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    line.setReceiveThreshold(threshold);
    QSignalSpy received(&line, &SerialPort::received);

    QVERIFY(peer.send(input));
    QVERIFY(!received.wait(150));
    QCOMPARE(line.readAll(), QString::fromLatin1(input));
    QCOMPARE(line.readAll(), QString());
}

void tst_QtSerialLine::continuousStreamRaisesWithinTheCap()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    mapPort(peer.slavePath());
    QtSerialLine line(*m_settings);
    line.setPortNumber(mappedPort);
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    Reception reception;
    readOnReceive(line, reception);
    QSignalSpy received(&line, &SerialPort::received);

    const QByteArray stream(1000, 'x');
    QElapsedTimer clock;
    clock.start();
    const Streamer streamer(peer.masterFd(), stream, 1ms);
    QVERIFY(received.wait(2000));
    const qint64 firstAfter = clock.elapsed();
    const int sentByThen = streamer.sent();

    // The line never falls quiet; only the cap can have raised the event.
    QVERIFY2(firstAfter < 300, qPrintable(QString::number(firstAfter)));
    QVERIFY2(sentByThen < stream.size(), qPrintable(QString::number(sentByThen)));
    QVERIFY(!reception.texts.constFirst().isEmpty());
}

void tst_QtSerialLine::unreadInputRaisesAgain()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    mapPort(peer.slavePath());
    QtSerialLine line(*m_settings);
    line.setPortNumber(mappedPort);
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    line.setReceiveThreshold(3);
    QStringList texts;
    int calls = 0;
    connect(&line, &SerialPort::received, this, [&] {
        if (++calls == 2)
            texts << line.readAll(); // the first call leaves the input alone
    });
    QSignalSpy received(&line, &SerialPort::received);

    QVERIFY(peer.send("ANP#"));
    QTRY_COMPARE_WITH_TIMEOUT(calls, 2, 2000);
    QVERIFY(!received.wait(100));
    QCOMPARE(calls, 2);
    QCOMPARE(texts, QStringList{"ANP#"});
}

void tst_QtSerialLine::loweringTheThresholdRaises()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    mapPort(peer.slavePath());
    QtSerialLine line(*m_settings);
    line.setPortNumber(mappedPort);
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    line.setReceiveThreshold(10);
    Reception reception;
    readOnReceive(line, reception);
    QSignalSpy received(&line, &SerialPort::received);

    QVERIFY(peer.send("P#"));
    QVERIFY(!received.wait(100));
    line.setReceiveThreshold(2);
    QVERIFY(received.wait(1000));
    QCOMPARE(reception.texts, QStringList{"P#"});
}

void tst_QtSerialLine::receivesEveryByteValue()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    mapPort(peer.slavePath());
    QtSerialLine line(*m_settings);
    line.setPortNumber(mappedPort);
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    const QByteArray all = everyByteValue();
    line.setReceiveThreshold(int(all.size()));
    Reception reception;
    readOnReceive(line, reception);
    QSignalSpy received(&line, &SerialPort::received);

    QVERIFY(peer.send(all));
    QVERIFY(received.wait(2000));
    QCOMPARE(reception.texts.size(), 1);
    const QString text = reception.texts.constFirst();
    QCOMPARE(text.size(), 256);
    QCOMPARE(text.at(0), QChar(0));
    QCOMPARE(text.at(0xDF), QChar(0xDF)); // the telescope's degree mark
    QCOMPARE(text, QString::fromLatin1(all));
}

void tst_QtSerialLine::handlerMayCloseThePort()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    mapPort(peer.slavePath());
    QtSerialLine line(*m_settings);
    line.setPortNumber(mappedPort);
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    connect(&line, &SerialPort::received, &line, &QtSerialLine::close);
    QSignalSpy received(&line, &SerialPort::received);

    QVERIFY(peer.send("ABCDEF"));
    QVERIFY(received.wait(1000));
    QVERIFY(!line.isOpen());
    QVERIFY(peer.send("GHI"));
    QVERIFY(!received.wait(100));
    QCOMPARE(received.size(), 1);
    QCOMPARE(line.readAll(), QString());
}

void tst_QtSerialLine::hangUpClosesAndReportsOnce()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    mapPort(peer.slavePath());
    QtSerialLine line(*m_settings);
    line.setPortNumber(mappedPort);
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    int eventDuringLoss = -1;
    connect(&line, &SerialPort::connectionLost, this, [&] { eventDuringLoss = line.commEvent(); });
    QSignalSpy lost(&line, &SerialPort::connectionLost);
    QSignalSpy received(&line, &SerialPort::received);

    peer.hangUp();
    QVERIFY(lost.wait(2000));
    QVERIFY(!line.isOpen());
    const QString reason = lost.at(0).at(0).toString();
    QVERIFY2(reason.startsWith(peer.slavePath() + ": ") &&
                 reason.size() > peer.slavePath().size() + 2,
             qPrintable(reason));
    QCOMPARE(eventDuringLoss, int(SerialPort::EventLost));

    QVERIFY(!lost.wait(150));
    QCOMPARE(lost.size(), 1);
    QCOMPARE(received.size(), 0);
    QCOMPARE(line.readAll(), QString());
    QVERIFY(!line.write(":GR#"));
}

void tst_QtSerialLine::bridgeExchangesBytes()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    mapPort(bridgeFor(server));
    QtSerialLine line(*m_settings);
    line.setPortNumber(mappedPort);
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    QVERIFY(line.isOpen());
    QVERIFY(server.waitForNewConnection(2000));
    std::unique_ptr<QTcpSocket> adapter(server.nextPendingConnection());
    QVERIFY(adapter);

    const QByteArray all = everyByteValue();
    QVERIFY(line.write(QString::fromLatin1(all)));
    QByteArray got;
    while (got.size() < all.size() && adapter->waitForReadyRead(2000))
        got += adapter->readAll();
    QCOMPARE(got, all);

    line.setReceiveThreshold(3);
    Reception reception;
    readOnReceive(line, reception);
    QSignalSpy received(&line, &SerialPort::received);
    adapter->write("ANP#");
    QVERIFY(adapter->waitForBytesWritten(1000));
    QVERIFY(received.wait(2000));
    QVERIFY(!received.wait(100));
    QCOMPARE(reception.texts, QStringList{"ANP#"});

    line.close();
    QVERIFY(!line.isOpen());
    QVERIFY(adapter->state() == QAbstractSocket::UnconnectedState ||
            adapter->waitForDisconnected(2000));
}

void tst_QtSerialLine::bridgeClosedByTheFarEnd()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString address = QStringLiteral("127.0.0.1:%1").arg(server.serverPort());
    mapPort(bridgeFor(server));
    QtSerialLine line(*m_settings);
    line.setPortNumber(mappedPort);
    QVERIFY2(line.open(), qPrintable(line.errorString()));
    QVERIFY(server.waitForNewConnection(2000));
    std::unique_ptr<QTcpSocket> adapter(server.nextPendingConnection());
    QVERIFY(adapter);
    QSignalSpy lost(&line, &SerialPort::connectionLost);

    adapter->close();
    QVERIFY(lost.wait(2000));
    QVERIFY(!line.isOpen());
    const QString reason = lost.at(0).at(0).toString();
    QVERIFY2(reason.startsWith(address + ": "), qPrintable(reason));
    QVERIFY(!lost.wait(150));
    QCOMPARE(lost.size(), 1);
    QVERIFY(!line.write(":GR#"));
}

void tst_QtSerialLine::bridgeRefused()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString address = QStringLiteral("127.0.0.1:%1").arg(server.serverPort());
    mapPort(bridgeFor(server));
    server.close(); // nobody listens there any more

    QtSerialLine line(*m_settings);
    line.setPortNumber(mappedPort);
    QVERIFY(!line.open());
    QVERIFY(!line.isOpen());
    QVERIFY2(line.errorString().startsWith(address + ": "), qPrintable(line.errorString()));
    QVERIFY2(line.errorString().contains(QLatin1String("refused"), Qt::CaseInsensitive),
             qPrintable(line.errorString()));
}

QTEST_GUILESS_MAIN(tst_QtSerialLine)
#include "tst_qtserialline.moc"
