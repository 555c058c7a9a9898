// Manual motion latency: from a key or mouse-button press or release to its
// move or stop command on the line. The panel as src/app/main.cpp builds it,
// its Com port mapped to a pseudo-terminal that this program opens; a second
// thread reads the other end and stamps every read with CLOCK_MONOTONIC.
//
//     bench_motion [--samples N]      (N per action, default 200)
//
// Prints <action>_ms (input to the command's last byte on the line) and
// <action>_spread_ms (its first to last byte) once per sample.

#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "app/panelstyle.h"
#include "app/picturebox.h"
#include "common.h"
#include "platform/platform.h"
#include "platform/portdevices.h"
#include "platform/qtcursor.h"
#include "platform/qtmessageboxes.h"
#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"
#include "platform/sleepingwait.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <optional>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using orrinet::bench::monotonicNs;
using orrinet::bench::report;

namespace {

constexpr int kComPort = 9;
constexpr int kWarmUpRounds = 10;
constexpr int kIdleMs = 20; // the panel idles in its event loop before each input
constexpr int kArrivalTimeoutMs = 1000;

// A pseudo-terminal: the panel opens the slave, a reader thread watches the
// master. The slave stays open here too, so the master never sees a hang-up.
class PtyLine
{
public:
    PtyLine()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128] = {};
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
            ::ptsname_r(m_master, name, sizeof name) != 0)
            return;
        m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_slave < 0)
            return;
        termios raw{};
        ::tcgetattr(m_slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slave, TCSANOW, &raw);
        path = QString::fromLocal8Bit(name);
        m_reader = std::jthread([this](std::stop_token stop) { readMaster(stop); });
    }
    ~PtyLine()
    {
        if (m_reader.joinable()) {
            m_reader.request_stop();
            m_reader.join();
        }
        for (int fd : {m_slave, m_master}) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    PtyLine(const PtyLine &) = delete;
    PtyLine &operator=(const PtyLine &) = delete;

    struct Arrival
    {
        QByteArray bytes;
        qint64 firstNs = 0;
        qint64 lastNs = 0;
    };

    // The next `count` bytes the panel wrote, with when the first and the last
    // were read; nothing if they do not come within timeoutMs.
    std::optional<Arrival> take(qsizetype count, int timeoutMs)
    {
        std::unique_lock lock(m_mutex);
        if (!m_arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [&] { return m_bytes.size() >= count; }))
            return std::nullopt;
        Arrival arrival{m_bytes.left(count), m_stamps[0], m_stamps[count - 1]};
        m_bytes.remove(0, count);
        m_stamps.erase(m_stamps.begin(), m_stamps.begin() + count);
        return arrival;
    }

    // Forgets what was read so far (the commands of connecting).
    void forget()
    {
        const std::lock_guard lock(m_mutex);
        m_bytes.clear();
        m_stamps.clear();
    }

    QString path; // empty if the pseudo-terminal could not be set up

private:
    void readMaster(const std::stop_token &stop)
    {
        pollfd watch{m_master, POLLIN, 0};
        char buffer[256];
        while (!stop.stop_requested()) {
            if (::poll(&watch, 1, 20) <= 0 || !(watch.revents & POLLIN))
                continue;
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            const qint64 now = monotonicNs();
            if (n <= 0)
                continue;
            const std::lock_guard lock(m_mutex);
            m_bytes.append(buffer, n);
            m_stamps.insert(m_stamps.end(), std::size_t(n), now);
            m_arrived.notify_all();
        }
    }

    int m_master = -1;
    int m_slave = -1;
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    QByteArray m_bytes;
    std::vector<qint64> m_stamps; // one per byte in m_bytes
    std::jthread m_reader;
};

// Runs the input from a timer callback after the panel has idled in its
// event loop, as input arrives; returns the clock read just before it.
qint64 inputFromEventLoop(const std::function<void()> &input)
{
    qint64 startNs = 0;
    QEventLoop loop;
    QTimer::singleShot(kIdleMs, Qt::PreciseTimer, &loop, [&] {
        startNs = monotonicNs();
        input();
        loop.quit();
    });
    loop.exec();
    return startNs;
}

struct Action
{
    const char *name;
    QByteArray command;
    std::function<void()> input;
};

int samplesPerAction(int argc, char **argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (QByteArray(argv[i]) == "--samples")
            return qMax(1, QByteArray(argv[i + 1]).toInt());
    }
    return 200;
}

int fail(const char *why)
{
    std::fprintf(stderr, "bench_motion: %s\n", why);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    const int samples = samplesPerAction(argc, argv);
    QTemporaryDir config;
    if (!config.isValid())
        return fail("no temporary settings folder");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    QApplication::setStyle(new orrinet::PanelStyle);

    PtyLine line;
    if (line.path.isEmpty())
        return fail("no pseudo-terminal");
    orrinet::QtSettingsStore settings;
    settings.write(QLatin1String(orrinet::portOverrideSection), orrinet::portOverrideKey(kComPort),
                   line.path);
    orrinet::QtSerialLine port(settings);
    // The real pause: it follows a release's stop, so it does not delay it.
    orrinet::SleepingWait wait;
    orrinet::QtMessageBoxes boxes;
    orrinet::QtCursor cursor;
    frmMain w{orrinet::Platform{port, settings, wait, boxes, cursor}};
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w))
        return fail("the window did not become active");
    w.CheckRADEC->setChecked(false); // no Get after a slew's stop
    w.Combo1->setCurrentIndex(kComPort - 1);
    w.CommandConnect_Click();
    if (!port.isOpen())
        return fail(qPrintable(w.statusText()));
    QTest::qWait(100);
    if (!w.LabelKeyControls->isVisible())
        return fail("the keyboard pad did not get the focus");
    line.forget();

    orrinet::PictureBox *const pad = w.PictureNav;
    orrinet::CommandButton *const east = w.CommandMoveE;
    const QPoint onEast = east->rect().center();
    const Action actions[] = {
        {"key_press", ":Mn#", [pad] { QTest::keyPress(pad, Qt::Key_Up); }},
        {"key_release", ":Qn#", [pad] { QTest::keyRelease(pad, Qt::Key_Up); }},
        {"button_press", ":Me#",
         [east, onEast] { QTest::mousePress(east, Qt::LeftButton, {}, onEast); }},
        {"button_release", ":Qe#",
         [east, onEast] { QTest::mouseRelease(east, Qt::LeftButton, {}, onEast); }},
    };
    for (int round = -kWarmUpRounds; round < samples; ++round) {
        for (const Action &action : actions) {
            const qint64 startNs = inputFromEventLoop(action.input);
            const auto arrival = line.take(action.command.size(), kArrivalTimeoutMs);
            if (!arrival) {
                std::fprintf(stderr, "bench_motion: %s: no %s on the line\n", action.name,
                             action.command.constData());
                return 1;
            }
            if (arrival->bytes != action.command) {
                std::fprintf(stderr, "bench_motion: %s: %s on the line instead of %s\n",
                             action.name, arrival->bytes.constData(), action.command.constData());
                return 1;
            }
            if (round < 0)
                continue;
            const QString key = QString::fromLatin1(action.name);
            report(key + QStringLiteral("_ms"), double(arrival->lastNs - startNs) / 1e6);
            report(key + QStringLiteral("_spread_ms"),
                   double(arrival->lastNs - arrival->firstNs) / 1e6);
        }
    }
    // Nothing else may have been written: a stray command would be a fault.
    if (const auto stray = line.take(1, 100))
        return fail(qPrintable(QStringLiteral("stray bytes on the line: ") +
                               QString::fromLatin1(stray->bytes)));
    w.CommandConnect_Click();
    return 0;
}
