#pragma once

#include "link/sharinghost.h"
#include "platform/platform.h"
#include "platform/serialport.h"

#include <QByteArray>
#include <QList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace orrinet {

// The machine's line as the panel sees it, shared or not. Not shared, every
// call goes to the machine's line. Shared, the hub owns a line of its own
// (the machine's line stays closed) and serves the panel as one of its
// clients: what the panel writes goes to the hub, the hub's replies to the
// panel come back here and raise received() with the same threshold and
// quiet-gap rules as the machine's line. The hub runs in a thread of its own,
// so network clients are served while the panel waits in a pause; it is
// loaded the first time sharing starts.
class SharableLine final : public SerialPort
{
    Q_OBJECT

public:
    // The line falls quiet after a reply ends, as on the machine's line.
    static constexpr int quietGapMs = 3;
    static constexpr int receiveCapMs = 50;
    static constexpr int maxClients = SharingHost::maxClients;

    // ownThread false runs the hub on the caller's thread (tests on a fake line).
    SharableLine(SerialPort &direct, HubLineMaker maker, bool ownThread = true,
                 QObject *parent = nullptr);
    ~SharableLine() override;

    // nullopt: not shared. Takes effect now when the line is open (the line
    // is closed and opened again by whoever owns it next), else at open().
    void setSharing(std::optional<SharingOptions> options);
    std::optional<SharingOptions> sharing() const { return m_options; }
    bool shared() const { return m_hubOn; }
    // traffic() is raised while on.
    void setReportTraffic(bool on);

    void setPortNumber(int number) override;
    int portNumber() const override { return m_portNumber; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return shared() || m_direct.isOpen(); }
    QString errorString() const override;
    bool write(const QString &text) override;
    void setReceiveThreshold(int count) override;
    int receiveThreshold() const override { return m_threshold; }
    QString readAll() override;
    QString peekAll() override;
    int commEvent() const override { return shared() ? m_event : m_direct.commEvent(); }

Q_SIGNALS:
    // Sharing was asked for and could not start: one line saying why. The
    // line stays with the panel alone.
    void sharingFailed(const QString &reason);
    // Sharing started or ended.
    void sharingChanged();
    void clientsChanged(const QList<orrinet::hub::HubClientRow> &clients);
    void traffic(const QString &client, bool fromClient, const QByteArray &bytes);

private:
    using Start = SharingHost::Start;
    Start startHub(QString &reason);
    void stopHub();
    void reopenDirect();
    void hubLineGone(const QString &reason);

    void fromHub(const QByteArray &bytes);
    bool thresholdReached() const;
    void armReceive();
    void deliver();

    SerialPort &m_direct;
    HubLineMaker m_maker;
    bool m_ownThread = true;
    std::unique_ptr<SharingHost> m_host; // loaded the first time sharing starts
    bool m_hubOn = false;
    std::optional<SharingOptions> m_options;
    bool m_reportTraffic = false;

    QString m_error;
    int m_portNumber = 0;
    int m_threshold = 1;
    // The panel's input while shared.
    QByteArray m_input;
    QTimer m_quiet;
    QTimer m_cap;
    quint64 m_session = 0;
    int m_event = EventNone;
    bool m_delivering = false;
};

} // namespace orrinet
