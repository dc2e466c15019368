#pragma once

#include "app/program.h"
#include "interface_link/simulated_interface.h"
#include "main_window/main_plan_host.h"
#include "step_plan/step_plan_window.h"
#include "support/manual_time.h"
#include "support/test_support.h"
#include "virtual_station/virtual_station_window.h"

#include <memory>

namespace testing
{

// The program as main() puts it together (app::Program) on the simulated
// interface with its default settings: the main window, the simulated
// station following the station in view, the virtual station, and the step
// plan on the main window. Outside services are recorded unless
// `realBoxes` keeps the program's own message boxes. With `time` the station and the step plan run
// on it instead of on timers.
class ProgramFixture
{
  public:
    explicit ProgramFixture(bool realBoxes = false, ManualTime* time = nullptr);
    ~ProgramFixture();

    ServiceScope services;
    iface::SimulatedInterface port;
    std::unique_ptr<app::Program> program;
    // Parts of `program`.
    Main* main = nullptr;
    MainPlanHost* planHost = nullptr;
    plan::StepPlanWindow* stepPlan = nullptr;
    virt::VirtualStationWindow* station = nullptr;
    int quits = 0;

    sim::StationRunner& simulated() const { return *port.stationRunner(); }

    template <typename T = QObject> T* control(const QString& name) const
    {
        return main->findChild<T*>(name);
    }
    // Clicks a main-window button the way the mouse does.
    void click(const QString& name) const;
};

} // namespace testing
