#include "app/commandbutton.h"
#include "app/frmMain_ui.h"
#include "app/picturebox.h"
#include "app/twips.h"
#include "motion/virtualkeys.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

using namespace orrinet;

namespace {

// Every check below assumes the offscreen screen of the test run.
constexpr double TestDpi = 96.0;

// Twips to pixels at 96 DPI (15 twips to the pixel), edges rounded.
QRect pixelsAt96(int left, int top, int width, int height)
{
    const auto px = [](int twips) { return int(std::lround(twips / 15.0)); };
    return QRect(QPoint(px(left), px(top)), QPoint(px(left + width) - 1, px(top + height) - 1));
}

QStringList captionsOf(const QList<QAction *> &actions)
{
    QStringList captions;
    for (const QAction *action : actions)
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return captions;
}

QStringList namesOf(const QList<QAction *> &actions)
{
    QStringList names;
    for (const QAction *action : actions)
        names << action->objectName();
    return names;
}

// The hue of the face colour a style actually painted.
int paintedHue(QWidget *widget)
{
    const QImage face = widget->grab().toImage();
    return face.pixelColor(face.width() / 2, face.height() - 4).hsvHue();
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void clientArea();
    void geometry_data();
    void geometry();
    void resizingMovesNothing();
    void captions_data();
    void captions();
    void fonts();
    void designStates();
    void buttonColours_data();
    void buttonColours();
    void labelColours();
    void comboBoxes_data();
    void comboBoxes();
    void typedTextAddsNoItem();
    void slider();
    void sliderDragChangesValueOnRelease();
    void statusLineShowsPlainText();
    void timers();
    void menuBar();
    void menus_data();
    void menus();
    void menuStates();

    void commandButtonMouse_data();
    void commandButtonMouse();
    void backColorReadsBack_data();
    void backColorReadsBack();

    void pictureBoxKeys_data();
    void pictureBoxKeys();
    void pictureBoxAutoRepeat();
    void pictureBoxKeepsTab();
    void pictureBoxFocusAndMouse();

    void virtualKeys_data();
    void virtualKeys();
    void shiftMask_data();
    void shiftMask();
    void twipsConversions_data();
    void twipsConversions();
    void colourValues_data();
    void colourValues();

private:
    QMainWindow m_window;
    frmMainUi m_ui;
};

void TestLayout::initTestCase()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    m_ui.setupUi(&m_window);
    m_window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_window));
    if (m_window.logicalDpiX() != TestDpi || m_window.logicalDpiY() != TestDpi)
        QSKIP("The layout checks need a screen of 96 DPI");
}

void TestLayout::clientArea()
{
    QCOMPARE(m_window.centralWidget(), m_ui.Client);
    // 5556 x 4176 twips below the menu bar.
    QCOMPARE(m_ui.Client->size(), QSize(370, 278));
    QCOMPARE(m_window.windowTitle(), QStringLiteral("Orrinet "));

    QCOMPARE(m_ui.Line1->parentWidget(), m_ui.Client);
    QCOMPARE(m_ui.Line1->geometry(), QRect(0, 0, m_window.width(), 1));
    QVERIFY(m_ui.Line1->isVisible());
}

void TestLayout::geometry_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    const auto row = [](const char *name, const char *parent, int l, int t, int w, int h) {
        QTest::newRow(name) << QString::fromLatin1(parent) << l << t << w << h;
    };
    row("CommandConnect", "Client", 60, 120, 1272, 312);
    row("Combo1", "Client", 1380, 120, 1272, 288);
    row("SendCheck", "Client", 3000, 180, 1632, 192);
    row("Picture1", "Client", 60, 540, 4200, 2052);
    row("FrameAutostar", "Client", 60, 600, 612, 1392);
    row("PictureNav", "FrameAutostar", 60, 300, 372, 840);
    row("LabelKeyControls", "FrameAutostar", 60, 60, 432, 240);
    row("FrameFocus", "Client", 720, 540, 1932, 1512);
    row("OptionFocus_0", "FrameFocus", 120, 240, 912, 312);
    row("OptionFocus_1", "FrameFocus", 120, 480, 912, 312);
    row("OptionFocus_2", "FrameFocus", 120, 720, 912, 312);
    row("OptionFocus_3", "FrameFocus", 120, 960, 912, 312);
    row("CommandFocusIn", "FrameFocus", 1140, 300, 612, 372);
    row("CommandFocusOut", "FrameFocus", 1140, 840, 612, 372);
    row("FrameMove", "Client", 2700, 540, 2052, 1512);
    row("CommandMoveN", "FrameMove", 540, 240, 372, 372);
    row("CommandMoveW", "FrameMove", 120, 600, 372, 372);
    row("CommandMoveE", "FrameMove", 960, 600, 372, 372);
    row("CommandMoveS", "FrameMove", 540, 960, 372, 372);
    row("LabelRate", "FrameMove", 1020, 240, 612, 252);
    row("SliderMove", "FrameMove", 1620, 180, 300, 1272);
    row("CheckPointerControl", "FrameMove", 120, 1200, 192, 192);
    row("FrameRADEC", "Client", 60, 2100, 4692, 1692);
    row("CommandGotoRADEC", "FrameRADEC", 120, 240, 792, 312);
    row("CommandGet", "FrameRADEC", 120, 660, 792, 312);
    row("CommandGotoAbort", "FrameRADEC", 1020, 240, 612, 312);
    row("ComboRAh", "FrameRADEC", 1740, 240, 732, 288);
    row("ComboRAm", "FrameRADEC", 2580, 240, 732, 288);
    row("ComboRAs", "FrameRADEC", 3420, 240, 732, 288);
    row("Label1", "FrameRADEC", 4200, 300, 252, 192);
    row("ComboDECsign", "FrameRADEC", 1200, 660, 492, 288);
    row("ComboDECd", "FrameRADEC", 1740, 660, 732, 288);
    row("ComboDECm", "FrameRADEC", 2580, 660, 732, 288);
    row("ComboDECs", "FrameRADEC", 3420, 660, 732, 288);
    row("Label2", "FrameRADEC", 4200, 720, 432, 192);
    row("CheckRADEC", "FrameRADEC", 180, 1020, 3192, 252);
    row("LabelRADEC", "FrameRADEC", 120, 1320, 4452, 252);
    row("PicturePointer", "Client", 720, 480, 3108, 3108);
    row("StatusBar1", "Client", 0, 3864, 5556, 312);
}

void TestLayout::geometry()
{
    QFETCH(QString, parent);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, width);
    QFETCH(int, height);

    const auto *widget = m_window.findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), pixelsAt96(left, top, width, height));
}

void TestLayout::resizingMovesNothing()
{
    QHash<QWidget *, QRect> before;
    for (QWidget *widget : m_ui.Client->findChildren<QWidget *>())
        before.insert(widget, widget->geometry());
    const QSize designSize = m_window.size();

    m_window.resize(designSize + QSize(150, 120));
    QTRY_COMPARE(m_ui.Client->size(), QSize(370 + 150, 278 + 120));
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(it.key()->geometry() == it.value(), qPrintable(it.key()->objectName()));

    m_window.resize(designSize);
    QTRY_COMPARE(m_ui.Client->size(), QSize(370, 278));
}

void TestLayout::captions_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");

    const auto row = [](const char *name, const char *caption, const char *toolTip) {
        QTest::newRow(name) << QString::fromUtf8(caption) << QString::fromUtf8(toolTip);
    };
    row("CommandConnect", "Connect", "");
    row("SendCheck", "Set Focus && Rate", "Focus speed & Slew rate commands sent after connect");
    row("PictureNav", "", "Click here to activate Keyboard Controls");
    row("LabelKeyControls", "\u2022\u2022\u2022\u2022", "Keyboard button controls enabled");
    row("FrameFocus", "Focus", "");
    row("OptionFocus_0", "Fine", "");
    row("OptionFocus_1", "Slow", "");
    row("OptionFocus_2", "Medium", "");
    row("OptionFocus_3", "Fast", "");
    row("CommandFocusIn", "In", "");
    row("CommandFocusOut", "Out", "");
    row("FrameMove", "Move", "");
    row("CommandMoveN", "N", "");
    row("CommandMoveW", "W", "");
    row("CommandMoveE", "E", "");
    row("CommandMoveS", "S", "");
    row("LabelRate", "Rate", "");
    row("CheckPointerControl", "", "Enable pointer device slew control");
    row("FrameRADEC", "RA/DEC", "");
    row("CommandGotoRADEC", "Goto", "");
    row("CommandGet", "Get", "");
    row("CommandGotoAbort", "Halt", "");
    row("Label1", "RA", "");
    row("Label2", "DEC", "");
    row("CheckRADEC", "Update RA/DEC boxes after Get", "");
    row("LabelRADEC", "", "Last Goto RA/DEC position");
    row("PicturePointer", "", "");
}

void TestLayout::captions()
{
    QFETCH(QString, caption);
    QFETCH(QString, toolTip);

    auto *widget = m_window.findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QString shown;
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        shown = button->text();
    else if (auto *label = qobject_cast<QLabel *>(widget))
        shown = label->text();
    else if (auto *box = qobject_cast<QGroupBox *>(widget))
        shown = box->title();
    QCOMPARE(shown, caption);
    QCOMPARE(widget->toolTip(), toolTip);
}

void TestLayout::fonts()
{
    QVERIFY(m_ui.Client->font().bold());
    for (QWidget *bold : std::initializer_list<QWidget *>{m_ui.CommandConnect, m_ui.CheckRADEC, m_ui.Label1,
                                                          m_ui.FrameMove, m_ui.CommandGet, m_ui.StatusText})
        QVERIFY2(bold->font().bold(), qPrintable(bold->objectName()));
    for (QWidget *regular : std::initializer_list<QWidget *>{m_ui.OptionFocus[0], m_ui.OptionFocus[3], m_ui.SendCheck,
                                                             m_ui.LabelRate})
        QVERIFY2(!regular->font().bold(), qPrintable(regular->objectName()));

    QVERIFY(m_ui.LabelKeyControls->font().bold());
    QVERIFY(m_ui.LabelKeyControls->alignment().testFlag(Qt::AlignHCenter));
    QVERIFY(m_ui.LabelRADEC->font().bold());
    QVERIFY(m_ui.LabelRADEC->alignment().testFlag(Qt::AlignHCenter));
    QVERIFY(m_ui.LabelRate->alignment().testFlag(Qt::AlignHCenter));
    QCOMPARE(m_ui.LabelRADEC->frameShape(), QFrame::Box);
    QCOMPARE(m_ui.LabelRADEC->lineWidth(), 1);

    // Captions fit their design sizes, beside the tick box where there is one.
    for (QAbstractButton *button : m_ui.Client->findChildren<QAbstractButton *>()) {
        QString caption = button->text();
        if (caption.isEmpty())
            continue;
        caption.replace(QStringLiteral("&&"), QStringLiteral("&"));
        int needed = QFontMetrics(button->font()).horizontalAdvance(caption);
        if (!qobject_cast<QPushButton *>(button))
            needed += button->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button)
                + button->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button);
        QVERIFY2(needed <= button->width(), qPrintable(button->objectName()));
    }
}

void TestLayout::designStates()
{
    for (QWidget *hidden : std::initializer_list<QWidget *>{m_ui.FrameAutostar, m_ui.FrameFocus, m_ui.FrameMove,
                                                            m_ui.FrameRADEC, m_ui.PicturePointer,
                                                            m_ui.LabelKeyControls})
        QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
    for (QWidget *shown : std::initializer_list<QWidget *>{m_ui.CommandConnect, m_ui.Combo1, m_ui.SendCheck,
                                                           m_ui.Picture1, m_ui.StatusBar1, m_ui.StatusText})
        QVERIFY2(shown->isVisible(), qPrintable(shown->objectName()));

    QVERIFY(!m_ui.FrameAutostar->inherits("QGroupBox"));
    QCOMPARE(m_ui.FrameAutostar->frameShape(), QFrame::NoFrame);
    QVERIFY(!m_ui.CheckPointerControl->isChecked());
    QVERIFY(!m_ui.SendCheck->isChecked());
    QVERIFY(!m_ui.CheckRADEC->isChecked());
    for (QRadioButton *option : m_ui.OptionFocus)
        QVERIFY(!option->isChecked());

    QCOMPARE(m_ui.PictureNav->focusPolicy(), Qt::StrongFocus);
    QCOMPARE(m_ui.PicturePointer->focusPolicy(), Qt::StrongFocus);
    QCOMPARE(m_ui.PictureNav->art(), Art::ArrowPad);
    QCOMPARE(m_ui.PicturePointer->art(), Art::CrossHair);
    QCOMPARE(m_ui.Picture1->art(), Art::Telescope);
}

void TestLayout::buttonColours_data()
{
    QTest::addColumn<QColor>("colour");

    // The design values are 0x00BBGGRR.
    QTest::newRow("CommandConnect") << QColor(0xD0, 0xFF, 0xD0);
    QTest::newRow("CommandFocusIn") << QColor(0xC0, 0xFF, 0xFF);
    QTest::newRow("CommandFocusOut") << QColor(0xC0, 0xFF, 0xFF);
    QTest::newRow("CommandMoveN") << QColor(0xC0, 0xFF, 0xFF);
    QTest::newRow("CommandMoveW") << QColor(0xC0, 0xFF, 0xFF);
    QTest::newRow("CommandMoveE") << QColor(0xC0, 0xFF, 0xFF);
    QTest::newRow("CommandMoveS") << QColor(0xC0, 0xFF, 0xFF);
    QTest::newRow("CommandGotoRADEC") << QColor(0xC0, 0xFF, 0xFF);
    QTest::newRow("CommandGet") << QColor(0xFF, 0xFF, 0x80);
    QTest::newRow("CommandGotoAbort") << QColor(0xFF, 0xC0, 0xC0);
}

void TestLayout::buttonColours()
{
    QFETCH(QColor, colour);

    auto *button = m_window.findChild<CommandButton *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(button);
    QCOMPARE(button->backColor(), colour);
    // The style paints the face in that colour's hue.
    const int hue = paintedHue(button);
    QVERIFY2(hue >= 0, "the face came out grey");
    const int distance = std::abs(hue - colour.hsvHue());
    QVERIFY2(std::min(distance, 360 - distance) <= 20, qPrintable(QString::number(hue)));
}

void TestLayout::labelColours()
{
    QVERIFY(m_ui.LabelRADEC->autoFillBackground());
    QCOMPARE(m_ui.LabelRADEC->palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
    QCOMPARE(m_ui.LabelRADEC->palette().color(QPalette::WindowText), QColor(0x00, 0x80, 0x00));
    QCOMPARE(m_ui.LabelKeyControls->palette().color(QPalette::WindowText), QColor(0xFF, 0x00, 0x00));
}

void TestLayout::comboBoxes_data()
{
    QTest::addColumn<QString>("designText");
    QTest::addColumn<QString>("toolTip");

    QTest::newRow("Combo1") << QString() << QString();
    QTest::newRow("ComboRAh") << QStringLiteral("00h") << QStringLiteral("RA Hour");
    QTest::newRow("ComboRAm") << QStringLiteral("00m") << QStringLiteral("RA Minute");
    QTest::newRow("ComboRAs") << QStringLiteral("00s") << QStringLiteral("RA Second");
    QTest::newRow("ComboDECsign") << QStringLiteral("+") << QStringLiteral("DEC sign");
    QTest::newRow("ComboDECd") << QStringLiteral("00d") << QStringLiteral("DEC degree");
    QTest::newRow("ComboDECm") << QStringLiteral("00m") << QStringLiteral("DEC minute");
    QTest::newRow("ComboDECs") << QStringLiteral("00s") << QStringLiteral("DEC second");
}

void TestLayout::comboBoxes()
{
    QFETCH(QString, designText);
    QFETCH(QString, toolTip);

    auto *combo = m_window.findChild<QComboBox *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(combo);
    QVERIFY(combo->isEditable());
    QCOMPARE(combo->count(), 0);
    QCOMPARE(combo->currentText(), designText);
    QCOMPARE(combo->toolTip(), toolTip);
}

void TestLayout::typedTextAddsNoItem()
{
    QComboBox *combo = m_ui.Combo1;
    combo->addItems({QStringLiteral("Com 1"), QStringLiteral("Com 2")});
    combo->setFocus();
    QTRY_VERIFY(combo->hasFocus());
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("Com 7"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);

    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->itemText(1), QStringLiteral("Com 2"));
    combo->clear();
}

void TestLayout::slider()
{
    QSlider *slider = m_ui.SliderMove;
    QCOMPARE(slider->orientation(), Qt::Vertical);
    QCOMPARE(slider->minimum(), 1);
    QCOMPARE(slider->maximum(), 12);
    QCOMPARE(slider->value(), 1);
    QCOMPARE(slider->pageStep(), 1);
    QVERIFY(!slider->hasTracking());
    QVERIFY(slider->tickPosition() != QSlider::NoTicks);

    QVERIFY(slider->invertedAppearance());
    QVERIFY(slider->invertedControls());

    // Setting the value from the program is reported at once.
    QSignalSpy changed(slider, &QSlider::valueChanged);
    slider->setValue(5);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().toInt(), 5);
    slider->setValue(1);
}

// The handle's place, as the style draws it for the slider's state.
QRect sliderHandle(const QSlider *slider)
{
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.subControls = QStyle::SC_None;
    option.activeSubControls = QStyle::SC_None;
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.singleStep = slider->singleStep();
    option.pageStep = slider->pageStep();
    // Vertical sliders count from the bottom unless their appearance is inverted.
    option.upsideDown = !slider->invertedAppearance();
    option.tickPosition = slider->tickPosition();
    option.tickInterval = slider->tickInterval();
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
}

void TestLayout::sliderDragChangesValueOnRelease()
{
    // A window of its own with the Move frame shown, so the slider takes the mouse.
    QMainWindow window;
    frmMainUi ui;
    ui.setupUi(&window);
    ui.FrameMove->show();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QSlider *rate = ui.SliderMove;
    QSignalSpy moved(rate, &QSlider::sliderMoved);
    QSignalSpy changed(rate, &QSlider::valueChanged);

    // Position 1 draws the handle at the top.
    const QRect handle = sliderHandle(rate);
    QVERIFY2(handle.top() < rate->height() / 4, qPrintable(QString::number(handle.top())));

    const QPoint grab = handle.center();
    const QPoint bottom(grab.x(), rate->height() - 2);
    QTest::mousePress(rate, Qt::LeftButton, {}, grab);
    QMouseEvent drag(QEvent::MouseMove, QPointF(bottom), rate->mapToGlobal(QPointF(bottom)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(rate, &drag);
    QVERIFY(!moved.isEmpty());
    QCOMPARE(moved.last().first().toInt(), 12);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(rate->value(), 1);

    QTest::mouseRelease(rate, Qt::LeftButton, {}, bottom);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(rate->value(), 12);

    // Down moves the handle down, towards the higher rates.
    rate->setValue(3);
    changed.clear();
    rate->setFocus();
    QTest::keyClick(rate, Qt::Key_Down);
    QCOMPARE(rate->value(), 4);
    QCOMPARE(changed.count(), 1);
}

void TestLayout::statusLineShowsPlainText()
{
    QCOMPARE(m_ui.StatusText->parentWidget(), m_ui.StatusBar1);
    QCOMPARE(m_ui.StatusText->textFormat(), Qt::PlainText);
    QVERIFY(!m_ui.StatusBar1->isSizeGripEnabled());
    QVERIFY(!m_window.findChild<QStatusBar *>(QString(), Qt::FindDirectChildrenOnly));

    // Markup characters are shown, not interpreted.
    const QFontMetrics metrics(m_ui.StatusText->font());
    m_ui.StatusText->setText(QStringLiteral("<b>x</b>"));
    QVERIFY(m_ui.StatusText->sizeHint().width() >= metrics.horizontalAdvance(QStringLiteral("<b>x</b>")));
    m_ui.StatusText->clear();
}

void TestLayout::timers()
{
    QCOMPARE(m_ui.Timer1->parent(), &m_window);
    QCOMPARE(m_ui.Timer1->interval(), 5000);
    QVERIFY(!m_ui.Timer1->isActive());
    QVERIFY(!m_ui.Timer1->isSingleShot());
    QCOMPARE(m_ui.TimerMove->parent(), &m_window);
    QCOMPARE(m_ui.TimerMove->interval(), 500);
    QVERIFY(!m_ui.TimerMove->isActive());
    QVERIFY(!m_ui.TimerMove->isSingleShot());
}

void TestLayout::menuBar()
{
    const QList<QAction *> top = m_window.menuBar()->actions();
    QCOMPARE(captionsOf(top), QStringList({QStringLiteral("Exit"), QStringLiteral("Program"),
                                           QStringLiteral("LX200GPS"), QStringLiteral("Telescope"),
                                           QStringLiteral("Autostar")}));
    QCOMPARE(top.at(0), m_ui.ExitButton);
    QVERIFY(!m_ui.ExitButton->menu());
    QCOMPARE(top.at(1), m_ui.ProgramlMenu->menuAction());
    QCOMPARE(top.at(2), m_ui.LX200Menu->menuAction());
    QCOMPARE(top.at(3), m_ui.TeleMenu->menuAction());
    QCOMPARE(top.at(4), m_ui.GotoMenu->menuAction());
}

void TestLayout::menus_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("names");

    const auto split = [](const char *text) { return QString::fromLatin1(text).split(QLatin1Char('|')); };
    QTest::newRow("ProgramlMenu")
        << split("Pointer halt slew|-|Remove Registry Entries|-|Display Receive Buffer|Keyboard Map|About")
        << split("PTMDAction|pointsep|RemoveRegButton|regsep|DispRecBufferButton|HelpKeymapButton|HelpAboutButton");
    QTest::newRow("PTMD") << split("10ms|25ms|50ms|100ms|200ms|300ms")
                          << split("PTDbutton_1|PTDbutton_2|PTDbutton_3|PTDbutton_4|PTDbutton_5|PTDbutton_6");
    QTest::newRow("LX200Menu")
        << split("Turn on GPS and update time|-|Start Telescope Automatic Alignment Sequence|Initialize Telescope|-|"
                 "Align Telescope using Home Position|Store Telescope Alignment to Home Position|-|Sleep Telescope|"
                 "Wake Telescope from Sleep|Park Telescope|-|Send Command...")
        << split("GpsButton|syncsep|AutoButton|InitButton|sep1|HomePosAlignButton|HomePosStoreButton|sep2|"
                 "SleepButton|WakeButton|ParkButton|cmdsep|SendButton");
    QTest::newRow("TeleMenu") << split("Status|Firmware verson|Site Lat/Lon|Date and Time|Azimuth/Altitude")
                              << split("TelescopeStatusButton|TelescopeInfoButton|TelescopeSiteButton|"
                                       "TelescopeDateButton|TelescopeAzButton");
    QTest::newRow("GotoMenu")
        << split("Query|-|Polaris|-|Moon|Mercury|Venus|Mars|Jupiter|Saturn|Uranus|Neptune|Pluto")
        << split("AutostarQuery|starsep|GotoPolaris_1|planetsep|GotoButton_1|GotoButton_2|GotoButton_3|"
                 "GotoButton_4|GotoButton_5|GotoButton_6|GotoButton_7|GotoButton_8|GotoButton_9");
}

void TestLayout::menus()
{
    QFETCH(QStringList, captions);
    QFETCH(QStringList, names);

    const auto *menu = m_window.findChild<QMenu *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(menu);
    QCOMPARE(captionsOf(menu->actions()), captions);
    QCOMPARE(namesOf(menu->actions()), names);
}

void TestLayout::menuStates()
{
    // The member pointers are the actions in the menus.
    QCOMPARE(m_ui.PTMD->menuAction(), m_ui.ProgramlMenu->actions().at(0));
    QCOMPARE(m_ui.PTDbutton[0], nullptr);
    QCOMPARE(m_ui.GotoButton[0], nullptr);
    QCOMPARE(m_ui.GotoPolaris[0], nullptr);
    QCOMPARE(m_ui.GotoPolaris[1]->text(), QStringLiteral("Polaris"));
    QCOMPARE(m_ui.GotoButton[9]->text(), QStringLiteral("Pluto"));
    QVERIFY(m_ui.pointsep->isSeparator());
    QVERIFY(m_ui.planetsep->isSeparator());

    for (int index = 1; index <= 6; ++index) {
        QVERIFY(m_ui.PTDbutton[std::size_t(index)]->isCheckable());
        QCOMPARE(m_ui.PTDbutton[std::size_t(index)]->isChecked(), index == 1);
    }

    QVERIFY(m_ui.ExitButton->isEnabled());
    QVERIFY(m_ui.ProgramlMenu->menuAction()->isEnabled());
    QVERIFY(!m_ui.LX200Menu->menuAction()->isEnabled());
    QVERIFY(!m_ui.TeleMenu->menuAction()->isEnabled());
    QVERIFY(!m_ui.GotoMenu->menuAction()->isEnabled());
    QVERIFY(!m_ui.SendButton->isEnabled());
}

void TestLayout::commandButtonMouse_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("vbButton");
    QTest::addColumn<int>("vbShift");
    QTest::addColumn<int>("clicks");

    QTest::newRow("left") << Qt::LeftButton << Qt::KeyboardModifiers() << 1 << 0 << 1;
    QTest::newRow("right") << Qt::RightButton << Qt::KeyboardModifiers() << 2 << 0 << 0;
    QTest::newRow("middle") << Qt::MiddleButton << Qt::KeyboardModifiers() << 4 << 0 << 0;
    QTest::newRow("right with shift and ctrl")
        << Qt::RightButton << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier) << 2 << 3 << 0;
    QTest::newRow("left with alt") << Qt::LeftButton << Qt::KeyboardModifiers(Qt::AltModifier) << 1 << 4 << 1;
}

void TestLayout::commandButtonMouse()
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

    const QPoint at(12, 15);
    QTest::mousePress(slew, button, modifiers, at);
    QCOMPARE(down.count(), 1);
    QCOMPARE(up.count(), 0);
    QCOMPARE(down.first().at(0).toInt(), vbButton);
    QCOMPARE(down.first().at(1).toInt(), vbShift);
    QCOMPARE(down.first().at(2).toDouble(), 12.0);
    QCOMPARE(down.first().at(3).toDouble(), 15.0);

    QTest::mouseRelease(slew, button, modifiers, at);
    QCOMPARE(down.count(), 1);
    QCOMPARE(up.count(), 1);
    QCOMPARE(up.first().at(0).toInt(), vbButton);
    QCOMPARE(up.first().at(1).toInt(), vbShift);
    QCOMPARE(clicked.count(), clicks);
}

void TestLayout::backColorReadsBack_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::newRow("light red") << QColor(0xFF, 0xB0, 0xB0);
    QTest::newRow("light green") << QColor(0xD0, 0xFF, 0xD0);
    QTest::newRow("odd values") << QColor(0x12, 0x34, 0x56);
}

void TestLayout::backColorReadsBack()
{
    QFETCH(QColor, colour);
    CommandButton button(QStringLiteral("Connect"));
    button.resize(85, 21);
    button.setBackColor(colour);
    QCOMPARE(button.backColor(), colour);
    QCOMPARE(button.palette().color(QPalette::Button), colour);
}

void TestLayout::pictureBoxKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("shift");

    const Qt::KeyboardModifiers none;
    QTest::newRow("Up") << int(Qt::Key_Up) << none << 38 << 0;
    QTest::newRow("Down") << int(Qt::Key_Down) << none << 40 << 0;
    QTest::newRow("Right") << int(Qt::Key_Right) << none << 39 << 0;
    QTest::newRow("Left") << int(Qt::Key_Left) << none << 37 << 0;
    QTest::newRow("End") << int(Qt::Key_End) << none << 35 << 0;
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << none << 34 << 0;
    QTest::newRow("F1") << int(Qt::Key_F1) << none << 112 << 0;
    QTest::newRow("F14") << int(Qt::Key_F14) << none << 125 << 0;
    QTest::newRow("Home") << int(Qt::Key_Home) << none << 36 << 0;
    QTest::newRow("PageUp") << int(Qt::Key_PageUp) << none << 33 << 0;
    QTest::newRow("Space") << int(Qt::Key_Space) << none << 32 << 0;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << 27 << 0;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << none << 9 << 0;
    QTest::newRow("Shift+Up") << int(Qt::Key_Up) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 38 << 1;
    QTest::newRow("Ctrl+Alt+Left") << int(Qt::Key_Left)
                                   << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier) << 37 << 6;
    QTest::newRow("unknown key") << int(Qt::Key_Launch0) << none << 0 << 0;
}

void TestLayout::pictureBoxKeys()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, code);
    QFETCH(int, shift);

    PictureBox pad(Art::ArrowPad);
    pad.setFocusPolicy(Qt::StrongFocus);
    QSignalSpy down(&pad, &PictureBox::keyDown);
    QSignalSpy up(&pad, &PictureBox::keyUp);

    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&pad, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(&pad, &release);

    QCOMPARE(down.count(), 1);
    QCOMPARE(down.first(), QVariantList({code, shift}));
    QCOMPARE(up.count(), 1);
    QCOMPARE(up.first(), QVariantList({code, shift}));
}

void TestLayout::pictureBoxAutoRepeat()
{
    PictureBox pad(Art::ArrowPad);
    QSignalSpy down(&pad, &PictureBox::keyDown);
    QSignalSpy up(&pad, &PictureBox::keyUp);

    QKeyEvent press(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(&pad, &press);
    // A held key: the platform sends release and press pairs marked as repeats.
    for (int repeat = 0; repeat < 3; ++repeat) {
        QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Up, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(&pad, &repeatRelease);
        QKeyEvent repeatPress(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(&pad, &repeatPress);
    }
    QCOMPARE(down.count(), 4);
    QCOMPARE(up.count(), 0);

    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(&pad, &release);
    QCOMPARE(up.count(), 1);
    QCOMPARE(up.first(), QVariantList({38, 0}));
}

void TestLayout::pictureBoxKeepsTab()
{
    QWidget holder;
    auto *pad = new PictureBox(Art::ArrowPad, &holder);
    pad->setFocusPolicy(Qt::StrongFocus);
    auto *other = new QLineEdit(&holder);
    auto *layout = new QVBoxLayout(&holder);
    layout->addWidget(pad);
    layout->addWidget(other);
    holder.show();
    QVERIFY(QTest::qWaitForWindowActive(&holder));
    pad->setFocus();
    QTRY_VERIFY(pad->hasFocus());

    QSignalSpy down(pad, &PictureBox::keyDown);
    QTest::keyClick(pad, Qt::Key_Tab);
    QTest::keyClick(pad, Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(pad, Qt::Key_Down);
    QTest::keyClick(pad, Qt::Key_Right);

    QVERIFY(pad->hasFocus());
    QList<QVariantList> keys;
    for (const QVariantList &key : down) {
        if (key.first().toInt() != VirtualKey::Shift) // the simulated Shift press itself
            keys << key;
    }
    QCOMPARE(keys, QList<QVariantList>({{9, 0}, {9, 1}, {40, 0}, {39, 0}}));
}

void TestLayout::pictureBoxFocusAndMouse()
{
    QWidget holder;
    auto *pad = new PictureBox(Art::CrossHair, &holder);
    pad->setFocusPolicy(Qt::StrongFocus);
    pad->setGeometry(0, 0, 100, 100);
    auto *other = new QLineEdit(&holder);
    other->setGeometry(0, 110, 100, 20);
    holder.resize(120, 140);
    holder.show();
    QVERIFY(QTest::qWaitForWindowActive(&holder));
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());

    QSignalSpy got(pad, &PictureBox::gotFocus);
    QSignalSpy lost(pad, &PictureBox::lostFocus);
    QSignalSpy down(pad, &PictureBox::mouseDown);
    QSignalSpy moved(pad, &PictureBox::mouseMove);
    QSignalSpy up(pad, &PictureBox::mouseUp);
    QSignalSpy clicked(pad, &PictureBox::clicked);

    // A click takes the focus.
    QTest::mouseClick(pad, Qt::LeftButton, {}, QPoint(30, 40));
    QTRY_COMPARE(got.count(), 1);
    QVERIFY(pad->hasFocus());
    QCOMPARE(down.count(), 1);
    QCOMPARE(down.first(), QVariantList({1, 0, 30.0, 40.0}));
    QCOMPARE(up.count(), 1);
    QCOMPARE(clicked.count(), 1);

    // A move without a button held is reported too.
    QMouseEvent hover(QEvent::MouseMove, QPointF(60, 70), pad->mapToGlobal(QPointF(60, 70)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(pad, &hover);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.last().at(0).toInt(), 0);
    QCOMPARE(moved.last().at(2).toDouble(), 60.0);
    QCOMPARE(moved.last().at(3).toDouble(), 70.0);

    // Right button: down and up, but no click.
    QTest::mousePress(pad, Qt::RightButton, {}, QPoint(50, 50));
    QTest::mouseRelease(pad, Qt::RightButton, {}, QPoint(50, 50));
    QCOMPARE(down.last().at(0).toInt(), 2);
    QCOMPARE(up.last().at(0).toInt(), 2);
    QCOMPARE(clicked.count(), 1);

    other->setFocus();
    QTRY_COMPARE(lost.count(), 1);
}

void TestLayout::virtualKeys_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("code");

    const Qt::KeyboardModifiers none;
    const Qt::KeyboardModifiers keypad(Qt::KeypadModifier);
    QTest::newRow("Up") << int(Qt::Key_Up) << none << 38;
    QTest::newRow("Down") << int(Qt::Key_Down) << none << 40;
    QTest::newRow("Right") << int(Qt::Key_Right) << none << 39;
    QTest::newRow("Left") << int(Qt::Key_Left) << none << 37;
    QTest::newRow("End") << int(Qt::Key_End) << none << 35;
    QTest::newRow("PageDown") << int(Qt::Key_PageDown) << none << 34;
    QTest::newRow("PageUp") << int(Qt::Key_PageUp) << none << 33;
    QTest::newRow("Home") << int(Qt::Key_Home) << none << 36;
    QTest::newRow("Space") << int(Qt::Key_Space) << none << 32;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << 27;
    QTest::newRow("F1") << int(Qt::Key_F1) << none << 112;
    QTest::newRow("F4") << int(Qt::Key_F4) << none << 115;
    QTest::newRow("F5") << int(Qt::Key_F5) << none << 116;
    QTest::newRow("F14") << int(Qt::Key_F14) << none << 125;
    QTest::newRow("F24") << int(Qt::Key_F24) << none << 135;
    QTest::newRow("Return") << int(Qt::Key_Return) << none << 13;
    QTest::newRow("Enter") << int(Qt::Key_Enter) << keypad << 13;
    QTest::newRow("Enter without keypad flag") << int(Qt::Key_Enter) << none << 13;
    QTest::newRow("A") << int(Qt::Key_A) << none << 65;
    QTest::newRow("Z") << int(Qt::Key_Z) << none << 90;
    QTest::newRow("0") << int(Qt::Key_0) << none << 48;
    QTest::newRow("9") << int(Qt::Key_9) << none << 57;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << none << 9;
    QTest::newRow("Backtab") << int(Qt::Key_Backtab) << none << 9;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << 8;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << none << 46;
    QTest::newRow("Insert") << int(Qt::Key_Insert) << none << 45;
    QTest::newRow("Shift") << int(Qt::Key_Shift) << none << 16;
    QTest::newRow("Control") << int(Qt::Key_Control) << none << 17;
    QTest::newRow("Alt") << int(Qt::Key_Alt) << none << 18;
    QTest::newRow("keypad Up") << int(Qt::Key_Up) << keypad << 38;
    QTest::newRow("keypad 0") << int(Qt::Key_0) << keypad << 96;
    QTest::newRow("keypad 9") << int(Qt::Key_9) << keypad << 105;
    QTest::newRow("keypad *") << int(Qt::Key_Asterisk) << keypad << 106;
    QTest::newRow("keypad +") << int(Qt::Key_Plus) << keypad << 107;
    QTest::newRow("keypad -") << int(Qt::Key_Minus) << keypad << 109;
    QTest::newRow("keypad /") << int(Qt::Key_Slash) << keypad << 111;
    QTest::newRow("unknown") << int(Qt::Key_Launch0) << none << 0;
    QTest::newRow("lower-case letter code") << int('a') << none << 0;
}

void TestLayout::virtualKeys()
{
    QFETCH(int, qtKey);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, code);

    QCOMPARE(windowsKeyCode(qtKey, modifiers), code);
    if (!modifiers.testFlag(Qt::KeypadModifier))
        QCOMPARE(windowsKeyCode(qtKey), code);
}

void TestLayout::shiftMask_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<Qt::MouseButtons>("buttons");
    QTest::addColumn<int>("shift");
    QTest::addColumn<int>("button");

    QTest::newRow("nothing") << Qt::KeyboardModifiers() << Qt::MouseButtons() << 0 << 0;
    QTest::newRow("shift, left") << Qt::KeyboardModifiers(Qt::ShiftModifier) << Qt::MouseButtons(Qt::LeftButton) << 1
                                 << 1;
    QTest::newRow("ctrl, right") << Qt::KeyboardModifiers(Qt::ControlModifier) << Qt::MouseButtons(Qt::RightButton)
                                 << 2 << 2;
    QTest::newRow("alt, middle") << Qt::KeyboardModifiers(Qt::AltModifier) << Qt::MouseButtons(Qt::MiddleButton) << 4
                                 << 4;
    QTest::newRow("all, all") << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)
                              << Qt::MouseButtons(Qt::LeftButton | Qt::RightButton | Qt::MiddleButton) << 7 << 7;
    QTest::newRow("keypad and meta only") << Qt::KeyboardModifiers(Qt::KeypadModifier | Qt::MetaModifier)
                                          << Qt::MouseButtons(Qt::BackButton) << 0 << 0;
}

void TestLayout::shiftMask()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(Qt::MouseButtons, buttons);
    QFETCH(int, shift);
    QFETCH(int, button);

    QCOMPARE(vbShiftMask(modifiers), shift);
    QCOMPARE(vbButtonMask(buttons), button);
}

void TestLayout::twipsConversions_data()
{
    QTest::addColumn<double>("twips");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("backToTwips");

    QTest::newRow("one inch at 96") << 1440.0 << 96.0 << 96 << 1440;
    QTest::newRow("one inch at 120") << 1440.0 << 120.0 << 120 << 1440;
    QTest::newRow("200 at 96 rounds down") << 200.0 << 96.0 << 13 << 195;
    QTest::newRow("1272 at 96 rounds up") << 1272.0 << 96.0 << 85 << 1275;
    QTest::newRow("zero") << 0.0 << 96.0 << 0 << 0;
    QTest::newRow("negative") << -300.0 << 96.0 << -20 << -300;
}

void TestLayout::twipsConversions()
{
    QFETCH(double, twips);
    QFETCH(double, dpi);
    QFETCH(int, pixels);
    QFETCH(int, backToTwips);

    QCOMPARE(twipsToPixels(twips, dpi), pixels);
    QCOMPARE(pixelsToTwips(pixels, dpi), backToTwips);
    // Stored twips survive any number of round trips once on the pixel grid.
    QCOMPARE(twipsToPixels(pixelsToTwips(pixels, dpi), dpi), pixels);
}

void TestLayout::colourValues_data()
{
    QTest::addColumn<uint>("bgr");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("connect green") << 0x00D0FFD0u << QColor(0xD0, 0xFF, 0xD0);
    QTest::newRow("connected red") << 0x00B0B0FFu << QColor(0xFF, 0xB0, 0xB0);
    QTest::newRow("light cyan") << 0x00FFFFC0u << QColor(0xC0, 0xFF, 0xFF);
    QTest::newRow("light yellow") << 0x0080FFFFu << QColor(0xFF, 0xFF, 0x80);
    QTest::newRow("dark green") << 0x00008000u << QColor(0x00, 0x80, 0x00);
    QTest::newRow("key map red") << 0x000000DDu << QColor(0xDD, 0x00, 0x00);
    QTest::newRow("blue") << 0x00FF0000u << QColor(0x00, 0x00, 0xFF);
}

void TestLayout::colourValues()
{
    QFETCH(uint, bgr);
    QFETCH(QColor, colour);

    QCOMPARE(colorFromBgr(bgr), colour);
    QCOMPARE(colorToBgr(colour), quint32(bgr));
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
