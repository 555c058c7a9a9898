// The cutting and line-building helpers of the telescope queries, on any
// Latin-1 text.
//
// Input: the last bytes give a 1-based position and a length for mid() and a
// character for firstCharIs(); of the rest, the first byte says how many of the following bytes
// make the first text, and the remainder is the second text.
//
// Invariants: nothing crashes; cuts never reach outside the text; every line
// keeps its fixed words and the received pieces where they belong.

#include "fuzzcheck.h"
#include "link/protocol.h"
#include "link/querylines.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

using namespace orrinet;
using orrinet::fuzz::require;

namespace {

// Mostly small (-10..245), sometimes any 64-bit value.
qsizetype offset(FuzzedDataProvider &input)
{
    const auto pick = input.ConsumeIntegral<std::uint8_t>();
    if (pick < 0xF0)
        return static_cast<qsizetype>(pick) - 10;
    return input.ConsumeIntegral<qsizetype>();
}

void checkMid(const QString &text, qsizetype pos1, qsizetype len)
{
    const QString piece = mid(text, pos1, len);
    if (pos1 < 1 || len < 1 || pos1 > text.size()) {
        require(piece.isEmpty(), "mid() outside the text is empty", text);
        return;
    }
    const qsizetype available = text.size() - (pos1 - 1);
    require(piece.size() == std::min(len, available), "mid() length", text);
    require(QStringView(text).sliced(pos1 - 1).startsWith(piece), "mid() cuts at pos1", text);
}

void checkText(const QString &text, QChar ch)
{
    const QString stripped = stripTerminator(text);
    require(stripped.size() == std::max<qsizetype>(0, text.size() - 1) && text.startsWith(stripped),
            "stripTerminator() drops the last character only", text);

    require(!firstCharIs(QString(), ch), "an empty text starts with nothing");
    if (!text.isEmpty())
        require(firstCharIs(text, text.front()) && firstCharIs(text, ch) == (text.front() == ch),
                "firstCharIs() looks at the first character", text);

    if (autostarTaking(text))
        require(text.size() >= 7 && text.indexOf(kAutostarBusyMarker) == 1,
                "autostarTaking() needs the marker at position 2", text);

    const QString status = statusLine(text);
    require(status == statusLine(text.left(3)), "the status line reads three characters only",
            text);
}

void checkResultLine(TelescopeQuery query, const QString &first, const QString &second)
{
    const QString line = queryResultLine(query, first, second);
    switch (query) {
    case TelescopeQuery::Status:
        require(line == statusLine(first), "status result line", line);
        break;
    case TelescopeQuery::Firmware:
        require(line == firmwareLine(second, first), "firmware result line", line);
        break;
    case TelescopeQuery::DateTime:
        require(line == dateTimeLine(first, second), "date/time result line", line);
        break;
    case TelescopeQuery::Site:
        require(line == siteLine(first, second), "site result line", line);
        break;
    case TelescopeQuery::AzimuthAltitude:
        require(line == azAltLine(first, second), "azimuth/altitude result line", line);
        break;
    default:
        require(line.isEmpty(), "no line for an unknown query", line);
        break;
    }
}

void checkLines(const QString &first, const QString &second)
{
    const QString firmware = firmwareLine(first, second);
    require(firmware == first + QLatin1String("   Firmware ") + second, "firmware line", firmware);

    const QString dateTime = dateTimeLine(first, second);
    require(dateTime.startsWith(QLatin1String("Date ")) && dateTime.endsWith(second) &&
                dateTime.contains(QLatin1String("   Time ")) && dateTime.mid(5).startsWith(first),
            "date/time line", dateTime);

    // "Lat DD°MM'N   Lon DDD°MM'W": fixed words, pieces of at most 2/2/3/2 characters.
    const QString site = siteLine(first, second);
    require(site.startsWith(QLatin1String("Lat ")) && site.contains(QLatin1String("   Lon ")) &&
                site.size() >= 17 && site.size() <= 26,
            "site line frame", site);
    require(site.endsWith(QLatin1Char('E')) || site.endsWith(QLatin1Char('W')),
            "site line ends with E or W", site);
    const QChar hemisphere = site.at(site.indexOf(QLatin1String("   Lon ")) - 1);
    require(hemisphere == QLatin1Char('N') || hemisphere == QLatin1Char('S'),
            "latitude ends with N or S", site);

    // "Azimuth DDD°MM'SS"   Altitude sDD°MM'SS"": pieces of at most 3/2/2 characters.
    const QString azAlt = azAltLine(first, second);
    require(azAlt.startsWith(QLatin1String("Azimuth ")) &&
                azAlt.contains(QLatin1String("   Altitude ")) && azAlt.endsWith(QLatin1Char('"')) &&
                azAlt.size() >= 26 && azAlt.size() <= 40,
            "azimuth/altitude line frame", azAlt);

    // Each query's texts go to its own line builder; a value outside the
    // enumeration gives nothing.
    for (int value = 0; value <= static_cast<int>(TelescopeQuery::AzimuthAltitude) + 1; ++value)
        checkResultLine(static_cast<TelescopeQuery>(value), first, second);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const qsizetype pos1 = offset(input);
    const qsizetype len = offset(input);
    const QChar ch(input.ConsumeIntegral<std::uint8_t>());
    const std::vector<std::uint8_t> texts = input.ConsumeRemainingBytes<std::uint8_t>();

    const std::size_t firstLength =
        texts.empty() ? 0 : std::min<std::size_t>(texts[0], texts.size() - 1);
    const std::uint8_t *firstBytes = texts.empty() ? nullptr : texts.data() + 1;
    const QString first = fuzz::latin1(firstBytes, firstLength);
    const QString second =
        texts.empty() ? QString()
                      : fuzz::latin1(firstBytes + firstLength, texts.size() - 1 - firstLength);

    for (const QString *text : {&first, &second}) {
        checkMid(*text, pos1, len);
        checkText(*text, ch);
    }
    checkLines(first, second);
    checkLines(second, first);
    return 0;
}
