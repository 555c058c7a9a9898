#include "link/linetap.h"

#include "link/linelog.h"

#include <QDateTime>

namespace orrinet {

LineTap::LineTap(SerialPort &line, QObject *parent) : SerialPort(parent), m_line(line)
{
    connect(&m_line, &SerialPort::received, this, &SerialPort::received);
    connect(&m_line, &SerialPort::connectionLost, this, &SerialPort::connectionLost);
}

bool LineTap::write(const QString &text)
{
    const bool written = m_line.write(text);
    if (m_log && written && !text.isEmpty()) {
        m_log->record(LineDirection::Written, text, QDateTime::currentMSecsSinceEpoch(), m_client);
        Q_EMIT recorded();
    }
    return written;
}

QString LineTap::readAll()
{
    QString text = m_line.readAll();
    if (m_log && !text.isEmpty()) {
        m_log->record(LineDirection::Read, text, QDateTime::currentMSecsSinceEpoch(), m_client);
        Q_EMIT recorded();
    }
    return text;
}

void LineTap::recordFor(const QString &client, LineDirection direction, QStringView bytes)
{
    if (!m_log || bytes.isEmpty())
        return;
    m_log->record(direction, bytes, QDateTime::currentMSecsSinceEpoch(), client);
    Q_EMIT recorded();
}

} // namespace orrinet
