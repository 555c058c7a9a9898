// The LX200GPS and Autostar menus' connections, and the "Send Command..."
// item: the command console, shown modally.

#include "app/frmMain.h"
#include "commands/frmCmd.h"
#include "commands/maintenance.h"

#include <QAction>

void frmMain::wireCommands()
{
    for (const orrinet::MaintenanceItem &item : orrinet::kMaintenanceItems)
        connect(this->*item.action, &QAction::triggered, this,
                [this, &item] { maintenanceItem_Click(item); });
    connect(SendButton, &QAction::triggered, this, &frmMain::SendButton_Click);

    connect(AutostarQuery, &QAction::triggered, this, &frmMain::AutostarQuery_Click);
    connect(GotoPolaris[1], &QAction::triggered, this, [this] { GotoPolaris_Click(1); });
    for (int index = 1; index < int(GotoButton.size()); ++index)
        connect(GotoButton[std::size_t(index)], &QAction::triggered, this,
                [this, index] { GotoButton_Click(index); });
}

void frmMain::SendButton_Click()
{
    // Made on first use and kept, so its saved texts outlive each opening.
    if (!m_console)
        m_console = new frmCmd(*this);
    ConsoleOpen = true;
    // Receive events still run while the console is open; with ConsoleOpen
    // set, unexpected input shows up in its reply box.
    m_console->exec();
    ConsoleOpen = false;
}
