#pragma once

#include "simulation/station_runner.h"

#include <QObject>

#include <memory>

namespace iface
{
class SimulatedInterface;
class StationLink;
struct SimulatedSettings;
} // namespace iface

namespace plc
{

// The one place where the PLC server meets the simulated station: it keeps
// a simulated interface connected while PLCs are served, gives it the
// output word and passes its input word on (with the sensors forced in
// "Virtuele opstelling"). Nothing else in src/plc/ knows the simulation.
class StationAdapter : public QObject
{
    Q_OBJECT

  public:
    // Without a runner the station runs on a timer of its own.
    explicit StationAdapter(const iface::SimulatedSettings& settings,
                            std::unique_ptr<sim::StationRunner> station = {},
                            QObject* parent = nullptr);
    ~StationAdapter() override;

    void open();
    void close();
    void setOutputs(quint8 word);
    quint8 inputs() const;
    // The simulated interface's about window.
    void showAbout();

    // The station and its link, for the window that draws the station and
    // for following the station in view.
    sim::StationRunner* station() const;
    iface::StationLink* link() const;

  signals:
    void inputsChanged(quint8 word);
    // The teacher's "kabel los" in the station window.
    void cablePulled();

  private:
    std::unique_ptr<iface::SimulatedInterface> m_port;
};

} // namespace plc
