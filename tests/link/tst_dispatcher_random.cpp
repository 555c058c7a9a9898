// Random bytes (0..255) in random chunks, with random flags raised, random
// thresholds, other line events and time-outs, the console open or closed:
// every receive event runs exactly one branch, that of the first raised flag.
// Seeded, so a failure can be replayed.

#include "app/frmMain.h"
#include "commands/frmCmd.h"
#include "support/panelfixture.h"
#include "support/waitingflags.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <array>
#include <optional>
#include <random>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

constexpr std::array<int, 8> kThresholds{1, 3, 5, 7, 9, 10, 30, 34};
constexpr std::array<int, 3> kOtherEvents{SerialPort::EventNone, 1, SerialPort::EventLost};

// The flag a branch raises on its way out; a Goto stage only when its target
// was accepted.
std::optional<Awaiting> successor(Awaiting served, const QString &read)
{
    switch (served) {
    case Awaiting::Ra: return Awaiting::Dec;
    case Awaiting::Firmware: return Awaiting::Product;
    case Awaiting::Date: return Awaiting::Time;
    case Awaiting::Azimuth: return Awaiting::Altitude;
    case Awaiting::Latitude: return Awaiting::Longitude;
    case Awaiting::GotoRa:
        return read.startsWith(u'1') ? std::optional(Awaiting::GotoDec) : std::nullopt;
    case Awaiting::GotoDec:
        return read.startsWith(u'1') ? std::optional(Awaiting::Goto) : std::nullopt;
    default: return std::nullopt;
    }
}

struct State
{
    explicit State(const PanelFixture &f)
        : status(f.window.statusText()),
          reply(f.window.console() ? f.window.console()->Text2->text() : QString()),
          buffered(f.port.buffered()), threshold(f.port.receiveThreshold()),
          writes(f.port.writes().size())
    {
        for (const Awaiting flag : kAwaitingTestOrder)
            flags.set(flag, waiting(f.window, flag));
    }

    AwaitedReplies flags;
    QString status;
    QString reply;
    QString buffered;
    int threshold;
    std::size_t writes;
};

// Empty when every step held, else the first failure.
QString randomRun(PanelFixture &f, quint32 seed, bool consoleOpen, int steps)
{
    std::mt19937 rng(seed);
    const auto uniform = [&rng](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    int events = 0;
    for (int step = 0; step < steps; ++step) {
        const auto failure = [step](const QString &what) { return u"step %1: "_s.arg(step) + what; };
        const State before(f);
        const int pick = uniform(0, 99);
        if (pick < 15) {
            for (const Awaiting flag : kAwaitingTestOrder)
                waiting(f.window, flag) = uniform(0, 99) < 15;
        } else if (pick < 20) {
            f.port.setReceiveThreshold(kThresholds[std::size_t(uniform(0, kThresholds.size() - 1))]);
        } else if (pick < 25) {
            f.port.raiseEvent(kOtherEvents[std::size_t(uniform(0, kOtherEvents.size() - 1))]);
            const State after(f);
            if (after.flags != before.flags || after.status != before.status ||
                after.buffered != before.buffered || after.writes != before.writes)
                return failure(u"another event kind changed something"_s);
        } else if (pick < 30) {
            if (!f.window.Timer1->isActive())
                continue;
            f.window.Timer1_Timer();
            QString text = u"Timeout waiting for response"_s;
            if (before.flags.test(Awaiting::GotoRa))
                text = u"Timeout sending RA "_s + f.window.RaString;
            if (before.flags.test(Awaiting::GotoDec))
                text = u"Timeout sending DEC "_s + f.window.DecString;
            if (f.window.statusText() != text || State(f).flags != before.flags ||
                f.window.Timer1->isActive())
                return failure(u"time-out: "_s + f.window.statusText());
        } else {
            // A random chunk, or an event on whatever is buffered.
            const bool forced = pick < 35;
            QString chunk;
            if (forced) {
                f.port.raiseEvent(SerialPort::EventReceive);
            } else {
                for (int size = uniform(0, 40); chunk.size() < size;)
                    chunk.append(QChar(uniform(0, 255)));
                f.port.feed(chunk);
            }
            const QString read = before.buffered + chunk;
            const State after(f);
            if (!forced && read.size() < before.threshold) {
                if (after.flags != before.flags || after.status != before.status ||
                    after.buffered != read)
                    return failure(u"input below the threshold was served"_s);
                continue;
            }
            ++events;
            const std::optional<Awaiting> served = before.flags.first();
            AwaitedReplies expected = before.flags;
            if (served) {
                expected.set(*served, *served == Awaiting::AutostarGoto && read.mid(1, 6) == u"Taking"_s);
                if (const std::optional<Awaiting> next = successor(*served, read))
                    expected.set(*next);
            }
            if (after.flags != expected)
                return failure(u"flags after serving "_s + (served ? awaitingName(*served) : "none"_L1));
            if (!after.buffered.isEmpty() || f.window.mousePointer() != frmMain::MousePointer::Default)
                return failure(u"input left unread or hourglass kept"_s);
            // Unexpected input adds to the reply box, which Send alone empties.
            if (after.reply != (!served && consoleOpen ? before.reply + read : before.reply))
                return failure(u"console reply box: "_s + after.reply);
            if (!served && (after.status != read || after.writes != before.writes))
                return failure(u"unexpected input: "_s + after.status);
        }
    }
    return events < steps / 4 ? u"too few receive events"_s : QString();
}

} // namespace

class TestDispatcherRandom : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomInput_data();
    void randomInput();
};

void TestDispatcherRandom::randomInput_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("consoleOpen");

    for (const quint32 seed : {1u, 7u, 1967u, 48611u, 20240315u, 3141592653u}) {
        QTest::addRow("%u console closed", seed) << seed << false;
        QTest::addRow("%u console open", seed) << seed << true;
    }
}

void TestDispatcherRandom::randomInput()
{
    QFETCH(quint32, seed);
    QFETCH(bool, consoleOpen);
    constexpr int kSteps = 600;

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.CheckRADEC->setChecked(true); // Get may also select the lists

    QString failure = u"did not run"_s;
    if (consoleOpen) {
        // The console is modal: run inside its loop.
        QTimer::singleShot(0, &f.window, [&] {
            failure = randomRun(f, seed, true, kSteps);
            f.window.console()->close();
        });
        f.window.SendButton_Click();
    } else {
        failure = randomRun(f, seed, false, kSteps);
    }
    QVERIFY2(failure.isEmpty(), qPrintable(u"seed %1, "_s.arg(seed) + failure));
}

QTEST_MAIN(TestDispatcherRandom)
#include "tst_dispatcher_random.moc"
