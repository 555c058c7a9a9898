#include "platform/qtmessageboxes.h"

#include "platform/messageboxbuttons.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <array>

namespace orrinet {

namespace {

struct AnswerButton
{
    MessageBoxes::Answer answer;
    QMessageBox::StandardButton button;
};

constexpr std::array answerButtons{
    AnswerButton{MessageBoxes::Answer::Yes, QMessageBox::Yes},
    AnswerButton{MessageBoxes::Answer::No, QMessageBox::No},
    AnswerButton{MessageBoxes::Answer::Cancel, QMessageBox::Cancel},
    AnswerButton{MessageBoxes::Answer::Ok, QMessageBox::Ok},
};

struct IconKind
{
    MessageBoxes::Icon icon;
    QMessageBox::Icon kind;
};

constexpr std::array iconKinds{
    IconKind{MessageBoxes::Icon::Question, QMessageBox::Question},
    IconKind{MessageBoxes::Icon::Warning, QMessageBox::Warning},
    IconKind{MessageBoxes::Icon::Critical, QMessageBox::Critical},
    IconKind{MessageBoxes::Icon::Information, QMessageBox::Information},
};

QMessageBox::StandardButton buttonFor(MessageBoxes::Answer answer)
{
    for (const AnswerButton &entry : answerButtons) {
        if (entry.answer == answer)
            return entry.button;
    }
    return QMessageBox::NoButton;
}

QMessageBox::Icon kindOf(MessageBoxes::Icon icon)
{
    for (const IconKind &entry : iconKinds) {
        if (entry.icon == icon)
            return entry.kind;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageBoxes::Answer QtMessageBoxes::ask(QWidget *parent, const QString &title, const QString &text,
                                         Buttons buttons, Icon icon)
{
    // Texts break their lines with CR LF; the box shows each as one break.
    QString shown = text;
    shown.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n"));
    QMessageBox box(kindOf(icon), title, shown, QMessageBox::NoButton, parent);
    const QList<Answer> answers = answersOf(buttons);
    for (const Answer answer : answers)
        box.addButton(buttonFor(answer));
    box.setDefaultButton(buttonFor(answers.constFirst()));
    // Escape and the title bar's close button both press this one.
    box.setEscapeButton(box.button(buttonFor(closeAnswer(buttons))));
    box.exec();

    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    for (const AnswerButton &entry : answerButtons) {
        if (entry.button == pressed)
            return entry.answer;
    }
    return closeAnswer(buttons);
}

} // namespace orrinet
