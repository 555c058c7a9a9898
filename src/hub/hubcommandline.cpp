#include "hub/hubcommandline.h"

#include <QCommandLineParser>
#include <limits>
#include <optional>

namespace orrinet::hub {

namespace {

std::optional<ListenAddress> parseListen(const QString &text)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return std::nullopt;
    QString host = text.left(colon);
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    else if (host.contains(u':'))
        return std::nullopt; // an IPv6 address goes in brackets
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    const QHostAddress address(host);
    if (!ok || port > std::numeric_limits<quint16>::max() || address.isNull())
        return std::nullopt;
    return ListenAddress{address, static_cast<quint16>(port)};
}

std::optional<int> parseCount(const QString &text, int least)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= least ? std::optional<int>(value) : std::nullopt;
}

} // namespace

QString usageText()
{
    return QStringLiteral(
        "usage: orrinet-hub --line DEVICE|tcp://HOST:PORT [--listen ADDR:PORT]...\n"
        "                   [--allow CIDR]... [--read-only CIDR]... [--max-clients N]\n"
        "                   [--poll-ms N] [--silence-stop-ms N] [--verbose]\n"
        "Shares one LX200 telescope line among LX200 clients over TCP.\n"
        "  --line DEVICE          the telescope's serial device, or tcp://HOST:PORT\n"
        "  --listen ADDR:PORT     where clients connect (default 127.0.0.1:4030; repeatable)\n"
        "  --allow CIDR           only these clients may connect (repeatable)\n"
        "  --read-only CIDR       these clients may only query (repeatable)\n"
        "  --max-clients N        clients at once (default 8)\n"
        "  --poll-ms N            position read from the line at most this often (default 250)\n"
        "  --silence-stop-ms N    stop a silent client's move after this long (default 2000)\n"
        "  --verbose              log every exchange\n");
}

std::variant<HubCommandLine, QString> parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption line(QStringLiteral("line"), QString(), QStringLiteral("DEVICE"));
    const QCommandLineOption listen(QStringLiteral("listen"), QString(), QStringLiteral("ADDR"));
    const QCommandLineOption allow(QStringLiteral("allow"), QString(), QStringLiteral("CIDR"));
    const QCommandLineOption readOnly(QStringLiteral("read-only"), QString(),
                                      QStringLiteral("CIDR"));
    const QCommandLineOption maxClients(QStringLiteral("max-clients"), QString(),
                                        QStringLiteral("N"));
    const QCommandLineOption pollMs(QStringLiteral("poll-ms"), QString(), QStringLiteral("N"));
    const QCommandLineOption silenceMs(QStringLiteral("silence-stop-ms"), QString(),
                                       QStringLiteral("N"));
    const QCommandLineOption verbose(QStringLiteral("verbose"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    parser.addOptions(
        {line, listen, allow, readOnly, maxClients, pollMs, silenceMs, verbose, help});
    if (!parser.parse(QStringList{QStringLiteral("orrinet-hub")} + arguments))
        return parser.errorText();

    HubCommandLine result;
    if (parser.isSet(help)) {
        result.help = true;
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments()[0]);
    if (parser.values(line).size() != 1 || parser.value(line).isEmpty())
        return QStringLiteral("--line DEVICE|tcp://HOST:PORT is needed, once");
    result.line = parser.value(line);

    for (const QString &text : parser.values(listen)) {
        const std::optional<ListenAddress> address = parseListen(text);
        if (!address)
            return QStringLiteral("--listen %1: not an ADDR:PORT").arg(text);
        result.listen << *address;
    }
    if (result.listen.isEmpty())
        result.listen << ListenAddress{QHostAddress(QHostAddress::LocalHost), kDefaultPort};

    for (const auto &[option, target] : {std::pair{&allow, &result.settings.access.allow},
                                         std::pair{&readOnly, &result.settings.access.readOnly}}) {
        for (const QString &text : parser.values(*option)) {
            const std::optional<Subnet> subnet = parseSubnet(text);
            if (!subnet)
                return QStringLiteral("--%1 %2: not an address or CIDR range")
                    .arg(option->names().constFirst(), text);
            *target << *subnet;
        }
    }

    for (const auto &[option, target, least] :
         {std::tuple{&maxClients, &result.settings.maxClients, 1},
          std::tuple{&pollMs, &result.settings.pollMs, 0},
          std::tuple{&silenceMs, &result.settings.silenceStopMs, 1}}) {
        if (!parser.isSet(*option))
            continue;
        const std::optional<int> value = parseCount(parser.value(*option), least);
        if (!value)
            return QStringLiteral("--%1 %2: not a whole number of at least %3")
                .arg(option->names().constFirst(), parser.value(*option))
                .arg(least);
        *target = *value;
    }
    result.settings.verbose = parser.isSet(verbose);
    return result;
}

} // namespace orrinet::hub
