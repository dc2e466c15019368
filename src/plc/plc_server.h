#pragma once

#include "plc/connection_slots.h"
#include "plc/ownership.h"
#include "plc/plc_settings.h"
#include "plc/request_handler.h"

#include <QHash>
#include <QObject>
#include <QTcpServer>

#include <functional>
#include <memory>

class QTcpSocket;

namespace plc
{

// The station as a Modbus TCP server for PLCs. It does the framing on a
// plain QTcpServer (Qt's own Modbus server answers only its own unit id and
// serves functions the station must not), hands each request to the
// RequestHandler and keeps the Ownership informed of every connection.
//
// Whatever a client sends, nothing blocks and nothing switches an output on
// by itself: a connection from outside `allow`, one beyond the slots
// (ConnectionSlots), one that sends bytes that are no Modbus TCP, one that
// does not read its answers and one without a request for idleLimitMs is
// closed and logged. The watchdog and the idle time-out run on the clock
// the server is given.
class PlcServer : public QObject
{
    Q_OBJECT

  public:
    static constexpr int MaxConnections = ConnectionSlots::MaxConnections;
    // Answers a client lets pile up unread before it is dropped.
    static constexpr qint64 MaxUnreadBytes = 64 * 1024;

    PlcServer(const PlcSettings& settings, WakeClock& clock, std::function<quint8()> inputs,
              QObject* parent = nullptr);
    ~PlcServer() override;

    // Starts listening; false with startFailure() saying why in Dutch.
    bool start();
    // Closes every connection and stops listening; the outputs go off.
    void stop();
    bool isListening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }
    QString startFailure() const { return m_failure; }
    int connectionCount() const { return int(m_connections.size()); }

    Ownership& ownership() { return m_ownership; }
    const PlcSettings& settings() const { return m_settings; }

    void setIdleLimitMs(int ms);
    int idleLimitMs() const { return m_idleLimitMs; }

  signals:
    void outputsChanged(quint8 word);
    void ownershipEvent(const plc::Ownership::Event& event);
    // A connection was closed by the server; `why` is Dutch, for the pupil.
    void connectionRefused(const QHostAddress& peer, const QString& why);

  private:
    struct Connection;

    void acceptConnections();
    void onReadyRead(QTcpSocket* socket);
    void drop(QTcpSocket* socket, const QString& why);
    void forget(QTcpSocket* socket);
    void arm();
    void onWake();
    void closeIdle();
    QTcpSocket* socketOf(ConnectionId id) const;

    PlcSettings m_settings;
    WakeClock& m_clock;
    Ownership m_ownership;
    RequestHandler m_handler;
    QTcpServer m_server;
    QHash<QTcpSocket*, std::shared_ptr<Connection>> m_connections;
    ConnectionId m_nextId = 0;
    // The owner's address, kept after it is lost: a PLC that restarts gets a slot.
    QHostAddress m_lastOwner;
    int m_idleLimitMs;
    QString m_failure;
};

// The peer address as one PLC is known by (an IPv4 address mapped into
// IPv6 becomes the plain IPv4 address).
QHostAddress plainAddress(const QHostAddress& address);

} // namespace plc
