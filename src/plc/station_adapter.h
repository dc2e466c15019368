#pragma once

#include <QObject>

#include <memory>

namespace iface
{
class SimulatedInterface;
struct SimulatedSettings;
} // namespace iface

namespace plc
{

// The one place where the PLC server meets today's simulated station: it
// keeps a simulated interface connected while PLCs are served, gives it the
// output word and passes its input word on (with the sensors forced in
// "Virtuele opstelling"). Nothing else in src/plc/ knows the simulation.
class StationAdapter : public QObject
{
    Q_OBJECT

  public:
    explicit StationAdapter(const iface::SimulatedSettings& settings, QObject* parent = nullptr);
    ~StationAdapter() override;

    void open();
    void close();
    void setOutputs(quint8 word);
    quint8 inputs() const;

    // The simulated interface itself, for the window that draws the
    // station and for following the station in view.
    iface::SimulatedInterface* simulated() const { return m_sim.get(); }

  signals:
    void inputsChanged(quint8 word);
    // The teacher's "kabel los" in the station window.
    void cablePulled();

  private:
    std::unique_ptr<iface::SimulatedInterface> m_sim;
};

} // namespace plc
