#pragma once

// The simulator lx200sim as a child process, for tests over a real
// pseudo-terminal. With {"--com", "7"} it maps the panel's Com 7 to its
// pseudo-terminal in the per-user settings under configHome (XDG_CONFIG_HOME;
// empty leaves it as it is); SIGTERM on destruction removes the mapping.
// Observed, it keeps its --command-log and --state in a folder of its own.

#include <QList>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace orrinet::testing {

struct LoggedCommand
{
    double ms = 0;   // since the simulator started
    QString command; // escaped as the simulator writes it: "\x06" for ACK
};

// The --command-log so far, without a half-written last line.
QList<LoggedCommand> readCommandLog(const QString &path);
QMap<QString, QString> readSimState(const QString &path);

class SimProcess
{
public:
    static constexpr int kStartTimeoutMs = 10000;
    static constexpr int kStopTimeoutMs = 5000;
    enum class Observe { No, LogAndState };

    // Starts LX200SIM_PATH and reads the pseudo-terminal's path, its first line.
    SimProcess(const QString &configHome, const QStringList &arguments,
               Observe observe = Observe::No);
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    bool isRunning() const;
    QString errorString() const { return m_error; }
    QString ptyPath() const { return m_ptyPath; }
    // The next line it prints (with --tcp, the address); empty if none comes in time.
    QString readLine();
    // SIGTERM, then SIGKILL if it does not end in time; true when it ended cleanly in time.
    bool stop();

    QString commandLogPath() const { return path(QStringLiteral("commands.log")); }
    QString statePath() const { return path(QStringLiteral("state")); }
    QList<LoggedCommand> commandLog() const { return readCommandLog(commandLogPath()); }
    QMap<QString, QString> state() const { return readSimState(statePath()); }

private:
    QString path(const QString &name) const
    {
        return m_folder ? m_folder->filePath(name) : QString();
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    QProcess m_process;
    QString m_ptyPath;
    QString m_error;
};

} // namespace orrinet::testing
