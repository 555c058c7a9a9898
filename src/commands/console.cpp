// The "Send Command..." item: the command console, shown modally.

#include "app/frmMain.h"
#include "commands/frmCmd.h"

#include <QAction>

void frmMain::wireCommands()
{
    connect(SendButton, &QAction::triggered, this, &frmMain::SendButton_Click);
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
