// The lx200sim executable itself, talked to with plain POSIX reads and writes
// on its pseudo-terminal, and over TCP.

#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr double kCharMs = 10.0 / 9600.0 * 1000.0;  // 1.0417 ms

class SimProcess {
public:
    explicit SimProcess(const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
    {
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(LX200SIM_PATH), args);
    }
    ~SimProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(3000))
                process.kill();
            process.waitForFinished(1000);
        }
    }
    bool readLines(int count)
    {
        QElapsedTimer timer;
        timer.start();
        while (lines.size() < count && timer.elapsed() < 10000) {
            if (process.canReadLine())
                lines << QString::fromLocal8Bit(process.readLine()).trimmed();
            else if (!process.waitForReadyRead(200) && process.state() == QProcess::NotRunning)
                return false;
        }
        return lines.size() >= count;
    }
    bool stop(int signalNumber)
    {
        ::kill(static_cast<pid_t>(process.processId()), signalNumber);
        return process.waitForFinished(5000);
    }

    QProcess process;
    QStringList lines;
};

qint64 nowNs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.nsecsElapsed();
}

class PtyClient {
public:
    explicit PtyClient(const QString &path) : fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~PtyClient() { close(); }
    void close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    bool write(const QByteArray &bytes) const
    {
        return ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
    }
    // Reads until count bytes arrived or timeoutMs passed; arrival times of each byte optional.
    QByteArray read(qsizetype count, int timeoutMs, QList<qint64> *arrivals = nullptr)
    {
        QByteArray out;
        const qint64 deadline = nowNs() + qint64(timeoutMs) * 1'000'000;
        while (out.size() < count) {
            const qint64 left = deadline - nowNs();
            if (left <= 0)
                break;
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left / 1'000'000) + 1) <= 0)
                continue;
            char buffer[512];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            const qint64 at = nowNs();
            if (n <= 0) {
                lastReadResult = n;
                lastErrno = errno;
                break;
            }
            out.append(buffer, n);
            if (arrivals) {
                for (ssize_t i = 0; i < n; ++i)
                    arrivals->append(at);
            }
        }
        return out;
    }
    QByteArray ask(const QByteArray &command, qsizetype replyLength, int timeoutMs = 2000)
    {
        if (!write(command))
            return "<write failed>";
        return read(replyLength, timeoutMs);
    }

    int fd = -1;
    ssize_t lastReadResult = 1;
    int lastErrno = 0;
};

QProcessEnvironment withConfigHome(const QString &dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir);
    return env;
}

QVariant mappedPort(const QString &configHome, int com)
{
    QSettings settings(configHome + QStringLiteral("/Orrinet/Orrinet.conf"), QSettings::IniFormat);
    return settings.value(QStringLiteral("Ports/com%1").arg(com));
}

} // namespace

class TestProcess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void printsDeviceAndAnswers();
    void pacingAtNineSixHundredBaud();
    void noPacingSendsAtOnce();
    void clientCanReconnectAndStartsClean();
    void exclusiveUseEndsWithTheClient();
    void comMappingWrittenAndRemoved();
    void comMappingToTcp();
    void signalsEndCleanly_data();
    void signalsEndCleanly();
    void tcpServesOneClientAtATime();
    void hangupAfterClosesTheLine();
    void dropOverTheWire();
    void gpsDelayOption();
    void floodOverTheWire();
    void helpAndBadOptions();
};

void TestProcess::printsDeviceAndAnswers()
{
    SimProcess sim({QStringLiteral("--no-pacing")});
    QVERIFY(sim.readLines(1));
    QVERIFY2(sim.lines.first().startsWith(QLatin1String("/dev/pts/")), qPrintable(sim.lines.first()));
    PtyClient client(sim.lines.first());
    QVERIFY(client.fd >= 0);
    QCOMPARE(client.ask("\x06", 1), QByteArray("A"));
    QCOMPARE(client.ask(":GW#", 4), QByteArray("AT0#"));
    const QByteArray ra = client.ask(":GR#", 9);
    QCOMPARE(ra.size(), 9);
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d#$")).match(QString::fromLatin1(ra)).hasMatch());
    const QByteArray dec = client.ask(":GD#", 10);
    QCOMPARE(dec.size(), 10);
    QCOMPARE(dec.at(3), '\xDF');
    QCOMPARE(client.ask(":ED#", 34).size(), 34);
    QCOMPARE(client.read(1, 200), QByteArray());  // nothing more than asked
}

// Arrival spread measured on this side of a real pty: one 34-character
// display frame, then ten of them back to back.
void TestProcess::pacingAtNineSixHundredBaud()
{
    SimProcess sim({});
    QVERIFY(sim.readLines(1));
    PtyClient client(sim.lines.first());
    QCOMPARE(client.ask(":GW#", 4), QByteArray("AT0#"));  // client seen, line warm

    QList<qint64> arrivals;
    const qint64 sent = nowNs();
    QVERIFY(client.write(":ED#"));
    QCOMPARE(client.read(34, 2000, &arrivals).size(), 34);
    const double firstMs = (arrivals.first() - sent) / 1e6;
    const double spreadMs = (arrivals.last() - arrivals.first()) / 1e6;
    qInfo("one frame: first byte after %.2f ms, 34 bytes spread over %.2f ms (33 character times = %.2f ms)",
          firstMs, spreadMs, 33 * kCharMs);
    QVERIFY(firstMs >= 0.9 * kCharMs);
    QVERIFY(spreadMs >= 0.8 * 33 * kCharMs && spreadMs <= 1.5 * 33 * kCharMs);

    arrivals.clear();
    QVERIFY(client.write(QByteArray(":ED#").repeated(10)));
    QCOMPARE(client.read(340, 3000, &arrivals).size(), 340);
    const double longSpreadMs = (arrivals.last() - arrivals.first()) / 1e6;
    const double perCharMs = longSpreadMs / 339;
    qInfo("ten frames: 340 bytes spread over %.2f ms, %.4f ms per character (nominal %.4f)", longSpreadMs,
          perCharMs, kCharMs);
    QVERIFY2(qAbs(perCharMs - kCharMs) <= 0.1 * kCharMs, qPrintable(QString::number(perCharMs)));
}

void TestProcess::noPacingSendsAtOnce()
{
    SimProcess sim({QStringLiteral("--no-pacing")});
    QVERIFY(sim.readLines(1));
    PtyClient client(sim.lines.first());
    QCOMPARE(client.ask(":GW#", 4), QByteArray("AT0#"));
    QList<qint64> arrivals;
    QVERIFY(client.write(QByteArray(":ED#").repeated(10)));
    QCOMPARE(client.read(340, 3000, &arrivals).size(), 340);
    const double spreadMs = (arrivals.last() - arrivals.first()) / 1e6;
    QVERIFY2(spreadMs < 0.25 * 339 * kCharMs, qPrintable(QString::number(spreadMs)));
}

void TestProcess::clientCanReconnectAndStartsClean()
{
    SimProcess sim({});
    QVERIFY(sim.readLines(1));
    const QString path = sim.lines.first();
    {
        PtyClient first(path);
        QCOMPARE(first.ask(":GW#", 4), QByteArray("AT0#"));
        QVERIFY(first.write(":ED#"));  // leaves before reading the answer
        QTest::qWait(5);
    }
    QTest::qWait(100);
    PtyClient second(path);
    QVERIFY(second.fd >= 0);
    QCOMPARE(second.read(1, 300), QByteArray());  // nothing stale
    QCOMPARE(second.ask(":GVP#", 7), QByteArray("LX2001#"));
    second.close();
    PtyClient third(path);
    QCOMPARE(third.ask(":GVN#", 5), QByteArray("4.2l#"));
}

// Serial libraries claim the port with TIOCEXCL; a client that dies without
// releasing it must not lock the next one out.
void TestProcess::exclusiveUseEndsWithTheClient()
{
    SimProcess sim({QStringLiteral("--no-pacing")});
    QVERIFY(sim.readLines(1));
    {
        PtyClient first(sim.lines.first());
        QCOMPARE(first.ask(":GW#", 4), QByteArray("AT0#"));
        QCOMPARE(::ioctl(first.fd, TIOCEXCL), 0);
        int exclusive = 0;
        QCOMPARE(::ioctl(first.fd, TIOCGEXCL, &exclusive), 0);
        QCOMPARE(exclusive, 1);
    }
    QTest::qWait(100);
    PtyClient second(sim.lines.first());
    QVERIFY(second.fd >= 0);
    int exclusive = -1;
    QCOMPARE(::ioctl(second.fd, TIOCGEXCL, &exclusive), 0);
    QCOMPARE(exclusive, 0);
    QCOMPARE(second.ask(":GW#", 4), QByteArray("AT0#"));
}

void TestProcess::comMappingWrittenAndRemoved()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    SimProcess sim({QStringLiteral("--com"), QStringLiteral("9")}, withConfigHome(home.path()));
    QVERIFY(sim.readLines(1));
    QCOMPARE(mappedPort(home.path(), 9).toString(), sim.lines.first());
    QVERIFY(sim.stop(SIGTERM));
    QCOMPARE(sim.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process.exitCode(), 0);
    QVERIFY(!mappedPort(home.path(), 9).isValid());
}

void TestProcess::comMappingToTcp()
{
    QTemporaryDir home;
    SimProcess sim({"--com", "5", "--tcp", "0", "--no-pty"}, withConfigHome(home.path()));
    QVERIFY(sim.readLines(1));
    QVERIFY(sim.lines.first().startsWith(QLatin1String("tcp://127.0.0.1:")));
    QCOMPARE(mappedPort(home.path(), 5).toString(), sim.lines.first());
    QVERIFY(sim.stop(SIGINT));
    QVERIFY(!mappedPort(home.path(), 5).isValid());
}

void TestProcess::signalsEndCleanly_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestProcess::signalsEndCleanly()
{
    QFETCH(int, signalNumber);
    SimProcess sim({});
    QVERIFY(sim.readLines(1));
    PtyClient client(sim.lines.first());
    QCOMPARE(client.ask(":GW#", 4), QByteArray("AT0#"));
    QVERIFY(sim.stop(signalNumber));
    QCOMPARE(sim.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process.exitCode(), 0);
}

void TestProcess::tcpServesOneClientAtATime()
{
    SimProcess sim({"--tcp", "0", "--no-pacing"});
    QVERIFY(sim.readLines(2));
    QVERIFY(sim.lines[0].startsWith(QLatin1String("/dev/pts/")));
    const QUrl url(sim.lines[1]);
    QCOMPARE(url.scheme(), QStringLiteral("tcp"));
    QCOMPARE(url.host(), QStringLiteral("127.0.0.1"));

    QTcpSocket first;
    first.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(url.port()));
    QVERIFY(first.waitForConnected(3000));
    first.write(":GVP#");
    QTRY_COMPARE_WITH_TIMEOUT(first.bytesAvailable(), qint64(7), 3000);
    QCOMPARE(first.readAll(), QByteArray("LX2001#"));

    QTcpSocket second;
    second.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(url.port()));
    QVERIFY(second.waitForConnected(3000));
    QVERIFY(second.state() == QAbstractSocket::UnconnectedState || second.waitForDisconnected(3000));

    first.write("\x06");
    QTRY_COMPARE_WITH_TIMEOUT(first.bytesAvailable(), qint64(1), 3000);
    QCOMPARE(first.readAll(), QByteArray("A"));
    first.disconnectFromHost();
    QVERIFY(first.state() == QAbstractSocket::UnconnectedState || first.waitForDisconnected(3000));
    QTest::qWait(300);  // the bridge notices the client has gone

    QTcpSocket third;
    third.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(url.port()));
    QVERIFY(third.waitForConnected(3000));
    QTest::qWait(100);
    third.write(":GW#");
    QTRY_COMPARE_WITH_TIMEOUT(third.bytesAvailable(), qint64(4), 3000);
    QCOMPARE(third.readAll(), QByteArray("AT0#"));
}

void TestProcess::hangupAfterClosesTheLine()
{
    SimProcess sim({"--hangup-after", "2"});
    QVERIFY(sim.readLines(1));
    PtyClient client(sim.lines.first());
    QCOMPARE(client.ask(":GW#", 4), QByteArray("AT0#"));
    QVERIFY(client.write(":GVP#"));
    QCOMPARE(client.read(100, 3000), QByteArray("LX2001#"));
    // The master is closed: the read ends (EOF or EIO), and writing fails.
    QVERIFY(client.lastReadResult == 0 || (client.lastReadResult < 0 && client.lastErrno == EIO));
    QVERIFY(sim.process.waitForFinished(5000));
    QCOMPARE(sim.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process.exitCode(), 0);
    QVERIFY(sim.process.readAllStandardError().contains("hangup"));
    QVERIFY(!client.write(":GW#"));
}

void TestProcess::dropOverTheWire()
{
    SimProcess sim({"--drop", ":GW#", "--truncate", ":GVP#:3"});
    QVERIFY(sim.readLines(1));
    PtyClient client(sim.lines.first());
    QCOMPARE(client.ask(":GW#", 1, 500), QByteArray());
    QCOMPARE(client.ask(":GVP#", 7, 500), QByteArray("LX2"));
    QCOMPARE(client.ask(":GVN#", 5), QByteArray("4.2l#"));
}

void TestProcess::gpsDelayOption()
{
    SimProcess sim({"--gps-delay", "0.4", "--no-pacing"});
    QVERIFY(sim.readLines(1));
    PtyClient client(sim.lines.first());
    QCOMPARE(client.ask(":GW#", 4), QByteArray("AT0#"));
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(client.ask(":gT#", 1, 3000), QByteArray("1"));
    QVERIFY2(timer.elapsed() >= 390 && timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
}

void TestProcess::floodOverTheWire()
{
    SimProcess sim({"--flood", "--seed", "3"});
    QVERIFY(sim.readLines(1));
    PtyClient client(sim.lines.first());
    QVERIFY(client.write(":GW#"));
    const QByteArray noise = client.read(100'000, 500);
    // About 480 characters in half a second at 9600 baud, from the moment the client appeared.
    QVERIFY2(noise.size() > 250 && noise.size() < 600, qPrintable(QString::number(noise.size())));
    QVERIFY(noise.contains("AT0#"));
}

void TestProcess::helpAndBadOptions()
{
    QProcess help;
    help.start(QStringLiteral(LX200SIM_PATH), {QStringLiteral("--help")});
    QVERIFY(help.waitForFinished(5000));
    QCOMPARE(help.exitCode(), 0);
    const QByteArray text = help.readAllStandardOutput();
    for (const char *name : {"--com", "--tcp", "--no-pty", "--no-pacing", "--latency", "--drop", "--garbage",
                             "--flood", "--truncate", "--hangup-after", "--nak-when-busy", "--seed"})
        QVERIFY2(text.contains(name), name);

    QProcess bad;
    bad.start(QStringLiteral(LX200SIM_PATH), {QStringLiteral("--garbage"), QStringLiteral("2")});
    QVERIFY(bad.waitForFinished(5000));
    QCOMPARE(bad.exitCode(), 2);
    QVERIFY(bad.readAllStandardOutput().isEmpty());
}

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
