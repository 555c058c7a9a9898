#include "link/sharableline.h"

#include <utility>

namespace orrinet {

SharableLine::SharableLine(SerialPort &direct, HubLineMaker maker, bool ownThread, QObject *parent)
    : SerialPort(parent), m_direct(direct), m_maker(std::move(maker)), m_ownThread(ownThread)
{
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
}

SharableLine::Start SharableLine::startHub(QString &reason)
{
    if (!m_host) {
        SharingHost::Events events;
        events.panelReply = [this](const QByteArray &bytes) { fromHub(bytes); };
        events.lineGone = [this](const QString &why) { hubLineGone(why); };
        events.clientsChanged = [this](const QList<hub::HubClientRow> &clients) {
            Q_EMIT clientsChanged(clients);
        };
        events.traffic = [this](const QString &client, bool fromClient, const QByteArray &bytes) {
            Q_EMIT traffic(client, fromClient, bytes);
        };
        m_host = loadSharingHost(m_ownThread, events, reason);
        if (!m_host)
            return Start::ListenFailed; // the panel keeps its line, as for a port in use
    }
    const Start result = m_host->start(m_maker, m_portNumber, *m_options, m_reportTraffic, reason);
    if (result == Start::Shared) {
        m_hubOn = true;
        ++m_session;
        m_input.clear();
    }
    return result;
}

void SharableLine::stopHub()
{
    // Every move any client left running is stopped, then the clients are
    // closed, then the line. What the panel wrote before is taken first.
    m_host->stop();
    m_hubOn = false;
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
    if (shared())
        m_host->setReportTraffic(on);
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
    m_host->panelBytes(text.toLatin1());
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
