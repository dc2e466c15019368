#pragma once

#include "plc/ownership.h"

#include <QHostAddress>
#include <QList>
#include <QString>

namespace plc
{

// Who gets one of the server's connections, without any socket. A client
// that opens connections and sends nothing must not lock out the PLC that
// drives the station:
// - each address has a small cap, so one address cannot take every slot;
// - the PLC that owns the outputs (or owned them last, when it restarts
//   and its old connections are gone) always gets in: the least recently
//   active connection of another address gives way, or, at its own cap,
//   its own least recently active one (a restarted PLC's stale one);
// - a connection that sends no request for idleLimitMs() is closed.
struct ConnectionSlots {
    static constexpr int MaxConnections = 64;
    static constexpr int MaxPerAddress = 8;
    static constexpr int MinIdleLimitMs = 30000;

    struct Open {
        ConnectionId id = 0;
        QHostAddress peer;
        qint64 lastRequestMs = 0;
    };

    struct Admission {
        bool admitted = false;
        ConnectionId evict = 0; // 0: nobody has to give way
        QString why;            // Dutch, when refused
    };

    // `preferred`: the owner's address, else the last owner's; null for none.
    static Admission admit(const QList<Open>& open, const QHostAddress& peer,
                           const QHostAddress& preferred, int maxConnections = MaxConnections,
                           int maxPerAddress = MaxPerAddress);

    // Twice the watchdog, at least MinIdleLimitMs: a PLC that polls within
    // its watchdog is never idle.
    static int idleLimitMs(int watchdogMs);
};

} // namespace plc
