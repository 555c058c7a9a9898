#include "hub/precision.h"

#include "link/protocol.h"

namespace orrinet::hub {

namespace {

struct Layout
{
    QByteArrayView high;
    QByteArrayView low;
};

// 'd' a digit, 's' a sign, 'x' any degree mark, others themselves.
Layout layout(QByteArrayView command)
{
    if (command == QByteArrayView(kGetRa.data(), kGetRa.size()))
        return {"dd:dd:dd#", "dd:dd.d#"};
    if (command == QByteArrayView(kGetAzimuth.data(), kGetAzimuth.size()))
        return {"dddxdd:dd#", "dddxdd#"};
    return {"sddxdd:dd#", "sddxdd#"}; // declination, altitude
}

bool matches(QByteArrayView pattern, QByteArrayView reply)
{
    if (reply.size() != pattern.size())
        return false;
    for (qsizetype i = 0; i < reply.size(); ++i) {
        const char p = pattern[i];
        const char c = reply[i];
        const bool ok = p == 'd'   ? (c >= '0' && c <= '9')
                        : p == 's' ? (c == '+' || c == '-')
                        : p == 'x' ? !(c >= '0' && c <= '9')
                                   : c == p;
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

PositionForm positionForm(QByteArrayView command, QByteArrayView reply)
{
    const Layout forms = layout(command);
    if (matches(forms.high, reply))
        return PositionForm::High;
    return matches(forms.low, reply) ? PositionForm::Low : PositionForm::Other;
}

QByteArray lowPrecision(QByteArrayView command, QByteArrayView highReply)
{
    if (positionForm(command, highReply) != PositionForm::High)
        return highReply.toByteArray();
    if (command == QByteArrayView(kGetRa.data(), kGetRa.size())) {
        // Seconds become tenths of a minute, cut off as the telescope does.
        const int seconds = (highReply[6] - '0') * 10 + (highReply[7] - '0');
        return highReply.first(5).toByteArray() + '.' + char('0' + qMin(seconds / 6, 9)) + '#';
    }
    return highReply.first(6).toByteArray() + '#';
}

} // namespace orrinet::hub
