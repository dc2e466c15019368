#pragma once

#include "interface_link/capabilities.h"
#include "interface_link/easyport_control.h"
#include "interface_link/simulated_settings.h"
#include "interface_link/station_link.h"
#include "simulation/station_runner.h"

#include <QPointer>

#include <memory>

class QDialog;

namespace iface
{

// The interface built into the program: it links the main window to a
// simulated station (a station runner), so that everything works without
// hardware.
//
// InputsChanged is raised when the input word changes while connected, and
// once right after every connect. Outputs written while not connected are
// ignored; closing the link sets the station's outputs to 0 (it then comes
// to rest), and a new connect starts from outputs 0 as well. A pulled cable
// is a lost link: the station keeps the outputs it last got and goes on
// moving until the next connect, and nothing can switch them off before
// that.
class SimulatedInterface : public EasyPortControl, public SimulatedStationSource
{
    Q_OBJECT
    Q_INTERFACES(iface::SimulatedStationSource)

  public:
    // Without a runner the interface runs a simulated station on a timer.
    explicit SimulatedInterface(const SimulatedSettings& settings = {},
                                std::unique_ptr<sim::StationRunner> runner = {},
                                QObject* parent = nullptr);
    ~SimulatedInterface() override;

    qint16 SearchAndConnect() override;
    qint16 GetComPort(qint16 index) override;
    qint16 GetModuleNumber(qint16 index) override;
    void Disconnect() override;
    void WriteOutputs(qint16 word) override;
    void AboutBox() override;
    sim::StationRunner* stationRunner() const override { return m_runner.get(); }
    StationLink* stationLink() const override { return m_link.get(); }

    bool isConnected() const { return m_connected; }
    // "Kabel los" was pressed and no connect has followed yet.
    bool isCableOut() const { return m_cableOut; }
    const SimulatedSettings& settings() const { return m_settings; }
    // A teacher's "kabel los": the link breaks as if the cable were pulled
    // (LinkLost raised, the station keeps its outputs); the pupil has to
    // connect again.
    void pullCable();

  signals:
    // The link was opened (true) or closed (false).
    void connectionChanged(bool connected);
    // The pupil asked, in the about window, to see the station.
    void virtualStationRequested();

  private:
    void publishInputs();

    SimulatedSettings m_settings;
    std::unique_ptr<sim::StationRunner> m_runner;
    std::unique_ptr<StationLink> m_link;
    bool m_connected = false;
    bool m_cableOut = false;
    qint32 m_reported = -1; // -1: nothing reported since the connect
    QPointer<QDialog> m_about;
};

} // namespace iface
