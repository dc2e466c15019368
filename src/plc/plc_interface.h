#pragma once

#include "interface_link/easyport_control.h"
#include "interface_link/simulated_settings.h"
#include "plc/clock.h"
#include "plc/ownership.h"
#include "plc/plc_settings.h"

#include <memory>

class QWidget;

namespace plc
{

class PlcServer;
class StationAdapter;

// [interface] type=plc: the simulated station served to PLCs over Modbus
// TCP. "Zoek en verbind" opens the station to PLCs, "Verbreek" closes every
// PLC connection with the outputs off. While no PLC owns the outputs the
// pupil drives the station as with the simulated interface; while one does,
// the pupil's presses are refused and the window follows the PLC's coils.
// The pupil's Noodstop holds the outputs off until released in "Virtuele
// opstelling"; after it, and after a PLC fell silent, the outputs stay off
// until a PLC writes them all off.
class PlcInterface : public iface::EasyPortControl
{
    Q_OBJECT

  public:
    // Every station stays usable with this model (the Mini has no combined station).
    static constexpr qint16 Model = 1;

    PlcInterface(const PlcSettings& settings, const iface::SimulatedSettings& simulated,
                 WakeClock* clock = nullptr, QObject* parent = nullptr);
    ~PlcInterface() override;

    qint16 SearchAndConnect() override;
    qint16 GetComPort(qint16 index) override;
    qint16 GetModuleNumber(qint16 index) override;
    void Disconnect() override;
    void WriteOutputs(qint16 word) override;
    void AboutBox() override;
    QString searchFailureText() const override;
    QString peerDescription() const override;
    QString outputsRefusal() const override;
    void emergencyStop() override;
    void setHiddenFaults(int openMask, int shortMask) override;
    // The simulated station the PLCs drive (for its window and for
    // following the station in view).
    sim::StationRunner* stationRunner() const override;
    iface::StationLink* stationLink() const override;

    void releaseHold();
    bool isHeld() const;
    // Connected, no hold, and the PLCs have yet to write every output off
    // before any write of theirs applies.
    bool isWaitingForAllOff() const;
    // The line "Virtuele opstelling" shows about the PLCs.
    QString statusText() const { return m_status; }

    PlcServer& server() const { return *m_server; }

    // The PLC status line and the hold's release button, for the station window.
    QWidget* makeStatusBar(QWidget* parent = nullptr);

  signals:
    void statusChanged(const QString& text);
    void holdChanged(bool held);
    void waitingForAllOffChanged(bool waiting);

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
    int m_openMask = 0;
    int m_shortMask = 0;
};

} // namespace plc
