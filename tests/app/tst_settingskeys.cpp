// The table of saved choices and the reading and writing of their texts.

#include "app/settingskeys.h"

#include <QTest>

#include <optional>
#include <set>

using orrinet::SettingKey;
using orrinet::SettingKind;

Q_DECLARE_METATYPE(SettingKind)

namespace {

QStringList names(const std::array<SettingKey, orrinet::kSettingKeyCount> &keys)
{
    QStringList list;
    for (const SettingKey key : keys)
        list << QString(orrinet::settingKey(key).name);
    return list;
}

} // namespace

class SettingKeysTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readingOrderAndDefaults();
    void writingOrder();
    void everyKeyOnceInEachOrder();
    void storedInteger_data();
    void storedInteger();
    void storedNumber_data();
    void storedNumber();
    void singleText_data();
    void singleText();
};

void SettingKeysTest::readingOrderAndDefaults()
{
    const auto order = orrinet::settingKeysInReadingOrder();
    QCOMPARE(names(order),
             (QStringList{"com_port", "ra_h", "ra_m", "ra_s", "dec_sign", "dec_d", "dec_m", "dec_s",
                          "pos_left", "pos_top", "win_height", "win_width", "send_focus_rate_box",
                          "update_radec_box", "pointer_telescope_move_time", "focuser_speed",
                          "slew_rate", "keymap_top", "keymap_left", "keymap_width",
                          "keymap_height"}));
    QStringList defaults;
    for (const SettingKey key : order)
        defaults << QString(orrinet::settingKey(key).defaultText);
    QCOMPARE(defaults, (QStringList{"1", "0", "0", "0", "0", "0", "0", "0", "100", "100", "0", "0",
                                    "0", "0", "2", "1", "2", "200", "200", "0", "0"}));
    // Every default is usable as its own kind.
    for (const SettingKey key : order) {
        const auto &info = orrinet::settingKey(key);
        QVERIFY2(orrinet::isStoredValue(QString(info.defaultText), info.kind),
                 info.name.data());
    }
}

void SettingKeysTest::writingOrder()
{
    QCOMPARE(names(orrinet::settingKeysInWritingOrder()),
             (QStringList{"com_port", "ra_h", "ra_m", "ra_s", "dec_sign", "dec_d", "dec_m", "dec_s",
                          "pos_left", "pos_top", "win_height", "win_width", "update_radec_box",
                          "send_focus_rate_box", "pointer_telescope_move_time", "slew_rate",
                          "focuser_speed", "keymap_top", "keymap_left", "keymap_width",
                          "keymap_height"}));
}

void SettingKeysTest::everyKeyOnceInEachOrder()
{
    for (const auto &order :
         {orrinet::settingKeysInReadingOrder(), orrinet::settingKeysInWritingOrder()}) {
        const std::set<SettingKey> distinct(order.begin(), order.end());
        QCOMPARE(distinct.size(), orrinet::kSettingKeyCount);
    }
}

void SettingKeysTest::storedInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<SettingKind>("kind");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<int>("value");

    QTest::newRow("plain") << "12" << SettingKind::Int16 << true << 12;
    QTest::newRow("blanks around") << " 12 " << SettingKind::Int16 << true << 12;
    QTest::newRow("tab around") << "\t7\t" << SettingKind::Int16 << true << 7;
    QTest::newRow("plus") << "+3" << SettingKind::Int16 << true << 3;
    QTest::newRow("minus") << "-1" << SettingKind::Int16 << true << -1;
    QTest::newRow("leading zeros") << "007" << SettingKind::Int16 << true << 7;
    QTest::newRow("16-bit low") << "-32768" << SettingKind::Int16 << true << -32768;
    QTest::newRow("16-bit high") << "32767" << SettingKind::Int16 << true << 32767;
    QTest::newRow("16-bit over") << "32768" << SettingKind::Int16 << false << 0;
    QTest::newRow("16-bit under") << "-32769" << SettingKind::Int16 << false << 0;
    QTest::newRow("32-bit high") << "2147483647" << SettingKind::Int32 << true << 2147483647;
    QTest::newRow("32-bit over") << "2147483648" << SettingKind::Int32 << false << 0;
    QTest::newRow("far over") << "99999999999999999999999" << SettingKind::Int32 << false << 0;
    QTest::newRow("empty") << "" << SettingKind::Int16 << false << 0;
    QTest::newRow("blank") << "  " << SettingKind::Int16 << false << 0;
    QTest::newRow("sign only") << "-" << SettingKind::Int16 << false << 0;
    QTest::newRow("two signs") << "+-1" << SettingKind::Int16 << false << 0;
    QTest::newRow("exponent") << "1e3" << SettingKind::Int16 << false << 0;
    QTest::newRow("fraction") << "12.5" << SettingKind::Int16 << false << 0;
    QTest::newRow("hex") << "0x10" << SettingKind::Int16 << false << 0;
    QTest::newRow("inner blank") << "1 2" << SettingKind::Int16 << false << 0;
    QTest::newRow("word") << "abc" << SettingKind::Int16 << false << 0;
    QTest::newRow("other digits") << QString::fromUtf8("\u0661\u0662") << SettingKind::Int16
                                  << false << 0;
}

void SettingKeysTest::storedInteger()
{
    QFETCH(QString, text);
    QFETCH(SettingKind, kind);
    QFETCH(bool, isNumber);
    QFETCH(int, value);

    const std::optional<int> read = orrinet::storedInteger(text, kind);
    QCOMPARE(read.has_value(), isNumber);
    QCOMPARE(orrinet::isStoredValue(text, kind), isNumber);
    if (isNumber)
        QCOMPARE(*read, value);
}

void SettingKeysTest::storedNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");

    QTest::newRow("whole") << "100" << true << 100.0;
    QTest::newRow("fraction") << "1309.091" << true << 1309.091;
    QTest::newRow("negative") << "-300" << true << -300.0;
    QTest::newRow("point first") << ".5" << true << 0.5;
    QTest::newRow("point last") << "12." << true << 12.0;
    QTest::newRow("blanks") << " 42.25 " << true << 42.25;
    QTest::newRow("single range") << "340000000000000000000000000000000000000" << true << 3.4e38;
    QTest::newRow("beyond single") << "1000000000000000000000000000000000000000" << false << 0.0;
    QTest::newRow("point only") << "." << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("exponent") << "1e3" << false << 0.0;
    QTest::newRow("comma") << "1,5" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("nan") << "nan" << false << 0.0;
    QTest::newRow("inf") << "inf" << false << 0.0;
}

void SettingKeysTest::storedNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);

    const std::optional<double> read = orrinet::storedNumber(text);
    QCOMPARE(read.has_value(), isNumber);
    QCOMPARE(orrinet::isStoredValue(text, SettingKind::Single), isNumber);
    if (isNumber)
        QCOMPARE(*read, value);
}

void SettingKeysTest::singleText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole") << 100.0 << "100";
    QTest::newRow("negative") << -300.0 << "-300";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("seven digits") << 1234567.0 << "1234567";
    QTest::newRow("fraction") << 1309.0909090909 << "1309.091";
    QTest::newRow("half") << 0.5 << "0.5";
}

void SettingKeysTest::singleText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(orrinet::singleText(value), text);
    // What is written reads back.
    QVERIFY(orrinet::storedNumber(text).has_value());
}

QTEST_APPLESS_MAIN(SettingKeysTest)
#include "tst_settingskeys.moc"
