#include "platform/messageboxbuttons.h"

#include <array>

namespace orrinet {

namespace {

using Answer = MessageBoxes::Answer;
using Buttons = MessageBoxes::Buttons;

struct ButtonSet
{
    Buttons buttons;
    std::array<Answer, 3> shown;
    int count;
    Answer onClose;
};

constexpr std::array buttonSets{
    ButtonSet{Buttons::YesNoCancel, {Answer::Yes, Answer::No, Answer::Cancel}, 3, Answer::Cancel},
    ButtonSet{Buttons::YesNo, {Answer::Yes, Answer::No, Answer::No}, 2, Answer::No},
    ButtonSet{Buttons::OkCancel, {Answer::Ok, Answer::Cancel, Answer::Cancel}, 2, Answer::Cancel},
    ButtonSet{Buttons::Ok, {Answer::Ok, Answer::Ok, Answer::Ok}, 1, Answer::Ok},
};

const ButtonSet &setOf(Buttons buttons)
{
    for (const ButtonSet &set : buttonSets) {
        if (set.buttons == buttons)
            return set;
    }
    return buttonSets.back();
}

} // namespace

QList<MessageBoxes::Answer> answersOf(MessageBoxes::Buttons buttons)
{
    const ButtonSet &set = setOf(buttons);
    return {set.shown.begin(), set.shown.begin() + set.count};
}

MessageBoxes::Answer closeAnswer(MessageBoxes::Buttons buttons)
{
    return setOf(buttons).onClose;
}

} // namespace orrinet
