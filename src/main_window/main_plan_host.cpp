#include "main_window/main_plan_host.h"

#include "interface_link/connection_panel.h"
#include "interface_link/interface_model.h"
#include "main_window/main.h"
#include "outputs/output_panel.h"
#include "station/station_state.h"

MainPlanHost::MainPlanHost(Main& window, QObject* parent) : plan::PlanHost(parent), m_window(window)
{
    connect(&window, &Main::inputsShown, this, &PlanHost::inputsChanged);
    connect(&window.stationState(), &station::StationState::changed, this,
            &PlanHost::stationChanged);
    connect(&window, &Main::connectionEnding, this, &PlanHost::connectionEnding);
    connect(&window, &Main::connectionLost, this, &PlanHost::connectionLost);
    connect(&window, &Main::interfaceConnected, this, &PlanHost::connected);
    connect(&window, &Main::ending, this, &PlanHost::programEnding);
}

bool MainPlanHost::isConnected() const
{
    return m_window.Verbonden() == -1;
}

station::Station MainPlanHost::station() const
{
    return m_window.stationState().current();
}

QString MainPlanHost::stationUnavailable(station::Station s) const
{
    // The same rule that disables the station's button while connected.
    if (m_window.Verbonden() != -1 || iface::offersStation(m_window.ModuleNummer(), s))
        return {};
    return QStringLiteral("Met de EasyPort Mini kan het station %1 niet worden gekozen. Kies een "
                          "stappenplan voor %2 of voor %3, of verbind met een EasyPort D16 of D8A.")
        .arg(station::displayName(station::Station::TransHandling),
             station::displayName(station::Station::Transportband),
             station::displayName(station::Station::Stationhandling));
}

int MainPlanHost::outputWord() const
{
    return m_window.outputPanel().outputWord();
}

int MainPlanHost::inputWord() const
{
    return m_window.DecimaalIn() & 0xFF;
}

outputs::Refusal MainPlanHost::setOutput(int i, bool on)
{
    return m_window.outputPanel().setOutput(i, on, OutputPanel::Feedback::NoBox);
}

void MainPlanHost::emergencyReset()
{
    m_window.outputPanel().emergencyStop();
}

outputs::Refusal MainPlanHost::outputsRefusal() const
{
    return m_window.outputPanel().outputSwitch().outputsRefusal();
}

bool MainPlanHost::switchOffAfterLoss()
{
    return m_window.connectionPanel().switchOffAfterLoss();
}
