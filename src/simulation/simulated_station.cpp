#include "simulation/simulated_station.h"

#include "platform/clock.h"

#include <algorithm>

namespace sim
{

namespace
{
platform::Clock* ownClockUnless(platform::Clock* given, std::unique_ptr<platform::Clock>& own)
{
    if (given)
        return given;
    own = std::make_unique<platform::TimerClock>();
    return own.get();
}
} // namespace

SimulatedStation::SimulatedStation(platform::Clock* clock, QObject* parent)
    : StationRunner(parent), m_clock(*ownClockUnless(clock, m_ownClock)),
      m_announced(m_sim.inputs())
{
    m_clock.setWakeHandler([this] { tick(); });
}

SimulatedStation::~SimulatedStation()
{
    m_clock.setWakeHandler({});
    m_clock.cancel();
}

void SimulatedStation::setStation(station::Station inView)
{
    const station::Station before = m_sim.station();
    m_sim.setStation(inView);
    if (m_sim.station() != before)
        afterChange();
}

void SimulatedStation::setOutputs(quint8 word)
{
    m_sim.setOutputs(word);
    afterChange();
}

void SimulatedStation::setDeadOutputs(quint8 mask)
{
    if (mask == m_sim.deadOutputs())
        return;
    m_sim.setDeadOutputs(mask);
    afterChange();
}

void SimulatedStation::setInputForce(int input, Force force)
{
    if (input < 0 || input >= Simulation::InputCount || m_sim.force(input) == force)
        return;
    m_sim.setForce(input, force);
    afterChange();
}

bool SimulatedStation::placePart(bool metal)
{
    if (!m_sim.placePart(metal))
        return false;
    afterChange();
    return true;
}

bool SimulatedStation::clearBelt()
{
    if (!m_sim.clearBelt())
        return false;
    afterChange();
    return true;
}

bool SimulatedStation::refillMagazine()
{
    if (!m_sim.refillMagazine())
        return false;
    afterChange();
    return true;
}

bool SimulatedStation::setMagazineLids(int lids)
{
    if (!m_sim.setMagazineLids(lids))
        return false;
    afterChange();
    return true;
}

void SimulatedStation::restartStation()
{
    m_sim.restart();
    afterChange();
}

bool SimulatedStation::isRunning() const
{
    return m_clock.isSet();
}

void SimulatedStation::tick()
{
    const qint64 now = m_clock.nowMs();
    const qint64 elapsed = std::clamp<qint64>(now - m_lastStepMs, 0, MaxCatchUpMs);
    m_lastStepMs = now;
    m_sim.step(int(elapsed));
    if (m_sim.isMoving())
        m_clock.wakeAfter(TickMs);
    announce();
}

void SimulatedStation::afterChange()
{
    if (m_sim.isMoving() && !m_clock.isSet()) {
        m_lastStepMs = m_clock.nowMs();
        m_clock.wakeAfter(TickMs);
    }
    announce();
}

void SimulatedStation::announce()
{
    emit stateChanged();
    const quint8 word = m_sim.inputs();
    if (word != m_announced) {
        m_announced = word;
        emit inputsChanged(word);
    }
}

} // namespace sim
