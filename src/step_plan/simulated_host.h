#pragma once

#include "step_plan/plan_host.h"
#include "step_plan/station_points.h"

#include <QPointer>
#include <QStringList>

namespace iface
{
class EasyPortControl;
}

namespace plan
{

// A host on an interface with a simulated station, without a main window:
// it chooses stations (the interface's station runner follows), connects
// and disconnects, and switches outputs with the main window's interlocks.
// For the tests and the developer tools that run plans on the simulated
// station.
class SimulatedHost : public PlanHost
{
    Q_OBJECT

  public:
    explicit SimulatedHost(iface::EasyPortControl& port, QObject* parent = nullptr);

    // As a station button does: all outputs off, the station shown afresh.
    void chooseStation(station::Station s);
    bool connectLink();
    // As "Verbreek" does: the plan hears of it while outputs can still be
    // written, then the link closes.
    void disconnectLink(const QString& reason = QStringLiteral("de verbinding is verbroken."));

    iface::EasyPortControl& port() const { return *m_port; }

    bool isConnected() const override { return m_connected; }
    station::Station station() const override { return m_station; }
    int outputWord() const override { return m_outputs; }
    int inputWord() const override { return m_inputs; }
    outputs::Refusal setOutput(int i, bool on) override;
    void emergencyReset() override;

    // "3 aan", "1 uit", "3 aan geweigerd", "reset": what reached the device.
    QStringList log;

  private:
    void write();

    QPointer<iface::EasyPortControl> m_port;
    station::Station m_station = station::Station::Start;
    StationPoints m_points;
    bool m_connected = false;
    int m_outputs = 0;
    int m_inputs = 0;
};

} // namespace plan
