// A pointer slew through the real serial stack against the simulator: east
// for about a second at the slider's rate, then the halt holds the position.

#include "app/picturebox.h"
#include "motion/pointercentre.h"
#include "support/privatesettings.h"
#include "support/simpanel.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QSlider>
#include <QTest>
#include <QTime>

using namespace orrinet::testing;
using namespace Qt::StringLiterals;

class TestPointerSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pointerSlewEastAtTheSliderRate();
};

void TestPointerSim::pointerSlewEastAtTheSliderRate()
{
    SimPanel p;
    QVERIFY2(p.connectPort(), qPrintable(p.failure()));
    frmMain &w = p.window;
    w.SliderMove->setValue(9); // 1.0 deg/s on both axes
    w.PTDbutton[6]->trigger(); // halt 300 ms after the last movement

    // The right ascension a Get reads, in degrees.
    const auto ra = [&w]() -> double {
        w.CommandGet_Click();
        if (!QTest::qWaitFor([&w] { return !w.WaitingRa && !w.WaitingDec; }, 3000))
            return -1;
        const QTime hms = QTime::fromString(w.RaString.left(8), u"HH:mm:ss"_s);
        return hms.isValid() ? hms.msecsSinceStartOfDay() / 240000.0 : -1; // 4 min a degree
    };
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
    w.PicturePointer_MouseDown(1, 0, 0, 0); // leaves pointer mode
    const double stopped = ra();
    const double moved = stopped - start;
    QVERIFY2(moved > 0.75 && moved < seconds * 1.25,
             qPrintable(u"moved %1 deg in %2 s"_s.arg(moved).arg(seconds)));

    QTest::qWait(500);
    QVERIFY2(qAbs(ra() - stopped) < 0.01, "the halt stopped the slew");
}

ORRINET_E2E_MAIN(TestPointerSim)

#include "tst_pointer_sim.moc"
