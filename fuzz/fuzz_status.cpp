// The status line of the :GW# reply.
//
// Input: the reply as read, one character per byte. The fourth byte, which
// the line ignores, doubles as the character put in place of each of the
// first three.
//
// Invariants: the line is a mount text, then a tracking text, then an
// alignment text, each possibly missing, and nothing else; each of the three
// depends on its own character only; characters past the third change
// nothing; a reply too short for a character has no text for it.

#include "fuzzcheck.h"
#include "link/querylines.h"

#include <QLatin1StringView>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

using namespace orrinet;
using orrinet::fuzz::require;

namespace {

// The texts the line is made of, as the user sees them.
constexpr std::array<QLatin1StringView, 3> kMountTexts{QLatin1StringView("AltAz Mount, "),
                                                       QLatin1StringView("Polar Mount, "),
                                                       QLatin1StringView("German Mount, ")};
constexpr std::array<QLatin1StringView, 3> kTrackingTexts{QLatin1StringView("Tracking, "),
                                                          QLatin1StringView("Not Tracking, "),
                                                          QLatin1StringView("Sleeping, ")};
constexpr std::array<QLatin1StringView, 6> kAlignmentTexts{
    QLatin1StringView("Not aligned"),      QLatin1StringView("One star aligned"),
    QLatin1StringView("Two star aligned"), QLatin1StringView("Three star aligned"),
    QLatin1StringView("Aligned on Home"),  QLatin1StringView("Scope was parked")};

// The three parts of a line; an empty view where a part is missing.
using Parts = std::array<QStringView, 3>;

// Takes the text of the table that the line starts with, if any.
template <std::size_t N>
QStringView takePrefix(QStringView &line, const std::array<QLatin1StringView, N> &texts)
{
    for (const QLatin1StringView text : texts) {
        if (line.startsWith(text)) {
            const QStringView part = line.first(text.size());
            line = line.sliced(text.size());
            return part;
        }
    }
    return {};
}

// No two texts of a table start alike and no tracking text starts like a
// mount text, so the split is unique.
std::optional<Parts> split(QStringView line)
{
    Parts parts;
    parts[0] = takePrefix(line, kMountTexts);
    parts[1] = takePrefix(line, kTrackingTexts);
    parts[2] = takePrefix(line, kAlignmentTexts);
    if (!line.isEmpty())
        return std::nullopt;
    return parts;
}

Parts requireParts(const QString &line, const QString &reply)
{
    const std::optional<Parts> parts = split(line);
    if (!parts)
        fuzz::fail("status line made of known texts only", reply + QLatin1String(" -> ") + line);
    return *parts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString reply = fuzz::latin1(data, size);
    const QString line = statusLine(reply);
    const Parts parts = requireParts(line, reply);

    require(statusLine(reply.left(3)) == line, "characters past the third change nothing", reply);

    // A reply cut short: the parts it still has are the same, the rest are missing.
    for (qsizetype kept = 0; kept < 3; ++kept) {
        const QString shorter = reply.left(kept);
        const QString shorterLine = statusLine(shorter);
        const Parts shorterParts = requireParts(shorterLine, shorter);
        for (qsizetype i = 0; i < 3; ++i) {
            require(i < std::min<qsizetype>(kept, reply.size()) ? shorterParts[i] == parts[i]
                                                                : shorterParts[i].isEmpty(),
                    "a cut reply keeps the parts of its characters", shorter);
        }
    }

    // Another character in one place changes at most that place's part.
    const QChar other(size > 3 ? data[3] : 0);
    for (qsizetype place = 0; place < std::min<qsizetype>(3, reply.size()); ++place) {
        QString changed = reply.left(3);
        changed[place] = other;
        const QString changedLine = statusLine(changed);
        const Parts changedParts = requireParts(changedLine, changed);
        for (qsizetype i = 0; i < 3; ++i) {
            if (i != place)
                require(changedParts[i] == parts[i], "each part depends on its own character",
                        reply + QLatin1String(" / ") + changed);
        }
    }
    return 0;
}
