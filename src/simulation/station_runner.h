#pragma once

#include "simulation/simulation.h"
#include "station/station.h"

#include <QObject>

namespace sim
{

// The simulated station as it runs in time: the station in view, the output
// word it is given, the input word its sensors and the forced inputs make,
// and the teacher's parts and faults. Whoever reads it (the simulated
// interface, the PLC server, "Virtuele opstelling", a stand-in step plan
// host) knows only this.
class StationRunner : public QObject
{
    Q_OBJECT

  public:
    using QObject::QObject;

    virtual station::Station station() const = 0;
    // Replaces the station by a new one at rest (nothing when it is the
    // same); the start and interface states are the bare interface.
    virtual void setStation(station::Station inView) = 0;

    virtual quint8 outputs() const = 0;
    virtual void setOutputs(quint8 word) = 0;
    virtual quint8 inputs() const = 0;
    // Outputs whose actuators do not move (bit i = output i + 1), whatever
    // the word says; outputs() still reports the word as given.
    virtual quint8 deadOutputs() const = 0;
    virtual void setDeadOutputs(quint8 mask) = 0;

    // Forces input 0..7 on or off, or frees it; takes effect at once.
    // Inputs outside 0..7 are ignored.
    virtual Force inputForce(int input) const = 0;
    virtual void setInputForce(int input, Force force) = 0;
    // Lays a part at the start of the belt; false when there is no belt or
    // its start is taken.
    virtual bool placePart(bool metal) = 0;
    // Takes every part off the belt, so that the next exercise starts from
    // an empty belt; false when there is no belt.
    virtual bool clearBelt() = 0;
    // Fills the stack magazine again; false when it is not in view.
    virtual bool refillMagazine() = 0;
    // Puts `lids` (0..StackMagazine::Capacity, clamped) in the stack
    // magazine; false when it is not in view.
    virtual bool setMagazineLids(int lids) = 0;
    // Replaces the station in view by a fresh one at rest, as it starts,
    // with every input free; the output word stays as it was given.
    virtual void restartStation() = 0;

    // True while the station moves and time is being stepped.
    virtual bool isRunning() const = 0;
    // The whole state, for drawing it.
    virtual const Simulation& simulation() const = 0;

  signals:
    // Anything about the station changed (for redrawing).
    void stateChanged();
    // The input word changed; raised after stateChanged.
    void inputsChanged(quint8 word);
};

} // namespace sim
