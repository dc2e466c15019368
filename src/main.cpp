#include "main_window/main.h"
#include "app/command_line.h"
#include "interface_link/easyport_control.h"
#include "interface_link/interface_factory.h"
#include "klas/class_session.h"
#include "klas/klasoverzicht.h"
#include "main_window/keyboard.h"
#include "main_window/plan_host_link.h"
#include "platform/exit_signals.h"
#include "platform/qt_translations.h"
#include "platform/services.h"
#include "plc/plc_easyport.h"
#include "plc/plc_server.h"
#include "settings/installation_settings.h"
#include "simulation/station_runner.h"
#include "step_plan/step_plan_window.h"
#include "virtual_station/virtual_station_window.h"
#include "window_placement/window_placer.h"

#include <QApplication>
#include <QSessionManager>
#include <QSettings>
#include <QSysInfo>
#include <QTimer>

namespace
{

// [klas] of the installation file; without it the program does no
// networking at all.
klas::KlasSettings classSettings()
{
    QSettings* file = settings::installationFile();
    return file ? klas::KlasSettings::fromSettings(*file, QSysInfo::machineHostName())
                : klas::KlasSettings{};
}

// --docent: the teacher's class overview instead of the main window.
int runTeacherWindow(QApplication& app, const klas::KlasSettings& settings)
{
    if (!settings.usable()) {
        const QString why =
            settings.present
                ? settings.problem
                : QStringLiteral("In het installatiebestand %1 staat geen groep [klas] met de "
                                 "klasbroker.")
                      .arg(settings::installationFilePath());
        platform::messages().show(nullptr,
                                  {QStringLiteral("Klasoverzicht"), why,
                                   platform::MessageButtons::Ok, platform::MessageIcon::Warning});
        return 2;
    }
    std::unique_ptr<klas::Klasoverzicht> window = klas::makeTeacherWindow(settings);
    platform::ExitSignals* exitSignals = platform::ExitSignals::install(&app);
    QObject::connect(exitSignals, &platform::ExitSignals::exitRequested, &app,
                     [] { QCoreApplication::exit(0); });
    // Inside the screen's usable area, as every window of the program.
    placement::placeMainWindow(window.get(), window->size());
    window->show();
    return QApplication::exec();
}

} // namespace

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
    const klas::KlasSettings klasSettings = classSettings();
    if (cmdline::teacherWindowAsked())
        return runTeacherWindow(app, klasSettings);

    std::unique_ptr<iface::EasyPortControl> easyPort = iface::createInterfaceFromInstallation();
    int status = 0;
    {
        Main window(easyPort.get());
        // The simulated interface follows the station in view; the window
        // itself does not know which interface it drives, nor the interface
        // which window chooses the station.
        // Served to PLCs, the station is a simulated one all the same.
        auto* plcPort = qobject_cast<plc::PlcEasyPort*>(easyPort.get());
        if (sim::StationRunner* simulated = easyPort->stationRunner()) {
            simulated->setStation(window.stationState().current());
            QObject::connect(&window.stationState(), &station::StationState::changed, simulated,
                             &sim::StationRunner::setStation);
        }
        // With a simulated station the pupil can watch it move.
        std::unique_ptr<virt::VirtualStationWindow> station =
            virt::attachVirtualStation(easyPort.get(), &window);
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
        // The class: the teacher sees this PC's status, sets hidden faults
        // and can switch every station off; nothing from it switches an
        // output on.
        std::unique_ptr<klas::PupilSession> classSession;
        if (klasSettings.usable()) {
            klas::PupilSession::Hooks hooks;
            const QString type = plcPort                     ? QStringLiteral("plc")
                                 : easyPort->stationRunner() ? QStringLiteral("simulated")
                                                             : QStringLiteral("modbus");
            hooks.status = [&window, &stepPlan, plcPort, type, &klasSettings] {
                klas::PupilStatus s;
                s.naam = klasSettings.naam;
                s.interfaceType = type;
                s.verbonden = window.Verbonden() != 0;
                s.station = station::displayName(window.stationState().current());
                if (s.station.isEmpty())
                    s.station = window.FrameModule->Caption();
                s.uitgangen = window.DecimaalUit() & 0xFF;
                s.ingangen = window.DecimaalIn() & 0xFF;
                s.plan = stepPlan.property("state").toString();
                s.stap = stepPlan.property("currentStep").toInt();
                s.planBericht = stepPlan.property("message").toString();
                if (plcPort && plcPort->server().ownership().hasOwner())
                    s.plc = plcPort->server().ownership().owner().toString();
                return s;
            };
            hooks.applyFaults = [&window](int open, int shorted) {
                window.setHiddenFaults(open, shorted);
            };
            hooks.allOff = [&window, &stepPlan] {
                // A running plan first, then the pupil's own Noodstop path
                // (which also holds a PLC).
                stepPlan.stop();
                window.CMD_ResetAlles->click();
            };
            hooks.boxParent = &window;
            classSession = std::make_unique<klas::PupilSession>(klasSettings, hooks);
            QObject::connect(&window, &Main::ending, classSession.get(), &klas::PupilSession::stop);
        } else if (klasSettings.present) {
            QTimer::singleShot(0, &window, [&window, &klasSettings] {
                platform::messages().show(
                    &window, {QString(),
                              klasSettings.problem +
                                  QStringLiteral("\r\rHet programma werkt zonder de klas."),
                              platform::MessageButtons::Ok, platform::MessageIcon::Warning});
            });
        }
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
