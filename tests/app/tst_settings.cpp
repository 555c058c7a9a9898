// The saved choices: restored at start-up from an empty, a full and a damaged
// store, written by Exit, removed by "Remove Registry Entries", and the
// reading and writing of their stored texts.

#include "app/KeyMap.h"
#include "app/frmMain.h"
#include "app/settingskeys.h"
#include "app/twips.h"
#include "support/panelfixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QTimer>

using orrinet::MessageBoxes;
using orrinet::SettingKind;
using orrinet::testing::PanelFixture;
using orrinet::testing::StoredDefaults;
using Answer = orrinet::MessageBoxes::Answer;

Q_DECLARE_METATYPE(SettingKind)

namespace {

const QString kSection = QStringLiteral("Defaults");

// Every key off its default, valid and on the offscreen desktop.
const StoredDefaults kFullStore{
    {"com_port", "7"}, {"ra_h", "5"}, {"ra_m", "7"}, {"ra_s", "9"}, {"dec_sign", "1"},
    {"dec_d", "7"}, {"dec_m", "30"}, {"dec_s", "0"}, {"pos_left", "1500"}, {"pos_top", "1200"},
    {"win_height", "6000"}, {"win_width", "7500"}, {"send_focus_rate_box", "1"},
    {"update_radec_box", "1"}, {"pointer_telescope_move_time", "6"}, {"focuser_speed", "3"},
    {"slew_rate", "10"}, {"keymap_top", "400"}, {"keymap_left", "500"},
    {"keymap_width", "3000"}, {"keymap_height", "3300"},
};

// What each key restored, "key: state" in reading order, so that a failure
// names the key.
QStringList restored(const frmMain &w)
{
    const auto index = [](const QComboBox *box) { return QString::number(box->currentIndex()); };
    const auto ticked = [](const auto &items) {
        QStringList on;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i] && items[i]->isChecked())
                on << QString::number(i);
        }
        return on.join(QLatin1Char(','));
    };
    const QRect frame = w.frameGeometry();
    const KeyMap &map = w.keyMap();
    return {
        QStringLiteral("com_port: index %1, ComPort %2").arg(w.Combo1->currentIndex()).arg(w.ComPort),
        "ra_h: " + index(w.ComboRAh),
        "ra_m: " + index(w.ComboRAm),
        "ra_s: " + index(w.ComboRAs),
        "dec_sign: " + index(w.ComboDECsign),
        "dec_d: " + index(w.ComboDECd),
        "dec_m: " + index(w.ComboDECm),
        "dec_s: " + index(w.ComboDECs),
        "pos_left: " + QString::number(frame.x()),
        "pos_top: " + QString::number(frame.y()),
        "win_height: " + QString::number(frame.height()),
        "win_width: " + QString::number(frame.width()),
        "send_focus_rate_box: " + QString::number(w.SendCheck->isChecked()),
        "update_radec_box: " + QString::number(w.CheckRADEC->isChecked()),
        QStringLiteral("pointer_telescope_move_time: index %1, ticked %2, interval %3")
            .arg(w.PointerTimeIndex)
            .arg(ticked(w.PTDbutton))
            .arg(w.TimerMove->interval()),
        QStringLiteral("focuser_speed: ticked %1, FocusSpeed %2").arg(ticked(w.OptionFocus)).arg(w.FocusSpeed),
        QStringLiteral("slew_rate: %1 %2").arg(w.SliderMove->value()).arg(w.LabelRate->text()),
        "keymap_top: " + map.KeyMapTop,
        "keymap_left: " + map.KeyMapLeft,
        "keymap_width: " + map.KeyMapWidth,
        "keymap_height: " + QString::number(map.KeyMapHeight),
    };
}

StoredDefaults replaced(StoredDefaults defaults, const QString &key, const QString &value)
{
    for (auto &entry : defaults) {
        if (entry.first == key)
            entry.second = value;
    }
    return defaults;
}

QPoint twipsPoint(double left, double top)
{
    return {orrinet::twipsToPixelsX(left), orrinet::twipsToPixelsY(top)};
}

QString value(const PanelFixture &f, const QString &key)
{
    return f.settings.read(kSection, key, QStringLiteral("<missing>"));
}

// What the last Exit left in the store, as the next start would find it.
StoredDefaults storedAfterExit(const PanelFixture &f)
{
    StoredDefaults stored;
    for (const QString &key : f.settings.keys(kSection))
        stored.append({key, value(f, key)});
    return stored;
}

bool exitWith(PanelFixture &f, Answer answer)
{
    f.boxes.enqueue(answer);
    f.window.ExitButton_Click();
    return f.boxes.pending() == 0;
}

} // namespace

class SettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyStoreGivesTheDefaults();
    void fullStoreRestoresEveryChoiceAndExitWritesItBack();
    void badValueSkipsOnlyItsTarget_data();
    void badValueSkipsOnlyItsTarget();
    void positionOffTheScreenFallsBackToDefault_data();
    void positionOffTheScreenFallsBackToDefault();
    void exitYesWritesEveryKeyInOrder();
    void exitWithoutSavingWritesNothing_data();
    void exitWithoutSavingWritesNothing();
    void refusedStoreIsReportedThenCloses_data();
    void refusedStoreIsReportedThenCloses();
    void removeAsksAndDeletes_data();
    void removeAsksAndDeletes();
    void storedText_data();
    void storedText();
};

void SettingsTest::emptyStoreGivesTheDefaults()
{
    PanelFixture f;
    const frmMain &w = f.window;

    QCOMPARE(w.windowTitle(), QStringLiteral("Orrinet  - Version 2.13"));
    QCOMPARE(w.statusText(), QStringLiteral("Version 2.13"));
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("Com 1"));
    QCOMPARE(w.ComPort, 1);
    const QStringList boxes{w.ComboRAh->currentText(),  w.ComboRAm->currentText(),
                            w.ComboRAs->currentText(),  w.ComboDECsign->currentText(),
                            w.ComboDECd->currentText(), w.ComboDECm->currentText(),
                            w.ComboDECs->currentText()};
    QCOMPARE(boxes, (QStringList{"00h", "00m", "00s", "+", "00d", "00m", "00s"}));
    QCOMPARE(w.frameGeometry().topLeft(), twipsPoint(100, 100));
    QVERIFY(!w.SendCheck->isChecked());
    QVERIFY(!w.CheckRADEC->isChecked());
    QVERIFY(w.OptionFocus[1]->isChecked());
    QCOMPARE(w.OptionFocus[1]->text(), QStringLiteral("Slow"));
    QCOMPARE(w.SliderMove->value(), 2);
    QCOMPARE(w.LabelRate->text(), QStringLiteral("2x"));
    QVERIFY(w.PTDbutton[2]->isChecked());
    QCOMPARE(w.PTDbutton[2]->text(), QStringLiteral("25ms"));
    QCOMPARE(w.TimerMove->interval(), 25);

    QVERIFY(!w.LX200Menu->menuAction()->isEnabled());
    QVERIFY(!w.TeleMenu->menuAction()->isEnabled());
    QVERIFY(!w.GotoMenu->menuAction()->isEnabled());

    // Start-up neither touches the line nor writes settings.
    QCOMPARE(f.port.openCount(), 0);
    QVERIFY(f.settings.writeLog().empty());
    QVERIFY(f.boxes.calls().empty());
}

void SettingsTest::fullStoreRestoresEveryChoiceAndExitWritesItBack()
{
    PanelFixture f{kFullStore};
    const QString frame = QStringLiteral("pos_left: %1|pos_top: %2|win_height: %3|win_width: %4")
                              .arg(orrinet::twipsToPixelsX(1500))
                              .arg(orrinet::twipsToPixelsY(1200))
                              .arg(orrinet::twipsToPixelsY(6000))
                              .arg(orrinet::twipsToPixelsX(7500));
    const QStringList expected =
        QStringList{"com_port: index 6, ComPort 7", "ra_h: 5", "ra_m: 7", "ra_s: 9",
                    "dec_sign: 1", "dec_d: 82", "dec_m: 30", "dec_s: 0"} +
        frame.split(QLatin1Char('|')) +
        QStringList{"send_focus_rate_box: 1", "update_radec_box: 1",
                    "pointer_telescope_move_time: index 6, ticked 6, interval 300",
                    "focuser_speed: ticked 3, FocusSpeed 3", "slew_rate: 10 1.5\u00B0",
                    "keymap_top: 400", "keymap_left: 500", "keymap_width: 3000",
                    "keymap_height: 3300"};
    QCOMPARE(restored(f.window), expected);
    QCOMPARE(f.window.ComboDECd->currentText(), QStringLiteral("07d"));

    // The handlers run while restoring leave no status text, and the port is
    // still closed: nothing is sent.
    QCOMPARE(f.window.statusText(), QStringLiteral("Version 2.13"));
    QVERIFY(f.written().isEmpty());
    QVERIFY(f.pauses().empty());

    QVERIFY(exitWith(f, Answer::Yes));
    for (const auto &[key, stored] : kFullStore)
        QCOMPARE(value(f, key), stored);
    // And the next start comes back the same.
    QCOMPARE(restored(PanelFixture{storedAfterExit(f)}.window), expected);
}

void SettingsTest::badValueSkipsOnlyItsTarget_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected"); // "design": as on an empty store

    const QString noPort = QStringLiteral("index -1, ComPort 0");
    QTest::newRow("com_port 0") << "com_port" << "0" << noPort;
    QTest::newRow("com_port abc") << "com_port" << "abc" << noPort;
    QTest::newRow("com_port 256") << "com_port" << "256" << noPort;
    QTest::newRow("com_port 255") << "com_port" << "255" << "index 254, ComPort 255";
    QTest::newRow("dec_d 0") << "dec_d" << "0" << "89";
    QTest::newRow("dec_d 89") << "dec_d" << "89" << "0";
    // A list never comes up without a selection: Goto would send -01 or 90.
    QTest::newRow("dec_d 90") << "dec_d" << "90" << "89";
    QTest::newRow("ra_h 24") << "ra_h" << "24" << "0";
    QTest::newRow("dec_m abc") << "dec_m" << "abc" << "0";
    QTest::newRow("win_width 0") << "win_width" << "0" << "design";
    QTest::newRow("slew_rate 13") << "slew_rate" << "13" << "1 Rate";
    QTest::newRow("keymap_top abc") << "keymap_top" << "abc" << "200";
}

void SettingsTest::badValueSkipsOnlyItsTarget()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QString, expected);

    // Every other key, before and after it, is still applied.
    QStringList states = restored(PanelFixture{kFullStore}.window);
    const qsizetype at = states.indexOf(QRegularExpression(key + QStringLiteral(": .*")));
    QVERIFY(at >= 0);
    states[at] = expected == QLatin1String("design") ? restored(PanelFixture{}.window).at(at)
                                                     : key + QStringLiteral(": ") + expected;

    PanelFixture f{replaced(kFullStore, key, stored)};
    QCOMPARE(restored(f.window), states);
    QCOMPARE(f.window.statusText(), QStringLiteral("Version 2.13"));
}

void SettingsTest::positionOffTheScreenFallsBackToDefault_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("top");
    QTest::addColumn<bool>("offScreen");

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QString right = QString::number(orrinet::pixelsToTwipsX(screen.right() + 50));
    // A corner of the window still on the screen.
    const QString nearlyLeft = QString::number(orrinet::pixelsToTwipsX(screen.left() - 200));

    QTest::newRow("right of the screen") << right << "1200" << true;
    QTest::newRow("far up and left") << "-1000000" << "-1000000" << true;
    QTest::newRow("partly on the screen") << nearlyLeft << "1200" << false;
}

void SettingsTest::positionOffTheScreenFallsBackToDefault()
{
    QFETCH(QString, left);
    QFETCH(QString, top);
    QFETCH(bool, offScreen);

    PanelFixture f{{{QStringLiteral("pos_left"), left}, {QStringLiteral("pos_top"), top}}};
    const QPoint expected =
        offScreen ? twipsPoint(100, 100) : twipsPoint(left.toDouble(), top.toDouble());
    QCOMPARE(f.window.frameGeometry().topLeft(), expected);
}

void SettingsTest::exitYesWritesEveryKeyInOrder()
{
    PanelFixture f;
    QVERIFY(f.connectPort());
    const QSize outer = f.window.frameGeometry().size();
    QVERIFY(exitWith(f, Answer::Yes));

    QCOMPARE(f.boxes.calls().size(), std::size_t(1));
    const auto &ask = f.boxes.calls().front();
    QCOMPARE(ask.title, QStringLiteral("Orrinet - Exit / Save"));
    QCOMPARE(ask.text, QStringLiteral("Exit and Save current settings"));
    QCOMPARE(ask.buttons, MessageBoxes::Buttons::YesNoCancel);

    const QStringList expected{
        "com_port=1", "ra_h=0", "ra_m=0", "ra_s=0", "dec_sign=0", "dec_d=0", "dec_m=0", "dec_s=0",
        "pos_left=100", "pos_top=100",
        "win_height=" + QString::number(orrinet::pixelsToTwipsY(outer.height())),
        "win_width=" + QString::number(orrinet::pixelsToTwipsX(outer.width())),
        "update_radec_box=0", "send_focus_rate_box=0", "pointer_telescope_move_time=2",
        "slew_rate=2", "focuser_speed=1", "keymap_top=200", "keymap_left=200",
        "keymap_width=" + QString::number(orrinet::KeyMapDesignWidth),
        "keymap_height=" + QString::number(orrinet::KeyMapDesignHeight)};
    QStringList written;
    for (const auto &write : f.settings.writeLog()) {
        QCOMPARE(write.section, kSection);
        written << write.key + QLatin1Char('=') + write.value;
    }
    QCOMPARE(written, expected);
    QCOMPARE(f.settings.flushCount(), 1);
    QCOMPARE(f.settings.keys(kSection).size(), 21);
    for (const QString &pair : expected)
        QCOMPARE(value(f, pair.section(QLatin1Char('='), 0, 0)), pair.section(QLatin1Char('='), 1));

    QVERIFY(!f.port.isOpen());
    QVERIFY(f.written().isEmpty());
    QVERIFY(!f.window.keyMap().isOpen());
}

void SettingsTest::exitWithoutSavingWritesNothing_data()
{
    QTest::addColumn<int>("answer"); // -1: the box is closed
    QTest::addColumn<bool>("keepsRunning");

    QTest::newRow("No") << int(Answer::No) << false;
    QTest::newRow("Cancel") << int(Answer::Cancel) << true;
    QTest::newRow("box closed") << -1 << true;
}

void SettingsTest::exitWithoutSavingWritesNothing()
{
    QFETCH(int, answer);
    QFETCH(bool, keepsRunning);

    PanelFixture f{{{"com_port", "3"}}};
    f.window.show();
    f.window.Combo1->setCurrentIndex(8);
    QVERIFY(f.connectPort());
    if (answer >= 0)
        f.boxes.enqueue(Answer(answer));
    f.window.ExitButton_Click();

    QCOMPARE(f.boxes.calls().size(), std::size_t(1));
    QVERIFY(f.settings.writeLog().empty());
    QCOMPARE(f.settings.flushCount(), 0);
    QCOMPARE(value(f, "com_port"), QStringLiteral("3"));
    QCOMPARE(f.window.isVisible(), keepsRunning);
    QCOMPARE(f.port.isOpen(), keepsRunning);
}

void SettingsTest::refusedStoreIsReportedThenCloses_data()
{
    QTest::addColumn<bool>("refuseWrites");
    QTest::addColumn<bool>("refuseFlush");

    QTest::newRow("writes refused") << true << false;
    QTest::newRow("flush refused") << false << true;
}

void SettingsTest::refusedStoreIsReportedThenCloses()
{
    QFETCH(bool, refuseWrites);
    QFETCH(bool, refuseFlush);

    PanelFixture f;
    f.window.show();
    QVERIFY(f.connectPort(1));
    f.settings.failWrites(refuseWrites);
    f.settings.failFlush(refuseFlush);
    f.boxes.enqueue(Answer::Yes);
    f.boxes.enqueue(Answer::Ok);
    f.window.ExitButton_Click();

    QCOMPARE(f.boxes.calls().size(), std::size_t(2));
    const auto &notice = f.boxes.calls().back();
    QCOMPARE(notice.title, QStringLiteral("Orrinet - Exit / Save"));
    QCOMPARE(notice.text, QStringLiteral("The settings could not be saved."));
    QCOMPARE(notice.icon, MessageBoxes::Icon::Warning);
    QVERIFY(!f.window.isVisible());
    QVERIFY(!f.port.isOpen());
}

void SettingsTest::removeAsksAndDeletes_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void SettingsTest::removeAsksAndDeletes()
{
    QFETCH(bool, yes);

    PanelFixture f{kFullStore};
    QVERIFY(f.connectPort());
    f.window.setStatusText(QStringLiteral("before"));
    f.boxes.enqueue(yes ? Answer::Yes : Answer::No);
    f.window.RemoveRegButton_Click();

    QCOMPARE(f.boxes.calls().size(), std::size_t(1));
    const auto &ask = f.boxes.calls().front();
    QCOMPARE(ask.title, QStringLiteral("Orrinet - Remove"));
    QCOMPARE(ask.text, QStringLiteral("Remove all registry entires for Orrinet"));
    QCOMPARE(ask.buttons, MessageBoxes::Buttons::YesNo);
    QCOMPARE(f.settings.keys(kSection).size(), yes ? 0 : 21);
    QCOMPARE(f.window.statusText(), yes ? QStringLiteral("Registry entries removed for Orrinet")
                                        : QStringLiteral("before"));
    // The choices on screen stay, and the port stays open.
    QCOMPARE(f.window.ComPort, 7);
    QVERIFY(f.port.isOpen());
    QVERIFY(f.written().isEmpty());
}

void SettingsTest::storedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<SettingKind>("kind");
    QTest::addColumn<QString>("read"); // "-": not usable

    QTest::newRow("16-bit high") << "32767" << SettingKind::Int16 << "32767";
    QTest::newRow("16-bit over") << "32768" << SettingKind::Int16 << "-";
    QTest::newRow("blanks and sign") << " +12 " << SettingKind::Int16 << "12";
    QTest::newRow("fraction, whole kind") << "12.5" << SettingKind::Int16 << "-";
    QTest::newRow("fraction") << "1309.091" << SettingKind::Single << "1309.091";
    QTest::newRow("exponent") << "1e3" << SettingKind::Single << "-";
}

void SettingsTest::storedText()
{
    QFETCH(QString, text);
    QFETCH(SettingKind, kind);
    QFETCH(QString, read);

    std::optional<double> number = orrinet::storedNumber(text);
    if (kind != SettingKind::Single)
        number = orrinet::storedInteger(text, kind);
    QCOMPARE(number ? QString::number(*number, 'g', 10) : QStringLiteral("-"), read);
    QCOMPARE(orrinet::isStoredValue(text, kind), number.has_value());
    // What Exit writes reads back.
    if (number && kind == SettingKind::Single)
        QCOMPARE(orrinet::singleText(*number), read);
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
