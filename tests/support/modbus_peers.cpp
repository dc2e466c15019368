#include "support/modbus_peers.h"

#include <QFile>
#include <QModbusDataUnitMap>
#include <QPair>
#include <QPointer>
#include <QRandomGenerator>
#include <QSet>
#include <QTimer>
#include <memory>

namespace testing
{

namespace
{

// The kernel's range for outgoing connections' own ports ("ephemeral"). A
// port from there, once probed and closed, can be taken by any connection
// a test beside us opens before our server listens on it.
QPair<int, int> ephemeralRange()
{
    QFile f(QStringLiteral("/proc/sys/net/ipv4/ip_local_port_range"));
    if (f.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> parts = f.readAll().simplified().split(' ');
        bool lowOk = false;
        bool highOk = false;
        if (parts.size() == 2) {
            const int low = parts[0].toInt(&lowOk);
            const int high = parts[1].toInt(&highOk);
            if (lowOk && highOk && low <= high)
                return {low, high};
        }
    }
    return {32768, 60999};
}

} // namespace

int freeTcpPort()
{
    // Ports handed out once are never handed out again in this process, so
    // two calls in a row (a module and the relay before it) never get the
    // same port; ports are taken from outside the ephemeral range, so no
    // outgoing connection can grab one between the probe and the listen.
    static QSet<int> given;
    const auto [low, high] = ephemeralRange();
    const bool below = low - 1024 >= 4096;
    const int first = below ? 1024 : high + 1;
    const int last = below ? low - 1 : 65535;
    const int span = last - first + 1;
    if (span <= 0)
        return 0;
    static int next = first + int(QRandomGenerator::global()->bounded(span));
    for (int tried = 0; tried < span; ++tried) {
        const int port = next;
        next = next >= last ? first : next + 1;
        if (given.contains(port))
            continue;
        QTcpServer probe;
        if (probe.listen(QHostAddress::LocalHost, quint16(port))) {
            given.insert(port);
            return port;
        }
    }
    return 0;
}

ModbusServerPeer::ModbusServerPeer()
{
    QModbusDataUnitMap map;
    map.insert(QModbusDataUnit::Coils, {QModbusDataUnit::Coils, 0, 8});
    map.insert(QModbusDataUnit::DiscreteInputs, {QModbusDataUnit::DiscreteInputs, 0, 8});
    setMap(map);
    setServerAddress(1);
}

bool ModbusServerPeer::start(int port)
{
    m_clock.start();
    setConnectionParameter(QModbusDevice::NetworkAddressParameter, QStringLiteral("127.0.0.1"));
    setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
    return connectDevice();
}

quint8 ModbusServerPeer::coils() const
{
    quint8 word = 0;
    for (int i = 0; i < 8; ++i) {
        quint16 v = 0;
        data(QModbusDataUnit::Coils, quint16(i), &v);
        if (v)
            word |= quint8(1u << i);
    }
    return word;
}

void ModbusServerPeer::setInputs(quint8 word)
{
    QModbusDataUnit unit(QModbusDataUnit::DiscreteInputs, 0, 8);
    for (int i = 0; i < 8; ++i)
        unit.setValue(i, (word >> i) & 1);
    setData(unit);
}

QModbusResponse ModbusServerPeer::processRequest(const QModbusPdu& request)
{
    if (request.functionCode() == QModbusPdu::WriteMultipleCoils) {
        const QByteArray d = request.data();
        if (d.size() >= 6)
            writtenWords.append(quint8(d.at(5)));
        writeTimes.append(m_clock.elapsed());
        if (refuseWrites > 0) {
            --refuseWrites;
            return QModbusExceptionResponse(request.functionCode(),
                                            QModbusExceptionResponse::ServerDeviceFailure);
        }
    }
    return QModbusTcpServer::processRequest(request);
}

bool ModbusRelay::start(int listenPort, int modulePort)
{
    m_modulePort = modulePort;
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* program = m_server.nextPendingConnection()) {
            ++m_seen;
            auto* module = new QTcpSocket(program);
            m_pairs.append(qMakePair(program, module));
            auto pending = std::make_shared<QByteArray>();
            connect(program, &QTcpSocket::readyRead, this, [this, program, module, pending] {
                forward(*pending, program->readAll(), module);
            });
            connect(module, &QTcpSocket::readyRead, this, [this, program, module] {
                const QByteArray bytes = module->readAll();
                if (mute)
                    return;
                QPointer<QTcpSocket> to(program);
                if (delayMs > 0) {
                    QTimer::singleShot(delayMs, this, [to, bytes] {
                        if (to)
                            to->write(bytes);
                    });
                } else {
                    program->write(bytes);
                }
            });
            connect(program, &QTcpSocket::disconnected, program, &QObject::deleteLater);
            connect(program, &QObject::destroyed, this, [this, program] {
                for (int i = 0; i < m_pairs.size(); ++i) {
                    if (m_pairs[i].first == program) {
                        m_pairs.removeAt(i);
                        break;
                    }
                }
            });
            module->connectToHost(QHostAddress::LocalHost, quint16(m_modulePort));
        }
    });
    return m_server.listen(QHostAddress::LocalHost, quint16(listenPort));
}

void ModbusRelay::forward(QByteArray& pending, const QByteArray& bytes, QTcpSocket* module)
{
    pending += bytes;
    // A Modbus TCP request: a 6-byte header whose last two bytes count the
    // bytes that follow.
    constexpr int kHeader = 6;
    while (pending.size() >= kHeader) {
        const int size = kHeader + ((quint8(pending.at(4)) << 8) | quint8(pending.at(5)));
        if (pending.size() < size)
            return;
        const QByteArray request = pending.left(size);
        pending.remove(0, size);
        bool swallow = mute;
        if (!silences.isEmpty()) {
            swallow = swallow || silences.at(0) == QLatin1Char('x');
            silences.remove(0, 1);
        }
        if (!swallow)
            module->write(request);
    }
}

void ModbusRelay::cut()
{
    const auto pairs = m_pairs;
    for (const auto& [program, module] : pairs) {
        module->abort();
        program->abort();
    }
}

} // namespace testing
