#pragma once

#include "platform/messageboxes.h"

#include <QList>

namespace orrinet {

// The answers a button set offers, in the order shown; the first is the default.
QList<MessageBoxes::Answer> answersOf(MessageBoxes::Buttons buttons);

// What closing the box without pressing a button answers: Cancel, or No
// where there is no Cancel, or Ok for a lone Ok.
MessageBoxes::Answer closeAnswer(MessageBoxes::Buttons buttons);

} // namespace orrinet
