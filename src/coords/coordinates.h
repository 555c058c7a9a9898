#pragma once

// The RA/DEC coordinate model: the seven selection lists that hold one
// equatorial position, the texts built from their positions, and the decoding
// of the telescope's :GR# / :GD# replies. Nothing here needs a window or a port.

#include <QList>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

namespace orrinet {

// List position of a list without a selection.
inline constexpr int noSelection = -1;

enum class CoordinateList {
    RaHours,
    RaMinutes,
    RaSeconds,
    DecSign,
    DecDegrees,
    DecMinutes,
    DecSeconds
};

// The order in which the window fills the lists.
inline constexpr std::array<CoordinateList, 7> coordinateListFillOrder{
    CoordinateList::RaHours,    CoordinateList::RaMinutes,  CoordinateList::RaSeconds,
    CoordinateList::DecSign,    CoordinateList::DecDegrees, CoordinateList::DecMinutes,
    CoordinateList::DecSeconds,
};

struct ListItem
{
    QString text;
    int data = 0;

    friend bool operator==(const ListItem &, const ListItem &) = default;
};

// Item texts and item data of one list, in list order ("00h".."23h"; "+", "-";
// the degree list descends "89d".."00d" with data 89 - position).
QList<ListItem> coordinateListItems(CoordinateList list);

// The degree list is the one descending list: position and degrees convert by
// 89 minus the other, in both directions (position -1 reads as 90 degrees).
constexpr int decDegreesListPosition(int degrees)
{
    return 89 - degrees;
}
constexpr qint64 decDegreesAtListPosition(int position)
{
    return 89 - qint64{position};
}

// The selections of the seven lists; noSelection where a list has none.
// decD is the position in the degree list, not the degree value.
struct ListPositions
{
    int raH = noSelection;
    int raM = noSelection;
    int raS = noSelection;
    int decSign = noSelection;
    int decD = noSelection;
    int decM = noSelection;
    int decS = noSelection;

    friend bool operator==(const ListPositions &, const ListPositions &) = default;
};

// A text field through the two-digit format: a number is rewritten ("5" -> "05",
// " 7" -> "07"), anything else is returned as it stands ("5#", "", "0.").
// A number is, after trimming blanks, an optional sign, one or more digits and
// optionally a point followed by one or more digits; a fraction is rounded half
// away from zero.
QString twoDigitField(QStringView field);

// ":Sr HH:MM:SS#"
QString raTargetCommand(const ListPositions &positions);
// ":Sd sDD:MM:SS#" (a colon after the degrees too)
QString decTargetCommand(const ListPositions &positions);
// RA 05h 07m 09s  DEC -07° 30' 00"
QString coordinateText(const ListPositions &positions);

// What a Get copies into the lists. An empty entry leaves that list as it is;
// decD holding noSelection clears the degree list's selection (a reply of
// exactly 90 degrees). decSign is always set.
struct ListUpdate
{
    std::optional<int> raH;
    std::optional<int> raM;
    std::optional<int> raS;
    std::optional<int> decSign;
    std::optional<int> decD;
    std::optional<int> decM;
    std::optional<int> decS;

    friend bool operator==(const ListUpdate &, const ListUpdate &) = default;
};

// The positions after applying an update to the current ones.
ListPositions applyListUpdate(ListPositions positions, const ListUpdate &update);

struct ReceivedCoordinates
{
    QString text;     // the label text
    ListUpdate lists; // to apply only when the update-after-Get box is ticked
};

// Decodes the RA and DEC replies exactly as read from the port (terminator
// included; long forms HH:MM:SS# and sDD*MM:SS#, any degree mark). Fields are
// cut at fixed places, separators unchecked; a short reply gives short or empty
// fields, which show as they are and leave their lists unchanged.
ReceivedCoordinates decodeCoordinateReplies(QStringView raReply, QStringView decReply);

// True for exactly an RA reply in low precision, HH:MM.T#: one character
// short of the high-precision reply a Get waits for.
bool isLowPrecisionRaReply(QStringView reply);

} // namespace orrinet
