#pragma once

#include "platform/serialport.h"

#include <QStringList>
#include <vector>

namespace orrinet {

class RecordingWait;

// A serial port for tests. Records what is written together with the
// virtual time of a RecordingWait and the receive threshold at that moment;
// delivers fed replies synchronously through received().
class FakeSerialPort final : public SerialPort
{
    Q_OBJECT

public:
    struct Write
    {
        QString text;
        int at = 0; // virtual milliseconds of the clock, 0 without one
        int thresholdAtWrite = 0;
    };

    explicit FakeSerialPort(RecordingWait *clock = nullptr, QObject *parent = nullptr);

    void setPortNumber(int number) override { m_portNumber = number; }
    int portNumber() const override { return m_portNumber; }
    // Fails with "Invalid port number" outside 1..255, as the real line does
    // for numbers without a device, and with the failOpenWith() text if set.
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    QString errorString() const override { return m_error; }
    bool write(const QString &text) override;
    void setReceiveThreshold(int count) override { m_threshold = count; }
    int receiveThreshold() const override { return m_threshold; }
    QString readAll() override;
    QString peekAll() override { return m_open ? m_input : QString(); }
    int commEvent() const override { return m_event; }

    // Successful writes, oldest first.
    const std::vector<Write> &writes() const { return m_writes; }
    // Texts written while the port was closed (and so refused), oldest first.
    const QStringList &refusedWrites() const { return m_refused; }
    QStringList writtenTexts() const;
    void clearWrites() { m_writes.clear(); }

    // Calls of open(), failed ones included.
    int openCount() const { return m_openCount; }
    // The port number of the last open() call.
    int lastPortNumber() const { return m_lastPortNumber; }

    // Every later open() fails with this description; "" lets opens succeed again.
    void failOpenWith(const QString &description) { m_openFailure = description; }

    // Characters arriving from the telescope. Ignored while closed. Once the
    // threshold (> 0) is reached, received() is delivered before feed()
    // returns, again as long as the handler reads and enough is left; a
    // handler that reads nothing gets one delivery per feed. Feeding from
    // inside a handler only buffers.
    void feed(const QString &text);
    // Unread input.
    QString buffered() const { return m_input; }
    // Raises received() with some other event kind, which handlers ignore.
    void raiseEvent(int kind);
    // The device goes away: the port closes and connectionLost(reason) is emitted.
    void loseConnection(const QString &reason);

private:
    void deliver(int kind);

    RecordingWait *m_clock = nullptr;
    std::vector<Write> m_writes;
    QStringList m_refused;
    QString m_input;
    QString m_error;
    QString m_openFailure;
    int m_portNumber = 0;
    int m_lastPortNumber = 0;
    int m_openCount = 0;
    int m_threshold = 1;
    int m_event = EventNone;
    int m_readCount = 0;
    bool m_open = false;
    bool m_delivering = false;
};

} // namespace orrinet
