#include "plc/plc_server.h"

#include "platform/services.h"

#include <QTcpSocket>

namespace plc
{

struct PlcServer::Connection {
    Connection(RequestHandler& handler, ConnectionId id, const QHostAddress& peer, qint64 now)
        : session(handler, id), id(id), peer(peer), lastSeen(now)
    {
    }
    Session session;
    ConnectionId id;
    QHostAddress peer;
    qint64 lastSeen;
};

QHostAddress plainAddress(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

PlcServer::PlcServer(const PlcSettings& settings, const Clock& clock,
                     std::function<quint8()> inputs, QObject* parent)
    : QObject(parent), m_settings(settings), m_clock(clock),
      m_ownership(clock, settings.watchdogMs),
      m_handler(m_ownership, std::move(inputs), quint8(settings.unit))
{
    m_ownership.setOutputHandler([this](quint8 word) { emit outputsChanged(word); });
    m_ownership.setEventHandler(
        [this](const Ownership::Event& event) { emit ownershipEvent(event); });
    m_server.setMaxPendingConnections(MaxConnections);
    connect(&m_server, &QTcpServer::newConnection, this, &PlcServer::acceptConnections);
    m_watchdog.setSingleShot(true);
    m_watchdog.setTimerType(Qt::PreciseTimer);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        m_ownership.expire();
        armWatchdog();
    });
    m_idleSweep.setInterval(1000);
    connect(&m_idleSweep, &QTimer::timeout, this, &PlcServer::closeIdle);
}

PlcServer::~PlcServer()
{
    // Nothing is told any more: whoever listens may already be gone.
    disconnect(this, nullptr, nullptr, nullptr);
    stop();
}

bool PlcServer::start()
{
    m_failure.clear();
    if (m_server.isListening())
        return true;
    if (m_server.listen(m_settings.listen, quint16(m_settings.port))) {
        m_idleSweep.start();
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
    m_idleSweep.stop();
    const QList<QTcpSocket*> sockets = m_connections.keys();
    for (QTcpSocket* socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        forget(socket);
    }
    m_ownership.switchOff();
    armWatchdog();
}

void PlcServer::acceptConnections()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        const QHostAddress peer = plainAddress(socket->peerAddress());
        QString why;
        if (!m_settings.allows(peer))
            why = QStringLiteral("adres niet toegestaan (allow)");
        else if (m_connections.size() >= MaxConnections)
            why = QStringLiteral("te veel verbindingen (meer dan %1)").arg(MaxConnections);
        if (!why.isEmpty()) {
            qCWarning(lcDravik).noquote()
                << QStringLiteral("PLC connection from %1 closed: %2").arg(peer.toString(), why);
            socket->abort();
            socket->deleteLater();
            emit connectionRefused(peer, why);
            continue;
        }
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
}

void PlcServer::onReadyRead(QTcpSocket* socket)
{
    const auto it = m_connections.constFind(socket);
    if (it == m_connections.cend())
        return;
    const std::shared_ptr<Connection> c = *it;
    c->lastSeen = m_clock.nowMs();
    const QByteArray answers = c->session.feed(socket->readAll());
    if (!answers.isEmpty())
        socket->write(answers);
    if (c->session.isBroken())
        drop(socket, QStringLiteral("onleesbare gegevens (geen Modbus TCP)"));
    else if (socket->bytesToWrite() > MaxUnreadBytes)
        drop(socket, QStringLiteral("leest de antwoorden niet"));
    armWatchdog();
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
    armWatchdog();
}

void PlcServer::armWatchdog()
{
    const qint64 ms = m_ownership.msUntilDeadline();
    if (ms < 0)
        m_watchdog.stop();
    else
        m_watchdog.start(int(qMin<qint64>(ms, 60000)));
}

void PlcServer::closeIdle()
{
    const qint64 now = m_clock.nowMs();
    QList<QTcpSocket*> idle;
    for (auto it = m_connections.cbegin(); it != m_connections.cend(); ++it) {
        if (now - (*it)->lastSeen >= m_idleLimitMs)
            idle.append(it.key());
    }
    for (QTcpSocket* socket : idle)
        drop(socket, QStringLiteral("zegt niets"));
}

} // namespace plc
