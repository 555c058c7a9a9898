// The menus and the console against the simulator: Telescope queries with real
// pauses, delayed verdicts, a macro starting a real slew, the park, the console.

#include "commands/frmCmd.h"
#include "link/protocol.h"
#include "support/simpanel.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <memory>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

class TestLx200MenusSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void verdicts_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("status");
        const auto row = [](const char *name, const QString &options, const char *item,
                            const char *status) {
            QTest::newRow(name) << options.split(u' ') << QString(item) << QString(status);
        };
        row("GPS update", u"--gps-delay 1"_s, "GpsButton", "Telescope updated with GPS data");
        row("GPS without fix", u"--gps-delay 1 --gps-fail"_s, "GpsButton",
            "GPS turn on aborted or failed");
        row("automatic alignment", u"--align-delay 1"_s, "AutoButton", "Alignment Successful");
        row("alignment, polar mount", u"--mount polar"_s, "AutoButton",
            "Scope not AzEl Mounted or align failed");
    }

    void verdicts()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, item);
        QFETCH(QString, status);

        // A simulator of its own: the shared panel never opens the port again.
        SimPanel p{options};
        QVERIFY2(p.connectPort(), qPrintable(p.failure()));
        p.boxes.enqueue(MessageBoxes::Answer::Ok);
        p.window.findChild<QAction *>(item)->trigger();
        QVERIFY(p.settled());
        QCOMPARE(p.window.statusText(), status);
    }

    void initTestCase()
    {
        // Short enough that the display read ending a macro already shows the slew.
        m_panel = std::make_unique<SimPanel>(QStringList{u"--taking-ms"_s, u"200"_s});
        QVERIFY2(m_panel->connectPort(), qPrintable(m_panel->failure()));
    }
    void cleanupTestCase() { m_panel.reset(); }

    void queries_data()
    {
        QTest::addColumn<QAction *>("item");
        // The result line; a pattern where the simulator's clock or sky moves.
        QTest::addColumn<QString>("line");
        const frmMain &w = m_panel->window;
        const auto row = [](const char *name, QAction *item, const QString &line) {
            QTest::newRow(name) << item << line;
        };
        row("Status", w.TelescopeStatusButton, u"^AltAz Mount, Tracking, Not aligned$"_s);
        row("Firmware verson", w.TelescopeInfoButton, u"^LX2001   Firmware 4\\.2l$"_s);
        row("Site Lat/Lon", w.TelescopeSiteButton, u"^Lat 33\u00B052'N   Lon 117\u00B005'W$"_s);
        row("Date and Time", w.TelescopeDateButton,
            u"^Date \\d\\d/\\d\\d/\\d\\d   Time \\d\\d:\\d\\d:\\d\\d$"_s);
        row("Azimuth/Altitude", w.TelescopeAzButton,
            u"^Azimuth \\d{3}\u00B0\\d\\d'\\d\\d\"   Altitude [+-]\\d\\d\u00B0\\d\\d'\\d\\d\"$"_s);
    }

    // Run before the macro and the park change what the telescope reports.
    void queries()
    {
        QFETCH(QAction *, item);
        QFETCH(QString, line);

        frmMain &w = m_panel->window;
        QElapsedTimer clock;
        clock.start();
        item->trigger();
        QVERIFY(m_panel->settled());
        QVERIFY2(QRegularExpression(line).match(w.statusText()).hasMatch(),
                 qPrintable(w.statusText()));
        // Each reply is read whole, "#" included, although longer than some thresholds.
        QVERIFY2(w.ReceiveBuffer.endsWith(u'#'), qPrintable(w.ReceiveBuffer));
        // A second command waits 200 ms after the first reply.
        if (item != w.TelescopeStatusButton)
            QVERIFY2(clock.elapsed() >= kPauseQuerySecondStepMs,
                     qPrintable(QString::number(clock.elapsed())));

        // Nothing more arrives: no time-out and no stray input replaces the line.
        const QString shown = w.statusText();
        QTest::qWait(300);
        QCOMPARE(w.statusText(), shown);
    }

    void polarisMacroStartsSlew()
    {
        frmMain &w = m_panel->window;
        // The declination a Get reads, in whole degrees.
        const auto declination = [this, &w] {
            return m_panel->get() ? w.DecString.mid(1, 2).toInt() : -1;
        };
        const int start = declination();
        w.GotoPolaris[1]->trigger();
        QVERIFY(m_panel->settled(8000)); // the macro blocks for 3 s
        QCOMPARE(w.statusText(), u" Polaris         Slewing...      #"_s);
        const int early = declination();
        QTest::qWait(1000);
        const int later = declination();
        QVERIFY2(start < early && early < later && later <= 89,
                 qPrintable(u"%1 %2 %3"_s.arg(start).arg(early).arg(later)));
    }

    void consoleShowsWholeReply()
    {
        frmMain &w = m_panel->window;
        QString reply;
        QTimer::singleShot(0, &w, [&] {
            frmCmd &console = *w.console();
            console.Text1->setText(u":GR#"_s);
            console.SendCommand->click();
            // Waited for past the terminator: anything after it would be shown too.
            (void)QTest::qWaitFor([&] { return console.Text2->text().endsWith(u'#'); }, 4000);
            QTest::qWait(50);
            reply = console.Text2->text();
            console.CloseCommand->click();
        });
        w.SendButton_Click();
        QVERIFY2(QRegularExpression(u"^\\d\\d:\\d\\d:\\d\\d#$"_s).match(reply).hasMatch(),
                 qPrintable(reply));
    }

    void parkStopsTracking()
    {
        frmMain &w = m_panel->window;
        w.ParkButton->trigger();
        w.TelescopeStatusButton->trigger();
        QVERIFY(m_panel->settled());
        QCOMPARE(w.statusText(), u"AltAz Mount, Not Tracking, Scope was parked"_s);
    }

private:
    std::unique_ptr<SimPanel> m_panel;
};

ORRINET_E2E_MAIN(TestLx200MenusSim)
#include "tst_lx200menus_sim.moc"
