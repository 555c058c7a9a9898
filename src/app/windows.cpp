// The About, key-map and line-monitor windows, as opened from the Program menu.

#include "app/KeyMap.h"
#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "app/frmMonitor.h"
#include "app/frmShare.h"
#include "app/version.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

void frmMain::HelpAboutButton_Click()
{
    // Built anew for every opening, so it lays itself out each time.
    m_about = new frmAbout(this);
    m_about->VersionLabel->setText(orrinet::kVersionText);
    m_about->DateLabel->setText(orrinet::kBuildDate);
    m_about->exec();
    delete m_about;
    m_about = nullptr;
    focusPad();
}

void frmMain::HelpKeymapButton_Click()
{
    keyMap().showWindow();
}

void frmMain::wireShare()
{
    ShareButton = ProgramlMenu->addAction(QStringLiteral("Share Telescope..."));
    ShareButton->setObjectName(QStringLiteral("ShareButton"));
    connect(ShareButton, &QAction::triggered, this, &frmMain::ShareButton_Click);
    // Made now: the remembered choice applies to the first Connect.
    m_share = new orrinet::frmShare(m_sharable, Settings, this);
    connect(&m_sharable, &orrinet::SharableLine::sharingChanged, this, [this] {
        m_lineTap.setClientName(m_sharable.shared() ? QStringLiteral("panel") : QString());
    });
    m_sharable.setReportTraffic(true);
    connect(&m_sharable, &orrinet::SharableLine::traffic, this,
            [this](const QString &client, bool fromClient, const QByteArray &bytes) {
                m_lineTap.recordFor(client,
                                    fromClient ? orrinet::LineDirection::Written
                                               : orrinet::LineDirection::Read,
                                    QString::fromLatin1(bytes));
            });
}

void frmMain::ShareButton_Click()
{
    m_share->show();
    m_share->raise();
    m_share->activateWindow();
}

void frmMain::wireMonitor()
{
    LineMonitorButton = ProgramlMenu->addAction(QStringLiteral("Line Monitor"));
    LineMonitorButton->setObjectName(QStringLiteral("LineMonitorButton"));
    connect(LineMonitorButton, &QAction::triggered, this, &frmMain::LineMonitorButton_Click);
}

void frmMain::LineMonitorButton_Click()
{
    if (!m_monitor)
        m_monitor = new orrinet::frmMonitor(m_lineTap, this);
    m_monitor->show();
    m_monitor->raise();
    m_monitor->activateWindow();
}
