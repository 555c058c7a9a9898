#pragma once

// The hub without any input or output of its own: client bytes, line bytes
// and the time (milliseconds on a monotonic clock) go in; line writes,
// client replies and log lines come out through HubOutput. The caller wakes it
// at nextDeadline().

#include "hub/access.h"
#include "hub/clientrow.h"
#include "hub/commandframer.h"
#include "hub/moveguards.h"
#include "hub/replyframing.h"

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <deque>
#include <map>
#include <optional>
#include <vector>

namespace orrinet::hub {

class HubOutput
{
public:
    virtual ~HubOutput() = default;
    // One whole command (or the ACK byte) for the telescope.
    virtual void writeLine(const QByteArray &command) = 0;
    virtual void sendToClient(ClientId client, const QByteArray &reply) = 0;
    // One event, for the log.
    virtual void log(const QString &line) = 0;
};

struct HubSettings
{
    AccessRules access;
    int maxClients = 8;
    int pollMs = 250;
    int silenceStopMs = 2000;
    bool verbose = false; // log every exchange
};

// A client's ":Sr"/":Sd" opens its target block, which its ":MS#" or ":CM#"
// ends; the block also ends after this long without another target command.
inline constexpr qint64 kTargetBlockIdleMs = 5000;
// Commands a client may have waiting for the line; more are dropped.
inline constexpr std::size_t kMaxQueuedCommands = 64;

class HubCore
{
public:
    HubCore(HubSettings settings, HubOutput &output);

    // False when the client is refused (not allowed, or too many); logged.
    bool clientConnected(ClientId client, const QHostAddress &address, quint16 port, qint64 now);
    // A client on this machine that is not on the network (the panel sharing
    // its line): no access rules, not counted among --max-clients, and never
    // stopped for silence, since its own holds send nothing while held.
    void localClientConnected(ClientId client, const QString &name, qint64 now);
    void clientBytes(ClientId client, QByteArrayView bytes, qint64 now);
    // The client closed, reset or failed its keep-alive: its moves are stopped.
    void clientGone(ClientId client, const QString &reason, qint64 now);

    void lineBytes(QByteArrayView bytes, qint64 now);
    void lineLost(const QString &reason, qint64 now);
    void lineBack(qint64 now);
    bool lineUp() const { return m_lineUp; }

    // Time-outs, quiet gaps, silent clients and expired blocks due by now.
    void advance(qint64 now);
    std::optional<qint64> nextDeadline() const;

    // Before exiting: the stop of every move still running goes out.
    void stopAllMoves();

    // What a client list shows of each client.
    struct ClientSummary
    {
        ClientId id = 0;
        QString name;
        bool local = false;
        QByteArray lastCommand;
        std::vector<QByteArray> owedStops; // the moves it has running, as their stops
    };
    std::vector<ClientSummary> clients() const;

    bool exchangeRunning() const { return m_exchange.has_value(); }
    std::size_t clientCount() const { return m_clients.size(); }

private:
    struct Pending
    {
        QByteArray command;
        const CommandRow *row = nullptr;
    };
    struct Client
    {
        QString name; // "ADDR:PORT"
        bool readOnly = false;
        bool lowPrecision = false;
        bool local = false;
        QByteArray lastCommand;
        CommandFramer framer;
        std::deque<Pending> queue;
        qint64 lastHeard = 0;
        std::map<QByteArray, qint64> readingsGot; // position command -> time of its last reading
    };
    struct Exchange
    {
        ClientId client = 0;
        Pending pending;
        qint64 started = 0;
        qint64 lastByte = -1; // time of the last reply byte, -1 before any
        bool precisionMended = false;
        bool quietEnds = false; // what was read is whole once the line stays quiet
    };
    struct Cached
    {
        QByteArray reply;
        qint64 at = 0; // when it was asked for
    };

    void take(ClientId client, Client &state, QByteArray command);
    void writeStop(const QByteArray &stop, ClientId client);
    void pump(qint64 now);
    bool serveLocally(ClientId id, Client &client, qint64 now);
    bool blocked(ClientId id, const Client &client, qint64 now) const;
    std::optional<qint64> nextReadingFor(const Client &client) const;
    void start(ClientId client, Pending pending, qint64 now, bool precisionMended = false);
    void tryFinish(qint64 now);
    qint64 exchangeDeadline() const;
    void finish(qint64 now, std::optional<QByteArray> reply);
    void reply(ClientId id, const Pending &pending, const QByteArray &text, bool cached);
    void releaseGuards(ClientId client, const QString &why);
    void log(const QString &line) { m_output.log(line); }

    HubSettings m_settings;
    HubOutput &m_output;
    std::map<ClientId, Client> m_clients;
    std::optional<Exchange> m_exchange;
    QByteArray m_lineInput;
    std::map<QByteArray, Cached> m_positions;
    std::map<QByteArray, QByteArray> m_fixed;
    MoveGuards m_guards;
    std::vector<QByteArray> m_owedStops; // stops that could not go out while the line was down
    std::optional<ClientId> m_blockOwner;
    qint64 m_blockExpires = 0;
    ClientId m_lastTurn = 0;
    bool m_lineUp = true;
};

} // namespace orrinet::hub
