// The keyboard pad's key codes and held keys, and where the key-map window
// opens.

#include "app/KeyMap.h"
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
    void heldPadKeySendsOneKeyUp_data();
    void heldPadKeySendsOneKeyUp();
    void keyMapOpensWhereStored_data();
    void keyMapOpensWhereStored();
};

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
    QTest::addColumn<QStringList>("stored"); // top, left, width
    QTest::addColumn<QPoint>("pixels");      // where it opens, twips at 15 to the pixel

    QTest::newRow("size 0 keeps design") << QStringList{"600", "900", "0"} << QPoint(60, 40);
    // Texts that are no numbers count as missing.
    QTest::newRow("not numbers") << QStringList{"top", "12a", "wide"} << QPoint(13, 13);
}

// Where it was moved to and its size are kept in twips, for the next opening
// and for Exit.
void TestWidgets::keyMapOpensWhereStored()
{
    QFETCH(QStringList, stored);
    QFETCH(QPoint, pixels);

    KeyMap keyMap;
    keyMap.KeyMapTop = stored[0];
    keyMap.KeyMapLeft = stored[1];
    keyMap.KeyMapWidth = stored[2];
    keyMap.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&keyMap));
    QCOMPARE(keyMap.pos(), pixels);
    QCOMPARE(keyMap.size(),
             QSize(std::lround(KeyMapDesignWidth / 15.0), std::lround(KeyMapDesignHeight / 15.0)));

    keyMap.move(50, 60);
    keyMap.resize(220, 180);
    QTRY_COMPARE(keyMap.size(), QSize(220, 180));
    QTRY_COMPARE(keyMap.pos(), QPoint(50, 60));
    keyMap.closeWindow();
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
