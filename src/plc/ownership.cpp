#include "plc/ownership.h"

namespace plc
{

Ownership::Ownership(const Clock& clock, int watchdogMs)
    : m_clock(clock), m_watchdogMs(qMax(0, watchdogMs))
{
}

void Ownership::setEventHandler(std::function<void(const Event&)> handler)
{
    m_onEvent = std::move(handler);
}

void Ownership::setOutputHandler(std::function<void(quint8)> handler)
{
    m_onOutputs = std::move(handler);
}

void Ownership::connectionOpened(ConnectionId id, const QHostAddress& peer)
{
    expire();
    m_peers.insert(id, peer);
}

void Ownership::connectionClosed(ConnectionId id)
{
    expire();
    const auto it = m_peers.constFind(id);
    if (it == m_peers.cend())
        return;
    const QHostAddress peer = *it;
    m_peers.erase(it);
    if (hasOwner() && peer == m_owner) {
        bool another = false;
        for (const QHostAddress& p : std::as_const(m_peers))
            another = another || p == m_owner;
        if (!another)
            loseOwner(Event::OwnerClosed);
    }
    if (m_peers.isEmpty() && !hasOwner())
        emitEvent(Event::Waiting);
}

void Ownership::noteRequest(ConnectionId id)
{
    expire();
    const auto it = m_peers.constFind(id);
    if (it != m_peers.cend() && hasOwner() && *it == m_owner)
        m_ownerSeen = m_clock.nowMs();
}

Ownership::Verdict Ownership::write(ConnectionId id, quint8 mask, quint8 values)
{
    noteRequest(id);
    const auto it = m_peers.constFind(id);
    if (it == m_peers.cend())
        return Verdict::Busy;
    const QHostAddress peer = *it;
    if (m_hold) {
        emitEvent(Event::RefusedHeld, peer);
        return Verdict::Held;
    }
    if (hasOwner() && peer != m_owner) {
        emitEvent(Event::RefusedBusy, peer);
        return Verdict::Busy;
    }
    if (m_awaitAllOff && (values & mask) != 0) {
        emitEvent(Event::RefusedNotOff, peer);
        return Verdict::NotOff;
    }
    if (!hasOwner()) {
        // A new owner starts from all-off, whatever the pupil left on.
        m_owner = peer;
        m_ownerSeen = m_clock.nowMs();
        setOutputs(0);
        emitEvent(Event::TookOver, peer);
    }
    if (m_awaitAllOff) {
        m_writtenOff |= mask;
        if (m_writtenOff == 0xFF) {
            m_awaitAllOff = false;
            emitEvent(Event::AllOff, peer);
        }
    }
    setOutputs(quint8((m_outputs & ~mask) | (values & mask)));
    return Verdict::Applied;
}

bool Ownership::pupilWrite(quint8 word)
{
    expire();
    // The hold stops the PLCs; the pupil's own presses still count.
    if (hasOwner())
        return false;
    setOutputs(word);
    return true;
}

void Ownership::switchOff()
{
    expire();
    setOutputs(0);
}

void Ownership::setHold(bool on)
{
    expire();
    if (on) {
        setOutputs(0);
        awaitAllOff();
    }
    if (on == m_hold)
        return;
    m_hold = on;
    emitEvent(on ? Event::HoldOn : Event::HoldReleased);
}

void Ownership::expire()
{
    if (hasOwner() && m_watchdogMs > 0 && m_clock.nowMs() - m_ownerSeen >= m_watchdogMs)
        loseOwner(Event::OwnerSilent);
}

qint64 Ownership::msUntilDeadline() const
{
    if (!hasOwner() || m_watchdogMs == 0)
        return -1;
    return qMax<qint64>(0, m_ownerSeen + m_watchdogMs - m_clock.nowMs());
}

void Ownership::setOutputs(quint8 word)
{
    if (word == m_outputs)
        return;
    m_outputs = word;
    if (m_onOutputs)
        m_onOutputs(word);
}

void Ownership::loseOwner(Event::Kind why)
{
    const QHostAddress was = m_owner;
    m_owner = QHostAddress();
    setOutputs(0);
    awaitAllOff();
    emitEvent(why, was);
}

void Ownership::awaitAllOff()
{
    m_awaitAllOff = true;
    m_writtenOff = 0;
}

void Ownership::emitEvent(Event::Kind kind, const QHostAddress& peer)
{
    if (!m_onEvent)
        return;
    Event e;
    e.kind = kind;
    e.peer = peer;
    e.owner = m_owner;
    m_onEvent(e);
}

} // namespace plc
