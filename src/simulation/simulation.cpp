#include "simulation/simulation.h"

#include "station/station_data.h"

#include <algorithm>

namespace sim
{

void Simulation::setStation(station::Station kind)
{
    if (!station::isStation(kind))
        kind = station::Station::Interface;
    if (kind == m_kind)
        return;
    build(kind);
}

void Simulation::restart()
{
    m_force.fill(Force::Free);
    build(m_kind);
}

void Simulation::build(station::Station kind)
{
    m_kind = kind;
    m_stack.reset();
    m_conveyor.reset();
    m_handling.reset();
    switch (kind) {
    case station::Station::Start:
    case station::Station::Interface:
        break;
    case station::Station::StapelMagazijn:
        m_stack.emplace();
        break;
    case station::Station::Transportband:
        m_conveyor.emplace();
        break;
    case station::Station::Stationhandling:
        m_handling.emplace();
        break;
    case station::Station::TransHandling:
        m_conveyor.emplace();
        m_handling.emplace();
        break;
    }
    applyOutputs();
}

void Simulation::setOutputs(quint8 word)
{
    m_outputs = word;
    applyOutputs();
}

void Simulation::setDeadOutputs(quint8 mask)
{
    m_dead = mask;
    applyOutputs();
}

void Simulation::applyOutputs()
{
    // Only ever fewer outputs than given: a fault never moves anything.
    const quint8 working = m_outputs & quint8(~m_dead);
    if (m_stack)
        m_stack->setOutputs(working);
    if (m_kind == station::Station::TransHandling) {
        const station::SplitOutputs split = station::splitCombinedOutputs(working);
        m_conveyor->setOutputs(split.conveyor);
        m_handling->setOutputs(split.handling);
        return;
    }
    if (m_conveyor)
        m_conveyor->setOutputs(working);
    if (m_handling)
        m_handling->setOutputs(working);
}

void Simulation::step(int ms)
{
    while (ms > 0) {
        const int slice = std::min(ms, 10);
        ms -= slice;
        if (m_stack)
            m_stack->step(slice);
        if (m_conveyor)
            m_conveyor->step(slice);
        if (m_handling) {
            const bool wasClosed = m_handling->isGripperClosed();
            m_handling->step(slice);
            if (m_conveyor)
                passParts(wasClosed);
        }
    }
}

// The gripper takes a part off the end of the belt when it closes there,
// and lets it go when it opens: at the back place it is delivered, at the
// front place it goes back onto the belt end, anywhere else it falls.
void Simulation::passParts(bool wasClosed)
{
    HandlingStation& h = *m_handling;
    if (!h.isHolding() && !wasClosed && h.isGripperClosed() && h.isAtFront() && h.isDown()) {
        BeltPart part;
        if (m_conveyor->takePartAtEnd(&part))
            h.hold(part);
        return;
    }
    if (h.isHolding() && wasClosed && !h.isGripperClosed()) {
        const BeltPart part = h.release();
        if (h.isDown() && h.isAtBack())
            h.countDelivered();
        else if (!(h.isDown() && h.isAtFront() && m_conveyor->returnPartAtEnd(part)))
            h.countDropped();
    }
}

quint8 Simulation::stationInputs() const
{
    switch (m_kind) {
    case station::Station::Start:
    case station::Station::Interface:
        return 0;
    case station::Station::StapelMagazijn:
        return m_stack->inputs();
    case station::Station::Transportband:
        return m_conveyor->inputs();
    case station::Station::Stationhandling:
        return m_handling->inputs();
    case station::Station::TransHandling:
        return station::joinCombinedInputs(m_conveyor->inputs(), m_handling->inputs());
    }
    return 0;
}

quint8 Simulation::inputs() const
{
    quint8 word = stationInputs();
    for (int i = 0; i < InputCount; ++i) {
        if (m_force[i] == Force::On)
            word |= quint8(1u << i);
        else if (m_force[i] == Force::Off)
            word &= quint8(~(1u << i));
    }
    return word;
}

Force Simulation::force(int input) const
{
    if (input < 0 || input >= InputCount)
        return Force::Free;
    return m_force[input];
}

void Simulation::setForce(int input, Force force)
{
    if (input < 0 || input >= InputCount)
        return;
    m_force[input] = force;
}

bool Simulation::placePart(bool metal)
{
    return m_conveyor && m_conveyor->placePart(metal);
}

bool Simulation::clearBelt()
{
    if (!m_conveyor)
        return false;
    m_conveyor->clear();
    return true;
}

bool Simulation::refillMagazine()
{
    if (!m_stack)
        return false;
    m_stack->refill();
    return true;
}

bool Simulation::setMagazineLids(int lids)
{
    if (!m_stack)
        return false;
    m_stack->setLids(lids);
    return true;
}

bool Simulation::isMoving() const
{
    return (m_stack && m_stack->isMoving()) || (m_conveyor && m_conveyor->isMoving()) ||
           (m_handling && m_handling->isMoving());
}

} // namespace sim
