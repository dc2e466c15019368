#include "step_plan/simulated_host.h"

#include "interface_link/simulated_interface.h"
#include "platform/ending.h"
#include "simulation/station_runner.h"

namespace plan
{

SimulatedHost::SimulatedHost(iface::SimulatedInterface& port, QObject* parent)
    : PlanHost(parent), m_port(&port), m_ending(std::make_shared<platform::Ending>()),
      m_switch(
          &port, m_station, [this] { return m_inputs; }, m_ending)
{
    connect(m_ending.get(), &platform::Ending::started, this, &PlanHost::programEnding);
    connect(&port, &iface::EasyPortControl::InputsChanged, this, [this](int, int, qint32 word) {
        m_inputs = word;
        emit inputsChanged(word);
    });
    // The simulated station follows the station in view, as it follows the
    // main window's; the plan hears of the change after the station did.
    if (sim::StationRunner* runner = port.stationRunner()) {
        runner->setStation(m_station.current());
        connect(&m_station, &station::StationState::changed, runner,
                &sim::StationRunner::setStation);
    }
    connect(&m_station, &station::StationState::changed, this, &PlanHost::stationChanged);
    connect(&m_switch, &outputs::OutputSwitch::switched, this,
            [this](int i, bool on, outputs::Refusal why) {
                const QString what = QStringLiteral("%1 %2").arg(i + 1).arg(on ? "aan" : "uit");
                log << (why == outputs::Refusal::None ? what : what + QStringLiteral(" geweigerd"));
            });
}

void SimulatedHost::chooseStation(station::Station s)
{
    m_switch.resetAll();
    m_station.set(s);
}

bool SimulatedHost::connectLink()
{
    if (m_ending->isStarted())
        return false;
    if (m_port->SearchAndConnect() == 0)
        return false;
    m_switch.resetAll();
    m_connected = true;
    emit connected();
    return true;
}

void SimulatedHost::disconnectLink(const QString& reason)
{
    if (!m_connected)
        return;
    emit connectionEnding(reason);
    m_connected = false;
    m_port->Disconnect();
}

void SimulatedHost::endProgram()
{
    m_ending->start([this] { m_switch.resetAll(); });
}

outputs::Refusal SimulatedHost::setOutput(int i, bool on)
{
    return m_switch.setOutput(i, on);
}

void SimulatedHost::emergencyReset()
{
    m_switch.resetAll();
    log << QStringLiteral("reset");
}

} // namespace plan
