#pragma once

// A pseudo-terminal pair in raw mode standing in for a serial device: the
// program opens slavePath() like a serial port; the test reads what it sent
// on the master side.

#include <QByteArray>
#include <QString>

namespace orrinet::testing {

class Pty
{
public:
    Pty();
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    bool isOpen() const { return m_master >= 0; }
    // Why opening failed.
    QString errorString() const { return m_error; }
    // The device path the program opens, such as /dev/pts/5.
    QString slavePath() const { return m_slavePath; }

    // Reads until count bytes have arrived or the time is up; returns what
    // arrived. The Qt event loop keeps turning meanwhile, so the program's
    // queued serial work goes on.
    QByteArray read(qsizetype count, int timeoutMs);

private:
    int m_master = -1;
    // Held open so that the master never sees a hang-up while the program
    // has the device closed.
    int m_slave = -1;
    QString m_slavePath;
    QString m_error;
};

} // namespace orrinet::testing
