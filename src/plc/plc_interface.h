#pragma once

#include "interface_link/capabilities.h"
#include "interface_link/easyport_control.h"
#include "interface_link/simulated_settings.h"
#include "plc/clock.h"
#include "plc/ownership.h"
#include "plc/plc_settings.h"
#include "simulation/station_runner.h"

#include <memory>

namespace plc
{

class PlcInterface;
class PlcServer;
class StationAdapter;

// The PLC interface's outputs as the program sees them: who drives them,
// the Noodstop hold and the status line.
class PlcDriven : public iface::DrivenElsewhere
{
    Q_OBJECT

  public:
    explicit PlcDriven(PlcInterface& plc);

    QString outputsRefusal() const override;
    QString drivenBy() const override;
    void emergencyStop() override;
    void releaseHold() override;
    bool isHeld() const override;
    bool isWaitingForAllOff() const override;
    QString statusText() const override;

  private:
    PlcInterface& m_plc;
};

// [interface] type=plc: the simulated station served to PLCs over Modbus
// TCP. "Zoek en verbind" opens the station to PLCs, "Verbreek" closes every
// PLC connection with the outputs off. While no PLC owns the outputs the
// pupil drives the station as with the simulated interface; while one does,
// the pupil's presses are refused and the window follows the PLC's coils.
// The pupil's Noodstop holds the outputs off until released in "Virtuele
// opstelling"; after it, and after a PLC fell silent, the outputs stay off
// until a PLC writes them all off.
class PlcInterface : public iface::EasyPortControl,
                     public iface::HiddenFaults,
                     public iface::SimulatedStationSource
{
    Q_OBJECT
    Q_INTERFACES(iface::HiddenFaults iface::SimulatedStationSource)

  public:
    // Every station stays usable with this model (the Mini has no combined station).
    static constexpr qint16 Model = 1;

    // The watchdog runs on `clock` and the station is `station` when given
    // (tests move both by hand); else each runs on a timer of its own.
    PlcInterface(const PlcSettings& settings, const iface::SimulatedSettings& simulated,
                 WakeClock* clock = nullptr, std::unique_ptr<sim::StationRunner> station = {},
                 QObject* parent = nullptr);
    ~PlcInterface() override;

    qint16 SearchAndConnect() override;
    qint16 GetComPort(qint16 index) override;
    qint16 GetModuleNumber(qint16 index) override;
    void Disconnect() override;
    void WriteOutputs(qint16 word) override;
    void AboutBox() override;
    QString searchFailureText() const override;
    QString peerDescription() const override;
    // The PLC's inputs are the simulated station's, with the teacher's faults.
    bool readsRealSensors() const override { return false; }
    void setHiddenFaults(const iface::InputFaults& faults) override;
    // The simulated station the PLCs drive (for its window and for
    // following the station in view).
    sim::StationRunner* stationRunner() const override;
    iface::StationLink* stationLink() const override;

    // Why the pupil may not switch the outputs now (a PLC owns them); the
    // owner's watchdog runs out on the clock, not here.
    QString outputsRefusal() const;
    // The owner's address; empty when no PLC owns the outputs.
    QString drivenBy() const;
    // The pupil's Noodstop: the outputs stay off until releaseHold.
    void emergencyStop();
    void releaseHold();
    bool isHeld() const;
    // Connected, no hold, and the PLCs have yet to write every output off
    // before any write of theirs applies.
    bool isWaitingForAllOff() const;
    // The line "Virtuele opstelling" shows about the PLCs.
    QString statusText() const { return m_status; }

    PlcServer& server() const { return *m_server; }
    iface::DrivenElsewhere& drivenElsewhere() const { return *m_driven; }

  private:
    void onEvent(const Ownership::Event& event);
    void onOutputs(quint8 word);
    // While the hold holds the line keeps showing it: only texts about the
    // hold replace it.
    void setStatus(const QString& text, bool aboutHold = false);
    void updateWaiting();
    quint8 plcInputs() const;
    QString waitingText() const;
    QString withHold(const QString& text) const;

    PlcSettings m_settings;
    std::unique_ptr<WakeClock> m_ownClock;
    std::unique_ptr<StationAdapter> m_station;
    std::unique_ptr<PlcServer> m_server;
    bool m_connected = false;
    bool m_pupilWriting = false;
    bool m_waitingForAllOff = false;
    QString m_failure;
    QString m_status;
    iface::InputFaults m_faults;
    PlcDriven* m_driven; // a child: the program finds it there
};

} // namespace plc
