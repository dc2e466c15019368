#include "main_window/main.h"
#include "app/command_line.h"
#include "interface_link/easyport_control.h"
#include "interface_link/interface_factory.h"
#include "interface_link/simulated_easyport.h"
#include "main_window/keyboard.h"
#include "main_window/plan_host_link.h"
#include "platform/exit_signals.h"
#include "plc/plc_easyport.h"
#include "platform/qt_translations.h"
#include "step_plan/step_plan_window.h"
#include "virtual_station/virtual_station_window.h"

#include <QApplication>
#include <QSessionManager>

int main(int argc, char* argv[])
{
    // --help, --version and --settings are read before anything needs a display.
    if (const int status = cmdline::readCommandLine(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Automatiseren"));
    QApplication::setApplicationDisplayName(QStringLiteral("Automatiseren voor het VMBO"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(DRAVIK_VERSION_MAJOR)
                                            .arg(DRAVIK_VERSION_MINOR)
                                            .arg(DRAVIK_VERSION_PATCH));
    // The pupil reads Dutch, also in Qt's own buttons and file dialogs.
    platform::installDutchQtTexts();

    std::unique_ptr<iface::EasyPortControl> easyPort = iface::createInterfaceFromInstallation();
    int status = 0;
    {
        Main window(easyPort.get());
        // The simulated interface follows the station in view; the window
        // itself does not know which interface it drives, nor the interface
        // which window chooses the station.
        // Served to PLCs, the station is a simulated one all the same.
        auto* plcPort = qobject_cast<plc::PlcEasyPort*>(easyPort.get());
        iface::EasyPortControl* drawn = plcPort ? plcPort->simulatedStation() : easyPort.get();
        if (auto* sim = qobject_cast<iface::SimulatedEasyPort*>(drawn)) {
            sim->setStation(window.stationState().current());
            QObject::connect(&window.stationState(), &station::StationState::changed, sim,
                             &iface::SimulatedEasyPort::setStation);
        }
        // With the simulated interface the pupil can watch the station move.
        std::unique_ptr<virt::VirtualStationWindow> station =
            virt::attachVirtualStation(drawn, &window);
        if (station && plcPort)
            station->setStatusBar(plcPort->makeStatusBar());
        // A pupil working in it keeps the output keys and Esc.
        mw::shareOutputKeys(window, station.get());
        // The step plan: hidden until the pupil asks for it, reachable from
        // the command frame, Ctrl+Shift+S and the virtual station.
        MainPlanHost planHost(window);
        plan::StepPlanWindow stepPlan(planHost);
        plan::attachStepPlan(&window, window.FrameCommand, &stepPlan);
        if (station)
            plan::attachStepPlan(station.get(), &window, &stepPlan);
        // SIGINT, SIGTERM, SIGHUP and the end of the desktop session leave
        // the way "Afsluiten" does: outputs off first.
        platform::ExitSignals* exitSignals = platform::ExitSignals::install(&app);
        QObject::connect(exitSignals, &platform::ExitSignals::exitRequested, &window,
                         &Main::exitProgram);
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                         [&window](QSessionManager&) { window.exitProgram(); });
        window.show();
        status = QApplication::exec();
    }
    // Destroying the control waits (bounded) until the all-off word has
    // reached the device.
    easyPort.reset();
    return status;
}
