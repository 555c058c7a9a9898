#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1StringView>
#include <map>
#include <optional>
#include <vector>

namespace orrinet::hub {

using ClientId = quint64;

// A goto ends by itself; its stop is owed for this long after it started.
inline constexpr qint64 kGotoGuardMs = 90000;

// The moves each client has running, kept as the stops they are owed, so
// that no move outlives its client. A move belongs to the client that started
// it last: a later move of another client that the stop would also end takes
// it over.
class MoveGuards
{
public:
    // The stop that ends a move command (":Qn#" for ":Mn#", ":Q#" for a goto);
    // empty for anything else.
    static QLatin1StringView stopFor(QByteArrayView move);

    // The client's move command went to the line (a goto: and started).
    void started(ClientId client, QByteArrayView move, qint64 now);
    // A stop went to the line: whatever it ends is nobody's any more.
    void stopped(QByteArrayView stop);
    // The client's stops, forgotten.
    std::vector<QByteArray> release(ClientId client);
    // Whether the client runs a move that only its stop ends (a goto ends by itself).
    bool runsEndlessMove(ClientId client) const;
    // Every stop owed to anyone, each once, forgotten.
    std::vector<QByteArray> releaseAll();
    bool empty() const { return m_guards.empty(); }

    // Gotos old enough to have ended are forgotten.
    void expire(qint64 now);
    std::optional<qint64> nextExpiry() const;

private:
    struct Guard
    {
        QByteArray stop;
        qint64 since = 0;
    };
    void forget(const std::vector<QByteArrayView> &stops, std::optional<ClientId> except);

    std::map<ClientId, std::vector<Guard>> m_guards;
};

} // namespace orrinet::hub
