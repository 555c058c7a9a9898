// The Autostar menu: the display query, and the keypad macros that make the
// hand controller pick Polaris or a solar-system object and go there. The
// display text that ends a macro is served next door.

#include "app/frmMain.h"
#include "link/protocol.h"
#include "platform/blockingwait.h"
#include "platform/serialport.h"

#include <QAction>
#include <QStringList>

void frmMain::AutostarQuery_Click()
{
    if (Comm1.isOpen()) {
        setStatusText(QStringLiteral("Queryinq Autostar..."));
        startExchange();
        awaitReply(orrinet::Awaiting::Autostar);
        Comm1.setReceiveThreshold(orrinet::awaitedReply(orrinet::Awaiting::Autostar).threshold);
        Comm1.write(orrinet::kAutostarDisplay);
    }
    focusPad();
}

void frmMain::GotoPolaris_Click(int /*Index*/)
{
    if (Comm1.isOpen()) {
        setStatusText(QStringLiteral("Goto Polaris..."));
        QStringList commands;
        for (const QLatin1StringView command : orrinet::kPolarisMacro)
            commands << command;
        sendKeypadMacro(commands);
    }
    focusPad();
}

void frmMain::GotoButton_Click(int Index)
{
    // Only the nine menu entries have a first command; the keys alone would
    // start a goto to whatever the hand controller chose last.
    const bool known = Index >= 1 && Index < int(GotoButton.size());
    if (known && Comm1.isOpen()) {
        const auto index = static_cast<std::size_t>(Index);
        setStatusText(QStringLiteral("Goto ") + GotoButton[index]->text() + QStringLiteral("..."));
        QStringList commands{PlanetCommands[index]};
        for (const QLatin1StringView command : orrinet::kPlanetMacroTail)
            commands << command;
        sendKeypadMacro(commands);
    }
    focusPad();
}

void frmMain::sendKeypadMacro(const QStringList &commands)
{
    startExchange();
    awaitReply(orrinet::Awaiting::AutostarGoto);
    Comm1.setReceiveThreshold(orrinet::awaitedReply(orrinet::Awaiting::AutostarGoto).threshold);
    for (qsizetype step = 0; step < commands.size(); ++step) {
        // The hand controller takes one key at a time.
        if (step > 0)
            Pause.wait(orrinet::kPauseMacroStepMs);
        // A line that went away during the pause gets nothing more.
        if (!Comm1.isOpen())
            return;
        Comm1.write(commands[step]);
    }
}
