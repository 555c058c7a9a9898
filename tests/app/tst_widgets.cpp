// The window designs and the small controls: a spot check of the main
// window's geometry (twips to pixels at 96 DPI) and its menus, the command
// buttons' mouse report, the keyboard pad's keys, the About window's layout
// and where the key-map window opens.

#include "app/KeyMap.h"
#include "app/commandbutton.h"
#include "app/frmAbout.h"
#include "app/frmMain_ui.h"
#include "app/picturebox.h"
#include "app/virtualkeys.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace orrinet;

namespace {

// Twips to whole pixels at 96 DPI: 15 twips to the pixel, edges rounded.
int px(int twips)
{
    return int(std::lround(twips / 15.0));
}

QRect pixelsAt96(int left, int top, int width, int height)
{
    return QRect(QPoint(px(left), px(top)), QPoint(px(left + width) - 1, px(top + height) - 1));
}

QString captions(const QMenu *menu)
{
    QStringList items;
    for (const QAction *action : menu->actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return items.join(QLatin1Char('|'));
}

} // namespace

class WidgetsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void geometry_data();
    void geometry();
    void menus();
    void commandButtonReportsEachButton_data();
    void commandButtonReportsEachButton();
    void padKeys_data();
    void padKeys();
    void padAutoRepeatSendsNoKeyUp();
    void aboutLayout();
    void keyMapOpensWhereStored_data();
    void keyMapOpensWhereStored();
    void keyMapKeepsGeometryWhenReopened();

private:
    QMainWindow m_window;
    frmMainUi m_ui;
};

void WidgetsTest::initTestCase()
{
    m_ui.setupUi(&m_window);
    if (m_window.logicalDpiX() != 96 || m_window.logicalDpiY() != 96)
        QSKIP("The geometry checks need a screen of 96 DPI");
}

void WidgetsTest::geometry_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("twips");

    QTest::newRow("CommandConnect") << "Client" << QRect(60, 120, 1272, 312);
    QTest::newRow("PictureNav") << "FrameAutostar" << QRect(60, 300, 372, 840);
    QTest::newRow("SliderMove") << "FrameMove" << QRect(1620, 180, 300, 1272);
    QTest::newRow("ComboDECd") << "FrameRADEC" << QRect(1740, 660, 732, 288);
    QTest::newRow("StatusBar1") << "Client" << QRect(0, 3864, 5556, 312);
}

void WidgetsTest::geometry()
{
    QFETCH(QString, parent);
    QFETCH(QRect, twips);

    const auto *widget = m_window.findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), pixelsAt96(twips.x(), twips.y(), twips.width(), twips.height()));
}

void WidgetsTest::menus()
{
    QStringList shown;
    for (const QAction *top : m_window.menuBar()->actions())
        shown << top->text() + (top->menu() ? QStringLiteral(": ") + captions(top->menu()) : QString());
    QCOMPARE(shown,
             (QStringList{
                 "Exit",
                 "Program: Pointer halt slew|-|Remove Registry Entries|-|Display Receive Buffer|"
                 "Keyboard Map|About",
                 "LX200GPS: Turn on GPS and update time|-|Start Telescope Automatic Alignment "
                 "Sequence|Initialize Telescope|-|Align Telescope using Home Position|Store "
                 "Telescope Alignment to Home Position|-|Sleep Telescope|Wake Telescope from "
                 "Sleep|Park Telescope|-|Send Command...",
                 "Telescope: Status|Firmware verson|Site Lat/Lon|Date and Time|Azimuth/Altitude",
                 "Autostar: Query|-|Polaris|-|Moon|Mercury|Venus|Mars|Jupiter|Saturn|Uranus|"
                 "Neptune|Pluto",
             }));
    QCOMPARE(captions(m_ui.PTMD), QStringLiteral("10ms|25ms|50ms|100ms|200ms|300ms"));
    // The arrays are indexed from 1, as the handlers use them.
    QCOMPARE(m_ui.PTDbutton[6]->text(), QStringLiteral("300ms"));
    QCOMPARE(m_ui.GotoButton[9]->text(), QStringLiteral("Pluto"));
}

void WidgetsTest::commandButtonReportsEachButton_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("vbButton");
    QTest::addColumn<int>("vbShift");
    QTest::addColumn<int>("clicks");

    QTest::newRow("left") << Qt::LeftButton << Qt::KeyboardModifiers() << 1 << 0 << 1;
    QTest::newRow("right with shift and ctrl")
        << Qt::RightButton << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier) << 2
        << 3 << 0;
    QTest::newRow("middle") << Qt::MiddleButton << Qt::KeyboardModifiers() << 4 << 0 << 0;
}

void WidgetsTest::commandButtonReportsEachButton()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, vbButton);
    QFETCH(int, vbShift);
    QFETCH(int, clicks);

    QWidget holder;
    auto *slew = new CommandButton(QStringLiteral("N"), &holder);
    slew->setGeometry(10, 10, 40, 40);
    holder.show();
    QVERIFY(QTest::qWaitForWindowExposed(&holder));
    QSignalSpy down(slew, &CommandButton::mouseDown);
    QSignalSpy up(slew, &CommandButton::mouseUp);
    QSignalSpy clicked(slew, &CommandButton::clicked);

    QTest::mousePress(slew, button, modifiers, QPoint(12, 15));
    QTest::mouseRelease(slew, button, modifiers, QPoint(12, 15));
    QCOMPARE(down.count(), 1);
    QCOMPARE(down.first(), (QVariantList{vbButton, vbShift, 12.0, 15.0}));
    QCOMPARE(up.count(), 1);
    QCOMPARE(up.first(), (QVariantList{vbButton, vbShift, 12.0, 15.0}));
    QCOMPARE(clicked.count(), clicks);
}

void WidgetsTest::padKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("code"); // Windows virtual-key code

    QTest::newRow("Up") << int(Qt::Key_Up) << 38;
    QTest::newRow("Down") << int(Qt::Key_Down) << 40;
    QTest::newRow("Left") << int(Qt::Key_Left) << 37;
    QTest::newRow("Right") << int(Qt::Key_Right) << 39;
    QTest::newRow("End") << int(Qt::Key_End) << 35;
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << 34;
    QTest::newRow("PageUp") << int(Qt::Key_PageUp) << 33;
    QTest::newRow("Home") << int(Qt::Key_Home) << 36;
    QTest::newRow("Space") << int(Qt::Key_Space) << 32;
    QTest::newRow("F1") << int(Qt::Key_F1) << 112;
    QTest::newRow("F14") << int(Qt::Key_F14) << 125;
    QTest::newRow("unknown key") << int(Qt::Key_Launch0) << 0;
}

void WidgetsTest::padKeys()
{
    QFETCH(int, key);
    QFETCH(int, code);
    QCOMPARE(windowsKeyCode(key), code);
}

void WidgetsTest::padAutoRepeatSendsNoKeyUp()
{
    PictureBox pad(Art::ArrowPad);
    QSignalSpy down(&pad, &PictureBox::keyDown);
    QSignalSpy up(&pad, &PictureBox::keyUp);

    QKeyEvent press(QEvent::KeyPress, Qt::Key_Up, Qt::ShiftModifier);
    QApplication::sendEvent(&pad, &press);
    // A held key: the platform sends release and press pairs marked as repeats.
    for (int repeat = 0; repeat < 3; ++repeat) {
        QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Up, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(&pad, &repeatRelease);
        QKeyEvent repeatPress(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(&pad, &repeatPress);
    }
    QCOMPARE(down.count(), 4);
    QCOMPARE(down.first(), (QVariantList{38, 1})); // Shift held
    QCOMPARE(up.count(), 0);

    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(&pad, &release);
    QCOMPARE(up.count(), 1);
    QCOMPARE(up.first(), (QVariantList{38, 0}));
}

void WidgetsTest::aboutLayout()
{
    const AboutLayout layout = layOutAbout(AboutDesign{});
    // Window width and height, label width, frame left, line, OK button; twips.
    QCOMPARE((QList<int>{layout.windowWidth, layout.windowHeight, layout.label1Width,
                         layout.frame1Left, layout.line1X2, layout.line1Y, layout.okLeft,
                         layout.okTop}),
             (QList<int>{6168, 5152, 5928, 2376, 6168, 4040, 2478, 4240}));

    frmAbout about;
    QCOMPARE(about.size(), QSize(px(6168), px(5152)));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QCOMPARE(about.Line1->geometry(), QRect(0, px(4040), px(6168), 1));
    QCOMPARE(about.OkButton->geometry(), pixelsAt96(2478, 4240, 1212, 312));
}

void WidgetsTest::keyMapOpensWhereStored_data()
{
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QRect>("twips");

    const QRect defaults(200, 200, KeyMapDesignWidth, KeyMapDesignHeight);
    QTest::newRow("defaults") << "200" << "200" << "0" << 0 << defaults;
    QTest::newRow("size 0 keeps design")
        << "600" << "900" << "0" << 0 << QRect(900, 600, KeyMapDesignWidth, KeyMapDesignHeight);
    // Texts that are no numbers count as missing.
    QTest::newRow("not numbers") << "top" << "12a" << "wide" << 0 << defaults;
}

void WidgetsTest::keyMapOpensWhereStored()
{
    QFETCH(QString, top);
    QFETCH(QString, left);
    QFETCH(QString, width);
    QFETCH(int, height);
    QFETCH(QRect, twips);

    KeyMap keyMap;
    keyMap.KeyMapTop = top;
    keyMap.KeyMapLeft = left;
    keyMap.KeyMapWidth = width;
    keyMap.KeyMapHeight = height;
    keyMap.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&keyMap));
    QCOMPARE(keyMap.pos(), QPoint(px(twips.x()), px(twips.y())));
    QCOMPARE(keyMap.size(), QSize(px(twips.width()), px(twips.height())));
    keyMap.closeWindow();
}

void WidgetsTest::keyMapKeepsGeometryWhenReopened()
{
    KeyMap keyMap;
    keyMap.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&keyMap));
    keyMap.move(50, 60);
    keyMap.resize(220, 180);
    QTRY_COMPARE(keyMap.pos(), QPoint(50, 60));
    QTRY_COMPARE(keyMap.size(), QSize(220, 180));

    keyMap.closeWindow();
    QVERIFY(!keyMap.isOpen());
    // Kept in twips, 15 to the pixel, for the next opening and for Exit.
    QCOMPARE((QStringList{keyMap.KeyMapTop, keyMap.KeyMapLeft, keyMap.KeyMapWidth}),
             (QStringList{"900", "750", "3300"}));
    QCOMPARE(keyMap.KeyMapHeight, 2700);

    keyMap.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&keyMap));
    QCOMPARE(keyMap.pos(), QPoint(50, 60));
    QCOMPARE(keyMap.size(), QSize(220, 180));
    keyMap.closeWindow();
}

QTEST_MAIN(WidgetsTest)
#include "tst_widgets.moc"
