// Manual motion over the fake line: the direction and focuser buttons, every
// key of the keyboard pad, held keys as each platform repeats them, and the
// ways a hold can end without its release.

#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "app/picturebox.h"
#include "support/panelfixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

using orrinet::testing::PanelFixture;
using namespace Qt::StringLiterals;

namespace {

void sendKey(QWidget *to, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers = {},
             bool repeat = false)
{
    QKeyEvent event(type, key, modifiers, QString(), repeat);
    QApplication::sendEvent(to, &event);
}

// "+Up" press, "-Up" release, "~Up" a repeat as X11 gives it (a release and
// a press, both marked), "*Up" a repeat as Windows gives it (a marked press).
void play(QWidget *pad, const QString &script)
{
    static const QHash<QString, int> keys{
        {u"Up"_s, Qt::Key_Up}, {u"Left"_s, Qt::Key_Left}, {u"F7"_s, Qt::Key_F7}};
    for (const QString &step : script.split(u' ')) {
        const int key = keys.value(step.mid(1));
        switch (step.front().unicode()) {
        case '+':
            sendKey(pad, QEvent::KeyPress, key);
            break;
        case '-':
            sendKey(pad, QEvent::KeyRelease, key);
            break;
        case '~':
            sendKey(pad, QEvent::KeyRelease, key, {}, true);
            sendKey(pad, QEvent::KeyPress, key, {}, true);
            break;
        case '*':
            sendKey(pad, QEvent::KeyPress, key, {}, true);
            break;
        }
    }
}

QList<int> pausesOf(const PanelFixture &f)
{
    const std::vector<int> pauses = f.pauses();
    return {pauses.begin(), pauses.end()};
}

int ticked(const frmMain &w)
{
    for (std::size_t i = 0; i < w.OptionFocus.size(); ++i) {
        if (w.OptionFocus[i]->isChecked())
            return int(i);
    }
    return -1;
}

} // namespace

class TestManualMotion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buttons_data();
    void buttons();
    void padKeys_data();
    void padKeys();
    void heldKeys_data();
    void heldKeys();
    void holdEndsWithoutRelease_data();
    void holdEndsWithoutRelease();
    void tickedFocusSpeedSentAgain();
};

void TestManualMotion::buttons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Qt::MouseButton>("mouse");
    QTest::addColumn<bool>("updateBoxes");
    QTest::addColumn<QString>("pressText");
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QString>("releaseText");
    QTest::addColumn<QList<int>>("pauses");

    QTest::newRow("N") << u"CommandMoveN"_s << Qt::LeftButton << false << u"Moving North"_s
                       << QStringList{u":Mn#"_s, u":Qn#"_s} << u"Movement stopped"_s
                       << QList<int>{200};
    QTest::newRow("S, right button")
        << u"CommandMoveS"_s << Qt::RightButton << false << u"Moving South"_s
        << QStringList{u":Ms#"_s, u":Qs#"_s} << u"Movement stopped"_s << QList<int>{200};
    QTest::newRow("E, middle button")
        << u"CommandMoveE"_s << Qt::MiddleButton << false << u"Moving East"_s
        << QStringList{u":Me#"_s, u":Qe#"_s} << u"Movement stopped"_s << QList<int>{200};
    // The position is read back after the pause.
    QTest::newRow("W, update boxes")
        << u"CommandMoveW"_s << Qt::LeftButton << true << u"Moving West"_s
        << QStringList{u":Mw#"_s, u":Qw#"_s, u":GR#"_s} << u"Movement stopped"_s << QList<int>{200};
    QTest::newRow("In, update boxes")
        << u"CommandFocusIn"_s << Qt::LeftButton << true << u"Focus moving In"_s
        << QStringList{u":F+#"_s, u":FQ#"_s} << u"Focus stopped"_s << QList<int>{};
    QTest::newRow("Out, right button")
        << u"CommandFocusOut"_s << Qt::RightButton << false << u"Focus moving Out"_s
        << QStringList{u":F-#"_s, u":FQ#"_s} << u"Focus stopped"_s << QList<int>{};
}

void TestManualMotion::buttons()
{
    QFETCH(QString, button);
    QFETCH(Qt::MouseButton, mouse);
    QFETCH(bool, updateBoxes);
    QFETCH(QString, pressText);
    QFETCH(QStringList, written);
    QFETCH(QString, releaseText);
    QFETCH(QList<int>, pauses);

    PanelFixture f{{{"com_port", "3"}, {"update_radec_box", updateBoxes ? "1" : "0"}}};
    QVERIFY(f.showActive());
    QVERIFY(f.connectPort());
    QCOMPARE(f.window.CheckRADEC->isChecked(), updateBoxes);
    auto *target = f.window.findChild<orrinet::CommandButton *>(button);
    QVERIFY(target);

    QTest::mousePress(target, mouse);
    QCOMPARE(f.written(), written.mid(0, 1));
    QCOMPARE(f.window.statusText(), pressText);
    QVERIFY(f.window.PictureNav->hasFocus());

    QTest::mouseRelease(target, mouse);
    QCOMPARE(f.written(), written);
    QCOMPARE(pausesOf(f), pauses);
    QVERIFY(f.window.PictureNav->hasFocus());
    if (written.size() < 3)
        QCOMPARE(f.window.statusText(), releaseText);
}

void TestManualMotion::padKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QStringList>("onPress");
    QTest::addColumn<QStringList>("onRelease");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("pauses");

    const Qt::KeyboardModifiers none;
    const QString stopped = u"Movement stopped"_s;
    QTest::newRow("Up") << int(Qt::Key_Up) << none << QStringList{u":Mn#"_s}
                        << QStringList{u":Qn#"_s} << stopped << QList<int>{200};
    QTest::newRow("Down, Shift") << int(Qt::Key_Down) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                 << QStringList{u":Ms#"_s} << QStringList{u":Qs#"_s} << stopped
                                 << QList<int>{200};
    QTest::newRow("Right, Ctrl") << int(Qt::Key_Right) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                 << QStringList{u":Me#"_s} << QStringList{u":Qe#"_s} << stopped
                                 << QList<int>{200};
    QTest::newRow("Left, Alt") << int(Qt::Key_Left) << Qt::KeyboardModifiers(Qt::AltModifier)
                               << QStringList{u":Mw#"_s} << QStringList{u":Qw#"_s} << stopped
                               << QList<int>{200};
    QTest::newRow("End") << int(Qt::Key_End) << none << QStringList{u":F+#"_s}
                         << QStringList{u":FQ#"_s} << u"Focus stopped"_s << QList<int>{};
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << none << QStringList{u":F-#"_s}
                               << QStringList{u":FQ#"_s} << u"Focus stopped"_s << QList<int>{};
    const char *const speeds[] = {"1 Fine", "2 Slow", "3 Medium", "4 Fast"};
    for (int i = 0; i < 4; ++i) {
        QTest::addRow("F%d", i + 1)
            << int(Qt::Key_F1 + i) << none << QStringList{} << QStringList{u":F%1#"_s.arg(i + 1)}
            << u"Focus speed set to "_s + QLatin1String(speeds[i]) << QList<int>{};
    }
    // The slider starts at 12 (5.0 deg/s), which no key reaches.
    QTest::newRow("F5") << int(Qt::Key_F5) << none << QStringList{} << QStringList{u":RG#"_s}
                        << u"Slew set to Guide Rate (Key 1)"_s << QList<int>{};
    QTest::newRow("F6") << int(Qt::Key_F6) << none << QStringList{} << QStringList{u":RC#"_s}
                        << u"Slew set to Centering Rate 2x (Key 2)"_s << QList<int>{};
    const char *const rates[] = {"00.1", "00.2", "00.3", "00.4", "00.5", "00.7", "01.0", "01.5"};
    for (int i = 0; i < 8; ++i) {
        const QString rate = QLatin1String(rates[i]);
        QTest::addRow("F%d", i + 7)
            << int(Qt::Key_F7 + i) << none << QStringList{}
            << QStringList{":RA"_L1 + rate + '#', ":RE"_L1 + rate + '#'}
            << u"Slew set to %1\u00B0/sec"_s.arg(rate.mid(1)) << QList<int>{200};
    }
    QTest::newRow("Home") << int(Qt::Key_Home) << none << QStringList{} << QStringList{u":GR#"_s}
                          << QString() << QList<int>{};
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << none << QStringList{}
                             << QStringList{u":GVN#"_s} << u"Telescope firmware..."_s
                             << QList<int>{};
    QTest::newRow("Space") << int(Qt::Key_Space) << none << QStringList{} << QStringList{u":Q#"_s}
                           << QString() << QList<int>{};
    QTest::newRow("A") << int(Qt::Key_A) << none << QStringList{} << QStringList{} << QString()
                       << QList<int>{};
}

void TestManualMotion::padKeys()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QStringList, onPress);
    QFETCH(QStringList, onRelease);
    QFETCH(QString, text);
    QFETCH(QList<int>, pauses);

    PanelFixture f{{{"com_port", "3"}, {"slew_rate", "12"}, {"focuser_speed", "3"}}};
    QVERIFY(f.showActive());
    QVERIFY(f.connectPort());
    QWidget *pad = f.window.PictureNav;
    QVERIFY(pad->hasFocus());
    QVERIFY(!f.window.LabelKeyControls->isHidden());
    const QString before = f.window.statusText();

    sendKey(pad, QEvent::KeyPress, key, modifiers);
    QCOMPARE(f.written(), onPress);
    QVERIFY(f.window.KeyIsDown);
    sendKey(pad, QEvent::KeyRelease, key, modifiers);
    QCOMPARE(f.written(), onPress + onRelease);
    QCOMPARE(pausesOf(f), pauses);
    QVERIFY(!f.window.KeyIsDown);
    if (!text.isEmpty())
        QCOMPARE(f.window.statusText(), text);
    else if (onRelease.isEmpty())
        QCOMPARE(f.window.statusText(), before);
    QCOMPARE(ticked(f.window), 3); // a key never moves the tick
    QVERIFY(pad->hasFocus());
}

void TestManualMotion::heldKeys_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("written");

    const QStringList upOnce{u":Mn#"_s, u":Qn#"_s};
    QTest::newRow("Up held, X11") << u"+Up ~Up ~Up ~Up -Up"_s << upOnce;
    QTest::newRow("Up held, Windows") << u"+Up *Up *Up *Up -Up"_s << upOnce;
    // The second key is ignored on press; its release stops its own direction
    // and lets the held key's next repeat start again.
    QTest::newRow("Left while Up is held")
        << u"+Up ~Up +Left -Left ~Up -Up"_s
        << QStringList{u":Mn#"_s, u":Qw#"_s, u":Mn#"_s, u":Qn#"_s};
    QTest::newRow("F7 held") << u"+F7 ~F7 ~F7 -F7"_s << QStringList{u":RA00.1#"_s, u":RE00.1#"_s};
}

void TestManualMotion::heldKeys()
{
    QFETCH(QString, script);
    QFETCH(QStringList, written);

    PanelFixture f{{{"com_port", "3"}}};
    QVERIFY(f.showActive());
    QVERIFY(f.connectPort());
    play(f.window.PictureNav, script);
    QCOMPARE(f.written(), written);
    QVERIFY(!f.window.KeyIsDown);
}

void TestManualMotion::holdEndsWithoutRelease_data()
{
    QTest::addColumn<QString>("hold"); // a pad key or a button, left held
    QTest::addColumn<QString>("end");
    QTest::addColumn<QStringList>("written"); // after the hold began
    QTest::addColumn<QString>("text");

    QTest::newRow("Up, pad loses the focus")
        << u"Up"_s << u"focus"_s << QStringList{u":Qn#"_s} << u"Movement stopped"_s;
    QTest::newRow("End, window deactivated")
        << u"End"_s << u"deactivate"_s << QStringList{u":FQ#"_s} << u"Focus stopped"_s;
    QTest::newRow("button N, window deactivated")
        << u"CommandMoveN"_s << u"deactivate"_s << QStringList{u":Qn#"_s} << u"Movement stopped"_s;
    QTest::newRow("Right, disconnect")
        << u"Right"_s << u"disconnect"_s << QStringList{u":Qe#"_s} << u"Disconnected from com 3"_s;
    QTest::newRow("button Out, close")
        << u"CommandFocusOut"_s << u"close"_s << QStringList{u":FQ#"_s} << u"Focus stopped"_s;
    QTest::newRow("Down, line lost")
        << u"Down"_s << u"lost"_s << QStringList{} << u"Connection lost on com 3 - gone"_s;
    QTest::newRow("nothing held, disconnect")
        << QString() << u"disconnect"_s << QStringList{} << u"Disconnected from com 3"_s;
    QTest::newRow("nothing held, close") << QString() << u"close"_s << QStringList{} << QString();
}

void TestManualMotion::holdEndsWithoutRelease()
{
    QFETCH(QString, hold);
    QFETCH(QString, end);
    QFETCH(QStringList, written);
    QFETCH(QString, text);

    PanelFixture f{{{"com_port", "3"}}};
    frmMain &w = f.window;
    QVERIFY(f.showActive());
    QVERIFY(f.connectPort());
    const QHash<QString, int> keys{{u"Up"_s, Qt::Key_Up},
                                   {u"Down"_s, Qt::Key_Down},
                                   {u"Right"_s, Qt::Key_Right},
                                   {u"End"_s, Qt::Key_End}};
    if (keys.contains(hold))
        sendKey(w.PictureNav, QEvent::KeyPress, keys.value(hold));
    else if (!hold.isEmpty())
        QTest::mousePress(w.findChild<orrinet::CommandButton *>(hold), Qt::LeftButton);
    const qsizetype started = f.written().size();
    QCOMPARE(started, hold.isEmpty() ? 0 : 1);
    const QString statusBefore = w.statusText();

    QWidget other;
    if (end == u"focus") {
        w.ComboRAh->setFocus();
    } else if (end == u"deactivate") {
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    } else if (end == u"disconnect") {
        QVERIFY(f.disconnectPort());
    } else if (end == u"close") {
        w.close();
    } else if (end == u"lost") {
        f.port.loseConnection(u"gone"_s);
    }
    QCOMPARE(f.written().mid(started), written);
    QCOMPARE(f.pauses(), std::vector<int>{}); // a lost hold is stopped at once
    QVERIFY(!w.KeyIsDown);
    if (!text.isEmpty())
        QCOMPARE(w.statusText(), text);
    else
        QCOMPARE(w.statusText(), statusBefore);
    if (end == u"focus") {
        QVERIFY(w.ComboRAh->hasFocus()); // the stop leaves the focus where it went
        sendKey(w.PictureNav, QEvent::KeyRelease, Qt::Key_Up); // the pad is no longer active
        QCOMPARE(f.written().mid(started), written);
    }
}

void TestManualMotion::tickedFocusSpeedSentAgain()
{
    PanelFixture f{{{"com_port", "3"}, {"focuser_speed", "3"}}};
    frmMain &w = f.window;
    QVERIFY(f.showActive());
    QVERIFY(f.connectPort());
    sendKey(w.PictureNav, QEvent::KeyPress, Qt::Key_F2);
    sendKey(w.PictureNav, QEvent::KeyRelease, Qt::Key_F2);
    QTest::mouseClick(w.OptionFocus[3], Qt::LeftButton); // "Fast", still ticked
    QTest::mouseClick(w.OptionFocus[2], Qt::LeftButton); // "Medium", once
    QCOMPARE(f.written(), (QStringList{u":F2#"_s, u":F4#"_s, u":F3#"_s}));
    QCOMPARE(w.FocusSpeed, 2);
    QCOMPARE(ticked(w), 2);
    QVERIFY(w.PictureNav->hasFocus());
}

QTEST_MAIN(TestManualMotion)
#include "tst_manualmotion.moc"
