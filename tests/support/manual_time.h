#pragma once

#include "interface_link/simulated_interface.h"
#include "platform/clock.h"
#include "simulation/simulated_station.h"

#include <memory>
#include <vector>

namespace testing
{

// Time the test moves by hand, shared by any number of clocks (a step
// plan's, the simulated station's), each with its own wake-up. Moving it
// wakes every clock at its due time, in the order they fall due, and lets
// queued events run after each wake-up, as the event loop would. Clocks
// live as long as the time.
class ManualTime
{
  public:
    ManualTime();
    ~ManualTime();

    platform::Clock* newClock();
    // A simulated station stepped by this time at its own tick.
    std::unique_ptr<sim::SimulatedStation> newStation();

    void advance(qint64 ms);
    // When the earliest wake-up of any clock falls due; -1 when none is set.
    // Until then nothing moves, so a long run may step from one to the next.
    qint64 nextDue() const;
    // Advances in ticks of the simulated station until `done` holds or
    // `limitMs` has passed; true when it holds.
    template <typename Done> bool advanceUntil(Done done, qint64 limitMs)
    {
        const qint64 until = now + limitMs;
        while (!done() && now < until)
            advance(std::min<qint64>(sim::SimulatedStation::TickMs, until - now));
        return done();
    }

    qint64 now = 0;

  private:
    class Clock;
    std::vector<std::unique_ptr<Clock>> m_clocks;
};

// The simulated interface on a station whose time the test moves.
struct SimulatedRig {
    explicit SimulatedRig(const iface::SimulatedSettings& settings = {})
        : port(settings, time.newStation()), runner(*port.stationRunner())
    {
    }
    // Lets what a connect queued (the first input report) arrive.
    void settle() { time.advance(0); }
    // Moves time on (bounded) until the station comes to rest.
    bool runToRest(qint64 limitMs = 5000)
    {
        return time.advanceUntil([this] { return !runner.isRunning(); }, limitMs);
    }

    ManualTime time;
    iface::SimulatedInterface port;
    sim::StationRunner& runner;
};

} // namespace testing
