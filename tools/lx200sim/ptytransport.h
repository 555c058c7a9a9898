#pragma once

#include "lineoutput.h"

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <memory>

namespace lx200sim {

// A pseudo-terminal standing in for the serial port. Clients open the slave
// device; the simulator reads and writes the master and keeps a slave
// descriptor of its own, so the terminal outlives every client. Clients are
// counted by watching the device for opens and closes. When the last one
// leaves, what it left unread is thrown away and its exclusive-use flag
// (TIOCEXCL, which serial libraries set) is cleared, as a real port forgets
// both on its last close; the next client starts clean.
class PtyTransport : public QObject, public ByteSink {
    Q_OBJECT
public:
    explicit PtyTransport(QObject *parent = nullptr);
    ~PtyTransport() override;

    bool open(QString *error);
    QString slavePath() const { return m_slavePath; }
    bool clientConnected() const { return m_clients > 0; }

    // Closes the line: the client's reads end and its writes fail with EIO.
    void hangUp();

    // Bytes sent while no client has the device open are lost, as on a wire.
    qint64 writeBytes(QByteArrayView bytes) override;

Q_SIGNALS:
    void received(const QByteArray &bytes);
    void clientArrived();
    void clientGone();

private:
    void readMaster();
    void readOpensAndCloses();
    void discardUnread();

    int m_master = -1;
    int m_slave = -1;
    int m_watch = -1;       // inotify descriptor
    int m_clients = 0;
    QString m_slavePath;
    std::unique_ptr<QSocketNotifier> m_masterNotifier;
    std::unique_ptr<QSocketNotifier> m_watchNotifier;
};

} // namespace lx200sim
