#include "support/simprocess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcessEnvironment>

namespace orrinet::testing {

QList<LoggedCommand> readCommandLog(const QString &path)
{
    QFile file(path);
    QList<LoggedCommand> commands;
    QList<QByteArray> lines =
        file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>{""};
    lines.removeLast(); // what follows the last line end: nothing, or a line being written
    for (const QByteArray &line : std::as_const(lines)) {
        // "MS.mmm COMMAND"; a command may hold blanks itself (":Sr 05:07:09#").
        const qsizetype blank = line.indexOf(' ');
        bool ok = false;
        const double ms = line.left(blank).toDouble(&ok);
        if (blank > 0 && ok)
            commands.append({ms, QString::fromLatin1(line.mid(blank + 1))});
    }
    return commands;
}

QMap<QString, QString> readSimState(const QString &path)
{
    QFile file(path);
    QMap<QString, QString> state;
    for (const QByteArray &line :
         file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>{}) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            state.insert(QString::fromLatin1(line.left(equals)),
                         QString::fromLatin1(line.mid(equals + 1)));
    }
    return state;
}

SimProcess::SimProcess(const QString &configHome, const QStringList &arguments, Observe observe)
{
    QStringList allArguments = arguments;
    if (observe == Observe::LogAndState) {
        m_folder = std::make_unique<QTemporaryDir>();
        allArguments << QStringLiteral("--command-log") << commandLogPath()
                     << QStringLiteral("--state") << statePath();
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!configHome.isEmpty())
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(LX200SIM_PATH), allArguments);
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
