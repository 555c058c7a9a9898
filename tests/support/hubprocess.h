#pragma once

// orrinet-hub as a child process, for end-to-end tests and benchmarks: it
// opens the given line and listens on a free loopback port, which it names
// in its log ("listening on 127.0.0.1:PORT"). Everything it logs is kept.

#include <QProcess>
#include <QStringList>

namespace orrinet::testing {

class HubProcess
{
public:
    static constexpr int kStartTimeoutMs = 10000;
    static constexpr int kStopTimeoutMs = 5000;

    HubProcess(const QString &program, const QString &line, const QStringList &arguments = {});
    ~HubProcess() { stop(); }
    HubProcess(const HubProcess &) = delete;
    HubProcess &operator=(const HubProcess &) = delete;

    bool isRunning() const { return m_port != 0 && m_process.state() != QProcess::NotRunning; }
    quint16 port() const { return m_port; }
    qint64 processId() const { return m_process.processId(); }
    QString errorString() const { return m_error; }
    // Its log so far (standard error).
    QString log();
    // SIGTERM, then SIGKILL if it does not end in time; true for a clean exit 0 in time.
    bool stop();

private:
    QProcess m_process;
    QString m_log;
    QString m_error;
    quint16 m_port = 0;
};

} // namespace orrinet::testing
