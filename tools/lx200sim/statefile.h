#pragma once

#include "telescope.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace lx200sim {

// --state: the telescope's motion as "key=value" lines, for tests that watch
// it from outside the line. The file is replaced whole (PATH.tmp, then
// rename), so a reader never sees half of it: after every command and, while
// anything moves, every kIntervalMs, so that a goto or an end stop that ends
// the motion by itself shows too. While all stands still it is left alone.
class StateFile : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 40;

    StateFile(Telescope &telescope, const QString &path, QObject *parent = nullptr);

    // Writes the present state, after each command and on the timer; true
    // when the file was replaced. A failure without `error` is reported on
    // standard error once.
    bool write(QString *error = nullptr);

private:
    Telescope &m_telescope;
    QString m_path;
    QTimer m_timer;
    bool m_failureReported = false;
};

} // namespace lx200sim
