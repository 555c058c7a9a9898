// Exchange latency of the panel against lx200sim over a pseudo-terminal with
// the simulator's 9600-baud pacing, all in one process: from calling a
// handler to the text it finally shows, against the time the exchange's
// characters take on a 9600-baud line (10 bits each) plus the pause the
// two-step queries make between their commands.
//
//     bench_latency [--reps N] [--shared]
//
// Prints <exchange>_ms, _wire_ms, _ratio and _overhead_ms (the time beyond
// the replies' own line time and the pause) once per repetition. With
// --shared the panel shares its line (Program > Share Telescope) and the
// exchanges go through the hub; at the end a client polls ":GR#" at 4 Hz
// through a keypad macro, and macro_client_gap_ms is the longest time it
// went without a reply.

#include "app/frmMain.h"
#include "app/panelstyle.h"
#include "app/frmShare.h"
#include "common.h"
#include "link/protocol.h"
#include "platform/platform.h"
#include "platform/qtcursor.h"
#include "platform/qtmessageboxes.h"
#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"
#include "platform/sleepingwait.h"
#include "support/lx200poller.h"
#include "support/simprocess.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <array>
#include <cstdio>
#include <functional>

using orrinet::TelescopeQuery;
using orrinet::bench::monotonicNs;
using orrinet::bench::report;

namespace {

constexpr int kComPort = 9;
constexpr int kWarmUpReps = 2;
constexpr int kReplyTimeoutMs = 3000;
constexpr int kRestMs = 50; // between exchanges
constexpr double kMsPerChar = 10.0 * 1000.0 / orrinet::QtSerialLine::baudRate;

// A telescope query with the fields in which the panel keeps its replies.
struct Query
{
    const char *name;
    TelescopeQuery query;
    void (frmMain::*click)();
    QString frmMain::*firstReply;  // the status reply is kept whole
    QString frmMain::*secondReply; // nullptr for the one-step status query
};

constexpr std::array<Query, 5> kQueries{{
    {"status", TelescopeQuery::Status, &frmMain::TelescopeStatusButton_Click,
     &frmMain::ReceiveBuffer, nullptr},
    {"firmware", TelescopeQuery::Firmware, &frmMain::TelescopeInfoButton_Click,
     &frmMain::FirmwareText, &frmMain::ProductText},
    {"site", TelescopeQuery::Site, &frmMain::TelescopeSiteButton_Click, &frmMain::LatitudeText,
     &frmMain::LongitudeText},
    {"datetime", TelescopeQuery::DateTime, &frmMain::TelescopeDateButton_Click, &frmMain::DateText,
     &frmMain::TimeText},
    {"azalt", TelescopeQuery::AzimuthAltitude, &frmMain::TelescopeAzButton_Click,
     &frmMain::AzimuthText, &frmMain::AltitudeText},
}};

// Runs the event loop until done() holds, looking after every batch of
// events; false if it does not within timeoutMs.
bool spinUntil(const std::function<bool()> &done, int timeoutMs)
{
    QTimer deadline; // also wakes the loop when nothing else does
    deadline.setSingleShot(true);
    deadline.start(timeoutMs);
    while (!done()) {
        if (!deadline.isActive())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void rest()
{
    spinUntil([] { return false; }, kRestMs);
}

class Bench
{
public:
    explicit Bench(frmMain &window) : m_w(window) {}

    bool get(bool record)
    {
        m_w.LabelRADEC->clear();
        const qint64 start = monotonicNs();
        m_w.CommandGet_Click();
        if (!spinUntil([this] { return !m_w.LabelRADEC->text().isEmpty(); }, kReplyTimeoutMs))
            return fail("get", "no position shown");
        const qint64 end = monotonicNs();
        const qsizetype chars = orrinet::kGetRa.size() + m_w.RaString.size() +
                                orrinet::kGetDec.size() + m_w.DecString.size();
        const qsizetype replyChars = m_w.RaString.size() + m_w.DecString.size();
        if (record)
            put("get", end - start, double(chars) * kMsPerChar, double(replyChars) * kMsPerChar);
        return true;
    }

    bool query(const Query &q, bool record)
    {
        const orrinet::TelescopeQueryInfo &info = orrinet::telescopeQuery(q.query);
        const qint64 start = monotonicNs();
        (m_w.*q.click)(); // shows the sent-status text at once
        if (!spinUntil([&] { return m_w.statusText() != info.sentStatus; }, kReplyTimeoutMs))
            return fail(q.name, "no result line");
        const qint64 end = monotonicNs();
        if (m_w.statusText().startsWith(QLatin1String("Timeout")))
            return fail(q.name, "timed out");
        // The two-step replies are kept without their terminator.
        const qsizetype replyChars =
            q.secondReply ? (m_w.*q.firstReply).size() + 1 + (m_w.*q.secondReply).size() + 1
                          : (m_w.*q.firstReply).size();
        const qsizetype chars = info.firstCommand.size() + info.secondCommand.size() + replyChars;
        const double pauseMs = q.secondReply ? orrinet::kPauseQuerySecondStepMs : 0;
        if (record)
            put(q.name, end - start, double(chars) * kMsPerChar + pauseMs,
                double(replyChars) * kMsPerChar + pauseMs);
        return true;
    }

private:
    // wireMs counts every character of the exchange; a pseudo-terminal passes
    // the commands at once, so only the replies (repliesMs) really take line time.
    static void put(const char *name, qint64 elapsedNs, double wireMs, double repliesMs)
    {
        const double ms = double(elapsedNs) / 1e6;
        const QString key = QString::fromLatin1(name);
        report(key + QStringLiteral("_ms"), ms);
        report(key + QStringLiteral("_wire_ms"), wireMs);
        report(key + QStringLiteral("_ratio"), ms / wireMs);
        report(key + QStringLiteral("_overhead_ms"), ms - repliesMs);
    }

    bool fail(const char *name, const char *why)
    {
        std::fprintf(stderr, "bench_latency: %s: %s (status \"%s\")\n", name, why,
                     qPrintable(m_w.statusText()));
        return false;
    }

    frmMain &m_w;
};

bool hasFlag(int argc, char **argv, const char *flag)
{
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == flag)
            return true;
    }
    return false;
}

// The panel waits in the macro's pauses; the client is served meanwhile.
void macroGap(frmMain &w, quint16 port)
{
    const orrinet::testing::Lx200Poller poller(port);
    spinUntil([] { return false; }, 600);
    const auto from = orrinet::testing::Clock::now();
    w.GotoPolaris_Click(1);
    const auto to = orrinet::testing::Clock::now();
    report(QStringLiteral("macro_client_gap_ms"),
           double(orrinet::testing::longestGapMs(poller.replies(), from, to)));
}

int repetitions(int argc, char **argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (QByteArray(argv[i]) == "--reps")
            return qMax(1, QByteArray(argv[i + 1]).toInt());
    }
    return 25;
}

} // namespace

int main(int argc, char *argv[])
{
    const int reps = repetitions(argc, argv);
    // The settings location is fixed at the first settings object: the
    // simulator's port mapping and the panel must share it.
    QTemporaryDir config;
    if (!config.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    QApplication::setStyle(new orrinet::PanelStyle);

    orrinet::testing::SimProcess sim(config.path(),
                                     {QStringLiteral("--com"), QString::number(kComPort)});
    if (!sim.isRunning()) {
        std::fprintf(stderr, "bench_latency: %s\n", qPrintable(sim.errorString()));
        return 1;
    }

    orrinet::QtSettingsStore settings;
    orrinet::QtSerialLine port(settings);
    orrinet::SleepingWait wait; // the 200 ms pauses are real
    orrinet::QtMessageBoxes boxes;
    orrinet::QtCursor cursor;
    frmMain w{orrinet::Platform{port, settings, wait, boxes, cursor}};
    w.show();
    const bool shared = hasFlag(argc, argv, "--shared");
    quint16 sharePort = 0;
    if (shared) {
        QTcpServer probe; // a free port
        probe.listen(QHostAddress::LocalHost);
        sharePort = probe.serverPort();
        probe.close();
        w.shareWindow()->SpinPort->setValue(sharePort);
        w.shareWindow()->CheckShare->setChecked(true);
    }
    w.Combo1->setCurrentIndex(kComPort - 1);
    w.CommandConnect_Click();
    if (!w.Comm1.isOpen() || w.sharableLine().shared() != shared) {
        std::fprintf(stderr, "bench_latency: %s\n", qPrintable(w.statusText()));
        return 1;
    }
    rest();

    Bench bench(w);
    for (int rep = -kWarmUpReps; rep < reps; ++rep) {
        const bool record = rep >= 0;
        if (!bench.get(record))
            return 1;
        rest();
        for (const Query &q : kQueries) {
            if (!bench.query(q, record))
                return 1;
            rest();
        }
    }
    if (shared)
        macroGap(w, sharePort);
    w.CommandConnect_Click();
    w.shareWindow()->CheckShare->setChecked(false); // not remembered for the next run
    return 0;
}
