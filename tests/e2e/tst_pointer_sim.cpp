// A pointer slew through the real serial stack against the simulator: east
// for about a second at the slider's rate, then the halt holds the position.

#include "app/frmMain.h"
#include "app/picturebox.h"
#include "motion/pointercentre.h"
#include "platform/platform.h"
#include "platform/qtcursor.h"
#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"
#include "support/scriptedmessageboxes.h"
#include "platform/sleepingwait.h"
#include "support/privatesettings.h"
#include "support/simprocess.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QSlider>
#include <QTest>
#include <memory>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

constexpr int kComPort = 6;
constexpr int kReplyTimeoutMs = 3000;

// "HH:MM:SS#" in degrees.
double raDegrees(const QString &reply)
{
    const QStringList parts = reply.chopped(1).split(u':');
    if (parts.size() != 3)
        return -1;
    return (parts[0].toDouble() + parts[1].toDouble() / 60 + parts[2].toDouble() / 3600) * 15;
}

} // namespace

class TestPointerSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pointerSlewEastAtTheSliderRate();
};

void TestPointerSim::pointerSlewEastAtTheSliderRate()
{
    SimProcess sim(qEnvironmentVariable("XDG_CONFIG_HOME"),
                   QStringList{u"--com"_s, QString::number(kComPort)});
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    QtSettingsStore settings;
    QtSerialLine line(settings);
    SleepingWait wait;
    ScriptedMessageBoxes boxes;
    QtCursor cursor;
    frmMain w{Platform{line, settings, wait, boxes, cursor}};
    w.Combo1->setCurrentIndex(kComPort - 1);
    w.CommandConnect_Click();
    QVERIFY2(line.isOpen(), qPrintable(w.statusText()));
    w.SliderMove->setValue(9); // 1.0 deg/s on both axes
    w.PTDbutton[6]->trigger(); // halt 300 ms after the last movement

    const auto ra = [&w]() -> double {
        w.CommandGet_Click();
        if (!QTest::qWaitFor([&w] { return !w.WaitingRa && !w.WaitingDec; }, kReplyTimeoutMs))
            return -1;
        return raDegrees(w.RaString);
    };
    const double start = ra();
    QVERIFY(start >= 0);

    w.CheckPointerControl->setChecked(true);
    const QPoint centre = pointerCentre(w.PointerRect) - w.PointerOrigin;
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
    QVERIFY2(moved > 0.75 * 1.0 * 1.0 && moved < 1.0 * seconds * 1.25,
             qPrintable(u"moved %1 deg in %2 s"_s.arg(moved).arg(seconds)));

    QTest::qWait(500);
    QVERIFY2(qAbs(ra() - stopped) < 0.01, "the halt stopped the slew");
}

ORRINET_E2E_MAIN(TestPointerSim)

#include "tst_pointer_sim.moc"
