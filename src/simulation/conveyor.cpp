#include "simulation/conveyor.h"

#include <algorithm>
#include <cstdlib>

namespace sim
{

void Conveyor::setOutputs(quint8 word)
{
    m_stopper = word & 0x01;
    m_motor = word & 0x02;
    m_backward = word & 0x04;
}

void Conveyor::step(int ms)
{
    if (!m_motor)
        return;
    while (ms > 0) {
        const int slice = std::min(ms, 10);
        ms -= slice;
        run(slice);
    }
}

void Conveyor::run(int ms)
{
    m_phase = ((m_phase + (m_backward ? -ms : ms)) % LengthMs + LengthMs) % LengthMs;
    if (m_backward) {
        // The part nearest the start leads; the others queue behind it.
        int limit = 0;
        for (BeltPart& p : m_parts) {
            p.positionMs = std::min(p.positionMs, std::max(limit, p.positionMs - ms));
            limit = p.positionMs + PartMs;
        }
        return;
    }
    int limit = LengthMs;
    for (int i = int(m_parts.size()) - 1; i >= 0; --i) {
        BeltPart& p = m_parts[i];
        const int from = p.positionMs;
        p.positionMs = std::max(from, std::min(limit, from + ms));
        if (m_stopper && from < DiverterAtMs && p.positionMs >= DiverterAtMs) {
            ++m_slide;
            m_parts.removeAt(i);
            continue;
        }
        limit = p.positionMs - PartMs;
    }
}

quint8 Conveyor::inputs() const
{
    quint8 word = 0;
    for (const BeltPart& p : m_parts) {
        if (p.metal && std::abs(p.positionMs - InductiveAtMs) <= InductiveReachMs)
            word |= 0x01;
        if (p.positionMs <= OpticalReachMs)
            word |= 0x02;
    }
    return word;
}

bool Conveyor::placePart(bool metal)
{
    if (!m_parts.isEmpty() && m_parts.front().positionMs < PartMs)
        return false;
    m_parts.prepend(BeltPart{m_nextId++, 0, metal});
    return true;
}

int Conveyor::partsAtEnd() const
{
    int n = 0;
    int place = LengthMs;
    for (int i = int(m_parts.size()) - 1; i >= 0 && m_parts[i].positionMs == place; --i) {
        ++n;
        place -= PartMs;
    }
    return n;
}

bool Conveyor::takePartAtEnd(BeltPart* taken)
{
    if (m_parts.isEmpty() || m_parts.back().positionMs < LengthMs)
        return false;
    if (taken)
        *taken = m_parts.back();
    m_parts.removeLast();
    return true;
}

bool Conveyor::returnPartAtEnd(const BeltPart& part)
{
    if (!m_parts.isEmpty() && m_parts.back().positionMs > LengthMs - PartMs)
        return false;
    BeltPart p = part;
    p.positionMs = LengthMs;
    m_parts.append(p);
    return true;
}

} // namespace sim
