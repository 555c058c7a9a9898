// Start-up of the main window: lists, tables, restored choices (good, missing
// and bad), the disconnected face, resizing, shut-down and the Program menu's
// About and Keyboard Map items.

#include "app/KeyMap.h"
#include "app/commandbutton.h"
#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "app/picturebox.h"
#include "app/twips.h"
#include "support/panelfixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using orrinet::testing::PanelFixture;
using orrinet::testing::StoredDefaults;

namespace {

// A choice restored into the window, as one comparable text.
struct Probe
{
    const char *key;
    QString (*state)(const frmMain &w);
};

QString checkedOption(const frmMain &w)
{
    for (std::size_t i = 0; i < w.OptionFocus.size(); ++i) {
        if (w.OptionFocus[i]->isChecked())
            return QString::number(i);
    }
    return QStringLiteral("-1");
}

QString tickedDelays(const frmMain &w)
{
    QStringList ticked;
    for (std::size_t i = 1; i < w.PTDbutton.size(); ++i) {
        if (w.PTDbutton[i]->isChecked())
            ticked << QString::number(i);
    }
    return ticked.isEmpty() ? QStringLiteral("none") : ticked.join(QLatin1Char(','));
}

QString number(int value)
{
    return QString::number(value);
}

const Probe kProbes[] = {
    {"com_port",
     [](const frmMain &w) {
         return QStringLiteral("index %1, ComPort %2").arg(w.Combo1->currentIndex()).arg(w.ComPort);
     }},
    {"ra_h", [](const frmMain &w) { return number(w.ComboRAh->currentIndex()); }},
    {"ra_m", [](const frmMain &w) { return number(w.ComboRAm->currentIndex()); }},
    {"ra_s", [](const frmMain &w) { return number(w.ComboRAs->currentIndex()); }},
    {"dec_sign", [](const frmMain &w) { return number(w.ComboDECsign->currentIndex()); }},
    {"dec_d", [](const frmMain &w) { return number(w.ComboDECd->currentIndex()); }},
    {"dec_m", [](const frmMain &w) { return number(w.ComboDECm->currentIndex()); }},
    {"dec_s", [](const frmMain &w) { return number(w.ComboDECs->currentIndex()); }},
    {"pos_left", [](const frmMain &w) { return number(w.frameGeometry().x()); }},
    {"pos_top", [](const frmMain &w) { return number(w.frameGeometry().y()); }},
    {"win_height", [](const frmMain &w) { return number(w.frameGeometry().height()); }},
    {"win_width", [](const frmMain &w) { return number(w.frameGeometry().width()); }},
    {"send_focus_rate_box", [](const frmMain &w) { return number(w.SendCheck->isChecked()); }},
    {"update_radec_box", [](const frmMain &w) { return number(w.CheckRADEC->isChecked()); }},
    {"pointer_telescope_move_time",
     [](const frmMain &w) {
         return QStringLiteral("index %1, ticked %2, interval %3/%4")
             .arg(w.PointerTimeIndex)
             .arg(tickedDelays(w))
             .arg(w.PointerTimeInterval)
             .arg(w.TimerMove->interval());
     }},
    {"focuser_speed",
     [](const frmMain &w) {
         return QStringLiteral("option %1, FocusSpeed %2").arg(checkedOption(w)).arg(w.FocusSpeed);
     }},
    {"slew_rate",
     [](const frmMain &w) {
         return QStringLiteral("position %1, label %2")
             .arg(w.SliderMove->value())
             .arg(w.LabelRate->text());
     }},
    {"keymap_top", [](const frmMain &w) { return w.keyMap().KeyMapTop; }},
    {"keymap_left", [](const frmMain &w) { return w.keyMap().KeyMapLeft; }},
    {"keymap_width", [](const frmMain &w) { return w.keyMap().KeyMapWidth; }},
    {"keymap_height", [](const frmMain &w) { return number(w.keyMap().KeyMapHeight); }},
};

const Probe &probeFor(const QString &key)
{
    for (const Probe &probe : kProbes) {
        if (key == QLatin1String(probe.key))
            return probe;
    }
    qFatal("no probe for key %s", qPrintable(key));
}

// Every key with a value other than its default, all valid and all on the
// offscreen desktop.
const StoredDefaults kFullStore{
    {QStringLiteral("com_port"), QStringLiteral("7")},
    {QStringLiteral("ra_h"), QStringLiteral("5")},
    {QStringLiteral("ra_m"), QStringLiteral("7")},
    {QStringLiteral("ra_s"), QStringLiteral("9")},
    {QStringLiteral("dec_sign"), QStringLiteral("1")},
    {QStringLiteral("dec_d"), QStringLiteral("7")},
    {QStringLiteral("dec_m"), QStringLiteral("30")},
    {QStringLiteral("dec_s"), QStringLiteral("0")},
    {QStringLiteral("pos_left"), QStringLiteral("1500")},
    {QStringLiteral("pos_top"), QStringLiteral("1200")},
    {QStringLiteral("win_height"), QStringLiteral("6000")},
    {QStringLiteral("win_width"), QStringLiteral("7500")},
    {QStringLiteral("send_focus_rate_box"), QStringLiteral("1")},
    {QStringLiteral("update_radec_box"), QStringLiteral("1")},
    {QStringLiteral("pointer_telescope_move_time"), QStringLiteral("6")},
    {QStringLiteral("focuser_speed"), QStringLiteral("3")},
    {QStringLiteral("slew_rate"), QStringLiteral("10")},
    {QStringLiteral("keymap_top"), QStringLiteral("400")},
    {QStringLiteral("keymap_left"), QStringLiteral("500")},
    {QStringLiteral("keymap_width"), QStringLiteral("3000")},
    {QStringLiteral("keymap_height"), QStringLiteral("3300")},
};

StoredDefaults replaced(StoredDefaults defaults, const QString &key, const QString &value)
{
    for (auto &entry : defaults) {
        if (entry.first == key)
            entry.second = value;
    }
    return defaults;
}

// The window as the form design makes it, before any start-up.
QSize designFrameSize()
{
    QMainWindow bare;
    frmMainUi ui;
    ui.setupUi(&bare);
    return bare.frameGeometry().size();
}

QPoint twipsPoint(double left, double top)
{
    return {orrinet::twipsToPixelsX(left), orrinet::twipsToPixelsY(top)};
}

const QColor kDesignGreen(0xD0, 0xFF, 0xD0);
const QColor kConnectedRed(0xFF, 0xB0, 0xB0);

// Runs check on the modal window that opens next, then closes it.
void onNextModal(std::function<void(QWidget *)> check)
{
    QTimer::singleShot(0, [check] {
        QWidget *modal = QApplication::activeModalWidget();
        check(modal);
        if (modal)
            modal->close();
    });
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyStoreGivesEveryDefault();
    void listsAndTables();
    void fullStoreRestoresEveryChoice();
    void badOrOddValueSkipsOnlyItsTarget_data();
    void badOrOddValueSkipsOnlyItsTarget();
    void positionOffEveryScreenFallsBackToDefault_data();
    void positionOffEveryScreenFallsBackToDefault();
    void restoredOuterSizeHoldsOnceFramed();
    void resizeMovesOnlyTheLineEnd();
    void statusLineIsPlainText();
    void hourglassIsNeverStacked();
    void closingClosesPortAndWindowsAndSavesNothing();
    void closingWithoutOpenWindowsCreatesNone();
    void aboutShowsVersionAndDateThenFocusesPad();
    void keyboardMapOpensWithoutMovingFocus();
};

void StartupTest::emptyStoreGivesEveryDefault()
{
    PanelFixture f;
    const frmMain &w = f.window;

    QCOMPARE(w.windowTitle(), QStringLiteral("Orrinet  - Version 2.13"));
    QCOMPARE(w.statusText(), QStringLiteral("Version 2.13"));
    QVERIFY(!w.Loading);

    QCOMPARE(w.Combo1->currentIndex(), 0);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("Com 1"));
    QCOMPARE(w.ComPort, 1);

    const QStringList boxes{w.ComboRAh->currentText(),  w.ComboRAm->currentText(),
                            w.ComboRAs->currentText(),  w.ComboDECsign->currentText(),
                            w.ComboDECd->currentText(), w.ComboDECm->currentText(),
                            w.ComboDECs->currentText()};
    QCOMPARE(boxes, (QStringList{"00h", "00m", "00s", "+", "00d", "00m", "00s"}));
    QCOMPARE(w.ComboDECd->currentIndex(), 89);

    QCOMPARE(w.frameGeometry().topLeft(), twipsPoint(100, 100));
    QCOMPARE(w.frameGeometry().size(), designFrameSize());

    QVERIFY(!w.SendCheck->isChecked());
    QVERIFY(!w.CheckRADEC->isChecked());
    QCOMPARE(checkedOption(w), QStringLiteral("1"));
    QCOMPARE(w.OptionFocus[1]->text(), QStringLiteral("Slow"));
    QCOMPARE(w.FocusSpeed, 1);
    QCOMPARE(w.SliderMove->value(), 2);
    QCOMPARE(w.LabelRate->text(), QStringLiteral("2x"));
    QCOMPARE(tickedDelays(w), QStringLiteral("2"));
    QCOMPARE(w.PTDbutton[2]->text(), QStringLiteral("25ms"));
    QCOMPARE(w.PointerTimeIndex, 2);
    QCOMPARE(w.TimerMove->interval(), 25);
    QVERIFY(!w.TimerMove->isActive());
    QVERIFY(!w.Timer1->isActive());

    QVERIFY(!w.keyMap().isOpen());
    QVERIFY(!w.keyMap().isVisible());
    QCOMPARE(w.keyMap().KeyMapTop, QStringLiteral("200"));
    QCOMPARE(w.keyMap().KeyMapLeft, QStringLiteral("200"));
    QCOMPARE(w.keyMap().KeyMapWidth, QStringLiteral("0"));
    QCOMPARE(w.keyMap().KeyMapHeight, 0);

    // The disconnected face.
    QVERIFY(!w.LX200Menu->menuAction()->isEnabled());
    QVERIFY(!w.TeleMenu->menuAction()->isEnabled());
    QVERIFY(!w.GotoMenu->menuAction()->isEnabled());
    QVERIFY(!w.SendButton->isEnabled());
    QVERIFY(w.ExitButton->isEnabled());
    QVERIFY(w.ProgramlMenu->menuAction()->isEnabled());
    QVERIFY(w.Picture1->isVisibleTo(&w));
    for (const QWidget *hidden :
         {static_cast<const QWidget *>(w.FrameAutostar), static_cast<const QWidget *>(w.FrameFocus),
          static_cast<const QWidget *>(w.FrameMove), static_cast<const QWidget *>(w.FrameRADEC),
          static_cast<const QWidget *>(w.PicturePointer)})
        QVERIFY2(!hidden->isVisibleTo(&w), qPrintable(hidden->objectName()));
    QVERIFY(w.Combo1->isEnabled());
    QVERIFY(w.SendCheck->isEnabled());
    QCOMPARE(w.CommandConnect->text(), QStringLiteral("Connect"));
    QCOMPARE(w.CommandConnect->backColor(), kDesignGreen);
    QCOMPARE(w.ConnectBackColor, kDesignGreen);
    QCOMPARE(w.ConnectedBackColor, kConnectedRed);

    QVERIFY(!w.WaitingRa);
    QVERIFY(!w.WaitingDec);
    QVERIFY(!w.ConsoleOpen);

    // Start-up neither touches the line nor writes settings.
    QVERIFY(!f.port.isOpen());
    QCOMPARE(f.port.openCount(), 0);
    QVERIFY(f.written().isEmpty());
    QVERIFY(f.settings.writeLog().empty());
    QCOMPARE(f.settings.flushCount(), 0);
    QVERIFY(f.boxes.calls().empty());
}

void StartupTest::listsAndTables()
{
    PanelFixture f;
    const frmMain &w = f.window;

    QCOMPARE(w.Combo1->count(), 255);
    for (int i = 0; i < w.Combo1->count(); ++i) {
        QCOMPARE(w.Combo1->itemText(i), QStringLiteral("Com %1").arg(i + 1));
        QCOMPARE(w.Combo1->itemData(i).toInt(), i + 1);
    }
    QCOMPARE(w.ComboRAh->count(), 24);
    QCOMPARE(w.ComboRAh->itemText(23), QStringLiteral("23h"));
    QCOMPARE(w.ComboRAm->count(), 60);
    QCOMPARE(w.ComboDECsign->count(), 2);
    QCOMPARE(w.ComboDECsign->itemText(1), QStringLiteral("-"));
    QCOMPARE(w.ComboDECd->count(), 90);
    QCOMPARE(w.ComboDECd->itemText(0), QStringLiteral("89d"));
    QCOMPARE(w.ComboDECd->itemData(0).toInt(), 89);
    QCOMPARE(w.ComboDECs->count(), 60);
    QCOMPARE(w.ComboDECs->itemText(59), QStringLiteral("59s"));

    const QStringList rateLabels(w.RateLabels.begin(), w.RateLabels.end());
    QCOMPARE(rateLabels, (QStringList{"", "Guide", "2x", "0.1\u00B0", "0.2\u00B0", "0.3\u00B0",
                                      "0.4\u00B0", "0.5\u00B0", "0.7\u00B0", "1.0\u00B0",
                                      "1.5\u00B0", "3.0\u00B0", "5.0\u00B0"}));
    const QStringList planets(w.PlanetCommands.begin(), w.PlanetCommands.end());
    QCOMPARE(planets, (QStringList{"", ":ES4142#", ":ES3966#", ":ES3982#", ":ES4014#", ":ES4030#",
                                   ":ES4046#", ":ES4062#", ":ES4078#", ":ES4094#"}));
}

void StartupTest::fullStoreRestoresEveryChoice()
{
    PanelFixture f{kFullStore};
    const frmMain &w = f.window;

    QCOMPARE(probeFor("com_port").state(w), QStringLiteral("index 6, ComPort 7"));
    const QStringList boxes{w.ComboRAh->currentText(),  w.ComboRAm->currentText(),
                            w.ComboRAs->currentText(),  w.ComboDECsign->currentText(),
                            w.ComboDECd->currentText(), w.ComboDECm->currentText(),
                            w.ComboDECs->currentText()};
    QCOMPARE(boxes, (QStringList{"05h", "07m", "09s", "-", "07d", "30m", "00s"}));
    QCOMPARE(w.frameGeometry().topLeft(), twipsPoint(1500, 1200));
    QCOMPARE(w.frameGeometry().size(),
             QSize(orrinet::twipsToPixelsX(7500), orrinet::twipsToPixelsY(6000)));
    QVERIFY(w.SendCheck->isChecked());
    QVERIFY(w.CheckRADEC->isChecked());
    QCOMPARE(probeFor("pointer_telescope_move_time").state(w),
             QStringLiteral("index 6, ticked 6, interval 300/300"));
    QCOMPARE(probeFor("focuser_speed").state(w), QStringLiteral("option 3, FocusSpeed 3"));
    QCOMPARE(probeFor("slew_rate").state(w), QStringLiteral("position 10, label 1.5\u00B0"));
    QCOMPARE(w.keyMap().KeyMapTop, QStringLiteral("400"));
    QCOMPARE(w.keyMap().KeyMapLeft, QStringLiteral("500"));
    QCOMPARE(w.keyMap().KeyMapWidth, QStringLiteral("3000"));
    QCOMPARE(w.keyMap().KeyMapHeight, 3300);
    QVERIFY(!w.keyMap().isOpen());

    // The handlers run by restoring wrote status texts; start-up replaces them.
    QCOMPARE(w.statusText(), QStringLiteral("Version 2.13"));
    QVERIFY(!w.Loading);
    // The port is still closed while the choices are restored: nothing is sent.
    QCOMPARE(f.port.openCount(), 0);
    QVERIFY(f.written().isEmpty());
    QVERIFY(f.wait.pauses().empty());
}

void StartupTest::badOrOddValueSkipsOnlyItsTarget_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected"); // "design": as on an empty store

    const QString noPort = QStringLiteral("index -1, ComPort 0");
    QTest::newRow("com_port 0") << "com_port"
                                << "0" << noPort;
    QTest::newRow("com_port -3") << "com_port"
                                 << "-3" << noPort;
    QTest::newRow("com_port 256") << "com_port"
                                  << "256" << noPort;
    QTest::newRow("com_port abc") << "com_port"
                                  << "abc" << noPort;
    QTest::newRow("com_port 1e3") << "com_port"
                                  << "1e3" << noPort;
    QTest::newRow("com_port 12.5") << "com_port"
                                   << "12.5" << noPort;
    QTest::newRow("com_port empty") << "com_port"
                                    << "" << noPort;
    QTest::newRow("com_port 70000") << "com_port"
                                    << "70000" << noPort;
    QTest::newRow("com_port blanks") << "com_port"
                                     << " 12 "
                                     << "index 11, ComPort 12";
    QTest::newRow("com_port +3") << "com_port"
                                 << "+3"
                                 << "index 2, ComPort 3";
    QTest::newRow("com_port 255") << "com_port"
                                  << "255"
                                  << "index 254, ComPort 255";

    QTest::newRow("ra_h 23") << "ra_h"
                             << "23"
                             << "23";
    QTest::newRow("ra_h 24") << "ra_h"
                             << "24"
                             << "-1";
    QTest::newRow("ra_h -1") << "ra_h"
                             << "-1"
                             << "-1";
    QTest::newRow("ra_m 60") << "ra_m"
                             << "60"
                             << "-1";
    QTest::newRow("dec_sign 2") << "dec_sign"
                                << "2"
                                << "-1";
    QTest::newRow("dec_s x") << "dec_s"
                             << "x"
                             << "-1";

    QTest::newRow("dec_d 0") << "dec_d"
                             << "0"
                             << "89";
    QTest::newRow("dec_d 89") << "dec_d"
                              << "89"
                              << "0";
    QTest::newRow("dec_d 90") << "dec_d"
                              << "90"
                              << "-1";
    QTest::newRow("dec_d -1") << "dec_d"
                              << "-1"
                              << "-1";

    QTest::newRow("win_width 0") << "win_width"
                                 << "0"
                                 << "design";
    QTest::newRow("win_width -5") << "win_width"
                                  << "-5"
                                  << "design";
    QTest::newRow("win_width abc") << "win_width"
                                   << "abc"
                                   << "design";
    QTest::newRow("win_height 0") << "win_height"
                                  << "0"
                                  << "design";
    QTest::newRow("win_height -5") << "win_height"
                                   << "-5"
                                   << "design";

    QTest::newRow("send box 2") << "send_focus_rate_box"
                                << "2"
                                << "0";
    QTest::newRow("radec box abc") << "update_radec_box"
                                   << "abc"
                                   << "0";

    QTest::newRow("pointer 7") << "pointer_telescope_move_time"
                               << "7"
                               << "index 7, ticked none, interval 500/500";
    QTest::newRow("pointer 0") << "pointer_telescope_move_time"
                               << "0"
                               << "index 0, ticked none, interval 500/500";
    QTest::newRow("pointer 1") << "pointer_telescope_move_time"
                               << "1"
                               << "index 1, ticked 1, interval 10/10";
    QTest::newRow("pointer abc") << "pointer_telescope_move_time"
                                 << "abc"
                                 << "index 0, ticked 1, interval 500/500";

    QTest::newRow("focuser_speed 9") << "focuser_speed"
                                     << "9"
                                     << "option -1, FocusSpeed 0";
    QTest::newRow("focuser_speed -1") << "focuser_speed"
                                      << "-1"
                                      << "option -1, FocusSpeed 0";
    QTest::newRow("focuser_speed 0") << "focuser_speed"
                                     << "0"
                                     << "option 0, FocusSpeed 0";

    QTest::newRow("slew_rate 13") << "slew_rate"
                                  << "13"
                                  << "position 1, label Rate";
    QTest::newRow("slew_rate 0") << "slew_rate"
                                 << "0"
                                 << "position 1, label Rate";
    QTest::newRow("slew_rate 1") << "slew_rate"
                                 << "1"
                                 << "position 1, label Guide";
    QTest::newRow("slew_rate 12") << "slew_rate"
                                  << "12"
                                  << "position 12, label 5.0\u00B0";

    QTest::newRow("keymap_top abc") << "keymap_top"
                                    << "abc"
                                    << "200";
    QTest::newRow("keymap_top blanks") << "keymap_top"
                                       << " 300 "
                                       << "300";
    QTest::newRow("keymap_left 1e3") << "keymap_left"
                                     << "1e3"
                                     << "200";
    QTest::newRow("keymap_width x") << "keymap_width"
                                    << "x"
                                    << "0";
    QTest::newRow("keymap_height x") << "keymap_height"
                                     << "x"
                                     << "0";
    QTest::newRow("keymap_height 1.5") << "keymap_height"
                                       << "1.5"
                                       << "0";
}

void StartupTest::badOrOddValueSkipsOnlyItsTarget()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QString, expected);

    if (expected == QLatin1String("design")) {
        PanelFixture empty;
        expected = probeFor(key).state(empty.window);
    }

    PanelFixture reference{kFullStore};
    PanelFixture f{replaced(kFullStore, key, stored)};

    QCOMPARE(probeFor(key).state(f.window), expected);
    // Every other key is still applied.
    for (const Probe &probe : kProbes) {
        if (key == QLatin1String(probe.key))
            continue;
        QCOMPARE(probe.state(f.window), probe.state(reference.window));
    }
    QCOMPARE(f.window.statusText(), QStringLiteral("Version 2.13"));
    QVERIFY(!f.window.Loading);
}

void StartupTest::positionOffEveryScreenFallsBackToDefault_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("top");
    QTest::addColumn<bool>("offScreen");

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QString right = QString::number(orrinet::pixelsToTwipsX(screen.right() + 50));
    const QString below = QString::number(orrinet::pixelsToTwipsY(screen.bottom() + 50));
    // A corner of the window still on the screen.
    const QString nearlyLeft = QString::number(orrinet::pixelsToTwipsX(screen.left() - 200));

    QTest::newRow("right of the screen") << right << "1200" << true;
    QTest::newRow("below the screen") << "1500" << below << true;
    QTest::newRow("far up and left") << "-1000000"
                                     << "-1000000" << true;
    QTest::newRow("huge") << "100000000000"
                          << "1200" << true;
    QTest::newRow("partly on the screen") << nearlyLeft << "1200" << false;
}

void StartupTest::positionOffEveryScreenFallsBackToDefault()
{
    QFETCH(QString, left);
    QFETCH(QString, top);
    QFETCH(bool, offScreen);

    PanelFixture f{{{QStringLiteral("pos_left"), left}, {QStringLiteral("pos_top"), top}}};
    const QPoint expected =
        offScreen ? twipsPoint(100, 100) : twipsPoint(left.toDouble(), top.toDouble());
    QCOMPARE(f.window.frameGeometry().topLeft(), expected);
}

void StartupTest::restoredOuterSizeHoldsOnceFramed()
{
    // The window system adds its frame only once the window is shown; the
    // stored outer size must still be the outer size then.
    PanelFixture f{{{QStringLiteral("win_width"), QStringLiteral("7500")},
                    {QStringLiteral("win_height"), QStringLiteral("6000")}}};
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    const QSize outer(orrinet::twipsToPixelsX(7500), orrinet::twipsToPixelsY(6000));
    QTRY_COMPARE(f.window.frameGeometry().size(), outer);
}

void StartupTest::resizeMovesOnlyTheLineEnd()
{
    PanelFixture f;
    frmMain &w = f.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QRect connect = w.CommandConnect->geometry();
    const QRect status = w.StatusBar1->geometry();
    const QRect picture = w.Picture1->geometry();

    for (const QSize size : {QSize(600, 450), QSize(420, 360)}) {
        w.resize(size);
        QTRY_COMPARE(w.size(), size);
        QCOMPARE(w.Line1->x(), 0);
        QCOMPARE(w.Line1->geometry().right() + 1, w.frameGeometry().width());
        QCOMPARE(w.CommandConnect->geometry(), connect);
        QCOMPARE(w.StatusBar1->geometry(), status);
        QCOMPARE(w.Picture1->geometry(), picture);
    }
}

void StartupTest::statusLineIsPlainText()
{
    PanelFixture f;
    const QString markup = QStringLiteral("<b>Slew</b> &amp; <i>focus</i>");
    f.window.setStatusText(markup);
    QCOMPARE(f.window.statusText(), markup);
    QCOMPARE(f.window.StatusText->textFormat(), Qt::PlainText);
}

void StartupTest::hourglassIsNeverStacked()
{
    {
        PanelFixture f;
        f.window.setMousePointer(frmMain::MousePointer::Hourglass);
        f.window.setMousePointer(frmMain::MousePointer::Hourglass);
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        f.window.setMousePointer(frmMain::MousePointer::Default);
        QCOMPARE(f.window.mousePointer(), frmMain::MousePointer::Default);
        QVERIFY(!QGuiApplication::overrideCursor());
        f.window.setMousePointer(frmMain::MousePointer::Hourglass);
    }
    // A window that goes while showing the hourglass gives the cursor back.
    QVERIFY(!QGuiApplication::overrideCursor());
}

void StartupTest::closingClosesPortAndWindowsAndSavesNothing()
{
    PanelFixture f;
    f.window.show();
    QVERIFY(f.connectPort(4));
    f.window.HelpKeymapButton_Click();
    QVERIFY(f.window.keyMap().isOpen());
    f.window.SliderMove->setValue(9); // a change that is not saved
    f.forgetTraffic();

    QVERIFY(f.window.close());
    QVERIFY(!f.port.isOpen());
    QVERIFY(!f.window.keyMap().isOpen());
    QVERIFY(!f.window.isVisible());
    QVERIFY(f.written().isEmpty());
    QVERIFY(f.settings.writeLog().empty());
    QVERIFY(f.boxes.calls().empty());
}

void StartupTest::closingWithoutOpenWindowsCreatesNone()
{
    PanelFixture f;
    f.window.show();
    QVERIFY(f.window.close());
    QVERIFY(!f.window.keyMap().isOpen());
    QVERIFY(!f.window.keyMap().isVisible());
    QVERIFY(!f.window.aboutWindow());
    QVERIFY(!f.window.console());
    QCOMPARE(f.port.openCount(), 0);
}

void StartupTest::aboutShowsVersionAndDateThenFocusesPad()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.CommandConnect->setFocus();

    QString version;
    QString date;
    bool modal = false;
    onNextModal([&](QWidget *shown) {
        auto *about = qobject_cast<frmAbout *>(shown);
        if (!about)
            return;
        modal = about->isModal();
        version = about->VersionLabel->text();
        date = about->DateLabel->text();
    });
    f.window.HelpAboutButton_Click();

    QCOMPARE(version, QStringLiteral("Version 2.13"));
    QCOMPARE(date, QStringLiteral("12-Nov-2006"));
    QVERIFY(modal);
    QVERIFY(!f.window.aboutWindow());
    QCOMPARE(f.window.focusWidget(), f.window.PictureNav);

    // Disconnected, the pad is hidden and the focus stays where it was.
    QVERIFY(f.disconnectPort());
    f.window.Combo1->setFocus();
    onNextModal([](QWidget *) {});
    f.window.HelpAboutButton_Click();
    QCOMPARE(f.window.focusWidget(), f.window.Combo1);
}

void StartupTest::keyboardMapOpensWithoutMovingFocus()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.CommandConnect->setFocus();

    f.window.HelpKeymapButton_Click();
    QVERIFY(f.window.keyMap().isOpen());
    QVERIFY(f.window.keyMap().isVisible());
    QCOMPARE(f.window.focusWidget(), f.window.CommandConnect);

    // A second time only brings it to the front: still the one window.
    f.window.HelpKeymapButton_Click();
    QVERIFY(f.window.keyMap().isOpen());
    QCOMPARE(f.window.findChildren<KeyMap *>().size(), 1);
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
