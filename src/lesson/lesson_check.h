#pragma once

#include "lesson/lesson.h"
#include "lesson/scenario_run.h"

#include <QString>
#include <QVector>

namespace lesson
{

struct Report {
    QString title;
    QVector<ScenarioResult> scenarios;
    int passed() const;
};

// Why `plan` cannot be checked against `lesson` at all (another station, no
// steps, points the station lacks) as one Dutch sentence; empty when it can.
QString planProblem(const Lesson& lesson, const plan::Plan& plan);

// Plays scenario `index` on a fresh simulated station of its own, on a
// hand-moved clock, as fast as the machine can; never on the interface in
// use.
ScenarioResult checkScenario(const Lesson& lesson, int index, const plan::Plan& plan);
// Every scenario in turn. A plan that cannot be checked fails every
// scenario with planProblem's sentence.
Report checkPlan(const Lesson& lesson, const plan::Plan& plan);

// "✓ Scenario 1: naam" or "✗ Scenario 2: naam" and, for a ✗, the sentence
// on the next line, indented.
QString scenarioLine(int number, const ScenarioResult& result);
// The title, every scenario's line, and how many passed. The same lesson and
// plan give the same text, byte for byte.
QString reportText(const Report& report);

} // namespace lesson
