#include "clock.h"

#include <chrono>

namespace lx200sim {

qint64 SteadyClock::nowNs() const
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace lx200sim
