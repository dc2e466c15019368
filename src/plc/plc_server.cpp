#include "plc/plc_server.h"

#include "platform/services.h"

#include <QTcpSocket>

namespace plc
{

struct PlcServer::Connection {
    Connection(RequestHandler& handler, ConnectionId id, const QHostAddress& peer, qint64 now)
        : session(handler, id), id(id), peer(peer), lastRequest(now)
    {
    }
    Session session;
    ConnectionId id;
    QHostAddress peer;
    // Only whole requests count: a client dripping bytes is still idle.
    qint64 lastRequest;
};

QHostAddress plainAddress(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

PlcServer::PlcServer(const PlcSettings& settings, WakeClock& clock, std::function<quint8()> inputs,
                     QObject* parent)
    : QObject(parent), m_settings(settings), m_clock(clock),
      m_ownership(clock, settings.watchdogMs),
      m_handler(m_ownership, std::move(inputs), quint8(settings.unit)),
      m_idleLimitMs(ConnectionSlots::idleLimitMs(settings.watchdogMs))
{
    m_ownership.setOutputHandler([this](quint8 word) { emit outputsChanged(word); });
    m_ownership.setEventHandler([this](const Ownership::Event& event) {
        if (event.kind == Ownership::Event::TookOver)
            m_lastOwner = event.peer;
        emit ownershipEvent(event);
    });
    m_server.setMaxPendingConnections(MaxConnections);
    connect(&m_server, &QTcpServer::newConnection, this, &PlcServer::acceptConnections);
    m_clock.setWakeHandler([this] { onWake(); });
}

PlcServer::~PlcServer()
{
    // Nothing is told any more: whoever listens may already be gone.
    disconnect(this, nullptr, nullptr, nullptr);
    stop();
    m_clock.cancel();
    m_clock.setWakeHandler({});
}

void PlcServer::setIdleLimitMs(int ms)
{
    m_idleLimitMs = qMax(1, ms);
    arm();
}

bool PlcServer::start()
{
    m_failure.clear();
    if (m_server.isListening())
        return true;
    if (m_server.listen(m_settings.listen, quint16(m_settings.port))) {
        qCInfo(lcDravik).noquote() << QStringLiteral("waiting for PLCs on %1 port %2")
                                          .arg(m_settings.listen.toString())
                                          .arg(m_settings.port);
        return true;
    }
    const QString address = m_settings.listen.toString();
    switch (m_server.serverError()) {
    case QAbstractSocket::AddressInUseError:
        m_failure = QStringLiteral("Poort %1 is al in gebruik door een ander programma. Kies in "
                                   "het installatiebestand onder [plc] een andere port.")
                        .arg(m_settings.port);
        break;
    case QAbstractSocket::SocketAddressNotAvailableError:
        m_failure = QStringLiteral("Het adres %1 (onder [plc] listen) hoort niet bij deze "
                                   "computer.")
                        .arg(address);
        break;
    case QAbstractSocket::SocketAccessError:
        m_failure = QStringLiteral("Poort %1 mag dit programma niet openen (poorten onder 1024 "
                                   "vragen extra rechten).")
                        .arg(m_settings.port);
        break;
    default:
        m_failure = QStringLiteral("Op adres %1, poort %2 kan niet geluisterd worden: %3")
                        .arg(address)
                        .arg(m_settings.port)
                        .arg(m_server.errorString());
        break;
    }
    qCWarning(lcDravik).noquote() << QStringLiteral("cannot listen for PLCs on %1 port %2: %3")
                                         .arg(address)
                                         .arg(m_settings.port)
                                         .arg(m_server.errorString());
    return false;
}

void PlcServer::stop()
{
    m_server.close();
    const QList<QTcpSocket*> sockets = m_connections.keys();
    for (QTcpSocket* socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        forget(socket);
    }
    m_ownership.switchOff();
    arm();
}

void PlcServer::acceptConnections()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        const QHostAddress peer = plainAddress(socket->peerAddress());
        QString why;
        ConnectionSlots::Admission slot;
        if (m_settings.allows(peer)) {
            QList<ConnectionSlots::Open> open;
            for (const std::shared_ptr<Connection>& c : std::as_const(m_connections))
                open.append({c->id, c->peer, c->lastRequest});
            const QHostAddress preferred =
                m_ownership.hasOwner() ? m_ownership.owner() : m_lastOwner;
            slot = ConnectionSlots::admit(open, peer, preferred);
            why = slot.why;
        } else {
            why = QStringLiteral("adres niet toegestaan (allow)");
        }
        if (!why.isEmpty()) {
            qCWarning(lcDravik).noquote()
                << QStringLiteral("PLC connection from %1 closed: %2").arg(peer.toString(), why);
            socket->abort();
            socket->deleteLater();
            emit connectionRefused(peer, why);
            continue;
        }
        if (QTcpSocket* stale = socketOf(slot.evict))
            drop(stale, QStringLiteral("plaats gemaakt voor PLC %1").arg(peer.toString()));
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        const ConnectionId id = ++m_nextId;
        m_connections.insert(socket,
                             std::make_shared<Connection>(m_handler, id, peer, m_clock.nowMs()));
        m_ownership.connectionOpened(id, peer);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
        // Bytes may have come with the connection.
        if (socket->bytesAvailable() > 0)
            onReadyRead(socket);
    }
    arm();
}

void PlcServer::onReadyRead(QTcpSocket* socket)
{
    const auto it = m_connections.constFind(socket);
    if (it == m_connections.cend())
        return;
    const std::shared_ptr<Connection> c = *it;
    const int before = c->session.requests();
    const QByteArray answers = c->session.feed(socket->readAll());
    if (c->session.requests() != before)
        c->lastRequest = m_clock.nowMs();
    if (!answers.isEmpty())
        socket->write(answers);
    if (c->session.isBroken())
        drop(socket, QStringLiteral("onleesbare gegevens (geen Modbus TCP)"));
    else if (socket->bytesToWrite() > MaxUnreadBytes)
        drop(socket, QStringLiteral("leest de antwoorden niet"));
    // A request may have begun an ownership or kept one alive.
    arm();
}

void PlcServer::drop(QTcpSocket* socket, const QString& why)
{
    const auto it = m_connections.constFind(socket);
    if (it == m_connections.cend())
        return;
    const QHostAddress peer = (*it)->peer;
    qCWarning(lcDravik).noquote()
        << QStringLiteral("PLC connection from %1 closed: %2").arg(peer.toString(), why);
    socket->disconnect(this);
    socket->abort();
    forget(socket);
    emit connectionRefused(peer, why);
}

void PlcServer::forget(QTcpSocket* socket)
{
    const auto it = m_connections.find(socket);
    if (it == m_connections.end())
        return;
    const ConnectionId id = (*it)->id;
    m_connections.erase(it);
    socket->deleteLater();
    m_ownership.connectionClosed(id);
    arm();
}

QTcpSocket* PlcServer::socketOf(ConnectionId id) const
{
    for (auto it = m_connections.cbegin(); it != m_connections.cend(); ++it) {
        if (id != 0 && (*it)->id == id)
            return it.key();
    }
    return nullptr;
}

// One wake-up for whatever falls due first: the owner's watchdog or the
// oldest connection's idle time-out.
void PlcServer::arm()
{
    qint64 next = m_ownership.msUntilDeadline();
    const qint64 now = m_clock.nowMs();
    for (const std::shared_ptr<Connection>& c : std::as_const(m_connections)) {
        const qint64 idle = qMax<qint64>(0, c->lastRequest + m_idleLimitMs - now);
        next = next < 0 ? idle : qMin(next, idle);
    }
    if (next < 0)
        m_clock.cancel();
    else
        m_clock.wakeAfter(int(qMin<qint64>(next, 60000)));
}

void PlcServer::onWake()
{
    m_ownership.expire();
    closeIdle();
    arm();
}

void PlcServer::closeIdle()
{
    const qint64 now = m_clock.nowMs();
    QList<QTcpSocket*> idle;
    for (auto it = m_connections.cbegin(); it != m_connections.cend(); ++it) {
        if (now - (*it)->lastRequest >= m_idleLimitMs)
            idle.append(it.key());
    }
    for (QTcpSocket* socket : idle)
        drop(socket, QStringLiteral("zegt niets"));
}

} // namespace plc
