#pragma once

// A pseudo-terminal pair in raw mode, standing in for a serial device: the
// program under test opens slavePath() like a serial port; the test talks on
// the master side. Reads keep the Qt event loop turning, so that the
// program's own queued serial work goes on while the test waits.

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

    int masterFd() const { return m_master; }
    // The device path the program opens, such as /dev/pts/5.
    QString slavePath() const { return m_slavePath; }

    // Sends bytes as if the device had sent them. False if not all could be
    // written within the time.
    bool write(const QByteArray &bytes, int timeoutMs = 1000);

    // Reads until count bytes have arrived or the time is up; returns what
    // arrived (fewer bytes on a time-out).
    QByteArray read(qsizetype count, int timeoutMs = 1000);

    // Reads until nothing has arrived for quietMs, or timeoutMs in all.
    QByteArray readUntilQuiet(int quietMs = 100, int timeoutMs = 2000);

private:
    // Waits up to timeoutMs for input, keeping events flowing; false on time-out.
    bool waitReadable(int timeoutMs);

    int m_master = -1;
    // Held open so that the master never sees a hang-up while the program
    // has the device closed.
    int m_slave = -1;
    QString m_slavePath;
    QString m_error;
};

} // namespace orrinet::testing
