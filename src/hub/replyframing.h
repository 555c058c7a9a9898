#pragma once

// What the hub knows of each LX200 command: how the telescope's reply to it
// ends, and what the command does (which decides how it is scheduled, cached
// and who may send it). The panel's own commands take their rows from the
// command catalogue; the other commands clients send have theirs here.

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <cstdint>
#include <vector>

namespace orrinet::hub {

enum class ReplyForm : std::uint8_t {
    None,            // nothing comes back
    OneChar,         // one character, no terminator
    UpToHash,        // text ending with '#'
    SlewReply,       // ":MS#": "0" alone, or a digit, a text and '#'
    AutostarDisplay, // ":ED#": the hand controller's display and '#'
    TextNoHash,      // ":P#": "HIGH PRECISION" or "LOW  PRECISION", no '#'
    TwoPart,         // ":SC...#": "0", or "1" and two texts each ending with '#'
    Unknown,         // a command the table does not know: ends when the line falls quiet
};

enum class CommandKind : std::uint8_t {
    Query,     // reads something that may change
    Position,  // ":GR#" ":GD#" ":GA#" ":GZ#": served from the position cache
    Fixed,     // never changes while the line stays up: read once
    Precision, // ":U#": toggled per client, never written to the line
    Stop,      // written to the line at once
    Move,      // a move that runs until its stop
    Target,    // ":Sr" ":Sd" ...: opens a client's target block
    Slew,      // ":MS#" ":CM#": ends the target block
    Control,   // anything else that changes the telescope: rates, park, GPS, time, site, keypad
    Unknown,
};

struct CommandRow
{
    QByteArray command; // the whole command, or the start of it when `prefix`
    bool prefix = false;
    ReplyForm form = ReplyForm::Unknown;
    CommandKind kind = CommandKind::Unknown;
    int timeoutMs = 0; // how long the line is held for the reply
};

inline constexpr char kAck = '\x06';
inline constexpr QLatin1StringView kTogglePrecision(":U#");

// Commands whose reply may take minutes (a GPS fix, an alignment): the line
// is held that long, stops still go out at once.
inline constexpr int kSlowReplyTimeoutMs = 180000;
// A command the table does not know: its reply ends once the line has been
// quiet this long; without any reply the exchange ends after kUnknownSilentMs,
// and in any case after kUnknownReplyCapMs.
inline constexpr int kUnknownQuietMs = 30;
inline constexpr int kUnknownSilentMs = 300;
inline constexpr int kUnknownReplyCapMs = 1000;

// Every row, built once from the catalogue and the hub's own entries.
const std::vector<CommandRow> &commandTable();

// The row for a whole command: an exact row first, else the longest prefix
// row; a row of form and kind Unknown for anything else.
const CommandRow &commandRow(QByteArrayView command);

// Whether the bytes read so far hold the whole reply, and how long it is.
struct ReplyFrame
{
    enum State : std::uint8_t {
        Incomplete,
        Complete,
        CompleteIfQuiet, // complete unless more bytes follow within the quiet gap
    };
    State state = Incomplete;
    qsizetype length = 0;
};

ReplyFrame frameReply(ReplyForm form, QByteArrayView buffered);

} // namespace orrinet::hub
