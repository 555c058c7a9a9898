#include "link/querylines.h"

#include <QLatin1Char>
#include <QLatin1StringView>
#include <algorithm>
#include <array>

namespace orrinet {

namespace {

constexpr QChar kDegree(u'\u00B0');

struct StatusLetter
{
    QChar letter;
    QLatin1StringView text;
};

constexpr std::array<StatusLetter, 3> kMountLetters{{
    {u'A', QLatin1StringView("AltAz Mount, ")},
    {u'P', QLatin1StringView("Polar Mount, ")},
    {u'G', QLatin1StringView("German Mount, ")},
}};

constexpr std::array<StatusLetter, 3> kTrackingLetters{{
    {u'T', QLatin1StringView("Tracking, ")},
    {u'N', QLatin1StringView("Not Tracking, ")},
    {u'S', QLatin1StringView("Sleeping, ")},
}};

constexpr std::array<StatusLetter, 6> kAlignmentLetters{{
    {u'0', QLatin1StringView("Not aligned")},
    {u'1', QLatin1StringView("One star aligned")},
    {u'2', QLatin1StringView("Two star aligned")},
    {u'3', QLatin1StringView("Three star aligned")},
    {u'H', QLatin1StringView("Aligned on Home")},
    {u'P', QLatin1StringView("Scope was parked")},
}};

// The text for the character at 1-based position pos1; empty when the reply
// is shorter or the character is not listed.
template <std::size_t N>
QLatin1StringView statusPiece(QStringView reply, qsizetype pos1,
                              const std::array<StatusLetter, N> &table)
{
    if (reply.size() < pos1)
        return {};
    const QChar ch = reply[pos1 - 1];
    const auto it = std::find_if(table.begin(), table.end(),
                                 [ch](const StatusLetter &row) { return row.letter == ch; });
    return it == table.end() ? QLatin1StringView() : it->text;
}

// DDD*MM:SS -> DDD°MM'SS"
QString angleText(QStringView text)
{
    return mid(text, 1, 3) + kDegree + mid(text, 5, 2) + QLatin1Char('\'') + mid(text, 8, 2) +
           QLatin1Char('"');
}

} // namespace

QString mid(QStringView text, qsizetype pos1, qsizetype len)
{
    if (pos1 < 1 || len < 1 || pos1 > text.size())
        return {};
    const qsizetype start = pos1 - 1;
    return text.sliced(start, std::min(len, text.size() - start)).toString();
}

QString stripTerminator(QStringView text)
{
    return text.isEmpty() ? QString() : text.first(text.size() - 1).toString();
}

bool firstCharIs(QStringView text, QChar ch)
{
    return !text.isEmpty() && text.front() == ch;
}

bool autostarTaking(QStringView displayText)
{
    return mid(displayText, 2, kAutostarBusyMarker.size()) == kAutostarBusyMarker;
}

QString statusLine(QStringView reply)
{
    QString line = statusPiece(reply, 1, kMountLetters);
    line += statusPiece(reply, 2, kTrackingLetters);
    line += statusPiece(reply, 3, kAlignmentLetters);
    return line;
}

QString firmwareLine(QStringView product, QStringView firmware)
{
    QString line = product.toString();
    line += QLatin1StringView("   Firmware ");
    line += firmware;
    return line;
}

QString dateTimeLine(QStringView date, QStringView time)
{
    QString line(QLatin1StringView("Date "));
    line += date;
    line += QLatin1StringView("   Time ");
    line += time;
    return line;
}

QString siteLine(QStringView latitude, QStringView longitude)
{
    const QChar north = firstCharIs(latitude, u'+') ? u'N' : u'S';
    const QChar east = firstCharIs(longitude, u'-') ? u'E' : u'W';
    return QLatin1StringView("Lat ") + mid(latitude, 2, 2) + kDegree + mid(latitude, 5, 2) +
           QLatin1Char('\'') + north + QLatin1StringView("   Lon ") + mid(longitude, 2, 3) +
           kDegree + mid(longitude, 6, 2) + QLatin1Char('\'') + east;
}

QString azAltLine(QStringView azimuth, QStringView altitude)
{
    return QLatin1StringView("Azimuth ") + angleText(azimuth) + QLatin1StringView("   Altitude ") +
           angleText(altitude);
}

QString queryResultLine(TelescopeQuery query, QStringView firstText, QStringView secondText)
{
    switch (query) {
    case TelescopeQuery::Status:
        return statusLine(firstText);
    case TelescopeQuery::Firmware:
        return firmwareLine(secondText, firstText);
    case TelescopeQuery::DateTime:
        return dateTimeLine(firstText, secondText);
    case TelescopeQuery::Site:
        return siteLine(firstText, secondText);
    case TelescopeQuery::AzimuthAltitude:
        return azAltLine(firstText, secondText);
    }
    return {};
}

} // namespace orrinet
