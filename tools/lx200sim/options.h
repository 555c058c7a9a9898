#pragma once

#include "faults.h"
#include "telescope.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace lx200sim {

struct SimOptions {
    TelescopeConfig telescope;
    FaultOptions faults;
    bool pacing = true;
    int baud = 9600;
    std::optional<int> com;           // map the panel's Com N to the line
    std::optional<quint16> tcpPort;
    bool pty = true;
    bool log = false;                 // each exchange on standard error
    QString commandLogPath;           // every command, time-stamped
    QString statePath;                // the motion state, kept up to date
};

struct ParsedOptions {
    std::optional<SimOptions> options;  // empty: print message and stop
    QString message;
    int exitCode = 0;
};

// arguments[0] is the program name, as in QCoreApplication::arguments().
ParsedOptions parseOptions(const QStringList &arguments);

} // namespace lx200sim
