#include "support/plan_doubles.h"

#include "step_plan/station_points.h"
#include "support/test_support.h"

#include <QDir>

namespace testing
{

outputs::Refusal RecordingPlanHost::setOutput(int i, bool on)
{
    const QString what = QStringLiteral("%1 %2").arg(i + 1).arg(on ? "aan" : "uit");
    const outputs::Refusal why = outputs::interlock(current, i, on, inputs, outputs);
    if (why != outputs::Refusal::None) {
        log << what + QStringLiteral(" geweigerd");
        return why;
    }
    if (outputs::bitSet(outputs, i) != on)
        outputs ^= 1 << i;
    log << what;
    if (afterSet)
        afterSet(i, on);
    return why;
}

void RecordingPlanHost::emergencyReset()
{
    outputs = 0;
    log << QStringLiteral("reset");
}

void ManualClock::advance(qint64 ms)
{
    const qint64 until = now + ms;
    while (due >= 0 && due <= until) {
        now = due;
        due = -1;
        wake();
    }
    now = until;
}

QString TempPlanFiles::examplesFolder() const
{
    return examplePlanFolder();
}

QString TempPlanFiles::lessonsFolder() const
{
    return lessonFolder();
}

QString lessonFolder()
{
    return TempProgramFolder::buildAssetFolder() + QStringLiteral("/Opdrachten");
}

QString examplePlanFolder()
{
    return TempProgramFolder::buildAssetFolder() + QStringLiteral("/Stappenplannen");
}

} // namespace testing
