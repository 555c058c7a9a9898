#include "hub/access.h"
#include "hub/commandframer.h"
#include "hub/precision.h"
#include "hub/replyframing.h"
#include "link/protocol.h"

#include <QTest>

using namespace orrinet;
using namespace orrinet::hub;

class TestHubFraming : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replyFrame_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("buffered");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("length");
        const int no = ReplyFrame::Incomplete, yes = ReplyFrame::Complete,
                  quiet = ReplyFrame::CompleteIfQuiet;
        const QByteArray display = ' ' + QByteArray(16, 'A') + QByteArray(16, 'B') + '#';
        QTest::newRow("ra whole") << QByteArray(":GR#") << QByteArray("12:34:56#") << yes << 9;
        QTest::newRow("ra short") << QByteArray(":GR#") << QByteArray("12:34:5") << no << 0;
        QTest::newRow("ra and more") << QByteArray(":GR#") << QByteArray("12:34:56#1") << yes << 9;
        QTest::newRow("goto started") << QByteArray(":MS#") << QByteArray("0") << yes << 1;
        QTest::newRow("goto refused")
            << QByteArray(":MS#") << QByteArray("1Object Below Horizon#") << yes << 22;
        QTest::newRow("goto reason half")
            << QByteArray(":MS#") << QByteArray("2Telescope") << no << 0;
        QTest::newRow("target") << QByteArray(":Sr 01:02:03#") << QByteArray("1") << yes << 1;
        QTest::newRow("halt") << QByteArray(":Q#") << QByteArray() << yes << 0;
        QTest::newRow("ack") << QByteArray("\x06") << QByteArray("P") << yes << 1;
        QTest::newRow("precision high")
            << QByteArray(":P#") << QByteArray("HIGH PRECISION") << yes << 14;
        QTest::newRow("precision low")
            << QByteArray(":P#") << QByteArray("LOW  PRECISION") << yes << 14;
        QTest::newRow("date refused") << QByteArray(":SC 13/45/24#") << QByteArray("0") << yes << 1;
        QTest::newRow("date first part")
            << QByteArray(":SC 03/15/24#") << QByteArray("1Updating Planetary Data#") << no << 0;
        QTest::newRow("date both parts")
            << QByteArray(":SC 03/15/24#") << QByteArray("1Updating Planetary Data#   #") << yes
            << 29;
        QTest::newRow("display") << QByteArray(":ED#") << display << yes << 34;
        QTest::newRow("display short") << QByteArray(":ED#") << QByteArray(" Hi#") << quiet << 4;
        QTest::newRow("unknown") << QByteArray(":XY#") << QByteArray("abc") << quiet << 3;
        QTest::newRow("unknown silent") << QByteArray(":XY#") << QByteArray() << no << 0;
    }
    void replyFrame()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, buffered);
        const ReplyFrame frame = frameReply(commandRow(command).form, buffered);
        QFETCH(int, state);
        QCOMPARE(int(frame.state), state);
        QFETCH(int, length);
        QCOMPARE(int(frame.length), length);
    }

    // The panel's commands are framed as the panel reads them.
    void catalogueRows()
    {
        for (const TelescopeQueryInfo &query : kTelescopeQueries)
            for (const QLatin1StringView command : {query.firstCommand, query.secondCommand})
                if (!command.isEmpty())
                    QCOMPARE(commandRow(QByteArray(command.data(), command.size())).form,
                             ReplyForm::UpToHash);
        for (const SlewRate &rate : kSlewRates)
            QCOMPARE(commandRow(QByteArray(rate.firstCommand.data())).kind, CommandKind::Control);
        QCOMPARE(commandRow(raCommand(1, 2, 3).toLatin1()).kind, CommandKind::Target);
        QCOMPARE(commandRow(decCommand(u'-', 5, 3, 9).toLatin1()).kind, CommandKind::Target);
        QCOMPARE(commandRow(":gT#").timeoutMs, kSlowReplyTimeoutMs);
        QCOMPARE(commandRow(":Mn#").kind, CommandKind::Move);
        QCOMPARE(commandRow(":Qw#").kind, CommandKind::Stop);
    }

    void stream_data()
    {
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<QByteArrayList>("commands");
        QTest::addColumn<int>("drops");
        using L = QByteArrayList;
        QTest::newRow("split") << L{":G", "R", "#"} << L{":GR#"} << 0;
        QTest::newRow("merged") << L{":GR#:GD#\x06"} << L{":GR#", ":GD#", "\x06"} << 0;
        QTest::newRow("leading hash") << L{"#:GR#"} << L{":GR#"} << 0;
        QTest::newRow("between") << L{"x\r\n:GD#\n"} << L{":GD#"} << 0;
        QTest::newRow("control byte") << L{":G\x01R#:GD#"} << L{":GD#"} << 1;
        QTest::newRow("degree in dec") << L{":Sd +45\xdf"
                                            "00:00#"}
                                       << L{":Sd +45\xdf"
                                            "00:00#"}
                                       << 0;
        QTest::newRow("degree elsewhere") << L{":St +45\xdf"
                                               "00#"}
                                          << L{} << 1;
        QTest::newRow("overlong") << L{':' + QByteArray(70, 'A') + "#:GR#"} << L{":GR#"} << 1;
        QTest::newRow("colon restarts") << L{":GR:GD#"} << L{":GD#"} << 1;
        QTest::newRow("colon in argument") << L{":Sr 12:3", "4:56#"} << L{":Sr 12:34:56#"} << 0;
    }
    void stream()
    {
        QFETCH(QByteArrayList, chunks);
        QFETCH(QByteArrayList, commands);
        QFETCH(int, drops);
        CommandFramer framer;
        QByteArrayList framed;
        int dropped = 0;
        for (const QByteArray &chunk : chunks)
            for (const CommandFramer::Item &item : framer.feed(chunk))
                item.dropReason.isEmpty() ? void(framed << item.command) : void(++dropped);
        QCOMPARE(framed, commands);
        QCOMPARE(dropped, drops);
    }

    void lowForm_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("high");
        QTest::addColumn<QByteArray>("low");
        QTest::newRow("ra") << QByteArray(":GR#") << QByteArray("12:34:56#")
                            << QByteArray("12:34.9#");
        QTest::newRow("ra round down")
            << QByteArray(":GR#") << QByteArray("00:00:05#") << QByteArray("00:00.0#");
        QTest::newRow("dec") << QByteArray(":GD#")
                             << QByteArray("-05\xdf"
                                           "03:09#")
                             << QByteArray("-05\xdf"
                                           "03#");
        QTest::newRow("azimuth") << QByteArray(":GZ#") << QByteArray("123*45:06#")
                                 << QByteArray("123*45#");
        QTest::newRow("not a position")
            << QByteArray(":GR#") << QByteArray("\x15") << QByteArray("\x15");
    }
    void lowForm()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, high);
        QFETCH(QByteArray, low);
        QCOMPARE(lowPrecision(command, high), low);
        if (low != high)
            QCOMPARE(positionForm(command, low), PositionForm::Low);
    }

    void access_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("inside");
        QTest::newRow("in range") << "192.168.1.0/24"
                                  << "192.168.1.77" << true;
        QTest::newRow("outside") << "192.168.1.0/24"
                                 << "192.168.2.1" << false;
        QTest::newRow("mapped v4") << "192.168.1.0/24"
                                   << "::ffff:192.168.1.5" << true;
        QTest::newRow("single") << "10.0.0.7"
                                << "10.0.0.7" << true;
        QTest::newRow("v6") << "::1/128"
                            << "::1" << true;
    }
    void access()
    {
        QFETCH(QString, rule);
        const std::optional<Subnet> subnet = parseSubnet(rule);
        QVERIFY(subnet);
        const AccessRules rules{{*subnet}, {*subnet}};
        QFETCH(QString, address);
        const QHostAddress host(address);
        QFETCH(bool, inside);
        QCOMPARE(rules.allows(host), inside);
        QCOMPARE(rules.isReadOnly(host), inside);
        QVERIFY(!parseSubnet(QStringLiteral("10.0.0/33")));
    }
};

QTEST_GUILESS_MAIN(TestHubFraming)
#include "tst_hubframing.moc"
