// Connect and Disconnect through the real serial stack: the port number is
// mapped to a pseudo-terminal in the per-user settings, and the bytes are
// read on its other side. Pauses are recorded, not slept.

#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "platform/platform.h"
#include "platform/qtcursor.h"
#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"
#include "platform/recordingwait.h"
#include "platform/scriptedmessageboxes.h"
#include "support/pty.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

using orrinet::testing::Pty;

class ConnectPtyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void connectSendsRateAndFocusOverTheLineThenDisconnects();
};

void ConnectPtyTest::connectSendsRateAndFocusOverTheLineThenDisconnects()
{
    Pty pty;
    QVERIFY2(pty.isOpen(), qPrintable(pty.errorString()));

    orrinet::QtSettingsStore settings;
    QVERIFY(settings.write(QStringLiteral("Ports"), QStringLiteral("com7"), pty.slavePath()));
    const std::pair<const char *, const char *> stored[] = {
        {"com_port", "7"}, {"send_focus_rate_box", "1"}, {"slew_rate", "10"}, {"focuser_speed", "2"}};
    for (const auto &[key, value] : stored)
        QVERIFY(settings.write(QStringLiteral("Defaults"), QLatin1String(key), QLatin1String(value)));
    QVERIFY(settings.flush());
    QVERIFY2(settings.location().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")),
             qPrintable(settings.location()));

    orrinet::QtSerialLine port(settings);
    orrinet::RecordingWait wait;
    orrinet::ScriptedMessageBoxes boxes;
    orrinet::QtCursor cursor;
    frmMain w{orrinet::Platform{port, settings, wait, boxes, cursor}};
    QCOMPARE(w.ComPort, 7);

    w.CommandConnect_Click();
    QVERIFY2(port.isOpen(), qPrintable(w.statusText()));
    QCOMPARE(port.device(), pty.slavePath());
    QCOMPARE(w.statusText(), QStringLiteral("Connected to com 7"));
    QCOMPARE(wait.pauses(), (std::vector<int>{500, 200, 200, 500}));

    const QByteArray expected(":RA01.5#:RE01.5#:F3#");
    QCOMPARE(pty.read(expected.size(), 3000), expected);
    // Nothing more follows.
    QCOMPARE(pty.read(1, 300), QByteArray());
    QCOMPARE(w.CommandConnect->text(), QStringLiteral("Disconnect"));

    w.CommandConnect_Click();
    QVERIFY(!port.isOpen());
    QCOMPARE(w.statusText(), QStringLiteral("Disconnected from com 7"));
    QCOMPARE(w.CommandConnect->text(), QStringLiteral("Connect"));
    QCOMPARE(pty.read(1, 300), QByteArray());

    // The same line opens again.
    wait.clearPauses();
    w.CommandConnect_Click();
    QVERIFY(port.isOpen());
    QCOMPARE(pty.read(expected.size(), 3000), expected);
}

// The settings file must lie in a directory of the test's own before the
// first settings object is made: the location is fixed for the process then.
int main(int argc, char *argv[])
{
    QTemporaryDir config;
    if (!config.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    ConnectPtyTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_connect_pty.moc"
