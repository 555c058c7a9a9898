// Goto, Get, Halt and pointer slewing against the simulator, at latitude +33 deg
// 52' and pointing at the meridian, which never answers the firmware query.

#include "app/commandbutton.h"
#include "app/picturebox.h"
#include "motion/pointercentre.h"
#include "support/simpanel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <memory>

using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

// The simulator slews at 8 degrees a second on each axis.
constexpr int kArrivalTimeoutMs = 30000;

// Picks a declination in the lists, keeping the right ascension.
void selectDeclination(frmMain &w, bool minus, int degrees)
{
    w.ComboDECsign->setCurrentIndex(minus ? 1 : 0);
    w.ComboDECd->setCurrentIndex(89 - degrees);
    w.ComboDECm->setCurrentIndex(0);
    w.ComboDECs->setCurrentIndex(0);
}

} // namespace

class TestGotoSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void initTestCase()
    {
        m_panel = std::make_unique<SimPanel>(QStringList{u"--drop"_s, u":GVN#"_s});
        QVERIFY2(m_panel->connectPort(), qPrintable(m_panel->failure()));
    }
    void cleanupTestCase() { m_panel.reset(); }

    void init()
    {
        // A Get copies the telescope's position into the lists.
        m_panel->window.CheckRADEC->setChecked(true);
        QVERIFY(get());
    }

    void gotoAboveHorizonArrives()
    {
        frmMain &w = m_panel->window;
        // The firmware query's reply never comes; the Goto must still get its own.
        const int timeout = w.Timer1->interval();
        w.Timer1->setInterval(200);
        w.TelescopeInfoButton_Click();
        QTRY_COMPARE(w.statusText(), u"Timeout waiting for response"_s);
        // Near the meridian, 26 degrees from the zenith.
        selectDeclination(w, false, 60);
        // Overdue when the Goto starts, the query gives way to it.
        w.CommandGotoRADEC->click();
        w.Timer1->setInterval(timeout);
        QVERIFY(m_panel->settled());

        // The label shows the target until a Get reads the telescope's position.
        const QString target = w.GotoText;
        QVERIFY2(QTest::qWaitFor([&] { return get() && w.LabelRADEC->text() == target; },
                                 kArrivalTimeoutMs),
                 qPrintable(w.LabelRADEC->text()));
    }

    void gotoBelowHorizonIsRefused()
    {
        frmMain &w = m_panel->window;
        const QString position = w.LabelRADEC->text();
        // Never rises at latitude +33 degrees.
        selectDeclination(w, true, 80);
        QVERIFY(gotoTarget());
        QCOMPARE(w.statusText(), u"Goto RA/DEC  "_s + w.GotoText +
                                     u"  Slew not possible, 1Object Below Horizon#"_s);

        // The whole reason was read in one piece: nothing follows as stray input.
        const QString shown = w.statusText();
        QTest::qWait(300);
        QCOMPARE(w.statusText(), shown);
        QVERIFY(get());
        QCOMPARE(w.LabelRADEC->text(), position);
    }

    void haltStopsTheSlew()
    {
        frmMain &w = m_panel->window;
        const QString start = w.LabelRADEC->text();
        // 36 degrees above the southern horizon on the meridian: a slew of several seconds.
        selectDeclination(w, true, 20);
        QVERIFY(gotoTarget());
        const QString target = w.GotoText;

        QTest::qWait(500);
        w.CommandGotoAbort->click();
        QVERIFY(get());
        const QString stopped = w.LabelRADEC->text();
        QVERIFY(stopped != start && stopped != target);
        QTest::qWait(1000);
        QVERIFY(get());
        QCOMPARE(w.LabelRADEC->text(), stopped);
    }

    void pointerSlewEastAtTheSliderRate()
    {
        frmMain &w = m_panel->window;
        w.CheckRADEC->setChecked(false); // else leaving pointer mode starts a Get of its own
        w.SliderMove->setValue(9);       // 1.0 deg/s on both axes
        w.PTDbutton[6]->trigger();       // halt 300 ms after the last movement
        const auto ra = [this, &w] { return get() ? raDegrees(w.RaString) : -1; };
        const double start = ra();
        QVERIFY(start >= 0);

        w.CheckPointerControl->setChecked(true);
        const QPoint centre = orrinet::pointerCentre(w.PointerRect) - w.PointerOrigin;
        QElapsedTimer slewing;
        slewing.start();
        while (slewing.elapsed() < 1000) {
            if (w.SkipNextPointerMove) // the echo of the re-centring
                w.PicturePointer_MouseMove(0, 0, centre.x(), centre.y());
            w.PicturePointer_MouseMove(0, 0, centre.x() + 4, centre.y());
            QTest::qWait(100);
        }
        QTRY_COMPARE_WITH_TIMEOUT(w.statusText(), u"Stop"_s, 2000);
        const double seconds = slewing.elapsed() / 1000.0;
        // Still in pointer mode: leaving it would send a halt of its own.
        const double stopped = ra();
        const double moved = stopped - start;
        QVERIFY2(moved > 0.75 && moved < seconds * 1.25,
                 qPrintable(u"moved %1 deg in %2 s"_s.arg(moved).arg(seconds)));

        QTest::qWait(500);
        QVERIFY2(qAbs(ra() - stopped) < 0.01, "the halt stopped the slew");
    }

    // A hand controller left in low precision answers ":GR#" one character
    // short; the Get switches it to high precision and completes.
    void getSwitchesLowPrecision()
    {
        // A simulator of its own: the shared panel never opens the port again.
        SimPanel p{{u"--low-precision"_s}};
        QVERIFY2(p.connectPort(), qPrintable(p.failure()));
        p.window.TimerPrecision->setInterval(300); // the short reply is in long before
        QVERIFY(p.get());
        QCOMPARE(p.window.statusText(), u"Telescope switched to high precision"_s);
        // The long forms: HH:MM:SS# and sDD*MM:SS#.
        QVERIFY2(raDegrees(p.window.RaString) >= 0, qPrintable(p.window.RaString));
        QCOMPARE(p.window.DecString.size(), 10);
    }

private:
    bool get() { return m_panel->get(); }
    bool gotoTarget()
    {
        m_panel->window.CommandGotoRADEC->click();
        return m_panel->settled();
    }

    std::unique_ptr<SimPanel> m_panel;
};

ORRINET_E2E_MAIN(TestGotoSim)

#include "tst_goto_sim.moc"
