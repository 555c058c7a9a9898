#include "framer.h"

namespace lx200sim {

namespace {
constexpr char kAck = '\x06';
}

bool CommandFramer::colonRestarts() const
{
    // Only these setters carry colons in their argument.
    static constexpr QByteArrayView colonSetters("rdLStgaz");
    return !(m_command.size() >= 3 && m_command[1] == 'S' && colonSetters.contains(m_command[2]));
}

QList<QByteArray> CommandFramer::feed(QByteArrayView bytes)
{
    QList<QByteArray> commands;
    for (const char byte : bytes) {
        if (!m_inCommand) {
            if (byte == ':') {
                m_command = QByteArray(1, ':');
                m_inCommand = true;
            } else if (byte == kAck) {
                commands.append(QByteArray(1, kAck));
            }
            continue;
        }
        if (byte == ':' && colonRestarts()) {
            m_command = QByteArray(1, ':');
            continue;
        }
        m_command += byte;
        if (byte == '#') {
            commands.append(m_command);
            reset();
        } else if (m_command.size() >= kMaxCommandLength) {
            reset();
        }
    }
    return commands;
}

void CommandFramer::reset()
{
    m_command.clear();
    m_inCommand = false;
}

} // namespace lx200sim
