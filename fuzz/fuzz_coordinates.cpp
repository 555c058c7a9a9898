// The position replies of a Get (:GR# then :GD#) and the texts built from the
// seven list positions.
//
// Input: the last bytes pick the seven starting list positions (see
// position()); of the rest, the first byte says how many of the following
// bytes are the RA reply, and the remainder is the DEC reply.
//
// Invariants: nothing crashes; every list position the decoder asks for lies
// in its list (the degree list also takes -1, no selection); the label text
// starts with "RA "; the commands keep their frame whatever the positions,
// and their fixed length for positions inside the lists; and when every field
// decoded to a list position, building the text back from those positions
// gives the label text again.

#include "coords/coordinates.h"
#include "fuzzcheck.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <optional>
#include <vector>

using namespace orrinet;
using orrinet::fuzz::require;

namespace {

struct ListRange
{
    int ListPositions::*position;
    std::optional<int> ListUpdate::*update;
    int first;
    int last;
};

constexpr std::array<ListRange, 7> kLists{{
    {&ListPositions::raH, &ListUpdate::raH, 0, 23},
    {&ListPositions::raM, &ListUpdate::raM, 0, 59},
    {&ListPositions::raS, &ListUpdate::raS, 0, 59},
    {&ListPositions::decSign, &ListUpdate::decSign, 0, 1},
    {&ListPositions::decD, &ListUpdate::decD, 0, 89},
    {&ListPositions::decM, &ListUpdate::decM, 0, 59},
    {&ListPositions::decS, &ListUpdate::decS, 0, 59},
}};

// Mostly near the lists' own ranges (-5..194: no selection, every item, just
// past the end), sometimes any int at all.
int position(FuzzedDataProvider &input)
{
    const auto pick = input.ConsumeIntegral<std::uint8_t>();
    if (pick < 200)
        return static_cast<int>(pick) - 5;
    return input.ConsumeIntegral<int>();
}

bool insideLists(const ListPositions &p)
{
    for (const ListRange &list : kLists) {
        const int value = p.*list.position;
        const bool noDegree = list.position == &ListPositions::decD && value == noSelection;
        if (!noDegree && (value < list.first || value > list.last))
            return false;
    }
    return true;
}

void checkTexts(const ListPositions &p)
{
    const QString text = coordinateText(p);
    const QString ra = raTargetCommand(p);
    const QString dec = decTargetCommand(p);
    require(text.startsWith(QLatin1String("RA ")), "coordinate text starts with \"RA \"", text);
    require(ra.startsWith(QLatin1String(":Sr ")) && ra.endsWith(QLatin1Char('#')),
            "RA command frame", ra);
    require(dec.startsWith(QLatin1String(":Sd ")) && dec.endsWith(QLatin1Char('#')),
            "DEC command frame", dec);
    if (insideLists(p)) {
        require(ra.size() == 13, "RA command of 13 characters", ra);
        require(dec.size() == 14, "DEC command of 14 characters", dec);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    ListPositions start;
    for (const ListRange &list : kLists)
        start.*list.position = position(input);
    const std::vector<std::uint8_t> replies = input.ConsumeRemainingBytes<std::uint8_t>();

    const std::size_t raLength =
        replies.empty() ? 0 : std::min<std::size_t>(replies[0], replies.size() - 1);
    const std::uint8_t *raBytes = replies.empty() ? nullptr : replies.data() + 1;
    const QString raReply = fuzz::latin1(raBytes, raLength);
    const QString decReply = replies.empty()
                                 ? QString()
                                 : fuzz::latin1(raBytes + raLength, replies.size() - 1 - raLength);

    const ReceivedCoordinates received = decodeCoordinateReplies(raReply, decReply);
    const QString replyPair = raReply + QLatin1String(" | ") + decReply;
    require(received.text.startsWith(QLatin1String("RA ")), "label text starts with \"RA \"",
            received.text);

    bool everyList = true;
    for (const ListRange &list : kLists) {
        const std::optional<int> update = received.lists.*list.update;
        if (!update) {
            everyList = false;
            continue;
        }
        const bool noDegree = list.position == &ListPositions::decD && *update == noSelection;
        require(noDegree || (*update >= list.first && *update <= list.last),
                "list position inside its list", replyPair);
    }
    require(received.lists.decSign.has_value(), "the sign list is always set", replyPair);

    const ListPositions after = applyListUpdate(start, received.lists);
    for (const ListRange &list : kLists) {
        const std::optional<int> update = received.lists.*list.update;
        require(after.*list.position == update.value_or(start.*list.position),
                "an update sets exactly the lists it carries", replyPair);
    }

    checkTexts(start);
    checkTexts(after);

    // The sign is shown as received, the lists know only plus and minus.
    const bool plainSign =
        decReply.startsWith(QLatin1Char('+')) || decReply.startsWith(QLatin1Char('-'));
    if (everyList && plainSign)
        require(coordinateText(after) == received.text,
                "the label text rebuilt from the decoded positions", replyPair);
    return 0;
}
