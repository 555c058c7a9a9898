#include "interpreter.h"

#include "angles.h"

#include <QDate>
#include <QTime>

#include <array>
#include <cstdio>

namespace lx200sim {

namespace {

using Result = std::optional<Reply>;
using Handler = Result (*)(Telescope &, QByteArrayView args);

Result text(QByteArray bytes) { return Reply{std::move(bytes), 0}; }
Result none() { return std::nullopt; }
Result verdict(bool ok) { return text(ok ? "1" : "0"); }

QByteArrayView trimmed(QByteArrayView args)
{
    while (!args.isEmpty() && args.front() == ' ')
        args = args.sliced(1);
    return args;
}

std::optional<int> toInt(QByteArrayView args)
{
    bool ok = false;
    const int value = trimmed(args).toByteArray().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<double> toDouble(QByteArrayView args)
{
    bool ok = false;
    const double value = trimmed(args).toByteArray().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

QByteArray twoDigits(int value)
{
    return QByteArray::number(value).rightJustified(2, '0');
}

QByteArray raText(Telescope &t, double hours)
{
    return (t.longFormat() ? formatHms(hours) : formatHmTenths(hours)) + '#';
}

QByteArray decText(Telescope &t, double degrees)
{
    return formatDegrees(degrees, {.sign = true, .degreeDigits = 2, .seconds = t.longFormat()}) + '#';
}

// --- position and site queries -------------------------------------------------

Result getRa(Telescope &t, QByteArrayView) { return text(raText(t, t.mount().position().raHours)); }
Result getDec(Telescope &t, QByteArrayView) { return text(decText(t, t.mount().position().decDegrees)); }
Result getTargetRa(Telescope &t, QByteArrayView) { return text(raText(t, t.target().raHours)); }
Result getTargetDec(Telescope &t, QByteArrayView) { return text(decText(t, t.target().decDegrees)); }

Result getAzimuth(Telescope &t, QByteArrayView)
{
    const Horizontal h = t.observatory().horizontal(t.mount().position());
    return text(formatDegrees(h.azimuthDegrees,
                              {.sign = false, .degreeDigits = 3, .seconds = t.longFormat(), .wrap360 = true})
                + '#');
}

Result getAltitude(Telescope &t, QByteArrayView)
{
    const Horizontal h = t.observatory().horizontal(t.mount().position());
    return text(formatDegrees(h.altitudeDegrees, {.sign = true, .degreeDigits = 2, .seconds = t.longFormat()})
                + '#');
}

Result getSiderealTime(Telescope &t, QByteArrayView)
{
    return text(formatHms(t.observatory().localSiderealDegrees() / 15.0) + '#');
}

QByteArray clockText(const QTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss")).toLatin1() + '#';
}

Result getLocalTime(Telescope &t, QByteArrayView) { return text(clockText(t.observatory().local().time())); }

Result getLocalTime12(Telescope &t, QByteArrayView)
{
    const QTime time = t.observatory().local().time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return text(twoDigits(hour12) + time.toString(QStringLiteral(":mm:ss")).toLatin1() + '#');
}

Result getDate(Telescope &t, QByteArrayView)
{
    return text(t.observatory().local().date().toString(QStringLiteral("MM/dd/yy")).toLatin1() + '#');
}

Result getUtcOffset(Telescope &t, QByteArrayView)
{
    char buffer[16];
    const int n = std::snprintf(buffer, sizeof buffer, "%+05.1f#", t.observatory().site().utcOffsetHours);
    return text(QByteArray(buffer, n));
}

Result getLatitude(Telescope &t, QByteArrayView)
{
    return text(formatDegrees(t.observatory().site().latitudeDegrees,
                              {.sign = true, .degreeDigits = 2, .seconds = false})
                + '#');
}

Result getLongitude(Telescope &t, QByteArrayView)
{
    return text(formatDegrees(t.observatory().site().westLongitudeDegrees,
                              {.sign = true, .degreeDigits = 3, .seconds = false})
                + '#');
}

Result getTrackingRate(Telescope &, QByteArrayView) { return text("+60.1#"); }
Result getClockFormat(Telescope &, QByteArrayView) { return text("24#"); }

template <int Index>
Result getSiteName(Telescope &t, QByteArrayView)
{
    return text(t.observatory().site().names[Index] + '#');
}

template <int Index>
Result setSiteName(Telescope &t, QByteArrayView args)
{
    t.observatory().site().names[Index] = trimmed(args).toByteArray().left(15);
    return verdict(true);
}

Result getProduct(Telescope &, QByteArrayView) { return text("LX2001#"); }
Result getFirmware(Telescope &, QByteArrayView) { return text("4.2l#"); }
Result getFirmwareDate(Telescope &, QByteArrayView) { return text("Oct 05 2007#"); }
Result getFirmwareTime(Telescope &, QByteArrayView) { return text("10:26:17#"); }
Result getFullVersion(Telescope &, QByteArrayView) { return text("LX200GPS 4.2l#"); }

Result getStatus(Telescope &t, QByteArrayView)
{
    const char status[] = {t.mountLetter(), t.trackingLetter(), t.alignmentLetter(), '#'};
    return text(QByteArray(status, sizeof status));
}

// The distance bars: one bar while a goto is under way.
Result getDistanceBars(Telescope &t, QByteArrayView) { return text(t.mount().gotoActive() ? "|#" : "#"); }

// --- setters -------------------------------------------------------------------

Result setTargetRa(Telescope &t, QByteArrayView args)
{
    const auto hours = parseHours(args);
    if (hours)
        t.setTargetRa(*hours);
    return verdict(hours.has_value());
}

Result setTargetDec(Telescope &t, QByteArrayView args)
{
    const auto degrees = parseDegrees(args, 90.0);
    if (degrees)
        t.setTargetDec(*degrees);
    return verdict(degrees.has_value());
}

Result setLatitude(Telescope &t, QByteArrayView args)
{
    const auto degrees = parseDegrees(args, 90.0);
    if (degrees)
        t.observatory().site().latitudeDegrees = *degrees;
    return verdict(degrees.has_value());
}

Result setLongitude(Telescope &t, QByteArrayView args)
{
    const auto degrees = parseDegrees(args, 360.0);
    if (degrees)
        t.observatory().site().westLongitudeDegrees = wrap180(*degrees);
    return verdict(degrees.has_value());
}

// The telescope keeps local time: a new offset moves UTC, not the wall clock.
Result setUtcOffset(Telescope &t, QByteArrayView args)
{
    const auto hours = parseSignedDecimal(args);
    if (!hours || *hours < -24.0 || *hours > 24.0)
        return verdict(false);
    const QDateTime local = t.observatory().local();
    t.observatory().site().utcOffsetHours = *hours;
    t.observatory().setLocal(local);
    return verdict(true);
}

Result setLocalTime(Telescope &t, QByteArrayView args)
{
    const QByteArray value = trimmed(args).toByteArray();
    const QTime time = QTime::fromString(QString::fromLatin1(value), QStringLiteral("HH:mm:ss"));
    if (value.size() != 8 || !time.isValid())
        return verdict(false);
    QDateTime local = t.observatory().local();
    local.setTime(time);
    t.observatory().setLocal(local);
    return verdict(true);
}

// A valid date is followed by the two texts the handbox shows while it
// recomputes the planets, each padded to 32 characters.
Result setDate(Telescope &t, QByteArrayView args)
{
    const auto date = parseDate(args);
    if (!date)
        return verdict(false);
    QDateTime local = t.observatory().local();
    local.setDate(QDate(date->year, date->month, date->day));
    t.observatory().setLocal(local);
    return text("1" + QByteArray("Updating Planetary Data").leftJustified(32, ' ') + '#'
                + QByteArray(32, ' ') + '#');
}

Result acceptOnly(Telescope &, QByteArrayView) { return verdict(true); }

// --- motion --------------------------------------------------------------------

Result slewToTarget(Telescope &t, QByteArrayView)
{
    switch (t.slewTo(t.target(), t.targetName())) {
    case SlewVerdict::Started:
        return text("0");
    case SlewVerdict::BelowHorizon:
        return text("1Object Below Horizon#");
    case SlewVerdict::Parked:
        return text("2Telescope Parked#");
    case SlewVerdict::Asleep:
        return text("2Telescope Asleep#");
    }
    return none();
}

Result syncToTarget(Telescope &t, QByteArrayView)
{
    t.mount().syncTo(t.target());
    if (!t.targetName().isEmpty())
        return text(t.targetName() + '#');
    return text("Coordinates     matched.        #");
}

Result syncQuiet(Telescope &t, QByteArrayView)
{
    t.mount().syncTo(t.target());
    return none();
}

template <Direction D>
Result move(Telescope &t, QByteArrayView)
{
    if (t.canMove())
        t.mount().startMove(D);
    return none();
}

template <Direction D>
Result stop(Telescope &t, QByteArrayView)
{
    t.mount().stopMove(D);
    return none();
}

Result stopAll(Telescope &t, QByteArrayView)
{
    t.mount().stopAll();
    return none();
}

// ":Mgdnnnn#": guide pulse of nnnn milliseconds.
Result guidePulse(Telescope &t, QByteArrayView args)
{
    static constexpr std::array<std::pair<char, Direction>, 4> directions{
        {{'n', Direction::North}, {'s', Direction::South}, {'e', Direction::East}, {'w', Direction::West}}};
    if (args.isEmpty() || !t.canMove())
        return none();
    const auto ms = toInt(args.sliced(1));
    for (const auto &[letter, direction] : directions) {
        if (letter == args.front() && ms && *ms > 0)
            t.mount().pulse(direction, qint64(*ms) * kNsPerMs);
    }
    return none();
}

template <int Rate>
Result setRate(Telescope &t, QByteArrayView)
{
    static constexpr std::array rates{Mount::kGuideRate, Mount::kCenteringRate, Mount::kFindRate, Mount::kMaxRate};
    t.mount().setRates(rates[Rate], rates[Rate]);
    return none();
}

Result setRaRate(Telescope &t, QByteArrayView args)
{
    if (const auto rate = toDouble(args); rate && *rate >= 0 && *rate <= Mount::kMaxRate)
        t.mount().setRaRate(*rate);
    return none();
}

Result setDecRate(Telescope &t, QByteArrayView args)
{
    if (const auto rate = toDouble(args); rate && *rate >= 0 && *rate <= Mount::kMaxRate)
        t.mount().setDecRate(*rate);
    return none();
}

// --- focuser -------------------------------------------------------------------

template <int Direction>
Result focus(Telescope &t, QByteArrayView)
{
    t.focuser().move(Direction);
    return none();
}

template <int Speed>
Result focusSpeed(Telescope &t, QByteArrayView)
{
    t.focuser().setSpeed(Speed);
    return none();
}

Result focusBusy(Telescope &t, QByteArrayView) { return text(t.focuser().moving() ? "1" : "0"); }

// --- housekeeping ----------------------------------------------------------------

Result initialize(Telescope &t, QByteArrayView) { t.initialize(); return none(); }
Result alignFromHome(Telescope &t, QByteArrayView) { t.alignFromHome(); return none(); }
Result storeHome(Telescope &, QByteArrayView) { return none(); }
Result park(Telescope &t, QByteArrayView) { t.park(); return none(); }
Result sleep(Telescope &t, QByteArrayView) { t.sleep(); return none(); }
Result wake(Telescope &t, QByteArrayView) { t.wake(); return none(); }

// A failed fix takes as long as a good one.
Result gpsUpdate(Telescope &t, QByteArrayView)
{
    return Reply{t.config().gpsFails ? "0" : "1", t.config().gpsDelayNs};
}

// Only an alt-az mount can align itself.
Result autoAlign(Telescope &t, QByteArrayView)
{
    if (t.mountType() != MountType::AltAz)
        return text("0");
    t.setAlignment('2');
    return Reply{"1", t.config().alignDelayNs};
}

template <MountType Type>
Result alignmentMode(Telescope &t, QByteArrayView)
{
    t.setMountType(Type);
    t.mount().setTracking(true);
    return none();
}

// Land mode: no tracking.
Result landMode(Telescope &t, QByteArrayView)
{
    t.mount().setTracking(false);
    return none();
}

Result toggleFormat(Telescope &t, QByteArrayView)
{
    t.toggleLongFormat();
    return none();
}

Result togglePrecision(Telescope &t, QByteArrayView)
{
    t.toggleHighPrecision();
    return text(t.highPrecision() ? "HIGH PRECISION" : "LOW  PRECISION");
}

// --- hand controller ----------------------------------------------------------

Result handDisplay(Telescope &t, QByteArrayView) { return text(t.handController().display()); }

// ":EK 71#" or ":EK71#"; a single non-digit character is taken as its own code.
Result handKey(Telescope &t, QByteArrayView args)
{
    if (const auto code = toInt(args))
        t.handController().pressKey(*code);
    else if (args.size() == 1)
        t.handController().pressKey(static_cast<unsigned char>(args.front()));
    return none();
}

Result handEntry(Telescope &t, QByteArrayView args)
{
    if (const auto code = toInt(args))
        t.handController().selectEntry(*code);
    return none();
}

// --- table ---------------------------------------------------------------------

enum class Match { Exact, Prefix };

struct CommandEntry {
    const char *letters;   // between ':' and '#', or the start of it
    Match match;
    Handler handler;
};

constexpr std::array kCommands{
    CommandEntry{"GR", Match::Exact, getRa},
    CommandEntry{"GD", Match::Exact, getDec},
    CommandEntry{"Gr", Match::Exact, getTargetRa},
    CommandEntry{"Gd", Match::Exact, getTargetDec},
    CommandEntry{"GZ", Match::Exact, getAzimuth},
    CommandEntry{"GA", Match::Exact, getAltitude},
    CommandEntry{"GS", Match::Exact, getSiderealTime},
    CommandEntry{"GL", Match::Exact, getLocalTime},
    CommandEntry{"Ga", Match::Exact, getLocalTime12},
    CommandEntry{"GC", Match::Exact, getDate},
    CommandEntry{"GG", Match::Exact, getUtcOffset},
    CommandEntry{"Gt", Match::Exact, getLatitude},
    CommandEntry{"Gg", Match::Exact, getLongitude},
    CommandEntry{"GT", Match::Exact, getTrackingRate},
    CommandEntry{"Gc", Match::Exact, getClockFormat},
    CommandEntry{"GM", Match::Exact, getSiteName<0>},
    CommandEntry{"GN", Match::Exact, getSiteName<1>},
    CommandEntry{"GO", Match::Exact, getSiteName<2>},
    CommandEntry{"GP", Match::Exact, getSiteName<3>},
    CommandEntry{"GVP", Match::Exact, getProduct},
    CommandEntry{"GVN", Match::Exact, getFirmware},
    CommandEntry{"GVD", Match::Exact, getFirmwareDate},
    CommandEntry{"GVT", Match::Exact, getFirmwareTime},
    CommandEntry{"GVF", Match::Exact, getFullVersion},
    CommandEntry{"GW", Match::Exact, getStatus},
    CommandEntry{"D", Match::Exact, getDistanceBars},
    CommandEntry{"Sr", Match::Prefix, setTargetRa},
    CommandEntry{"Sd", Match::Prefix, setTargetDec},
    CommandEntry{"St", Match::Prefix, setLatitude},
    CommandEntry{"Sg", Match::Prefix, setLongitude},
    CommandEntry{"SG", Match::Prefix, setUtcOffset},
    CommandEntry{"SL", Match::Prefix, setLocalTime},
    CommandEntry{"SC", Match::Prefix, setDate},
    CommandEntry{"SM", Match::Prefix, setSiteName<0>},
    CommandEntry{"SN", Match::Prefix, setSiteName<1>},
    CommandEntry{"SO", Match::Prefix, setSiteName<2>},
    CommandEntry{"SP", Match::Prefix, setSiteName<3>},
    CommandEntry{"SS", Match::Prefix, acceptOnly},
    CommandEntry{"Sw", Match::Prefix, acceptOnly},
    CommandEntry{"MS", Match::Exact, slewToTarget},
    CommandEntry{"CM", Match::Exact, syncToTarget},
    CommandEntry{"CS", Match::Exact, syncQuiet},
    CommandEntry{"Mn", Match::Exact, move<Direction::North>},
    CommandEntry{"Ms", Match::Exact, move<Direction::South>},
    CommandEntry{"Me", Match::Exact, move<Direction::East>},
    CommandEntry{"Mw", Match::Exact, move<Direction::West>},
    CommandEntry{"Mg", Match::Prefix, guidePulse},
    CommandEntry{"Q", Match::Exact, stopAll},
    CommandEntry{"Qn", Match::Exact, stop<Direction::North>},
    CommandEntry{"Qs", Match::Exact, stop<Direction::South>},
    CommandEntry{"Qe", Match::Exact, stop<Direction::East>},
    CommandEntry{"Qw", Match::Exact, stop<Direction::West>},
    CommandEntry{"RG", Match::Exact, setRate<0>},
    CommandEntry{"RC", Match::Exact, setRate<1>},
    CommandEntry{"RM", Match::Exact, setRate<2>},
    CommandEntry{"RS", Match::Exact, setRate<3>},
    CommandEntry{"RA", Match::Prefix, setRaRate},
    CommandEntry{"RE", Match::Prefix, setDecRate},
    CommandEntry{"F+", Match::Exact, focus<+1>},
    CommandEntry{"F-", Match::Exact, focus<-1>},
    CommandEntry{"FQ", Match::Exact, focus<0>},
    CommandEntry{"F1", Match::Exact, focusSpeed<1>},
    CommandEntry{"F2", Match::Exact, focusSpeed<2>},
    CommandEntry{"F3", Match::Exact, focusSpeed<3>},
    CommandEntry{"F4", Match::Exact, focusSpeed<4>},
    CommandEntry{"FS", Match::Exact, focusSpeed<1>},
    CommandEntry{"FF", Match::Exact, focusSpeed<4>},
    CommandEntry{"FB", Match::Exact, focusBusy},
    CommandEntry{"I", Match::Exact, initialize},
    CommandEntry{"hF", Match::Exact, alignFromHome},
    CommandEntry{"hS", Match::Exact, storeHome},
    CommandEntry{"hP", Match::Exact, park},
    CommandEntry{"hN", Match::Exact, sleep},
    CommandEntry{"hW", Match::Exact, wake},
    CommandEntry{"gT", Match::Exact, gpsUpdate},
    CommandEntry{"Aa", Match::Exact, autoAlign},
    CommandEntry{"AA", Match::Exact, alignmentMode<MountType::AltAz>},
    CommandEntry{"AP", Match::Exact, alignmentMode<MountType::Polar>},
    CommandEntry{"AL", Match::Exact, landMode},
    CommandEntry{"U", Match::Exact, toggleFormat},
    CommandEntry{"P", Match::Exact, togglePrecision},
    CommandEntry{"ED", Match::Exact, handDisplay},
    CommandEntry{"EK", Match::Prefix, handKey},
    CommandEntry{"ES", Match::Prefix, handEntry},
};

} // namespace

std::optional<Reply> CommandInterpreter::execute(QByteArrayView command)
{
    if (command.size() == 1 && command.front() == kAck)
        return Reply{QByteArray(1, m_telescope.mountLetter()), 0};
    if (command.size() < 2 || command.front() != ':' || command.back() != '#')
        return std::nullopt;
    const QByteArrayView body = command.sliced(1, command.size() - 2);

    const CommandEntry *best = nullptr;
    for (const auto &entry : kCommands) {
        const QByteArrayView letters(entry.letters);
        if (entry.match == Match::Exact && body == letters)
            return entry.handler(m_telescope, {});
        if (entry.match == Match::Prefix && body.startsWith(letters)
            && (!best || letters.size() > QByteArrayView(best->letters).size()))
            best = &entry;
    }
    if (!best)
        return std::nullopt;
    return best->handler(m_telescope, body.sliced(QByteArrayView(best->letters).size()));
}

} // namespace lx200sim
