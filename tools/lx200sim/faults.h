#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>
#include <random>

namespace lx200sim {

struct Truncation {
    QByteArray command;
    int length = 0;
};

// The ways the simulated line can misbehave; all off by default.
struct FaultOptions {
    qint64 latencyNs = 0;            // before each reply
    QList<QByteArray> drop;          // commands never answered
    QList<Truncation> truncate;      // replies cut short
    double garbageRate = 0.0;        // chance per reply byte of a random byte before it
    bool flood = false;              // random bytes whenever the line is idle
    int hangupAfter = 0;             // close the line after this many commands (0 = never)
    bool nakWhenBusy = false;        // NAK instead of position/status replies during a goto
    quint32 seed = 0;
};

// A pattern names a command exactly (":GW#"), or by its start when it has no
// '#' (":Sr" matches every RA target); "ACK" names the ACK byte.
bool commandMatches(QByteArrayView pattern, QByteArrayView command);
// "CMD:N", split at the last ':'.
std::optional<Truncation> parseTruncation(QByteArrayView text);
// The replies that a busy telescope answers with NAK under --nak-when-busy.
bool answersNakWhenBusy(QByteArrayView command);

// Applies the per-command faults to a reply: dropped (nullopt), cut, NAKed.
class ReplyFaults {
public:
    explicit ReplyFaults(const FaultOptions &options) : m_options(options) {}
    std::optional<QByteArray> apply(QByteArrayView command, QByteArray reply, bool telescopeBusy) const;

private:
    FaultOptions m_options;
};

// Seeded random bytes, for --garbage and --flood.
class Noise {
public:
    explicit Noise(quint32 seed) : m_rng(seed) {}
    QByteArray mix(QByteArrayView reply, double rate);
    QByteArray bytes(qsizetype count);

private:
    std::mt19937 m_rng;
};

} // namespace lx200sim
