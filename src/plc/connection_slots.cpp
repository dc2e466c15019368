#include "plc/connection_slots.h"

namespace plc
{

namespace
{

// The least recently active connection whose address is (or is not) `peer`.
ConnectionId leastActive(const QList<ConnectionSlots::Open>& open, const QHostAddress& peer,
                         bool samePeer)
{
    const ConnectionSlots::Open* found = nullptr;
    for (const ConnectionSlots::Open& c : open) {
        if ((c.peer == peer) != samePeer)
            continue;
        if (!found || c.lastRequestMs < found->lastRequestMs)
            found = &c;
    }
    return found ? found->id : 0;
}

} // namespace

ConnectionSlots::Admission ConnectionSlots::admit(const QList<Open>& open, const QHostAddress& peer,
                                                  const QHostAddress& preferred, int maxConnections,
                                                  int maxPerAddress)
{
    int fromPeer = 0;
    for (const Open& c : open)
        fromPeer += c.peer == peer ? 1 : 0;
    const bool full = open.size() >= maxConnections;
    const bool capped = fromPeer >= maxPerAddress;
    Admission a;
    if (!preferred.isNull() && peer == preferred) {
        a.admitted = true;
        if (capped)
            a.evict = leastActive(open, peer, true);
        else if (full)
            a.evict = leastActive(open, peer, false);
        return a;
    }
    if (capped)
        a.why =
            QStringLiteral("te veel verbindingen van dit adres (meer dan %1)").arg(maxPerAddress);
    else if (full)
        a.why = QStringLiteral("te veel verbindingen (meer dan %1)").arg(maxConnections);
    else
        a.admitted = true;
    return a;
}

int ConnectionSlots::idleLimitMs(int watchdogMs)
{
    return qMax(MinIdleLimitMs, 2 * qMax(0, watchdogMs));
}

} // namespace plc
