#pragma once

#include "platform/blockingwait.h"

namespace orrinet {

// Sleeps the calling thread: the user-interface thread handles nothing
// meanwhile, which the pauses between commands rely on.
class SleepingWait final : public BlockingWait
{
public:
    void wait(int milliseconds) override;
};

} // namespace orrinet
