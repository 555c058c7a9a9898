#include "angles.h"

#include <QDate>

#include <cmath>
#include <cstdio>

namespace lx200sim {

double wrap360(double degrees)
{
    double d = std::fmod(degrees, 360.0);
    if (d < 0)
        d += 360.0;
    return d >= 360.0 ? 0.0 : d;
}

double wrap180(double degrees)
{
    double d = wrap360(degrees);
    return d > 180.0 ? d - 360.0 : d;
}

double wrap24(double hours)
{
    return wrap360(hours * 15.0) / 15.0;
}

namespace {

QByteArray printf2(const char *format, auto... values)
{
    char buffer[48];
    const int n = std::snprintf(buffer, sizeof buffer, format, values...);
    return QByteArray(buffer, n);
}

// Reads up to maxDigits decimal digits at pos; fails on none.
std::optional<int> readNumber(QByteArrayView text, qsizetype &pos, int maxDigits)
{
    int value = 0;
    int digits = 0;
    while (pos < text.size() && digits < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

bool expect(QByteArrayView text, qsizetype &pos, QByteArrayView accepted)
{
    if (pos >= text.size() || !accepted.contains(text[pos]))
        return false;
    ++pos;
    return true;
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && text.front() == ' ')
        text = text.sliced(1);
    while (!text.isEmpty() && text.back() == ' ')
        text.chop(1);
    return text;
}

} // namespace

QByteArray formatHms(double hours)
{
    const long total = std::lround(wrap24(hours) * 3600.0) % 86400;
    return printf2("%02ld:%02ld:%02ld", total / 3600, (total / 60) % 60, total % 60);
}

QByteArray formatHmTenths(double hours)
{
    const long tenths = std::lround(wrap24(hours) * 600.0) % 14400;
    return printf2("%02ld:%02ld.%01ld", tenths / 600, (tenths / 10) % 60, tenths % 10);
}

QByteArray formatDegrees(double degrees, DegreeLayout layout)
{
    const bool negative = degrees < 0;
    const long unitsPerDegree = layout.seconds ? 3600 : 60;
    long total = std::lround(std::fabs(degrees) * static_cast<double>(unitsPerDegree));
    if (layout.wrap360)
        total %= 360 * unitsPerDegree;
    const long deg = total / unitsPerDegree;
    const long minutes = layout.seconds ? (total / 60) % 60 : total % 60;

    QByteArray text;
    if (layout.sign)
        text += (negative && total != 0) ? '-' : '+';
    text += printf2("%0*ld", layout.degreeDigits, deg);
    text += kDegreeMark;
    text += printf2("%02ld", minutes);
    if (layout.seconds)
        text += printf2(":%02ld", total % 60);
    return text;
}

std::optional<double> parseHours(QByteArrayView text)
{
    text = trimmed(text);
    qsizetype pos = 0;
    const auto h = readNumber(text, pos, 2);
    if (!h || !expect(text, pos, ":"))
        return std::nullopt;
    const auto m = readNumber(text, pos, 2);
    if (!m || *h > 23 || *m > 59)
        return std::nullopt;
    if (expect(text, pos, ".")) {
        const auto t = readNumber(text, pos, 1);
        if (!t || pos != text.size())
            return std::nullopt;
        return *h + (*m + *t / 10.0) / 60.0;
    }
    if (!expect(text, pos, ":"))
        return std::nullopt;
    const auto s = readNumber(text, pos, 2);
    if (!s || *s > 59 || pos != text.size())
        return std::nullopt;
    return *h + *m / 60.0 + *s / 3600.0;
}

std::optional<double> parseDegrees(QByteArrayView text, double maxAbsDegrees)
{
    text = trimmed(text);
    qsizetype pos = 0;
    double sign = 1.0;
    if (expect(text, pos, "-"))
        sign = -1.0;
    else
        expect(text, pos, "+");
    const auto d = readNumber(text, pos, 3);
    static constexpr char marks[] = {':', '*', kDegreeMark};
    if (!d || !expect(text, pos, QByteArrayView(marks, sizeof marks)))
        return std::nullopt;
    const auto m = readNumber(text, pos, 2);
    if (!m || *m > 59)
        return std::nullopt;
    int s = 0;
    if (expect(text, pos, ":")) {
        const auto sec = readNumber(text, pos, 2);
        if (!sec || *sec > 59)
            return std::nullopt;
        s = *sec;
    }
    if (pos != text.size())
        return std::nullopt;
    const double value = *d + *m / 60.0 + s / 3600.0;
    if (value > maxAbsDegrees)
        return std::nullopt;
    return sign * value;
}

std::optional<double> parseSignedDecimal(QByteArrayView text)
{
    text = trimmed(text);
    qsizetype pos = 0;
    double sign = 1.0;
    if (expect(text, pos, "-"))
        sign = -1.0;
    else
        expect(text, pos, "+");
    const auto whole = readNumber(text, pos, 2);
    if (!whole)
        return std::nullopt;
    double value = *whole;
    if (expect(text, pos, ".")) {
        const auto tenth = readNumber(text, pos, 1);
        if (!tenth)
            return std::nullopt;
        value += *tenth / 10.0;
    }
    if (pos != text.size())
        return std::nullopt;
    return sign * value;
}

std::optional<CalendarDate> parseDate(QByteArrayView text)
{
    text = trimmed(text);
    qsizetype pos = 0;
    const auto month = readNumber(text, pos, 2);
    if (!month || !expect(text, pos, "/"))
        return std::nullopt;
    const auto day = readNumber(text, pos, 2);
    if (!day || !expect(text, pos, "/"))
        return std::nullopt;
    const auto year = readNumber(text, pos, 2);
    if (!year || pos != text.size())
        return std::nullopt;
    const int fullYear = *year >= 92 ? 1900 + *year : 2000 + *year;
    if (!QDate::isValid(fullYear, *month, *day))
        return std::nullopt;
    return CalendarDate{fullYear, *month, *day};
}

} // namespace lx200sim
