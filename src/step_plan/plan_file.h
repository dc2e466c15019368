#pragma once

#include "step_plan/plan.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Plans on disk, as JSON:
//   {"station": "Station handling",
//    "stappen": [{"zet": {"1": true}, "tot": {"ingang": 2, "aan": true}},
//                {"zet": {"2": false}, "tot": {"seconden": 0.5}},
//                {"zet": {}, "tot": {"knop": true}, "maxSeconden": 5}],
//    "herhaal": false}
// "zet" maps output numbers "1".."8" to on/off; "tot" holds exactly one of
// an input ("ingang" with "aan"), a time ("seconden") or the pupil's button
// ("knop": true); "maxSeconden" is the time-out of an input wait and
// "uitleg" a line for the pupil shown while the step waits. Keys the
// program does not know are left alone, so the format can grow.
namespace plan
{

// Largest file taken for a plan, and most steps in one.
constexpr qint64 MaxFileBytes = 1 << 20;
constexpr int MaxSteps = 500;

struct ReadResult {
    std::optional<Plan> plan;
    // Why the file was refused, in Dutch, naming the file and, where it
    // lies in a step, the step and the point.
    QString error;
};

// `fileName` is the name shown in messages.
ReadResult parsePlan(const QByteArray& json, const QString& fileName);
ReadResult readPlanFile(const QString& path);

// Why the plan cannot run on its station (a step names a point the station
// does not use), or empty when it can. Without "Kan ... niet openen".
QString checkPoints(const Plan& plan);

QByteArray writePlan(const Plan& plan);
// Writes the whole file or nothing (an existing file stays as it was when
// writing fails); returns why it failed, or empty.
QString savePlanFile(const Plan& plan, const QString& path);
// The same for any file the pupil or teacher saves (a lesson, say): the
// whole of `bytes` or nothing, and the Dutch reason when it failed.
QString saveWholeFile(const QByteArray& bytes, const QString& path);

} // namespace plan
