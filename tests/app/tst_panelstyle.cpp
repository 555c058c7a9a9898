// The panel's style defers the menu bar's extension arrow until it is drawn:
// the arrow must still be Fusion's own, at every size asked for.

#include "app/panelstyle.h"

#include <QApplication>
#include <QIcon>
#include <QStyleFactory>
#include <QTest>
#include <memory>

class TestPanelStyle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void extensionArrowIsFusions_data();
    void extensionArrowIsFusions();
};

void TestPanelStyle::extensionArrowIsFusions_data()
{
    QTest::addColumn<int>("extent");
    QTest::newRow("16 px") << 16;
    QTest::newRow("32 px") << 32;
}

void TestPanelStyle::extensionArrowIsFusions()
{
    QFETCH(int, extent);
    orrinet::PanelStyle panel;
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    const QIcon deferred = panel.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    const QIcon direct = fusion->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    QVERIFY(!deferred.isNull());
    QCOMPARE(deferred.availableSizes(), direct.availableSizes());
    const QImage drawn = deferred.pixmap(extent).toImage();
    QVERIFY(!drawn.isNull());
    QCOMPARE(drawn, direct.pixmap(extent).toImage());
    // Other icons are Fusion's as they are.
    QCOMPARE(panel.standardIcon(QStyle::SP_MessageBoxWarning).pixmap(extent).toImage(),
             fusion->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(extent).toImage());
}

QTEST_MAIN(TestPanelStyle)
#include "tst_panelstyle.moc"
