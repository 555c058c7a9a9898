#pragma once

// The hub in a thread of its own, as the panel uses it to share its line. It
// lives in a module of its own, loaded the first time sharing is switched on,
// so that the panel does not load the network libraries before then.

#include "hub/clientrow.h"
#include "platform/platform.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace orrinet {

// How the panel shares its line with other programs.
struct SharingOptions
{
    static constexpr quint16 kDefaultPort = 4030;

    bool localNetwork = false; // false: this computer only
    quint16 port = kDefaultPort;
    bool othersReadOnly = false;

    friend bool operator==(const SharingOptions &, const SharingOptions &) = default;
};

class SharingHost
{
public:
    static constexpr int maxClients = 8;

    // What the hub tells the panel, on the panel's thread.
    struct Events
    {
        std::function<void(const QByteArray &bytes)> panelReply;
        std::function<void(const QString &reason)> lineGone;
        std::function<void(const QList<hub::HubClientRow> &clients)> clientsChanged;
        std::function<void(const QString &client, bool fromClient, const QByteArray &bytes)>
            traffic;
    };
    enum class Start { Shared, LineFailed, ListenFailed };

    virtual ~SharingHost() = default;

    // Opens the line maker makes (in the hub's thread) and listens; the
    // panel is the hub's first client. Anything but Shared says why in reason.
    virtual Start start(const HubLineMaker &maker, int portNumber, const SharingOptions &options,
                        bool reportTraffic, QString &reason) = 0;
    // Stops every move a client left running, then closes the clients and the line.
    virtual void stop() = 0;
    // What the panel writes, in order.
    virtual void panelBytes(const QByteArray &bytes) = 0;
    virtual void setReportTraffic(bool on) = 0;
};

// The module's one entry point. ownThread false runs the hub on the caller's
// thread (tests on a fake line).
using SharingHostFactory = SharingHost *(*)(bool ownThread, const SharingHost::Events &events);
inline constexpr char kSharingHostFactory[] = "orrinet_sharing_host";

// Loads the module, from beside the program first, then from the installed
// library folder; nullptr and the loader's reason in error when it cannot.
std::unique_ptr<SharingHost> loadSharingHost(bool ownThread, const SharingHost::Events &events,
                                             QString &error);

} // namespace orrinet
