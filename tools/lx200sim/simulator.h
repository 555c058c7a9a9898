#pragma once

#include "clock.h"
#include "commandlog.h"
#include "link.h"
#include "options.h"
#include "portmapping.h"
#include "statefile.h"
#include "ptytransport.h"
#include "tcptransport.h"
#include "telescope.h"

#include <QObject>
#include <QStringList>

#include <memory>

namespace lx200sim {

// The whole simulator as the executable runs it: one telescope behind a
// pseudo-terminal and/or a TCP port, with the optional Com N mapping.
class Simulator : public QObject {
    Q_OBJECT
public:
    explicit Simulator(const SimOptions &options, QObject *parent = nullptr);
    ~Simulator() override;

    bool start(QString *error);
    // What to print on standard output, one line each: device path, tcp URL.
    QStringList endpoints() const;

Q_SIGNALS:
    // --hangup-after was reached and the line closed.
    void hungUp();

private:
    std::unique_ptr<Link> makeLink(ByteSink &sink);
    void hangUp();
    void closeLine();
    static void logExchange(const QByteArray &command, const QByteArray &reply);

    static constexpr int kHangupGraceMs = 100;

    SimOptions m_options;
    SteadyClock m_clock;
    qint64 m_startNs = m_clock.nowNs();  // the command log counts from here
    Telescope m_telescope;
    std::unique_ptr<PtyTransport> m_pty;
    std::unique_ptr<Link> m_ptyLink;
    std::unique_ptr<TcpTransport> m_tcp;
    std::unique_ptr<Link> m_tcpLink;
    std::unique_ptr<ComPortMapping> m_mapping;
    std::unique_ptr<CommandLog> m_commandLog;
    std::unique_ptr<StateFile> m_stateFile;
};

} // namespace lx200sim
