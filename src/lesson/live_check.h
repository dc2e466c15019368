#pragma once

#include "lesson/lesson_check.h"

#include <QObject>
#include <QString>

#include <memory>

namespace iface
{
class DrivenElsewhere;
}

namespace platform
{
class Clock;
class SplitClock;
} // namespace platform

namespace sim
{
class StationRunner;
}

namespace lesson
{

// What a live check found.
struct LiveReport {
    // The scenarios played, in order; the last one may have been stopped.
    Report report;
    // How many scenarios the lesson has (played or not).
    int scenarioCount = 0;
    // The PLC that drove the outputs; empty when none did.
    QString plc;
    // Why nothing was played; empty when the check ran.
    QString notRun;
};

// "Live gecontroleerd met de PLC op ...", the plan check's line for every
// scenario played, a line for every scenario not played, and how many of
// all passed. When nothing ran: the title and why.
QString liveReportText(const LiveReport& report);

// Plays a lesson's scenarios one after another, in real time, on the
// station served to a PLC, while that PLC drives it: before each scenario
// the station is emptied and the scenario's parts and faults are laid, and
// the requirements are judged as in the plan check (the plan's end is not:
// there is no plan). The check never writes an output. It stops when the
// PLC that drove at the start stops driving (silent, gone, another one took
// over), at the Noodstop, when another station is chosen, or when the pupil
// stops it; the scenario under way then says why, and never passes. After
// a check that played anything the station is fresh again: the parts it
// laid are gone and every input is free.
class LiveCheck : public QObject
{
    Q_OBJECT

  public:
    // `runner` is the served station and `driven` its owner's side; they and
    // `clock` (whose wake-up the check takes) must outlive the check.
    LiveCheck(const Lesson& lesson, sim::StationRunner& runner, iface::DrivenElsewhere& driven,
              platform::Clock& clock, QObject* parent = nullptr);
    ~LiveCheck() override;

    // Starts the first scenario, or, when no PLC drives the station (or
    // anything else keeps the check from running), ends at once with the
    // reason in the report. Once only.
    void start();
    // The pupil stops the check; the scenario under way fails.
    void stop();

    bool isRunning() const { return m_started && !m_done; }
    bool isDone() const { return m_done; }
    // "Scenario 2 van 4 loopt… 12 s" while it runs; empty otherwise.
    QString progressText() const;
    const LiveReport& report() const { return m_report; }

  signals:
    // Another scenario started, or another second passed.
    void progressed();
    // The check ended; report() holds what it found.
    void finished();

  private:
    QString owner() const;
    // Why the check may not go on now; empty while the PLC still drives.
    QString lostReason() const;
    void startScenario();
    void watch();
    void onRunFinished();
    void afterRun();
    void end(const QString& notRun = {});
    void scheduleTick();

    Lesson m_lesson;
    sim::StationRunner& m_runner;
    iface::DrivenElsewhere& m_driven;
    std::unique_ptr<platform::SplitClock> m_split;
    platform::Clock* m_runClock;
    platform::Clock* m_tick;
    std::unique_ptr<ScenarioRun> m_run;
    LiveReport m_report;
    int m_index = 0;
    // Why the scenario under way was stopped; empty while nothing stopped it.
    QString m_stopWhy;
    bool m_pupilStopped = false;
    bool m_started = false;
    bool m_done = false;
    bool m_playedAny = false;
};

} // namespace lesson
