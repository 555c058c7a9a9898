#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <initializer_list>
#include <memory>

namespace lx200sim {

// Turns SIGINT/SIGTERM into a Qt signal through a self-pipe, so shutdown runs
// in the event loop and not inside the signal handler.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(std::initializer_list<int> signalNumbers, QObject *parent = nullptr);
    ~SignalWatcher() override;

Q_SIGNALS:
    void caught(int signalNumber);

private:
    void drain();

    int m_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace lx200sim
