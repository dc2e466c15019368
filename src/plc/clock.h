#pragma once

#include "platform/clock.h"

namespace plc
{

// The ownership only reads the time: its watchdog is judged by it.
using Clock = platform::TimeSource;
using SteadyClock = platform::SteadyTime;
// The server also wakes on it, for the watchdog and the idle connections.
using WakeClock = platform::Clock;
using TimerClock = platform::TimerClock;

} // namespace plc
