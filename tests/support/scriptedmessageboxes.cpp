#include "support/scriptedmessageboxes.h"

#include "platform/messageboxbuttons.h"

namespace orrinet {

MessageBoxes::Answer ScriptedMessageBoxes::ask(QWidget *, const QString &title, const QString &text,
                                               Buttons buttons, Icon icon)
{
    m_calls.push_back({title, text, buttons, icon});
    if (m_answers.empty())
        return closeAnswer(buttons);
    const Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void ScriptedMessageBoxes::clear()
{
    m_answers.clear();
    m_calls.clear();
}

} // namespace orrinet
