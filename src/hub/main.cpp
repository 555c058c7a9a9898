// orrinet-hub: one LX200 telescope line shared by any number of LX200
// clients over TCP.

#include "hub/hubcommandline.h"
#include "hub/hubserver.h"
#include "platform/qtserialline.h"
#include "platform/settingsstore.h"
#include "platform/terminationsignals.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <variant>

namespace {

// The line is named on the command line: no port numbers to map.
class NoSettings final : public orrinet::SettingsStore
{
public:
    QString read(const QString &, const QString &, const QString &defaultValue) const override
    {
        return defaultValue;
    }
    bool write(const QString &, const QString &, const QString &) override { return false; }
    bool removeSection(const QString &) override { return false; }
    bool flush() override { return true; }
};

int fail(const QString &reason)
{
    std::fprintf(stderr, "orrinet-hub: %s\n", reason.toLocal8Bit().constData());
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    using namespace orrinet;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orrinet-hub"));

    const auto parsed = hub::parseCommandLine(QCoreApplication::arguments().mid(1));
    if (const QString *error = std::get_if<QString>(&parsed))
        return fail(*error + QStringLiteral(" (--help lists the options)"));
    const hub::HubCommandLine &options = std::get<hub::HubCommandLine>(parsed);
    if (options.help) {
        std::fputs(hub::usageText().toLocal8Bit().constData(), stdout);
        return 0;
    }

    const TerminationSignals watcher({SIGINT, SIGTERM});
    const NoSettings settings;
    QtSerialLine line(settings);
    line.setDevice(options.line);
    line.setDeliverAtOnce(true); // the hub frames the replies itself
    if (!line.open())
        return fail(QStringLiteral("cannot open the line: %1").arg(line.errorString()));

    hub::HubServer server(options.settings, line);
    if (const std::optional<QString> error = server.listen(options.listen))
        return fail(*error);
    QObject::connect(&watcher, &TerminationSignals::caught, &server, &hub::HubServer::shutdown);
    QObject::connect(&server, &hub::HubServer::finished, &app, [] { QCoreApplication::exit(0); });
    return QCoreApplication::exec();
}
