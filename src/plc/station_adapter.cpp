#include "plc/station_adapter.h"

#include "interface_link/simulated_interface.h"

namespace plc
{

StationAdapter::StationAdapter(const iface::SimulatedSettings& settings,
                               std::unique_ptr<sim::StationRunner> station, QObject* parent)
    : QObject(parent),
      m_port(std::make_unique<iface::SimulatedInterface>(settings, std::move(station)))
{
    connect(m_port.get(), &iface::EasyPortControl::InputsChanged, this,
            [this](int, int, qint32 word) { emit inputsChanged(quint8(word & 0xFF)); });
    connect(m_port.get(), &iface::EasyPortControl::LinkLost, this, &StationAdapter::cablePulled);
}

StationAdapter::~StationAdapter() = default;

void StationAdapter::open()
{
    if (!link()->isConnected())
        m_port->SearchAndConnect();
}

void StationAdapter::close()
{
    m_port->Disconnect();
}

void StationAdapter::setOutputs(quint8 word)
{
    m_port->WriteOutputs(qint16(word));
}

quint8 StationAdapter::inputs() const
{
    return station()->inputs();
}

void StationAdapter::showAbout()
{
    m_port->AboutBox();
}

sim::StationRunner* StationAdapter::station() const
{
    return m_port->stationRunner();
}

iface::StationLink* StationAdapter::link() const
{
    return m_port->stationLink();
}

} // namespace plc
