#pragma once

#include "step_plan/clock.h"
#include "step_plan/plan.h"
#include "step_plan/plan_host.h"
#include "step_plan/station_points.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

namespace plan
{

enum class RunState { Stopped, Running, Paused, Finished, Failed };

// "stopped", "running", "paused", "finished", "failed".
QString stateName(RunState state);
// The state a name stands for; none for a word that is no state's name.
std::optional<RunState> stateFromName(const QString& name);
// The word the pupil reads: "Gestopt", "Bezig", "Gepauzeerd", "Klaar",
// "Mislukt".
QString stateWord(RunState state);

// Runs a plan on a host. A step switches the outputs it names that differ
// from the present word (those going off first, then those going on, each
// in number order, so both coils of a bistable valve are never on
// together), then waits. Input changes are handled the moment the host
// signals them; the clock is set only for timed waits and time-outs.
//
// Every end but "finished" switches all outputs off through the host's
// emergency reset: a refused switch and a time-out fail the run; Stop, a
// station change and "Verbreek" stop it. A lost link stops it too, but then
// the host makes one bounded attempt to switch off, and the message says
// whether the device confirmed it.
class Sequencer : public QObject
{
    Q_OBJECT

  public:
    Sequencer(PlanHost& host, Clock& clock, QObject* parent = nullptr);
    ~Sequencer() override;

    // Refused (false) while a run is active.
    bool setPlan(const Plan& plan);
    const Plan& plan() const { return m_plan; }

    RunState state() const { return m_state; }
    bool isActive() const { return m_state == RunState::Running || m_state == RunState::Paused; }
    // 1-based: the step that runs, the step that runs next while paused, the
    // step that failed; 0 otherwise.
    int currentStep() const { return m_state == RunState::Finished ? 0 : m_index + 1; }
    QString message() const { return m_message; }
    // The running step waits for "Volgende".
    bool waitsForPupil() const;
    // Single-step mode: the run pauses after the step under way.
    bool isSingleStep() const { return m_single; }

    // Runs the plan from step 1, or on from a pause. False, with the reason
    // as message, when it cannot run (not connected, another station in
    // view, no steps).
    bool start();
    // Like start, but pauses after one step; while running, pauses after
    // the step under way.
    bool step();
    // Ends an active run, all outputs off; `reason` replaces the usual
    // "Gestopt tijdens stap n." in the message.
    void stop(const QString& reason = QString());
    // The pupil pressed "Volgende".
    void next();

  signals:
    // State, current step or what the step waits for changed.
    void changed();
    // The message was set (again), also when its text stayed the same.
    void messageChanged(const QString& message);

  private:
    bool begin(bool single);
    void runFrom(int index);
    bool applyOutputs(const Step& step);
    bool waitSatisfied(const Step& step) const;
    void enterWait(const Step& step);
    int advance();
    void complete();
    // `reset`: all outputs off through the host's emergency reset (not for
    // a lost link, where nothing reaches the device).
    void end(RunState state, const QString& message, bool reset = true);
    void setMessage(const QString& message);
    void onInputs();
    void onWake();
    void onStationChanged();
    void onConnectionEnding(const QString& reason);
    void onConnectionLost(const QString& reason);
    QString runningText(const Step& step) const;

    QPointer<PlanHost> m_host;
    Clock& m_clock;
    Plan m_plan;
    StationPoints m_points;
    RunState m_state = RunState::Stopped;
    int m_index = -1;
    bool m_single = false;
    // True while a step switches its outputs: input events then wait until
    // the step looks at its condition itself.
    bool m_switching = false;
    // Counts runs and ends, so that a call that ended the run under way is noticed.
    quint64 m_generation = 0;
    QString m_message;
};

} // namespace plan
