#pragma once

#include "simulation/station_runner.h"

#include <memory>

namespace platform
{
class Clock;
}

namespace sim
{

// The station runner of the program: steps the simulation every TickMs on
// a clock, and only while something in it moves; at rest nothing runs.
class SimulatedStation : public StationRunner
{
    Q_OBJECT

  public:
    // Time between two steps of the station while it moves.
    static constexpr int TickMs = 20;
    // Longest stretch of time one step makes up for (after the machine has
    // been suspended, say).
    static constexpr qint64 MaxCatchUpMs = 1000;

    // Without a clock the station runs on a timer of its own; a given clock
    // must outlive it.
    explicit SimulatedStation(platform::Clock* clock = nullptr, QObject* parent = nullptr);
    ~SimulatedStation() override;

    station::Station station() const override { return m_sim.station(); }
    void setStation(station::Station inView) override;
    quint8 outputs() const override { return m_sim.outputs(); }
    void setOutputs(quint8 word) override;
    quint8 inputs() const override { return m_sim.inputs(); }
    quint8 deadOutputs() const override { return m_sim.deadOutputs(); }
    void setDeadOutputs(quint8 mask) override;
    Force inputForce(int input) const override { return m_sim.force(input); }
    void setInputForce(int input, Force force) override;
    bool placePart(bool metal) override;
    bool clearBelt() override;
    bool refillMagazine() override;
    bool setMagazineLids(int lids) override;
    void restartStation() override;
    bool isRunning() const override;
    const Simulation& simulation() const override { return m_sim; }
    // The clock time up to which the simulation has been stepped.
    qint64 steppedToMs() const { return m_lastStepMs; }

  private:
    void tick();
    void afterChange();
    void announce();

    std::unique_ptr<platform::Clock> m_ownClock;
    platform::Clock& m_clock;
    Simulation m_sim;
    qint64 m_lastStepMs = 0;
    quint8 m_announced = 0;
};

} // namespace sim
