#include "hub/moveguards.h"

#include "link/protocol.h"

#include <algorithm>
#include <array>

namespace orrinet::hub {

namespace {

struct GuardedMove
{
    QLatin1StringView move;
    QLatin1StringView stop;
};

constexpr std::array<GuardedMove, 7> kGuardedMoves{{
    {kMoveNorth, kStopNorth},
    {kMoveSouth, kStopSouth},
    {kMoveEast, kStopEast},
    {kMoveWest, kStopWest},
    {kFocusIn, kFocusStop},
    {kFocusOut, kFocusStop},
    {kSlewToTarget, kHaltAll},
}};

QByteArrayView view(QLatin1StringView text)
{
    return QByteArrayView(text.data(), text.size());
}

const std::vector<QByteArrayView> &axisStops()
{
    static const std::vector<QByteArrayView> stops{view(kStopNorth), view(kStopSouth),
                                                   view(kStopEast), view(kStopWest)};
    return stops;
}

} // namespace

QLatin1StringView MoveGuards::stopFor(QByteArrayView move)
{
    for (const GuardedMove &guarded : kGuardedMoves)
        if (view(guarded.move) == move)
            return guarded.stop;
    return {};
}

void MoveGuards::started(ClientId client, QByteArrayView move, qint64 now)
{
    const QLatin1StringView stop = stopFor(move);
    if (stop.isEmpty())
        return;
    // The halt of an older goto would end this slew too, and so would the
    // stop of another client's move on the same axis; a new goto takes over
    // every axis.
    std::vector<QByteArrayView> takenOver{view(stop)};
    if (stop != kFocusStop)
        takenOver.push_back(view(kHaltAll));
    if (stop == kHaltAll)
        takenOver.insert(takenOver.end(), axisStops().begin(), axisStops().end());
    forget(takenOver, client);

    std::vector<Guard> &guards = m_guards[client];
    const QByteArray stopBytes(stop.data(), stop.size());
    std::erase_if(guards, [&stopBytes](const Guard &guard) { return guard.stop == stopBytes; });
    guards.push_back(Guard{stopBytes, now});
}

void MoveGuards::stopped(QByteArrayView stop)
{
    std::vector<QByteArrayView> ended{stop};
    if (stop == view(kHaltAll)) // halts every slew, not the focuser
        ended.insert(ended.end(), axisStops().begin(), axisStops().end());
    forget(ended, std::nullopt);
}

std::vector<QByteArray> MoveGuards::release(ClientId client)
{
    std::vector<QByteArray> stops;
    const auto found = m_guards.find(client);
    if (found == m_guards.end())
        return stops;
    for (const Guard &guard : found->second)
        stops.push_back(guard.stop);
    m_guards.erase(found);
    return stops;
}

bool MoveGuards::runsEndlessMove(ClientId client) const
{
    const auto found = m_guards.find(client);
    return found != m_guards.end() &&
           std::any_of(found->second.begin(), found->second.end(),
                       [](const Guard &guard) { return guard.stop != view(kHaltAll); });
}

std::vector<QByteArray> MoveGuards::releaseAll()
{
    std::vector<QByteArray> stops;
    for (const auto &[client, guards] : m_guards)
        for (const Guard &guard : guards)
            if (std::find(stops.begin(), stops.end(), guard.stop) == stops.end())
                stops.push_back(guard.stop);
    m_guards.clear();
    return stops;
}

void MoveGuards::expire(qint64 now)
{
    for (auto &[client, guards] : m_guards)
        std::erase_if(guards, [now](const Guard &guard) {
            return guard.stop == view(kHaltAll) && now - guard.since >= kGotoGuardMs;
        });
    std::erase_if(m_guards, [](const auto &entry) { return entry.second.empty(); });
}

std::optional<qint64> MoveGuards::nextExpiry() const
{
    std::optional<qint64> next;
    for (const auto &[client, guards] : m_guards)
        for (const Guard &guard : guards)
            if (guard.stop == view(kHaltAll))
                next =
                    std::min(next.value_or(guard.since + kGotoGuardMs), guard.since + kGotoGuardMs);
    return next;
}

void MoveGuards::forget(const std::vector<QByteArrayView> &stops, std::optional<ClientId> except)
{
    for (auto &[client, guards] : m_guards) {
        if (except && client == *except)
            continue;
        std::erase_if(guards, [&stops](const Guard &guard) {
            return std::find(stops.begin(), stops.end(), QByteArrayView(guard.stop)) != stops.end();
        });
    }
    std::erase_if(m_guards, [](const auto &entry) { return entry.second.empty(); });
}

} // namespace orrinet::hub
