#include "support/fakeserialport.h"

#include "support/recordingwait.h"

#include <utility>

namespace orrinet {

namespace {
constexpr int highestPort = 255;
}

FakeSerialPort::FakeSerialPort(RecordingWait *clock, QObject *parent)
    : SerialPort(parent), m_clock(clock)
{
}

bool FakeSerialPort::open()
{
    ++m_openCount;
    m_lastPortNumber = m_portNumber;
    if (m_open) {
        m_error = QStringLiteral("Port already open");
        return false;
    }
    if (m_portNumber < 1 || m_portNumber > highestPort) {
        m_error = QStringLiteral("Invalid port number");
        return false;
    }
    if (!m_openFailure.isEmpty()) {
        m_error = m_openFailure;
        return false;
    }
    m_error.clear();
    m_input.clear();
    m_open = true;
    return true;
}

void FakeSerialPort::close()
{
    m_open = false;
    m_input.clear();
}

bool FakeSerialPort::write(const QString &text)
{
    if (!m_open) {
        m_refused << text;
        return false;
    }
    m_writes.push_back({text, m_clock ? m_clock->elapsed() : 0, m_threshold});
    return true;
}

QString FakeSerialPort::readAll()
{
    if (!m_open)
        return {};
    ++m_readCount;
    return std::exchange(m_input, QString());
}

QStringList FakeSerialPort::writtenTexts() const
{
    QStringList texts;
    for (const Write &write : m_writes)
        texts << write.text;
    return texts;
}

void FakeSerialPort::feed(const QString &text)
{
    if (!m_open)
        return;
    m_input += text;
    if (m_delivering)
        return; // the delivery under way looks again when its handler returns
    while (m_open && m_threshold > 0 && m_input.size() >= m_threshold) {
        const qsizetype before = m_input.size();
        const int readsBefore = m_readCount;
        deliver(EventReceive);
        // The real line would raise again after a quiet gap even when the
        // handler left the input alone; here that would never end, so the
        // next feed() raises it instead.
        if (m_readCount == readsBefore && m_input.size() == before)
            break;
    }
}

void FakeSerialPort::raiseEvent(int kind)
{
    deliver(kind);
}

void FakeSerialPort::deliver(int kind)
{
    m_delivering = true;
    m_event = kind;
    Q_EMIT received();
    m_event = EventNone;
    m_delivering = false;
}

void FakeSerialPort::loseConnection(const QString &reason)
{
    if (!m_open)
        return;
    close();
    m_event = EventLost;
    Q_EMIT connectionLost(reason);
    m_event = EventNone;
}

} // namespace orrinet
