// The five Telescope menu queries through the real serial stack against the
// simulator, with real pauses.

#include "link/protocol.h"
#include "support/privatesettings.h"
#include "support/simpanel.h"
#include "support/waitingflags.h"

#include <QAction>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(orrinet::TelescopeQuery)

namespace {
// A reply at 9600 baud plus the 200 ms pause fit well within this.
constexpr int kResultTimeoutMs = 4000;
} // namespace

class TestQueriesSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase() { m_panel.reset(); }
    void query_data();
    void query();

private:
    std::unique_ptr<SimPanel> m_panel;
};

void TestQueriesSim::initTestCase()
{
    m_panel = std::make_unique<SimPanel>();
    QVERIFY2(m_panel->connectPort(), qPrintable(m_panel->failure()));
}

void TestQueriesSim::query_data()
{
    QTest::addColumn<TelescopeQuery>("query");
    QTest::addColumn<QAction *>("item");
    // The result line; a pattern where the simulator's clock or sky moves.
    QTest::addColumn<QString>("line");

    const frmMain &w = m_panel->window;
    QTest::newRow("Status") << TelescopeQuery::Status << w.TelescopeStatusButton
                            << u"^AltAz Mount, Tracking, Not aligned$"_s;
    QTest::newRow("Firmware verson") << TelescopeQuery::Firmware << w.TelescopeInfoButton
                                     << u"^LX2001   Firmware 4\\.2l$"_s;
    QTest::newRow("Site Lat/Lon") << TelescopeQuery::Site << w.TelescopeSiteButton
                                  << u"^Lat 33\u00B0" "52'N   Lon 117\u00B0" "05'W$"_s;
    QTest::newRow("Date and Time") << TelescopeQuery::DateTime << w.TelescopeDateButton
                                   << u"^Date \\d\\d/\\d\\d/\\d\\d   Time \\d\\d:\\d\\d:\\d\\d$"_s;
    QTest::newRow("Azimuth/Altitude")
        << TelescopeQuery::AzimuthAltitude << w.TelescopeAzButton
        << u"^Azimuth \\d{3}\u00B0\\d\\d'\\d\\d\"   Altitude [+-]\\d\\d\u00B0\\d\\d'\\d\\d\"$"_s;
}

void TestQueriesSim::query()
{
    QFETCH(TelescopeQuery, query);
    QFETCH(QAction *, item);
    QFETCH(QString, line);

    const TelescopeQueryInfo &info = telescopeQuery(query);
    frmMain &w = m_panel->window;
    QElapsedTimer clock;
    clock.start();

    item->trigger();
    QCOMPARE(w.statusText(), QString(info.sentStatus));
    QCOMPARE(w.mousePointer(), frmMain::MousePointer::Hourglass);

    QTRY_VERIFY_WITH_TIMEOUT(raisedFlags(w).isEmpty(), kResultTimeoutMs);
    QVERIFY(!w.Timer1->isActive());
    QCOMPARE(w.mousePointer(), frmMain::MousePointer::Default);
    QVERIFY2(QRegularExpression(line).match(w.statusText()).hasMatch(), qPrintable(w.statusText()));
    // Each reply is read whole, "#" included, although longer than some thresholds.
    QVERIFY2(w.ReceiveBuffer.endsWith(u'#'), qPrintable(w.ReceiveBuffer));
    // The second command waits 200 ms after the first reply.
    if (info.secondFlag)
        QVERIFY2(clock.elapsed() >= kPauseQuerySecondStepMs, qPrintable(QString::number(clock.elapsed())));

    // Nothing more arrives: no time-out and no stray input replaces the line.
    const QString shown = w.statusText();
    QTest::qWait(300);
    QCOMPARE(w.statusText(), shown);
}

ORRINET_E2E_MAIN(TestQueriesSim)

#include "tst_queries_sim.moc"
