// lx200sim: a simulated Meade LX200GPS on a pseudo-terminal and/or TCP port.

#include "options.h"
#include "signalwatcher.h"
#include "simulator.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const lx200sim::ParsedOptions parsed = lx200sim::parseOptions(app.arguments());
    if (!parsed.options) {
        std::fputs(parsed.message.toLocal8Bit().constData(), parsed.exitCode == 0 ? stdout : stderr);
        return parsed.exitCode;
    }

    std::signal(SIGPIPE, SIG_IGN);
    lx200sim::SignalWatcher signals({SIGINT, SIGTERM});
    lx200sim::Simulator simulator(*parsed.options);
    QObject::connect(&signals, &lx200sim::SignalWatcher::caught, &app, [&app] { app.exit(0); });
    QObject::connect(&simulator, &lx200sim::Simulator::hungUp, &app, [&app] {
        std::fputs("hangup\n", stderr);
        app.exit(0);
    });

    QString error;
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "lx200sim: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    for (const QString &line : simulator.endpoints())
        std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
    return app.exec();
}
