#include "modbus_latency.h"

#include "interface_link/modbus_module.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QModbusTcpServer>
#include <QTcpServer>
#include <QTimer>
#include <QUrl>
#include <algorithm>

namespace
{

constexpr int kRounds = 50;

int freeTcpPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

// Runs the event loop until `signal` of `sender` fires or `ms` pass; the
// time waited in ms, or -1 on a timeout.
template <typename Sender, typename Signal>
double timeUntil(Sender* sender, Signal signal, const std::function<void()>& start, int ms)
{
    QEventLoop loop;
    bool fired = false;
    QMetaObject::Connection c = QObject::connect(sender, signal, &loop, [&] {
        fired = true;
        loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    start();
    if (!fired)
        loop.exec();
    const double elapsed = clock.nsecsElapsed() / 1e6;
    QObject::disconnect(c);
    return fired ? elapsed : -1.0;
}

void addFigures(QList<QPair<QString, double>>& out, const QString& what, QList<double> samples)
{
    if (samples.isEmpty())
        return;
    std::sort(samples.begin(), samples.end());
    out.append({what + QStringLiteral(", median (ms)"), samples.at(samples.size() / 2)});
    out.append({what + QStringLiteral(", max (ms)"), samples.last()});
}

} // namespace

QList<QPair<QString, double>> measureModbusLatency()
{
    QList<QPair<QString, double>> out;
    QModbusTcpServer server;
    QModbusDataUnitMap map;
    map.insert(QModbusDataUnit::Coils, {QModbusDataUnit::Coils, 0, 8});
    map.insert(QModbusDataUnit::DiscreteInputs, {QModbusDataUnit::DiscreteInputs, 0, 8});
    server.setMap(map);
    server.setServerAddress(1);
    const int port = freeTcpPort();
    server.setConnectionParameter(QModbusDevice::NetworkAddressParameter,
                                  QStringLiteral("127.0.0.1"));
    server.setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
    if (port == 0 || !server.connectDevice())
        return out;

    iface::ModbusSettings settings;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = port;
    iface::ModbusModule control(settings);
    if (control.SearchAndConnect() == 0)
        return out;
    control.flush(iface::ModbusModule::kExitBoundMs);

    QList<double> writes;
    for (int i = 0; i < kRounds; ++i) {
        const qint16 word = qint16((i * 37 + 1) & 0xFF);
        const double ms = timeUntil(
            &server, &QModbusServer::dataWritten, [&] { control.WriteOutputs(word); }, 1000);
        if (ms >= 0)
            writes.append(ms);
        control.flush(iface::ModbusModule::kExitBoundMs);
    }

    QList<double> inputs;
    for (int i = 0; i < kRounds; ++i) {
        // Start at a random point of the poll period.
        QEventLoop pause;
        QTimer::singleShot(3 + (i * 7) % settings.pollMs, &pause, &QEventLoop::quit);
        pause.exec();
        const quint16 bit = quint16(i % 8);
        quint16 old = 0;
        server.data(QModbusDataUnit::DiscreteInputs, bit, &old);
        const double ms = timeUntil(
            &control, &iface::EasyPortControl::InputsChanged,
            [&] { server.setData(QModbusDataUnit::DiscreteInputs, bit, old ? 0 : 1); }, 1000);
        if (ms >= 0)
            inputs.append(ms);
    }

    addFigures(out, QStringLiteral("Modbus WriteOutputs to coils at module"), writes);
    addFigures(
        out,
        QStringLiteral("Modbus input change to InputsChanged (poll %1 ms)").arg(settings.pollMs),
        inputs);
    out.append({QStringLiteral("Modbus lost samples"),
                double(2 * kRounds - writes.size() - inputs.size())});
    control.Disconnect();
    server.disconnectDevice();
    return out;
}
