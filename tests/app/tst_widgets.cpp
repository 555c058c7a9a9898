// The small controls: the command buttons' mouse report, the keyboard pad's
// key codes and held keys, and where the key-map window opens.

#include "app/KeyMap.h"
#include "app/commandbutton.h"
#include "app/picturebox.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace orrinet;

class TestWidgets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandButtonReportsEachButton_data();
    void commandButtonReportsEachButton();
    void heldPadKeySendsOneKeyUp_data();
    void heldPadKeySendsOneKeyUp();
    void keyMapOpensWhereStored_data();
    void keyMapOpensWhereStored();
    void keyMapKeepsGeometryWhenReopened();
};

void TestWidgets::commandButtonReportsEachButton_data()
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

void TestWidgets::commandButtonReportsEachButton()
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
    const QList<QVariantList> report{{vbButton, vbShift, 12.0, 15.0}};
    QCOMPARE(QList<QVariantList>(down), report);
    QCOMPARE(QList<QVariantList>(up), report);
    QCOMPARE(clicked.count(), clicks);
}

void TestWidgets::heldPadKeySendsOneKeyUp_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("code"); // the virtual-key code the motion handlers know

    QTest::newRow("Up") << int(Qt::Key_Up) << 38;
    QTest::newRow("Down") << int(Qt::Key_Down) << 40;
    QTest::newRow("Left") << int(Qt::Key_Left) << 37;
    QTest::newRow("Right") << int(Qt::Key_Right) << 39;
    QTest::newRow("PageUp") << int(Qt::Key_PageUp) << 33;
    QTest::newRow("Space") << int(Qt::Key_Space) << 32;
    QTest::newRow("F14") << int(Qt::Key_F14) << 125;
    QTest::newRow("unknown key") << int(Qt::Key_Launch0) << 0;
}

// A held key comes as release and press pairs marked as repeats: the motion
// it starts must end at the one real release, not at the first repeat.
void TestWidgets::heldPadKeySendsOneKeyUp()
{
    QFETCH(int, key);
    QFETCH(int, code);

    PictureBox pad(Art::ArrowPad);
    QSignalSpy down(&pad, &PictureBox::keyDown);
    QSignalSpy up(&pad, &PictureBox::keyUp);
    const auto send = [&pad, key](QEvent::Type type, Qt::KeyboardModifiers modifiers, bool repeat) {
        QKeyEvent event(type, key, modifiers, QString(), repeat);
        QApplication::sendEvent(&pad, &event);
    };

    send(QEvent::KeyPress, Qt::ShiftModifier, false);
    for (int repeat = 0; repeat < 3; ++repeat) {
        send(QEvent::KeyRelease, Qt::NoModifier, true);
        send(QEvent::KeyPress, Qt::NoModifier, true);
    }
    QCOMPARE(down.count(), 4);
    QCOMPARE(down.first(), (QVariantList{code, 1})); // Shift held
    QCOMPARE(up.count(), 0);

    send(QEvent::KeyRelease, Qt::NoModifier, false);
    QCOMPARE(QList<QVariantList>(up), (QList<QVariantList>{{code, 0}}));
}

void TestWidgets::keyMapOpensWhereStored_data()
{
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QPoint>("pixels"); // where it opens, twips at 15 to the pixel

    QTest::newRow("size 0 keeps design") << "600" << "900" << "0" << QPoint(60, 40);
    // Texts that are no numbers count as missing.
    QTest::newRow("not numbers") << "top" << "12a" << "wide" << QPoint(13, 13);
}

void TestWidgets::keyMapOpensWhereStored()
{
    QFETCH(QString, top);
    QFETCH(QString, left);
    QFETCH(QString, width);
    QFETCH(QPoint, pixels);

    KeyMap keyMap;
    keyMap.KeyMapTop = top;
    keyMap.KeyMapLeft = left;
    keyMap.KeyMapWidth = width;
    keyMap.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&keyMap));
    QCOMPARE(keyMap.pos(), pixels);
    QCOMPARE(keyMap.size(),
             QSize(std::lround(KeyMapDesignWidth / 15.0), std::lround(KeyMapDesignHeight / 15.0)));
    keyMap.closeWindow();
}

void TestWidgets::keyMapKeepsGeometryWhenReopened()
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

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
