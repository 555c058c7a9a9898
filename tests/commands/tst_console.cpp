// The command console over the fake line: what Send writes, what the reply
// box shows, which texts survive closing, and that awaited replies bypass it.
// The console is modal; each test acts from inside its event loop.

#include "app/frmMain.h"
#include "app/twips.h"
#include "commands/frmCmd.h"
#include "link/protocol.h"
#include "support/panelfixture.h"
#include "support/waitingflags.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

// Longest a test lets the console stay open, so a failure cannot hang it.
constexpr int kSafetyCloseMs = 10000;

enum class OpenBy { Handler, MenuItem };

// Opens the console by the menu item's handler (or by triggering the item)
// and runs whileOpen inside its modal loop; the console is closed by its
// close box afterwards unless whileOpen closed it. False if it did not open.
bool withConsole(PanelFixture &f, const std::function<void(frmCmd &)> &whileOpen,
                 OpenBy openBy = OpenBy::Handler)
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
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, &f.window, [&f] {
        if (f.window.console())
            f.window.console()->close();
    });
    safety.start(kSafetyCloseMs);
    if (openBy == OpenBy::MenuItem)
        f.window.SendButton->trigger();
    else
        f.window.SendButton_Click();
    return ran;
}

QString latin1(const char *bytes)
{
    return QString::fromLatin1(bytes);
}

} // namespace

class TestConsole : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void design();
    void menuItemOpensModalConsole();

    void sendWritesTextExactly_data();
    void sendWritesTextExactly();
    void sendWithPortClosedOnlyEmptiesReply();
    void clearEmptiesCommandOnly();

    void closeKeepsBothTexts();
    void closeBoxKeepsPreviousTexts();

    void replyInSeveralEvents();
    void unexpectedInputReachesReplyBoxOnlyWhileOpen();
    void awaitedReplyBypassesConsole();
    void closingMainWindowEndsConsole();
};

void TestConsole::design()
{
    PanelFixture f;
    frmCmd console(f.window);

    QCOMPARE(console.windowTitle(), u"LX200GPS"_s);
    QCOMPARE(console.SendCommand->text(), u"Send"_s);
    QCOMPARE(console.ClearCommand->text(), u"Clear"_s);
    QCOMPARE(console.CloseCommand->text(), u"Close"_s);
    QVERIFY(!console.Text2->isReadOnly());
    QCOMPARE(colorToBgr(console.Text2->palette().color(QPalette::Base)), quint32(0x00E0E0E0));
    QCOMPARE(console.minimumSize(), console.maximumSize());
    QVERIFY(qAbs(pixelsToTwipsX(console.width(), &console) - 2748) <= 15);
    QVERIFY(qAbs(pixelsToTwipsY(console.height(), &console) - 1320) <= 15);
    // The reply box lies below the buttons, the command box above them.
    QVERIFY(console.Text1->geometry().bottom() < console.SendCommand->geometry().top());
    QVERIFY(console.SendCommand->geometry().bottom() < console.Text2->geometry().top());

    // Tab order: command, Send, Clear, reply, Close.
    QCOMPARE(console.Text1->nextInFocusChain(), console.SendCommand);
    QCOMPARE(console.SendCommand->nextInFocusChain(), console.ClearCommand);
    QCOMPARE(console.ClearCommand->nextInFocusChain(), console.Text2);
    QCOMPARE(console.Text2->nextInFocusChain(), console.CloseCommand);
}

void TestConsole::menuItemOpensModalConsole()
{
    PanelFixture f;
    QVERIFY(!f.window.SendButton->isEnabled());
    QVERIFY(f.connectPort(1));
    QVERIFY(f.window.SendButton->isEnabled());

    bool openFlag = false;
    bool modal = false;
    QString command = u"unset"_s;
    QString reply = u"unset"_s;
    QVERIFY(withConsole(
        f,
        [&](frmCmd &console) {
            openFlag = f.window.ConsoleOpen;
            modal = console.isModal();
            command = console.Text1->text();
            reply = console.Text2->text();
            console.CloseCommand->click();
        },
        OpenBy::MenuItem));

    QVERIFY(openFlag);
    QVERIFY(modal);
    QCOMPARE(command, QString());
    QCOMPARE(reply, QString());
    QVERIFY(!f.window.ConsoleOpen);
    QVERIFY(!f.window.console()->isVisible());

    // The same console serves the next opening.
    frmCmd *first = f.window.console();
    QVERIFY(withConsole(f, [](frmCmd &) {}));
    QCOMPARE(f.window.console(), first);
    QVERIFY(f.written().isEmpty());
}

void TestConsole::sendWritesTextExactly_data()
{
    QTest::addColumn<QString>("command");

    QTest::newRow("query") << u":GVN#"_s;
    QTest::newRow("keypad with blank") << u":EK 51#"_s;
    QTest::newRow("blanks around") << u"  :GR#  "_s;
    QTest::newRow("no terminator") << u":GW"_s;
    QTest::newRow("8-bit byte") << latin1(":Sd +12\xDF" "34#");
    QTest::newRow("empty") << QString();
}

void TestConsole::sendWritesTextExactly()
{
    QFETCH(QString, command);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.port.setReceiveThreshold(kThresholdAutostarMacro);
    QString replyAfterSend = u"unset"_s;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        console.Text1->setText(command);
        console.Text2->setText(u"old reply"_s);
        console.SendCommand->click();
        replyAfterSend = console.Text2->text();
    }));

    QCOMPARE(replyAfterSend, QString());
    QCOMPARE(f.written(), QStringList{command});
    QCOMPARE(f.port.writes().front().thresholdAtWrite, 1);
    QVERIFY(raisedFlags(f.window).isEmpty());
    QVERIFY(!f.window.Timer1->isActive());
}

void TestConsole::sendWithPortClosedOnlyEmptiesReply()
{
    PanelFixture f;
    QString reply = u"unset"_s;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        console.Text1->setText(u":GR#"_s);
        console.Text2->setText(u"old reply"_s);
        console.SendCommand_Click();
        reply = console.Text2->text();
    }));
    QCOMPARE(reply, QString());
    QVERIFY(f.written().isEmpty());
}

void TestConsole::clearEmptiesCommandOnly()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    QString command = u"unset"_s;
    QString reply;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        console.Text1->setText(u":GW#"_s);
        console.Text2->setText(u"ANP#"_s);
        console.ClearCommand->click();
        command = console.Text1->text();
        reply = console.Text2->text();
    }));
    QCOMPARE(command, QString());
    QCOMPARE(reply, u"ANP#"_s);
    QVERIFY(f.written().isEmpty());
}

void TestConsole::closeKeepsBothTexts()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    QVERIFY(withConsole(f, [](frmCmd &console) {
        console.Text1->setText(u":GVP#"_s);
        console.Text2->setText(u"LX2001#"_s);
        console.CloseCommand->click();
    }));

    QString command;
    QString reply;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        command = console.Text1->text();
        reply = console.Text2->text();
    }));
    QCOMPARE(command, u":GVP#"_s);
    QCOMPARE(reply, u"LX2001#"_s);
}

void TestConsole::closeBoxKeepsPreviousTexts()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));

    // Closed by its close box at once: nothing saved yet.
    QVERIFY(withConsole(f, [](frmCmd &console) { console.Text1->setText(u":GW#"_s); }));
    QString command = u"unset"_s;
    QString reply = u"unset"_s;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        command = console.Text1->text();
        reply = console.Text2->text();
        console.Text1->setText(u":GC#"_s);
        console.Text2->setText(u"03/15/24#"_s);
        console.CloseCommand_Click();
    }));
    QCOMPARE(command, QString());
    QCOMPARE(reply, QString());

    // Changed, then closed by the close box: the texts of the last Close come back.
    QVERIFY(withConsole(f, [](frmCmd &console) {
        console.Text1->setText(u":GL#"_s);
        console.Text2->setText(u"21:04:37#"_s);
    }));
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        command = console.Text1->text();
        reply = console.Text2->text();
    }));
    QCOMPARE(command, u":GC#"_s);
    QCOMPARE(reply, u"03/15/24#"_s);
}

void TestConsole::replyInSeveralEvents()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    QString whole;
    QString last;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        console.Text1->setText(u":GVP#"_s);
        console.SendCommand_Click();
        f.port.feed(u"LX2001#"_s);
        whole = console.Text2->text();
        // Threshold 1: a reply that trickles in replaces the box piece by piece.
        console.SendCommand_Click();
        f.port.feed(u"LX2"_s);
        f.port.feed(u"001#"_s);
        last = console.Text2->text();
    }));
    QCOMPARE(whole, u"LX2001#"_s);
    QCOMPARE(last, u"001#"_s);
    QCOMPARE(f.window.statusText(), u"001#"_s);
    QVERIFY(f.window.ReceiveBuffer.isEmpty());
}

void TestConsole::unexpectedInputReachesReplyBoxOnlyWhileOpen()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.port.setReceiveThreshold(1);
    const QString input = latin1("1\x15\xDF#");
    QString reply;
    QString buffer = u"unset"_s;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        f.port.feed(input);
        reply = console.Text2->text();
        buffer = f.window.ReceiveBuffer;
        console.CloseCommand_Click();
    }));
    QCOMPARE(reply, input);
    QCOMPARE(f.window.statusText(), input);
    QVERIFY(buffer.isEmpty());

    // Closed: the status line only.
    f.port.feed(u"0"_s);
    QCOMPARE(f.window.statusText(), u"0"_s);
    QCOMPARE(f.window.console()->Text2->text(), input);
    QVERIFY(f.window.ReceiveBuffer.isEmpty());
}

void TestConsole::awaitedReplyBypassesConsole()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    QString replyAfterGps = u"unset"_s;
    QString statusAfterGps;
    QString replyAfterMore;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        console.Text2->setText(u"before"_s);
        f.window.WaitingGps = true;
        f.port.setReceiveThreshold(1);
        f.port.feed(u"1"_s);
        replyAfterGps = console.Text2->text();
        statusAfterGps = f.window.statusText();
        f.port.feed(u"0"_s);
        replyAfterMore = console.Text2->text();
    }));
    QCOMPARE(replyAfterGps, u"before"_s);
    QCOMPARE(statusAfterGps, u"Telescope updated with GPS data"_s);
    QCOMPARE(replyAfterMore, u"0"_s);
    QVERIFY(!f.window.WaitingGps);
}

void TestConsole::closingMainWindowEndsConsole()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    QVERIFY(withConsole(f, [&](frmCmd &) { f.window.close(); }));
    QVERIFY(!f.window.ConsoleOpen);
    QVERIFY(!f.window.console()->isVisible());
    QVERIFY(!f.port.isOpen());
}

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
