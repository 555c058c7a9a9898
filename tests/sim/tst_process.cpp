// The lx200sim executable itself, talked to with plain POSIX reads and writes
// on its pseudo-terminal, and over TCP.

#include "support/simprocess.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

using orrinet::testing::LoggedCommand;
using orrinet::testing::SimProcess;

namespace {

constexpr double kCharMs = 10.0 / 9600.0 * 1000.0; // 1.0417 ms

struct PtyClient
{
    explicit PtyClient(const QString &path)
        : fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
    }
    ~PtyClient() { ::close(fd); }
    bool write(const QByteArray &bytes) const
    {
        return ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
    }
    // Reads until count bytes arrived or timeoutMs passed, noting when each byte came.
    QByteArray read(qsizetype count, int timeoutMs, QList<qint64> *arrivalsNs = nullptr) const
    {
        QByteArray out;
        QElapsedTimer clock;
        clock.start();
        char buffer[512];
        while (out.size() < count && !clock.hasExpired(timeoutMs)) {
            pollfd p{fd, POLLIN, 0};
            const ssize_t n = ::poll(&p, 1, 5) > 0 ? ::read(fd, buffer, sizeof buffer) : 0;
            out.append(buffer, std::max<ssize_t>(n, 0));
            for (ssize_t i = 0; arrivalsNs && i < n; ++i)
                arrivalsNs->append(clock.nsecsElapsed());
        }
        return out;
    }
    QByteArray ask(const QByteArray &command, qsizetype replyLength) const
    {
        return write(command) ? read(replyLength, 2000) : QByteArray();
    }

    int fd = -1;
};

} // namespace

class TestProcess : public QObject
{
    Q_OBJECT
private Q_SLOTS:

    // Arrival times measured on this side of a real pty: ten display frames back to back.
    void pacingAtNineSixHundredBaud()
    {
        SimProcess sim({}, {});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        PtyClient client(sim.ptyPath());
        QCOMPARE(client.ask(":GW#", 4), QByteArray("AT0#")); // client seen, line warm

        QList<qint64> arrivals;
        QVERIFY(client.write(QByteArray(":ED#").repeated(10)));
        QCOMPARE(client.read(340, 3000, &arrivals).size(), 340);
        const double perCharMs = (arrivals.last() - arrivals.first()) / 1e6 / 339;
        qInfo("%.4f ms per character (nominal %.4f)", perCharMs, kCharMs);
        QVERIFY2(qAbs(perCharMs - kCharMs) <= 0.1 * kCharMs,
                 qPrintable(QString::number(perCharMs)));
    }

    // A client that leaves mid-reply, holding the port exclusively as serial
    // libraries do, must not leave stale bytes or a lock for the next one.
    void nextClientStartsClean()
    {
        SimProcess sim({}, {});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        {
            PtyClient first(sim.ptyPath());
            QCOMPARE(first.ask(":GW#", 4), QByteArray("AT0#"));
            QCOMPARE(::ioctl(first.fd, TIOCEXCL), 0);
            QVERIFY(first.write(":ED#"));
            QTest::qWait(5);
        }
        QTest::qWait(100);
        PtyClient second(sim.ptyPath());
        QVERIFY(second.fd >= 0);
        int exclusive = -1;
        QCOMPARE(::ioctl(second.fd, TIOCGEXCL, &exclusive), 0);
        QCOMPARE(exclusive, 0);
        QCOMPARE(second.read(1, 300), QByteArray());
        QCOMPARE(second.ask(":GVP#", 7), QByteArray("LX2001#"));
    }

    // SIGTERM ends the simulator cleanly and takes its port mapping away again.
    void comMappingAndSigterm()
    {
        QTemporaryDir home;
        const auto mapped = [&home] {
            return QSettings(home.filePath(QStringLiteral("Orrinet/Orrinet.conf")),
                             QSettings::IniFormat)
                .value(QStringLiteral("Ports/com9"));
        };
        SimProcess sim(home.path(), {QStringLiteral("--com"), QStringLiteral("9")});
        QVERIFY2(sim.ptyPath().startsWith(QLatin1String("/dev/pts/")),
                 qPrintable(sim.errorString()));
        QCOMPARE(mapped().toString(), sim.ptyPath());
        QVERIFY(sim.stop());
        QVERIFY(!mapped().isValid());
    }

    void tcpServesOneClient()
    {
        SimProcess sim({}, {"--tcp", "0", "--no-pacing"});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        const QUrl url(sim.readLine());
        QCOMPARE(url.scheme(), QStringLiteral("tcp"));
        QCOMPARE(url.host(), QStringLiteral("127.0.0.1"));
        const auto port = static_cast<quint16>(url.port());

        QTcpSocket first;
        first.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(first.waitForConnected(3000));
        first.write(":GVP#\x06");
        QTRY_COMPARE_WITH_TIMEOUT(first.bytesAvailable(), qint64(8), 3000);
        QCOMPARE(first.readAll(), QByteArray("LX2001#A"));

        // A second client while the first is connected is turned away.
        QTcpSocket second;
        second.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(second.waitForConnected(3000));
        QVERIFY(second.state() == QAbstractSocket::UnconnectedState ||
                second.waitForDisconnected(3000));
    }

    void commandLogAndState_data()
    {
        QTest::addColumn<bool>("overTcp"); // the moves; the rate pair always goes over the pty
        QTest::addColumn<QStringList>("moves");
        QTest::addColumn<QStringList>("stops");
        // State lines; the first two keys read 0 after the stops.
        QTest::addColumn<QStringList>("whileMoving");
        QTest::addColumn<QString>("drifting"); // changes while no command comes
        const auto row = [](const char *name, bool overTcp, const QString &moves,
                            const QString &stops, const QString &whileMoving,
                            const QString &drifting) {
            QTest::newRow(name) << overTcp << moves.split(u' ') << stops.split(u' ')
                                << whileMoving.split(u' ') << drifting;
        };
        row("east, focus in, pty", false, ":Me# :F+#", ":Qe# :FQ#",
            "ra_direction=1 focuser_direction=1 ra_rate=1.5", "ra_deg");
        row("south, focus out, tcp", true, ":Ms# :F-#", ":Qs# :FQ#",
            "dec_direction=-1 focuser_direction=-1 dec_rate=1.5", "dec_deg");
    }

    void commandLogAndState()
    {
        QFETCH(bool, overTcp);
        QFETCH(QStringList, moves);
        QFETCH(QStringList, stops);
        QFETCH(QStringList, whileMoving);
        QFETCH(QString, drifting);
        SimProcess sim({}, {"--tcp", "0"}, SimProcess::Observe::LogAndState);
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        PtyClient pty(sim.ptyPath());
        QTcpSocket tcp;
        tcp.connectToHost(QHostAddress::LocalHost,
                          static_cast<quint16>(QUrl(sim.readLine()).port()));
        QVERIFY(tcp.waitForConnected(3000));
        const auto send = [&](const QStringList &commands) {
            const QByteArray bytes = commands.join(QString()).toLatin1();
            return overTcp ? tcp.write(bytes) == bytes.size() && tcp.waitForBytesWritten(3000)
                           : pty.write(bytes);
        };
        const auto shows = [&sim](const QStringList &lines) {
            const QMap<QString, QString> state = sim.state();
            return std::all_of(lines.begin(), lines.end(), [&state](const QString &line) {
                return state.value(line.section(u'=', 0, 0)) == line.section(u'=', 1);
            });
        };

        QElapsedTimer gap;
        QVERIFY(pty.write(":RA01.5#"));
        gap.start();
        QTest::qWait(200);
        QVERIFY(pty.write(":RE01.5#"));
        const double gapMs = gap.nsecsElapsed() / 1e6;
        QVERIFY(send(moves));
        QTRY_VERIFY_WITH_TIMEOUT(shows(whileMoving), 2000);
        const QString before = sim.state().value(drifting);
        QTRY_VERIFY_WITH_TIMEOUT(sim.state().value(drifting) != before, 500); // rewritten unasked
        QVERIFY(send(stops));
        QStringList stopped = whileMoving.first(2);
        stopped.replaceInStrings(QRegularExpression(QStringLiteral("=.*")), QStringLiteral("=0"));
        QTRY_VERIFY_WITH_TIMEOUT(shows(stopped), 2000);

        const QList<LoggedCommand> log = sim.commandLog();
        QStringList commands;
        std::ranges::transform(log, std::back_inserter(commands), &LoggedCommand::command);
        QCOMPARE(commands, QStringList({":RA01.5#", ":RE01.5#"}) + moves + stops);
        QVERIFY2(qAbs(log[1].ms - log[0].ms - gapMs) <= 50,
                 qPrintable(QString::number(log[1].ms - log[0].ms)));
    }
};

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
