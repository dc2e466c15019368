#pragma once

#include "lesson/lesson.h"
#include "step_plan/plan.h"
#include "virtual_station/scene_model.h"
#include "virtual_station/scene_painter.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class QLabel;

namespace platform
{
class Clock;
}

namespace sim
{
class SimulatedStation;
}

namespace lesson
{
class ScenarioRun;
}

namespace plan
{

// "Bekijk": one scenario of a lesson replayed at real speed on a simulated
// station of its own, drawn as the virtual station draws it, with the step
// that runs and the time. Where the scenario fails the picture stands still
// at that moment and the sentence says what went wrong. No output of the
// interface in use is touched; closing the window ends the replay.
class LessonReplay : public QWidget
{
    Q_OBJECT

  public:
    // `stationClock` and `runClock` (tests move them by hand) must outlive
    // the window; null: timers of its own.
    LessonReplay(const lesson::Lesson& lesson, int scenario, const Plan& plan,
                 platform::Clock* stationClock = nullptr, platform::Clock* runClock = nullptr,
                 QWidget* parent = nullptr);
    ~LessonReplay() override;

    // Starts (again) from the scenario's beginning.
    void restart();
    bool isDone() const;
    // What the picture shows: the time from the start and the signals.
    qint64 shownMs() const { return m_shownMs; }
    const virt::Signals& shownSignals() const { return m_signals; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    class Scene;

    void follow();
    void refreshText();

    lesson::Lesson m_lesson;
    int m_index;
    Plan m_plan;
    platform::Clock* m_stationClock;
    platform::Clock* m_runClock;
    std::unique_ptr<platform::Clock> m_ownRunClock;
    std::unique_ptr<sim::SimulatedStation> m_station;
    std::unique_ptr<lesson::ScenarioRun> m_run;
    virt::SceneLayout m_layout;
    virt::Pose m_pose;
    virt::Signals m_signals;
    qint64 m_shownMs = 0;
    int m_shownStep = 0;
    bool m_planFinished = false;
    QTimer m_ticker;
    Scene* m_scene = nullptr;
    QLabel* m_stepLine = nullptr;
    QLabel* m_outcome = nullptr;
};

} // namespace plan
