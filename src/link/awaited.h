#pragma once

// The replies the panel can be waiting for. Replies carry no marker of the
// command they answer, so each sender raises its own flag and the receive
// handler serves the first raised flag in the fixed order below.

#include <QLatin1StringView>
#include <array>
#include <cstddef>
#include <cstdint>

namespace orrinet {

// ---- receive thresholds (characters buffered before the receive event) -----

inline constexpr int kThresholdDefault = 1; // one-character replies, console, after an exchange
inline constexpr int kThresholdRa = 9;      // HH:MM:SS#
inline constexpr int kThresholdDec = 10;    // sDD*MM:SS#
inline constexpr int kThresholdStatus = 3;
inline constexpr int kThresholdFirmware = 5;
inline constexpr int kThresholdSite = 7;
inline constexpr int kThresholdDateTime = 9;
inline constexpr int kThresholdAzimuthAltitude = 10;
inline constexpr int kThresholdAutostarDisplay = 30;
inline constexpr int kThresholdAutostarMacro = 34;

// What becomes of a reply that does not come within the reply time-out.
enum class ReplyTimeout : std::uint8_t {
    Reported, // the time-out text is shown
    Silent,   // nothing is shown
    None,     // waited for as long as it takes
};

// The eighteen awaited replies in the order the receive handler tests them:
// the enumerator, the main window's flag, the receive threshold the reply is
// framed by, what an overdue reply comes to, and the window's branch that
// serves it. The second step of a two-step query inherits the first step's
// threshold.
// clang-format off
#define ORRINET_AWAITED_REPLIES(X)                                                           \
    X(Ra,           WaitingRa,           kThresholdRa,              Silent,   serveRa)           \
    X(Dec,          WaitingDec,          kThresholdDec,             Silent,   serveDec)          \
    X(Firmware,     WaitingFirmware,     kThresholdFirmware,        Reported, serveFirmware)     \
    X(Product,      WaitingProduct,      kThresholdFirmware,        Reported, serveProduct)      \
    X(Date,         WaitingDate,         kThresholdDateTime,        Reported, serveDate)         \
    X(Time,         WaitingTime,         kThresholdDateTime,        Reported, serveTime)         \
    X(Azimuth,      WaitingAzimuth,      kThresholdAzimuthAltitude, Reported, serveAzimuth)      \
    X(Altitude,     WaitingAltitude,     kThresholdAzimuthAltitude, Reported, serveAltitude)     \
    X(Latitude,     WaitingLatitude,     kThresholdSite,            Reported, serveLatitude)     \
    X(Longitude,    WaitingLongitude,    kThresholdSite,            Reported, serveLongitude)    \
    X(GotoRa,       WaitingGotoRa,       kThresholdDefault,         Reported, serveGotoRa)       \
    X(GotoDec,      WaitingGotoDec,      kThresholdDefault,         Reported, serveGotoDec)      \
    X(Goto,         WaitingGoto,         kThresholdDefault,         Reported, serveGoto)         \
    X(Gps,          WaitingGps,          kThresholdDefault,         None,     serveGps)          \
    X(Align,        WaitingAlign,        kThresholdDefault,         None,     serveAlign)        \
    X(AutostarGoto, WaitingAutostarGoto, kThresholdAutostarMacro,   None,     serveAutostarGoto) \
    X(Autostar,     WaitingAutostar,     kThresholdAutostarDisplay, None,     serveAutostar)     \
    X(Status,       WaitingStatus,       kThresholdStatus,          Reported, serveStatus)
// clang-format on

// The underlying value is the position in the test order.
enum class Awaiting : std::uint8_t {
#define ORRINET_AWAITING_ENUMERATOR(id, flag, threshold, timeout, branch) id,
    ORRINET_AWAITED_REPLIES(ORRINET_AWAITING_ENUMERATOR)
#undef ORRINET_AWAITING_ENUMERATOR
};

struct AwaitedReply
{
    Awaiting flag;
    QLatin1StringView name; // the main window's flag, "WaitingRa"
    int threshold;
    ReplyTimeout timeout;
};

// Indexed by the flag's value.
inline constexpr std::array kAwaitedReplies{
#define ORRINET_AWAITED_ROW(id, flag, threshold, timeout, branch)                                  \
    AwaitedReply{Awaiting::id, QLatin1StringView(#flag), threshold, ReplyTimeout::timeout},
    ORRINET_AWAITED_REPLIES(ORRINET_AWAITED_ROW)
#undef ORRINET_AWAITED_ROW
};

inline constexpr std::size_t kAwaitingCount = kAwaitedReplies.size();

// Every flag, in test order.
inline constexpr std::array<Awaiting, kAwaitingCount> kAwaitingTestOrder = [] {
    std::array<Awaiting, kAwaitingCount> order{};
    for (std::size_t i = 0; i < kAwaitingCount; ++i)
        order[i] = kAwaitedReplies[i].flag;
    return order;
}();

constexpr const AwaitedReply &awaitedReply(Awaiting flag)
{
    return kAwaitedReplies[static_cast<std::size_t>(flag)];
}

// "WaitingRa" for Awaiting::Ra; empty for a value outside the enumeration.
constexpr QLatin1StringView awaitingName(Awaiting flag)
{
    const auto index = static_cast<std::size_t>(flag);
    return index < kAwaitingCount ? kAwaitedReplies[index].name : QLatin1StringView();
}

} // namespace orrinet
