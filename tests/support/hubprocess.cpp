#include "support/hubprocess.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

namespace orrinet::testing {

HubProcess::HubProcess(const QString &program, const QString &line, const QStringList &arguments)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(program, QStringList{QStringLiteral("--line"), line, QStringLiteral("--listen"),
                                         QStringLiteral("127.0.0.1:0")} +
                                 arguments);
    static const QRegularExpression listening(
        QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (m_process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        const QRegularExpressionMatch match = listening.match(log());
        if (match.hasMatch()) {
            m_port = match.captured(1).toUShort();
            return;
        }
        m_process.waitForReadyRead(100);
    }
    m_error = QStringLiteral("orrinet-hub did not listen: ") + log();
    stop();
}

QString HubProcess::log()
{
    m_log += QString::fromLocal8Bit(m_process.readAll());
    return m_log;
}

bool HubProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    m_process.terminate();
    const bool ended = m_process.waitForFinished(kStopTimeoutMs);
    if (!ended) {
        m_process.kill();
        m_process.waitForFinished(kStopTimeoutMs);
    }
    log();
    return ended && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

} // namespace orrinet::testing
