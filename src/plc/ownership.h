#pragma once

#include "plc/clock.h"

#include <QHash>
#include <QHostAddress>
#include <QtGlobal>

#include <functional>

namespace plc
{

using ConnectionId = quint64;

// Who may switch the station's outputs, without any socket: one PLC (one
// peer address) owns them at a time, its watchdog, and the pupil's
// emergency hold. Every write, whatever Modbus function carried it and
// whether it came from a PLC or from the pupil, passes through here, and
// this class keeps the one output word the station is given.
//
// - The first PLC to write owns the outputs, starting from all-off. Any
//   request from the owner's address, on any of its connections, keeps it
//   alive.
// - A write from another address while the owner is alive is refused
//   (Busy). Reads are never refused.
// - The owner is gone when its last connection closes or, with a watchdog,
//   when it has sent nothing for that long: all outputs go off at once and
//   the next PLC to write owns them.
// - During the hold every PLC write is refused (Held) and the outputs stay
//   off; releasing it switches nothing on.
// - After the hold and after an owner is lost, the outputs stay off until
//   the PLCs have written every output off (in one word or coil by coil):
//   a PLC that kept its old coils, or froze and resumed, must not switch
//   the station back on by itself. Until then a write that would switch an
//   output on is refused (NotOff) and takes nothing.
// - The pupil's writes are refused while a PLC owns the outputs.
class Ownership
{
  public:
    enum class Verdict { Applied, Busy, Held, NotOff };

    // What happened, for the status line and the log.
    struct Event {
        enum Kind {
            Waiting,       // no connection left, nobody owns the outputs
            TookOver,      // `peer` now owns the outputs
            OwnerSilent,   // the owner's watchdog ran out: outputs off
            OwnerClosed,   // the owner's last connection closed: outputs off
            RefusedBusy,   // a write from `peer` while `owner` owns
            RefusedHeld,   // a write from `peer` during the hold
            HoldOn,        // the hold began: outputs off
            HoldReleased,  // the pupil released the hold
            RefusedNotOff, // a write from `peer` that would switch an output on
                           // before every output was written off
            AllOff,        // every output written off: writes apply again
        };
        Kind kind = Waiting;
        QHostAddress peer;
        QHostAddress owner;
    };

    // `watchdogMs` 0: no watchdog (only the last connection closing ends
    // the ownership).
    Ownership(const Clock& clock, int watchdogMs);

    void setEventHandler(std::function<void(const Event&)> handler);
    // Called with the new word whenever the output word changes.
    void setOutputHandler(std::function<void(quint8)> handler);

    void connectionOpened(ConnectionId id, const QHostAddress& peer);
    void connectionClosed(ConnectionId id);
    // Every request that arrives on a connection, read or write, before it
    // is handled (keeps the owner alive).
    void noteRequest(ConnectionId id);
    // A PLC write: the bits of `mask` take the values of `values`. Unknown
    // connections are refused as busy.
    Verdict write(ConnectionId id, quint8 mask, quint8 values);
    // The pupil's own write of the whole word; false (nothing changes)
    // while a PLC owns the outputs.
    bool pupilWrite(quint8 word);
    // Everything off without ending the ownership (a change of station, a
    // disconnect).
    void switchOff();

    void setHold(bool on);
    bool isHeld() const { return m_hold; }
    // True from the hold or the loss of an owner until every output has
    // been written off by a PLC.
    bool awaitsAllOff() const { return m_awaitAllOff; }

    // Runs the watchdog against the clock; call it when deadline() is due
    // (every other member runs it first, too).
    void expire();
    // Milliseconds until the owner's watchdog runs out; -1 when none runs.
    qint64 msUntilDeadline() const;

    bool hasOwner() const { return !m_owner.isNull(); }
    QHostAddress owner() const { return m_owner; }
    quint8 outputs() const { return m_outputs; }
    int connectionCount() const { return int(m_peers.size()); }
    int watchdogMs() const { return m_watchdogMs; }

  private:
    void setOutputs(quint8 word);
    void loseOwner(Event::Kind why);
    void awaitAllOff();
    void emitEvent(Event::Kind kind, const QHostAddress& peer = {});

    const Clock& m_clock;
    int m_watchdogMs;
    QHash<ConnectionId, QHostAddress> m_peers;
    QHostAddress m_owner;
    qint64 m_ownerSeen = 0;
    quint8 m_outputs = 0;
    bool m_hold = false;
    bool m_awaitAllOff = false;
    quint8 m_writtenOff = 0; // outputs a PLC wrote off while awaiting all-off
    std::function<void(const Event&)> m_onEvent;
    std::function<void(quint8)> m_onOutputs;
};

} // namespace plc
