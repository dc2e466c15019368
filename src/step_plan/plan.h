#pragma once

#include "station/station.h"

#include <QString>
#include <QVector>
#include <QtGlobal>

#include <optional>

// A step plan ("Stappenplan"): an ordered list of steps that switch outputs
// of one station and then wait for something before the next step. Points
// are numbered 1..8 as on the interface: output n is bit n-1 of the output
// word, input n bit n-1 of the input word.
namespace plan
{

constexpr int PointCount = 8;

// Limits of the times a pupil can give, in milliseconds.
constexpr int MinWaitMs = 100;
constexpr int MaxWaitMs = 60'000;
constexpr int DefaultTimeoutMs = 10'000;
constexpr int MinTimeoutMs = 100;
constexpr int MaxTimeoutMs = 600'000;

// What a step waits for before the next one starts.
enum class WaitKind {
    Input,  // an input going (or being) on or off
    Time,   // a fixed time
    Button, // the pupil pressing "Volgende"
};

struct Wait {
    WaitKind kind = WaitKind::Button;
    int input = 1;  // Input: 1..8
    bool on = true; // Input: wait for on (true) or off (false)
    int ms = 1000;  // Time: MinWaitMs..MaxWaitMs

    bool operator==(const Wait& o) const
    {
        return kind == o.kind && (kind != WaitKind::Input || (input == o.input && on == o.on)) &&
               (kind != WaitKind::Time || ms == o.ms);
    }
};

struct Step {
    // Outputs the step names (bit n-1 for output n) and, among those, the
    // ones it switches on. Outputs it does not name keep their state.
    quint8 named = 0;
    quint8 on = 0;
    Wait wait;
    // How long an input wait may last before the run fails.
    int timeoutMs = DefaultTimeoutMs;
    // What the pupil should know or do during the step ("Leg een bakje op
    // de band."); shown while the step waits.
    QString note;

    // What the step does with output n (1..8): nothing, on or off.
    std::optional<bool> target(int output) const;
    void setTarget(int output, std::optional<bool> value);

    bool operator==(const Step& o) const
    {
        return named == o.named && (on & named) == (o.on & o.named) && wait == o.wait &&
               (wait.kind != WaitKind::Input || timeoutMs == o.timeoutMs) && note == o.note;
    }
};

struct Plan {
    station::Station station = station::Station::Stationhandling;
    QVector<Step> steps;
    // Start again at step 1 after the last step.
    bool repeat = false;

    bool operator==(const Plan& o) const
    {
        return station == o.station && steps == o.steps && repeat == o.repeat;
    }
};

// The output word after a step, from the word before it.
inline int wordAfter(const Step& step, int word)
{
    return (word & ~int(step.named)) | (step.on & step.named);
}

// Seconds the Dutch way: "10 s", "0,5 s", "2,25 s".
QString secondsText(int ms);

} // namespace plan
