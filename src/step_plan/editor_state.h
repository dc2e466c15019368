#pragma once

namespace plan
{

// What the Stappenplan window offers the pupil at one moment.
struct EditorSituation {
    bool running = false; // a plan runs or waits (the sequencer is active)
    bool frozen = false;  // the teacher froze the class
    int steps = 0;
    int selected = -1; // the selected step, -1 for none
};

// Which of the window's controls are enabled. Running and checking
// ("Start", "Stap", "Volgende", "Stop", "Controleer") are not here: a frozen
// class still runs and checks its plans.
struct EditorEnabled {
    bool openFiles = false;    // Nieuw, Openen…, Voorbeelden…, Opdracht openen…
    bool save = false;         // Opslaan…
    bool planSettings = false; // the station and "herhaal"
    bool add = false;
    bool remove = false;
    bool up = false;
    bool down = false;
    bool stepFields = false; // the selected step's editor
    bool stepTable = false;
};

// One rule for every refresh, so releasing a frozen window gives back
// exactly what the run and the selection allow, never more.
EditorEnabled editorEnabled(const EditorSituation& s);

} // namespace plan
