#include "lesson/lesson_check.h"

#include "platform/manual_clock.h"
#include "simulation/simulated_station.h"
#include "step_plan/plan_file.h"

#include <algorithm>

namespace lesson
{

int Report::passed() const
{
    return int(std::count_if(scenarios.begin(), scenarios.end(),
                             [](const ScenarioResult& r) { return r.passed; }));
}

QString planProblem(const Lesson& lesson, const plan::Plan& plan)
{
    if (plan.station != lesson.station)
        return QStringLiteral("Dit stappenplan is voor %1, maar de opdracht is voor %2.")
            .arg(station::displayName(plan.station), station::displayName(lesson.station));
    if (plan.steps.isEmpty())
        return QStringLiteral("Het stappenplan heeft nog geen stappen.");
    if (const QString points = plan::checkPoints(plan); !points.isEmpty())
        return QStringLiteral("Dit plan past niet bij het station: %1").arg(points);
    return {};
}

ScenarioResult checkScenario(const Lesson& lesson, int index, const plan::Plan& plan)
{
    ScenarioResult result;
    if (index < 0 || index >= lesson.scenarios.size())
        return result;
    result.name = lesson.scenarios[index].name;
    if (const QString why = planProblem(lesson, plan); !why.isEmpty()) {
        result.sentence = why;
        return result;
    }
    // The run's own time and station: the interface in use never moves.
    platform::ManualClock time;
    platform::SplitClock clocks(time);
    sim::SimulatedStation station(clocks.newClock());
    ScenarioRun run(lesson, index, station, *clocks.newClock(), &plan);
    run.start();
    // The scenario's end is always due, so this ends; the bound is a guard.
    const qint64 limit = time.nowMs() + qint64(MaxScenarioSeconds + 1) * 1000;
    while (!run.isDone() && time.advanceToWake(limit - time.nowMs())) {
    }
    if (!run.isDone())
        run.stop();
    return run.result();
}

Report checkPlan(const Lesson& lesson, const plan::Plan& plan)
{
    Report report;
    report.title = lesson.title;
    for (int i = 0; i < lesson.scenarios.size(); ++i)
        report.scenarios.append(checkScenario(lesson, i, plan));
    return report;
}

QString scenarioLine(int number, const ScenarioResult& result)
{
    QString line = QStringLiteral("%1 Scenario %2: %3")
                       .arg(result.passed ? QStringLiteral("✓") : QStringLiteral("✗"))
                       .arg(number)
                       .arg(result.name);
    if (!result.passed)
        line += QStringLiteral("\n  ") + result.sentence;
    return line;
}

QString reportText(const Report& report)
{
    QString text = QStringLiteral("Opdracht: %1\n").arg(report.title);
    for (int i = 0; i < report.scenarios.size(); ++i)
        text += scenarioLine(i + 1, report.scenarios[i]) + QLatin1Char('\n');
    const int total = int(report.scenarios.size());
    text += QStringLiteral("%1 van %2 %3 goed.\n")
                .arg(report.passed())
                .arg(total)
                .arg(total == 1 ? QStringLiteral("scenario") : QStringLiteral("scenario's"));
    return text;
}

} // namespace lesson
