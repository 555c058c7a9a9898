// The keyboard pad on a real X server, driven by XTest: an arrow key held for
// a second, with the server's own auto-repeat on, starts its slew once and
// stops it once on the real release.

#include "app/picturebox.h"
#include "support/panelfixture.h"

#include <QCheckBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

// Xlib's event-type macro would hide Qt's.
#undef KeyPress

namespace {

Display *display()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
}

// Counts the presses that reach the pad, so that a server that does not
// repeat cannot make the test pass. With detectable auto-repeat the repeats
// are plain presses; without it, marked release and press pairs.
class PressCounter : public QObject
{
public:
    int presses = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress)
            ++presses;
        return false;
    }
};

// Auto-repeat on, with a delay and rate that give several repeats within a
// second whatever the server was started with; the old rate comes back after.
class ServerRepeat
{
public:
    ServerRepeat()
    {
        XkbGetAutoRepeatRate(display(), XkbUseCoreKbd, &m_delay, &m_interval);
        XAutoRepeatOn(display());
        XkbSetAutoRepeatRate(display(), XkbUseCoreKbd, 250, 30);
        XSync(display(), False);
    }
    ~ServerRepeat()
    {
        XkbSetAutoRepeatRate(display(), XkbUseCoreKbd, m_delay, m_interval);
        XSync(display(), False);
    }
    ServerRepeat(const ServerRepeat &) = delete;
    ServerRepeat &operator=(const ServerRepeat &) = delete;

private:
    unsigned m_delay = 0;
    unsigned m_interval = 0;
};

void fakeKey(KeySym key, bool down)
{
    XTestFakeKeyEvent(display(), XKeysymToKeycode(display(), key), down ? True : False,
                      CurrentTime);
    XSync(display(), False);
}

} // namespace

class KeypadX11Test : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void heldArrowMovesOnceAndStopsOnce();
};

void KeypadX11Test::heldArrowMovesOnceAndStopsOnce()
{
    orrinet::testing::PanelFixture p{{{QStringLiteral("com_port"), QStringLiteral("3")}}};
    p.window.CheckRADEC->setChecked(false);
    QVERIFY(p.showActive());
    QVERIFY(p.connectPort());
    p.window.PictureNav->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(p.window.PictureNav->hasFocus());
    QVERIFY(p.window.LabelKeyControls->isVisible());
    p.forgetTraffic();

    const ServerRepeat repeat;
    PressCounter counter;
    p.window.PictureNav->installEventFilter(&counter);

    fakeKey(XK_Up, true);
    QTest::qWait(1000); // held, as a user holds it
    QCOMPARE(p.written(), QStringList{":Mn#"});
    QVERIFY2(counter.presses >= 4, qPrintable(QString::number(counter.presses)));

    fakeKey(XK_Up, false);
    QTRY_VERIFY(!p.window.KeyIsDown); // the last thing the release handler does
    QCOMPARE(p.written(), (QStringList{":Mn#", ":Qn#"}));
    QCOMPARE(p.pauses(), std::vector<int>{200});
}

QTEST_MAIN(KeypadX11Test)
#include "tst_keypad_x11.moc"
