#include "support/simprocess.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>

namespace orrinet::testing {

SimProcess::SimProcess(const QString &configHome, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!configHome.isEmpty())
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(LX200SIM_PATH), arguments);
    if (!m_process.waitForStarted(kStartTimeoutMs)) {
        m_error = QStringLiteral("lx200sim did not start: ") + m_process.errorString();
        return;
    }
    if (!readFirstLine())
        stop();
}

SimProcess::~SimProcess()
{
    stop();
}

bool SimProcess::readFirstLine()
{
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!m_process.canReadLine()) {
        if (m_process.state() == QProcess::NotRunning) {
            m_error = QStringLiteral("lx200sim ended at start, exit code %1").arg(m_process.exitCode());
            return false;
        }
        if (deadline.hasExpired()) {
            m_error = QStringLiteral("lx200sim printed no device path in time");
            return false;
        }
        m_process.waitForReadyRead(static_cast<int>(qMin<qint64>(deadline.remainingTime(), 100)));
    }
    m_ptyPath = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    if (m_ptyPath.isEmpty()) {
        m_error = QStringLiteral("lx200sim printed an empty device path");
        return false;
    }
    return true;
}

bool SimProcess::isRunning() const
{
    return !m_ptyPath.isEmpty() && m_process.state() != QProcess::NotRunning;
}

bool SimProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return true;
    m_process.terminate(); // SIGTERM: the simulator removes its port mapping on the way out
    if (m_process.waitForFinished(kStopTimeoutMs))
        return true;
    m_process.kill();
    m_process.waitForFinished(kStopTimeoutMs);
    return false;
}

} // namespace orrinet::testing
