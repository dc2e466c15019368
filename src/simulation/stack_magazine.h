#pragma once

#include "simulation/cylinder.h"

#include <QtGlobal>

namespace sim
{

// The stack magazine. Lids lie in a vertical magazine; the feed cylinder
// ("Doorvoercilinder") pushes the bottom lid out along a short track to the
// pressing place, where the pressing cylinder ("Aandrukcilinder") comes
// down on it. The pressing rod stands in the feed track: while it is not
// fully up, a lid pushed out of the magazine runs into it and the feed rod
// stalls there. That is why the feed cylinder may not be sent out while the
// pressing cylinder is out.
//
// Outputs: 0 feed cylinder out, 1 feed cylinder in (bistable 4/2 valve),
//          2 pressing cylinder (monostable 4/2 valve, spring return).
// Inputs:  0 end switch of the pressing cylinder, on in its extended end.
//
// The bottom lid is the "feed lid"; the lids above it are the stack. A lid
// that reaches the pressing place pushes the lid that lay there off the
// station (counted as delivered). Once the feed rod is fully back, the
// stack drops and its lowest lid becomes the next feed lid.
class StackMagazine
{
  public:
    static constexpr int FeedTravelMs = 800;
    static constexpr int PressTravelMs = 500;
    // How far (in ms of feed travel) a lid gets before it meets the
    // pressing rod when that is down.
    static constexpr int PressLineMs = 480;
    static constexpr int Capacity = 6;

    StackMagazine();

    void setOutputs(quint8 word);
    void step(int ms);
    quint8 inputs() const;
    bool isMoving() const;

    const Cylinder& feed() const { return m_feed; }
    const Cylinder& press() const { return m_press; }
    // The feed rod is held up by a lid against the pressing rod.
    bool isFeedBlocked() const;

    int stackedLids() const { return m_stacked; }
    bool hasFeedLid() const { return m_feedLid; }
    // 0 = in the magazine, 1 = at the pressing place.
    double feedLidPosition() const { return double(m_feedLidPos) / FeedTravelMs; }
    bool hasLidAtPress() const { return m_lidAtPress; }
    bool isLidAtPressPressed() const { return m_lidPressed; }
    int deliveredLids() const { return m_delivered; }
    // Total lids still in the magazine, the feed lid included while it has
    // not left it.
    int lidsInMagazine() const { return m_stacked + (m_feedLid && m_feedLidPos == 0 ? 1 : 0); }
    // Fills the magazine up to its capacity.
    void refill();
    // Leaves `lids` (clamped to 0..Capacity) in the magazine.
    void setLids(int lids);

  private:
    int feedOutStop() const;
    void settle();

    Cylinder m_feed{FeedTravelMs};
    Cylinder m_press{PressTravelMs};
    int m_stacked = Capacity - 1;
    bool m_feedLid = true;
    int m_feedLidPos = 0;
    bool m_lidAtPress = false;
    bool m_lidPressed = false;
    int m_delivered = 0;
};

} // namespace sim
