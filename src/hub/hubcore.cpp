#include "hub/hubcore.h"

#include "hub/precision.h"
#include "link/protocol.h"

#include <algorithm>
#include <utility>

namespace orrinet::hub {

namespace {

bool mayQuery(CommandKind kind)
{
    return kind == CommandKind::Query || kind == CommandKind::Position ||
           kind == CommandKind::Fixed || kind == CommandKind::Precision;
}

bool isTargetCommand(CommandKind kind)
{
    return kind == CommandKind::Target || kind == CommandKind::Slew;
}

// Whether a stop ends the move a queued command would start.
bool ends(QByteArrayView stop, QByteArrayView queued)
{
    const QLatin1StringView ended = MoveGuards::stopFor(queued);
    if (ended.isEmpty())
        return false;
    if (QByteArrayView(ended.data(), ended.size()) == stop)
        return true;
    return stop == QByteArrayView(kHaltAll.data(), kHaltAll.size()) && ended != kFocusStop;
}

void minimum(std::optional<qint64> &next, qint64 at)
{
    next = std::min(next.value_or(at), at);
}

} // namespace

HubCore::HubCore(HubSettings settings, HubOutput &output)
    : m_settings(std::move(settings)), m_output(output)
{
}

bool HubCore::clientConnected(ClientId client, const QHostAddress &address, quint16 port,
                              qint64 now)
{
    const QString name = endpointText(address, port);
    if (!m_settings.access.allows(address)) {
        log(QStringLiteral("client %1 refused: not allowed by --allow").arg(name));
        return false;
    }
    const auto networkClients = static_cast<std::size_t>(std::count_if(
        m_clients.begin(), m_clients.end(), [](const auto &entry) { return !entry.second.local; }));
    if (networkClients >= static_cast<std::size_t>(std::max(m_settings.maxClients, 0))) {
        log(QStringLiteral("client %1 refused: already %2 clients (--max-clients)")
                .arg(name)
                .arg(networkClients));
        return false;
    }
    Client &state = m_clients[client];
    state.name = name;
    state.readOnly = m_settings.access.isReadOnly(address);
    state.lastHeard = now;
    log(QStringLiteral("client %1 connected%2")
            .arg(name, state.readOnly ? QStringLiteral(" (read-only)") : QString()));
    return true;
}

void HubCore::localClientConnected(ClientId client, const QString &name, qint64 now)
{
    Client &state = m_clients[client];
    state.name = name;
    state.local = true;
    state.lastHeard = now;
    log(QStringLiteral("client %1 connected").arg(name));
}

std::vector<HubCore::ClientSummary> HubCore::clients() const
{
    std::vector<ClientSummary> summaries;
    for (const auto &[id, client] : m_clients)
        summaries.push_back(
            ClientSummary{id, client.name, client.local, client.lastCommand, m_guards.owed(id)});
    return summaries;
}

void HubCore::clientBytes(ClientId client, QByteArrayView bytes, qint64 now)
{
    const auto found = m_clients.find(client);
    if (found == m_clients.end())
        return;
    Client &state = found->second;
    state.lastHeard = now;
    for (CommandFramer::Item &item : state.framer.feed(bytes)) {
        if (!item.dropReason.isEmpty()) {
            log(QStringLiteral("client %1: dropped \"%2\": %3")
                    .arg(state.name, printableText(item.command), item.dropReason));
            continue;
        }
        take(client, state, std::move(item.command));
        pump(now); // in order with what follows in the same read
    }
}

void HubCore::take(ClientId client, Client &state, QByteArray command)
{
    state.lastCommand = command;
    const CommandRow &row = commandRow(command);
    if (state.readOnly && !mayQuery(row.kind)) {
        log(QStringLiteral("client %1 (read-only): dropped %2")
                .arg(state.name, printableText(command)));
        return;
    }
    if (row.kind == CommandKind::Stop) {
        // Before anything queued, and nothing queued behind it that it ends
        // may start the move again.
        std::erase_if(state.queue,
                      [&command](const Pending &queued) { return ends(command, queued.command); });
        writeStop(command, client);
        return;
    }
    if (!m_lineUp) {
        if (m_settings.verbose)
            log(QStringLiteral("%1 %2 -> (no line)").arg(state.name, printableText(command)));
        return;
    }
    if (state.queue.size() >= kMaxQueuedCommands) {
        log(QStringLiteral("client %1: dropped %2: %3 commands already wait for the line")
                .arg(state.name, printableText(command))
                .arg(state.queue.size()));
        return;
    }
    state.queue.push_back(Pending{std::move(command), &row});
}

void HubCore::writeStop(const QByteArray &stop, ClientId client)
{
    m_guards.stopped(stop);
    if (!m_lineUp) {
        if (std::find(m_owedStops.begin(), m_owedStops.end(), stop) == m_owedStops.end())
            m_owedStops.push_back(stop);
        return;
    }
    m_output.writeLine(stop);
    const auto found = m_clients.find(client);
    if (m_settings.verbose && found != m_clients.end())
        log(QStringLiteral("%1 %2").arg(found->second.name, printableText(stop)));
}

void HubCore::clientGone(ClientId client, const QString &reason, qint64 now)
{
    const auto found = m_clients.find(client);
    if (found == m_clients.end())
        return;
    log(QStringLiteral("client %1 closed: %2").arg(found->second.name, reason));
    releaseGuards(client, QStringLiteral("gone while moving"));
    if (m_blockOwner == client)
        m_blockOwner.reset();
    m_clients.erase(found);
    pump(now);
}

void HubCore::releaseGuards(ClientId client, const QString &why)
{
    const std::vector<QByteArray> stops = m_guards.release(client);
    if (stops.empty())
        return;
    QStringList sent;
    for (const QByteArray &stop : stops) {
        writeStop(stop, client);
        sent << printableText(stop);
    }
    const auto found = m_clients.find(client);
    const QString name = found != m_clients.end() ? found->second.name : QString();
    log(QStringLiteral("client %1 %2: sent %3").arg(name, why, sent.join(u' ')));
}

void HubCore::lineBytes(QByteArrayView bytes, qint64 now)
{
    if (!m_exchange) {
        // Nobody asked: never handed to anyone.
        if (m_settings.verbose && !bytes.isEmpty())
            log(QStringLiteral("line: discarded \"%1\"").arg(printableText(bytes)));
        return;
    }
    m_lineInput += bytes;
    m_exchange->lastByte = now;
    tryFinish(now);
    pump(now);
}

void HubCore::tryFinish(qint64 now)
{
    const ReplyFrame frame = frameReply(m_exchange->pending.row->form, m_lineInput);
    m_exchange->quietEnds = frame.state == ReplyFrame::CompleteIfQuiet;
    if (frame.state == ReplyFrame::Complete)
        finish(now, m_lineInput.left(frame.length));
}

void HubCore::finish(qint64 now, std::optional<QByteArray> text)
{
    const Exchange exchange = *std::exchange(m_exchange, std::nullopt);
    const QByteArray leftOver = m_lineInput.mid(text ? text->size() : 0);
    m_lineInput.clear();
    if (m_settings.verbose && !leftOver.isEmpty())
        log(QStringLiteral("line: discarded \"%1\"").arg(printableText(leftOver)));
    const QByteArray &command = exchange.pending.command;
    const CommandRow &row = *exchange.pending.row;
    const auto client = m_clients.find(exchange.client);

    if (row.kind == CommandKind::Slew && m_blockOwner == exchange.client)
        m_blockOwner.reset();
    if (!text) {
        if (m_settings.verbose && client != m_clients.end())
            log(QStringLiteral("%1 %2 -> (no reply)")
                    .arg(client->second.name, printableText(command)));
        return;
    }
    if (row.kind == CommandKind::Position) {
        const PositionForm form = positionForm(command, *text);
        if (form == PositionForm::Low && !exchange.precisionMended) {
            // The line is kept in high precision; each client gets its own form.
            m_output.writeLine(QByteArray(kTogglePrecision.data(), kTogglePrecision.size()));
            log(QStringLiteral("line: low precision, sent %1").arg(kTogglePrecision));
            start(exchange.client, exchange.pending, now, true);
            return;
        }
        if (form == PositionForm::High) {
            m_positions[command] = Cached{*text, exchange.started};
            if (client != m_clients.end())
                client->second.readingsGot[command] = exchange.started;
        }
    }
    if (row.kind == CommandKind::Fixed && !text->isEmpty())
        m_fixed[command] = *text;
    if (client == m_clients.end())
        return;
    if (command == QByteArrayView(kSlewToTarget.data(), kSlewToTarget.size()) &&
        text->startsWith(kReplySlewStarted.toLatin1()))
        m_guards.started(exchange.client, command, now);
    reply(exchange.client, exchange.pending, *text, false);
}

void HubCore::reply(ClientId id, const Pending &pending, const QByteArray &text, bool cached)
{
    const auto found = m_clients.find(id);
    if (found == m_clients.end())
        return;
    const Client &client = found->second;
    const QByteArray sent = pending.row->kind == CommandKind::Position && client.lowPrecision
                                ? lowPrecision(pending.command, text)
                                : text;
    if (!sent.isEmpty())
        m_output.sendToClient(id, sent);
    if (m_settings.verbose)
        log(QStringLiteral("%1 %2 -> %3%4")
                .arg(client.name, printableText(pending.command), printableText(sent),
                     cached ? QStringLiteral(" (cached)") : QString()));
}

void HubCore::pump(qint64 now)
{
    for (;;) {
        for (auto &[id, client] : m_clients)
            while (!client.queue.empty() && serveLocally(id, client, now))
                client.queue.pop_front();
        if (m_exchange || !m_lineUp)
            return;
        // Round robin: the first client after the last one served that has
        // something to send that may go now.
        const auto eligible = [this, now](const auto &entry) {
            return !entry.second.queue.empty() && !blocked(entry.first, entry.second, now);
        };
        const auto after = m_clients.upper_bound(m_lastTurn);
        auto next = std::find_if(after, m_clients.end(), eligible);
        if (next == m_clients.end()) {
            next = std::find_if(m_clients.begin(), after, eligible);
            if (next == after)
                return;
        }
        m_lastTurn = next->first;
        Pending pending = std::move(next->second.queue.front());
        next->second.queue.pop_front();
        start(next->first, std::move(pending), now);
    }
}

bool HubCore::serveLocally(ClientId id, Client &client, qint64 now)
{
    if (m_exchange && m_exchange->client == id)
        return false; // its replies keep their order
    const Pending &head = client.queue.front();
    switch (head.row->kind) {
    case CommandKind::Precision:
        client.lowPrecision = !client.lowPrecision;
        if (m_settings.verbose)
            log(QStringLiteral("%1 %2 -> (%3 precision)")
                    .arg(client.name, printableText(head.command),
                         client.lowPrecision ? QStringLiteral("low") : QStringLiteral("high")));
        return true;
    case CommandKind::Position: {
        // A reading younger than the poll interval serves every client once.
        const auto cached = m_positions.find(head.command);
        if (cached == m_positions.end() || now - cached->second.at >= m_settings.pollMs)
            return false;
        const auto got = client.readingsGot.find(head.command);
        if (got != client.readingsGot.end() && got->second == cached->second.at)
            return false; // waits for the next reading
        client.readingsGot[head.command] = cached->second.at;
        reply(id, head, cached->second.reply, true);
        return true;
    }
    case CommandKind::Fixed: {
        const auto known = m_fixed.find(head.command);
        if (known == m_fixed.end())
            return false;
        reply(id, head, known->second, true);
        return true;
    }
    default:
        return false;
    }
}

bool HubCore::blocked(ClientId id, const Client &client, qint64 now) const
{
    const Pending &pending = client.queue.front();
    if (const std::optional<qint64> next = nextReadingFor(client))
        return now < *next;
    return isTargetCommand(pending.row->kind) && m_blockOwner && *m_blockOwner != id &&
           now < m_blockExpires;
}

// When a client whose next command reads a position it already has the
// latest reading of may have a new one; nothing for any other command.
std::optional<qint64> HubCore::nextReadingFor(const Client &client) const
{
    const Pending &pending = client.queue.front();
    // The local client reads the telescope as often as it would alone.
    if (client.local || pending.row->kind != CommandKind::Position)
        return std::nullopt;
    const auto cached = m_positions.find(pending.command);
    const auto got = client.readingsGot.find(pending.command);
    if (cached == m_positions.end() || got == client.readingsGot.end() ||
        got->second != cached->second.at)
        return std::nullopt;
    return cached->second.at + m_settings.pollMs;
}

void HubCore::start(ClientId client, Pending pending, qint64 now, bool precisionMended)
{
    if (m_settings.verbose && !m_lineInput.isEmpty())
        log(QStringLiteral("line: discarded \"%1\"").arg(printableText(m_lineInput)));
    m_lineInput.clear();
    m_output.writeLine(pending.command);
    const CommandRow &row = *pending.row;
    if (row.kind == CommandKind::Target) {
        m_blockOwner = client;
        m_blockExpires = now + kTargetBlockIdleMs;
    }
    if (row.kind == CommandKind::Move)
        m_guards.started(client, pending.command, now);
    if (row.form == ReplyForm::None) {
        const auto found = m_clients.find(client);
        if (m_settings.verbose && found != m_clients.end())
            log(QStringLiteral("%1 %2").arg(found->second.name, printableText(pending.command)));
        return;
    }
    m_exchange = Exchange{client, std::move(pending), now, -1, precisionMended, false};
}

void HubCore::advance(qint64 now)
{
    if (m_exchange && now >= exchangeDeadline()) {
        if (m_exchange->quietEnds) {
            const ReplyFrame frame = frameReply(m_exchange->pending.row->form, m_lineInput);
            finish(now, m_lineInput.left(frame.length));
        } else {
            finish(now, std::nullopt);
        }
    }
    if (m_blockOwner && now >= m_blockExpires)
        m_blockOwner.reset();
    m_guards.expire(now);
    for (const auto &[id, client] : m_clients)
        if (!client.local && m_guards.runsEndlessMove(id) &&
            now - client.lastHeard >= m_settings.silenceStopMs)
            releaseGuards(
                id, QStringLiteral("silent for %1 ms while moving").arg(now - client.lastHeard));
    pump(now);
}

qint64 HubCore::exchangeDeadline() const
{
    const Exchange &exchange = *m_exchange;
    qint64 due = exchange.started + exchange.pending.row->timeoutMs;
    if (exchange.quietEnds)
        due = std::min(due, exchange.lastByte + kUnknownQuietMs);
    else if (exchange.pending.row->form == ReplyForm::Unknown && exchange.lastByte < 0)
        due = std::min(due, exchange.started + kUnknownSilentMs);
    return due;
}

std::optional<qint64> HubCore::nextDeadline() const
{
    std::optional<qint64> next;
    if (m_exchange)
        minimum(next, exchangeDeadline());
    if (m_blockOwner)
        minimum(next, m_blockExpires);
    if (const std::optional<qint64> expiry = m_guards.nextExpiry())
        minimum(next, *expiry);
    for (const auto &[id, client] : m_clients) {
        if (!client.local && m_guards.runsEndlessMove(id))
            minimum(next, client.lastHeard + m_settings.silenceStopMs);
        // While the line is busy, the end of the exchange lets it run anyway.
        if (!m_exchange && m_lineUp && !client.queue.empty())
            if (const std::optional<qint64> reading = nextReadingFor(client))
                minimum(next, *reading);
    }
    return next;
}

void HubCore::lineLost(const QString &reason, qint64 now)
{
    Q_UNUSED(now);
    log(QStringLiteral("line lost: %1").arg(reason));
    m_lineUp = false;
    m_exchange.reset();
    m_lineInput.clear();
    m_positions.clear();
    m_fixed.clear(); // the telescope that comes back may be another one
    m_blockOwner.reset();
    for (auto &[id, client] : m_clients)
        client.queue.clear();
}

void HubCore::lineBack(qint64 now)
{
    m_lineUp = true;
    log(QStringLiteral("line back"));
    for (const QByteArray &stop : std::exchange(m_owedStops, {})) {
        m_output.writeLine(stop);
        log(QStringLiteral("line: sent %1, owed while the line was down").arg(printableText(stop)));
    }
    pump(now);
}

void HubCore::stopAllMoves()
{
    for (const QByteArray &stop : m_guards.releaseAll()) {
        writeStop(stop, 0);
        log(QStringLiteral("exiting: sent %1").arg(printableText(stop)));
    }
}

} // namespace orrinet::hub
