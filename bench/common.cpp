#include "common.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <utility>

extern char **environ;

namespace orrinet::bench {

qint64 monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

namespace {

// The value of a "Name:   value ..." line of a /proc status file; -1 if missing.
qint64 statusField(const QString &path, const QByteArray &name)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = name + ':';
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

qint64 switchesOf(const QString &statusPath)
{
    return statusField(statusPath, "voluntary_ctxt_switches") +
           statusField(statusPath, "nonvoluntary_ctxt_switches");
}

double msOf(const timeval &t)
{
    return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0;
}

// With ORRINET_BENCH_SMAPS set to a folder, the process's memory map is
// copied there at each named point (PID-point.smaps), for the breakdown by
// mapping in bench/ANALYSIS.md; the figures themselves do not use it.
void dumpMemoryMap(const char *point)
{
    const char *folder = std::getenv("ORRINET_BENCH_SMAPS");
    if (!folder || !*folder)
        return;
    // Copied through a buffer on the stack: no heap of its own in the map.
    char path[512];
    std::snprintf(path, sizeof path, "%s/%d-%s.smaps", folder, int(getpid()), point);
    const int in = open("/proc/self/smaps", O_RDONLY | O_CLOEXEC);
    const int out = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    char buffer[16384];
    ssize_t n = 0;
    while (in >= 0 && out >= 0 && (n = read(in, buffer, sizeof buffer)) > 0) {
        if (write(out, buffer, std::size_t(n)) != n)
            break;
    }
    if (in >= 0)
        close(in);
    if (out >= 0)
        close(out);
}

} // namespace

qint64 statusKb(const char *field)
{
    return statusField(QStringLiteral("/proc/self/status"), field);
}

qint64 statusKb(const QString &procDir, const char *field)
{
    return statusField(procDir + QStringLiteral("/status"), field);
}

namespace {

// Context switches of the main thread and of all threads under procDir.
void countSwitches(const QString &procDir, ProcessCounters &counters)
{
    counters.mainSwitches = switchesOf(procDir + QStringLiteral("/status"));
    const QDir tasks(procDir + QStringLiteral("/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        counters.allSwitches += switchesOf(tasks.filePath(task + QStringLiteral("/status")));
}

} // namespace

ProcessCounters processCounters()
{
    ProcessCounters counters;
    counters.atNs = monotonicNs();
    // getrusage gives the same user and system times as /proc/self/stat, in
    // microseconds instead of clock ticks.
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    counters.cpuMs = msOf(usage.ru_utime) + msOf(usage.ru_stime);
    countSwitches(QStringLiteral("/proc/self"), counters);
    return counters;
}

ProcessCounters processCounters(const QString &procDir)
{
    ProcessCounters counters;
    counters.atNs = monotonicNs();
    QFile stat(procDir + QStringLiteral("/stat"));
    if (stat.open(QIODevice::ReadOnly)) {
        // After "pid (name) ": the state is field 3, utime 14 and stime 15.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        const double msPerTick = 1000.0 / double(sysconf(_SC_CLK_TCK));
        if (fields.size() > 12)
            counters.cpuMs = double(fields[11].toLongLong() + fields[12].toLongLong()) * msPerTick;
    }
    countSwitches(procDir, counters);
    return counters;
}

void report(const QString &key, double value)
{
    std::printf("%s %.17g\n", qPrintable(key), value);
    std::fflush(stdout);
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    const double rank = p * double(values.size() - 1);
    const auto below = static_cast<std::size_t>(std::floor(rank));
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (rank - double(below)) * (values[above] - values[below]);
}

Summary summarize(std::vector<double> values)
{
    Summary s;
    s.count = values.size();
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    s.median = percentile(values, 0.5);
    s.q1 = percentile(values, 0.25);
    s.q3 = percentile(values, 0.75);
    s.min = values.front();
    s.max = values.back();
    return s;
}

// ---- subjects -------------------------------------------------------------

SubjectArgs parseSubjectArgs(int argc, char **argv)
{
    SubjectArgs args;
    args.mainNs = monotonicNs();
    if (argc > 1)
        args.mode = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i + 1 < argc; i += 2) {
        const QByteArray option(argv[i]);
        const int value = QByteArray(argv[i + 1]).toInt();
        if (option == "--com")
            args.comPort = value;
        else if (option == "--seconds")
            args.seconds = value;
        else if (option == "--monitor")
            args.monitor = value;
    }
    return args;
}

namespace {

constexpr int kSettleMs = 500;      // lets lazy start-up work finish before memory is read
constexpr int kIdleSettleMs = 1000; // before an idle window opens
constexpr int kTickMs = 10;         // the flood's responsiveness probe

// Calls back with the time of the window's first shown frame: its first
// paint, taken once the paint cycle it belongs to (which ends by flushing the
// backing store to the window) has returned to the event loop.
class FirstFrameProbe final : public QObject
{
public:
    FirstFrameProbe(QWidget &window, std::function<void(qint64)> onFrame)
        : m_window(window), m_onFrame(std::move(onFrame))
    {
        m_window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_window && event->type() == QEvent::Paint) {
            m_window.removeEventFilter(this);
            QMetaObject::invokeMethod(
                this, [this] { m_onFrame(monotonicNs()); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    QWidget &m_window;
    std::function<void(qint64)> m_onFrame;
};

class Subject final : public QObject
{
public:
    Subject(QWidget &window, const SubjectArgs &args, const SubjectHooks &hooks)
        : m_window(window), m_args(args), m_hooks(hooks),
          m_probe(window, [this](qint64 at) { firstFrame(at); })
    {
    }

private:
    void after(int ms, std::function<void()> step)
    {
        QTimer::singleShot(ms, Qt::PreciseTimer, this, std::move(step));
    }

    void finish(int code)
    {
        if (m_hooks.finalReport)
            m_hooks.finalReport();
        QCoreApplication::exit(code);
    }

    // False (after ending the run) when the connection failed.
    bool connectLine()
    {
        if (!m_hooks.connect || m_hooks.connect())
            return true;
        std::fprintf(stderr, "bench: could not connect to Com %d\n", m_args.comPort);
        finish(2);
        return false;
    }

    void firstFrame(qint64 at)
    {
        report(QStringLiteral("frame_ns"), double(at));
        dumpMemoryMap("frame");
        report(QStringLiteral("frame_cpu_ms"), processCounters().cpuMs);
        report(QStringLiteral("window_width"), m_window.width());
        report(QStringLiteral("window_height"), m_window.height());
        if (m_args.mode == QLatin1String("startup"))
            startup();
        else if (m_args.mode == QLatin1String("idle"))
            after(kIdleSettleMs, [this] { idle(); });
        else if (m_args.mode == QLatin1String("flood"))
            flood();
        else
            finish(2);
    }

    void startup()
    {
        after(kSettleMs, [this] {
            report(QStringLiteral("hwm_startup_kb"), double(statusKb("VmHWM")));
            dumpMemoryMap("settled");
            if (!m_hooks.connect)
                return finish(0);
            if (!connectLine())
                return;
            after(kSettleMs, [this] {
                report(QStringLiteral("hwm_connected_kb"), double(statusKb("VmHWM")));
                finish(0);
            });
        });
    }

    void idle()
    {
        idleWindow(QStringLiteral("idle1"), [this] {
            if (!connectLine())
                return;
            after(kIdleSettleMs,
                  [this] { idleWindow(QStringLiteral("idle2"), [this] { finish(0); }); });
        });
    }

    // One window of nothing to do: a single timer ends it.
    void idleWindow(const QString &name, std::function<void()> next)
    {
        const ProcessCounters start = processCounters();
        after(m_args.seconds * 1000, [this, name, start, next] {
            const ProcessCounters end = processCounters();
            const double seconds = double(end.atNs - start.atNs) / 1e9;
            report(name + QStringLiteral("_seconds"), seconds);
            report(name + QStringLiteral("_cpu_ms"), end.cpuMs - start.cpuMs);
            report(name + QStringLiteral("_main_wakeups_per_s"),
                   double(end.mainSwitches - start.mainSwitches) / seconds);
            report(name + QStringLiteral("_all_wakeups_per_s"),
                   double(end.allSwitches - start.allSwitches) / seconds);
            next();
        });
    }

    void flood()
    {
        if (!connectLine())
            return;
        after(kSettleMs, [this] {
            report(QStringLiteral("flood_rss_start_kb"), double(statusKb("VmRSS")));
            m_tick.setTimerType(Qt::PreciseTimer);
            m_tick.setInterval(kTickMs);
            connect(&m_tick, &QTimer::timeout, this, [this] {
                const qint64 now = monotonicNs();
                if (m_lastTick > 0)
                    m_lateness.push_back(double(now - m_lastTick) / 1e6 - kTickMs);
                m_lastTick = now;
            });
            m_tick.start();
            after(m_args.seconds * 1000, [this] {
                m_tick.stop();
                report(QStringLiteral("flood_ticks"), double(m_lateness.size()));
                report(QStringLiteral("flood_late_max_ms"),
                       m_lateness.empty()
                           ? 0
                           : *std::max_element(m_lateness.begin(), m_lateness.end()));
                report(QStringLiteral("flood_late_p99_ms"), percentile(m_lateness, 0.99));
                report(QStringLiteral("flood_rss_end_kb"), double(statusKb("VmRSS")));
                finish(0);
            });
        });
    }

    QWidget &m_window;
    const SubjectArgs m_args;
    const SubjectHooks m_hooks;
    FirstFrameProbe m_probe;
    QTimer m_tick;
    qint64 m_lastTick = 0;
    std::vector<double> m_lateness;
};

} // namespace

int runSubject(QWidget &window, const SubjectArgs &args, const SubjectHooks &hooks)
{
    report(QStringLiteral("main_ns"), double(args.mainNs));
    report(QStringLiteral("app_ns"), double(args.appNs));
    report(QStringLiteral("built_ns"), double(monotonicNs()));
    dumpMemoryMap("built");
    Subject subject(window, args, hooks);
    window.show();
    return QApplication::exec();
}

// ---- the driver's side ----------------------------------------------------

Child::Child(const QString &program, const QStringList &arguments)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        m_startError = QStringLiteral("pipe failed");
        return;
    }
    std::vector<QByteArray> storage{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &text : storage)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);

    m_spawnedNs = monotonicNs();
    const int error = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    m_out = pipeFds[0];
    if (error != 0) {
        m_pid = -1;
        m_startError = program + QStringLiteral(": ") + QString::fromLocal8Bit(strerror(error));
    }
}

Child::~Child()
{
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_out >= 0)
        close(m_out);
}

bool Child::finish(int timeoutMs, Figures &figures, QString &failure)
{
    if (m_pid <= 0) {
        failure = m_startError;
        return false;
    }
    const qint64 deadline = monotonicNs() + qint64(timeoutMs) * 1'000'000;
    QByteArray output;
    bool timedOut = false;
    for (;;) {
        const qint64 left = (deadline - monotonicNs()) / 1'000'000;
        pollfd fd{m_out, POLLIN, 0};
        if (left <= 0 || poll(&fd, 1, int(left)) == 0) {
            timedOut = true;
            kill(m_pid, SIGKILL);
            break;
        }
        char buffer[4096];
        const ssize_t count = read(m_out, buffer, sizeof buffer);
        if (count <= 0)
            break;
        output.append(buffer, count);
    }
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;

    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2)
            figures[QString::fromLatin1(parts[0])].push_back(parts[1].toDouble());
    }
    if (timedOut)
        failure = QStringLiteral("killed after %1 ms").arg(timeoutMs);
    else if (WIFSIGNALED(status))
        failure = QStringLiteral("crashed with signal %1").arg(WTERMSIG(status));
    else if (WEXITSTATUS(status) != 0)
        failure = QStringLiteral("exit code %1").arg(WEXITSTATUS(status));
    else
        return true;
    return false;
}

} // namespace orrinet::bench
