#pragma once

// The two forms of a position reply. The high form carries seconds
// ("HH:MM:SS#", "sDD*MM:SS#", "DDD*MM:SS#"), the low form tenths of a minute
// for right ascension ("HH:MM.T#") and whole minutes for angles ("sDD*MM#",
// "DDD*MM#"). The degree mark is whatever the telescope sent.

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace orrinet::hub {

enum class PositionForm : std::uint8_t { High, Low, Other };

// The form of a reply to a position command (":GR#", ":GD#", ":GA#", ":GZ#").
PositionForm positionForm(QByteArrayView command, QByteArrayView reply);

// The low form of a high-form reply, as the telescope would send it.
QByteArray lowPrecision(QByteArrayView command, QByteArrayView highReply);

} // namespace orrinet::hub
