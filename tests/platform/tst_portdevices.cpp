#include "platform/memorysettingsstore.h"
#include "platform/portdevices.h"

#include <QTest>

using namespace orrinet;

class tst_PortDevices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linuxDevices_data();
    void linuxDevices();
    void windowsDevices_data();
    void windowsDevices();
    void overrides_data();
    void overrides();
    void networkBridges_data();
    void networkBridges();
};

void tst_PortDevices::linuxDevices_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("device");

    QTest::newRow("1") << 1 << "/dev/ttyS0";
    QTest::newRow("2") << 2 << "/dev/ttyS1";
    QTest::newRow("32") << 32 << "/dev/ttyS31";
    QTest::newRow("33") << 33 << "/dev/ttyUSB0";
    QTest::newRow("34") << 34 << "/dev/ttyUSB1";
    QTest::newRow("64") << 64 << "/dev/ttyUSB31";
    QTest::newRow("65") << 65 << "/dev/ttyACM0";
    QTest::newRow("96") << 96 << "/dev/ttyACM31";
    QTest::newRow("0 (no port chosen)") << 0 << "";
    QTest::newRow("97") << 97 << "";
    QTest::newRow("255") << 255 << "";
    QTest::newRow("256") << 256 << "";
    QTest::newRow("-1") << -1 << "";
}

void tst_PortDevices::linuxDevices()
{
    QFETCH(int, number);
    QFETCH(QString, device);
    QCOMPARE(linuxDeviceForPort(number), device);
}

void tst_PortDevices::windowsDevices_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("device");

    QTest::newRow("1") << 1 << "COM1";
    QTest::newRow("12") << 12 << "COM12";
    QTest::newRow("255") << 255 << "COM255";
    QTest::newRow("0") << 0 << "";
    QTest::newRow("256") << 256 << "";
    QTest::newRow("-1") << -1 << "";
}

void tst_PortDevices::windowsDevices()
{
    QFETCH(int, number);
    QFETCH(QString, device);
    QCOMPARE(windowsDeviceForPort(number), device);
}

void tst_PortDevices::overrides_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("device");

#ifdef Q_OS_WIN
    const QString com9 = QStringLiteral("COM9");
    const QString com90 = QStringLiteral("COM90");
    const QString com200 = QStringLiteral("COM200");
#else
    const QString com9 = QStringLiteral("/dev/ttyS8");
    const QString com90 = QStringLiteral("/dev/ttyACM25");
    const QString com200;
#endif

    QTest::newRow("none") << ""
                          << ""
                          << "" << 9 << com9;
    QTest::newRow("device path") << "Ports"
                                 << "com9"
                                 << "/dev/pts/4" << 9 << "/dev/pts/4";
    QTest::newRow("network bridge") << "Ports"
                                    << "com9"
                                    << "tcp://192.168.0.1:4030" << 9 << "tcp://192.168.0.1:4030";
    QTest::newRow("number without a device of its own") << "Ports"
                                                        << "com200"
                                                        << "/dev/rfcomm0" << 200 << "/dev/rfcomm0";
    QTest::newRow("surrounding blanks dropped") << "Ports"
                                                << "com9"
                                                << "  /dev/pts/4 " << 9 << "/dev/pts/4";
    QTest::newRow("blank override ignored") << "Ports"
                                            << "com9"
                                            << "   " << 9 << com9;
    QTest::newRow("another number's override") << "Ports"
                                               << "com9"
                                               << "/dev/pts/4" << 90 << com90;
    QTest::newRow("another section") << "Defaults"
                                     << "com9"
                                     << "/dev/pts/4" << 9 << com9;
    QTest::newRow("still none without a default") << "Ports"
                                                  << "com9"
                                                  << "/dev/pts/4" << 200 << com200;
}

void tst_PortDevices::overrides()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(int, number);
    QFETCH(QString, device);

    MemorySettingsStore settings;
    if (!section.isEmpty())
        settings.preset(section, key, value);
    QCOMPARE(deviceForPort(number, settings), device);
}

void tst_PortDevices::networkBridges_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("address");

    QTest::newRow("IPv4") << "tcp://192.168.4.1:4030" << true << "192.168.4.1" << 4030
                          << "192.168.4.1:4030";
    QTest::newRow("name, upper-case scheme")
        << "TCP://scope.local:23" << true << "scope.local" << 23 << "scope.local:23";
    QTest::newRow("IPv6") << "tcp://[::1]:4030" << true << "::1" << 4030 << "[::1]:4030";
    QTest::newRow("highest port") << "tcp://h:65535" << true << "h" << 65535 << "h:65535";
    QTest::newRow("no port") << "tcp://scope.local" << false << "" << 0 << "";
    QTest::newRow("port 0") << "tcp://scope.local:0" << false << "" << 0 << "";
    QTest::newRow("port too big") << "tcp://scope.local:65536" << false << "" << 0 << "";
    QTest::newRow("port not a number") << "tcp://scope.local:x1" << false << "" << 0 << "";
    QTest::newRow("no host") << "tcp://:4030" << false << "" << 0 << "";
    QTest::newRow("path after port") << "tcp://scope.local:4030/x" << false << "" << 0 << "";
    QTest::newRow("device path") << "/dev/ttyUSB0" << false << "" << 0 << "";
    QTest::newRow("other scheme") << "udp://scope.local:4030" << false << "" << 0 << "";
}

void tst_PortDevices::networkBridges()
{
    QFETCH(QString, device);
    QFETCH(bool, valid);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, address);

    const std::optional<NetworkBridge> bridge = parseNetworkBridge(device);
    QCOMPARE(bridge.has_value(), valid);
    if (!bridge)
        return;
    QVERIFY(isNetworkBridge(device));
    QCOMPARE(bridge->host, host);
    QCOMPARE(int(bridge->port), port);
    QCOMPARE(bridge->address, address);
}

QTEST_GUILESS_MAIN(tst_PortDevices)
#include "tst_portdevices.moc"
