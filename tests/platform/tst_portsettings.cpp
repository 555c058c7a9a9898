#include "platform/portdevices.h"
#include "platform/qtsettingsstore.h"
#include "support/memorysettingsstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace orrinet;

namespace {

const QString defaults = QStringLiteral("Defaults");
const QString ports = QStringLiteral("Ports");

} // namespace

// The Qt settings store and the port-number mapping read from settings. The
// store keeps its values across instances, i.e. across runs; the user's own
// settings are never touched: the configuration folder is a temporary one.
class TestPortSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void defaultsAndRemoveSection();
    void valuesSurviveANewInstance_data();
    void valuesSurviveANewInstance();
    void deviceForPort_data();
    void deviceForPort();
    void networkBridges_data();
    void networkBridges();
    void storeThatCannotBeWritten(); // last: it spoils the store's file

private:
    QTemporaryDir m_config;
};

void TestPortSettings::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    QVERIFY(QtSettingsStore().location().startsWith(m_config.path()));
}

void TestPortSettings::init()
{
    QtSettingsStore store;
    store.removeSection(defaults);
    store.removeSection(ports);
    QVERIFY(store.flush());
}

void TestPortSettings::defaultsAndRemoveSection()
{
    const auto store = std::make_unique<QtSettingsStore>();

    QCOMPARE(store->read(defaults, "com_port", "1"), QString("1"));
    QVERIFY(!store->removeSection(defaults)); // nothing stored yet
    QVERIFY(store->write(defaults, "com_port", "7"));
    QVERIFY(store->write(defaults, "slew_rate", "12"));
    QVERIFY(store->write(ports, "com7", "/dev/pts/3"));
    QCOMPARE(store->read(defaults, "com_port", "1"), QString("7"));
    QCOMPARE(store->read(ports, "com_port", "-3"), QString("-3"));

    QVERIFY(store->removeSection(defaults));
    QCOMPARE(store->read(defaults, "com_port", "1"), QString("1"));
    QCOMPARE(store->read(defaults, "slew_rate", "2"), QString("2"));
    QCOMPARE(store->read(ports, "com7", ""), QString("/dev/pts/3"));
    QVERIFY(!store->removeSection(defaults));
}

void TestPortSettings::valuesSurviveANewInstance_data()
{
    QTest::addColumn<QString>("value");

    QTest::newRow("empty") << "";
    QTest::newRow("blanks and ini punctuation") << "  a=b;c,d \"q\" [s] ";
    QTest::newRow("leading at sign") << "@Variant(x)";
    QTest::newRow("degree sign and high bytes") << QString::fromLatin1("\xB0\xDF\xFF");
}

void TestPortSettings::valuesSurviveANewInstance()
{
    QFETCH(QString, value);
    {
        QtSettingsStore store;
        QVERIFY(store.write(defaults, "pos_left", value));
        QVERIFY(store.flush());
    }
    QCOMPARE(QtSettingsStore().read(defaults, "pos_left", "default"), value);
}

void TestPortSettings::deviceForPort_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("stored"); // value of Ports/com<number>, "" for none
    QTest::addColumn<QString>("device");

    QTest::newRow("1") << 1 << "" << "/dev/ttyS0";
    QTest::newRow("33") << 33 << "" << "/dev/ttyUSB0";
    QTest::newRow("96") << 96 << "" << "/dev/ttyACM31";
    QTest::newRow("0, no port chosen") << 0 << "" << "";
    QTest::newRow("97") << 97 << "" << "";
    QTest::newRow("device path override") << 9 << "  /dev/pts/4 " << "/dev/pts/4";
    QTest::newRow("override past 96") << 200 << "/dev/rfcomm0" << "/dev/rfcomm0";
    QTest::newRow("blank override ignored") << 9 << "   " << "/dev/ttyS8";
}

void TestPortSettings::deviceForPort()
{
    QFETCH(int, number);
    QFETCH(QString, stored);
    QFETCH(QString, device);

    MemorySettingsStore settings;
    settings.preset("Ports", "com10", "/dev/other"); // another number's override
    if (!stored.isEmpty())
        settings.preset(portOverrideSection, portOverrideKey(number), stored);
    QCOMPARE(orrinet::deviceForPort(number, settings), device);
}

void TestPortSettings::networkBridges_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("host"); // "" when not a valid bridge
    QTest::addColumn<int>("port");

    QTest::newRow("IPv4") << "tcp://192.168.4.1:4030" << "192.168.4.1" << 4030;
    QTest::newRow("name, upper-case scheme") << "TCP://scope.local:23" << "scope.local" << 23;
    QTest::newRow("IPv6") << "tcp://[::1]:65535" << "::1" << 65535;
    QTest::newRow("no port") << "tcp://scope.local" << "" << 0;
    QTest::newRow("port too big") << "tcp://scope.local:65536" << "" << 0;
    QTest::newRow("no host") << "tcp://:4030" << "" << 0;
}

void TestPortSettings::networkBridges()
{
    QFETCH(QString, device);
    QFETCH(QString, host);
    QFETCH(int, port);

    const std::optional<NetworkBridge> bridge = parseNetworkBridge(device);
    QCOMPARE(bridge.has_value(), !host.isEmpty());
    if (bridge) {
        QCOMPARE(bridge->host, host);
        QCOMPARE(int(bridge->port), port);
    }
}

// A failure to save is reported, never passed off as success.
void TestPortSettings::storeThatCannotBeWritten()
{
    QtSettingsStore store;
    QVERIFY(store.write(defaults, "com_port", "4"));
    QVERIFY(store.flush());

    // A folder where the file should be cannot be written, not even by root.
    const QString file = store.location();
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir().mkpath(file));

    QtSettingsStore blocked;
    QVERIFY(!blocked.write(defaults, "com_port", "5"));
    QVERIFY(!blocked.removeSection(defaults));
    QVERIFY(!blocked.flush());

    QVERIFY(QDir(file).removeRecursively());
}

QTEST_GUILESS_MAIN(TestPortSettings)
#include "tst_portsettings.moc"
