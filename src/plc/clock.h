#pragma once

#include "platform/clock.h"

namespace plc
{

// The PLC server only reads the time: its watchdog is judged by it.
using Clock = platform::TimeSource;
using SteadyClock = platform::SteadyTime;

} // namespace plc
