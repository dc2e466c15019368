#pragma once

namespace iface
{

// The teacher's hidden faults on the inputs: bit i = input i + 1. An open
// circuit reads off, a short circuit reads on.
struct InputFaults {
    int open = 0;
    int shorted = 0;

    // Kept to the eight inputs; an input both open and shorted reads open.
    static InputFaults of(int openMask, int shortMask);
    bool operator==(const InputFaults& o) const { return open == o.open && shorted == o.shorted; }
    bool operator!=(const InputFaults& o) const { return !(*this == o); }
};

// The input word as the pupil's program, its lamps and a PLC see it. Bits
// above the eight inputs pass unchanged.
int withFaults(int word, const InputFaults& faults);

// What the interlocks read: the word with the faults, except on a real
// station, whose interlocks guard real cylinders and read the true sensors.
int interlockInputs(int trueWord, const InputFaults& faults, bool realSensors);

} // namespace iface
