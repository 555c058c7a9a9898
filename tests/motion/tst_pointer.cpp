// Pointer slewing over the fake line and the recording pointer: the commands
// and texts of each movement, the halt and how a slew is ended, the pointer
// held in the pad and let go, the keys of the pad.

#include "app/frmMain.h"
#include "app/picturebox.h"
#include "motion/pointercentre.h"
#include "support/panelfixture.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QHash>
#include <QSlider>
#include <QTest>
#include <QTimer>

using orrinet::testing::PanelFixture;
using namespace Qt::StringLiterals;

namespace {

// One movement of the pointer from the pad's centre, then its echo.
void move(PanelFixture &f, int dx, int dy, bool deliverEcho = true)
{
    const frmMain &w = f.window;
    const QPoint at = orrinet::pointerCentre(w.PointerRect) - w.PointerOrigin + QPoint(dx, dy);
    f.cursor.place(f.window.PicturePointer->mapToGlobal(at));
    f.window.PicturePointer_MouseMove(0, 0, at.x(), at.y());
    if (deliverEcho)
        QCoreApplication::sendPostedEvents(f.window.PicturePointer, QEvent::MouseMove);
}

void step(PanelFixture &f, const QString &what)
{
    static const QHash<QString, QPoint> moves{
        {u"right"_s, {1, 0}}, {u"left"_s, {-1, 0}}, {u"up-left"_s, {-3, -1}},
        {u"down"_s, {0, 40}}, {u"still"_s, {0, 0}},
    };
    if (moves.contains(what))
        move(f, moves[what].x(), moves[what].y());
    else if (what == u"right-echo-late") // the next step comes before this echo
        move(f, 1, 0, false);
    else if (what == u"halt")
        f.window.TimerMove_Timer(); // the halt delay has run out
    else if (what == u"click")
        f.window.PicturePointer_MouseDown(2, 0, 5, 5);
    else if (what == u"esc")
        f.window.PicturePointer_KeyDown(27, 0);
    else if (what == u"disconnect")
        f.disconnectPort();
    else if (what == u"unload")
        f.window.close();
    else if (what == u"lost")
        f.port.loseConnection(u"gone"_s);
    else
        QFAIL(qPrintable(what));
}

} // namespace

class PointerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void centreRoundsHalvesToEven();
    void enteringHoldsPointerInCentre_data();
    void enteringHoldsPointerInCentre();
    void movementsWriteAndHalt_data();
    void movementsWriteAndHalt();
    void pointerLetGoAndTakenBack();
    void keys_data();
    void keys();
    void haltDelayMenu_data();
    void haltDelayMenu();
};

void PointerTest::centreRoundsHalvesToEven()
{
    QCOMPARE(orrinet::pointerCentre(QRect(0, 0, 5, 5)), QPoint(2, 2));        // 2.5
    QCOMPARE(orrinet::pointerCentre(QRect(10, 10, 207, 7)), QPoint(114, 14)); // 113.5, 13.5
}

void PointerTest::enteringHoldsPointerInCentre_data()
{
    QTest::addColumn<bool>("startAtCentre");
    QTest::addColumn<bool>("refuse");
    QTest::newRow("pointer elsewhere") << false << false;
    // A warp that does not move gives no echo: nothing to skip.
    QTest::newRow("pointer already in the centre") << true << false;
    // Another program holds the pointer: re-centring alone, same texts.
    QTest::newRow("grab refused") << false << true;
}

void PointerTest::enteringHoldsPointerInCentre()
{
    QFETCH(bool, startAtCentre);
    QFETCH(bool, refuse);
    PanelFixture f{{{"com_port", "3"}}};
    QVERIFY(f.showActive());
    QVERIFY(f.connectPort());
    frmMain &w = f.window;
    const QPoint origin = w.PicturePointer->mapToGlobal(QPoint(0, 0));
    const QRect area(origin, w.PicturePointer->size());
    const QPoint centre = orrinet::pointerCentre(area);
    if (startAtCentre)
        f.cursor.place(centre);
    f.cursor.refuseConfine = refuse;

    w.CheckPointerControl->setChecked(true);
    QCOMPARE(w.statusText(), QStringLiteral("Move using pointer activated 25ms"));
    for (QWidget *frame :
         std::initializer_list<QWidget *>{w.FrameFocus, w.FrameMove, w.FrameRADEC, w.FrameAutostar})
        QVERIFY(!frame->isVisible());
    QVERIFY(w.PicturePointer->hasFocus());
    QStringList expected{QString::asprintf("confine %d,%d %dx%d", area.left(), area.top(),
                                           area.width(), area.height())};
    // Parked before the grab, which would pull it to the pad's edge.
    if (!startAtCentre)
        expected.prepend(QString::asprintf("warp %d,%d", centre.x(), centre.y()));
    QCOMPARE(f.cursor.calls, expected);
    QCOMPARE(w.SkipNextPointerMove, !startAtCentre);
    if (startAtCentre) // the reference is the centre, as an echo would have made it
        QCOMPARE(QPointF(w.LastPointerX, w.LastPointerY), QPointF(centre - origin));

    w.CheckPointerControl->setChecked(false);
    QCOMPARE(f.cursor.calls.last(), QStringLiteral("release"));
}

void PointerTest::movementsWriteAndHalt_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("haltPending");

    QTest::newRow("right") << "right" << QStringList{":Me#"} << "East" << true;
    QTest::newRow("right, right again") << "right right" << QStringList{":Me#"} << "East" << true;
    QTest::newRow("up and left in one step")
        << "up-left" << QStringList{":Mw#", ":Mn#"} << "North" << true;
    // A step that reaches the pad before the echo of the last re-centring is
    // a step, and the echo after it is no movement.
    QTest::newRow("a step before the echo")
        << "right-echo-late right" << QStringList{":Me#"} << "East" << true;
    QTest::newRow("right, left, right")
        << "right left right" << QStringList{":Me#", ":Mw#"} << "West" << true;
    QTest::newRow("rest") << "right halt" << QStringList{":Me#", ":Q#"} << "Stop" << false;
    QTest::newRow("after the halt, free again")
        << "down halt down" << QStringList{":Ms#", ":Q#", ":Ms#"} << "South" << true;
    QTest::newRow("no change keeps the halt coming")
        << "right still" << QStringList{":Me#"} << "East" << true;
    QTest::newRow("nothing moves, nothing to halt") << "still" << QStringList{} << "" << false;
    QTest::newRow("click") << "right click" << QStringList{":Me#", ":Q#"}
                           << "Move using pointer deactivated" << false;
    QTest::newRow("esc leaves, the halt follows")
        << "right esc" << QStringList{":Me#"} << "Move using pointer deactivated" << true;
    QTest::newRow("esc then the halt")
        << "right esc halt" << QStringList{":Me#", ":Q#"} << "Stop" << false;
    QTest::newRow("disconnect writes the halt first")
        << "right disconnect" << QStringList{":Me#", ":Q#"} << "Disconnected from com 3" << false;
    QTest::newRow("disconnect at rest writes nothing more")
        << "right halt disconnect" << QStringList{":Me#", ":Q#"} << "Disconnected from com 3"
        << false;
    QTest::newRow("unload writes the halt first")
        << "left unload" << QStringList{":Mw#", ":Q#"} << "Stop" << false;
    QTest::newRow("lost line: no halt to a closed port")
        << "right lost" << QStringList{":Me#"} << "Connection lost on com 3 - gone" << false;
}

void PointerTest::movementsWriteAndHalt()
{
    QFETCH(QString, steps);
    QFETCH(QStringList, writes);
    QFETCH(QString, status);
    QFETCH(bool, haltPending);
    PanelFixture f{{{"com_port", "3"}}};
    QVERIFY(f.showActive());
    QVERIFY(f.connectPort());
    f.cursor.echoTo = f.window.PicturePointer;
    f.window.CheckPointerControl->setChecked(true);
    QCoreApplication::sendPostedEvents(f.window.PicturePointer, QEvent::MouseMove);
    QVERIFY(!f.window.SkipNextPointerMove);
    f.window.setStatusText(QString());

    for (const QString &what : steps.split(u' '))
        step(f, what);
    QCOMPARE(f.written(), writes);
    QCOMPARE(f.window.statusText(), status);
    QCOMPARE(f.window.TimerMove->isActive(), haltPending);
    // Each re-centring was paired with its echo.
    QVERIFY(!f.window.SkipNextPointerMove);
    if (!f.window.CheckPointerControl->isChecked())
        QVERIFY(!f.cursor.confined);
    if (!haltPending) {
        for (bool moving :
             {f.window.MovingEast, f.window.MovingWest, f.window.MovingNorth, f.window.MovingSouth})
            QVERIFY(!moving);
    }
}

void PointerTest::pointerLetGoAndTakenBack()
{
    PanelFixture f{{{"com_port", "3"}}};
    QVERIFY(f.showActive());
    QVERIFY(f.connectPort());
    f.window.CheckPointerControl->setChecked(true);
    QVERIFY(f.cursor.confined);

    // A menu takes the pointer and the focus; the pad takes both back.
    QWidget menu(&f.window);
    menu.setFocusPolicy(Qt::StrongFocus);
    menu.show();
    menu.setFocus();
    f.cursor.confined = false;
    f.window.PicturePointer->setFocus(Qt::PopupFocusReason);
    QVERIFY(f.cursor.confined);

    f.window.hide();
    QVERIFY(!f.cursor.confined);
}

void PointerTest::keys_data()
{
    QTest::addColumn<int>("slider");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("sliderAfter");
    QTest::addColumn<QStringList>("writes"); // the texts are those of the buttons and the slider

    QTest::newRow("up") << 2 << 38 << 3 << QStringList{":RA00.1#", ":RE00.1#"};
    QTest::newRow("up at 12 goes to 2") << 12 << 38 << 2 << QStringList{":RC#"};
    QTest::newRow("down at 2 goes to 12") << 2 << 40 << 12 << QStringList{":RA05.0#", ":RE05.0#"};
    QTest::newRow("down from guide goes to 12")
        << 1 << 40 << 12 << QStringList{":RA05.0#", ":RE05.0#"};
    QTest::newRow("end") << 2 << 35 << 2 << QStringList{":FQ#"};
    QTest::newRow("page down") << 2 << 34 << 2 << QStringList{":FQ#"};
    QTest::newRow("space") << 2 << 32 << 2 << QStringList{":Q#"};
    QTest::newRow("other key") << 2 << 65 << 2 << QStringList{};
}

// The pad keeps the focus and pointer mode stays.
void PointerTest::keys()
{
    QFETCH(int, slider);
    QFETCH(int, key);
    QFETCH(int, sliderAfter);
    QFETCH(QStringList, writes);
    PanelFixture f{{{"com_port", "3"}, {"slew_rate", QString::number(slider)}}};
    QVERIFY(f.showActive());
    QVERIFY(f.connectPort());
    f.window.CheckPointerControl->setChecked(true);

    f.window.PicturePointer_KeyDown(key, 0);
    QCOMPARE(f.window.SliderMove->value(), sliderAfter);
    QCOMPARE(f.written(), writes);
    QVERIFY(f.window.CheckPointerControl->isChecked());
    QVERIFY(f.window.PicturePointer->hasFocus());
}

void PointerTest::haltDelayMenu_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("ms");
    const int delays[] = {10, 25, 50, 100, 200, 300};
    for (int index = 1; index <= 6; ++index) {
        const QString caption = u"%1ms"_s.arg(delays[index - 1]);
        QTest::newRow(qPrintable(caption)) << index << caption << delays[index - 1];
    }
}

// The halt comes this long after the last movement.
void PointerTest::haltDelayMenu()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(int, ms);
    PanelFixture f;
    const auto item = std::size_t(index);
    QCOMPARE(f.window.PTDbutton[item]->text(), caption);
    f.window.PTDbutton[item]->trigger();
    QCOMPARE(f.window.TimerMove->interval(), ms);
    QCOMPARE(f.window.PointerTimeIndex, index);
    for (std::size_t i = 1; i < f.window.PTDbutton.size(); ++i)
        QCOMPARE(f.window.PTDbutton[i]->isChecked(), i == item);
}

QTEST_MAIN(PointerTest)
#include "tst_pointer.moc"
