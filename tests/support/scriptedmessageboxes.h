#pragma once

#include "platform/messageboxes.h"

#include <deque>
#include <vector>

namespace orrinet {

// Message boxes for tests: gives the queued answers in order and records
// every box asked for. With nothing queued it answers as if the box had been
// closed (Cancel, No where there is no Cancel, Ok for a lone Ok).
class ScriptedMessageBoxes final : public MessageBoxes
{
public:
    struct Call
    {
        QString title;
        QString text;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::Information;
    };

    Answer ask(QWidget *parent, const QString &title, const QString &text, Buttons buttons,
               Icon icon) override;

    void enqueue(Answer answer) { m_answers.push_back(answer); }
    // Answers queued and not yet given.
    int pending() const { return static_cast<int>(m_answers.size()); }

    const std::vector<Call> &calls() const { return m_calls; }
    void clear();

private:
    std::deque<Answer> m_answers;
    std::vector<Call> m_calls;
};

} // namespace orrinet
