#include "link/protocol.h"

#include <QLatin1Char>
#include <algorithm>

namespace orrinet {

namespace {

// At least two digits, a leading zero below 10; the minus of a negative
// number goes before the padded digits (-1 -> "-01"). Widened first so that
// the magnitude of INT_MIN is representable.

template <typename Table>
auto findByIndex(const Table &table, int index) -> std::optional<typename Table::value_type>
{
    const auto it = std::find_if(table.begin(), table.end(),
                                 [index](const auto &row) { return row.index == index; });
    if (it == table.end())
        return std::nullopt;
    return *it;
}

} // namespace

QString twoDigits(qint64 value)
{
    // Widened so that the magnitude of any int is representable.
    const quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    const QString digits = QString::number(magnitude).rightJustified(2, QLatin1Char('0'));
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

QString raCommand(int hours, int minutes, int seconds)
{
    return QLatin1StringView(":Sr ") + twoDigits(hours) + QLatin1Char(':') +
           twoDigits(minutes) + QLatin1Char(':') + twoDigits(seconds) +
           QLatin1Char('#');
}

QString decCommand(QChar sign, qint64 degrees, int minutes, int seconds)
{
    return QLatin1StringView(":Sd ") + sign + twoDigits(degrees) + QLatin1Char(':') +
           twoDigits(minutes) + QLatin1Char(':') + twoDigits(seconds) +
           QLatin1Char('#');
}

QString focusSpeedCommand(int index)
{
    // Widened so that index + 1 cannot overflow.
    return QLatin1StringView(":F") + QString::number(qint64{index} + 1) + QLatin1Char('#');
}

QString raRateCommand(QStringView rate)
{
    QString command(QLatin1StringView(":RA"));
    command += rate;
    return command + QLatin1Char('#');
}

QString decRateCommand(QStringView rate)
{
    QString command(QLatin1StringView(":RE"));
    command += rate;
    return command + QLatin1Char('#');
}

std::optional<SlewRate> slewRate(int position)
{
    const auto it =
        std::find_if(kSlewRates.begin(), kSlewRates.end(),
                     [position](const SlewRate &row) { return row.position == position; });
    if (it == kSlewRates.end())
        return std::nullopt;
    return *it;
}

std::optional<FocusSpeedSetting> focusSpeed(int index)
{
    return findByIndex(kFocusSpeeds, index);
}

std::optional<PointerHaltDelay> pointerHaltDelay(int index)
{
    return findByIndex(kPointerHaltDelays, index);
}

std::optional<PlanetMacro> planetMacro(int index)
{
    return findByIndex(kPlanetMacros, index);
}

const TelescopeQueryInfo &telescopeQuery(TelescopeQuery query)
{
    return kTelescopeQueries.at(static_cast<std::size_t>(query));
}

const TelescopeQueryInfo *queryForFlag(Awaiting flag)
{
    const auto it = std::find_if(kTelescopeQueries.begin(), kTelescopeQueries.end(),
                                 [flag](const TelescopeQueryInfo &row) {
                                     return row.firstFlag == flag || row.secondFlag == flag;
                                 });
    return it == kTelescopeQueries.end() ? nullptr : &*it;
}

// The table is indexed by the enumeration.
static_assert([] {
    for (std::size_t i = 0; i < kTelescopeQueries.size(); ++i) {
        if (static_cast<std::size_t>(kTelescopeQueries[i].query) != i)
            return false;
    }
    return true;
}());

} // namespace orrinet
