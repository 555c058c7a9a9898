#include "platform/sleepingwait.h"

#include <QThread>

namespace orrinet {

void SleepingWait::wait(int milliseconds)
{
    if (milliseconds > 0)
        QThread::msleep(static_cast<unsigned long>(milliseconds));
}

} // namespace orrinet
