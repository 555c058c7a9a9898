#include "app/settingskeys.h"

#include <QLatin1Char>
#include <algorithm>
#include <cmath>
#include <limits>

namespace orrinet {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QStringView withoutSign(QStringView text)
{
    if (!text.isEmpty() && (text.front() == QLatin1Char('+') || text.front() == QLatin1Char('-')))
        return text.sliced(1);
    return text;
}

bool allDigits(QStringView text)
{
    return std::all_of(text.begin(), text.end(), isAsciiDigit);
}

template <std::size_t N> std::array<SettingKey, N> keysBy(int SettingKeyInfo::*position)
{
    std::array<SettingKeyInfo, N> rows = kSettingKeys;
    std::sort(rows.begin(), rows.end(),
              [position](const SettingKeyInfo &a, const SettingKeyInfo &b) {
                  return a.*position < b.*position;
              });
    std::array<SettingKey, N> keys{};
    std::transform(rows.begin(), rows.end(), keys.begin(),
                   [](const SettingKeyInfo &row) { return row.key; });
    return keys;
}

} // namespace

const SettingKeyInfo &settingKey(SettingKey key)
{
    return *std::find_if(kSettingKeys.begin(), kSettingKeys.end(),
                         [key](const SettingKeyInfo &row) { return row.key == key; });
}

std::array<SettingKey, kSettingKeyCount> settingKeysInReadingOrder()
{
    return keysBy<kSettingKeyCount>(&SettingKeyInfo::readingPosition);
}

std::array<SettingKey, kSettingKeyCount> settingKeysInWritingOrder()
{
    return keysBy<kSettingKeyCount>(&SettingKeyInfo::writingPosition);
}

std::optional<int> storedInteger(QStringView text, SettingKind kind)
{
    const QStringView trimmed = text.trimmed();
    const QStringView digits = withoutSign(trimmed);
    if (digits.isEmpty() || !allDigits(digits))
        return std::nullopt;
    bool ok = false;
    const qlonglong value = trimmed.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    const qlonglong low = kind == SettingKind::Int16 ? std::numeric_limits<qint16>::min()
                                                     : std::numeric_limits<qint32>::min();
    const qlonglong high = kind == SettingKind::Int16 ? std::numeric_limits<qint16>::max()
                                                      : std::numeric_limits<qint32>::max();
    if (value < low || value > high)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<double> storedNumber(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    const QStringView unsignedPart = withoutSign(trimmed);
    const qsizetype point = unsignedPart.indexOf(QLatin1Char('.'));
    const QStringView whole = point < 0 ? unsignedPart : unsignedPart.first(point);
    const QStringView fraction = point < 0 ? QStringView() : unsignedPart.sliced(point + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    if (!allDigits(whole) || !allDigits(fraction))
        return std::nullopt;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
        return std::nullopt;
    return value;
}

bool isStoredValue(QStringView text, SettingKind kind)
{
    if (kind == SettingKind::Single)
        return storedNumber(text).has_value();
    return storedInteger(text, kind).has_value();
}

QString singleText(double value)
{
    const float single = static_cast<float>(value);
    if (single == 0.0f)
        return QStringLiteral("0"); // no "-0"
    return QString::number(static_cast<double>(single), 'g', 7);
}

} // namespace orrinet
