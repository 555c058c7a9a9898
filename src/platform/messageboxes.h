#pragma once

#include <QString>

class QWidget;

namespace orrinet {

// Confirmations and notices, behind an interface so that tests can answer them.
class MessageBoxes
{
public:
    enum class Buttons { YesNoCancel, YesNo, OkCancel, Ok };
    enum class Icon { Question, Warning, Critical, Information };
    enum class Answer { Yes, No, Cancel, Ok };

    virtual ~MessageBoxes() = default;

    // Shows a modal box; the first button is the default. Closing the box
    // answers Cancel (or No where there is no Cancel button).
    virtual Answer ask(QWidget *parent, const QString &title, const QString &text,
                       Buttons buttons, Icon icon) = 0;
};

} // namespace orrinet
