// The About and key-map windows, as opened from the Program menu.

#include "app/KeyMap.h"
#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "app/version.h"

#include <QLabel>

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
