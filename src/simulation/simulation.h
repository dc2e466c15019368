#pragma once

#include "simulation/conveyor.h"
#include "simulation/handling_station.h"
#include "simulation/stack_magazine.h"
#include "station/station.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace sim
{

// How an input is forced by hand, on top of what the station makes of it.
enum class Force { Free, On, Off };

// The simulated station behind the interface: takes the output word and
// time steps, gives the input word. Forcing is applied after the physics.
// Forcing belongs to the interface inputs and survives a change of station.
class Simulation
{
  public:
    static constexpr int InputCount = 8;

    // The station simulated: one of the four, or Interface (the bare
    // interface: no station, inputs only as forced). In the combined station
    // the conveyor is on outputs 0-2 and inputs 0-1, the handling station
    // shifted by three.
    station::Station station() const { return m_kind; }
    // Replaces the station by a new one at rest (no change when it is the
    // same one). The present output word is applied to it. The start state
    // is the bare interface.
    void setStation(station::Station kind);

    quint8 outputs() const { return m_outputs; }
    void setOutputs(quint8 word);
    // Outputs that do not work (a hidden fault): still part of the word
    // given, but their actuators do not move. Kept through a restart and a
    // change of station.
    quint8 deadOutputs() const { return m_dead; }
    void setDeadOutputs(quint8 mask);
    void step(int ms);

    // What the station's sensors report, before forcing.
    quint8 stationInputs() const;
    // The input word as the interface reports it.
    quint8 inputs() const;

    // Inputs outside 0..7 are ignored (free).
    Force force(int input) const;
    void setForce(int input, Force force);

    // Lays a part at the start of the belt; false when there is no belt in
    // view or the start of the belt is taken.
    bool placePart(bool metal);
    // Takes every part off the belt; false when there is no belt in view.
    bool clearBelt();
    // Fills the stack magazine again; false when it is not in view.
    bool refillMagazine();
    // Puts `lids` in the stack magazine (clamped to its capacity); false
    // when it is not in view.
    bool setMagazineLids(int lids);
    // The station in view again as it starts, every input free.
    void restart();

    // True while anything would change with time.
    bool isMoving() const;

    // The parts of the station in view; null for those not in view.
    const StackMagazine* stackMagazine() const { return m_stack ? &*m_stack : nullptr; }
    const Conveyor* conveyor() const { return m_conveyor ? &*m_conveyor : nullptr; }
    const HandlingStation* handling() const { return m_handling ? &*m_handling : nullptr; }

  private:
    void build(station::Station kind);
    void applyOutputs();
    void passParts(bool wasClosed);

    station::Station m_kind = station::Station::Interface;
    quint8 m_outputs = 0;
    quint8 m_dead = 0;
    std::array<Force, InputCount> m_force{};
    std::optional<StackMagazine> m_stack;
    std::optional<Conveyor> m_conveyor;
    std::optional<HandlingStation> m_handling;
};

} // namespace sim
