// Pointer slewing under continuous pointer motion: the panel connected to
// lx200sim, in pointer mode on the X display, while a child process moves the
// pointer through XTest for 10 s (ten rounds of 0.7 s of motion, one 3-pixel
// step every 10 ms, east, north, west, south in turn, then 0.3 s of rest).
//
//     bench_pointer            (QT_QPA_PLATFORM=xcb, under Xvfb)
//
// Prints the panel's CPU time, its user-interface thread's wake-ups and the
// bytes and commands it wrote, per second of the run.

#include "app/frmMain.h"
#include "app/panelstyle.h"
#include "common.h"
#include "platform/platform.h"
#include "platform/qtcursor.h"
#include "platform/qtmessageboxes.h"
#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"
#include "platform/sleepingwait.h"
#include "support/simprocess.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTest>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

using orrinet::bench::report;

namespace {

constexpr int kComPort = 9;
constexpr int kRounds = 10;
constexpr int kMoveMs = 700;
constexpr int kRestMs = 300;
constexpr int kStepMs = 10;
constexpr int kStepPixels = 3;

// The real line, counting what the panel writes.
class CountingLine final : public orrinet::SerialPort
{
public:
    explicit CountingLine(orrinet::SerialPort &line) : m_line(line)
    {
        QObject::connect(&line, &SerialPort::received, this, &SerialPort::received);
        QObject::connect(&line, &SerialPort::connectionLost, this, &SerialPort::connectionLost);
    }
    void setPortNumber(int number) override { m_line.setPortNumber(number); }
    int portNumber() const override { return m_line.portNumber(); }
    bool open() override { return m_line.open(); }
    void close() override { m_line.close(); }
    bool isOpen() const override { return m_line.isOpen(); }
    QString errorString() const override { return m_line.errorString(); }
    bool write(const QString &text) override
    {
        bytes += text.size();
        writes << text;
        return m_line.write(text);
    }
    void setReceiveThreshold(int count) override { m_line.setReceiveThreshold(count); }
    int receiveThreshold() const override { return m_line.receiveThreshold(); }
    QString readAll() override { return m_line.readAll(); }
    QString peekAll() override { return m_line.peekAll(); }
    int commEvent() const override { return m_line.commEvent(); }

    qint64 bytes = 0;
    QStringList writes;

private:
    orrinet::SerialPort &m_line;
};

// The user's hand: its own X connection, relative steps.
[[noreturn]] void moveThePointer(int startPipe)
{
    char go = 0;
    if (read(startPipe, &go, 1) != 1)
        _exit(1);
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        _exit(1);
    const int steps[4][2] = {
        {kStepPixels, 0}, {0, -kStepPixels}, {-kStepPixels, 0}, {0, kStepPixels}};
    for (int round = 0; round < kRounds; ++round) {
        for (int t = 0; t < kMoveMs; t += kStepMs) {
            XTestFakeRelativeMotionEvent(display, steps[round % 4][0], steps[round % 4][1],
                                         CurrentTime);
            XFlush(display);
            usleep(kStepMs * 1000);
        }
        usleep(kRestMs * 1000);
    }
    XCloseDisplay(display);
    _exit(0);
}

} // namespace

int main(int argc, char *argv[])
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return 1;
    const pid_t hand = fork();
    if (hand == 0) {
        close(pipeFds[1]);
        moveThePointer(pipeFds[0]);
    }
    close(pipeFds[0]);

    QTemporaryDir config;
    if (!config.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    QApplication::setStyle(new orrinet::PanelStyle);

    orrinet::testing::SimProcess sim(config.path(),
                                     {QStringLiteral("--com"), QString::number(kComPort)});
    if (!sim.isRunning()) {
        std::fprintf(stderr, "bench_pointer: %s\n", qPrintable(sim.errorString()));
        return 1;
    }
    orrinet::QtSettingsStore settings;
    orrinet::QtSerialLine serial(settings);
    CountingLine port(serial);
    orrinet::SleepingWait wait;
    orrinet::QtMessageBoxes boxes;
    orrinet::QtCursor cursor;
    frmMain w{orrinet::Platform{port, settings, wait, boxes, cursor}};
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w)) {
        std::fprintf(stderr, "bench_pointer: the window did not become active\n");
        return 1;
    }
    w.Combo1->setCurrentIndex(kComPort - 1);
    w.CommandConnect_Click();
    if (!port.isOpen()) {
        std::fprintf(stderr, "bench_pointer: %s\n", qPrintable(w.statusText()));
        return 1;
    }
    w.CheckPointerControl->setChecked(true);
    QTest::qWait(200);
    port.bytes = 0;
    port.writes.clear();

    const orrinet::bench::ProcessCounters start = orrinet::bench::processCounters();
    if (write(pipeFds[1], "g", 1) != 1)
        return 1;
    int status = 0;
    while (waitpid(hand, &status, WNOHANG) == 0)
        QTest::qWait(50);
    QTest::qWait(w.TimerMove->interval() + 50); // the last halt
    const orrinet::bench::ProcessCounters end = orrinet::bench::processCounters();
    const double seconds = double(end.atNs - start.atNs) / 1e9;

    report(QStringLiteral("seconds"), seconds);
    report(QStringLiteral("held"), w.PointerRect.contains(QCursor::pos()) ? 1 : 0);
    report(QStringLiteral("cpu_ms_per_s"), (end.cpuMs - start.cpuMs) / seconds);
    report(QStringLiteral("main_wakeups_per_s"),
           double(end.mainSwitches - start.mainSwitches) / seconds);
    report(QStringLiteral("all_wakeups_per_s"),
           double(end.allSwitches - start.allSwitches) / seconds);
    report(QStringLiteral("bytes_per_s"), double(port.bytes) / seconds);
    report(QStringLiteral("move_commands"),
           double(port.writes.filter(QStringLiteral(":M")).size()));
    report(QStringLiteral("halts"), double(port.writes.count(QStringLiteral(":Q#"))));
    std::printf("writes %s\n", qPrintable(port.writes.join(u' ')));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
