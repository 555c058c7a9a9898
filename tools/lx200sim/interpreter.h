#pragma once

#include "telescope.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace lx200sim {

inline constexpr char kAck = '\x06';
inline constexpr char kNak = '\x15';

struct Reply {
    QByteArray bytes;
    qint64 delayNs = 0;   // the telescope works this long before answering
};

// Carries out one framed command (":...#" or a lone ACK byte) on the telescope
// and returns what the LX200GPS would send back; nothing for commands that
// have no reply and for commands it does not know.
class CommandInterpreter {
public:
    explicit CommandInterpreter(Telescope &telescope) : m_telescope(telescope) {}

    std::optional<Reply> execute(QByteArrayView command);

private:
    Telescope &m_telescope;
};

} // namespace lx200sim
