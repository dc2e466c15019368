#pragma once

#include "platform/clock.h"

namespace plan
{

// A running plan needs one wake-up at a time: the end of a timed wait or the
// time-out of an input wait.
using Clock = platform::Clock;
using TimerClock = platform::TimerClock;

} // namespace plan
