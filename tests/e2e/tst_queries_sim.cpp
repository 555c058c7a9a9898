// The five Telescope menu queries through the real serial stack against the
// simulator: the panel's own line (QtSerialLine, port number mapped to the
// simulator's pseudo-terminal in the per-user settings) and real pauses.

#include "app/frmMain.h"
#include "link/protocol.h"
#include "platform/platform.h"
#include "platform/qtcursor.h"
#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"
#include "platform/scriptedmessageboxes.h"
#include "platform/sleepingwait.h"
#include "support/privatesettings.h"
#include "support/simprocess.h"
#include "support/waitingflags.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(orrinet::TelescopeQuery)

namespace {

constexpr int kComPort = 7;
// A reply at 9600 baud plus the 200 ms pause fit well within this.
constexpr int kResultTimeoutMs = 4000;

// The panel's line as it is, with the moment of every write and of every
// read that returned input, on one clock.
class TimedLine final : public SerialPort
{
    Q_OBJECT

public:
    struct Event
    {
        QString text;
        qint64 atMs = 0;
    };

    explicit TimedLine(SerialPort &line) : m_line(line)
    {
        connect(&line, &SerialPort::received, this, &SerialPort::received);
        connect(&line, &SerialPort::connectionLost, this, &SerialPort::connectionLost);
        m_clock.start();
    }

    void setPortNumber(int number) override { m_line.setPortNumber(number); }
    int portNumber() const override { return m_line.portNumber(); }
    bool open() override { return m_line.open(); }
    void close() override { m_line.close(); }
    bool isOpen() const override { return m_line.isOpen(); }
    QString errorString() const override { return m_line.errorString(); }
    bool write(const QString &text) override
    {
        writes.push_back({text, m_clock.elapsed()});
        return m_line.write(text);
    }
    void setReceiveThreshold(int count) override { m_line.setReceiveThreshold(count); }
    int receiveThreshold() const override { return m_line.receiveThreshold(); }
    QString readAll() override
    {
        const QString text = m_line.readAll();
        if (!text.isEmpty())
            reads.push_back({text, m_clock.elapsed()});
        return text;
    }
    int commEvent() const override { return m_line.commEvent(); }

    void forget()
    {
        writes.clear();
        reads.clear();
    }

    std::vector<Event> writes;
    std::vector<Event> reads;

private:
    SerialPort &m_line;
    QElapsedTimer m_clock;
};

} // namespace

class TestQueriesSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void query_data();
    void query();

private:
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<QtSettingsStore> m_settings;
    std::unique_ptr<QtSerialLine> m_serial;
    std::unique_ptr<TimedLine> m_line;
    SleepingWait m_wait;
    ScriptedMessageBoxes m_boxes;
    orrinet::QtCursor m_cursor;
    std::unique_ptr<frmMain> m_window;
};

void TestQueriesSim::initTestCase()
{
    m_sim = std::make_unique<SimProcess>(qEnvironmentVariable("XDG_CONFIG_HOME"),
                                         QStringList{u"--com"_s, QString::number(kComPort)});
    QVERIFY2(m_sim->isRunning(), qPrintable(m_sim->errorString()));

    // Made after the simulator has written its port mapping.
    m_settings = std::make_unique<QtSettingsStore>();
    m_serial = std::make_unique<QtSerialLine>(*m_settings);
    m_line = std::make_unique<TimedLine>(*m_serial);
    m_window = std::make_unique<frmMain>(Platform{*m_line, *m_settings, m_wait, m_boxes, m_cursor});

    m_window->Combo1->setCurrentIndex(kComPort - 1);
    m_window->CommandConnect_Click();
    QVERIFY2(m_line->isOpen(), qPrintable(m_window->statusText()));
    QCOMPARE(m_serial->device(), m_sim->ptyPath());
}

void TestQueriesSim::cleanupTestCase()
{
    m_window.reset();
    m_line.reset();
    m_serial.reset();
    m_settings.reset();
    m_sim.reset();
}

void TestQueriesSim::query_data()
{
    QTest::addColumn<TelescopeQuery>("query");
    QTest::addColumn<QAction *>("item");
    // The result line; a pattern where the simulator's clock or sky moves.
    QTest::addColumn<QString>("line");

    const frmMain &w = *m_window;
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
    frmMain &w = *m_window;
    m_line->forget();

    item->trigger();
    QCOMPARE(w.statusText(), QString(info.sentStatus));
    QCOMPARE(w.mousePointer(), frmMain::MousePointer::Hourglass);

    QTRY_VERIFY_WITH_TIMEOUT(raisedFlags(w).isEmpty(), kResultTimeoutMs);
    QVERIFY(!w.Timer1->isActive());
    QCOMPARE(w.mousePointer(), frmMain::MousePointer::Default);
    QVERIFY2(QRegularExpression(line).match(w.statusText()).hasMatch(), qPrintable(w.statusText()));

    const std::vector<TimedLine::Event> &writes = m_line->writes;
    const std::vector<TimedLine::Event> &reads = m_line->reads;
    const std::size_t steps = info.secondFlag ? 2 : 1;
    QCOMPARE(writes.size(), steps);
    QCOMPARE(reads.size(), steps);
    QCOMPARE(writes[0].text, QString(info.firstCommand));
    if (info.secondFlag) {
        QCOMPARE(writes[1].text, QString(info.secondCommand));
        // The second command waits 200 ms after the first reply was read.
        QVERIFY2(writes[1].atMs - reads[0].atMs >= kPauseQuerySecondStepMs,
                 qPrintable(QString::number(writes[1].atMs - reads[0].atMs) + u" ms"_s));
        // Each reply was read whole, "#" included.
        QVERIFY(reads[0].text.endsWith(u'#'));
        QVERIFY(reads[1].text.endsWith(u'#'));
    } else {
        // Three letters and the terminator, read whole although the threshold is 3.
        QCOMPARE(reads[0].text.size(), 4);
        QCOMPARE(w.ReceiveBuffer, reads[0].text);
    }

    // Nothing more arrives: no time-out and no stray input replaces the line.
    const QString shown = w.statusText();
    QTest::qWait(300);
    QCOMPARE(w.statusText(), shown);
}

ORRINET_E2E_MAIN(TestQueriesSim)

#include "tst_queries_sim.moc"
