#include "simulator.h"

#include <QTimer>

#include <cstdio>

namespace lx200sim {

Simulator::Simulator(const SimOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_telescope(m_clock, options.telescope)
{
}

Simulator::~Simulator()
{
    // Links write through the transports: close them first.
    m_ptyLink.reset();
    m_tcpLink.reset();
    m_pty.reset();
    m_tcp.reset();
}

std::unique_ptr<Link> Simulator::makeLink(ByteSink &sink)
{
    const qint64 nsPerByte = m_options.pacing ? LinePacer::nsPerByteForBaud(m_options.baud) : 0;
    auto link = std::make_unique<Link>(m_telescope, m_clock, sink, m_options.faults, nsPerByte);
    connect(link.get(), &Link::hangupDue, this, &Simulator::hangUp, Qt::QueuedConnection);
    if (m_options.log)
        connect(link.get(), &Link::exchanged, this, &Simulator::logExchange);
    if (m_commandLog) {
        connect(link.get(), &Link::framed, this,
                [this](const QByteArray &command, qint64 atNs) { m_commandLog->record(command, atNs); });
    }
    if (m_stateFile)
        connect(link.get(), &Link::exchanged, m_stateFile.get(), [this] { m_stateFile->write(); });
    return link;
}

bool Simulator::start(QString *error)
{
    // Both files serve every line, so they exist before the links are made.
    if (!m_options.commandLogPath.isEmpty()) {
        m_commandLog = std::make_unique<CommandLog>(m_startNs);
        if (!m_commandLog->open(m_options.commandLogPath, error))
            return false;
    }
    if (!m_options.statePath.isEmpty()) {
        m_stateFile = std::make_unique<StateFile>(m_telescope, m_options.statePath);
        if (!m_stateFile->write(error))
            return false;
    }
    if (m_options.pty) {
        m_pty = std::make_unique<PtyTransport>();
        if (!m_pty->open(error))
            return false;
        m_ptyLink = makeLink(*m_pty);
        connect(m_pty.get(), &PtyTransport::received, m_ptyLink.get(), &Link::receive);
        connect(m_pty.get(), &PtyTransport::clientGone, m_ptyLink.get(), &Link::reset);
        connect(m_pty.get(), &PtyTransport::clientArrived, m_ptyLink.get(), &Link::reset);
    }
    if (m_options.tcpPort) {
        m_tcp = std::make_unique<TcpTransport>();
        if (!m_tcp->listen(*m_options.tcpPort, error))
            return false;
        m_tcpLink = makeLink(*m_tcp);
        connect(m_tcp.get(), &TcpTransport::received, m_tcpLink.get(), &Link::receive);
        connect(m_tcp.get(), &TcpTransport::clientGone, m_tcpLink.get(), &Link::reset);
        connect(m_tcp.get(), &TcpTransport::clientArrived, m_tcpLink.get(), &Link::reset);
    }
    if (m_options.com) {
        const QStringList lines = endpoints();
        m_mapping = std::make_unique<ComPortMapping>(*m_options.com, lines.first());
    }
    return true;
}

QStringList Simulator::endpoints() const
{
    QStringList lines;
    if (m_pty)
        lines << m_pty->slavePath();
    if (m_tcp)
        lines << QStringLiteral("tcp://127.0.0.1:%1").arg(m_tcp->port());
    return lines;
}

void Simulator::hangUp()
{
    // The last reply has left our side; give the client a moment to read it,
    // since closing the line throws away whatever it has not read yet.
    QTimer::singleShot(kHangupGraceMs, this, &Simulator::closeLine);
}

void Simulator::closeLine()
{
    if (m_pty)
        m_pty->hangUp();
    if (m_tcp)
        m_tcp->hangUp();
    Q_EMIT hungUp();
}

void Simulator::logExchange(const QByteArray &command, const QByteArray &reply)
{
    std::fprintf(stderr, "%s -> %s\n", printableBytes(command).constData(), printableBytes(reply).constData());
}

} // namespace lx200sim
