#pragma once

// The simulator lx200sim as a child process, for end-to-end tests over a real
// pseudo-terminal. With {"--com", "7"} it maps the panel's Com 7 to its
// pseudo-terminal in the per-user settings under configHome (XDG_CONFIG_HOME);
// the test process must use the same folder, set in main() before the first
// settings object is made. SIGTERM on destruction removes the mapping.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace orrinet::testing {

class SimProcess
{
public:
    static constexpr int kStartTimeoutMs = 10000;
    static constexpr int kStopTimeoutMs = 5000;

    // Starts LX200SIM_PATH and waits for the pseudo-terminal's path, the first
    // line it prints. An empty configHome leaves XDG_CONFIG_HOME as it is.
    SimProcess(const QString &configHome, const QStringList &arguments);
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // True once the path was read and while the simulator runs.
    bool isRunning() const;
    // Why starting failed.
    QString errorString() const { return m_error; }

    // The device path the panel opens.
    QString ptyPath() const { return m_ptyPath; }
    // The next line it prints (with --tcp, the address); empty if none comes in time.
    QString readLine();
    // SIGTERM, then SIGKILL if it does not end in time. True when it ended in
    // time and cleanly.
    bool stop();

private:

    QProcess m_process;
    QString m_ptyPath;
    QString m_error;
};

} // namespace orrinet::testing
