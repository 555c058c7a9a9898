#pragma once

// Decoding of the telescope's replies into the one-line texts the status bar
// shows. Everything is cut at fixed 1-based character positions; a piece that
// starts past the end of the text is empty and one that runs past it is
// shortened, so any input, of any length and any byte (Latin-1), is safe.

#include "link/protocol.h"

#include <QChar>
#include <QString>
#include <QStringView>

namespace orrinet {

// The len characters from 1-based position pos1, fewer where the text ends
// first; empty for pos1 < 1 or len < 1.
QString mid(QStringView text, qsizetype pos1, qsizetype len);

// The reply without its terminator: all but the last character ("" stays "").
QString stripTerminator(QStringView text);

// True when the text starts with ch (one-character replies: "1", "0").
bool firstCharIs(QStringView text, QChar ch);

// True when a keypad-macro display text reads "Taking" at positions 2..7,
// meaning the hand controller is still busy and another display will follow.
bool autostarTaking(QStringView displayText);

// ":GW#" reply as read (terminator and anything after it are ignored):
// mount type from character 1, tracking from 2, alignment from 3; an unknown
// or missing character adds nothing. "AT1" -> "AltAz Mount, Tracking, One star aligned".
QString statusLine(QStringView reply);

// The remaining lines take the replies with their terminator already stripped.

// "<product>   Firmware <firmware>"
QString firmwareLine(QStringView product, QStringView firmware);

// "Date <date>   Time <time>", both as received.
QString dateTimeLine(QStringView date, QStringView time);

// latitude sDD*MM, longitude sDDD*MM (any degree mark):
// "Lat DD°MM'N   Lon DDD°MM'W". The latitude is N only for sign '+', the
// longitude E only for sign '-'; anything else (an empty text too) gives S / W.
QString siteLine(QStringView latitude, QStringView longitude);

// azimuth DDD*MM:SS, altitude sDD*MM:SS:
// "Azimuth DDD°MM'SS"   Altitude sDD°MM'SS"" (the altitude keeps its sign).
QString azAltLine(QStringView azimuth, QStringView altitude);

// The result line of a query from its two stored texts, first and second in
// the order the query asks for them (firmware before product, date before
// time, latitude before longitude, azimuth before altitude). The status query
// uses only the first text, its reply as read.
QString queryResultLine(TelescopeQuery query, QStringView firstText, QStringView secondText);

} // namespace orrinet
