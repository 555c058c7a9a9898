#include "support/scriptedmessageboxes.h"

#include "platform/messageboxbuttons.h"

#include <algorithm>

namespace orrinet {

MessageBoxes::Answer ScriptedMessageBoxes::ask(QWidget *parent, const QString &title,
                                               const QString &text, Buttons buttons, Icon icon)
{
    Call call{parent, title, text, buttons, icon, closeAnswer(buttons), false};
    if (!m_answers.empty()) {
        call.answer = m_answers.front();
        call.scripted = true;
        m_answers.pop_front();
    }
    m_calls.push_back(call);
    return call.answer;
}

int ScriptedMessageBoxes::unscriptedCount() const
{
    return static_cast<int>(
        std::count_if(m_calls.begin(), m_calls.end(), [](const Call &c) { return !c.scripted; }));
}

void ScriptedMessageBoxes::clear()
{
    m_answers.clear();
    m_calls.clear();
}

} // namespace orrinet
