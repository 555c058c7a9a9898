#include "link/sharableline.h"

#include "hub/hubcommandline.h"
#include "hub/hubserver.h"

#include <utility>

namespace orrinet {

namespace {

// "Local network" means the networks a home or an observatory uses, never
// the Internet a laptop may also be on.
const QStringList &localNetworks()
{
    static const QStringList networks{
        QStringLiteral("127.0.0.0/8"),    QStringLiteral("10.0.0.0/8"),
        QStringLiteral("172.16.0.0/12"),  QStringLiteral("192.168.0.0/16"),
        QStringLiteral("169.254.0.0/16"), QStringLiteral("100.64.0.0/10"),
        QStringLiteral("::1/128"),        QStringLiteral("fc00::/7"),
        QStringLiteral("fe80::/10")};
    return networks;
}

hub::HubSettings hubSettings(const SharingOptions &options)
{
    hub::HubSettings settings;
    settings.maxClients = SharableLine::maxClients;
    if (options.localNetwork)
        for (const QString &network : localNetworks())
            settings.access.allow.append(*hub::parseSubnet(network));
    if (options.othersReadOnly)
        settings.access.readOnly = {*hub::parseSubnet(QStringLiteral("0.0.0.0/0")),
                                    *hub::parseSubnet(QStringLiteral("::/0"))};
    return settings;
}

} // namespace

SharableLine::SharableLine(SerialPort &direct, HubLineMaker maker, bool ownThread, QObject *parent)
    : SerialPort(parent), m_direct(direct), m_maker(std::move(maker)), m_ownThread(ownThread)
{
    m_thread.setObjectName(QStringLiteral("hub"));
    if (m_ownThread)
        m_context.moveToThread(&m_thread);
    for (QTimer *timer : {&m_quiet, &m_cap}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, &SharableLine::deliver);
    }
    m_quiet.setInterval(quietGapMs);
    m_cap.setInterval(receiveCapMs);
    connect(&m_direct, &SerialPort::received, this, [this] {
        if (!shared())
            Q_EMIT received();
    });
    connect(&m_direct, &SerialPort::connectionLost, this, [this](const QString &reason) {
        if (!shared())
            Q_EMIT connectionLost(reason);
    });
}

SharableLine::~SharableLine()
{
    if (shared())
        stopHub();
    m_thread.quit();
    m_thread.wait();
}

void SharableLine::runInHub(const std::function<void()> &work)
{
    if (!m_ownThread) {
        work();
        return;
    }
    if (!m_thread.isRunning())
        m_thread.start();
    QMetaObject::invokeMethod(&m_context, work, Qt::BlockingQueuedConnection);
}

SharableLine::Start SharableLine::startHub(QString &reason)
{
    const SharingOptions options = *m_options;
    Start result = Start::Shared;
    const int portNumber = m_portNumber;
    runInHub([&] {
        std::unique_ptr<SerialPort> line = m_maker(portNumber);
        if (!line || !line->open()) {
            reason = line ? line->errorString() : QStringLiteral("Invalid port number");
            result = Start::LineFailed;
            return;
        }
        auto server = std::make_unique<hub::HubServer>(hubSettings(options), *line);
        server->setLogToStandardError(false);
        const QHostAddress address =
            options.localNetwork ? QHostAddress(QHostAddress::Any) : QHostAddress::LocalHost;
        if (const std::optional<QString> error = server->listen({{address, options.port}})) {
            server.reset();
            line->close();
            reason = *error;
            result = Start::ListenFailed;
            return;
        }
        server->attachPanel(QStringLiteral("panel"));
        server->setReportTraffic(m_reportTraffic);
        connect(this, &SharableLine::toHub, server.get(), &hub::HubServer::panelBytes);
        connect(server.get(), &hub::HubServer::panelReply, this, &SharableLine::fromHub);
        connect(server.get(), &hub::HubServer::lineGone, this, &SharableLine::hubLineGone);
        connect(server.get(), &hub::HubServer::clientsChanged, this, &SharableLine::clientsChanged);
        connect(server.get(), &hub::HubServer::traffic, this, &SharableLine::traffic);
        m_hubLine = std::move(line);
        m_server = std::move(server);
    });
    if (result == Start::Shared) {
        ++m_session;
        m_input.clear();
    }
    return result;
}

void SharableLine::stopHub()
{
    // Every move any client left running is stopped, then the clients are
    // closed, then the line. What the panel wrote before is taken first.
    runInHub([this] {
        m_server->stopAllMoves();
        if (m_ownThread)
            QThread::msleep(hub::HubServer::kDrainMs); // the stops reach the telescope
        m_server.reset();
        m_hubLine->close();
        m_hubLine.reset();
    });
    disconnect(this, &SharableLine::toHub, nullptr, nullptr);
    ++m_session;
    m_quiet.stop();
    m_cap.stop();
    m_input.clear();
    Q_EMIT clientsChanged({});
}

void SharableLine::setSharing(std::optional<SharingOptions> options)
{
    if (options == m_options)
        return;
    m_options = options;
    if (!isOpen())
        return;
    if (shared()) {
        stopHub();
        if (!m_options) {
            reopenDirect();
            Q_EMIT sharingChanged();
            return;
        }
    } else {
        if (!m_options)
            return;
        m_direct.close();
    }
    QString reason;
    const Start started = startHub(reason);
    if (started == Start::Shared) {
        Q_EMIT sharingChanged();
        return;
    }
    m_options.reset();
    reopenDirect();
    Q_EMIT sharingChanged();
    Q_EMIT sharingFailed(
        started == Start::LineFailed ? QStringLiteral("cannot open the line: ") + reason : reason);
}

void SharableLine::reopenDirect()
{
    m_direct.setPortNumber(m_portNumber);
    if (!m_direct.open()) {
        m_event = EventLost;
        Q_EMIT connectionLost(m_direct.errorString());
        m_event = EventNone;
        return;
    }
    m_direct.setReceiveThreshold(m_threshold);
}

void SharableLine::hubLineGone(const QString &reason)
{
    if (!shared())
        return;
    stopHub();
    Q_EMIT sharingChanged();
    m_event = EventLost;
    Q_EMIT connectionLost(reason);
    m_event = EventNone;
}

void SharableLine::setReportTraffic(bool on)
{
    m_reportTraffic = on;
    if (m_server)
        m_server->setReportTraffic(on); // an atomic flag
}

void SharableLine::setPortNumber(int number)
{
    m_portNumber = number;
    m_direct.setPortNumber(number);
}

bool SharableLine::open()
{
    m_error.clear();
    if (isOpen()) {
        m_error = QStringLiteral("Port already open");
        return false;
    }
    if (!m_options) {
        if (!m_direct.open())
            return false;
        m_direct.setReceiveThreshold(m_threshold);
        return true;
    }
    QString reason;
    switch (startHub(reason)) {
    case Start::Shared:
        Q_EMIT sharingChanged();
        return true;
    case Start::LineFailed:
        // As the machine's line itself would say.
        m_error = reason;
        return false;
    case Start::ListenFailed:
        break;
    }
    m_options.reset();
    Q_EMIT sharingFailed(reason);
    if (!m_direct.open())
        return false;
    m_direct.setReceiveThreshold(m_threshold);
    return true;
}

void SharableLine::close()
{
    if (shared()) {
        stopHub();
        Q_EMIT sharingChanged();
        return;
    }
    m_direct.close();
}

QString SharableLine::errorString() const
{
    return m_error.isEmpty() ? m_direct.errorString() : m_error;
}

bool SharableLine::write(const QString &text)
{
    if (!shared())
        return m_direct.write(text);
    Q_EMIT toHub(text.toLatin1());
    return true;
}

void SharableLine::setReceiveThreshold(int count)
{
    m_threshold = qMax(count, 0);
    if (!shared()) {
        m_direct.setReceiveThreshold(count);
        return;
    }
    if (m_delivering)
        return; // looked at again when the handler returns
    if (thresholdReached()) {
        armReceive();
    } else {
        m_quiet.stop();
        m_cap.stop();
    }
}

QString SharableLine::readAll()
{
    if (!shared())
        return m_direct.readAll();
    return QString::fromLatin1(std::exchange(m_input, QByteArray()));
}

QString SharableLine::peekAll()
{
    return shared() ? QString::fromLatin1(m_input) : m_direct.peekAll();
}

void SharableLine::fromHub(const QByteArray &bytes)
{
    if (!shared())
        return;
    m_input += bytes;
    if (!thresholdReached())
        return;
    // A reply that ends in its terminator is whole.
    if (m_input.endsWith('#')) {
        m_quiet.stop();
        m_cap.stop();
        QMetaObject::invokeMethod(this, &SharableLine::deliver, Qt::QueuedConnection);
        return;
    }
    if (!m_cap.isActive())
        m_cap.start();
    m_quiet.start();
}

bool SharableLine::thresholdReached() const
{
    return shared() && m_threshold > 0 && m_input.size() >= m_threshold;
}

void SharableLine::armReceive()
{
    if (!m_cap.isActive())
        m_cap.start();
    if (!m_quiet.isActive())
        m_quiet.start();
}

void SharableLine::deliver()
{
    m_quiet.stop();
    m_cap.stop();
    if (m_delivering || !thresholdReached())
        return;
    const quint64 session = m_session;
    m_delivering = true;
    m_event = EventReceive;
    Q_EMIT received();
    m_event = EventNone;
    m_delivering = false;
    if (session == m_session && thresholdReached())
        armReceive();
}

} // namespace orrinet
