#pragma once

#include "step_plan/clock.h"
#include "step_plan/plan_files.h"
#include "step_plan/plan_host.h"

#include <QStringList>
#include <QTemporaryDir>
#include <functional>

// Doubles for the step plan: a host that records what a plan switches, a
// clock the test moves by hand, and plan folders and dialogs of the test's own.
namespace testing
{

class RecordingPlanHost : public plan::PlanHost
{
    Q_OBJECT
  public:
    bool isConnected() const override { return connectedNow; }
    station::Station station() const override { return current; }
    int outputWord() const override { return outputs; }
    int inputWord() const override { return inputs; }
    // Applies the main window's interlocks for the station in view; logs
    // "3 aan", "1 uit", "1 aan geweigerd".
    outputs::Refusal setOutput(int i, bool on) override;
    // Logs "reset".
    void emergencyReset() override;
    outputs::Refusal outputsRefusal() const override { return refusal; }

    void setInputs(int word)
    {
        inputs = word;
        emit inputsChanged(word);
    }
    void chooseStation(station::Station s)
    {
        outputs = 0;
        current = s;
        emit stationChanged();
    }
    void endConnection(const QString& reason)
    {
        emit connectionEnding(reason);
        connectedNow = false;
    }

    bool connectedNow = true;
    outputs::Refusal refusal = outputs::Refusal::None; // what keeps a plan off the outputs
    station::Station current = station::Station::Stationhandling;
    int outputs = 0;
    int inputs = 0;
    // Runs after each switch that went through (to act inside it).
    std::function<void(int i, bool on)> afterSet;
    QStringList log;
};

class ManualClock : public plan::Clock
{
  public:
    qint64 nowMs() const override { return now; }
    void wakeAfter(int ms) override { due = now + ms; }
    void cancel() override { due = -1; }
    bool isSet() const override { return due >= 0; }
    // Moves time on, waking the plan at each due time on the way.
    void advance(qint64 ms);

    qint64 now = 0;
    qint64 due = -1;
};

// Plan folders in a temporary directory (the dialogs are ServiceScope's).
class TempPlanFiles : public plan::PlanFileService
{
  public:
    QString documentsFolder() const override { return m_dir.path() + "/Documenten"; }
    QString examplesFolder() const override;
    QString lessonsFolder() const override;

  private:
    QTemporaryDir m_dir;
};

// Puts TempPlanFiles in place for the life of the object.
class PlanFilesScope
{
  public:
    PlanFilesScope() { plan::setPlanFiles(&files); }
    ~PlanFilesScope() { plan::setPlanFiles(nullptr); }
    TempPlanFiles files;
};

// The example plans and the lessons of the build.
QString examplePlanFolder();
QString lessonFolder();

} // namespace testing
