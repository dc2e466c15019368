#include "simulation/stack_magazine.h"

#include <algorithm>

namespace sim
{

StackMagazine::StackMagazine() = default;

void StackMagazine::setOutputs(quint8 word)
{
    m_feed.drive(bistableValve(m_feed.drivenOut(), word & 0x01, word & 0x02));
    m_press.drive(word & 0x04);
}

int StackMagazine::feedOutStop() const
{
    if (m_feedLid && !m_press.isRetracted() && m_feedLidPos <= PressLineMs)
        return PressLineMs;
    return FeedTravelMs;
}

bool StackMagazine::isFeedBlocked() const
{
    return m_feed.drivenOut() && feedOutStop() < FeedTravelMs && m_feed.positionMs() == PressLineMs;
}

void StackMagazine::step(int ms)
{
    // Small slices keep the contact between the lid and the pressing rod
    // right when both move in the same step.
    while (ms > 0) {
        const int slice = std::min(ms, 10);
        ms -= slice;
        m_feed.step(slice, feedOutStop(), 0);
        m_press.step(slice);
        settle();
    }
}

void StackMagazine::settle()
{
    if (m_feedLid && m_feed.positionMs() > m_feedLidPos)
        m_feedLidPos = m_feed.positionMs();
    if (m_feedLid && m_feedLidPos >= FeedTravelMs) {
        if (m_lidAtPress)
            ++m_delivered;
        m_lidAtPress = true;
        m_lidPressed = false;
        m_feedLid = false;
        m_feedLidPos = 0;
    }
    if (!m_feedLid && m_feed.isRetracted() && m_stacked > 0) {
        --m_stacked;
        m_feedLid = true;
        m_feedLidPos = 0;
    }
    if (m_lidAtPress && m_press.isExtended())
        m_lidPressed = true;
}

quint8 StackMagazine::inputs() const
{
    return m_press.isExtended() ? 0x01 : 0x00;
}

bool StackMagazine::isMoving() const
{
    return m_feed.canMove(feedOutStop(), 0) || m_press.canMove();
}

void StackMagazine::refill()
{
    const int room = Capacity - lidsInMagazine();
    if (room <= 0)
        return;
    m_stacked += room;
    settle();
}

void StackMagazine::setLids(int lids)
{
    lids = std::clamp(lids, 0, Capacity);
    if (m_feedLid && m_feedLidPos == 0) {
        m_feedLid = lids > 0;
        m_stacked = std::max(0, lids - 1);
    } else {
        m_stacked = lids;
    }
    settle();
}

} // namespace sim
