// The sharing module: the hub in a thread of its own, behind SharingHost.

#include "hub/hubcommandline.h"
#include "hub/hubserver.h"
#include "link/sharinghost.h"
#include "platform/serialport.h"

#include <QHostAddress>
#include <QThread>

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
    settings.maxClients = SharingHost::maxClients;
    if (options.localNetwork)
        for (const QString &network : localNetworks())
            settings.access.allow.append(*hub::parseSubnet(network));
    if (options.othersReadOnly)
        settings.access.readOnly = {*hub::parseSubnet(QStringLiteral("0.0.0.0/0")),
                                    *hub::parseSubnet(QStringLiteral("::/0"))};
    return settings;
}

class HubHost final : public SharingHost
{
public:
    HubHost(bool ownThread, Events events) : m_events(std::move(events)), m_ownThread(ownThread)
    {
        m_thread.setObjectName(QStringLiteral("hub"));
        if (m_ownThread)
            m_context.moveToThread(&m_thread);
    }

    ~HubHost() override
    {
        m_thread.quit();
        m_thread.wait();
    }

    Start start(const HubLineMaker &maker, int portNumber, const SharingOptions &options,
                bool reportTraffic, QString &reason) override
    {
        Start result = Start::Shared;
        runInHub([&] {
            std::unique_ptr<SerialPort> line = maker(portNumber);
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
            server->setReportTraffic(reportTraffic);
            // Queued to the panel's thread when the hub has its own.
            QObject::connect(server.get(), &hub::HubServer::panelReply, &m_panelSide,
                             [this](const QByteArray &bytes) { m_events.panelReply(bytes); });
            QObject::connect(server.get(), &hub::HubServer::lineGone, &m_panelSide,
                             [this](const QString &reason) { m_events.lineGone(reason); });
            QObject::connect(server.get(), &hub::HubServer::clientsChanged, &m_panelSide,
                             [this](const QList<hub::HubClientRow> &clients) {
                                 m_events.clientsChanged(clients);
                             });
            QObject::connect(
                server.get(), &hub::HubServer::traffic, &m_panelSide,
                [this](const QString &client, bool fromClient, const QByteArray &bytes) {
                    m_events.traffic(client, fromClient, bytes);
                });
            m_line = std::move(line);
            m_server = std::move(server);
        });
        return result;
    }

    void stop() override
    {
        // What the panel wrote before is taken first.
        runInHub([this] {
            m_server->stopAllMoves();
            if (m_ownThread)
                QThread::msleep(hub::HubServer::kDrainMs); // the stops reach the telescope
            m_server.reset();
            m_line->close();
            m_line.reset();
        });
    }

    void panelBytes(const QByteArray &bytes) override
    {
        if (!m_ownThread) {
            m_server->panelBytes(bytes);
            return;
        }
        hub::HubServer *server = m_server.get();
        QMetaObject::invokeMethod(server, [server, bytes] { server->panelBytes(bytes); });
    }

    void setReportTraffic(bool on) override
    {
        if (m_server)
            m_server->setReportTraffic(on); // an atomic flag
    }

private:
    void runInHub(const std::function<void()> &work)
    {
        if (!m_ownThread) {
            work();
            return;
        }
        if (!m_thread.isRunning())
            m_thread.start();
        QMetaObject::invokeMethod(&m_context, work, Qt::BlockingQueuedConnection);
    }

    Events m_events;
    bool m_ownThread = true;
    QThread m_thread;
    QObject m_context;   // lives in the hub's thread
    QObject m_panelSide; // lives in the panel's thread
    std::unique_ptr<SerialPort> m_line;
    std::unique_ptr<hub::HubServer> m_server;
};

} // namespace

} // namespace orrinet

extern "C" Q_DECL_EXPORT orrinet::SharingHost *
orrinet_sharing_host(bool ownThread, const orrinet::SharingHost::Events &events)
{
    return new orrinet::HubHost(ownThread, events);
}
