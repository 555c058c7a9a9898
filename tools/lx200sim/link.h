#pragma once

#include "clock.h"
#include "faults.h"
#include "framer.h"
#include "interpreter.h"
#include "lineoutput.h"
#include "telescope.h"

#include <QObject>

namespace lx200sim {

// One serial line to the telescope: frames what the client sends, runs each
// command, passes the reply through the configured faults and paces it out.
class Link : public QObject {
    Q_OBJECT
public:
    Link(Telescope &telescope, const Clock &clock, ByteSink &sink, const FaultOptions &faults,
         qint64 nsPerByte, QObject *parent = nullptr);

    void receive(QByteArrayView bytes);
    // The client went away: forget half a command and every unsent byte.
    void reset();

    int commandCount() const { return m_commands; }
    LineOutput &output() { return m_output; }

Q_SIGNALS:
    // After --hangup-after commands, once their replies have left.
    void hangupDue();
    // A command as it is framed, before it runs, at atNs on the clock.
    void framed(const QByteArray &command, qint64 atNs);
    void exchanged(const QByteArray &command, const QByteArray &reply);

private:
    void handle(const QByteArray &command);
    void checkHangup();

    Telescope &m_telescope;
    const Clock &m_clock;
    FaultOptions m_faults;
    CommandInterpreter m_interpreter;
    ReplyFaults m_replyFaults;
    CommandFramer m_framer;
    Noise m_noise;
    LineOutput m_output;
    int m_commands = 0;
    bool m_hangingUp = false;
    bool m_hangupSignalled = false;
};

} // namespace lx200sim
