// The saved choices: restored at start-up, written by Exit, removed by
// "Remove Registry Entries", and the reading of their stored texts.

#include "app/KeyMap.h"
#include "app/frmMain.h"
#include "app/settingskeys.h"
#include "app/twips.h"
#include "support/panelfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QTimer>

using orrinet::SettingKind;
using orrinet::testing::PanelFixture;
using orrinet::testing::StoredDefaults;
using Answer = orrinet::MessageBoxes::Answer;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(SettingKind)

namespace {

const QString kSection = u"Defaults"_s;

// "key=text key=text ..." as a store holds them.
StoredDefaults pairs(const QString &text)
{
    StoredDefaults pairs;
    for (const QString &pair : text.split(u' '))
        pairs.append({pair.section(u'=', 0, 0), pair.section(u'=', 1)});
    return pairs;
}

// Every key off its default, valid and on the offscreen desktop.
const StoredDefaults kFullStore =
    pairs(u"com_port=7 ra_h=5 ra_m=7 ra_s=9 dec_sign=1 dec_d=7 dec_m=30 dec_s=0 pos_left=1500 "
          "pos_top=1200 win_height=6000 win_width=7500 send_focus_rate_box=1 update_radec_box=1 "
          "pointer_telescope_move_time=6 focuser_speed=3 slew_rate=10 keymap_top=400 "
          "keymap_left=500 keymap_width=3000 keymap_height=3300"_s);

// What each key restored, "key: state" in reading order, so that a failure
// names the key.
QStringList restored(const frmMain &w)
{
    const auto ticked = [](const auto &items) {
        QStringList on;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i] && items[i]->isChecked())
                on << QString::number(i);
        }
        return on.join(u',');
    };
    const QRect frame = w.frameGeometry();
    const KeyMap &map = w.keyMap();
    return {
        u"com_port: index %1, ComPort %2"_s.arg(w.Combo1->currentIndex()).arg(w.ComPort),
        u"ra_h: %1"_s.arg(w.ComboRAh->currentIndex()),
        u"ra_m: %1"_s.arg(w.ComboRAm->currentIndex()),
        u"ra_s: %1"_s.arg(w.ComboRAs->currentIndex()),
        u"dec_sign: %1"_s.arg(w.ComboDECsign->currentIndex()),
        u"dec_d: %1"_s.arg(w.ComboDECd->currentIndex()),
        u"dec_m: %1"_s.arg(w.ComboDECm->currentIndex()),
        u"dec_s: %1"_s.arg(w.ComboDECs->currentIndex()),
        u"pos_left: %1"_s.arg(frame.x()),
        u"pos_top: %1"_s.arg(frame.y()),
        u"win_height: %1"_s.arg(frame.height()),
        u"win_width: %1"_s.arg(frame.width()),
        u"send_focus_rate_box: %1"_s.arg(w.SendCheck->isChecked()),
        u"update_radec_box: %1"_s.arg(w.CheckRADEC->isChecked()),
        u"pointer_telescope_move_time: index %1, ticked %2, interval %3"_s.arg(w.PointerTimeIndex)
            .arg(ticked(w.PTDbutton))
            .arg(w.TimerMove->interval()),
        u"focuser_speed: ticked %1, FocusSpeed %2"_s.arg(ticked(w.OptionFocus)).arg(w.FocusSpeed),
        u"slew_rate: %1 %2"_s.arg(w.SliderMove->value()).arg(w.LabelRate->text()),
        u"keymap_top: "_s + map.KeyMapTop,
        u"keymap_left: "_s + map.KeyMapLeft,
        u"keymap_width: "_s + map.KeyMapWidth,
        u"keymap_height: %1"_s.arg(map.KeyMapHeight)};
}

QPoint twipsPoint(double left, double top)
{
    return {orrinet::twipsToPixelsX(left), orrinet::twipsToPixelsY(top)};
}

QString value(const PanelFixture &f, const QString &key)
{
    return f.settings.read(kSection, key, u"<missing>"_s);
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
    void emptyStoreGivesTheDefaultsAndExitWritesThem();
    void fullStoreRestoresEveryChoiceAndExitWritesItBack();
    void badValueSkipsOnlyItsTarget_data();
    void badValueSkipsOnlyItsTarget();
    void positionOffTheScreenFallsBackToDefault_data();
    void positionOffTheScreenFallsBackToDefault();
    void exitWithoutSavingWritesNothing_data();
    void exitWithoutSavingWritesNothing();
    void refusedStoreIsReportedThenCloses_data();
    void refusedStoreIsReportedThenCloses();
    void removeAsksAndDeletes_data();
    void removeAsksAndDeletes();
    void storedText_data();
    void storedText();
};

void SettingsTest::emptyStoreGivesTheDefaultsAndExitWritesThem()
{
    PanelFixture f;
    QStringList states = restored(f.window);
    states.remove(8, 4); // the window's place and size: below
    QCOMPARE(states, u"com_port: index 0, ComPort 1|ra_h: 0|ra_m: 0|ra_s: 0|dec_sign: 0|dec_d: 89|"
                     "dec_m: 0|dec_s: 0|send_focus_rate_box: 0|update_radec_box: 0|"
                     "pointer_telescope_move_time: index 2, ticked 2, interval 25|"
                     "focuser_speed: ticked 1, FocusSpeed 1|slew_rate: 2 2x|keymap_top: 200|"
                     "keymap_left: 200|keymap_width: 0|keymap_height: 0"_s.split(u'|'));
    QCOMPARE(f.window.frameGeometry().topLeft(), twipsPoint(100, 100));
    // Start-up neither touches the line nor writes settings.
    QCOMPARE(f.port.openCount(), 0);
    QVERIFY(f.settings.writeLog().empty());
    QVERIFY(f.boxes.calls().empty());

    QVERIFY(f.connectPort());
    const QSize outer = f.window.frameGeometry().size();
    QVERIFY(exitWith(f, Answer::Yes));
    StoredDefaults written;
    for (const auto &write : f.settings.writeLog()) {
        QCOMPARE(write.section, kSection);
        written.append({write.key, write.value});
    }
    QCOMPARE(
        written,
        pairs(u"com_port=1 ra_h=0 ra_m=0 ra_s=0 dec_sign=0 dec_d=0 dec_m=0 dec_s=0 pos_left=100 "
              "pos_top=100 win_height=%1 win_width=%2 update_radec_box=0 send_focus_rate_box=0 "
              "pointer_telescope_move_time=2 slew_rate=2 focuser_speed=1 keymap_top=200 "
              "keymap_left=200 keymap_width=%3 keymap_height=%4"_s
                  .arg(orrinet::pixelsToTwipsY(outer.height()))
                  .arg(orrinet::pixelsToTwipsX(outer.width()))
                  .arg(orrinet::KeyMapDesignWidth)
                  .arg(orrinet::KeyMapDesignHeight)));
    QCOMPARE(f.settings.flushCount(), 1);
    QVERIFY(!f.port.isOpen());
    QVERIFY(f.written().isEmpty());
    QVERIFY(!f.window.keyMap().isOpen());
}

void SettingsTest::fullStoreRestoresEveryChoiceAndExitWritesItBack()
{
    PanelFixture f{kFullStore};
    const QStringList expected =
        u"com_port: index 6, ComPort 7|ra_h: 5|ra_m: 7|ra_s: 9|dec_sign: 1|dec_d: 82|dec_m: 30|"
        "dec_s: 0|pos_left: %1|pos_top: %2|win_height: %3|win_width: %4|send_focus_rate_box: 1|"
        "update_radec_box: 1|pointer_telescope_move_time: index 6, ticked 6, interval 300|"
        "focuser_speed: ticked 3, FocusSpeed 3|slew_rate: 10 1.5\u00B0|keymap_top: 400|"
        "keymap_left: 500|keymap_width: 3000|keymap_height: 3300"_s
            .arg(orrinet::twipsToPixelsX(1500))
            .arg(orrinet::twipsToPixelsY(1200))
            .arg(orrinet::twipsToPixelsY(6000))
            .arg(orrinet::twipsToPixelsX(7500))
            .split(u'|');
    QCOMPARE(restored(f.window), expected);
    const frmMain &w = f.window;
    QCOMPARE((QStringList{w.ComboRAh->currentText(), w.ComboRAm->currentText(),
                          w.ComboRAs->currentText(), w.ComboDECsign->currentText(),
                          w.ComboDECd->currentText(), w.ComboDECm->currentText(),
                          w.ComboDECs->currentText()}),
             u"05h 07m 09s - 07d 30m 00s"_s.split(u' '));
    // Restoring runs the handlers, which must neither send nor leave a status text.
    QCOMPARE(f.window.statusText(), u"Version 2.13"_s);
    QVERIFY(f.written().isEmpty());
    QVERIFY(f.pauses().empty());

    // Exit leaves the store as it was found, so the next start comes back the same.
    QVERIFY(exitWith(f, Answer::Yes));
    QCOMPARE(f.settings.keys(kSection).size(), kFullStore.size());
    for (const auto &[key, stored] : kFullStore)
        QCOMPARE(value(f, key), stored);
}

// Each row is named "key stored-text"; the rest of the full store still applies.
void SettingsTest::badValueSkipsOnlyItsTarget_data()
{
    QTest::addColumn<QString>("expected"); // "design": as on an empty store

    const QString noPort = u"index -1, ComPort 0"_s;
    QTest::newRow("com_port 0") << noPort;
    QTest::newRow("com_port abc") << noPort;
    QTest::newRow("com_port 256") << noPort;
    QTest::newRow("com_port 255") << u"index 254, ComPort 255"_s;
    QTest::newRow("dec_d 0") << u"89"_s;
    QTest::newRow("dec_d 89") << u"0"_s;
    // A list never comes up without a selection: Goto would send -01 or 90.
    QTest::newRow("dec_d 90") << u"89"_s;
    QTest::newRow("ra_h 24") << u"0"_s;
    QTest::newRow("dec_m abc") << u"0"_s;
    QTest::newRow("win_width 0") << u"design"_s;
    QTest::newRow("slew_rate 13") << u"1 Rate"_s;
    QTest::newRow("keymap_top abc") << u"200"_s;
}

void SettingsTest::badValueSkipsOnlyItsTarget()
{
    QFETCH(QString, expected);
    const QStringList tag = QString::fromLatin1(QTest::currentDataTag()).split(u' ');
    const QString &key = tag.first();

    QStringList states = restored(PanelFixture{kFullStore}.window);
    const qsizetype at = states.indexOf(QRegularExpression(key + u": .*"_s));
    QVERIFY(at >= 0);
    states[at] =
        expected == u"design"_s ? restored(PanelFixture{}.window).at(at) : key + u": "_s + expected;
    StoredDefaults store = kFullStore;
    for (auto &entry : store)
        entry.second = entry.first == key ? tag.last() : entry.second;

    PanelFixture f{store};
    QCOMPARE(restored(f.window), states);
    QCOMPARE(f.window.statusText(), u"Version 2.13"_s);
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

    QTest::newRow("right of the screen") << right << u"1200"_s << true;
    QTest::newRow("far up and left") << u"-1000000"_s << u"-1000000"_s << true;
    QTest::newRow("partly on the screen") << nearlyLeft << u"1200"_s << false;
}

void SettingsTest::positionOffTheScreenFallsBackToDefault()
{
    QFETCH(QString, left);
    QFETCH(QString, top);
    QFETCH(bool, offScreen);

    PanelFixture f{{{u"pos_left"_s, left}, {u"pos_top"_s, top}}};
    const QPoint expected =
        offScreen ? twipsPoint(100, 100) : twipsPoint(left.toDouble(), top.toDouble());
    QCOMPARE(f.window.frameGeometry().topLeft(), expected);
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
    QCOMPARE(value(f, u"com_port"_s), u"3"_s);
    QCOMPARE(f.window.isVisible(), keepsRunning);
    QCOMPARE(f.port.isOpen(), keepsRunning);
}

void SettingsTest::refusedStoreIsReportedThenCloses_data()
{
    QTest::addColumn<bool>("flush"); // else the writes are refused
    QTest::newRow("writes refused") << false;
    QTest::newRow("flush refused") << true;
}

void SettingsTest::refusedStoreIsReportedThenCloses()
{
    QFETCH(bool, flush);
    PanelFixture f;
    f.window.show();
    QVERIFY(f.connectPort(1));
    f.settings.failWrites(!flush);
    f.settings.failFlush(flush);
    f.boxes.enqueue(Answer::Yes);
    f.boxes.enqueue(Answer::Ok);
    f.window.ExitButton_Click();

    QCOMPARE(f.boxes.calls().size(), std::size_t(2));
    QCOMPARE(f.boxes.calls().back().text, u"The settings could not be saved."_s);
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
    f.window.setStatusText(u"before"_s);
    f.boxes.enqueue(yes ? Answer::Yes : Answer::No);
    f.window.RemoveRegButton_Click();

    QCOMPARE(f.boxes.calls().size(), std::size_t(1));
    QCOMPARE(f.settings.keys(kSection).size(), yes ? 0 : kFullStore.size());
    QCOMPARE(f.window.statusText(), yes ? u"Registry entries removed for Orrinet"_s : u"before"_s);
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

    QTest::newRow("16-bit high") << u"32767"_s << SettingKind::Int16 << u"32767"_s;
    QTest::newRow("16-bit over") << u"32768"_s << SettingKind::Int16 << u"-"_s;
    QTest::newRow("blanks and sign") << u" +12 "_s << SettingKind::Int16 << u"12"_s;
    QTest::newRow("fraction, whole kind") << u"12.5"_s << SettingKind::Int16 << u"-"_s;
    QTest::newRow("fraction") << u"1309.091"_s << SettingKind::Single << u"1309.091"_s;
    QTest::newRow("exponent") << u"1e3"_s << SettingKind::Single << u"-"_s;
}

void SettingsTest::storedText()
{
    QFETCH(QString, text);
    QFETCH(SettingKind, kind);
    QFETCH(QString, read);

    std::optional<double> number = orrinet::storedNumber(text);
    if (kind != SettingKind::Single)
        number = orrinet::storedInteger(text, kind);
    QCOMPARE(number ? QString::number(*number, 'g', 10) : u"-"_s, read);
    QCOMPARE(orrinet::isStoredValue(text, kind), number.has_value());
    // What Exit writes reads back.
    if (number && kind == SettingKind::Single)
        QCOMPARE(orrinet::singleText(*number), read);
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
