#pragma once

#include "lesson/lesson.h"

#include <QObject>
#include <QString>

#include <memory>

namespace platform
{
class Clock;
}

namespace plan
{
class Sequencer;
}

namespace sim
{
class StationRunner;
}

namespace lesson
{

struct ScenarioResult {
    QString name;
    bool passed = false;
    // Simulated time of the first failure from the scenario's start; -1
    // when it passed or when the failure was judged at the end.
    qint64 failedAtMs = -1;
    // The first requirement that failed, as a whole Dutch sentence with
    // the time ("Na 4,2 s: ..." or "Aan het eind ..."); empty when passed.
    QString sentence;
};

// One scenario of a lesson on a station runner and a clock the caller gives:
// whoever moves the clock drives it (a hand-moved clock for the check, the
// program's timer clock to watch it). It empties the station, runs the
// plan through a sequencer with the program's interlocks, lays the parts,
// sets the faults, presses "Volgende" and judges the requirements: the
// continuous ones at every change of the station, the rest at the end. It
// stops at the scenario's end or at the first continuous failure, and
// every way out switches all outputs off. Without a plan it never writes
// the outputs: their owner (a PLC) does.
class ScenarioRun : public QObject
{
    Q_OBJECT

  public:
    // `plan` null: something else drives the outputs (a PLC); the run then
    // neither writes them nor judges the plan's end. `runner` and `clock`
    // must outlive the run; the scenario and the plan are copied. The run
    // takes the clock's wake handler: give it a clock of its own (a
    // SplitClock's, say), not the station's. A scenario the lesson lacks
    // fails at start().
    ScenarioRun(const Lesson& lesson, int scenario, sim::StationRunner& runner,
                platform::Clock& clock, const plan::Plan* plan, QObject* parent = nullptr);
    ~ScenarioRun() override;

    // Empties the station and starts the scenario (once).
    void start();
    // Ends the run early (the pupil stopped watching); all outputs off.
    void stop();

    bool isDone() const { return m_done; }
    // The verdict once done; not passed before.
    ScenarioResult result() const { return m_result; }
    // The plan's sequencer, for marking the running step; null without a plan.
    const plan::Sequencer* sequencer() const;
    // Simulated time since start().
    qint64 elapsedMs() const;

  signals:
    // The station, the plan or the time moved on.
    void changed();
    // The run ended; result() holds the verdict.
    void finished();

  private:
    class Host;
    struct Event;

    void schedule(qint64 atMs, int kind, int index);
    void onWake();
    void onStation();
    void layParts();
    void pressIfWaiting();
    void judgeContinuous();
    void judgeEnd();
    void switchOffPlanOutputs();
    // `atMs`: time since the start, or -1 for a failure judged at the end.
    void fail(qint64 atMs, const QString& sentence);
    void finish();

    const Scenario m_scenario;
    const bool m_valid;
    station::Station m_station;
    sim::StationRunner& m_runner;
    platform::Clock& m_clock;
    struct Engine;
    std::unique_ptr<Engine> m_engine;
    ScenarioResult m_result;
    qint64 m_startMs = 0;
    qint64 m_endMs = 0;
    bool m_started = false;
    bool m_done = false;
    // True while start() empties the station: those changes are not judged.
    bool m_busy = false;
};

} // namespace lesson
