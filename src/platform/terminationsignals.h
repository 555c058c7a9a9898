#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <initializer_list>
#include <memory>
#include <vector>

namespace orrinet {

// Turns termination signals (SIGTERM at logout, SIGINT from a terminal) into
// a Qt signal through a self-pipe: the panel then closes in its event loop as
// if its window were closed, so that a held move is stopped and the port
// closed, instead of dying with the telescope still moving.
class TerminationSignals final : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(std::initializer_list<int> signalNumbers,
                                QObject *parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void caught(int signalNumber);

private:
    void drain();

    std::vector<int> m_signalNumbers;
    int m_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace orrinet
