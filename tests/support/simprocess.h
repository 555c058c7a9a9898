#pragma once

// The simulator lx200sim run as a child process, for end-to-end tests over
// a real pseudo-terminal:
//
//     SimProcess sim(configHome, {"--com", "7"});   // configHome: a temporary dir
//     QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
//     sim.ptyPath();                                 // e.g. /dev/pts/4
//
// With --com N the simulator maps the panel's Com N to its pseudo-terminal in
// the per-user settings under configHome (XDG_CONFIG_HOME). For the panel's
// own settings store to see that mapping, the test process must use the same
// folder, set before the first settings object is made (the location is fixed
// for the process then), e.g. by qputenv("XDG_CONFIG_HOME", ...) in main().
// The destructor stops the simulator with SIGTERM, which removes the mapping.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace orrinet::testing {

class SimProcess
{
public:
    static constexpr int kStartTimeoutMs = 10000;
    static constexpr int kStopTimeoutMs = 5000;

    // Starts LX200SIM_PATH with the arguments and waits for the first line
    // of its standard output, the pseudo-terminal's path. An empty configHome
    // leaves XDG_CONFIG_HOME as this process has it. The simulator's standard
    // error goes to this process's.
    SimProcess(const QString &configHome, const QStringList &arguments);
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // True once the path was read and while the simulator runs.
    bool isRunning() const;
    // Why starting failed.
    QString errorString() const { return m_error; }

    // The device path the panel opens (the first line of standard output).
    QString ptyPath() const { return m_ptyPath; }
    // Every further line printed so far at start (tcp://... with --tcp).
    QStringList endpoints() const { return m_endpoints; }

    // Sends SIGTERM and waits; kills it if it does not end in time. True when
    // it ended within the time. Also done by the destructor.
    bool stop();

private:
    bool readFirstLine();

    QProcess m_process;
    QString m_ptyPath;
    QStringList m_endpoints;
    QString m_error;
};

} // namespace orrinet::testing
