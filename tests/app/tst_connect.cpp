// Choosing the port, Connect and Disconnect with the window's two faces, the
// rate and focus speed sent after connecting, Send_Command and "Display
// Receive Buffer", over the fake serial line.

#include "app/commandbutton.h"
#include "app/frmMain.h"
#include "app/picturebox.h"
#include "support/panelfixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <vector>

using orrinet::testing::PanelFixture;
using orrinet::testing::StoredDefaults;

namespace {

const QColor kDesignGreen(0xD0, 0xFF, 0xD0);
const QColor kConnectedRed(0xFF, 0xB0, 0xB0);

// The state of everything Connect and Disconnect switch, one line each, so a
// failure names the control.
QStringList face(const frmMain &w)
{
    auto shown = [&w](const QWidget *widget) {
        return widget->objectName() + (widget->isVisibleTo(&w) ? " shown" : " hidden");
    };
    auto enabled = [](const QString &name, bool on) {
        return name + (on ? " enabled" : " disabled");
    };
    return {
        shown(w.Picture1),
        shown(w.FrameFocus),
        shown(w.FrameMove),
        shown(w.FrameRADEC),
        shown(w.FrameAutostar),
        enabled("LX200Menu", w.LX200Menu->menuAction()->isEnabled()),
        enabled("TeleMenu", w.TeleMenu->menuAction()->isEnabled()),
        enabled("GotoMenu", w.GotoMenu->menuAction()->isEnabled()),
        enabled("SendButton", w.SendButton->isEnabled()),
        enabled("Combo1", w.Combo1->isEnabled()),
        enabled("SendCheck", w.SendCheck->isEnabled()),
        enabled("ProgramlMenu", w.ProgramlMenu->menuAction()->isEnabled()),
        enabled("DispRecBufferButton", w.DispRecBufferButton->isEnabled()),
        "caption " + w.CommandConnect->text(),
        "colour " + w.CommandConnect->backColor().name(),
    };
}

const QStringList kDisconnectedFace{
    "Picture1 shown",
    "FrameFocus hidden",
    "FrameMove hidden",
    "FrameRADEC hidden",
    "FrameAutostar hidden",
    "LX200Menu disabled",
    "TeleMenu disabled",
    "GotoMenu disabled",
    "SendButton disabled",
    "Combo1 enabled",
    "SendCheck enabled",
    "ProgramlMenu enabled",
    "DispRecBufferButton enabled",
    "caption Connect",
    "colour " + kDesignGreen.name(),
};

const QStringList kConnectedFace{
    "Picture1 hidden",
    "FrameFocus shown",
    "FrameMove shown",
    "FrameRADEC shown",
    "FrameAutostar shown",
    "LX200Menu enabled",
    "TeleMenu enabled",
    "GotoMenu enabled",
    "SendButton enabled",
    "Combo1 disabled",
    "SendCheck disabled",
    "ProgramlMenu enabled",
    "DispRecBufferButton enabled",
    "caption Disconnect",
    "colour " + kConnectedRed.name(),
};

struct Sent
{
    QString text;
    int at;
};

std::vector<Sent> sent(const PanelFixture &f)
{
    std::vector<Sent> all;
    for (const auto &write : f.port.writes())
        all.push_back({write.text, write.at});
    return all;
}

QString describe(const std::vector<Sent> &writes)
{
    QStringList parts;
    for (const Sent &write : writes)
        parts << QStringLiteral("%1@%2").arg(write.text).arg(write.at);
    return parts.join(QLatin1Char(' '));
}

} // namespace

class ConnectTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choosingAPortSetsComPortAndClearsStatus();
    void connectWithoutSendCheckSendsNothing();
    void connectWithSendCheckSendsRateThenFocusSpeed_data();
    void connectWithSendCheckSendsRateThenFocusSpeed();
    void connectFailureKeepsDisconnectedFace_data();
    void connectFailureKeepsDisconnectedFace();
    void disconnectRestoresDisconnectedFace();
    void disconnectLeavesPointerModeWithPortClosed();
    void newPortTakesEffectAtNextConnect();
    void connectGivesFocusToPad();
    void sendCommandWritesTextUnchanged_data();
    void sendCommandWritesTextUnchanged();
    void sendCommandWhileClosedDoesNothing();
    void displayReceiveBufferShowsAndEmptiesInput_data();
    void displayReceiveBufferShowsAndEmptiesInput();
    void displayReceiveBufferWhileClosedShowsNothing();
    void unloadClosesThePort();
};

void ConnectTest::choosingAPortSetsComPortAndClearsStatus()
{
    PanelFixture f;
    f.window.setStatusText(QStringLiteral("something"));
    f.window.Combo1->setCurrentIndex(8);
    QCOMPARE(f.window.ComPort, 9);
    QCOMPARE(f.window.statusText(), QString());
    QVERIFY(f.written().isEmpty());
    QCOMPARE(f.port.openCount(), 0);
}

void ConnectTest::connectWithoutSendCheckSendsNothing()
{
    PanelFixture f{{{"com_port", "3"}}};
    QCOMPARE(face(f.window), kDisconnectedFace);

    f.window.CommandConnect_Click();
    QVERIFY(f.port.isOpen());
    QCOMPARE(f.port.lastPortNumber(), 3);
    QCOMPARE(f.window.statusText(), QStringLiteral("Connected to com 3"));
    QVERIFY(f.written().isEmpty());
    QVERIFY(f.pauses().empty());
    QCOMPARE(face(f.window), kConnectedFace);
    QCOMPARE(f.window.CommandConnect->backColor(), f.window.ConnectedBackColor);
}

void ConnectTest::connectWithSendCheckSendsRateThenFocusSpeed_data()
{
    QTest::addColumn<QString>("slewRate");
    QTest::addColumn<QString>("focuserSpeed");
    QTest::addColumn<QString>("expectedWrites"); // text@virtual ms
    QTest::addColumn<std::vector<int>>("expectedPauses");

    QTest::newRow("centering, slow") << "2"
                                     << "1"
                                     << ":RC#@500 :F2#@700" << std::vector<int>{500, 200, 500};
    QTest::newRow("guide, fine") << "1"
                                 << "0"
                                 << ":RG#@500 :F1#@700" << std::vector<int>{500, 200, 500};
    QTest::newRow("1.5 degrees, fast")
        << "10"
        << "3"
        << ":RA01.5#@500 :RE01.5#@700 :F4#@900" << std::vector<int>{500, 200, 200, 500};
    QTest::newRow("5.0 degrees, medium")
        << "12"
        << "2"
        << ":RA05.0#@500 :RE05.0#@700 :F3#@900" << std::vector<int>{500, 200, 200, 500};
}

void ConnectTest::connectWithSendCheckSendsRateThenFocusSpeed()
{
    QFETCH(QString, slewRate);
    QFETCH(QString, focuserSpeed);
    QFETCH(QString, expectedWrites);
    QFETCH(std::vector<int>, expectedPauses);

    PanelFixture f{{{"com_port", "5"},
                    {"send_focus_rate_box", "1"},
                    {"slew_rate", slewRate},
                    {"focuser_speed", focuserSpeed}}};
    QVERIFY(f.window.SendCheck->isChecked());
    const int start = f.wait.elapsed();

    f.window.CommandConnect_Click();
    std::vector<Sent> writes = sent(f);
    for (Sent &write : writes)
        write.at -= start;
    QCOMPARE(describe(writes), expectedWrites);
    QCOMPARE(f.pauses(), expectedPauses);
    QCOMPARE(f.window.statusText(), QStringLiteral("Connected to com 5"));
    QCOMPARE(face(f.window), kConnectedFace);
    // Resending does not move the focus-speed tick.
    QVERIFY(f.window.OptionFocus[std::size_t(focuserSpeed.toInt())]->isChecked());
}

void ConnectTest::connectFailureKeepsDisconnectedFace_data()
{
    QTest::addColumn<QString>("comPort");
    QTest::addColumn<QString>("deviceError"); // "" leaves the fake's own refusal

    QTest::newRow("no port selected") << "0"
                                      << "";
    QTest::newRow("missing device") << "12"
                                    << "/dev/ttyS11: No such file or directory";
    QTest::newRow("port in use") << "1"
                                 << "/dev/ttyS0: Permission denied";
}

void ConnectTest::connectFailureKeepsDisconnectedFace()
{
    QFETCH(QString, comPort);
    QFETCH(QString, deviceError);

    PanelFixture f{{{"com_port", comPort}, {"send_focus_rate_box", "1"}}};
    if (!deviceError.isEmpty())
        f.port.failOpenWith(deviceError);

    f.window.CommandConnect_Click();
    QVERIFY(!f.port.isOpen());
    QCOMPARE(f.port.lastPortNumber(), comPort.toInt());
    QVERIFY(!f.port.errorString().isEmpty());
    if (!deviceError.isEmpty())
        QCOMPARE(f.port.errorString(), deviceError);
    QCOMPARE(f.window.statusText(), QStringLiteral("Error opening com port ") + comPort +
                                        QStringLiteral(" - ") + f.port.errorString());
    QCOMPARE(face(f.window), kDisconnectedFace);
    QVERIFY(f.written().isEmpty());
    QVERIFY(f.pauses().empty());

    // Once the device is there, the same button connects.
    f.port.failOpenWith(QString());
    f.window.Combo1->setCurrentIndex(0);
    f.window.CommandConnect_Click();
    QVERIFY(f.port.isOpen());
    QCOMPARE(f.window.statusText(), QStringLiteral("Connected to com 1"));
}

void ConnectTest::disconnectRestoresDisconnectedFace()
{
    PanelFixture f{{{"com_port", "4"}, {"send_focus_rate_box", "1"}}};
    QVERIFY(f.connectPort());
    QCOMPARE(face(f.window), kConnectedFace);
    f.window.WaitingRa = true;

    f.window.CommandConnect_Click();
    QVERIFY(!f.port.isOpen());
    QCOMPARE(f.window.statusText(), QStringLiteral("Disconnected from com 4"));
    QCOMPARE(face(f.window), kDisconnectedFace);
    QCOMPARE(f.window.CommandConnect->backColor(), f.window.ConnectBackColor);
    QVERIFY(f.window.SendCheck->isChecked());
    QVERIFY(f.written().isEmpty());
    // An awaited reply stays awaited.
    QVERIFY(f.window.WaitingRa);
}

void ConnectTest::disconnectLeavesPointerModeWithPortClosed()
{
    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.window.CheckPointerControl->setChecked(true);
    f.forgetTraffic();

    bool portOpenWhenUnticked = true;
    QObject::connect(f.window.CheckPointerControl, &QCheckBox::toggled, &f.window, [&](bool on) {
        if (!on)
            portOpenWhenUnticked = f.port.isOpen();
    });
    f.window.CommandConnect_Click();
    QVERIFY(!f.window.CheckPointerControl->isChecked());
    QVERIFY(!portOpenWhenUnticked);
    QVERIFY(f.written().isEmpty());
    QCOMPARE(f.window.statusText(), QStringLiteral("Disconnected from com 1"));
}

void ConnectTest::newPortTakesEffectAtNextConnect()
{
    PanelFixture f;
    QVERIFY(f.connectPort(2));
    QVERIFY(f.disconnectPort());
    f.window.Combo1->setCurrentIndex(16);
    QCOMPARE(f.window.ComPort, 17);
    QVERIFY(f.connectPort());
    QCOMPARE(f.port.lastPortNumber(), 17);
    QCOMPARE(f.window.statusText(), QStringLiteral("Connected to com 17"));
    QCOMPARE(f.port.openCount(), 2);
}

void ConnectTest::connectGivesFocusToPad()
{
    PanelFixture f;
    QVERIFY(f.showActive());
    f.window.CommandConnect->setFocus();
    QVERIFY(f.connectPort());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(f.window.PictureNav));

    // Disconnecting leaves the focus alone; the pad is hidden.
    f.window.CommandConnect_Click();
    QVERIFY(!f.window.PictureNav->isVisible());
    f.window.focusPad();
    QVERIFY(QApplication::focusWidget() != static_cast<QWidget *>(f.window.PictureNav));
}

void ConnectTest::sendCommandWritesTextUnchanged_data()
{
    QTest::addColumn<QString>("command");

    QTest::newRow("query") << ":GR#";
    QTest::newRow("target") << QString::fromLatin1(":Sd +45\xDF"
                                                   "30:00#");
    QTest::newRow("no terminator") << ":GVP";
    QTest::newRow("blanks") << "  :EK 71#  ";
    QTest::newRow("ack") << QString(QChar(0x06));
    QTest::newRow("nul inside") << QStringLiteral(":G") + QChar(0) + QStringLiteral("R#");
    QTest::newRow("high bytes") << QString::fromLatin1("\xB0\xFF\x80");
    QTest::newRow("markup") << "<b>#</b>";
    QTest::newRow("empty") << "";
}

void ConnectTest::sendCommandWritesTextUnchanged()
{
    QFETCH(QString, command);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    f.port.setReceiveThreshold(9);
    const QString statusBefore = f.window.statusText();

    f.window.Send_Command(command);
    QCOMPARE(f.port.writes().size(), std::size_t(1));
    QCOMPARE(f.port.writes().front().text, command);
    QCOMPARE(f.port.writes().front().thresholdAtWrite, 1);
    QVERIFY(f.pauses().empty());
    QCOMPARE(f.window.statusText(), statusBefore);
    QVERIFY(!f.window.Timer1->isActive());
}

void ConnectTest::sendCommandWhileClosedDoesNothing()
{
    PanelFixture f;
    f.port.setReceiveThreshold(9);
    f.window.Send_Command(QStringLiteral(":GR#"));
    QVERIFY(f.written().isEmpty());
    QCOMPARE(f.port.receiveThreshold(), 9);
    QCOMPARE(f.window.statusText(), QStringLiteral("Version 2.13"));
}

void ConnectTest::displayReceiveBufferShowsAndEmptiesInput_data()
{
    QTest::addColumn<QString>("input");

    QTest::newRow("nothing") << "";
    QTest::newRow("position") << "12:34:56#";
    QTest::newRow("markup") << "<b>bold</b> &amp;";
    QTest::newRow("odd bytes") << QString::fromLatin1("\x06\xDF\xFF#");
}

void ConnectTest::displayReceiveBufferShowsAndEmptiesInput()
{
    QFETCH(QString, input);

    PanelFixture f;
    QVERIFY(f.connectPort(1));
    // A threshold the input does not reach: it waits in the buffer.
    f.port.setReceiveThreshold(100);
    f.port.feed(input);

    f.window.DispRecBufferButton_Click();
    QCOMPARE(f.window.ReceiveBuffer, input);
    QCOMPARE(f.window.statusText(), input);
    QCOMPARE(f.window.StatusText->textFormat(), Qt::PlainText);
    QCOMPARE(f.port.buffered(), QString());
    QVERIFY(f.written().isEmpty());
}

void ConnectTest::displayReceiveBufferWhileClosedShowsNothing()
{
    PanelFixture f;
    f.window.ReceiveBuffer = QStringLiteral("old");
    f.window.DispRecBufferButton->trigger();
    QCOMPARE(f.window.ReceiveBuffer, QString());
    QCOMPARE(f.window.statusText(), QString());
    QVERIFY(!f.port.isOpen());
}

void ConnectTest::unloadClosesThePort()
{
    PanelFixture f;
    f.window.show();
    QVERIFY(f.connectPort(6));
    QVERIFY(f.window.close());
    QVERIFY(!f.port.isOpen());
    QVERIFY(f.written().isEmpty());
    QVERIFY(f.settings.writeLog().empty());
}

QTEST_MAIN(ConnectTest)
#include "tst_connect.moc"
