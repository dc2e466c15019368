#pragma once

#include "step_plan/plan_host.h"

class Main;

// What a running step plan sees of the main window: the link, the station
// in view, the I/O words, and the output panel's own path for switching
// (the pupil's interlocks, lamps, writes and click sound; a refusal comes
// back instead of a box) and for the emergency stop.
class MainPlanHost : public plan::PlanHost
{
    Q_OBJECT

  public:
    explicit MainPlanHost(Main& window, QObject* parent = nullptr);

    bool isConnected() const override;
    station::Station station() const override;
    QString stationUnavailable(station::Station s) const override;
    int outputWord() const override;
    int inputWord() const override;
    outputs::Refusal setOutput(int i, bool on) override;
    void emergencyReset() override;
    bool switchOffAfterLoss() override;
    outputs::Refusal outputsRefusal() const override;

  private:
    Main& m_window;
};
