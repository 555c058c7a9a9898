// The line monitor: what it lists during real exchanges and in what order,
// how bytes are shown, its bound, Copy, and that it records only while open.

#include "app/frmMonitor.h"
#include "link/linelog.h"
#include "support/panelfixture.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using orrinet::LineLog;
using namespace Qt::StringLiterals;
using orrinet::testing::PanelFixture;

namespace {

// The monitor's lines without their time stamps.
QStringList shownLines(const orrinet::frmMonitor &monitor)
{
    QStringList lines;
    const QAbstractItemModel *model = monitor.LogList->model();
    for (int row = 0; row < model->rowCount(); ++row)
        lines << model->index(row, 0).data().toString().mid(12);
    return lines;
}

} // namespace

class LineMonitorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsExchangeInOrder_data();
    void listsExchangeInOrder();
    void escapesBytes();
    void keepsMostRecentLines();
    void copyThenClose();
};

void LineMonitorTest::listsExchangeInOrder_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("replies");

    QTest::newRow("get") << "CommandGet"
                         << QStringList{"12:34:56#", QString::fromLatin1("+45\xDF"
                                                                         "30:00#")};
    QTest::newRow("goto") << "CommandGotoRADEC" << QStringList{"1", "1", "0"};
}

void LineMonitorTest::listsExchangeInOrder()
{
    QFETCH(QString, action);
    QFETCH(QStringList, replies);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.LineMonitorButton->trigger();
    orrinet::frmMonitor *monitor = f.window.lineMonitor();
    QVERIFY(monitor && monitor->isVisible() && !monitor->isModal());

    f.window.findChild<QPushButton *>(action)->click();
    for (const QString &reply : replies)
        f.port.feed(reply);

    QStringList expected;
    const QStringList written = f.written();
    QCOMPARE(written.size(), replies.size());
    for (qsizetype i = 0; i < written.size(); ++i)
        expected << "  TX  " + written[i] << "  RX  " + orrinet::escapeLineBytes(replies[i]);
    QCOMPARE(shownLines(*monitor), expected);
}

// Every byte outside printable ASCII as \xHH, the backslash doubled, markup as it is.
void LineMonitorTest::escapesBytes()
{
    const QString bytes = QString::fromLatin1("<b>&amp;\\x41+45\xDF\x06") + QChar(0) +
                          QString::fromLatin1("\r\n\t\x7F\xE9");
    QCOMPARE(orrinet::escapeLineBytes(bytes),
             u"<b>&amp;\\\\x41+45\\xDF\\x06\\x00\\x0D\\x0A\\x09\\x7F\\xE9"_s);
}

void LineMonitorTest::keepsMostRecentLines()
{
    LineLog log;
    for (int i = 0; i < LineLog::kCapacity + 5; ++i)
        log.record(orrinet::LineDirection::Written, QString::number(i), 0);
    QCOMPARE(log.size(), LineLog::kCapacity);
    QCOMPARE(log.at(0).text, QStringLiteral("5"));

    // A long read is cut into lines of kBytesPerLine bytes.
    log.record(orrinet::LineDirection::Read, QString(LineLog::kBytesPerLine * 2 + 1, u'x'), 0);
    QCOMPARE(log.size(), LineLog::kCapacity);
    QCOMPARE(log.at(log.size() - 1).text, QStringLiteral("x"));
    QCOMPARE(log.at(log.size() - 2).text.size(), LineLog::kBytesPerLine);
}

// Copy puts every line on the clipboard; closed, the monitor records nothing.
void LineMonitorTest::copyThenClose()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.LineMonitorButton_Click();
    f.window.CommandGet_Click();
    f.port.feed(u"12:34:56#"_s);

    orrinet::frmMonitor *monitor = f.window.lineMonitor();
    monitor->CommandCopy->click();
    const QStringList lines = QGuiApplication::clipboard()->text().split(u'\n');
    QCOMPARE(lines.size(), 4); // three lines, each ended by a line feed
    const QRegularExpression stamp(u"^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d  (TX|RX)  "_s);
    QVERIFY(lines[0].contains(stamp) && lines[0].endsWith(u"  TX  :GR#"_s));
    QVERIFY(lines[1].endsWith(u"  RX  12:34:56#"_s));
    QVERIFY(lines[2].endsWith(u"  TX  :GD#"_s));

    monitor->close();
    f.port.feed(u"+45*30:15#"_s);
    f.window.CommandGet_Click();
    QCOMPARE(f.written().size(), 3);
    QCOMPARE(monitor->log().size(), 3);
}

QTEST_MAIN(LineMonitorTest)
#include "tst_linemonitor.moc"
