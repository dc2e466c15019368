#include "plc/station_adapter.h"

#include "interface_link/simulated_interface.h"

namespace plc
{

StationAdapter::StationAdapter(const iface::SimulatedSettings& settings, QObject* parent)
    : QObject(parent), m_sim(std::make_unique<iface::SimulatedInterface>(settings))
{
    connect(m_sim.get(), &iface::EasyPortControl::InputsChanged, this,
            [this](int, int, qint32 word) { emit inputsChanged(quint8(word & 0xFF)); });
    connect(m_sim.get(), &iface::EasyPortControl::LinkLost, this, &StationAdapter::cablePulled);
}

StationAdapter::~StationAdapter() = default;

void StationAdapter::open()
{
    if (!m_sim->isConnected())
        m_sim->SearchAndConnect();
}

void StationAdapter::close()
{
    m_sim->Disconnect();
}

void StationAdapter::setOutputs(quint8 word)
{
    m_sim->WriteOutputs(qint16(word));
}

quint8 StationAdapter::inputs() const
{
    return quint8(m_sim->inputs() & 0xFF);
}

} // namespace plc
