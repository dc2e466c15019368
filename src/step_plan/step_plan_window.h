#pragma once

#include "lesson/lesson_check.h"
#include "step_plan/clock.h"
#include "step_plan/editor_state.h"
#include "step_plan/lesson_pane.h"
#include "step_plan/plan.h"
#include "step_plan/plan_document.h"
#include "step_plan/plan_host.h"
#include "step_plan/recovery_writer.h"
#include "step_plan/sequencer.h"

#include <QWidget>

#include <memory>

namespace ctl
{
class CommandButton;
}

namespace iface
{
class DrivenElsewhere;
}

namespace sim
{
class StationRunner;
}

namespace virt
{
class VirtualStationWindow;
}

namespace plan
{

// "Stappenplan": the pupil writes a plan of steps for a station, saves and
// opens it, and runs it on the interface. The window and its runner exist
// from the start (hidden); its widgets are built the first time it shows.
class StepPlanWindow : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString state READ state NOTIFY stateChanged)
    Q_PROPERTY(int currentStep READ currentStep NOTIFY stateChanged)
    Q_PROPERTY(QString message READ message NOTIFY messageChanged)
    // The teacher froze the class: the plan runs and is checked, but
    // nothing in it can be changed, opened or saved.
    Q_PROPERTY(bool bevroren READ isFrozen NOTIFY frozenChanged)

  public:
    static constexpr int DefaultWidth = 960;
    static constexpr int DefaultHeight = 640;
    // The smallest size the window works at (the plan and its steps then
    // scroll); the layout never asks for more, whatever plan is loaded.
    static constexpr int MinimumWidth = 660;
    static constexpr int MinimumHeight = 290;
    static constexpr int ScrollMinimumHeight = 130;

    // `host` must outlive the window (a run still active when the window
    // goes switches all outputs off through it).
    explicit StepPlanWindow(PlanHost& host, QWidget* parent = nullptr);
    // A plan that waits on `clock` (which must outlive the window) instead
    // of a timer of its own.
    StepPlanWindow(PlanHost& host, Clock* clock, QWidget* parent = nullptr);
    ~StepPlanWindow() override;

    // Opens a plan file; on refusal the plan stays as it was and the
    // message says why.
    Q_INVOKABLE bool load(const QString& path);
    Q_INVOKABLE bool save(const QString& path);
    Q_INVOKABLE bool start();
    Q_INVOKABLE bool step();
    Q_INVOKABLE void stop();
    // "Volgende".
    Q_INVOKABLE void next();

    // "stopped", "running", "paused", "finished" or "failed".
    QString state() const;
    int currentStep() const;
    QString message() const { return m_message; }

    const Plan& plan() const { return m_sequencer.plan(); }
    // Replaces the plan in the window (refused while it runs).
    bool setPlan(const Plan& plan);
    const Sequencer& sequencer() const { return m_sequencer; }
    // The plan being edited, its selection and its file.
    const PlanDocument& document() const { return m_document; }
    // The file the plan came from or went to last; empty for a new plan.
    QString filePath() const { return m_document.path(); }
    // The plan differs from the one last opened, saved or begun with "Nieuw".
    bool isModified() const { return m_document.isModified(); }
    bool isBuilt() const { return m_ui != nullptr; }

    // Shows the window (beside `near` the first time) and brings it forward.
    // The first time it also offers the plan a previous run of the program
    // left unsaved.
    void open(QWidget* near = nullptr);

    // Opens the window as open() does and `lesson` in it, as "Opdracht
    // openen…" does with a file: the pupil's own plan stays. Returns why it
    // was not opened, or empty.
    QString openLesson(const lesson::Lesson& lesson, QWidget* near = nullptr);

    // Fault finding: how the lesson's fault reaches the station, the
    // teacher's one fault, and the pupil's output switches (see LessonPane).
    void setFaultHooks(LessonPane::FaultHooks hooks);
    void setTeacherFault(const std::optional<lesson::HiddenFault>& fault);
    void outputSwitched();
    // The open lesson's search goes on from an earlier run's record.
    void goOnHunting(const lesson::Lesson& lesson, const lesson::HuntResult& kept);

    // The station a PLC drives and that PLC's side, for the lesson's
    // "Controleer met de PLC"; null (the default): no such check.
    void setLiveCheckTarget(sim::StationRunner* runner, iface::DrivenElsewhere* driven);

    // Freezes or releases the plan editor (the class's teacher). Running,
    // checking and every way to switch off stay as they are.
    void setFrozen(bool frozen);
    bool isFrozen() const { return m_frozen; }

    // The program ends (the host's programEnding): never asks, stops a run
    // and keeps a changed plan as the recovery file.
    void programEnding();

    // A changed plan goes to the recovery file RecoveryWriter::DelayMs after
    // the last change, timed on `clock` (which must outlive the window)
    // instead of a timer of its own.
    void setRecoveryClock(Clock* clock);

  signals:
    void stateChanged();
    void messageChanged();
    void frozenChanged();
    // "Controleer" checked `plan` against `lesson`.
    void lessonChecked(const lesson::Lesson& lesson, const lesson::Report& report,
                       const plan::Plan& plan);
    // "Controleer met de PLC" played `lesson` on the station a PLC drives.
    void lessonCheckedLive(const lesson::Lesson& lesson, const lesson::LiveReport& report);
    // "Storing melden…" was answered.
    void faultReported(const lesson::Lesson& lesson, const lesson::HuntResult& result);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    struct Ui;

    void build();
    void setMessage(const QString& message);
    void refreshMessageColour();
    void runChanged();
    void refreshCaption();
    void refreshAll();
    void refreshTable();
    void refreshRow(int row);
    void refreshHighlight();
    void refreshEditor();
    void refreshStationRows();
    void refreshButtons();
    EditorEnabled enabled() const;
    void connectDocument();
    int askSaveChanges();
    int askRecovery(const QString& text);
    void chooseStation(int comboIndex);
    void commitTyping();

    std::unique_ptr<Clock> m_ownClock;
    sim::StationRunner* m_liveRunner = nullptr;
    iface::DrivenElsewhere* m_liveDriven = nullptr;
    LessonPane::FaultHooks m_faultHooks;
    std::optional<lesson::HiddenFault> m_teacherFault;
    Sequencer m_sequencer;
    PlanDocument m_document;
    std::unique_ptr<Clock> m_ownRecoveryClock;
    std::unique_ptr<RecoveryWriter> m_recovery;
    std::unique_ptr<Ui> m_ui;
    QString m_message;
    RunState m_shownState = RunState::Stopped;
    int m_shownStep = 0;
    int m_shownInEditor = -2;
    bool m_filling = false; // widgets are being filled from the plan
    bool m_placed = false;
    bool m_recoveryOffered = false;
    bool m_frozen = false;
    int m_messageColour = -1;
};

// The ways to the window from the main window: a context menu
// "Stappenplan…" on the command frame, the shortcut Ctrl+Shift+S, and
// `button` when given.
void attachStepPlan(QWidget* mainWindow, QWidget* commandFrame, StepPlanWindow* window,
                    ctl::CommandButton* button = nullptr);
// The button "Stappenplan" of the virtual station window.
void attachStepPlan(virt::VirtualStationWindow* station, QWidget* mainWindow,
                    StepPlanWindow* window);

} // namespace plan
