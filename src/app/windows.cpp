// The About, key-map and line-monitor windows, as opened from the Program menu.

#include "app/KeyMap.h"
#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "app/frmMonitor.h"
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
