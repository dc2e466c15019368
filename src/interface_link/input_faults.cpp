#include "interface_link/input_faults.h"

namespace iface
{

InputFaults InputFaults::of(int openMask, int shortMask)
{
    InputFaults f;
    f.open = openMask & 0xFF;
    f.shorted = shortMask & 0xFF & ~f.open;
    return f;
}

int withFaults(int word, const InputFaults& faults)
{
    return (word & ~faults.open) | (faults.shorted & ~faults.open);
}

int interlockInputs(int trueWord, const InputFaults& faults, bool realSensors)
{
    return realSensors ? trueWord : withFaults(trueWord, faults);
}

} // namespace iface
