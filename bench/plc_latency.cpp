#include "plc_latency.h"

#include "plc/modbus_frames.h"
#include "plc/plc_interface.h"
#include "simulation/station_runner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <algorithm>
#include <thread>

namespace
{

int freeTcpPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

struct ClientResult {
    std::vector<double> requestMs;
    int lost = 0;
    double coilToInputMs = -1;
};

// One request on a blocking socket (the client's own thread); the answer's
// PDU, empty when none came within a second.
QByteArray ask(QTcpSocket& socket, quint16 transaction, const QByteArray& pdu)
{
    socket.write(plc::encodeFrame(transaction, 1, pdu));
    socket.flush();
    QByteArray in;
    while (in.size() < 7 || in.size() < 6 + ((quint8(in[4]) << 8) | quint8(in[5]))) {
        if (!socket.waitForReadyRead(1000))
            return {};
        in += socket.readAll();
    }
    return in.mid(7);
}

ClientResult runClient(quint16 port, int seconds)
{
    ClientResult r;
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(2000)) {
        r.lost = -1;
        return r;
    }
    const QByteArray readInputs = QByteArray::fromHex("0200000009");
    const int pairs = 200 * seconds;
    QElapsedTimer clock;
    clock.start();
    quint16 transaction = 0;
    for (int i = 0; i < pairs; ++i) {
        // Paced at 5 ms per pair.
        const qint64 due = qint64(i) * 5;
        while (clock.elapsed() < due)
            QThread::usleep(200);
        // Coils 3..7 only: the magazine stays at rest (nothing is wired there).
        QByteArray writeCoils = QByteArray::fromHex("0f000300050100");
        writeCoils[6] = char(i & 0x1F);
        for (const QByteArray& pdu : {readInputs, writeCoils}) {
            QElapsedTimer one;
            one.start();
            const QByteArray answer = ask(socket, ++transaction, pdu);
            if (answer.isEmpty() || (quint8(answer[0]) & 0x80))
                ++r.lost;
            else
                r.requestMs.push_back(double(one.nsecsElapsed()) / 1e6);
        }
    }
    // Coil 2 (the pressing cylinder) on; discrete input 0 follows when it is out.
    QElapsedTimer arrive;
    arrive.start();
    ask(socket, ++transaction, QByteArray::fromHex("0f000000080104"));
    while (arrive.elapsed() < 3000) {
        const QByteArray a = ask(socket, ++transaction, readInputs);
        if (a.size() >= 3 && (quint8(a[2]) & 0x01)) {
            r.coilToInputMs = double(arrive.nsecsElapsed()) / 1e6;
            break;
        }
        QThread::usleep(500);
    }
    ask(socket, ++transaction, QByteArray::fromHex("0f000000080100"));
    return r;
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

} // namespace

QList<QPair<QString, double>> measurePlcLatency(int seconds)
{
    plc::PlcSettings settings;
    settings.port = freeTcpPort();
    plc::PlcInterface port(settings, {});
    port.stationRunner()->setStation(station::Station::StapelMagazijn);
    if (port.SearchAndConnect() == 0)
        return {};
    // The server runs on this thread's event loop, as in the program.
    QEventLoop loop;
    ClientResult result;
    std::thread client([&] {
        result = runClient(quint16(settings.port), seconds);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    client.join();
    port.Disconnect();
    const double travel = 500;
    return {
        {QStringLiteral("PLC request, median (ms)"), percentile(result.requestMs, 0.5)},
        {QStringLiteral("PLC request, p99 (ms)"), percentile(result.requestMs, 0.99)},
        {QStringLiteral("PLC requests answered"), double(result.requestMs.size())},
        {QStringLiteral("PLC requests lost"), double(result.lost)},
        {QStringLiteral("PLC coil write to input, cylinder travel 500 ms (ms)"),
         result.coilToInputMs},
        {QStringLiteral("PLC coil write to input beyond the travel (ms)"),
         result.coilToInputMs < 0 ? -1 : result.coilToInputMs - travel},
    };
}
