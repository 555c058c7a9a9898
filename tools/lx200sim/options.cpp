#include "options.h"

#include <QCommandLineParser>
#include <QTimeZone>

#include <random>

namespace lx200sim {

namespace {

struct Numbers {
    QString error;

    double real(const QCommandLineParser &parser, const QString &name, double min, double max)
    {
        bool ok = false;
        const double value = parser.value(name).toDouble(&ok);
        if (!ok || value < min || value > max)
            error = QStringLiteral("--%1: expected a number from %2 to %3").arg(name).arg(min).arg(max);
        return value;
    }

    qint64 whole(const QCommandLineParser &parser, const QString &name, qint64 min, qint64 max)
    {
        bool ok = false;
        const qint64 value = parser.value(name).toLongLong(&ok);
        if (!ok || value < min || value > max)
            error = QStringLiteral("--%1: expected a whole number from %2 to %3").arg(name).arg(min).arg(max);
        return value;
    }
};

ParsedOptions failure(const QString &message)
{
    return {std::nullopt, message + QStringLiteral("\nTry --help.\n"), 2};
}

} // namespace

ParsedOptions parseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated Meade LX200GPS with Autostar II hand controller.\n"
        "Prints the pseudo-terminal's device path on the first line of standard output\n"
        "(then tcp://127.0.0.1:PORT with --tcp) and serves until SIGINT or SIGTERM."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QList<QCommandLineOption> options{
        help,
        {QStringLiteral("mount"), QStringLiteral("Mount type: altaz (default), polar or german."),
         QStringLiteral("type"), QStringLiteral("altaz")},
        {QStringLiteral("com"),
         QStringLiteral("Map the panel's Com N to this line for the current user (settings group Ports, "
                        "key comN); the key is removed on exit."),
         QStringLiteral("N")},
        {QStringLiteral("tcp"), QStringLiteral("Also serve the line on 127.0.0.1:PORT, one client at a time "
                                               "(0 picks a free port)."),
         QStringLiteral("PORT")},
        {QStringLiteral("no-pty"), QStringLiteral("Open no pseudo-terminal (needs --tcp).")},
        {QStringLiteral("baud"), QStringLiteral("Line speed for reply pacing, 8N1 (default 9600)."),
         QStringLiteral("rate"), QStringLiteral("9600")},
        {QStringLiteral("no-pacing"), QStringLiteral("Send replies at once instead of at the line's speed.")},
        {QStringLiteral("gps-delay"), QStringLiteral("Seconds before \":gT#\" answers (default 3)."),
         QStringLiteral("s"), QStringLiteral("3")},
        {QStringLiteral("align-delay"), QStringLiteral("Seconds before \":Aa#\" answers (default 4)."),
         QStringLiteral("s"), QStringLiteral("4")},
        {QStringLiteral("gps-fail"), QStringLiteral("\":gT#\" answers 0 after its delay: no GPS fix.")},
        {QStringLiteral("taking-ms"), QStringLiteral("Milliseconds the display reads \"Taking Control\" after GoTo "
                                                     "(default 1500)."),
         QStringLiteral("MS"), QStringLiteral("1500")},
        {QStringLiteral("utc"), QStringLiteral("Start the telescope's clock at this UTC time, "
                                               "e.g. 2024-03-15T04:00:00 (default: now)."),
         QStringLiteral("time")},
        {QStringLiteral("latency"), QStringLiteral("Wait MS milliseconds before each reply."),
         QStringLiteral("MS"), QStringLiteral("0")},
        {QStringLiteral("drop"), QStringLiteral("Never answer CMD (e.g. :GW#, or :Sr for every RA target; "
                                                "ACK for the ACK byte). Repeatable."),
         QStringLiteral("CMD")},
        {QStringLiteral("truncate"), QStringLiteral("Cut the reply to CMD to N characters, e.g. :GR#:5. "
                                                    "Repeatable."),
         QStringLiteral("CMD:N")},
        {QStringLiteral("garbage"), QStringLiteral("Insert a random byte before each reply byte with this "
                                                   "probability (0..1)."),
         QStringLiteral("RATE"), QStringLiteral("0")},
        {QStringLiteral("flood"), QStringLiteral("Send random bytes whenever no reply is being sent "
                                                 "(at the line's speed, or flat out with --no-pacing).")},
        {QStringLiteral("hangup-after"), QStringLiteral("After N commands and their replies, close the line, "
                                                        "print \"hangup\" on standard error and exit 0."),
         QStringLiteral("N")},
        {QStringLiteral("low-precision"), QStringLiteral("Start in low precision, as a hand controller left so: "
                                                         "\":GR#\" answers HH:MM.T#, \":GD#\" sDD*MM# "
                                                         "until \":U#\" toggles the forms.")},
        {QStringLiteral("nak-when-busy"), QStringLiteral("Answer :GR#, :GD# and :GW# with NAK (0x15) while a "
                                                         "goto is under way.")},
        {QStringLiteral("seed"), QStringLiteral("Seed for --garbage and --flood (default: random)."),
         QStringLiteral("N")},
        {QStringLiteral("log"), QStringLiteral("Write each command and its reply to standard error.")},
        {QStringLiteral("command-log"),
         QStringLiteral("Write each command received to PATH as it arrives, one line each: milliseconds "
                        "since start (3 decimals), a blank, the command as --log shows it."),
         QStringLiteral("PATH")},
        {QStringLiteral("state"),
         QStringLiteral("Keep PATH holding the motion state as key=value lines, replaced after every "
                        "command and every 40 ms while anything moves."),
         QStringLiteral("PATH")},
    };
    parser.addOptions(options);

    if (!parser.parse(arguments))
        return failure(parser.errorText());
    if (parser.isSet(help))
        return {std::nullopt, parser.helpText(), 0};
    if (!parser.positionalArguments().isEmpty())
        return failure(QStringLiteral("unexpected argument: ") + parser.positionalArguments().first());

    SimOptions sim;
    Numbers numbers;

    const QString mount = parser.value(QStringLiteral("mount"));
    if (mount == QLatin1String("altaz"))
        sim.telescope.mountType = MountType::AltAz;
    else if (mount == QLatin1String("polar"))
        sim.telescope.mountType = MountType::Polar;
    else if (mount == QLatin1String("german"))
        sim.telescope.mountType = MountType::German;
    else
        return failure(QStringLiteral("--mount: expected altaz, polar or german"));

    if (parser.isSet(QStringLiteral("com")))
        sim.com = static_cast<int>(numbers.whole(parser, QStringLiteral("com"), 1, 255));
    if (parser.isSet(QStringLiteral("tcp")))
        sim.tcpPort = static_cast<quint16>(numbers.whole(parser, QStringLiteral("tcp"), 0, 65535));
    sim.pty = !parser.isSet(QStringLiteral("no-pty"));
    sim.baud = static_cast<int>(numbers.whole(parser, QStringLiteral("baud"), 50, 4'000'000));
    sim.pacing = !parser.isSet(QStringLiteral("no-pacing"));
    sim.telescope.gpsDelayNs =
        static_cast<qint64>(numbers.real(parser, QStringLiteral("gps-delay"), 0, 3600) * kNsPerSec);
    sim.telescope.alignDelayNs =
        static_cast<qint64>(numbers.real(parser, QStringLiteral("align-delay"), 0, 3600) * kNsPerSec);
    sim.telescope.gpsFails = parser.isSet(QStringLiteral("gps-fail"));
    sim.telescope.longFormat = !parser.isSet(QStringLiteral("low-precision"));
    sim.telescope.takingNs = numbers.whole(parser, QStringLiteral("taking-ms"), 0, 600'000) * kNsPerMs;
    if (parser.isSet(QStringLiteral("utc"))) {
        QDateTime utc = QDateTime::fromString(parser.value(QStringLiteral("utc")), Qt::ISODate);
        if (!utc.isValid())
            return failure(QStringLiteral("--utc: expected a time like 2024-03-15T04:00:00"));
        utc.setTimeZone(QTimeZone::utc());
        sim.telescope.utcAtStart = utc;
    }

    FaultOptions &faults = sim.faults;
    faults.latencyNs = numbers.whole(parser, QStringLiteral("latency"), 0, 600'000) * kNsPerMs;
    for (const QString &drop : parser.values(QStringLiteral("drop")))
        faults.drop.append(drop.toLatin1());
    for (const QString &cut : parser.values(QStringLiteral("truncate"))) {
        const auto truncation = parseTruncation(cut.toLatin1());
        if (!truncation)
            return failure(QStringLiteral("--truncate: expected CMD:N, e.g. :GR#:5"));
        faults.truncate.append(*truncation);
    }
    faults.garbageRate = numbers.real(parser, QStringLiteral("garbage"), 0, 1);
    faults.flood = parser.isSet(QStringLiteral("flood"));
    if (parser.isSet(QStringLiteral("hangup-after")))
        faults.hangupAfter = static_cast<int>(numbers.whole(parser, QStringLiteral("hangup-after"), 1, 1'000'000'000));
    faults.nakWhenBusy = parser.isSet(QStringLiteral("nak-when-busy"));
    faults.seed = parser.isSet(QStringLiteral("seed"))
        ? static_cast<quint32>(numbers.whole(parser, QStringLiteral("seed"), 0, 0xFFFFFFFFLL))
        : std::random_device{}();
    sim.log = parser.isSet(QStringLiteral("log"));
    sim.commandLogPath = parser.value(QStringLiteral("command-log"));
    sim.statePath = parser.value(QStringLiteral("state"));

    if (!numbers.error.isEmpty())
        return failure(numbers.error);
    if (!sim.pty && !sim.tcpPort)
        return failure(QStringLiteral("--no-pty needs --tcp"));
    return {sim, QString(), 0};
}

} // namespace lx200sim
