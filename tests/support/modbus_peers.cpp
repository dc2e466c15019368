#include "support/modbus_peers.h"

#include <QModbusDataUnitMap>
#include <QPointer>
#include <QTimer>
#include <memory>

namespace testing
{

int freeTcpPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
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
