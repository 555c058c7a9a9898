#include "coords/coordinates.h"

#include "link/protocol.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orrinet {

namespace {

struct ListShape
{
    CoordinateList list;
    int count;
    bool descending;
    char unit;
};

// The sign list is the odd one out and is built apart.
constexpr std::array<ListShape, 6> numberLists{{
    {CoordinateList::RaHours, 24, false, 'h'},
    {CoordinateList::RaMinutes, 60, false, 'm'},
    {CoordinateList::RaSeconds, 60, false, 's'},
    {CoordinateList::DecDegrees, 90, true, 'd'},
    {CoordinateList::DecMinutes, 60, false, 'm'},
    {CoordinateList::DecSeconds, 60, false, 's'},
}};

constexpr QChar degreeSign{0x00B0};

QChar signCharacter(int signPosition)
{
    return signPosition == 0 ? QLatin1Char('+') : QLatin1Char('-');
}

QString buildCoordinateText(const QString &hours, const QString &minutes, const QString &seconds,
                            const QString &sign, const QString &degrees, const QString &arcMinutes,
                            const QString &arcSeconds)
{
    return QLatin1String("RA ") + hours + QLatin1String("h ") + minutes + QLatin1String("m ") +
           seconds + QLatin1String("s  DEC ") + sign + degrees + degreeSign + QLatin1Char(' ') +
           arcMinutes + QLatin1String("' ") + arcSeconds + QLatin1Char('"');
}

// Characters start..start+length-1 (1-based), cut short at the end of the text.
QStringView fixedField(QStringView text, qsizetype start, qsizetype length)
{
    const qsizetype from = start - 1;
    if (from >= text.size())
        return {};
    return text.sliced(from, std::min(length, text.size() - from));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QStringView trimBlanks(QStringView text)
{
    while (!text.isEmpty() && text.front() == QLatin1Char(' '))
        text = text.sliced(1);
    while (!text.isEmpty() && text.back() == QLatin1Char(' '))
        text.chop(1);
    return text;
}

qsizetype skipDigits(QStringView text, qsizetype at)
{
    while (at < text.size() && isAsciiDigit(text[at]))
        ++at;
    return at;
}

// The numeric value of a field, or nothing when the field is not a number.
std::optional<double> fieldNumber(QStringView field)
{
    const QStringView text = trimBlanks(field);
    qsizetype at = 0;
    if (at < text.size() && (text[at] == QLatin1Char('+') || text[at] == QLatin1Char('-')))
        ++at;
    const qsizetype digitsFrom = at;
    at = skipDigits(text, at);
    if (at == digitsFrom)
        return std::nullopt;
    if (at < text.size() && text[at] == QLatin1Char('.')) {
        const qsizetype fractionFrom = ++at;
        at = skipDigits(text, at);
        if (at == fractionFrom)
            return std::nullopt;
    }
    if (at != text.size())
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

// A list position from a value, rounded half to even as an integer conversion
// does; nothing when the list has no such position.
std::optional<int> listPosition(std::optional<double> value, int first, int last)
{
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value);
    if (rounded < first || rounded > last)
        return std::nullopt;
    return static_cast<int>(rounded);
}

// The last position of a numeric list.
int lastPosition(CoordinateList list)
{
    const auto shape = std::find_if(numberLists.begin(), numberLists.end(),
                                    [list](const ListShape &row) { return row.list == list; });
    return shape->count - 1;
}

// The list position a field's number selects, if any.
std::optional<int> fieldPosition(QStringView field, CoordinateList list)
{
    return listPosition(fieldNumber(field), 0, lastPosition(list));
}

} // namespace

QList<ListItem> coordinateListItems(CoordinateList list)
{
    if (list == CoordinateList::DecSign)
        return {{QStringLiteral("+"), 0}, {QStringLiteral("-"), 1}};

    QList<ListItem> items;
    for (const ListShape &shape : numberLists) {
        if (shape.list != list)
            continue;
        items.reserve(shape.count);
        for (int position = 0; position < shape.count; ++position) {
            const int value = shape.descending ? shape.count - 1 - position : position;
            items.append({twoDigits(value) + QLatin1Char(shape.unit), value});
        }
    }
    return items;
}

QString twoDigitField(QStringView field)
{
    const std::optional<double> value = fieldNumber(field);
    if (!value)
        return field.toString();
    const double rounded = std::round(*value);
    const QString digits =
        QString::number(std::fabs(rounded), 'f', 0).rightJustified(2, QLatin1Char('0'));
    return rounded < 0 ? QLatin1Char('-') + digits : digits;
}

QString raTargetCommand(const ListPositions &p)
{
    return raCommand(p.raH, p.raM, p.raS);
}

QString decTargetCommand(const ListPositions &p)
{
    return decCommand(signCharacter(p.decSign), decDegreesAtListPosition(p.decD), p.decM, p.decS);
}

QString coordinateText(const ListPositions &p)
{
    return buildCoordinateText(
        twoDigits(p.raH), twoDigits(p.raM), twoDigits(p.raS), QString(signCharacter(p.decSign)),
        twoDigits(decDegreesAtListPosition(p.decD)), twoDigits(p.decM), twoDigits(p.decS));
}

ListPositions applyListUpdate(ListPositions positions, const ListUpdate &update)
{
    struct Pair
    {
        int ListPositions::*position;
        std::optional<int> ListUpdate::*change;
    };
    static constexpr std::array<Pair, 7> pairs{{
        {&ListPositions::raH, &ListUpdate::raH},
        {&ListPositions::raM, &ListUpdate::raM},
        {&ListPositions::raS, &ListUpdate::raS},
        {&ListPositions::decSign, &ListUpdate::decSign},
        {&ListPositions::decD, &ListUpdate::decD},
        {&ListPositions::decM, &ListUpdate::decM},
        {&ListPositions::decS, &ListUpdate::decS},
    }};
    for (const Pair &pair : pairs) {
        if (const std::optional<int> &change = update.*pair.change)
            positions.*pair.position = *change;
    }
    return positions;
}

ReceivedCoordinates decodeCoordinateReplies(QStringView raReply, QStringView decReply)
{
    const QStringView hours = fixedField(raReply, 1, 2);
    const QStringView minutes = fixedField(raReply, 4, 2);
    const QStringView seconds = fixedField(raReply, 7, 2);
    const QStringView sign = fixedField(decReply, 1, 1);
    const QStringView degrees = fixedField(decReply, 2, 2);
    const QStringView arcMinutes = fixedField(decReply, 5, 2);
    const QStringView arcSeconds = fixedField(decReply, 8, 2);

    ReceivedCoordinates result;
    result.text = buildCoordinateText(
        twoDigitField(hours), twoDigitField(minutes), twoDigitField(seconds), sign.toString(),
        twoDigitField(degrees), twoDigitField(arcMinutes), twoDigitField(arcSeconds));

    ListUpdate &lists = result.lists;
    lists.raH = fieldPosition(hours, CoordinateList::RaHours);
    lists.raM = fieldPosition(minutes, CoordinateList::RaMinutes);
    lists.raS = fieldPosition(seconds, CoordinateList::RaSeconds);
    lists.decSign = sign == QLatin1String("-") ? 1 : 0;
    // Exactly 90 degrees has no item: position -1 leaves the degree list unselected.
    const std::optional<double> degreeValue = fieldNumber(degrees);
    const int lastDegree = lastPosition(CoordinateList::DecDegrees);
    lists.decD =
        listPosition(degreeValue ? std::optional<double>(lastDegree - *degreeValue) : std::nullopt,
                     noSelection, lastDegree);
    lists.decM = fieldPosition(arcMinutes, CoordinateList::DecMinutes);
    lists.decS = fieldPosition(arcSeconds, CoordinateList::DecSeconds);
    return result;
}

bool isLowPrecisionRaReply(QStringView reply)
{
    static constexpr QLatin1StringView kForm("99:99.9#"); // 9 stands for a digit
    if (reply.size() != kForm.size())
        return false;
    for (qsizetype i = 0; i < reply.size(); ++i) {
        const QChar ch = reply[i];
        const bool fits = kForm[i] == u'9' ? ch >= u'0' && ch <= u'9' : ch == kForm[i];
        if (!fits)
            return false;
    }
    return true;
}

} // namespace orrinet
