#pragma once

#include "klas/klas_settings.h"
#include "lesson/fault_hunt.h"

#include <memory>

class Main;
class MainPlanHost;

namespace iface
{
class DrivenElsewhere;
class EasyPortControl;
class HiddenFaults;
class SimulatedStationSource;
} // namespace iface

namespace klas
{
class PupilSession;
}

namespace platform
{
class Clock;
}

namespace plan
{
class StepPlanWindow;
}

namespace station
{
class StationState;
}

namespace virt
{
class VirtualStationWindow;
}

namespace app
{

// What the interface can do beyond EasyPortControl; null where it cannot.
struct Capabilities {
    // Another device (a PLC) drives the outputs too; the Noodstop holds them.
    iface::DrivenElsewhere* drivenElsewhere = nullptr;
    // How the teacher's hidden faults meet the interface.
    iface::HiddenFaults* hiddenFaults = nullptr;
    // A simulated station behind the interface.
    iface::SimulatedStationSource* simulatedStation = nullptr;
};

// The one place that asks an interface what it can do.
Capabilities capabilitiesOf(iface::EasyPortControl* port);
// Hands them to the window's own controllers: the output switch and the
// Noodstop, and the connection panel's hidden faults.
void handCapabilities(Main& window, const Capabilities& capabilities);

// The pupil's program, put together once for main(), the developer tools
// and the tests: the interface, the main window, the simulated station
// following the station in view, the virtual station, the step-plan window
// and its ways in, and the class session. Nothing is shown yet.
class Program
{
  public:
    // On the interface the installation file names.
    static std::unique_ptr<Program> fromInstallation(const klas::KlasSettings& klas = {});
    // On `port`, which the caller keeps and which outlives the program. A
    // step plan runs on `planClock` when one is given (tests move it by
    // hand), else on its own timer.
    explicit Program(iface::EasyPortControl& port, const klas::KlasSettings& klas = {},
                     platform::Clock* planClock = nullptr);
    // On `port`, which the program owns: destroyed last, it waits (bounded)
    // until the all-off word has reached the device.
    explicit Program(std::unique_ptr<iface::EasyPortControl> port,
                     const klas::KlasSettings& klas = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    iface::EasyPortControl& port() const { return *m_port; }
    const Capabilities& capabilities() const { return m_capabilities; }
    Main& window() const { return *m_window; }
    MainPlanHost& planHost() const { return *m_planHost; }
    plan::StepPlanWindow& stepPlan() const { return *m_stepPlan; }
    // Only on a simulated station (also one served to PLCs).
    virt::VirtualStationWindow* virtualStation() const { return m_virtualStation.get(); }
    // Only with a usable [klas] group.
    klas::PupilSession* classSession() const { return m_classSession.get(); }

  private:
    void build();
    void joinClass();
    void huntFaults();
    // The teacher's faults, or the lesson's one fault while the teacher set none.
    void applyFaults();

    klas::KlasSettings m_klas;
    std::unique_ptr<iface::EasyPortControl> m_ownedPort;
    iface::EasyPortControl* m_port;
    Capabilities m_capabilities;
    platform::Clock* m_planClock = nullptr;
    std::unique_ptr<Main> m_window;
    std::unique_ptr<virt::VirtualStationWindow> m_virtualStation;
    std::unique_ptr<MainPlanHost> m_planHost;
    std::unique_ptr<plan::StepPlanWindow> m_stepPlan;
    std::unique_ptr<klas::PupilSession> m_classSession;
    lesson::FaultMasks m_teacherFaults;
    std::optional<lesson::HiddenFault> m_lessonFault;
};

// The simulated station follows the station in view: set now and on every
// change. Does nothing without one (null).
void linkStation(const station::StationState& state, iface::SimulatedStationSource* source);

} // namespace app
