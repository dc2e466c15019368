#include "simulation/cylinder.h"

#include <algorithm>

namespace sim
{

Cylinder::Cylinder(int travelMs) : m_travel(std::max(1, travelMs)) {}

int Cylinder::positionAfter(int ms, int outStop, int inStop) const
{
    if (ms <= 0)
        return m_pos;
    if (m_out) {
        const int limit = std::min(m_travel, outStop);
        if (m_pos >= limit)
            return m_pos;
        return std::min(limit, m_pos + ms);
    }
    const int limit = std::max(0, inStop);
    if (m_pos <= limit)
        return m_pos;
    return std::max(limit, m_pos - ms);
}

bool bistableValve(bool drivenOut, bool coilOut, bool coilIn)
{
    if (coilOut && !coilIn)
        return true;
    if (coilIn && !coilOut)
        return false;
    return drivenOut;
}

} // namespace sim
