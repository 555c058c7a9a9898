#include "platform/memorysettingsstore.h"
#include "platform/qtsettingsstore.h"

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

// Both stores keep the same promises; the Qt one also keeps them across
// instances, i.e. across runs. The user's own settings are never touched:
// the per-user configuration folder is moved to a temporary one first.
class tst_SettingsStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void missingKeysGiveTheDefault_data();
    void missingKeysGiveTheDefault();
    void removeSection_data();
    void removeSection();

    void qtValuesSurviveANewInstance_data();
    void qtValuesSurviveANewInstance();
    void qtValuesReachTheFile();

    void memoryLogsWritesInOrder();
    void memoryFailures();

    void qtStoreThatCannotBeWritten(); // last: it spoils the store's file

private:
    std::unique_ptr<SettingsStore> makeStore(const QString &kind) const;

    QTemporaryDir m_config;
};

void tst_SettingsStore::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    const QtSettingsStore store;
    QVERIFY2(store.location().startsWith(m_config.path()), qPrintable(store.location()));
}

void tst_SettingsStore::init()
{
    QtSettingsStore store;
    store.removeSection(defaults);
    store.removeSection(ports);
    QVERIFY(store.flush());
}

std::unique_ptr<SettingsStore> tst_SettingsStore::makeStore(const QString &kind) const
{
    if (kind == QLatin1String("qt"))
        return std::make_unique<QtSettingsStore>();
    return std::make_unique<MemorySettingsStore>();
}

void tst_SettingsStore::missingKeysGiveTheDefault_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("qt") << "qt";
    QTest::newRow("memory") << "memory";
}

void tst_SettingsStore::missingKeysGiveTheDefault()
{
    QFETCH(QString, kind);
    const std::unique_ptr<SettingsStore> store = makeStore(kind);

    QCOMPARE(store->read(defaults, "com_port", "1"), QString("1"));
    QVERIFY(store->write(defaults, "ra_h", "5"));
    QCOMPARE(store->read(defaults, "com_port", "1"), QString("1"));
    QCOMPARE(store->read(defaults, "ra_h", "0"), QString("5"));
    QCOMPARE(store->read(ports, "ra_h", "-3"), QString("-3"));
    QCOMPARE(store->read(defaults, "RA_H_unknown", ""), QString());
}

void tst_SettingsStore::removeSection_data()
{
    missingKeysGiveTheDefault_data();
}

void tst_SettingsStore::removeSection()
{
    QFETCH(QString, kind);
    const std::unique_ptr<SettingsStore> store = makeStore(kind);

    QVERIFY(!store->removeSection(defaults)); // nothing stored yet
    QVERIFY(store->write(defaults, "com_port", "7"));
    QVERIFY(store->write(defaults, "slew_rate", "12"));
    QVERIFY(store->write(ports, "com7", "/dev/pts/3"));

    QVERIFY(store->removeSection(defaults));
    QCOMPARE(store->read(defaults, "com_port", "1"), QString("1"));
    QCOMPARE(store->read(defaults, "slew_rate", "2"), QString("2"));
    QCOMPARE(store->read(ports, "com7", ""), QString("/dev/pts/3"));
    QVERIFY(!store->removeSection(defaults));

    // Removing and then saving again stores the values anew.
    QVERIFY(store->write(defaults, "com_port", "8"));
    QVERIFY(store->flush());
    QCOMPARE(store->read(defaults, "com_port", "1"), QString("8"));
}

void tst_SettingsStore::qtValuesSurviveANewInstance_data()
{
    QTest::addColumn<QString>("value");

    QTest::newRow("number") << "100";
    QTest::newRow("negative") << "-1";
    QTest::newRow("fraction") << "1234.5";
    QTest::newRow("empty") << "";
    QTest::newRow("leading and trailing blanks") << "  two words  ";
    QTest::newRow("ini punctuation") << "a=b;c,d \"q\" [s]";
    QTest::newRow("leading at sign") << "@Variant(x)";
    QTest::newRow("degree sign") << QString(QChar(0x00B0));
    QTest::newRow("latin-1 high bytes") << QString::fromLatin1("\xDF\xFF");
    QTest::newRow("path") << "/dev/ttyUSB0";
}

void tst_SettingsStore::qtValuesSurviveANewInstance()
{
    QFETCH(QString, value);
    {
        QtSettingsStore store;
        QVERIFY(store.write(defaults, "pos_left", value));
        QVERIFY(store.flush());
    }
    const QtSettingsStore reopened;
    QCOMPARE(reopened.read(defaults, "pos_left", "default"), value);
}

void tst_SettingsStore::qtValuesReachTheFile()
{
    QtSettingsStore store;
    QVERIFY(store.write(defaults, "com_port", "7"));
    QVERIFY(store.write(ports, "com7", "tcp://192.168.4.1:4030"));
    QVERIFY(store.flush());

    QFile file(store.location());
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(store.location()));
    const QByteArray text = file.readAll();
    QVERIFY2(text.contains("[Defaults]") && text.contains("com_port=7"), text.constData());
    QVERIFY2(text.contains("[Ports]") && text.contains("com7=tcp://192.168.4.1:4030"),
             text.constData());
}

void tst_SettingsStore::memoryLogsWritesInOrder()
{
    MemorySettingsStore store;
    store.preset(defaults, "com_port", "3"); // an earlier run's value, not a write

    const QStringList order{
        "com_port",      "ra_h", "update_radec_box", "send_focus_rate_box", "slew_rate",
        "focuser_speed", "ra_h"};
    int n = 0;
    for (const QString &key : order)
        QVERIFY(store.write(defaults, key, QString::number(++n)));

    QCOMPARE(store.writtenKeys(), order);
    QCOMPARE(store.writeLog().size(), std::size_t(order.size()));
    QCOMPARE(store.writeLog().front().section, defaults);
    QCOMPARE(store.writeLog().front().value, QString("1"));
    QCOMPARE(store.read(defaults, "ra_h", ""), QString("7")); // the later write wins
    QCOMPARE(store.keys(defaults),
             (QStringList{"com_port", "focuser_speed", "ra_h", "send_focus_rate_box", "slew_rate",
                          "update_radec_box"}));

    store.clearWriteLog();
    QVERIFY(store.writtenKeys().isEmpty());
    QCOMPARE(store.read(defaults, "com_port", ""), QString("1"));
}

void tst_SettingsStore::memoryFailures()
{
    MemorySettingsStore store;
    QVERIFY(store.write(defaults, "com_port", "4"));

    store.failWrites(true);
    QVERIFY(!store.write(defaults, "com_port", "5"));
    QVERIFY(!store.write(defaults, "ra_h", "5"));
    QVERIFY(!store.removeSection(defaults));
    QCOMPARE(store.writtenKeys(), QStringList{"com_port"});
    QCOMPARE(store.read(defaults, "com_port", ""), QString("4"));
    QVERIFY(!store.contains(defaults, "ra_h"));

    store.failFlush(true);
    QVERIFY(!store.flush());
    store.failFlush(false);
    QVERIFY(store.flush());
    QCOMPARE(store.flushCount(), 2);
}

void tst_SettingsStore::qtStoreThatCannotBeWritten()
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

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
