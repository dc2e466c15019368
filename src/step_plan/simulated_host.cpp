#include "step_plan/simulated_host.h"

#include "interface_link/easyport_control.h"
#include "simulation/station_runner.h"

namespace plan
{

SimulatedHost::SimulatedHost(iface::EasyPortControl& port, QObject* parent)
    : PlanHost(parent), m_port(&port), m_points(stationPoints(m_station))
{
    connect(&port, &iface::EasyPortControl::InputsChanged, this, [this](int, int, qint32 word) {
        m_inputs = word;
        emit inputsChanged(word);
    });
}

void SimulatedHost::chooseStation(station::Station s)
{
    m_outputs = 0;
    write();
    m_station = s;
    m_points = stationPoints(s);
    if (sim::StationRunner* shown = m_port ? m_port->stationRunner() : nullptr)
        shown->setStation(m_station);
    emit stationChanged();
}

bool SimulatedHost::connectLink()
{
    if (m_port->SearchAndConnect() == 0)
        return false;
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

outputs::Refusal SimulatedHost::setOutput(int i, bool on)
{
    if (i < 0 || i > 7 || outputs::bitSet(m_outputs, i) == on)
        return outputs::Refusal::None;
    const outputs::Refusal why = outputs::interlock(m_station, i, on, m_inputs, m_outputs);
    const QString what = QStringLiteral("%1 %2").arg(i + 1).arg(on ? "aan" : "uit");
    if (why != outputs::Refusal::None) {
        log << what + QStringLiteral(" geweigerd");
        return why;
    }
    m_outputs ^= 1 << i;
    log << what;
    write();
    return why;
}

void SimulatedHost::emergencyReset()
{
    m_outputs = 0;
    log << QStringLiteral("reset");
    write();
}

void SimulatedHost::write()
{
    if (m_port)
        m_port->WriteOutputs(qint16(m_outputs));
}

} // namespace plan
