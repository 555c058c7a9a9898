#include "platform/portdevices.h"
#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <memory>
#include <numeric>
#include <poll.h>
#include <pthread.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>

using namespace orrinet;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

constexpr int mappedPort = 9;

// The telescope's end of a pseudo-terminal; the line under test opens the other end.
struct PtyPeer
{
    PtyPeer()
    {
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios raw{};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        path = QString::fromLocal8Bit(name);
    }
    ~PtyPeer()
    {
        hangUp();
        ::close(slave);
    }
    // What the line has sent, waiting for `count` bytes without running the event loop.
    QByteArray receive(qsizetype count) const
    {
        QByteArray got;
        QElapsedTimer timer;
        timer.start();
        while (got.size() < count && !timer.hasExpired(2000)) {
            pollfd ready{master, POLLIN, 0};
            char chunk[512];
            if (::poll(&ready, 1, 10) > 0 && (ready.revents & POLLIN))
                got.append(chunk, std::max<ssize_t>(0, ::read(master, chunk, sizeof chunk)));
        }
        return got;
    }
    // The far end goes away, as when the adapter is unplugged.
    void hangUp()
    {
        if (master >= 0)
            ::close(std::exchange(master, -1));
    }

    int master = -1;
    int slave = -1;
    QString path;
};

// Writes bytes one at a time from another thread, `gap` apart, as a telescope
// trickling a reply would; notes the longest gap from byte `watchFrom` on.
class Streamer
{
public:
    Streamer(int fd, const QByteArray &bytes, std::chrono::microseconds gap,
             qsizetype watchFrom = 1)
        : m_thread([this, fd, bytes, gap, watchFrom](const std::stop_token &stop) {
              // Keeps the pace on a busy machine where allowed; best effort.
              const sched_param realtime{1};
              ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &realtime);
              auto last = std::chrono::steady_clock::now();
              for (qsizetype i = 0; i < bytes.size(); ++i) {
                  const auto now = std::chrono::steady_clock::now();
                  if (i >= watchFrom)
                      longestGap = std::max(
                          longestGap.load(),
                          std::chrono::duration_cast<std::chrono::microseconds>(now - last));
                  last = now;
                  if (stop.stop_requested() || ::write(fd, bytes.constData() + i, 1) != 1)
                      return;
                  ++sent;
                  std::this_thread::sleep_for(gap);
              }
          })
    {
    }
    void finish() { m_thread.join(); }

    std::atomic<int> sent = 0;
    std::atomic<std::chrono::microseconds> longestGap{};

private:
    std::jthread m_thread;
};

// What the receive handler saw.
struct Reception
{
    explicit Reception(QtSerialLine &line)
    {
        QObject::connect(&line, &SerialPort::received, &line, [this, &line] {
            events << line.commEvent();
            texts << line.readAll();
        });
    }
    QStringList texts;
    QList<int> events;
};

QByteArray everyByteValue()
{
    QByteArray bytes(256, Qt::Uninitialized);
    std::iota(bytes.begin(), bytes.end(), char(0));
    return bytes;
}

} // namespace

class TestQtSerialLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void openExchangeClose();
    void failedOpenNamesTheDevice_data();
    void failedOpenNamesTheDevice();
    void receiveWaitsForTheQuietLine_data();
    void receiveWaitsForTheQuietLine();
    void continuousStreamRaisesWithinTheCap();
    void hangUpClosesAndReportsOnce();
    void bridgeExchangeAndFarEndClose();

private:
    // A line whose port number stands for `device`; not yet open.
    std::unique_ptr<QtSerialLine> lineOn(const QString &device);

    QTemporaryDir m_config;
    std::unique_ptr<QtSettingsStore> m_settings;
};

void TestQtSerialLine::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    m_settings = std::make_unique<QtSettingsStore>();
    QVERIFY(m_settings->location().startsWith(m_config.path()));
}

std::unique_ptr<QtSerialLine> TestQtSerialLine::lineOn(const QString &device)
{
    m_settings->write(QLatin1String(portOverrideSection), portOverrideKey(mappedPort), device);
    auto line = std::make_unique<QtSerialLine>(*m_settings);
    line->setPortNumber(mappedPort);
    return line;
}

void TestQtSerialLine::openExchangeClose()
{
    PtyPeer peer;
    const auto line = lineOn(peer.path);
    QVERIFY2(line->open(), qPrintable(line->errorString()));
    QCOMPARE(line->device(), peer.path);
    termios settings{};
    ::tcgetattr(peer.slave, &settings);
    QCOMPARE(::cfgetospeed(&settings), speed_t(B9600));
    QCOMPARE(settings.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));
    QCOMPARE(settings.c_iflag & (IXON | IXOFF), tcflag_t(0));
    QVERIFY(!line->open()); // already open

    // No event loop runs between these writes and the reads: callers block in
    // pauses between commands, so the bytes must already be on their way.
    const QByteArray all = everyByteValue();
    QVERIFY(line->write(":RS#"));
    QVERIFY(line->write(QString::fromLatin1(all)));
    QCOMPARE(peer.receive(4 + all.size()), ":RS#" + all);

    line->close();
    QVERIFY(!line->isOpen());
    QCOMPARE(line->readAll(), QString());
    QVERIFY(!line->write(":GR#"));
    QVERIFY2(line->open(), qPrintable(line->errorString()));
}

void TestQtSerialLine::failedOpenNamesTheDevice_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("error"); // a pattern

    const QString missing = m_config.filePath(QStringLiteral("no-such-tty"));
    QTcpServer server; // a port where nobody listens any more
    const bool listened = server.listen(QHostAddress::LocalHost);
    const QString refused = QStringLiteral("127.0.0.1:%1").arg(listened ? server.serverPort() : 1);
    server.close();
    QTest::newRow("no port chosen") << 0 << QString() << u"^Invalid port number$"_s;
    QTest::newRow("malformed bridge")
        << mappedPort << u"tcp://scope.local"_s << u"^tcp://scope\\.local: "_s;
    QTest::newRow("missing device")
        << mappedPort << missing
        << u"^%1: No such file or directory"_s.arg(QRegularExpression::escape(missing));
    QTest::newRow("bridge refused")
        << mappedPort << u"tcp://"_s + refused
        << u"^%1: .*(refused|Refused)"_s.arg(QRegularExpression::escape(refused));
}

void TestQtSerialLine::failedOpenNamesTheDevice()
{
    QFETCH(int, number);
    QFETCH(QString, device);
    QFETCH(QString, error);

    const auto line = lineOn(device);
    line->setPortNumber(number);
    QVERIFY(!line->open());
    QVERIFY(!line->isOpen());
    QVERIFY2(QRegularExpression(error).match(line->errorString()).hasMatch(),
             qPrintable(line->errorString()));
    QVERIFY(!line->write(":GR#"));
}

void TestQtSerialLine::receiveWaitsForTheQuietLine_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<bool>("raised");

    QTest::newRow("alignment reply, threshold 3") << QByteArray("ANP#") << 3 << true;
    QTest::newRow("8-character reply, threshold 7") << "-105\xDF"_ba + "27#" << 7 << true;
    QTest::newRow("shorter than the threshold") << QByteArray("AB#") << 5 << false;
}

// The reply trickles in a byte per millisecond; once the threshold is
// reached, the event waits for the line to fall quiet and carries it whole.
void TestQtSerialLine::receiveWaitsForTheQuietLine()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, threshold);
    QFETCH(bool, raised);

    // On a busy machine the sending thread can stall longer than the quiet
    // gap, which a real line would not; such runs prove nothing and are repeated.
    for (int attempt = 0; attempt < 5; ++attempt) {
        PtyPeer peer;
        const auto line = lineOn(peer.path);
        QVERIFY2(line->open(), qPrintable(line->errorString()));
        line->setReceiveThreshold(threshold);
        Reception reception(*line);
        QSignalSpy received(line.get(), &SerialPort::received);
        Streamer streamer(peer.master, reply, 1ms, threshold);
        received.wait(raised ? 2000 : 150);
        received.wait(100); // longer than the cap: anything more would come now
        streamer.finish();
        if (streamer.longestGap.load() >= 2500us)
            continue;
        const QString text = QString::fromLatin1(reply);
        QCOMPARE(reception.texts, raised ? QStringList{text} : QStringList{});
        QCOMPARE(reception.events, QList<int>(reception.texts.size(), SerialPort::EventReceive));
        QCOMPARE(line->commEvent(), int(SerialPort::EventNone));
        QCOMPARE(line->readAll(), raised ? QString() : text);
        return;
    }
    QSKIP("the sending thread kept stalling longer than the quiet gap");
}

// A line that never falls quiet still raises the event, within the cap.
void TestQtSerialLine::continuousStreamRaisesWithinTheCap()
{
    PtyPeer peer;
    const auto line = lineOn(peer.path);
    QVERIFY2(line->open(), qPrintable(line->errorString()));
    QSignalSpy received(line.get(), &SerialPort::received);

    QElapsedTimer clock;
    clock.start();
    Streamer streamer(peer.master, QByteArray(1000, 'x'), 1ms);
    QVERIFY(received.wait(2000));
    QCOMPARE_LT(clock.elapsed(), 300);
    QCOMPARE_LT(streamer.sent.load(), 1000);
    QVERIFY(!line->readAll().isEmpty());
}

void TestQtSerialLine::hangUpClosesAndReportsOnce()
{
    PtyPeer peer;
    const auto line = lineOn(peer.path);
    QVERIFY2(line->open(), qPrintable(line->errorString()));
    int eventDuringLoss = -1;
    connect(line.get(), &SerialPort::connectionLost, this,
            [&] { eventDuringLoss = line->commEvent(); });
    QSignalSpy lost(line.get(), &SerialPort::connectionLost);
    QSignalSpy received(line.get(), &SerialPort::received);

    peer.hangUp();
    QVERIFY(lost.wait(2000));
    QVERIFY(!line->isOpen());
    QCOMPARE(lost.at(0).at(0).toString().section(u": "_s, 0, 0), peer.path);
    QCOMPARE(eventDuringLoss, int(SerialPort::EventLost));
    QVERIFY(!lost.wait(150));
    QCOMPARE(lost.size(), 1);
    QCOMPARE(received.size(), 0);
    QVERIFY(!line->write(":GR#"));
}

void TestQtSerialLine::bridgeExchangeAndFarEndClose()
{
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString address = QStringLiteral("127.0.0.1:%1").arg(server.serverPort());
    const auto line = lineOn(QStringLiteral("tcp://") + address);
    QVERIFY2(line->open(), qPrintable(line->errorString()));
    QVERIFY(server.waitForNewConnection(2000));
    const std::unique_ptr<QTcpSocket> adapter(server.nextPendingConnection());

    const QByteArray all = everyByteValue();
    QVERIFY(line->write(QString::fromLatin1(all)));
    QByteArray got;
    while (got.size() < all.size() && adapter->waitForReadyRead(2000))
        got += adapter->readAll();
    QCOMPARE(got, all);

    line->setReceiveThreshold(3);
    Reception reception(*line);
    QSignalSpy received(line.get(), &SerialPort::received);
    adapter->write("ANP#");
    QVERIFY(received.wait(2000));
    QVERIFY(!received.wait(100));
    QCOMPARE(reception.texts, QStringList{"ANP#"});

    QSignalSpy lost(line.get(), &SerialPort::connectionLost);
    adapter->close();
    QVERIFY(lost.wait(2000));
    QVERIFY(!line->isOpen());
    QCOMPARE(lost.at(0).at(0).toString().section(u": "_s, 0, 0), address);
    QVERIFY(!lost.wait(150));
    QCOMPARE(lost.size(), 1);
}

QTEST_GUILESS_MAIN(TestQtSerialLine)
#include "tst_qtserialline.moc"
