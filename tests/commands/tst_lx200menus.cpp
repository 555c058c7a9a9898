// The LX200GPS and Autostar menus and the command console over the fake line.

#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "app/picturebox.h"
#include "commands/frmCmd.h"
#include "support/panelfixture.h"
#include "support/waitingflags.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <array>
#include <functional>
#include <utility>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;
using Answer = MessageBoxes::Answer;

namespace {

// A 34-character display frame: lead blank, two 16-character lines, "#".
QString display(const QString &first, const QString &second)
{
    return u' ' + first.leftJustified(16) + second.leftJustified(16) + u'#';
}

// Counts the pauses and runs a step during one of them.
struct SteppedWait final : BlockingWait
{
    void wait(int) override
    {
        if (++pauses == atPause)
            step();
    }
    int pauses = 0;
    int atPause = 0;
    std::function<void()> step;
};

// Opens the console and runs whileOpen inside its modal loop; the close box
// closes it afterwards unless whileOpen did. False if it did not open.
bool withConsole(PanelFixture &f, const std::function<void(frmCmd &)> &whileOpen)
{
    bool ran = false;
    QTimer::singleShot(0, &f.window, [&] {
        frmCmd *console = f.window.console();
        if (!console || !console->isVisible())
            return;
        ran = true;
        whileOpen(*console);
        if (console->isVisible())
            console->close();
    });
    // So that a failure cannot hang the test.
    QTimer::singleShot(10000, &f.window, [&f] { f.window.console()->close(); });
    f.window.SendButton_Click();
    return ran;
}

} // namespace

class TestLx200Menus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void maintenanceItems_data();
    void maintenanceItems();
    void verdicts_data();
    void verdicts();
    void autostar_data();
    void autostar();
    void takingThenQuery_data();
    void takingThenQuery();
    void lostDuringMacroPauseWritesNoMore();
    void sendWritesCommandExactly_data();
    void sendWritesCommandExactly();
    void clearThenCloseKeepsTextsCloseBoxDoesNot();
    void inputNobodyAwaitsShownWhileOpen();
};

void TestLx200Menus::maintenanceItems_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("box"); // title, CR LF, text; "" for no confirmation
    QTest::addColumn<bool>("ok");     // the answer, where asked
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("waiting");
    const auto row = [](const char *name, const QString &item, const QString &box, bool ok,
                        const QString &written, const QString &status,
                        const QString &waiting = {}) {
        QTest::newRow(name) << item << box << ok << written << status << waiting;
    };
    const QString store =
        u"Store Home LX200GPS\r\nStore telescope alignment values to the Home "
        "Position?\r\n\r\nThis will cause the telescope to slew to the Home Positon."_s;

    row("GPS", u"GpsButton"_s, {}, true, u":gT#"_s, u"Getting GPS data, waiting..."_s,
        u"WaitingGps"_s);
    row("alignment", u"AutoButton"_s,
        u"Automatic Alignment LX200GPS\r\nStart Automatic Alignment of telescope?\r\n\r\n"
        "This can take several minutes."_s,
        true, u":Aa#"_s, u"Automatic alignment sent, waiting..."_s, u"WaitingAlign"_s);
    row("initialize", u"InitButton"_s,
        u"Initialize LX200GPS\r\nPower up Initialize telescope?\r\n\r\nAutostar II hand "
        "controler must be attached to use this function."_s,
        true, u":I#"_s, u"Power up initialization sent"_s);
    row("home align", u"HomePosAlignButton"_s,
        u"Align Home LX200GPS\r\nAlign telescope using values stored at the Home Position?\r\n"
        "\r\nThis can be used after a power failure to align\r\nthe telescope if the telescope "
        "has not been moved."_s,
        true, u":hF#"_s, u"Align using Home Position sent"_s);
    row("home store", u"HomePosStoreButton"_s, store, true, u":hS#"_s,
        u"Store alignemnt to Home Position sent"_s);
    row("home store cancelled", u"HomePosStoreButton"_s, store, false, {}, u"before"_s);
    row("sleep", u"SleepButton"_s, {}, true, u":hN#"_s, u"Sleep telescope sent"_s);
    row("wake", u"WakeButton"_s, {}, true, u":hW#"_s, u"Wakeup telescope sent"_s);
    row("park", u"ParkButton"_s, {}, true, u":hP#"_s, u"Park telescope sent"_s);
}

void TestLx200Menus::maintenanceItems()
{
    QFETCH(QString, item);
    QFETCH(QString, box);
    QFETCH(bool, ok);
    QFETCH(QString, written);
    QFETCH(QString, status);
    QFETCH(QString, waiting);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    frmMain &w = f.window;
    const bool active = f.showActive();
    w.CommandGet->setFocus();
    w.setStatusText(u"before"_s);
    w.Timer1->start();
    f.port.setReceiveThreshold(30);
    f.boxes.enqueue(ok ? Answer::Ok : Answer::Cancel);

    w.findChild<QAction *>(item)->trigger();

    QCOMPARE(f.written().join(u'|'), written);
    QCOMPARE(w.statusText(), status);
    QCOMPARE(raisedFlags(w).join(u'|'), waiting);
    if (!waiting.isEmpty())
        QCOMPARE(f.port.writes().front().thresholdAtWrite, 1);
    QStringList asked;
    for (const ScriptedMessageBoxes::Call &call : f.boxes.calls()) {
        asked << call.title + u"\r\n"_s + call.text;
        QCOMPARE(call.buttons, MessageBoxes::Buttons::OkCancel);
        QCOMPARE(call.icon, MessageBoxes::Icon::Warning);
    }
    QCOMPARE(asked.join(u'|'), box);
    // Only the GPS request, which may take minutes, stops the time-out and
    // leaves the focus where it was.
    const bool gps = item == u"GpsButton"_s;
    QCOMPARE(w.Timer1->isActive(), !gps);
    if (active)
        QTRY_COMPARE(QApplication::focusWidget(), gps ? static_cast<QWidget *>(w.CommandGet)
                                                      : static_cast<QWidget *>(w.PictureNav));
}

void TestLx200Menus::verdicts_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("reply"); // empty: a receive event with nothing to read
    QTest::addColumn<QString>("status");

    QTest::newRow("GPS 1") << u"GpsButton"_s << u"1"_s << u"Telescope updated with GPS data"_s;
    QTest::newRow("GPS garbage") << u"GpsButton"_s << u"\x15"_s
                                 << u"GPS turn on aborted or failed"_s;
    QTest::newRow("alignment 1") << u"AutoButton"_s << u"1"_s << u"Alignment Successful"_s;
    QTest::newRow("alignment, empty read")
        << u"AutoButton"_s << QString() << u"Scope not AzEl Mounted or align failed"_s;
}

void TestLx200Menus::verdicts()
{
    QFETCH(QString, item);
    QFETCH(QString, reply);
    QFETCH(QString, status);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.boxes.enqueue(Answer::Ok);
    f.window.findChild<QAction *>(item)->trigger();
    // However late the reply, no time-out will come first.
    QVERIFY(!f.window.Timer1->isActive());
    f.window.Timer1->start(); // as another exchange would have left it
    reply.isEmpty() ? f.port.raiseEvent(SerialPort::EventReceive) : f.port.feed(reply);
    QCOMPARE(f.window.statusText(), status);
    QVERIFY(raisedFlags(f.window).isEmpty());
    QVERIFY(!f.window.Timer1->isActive());
}

void TestLx200Menus::autostar_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("flag");

    QTest::newRow("Query") << u"AutostarQuery"_s << QStringList{u":ED#@0"_s} << 30
                           << u"Queryinq Autostar..."_s << u"WaitingAutostar"_s;
    QTest::newRow("Polaris") << u"GotoPolaris_1"_s
                             << QStringList{u":ES4734#@0"_s,   u":EK 51#@500"_s, u":EK 48#@1000"_s,
                                            u":EK 56#@1500"_s, u":EK13#@2000"_s, u":EK 71#@2500"_s,
                                            u":ED#@3000"_s}
                             << 34 << u"Goto Polaris..."_s << u"WaitingAutostarGoto"_s;
    // Each planet's own first command, then the same three keys.
    const std::array<std::pair<const char *, const char *>, 9> planets{{
        {"Moon", ":ES4142#"},
        {"Mercury", ":ES3966#"},
        {"Venus", ":ES3982#"},
        {"Mars", ":ES4014#"},
        {"Jupiter", ":ES4030#"},
        {"Saturn", ":ES4046#"},
        {"Uranus", ":ES4062#"},
        {"Neptune", ":ES4078#"},
        {"Pluto", ":ES4094#"},
    }};
    for (std::size_t i = 0; i < planets.size(); ++i) {
        const auto [name, first] = planets[i];
        QTest::newRow(name) << u"GotoButton_%1"_s.arg(i + 1)
                            << QStringList{QLatin1String(first) + u"@0"_s, u":EK13#@500"_s,
                                           u":EK 71#@1000"_s, u":ED#@1500"_s}
                            << 34 << u"Goto %1..."_s.arg(QLatin1String(name))
                            << u"WaitingAutostarGoto"_s;
    }
}

void TestLx200Menus::autostar()
{
    QFETCH(QStringList, written);
    QFETCH(QString, item);
    QFETCH(int, threshold);
    QFETCH(QString, status);
    QFETCH(QString, flag);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.findChild<QAction *>(item)->trigger();
    QStringList timed; // "command@virtual ms"
    for (const FakeSerialPort::Write &write : f.port.writes())
        timed << write.text + u'@' + QString::number(write.at);
    QCOMPARE(timed, written);
    QCOMPARE(f.port.writes().front().thresholdAtWrite, threshold);
    QCOMPARE(f.window.statusText(), status);
    QCOMPARE(raisedFlags(f.window), QStringList{flag});

    // Short of the threshold: nothing is read yet.
    const QString text = display(u"Mars"_s, u"Slewing..."_s).left(threshold);
    f.port.feed(text.left(threshold - 1));
    QCOMPARE(f.window.statusText(), status);
    f.port.feed(text.right(1));
    QCOMPARE(f.window.statusText(), text);
    QVERIFY(raisedFlags(f.window).isEmpty());
}

void TestLx200Menus::takingThenQuery_data()
{
    QTest::addColumn<QString>("shown"); // empty: a receive event with nothing to read
    QTest::addColumn<bool>("taking");

    QTest::newRow("Taking") << display(u"Taking Control"_s, u"Please Wait..."_s) << true;
    // "Taking" where the lead blank belongs: some other text.
    QTest::newRow("Taking, no lead blank")
        << display(u"Taking Control"_s, u"Please Wait..."_s).mid(1) + u' ' << false;
    QTest::newRow("empty read") << QString() << false;
}

// While the hand controller still takes control, the macro awaits the next
// display text, and it is served before the query's.
void TestLx200Menus::takingThenQuery()
{
    QFETCH(QString, shown);
    QFETCH(bool, taking);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    frmMain &w = f.window;
    w.GotoPolaris[1]->trigger();
    shown.isEmpty() ? f.port.raiseEvent(SerialPort::EventReceive) : f.port.feed(shown);
    QCOMPARE(w.statusText(), shown);
    QCOMPARE(w.WaitingAutostarGoto, taking);

    w.AutostarQuery->trigger();
    const QString slewing = display(u"Polaris"_s, u"Slewing..."_s).left(30);
    f.port.feed(slewing);
    QCOMPARE(w.statusText(), slewing);
    QCOMPARE(raisedFlags(w), taking ? QStringList{u"WaitingAutostar"_s} : QStringList());
}

// The line goes away during the second pause of the Polaris macro.
void TestLx200Menus::lostDuringMacroPauseWritesNoMore()
{
    FakeSerialPort port;
    MemorySettingsStore settings;
    ScriptedMessageBoxes boxes;
    SteppedWait wait;
    orrinet::testing::RecordingCursor cursor;
    frmMain w{Platform{port, settings, wait, boxes, cursor}};
    w.Combo1->setCurrentIndex(0);
    w.CommandConnect_Click();
    QVERIFY(port.isOpen());
    port.clearWrites();
    wait.atPause = wait.pauses + 2;
    wait.step = [&port] { port.loseConnection(u"device removed"_s); };

    w.GotoPolaris[1]->trigger();
    QCOMPARE(port.writtenTexts(), (QStringList{u":ES4734#"_s, u":EK 51#"_s}));
    QCOMPARE(wait.pauses, wait.atPause);
    QVERIFY(w.statusText().startsWith(u"Connection lost"_s));
}

void TestLx200Menus::sendWritesCommandExactly_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("byEnter"); // else the Send button
    QTest::addColumn<bool>("sent");

    QTest::newRow("keypad with blank") << u":EK 51#"_s << false << true;
    QTest::newRow("blanks around, Enter") << u"  :GR#  "_s << true << true;
    QTest::newRow("8-bit byte") << u":Sd +12\u00DF34#"_s << false << true;
    QTest::newRow("beyond 8 bits") << u":Sd +12\u221834#"_s << false << false;
}

void TestLx200Menus::sendWritesCommandExactly()
{
    QFETCH(QString, command);
    QFETCH(bool, byEnter);
    QFETCH(bool, sent);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.port.setReceiveThreshold(34);
    QStringList replies;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        console.Text1->setText(command);
        console.Text2->setText(u"old reply"_s);
        byEnter ? QTest::keyClick(console.Text1, Qt::Key_Return) : console.SendCommand->click();
        replies << console.Text2->text();
        if (sent) { // a reply in pieces is shown whole
            for (const QString &piece : {u"02:3"_s, u"1:4"_s, u"9#"_s})
                f.port.feed(piece);
            replies << console.Text2->text();
        }
    }));
    QCOMPARE(replies.takeFirst(), QString());
    if (!sent) {
        QVERIFY(f.written().isEmpty());
        QCOMPARE(f.window.statusText(),
                 u"Command not sent: it holds characters the serial line cannot carry"_s);
        return;
    }
    QCOMPARE(f.written(), QStringList{command});
    // Whatever comes back is shown from its first character.
    QCOMPARE(f.port.writes().front().thresholdAtWrite, 1);
    QVERIFY(f.pauses().empty());
    QCOMPARE(replies, QStringList{u"02:31:49#"_s});
}

void TestLx200Menus::clearThenCloseKeepsTextsCloseBoxDoesNot()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    QStringList cleared;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        console.Text1->setText(u":GW#"_s);
        console.Text2->setText(u"LX2001#"_s);
        console.ClearCommand->click(); // the command only
        cleared << console.Text1->text() << console.Text2->text();
        console.Text1->setText(u":GVP#"_s);
        console.CloseCommand->click();
    }));
    QCOMPARE(cleared, (QStringList{QString(), u"LX2001#"_s}));
    // Changed, then closed by the close box: the texts of the last Close come back.
    QStringList texts;
    for (int opening = 0; opening < 2; ++opening) {
        QVERIFY(withConsole(f, [&](frmCmd &console) {
            texts << console.Text1->text() << console.Text2->text();
            console.Text1->setText(u":GL#"_s);
            console.Text2->setText(u"21:04:37#"_s);
        }));
    }
    QCOMPARE(texts, (QStringList{u":GVP#"_s, u"LX2001#"_s, u":GVP#"_s, u"LX2001#"_s}));
    QVERIFY(f.written().isEmpty());
}

// Input nobody awaits reaches the reply box only while the console is open;
// a GPS verdict arriving meanwhile belongs to the GPS.
void TestLx200Menus::inputNobodyAwaitsShownWhileOpen()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.GpsButton->trigger();
    const QString input = QString::fromLatin1("\x15\xDF#");
    QStringList seen;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        f.port.feed(u"1"_s);
        seen << console.Text2->text() << f.window.statusText();
        f.port.feed(input);
        seen << console.Text2->text() << f.window.statusText();
        console.CloseCommand_Click();
    }));
    QCOMPARE(seen, (QStringList{QString(), u"Telescope updated with GPS data"_s, input, input}));

    // Closed: the status line only.
    f.port.feed(u"0"_s);
    QCOMPARE(f.window.statusText(), u"0"_s);
    QCOMPARE(f.window.console()->Text2->text(), input);

    // Opened again, the saved reply gives way to the next input, gathered whole.
    seen.clear();
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        seen << console.Text2->text();
        f.port.feed(u"AT"_s);
        f.port.feed(u"0#"_s);
        seen << console.Text2->text();
    }));
    QCOMPARE(seen, (QStringList{input, u"AT0#"_s}));
}

QTEST_MAIN(TestLx200Menus)
#include "tst_lx200menus.moc"
