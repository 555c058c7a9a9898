#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace lx200sim {

// Cuts the incoming byte stream into commands: ":...#" or a lone ACK (0x06).
// Bytes outside a command are ignored, and a ':' starts the command afresh
// unless it can be part of an argument (":Sr 05:07:09#"). Overlong input is
// dropped, so garbage cannot grow the buffer.
class CommandFramer {
public:
    static constexpr qsizetype kMaxCommandLength = 64;

    QList<QByteArray> feed(QByteArrayView bytes);
    void reset();
    bool pending() const { return m_inCommand; }

private:
    bool colonRestarts() const;

    QByteArray m_command;
    bool m_inCommand = false;
};

} // namespace lx200sim
