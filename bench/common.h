#pragma once

// Shared by the benchmark programs: the machine-wide clock, counters from
// /proc, statistics, child processes, and the subject modes that both the
// panel harness and the minimal reference program run.
//
// A subject reports each figure as one "key value" line on standard output;
// the driver collects them per key.

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <sys/types.h>
#include <vector>

class QWidget;

namespace orrinet::bench {

// CLOCK_MONOTONIC in nanoseconds: one clock for every process on the machine.
qint64 monotonicNs();

// A "kB" field of /proc/self/status such as "VmHWM" or "VmRSS"; -1 if missing.
qint64 statusKb(const char *field);
// The same of another process, procDir being "/proc/PID".
qint64 statusKb(const QString &procDir, const char *field);

struct ProcessCounters
{
    qint64 atNs = 0;
    double cpuMs = 0;        // user + system time of all threads
    qint64 mainSwitches = 0; // voluntary + nonvoluntary, user-interface thread
    qint64 allSwitches = 0;  // the same, summed over every thread
};
ProcessCounters processCounters();
// The same counters of another process, read from procDir ("/proc/PID");
// its CPU time comes from /proc/PID/stat in clock ticks (10 ms).
ProcessCounters processCounters(const QString &procDir);

void report(const QString &key, double value);

// Median, quartiles and extremes of a sample.
struct Summary
{
    std::size_t count = 0;
    double median = 0;
    double q1 = 0;
    double q3 = 0;
    double min = 0;
    double max = 0;
};
Summary summarize(std::vector<double> values);
// p in 0..1, linear interpolation between the nearest ranks.
double percentile(std::vector<double> values, double p);

// ---- subjects -------------------------------------------------------------

// <program> startup|idle|flood [--com N] [--seconds S] [--monitor 1]
//   startup  first shown frame, then VmHWM after start-up and after connecting
//   idle     CPU time and context switches over two idle windows: before and
//            after connecting (the minimal program just idles twice)
//   flood    lateness of a 10 ms timer and VmRSS while connected
struct SubjectArgs
{
    QString mode;
    int comPort = 0;   // 0: nothing to connect to
    int seconds = 10;  // length of each idle window and of the flood
    int monitor = 0;   // 1: the panel opens its line monitor once connected
    qint64 mainNs = 0; // when main() began (parseSubjectArgs is its first call)
    qint64 appNs = 0;  // set by main() once the QApplication and its style exist
};
SubjectArgs parseSubjectArgs(int argc, char **argv);

struct SubjectHooks
{
    std::function<bool()> connect;     // empty for the minimal program
    std::function<void()> finalReport; // extra figures at the end of a run
};

// Shows the window, runs the mode and the event loop; returns the exit code.
// Also reports main_ns, app_ns and built_ns (the window constructed, before
// show()), which split the start-up time.
int runSubject(QWidget &window, const SubjectArgs &args, const SubjectHooks &hooks);

// ---- the driver's side ----------------------------------------------------

using Figures = std::map<QString, std::vector<double>>;

// A subject process started with posix_spawn, its standard output on a pipe.
class Child
{
public:
    // program is an absolute path. spawnedNs() is taken just before the spawn.
    Child(const QString &program, const QStringList &arguments);
    ~Child();
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;

    qint64 spawnedNs() const { return m_spawnedNs; }

    // Reads the figures until the child ends (killing it after timeoutMs);
    // false when it could not start, was killed, crashed or failed.
    bool finish(int timeoutMs, Figures &figures, QString &failure);

private:
    pid_t m_pid = -1;
    int m_out = -1;
    qint64 m_spawnedNs = 0;
    QString m_startError;
};

} // namespace orrinet::bench
