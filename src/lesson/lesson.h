#pragma once

#include "lesson/fault_hunt.h"
#include "simulation/simulation.h"
#include "station/station.h"
#include "step_plan/plan.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// An exercise ("opdracht") a teacher hands out: what a pupil's step plan
// must make the station do in a few scenarios. The program plays each
// scenario on a fresh simulated station and judges the requirements.
namespace lesson
{

// Limits of a lesson file.
constexpr int MaxScenarios = 20;
constexpr int MinScenarioSeconds = 1;
constexpr int MaxScenarioSeconds = 600;
constexpr int DefaultButtonMs = 1000;

// A number the scenario's end must show: exactly, at least, at most, or
// between. Not given: anything goes.
struct Count {
    std::optional<int> exact;
    std::optional<int> min;
    std::optional<int> max;

    bool given() const { return exact || min || max; }
    bool holds(int n) const
    {
        return (!exact || n == *exact) && (!min || n >= *min) && (!max || n <= *max);
    }
    bool operator==(const Count& o) const
    {
        return exact == o.exact && min == o.min && max == o.max;
    }
};

// How the plan must stand at the end of a scenario.
enum class PlanEnd {
    Any,      // not judged
    Finished, // "klaar": the last step is done
    Failed,   // "mislukt": it stopped with a fault (a time-out, a refusal)
    Running,  // "loopt": a repeating plan still runs
};

// A part laid at the start of the belt `ms` after the scenario starts; when
// the start is taken it is laid as soon as it is free.
struct PartDrop {
    int ms = 0;
    bool metal = false;
    bool operator==(const PartDrop& o) const { return ms == o.ms && metal == o.metal; }
};

// Input `input` (1..8) forced from `fromMs` on, as the virtual station
// forces it: a broken wire reads off, a short circuit reads on.
struct InputFault {
    int input = 1;
    sim::Force force = sim::Force::Off;
    int fromMs = 0;
    bool operator==(const InputFault& o) const
    {
        return input == o.input && force == o.force && fromMs == o.fromMs;
    }
};

// Two outputs (1..8) that may never be on at the same moment.
struct OutputPair {
    int first = 1;
    int second = 2;
    bool operator==(const OutputPair& o) const { return first == o.first && second == o.second; }
};

struct Requirements {
    Count putDown;   // "afgelegd": parts the handling station put down
    Count dropped;   // "gevallen": parts the handling station let fall
    Count slide;     // "glijbaan": parts in the conveyor's slide
    Count beltEnd;   // "eind": parts queued at the far end of the belt
    Count pushedOff; // "afgevoerd": lids pushed off the stack magazine
    QVector<OutputPair> neverTogether;
    // No cylinder ever runs into a part or another cylinder.
    bool neverBlocked = false;
    // Every output off at the end.
    bool outputsOff = false;
    PlanEnd planEnd = PlanEnd::Any;

    bool operator==(const Requirements& o) const
    {
        return putDown == o.putDown && dropped == o.dropped && slide == o.slide &&
               beltEnd == o.beltEnd && pushedOff == o.pushedOff &&
               neverTogether == o.neverTogether && neverBlocked == o.neverBlocked &&
               outputsOff == o.outputsOff && planEnd == o.planEnd;
    }
};

struct Scenario {
    QString name;
    int seconds = 10;
    // Lids in the stack magazine at the start; nothing: full.
    std::optional<int> magazine;
    QVector<PartDrop> parts;
    QVector<InputFault> faults;
    // A step that waits for "Volgende" gets it this long after it starts.
    int buttonMs = DefaultButtonMs;
    Requirements req;

    bool operator==(const Scenario& o) const
    {
        return name == o.name && seconds == o.seconds && magazine == o.magazine &&
               parts == o.parts && faults == o.faults && buttonMs == o.buttonMs && req == o.req;
    }
};

struct Lesson {
    QString title;
    station::Station station = station::Station::Transportband;
    // The lines the pupil reads.
    QStringList text;
    // The plan the pupil starts from, if the teacher gives one.
    std::optional<plan::Plan> startPlan;
    QVector<Scenario> scenarios;
    // Fault finding ("soort": "storing zoeken"): the one hidden fault the
    // pupil looks for by hand; such a lesson has no scenarios.
    std::optional<HiddenFault> hunt;

    bool operator==(const Lesson& o) const
    {
        return title == o.title && station == o.station && text == o.text &&
               startPlan == o.startPlan && scenarios == o.scenarios && hunt == o.hunt;
    }
};

} // namespace lesson
