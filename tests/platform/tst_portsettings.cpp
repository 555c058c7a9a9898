#include "platform/portdevices.h"
#include "platform/qtsettingsstore.h"
#include "support/memorysettingsstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace orrinet;
using namespace Qt::StringLiterals;

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
    QtSettingsStore store;
    QCOMPARE(store.read(defaults, "com_port", "1"), QString("1"));
    QVERIFY(!store.removeSection(defaults)); // nothing stored yet
    QVERIFY(store.write(defaults, "com_port", "7"));
    QVERIFY(store.write(ports, "com7", "/dev/pts/3"));
    QVERIFY(store.flush());
    QCOMPARE(QtSettingsStore().read(defaults, "com_port", "1"), QString("7"));
    QCOMPARE(store.read(ports, "com_port", "-3"), QString("-3"));

    QVERIFY(store.removeSection(defaults));
    QCOMPARE(store.read(defaults, "com_port", "1"), QString("1"));
    QCOMPARE(store.read(ports, "com7", ""), QString("/dev/pts/3"));
    QVERIFY(!store.removeSection(defaults));
}

void TestPortSettings::deviceForPort_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("stored"); // value of Ports/com<number>, "" for none
    QTest::addColumn<QString>("device");

    QTest::newRow("1") << 1 << QString() << u"/dev/ttyS0"_s;
    QTest::newRow("33") << 33 << QString() << u"/dev/ttyUSB0"_s;
    QTest::newRow("96") << 96 << QString() << u"/dev/ttyACM31"_s;
    QTest::newRow("97") << 97 << QString() << QString();
    QTest::newRow("device path override") << 9 << u"  /dev/pts/4 "_s << u"/dev/pts/4"_s;
    QTest::newRow("override past 96") << 200 << u"/dev/rfcomm0"_s << u"/dev/rfcomm0"_s;
    QTest::newRow("blank override ignored") << 9 << u"   "_s << u"/dev/ttyS8"_s;
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
    QTest::addColumn<QString>("bridge"); // host and port, "" when not a valid bridge

    QTest::newRow("IPv4") << u"tcp://192.168.4.1:4030"_s << u"192.168.4.1 4030"_s;
    QTest::newRow("name, upper-case scheme") << u"TCP://scope.local:23"_s << u"scope.local 23"_s;
    QTest::newRow("IPv6") << u"tcp://[::1]:65535"_s << u"::1 65535"_s;
    QTest::newRow("no port") << u"tcp://scope.local"_s << QString();
    QTest::newRow("port too big") << u"tcp://scope.local:65536"_s << QString();
    QTest::newRow("no host") << u"tcp://:4030"_s << QString();
}

void TestPortSettings::networkBridges()
{
    QFETCH(QString, device);
    QFETCH(QString, bridge);
    const std::optional<NetworkBridge> parsed = parseNetworkBridge(device);
    QCOMPARE(parsed ? u"%1 %2"_s.arg(parsed->host).arg(parsed->port) : QString(), bridge);
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
