// Runs every benchmark and prints the results as Markdown on standard output
// (progress on standard error). Each figure compares two things measured in
// the same run, side by side, so that it holds on a busy machine:
//
//     orrinet_bench [--reps N] [--seconds S] [--only latency,startup,idle,flood,motion,hub,sharing]
//
// The subjects inherit this process's environment (QT_QPA_PLATFORM, DISPLAY);
// XDG_CONFIG_HOME points to a temporary folder, so no user settings are
// read or written, and the simulators map their lines there.

#include "common.h"
#include "support/simprocess.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

using namespace orrinet::bench;
using orrinet::testing::SimProcess;

namespace {

constexpr int kWarmUpRuns = 2;
constexpr int kSimCom = 5;   // start-up, memory and idle
constexpr int kFloodCom = 6; // the flooding simulator
constexpr int kStartupTimeoutMs = 30000;
constexpr int kMotionSamples = 200; // per action

struct Options
{
    int reps = 20;
    int seconds = 10;
    QStringList only{QStringLiteral("latency"), QStringLiteral("startup"),
                     QStringLiteral("idle"),    QStringLiteral("flood"),
                     QStringLiteral("motion"),  QStringLiteral("hub"),
                     QStringLiteral("sharing")};
};

Options parseOptions(const QStringList &arguments)
{
    Options options;
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        const QString &name = arguments[i];
        const QString &value = arguments[i + 1];
        if (name == QLatin1String("--reps"))
            options.reps = qMax(1, value.toInt());
        else if (name == QLatin1String("--seconds"))
            options.seconds = qMax(1, value.toInt());
        else if (name == QLatin1String("--only"))
            options.only = value.split(u',');
    }
    return options;
}

void out(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

void progress(const QString &text)
{
    std::fprintf(stderr, "orrinet_bench: %s\n", qPrintable(text));
}

QString num(double value, int decimals = 2)
{
    // No "-0.00" for a difference that rounds to nothing.
    const double unit = std::pow(10.0, -decimals) / 2;
    return QString::number(std::abs(value) < unit ? 0.0 : value, 'f', decimals);
}

// "median (IQR q1–q3, min–max)"
QString spread(const std::vector<double> &values, int decimals = 2)
{
    const Summary s = summarize(values);
    if (s.count == 0)
        return QStringLiteral("n/a");
    return QStringLiteral("%1 (IQR %2–%3, range %4–%5)")
        .arg(num(s.median, decimals), num(s.q1, decimals), num(s.q3, decimals),
             num(s.min, decimals), num(s.max, decimals));
}

double median(const std::vector<double> &values)
{
    return summarize(values).median;
}

std::vector<double> ratios(const std::vector<double> &a, const std::vector<double> &b)
{
    std::vector<double> r;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        r.push_back(a[i] / b[i]);
    return r;
}

std::vector<double> differences(const std::vector<double> &a, const std::vector<double> &b)
{
    std::vector<double> r;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        r.push_back(a[i] - b[i]);
    return r;
}

QString verdict(bool met)
{
    return met ? QStringLiteral("met") : QStringLiteral("**missed**");
}

// The closing overview: one row per figure.
struct Overview
{
    QStringList rows;
    void add(const QString &figure, const QString &result, const QString &goal, bool met)
    {
        rows << QStringLiteral("| %1 | %2 | %3 | %4 |").arg(figure, result, goal, verdict(met));
    }
};

class Driver
{
public:
    Driver(const Options &options, const QString &configHome)
        : m_options(options), m_configHome(configHome),
          m_bin(QCoreApplication::applicationDirPath() + u'/')
    {
    }

    void latency();
    void startupAndMemory();
    void idle();
    void flood();
    void motion();
    void hub();
    void sharing();
    void overview() const;

private:
    // Runs the programs at the same time and collects what each reports;
    // nullopt for a program that failed (the failure is counted and printed).
    std::vector<std::optional<Figures>>
    together(const std::vector<std::pair<QString, QStringList>> &runs, int timeoutMs,
             std::vector<qint64> *spawnedNs = nullptr);
    std::optional<Figures> one(const QString &program, const QStringList &arguments, int timeoutMs,
                               qint64 *spawnedNs = nullptr);
    std::unique_ptr<SimProcess> simulator(const QStringList &arguments);

    const Options m_options;
    const QString m_configHome;
    const QString m_bin;
    QStringList m_failures;
    Overview m_overview;
};

std::vector<std::optional<Figures>>
Driver::together(const std::vector<std::pair<QString, QStringList>> &runs, int timeoutMs,
                 std::vector<qint64> *spawnedNs)
{
    std::vector<std::unique_ptr<Child>> children;
    for (const auto &[program, arguments] : runs)
        children.push_back(std::make_unique<Child>(m_bin + program, arguments));
    std::vector<std::optional<Figures>> results;
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (spawnedNs)
            spawnedNs->push_back(children[i]->spawnedNs());
        Figures figures;
        QString failure;
        if (children[i]->finish(timeoutMs, figures, failure)) {
            results.emplace_back(std::move(figures));
        } else {
            m_failures << QStringLiteral("%1 %2: %3")
                              .arg(runs[i].first, runs[i].second.join(u' '), failure);
            progress(m_failures.last());
            results.emplace_back(std::nullopt);
        }
    }
    return results;
}

std::optional<Figures> Driver::one(const QString &program, const QStringList &arguments,
                                   int timeoutMs, qint64 *spawnedNs)
{
    std::vector<qint64> spawned;
    auto results = together({{program, arguments}}, timeoutMs, &spawned);
    if (spawnedNs)
        *spawnedNs = spawned.front();
    return results.front();
}

std::unique_ptr<SimProcess> Driver::simulator(const QStringList &arguments)
{
    auto sim = std::make_unique<SimProcess>(m_configHome, arguments);
    if (!sim->isRunning()) {
        m_failures
            << QStringLiteral("lx200sim %1: %2").arg(arguments.join(u' '), sim->errorString());
        progress(m_failures.last());
        return nullptr;
    }
    return sim;
}

// ---- 1. exchange latency ----------------------------------------------------

void Driver::latency()
{
    progress(QStringLiteral("exchange latency"));
    out(QStringLiteral("## 1. Exchange latency against lx200sim (pty, 9600-baud pacing)\n"));
    const auto figures =
        one(QStringLiteral("bench_latency"),
            {QStringLiteral("--reps"), QString::number(qMax(m_options.reps, 20))}, 10 * 60 * 1000);
    if (!figures) {
        out(QStringLiteral("Failed: %1\n").arg(m_failures.last()));
        m_overview.add(QStringLiteral("Exchange latency"), QStringLiteral("failed"),
                       QStringLiteral("≤ 1.15"), false);
        return;
    }
    struct Row
    {
        const char *key;
        const char *title;
    };
    const Row rows[] = {
        {"get", "Get (`:GR#`, `:GD#`) to `LabelRADEC`"},
        {"status", "Status (`:GW#`)"},
        {"firmware", "Firmware (`:GVN#`, 200 ms, `:GVP#`)"},
        {"site", "Site (`:Gt#`, 200 ms, `:Gg#`)"},
        {"datetime", "Date/time (`:GC#`, 200 ms, `:GL#`)"},
        {"azalt", "Azimuth/altitude (`:GZ#`, 200 ms, `:GA#`)"},
    };
    out(QStringLiteral(
            "Time from calling the handler to the final text, divided by the wire time of "
            "the exchange's characters (10 bits each at 9600 baud) plus its 200 ms "
            "pause. Median over %1 repetitions (after 2 warm-up rounds). The simulator "
            "paces its replies at 1.0417 ms per character, but the pseudo-terminal "
            "passes the panel's commands at once, so the next-to-last column shows what "
            "the panel adds: the measured time minus the replies' line time and the "
            "pause; the column after it adds that to the full wire time, as on a real "
            "9600-baud line where the commands take their line time too.\n")
            .arg(figures->at(QStringLiteral("get_ratio")).size()));
    out(QStringLiteral(
        "| Exchange | Wire time + pause (ms) | Measured (ms) | Ratio | Goal ≤ 1.15 | "
        "Beyond the replies' line time and the pause (ms) | Same on a real line: "
        "(wire + pause + that) / (wire + pause) |"));
    out(QStringLiteral("|---|---:|---|---|---|---|---|"));
    for (const Row &row : rows) {
        const QString key = QString::fromLatin1(row.key);
        const auto &ms = figures->at(key + QStringLiteral("_ms"));
        const auto &wire = figures->at(key + QStringLiteral("_wire_ms"));
        const auto &ratio = figures->at(key + QStringLiteral("_ratio"));
        const auto &overhead = figures->at(key + QStringLiteral("_overhead_ms"));
        const bool met = median(ratio) <= 1.15;
        out(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 |")
                .arg(QString::fromUtf8(row.title), num(median(wire), 1), spread(ms, 1),
                     spread(ratio, 3), verdict(met), spread(overhead, 1),
                     num((median(wire) + median(overhead)) / median(wire), 3)));
        m_overview.add(QStringLiteral("Latency: %1").arg(key), num(median(ratio), 3),
                       QStringLiteral("≤ 1.15"), met);
    }
    out({});
}

// ---- sharing: the panel's exchanges through its own hub --------------------

void Driver::sharing()
{
    progress(QStringLiteral("sharing"));
    out(QStringLiteral("## Sharing: the panel's exchanges through its hub (Program > Share "
                       "Telescope)\n"));
    // Alternating runs, so that a change of load falls on both sides alike.
    const QStringList reps{QStringLiteral("--reps"), QString::number(qMax(m_options.reps, 20))};
    std::map<QString, std::vector<double>> alone;
    std::map<QString, std::vector<double>> shared;
    for (int round = 0; round < 2; ++round) {
        for (const bool share : {false, true}) {
            const auto figures =
                one(QStringLiteral("bench_latency"),
                    share ? reps + QStringList{QStringLiteral("--shared")} : reps, 10 * 60 * 1000);
            if (!figures) {
                out(QStringLiteral("Failed: %1\n").arg(m_failures.last()));
                m_overview.add(QStringLiteral("Sharing"), QStringLiteral("failed"), {}, false);
                return;
            }
            for (const auto &[key, values] : *figures)
                (share ? shared : alone)[key].insert((share ? shared : alone)[key].end(),
                                                     values.begin(), values.end());
        }
    }
    out(QStringLiteral(
            "The exchange-latency benchmark (bench_latency), run %1 times each way, "
            "alternating: the panel alone "
            "on its line, and the panel sharing it (the hub in its own thread owns the line; "
            "the panel is one of its clients, no other client connected). Median of the "
            "time from the handler to the final text.\n")
            .arg(2));
    out(QStringLiteral("| Exchange | Alone (ms) | Shared (ms) | Shared / alone | Goal ≤ 1.05 |"));
    out(QStringLiteral("|---|---:|---:|---:|---|"));
    for (const char *key : {"get", "status", "firmware", "site", "datetime", "azalt"}) {
        const QString name = QString::fromLatin1(key) + QStringLiteral("_ms");
        const double ratio = median(shared[name]) / median(alone[name]);
        const bool met = ratio <= 1.05;
        out(QStringLiteral("| %1 | %2 | %3 | %4 | %5 |")
                .arg(QString::fromLatin1(key), spread(alone[name], 1), spread(shared[name], 1),
                     num(ratio, 3), verdict(met)));
        m_overview.add(QStringLiteral("Sharing: %1, shared / alone").arg(QString::fromLatin1(key)),
                       num(ratio, 3), QStringLiteral("≤ 1.05"), met);
    }
    const std::vector<double> &gaps = shared[QStringLiteral("macro_client_gap_ms")];
    const bool met = !gaps.empty() && *std::max_element(gaps.begin(), gaps.end()) <= 500;
    out(QStringLiteral("\nA client polling `:GR#` at 4 Hz over TCP while the panel runs the "
                       "Polaris keypad macro (six 500 ms pauses that block the panel's thread): "
                       "the longest time without a reply during the macro, over %1 macros: "
                       "%2 ms (goal ≤ 500: %3).\n")
            .arg(gaps.size())
            .arg(gaps.empty() ? QStringLiteral("-")
                              : num(*std::max_element(gaps.begin(), gaps.end()), 0))
            .arg(verdict(met)));
    m_overview.add(QStringLiteral("Sharing: longest gap of a 4 Hz client during a macro (ms)"),
                   gaps.empty() ? QStringLiteral("-")
                                : num(*std::max_element(gaps.begin(), gaps.end()), 0),
                   QStringLiteral("≤ 500"), met);
}

// ---- 2 and 3. start-up and memory -------------------------------------------

void Driver::startupAndMemory()
{
    progress(QStringLiteral("start-up and memory"));
    const auto sim = simulator({QStringLiteral("--com"), QString::number(kSimCom)});
    if (!sim)
        return;
    const QStringList panelArgs{QStringLiteral("startup"), QStringLiteral("--com"),
                                QString::number(kSimCom)};
    const QStringList minimalArgs{QStringLiteral("startup")};

    std::vector<double> panelMs, minimalMs, panelCpu, minimalCpu, panelHwm, panelHwmConnected,
        minimalHwm;
    // Where the time goes: spawn to main(), QApplication, window construction, first frame.
    std::array<std::vector<double>, 4> panelPhases, minimalPhases;
    const auto addPhases = [](std::array<std::vector<double>, 4> &phases, const Figures &f,
                              qint64 spawned) {
        const double marks[] = {double(spawned), f.at(QStringLiteral("main_ns")).front(),
                                f.at(QStringLiteral("app_ns")).front(),
                                f.at(QStringLiteral("built_ns")).front(),
                                f.at(QStringLiteral("frame_ns")).front()};
        for (std::size_t i = 0; i < phases.size(); ++i)
            phases[i].push_back((marks[i + 1] - marks[i]) / 1e6);
    };
    for (int run = -kWarmUpRuns; run < m_options.reps; ++run) {
        // Alternate which goes first, so that neither always finds the caches warm.
        const bool panelFirst = run % 2 == 0;
        std::optional<Figures> panel, minimal;
        qint64 panelSpawned = 0, minimalSpawned = 0;
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == panelFirst)
                panel =
                    one(QStringLiteral("bench_panel"), panelArgs, kStartupTimeoutMs, &panelSpawned);
            else
                minimal = one(QStringLiteral("bench_minimal"), minimalArgs, kStartupTimeoutMs,
                              &minimalSpawned);
        }
        if (run < 0 || !panel || !minimal || !panel->count(QStringLiteral("hwm_connected_kb")))
            continue;
        panelMs.push_back((panel->at(QStringLiteral("frame_ns")).front() - double(panelSpawned)) /
                          1e6);
        minimalMs.push_back(
            (minimal->at(QStringLiteral("frame_ns")).front() - double(minimalSpawned)) / 1e6);
        panelCpu.push_back(panel->at(QStringLiteral("frame_cpu_ms")).front());
        minimalCpu.push_back(minimal->at(QStringLiteral("frame_cpu_ms")).front());
        addPhases(panelPhases, *panel, panelSpawned);
        addPhases(minimalPhases, *minimal, minimalSpawned);
        panelHwm.push_back(panel->at(QStringLiteral("hwm_startup_kb")).front() / 1024);
        panelHwmConnected.push_back(panel->at(QStringLiteral("hwm_connected_kb")).front() / 1024);
        minimalHwm.push_back(minimal->at(QStringLiteral("hwm_startup_kb")).front() / 1024);
    }

    out(QStringLiteral("## 2. Start-up to the first shown frame\n"));
    out(QStringLiteral("From a CLOCK_MONOTONIC reading taken by the launcher just before "
                       "posix_spawn to the end of the window's first paint cycle (first "
                       "QEvent::Paint of the top-level widget, read when control is back in "
                       "the event loop, after the backing store was flushed). %1 runs of each, "
                       "alternating which starts first, after 2 warm-up runs; the ratio is taken "
                       "per pair.\n")
            .arg(panelMs.size()));
    out(QStringLiteral("| | Median (IQR, range) |"));
    out(QStringLiteral("|---|---|"));
    out(QStringLiteral("| Panel (ms) | %1 |").arg(spread(panelMs, 1)));
    out(QStringLiteral("| Minimal Qt Widgets program (ms) | %1 |").arg(spread(minimalMs, 1)));
    const auto startRatio = ratios(panelMs, minimalMs);
    const bool startMet = !startRatio.empty() && median(startRatio) <= 1.25;
    out(QStringLiteral("| **Ratio panel / minimal** (goal ≤ 1.25: %1) | %2 |\n")
            .arg(verdict(startMet), spread(startRatio, 3)));
    out(QStringLiteral(
        "The CPU time each process used up to its first frame (user + system, all its "
        "threads; the X server's share is not in it) depends far less on the load "
        "than the elapsed time:\n"));
    out(QStringLiteral("| | Median (IQR, range) |"));
    out(QStringLiteral("|---|---|"));
    out(QStringLiteral("| Panel, CPU ms to first frame | %1 |").arg(spread(panelCpu, 1)));
    out(QStringLiteral("| Minimal, CPU ms to first frame | %1 |").arg(spread(minimalCpu, 1)));
    out(QStringLiteral("| Ratio panel / minimal | %1 |\n")
            .arg(spread(ratios(panelCpu, minimalCpu), 3)));
    out(QStringLiteral("Where the elapsed time goes (median ms):\n"));
    out(QStringLiteral("| Phase | Panel | Minimal | Difference |"));
    out(QStringLiteral("|---|---:|---:|---:|"));
    const char *phaseNames[] = {
        "spawn to `main()` (loading and linking the libraries)",
        "`main()` to QApplication ready (platform plugin, X connection, style)",
        "window construction (for the panel: settings, line and `frmMain`)",
        "built to first frame (show, expose, layout, paint)"};
    for (std::size_t i = 0; i < panelPhases.size(); ++i) {
        const double p = median(panelPhases[i]), m = median(minimalPhases[i]);
        out(QStringLiteral("| %1 | %2 | %3 | %4 |")
                .arg(QString::fromUtf8(phaseNames[i]), num(p, 1), num(m, 1), num(p - m, 1)));
    }
    out({});
    m_overview.add(QStringLiteral("Start-up, panel / minimal"), num(median(startRatio), 3),
                   QStringLiteral("≤ 1.25"), startMet);

    out(QStringLiteral("## 3. Peak resident memory (VmHWM)\n"));
    out(QStringLiteral("Read from /proc/self/status 500 ms after the first frame, and for the "
                       "panel again 500 ms after connecting to lx200sim; same runs as above. "
                       "MiB.\n"));
    out(QStringLiteral("| | Median (IQR, range) |"));
    out(QStringLiteral("|---|---|"));
    out(QStringLiteral("| Panel after start-up (MiB) | %1 |").arg(spread(panelHwm, 1)));
    out(QStringLiteral("| Panel after connecting (MiB) | %1 |").arg(spread(panelHwmConnected, 1)));
    out(QStringLiteral("| Minimal program after start-up (MiB) | %1 |").arg(spread(minimalHwm, 1)));
    const auto memRatio = ratios(panelHwm, minimalHwm);
    const auto memConnectedRatio = ratios(panelHwmConnected, minimalHwm);
    const bool memMet = !memRatio.empty() && median(memRatio) <= 1.25;
    const bool memConnectedMet = !memConnectedRatio.empty() && median(memConnectedRatio) <= 1.25;
    out(QStringLiteral("| **Ratio after start-up** (goal ≤ 1.25: %1) | %2 |")
            .arg(verdict(memMet), spread(memRatio, 3)));
    out(QStringLiteral("| **Ratio after connecting** (goal ≤ 1.25: %1) | %2 |\n")
            .arg(verdict(memConnectedMet), spread(memConnectedRatio, 3)));
    m_overview.add(QStringLiteral("Memory after start-up, panel / minimal"),
                   num(median(memRatio), 3), QStringLiteral("≤ 1.25"), memMet);
    m_overview.add(QStringLiteral("Memory after connecting, panel / minimal"),
                   num(median(memConnectedRatio), 3), QStringLiteral("≤ 1.25"), memConnectedMet);
}

// ---- 4. idle cost -------------------------------------------------------------

void Driver::idle()
{
    progress(QStringLiteral("idle cost"));
    const auto sim = simulator({QStringLiteral("--com"), QString::number(kSimCom)});
    if (!sim)
        return;
    const QString seconds = QString::number(m_options.seconds);
    const QStringList keys{QStringLiteral("main_wakeups_per_s"),
                           QStringLiteral("all_wakeups_per_s"), QStringLiteral("cpu_ms")};
    // "<window>_<key>" -> one value per run, for each program
    std::map<QString, std::vector<double>> panel, minimal;
    for (int run = 0; run < m_options.reps; ++run) {
        progress(QStringLiteral("idle run %1 of %2").arg(run + 1).arg(m_options.reps));
        const auto results =
            together({{QStringLiteral("bench_panel"),
                       {QStringLiteral("idle"), QStringLiteral("--com"), QString::number(kSimCom),
                        QStringLiteral("--seconds"), seconds}},
                      {QStringLiteral("bench_minimal"),
                       {QStringLiteral("idle"), QStringLiteral("--seconds"), seconds}}},
                     (2 * m_options.seconds + 30) * 1000);
        if (!results[0] || !results[1] || !results[0]->count(QStringLiteral("idle2_cpu_ms")))
            continue;
        for (const QString &window : {QStringLiteral("idle1"), QStringLiteral("idle2")}) {
            for (const QString &key : keys) {
                const QString name = window + u'_' + key;
                panel[name].push_back(results[0]->at(name).front());
                minimal[name].push_back(results[1]->at(name).front());
            }
        }
    }

    out(QStringLiteral("## 4. Idle cost\n"));
    out(QStringLiteral("Panel and minimal program run at the same time, each idling through the "
                       "same two %1 s windows (the panel disconnected, then connected to lx200sim "
                       "with nothing pending), 1 s after its first frame and 1 s after "
                       "connecting. Wake-ups are context switches (voluntary + nonvoluntary, "
                       "/proc/self/task/*/status) per second: of the user-interface thread, and "
                       "of all threads; CPU is user + system time of the process. The single "
                       "timer that ends each window is one wake-up in both programs. %2 runs; "
                       "median (IQR, range).\n")
            .arg(m_options.seconds)
            .arg(panel[QStringLiteral("idle1_cpu_ms")].size()));
    out(QStringLiteral(
        "| Window | Program | UI-thread wake-ups/s | All-thread wake-ups/s | CPU ms per window |"));
    out(QStringLiteral("|---|---|---|---|---|"));
    const std::pair<QString, QString> windows[] = {
        {QStringLiteral("idle1"), QStringLiteral("disconnected")},
        {QStringLiteral("idle2"), QStringLiteral("connected")}};
    for (const auto &[window, title] : windows) {
        for (const auto &[program, figures] : {std::pair{QStringLiteral("panel"), &panel},
                                               std::pair{QStringLiteral("minimal"), &minimal}}) {
            out(QStringLiteral("| %1 | %2 | %3 | %4 | %5 |")
                    .arg(title, program,
                         spread((*figures)[window + QStringLiteral("_main_wakeups_per_s")]),
                         spread((*figures)[window + QStringLiteral("_all_wakeups_per_s")]),
                         spread((*figures)[window + QStringLiteral("_cpu_ms")], 1)));
        }
    }
    out({});
    // A timer of our own would add at least one UI-thread wake-up per period:
    // more than 0.2 extra per second means something wakes at least every 5 s.
    for (const auto &[window, title] : windows) {
        const auto extra = differences(panel[window + QStringLiteral("_main_wakeups_per_s")],
                                       minimal[window + QStringLiteral("_main_wakeups_per_s")]);
        const bool met = !extra.empty() && median(extra) <= 0.2;
        out(QStringLiteral("- %1: panel minus minimal, UI-thread wake-ups/s: %2 (goal: no periodic "
                           "wake-up, ≤ 0.2/s extra: %3)")
                .arg(title, spread(extra), verdict(met)));
        m_overview.add(QStringLiteral("Idle %1: extra UI wake-ups/s").arg(title),
                       num(median(extra)), QStringLiteral("≤ 0.2 (none periodic)"), met);
    }
    out({});
}

// ---- 5. flood -------------------------------------------------------------------

void Driver::flood()
{
    progress(QStringLiteral("flood"));
    const auto sim = simulator({QStringLiteral("--com"), QString::number(kFloodCom),
                                QStringLiteral("--flood"), QStringLiteral("--no-pacing")});
    if (!sim)
        return;
    const QString seconds = QString::number(m_options.seconds);
    // Runs with the line monitor closed and open alternate, each beside the
    // minimal program.
    Figures panel, minimal, monitored, monitoredMinimal;
    int panelFailures = 0;
    int monitoredFailures = 0;
    const auto floodRun = [&](bool monitor, Figures &subject, Figures &reference, int &failures) {
        QStringList arguments{QStringLiteral("flood"), QStringLiteral("--com"),
                              QString::number(kFloodCom), QStringLiteral("--seconds"), seconds};
        if (monitor)
            arguments << QStringLiteral("--monitor") << QStringLiteral("1");
        const auto results =
            together({{QStringLiteral("bench_panel"), arguments},
                      {QStringLiteral("bench_minimal"),
                       {QStringLiteral("flood"), QStringLiteral("--seconds"), seconds}}},
                     (m_options.seconds + 60) * 1000);
        if (!results[0] || !results[0]->count(QStringLiteral("flood_rss_end_kb"))) {
            ++failures;
            return;
        }
        for (const auto &[key, values] : *results[0])
            subject[key].push_back(values.front());
        if (results[1]) {
            for (const auto &[key, values] : *results[1])
                reference[key].push_back(values.front());
        }
    };
    for (int run = 0; run < m_options.reps; ++run) {
        progress(QStringLiteral("flood run %1 of %2").arg(run + 1).arg(m_options.reps));
        floodRun(false, panel, minimal, panelFailures);
        floodRun(true, monitored, monitoredMinimal, monitoredFailures);
    }
    const auto rssGrowth = differences(panel[QStringLiteral("flood_rss_end_kb")],
                                       panel[QStringLiteral("flood_rss_start_kb")]);
    std::vector<double> rssStartMiB, rssEndMiB, rssGrowthMiB;
    for (double kb : panel[QStringLiteral("flood_rss_start_kb")])
        rssStartMiB.push_back(kb / 1024);
    for (double kb : panel[QStringLiteral("flood_rss_end_kb")])
        rssEndMiB.push_back(kb / 1024);
    for (double kb : rssGrowth)
        rssGrowthMiB.push_back(kb / 1024);

    out(QStringLiteral("## 5. Flood: lx200sim --flood --no-pacing for %1 s while connected\n")
            .arg(m_options.seconds));
    out(QStringLiteral("The panel connects and runs a 10 ms precise QTimer for %1 s while the "
                       "simulator sends random bytes as fast as the panel reads; lateness is each "
                       "tick's interval minus 10 ms. The minimal program runs the same timer at "
                       "the same time, with no line, as the reference for what the machine "
                       "itself adds. %2 runs; median (IQR, range).\n")
            .arg(m_options.seconds)
            .arg(panel[QStringLiteral("flood_ticks")].size()));
    out(QStringLiteral("| | Panel, flooded | Minimal, reference |"));
    out(QStringLiteral("|---|---|---|"));
    out(QStringLiteral("| Timer ticks | %1 | %2 |")
            .arg(spread(panel[QStringLiteral("flood_ticks")], 0),
                 spread(minimal[QStringLiteral("flood_ticks")], 0)));
    out(QStringLiteral("| Max lateness (ms) | %1 | %2 |")
            .arg(spread(panel[QStringLiteral("flood_late_max_ms")], 1),
                 spread(minimal[QStringLiteral("flood_late_max_ms")], 1)));
    out(QStringLiteral("| p99 lateness (ms) | %1 | %2 |")
            .arg(spread(panel[QStringLiteral("flood_late_p99_ms")], 1),
                 spread(minimal[QStringLiteral("flood_late_p99_ms")], 1)));
    out(QStringLiteral("| VmRSS at start (MiB) | %1 | |").arg(spread(rssStartMiB, 1)));
    out(QStringLiteral("| VmRSS at end (MiB) | %1 | |").arg(spread(rssEndMiB, 1)));
    out(QStringLiteral("| VmRSS growth (MiB) | %1 | |").arg(spread(rssGrowthMiB, 1)));
    out(QStringLiteral("| Status bar at the end: characters shown | %1 | |")
            .arg(spread(panel[QStringLiteral("shown_chars")], 0)));
    out(QStringLiteral("| Status bar at the end: lines shown | %1 | |")
            .arg(spread(panel[QStringLiteral("shown_lines")], 0)));
    out(QStringLiteral("| Status text at the end (`statusText()`, characters) | %1 | |")
            .arg(spread(panel[QStringLiteral("status_chars")], 0)));
    out(QStringLiteral("| Window size at the end (px) | %1 × %2 | |")
            .arg(num(median(panel[QStringLiteral("final_width")]), 0),
                 num(median(panel[QStringLiteral("final_height")]), 0)));
    out(QStringLiteral("| Runs that failed or crashed | %1 of %2 | |\n")
            .arg(panelFailures)
            .arg(m_options.reps));

    const double maxLate = summarize(panel[QStringLiteral("flood_late_max_ms")]).max;
    const bool responsive =
        panelFailures == 0 && !panel[QStringLiteral("flood_late_max_ms")].empty() && maxLate <= 50;
    const bool flat = !rssGrowthMiB.empty() && median(rssGrowthMiB) <= 2.0;
    m_overview.add(QStringLiteral("Flood: worst timer lateness over all runs (ms)"),
                   num(maxLate, 1), QStringLiteral("≤ 50, no crash"), responsive);
    m_overview.add(QStringLiteral("Flood: VmRSS growth over %1 s (MiB)").arg(m_options.seconds),
                   num(median(rssGrowthMiB), 1), QStringLiteral("flat (≤ 2)"), flat);

    const auto growthMiB = [](Figures &f) {
        std::vector<double> mib;
        for (double kb : differences(f[QStringLiteral("flood_rss_end_kb")],
                                     f[QStringLiteral("flood_rss_start_kb")]))
            mib.push_back(kb / 1024);
        return mib;
    };
    out(QStringLiteral("### The same flood with the line monitor open\n"));
    out(QStringLiteral("Runs alternating with those above: the panel opens Program > Line Monitor "
                       "once connected, and the monitor lists everything read (%1 runs). With the "
                       "monitor closed the line goes through the same tap, which then only tests "
                       "a pointer.\n")
            .arg(monitored[QStringLiteral("flood_ticks")].size()));
    out(QStringLiteral("| | Monitor closed | Monitor open | Minimal, beside the open runs |"));
    out(QStringLiteral("|---|---|---|---|"));
    for (const auto &[title, key] : std::vector<std::pair<QString, QString>>{
             {QStringLiteral("Timer ticks"), QStringLiteral("flood_ticks")},
             {QStringLiteral("Max lateness (ms)"), QStringLiteral("flood_late_max_ms")},
             {QStringLiteral("p99 lateness (ms)"), QStringLiteral("flood_late_p99_ms")}}) {
        const int digits = key == QLatin1String("flood_ticks") ? 0 : 1;
        out(QStringLiteral("| %1 | %2 | %3 | %4 |")
                .arg(title, spread(panel[key], digits), spread(monitored[key], digits),
                     spread(monitoredMinimal[key], digits)));
    }
    out(QStringLiteral("| VmRSS growth (MiB) | %1 | %2 | |")
            .arg(spread(growthMiB(panel), 1), spread(growthMiB(monitored), 1)));
    out(QStringLiteral("| Lines in the monitor at the end | | %1 | |")
            .arg(spread(monitored[QStringLiteral("monitor_lines")], 0)));
    out(QStringLiteral("| Runs that failed or crashed | %1 of %3 | %2 of %3 | |\n")
            .arg(panelFailures)
            .arg(monitoredFailures)
            .arg(m_options.reps));
    const double monitoredLate = summarize(monitored[QStringLiteral("flood_late_max_ms")]).max;
    m_overview.add(QStringLiteral("Flood, line monitor open: worst timer lateness (ms)"),
                   num(monitoredLate, 1), QStringLiteral("≤ 50, no crash"),
                   monitoredFailures == 0 &&
                       !monitored[QStringLiteral("flood_late_max_ms")].empty() &&
                       monitoredLate <= 50);
}

// ---- 6. manual motion ------------------------------------------------------------

void Driver::motion()
{
    progress(QStringLiteral("manual motion"));
    out(QStringLiteral("## 6. Manual motion: press and release to the command on the line\n"));
    const auto figures =
        one(QStringLiteral("bench_motion"),
            {QStringLiteral("--samples"), QString::number(kMotionSamples)}, 10 * 60 * 1000);
    if (!figures) {
        out(QStringLiteral("Failed: %1\n").arg(m_failures.last()));
        m_overview.add(QStringLiteral("Manual motion"), QStringLiteral("failed"),
                       QStringLiteral("median ≤ 2, p99 ≤ 5 ms"), false);
        return;
    }
    struct Row
    {
        const char *key;
        const char *title;
    };
    const Row rows[] = {
        {"key_press", "Up pressed on the keyboard pad → `:Mn#`"},
        {"key_release", "Up released → `:Qn#`"},
        {"button_press", "Left button pressed on E → `:Me#`"},
        {"button_release", "Left button released on E → `:Qe#`"},
    };
    double spreadMax = 0;
    for (const Row &row : rows) {
        const auto found =
            figures->find(QString::fromLatin1(row.key) + QStringLiteral("_spread_ms"));
        if (found != figures->end())
            spreadMax = std::max(spreadMax, summarize(found->second).max);
    }
    out(QStringLiteral(
            "The panel as `src/app/main.cpp` builds it (`QtSerialLine`, a real `SleepingWait`) "
            "in one process, its Com 9 mapped to the slave of a pseudo-terminal the benchmark "
            "opens; a second thread reads the master and stamps every read with "
            "CLOCK_MONOTONIC. For each sample the panel idles 20 ms in its event loop, then a "
            "timer callback reads the clock and delivers the input to the widget (QTest key "
            "events to `PictureNav`, QTest mouse events to `CommandMoveE`); the figure is the "
            "time to the read that completes the 4-character command on the master. The four "
            "actions alternate, %1 samples each after 10 warm-up rounds. The pseudo-terminal "
            "passes a command at once (first to last byte read: at most %2 ms), so nothing was "
            "subtracted: the figures are the delay beyond the command's own wire time. On a "
            "9600-baud 8N1 line the command's last character arrives 4 × 1.0417 = 4.17 ms "
            "later still. The 200 ms pause after a slew's release comes after its stop "
            "command, so it is not in the figures. The path from the X server to the widget "
            "is not in them either.\n")
            .arg(summarize(figures->at(QStringLiteral("key_press_ms"))).count)
            .arg(num(spreadMax, 3)));
    out(QStringLiteral("| Input → command | Median (ms) | IQR (ms) | p99 (ms) | Max (ms) | "
                       "Goal: median ≤ 2, p99 ≤ 5 |"));
    out(QStringLiteral("|---|---:|---:|---:|---:|---|"));
    for (const Row &row : rows) {
        const QString key = QString::fromLatin1(row.key);
        const auto &ms = figures->at(key + QStringLiteral("_ms"));
        const Summary s = summarize(ms);
        const double p99 = percentile(ms, 0.99);
        const bool met = s.median <= 2 && p99 <= 5;
        out(QStringLiteral("| %1 | %2 | %3–%4 | %5 | %6 | %7 |")
                .arg(QString::fromUtf8(row.title), num(s.median, 3), num(s.q1, 3), num(s.q3, 3),
                     num(p99, 3), num(s.max, 3), verdict(met)));
        m_overview.add(QStringLiteral("Manual motion: %1, median / p99 (ms)").arg(key),
                       QStringLiteral("%1 / %2").arg(num(s.median, 3), num(p99, 3)),
                       QStringLiteral("≤ 2 / ≤ 5"), met);
    }
    out({});
}

// ---- 7. orrinet-hub ---------------------------------------------------------------

void Driver::hub()
{
    progress(QStringLiteral("orrinet-hub"));
    out(QStringLiteral("## 7. orrinet-hub: one line, many clients\n"));
    if (!QFile::exists(m_bin + QStringLiteral("bench_hub"))) {
        out(QStringLiteral("Not built: this tree has no `orrinet-hub`.\n"));
        return;
    }
    const QString seconds = QString::number(m_options.seconds);
    const int reps = qMax(3, m_options.reps / 4);
    // The minimal program idles beside the hub's own idle window, as the reference.
    const auto results = together(
        {{QStringLiteral("bench_hub"),
          {QStringLiteral("--seconds"), seconds, QStringLiteral("--reps"), QString::number(reps),
           QStringLiteral("--samples"), QString::number(qMax(m_options.reps * 10, 200))}},
         {QStringLiteral("bench_minimal"),
          {QStringLiteral("idle"), QStringLiteral("--seconds"), seconds}}},
        (3 * reps * (m_options.seconds + 2) + 4 * m_options.seconds + 300) * 1000);
    if (!results[0]) {
        out(QStringLiteral("Failed: %1\n").arg(m_failures.last()));
        m_overview.add(QStringLiteral("orrinet-hub"), QStringLiteral("failed"), {}, false);
        return;
    }
    Figures f = *results[0];
    Figures minimal = results[1] ? *results[1] : Figures{};
    const auto at = [&f](const QString &key) { return f[key]; };
    const auto first = [](Figures &figures, const QString &key) {
        const auto &values = figures[key];
        return values.empty() ? std::nan("") : values.front();
    };

    out(QStringLiteral(
            "`bench_hub` starts lx200sim (9600-baud pacing, `--gps-delay 2`) and `orrinet-hub "
            "--line <its pty> --max-clients 32`; the clients are plain sockets in the benchmark. "
            "Line traffic is read from the simulator's `--command-log`, whose stamps (taken when "
            "a command's `#` arrives) were put on CLOCK_MONOTONIC with marker commands on the "
            "simulator's direct tcp line. Each client polls `:GR#`, then `:GD#` on its reply, "
            "every 250 ms, the clients spread evenly over the period; %1 s windows after 1 s of "
            "warming up, %2 rounds of 1, 4 and 16 clients.\n")
            .arg(m_options.seconds)
            .arg(reps));
    out(QStringLiteral("| Clients at 4 Hz | Position replies to clients per s | Position "
                       "exchanges on the line per s | Ratio to 1 client |"));
    out(QStringLiteral("|---|---|---|---|"));
    const auto line1 = at(QStringLiteral("line_pos_per_s_1"));
    std::vector<double> ratio16;
    for (int n : {1, 4, 16}) {
        const auto line = at(QStringLiteral("line_pos_per_s_%1").arg(n));
        const auto r = ratios(line, line1);
        if (n == 16)
            ratio16 = r;
        out(QStringLiteral("| %1 | %2 | %3 | %4 |")
                .arg(n)
                .arg(spread(at(QStringLiteral("client_pos_per_s_%1").arg(n)), 1), spread(line, 2),
                     spread(r, 3)));
    }
    const bool linesMet = !ratio16.empty() && median(ratio16) <= 1.1;
    out(QStringLiteral(
            "\n- 16 clients / 1 client, position exchanges on the line: %1 (goal ≤ 1.1: %2)\n")
            .arg(spread(ratio16, 3), verdict(linesMet)));
    m_overview.add(QStringLiteral("Hub: line position exchanges, 16 / 1 client"),
                   num(median(ratio16), 3), QStringLiteral("≤ 1.1"), linesMet);

    const auto cached = at(QStringLiteral("cached_ms"));
    const auto fetched = at(QStringLiteral("fetched_ms"));
    const auto stops = at(QStringLiteral("stop_ms"));
    const auto tail = [](const std::vector<double> &v) {
        const Summary s = summarize(v);
        return QStringLiteral("%1 | %2 | %3 | %4 | %5")
            .arg(QString::number(s.count), num(s.median, 3), num(percentile(v, 0.99), 3),
                 num(s.max, 3), QStringLiteral("%1–%2").arg(num(s.q1, 3), num(s.q3, 3)));
    };
    out(QStringLiteral(
        "Latencies in ms. A `:GR#` of the 16-client runs counts as answered from the cache when "
        "no `:GR#` reached the line between its sending and its reply, else as fetched (it waited "
        "for the line, whose reply alone takes 9 characters, 9.4 ms). A stop is a client's `:Q#` "
        "sent every 50 ms while another client's `:gT#` holds the line (the simulator answers it "
        "after 2 s), to its stamp in the simulator's log.\n"));
    out(QStringLiteral("| | Samples | Median | p99 | Max | IQR | Goal |"));
    out(QStringLiteral("|---|---:|---:|---:|---:|---|---|"));
    const double cachedP99 = percentile(cached, 0.99);
    const bool cachedMet = !cached.empty() && cachedP99 <= 5;
    const double stopP99 = percentile(stops, 0.99);
    const bool stopMet = !stops.empty() && stopP99 <= 5;
    out(QStringLiteral("| `:GR#` answered from the cache, 16 clients | %1 | p99 ≤ 5: %2 |")
            .arg(tail(cached), verdict(cachedMet)));
    out(QStringLiteral("| `:GR#` that waited for the line, 16 clients | %1 | |")
            .arg(tail(fetched)));
    out(QStringLiteral("| `:Q#` to the line while `:gT#` holds it | %1 | p99 ≤ 5: %2 |\n")
            .arg(tail(stops), verdict(stopMet)));
    m_overview.add(QStringLiteral("Hub: cached `:GR#`, p50 / p99 (ms), 16 clients"),
                   QStringLiteral("%1 / %2").arg(num(median(cached), 3), num(cachedP99, 3)),
                   QStringLiteral("p99 ≤ 5"), cachedMet);
    m_overview.add(QStringLiteral("Hub: `:Q#` to the line during `:gT#`, p99 (ms)"),
                   num(stopP99, 3), QStringLiteral("≤ 5"), stopMet);

    const auto direct = at(QStringLiteral("goto_direct_ms"));
    const auto viaHub = at(QStringLiteral("goto_hub_ms"));
    const auto gotoRatio = ratios(viaHub, direct);
    const bool gotoMet = !gotoRatio.empty() && median(gotoRatio) <= 1.05;
    // On a real line the commands take their own wire time too: :Sr 13, :Sd 14 and :MS# 4
    // characters, which a pseudo-terminal or a socket passes at once.
    constexpr double kCommandWireMs = (13 + 14 + 4) * 10.0 * 1000.0 / 9600.0;
    const double realLine = (median(viaHub) + kCommandWireMs) / (median(direct) + kCommandWireMs);
    out(QStringLiteral(
            "Goto: `:Sr`, `:Sd`, `:MS#`, each sent on the previous reply, from the first write to "
            "the `:MS#` reply; the benchmark on the simulator's own tcp line (direct) and through "
            "the hub (the hub on the pty) in turn, then `:Q#`; the replies (3 characters) are "
            "paced, the commands pass at once. %1 pairs.\n")
            .arg(gotoRatio.size()));
    out(QStringLiteral("| | Median (IQR, range) |"));
    out(QStringLiteral("|---|---|"));
    out(QStringLiteral("| Direct (ms) | %1 |").arg(spread(direct, 2)));
    out(QStringLiteral("| Through the hub (ms) | %1 |").arg(spread(viaHub, 2)));
    out(QStringLiteral("| **Ratio hub / direct** (goal ≤ 1.05: %1) | %2 |")
            .arg(verdict(gotoMet), spread(gotoRatio, 3)));
    out(QStringLiteral("| Same on a 9600-baud line, where the 31 command characters take "
                       "%1 ms more on both paths | %2 |\n")
            .arg(num(kCommandWireMs, 1), num(realLine, 3)));
    m_overview.add(QStringLiteral("Hub: goto through the hub / direct"), num(median(gotoRatio), 3),
                   QStringLiteral("≤ 1.05"), gotoMet);

    const double hwmIdleMiB = first(f, QStringLiteral("rss_idle_hwm_kb")) / 1024;
    const double hwm8MiB = first(f, QStringLiteral("rss_8_hwm_kb")) / 1024;
    const double idleMain = first(f, QStringLiteral("idle_main_wakeups_per_s"));
    const double minimalMain = first(minimal, QStringLiteral("idle1_main_wakeups_per_s"));
    const bool idleMet = !std::isnan(minimalMain) && idleMain - minimalMain <= 0.2;
    out(QStringLiteral("Idle and memory: the hub on its line with no client for %1 s, its "
                       "counters read from /proc/PID (CPU from /proc/PID/stat in 10 ms ticks); "
                       "the minimal Qt program idles at the same time and counts itself. VmHWM "
                       "from /proc/PID/status, before any client and after 8 clients polled "
                       "for 3 s.\n")
            .arg(m_options.seconds));
    out(QStringLiteral("| | Hub | Minimal Qt program |"));
    out(QStringLiteral("|---|---|---|"));
    out(QStringLiteral("| Main-thread wake-ups/s, idle | %1 | %2 |")
            .arg(num(idleMain), num(minimalMain)));
    out(QStringLiteral("| All-thread wake-ups/s, idle | %1 | %2 |")
            .arg(num(first(f, QStringLiteral("idle_all_wakeups_per_s"))),
                 num(first(minimal, QStringLiteral("idle1_all_wakeups_per_s")))));
    out(QStringLiteral("| CPU ms over the window | %1 | %2 |")
            .arg(num(first(f, QStringLiteral("idle_cpu_ms")), 1),
                 num(first(minimal, QStringLiteral("idle1_cpu_ms")), 1)));
    out(QStringLiteral("| VmHWM, no client (MiB) | %1 | |").arg(num(hwmIdleMiB, 1)));
    out(QStringLiteral("| VmHWM, 8 clients polling (MiB) | %1 | |").arg(num(hwm8MiB, 1)));
    out(QStringLiteral("| VmRSS, 8 clients polling (MiB) | %1 | |")
            .arg(num(first(f, QStringLiteral("rss_8_rss_kb")) / 1024, 1)));
    out(QStringLiteral("| Ended cleanly on SIGTERM | %1 | |\n")
            .arg(first(f, QStringLiteral("hub_clean_exit")) == 1 ? QStringLiteral("yes")
                                                                 : QStringLiteral("**no**")));
    m_overview.add(QStringLiteral("Hub idle: main-thread wake-ups/s beyond the minimal program's"),
                   num(idleMain - minimalMain), QStringLiteral("≤ 0.2 (none periodic)"), idleMet);
    m_overview.add(QStringLiteral("Hub: peak RSS with 8 clients (MiB)"), num(hwm8MiB, 1),
                   QStringLiteral("reported"), true);
}

void Driver::overview() const
{
    out(QStringLiteral("## Overview\n"));
    out(QStringLiteral("| Figure | Median | Goal | Verdict |"));
    out(QStringLiteral("|---|---|---|---|"));
    for (const QString &row : m_overview.rows)
        out(row);
    out({});
    if (!m_failures.isEmpty()) {
        out(QStringLiteral("Failed runs (left out of the figures):\n"));
        for (const QString &failure : m_failures)
            out(QStringLiteral("- %1").arg(failure));
        out({});
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const Options options = parseOptions(QCoreApplication::arguments());
    QTemporaryDir config;
    if (!config.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));

    out(QStringLiteral("Qt platform: `%1`; %2 repetitions; %3 s idle windows and flood.\n")
            .arg(qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("(default)")))
            .arg(options.reps)
            .arg(options.seconds));
    Driver driver(options, config.path());
    const std::pair<QString, void (Driver::*)()> benches[] = {
        {QStringLiteral("latency"), &Driver::latency},
        {QStringLiteral("startup"), &Driver::startupAndMemory},
        {QStringLiteral("idle"), &Driver::idle},
        {QStringLiteral("flood"), &Driver::flood},
        {QStringLiteral("motion"), &Driver::motion},
        {QStringLiteral("hub"), &Driver::hub},
        {QStringLiteral("sharing"), &Driver::sharing},
    };
    for (const auto &[name, run] : benches) {
        if (options.only.contains(name))
            (driver.*run)();
    }
    driver.overview();
    return 0;
}
