#pragma once

#include "station/station.h"

#include <QString>

namespace outputs
{

// Why an output button press is refused.
enum class Refusal {
    None,
    PressingCylinderOut,    // stack magazine: the pressing cylinder is extended
    GripperCylinderOut,     // handling station: the gripper cylinder is down
    OutputsDrivenElsewhere, // a PLC drives the outputs
};

// The safety interlocks of the station in view. `switchingOn` tells the
// direction of the press; `inputs` is the last input word received and
// `outputs` the output word before the press.
//  - the stack magazine: the feed cylinder may not be sent out while input 0
//    (pressing cylinder extended) is on. Its valve is bistable, so besides
//    switching output 0 on, switching output 1 off while output 0 is still
//    on would send it out too; both are refused.
//  - the handling station: outputs 0 and 1 may not change while input 3 is
//    on.
// The combined station and the interface view have no interlocks.
Refusal interlock(station::Station inView, int output, bool switchingOn, int inputs, int outputs);

// The refusal box: its title and its three lines joined by carriage returns.
QString refusalTitle();
QString refusalText(Refusal why);

// Bit arithmetic of the output word, kept to the eight outputs.
constexpr bool bitSet(int word, int i)
{
    return (word >> i) & 1;
}

} // namespace outputs
