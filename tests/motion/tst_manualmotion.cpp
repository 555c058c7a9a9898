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

// Press and release as one text, "press | release", each side a list of commands.
void splitWire(const QString &wire, QStringList &onPress, QStringList &onRelease)
{
    const QStringList sides = wire.split(u'|');
    onPress = sides.value(0).split(u' ', Qt::SkipEmptyParts);
    onRelease = sides.value(1).split(u' ', Qt::SkipEmptyParts);
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
    QTest::addColumn<QString>("wire");
    QTest::addColumn<QString>("pressText");
    QTest::addColumn<QString>("releaseText");
    QTest::addColumn<bool>("paused"); // 200 ms after a slew's stop

    const auto row = [](const char *name, const char *button, Qt::MouseButton mouse, bool update,
                        const char *wire, const char *pressText, const char *releaseText,
                        bool paused) {
        QTest::newRow(name) << QString::fromLatin1(button) << mouse << update
                            << QString::fromLatin1(wire) << QString::fromLatin1(pressText)
                            << QString::fromLatin1(releaseText) << paused;
    };
    const char *const stopped = "Movement stopped";
    row("N", "CommandMoveN", Qt::LeftButton, false, ":Mn# | :Qn#", "Moving North", stopped, true);
    row("S, right", "CommandMoveS", Qt::RightButton, false, ":Ms# | :Qs#", "Moving South", stopped,
        true);
    row("E, middle", "CommandMoveE", Qt::MiddleButton, false, ":Me# | :Qe#", "Moving East", stopped,
        true);
    // The position is read back after the pause.
    row("W, update boxes", "CommandMoveW", Qt::LeftButton, true, ":Mw# | :Qw# :GR#", "Moving West",
        "", true);
    row("In, update boxes", "CommandFocusIn", Qt::LeftButton, true, ":F+# | :FQ#",
        "Focus moving In", "Focus stopped", false);
    row("Out, right", "CommandFocusOut", Qt::RightButton, false, ":F-# | :FQ#", "Focus moving Out",
        "Focus stopped", false);
}

void TestManualMotion::buttons()
{
    QFETCH(QString, button);
    QFETCH(Qt::MouseButton, mouse);
    QFETCH(bool, updateBoxes);
    QFETCH(QString, wire);
    QFETCH(QString, pressText);
    QFETCH(QString, releaseText);
    QFETCH(bool, paused);
    QStringList onPress, onRelease;
    splitWire(wire, onPress, onRelease);

    PanelFixture f{{{"com_port", "3"}, {"update_radec_box", updateBoxes ? "1" : "0"}}};
    QVERIFY(f.showActive());
    QVERIFY(f.connectPort());
    auto *target = f.window.findChild<orrinet::CommandButton *>(button);
    QVERIFY(target);

    QTest::mousePress(target, mouse);
    QCOMPARE(f.written(), onPress);
    QCOMPARE(f.window.statusText(), pressText);
    QVERIFY(f.window.PictureNav->hasFocus());

    QTest::mouseRelease(target, mouse);
    QCOMPARE(f.written(), onPress + onRelease);
    QCOMPARE(f.pauses(), paused ? std::vector<int>{200} : std::vector<int>{});
    QVERIFY(f.window.PictureNav->hasFocus());
    if (!releaseText.isEmpty())
        QCOMPARE(f.window.statusText(), releaseText);
}

void TestManualMotion::padKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("wire");
    QTest::addColumn<QString>("text"); // after the release; empty: unchanged
    QTest::addColumn<bool>("paused");

    const auto row = [](const QString &name, int key, Qt::KeyboardModifiers modifiers,
                        const QString &wire, const QString &text, bool paused) {
        QTest::newRow(qPrintable(name)) << key << modifiers << wire << text << paused;
    };
    const QString stopped = u"Movement stopped"_s;
    row(u"Up"_s, Qt::Key_Up, {}, u":Mn# | :Qn#"_s, stopped, true);
    row(u"Down, Shift"_s, Qt::Key_Down, Qt::ShiftModifier, u":Ms# | :Qs#"_s, stopped, true);
    row(u"Right, Ctrl"_s, Qt::Key_Right, Qt::ControlModifier, u":Me# | :Qe#"_s, stopped, true);
    row(u"Left, Alt"_s, Qt::Key_Left, Qt::AltModifier, u":Mw# | :Qw#"_s, stopped, true);
    row(u"End"_s, Qt::Key_End, {}, u":F+# | :FQ#"_s, u"Focus stopped"_s, false);
    row(u"Page Down"_s, Qt::Key_PageDown, {}, u":F-# | :FQ#"_s, u"Focus stopped"_s, false);
    const char *const speeds[] = {"1 Fine", "2 Slow", "3 Medium", "4 Fast"};
    for (int i = 0; i < 4; ++i)
        row(u"F%1"_s.arg(i + 1), Qt::Key_F1 + i, {}, u"| :F%1#"_s.arg(i + 1),
            u"Focus speed set to "_s + QLatin1String(speeds[i]), false);
    // The slider starts at 12 (5.0 deg/s), which no key reaches.
    row(u"F5"_s, Qt::Key_F5, {}, u"| :RG#"_s, u"Slew set to Guide Rate (Key 1)"_s, false);
    row(u"F6"_s, Qt::Key_F6, {}, u"| :RC#"_s, u"Slew set to Centering Rate 2x (Key 2)"_s, false);
    const char *const rates[] = {"00.1", "00.2", "00.3", "00.4", "00.5", "00.7", "01.0", "01.5"};
    for (int i = 0; i < 8; ++i) {
        const QString rate = QLatin1String(rates[i]);
        row(u"F%1"_s.arg(i + 7), Qt::Key_F7 + i, {}, u"| :RA%1# :RE%1#"_s.arg(rate),
            u"Slew set to %1\u00B0/sec"_s.arg(rate.mid(1)), true);
    }
    row(u"Home"_s, Qt::Key_Home, {}, u"| :GR#"_s, QString(), false);
    row(u"Page Up"_s, Qt::Key_PageUp, {}, u"| :GVN#"_s, u"Telescope firmware..."_s, false);
    row(u"Space"_s, Qt::Key_Space, {}, u"| :Q#"_s, QString(), false);
    row(u"A"_s, Qt::Key_A, {}, u"|"_s, QString(), false);
}

void TestManualMotion::padKeys()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, wire);
    QFETCH(QString, text);
    QFETCH(bool, paused);
    QStringList onPress, onRelease;
    splitWire(wire, onPress, onRelease);

    PanelFixture f{{{"com_port", "3"}, {"slew_rate", "12"}, {"focuser_speed", "3"}}};
    QVERIFY(f.showActive());
    QVERIFY(f.connectPort());
    QWidget *pad = f.window.PictureNav;
    QVERIFY(pad->hasFocus());
    const QString before = f.window.statusText();

    sendKey(pad, QEvent::KeyPress, key, modifiers);
    QCOMPARE(f.written(), onPress);
    QVERIFY(f.window.KeyIsDown);
    sendKey(pad, QEvent::KeyRelease, key, modifiers);
    QCOMPARE(f.written(), onPress + onRelease);
    QCOMPARE(f.pauses(), paused ? std::vector<int>{200} : std::vector<int>{});
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
    QTest::addColumn<QString>("text");        // empty: unchanged

    const auto row = [](const char *name, const char *hold, const char *end, const char *stop,
                        const char *text) {
        QTest::newRow(name) << QString::fromLatin1(hold) << QString::fromLatin1(end)
                            << QString::fromLatin1(stop).split(u' ', Qt::SkipEmptyParts)
                            << QString::fromLatin1(text);
    };
    row("Up, pad loses the focus", "Up", "focus", ":Qn#", "Movement stopped");
    // Tab and Shift+Tab leave the pad as they leave any control.
    row("Left, Tab", "Left", "Tab", ":Qw#", "Movement stopped");
    row("Up, Shift+Tab", "Up", "Shift+Tab", ":Qn#", "Movement stopped");
    row("End, window deactivated", "End", "deactivate", ":FQ#", "Focus stopped");
    row("button N, window deactivated", "CommandMoveN", "deactivate", ":Qn#", "Movement stopped");
    row("Right, disconnect", "Right", "disconnect", ":Qe#", "Disconnected from com 3");
    row("button Out, close", "CommandFocusOut", "close", ":FQ#", "Focus stopped");
    row("Down, line lost", "Down", "lost", "", "Connection lost on com 3 - gone");
    // The mouse stays on its button: the release still comes, to a closed line.
    row("button E, line lost, released", "CommandMoveE", "lost, released", "",
        "Connection lost on com 3 - gone");
    row("button N, disconnect, released", "CommandMoveN", "disconnect, released", ":Qn#",
        "Disconnected from com 3");
    row("nothing held, disconnect", "", "disconnect", "", "Disconnected from com 3");
    row("nothing held, close", "", "close", "", "");
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
                                   {u"Left"_s, Qt::Key_Left},
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
    } else if (end.endsWith(u"Tab")) {
        const bool back = end.startsWith(u"Shift");
        sendKey(w.PictureNav, QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                back ? Qt::ShiftModifier : Qt::NoModifier);
        QVERIFY(!w.PictureNav->hasFocus());
        QVERIFY(w.isAncestorOf(QApplication::focusWidget()));
    } else if (end == u"deactivate") {
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    } else if (end == u"disconnect") {
        QVERIFY(f.disconnectPort());
    } else if (end == u"close") {
        w.close();
    } else if (end.startsWith(u"lost")) {
        f.port.loseConnection(u"gone"_s);
    }
    if (end.endsWith(u", released")) {
        if (end.startsWith(u"disconnect"))
            QVERIFY(f.disconnectPort());
        QTest::mouseRelease(w.findChild<orrinet::CommandButton *>(hold), Qt::LeftButton);
    }
    QCOMPARE(f.written().mid(started), written);
    QCOMPARE(f.port.refusedWrites(), QStringList()); // nothing to a closed line
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
