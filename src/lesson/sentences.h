#pragma once

#include "lesson/lesson.h"
#include "step_plan/sequencer.h"

#include <QString>

// The Dutch sentences of the lesson check, as pure functions of what was
// found: one sentence per failed requirement.
namespace lesson
{

// Simulated time the pupil reads: tenths of a second, decimal comma ("4,2 s").
QString timeText(qint64 ms);

// "1 onderdeel", "0 onderdelen".
QString amount(int n, const char* one, const char* many);

// What the station counted at the end of a scenario.
struct EndCounts {
    int putDown = 0;
    int dropped = 0;
    int slide = 0;
    int beltEnd = 0;
    int pushedOff = 0;
};

// The first count that misses its requirement, as "Aan het eind ..."; empty
// when every count holds.
QString countsText(const Requirements& req, const EndCounts& counts);

// The plan's end against what the lesson asks, as "Aan het eind ..."; empty
// when it holds.
QString planEndText(PlanEnd wanted, plan::RunState state, int step);

// "Aan het eind stond uitgang 2 nog aan; ..." for a word that is not 0.
QString outputsOnText(int word);

} // namespace lesson
