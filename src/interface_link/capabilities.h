#pragma once

#include "interface_link/input_faults.h"

#include <QObject>
#include <QString>
#include <QtPlugin>

namespace sim
{
class StationRunner;
}

namespace iface
{

class StationLink;

// What only some interfaces can do, beyond EasyPortControl. Each is a small
// interface of its own; app::Program looks them up once on the interface it
// is given and hands them to the parts that need them. Nothing else asks an
// interface what it is.

// Outputs that another device (a PLC) drives besides the pupil, and the
// pupil's Noodstop hold on them. An interface that has this keeps it as its
// direct child object.
class DrivenElsewhere : public QObject
{
    Q_OBJECT

  public:
    using QObject::QObject;
    ~DrivenElsewhere() override = default;

    // Why the pupil may not switch outputs now, in Dutch, naming who drives
    // them; empty while they are the pupil's. Reads the state, never moves it.
    virtual QString outputsRefusal() const = 0;
    // Who drives the outputs now, for the teacher (a PLC's address); empty
    // when nobody else does.
    virtual QString drivenBy() const = 0;
    // The pupil's emergency stop, after the all-off word was written: the
    // outputs stay off until the pupil releases them.
    virtual void emergencyStop() = 0;
    virtual void releaseHold() = 0;
    virtual bool isHeld() const = 0;
    // Released, but the outputs stay off until the other device has written
    // them all off.
    virtual bool isWaitingForAllOff() const = 0;
    // One Dutch line about the other device, for the pupil.
    virtual QString statusText() const = 0;

  signals:
    // The other device switched the outputs to `word`: shown, never written back.
    void outputsDriven(qint32 word);
    void statusChanged(const QString& text);
    void holdChanged(bool held);
    void waitingForAllOffChanged(bool waiting);
};

// How the teacher's hidden faults meet an interface.
class HiddenFaults
{
  public:
    virtual ~HiddenFaults() = default;
    // True when the inputs come from real sensors (a station on the table):
    // then the interlocks read the true word (see interlockInputs).
    virtual bool readsRealSensors() const = 0;
    // For an interface that passes its inputs on to others (a PLC): they
    // read them as the pupil's program does.
    virtual void setHiddenFaults(const InputFaults& faults) = 0;
};

// A simulated station behind the interface, and its link as the window
// that draws the station sees it.
class SimulatedStationSource
{
  public:
    virtual ~SimulatedStationSource() = default;
    virtual sim::StationRunner* stationRunner() const = 0;
    virtual StationLink* stationLink() const = 0;
};

} // namespace iface

Q_DECLARE_INTERFACE(iface::HiddenFaults, "nl.vmbo.automatiseren.HiddenFaults")
Q_DECLARE_INTERFACE(iface::SimulatedStationSource, "nl.vmbo.automatiseren.SimulatedStationSource")
