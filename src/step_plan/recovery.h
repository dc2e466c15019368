#pragma once

#include "step_plan/plan.h"

#include <QString>
#include <optional>

namespace plan
{

// The plan that was being edited, unsaved, when the program ended; kept in
// a file of its own so the window can offer it the next time.
struct Recovery {
    Plan plan;
    QString origin; // the file the plan came from; empty for a new plan
};

// Writes the whole file or nothing (creating its folder); returns why it
// failed, or empty.
QString writeRecovery(const Recovery& recovery, const QString& path);
// Nothing when there is no such file or it does not hold a plan that fits
// its station.
std::optional<Recovery> readRecovery(const QString& path);

} // namespace plan
