#pragma once

#include "platform/messageboxes.h"

namespace orrinet {

// Modal QMessageBox boxes.
class QtMessageBoxes final : public MessageBoxes
{
public:
    Answer ask(QWidget *parent, const QString &title, const QString &text, Buttons buttons,
               Icon icon) override;
};

} // namespace orrinet
