#include "faults.h"

#include <algorithm>
#include <array>

namespace lx200sim {

bool commandMatches(QByteArrayView pattern, QByteArrayView command)
{
    if (pattern == "ACK")
        return command == QByteArrayView("\x06", 1);
    if (pattern.endsWith('#'))
        return pattern == command;
    return !pattern.isEmpty() && command.startsWith(pattern);
}

std::optional<Truncation> parseTruncation(QByteArrayView text)
{
    const qsizetype colon = text.lastIndexOf(':');
    if (colon <= 0)
        return std::nullopt;
    bool ok = false;
    const int length = text.sliced(colon + 1).toByteArray().toInt(&ok);
    if (!ok || length < 0)
        return std::nullopt;
    return Truncation{text.first(colon).toByteArray(), length};
}

bool answersNakWhenBusy(QByteArrayView command)
{
    static constexpr std::array<QByteArrayView, 3> busyQueries{":GR#", ":GD#", ":GW#"};
    for (const auto query : busyQueries) {
        if (query == command)
            return true;
    }
    return false;
}

std::optional<QByteArray> ReplyFaults::apply(QByteArrayView command, QByteArray reply, bool telescopeBusy) const
{
    for (const auto &pattern : m_options.drop) {
        if (commandMatches(pattern, command))
            return std::nullopt;
    }
    if (m_options.nakWhenBusy && telescopeBusy && answersNakWhenBusy(command))
        return QByteArray(1, '\x15');
    for (const auto &cut : m_options.truncate) {
        if (commandMatches(cut.command, command))
            reply.truncate(cut.length);
    }
    return reply;
}

QByteArray Noise::mix(QByteArrayView reply, double rate)
{
    if (rate <= 0.0)
        return reply.toByteArray();
    std::bernoulli_distribution insert(std::min(rate, 1.0));
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray out;
    out.reserve(reply.size() * 2);
    for (const char c : reply) {
        if (insert(m_rng))
            out += static_cast<char>(byte(m_rng));
        out += c;
    }
    return out;
}

QByteArray Noise::bytes(qsizetype count)
{
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray out(count, Qt::Uninitialized);
    for (char &c : out)
        c = static_cast<char>(byte(m_rng));
    return out;
}

} // namespace lx200sim
