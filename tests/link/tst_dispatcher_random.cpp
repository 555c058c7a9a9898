// Random bytes (0..255) in random chunks, with random flags raised, random
// thresholds, stray line events and time-outs, the console open or closed:
// every receive event runs exactly one branch, the one of the first raised
// flag, and returns. Seeded, so a failure can be replayed.

#include "app/frmMain.h"
#include "commands/frmCmd.h"
#include "link/protocol.h"
#include "link/querylines.h"
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

constexpr int kMaxChunk = 40;
constexpr std::array<int, 8> kThresholds{1, 3, 5, 7, 9, 10, 30, 34};
constexpr std::array<int, 3> kOtherEventKinds{SerialPort::EventNone, 1, SerialPort::EventLost};

// The flag a branch may raise on its way out.
std::optional<Awaiting> successor(Awaiting flag)
{
    switch (flag) {
    case Awaiting::Ra:
        return Awaiting::Dec;
    case Awaiting::GotoRa:
        return Awaiting::GotoDec;
    case Awaiting::GotoDec:
        return Awaiting::Goto;
    default:
        break;
    }
    const TelescopeQueryInfo *query = queryForFlag(flag);
    if (query && query->firstFlag == flag)
        return query->secondFlag;
    return std::nullopt;
}

// The query text fields, first and second, as the test knows them.
QString firstText(const frmMain &w, TelescopeQuery query)
{
    switch (query) {
    case TelescopeQuery::Firmware:
        return w.FirmwareText;
    case TelescopeQuery::DateTime:
        return w.DateText;
    case TelescopeQuery::Site:
        return w.LatitudeText;
    case TelescopeQuery::AzimuthAltitude:
        return w.AzimuthText;
    case TelescopeQuery::Status:
        break;
    }
    return w.ReceiveBuffer;
}

QString secondText(const frmMain &w, TelescopeQuery query)
{
    switch (query) {
    case TelescopeQuery::Firmware:
        return w.ProductText;
    case TelescopeQuery::DateTime:
        return w.TimeText;
    case TelescopeQuery::Site:
        return w.LongitudeText;
    case TelescopeQuery::AzimuthAltitude:
        return w.AltitudeText;
    case TelescopeQuery::Status:
        break;
    }
    return {};
}

struct Snapshot
{
    explicit Snapshot(const PanelFixture &f)
        : status(f.window.statusText()),
          reply(f.window.console() ? f.window.console()->Text2->text() : QString()),
          buffered(f.port.buffered()),
          threshold(f.port.receiveThreshold()),
          writes(f.port.writes().size()),
          pauses(f.wait.pauses().size()),
          timerRunning(f.window.Timer1->isActive()),
          pointer(f.window.mousePointer())
    {
        for (const Awaiting flag : kAwaitingTestOrder)
            flags[static_cast<std::size_t>(flag)] = waiting(f.window, flag);
    }

    std::optional<Awaiting> firstRaised() const
    {
        for (const Awaiting flag : kAwaitingTestOrder) {
            if (flags[static_cast<std::size_t>(flag)])
                return flag;
        }
        return std::nullopt;
    }

    std::array<bool, kAwaitingCount> flags{};
    QString status;
    QString reply;
    QString buffered;
    int threshold;
    std::size_t writes;
    std::size_t pauses;
    bool timerRunning;
    frmMain::MousePointer pointer;
};

class RandomRun
{
public:
    RandomRun(PanelFixture &f, quint32 seed, bool consoleOpen)
        : m_f(f), m_rng(seed), m_consoleOpen(consoleOpen)
    {
    }

    // Empty when every step held; otherwise what went wrong first.
    QString run(int iterations)
    {
        for (m_step = 0; m_step < iterations && m_failure.isEmpty(); ++m_step)
            step();
        if (m_failure.isEmpty() && m_events < iterations / 4)
            fail(u"too few receive events: "_s + QString::number(m_events));
        return m_failure;
    }

private:
    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_rng); }

    void fail(const QString &what)
    {
        if (m_failure.isEmpty())
            m_failure = u"step "_s + QString::number(m_step) + u": "_s + what;
    }

    void check(bool condition, const QString &what)
    {
        if (!condition)
            fail(what);
    }

    void step()
    {
        const int pick = uniform(0, 99);
        if (pick < 15)
            raiseRandomFlags();
        else if (pick < 20)
            m_f.port.setReceiveThreshold(kThresholds[static_cast<std::size_t>(uniform(0, kThresholds.size() - 1))]);
        else if (pick < 25)
            otherEvent();
        else if (pick < 30)
            timeout();
        else if (pick < 35)
            receive(QString(), true);
        else
            receive(randomChunk(), false);
    }

    void raiseRandomFlags()
    {
        for (const Awaiting flag : kAwaitingTestOrder)
            waiting(m_f.window, flag) = chance(0.15);
    }

    QString randomChunk()
    {
        QString chunk;
        const int size = uniform(0, kMaxChunk);
        for (int i = 0; i < size; ++i)
            chunk.append(QChar(uniform(0, 255)));
        return chunk;
    }

    void otherEvent()
    {
        const Snapshot before(m_f);
        m_f.port.raiseEvent(kOtherEventKinds[static_cast<std::size_t>(uniform(0, kOtherEventKinds.size() - 1))]);
        const Snapshot after(m_f);
        check(after.flags == before.flags && after.status == before.status &&
                  after.buffered == before.buffered && after.pointer == before.pointer &&
                  after.writes == before.writes,
              u"another event kind changed something"_s);
    }

    void timeout()
    {
        if (!m_f.window.Timer1->isActive())
            return;
        const Snapshot before(m_f);
        m_f.window.Timer1_Timer();
        QString expected = u"Timeout waiting for response"_s;
        if (m_f.window.WaitingGotoRa)
            expected = u"Timeout sending RA "_s + m_f.window.RaString;
        if (m_f.window.WaitingGotoDec)
            expected = u"Timeout sending DEC "_s + m_f.window.DecString;
        const Snapshot after(m_f);
        check(after.status == expected, u"time-out text "_s + after.status);
        check(after.flags == before.flags, u"the time-out changed a flag"_s);
        check(!after.timerRunning, u"the time-out left the timer running"_s);
    }

    // A chunk fed (or, with forced, an event raised on whatever is buffered).
    void receive(const QString &chunk, bool forced)
    {
        const Snapshot before(m_f);
        const QString read = before.buffered + chunk;
        const bool expectEvent = forced || (before.threshold > 0 && read.size() >= before.threshold);
        const std::optional<Awaiting> served = before.firstRaised();
        // What the query branches will compare against, taken before the event.
        const TelescopeQueryInfo *query = served ? queryForFlag(*served) : nullptr;
        const QString storedFirst = query ? firstText(m_f.window, query->query) : QString();

        if (forced)
            m_f.port.raiseEvent(SerialPort::EventReceive);
        else
            m_f.port.feed(chunk);
        const Snapshot after(m_f);

        if (!expectEvent) {
            check(after.flags == before.flags && after.status == before.status &&
                      after.writes == before.writes && after.buffered == read,
                  u"input below the threshold was served"_s);
            return;
        }
        ++m_events;
        check(after.buffered.isEmpty(), u"the branch left input unread"_s);
        check(after.pointer == frmMain::MousePointer::Default, u"the pointer was not reset"_s);
        checkFlags(before, after, served, read);
        if (served)
            checkBranch(before, after, *served, read, storedFirst);
        else
            checkUnexpected(before, after, read);
    }

    void checkFlags(const Snapshot &before, const Snapshot &after, std::optional<Awaiting> served,
                    const QString &read)
    {
        const std::optional<Awaiting> next = served ? successor(*served) : std::nullopt;
        for (const Awaiting flag : kAwaitingTestOrder) {
            const auto i = static_cast<std::size_t>(flag);
            bool expected = before.flags[i];
            if (served && flag == *served)
                expected = flag == Awaiting::AutostarGoto && autostarTaking(read);
            else if (next && flag == *next) {
                const bool raises = (*served == Awaiting::GotoRa || *served == Awaiting::GotoDec)
                                        ? firstCharIs(read, kReplyAccepted)
                                        : true;
                expected = expected || raises;
            }
            check(after.flags[i] == expected,
                  QString(awaitingName(flag)) + u" is "_s + QString::number(after.flags[i]) +
                      u" after serving "_s + (served ? QString(awaitingName(*served)) : u"none"_s));
        }
    }

    void checkBranch(const Snapshot &before, const Snapshot &after, Awaiting served, const QString &read,
                     const QString &storedFirst)
    {
        const frmMain &w = m_f.window;
        const TelescopeQueryInfo *query = queryForFlag(served);
        const QString name(awaitingName(served));
        if (query && query->query != TelescopeQuery::Status && served == query->firstFlag) {
            check(firstText(w, query->query) == stripTerminator(read), name + u": first text"_s);
            check(after.writes == before.writes + 1 &&
                      m_f.port.writes().back().text == QString(query->secondCommand),
                  name + u": second command"_s);
            check(after.pauses == before.pauses + 1 &&
                      m_f.wait.pauses().back() == kPauseQuerySecondStepMs,
                  name + u": pause before the second command"_s);
            check(after.threshold == before.threshold, name + u": threshold"_s);
            check(after.timerRunning == before.timerRunning, name + u": timer"_s);
            return;
        }
        if (query && query->query != TelescopeQuery::Status) {
            const QString second = stripTerminator(read);
            check(secondText(w, query->query) == second, name + u": second text"_s);
            check(after.status == queryResultLine(query->query, storedFirst, second), name + u": line"_s);
            check(after.threshold == kThresholdDefault, name + u": threshold"_s);
            check(!after.timerRunning && after.writes == before.writes, name + u": timer or writes"_s);
            return;
        }
        switch (served) {
        case Awaiting::Status:
            check(after.status == statusLine(read) && w.ReceiveBuffer == read, name + u": line"_s);
            break;
        case Awaiting::Gps:
            check(after.status == (firstCharIs(read, kReplyAccepted) ? u"Telescope updated with GPS data"_s
                                                                     : u"GPS turn on aborted or failed"_s),
                  name + u": text"_s);
            break;
        case Awaiting::Align:
            check(after.status == (firstCharIs(read, kReplyAccepted) ? u"Alignment Successful"_s
                                                                     : u"Scope not AzEl Mounted or align failed"_s),
                  name + u": text"_s);
            break;
        case Awaiting::AutostarGoto:
        case Awaiting::Autostar:
            check(after.status == read, name + u": display text"_s);
            break;
        case Awaiting::Ra:
            check(w.RaString == read && m_f.port.writes().back().text == u":GD#"_s, name + u": RA"_s);
            return;
        case Awaiting::Dec:
            check(w.DecString == read && after.threshold == kThresholdDefault, name + u": DEC"_s);
            return;
        default: // the Goto stages
            check(w.ReceiveBuffer == read && !(after.timerRunning && after.writes == before.writes),
                  name + u": Goto stage"_s);
            return;
        }
        // The LX200GPS, Autostar and status branches.
        check(!after.timerRunning, name + u": timer left running"_s);
        check(after.threshold == before.threshold, name + u": threshold"_s);
        check(after.writes == before.writes, name + u": wrote"_s);
        check(after.reply == before.reply, name + u": reached the console"_s);
    }

    void checkUnexpected(const Snapshot &before, const Snapshot &after, const QString &read)
    {
        check(after.status == read, u"unexpected input not shown"_s);
        check(after.reply == (m_consoleOpen ? read : before.reply), u"console reply box"_s);
        check(m_f.window.ReceiveBuffer.isEmpty(), u"ReceiveBuffer kept"_s);
        check(after.threshold == before.threshold && after.timerRunning == before.timerRunning &&
                  after.writes == before.writes,
              u"unexpected input changed the line"_s);
    }

    PanelFixture &m_f;
    std::mt19937 m_rng;
    bool m_consoleOpen;
    QString m_failure;
    int m_step = 0;
    int m_events = 0;
};

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
    QTest::addColumn<int>("iterations");

    for (const quint32 seed : {1u, 7u, 1967u, 48611u, 20240315u, 3141592653u}) {
        for (const bool open : {false, true}) {
            const QByteArray tag = QByteArray::number(seed) + (open ? " console open" : " console closed");
            QTest::newRow(tag.constData()) << seed << open << 600;
        }
    }
}

void TestDispatcherRandom::randomInput()
{
    QFETCH(quint32, seed);
    QFETCH(bool, consoleOpen);
    QFETCH(int, iterations);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    // Whatever Get shows, it may also select the lists.
    f.window.CheckRADEC->setChecked(true);

    QString failure = u"did not run"_s;
    if (consoleOpen) {
        QTimer::singleShot(0, &f.window, [&] {
            RandomRun run(f, seed, true);
            failure = run.run(iterations);
            f.window.console()->close();
        });
        f.window.SendButton_Click();
    } else {
        RandomRun run(f, seed, false);
        failure = run.run(iterations);
    }
    QVERIFY2(failure.isEmpty(), qPrintable(u"seed "_s + QString::number(seed) + u", "_s + failure));
}

QTEST_MAIN(TestDispatcherRandom)
#include "tst_dispatcher_random.moc"
