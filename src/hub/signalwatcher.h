#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace orrinet::hub {

// Turns SIGINT and SIGTERM into a Qt signal: the handler only writes a byte
// to a socket pair, which the event loop reads. One instance per process.
class SignalWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

    // False when the socket pair or the handlers could not be set up.
    bool isActive() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    std::unique_ptr<QSocketNotifier> m_notifier;
    int m_fds[2] = {-1, -1};
};

} // namespace orrinet::hub
