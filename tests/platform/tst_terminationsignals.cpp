#include "platform/terminationsignals.h"

#include <QSignalSpy>
#include <QTest>
#include <csignal>

using namespace orrinet;

// A termination signal reaches the panel as a Qt signal in its event loop,
// once per signal; without the instance the signal terminates again.
class TestTerminationSignals : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void caughtInTheEventLoop_data();
    void caughtInTheEventLoop();
};

void TestTerminationSignals::caughtInTheEventLoop_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM (logout)") << SIGTERM;
    QTest::newRow("SIGINT (Ctrl+C)") << SIGINT;
}

void TestTerminationSignals::caughtInTheEventLoop()
{
    QFETCH(int, signalNumber);
    {
        TerminationSignals termination{SIGTERM, SIGINT};
        QSignalSpy caught(&termination, &TerminationSignals::caught);
        QCOMPARE(::raise(signalNumber), 0);
        // Nothing runs inside the handler: the signal comes from the loop.
        QCOMPARE(caught.count(), 0);
        QTRY_COMPARE(caught.count(), 1);
        QCOMPARE(caught.at(0).at(0).toInt(), signalNumber);
        QCOMPARE(::raise(signalNumber), 0);
        QTRY_COMPARE(caught.count(), 2);
    }
    struct sigaction after = {};
    QCOMPARE(::sigaction(signalNumber, nullptr, &after), 0);
    QVERIFY(after.sa_handler == SIG_DFL);
}

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "tst_terminationsignals.moc"
