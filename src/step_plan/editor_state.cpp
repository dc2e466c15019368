#include "step_plan/editor_state.h"

namespace plan
{

EditorEnabled editorEnabled(const EditorSituation& s)
{
    const bool edit = !s.running && !s.frozen;
    const bool have = s.selected >= 0 && s.selected < s.steps;
    EditorEnabled e;
    e.openFiles = edit;
    // Saving leaves the plan as it is, so a running plan may be saved.
    e.save = !s.frozen;
    e.planSettings = edit;
    e.add = edit;
    e.remove = edit && have;
    e.up = edit && have && s.selected > 0;
    e.down = edit && have && s.selected < s.steps - 1;
    e.stepFields = edit && have;
    // While a plan runs the table shows where it is.
    e.stepTable = !s.frozen;
    return e;
}

} // namespace plan
