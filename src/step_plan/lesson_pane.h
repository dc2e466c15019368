#pragma once

#include "controls/controls.h"
#include "lesson/lesson.h"
#include "lesson/lesson_check.h"
#include "lesson/live_check.h"
#include "step_plan/plan.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QTableWidget;
class QTextBrowser;

namespace iface
{
class DrivenElsewhere;
}

namespace platform
{
class Clock;
class TimeSource;
} // namespace platform

namespace sim
{
class StationRunner;
}

namespace plan
{

class LessonReplay;
class PlanDocument;
class Sequencer;

// The exercise ("Opdracht") in the Stappenplan window: its title and text,
// "Controleer" (the plan in the editor played through every scenario on
// stations of the check's own, never on the interface in use), the report
// one row a scenario, and "Bekijk" (a scenario replayed in a small window
// of its own). Hidden until a lesson is open.
class LessonPane : public ctl::Frame
{
    Q_OBJECT

  public:
    // `commitTyping` puts text still being typed in the editor into the plan.
    LessonPane(PlanDocument& document, const Sequencer& sequencer,
               std::function<void()> commitTyping, QWidget* parent = nullptr);
    ~LessonPane() override;

    // "Opdracht openen…": the Open dialog in the lessons folder; nothing
    // while frozen, also when the class was frozen while the dialog was open.
    void chooseLesson();
    // The teacher froze the class: the pupil opens no other lesson.
    void setFrozen(bool frozen) { m_frozen = frozen; }
    // Opens a lesson file; a refused one is named in a box and the open
    // lesson stays. An empty plan nobody changed makes way for the lesson's
    // start plan; a plan of the pupil's own is never replaced.
    bool openLesson(const QString& path);
    // The same with a lesson already read (the teacher's, from the class);
    // returns why it was not opened (a fault this interface cannot have),
    // or empty. Shows no box: the caller tells it.
    QString openLesson(const lesson::Lesson& lesson);
    // "Controleer"; false when it cannot check now (no lesson, a plan runs).
    bool check();
    // "Bekijk": replays scenario `row` of the last check with the plan that
    // was checked.
    bool watch(int row);

    bool hasLesson() const { return m_lesson.has_value(); }
    const std::optional<lesson::Lesson>& currentLesson() const { return m_lesson; }
    const std::optional<lesson::Report>& report() const { return m_report; }
    // The replay window while it is open.
    LessonReplay* replay() const;

    // The station served to a PLC and its owner's side: "Controleer met de
    // PLC" is there only with both (null: not).
    void setLiveTarget(sim::StationRunner* runner, iface::DrivenElsewhere* driven);
    // "Controleer met de PLC": the scenarios played live on the served
    // station while the PLC drives it; false when it cannot start now.
    bool checkLive();
    // Ends a live check under way; the scenario it was in fails.
    void stopLive();
    bool isCheckingLive() const;
    // The last live check's report, until the next check of either kind.
    const lesson::LiveReport* liveReport() const;

    // Clocks for the replays and the live check (tests move them by hand); each call gives one
    // that outlives the replay. Unset: each replay runs on timers of its own.
    void setReplayClocks(std::function<platform::Clock*()> next) { m_clocks = std::move(next); }

    // Fault finding ("storing zoeken"). `apply` puts the lesson's hidden
    // fault on the station (nothing: lifts it) and returns why it cannot, or
    // empty; `time` counts the search (the program's own when null).
    struct FaultHooks {
        std::function<QString(const std::optional<lesson::HiddenFault>&)> apply;
        const platform::TimeSource* time = nullptr;
    };
    void setFaultHooks(FaultHooks hooks);
    // The teacher set exactly this one fault (nothing: none, or more than
    // one); while it stands, "Storing melden…" is judged against it.
    void setTeacherFault(const std::optional<lesson::HiddenFault>& fault);
    // The pupil switched an output: counted until the fault is found.
    void outputSwitched();
    // "Storing melden…": the dialog, then the answer; false when there is
    // nothing to report on or the pupil cancelled.
    bool reportFault();
    // An answer as the dialog gives it; returns the sentence shown.
    QString answerFault(const lesson::HiddenFault& answer);
    // The record of `lesson`'s search that an earlier run of the program
    // sent (the program restarted): its answers, presses and time go on,
    // and a fault found then stays found and lifted. Nothing when `lesson`
    // is not the one open.
    void goOnHunting(const lesson::Lesson& lesson, const lesson::HuntResult& kept);
    // The search being scored (the teacher's while it stands); null when none.
    const lesson::FaultHunt* faultHunt() const;

  signals:
    // Every "Controleer": the report and the plan it is about.
    void checked(const lesson::Report& report, const plan::Plan& plan);
    // Every "Controleer met de PLC" that played a scenario: the PLC holds
    // the program, so there is no plan to send with it.
    void checkedLive(const lesson::LiveReport& report);
    // Every answer to "Storing melden…" about `lesson`.
    void faultReported(const lesson::Lesson& lesson, const lesson::HuntResult& result);

  protected:
    void hideEvent(QHideEvent* event) override;

  private:
    void build();
    void takeStartPlan();
    void showLesson();
    void showReport();
    void showSummary();
    void refreshButtons();
    void planChanged();
    void liveProgress();
    void liveFinished();
    void showLiveReport();
    void liftLessonFault();
    void refreshHunt();
    qint64 nowMs() const;

    PlanDocument& m_document;
    const Sequencer& m_sequencer;
    std::function<void()> m_commitTyping;
    std::function<platform::Clock*()> m_clocks;
    std::optional<lesson::Lesson> m_lesson;
    std::optional<lesson::Report> m_report;
    Plan m_checked; // the plan the report is about
    QString m_note; // about the start plan
    QPointer<LessonReplay> m_replay;
    sim::StationRunner* m_liveRunner = nullptr;
    bool m_frozen = false;
    iface::DrivenElsewhere* m_liveDriven = nullptr;
    std::unique_ptr<platform::Clock> m_liveClock;
    std::unique_ptr<lesson::LiveCheck> m_live;
    FaultHooks m_faultHooks;
    std::unique_ptr<platform::TimeSource> m_ownTime;
    bool m_lessonFaultApplied = false;
    std::optional<lesson::FaultHunt> m_hunt;        // the lesson's
    std::optional<lesson::FaultHunt> m_teacherHunt; // the teacher's
    QString m_huntSentence;                         // the last answer's

    QTextBrowser* m_text = nullptr;
    QLabel* m_noteLabel = nullptr;
    QTableWidget* m_table = nullptr;
    QLabel* m_summary = nullptr;
    ctl::CommandButton* m_check = nullptr;
    ctl::CommandButton* m_watch = nullptr;
    ctl::CommandButton* m_checkLive = nullptr;
    ctl::CommandButton* m_reportFault = nullptr;
};

} // namespace plan
