#include "app/program.h"

#include "app/hold_banner.h"
#include "app/interface_factory.h"
#include "controls/controls.h"
#include "interface_link/capabilities.h"
#include "interface_link/connection_panel.h"
#include "interface_link/easyport_control.h"
#include "klas/pupil_session.h"
#include "main_window/keyboard.h"
#include "main_window/main.h"
#include "main_window/main_plan_host.h"
#include "outputs/output_panel.h"
#include "outputs/output_switch.h"
#include "platform/services.h"
#include "simulation/station_runner.h"
#include "step_plan/step_plan_window.h"
#include "virtual_station/virtual_station_window.h"
#include "window_placement/window_placer.h"

#include <QTimer>

namespace app
{

namespace
{

// The interface's kind as the class broker hears it.
QString interfaceType(const Capabilities& c)
{
    return c.drivenElsewhere    ? QStringLiteral("plc")
           : c.simulatedStation ? QStringLiteral("simulated")
                                : QStringLiteral("modbus");
}

// "Virtuele opstelling…" in the main window brings the station window back
// after it was closed; an interface without a simulated station has none.
void attachVirtualStationButton(ctl::CommandButton* button, virt::VirtualStationWindow* station,
                                QWidget* mainWindow)
{
    if (!button)
        return;
    if (!station) {
        button->setEnabledProp(false);
        button->setToolTipText(QStringLiteral(
            "Niet beschikbaar: deze interface stuurt een echt station aan, zonder virtuele "
            "opstelling."));
        return;
    }
    button->setToolTipText(QStringLiteral("Toon het venster Virtuele opstelling"));
    QObject::connect(button, &QAbstractButton::clicked, station, [station, mainWindow] {
        station->showBeside(mainWindow);
        station->raise();
        station->activateWindow();
    });
}

} // namespace

Capabilities capabilitiesOf(iface::EasyPortControl* port)
{
    Capabilities c;
    if (!port)
        return c;
    c.drivenElsewhere =
        port->findChild<iface::DrivenElsewhere*>(QString(), Qt::FindDirectChildrenOnly);
    c.hiddenFaults = qobject_cast<iface::HiddenFaults*>(port);
    c.simulatedStation = qobject_cast<iface::SimulatedStationSource*>(port);
    return c;
}

void handCapabilities(Main& window, const Capabilities& capabilities)
{
    window.outputPanel().setDrivenElsewhere(capabilities.drivenElsewhere);
    window.connectionPanel().setFaultsTarget(capabilities.hiddenFaults);
}

void linkStation(const station::StationState& state, iface::SimulatedStationSource* source)
{
    // The window does not know which interface it drives, nor the
    // interface which window chooses the station.
    if (sim::StationRunner* runner = source ? source->stationRunner() : nullptr) {
        runner->setStation(state.current());
        QObject::connect(&state, &station::StationState::changed, runner,
                         &sim::StationRunner::setStation);
    }
}

std::unique_ptr<Program> Program::fromInstallation(const klas::KlasSettings& klas)
{
    return std::make_unique<Program>(app::createInterfaceFromInstallation(), klas);
}

Program::Program(iface::EasyPortControl& port, const klas::KlasSettings& klas,
                 platform::Clock* planClock)
    : m_klas(klas), m_port(&port), m_planClock(planClock)
{
    build();
}

Program::Program(std::unique_ptr<iface::EasyPortControl> port, const klas::KlasSettings& klas)
    : m_klas(klas), m_ownedPort(std::move(port)), m_port(m_ownedPort.get())
{
    build();
}

Program::~Program()
{
    // Those that hold on to the window go first; the port last.
    m_classSession.reset();
    m_stepPlan.reset();
    m_planHost.reset();
    m_virtualStation.reset();
    m_window.reset();
}

void Program::build()
{
    m_window = std::make_unique<Main>(m_port);
    Main& window = *m_window;
    m_capabilities = capabilitiesOf(m_port);
    handCapabilities(window, m_capabilities);
    iface::DrivenElsewhere* driven = m_capabilities.drivenElsewhere;
    linkStation(window.stationState(), m_capabilities.simulatedStation);
    // With the simulated interface the pupil can watch the station move.
    m_virtualStation = virt::attachVirtualStation(m_capabilities.simulatedStation, &window);
    if (m_virtualStation && driven)
        m_virtualStation->setStatusBar(makeStatusBar(*driven));
    // The hold shows in the main window too: the station window may be closed.
    if (driven) {
        auto* banner = new HoldBanner(*driven, window.FrameInstructie, &window);
        QWidget::setTabOrder(window.CMD_ResetAlles, banner->releaseButton());
    }
    // A pupil working in it keeps the output keys and Esc.
    mw::shareOutputKeys(window, m_virtualStation.get());
    // The step plan: hidden until the pupil asks for it, reachable from its
    // button, the command frame, Ctrl+Shift+S and the virtual station.
    m_planHost = std::make_unique<MainPlanHost>(window);
    m_stepPlan = std::make_unique<plan::StepPlanWindow>(*m_planHost, m_planClock);
    // A lesson can be checked live on the station a PLC drives.
    if (driven && m_capabilities.simulatedStation)
        m_stepPlan->setLiveCheckTarget(m_capabilities.simulatedStation->stationRunner(), driven);
    // The virtual station and the step plan open on either side, together.
    placement::pairSideWindows(&window, m_virtualStation.get(), m_stepPlan.get());
    plan::attachStepPlan(&window, window.FrameCommand, m_stepPlan.get(), window.CMD_Stappenplan);
    attachVirtualStationButton(window.CMD_VirtueleOpstelling, m_virtualStation.get(), &window);
    if (m_virtualStation)
        plan::attachStepPlan(m_virtualStation.get(), &window, m_stepPlan.get());
    huntFaults();
    joinClass();
}

void Program::huntFaults()
{
    plan::LessonPane::FaultHooks hooks;
    hooks.apply = [this](const std::optional<lesson::HiddenFault>& fault) {
        if (fault) {
            const QString why =
                lesson::applyProblem(*fault, m_capabilities.simulatedStation != nullptr);
            if (!why.isEmpty())
                return why;
        }
        m_lessonFault = fault;
        applyFaults();
        return QString();
    };
    m_stepPlan->setFaultHooks(hooks);
    // Every switch that went through counts, the pupil's and a plan's.
    QObject::connect(&m_window->outputPanel().outputSwitch(), &outputs::OutputSwitch::switched,
                     m_stepPlan.get(), [this](int, bool, outputs::Refusal why) {
                         if (why == outputs::Refusal::None)
                             m_stepPlan->outputSwitched();
                     });
}

void Program::applyFaults()
{
    const bool teacher =
        m_teacherFaults.open || m_teacherFaults.shorted || m_teacherFaults.deadOutputs;
    const lesson::FaultMasks m = teacher         ? m_teacherFaults
                                 : m_lessonFault ? lesson::masksOf(*m_lessonFault)
                                                 : lesson::FaultMasks{};
    m_window->setHiddenFaults(m.open, m.shorted);
    if (sim::StationRunner* runner = m_capabilities.simulatedStation
                                         ? m_capabilities.simulatedStation->stationRunner()
                                         : nullptr)
        runner->setDeadOutputs(quint8(m.deadOutputs));
}

void Program::joinClass()
{
    Main& window = *m_window;
    if (!m_klas.usable()) {
        if (m_klas.present) {
            const QString problem = m_klas.problem;
            QTimer::singleShot(0, &window, [&window, problem] {
                platform::messages().show(
                    &window,
                    {QString(), problem + QStringLiteral("\r\rHet programma werkt zonder de klas."),
                     platform::MessageButtons::Ok, platform::MessageIcon::Warning});
            });
        }
        return;
    }
    // The teacher sees this PC's status, sets hidden faults and can switch
    // every station off; nothing from the class switches an output on.
    klas::PupilSession::Hooks hooks;
    hooks.status = [this] {
        klas::PupilStatus s;
        s.naam = m_klas.naam;
        s.interfaceType = interfaceType(m_capabilities);
        s.verbonden = m_window->Verbonden() != 0;
        s.station = station::displayName(m_window->stationState().current());
        if (s.station.isEmpty())
            s.station = m_window->FrameModule->Caption();
        s.uitgangen = m_window->DecimaalUit() & 0xFF;
        s.ingangen = m_window->DecimaalIn() & 0xFF;
        s.plan = m_stepPlan->property("state").toString();
        s.stap = m_stepPlan->property("currentStep").toInt();
        s.planBericht = m_stepPlan->property("message").toString();
        if (m_capabilities.drivenElsewhere)
            s.plc = m_capabilities.drivenElsewhere->drivenBy();
        return s;
    };
    // Only a simulated station can leave an output's actuator still; the
    // teacher's window does not offer it for a real module.
    hooks.applyDeadOutputs = [this](int dead) {
        m_teacherFaults.deadOutputs = m_capabilities.simulatedStation ? dead : 0;
    };
    hooks.applyFaults = [this](int open, int shorted) {
        m_teacherFaults.open = open;
        m_teacherFaults.shorted = shorted;
        applyFaults();
        m_stepPlan->setTeacherFault(lesson::singleFault(m_teacherFaults));
    };
    hooks.allOff = [this] {
        // A running plan first, then the pupil's own Noodstop path (which
        // also holds a PLC).
        m_stepPlan->stop();
        m_window->CMD_ResetAlles->click();
    };
    // The teacher's lesson opens as one the pupil opened; nothing in it
    // switches an output.
    hooks.openLesson = [this](const lesson::Lesson& lesson) {
        return m_stepPlan->openLesson(lesson, m_window.get());
    };
    // A restarted program's search goes on: answers wiped by a restart
    // would let a pupil guess for free.
    hooks.goOnHunting = [this](const lesson::Lesson& lesson, const lesson::HuntResult& kept) {
        m_stepPlan->goOnHunting(lesson, kept);
    };
    // Frozen by the teacher: the plan still runs and is checked, and every
    // way to switch off stays.
    hooks.setFrozen = [this](bool frozen) { m_stepPlan->setFrozen(frozen); };
    hooks.boxParent = &window;
    m_classSession = std::make_unique<klas::PupilSession>(m_klas, hooks);
    QObject::connect(m_stepPlan.get(), &plan::StepPlanWindow::lessonChecked, m_classSession.get(),
                     &klas::PupilSession::lessonChecked);
    QObject::connect(m_stepPlan.get(), &plan::StepPlanWindow::lessonCheckedLive,
                     m_classSession.get(), &klas::PupilSession::lessonCheckedLive);
    QObject::connect(m_stepPlan.get(), &plan::StepPlanWindow::faultReported, m_classSession.get(),
                     &klas::PupilSession::faultReported);
    QObject::connect(&window, &Main::ending, m_classSession.get(), &klas::PupilSession::stop);
}

} // namespace app
