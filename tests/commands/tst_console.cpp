// The command console over the fake line: what Send writes, Clear, which
// texts survive closing, and input nobody awaits reaching the reply box only
// while the console is open. The console is modal; each test acts from
// inside its event loop.

#include "app/frmMain.h"
#include "commands/frmCmd.h"
#include "support/panelfixture.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {

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

class TestConsole : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sendWritesCommandExactly_data();
    void sendWritesCommandExactly();
    void clearThenCloseKeepsTextsCloseBoxDoesNot();
    void unexpectedInputReachesReplyBoxOnlyWhileOpen();
    void replyInPiecesShownWhole();
    void pendingGpsTakesInputFirst();
};

void TestConsole::sendWritesCommandExactly_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("byEnter"); // else the Send button
    QTest::addColumn<bool>("sent");

    QTest::newRow("keypad with blank") << u":EK 51#"_s << false << true;
    QTest::newRow("blanks around, Enter") << u"  :GR#  "_s << true << true;
    QTest::newRow("8-bit byte") << u":Sd +12\u00DF34#"_s << false << true;
    QTest::newRow("beyond 8 bits") << u":Sd +12\u221834#"_s << false << false;
}

void TestConsole::sendWritesCommandExactly()
{
    QFETCH(QString, command);
    QFETCH(bool, byEnter);
    QFETCH(bool, sent);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.port.setReceiveThreshold(34);
    QString reply = u"unset"_s;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        console.Text1->setText(command);
        console.Text2->setText(u"old reply"_s);
        if (byEnter)
            QTest::keyClick(console.Text1, Qt::Key_Return);
        else
            console.SendCommand->click();
        reply = console.Text2->text();
    }));
    QCOMPARE(reply, QString());
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
}

void TestConsole::clearThenCloseKeepsTextsCloseBoxDoesNot()
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

void TestConsole::unexpectedInputReachesReplyBoxOnlyWhileOpen()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    const QString input = QString::fromLatin1("1\x15\xDF#");
    QString reply;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        f.port.feed(input);
        reply = console.Text2->text();
        console.CloseCommand_Click();
    }));
    QCOMPARE(reply, input);
    QCOMPARE(f.window.statusText(), input);

    // Closed: the status line only.
    f.port.feed(u"0"_s);
    QCOMPARE(f.window.statusText(), u"0"_s);
    QCOMPARE(f.window.console()->Text2->text(), input);
}

void TestConsole::replyInPiecesShownWhole()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    QStringList replies;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        for (int sending = 0; sending < 2; ++sending) {
            console.Text1->setText(u":GR#"_s);
            console.SendCommand->click();
            f.port.feed(u"02:3"_s);
            f.port.feed(u"1:4"_s);
            f.port.feed(u"9#"_s);
            replies << console.Text2->text();
        }
    }));
    QCOMPARE(replies, (QStringList{u"02:31:49#"_s, u"02:31:49#"_s}));
}

// The GPS verdict may arrive while the console is open: it belongs to the GPS.
void TestConsole::pendingGpsTakesInputFirst()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.GpsButton->trigger();
    QStringList seen;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        f.port.feed(u"1"_s);
        seen << console.Text2->text() << f.window.statusText();
        f.port.feed(u"#"_s);
        seen << console.Text2->text();
    }));
    QCOMPARE(seen, (QStringList{QString(), u"Telescope updated with GPS data"_s, u"#"_s}));
}

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
