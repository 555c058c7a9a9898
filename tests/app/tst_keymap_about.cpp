#include "app/KeyMap.h"
#include "app/frmAbout.h"
#include "app/picturebox.h"
#include "app/twips.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace orrinet;

namespace {

constexpr double TestDpi = 96.0;

// Twips to whole pixels at 96 DPI: 15 twips to the pixel.
int px(int twips)
{
    return int(std::lround(twips / 15.0));
}

QRect pixelsAt96(int left, int top, int width, int height)
{
    return QRect(QPoint(px(left), px(top)), QPoint(px(left + width) - 1, px(top + height) - 1));
}

} // namespace

class TestKeyMapAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void aboutLayout_data();
    void aboutLayout();
    void aboutWindow();
    void aboutIsCentred();
    void aboutClosesWith_data();
    void aboutClosesWith();

    void keyMapPlacement_data();
    void keyMapPlacement();
    void keyMapList();
    void keyMapOpensAtDefaults();
    void keyMapListFollowsResize();
    void keyMapKeepsPlaceAndSize();
    void keyMapStoredTextNotANumber();
    void keyMapZeroSizeKeepsDesign();
    void keyMapShowWhenOpenOnlyRaises();
    void keyMapClosingUnopenedDoesNothing();
    void keyMapGeometryWhileClosed();
};

void TestKeyMapAbout::initTestCase()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QWidget probe;
    if (probe.logicalDpiX() != TestDpi || probe.logicalDpiY() != TestDpi)
        QSKIP("The geometry checks need a screen of 96 DPI");
}

void TestKeyMapAbout::aboutLayout_data()
{
    QTest::addColumn<int>("pictureLeft");
    QTest::addColumn<int>("pictureWidth");
    QTest::addColumn<int>("pictureHeight");
    QTest::addColumn<int>("frameWidth");
    QTest::addColumn<int>("labelLeft");
    QTest::addColumn<int>("labelHeight");
    QTest::addColumn<int>("okWidth");
    QTest::addColumn<int>("okHeight");
    // Expected: window width, height, label width, frame left, line y, OK left, OK top.
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("design") << 180 << 2016 << 2988 << 3612 << 120 << 552 << 1212 << 312
                            << QList<int>{6168, 5152, 5928, 2376, 4040, 2478, 4240};
    // 3000 + 2000 + 300 wide; 3000 + 500 + 500 to the line; 200 and 300 and 600 below.
    QTest::newRow("other sizes") << 100 << 2000 << 3000 << 3000 << 200 << 500 << 1000 << 300
                                 << QList<int>{5300, 5100, 4900, 2200, 4000, 2150, 4200};
}

void TestKeyMapAbout::aboutLayout()
{
    QFETCH(int, pictureLeft);
    QFETCH(int, pictureWidth);
    QFETCH(int, pictureHeight);
    QFETCH(int, frameWidth);
    QFETCH(int, labelLeft);
    QFETCH(int, labelHeight);
    QFETCH(int, okWidth);
    QFETCH(int, okHeight);
    QFETCH(QList<int>, expected);

    AboutDesign design;
    design.picture1Left = pictureLeft;
    design.picture1Width = pictureWidth;
    design.picture1Height = pictureHeight;
    design.frame1Width = frameWidth;
    design.label1Left = labelLeft;
    design.label1Height = labelHeight;
    design.okWidth = okWidth;
    design.okHeight = okHeight;

    const AboutLayout layout = layOutAbout(design);
    QCOMPARE(layout.windowWidth, expected.at(0));
    QCOMPARE(layout.windowHeight, expected.at(1));
    QCOMPARE(layout.label1Width, expected.at(2));
    QCOMPARE(layout.frame1Left, expected.at(3));
    QCOMPARE(layout.line1Y, expected.at(4));
    QCOMPARE(layout.line1X2, expected.at(0));
    QCOMPARE(layout.okLeft, expected.at(5));
    QCOMPARE(layout.okTop, expected.at(6));
}

void TestKeyMapAbout::aboutWindow()
{
    frmAbout about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Orrinet"));
    QVERIFY(about.isModal());
    QVERIFY(!about.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!about.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

    // 6168 x 5152 twips, and it cannot be resized.
    QCOMPARE(about.size(), QSize(px(6168), px(5152)));
    QCOMPARE(about.minimumSize(), about.maximumSize());

    QCOMPARE(about.Label1->text(), QStringLiteral("Orrinet"));
    QCOMPARE(about.Label1->geometry(), pixelsAt96(120, 60, 5928, 552));
    QVERIFY(about.Label1->alignment().testFlag(Qt::AlignHCenter));
    QVERIFY(about.Label1->font().bold());
    QVERIFY(about.Label1->font().italic());
    QCOMPARE(about.Label1->font().pointSize(), 18);
    QCOMPARE(about.Label1->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0xFF));
    QCOMPARE(about.Label1->palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xFF));
    QVERIFY(about.Label1->autoFillBackground());

    QCOMPARE(about.Picture1->geometry(), pixelsAt96(180, 720, 2016, 2988));
    QCOMPARE(about.Picture1->art(), Art::Telescope);
    QCOMPARE(about.Frame1->geometry(), pixelsAt96(2376, 840, 3612, 2412));
    QCOMPARE(about.Frame1->frameShape(), QFrame::NoFrame);
    QCOMPARE(about.VersionLabel->parentWidget(), about.Frame1);
    QCOMPARE(about.VersionLabel->text(), QStringLiteral("Version 0.0"));
    QCOMPARE(about.VersionLabel->geometry(), pixelsAt96(240, 180, 3012, 252));
    QCOMPARE(about.DateLabel->text(), QStringLiteral("dd-mmm-yyy"));
    QCOMPARE(about.DateLabel->geometry(), pixelsAt96(240, 480, 3012, 192));

    QCOMPARE(about.Line1->geometry(), QRect(0, px(4040), px(6168), 1));
    QCOMPARE(about.Line1->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0xFF));
    QCOMPARE(about.OkButton->text(), QStringLiteral("OK"));
    QCOMPARE(about.OkButton->geometry(), pixelsAt96(2478, 4240, 1212, 312));
}

void TestKeyMapAbout::aboutIsCentred()
{
    frmAbout about;
    for (int showing = 0; showing < 2; ++showing) {
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        // The frame the window system adds is unknown before the first showing.
        const QMargins frame = showing == 0 ? about.windowHandle()->frameMargins() : QMargins();
        const int slack = 1 + std::max({frame.left(), frame.top(), frame.right(), frame.bottom()});
        const QRect available = about.screen()->availableGeometry();
        const QPoint offset = about.frameGeometry().center() - available.center();
        QVERIFY2(std::abs(offset.x()) <= slack && std::abs(offset.y()) <= slack,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
        about.hide();
    }
}

void TestKeyMapAbout::aboutClosesWith_data()
{
    QTest::addColumn<bool>("okButton");
    QTest::newRow("OK") << true;
    QTest::newRow("close box") << false;
}

void TestKeyMapAbout::aboutClosesWith()
{
    QFETCH(bool, okButton);

    frmAbout about;
    about.VersionLabel->setText(QStringLiteral("Version 2.13"));
    bool wasShown = false;
    QTimer::singleShot(0, &about, [&] {
        wasShown = about.isVisible();
        if (okButton)
            QTest::mouseClick(about.OkButton, Qt::LeftButton);
        else
            about.close();
    });
    about.exec();
    QVERIFY(wasShown);
    QVERIFY(!about.isVisible());
    QCOMPARE(about.VersionLabel->text(), QStringLiteral("Version 2.13"));
}

void TestKeyMapAbout::keyMapPlacement_data()
{
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QRect>("twips");

    QTest::newRow("defaults") << "200" << "200" << "0" << 0 << QRect(200, 200, 2568, 2916);
    QTest::newRow("stored") << "300" << "450" << "3000" << 2000 << QRect(450, 300, 3000, 2000);
    QTest::newRow("width only") << "300" << "450" << "3000" << 0 << QRect(450, 300, 3000, 2916);
    QTest::newRow("height only") << "300" << "450" << "0" << 1800 << QRect(450, 300, 2568, 1800);
    QTest::newRow("negative size") << "0" << "-120" << "-5" << -1 << QRect(-120, 0, 2568, 2916);
    QTest::newRow("blanks around") << " 315 " << "\t90" << "2600 " << 0 << QRect(90, 315, 2600, 2916);
    QTest::newRow("fraction") << "12.6" << "7.4" << "2999.5" << 0 << QRect(7, 13, 3000, 2916);
    QTest::newRow("not numbers") << "abc" << "x1" << "wide" << 0 << QRect(200, 200, 2568, 2916);
    QTest::newRow("empty") << "" << "" << "" << 0 << QRect(200, 200, 2568, 2916);
    QTest::newRow("number then text") << "300px" << "1e3" << "2,5" << 0 << QRect(1000, 200, 2568, 2916);
    QTest::newRow("out of range") << "1e99" << "inf" << "nan" << 0 << QRect(200, 200, 2568, 2916);
}

void TestKeyMapAbout::keyMapPlacement()
{
    QFETCH(QString, top);
    QFETCH(QString, left);
    QFETCH(QString, width);
    QFETCH(int, height);
    QFETCH(QRect, twips);

    QCOMPARE(orrinet::keyMapPlacement(top, left, width, height), twips);
}

void TestKeyMapAbout::keyMapList()
{
    KeyMap keyMap;
    QCOMPARE(keyMap.windowTitle(), QStringLiteral("Keyboard Map"));
    QVERIFY(keyMap.windowFlags().testFlag(Qt::Tool));
    QVERIFY(!keyMap.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!keyMap.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!keyMap.testAttribute(Qt::WA_QuitOnClose));

    const QStringList expected{
        QStringLiteral("Arrow keys - Move N S E W"), QStringLiteral("End - Focus In"),
        QStringLiteral("Pg Dn - Focus Out"),         QString(),
        QStringLiteral("F1 - Focus speed Fine"),     QStringLiteral("F2 - Focus speed Slow"),
        QStringLiteral("F3 - Focus speed Medium"),   QStringLiteral("F4 - Focus speed Fast"),
        QString(),                                   QStringLiteral("F5 > F14 - Slew rates"),
        QString(),                                   QStringLiteral("Home - Get RA/DEC"),
        QStringLiteral("Pg UP - Telescope Info."),   QStringLiteral("Space - Halt goto!"),
    };
    QListWidget *list = keyMap.List1;
    QCOMPARE(list->count(), expected.size());
    for (int row = 0; row < list->count(); ++row) {
        QCOMPARE(list->item(row)->text(), expected.at(row));
        QVERIFY(!(list->item(row)->flags() & (Qt::ItemIsSelectable | Qt::ItemIsEditable)));
    }
    QCOMPARE(list->selectionMode(), QAbstractItemView::NoSelection);
    QCOMPARE(list->palette().color(QPalette::Base), QColor(0xDD, 0x00, 0x00));
    QCOMPARE(list->palette().color(QPalette::Text), QColor(0x00, 0x00, 0x00));
    QVERIFY(list->font().bold());

    // A click selects nothing.
    keyMap.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&keyMap));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QVERIFY(list->selectedItems().isEmpty());

    // All lines fit the design size.
    const QRect last = list->visualItemRect(list->item(list->count() - 1));
    QVERIFY2(last.bottom() < list->viewport()->height(), qPrintable(QString::number(last.bottom())));
    keyMap.closeWindow();
}

void TestKeyMapAbout::keyMapOpensAtDefaults()
{
    KeyMap keyMap;
    QVERIFY(!keyMap.isOpen());
    keyMap.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&keyMap));
    QVERIFY(keyMap.isOpen());
    QCOMPARE(keyMap.pos(), QPoint(px(200), px(200)));
    QCOMPARE(keyMap.size(), QSize(px(2568), px(2916)));
    QCOMPARE(keyMap.List1->geometry(), keyMap.rect());
    keyMap.closeWindow();
    QVERIFY(!keyMap.isOpen());
}

void TestKeyMapAbout::keyMapListFollowsResize()
{
    KeyMap keyMap;
    keyMap.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&keyMap));
    keyMap.resize(300, 250);
    QTRY_COMPARE(keyMap.size(), QSize(300, 250));
    QCOMPARE(keyMap.List1->geometry(), QRect(0, 0, 300, 250));
    keyMap.resize(120, 90);
    QTRY_COMPARE(keyMap.size(), QSize(120, 90));
    QCOMPARE(keyMap.List1->geometry(), QRect(0, 0, 120, 90));
    keyMap.closeWindow();
}

void TestKeyMapAbout::keyMapKeepsPlaceAndSize()
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
    // Stored in twips, 15 to the pixel.
    QCOMPARE(keyMap.KeyMapTop, QStringLiteral("900"));
    QCOMPARE(keyMap.KeyMapLeft, QStringLiteral("750"));
    QCOMPARE(keyMap.KeyMapWidth, QStringLiteral("3300"));
    QCOMPARE(keyMap.KeyMapHeight, 2700);
    QCOMPARE(keyMap.geometryTwips(), QRect(750, 900, 3300, 2700));

    keyMap.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&keyMap));
    QCOMPARE(keyMap.pos(), QPoint(50, 60));
    QCOMPARE(keyMap.size(), QSize(220, 180));
    QCOMPARE(keyMap.geometryTwips(), QRect(750, 900, 3300, 2700));

    // Closing by its own close box keeps the geometry too.
    keyMap.move(70, 40);
    QTRY_COMPARE(keyMap.pos(), QPoint(70, 40));
    keyMap.close();
    QCOMPARE(keyMap.KeyMapTop, QStringLiteral("600"));
    QCOMPARE(keyMap.KeyMapLeft, QStringLiteral("1050"));
}

void TestKeyMapAbout::keyMapStoredTextNotANumber()
{
    KeyMap keyMap;
    keyMap.KeyMapTop = QStringLiteral("top");
    keyMap.KeyMapLeft = QStringLiteral("12a");
    keyMap.KeyMapWidth = QStringLiteral("wide");
    keyMap.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&keyMap));
    QCOMPARE(keyMap.pos(), QPoint(px(200), px(200)));
    QCOMPARE(keyMap.size(), QSize(px(2568), px(2916)));
    keyMap.closeWindow();
}

void TestKeyMapAbout::keyMapZeroSizeKeepsDesign()
{
    KeyMap keyMap;
    keyMap.KeyMapTop = QStringLiteral("600");
    keyMap.KeyMapLeft = QStringLiteral("900");
    keyMap.KeyMapWidth = QStringLiteral("0");
    keyMap.KeyMapHeight = 0;
    keyMap.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&keyMap));
    QCOMPARE(keyMap.pos(), QPoint(60, 40));
    QCOMPARE(keyMap.size(), QSize(px(2568), px(2916)));
    keyMap.closeWindow();
}

void TestKeyMapAbout::keyMapShowWhenOpenOnlyRaises()
{
    KeyMap keyMap;
    keyMap.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&keyMap));
    keyMap.move(90, 100);
    keyMap.resize(200, 150);
    QTRY_COMPARE(keyMap.pos(), QPoint(90, 100));

    keyMap.showWindow();
    QVERIFY(keyMap.isOpen());
    QCOMPARE(keyMap.pos(), QPoint(90, 100));
    QCOMPARE(keyMap.size(), QSize(200, 150));
    // The stored geometry is only taken on closing.
    QCOMPARE(keyMap.KeyMapTop, QStringLiteral("200"));
    keyMap.closeWindow();
}

void TestKeyMapAbout::keyMapClosingUnopenedDoesNothing()
{
    KeyMap keyMap;
    keyMap.KeyMapTop = QStringLiteral("not yet converted");
    keyMap.closeWindow();
    QVERIFY(!keyMap.isOpen());
    QVERIFY(!keyMap.isVisible());
    QVERIFY(!keyMap.testAttribute(Qt::WA_WState_Created));
    QCOMPARE(keyMap.KeyMapTop, QStringLiteral("not yet converted"));
    QCOMPARE(keyMap.KeyMapHeight, 0);
}

void TestKeyMapAbout::keyMapGeometryWhileClosed()
{
    KeyMap keyMap;
    QCOMPARE(keyMap.geometryTwips(), QRect(200, 200, 2568, 2916));
    keyMap.KeyMapTop = QStringLiteral("450");
    keyMap.KeyMapLeft = QStringLiteral("junk");
    keyMap.KeyMapWidth = QStringLiteral("3000");
    keyMap.KeyMapHeight = 2100;
    QCOMPARE(keyMap.geometryTwips(), QRect(200, 450, 3000, 2100));
    QVERIFY(!keyMap.isVisible());
    QVERIFY(!keyMap.testAttribute(Qt::WA_WState_Created));
}

QTEST_MAIN(TestKeyMapAbout)
#include "tst_keymap_about.moc"
