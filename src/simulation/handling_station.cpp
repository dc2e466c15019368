#include "simulation/handling_station.h"

#include <algorithm>

namespace sim
{

void HandlingStation::setOutputs(quint8 word)
{
    m_horizontal.drive(bistableValve(m_horizontal.drivenOut(), word & 0x01, word & 0x02));
    m_vertical.drive(bistableValve(m_vertical.drivenOut(), word & 0x04, word & 0x08));
    m_gripper.drive(word & 0x10);
}

void HandlingStation::step(int ms)
{
    while (ms > 0) {
        const int slice = std::min(ms, 10);
        ms -= slice;
        if (gripperInHolder()) {
            const int here = m_horizontal.positionMs();
            m_horizontal.step(slice, here, here);
        } else {
            m_horizontal.step(slice);
        }
        m_vertical.step(slice);
        m_gripper.step(slice);
    }
}

quint8 HandlingStation::inputs() const
{
    quint8 word = 0;
    if (m_horizontal.isRetracted())
        word |= 0x01;
    if (m_horizontal.isExtended())
        word |= 0x02;
    if (m_vertical.isRetracted())
        word |= 0x04;
    if (m_vertical.isExtended())
        word |= 0x08;
    return word;
}

bool HandlingStation::isHorizontalBlocked() const
{
    return gripperInHolder() && m_horizontal.canMove();
}

bool HandlingStation::isMoving() const
{
    return (m_horizontal.canMove() && !gripperInHolder()) || m_vertical.canMove() ||
           m_gripper.canMove();
}

void HandlingStation::hold(const BeltPart& part)
{
    m_held = part;
    m_holding = true;
}

BeltPart HandlingStation::release()
{
    m_holding = false;
    return m_held;
}

} // namespace sim
