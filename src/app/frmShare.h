#pragma once

#include "link/sharableline.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QRadioButton;
class QSpinBox;
class QTreeWidget;

namespace orrinet {

class SettingsStore;

// The sharing choices as the settings store keeps them, in a section of their own.
inline constexpr QLatin1StringView kSharingSection("Sharing");

struct SharingChoice
{
    bool share = false;
    SharingOptions options;
};

SharingChoice readSharingChoice(const SettingsStore &settings);
// Writes the keys whose value differs from `before`.
void writeSharingChoice(SettingsStore &settings, const SharingChoice &before,
                        const SharingChoice &choice);

// "north", "focuser", "goto": the moves a client has running, named from
// their stops.
QString movesText(const std::vector<QByteArray> &owedStops);

// Program > Share Telescope: a window of its own, not modal. Made at start-up,
// so that the remembered choice applies to the first Connect; the line is
// shared while the panel is connected and "Share this telescope" is ticked.
class frmShare final : public QWidget
{
    Q_OBJECT

public:
    frmShare(SharableLine &line, SettingsStore &settings, QWidget *owner);

    SharingChoice choice() const { return m_choice; }

    QCheckBox *CheckShare = nullptr;
    QRadioButton *OptionLocal = nullptr;
    QRadioButton *OptionNetwork = nullptr;
    QSpinBox *SpinPort = nullptr;
    QCheckBox *CheckReadOnly = nullptr;
    QLabel *LabelState = nullptr;
    QTreeWidget *ListClients = nullptr;

private:
    void showChoice();
    void choiceChanged();
    void showState();
    void sharingFailed(const QString &reason);
    void showClients(const QList<hub::HubClientRow> &clients);

    SharableLine &m_line;
    SettingsStore &m_settings;
    SharingChoice m_choice;
    QString m_failure;      // why the last try to share failed, until the choice changes
    bool m_showing = false; // controls being set from the choice
};

} // namespace orrinet
