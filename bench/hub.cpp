// orrinet-hub against lx200sim (default 9600-baud pacing), with the clients
// as plain non-blocking sockets in this process:
//
//     bench_hub [--seconds S] [--reps N] [--samples N]
//
// The simulator serves its pseudo-terminal (the hub's line) and a tcp line
// (this program's direct line to the same telescope). Its --command-log
// stamps every command when its '#' arrives, in milliseconds since the
// simulator started; the offset to CLOCK_MONOTONIC is found first with
// unknown commands on the direct line, so that the log tells when a command
// reached the telescope. Prints, as "key value" lines:
//   idle_*             the hub with no client for S s (counters from /proc/PID)
//   rss_*_kb           the hub's VmHWM and VmRSS, idle and with 8 clients polling
//   line_pos_per_s_N   :GR#/:GD# on the line per second, N = 1, 4, 16 clients at 4 Hz
//   cached_ms, fetched_ms   a :GR# with 16 clients polling, answered from the cache
//                      (no :GR# on the line meanwhile) or after a line exchange
//   stop_ms            a client's :Q# to the line while another's :gT# holds it
//   goto_direct_ms, goto_hub_ms   :Sr, :Sd, :MS# to the :MS# reply, alternating

#include "common.h"
#include "support/hubprocess.h"
#include "support/simprocess.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace orrinet::bench;
using orrinet::testing::HubProcess;
using orrinet::testing::LoggedCommand;
using orrinet::testing::SimProcess;

namespace {

constexpr qint64 kMs = 1'000'000;
constexpr int kPollPeriodMs = 250; // each client's 4 Hz
constexpr int kReplyTimeoutMs = 5000;

struct Options
{
    int seconds = 10;
    int reps = 3;      // of the 1/4/16-client polling windows
    int samples = 200; // stops and gotos
};

// A client: a connected non-blocking TCP socket and what it has read so far.
class Client
{
public:
    explicit Client(quint16 port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        const int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ::fcntl(m_fd, F_SETFL, O_NONBLOCK);
    }
    ~Client()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Client(const Client &) = delete;
    Client &operator=(const Client &) = delete;

    bool ok() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    bool send(const QByteArray &bytes)
    {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    // Reads what is there; false when the hub closed the connection.
    bool readAvailable()
    {
        char buffer[4096];
        for (;;) {
            const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
            if (count > 0)
                m_in.append(buffer, count);
            else
                return count < 0;
        }
    }
    QByteArray &in() { return m_in; }
    // Blocks until `length` bytes, or a '#' when 0, have come; empty on time-out.
    QByteArray reply(int length = 0)
    {
        const qint64 deadline = monotonicNs() + kReplyTimeoutMs * kMs;
        for (;;) {
            const qsizetype end =
                length ? (m_in.size() >= length ? length : -1) : m_in.indexOf('#') + 1;
            if (end > 0) {
                const QByteArray whole = m_in.left(end);
                m_in.remove(0, end);
                return whole;
            }
            pollfd p{m_fd, POLLIN, 0};
            const qint64 left = (deadline - monotonicNs()) / kMs;
            if (left <= 0 || ::poll(&p, 1, int(left)) <= 0 || !readAvailable())
                return {};
        }
    }
    QByteArray exchange(const QByteArray &command, int length = 0)
    {
        return send(command) ? reply(length) : QByteArray();
    }

private:
    int m_fd = -1;
    QByteArray m_in;
};

void sleepMs(int ms)
{
    QThread::usleep(static_cast<unsigned long>(ms) * 1000);
}

// The simulator's log stamps on CLOCK_MONOTONIC.
class SimClock
{
public:
    explicit SimClock(const SimProcess &sim) : m_sim(sim) {}

    // Sends unknown commands (no reply) on the direct line: each is stamped
    // no earlier than it was written, so the latest "written minus stamp" is
    // the simulator's start to within a pass through the loopback.
    bool calibrate(Client &direct)
    {
        for (int i = 0; i < 20; ++i) {
            const QByteArray marker = ":Kb" + QByteArray::number(i) + '#';
            const qint64 written = monotonicNs();
            direct.send(marker);
            const qint64 deadline = written + 2000 * kMs;
            bool found = false;
            while (!found && monotonicNs() < deadline) {
                sleepMs(2);
                for (const LoggedCommand &logged : m_sim.commandLog())
                    if (logged.command == QString::fromLatin1(marker)) {
                        m_startNs = std::max(m_startNs, written - qint64(logged.ms * kMs));
                        found = true;
                    }
            }
            if (!found)
                return false;
        }
        return true;
    }
    qint64 toNs(double stampMs) const { return m_startNs + qint64(stampMs * kMs); }

    // Commands logged in [fromNs, toNs) that start with one of the prefixes.
    std::vector<qint64> times(const QStringList &commands, qint64 fromNs, qint64 toNs) const
    {
        std::vector<qint64> found;
        for (const LoggedCommand &logged : m_sim.commandLog()) {
            const qint64 at = this->toNs(logged.ms);
            if (at >= fromNs && at < toNs && commands.contains(logged.command))
                found.push_back(at);
        }
        return found;
    }

private:
    const SimProcess &m_sim;
    qint64 m_startNs = 0;
};

struct Request
{
    qint64 sentNs = 0;
    qint64 answeredNs = 0;
};

// n clients each polling ":GR#" then ":GD#" at 4 Hz, spread evenly over the
// period, for `seconds` after one second of warming up. Returns the measured
// window and every :GR# request in it.
struct PollRun
{
    qint64 fromNs = 0;
    qint64 toNs = 0;
    std::vector<Request> requests;
    int failures = 0;
};

PollRun pollFor(quint16 port, int n, int seconds)
{
    struct Poller
    {
        std::unique_ptr<Client> client;
        qint64 dueNs = 0;
        int awaiting = 0; // 0 nothing, 1 the :GR# reply, 2 the :GD# reply
        Request request;
    };
    PollRun run;
    std::vector<Poller> pollers(static_cast<std::size_t>(n));
    const qint64 start = monotonicNs() + 100 * kMs;
    for (int i = 0; i < n; ++i) {
        pollers[std::size_t(i)].client = std::make_unique<Client>(port);
        pollers[std::size_t(i)].dueNs = start + qint64(i) * kPollPeriodMs * kMs / n;
        if (!pollers[std::size_t(i)].client->ok())
            ++run.failures;
    }
    run.fromNs = start + 1000 * kMs;
    run.toNs = run.fromNs + qint64(seconds) * 1000 * kMs;
    std::vector<pollfd> fds(static_cast<std::size_t>(n));
    while (run.failures == 0) {
        const qint64 now = monotonicNs();
        if (now >= run.toNs)
            break;
        qint64 next = run.toNs;
        for (Poller &p : pollers) {
            if (now >= p.dueNs) {
                if (p.awaiting == 0) {
                    p.request = {now, 0};
                    p.client->send(":GR#");
                    p.awaiting = 1;
                }
                p.dueNs += kPollPeriodMs * kMs; // a late poll is skipped, not piled up
            }
            next = std::min(next, p.dueNs);
        }
        for (std::size_t i = 0; i < pollers.size(); ++i)
            fds[i] = {pollers[i].client->fd(), POLLIN, 0};
        const int waitMs = int(std::max<qint64>(0, (next - monotonicNs() + kMs - 1) / kMs));
        if (::poll(fds.data(), fds.size(), waitMs) <= 0)
            continue;
        const qint64 readNs = monotonicNs();
        for (std::size_t i = 0; i < pollers.size(); ++i) {
            Poller &p = pollers[i];
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            if (!p.client->readAvailable()) {
                ++run.failures;
                continue;
            }
            qsizetype end;
            while ((end = p.client->in().indexOf('#')) >= 0) {
                p.client->in().remove(0, end + 1);
                if (p.awaiting == 1) {
                    p.request.answeredNs = readNs;
                    if (p.request.sentNs >= run.fromNs)
                        run.requests.push_back(p.request);
                    p.client->send(":GD#");
                    p.awaiting = 2;
                } else {
                    p.awaiting = 0;
                }
            }
        }
    }
    return run;
}

void reportAll(const char *key, const std::vector<double> &values)
{
    for (double value : values)
        report(QString::fromLatin1(key), value);
}

int run(const Options &options)
{
    SimProcess sim({},
                   {QStringLiteral("--tcp"), QStringLiteral("0"), QStringLiteral("--gps-delay"),
                    QStringLiteral("2")},
                   SimProcess::Observe::LogAndState);
    const QString tcpLine = sim.readLine();
    if (!sim.isRunning() || !tcpLine.startsWith(QStringLiteral("tcp://127.0.0.1:"))) {
        std::fprintf(stderr, "bench_hub: %s\n", qPrintable(sim.errorString()));
        return 2;
    }
    Client direct(tcpLine.section(u':', 2).toUShort());
    SimClock simClock(sim);
    if (!direct.ok() || !simClock.calibrate(direct)) {
        std::fprintf(stderr, "bench_hub: no direct line to the simulator\n");
        return 2;
    }

    HubProcess hub(QStringLiteral(ORRINET_HUB_PATH), sim.ptyPath(),
                   {QStringLiteral("--max-clients"), QStringLiteral("32")});
    if (!hub.isRunning()) {
        std::fprintf(stderr, "bench_hub: %s\n", qPrintable(hub.errorString()));
        return 2;
    }
    const QString proc = QStringLiteral("/proc/%1").arg(hub.processId());

    // 1. Idle, no client: the same counters as the idle panel's, read from outside.
    sleepMs(1000);
    const ProcessCounters idleStart = processCounters(proc);
    sleepMs(options.seconds * 1000);
    const ProcessCounters idleEnd = processCounters(proc);
    const double idleSeconds = double(idleEnd.atNs - idleStart.atNs) / 1e9;
    report(QStringLiteral("idle_seconds"), idleSeconds);
    report(QStringLiteral("idle_cpu_ms"), idleEnd.cpuMs - idleStart.cpuMs);
    report(QStringLiteral("idle_main_wakeups_per_s"),
           double(idleEnd.mainSwitches - idleStart.mainSwitches) / idleSeconds);
    report(QStringLiteral("idle_all_wakeups_per_s"),
           double(idleEnd.allSwitches - idleStart.allSwitches) / idleSeconds);
    report(QStringLiteral("rss_idle_hwm_kb"), double(statusKb(proc, "VmHWM")));

    // 2. Memory with 8 clients polling.
    pollFor(hub.port(), 8, 3);
    report(QStringLiteral("rss_8_hwm_kb"), double(statusKb(proc, "VmHWM")));
    report(QStringLiteral("rss_8_rss_kb"), double(statusKb(proc, "VmRSS")));

    // 3. Position exchanges on the line, and the cache's answers.
    const QStringList position{QStringLiteral(":GR#"), QStringLiteral(":GD#")};
    const QStringList ra{QStringLiteral(":GR#")};
    for (int rep = 0; rep < options.reps; ++rep) {
        for (int n : {1, 4, 16}) {
            sleepMs(500); // every client of the last run gone
            const PollRun polled = pollFor(hub.port(), n, options.seconds);
            if (polled.failures) {
                std::fprintf(stderr, "bench_hub: %d clients failed\n", polled.failures);
                return 1;
            }
            sleepMs(200); // the log has the last commands
            const auto onLine = simClock.times(position, polled.fromNs, polled.toNs);
            report(QStringLiteral("line_pos_per_s_%1").arg(n),
                   double(onLine.size()) / options.seconds);
            report(QStringLiteral("client_pos_per_s_%1").arg(n),
                   2.0 * double(polled.requests.size()) / options.seconds);
            if (n != 16)
                continue;
            const auto lineRa = simClock.times(ra, polled.fromNs - 1000 * kMs, polled.toNs + kMs);
            for (const Request &r : polled.requests) {
                const bool fetched = std::any_of(lineRa.begin(), lineRa.end(), [&](qint64 at) {
                    return at >= r.sentNs && at <= r.answeredNs;
                });
                report(QLatin1String(fetched ? "fetched_ms" : "cached_ms"),
                       double(r.answeredNs - r.sentNs) / kMs);
            }
        }
    }

    // 4. Stops while a :gT# holds the line (the simulator answers it after 2 s).
    Client holder(hub.port()), stopper(hub.port());
    if (!holder.ok() || !stopper.ok())
        return 1;
    const QStringList stop{QStringLiteral(":Q#")};
    std::vector<double> stops;
    while (int(stops.size()) < options.samples) {
        const qint64 heldFrom = monotonicNs();
        holder.send(":gT#");
        sleepMs(100);
        std::vector<qint64> sent;
        while (monotonicNs() < heldFrom + 1700 * kMs) {
            sent.push_back(monotonicNs());
            stopper.send(":Q#");
            sleepMs(50);
        }
        const QByteArray fix = holder.reply(1);
        const qint64 answered = monotonicNs();
        sleepMs(100);
        // Every stop reached the telescope before the :gT# reply came back.
        const auto arrived = simClock.times(stop, heldFrom, answered);
        if (fix != "1" || answered - heldFrom < 1900 * kMs || arrived.size() != sent.size()) {
            std::fprintf(stderr,
                         "bench_hub: :gT# answered '%s' after %lld ms, %zu of %zu stops before\n",
                         fix.constData(), (answered - heldFrom) / kMs, arrived.size(), sent.size());
            return 1;
        }
        for (std::size_t i = 0; i < sent.size(); ++i)
            stops.push_back(double(arrived[i] - sent[i]) / kMs);
    }
    reportAll("stop_ms", stops);

    // 5. Gotos, direct and through the hub in turn, to targets a few degrees apart.
    Client viaHub(hub.port());
    const QByteArray here = direct.exchange(":GR#");
    if (!viaHub.ok() || here.size() != 9)
        return 1;
    const int hour = here.left(2).toInt();
    std::vector<double> directMs, hubMs;
    for (int i = 0; i < options.samples / 4 + 2; ++i) {
        for (Client *client : {&direct, &viaHub}) {
            const QByteArray ra = QByteArray::number((hour + (i % 2)) % 24).rightJustified(2, '0') +
                                  (i % 2 ? ":10:00#" : ":50:00#");
            const QByteArray dec = i % 2 ? "+40*00:00#" : "+50*00:00#";
            const qint64 start = monotonicNs();
            const QByteArray replies = client->exchange(":Sr" + ra, 1) +
                                       client->exchange(":Sd" + dec, 1) +
                                       client->exchange(":MS#", 1);
            const double ms = double(monotonicNs() - start) / kMs;
            client->send(":Q#");
            sleepMs(300);
            if (replies != "110") {
                std::fprintf(stderr, "bench_hub: goto replies '%s'\n", replies.constData());
                return 1;
            }
            if (i >= 2) // warm-up
                (client == &direct ? directMs : hubMs).push_back(ms);
        }
    }
    reportAll("goto_direct_ms", directMs);
    reportAll("goto_hub_ms", hubMs);
    report(QStringLiteral("hub_clean_exit"), hub.stop() ? 1 : 0);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Options options;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        const int value = qMax(1, arguments[i + 1].toInt());
        if (arguments[i] == QLatin1String("--seconds"))
            options.seconds = value;
        else if (arguments[i] == QLatin1String("--reps"))
            options.reps = value;
        else if (arguments[i] == QLatin1String("--samples"))
            options.samples = value;
    }
    return run(options);
}
