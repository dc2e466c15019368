#pragma once

#include "interface_link/easyport_control.h"
#include "interface_link/simulated_settings.h"
#include "interface_link/simulation/simulation.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

class QDialog;

namespace iface
{

// The interface built into the program: it simulates the station that the
// main window shows, so that everything works without hardware.
//
// The station runs on a timer on the GUI thread, and only while something
// in it moves; at rest nothing runs. InputsChanged is raised when the input
// word changes while connected, and once right after every connect.
// Outputs written while not connected are ignored; closing the link sets the
// simulated outputs to 0 (the station then comes to rest), and a new
// connect starts from outputs 0 as well. A pulled cable is a lost link: the
// station keeps the outputs it last got and goes on moving until the next
// connect, and nothing can switch them off before that.
class SimulatedInterface : public EasyPortControl
{
    Q_OBJECT

  public:
    // Time between two steps of the station while it moves.
    static constexpr int TickMs = 20;

    explicit SimulatedInterface(const SimulatedSettings& settings = {}, QObject* parent = nullptr);
    ~SimulatedInterface() override;

    qint16 SearchAndConnect() override;
    qint16 GetComPort(qint16 index) override;
    qint16 GetModuleNumber(qint16 index) override;
    void Disconnect() override;
    void WriteOutputs(qint16 word) override;
    void AboutBox() override;

    bool isConnected() const { return m_connected; }
    // "Kabel los" was pressed and no connect has followed yet.
    bool isCableOut() const { return m_cableOut; }
    const SimulatedSettings& settings() const { return m_settings; }

    // The simulated station and its inputs, for tests and for a window
    // that draws the station.
    const sim::Simulation& simulation() const { return m_sim; }
    qint32 inputs() const { return m_sim.inputs(); }
    bool isRunning() const { return m_timer.isActive(); }

    // Forces input 0..7 on or off, or frees it; takes effect at once.
    void setInputForce(int input, sim::Force force);
    sim::Force inputForce(int input) const { return m_sim.force(input); }
    // Lays a part at the start of the belt; false when there is no belt or
    // its start is taken.
    bool placePart(bool metal);
    // Fills the stack magazine again; false when it is not in view.
    bool refillMagazine();
    // A teacher's "kabel los": the link breaks as if the cable were pulled
    // (LinkLost raised, the station keeps its outputs); the pupil has to
    // connect again.
    void pullCable();

  public slots:
    // Follows the station in view (the start and interface states are the
    // bare interface).
    void setStation(station::Station inView);

  signals:
    // Anything about the simulated station changed (for redrawing).
    void stateChanged();
    // The link was opened (true) or closed (false).
    void connectionChanged(bool connected);
    // The pupil asked, in the about window, to see the station.
    void virtualStationRequested();

  private:
    void tick();
    void afterChange();
    void publishInputs();

    SimulatedSettings m_settings;
    sim::Simulation m_sim;
    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_connected = false;
    bool m_cableOut = false;
    qint32 m_reported = -1; // -1: nothing reported since the connect
    QPointer<QDialog> m_about;
};

} // namespace iface
