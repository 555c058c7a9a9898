#include "platform/qtserialline.h"

#include "platform/portdevices.h"

#include <utility>

namespace orrinet {

QtSerialLine::QtSerialLine(const SettingsStore &settings, QObject *parent)
    : SerialPort(parent), m_settings(settings)
{
    for (QTimer *timer : {&m_quiet, &m_cap}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, &QtSerialLine::deliver);
    }
    m_quiet.setInterval(quietGapMs);
    m_cap.setInterval(receiveCapMs);

    connect(&m_serial, &QSerialPort::readyRead, this, [this] { takeInput(&m_serial); });
    connect(&m_serial, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) {
                if (m_active != &m_serial)
                    return;
                if (error == QSerialPort::ResourceError) {
                    reportLost(m_device + QStringLiteral(": ") + m_serial.errorString());
                } else if (error == QSerialPort::ReadError) {
                    // A hung-up terminal reads as end of file, which comes back as a
                    // read error on every notification, with a stale error text.
                    reportLost(m_device + QStringLiteral(": the device hung up"));
                }
            });

    connect(&m_socket, &QTcpSocket::readyRead, this, [this] { takeInput(&m_socket); });
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_active == &m_socket)
            reportLost(m_bridgeAddress + QStringLiteral(": ") + m_socket.errorString());
    });
    connect(&m_socket, &QTcpSocket::disconnected, this, [this] {
        if (m_active == &m_socket)
            reportLost(m_bridgeAddress + QStringLiteral(": connection closed"));
    });
}

QtSerialLine::~QtSerialLine()
{
    close();
    m_serial.disconnect(this);
    m_socket.disconnect(this);
}

bool QtSerialLine::open()
{
    if (isOpen()) {
        m_error = QStringLiteral("Port already open");
        return false;
    }
    m_device = m_fixedDevice.isEmpty() ? deviceForPort(m_portNumber, m_settings) : m_fixedDevice;
    if (m_device.isEmpty()) {
        m_error = QStringLiteral("Invalid port number");
        return false;
    }
    if (!(isNetworkBridge(m_device) ? openBridge() : openSerial()))
        return false;
    m_error.clear();
    m_input.clear();
    m_losing = false;
    ++m_session;
    return true;
}

bool QtSerialLine::openSerial()
{
    m_serial.setPortName(m_device);
    m_serial.setBaudRate(baudRate);
    m_serial.setDataBits(QSerialPort::Data8);
    m_serial.setParity(QSerialPort::NoParity);
    m_serial.setStopBits(QSerialPort::OneStop);
    m_serial.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_serial.open(QIODevice::ReadWrite)) {
        m_error = m_device + QStringLiteral(": ") + m_serial.errorString();
        return false;
    }
    m_active = &m_serial;
    return true;
}

bool QtSerialLine::openBridge()
{
    const std::optional<NetworkBridge> bridge = parseNetworkBridge(m_device);
    if (!bridge) {
        m_error = m_device + QStringLiteral(": not a network address of the form tcp://HOST:PORT");
        return false;
    }
    m_bridgeAddress = bridge->address;
    m_socket.abort();
    m_socket.connectToHost(bridge->host, bridge->port);
    if (!m_socket.waitForConnected(bridgeConnectTimeoutMs)) {
        m_error = m_bridgeAddress + QStringLiteral(": ") + m_socket.errorString();
        m_socket.abort();
        return false;
    }
    // Commands are a few bytes each and their spacing matters: no coalescing.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_active = &m_socket;
    return true;
}

void QtSerialLine::close()
{
    m_quiet.stop();
    m_cap.stop();
    m_input.clear();
    QIODevice *const device = std::exchange(m_active, nullptr);
    if (device == &m_serial) {
        m_serial.close();
    } else if (device == &m_socket) {
        m_socket.flush();
        m_socket.abort();
    }
}

bool QtSerialLine::write(const QString &text)
{
    if (!m_active)
        return false;
    const QByteArray bytes = text.toLatin1();
    if (m_active == &m_serial)
        m_serial.clearError();
    if (m_active->write(bytes) != bytes.size())
        return false;
    // Hand the bytes to the system now: the caller may block in a pause
    // before the event loop runs again, and the pause must fall between
    // the commands on the wire.
    if (m_active == &m_serial) {
        m_serial.flush();
        const QSerialPort::SerialPortError error = m_serial.error();
        return error != QSerialPort::WriteError && error != QSerialPort::ResourceError;
    }
    m_socket.flush();
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

void QtSerialLine::setReceiveThreshold(int count)
{
    m_threshold = qMax(count, 0);
    if (m_delivering)
        return; // looked at again when the handler returns
    if (thresholdReached()) {
        armReceive();
    } else {
        m_quiet.stop();
        m_cap.stop();
    }
}

QString QtSerialLine::readAll()
{
    if (!m_active)
        return {};
    m_input += m_active->readAll();
    return QString::fromLatin1(std::exchange(m_input, QByteArray()));
}

void QtSerialLine::takeInput(QIODevice *device)
{
    if (device != m_active)
        return;
    m_input += device->readAll();
    if (!thresholdReached())
        return;
    // Input that ends in a reply terminator is complete: deliver it without
    // waiting for the line to fall quiet (saves about 3 ms per exchange).
    if (m_input.endsWith('#')) {
        m_quiet.stop();
        m_cap.stop();
        QMetaObject::invokeMethod(this, &QtSerialLine::deliver, Qt::QueuedConnection);
        return;
    }
    if (!m_cap.isActive())
        m_cap.start();
    m_quiet.start(); // each chunk restarts the quiet gap
}

bool QtSerialLine::thresholdReached() const
{
    return m_active && !m_losing && m_threshold > 0 && m_input.size() >= m_threshold;
}

void QtSerialLine::armReceive()
{
    if (!m_cap.isActive())
        m_cap.start();
    if (!m_quiet.isActive())
        m_quiet.start();
}

void QtSerialLine::deliver()
{
    m_quiet.stop();
    m_cap.stop();
    if (m_delivering || !thresholdReached())
        return;
    const quint64 session = m_session;
    m_delivering = true;
    m_event = EventReceive;
    Q_EMIT received();
    m_event = EventNone;
    m_delivering = false;
    // Input left over (unread, or arrived meanwhile) raises the event again
    // after the same quiet gap.
    if (session == m_session && thresholdReached())
        armReceive();
}

void QtSerialLine::reportLost(const QString &reason)
{
    if (m_losing)
        return;
    m_losing = true;
    m_quiet.stop();
    m_cap.stop();
    // Closed from the event loop rather than inside the device's own signal.
    QMetaObject::invokeMethod(
        this, [this, session = m_session, reason] { finishLost(session, reason); },
        Qt::QueuedConnection);
}

void QtSerialLine::finishLost(quint64 session, const QString &reason)
{
    if (session != m_session || !m_active)
        return; // closed or reopened since
    close();
    m_event = EventLost;
    Q_EMIT connectionLost(reason);
    m_event = EventNone;
}

} // namespace orrinet
