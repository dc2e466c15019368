#pragma once

#include "outputs/output_switch.h"
#include "station/station_state.h"
#include "step_plan/plan_host.h"

#include <QPointer>
#include <QStringList>
#include <memory>

namespace iface
{
class EasyPortControl;
class SimulatedInterface;
} // namespace iface

namespace platform
{
class Ending;
}

namespace plan
{

// A host on an interface with a simulated station, without a main window:
// it chooses stations (the interface's station runner follows), connects
// and disconnects, and switches outputs through the window's own
// OutputSwitch (interlocks, the whole word written again, the click, the
// guard while the program is left). For the tests and the developer tools
// that run plans on the simulated station.
class SimulatedHost : public PlanHost
{
    Q_OBJECT

  public:
    explicit SimulatedHost(iface::SimulatedInterface& port, QObject* parent = nullptr);

    // As a station button does: all outputs off, then the station in view
    // changes and the simulated station follows it.
    void chooseStation(station::Station s);
    // As "Zoek en verbind" does: on a connect every output starts off.
    bool connectLink();
    // As "Verbreek" does: the plan hears of it while outputs can still be
    // written, then the link closes.
    void disconnectLink(const QString& reason = QStringLiteral("de verbinding is verbroken."));
    // As "Afsluiten" does: all outputs off, then the plan hears the program
    // ends; nothing switches after that.
    void endProgram();

    iface::EasyPortControl& port() const { return *m_port; }

    bool isConnected() const override { return m_connected; }
    station::Station station() const override { return m_station.current(); }
    int outputWord() const override { return m_switch.word(); }
    int inputWord() const override { return m_inputs; }
    outputs::Refusal setOutput(int i, bool on) override;
    void emergencyReset() override;
    outputs::Refusal outputsRefusal() const override { return m_switch.outputsRefusal(); }

    // "3 aan", "1 uit", "3 aan geweigerd", "reset": what reached the device
    // from the plan (a refused switch writes the unchanged word again).
    QStringList log;

  private:
    QPointer<iface::EasyPortControl> m_port;
    station::StationState m_station;
    std::shared_ptr<platform::Ending> m_ending;
    outputs::OutputSwitch m_switch;
    bool m_connected = false;
    int m_inputs = 0;
};

} // namespace plan
