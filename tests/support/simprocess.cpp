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
    m_ptyPath = readLine();
    if (m_ptyPath.isEmpty()) {
        m_error = QStringLiteral("lx200sim printed no device path");
        stop();
    }
}

SimProcess::~SimProcess()
{
    stop();
}

QString SimProcess::readLine()
{
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!m_process.canReadLine() && m_process.state() != QProcess::NotRunning &&
           !deadline.hasExpired())
        m_process.waitForReadyRead(static_cast<int>(qMin<qint64>(deadline.remainingTime(), 100)));
    return QString::fromLocal8Bit(m_process.readLine()).trimmed();
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
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    m_process.kill();
    m_process.waitForFinished(kStopTimeoutMs);
    return false;
}

} // namespace orrinet::testing
