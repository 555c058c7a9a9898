#include "statefile.h"

#include <QFile>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace lx200sim {

namespace {

struct Snapshot {
    QByteArray text;
    bool moving = false;
};

Snapshot snapshot(Telescope &telescope)
{
    Mount &mount = telescope.mount();
    Focuser &focuser = telescope.focuser();
    // Motion first: should it end meanwhile, the position read after it is
    // already the final one, and the next write shows the motion ended.
    const int raDirection = mount.raDirection();
    const int decDirection = mount.decDirection();
    const bool gotoActive = mount.gotoActive();
    const int focuserDirection = focuser.direction();
    const Equatorial position = mount.position();

    QByteArray text;
    const auto line = [&text](const char *key, const QByteArray &value) {
        text += QByteArray(key) + '=' + value + '\n';
    };
    const auto number = [](double value) { return QByteArray::number(value, 'g', 10); };
    const auto flag = [](bool on) { return QByteArray(on ? "1" : "0"); };
    line("ra_direction", QByteArray::number(raDirection));
    line("dec_direction", QByteArray::number(decDirection));
    line("ra_rate", number(mount.raMoveRate()));
    line("dec_rate", number(mount.decMoveRate()));
    line("goto", flag(gotoActive));
    line("focuser_direction", QByteArray::number(focuserDirection));
    line("focuser_speed", QByteArray::number(focuser.speed()));
    line("focuser_position", QByteArray::number(std::llround(focuser.position())));
    line("tracking", flag(mount.tracking()));
    line("parked", flag(telescope.parked()));
    line("asleep", flag(telescope.asleep()));
    line("ra_deg", QByteArray::number(position.raHours * 15.0, 'f', 6));
    line("dec_deg", QByteArray::number(position.decDegrees, 'f', 6));
    // Judged from what was written, so the motion that ends is written once more.
    return {text, gotoActive || raDirection != 0 || decDirection != 0 || focuserDirection != 0};
}

} // namespace

StateFile::StateFile(Telescope &telescope, const QString &path, QObject *parent)
    : QObject(parent), m_telescope(telescope), m_path(path)
{
    // Coarse timers may fire up to 5% late; readers count on the interval.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { write(); });
}

bool StateFile::write(QString *error)
{
    const Snapshot now = snapshot(m_telescope);
    if (now.moving && !m_timer.isActive())
        m_timer.start();
    else if (!now.moving)
        m_timer.stop();

    // Not QSaveFile: its fsync takes milliseconds, and this runs between a
    // command and its reply.
    const QString temporary = m_path + QStringLiteral(".tmp");
    QFile file(temporary);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         file.write(now.text) == now.text.size() && file.flush();
    file.close();
    if (written && std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(m_path).constData()) == 0)
        return true;
    const QString reason = written ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString();
    const QString message = QStringLiteral("--state: %1: %2").arg(m_path, reason);
    if (error)
        *error = message;
    else if (!m_failureReported)
        std::fprintf(stderr, "lx200sim: %s\n", message.toLocal8Bit().constData());
    m_failureReported = true;
    return false;
}

} // namespace lx200sim
