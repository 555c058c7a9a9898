#include "hub/replyframing.h"

#include "link/protocol.h"

#include <initializer_list>

namespace orrinet::hub {

namespace {

QByteArray bytes(QLatin1StringView text)
{
    return QByteArray(text.data(), text.size());
}

// The start of a command that carries an argument, as the catalogue builds it:
// ":Sr" from ":Sr HH:MM:SS#".
QByteArray commandStart(const QString &built)
{
    return built.left(3).toLatin1();
}

std::vector<CommandRow> buildTable()
{
    std::vector<CommandRow> rows;
    const auto add = [&rows](QByteArray command, bool prefix, ReplyForm form, CommandKind kind,
                             int timeoutMs = kReplyTimeoutMs) {
        rows.push_back(CommandRow{std::move(command), prefix, form, kind, timeoutMs});
    };
    const auto addAll = [&add](std::initializer_list<QLatin1StringView> commands, ReplyForm form,
                               CommandKind kind, int timeoutMs = kReplyTimeoutMs) {
        for (const QLatin1StringView command : commands)
            add(bytes(command), false, form, kind, timeoutMs);
    };
    using F = ReplyForm;
    using K = CommandKind;

    // The panel's commands, from the catalogue.
    addAll({kGetRa, kGetDec, kGetAzimuth, kGetAltitude}, F::UpToHash, K::Position);
    addAll({kSlewToTarget}, F::SlewReply, K::Slew);
    addAll({kHaltAll, kStopNorth, kStopSouth, kStopEast, kStopWest, kFocusStop}, F::None, K::Stop);
    addAll({kMoveNorth, kMoveSouth, kMoveEast, kMoveWest, kFocusIn, kFocusOut}, F::None, K::Move);
    addAll(
        {kRateGuide, kRateCentering, kInitialize, kAlignFromHome, kStoreHome, kPark, kSleep, kWake},
        F::None, K::Control);
    addAll({kGpsUpdate, kAutoAlign}, F::OneChar, K::Control, kSlowReplyTimeoutMs);
    addAll({kGetStatus, kGetDate, kGetTime, kGetLatitude, kGetLongitude}, F::UpToHash, K::Query);
    addAll({kGetFirmwareNumber, kGetProductName}, F::UpToHash, K::Fixed);
    addAll({kAutostarDisplay}, F::AutostarDisplay, K::Query);
    for (const SlewRate &rate : kSlewRates) {
        add(bytes(rate.firstCommand), false, F::None, K::Control);
        if (!rate.secondCommand.isEmpty())
            add(bytes(rate.secondCommand), false, F::None, K::Control);
    }
    for (const FocusSpeedSetting &speed : kFocusSpeeds)
        add(bytes(speed.command), false, F::None, K::Control);
    for (const QLatin1StringView command : kPolarisMacro)
        if (command != kAutostarDisplay)
            add(bytes(command), false, F::None, K::Control);
    for (const PlanetMacro &planet : kPlanetMacros)
        add(bytes(planet.command), false, F::None, K::Control);
    // Their argument forms, whatever the argument.
    add(commandStart(raCommand(0, 0, 0)), true, F::OneChar, K::Target);
    add(commandStart(decCommand(u'+', 0, 0, 0)), true, F::OneChar, K::Target);
    add(commandStart(raRateCommand(u"")), true, F::None, K::Control);
    add(commandStart(decRateCommand(u"")), true, F::None, K::Control);
    add(commandStart(QString(kPolarisMacro[0])), true, F::None, K::Control); // ":ES"
    add(commandStart(QString(kPolarisMacro[1])), true, F::None, K::Control); // ":EK"

    // What other LX200 clients send.
    add(QByteArray(1, kAck), false, F::OneChar, K::Fixed);
    add(bytes(kTogglePrecision), false, F::None, K::Precision);
    for (const char *command : {":GVD#", ":GVT#", ":GVF#"})
        add(command, false, F::UpToHash, K::Fixed);
    for (const char *command : {":Gr#", ":Gd#", ":GG#", ":Gc#", ":GM#", ":GN#", ":GO#", ":GP#",
                                ":Ga#", ":GS#", ":GT#", ":Gh#", ":Go#", ":D#"})
        add(command, false, F::UpToHash, K::Query);
    add(":FB#", false, F::OneChar, K::Query);
    add(":CM#", false, F::UpToHash, K::Slew);
    add(":Sa", true, F::OneChar, K::Target);
    add(":Sz", true, F::OneChar, K::Target);
    add(":SC", true, F::TwoPart, K::Control);
    for (const char *start :
         {":SL", ":St", ":Sg", ":SG", ":Sw", ":SM", ":SN", ":SO", ":SP", ":SS", ":Sh", ":So"})
        add(start, true, F::OneChar, K::Control);
    for (const char *command :
         {":RS#", ":RM#", ":FF#", ":FS#", ":CS#", ":AL#", ":AP#", ":AA#", ":hC#"})
        add(command, false, F::None, K::Control);
    add(":Mg", true, F::None, K::Control); // a guide pulse ends by itself
    add(":P#", false, F::TextNoHash, K::Control);
    return rows;
}

const CommandRow &unknownRow()
{
    static const CommandRow row{QByteArray(), false, ReplyForm::Unknown, CommandKind::Unknown,
                                kUnknownReplyCapMs};
    return row;
}

qsizetype upToHash(QByteArrayView buffered, qsizetype from = 0)
{
    const qsizetype hash = buffered.indexOf('#', from);
    return hash < 0 ? -1 : hash + 1;
}

ReplyFrame complete(qsizetype length)
{
    return length < 0 ? ReplyFrame{} : ReplyFrame{ReplyFrame::Complete, length};
}

} // namespace

const std::vector<CommandRow> &commandTable()
{
    static const std::vector<CommandRow> table = buildTable();
    return table;
}

const CommandRow &commandRow(QByteArrayView command)
{
    const CommandRow *best = nullptr;
    for (const CommandRow &row : commandTable()) {
        if (!row.prefix && row.command == command)
            return row;
        if (row.prefix && command.startsWith(row.command) &&
            (!best || row.command.size() > best->command.size()))
            best = &row;
    }
    return best ? *best : unknownRow();
}

ReplyFrame frameReply(ReplyForm form, QByteArrayView buffered)
{
    switch (form) {
    case ReplyForm::None:
        return {ReplyFrame::Complete, 0};
    case ReplyForm::OneChar:
        return buffered.isEmpty() ? ReplyFrame{} : ReplyFrame{ReplyFrame::Complete, 1};
    case ReplyForm::UpToHash:
        return complete(upToHash(buffered));
    case ReplyForm::SlewReply:
        if (buffered.startsWith('0'))
            return {ReplyFrame::Complete, 1};
        return complete(upToHash(buffered));
    case ReplyForm::AutostarDisplay: {
        // A lead byte, two 16-character lines and '#'; a '#' earlier may be
        // part of the text, so that reply ends only once the line is quiet.
        constexpr qsizetype displayLength = 34;
        if (buffered.size() >= displayLength && buffered[displayLength - 1] == '#')
            return {ReplyFrame::Complete, displayLength};
        const qsizetype hash = buffered.lastIndexOf('#');
        return hash < 0 ? ReplyFrame{} : ReplyFrame{ReplyFrame::CompleteIfQuiet, hash + 1};
    }
    case ReplyForm::TextNoHash: {
        const qsizetype word = buffered.indexOf(QByteArrayView("PRECISION"));
        if (word >= 0)
            return {ReplyFrame::Complete, word + 9};
        return buffered.isEmpty() ? ReplyFrame{}
                                  : ReplyFrame{ReplyFrame::CompleteIfQuiet, buffered.size()};
    }
    case ReplyForm::TwoPart:
        if (buffered.startsWith('0'))
            return {ReplyFrame::Complete, 1};
        if (buffered.startsWith('1')) {
            const qsizetype first = upToHash(buffered);
            return first < 0 ? ReplyFrame{} : complete(upToHash(buffered, first));
        }
        return complete(upToHash(buffered));
    case ReplyForm::Unknown:
        break;
    }
    return buffered.isEmpty() ? ReplyFrame{}
                              : ReplyFrame{ReplyFrame::CompleteIfQuiet, buffered.size()};
}

} // namespace orrinet::hub
