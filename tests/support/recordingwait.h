#pragma once

#include "platform/blockingwait.h"

#include <vector>

namespace orrinet {

// A blocking wait for tests: returns at once, records each pause and keeps a
// virtual clock that only the pauses (and advance()) move.
class RecordingWait final : public BlockingWait
{
public:
    void wait(int milliseconds) override
    {
        m_pauses.push_back(milliseconds);
        if (milliseconds > 0)
            m_elapsed += milliseconds;
    }

    // Every pause requested, in order.
    const std::vector<int> &pauses() const { return m_pauses; }
    void clearPauses() { m_pauses.clear(); }

    // Virtual milliseconds since construction.
    int elapsed() const { return m_elapsed; }
    // Lets time pass without a pause, e.g. between two simulated user actions.
    void advance(int milliseconds) { m_elapsed += milliseconds; }

private:
    std::vector<int> m_pauses;
    int m_elapsed = 0;
};

} // namespace orrinet
