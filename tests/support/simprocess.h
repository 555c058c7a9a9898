#pragma once

// The simulator lx200sim as a child process, for end-to-end tests over a real
// pseudo-terminal. With {"--com", "7"} it maps the panel's Com 7 to its
// pseudo-terminal in the per-user settings under configHome (XDG_CONFIG_HOME);
// the test process must use the same folder, set in main() before the first
// settings object is made. SIGTERM on destruction removes the mapping.
// Observed, it keeps its command log and motion state in a folder of its own
// (--command-log, --state), read with commandLog() and state().

#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace orrinet::testing {

// One line of the simulator's --command-log.
struct LoggedCommand
{
    double ms = 0;   // since the simulator started
    QString command; // escaped as the simulator writes it: "\x06" for ACK
};

// The --command-log file so far; a half-written last line is left out.
QList<LoggedCommand> readCommandLog(const QString &path);
// The --state file as key -> value; empty if there is none yet.
QMap<QString, QString> readSimState(const QString &path);

class SimProcess
{
public:
    static constexpr int kStartTimeoutMs = 10000;
    static constexpr int kStopTimeoutMs = 5000;

    // Starts LX200SIM_PATH and waits for the pseudo-terminal's path, the first
    // line it prints. An empty configHome leaves XDG_CONFIG_HOME as it is.
    enum class Observe { No, LogAndState };

    SimProcess(const QString &configHome, const QStringList &arguments,
               Observe observe = Observe::No);
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

    // Observed only; empty otherwise.
    QString commandLogPath() const;
    QString statePath() const;
    QList<LoggedCommand> commandLog() const { return readCommandLog(commandLogPath()); }
    QMap<QString, QString> state() const { return readSimState(statePath()); }

private:
    std::unique_ptr<QTemporaryDir> m_folder; // observed: holds both files
    QProcess m_process;
    QString m_ptyPath;
    QString m_error;
};

} // namespace orrinet::testing
