#include "hub/commandframer.h"

#include "hub/replyframing.h"

#include <utility>

namespace orrinet::hub {

namespace {

bool printable(char byte)
{
    return byte >= 0x20 && byte < 0x7F;
}

// The degree mark some programs write in a declination.
bool degreeMarkAllowed(QByteArrayView pending, char byte)
{
    return static_cast<unsigned char>(byte) == 0xDF && pending.startsWith(":Sd");
}

} // namespace

std::vector<CommandFramer::Item> CommandFramer::feed(QByteArrayView bytes)
{
    std::vector<Item> items;
    for (const char byte : bytes) {
        if (byte == ':') {
            // A ':' inside the argument of a setting (":Sr 12:34:56#") belongs
            // to it; elsewhere it starts a new command.
            if (m_inCommand && !m_pending.startsWith(":S"))
                drop(items, QStringLiteral("unterminated"));
            if (!m_inCommand || !m_pending.startsWith(":S")) {
                m_skipping = false;
                m_inCommand = true;
                m_pending = QByteArray(1, ':');
                continue;
            }
        }
        if (m_skipping)
            continue;
        if (!m_inCommand) {
            if (byte == kAck)
                items.push_back(Item{QByteArray(1, kAck), QString()});
            continue; // '#', line ends and other bytes between commands
        }
        m_pending += byte;
        if (m_pending.size() > kMaxCommandBytes) {
            drop(items, QStringLiteral("longer than %1 bytes").arg(kMaxCommandBytes));
            continue;
        }
        if (!printable(byte) && !degreeMarkAllowed(m_pending, byte)) {
            drop(items, QStringLiteral("byte 0x%1 outside printable ASCII")
                            .arg(static_cast<unsigned char>(byte), 2, 16, QLatin1Char('0')));
            continue;
        }
        if (byte == '#') {
            items.push_back(Item{std::exchange(m_pending, QByteArray()), QString()});
            m_inCommand = false;
        }
    }
    return items;
}

void CommandFramer::drop(std::vector<Item> &items, const QString &reason)
{
    items.push_back(Item{std::exchange(m_pending, QByteArray()), reason});
    m_inCommand = false;
    m_skipping = true;
}

} // namespace orrinet::hub
