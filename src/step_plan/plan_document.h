#pragma once

#include "step_plan/plan.h"
#include "step_plan/recovery.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace plan
{

// The plan a pupil is working on, without any widget: the plan itself, the
// selected step, the copy last opened, saved or begun, and its file. It
// makes the decisions of editing, opening, saving, leaving and recovering;
// the questions and file dialogs are asked through Prompts, so a window (or
// a test) supplies them. While a run is active (setRunning) nothing changes
// the plan.
class PlanDocument : public QObject
{
    Q_OBJECT

  public:
    struct Prompts {
        // "Wijzigingen opslaan?": platform::ResultSave, ResultDiscard, or
        // anything else to keep the plan.
        std::function<int()> askSaveChanges;
        // "Wil je verder met dat plan?" (the whole text given): ResultYes,
        // ResultNo, or anything else to keep the file for next time.
        std::function<int(const QString& text)> askRecovery;
        // The Open dialog in `folder`; empty when cancelled.
        std::function<QString(const QString& folder)> openFileName;
        // The Save dialog at `suggested`; empty when cancelled.
        std::function<QString(const QString& suggested)> saveFileName;
    };

    explicit PlanDocument(QObject* parent = nullptr);

    void setPrompts(Prompts prompts) { m_prompts = std::move(prompts); }
    void setRunning(std::function<bool()> running) { m_running = std::move(running); }
    bool isRunning() const { return m_running && m_running(); }

    const Plan& plan() const { return m_plan; }
    const Plan& savedPlan() const { return m_saved; }
    // The file the plan came from or went to last; empty for a new plan.
    QString path() const { return m_path; }
    // The plan differs from the one last opened, saved or begun with "Nieuw".
    bool isModified() const { return !(m_plan == m_saved); }

    // The selected step, 0-based; -1 for none. Selecting emits nothing: the
    // view that selects shows it.
    int selected() const { return m_selected; }
    bool hasSelection() const { return m_selected >= 0 && m_selected < m_plan.steps.size(); }
    void select(int row) { m_selected = row; }

    // Another plan in its place (the first step selected); refused while it
    // runs. The saved copy and file stay.
    bool replace(const Plan& plan);

    // Edits of the selected step; false when nothing changed.
    bool editSelected(const std::function<void(Step&)>& change);
    bool setTarget(int output, std::optional<bool> value);
    // An input wait keeps its input when the station uses it, and otherwise
    // takes the first input the station uses.
    bool setWaitKind(WaitKind kind);
    bool setWaitInput(int input);
    bool setWaitOn(bool on);
    bool setWaitMs(int ms);
    bool setTimeoutMs(int ms);
    bool setNote(const QString& note);

    // Refused, with a message, when a step names a point the station does
    // not use.
    bool setStation(station::Station s);
    void setRepeat(bool on);
    // A new step after the selected one (at the end without a selection).
    bool addStep();
    bool removeStep();
    // The selected step `by` places up (-1) or down (1).
    bool moveStep(int by);

    // Opening and saving; the message says what happened or why not.
    bool load(const QString& path);
    bool save(const QString& path);
    // The pupil's own file is written again; a new plan or an example asks
    // where to, as "Opslaan…" does.
    bool saveChanges();
    // "Opslaan…": always asks where, in the pupil's folder unless the plan
    // is the pupil's own file.
    bool saveAs();
    // A file of the pupil's, not an example and not new.
    bool isOwnFile() const;
    // "Nieuw": an empty plan for the same station, after mayLeave.
    bool newPlan();
    // A new plan that starts with `plan`'s steps (a lesson's start plan):
    // without a file and unchanged, so saving it asks where. Asks nothing:
    // the caller knows the plan in its place may go. Refused while a plan runs.
    bool begin(const Plan& plan);
    // "Openen…"/"Voorbeelden…": after mayLeave, the Open dialog in `folder`.
    void openFrom(const QString& folder);

    // Before the plan makes way: true when it may go (unchanged, saved, or
    // the pupil lets the changes go), false when it stays.
    bool mayLeave();
    // Back to the plan as last opened or saved (after "Niet opslaan").
    bool revert();

    // The program ends: from now on no question is asked.
    void endProgram() { m_ending = true; }
    bool isEnding() const { return m_ending; }
    // Offers the plan a previous run left in `recoveryPath`, unless a plan
    // of this session would be pushed aside; the file goes once answered.
    void offerRecovery(const QString& recoveryPath);
    // Takes the kept plan; compared with the file it came from it stays
    // changed.
    bool restore(const Recovery& kept);

  signals:
    // The plan changed in any way (first, before the signals below).
    void planChanged();
    // Another plan as a whole.
    void planReset();
    void stepEdited(int row);
    // Steps added, removed or moved; the selection follows.
    void stepsChanged();
    void stationChanged();
    // The file or the saved copy changed.
    void fileChanged();
    void message(const QString& text);

  private:
    void setPlan(const Plan& plan);

    Prompts m_prompts;
    std::function<bool()> m_running;
    Plan m_plan;
    Plan m_saved; // as last opened, saved or begun
    QString m_path;
    int m_selected = -1;
    bool m_ending = false;
};

} // namespace plan
