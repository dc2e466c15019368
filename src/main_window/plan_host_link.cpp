#include "main_window/plan_host_link.h"

#include "main_window/main.h"
#include "outputs/output_panel.h"
#include "station/station_state.h"

MainPlanHost::MainPlanHost(Main& window, QObject* parent) : plan::PlanHost(parent), m_window(window)
{
    connect(&window, &Main::inputsShown, this, &PlanHost::inputsChanged);
    connect(&window.stationState(), &station::StationState::changed, this,
            &PlanHost::stationChanged);
    connect(&window, &Main::connectionEnding, this, &PlanHost::connectionEnding);
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
