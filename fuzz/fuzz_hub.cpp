// The hub's core with three clients (the third read-only) and a scripted
// telescope: the input decides what the clients send and how it is cut,
// when they come and go, how much of each reply the telescope gives and
// when, stray bytes on the line, the line going away, and the clock.
//
// The telescope answers each command with a reply that carries a serial
// number, so that every reply a client gets can be traced to a command.
//
// Invariants: only whole commands (':' to '#', or the ACK byte) are written
// to the line, nothing while it is down; every reply a client gets answers a
// command that client sent, in the order sent, and a reply for one client
// reaches no other; a read-only client never causes a write; once a client's
// target command is written, no other client's target command is written
// until a slew command ends the block (or it lapses or its client leaves).

#include "fuzzcheck.h"
#include "hub/hubcore.h"
#include "hub/precision.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <fuzzer/FuzzedDataProvider.h>
#include <map>
#include <optional>
#include <set>

using namespace orrinet;
using namespace orrinet::hub;
using orrinet::fuzz::require;

namespace {

constexpr ClientId kClients = 3;
constexpr ClientId kReadOnlyClient = 3;

const std::array<const char *, 24> kVocabulary{
    ":GR#",
    ":GD#",
    ":GA#",
    ":GZ#",
    ":Sr %02d:00:00#",
    ":Sd +%02d:00:00#",
    ":MS#",
    ":CM#",
    ":Mn#",
    ":Me#",
    ":Qn#",
    ":Q#",
    ":U#",
    "\x06",
    ":GVP#",
    ":gT#",
    ":XY#",
    ":P#",
    ":ED#",
    ":F+#",
    ":FQ#",
    ":GW#",
    ":hP#",
    ":SC 03/15/24#",
};

QString text(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

bool queryOnly(CommandKind kind)
{
    return kind == CommandKind::Query || kind == CommandKind::Position ||
           kind == CommandKind::Fixed || kind == CommandKind::Precision;
}

struct Harness final : HubOutput
{
    // ---- the telescope -------------------------------------------------------
    void writeLine(const QByteArray &command) override
    {
        if (trace)
            std::fprintf(stderr, "%6lld line <- %s\n", static_cast<long long>(now),
                         fuzz::escaped(text(command)).constData());
        require(lineUp, "nothing is written while the line is down", text(command));
        const bool whole =
            command == QByteArray(1, kAck) ||
            (command.size() >= 2 && command.size() <= CommandFramer::kMaxCommandBytes &&
             command.startsWith(':') && command.endsWith('#') && command.count('#') == 1);
        require(whole, "only whole commands reach the line", text(command));
        for (const char byte : command) {
            const auto value = static_cast<unsigned char>(byte);
            require((value >= 0x20 && value < 0x7F) || command.size() == 1 ||
                        (value == 0xDF && command.startsWith(":Sd")),
                    "only printable commands reach the line", text(command));
        }
        const CommandRow &row = commandRow(command);
        require(queryOnly(row.kind) || writable.count(command) != 0 ||
                    command == QByteArrayView(kTogglePrecision.data(), kTogglePrecision.size()),
                "a read-only client never causes a write", text(command));
        checkBlock(command);
        if (command == QByteArrayView(kTogglePrecision.data(), kTogglePrecision.size()))
            highPrecision = !highPrecision;
        pending = replyTo(command, row);
        if (!pending.isEmpty())
            replies[command].insert(pending);
    }

    QByteArray replyTo(const QByteArray &command, const CommandRow &row)
    {
        const int n = ++serial;
        const QByteArray tag = 'T' + QByteArray::number(n);
        switch (row.form) {
        case ReplyForm::None:
            return {};
        case ReplyForm::OneChar:
            return QByteArray(1, "01AP"[n % 4]);
        case ReplyForm::SlewReply:
            return n % 2 ? QByteArray("0") : '1' + tag + '#';
        case ReplyForm::TextNoHash:
            return n % 2 ? "HIGH PRECISION" : "LOW  PRECISION";
        case ReplyForm::TwoPart:
            return '1' + tag + "#" + tag + '#';
        case ReplyForm::AutostarDisplay:
            return ' ' + tag.leftJustified(32, '.') + '#';
        case ReplyForm::Unknown:
            return n % 3 ? 'U' + tag + '#' : QByteArray();
        case ReplyForm::UpToHash:
            break;
        }
        if (row.kind != CommandKind::Position)
            return tag + '#';
        const QByteArray high =
            command == ":GR#"
                ? QString::asprintf("%02d:%02d:%02d#", n % 24, n / 24 % 60, n / 1440 % 60)
                      .toLatin1()
                : QString::asprintf("+%02d*%02d:%02d#", n % 90, n / 90 % 60, n / 5400 % 60)
                      .toLatin1();
        return highPrecision ? high : lowPrecision(command, high);
    }

    void checkBlock(const QByteArray &command)
    {
        const CommandKind kind = commandRow(command).kind;
        if (kind == CommandKind::Slew) {
            blockOwner.reset();
            return;
        }
        if (kind != CommandKind::Target)
            return;
        // The target's hours or degrees name its client.
        QByteArray argument = command.mid(command.indexOf(' ') + 1);
        if (argument.startsWith('+') || argument.startsWith('-'))
            argument.remove(0, 1);
        const ClientId slot = argument.left(2).toUInt();
        const ClientId owner = slot <= kClients ? idOf[slot] : 0;
        if (blockOwner && *blockOwner != owner && now - blockSince < kTargetBlockIdleMs &&
            connected[*blockOwner])
            fuzz::fail("target blocks never interleave", text(command));
        blockOwner = owner;
        blockSince = now;
    }

    // ---- the clients -----------------------------------------------------------
    void sendToClient(ClientId client, const QByteArray &reply) override
    {
        require(connected[client], "no reply to a client that left", text(reply));
        std::deque<QByteArray> &asked = sent[client];
        for (;;) {
            require(!asked.empty(), "a reply answers a command its own client sent", text(reply));
            const QByteArray command = asked.front();
            asked.pop_front();
            if (answers(command, reply))
                break;
        }
        // Positions and what never changes are shared; any other reply read
        // from the line goes to one client.
        const CommandKind kind = commandRow(lastAnswered).kind;
        if (kind != CommandKind::Position && kind != CommandKind::Fixed && reply.contains('T') &&
            reply.endsWith('#'))
            require(delivered.insert(reply).second, "a reply reaches one client only", text(reply));
    }

    bool answers(const QByteArray &command, const QByteArray &reply)
    {
        const auto known = replies.find(command);
        if (known == replies.end())
            return false;
        const ReplyForm form = commandRow(command).form;
        for (const QByteArray &candidate : known->second) {
            const bool partial = form == ReplyForm::Unknown || form == ReplyForm::AutostarDisplay ||
                                 form == ReplyForm::TextNoHash;
            if (candidate == reply || (partial && candidate.startsWith(reply)) ||
                lowPrecision(command, candidate) == reply) {
                lastAnswered = command;
                return true;
            }
        }
        return false;
    }

    // FUZZ_HUB_TRACE=1 shows what the hub does, for reading a failing input.
    void log(const QString &line) override
    {
        if (trace)
            std::fprintf(stderr, "%6lld %s\n", static_cast<long long>(now), qPrintable(line));
    }
    const bool trace = qEnvironmentVariableIsSet("FUZZ_HUB_TRACE");

    std::map<ClientId, bool> connected;
    std::array<ClientId, kClients + 1> idOf{}; // each slot's present connection
    ClientId nextId = 1;
    std::map<ClientId, std::deque<QByteArray>> sent; // framed, not yet answered
    std::map<ClientId, CommandFramer> framers;
    std::set<QByteArray> writable; // what the clients that may write have sent, and its stops
    std::map<QByteArray, std::set<QByteArray>> replies; // every reply given to a command
    std::set<QByteArray> delivered;
    QByteArray lastAnswered;
    QByteArray pending; // the telescope's reply not yet given
    std::optional<ClientId> blockOwner;
    qint64 blockSince = 0;
    qint64 now = 0;
    int serial = 0;
    bool highPrecision = true;
    bool lineUp = true;
};

QByteArray clientBytes(FuzzedDataProvider &input, ClientId slot)
{
    if (input.ConsumeBool())
        return QByteArray::fromStdString(input.ConsumeRandomLengthString(24));
    const char *word =
        kVocabulary[input.ConsumeIntegralInRange<std::size_t>(0, kVocabulary.size() - 1)];
    return QByteArray(word).replace("%02d", QByteArray::number(slot).rightJustified(2, '0'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    Harness harness;
    HubSettings settings;
    settings.verbose = harness.trace;
    settings.pollMs = input.ConsumeIntegralInRange(0, 500);
    settings.silenceStopMs = input.ConsumeIntegralInRange(1, 3000);
    settings.access.readOnly << *parseSubnet(QStringLiteral("10.0.0.0/8"));
    harness.highPrecision = input.ConsumeBool();
    HubCore core(settings, harness);
    const auto address = [](ClientId slot) {
        return QHostAddress(slot == kReadOnlyClient ? QStringLiteral("10.0.0.3")
                                                    : QStringLiteral("127.0.0.1"));
    };

    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange(0, 6)) {
        case 0:
        case 1: {
            const ClientId slot = input.ConsumeIntegralInRange<ClientId>(1, kClients);
            ClientId client = harness.idOf[slot];
            if (!harness.connected[client]) {
                client = harness.idOf[slot] = harness.nextId++;
                harness.connected[client] =
                    core.clientConnected(client, address(slot), 1, harness.now);
                break;
            }
            const QByteArray bytes = clientBytes(input, slot);
            for (const CommandFramer::Item &item : harness.framers[client].feed(bytes)) {
                if (!item.dropReason.isEmpty())
                    continue;
                const CommandRow &row = commandRow(item.command);
                if (slot == kReadOnlyClient && !queryOnly(row.kind))
                    continue;
                harness.sent[client].push_back(item.command);
                if (slot != kReadOnlyClient) {
                    harness.writable.insert(item.command);
                    const QLatin1StringView stop = MoveGuards::stopFor(item.command);
                    if (!stop.isEmpty())
                        harness.writable.insert(QByteArray(stop.data(), stop.size()));
                }
            }
            core.clientBytes(client, bytes, harness.now);
            break;
        }
        case 2: { // the telescope gives some of its reply
            const auto count = input.ConsumeIntegralInRange<qsizetype>(1, 40);
            const QByteArray chunk = harness.pending.left(count);
            harness.pending.remove(0, chunk.size());
            if (!chunk.isEmpty() && harness.lineUp)
                core.lineBytes(chunk, harness.now);
            break;
        }
        case 3:
            harness.now += input.ConsumeIntegralInRange(0, 6000);
            core.advance(harness.now);
            break;
        case 4: { // a client leaves
            const ClientId client =
                harness.idOf[input.ConsumeIntegralInRange<ClientId>(1, kClients)];
            if (harness.connected[client]) {
                harness.connected[client] = false;
                core.clientGone(client, QStringLiteral("closed"), harness.now);
            }
            break;
        }
        case 5: // noise while nobody waits for a reply
            if (!core.exchangeRunning() && harness.lineUp)
                core.lineBytes(QByteArray::fromStdString(input.ConsumeRandomLengthString(8)),
                               harness.now);
            break;
        case 6:
            harness.pending.clear();
            harness.blockOwner.reset();
            harness.lineUp = !harness.lineUp;
            harness.lineUp ? core.lineBack(harness.now)
                           : core.lineLost(QStringLiteral("gone"), harness.now);
            break;
        }
        require(core.nextDeadline().value_or(harness.now) >= 0, "deadlines are times");
    }
    if (harness.lineUp)
        core.stopAllMoves();
    return 0;
}
