#pragma once

#include "platform/serialport.h"

#include <QByteArray>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTimer>

namespace orrinet {

class SettingsStore;

// The real serial line: a serial device through QSerialPort (9600 baud, 8N1,
// no flow control), or a network serial bridge ("tcp://HOST:PORT") through
// QTcpSocket. Which device a port number means comes from deviceForPort(),
// unless a device is given directly.
//
// The receive event waits, once the threshold is reached, for the line to
// fall quiet (a little over two character times) but no longer than
// receiveCapMs, so that a reply a few characters longer than its threshold
// is read whole.
class QtSerialLine final : public SerialPort
{
    Q_OBJECT

public:
    static constexpr int baudRate = 9600;
    static constexpr int quietGapMs = 3;
    static constexpr int receiveCapMs = 50;
    static constexpr int bridgeConnectTimeoutMs = 3000;

    explicit QtSerialLine(const SettingsStore &settings, QObject *parent = nullptr);
    ~QtSerialLine() override;

    // Opens this device (a path or "tcp://HOST:PORT") instead of the one a
    // port number stands for; "" goes back to the port number.
    void setDevice(const QString &device) { m_fixedDevice = device; }

    void setPortNumber(int number) override { m_portNumber = number; }
    int portNumber() const override { return m_portNumber; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_active != nullptr; }
    QString errorString() const override { return m_error; }
    bool write(const QString &text) override;
    void setReceiveThreshold(int count) override;
    int receiveThreshold() const override { return m_threshold; }
    QString readAll() override;
    int commEvent() const override { return m_event; }

    // The device the last open() used or tried ("" if the number had none).
    QString device() const { return m_device; }

private:
    bool openSerial();
    bool openBridge();
    void takeInput(QIODevice *device);
    bool thresholdReached() const;
    void armReceive();
    void deliver();
    void reportLost(const QString &reason);
    void finishLost(quint64 session, const QString &reason);

    const SettingsStore &m_settings;
    QSerialPort m_serial;
    QTcpSocket m_socket;
    QTimer m_quiet;
    QTimer m_cap;
    QIODevice *m_active = nullptr; // &m_serial or &m_socket while open
    QByteArray m_input;
    QString m_device;
    QString m_fixedDevice;
    QString m_bridgeAddress;
    QString m_error;
    quint64 m_session = 0; // counts opens, so a stale loss report is ignored
    int m_portNumber = 0;
    int m_threshold = 1;
    int m_event = EventNone;
    bool m_delivering = false;
    bool m_losing = false;
};

} // namespace orrinet
