#pragma once

#include "simulation/conveyor.h"
#include "simulation/cylinder.h"

#include <QtGlobal>

namespace sim
{

// The handling station: a horizontal guided cylinder carries a vertical
// guided cylinder with a pneumatic gripper at its foot. The front place is
// the pick-up place (with the conveyor: the far end of the belt), the back
// place is the put-down place. When the gripper is lowered at a place its
// fingers stand in the holder there, so the carriage cannot travel
// sideways: the horizontal cylinder stalls while the vertical cylinder is
// more than a third of the way down, and goes on once it is raised.
//
// Outputs: 0 horizontal out (to the front), 1 horizontal in (to the back),
//          2 vertical out (down), 3 vertical in (up), all through bistable
//          4/2 valves; 4 gripper (monostable: closed while on).
// Inputs:  0 horizontal back, 1 horizontal front, 2 vertical up,
//          3 vertical down; each only in its end position.
class HandlingStation
{
  public:
    static constexpr int HorizontalTravelMs = 1000;
    static constexpr int VerticalTravelMs = 600;
    static constexpr int GripperTravelMs = 200;
    // Below this depth the gripper stands in the holder.
    static constexpr int InHolderMs = VerticalTravelMs / 3;

    void setOutputs(quint8 word);
    void step(int ms);
    quint8 inputs() const;
    bool isMoving() const;

    const Cylinder& horizontal() const { return m_horizontal; }
    const Cylinder& vertical() const { return m_vertical; }
    const Cylinder& gripper() const { return m_gripper; }
    bool isGripperClosed() const { return m_gripper.isExtended(); }
    bool isGripperOpen() const { return m_gripper.isRetracted(); }
    // The horizontal cylinder is driven but held by the lowered gripper.
    bool isHorizontalBlocked() const;

    bool isAtFront() const { return m_horizontal.isExtended(); }
    bool isAtBack() const { return m_horizontal.isRetracted(); }
    bool isDown() const { return m_vertical.isExtended(); }

    bool isHolding() const { return m_holding; }
    const BeltPart& heldPart() const { return m_held; }
    void hold(const BeltPart& part);
    BeltPart release();
    // Parts put down at the back place, and parts let go elsewhere.
    int partsDelivered() const { return m_delivered; }
    int partsDropped() const { return m_dropped; }
    void countDelivered() { ++m_delivered; }
    void countDropped() { ++m_dropped; }

  private:
    bool gripperInHolder() const { return m_vertical.positionMs() > InHolderMs; }

    Cylinder m_horizontal{HorizontalTravelMs};
    Cylinder m_vertical{VerticalTravelMs};
    Cylinder m_gripper{GripperTravelMs};
    bool m_holding = false;
    BeltPart m_held;
    int m_delivered = 0;
    int m_dropped = 0;
};

} // namespace sim
