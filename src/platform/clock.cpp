#include "platform/clock.h"

#include <algorithm>

namespace platform
{

TimerClock::TimerClock()
{
    m_since.start();
    m_timer.setSingleShot(true);
    // Short waits of a tenth of a second should not drift by a coarse timer.
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { wake(); });
}

void TimerClock::wakeAfter(int ms)
{
    m_timer.start(std::max(0, ms));
}

} // namespace platform
