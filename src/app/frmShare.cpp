#include "app/frmShare.h"

#include "hub/clientrow.h"
#include "link/protocol.h"
#include "platform/settingsstore.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>

namespace orrinet {

namespace {

const QString kShareKey = QStringLiteral("share");
const QString kNetworkKey = QStringLiteral("local_network");
const QString kPortKey = QStringLiteral("port");
const QString kReadOnlyKey = QStringLiteral("others_read_only");

bool readFlag(const SettingsStore &settings, const QString &key)
{
    return settings.read(kSharingSection, key, QStringLiteral("0")).trimmed() ==
           QStringLiteral("1");
}

QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

struct NamedStop
{
    QLatin1StringView stop;
    const char *name;
};

constexpr std::array<NamedStop, 6> kNamedStops{{{kStopNorth, "north"},
                                                {kStopSouth, "south"},
                                                {kStopEast, "east"},
                                                {kStopWest, "west"},
                                                {kFocusStop, "focuser"},
                                                {kHaltAll, "goto"}}};

} // namespace

SharingChoice readSharingChoice(const SettingsStore &settings)
{
    SharingChoice choice;
    choice.share = readFlag(settings, kShareKey);
    choice.options.localNetwork = readFlag(settings, kNetworkKey);
    choice.options.othersReadOnly = readFlag(settings, kReadOnlyKey);
    bool ok = false;
    const uint port =
        settings.read(kSharingSection, kPortKey, QString::number(SharingOptions::kDefaultPort))
            .trimmed()
            .toUInt(&ok);
    if (ok && port >= 1 && port <= 65535)
        choice.options.port = static_cast<quint16>(port);
    return choice;
}

void writeSharingChoice(SettingsStore &settings, const SharingChoice &before,
                        const SharingChoice &choice)
{
    bool changed = false;
    const auto write = [&](const QString &key, const QString &old, const QString &value) {
        if (old != value) {
            settings.write(kSharingSection, key, value);
            changed = true;
        }
    };
    write(kShareKey, flagText(before.share), flagText(choice.share));
    write(kNetworkKey, flagText(before.options.localNetwork),
          flagText(choice.options.localNetwork));
    write(kPortKey, QString::number(before.options.port), QString::number(choice.options.port));
    write(kReadOnlyKey, flagText(before.options.othersReadOnly),
          flagText(choice.options.othersReadOnly));
    if (changed)
        settings.flush();
}

QString movesText(const std::vector<QByteArray> &owedStops)
{
    QStringList names;
    for (const QByteArray &stop : owedStops)
        for (const NamedStop &named : kNamedStops)
            if (QByteArrayView(named.stop.data(), named.stop.size()) == stop)
                names << QLatin1String(named.name);
    return names.join(QStringLiteral(", "));
}

frmShare::frmShare(SharableLine &line, SettingsStore &settings, QWidget *owner)
    : QWidget(owner, Qt::Window), m_line(line), m_settings(settings)
{
    setObjectName(QStringLiteral("frmShare"));
    setWindowTitle(QStringLiteral("Share Telescope"));

    CheckShare = new QCheckBox(QStringLiteral("Share this telescope"), this);
    CheckShare->setObjectName(QStringLiteral("CheckShare"));
    OptionLocal = new QRadioButton(QStringLiteral("This computer only"), this);
    OptionLocal->setObjectName(QStringLiteral("OptionLocal"));
    OptionNetwork = new QRadioButton(QStringLiteral("Local network"), this);
    OptionNetwork->setObjectName(QStringLiteral("OptionNetwork"));
    SpinPort = new QSpinBox(this);
    SpinPort->setObjectName(QStringLiteral("SpinPort"));
    SpinPort->setRange(1, 65535);
    SpinPort->setKeyboardTracking(false); // a port is taken once typed, not digit by digit
    CheckReadOnly = new QCheckBox(QStringLiteral("Other programs may only read"), this);
    CheckReadOnly->setObjectName(QStringLiteral("CheckReadOnly"));
    LabelState = new QLabel(this);
    LabelState->setObjectName(QStringLiteral("LabelState"));
    LabelState->setTextFormat(Qt::PlainText);
    ListClients = new QTreeWidget(this);
    ListClients->setObjectName(QStringLiteral("ListClients"));
    ListClients->setRootIsDecorated(false);
    ListClients->setSelectionMode(QAbstractItemView::NoSelection);
    ListClients->setHeaderLabels({QStringLiteral("Address"), QStringLiteral("Port"),
                                  QStringLiteral("Connected"), QStringLiteral("Last command"),
                                  QStringLiteral("Moves running")});
    ListClients->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto *where = new QHBoxLayout;
    where->addWidget(OptionLocal);
    where->addWidget(OptionNetwork);
    where->addStretch(1);
    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(QStringLiteral("Reachable from:"), where);
    form->addRow(QStringLiteral("Port:"), SpinPort);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(CheckShare);
    layout->addLayout(form);
    layout->addWidget(CheckReadOnly);
    layout->addWidget(LabelState);
    layout->addWidget(ListClients, 1);
    resize(560, 300);

    m_choice = readSharingChoice(m_settings);
    showChoice();
    m_line.setSharing(m_choice.share ? std::optional(m_choice.options) : std::nullopt);
    showState();

    for (QAbstractButton *box :
         {static_cast<QAbstractButton *>(CheckShare), static_cast<QAbstractButton *>(OptionNetwork),
          static_cast<QAbstractButton *>(CheckReadOnly)})
        connect(box, &QAbstractButton::toggled, this, &frmShare::choiceChanged);
    connect(SpinPort, &QSpinBox::valueChanged, this, &frmShare::choiceChanged);
    connect(&m_line, &SharableLine::sharingChanged, this, &frmShare::showState);
    connect(&m_line, &SharableLine::sharingFailed, this, &frmShare::sharingFailed);
    connect(&m_line, &SharableLine::clientsChanged, this, &frmShare::showClients);
}

void frmShare::showChoice()
{
    m_showing = true;
    CheckShare->setChecked(m_choice.share);
    (m_choice.options.localNetwork ? OptionNetwork : OptionLocal)->setChecked(true);
    SpinPort->setValue(m_choice.options.port);
    CheckReadOnly->setChecked(m_choice.options.othersReadOnly);
    m_showing = false;
}

void frmShare::choiceChanged()
{
    if (m_showing)
        return;
    m_failure.clear();
    SharingChoice choice;
    choice.share = CheckShare->isChecked();
    choice.options.localNetwork = OptionNetwork->isChecked();
    choice.options.port = static_cast<quint16>(SpinPort->value());
    choice.options.othersReadOnly = CheckReadOnly->isChecked();
    writeSharingChoice(m_settings, m_choice, choice);
    m_choice = choice;
    m_line.setSharing(m_choice.share ? std::optional(m_choice.options) : std::nullopt);
    showState();
}

void frmShare::sharingFailed(const QString &reason)
{
    const SharingChoice before = m_choice;
    m_choice.share = false;
    writeSharingChoice(m_settings, before, m_choice);
    showChoice();
    m_failure = reason;
    showState();
}

void frmShare::showState()
{
    const QString port = QString::number(m_choice.options.port);
    if (m_line.shared())
        m_failure.clear();
    if (!m_failure.isEmpty())
        LabelState->setText(QStringLiteral("Not shared: ") + m_failure);
    else if (m_line.shared())
        LabelState->setText(m_choice.options.localNetwork
                                ? QStringLiteral("Shared on port ") + port +
                                      QStringLiteral(" of this computer's local network addresses")
                                : QStringLiteral("Shared on 127.0.0.1:") + port);
    else if (m_choice.share)
        LabelState->setText(QStringLiteral("Shared once the panel is connected"));
    else
        LabelState->setText(QStringLiteral("Not shared"));
    if (!m_line.shared())
        ListClients->clear();
}

void frmShare::showClients(const QList<hub::HubClientRow> &clients)
{
    ListClients->clear();
    if (!m_line.shared())
        return; // a list sent just before sharing ended
    for (const hub::HubClientRow &client : clients)
        new QTreeWidgetItem(ListClients,
                            {client.address, QString::number(client.port),
                             client.since.toString(QStringLiteral("HH:mm:ss")),
                             hub::printableText(client.lastCommand), movesText(client.owedStops)});
}

} // namespace orrinet
