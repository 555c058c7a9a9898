#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace lx200sim {

// The hand controller's degree sign; LX200 replies carry it between degrees and minutes.
inline constexpr char kDegreeMark = '\xDF';

double wrap360(double degrees);
double wrap180(double degrees);
double wrap24(double hours);

// Reply texts. Each rounds to its last field first, so 23:59:59.7 becomes 00:00:00.
QByteArray formatHms(double hours);                 // "HH:MM:SS"
QByteArray formatHmTenths(double hours);            // "HH:MM.T"

struct DegreeLayout {
    bool sign = true;        // leading "+" or "-"
    int degreeDigits = 2;
    bool seconds = true;     // ":SS" after the minutes
    bool wrap360 = false;    // azimuth: 360 rolls over to 000
};
QByteArray formatDegrees(double degrees, DegreeLayout layout);

// Argument texts. Hours: "HH:MM:SS" or "HH:MM.T". Degrees: "sDD*MM[:SS]" where the
// mark after the degrees may be ':', '*' or the degree byte, and the sign may be left out.
std::optional<double> parseHours(QByteArrayView text);
std::optional<double> parseDegrees(QByteArrayView text, double maxAbsDegrees);
// "sHH.H" or "sHH"
std::optional<double> parseSignedDecimal(QByteArrayView text);

struct CalendarDate {
    int year = 2000;
    int month = 1;
    int day = 1;
};
// "MM/DD/YY"; years 92..99 are 1992..1999, the others 2000..2091.
std::optional<CalendarDate> parseDate(QByteArrayView text);

} // namespace lx200sim
