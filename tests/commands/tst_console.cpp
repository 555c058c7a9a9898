// The command console over the fake line: what Send writes, Clear, which
// texts survive closing, and input nobody awaits reaching the reply box only
// while the console is open. The console is modal; each test acts from
// inside its event loop.

#include "app/frmMain.h"
#include "commands/frmCmd.h"
#include "support/panelfixture.h"

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
};

void TestConsole::sendWritesCommandExactly_data()
{
    QTest::addColumn<QString>("command");

    QTest::newRow("keypad with blank") << u":EK 51#"_s;
    QTest::newRow("blanks around") << u"  :GR#  "_s;
    QTest::newRow("nul and high bytes") << u":G"_s + QChar(0) + QString::fromLatin1("\xDF\xFF#");
    QTest::newRow("empty") << QString();
}

void TestConsole::sendWritesCommandExactly()
{
    QFETCH(QString, command);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.port.setReceiveThreshold(34);
    QString reply = u"unset"_s;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        console.Text1->setText(command);
        console.Text2->setText(u"old reply"_s);
        console.SendCommand->click();
        reply = console.Text2->text();
    }));
    QCOMPARE(reply, QString());
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
    bool open = false;
    QString reply;
    QVERIFY(withConsole(f, [&](frmCmd &console) {
        open = f.window.ConsoleOpen;
        f.port.feed(input);
        reply = console.Text2->text();
        console.CloseCommand_Click();
    }));
    QVERIFY(open);
    QVERIFY(!f.window.ConsoleOpen);
    QCOMPARE(reply, input);
    QCOMPARE(f.window.statusText(), input);

    // Closed: the status line only.
    f.port.feed(u"0"_s);
    QCOMPARE(f.window.statusText(), u"0"_s);
    QCOMPARE(f.window.console()->Text2->text(), input);
}

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
