// Saving the choices on Exit, what Exit does on each answer and on a store
// that refuses, and removing the stored choices.

#include "app/KeyMap.h"
#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "app/picturebox.h"
#include "app/settingskeys.h"
#include "app/twips.h"
#include "support/panelfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMainWindow>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

using orrinet::MessageBoxes;
using orrinet::testing::PanelFixture;
using orrinet::testing::StoredDefaults;
using Answer = orrinet::MessageBoxes::Answer;

namespace {

const QString kSection = QStringLiteral("Defaults");

// The order Exit writes the keys in.
const QStringList kWritingOrder{
    "com_port",
    "ra_h",
    "ra_m",
    "ra_s",
    "dec_sign",
    "dec_d",
    "dec_m",
    "dec_s",
    "pos_left",
    "pos_top",
    "win_height",
    "win_width",
    "update_radec_box",
    "send_focus_rate_box",
    "pointer_telescope_move_time",
    "slew_rate",
    "focuser_speed",
    "keymap_top",
    "keymap_left",
    "keymap_width",
    "keymap_height",
};

// Every key with a value other than its default; geometry in whole pixels
// at the offscreen resolution, so it reads back unchanged.
const StoredDefaults kFullStore{
    {"com_port", "7"},
    {"ra_h", "5"},
    {"ra_m", "7"},
    {"ra_s", "9"},
    {"dec_sign", "1"},
    {"dec_d", "7"},
    {"dec_m", "30"},
    {"dec_s", "0"},
    {"pos_left", "1500"},
    {"pos_top", "1200"},
    {"win_height", "6000"},
    {"win_width", "7500"},
    {"send_focus_rate_box", "1"},
    {"update_radec_box", "1"},
    {"pointer_telescope_move_time", "6"},
    {"focuser_speed", "3"},
    {"slew_rate", "10"},
    {"keymap_top", "400"},
    {"keymap_left", "500"},
    {"keymap_width", "3000"},
    {"keymap_height", "3300"},
};

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

QString twipsText(int twips)
{
    return QString::number(twips);
}

QSize designFrameSize()
{
    QMainWindow bare;
    frmMainUi ui;
    ui.setupUi(&bare);
    return bare.frameGeometry().size();
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
    void exitYesOnEmptyStoreWritesEveryDefault();
    void exitYesWritesBackWhatWasRestored();
    void exitYesWritesCurrentChoices();
    void listSelectionsAreWritten_data();
    void listSelectionsAreWritten();
    void noPortSelectedIsWrittenAsZero();
    void exitNoWritesNothingAndCloses();
    void exitCancelKeepsRunning();
    void refusedStoreIsReported_data();
    void refusedStoreIsReported();
    void removeAsksAndDeletes_data();
    void removeAsksAndDeletes();
    void removeThenExitStoresEverythingAgain();
};

void SettingsTest::exitYesOnEmptyStoreWritesEveryDefault()
{
    PanelFixture f;
    QVERIFY(f.connectPort());
    // Not shown, the window has no frame: its outer size is the design size.
    const QSize outer = f.window.frameGeometry().size();
    QCOMPARE(outer, designFrameSize());
    QVERIFY(exitWith(f, Answer::Yes));

    QCOMPARE(f.boxes.calls().size(), std::size_t(1));
    const auto &ask = f.boxes.calls().front();
    QCOMPARE(ask.title, QStringLiteral("Orrinet - Exit / Save"));
    QCOMPARE(ask.text, QStringLiteral("Exit and Save current settings"));
    QCOMPARE(ask.buttons, MessageBoxes::Buttons::YesNoCancel);
    QCOMPARE(ask.icon, MessageBoxes::Icon::Question);
    QCOMPARE(ask.parent, &f.window);

    QCOMPARE(f.settings.writtenKeys(), kWritingOrder);
    for (const auto &write : f.settings.writeLog())
        QCOMPARE(write.section, kSection);
    QCOMPARE(f.settings.flushCount(), 1);

    const QRect keyMapDesign = orrinet::keyMapPlacement("200", "200", "0", 0);

    const QStringList expected{
        "1",
        "0",
        "0",
        "0",
        "0",
        "0",
        "0",
        "0",
        "100",
        "100",
        twipsText(orrinet::pixelsToTwipsY(outer.height())),
        twipsText(orrinet::pixelsToTwipsX(outer.width())),
        "0",
        "0",
        "2",
        "2",
        "1",
        "200",
        "200",
        twipsText(keyMapDesign.width()),
        twipsText(keyMapDesign.height()),
    };
    QStringList written;
    for (const auto &write : f.settings.writeLog())
        written << write.value;
    QCOMPARE(written, expected);

    // Saving did not open the key-map window; the main window closed the port.
    QVERIFY(!f.window.keyMap().isOpen());
    QVERIFY(!f.window.keyMap().isVisible());
    QVERIFY(!f.port.isOpen());
    QVERIFY(f.written().isEmpty());
}

void SettingsTest::exitYesWritesBackWhatWasRestored()
{
    PanelFixture f{kFullStore};
    QVERIFY(exitWith(f, Answer::Yes));
    QCOMPARE(f.settings.writtenKeys(), kWritingOrder);
    for (const auto &[key, stored] : kFullStore)
        QCOMPARE(value(f, key), stored);

    // And the next start comes back the same.
    PanelFixture next{storedAfterExit(f)};
    QVERIFY(exitWith(next, Answer::Yes));
    for (const auto &[key, stored] : kFullStore)
        QCOMPARE(value(next, key), stored);
}

void SettingsTest::exitYesWritesCurrentChoices()
{
    PanelFixture f;
    frmMain &w = f.window;
    w.Combo1->setCurrentIndex(11);
    w.ComboRAh->setCurrentIndex(23);
    w.ComboDECsign->setCurrentIndex(1);
    w.SendCheck->setChecked(true);
    w.OptionFocus[3]->setChecked(true);
    w.SliderMove->setValue(12);
    w.PTDbutton_Click(5);
    w.move(orrinet::twipsToPixelsX(3000), orrinet::twipsToPixelsY(2400));
    w.resize(450, 420);
    w.keyMap().KeyMapTop = QStringLiteral("900");
    w.keyMap().KeyMapWidth = QStringLiteral("4000");

    QVERIFY(exitWith(f, Answer::Yes));
    QCOMPARE(value(f, "com_port"), QStringLiteral("12"));
    QCOMPARE(value(f, "ra_h"), QStringLiteral("23"));
    QCOMPARE(value(f, "dec_sign"), QStringLiteral("1"));
    QCOMPARE(value(f, "send_focus_rate_box"), QStringLiteral("1"));
    QCOMPARE(value(f, "update_radec_box"), QStringLiteral("0"));
    QCOMPARE(value(f, "focuser_speed"), QStringLiteral("3"));
    QCOMPARE(value(f, "slew_rate"), QStringLiteral("12"));
    QCOMPARE(value(f, "pointer_telescope_move_time"), QStringLiteral("5"));
    QCOMPARE(value(f, "pos_left"), QStringLiteral("3000"));
    QCOMPARE(value(f, "pos_top"), QStringLiteral("2400"));
    QCOMPARE(value(f, "win_width"), twipsText(orrinet::pixelsToTwipsX(w.frameGeometry().width())));
    QCOMPARE(value(f, "win_height"),
             twipsText(orrinet::pixelsToTwipsY(w.frameGeometry().height())));
    QCOMPARE(value(f, "keymap_top"), QStringLiteral("900"));
    QCOMPARE(value(f, "keymap_width"), QStringLiteral("4000"));

    // A focus speed chosen from the keyboard is saved, though its tick stays.
    PanelFixture g;
    g.window.OptionFocus_Click(0);
    QVERIFY(g.window.OptionFocus[1]->isChecked());
    QVERIFY(exitWith(g, Answer::Yes));
    QCOMPARE(value(g, "focuser_speed"), QStringLiteral("0"));
}

void SettingsTest::listSelectionsAreWritten_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("listIndex");
    QTest::addColumn<QString>("written");

    QTest::newRow("89d") << "dec_d" << 0 << "89";
    QTest::newRow("00d") << "dec_d" << 89 << "0";
    QTest::newRow("no degree") << "dec_d" << -1 << "90";
    QTest::newRow("no hour") << "ra_h" << -1 << "-1";
    QTest::newRow("59s") << "dec_s" << 59 << "59";
    QTest::newRow("no sign") << "dec_sign" << -1 << "-1";
}

void SettingsTest::listSelectionsAreWritten()
{
    QFETCH(QString, key);
    QFETCH(int, listIndex);
    QFETCH(QString, written);

    PanelFixture f;
    const std::map<QString, QComboBox *> lists{{"ra_h", f.window.ComboRAh},
                                               {"dec_sign", f.window.ComboDECsign},
                                               {"dec_d", f.window.ComboDECd},
                                               {"dec_s", f.window.ComboDECs}};
    QComboBox *list = lists.at(key);
    list->setCurrentIndex(listIndex);
    QVERIFY(exitWith(f, Answer::Yes));
    QCOMPARE(value(f, key), written);

    // Read back, the same item (or none) is selected again.
    PanelFixture next{storedAfterExit(f)};
    const std::map<QString, QComboBox *> nextLists{{"ra_h", next.window.ComboRAh},
                                                   {"dec_sign", next.window.ComboDECsign},
                                                   {"dec_d", next.window.ComboDECd},
                                                   {"dec_s", next.window.ComboDECs}};
    QCOMPARE(nextLists.at(key)->currentIndex(), listIndex);
}

void SettingsTest::noPortSelectedIsWrittenAsZero()
{
    PanelFixture f{{{"com_port", "0"}}};
    QCOMPARE(f.window.ComPort, 0);
    QVERIFY(exitWith(f, Answer::Yes));
    QCOMPARE(value(f, "com_port"), QStringLiteral("0"));

    PanelFixture next{storedAfterExit(f)};
    QCOMPARE(next.window.Combo1->currentIndex(), -1);
    QCOMPARE(next.window.ComPort, 0);
}

void SettingsTest::exitNoWritesNothingAndCloses()
{
    PanelFixture f{{{"com_port", "3"}}};
    f.window.show();
    f.window.Combo1->setCurrentIndex(8);
    QVERIFY(f.connectPort());
    QCOMPARE(f.port.lastPortNumber(), 9);

    QVERIFY(exitWith(f, Answer::No));
    QVERIFY(f.settings.writeLog().empty());
    QCOMPARE(f.settings.flushCount(), 0);
    QVERIFY(!f.window.isVisible());
    QVERIFY(!f.port.isOpen());
    QVERIFY(f.written().isEmpty());

    // The next start has the port stored before.
    PanelFixture next{storedAfterExit(f)};
    QCOMPARE(next.window.ComPort, 3);
}

void SettingsTest::exitCancelKeepsRunning()
{
    PanelFixture f;
    f.window.show();
    QVERIFY(f.connectPort(2));
    const QString status = f.window.statusText();

    QVERIFY(exitWith(f, Answer::Cancel));
    QVERIFY(f.settings.writeLog().empty());
    QCOMPARE(f.settings.flushCount(), 0);
    QVERIFY(f.window.isVisible());
    QVERIFY(f.port.isOpen());
    QCOMPARE(f.window.statusText(), status);

    // Closing the box is a Cancel too.
    f.window.ExitButton_Click();
    QCOMPARE(f.boxes.unscriptedCount(), 1);
    QVERIFY(f.window.isVisible());
    QVERIFY(f.settings.writeLog().empty());
}

void SettingsTest::refusedStoreIsReported_data()
{
    QTest::addColumn<bool>("refuseWrites");
    QTest::addColumn<bool>("refuseFlush");

    QTest::newRow("writes refused") << true << false;
    QTest::newRow("flush refused") << false << true;
}

void SettingsTest::refusedStoreIsReported()
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
    QCOMPARE(notice.buttons, MessageBoxes::Buttons::Ok);
    QCOMPARE(notice.icon, MessageBoxes::Icon::Warning);
    // Every key was still tried, and the program still ends.
    if (!refuseWrites)
        QCOMPARE(f.settings.writtenKeys(), kWritingOrder);
    QVERIFY(!f.window.isVisible());
    QVERIFY(!f.port.isOpen());
}

void SettingsTest::removeAsksAndDeletes_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("answer");

    QTest::newRow("yes, stored, connected") << true << true << int(Answer::Yes);
    QTest::newRow("yes, nothing stored") << false << false << int(Answer::Yes);
    QTest::newRow("no, connected") << true << true << int(Answer::No);
    QTest::newRow("no, disconnected") << true << false << int(Answer::No);
}

void SettingsTest::removeAsksAndDeletes()
{
    QFETCH(bool, stored);
    QFETCH(bool, connected);
    QFETCH(int, answer);
    const bool yes = Answer(answer) == Answer::Yes;

    PanelFixture f{stored ? kFullStore : StoredDefaults{}};
    if (connected)
        QVERIFY(f.connectPort());
    f.window.CommandConnect->setFocus();
    f.window.setStatusText(QStringLiteral("before"));

    f.boxes.enqueue(Answer(answer));
    f.window.RemoveRegButton_Click();

    QCOMPARE(f.boxes.calls().size(), std::size_t(1));
    const auto &ask = f.boxes.calls().front();
    QCOMPARE(ask.title, QStringLiteral("Orrinet - Remove"));
    QCOMPARE(ask.text, QStringLiteral("Remove all registry entires for Orrinet"));
    QCOMPARE(ask.buttons, MessageBoxes::Buttons::YesNo);
    QCOMPARE(ask.icon, MessageBoxes::Icon::Question);

    QCOMPARE(f.settings.keys(kSection).isEmpty(), yes || !stored);
    QCOMPARE(f.window.statusText(), yes ? QStringLiteral("Registry entries removed for Orrinet")
                                        : QStringLiteral("before"));
    // The pad gets the focus back only while it is shown.
    QCOMPARE(f.window.focusWidget(), connected ? static_cast<QWidget *>(f.window.PictureNav)
                                               : static_cast<QWidget *>(f.window.CommandConnect));
    // The choices on screen are untouched.
    QCOMPARE(f.window.ComPort, stored ? 7 : 1);
    QVERIFY(f.written().isEmpty());
}

void SettingsTest::removeThenExitStoresEverythingAgain()
{
    PanelFixture f{kFullStore};
    f.boxes.enqueue(Answer::Yes);
    f.window.RemoveRegButton_Click();
    QVERIFY(f.settings.keys(kSection).isEmpty());

    QVERIFY(exitWith(f, Answer::Yes));
    QCOMPARE(f.settings.keys(kSection).size(), 21);
    for (const auto &[key, stored] : kFullStore)
        QCOMPARE(value(f, key), stored);
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
