#pragma once

namespace orrinet {

// The pauses between commands: they block the user-interface thread, so no
// other event is handled while one runs.
class BlockingWait
{
public:
    virtual ~BlockingWait() = default;
    virtual void wait(int milliseconds) = 0;
};

} // namespace orrinet
