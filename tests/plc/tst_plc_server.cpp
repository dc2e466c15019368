#include "interface_link/modbus_module.h"
#include "plc/plc_server.h"
#include "settings/installation_settings.h"
#include "support/manual_time.h"
#include "support/modbus_peers.h"
#include "support/plc_doubles.h"
#include "support/try_wait.h"
#include "support/warning_log.h"

#include <QModbusTcpClient>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QtTest>

#include <memory>

using plc::PlcServer;
using plc::PlcSettings;

namespace
{

struct Served {
    testing::ManualTime time;
    platform::Clock* clock = time.newClock();
    quint8 inputs = 0x5A;
    std::unique_ptr<PlcServer> server;
};

std::unique_ptr<Served> serve(PlcSettings settings = {})
{
    auto s = std::make_unique<Served>();
    settings.port = testing::freeTcpPort();
    Served* raw = s.get();
    s->server = std::make_unique<PlcServer>(settings, *s->clock, [raw] { return raw->inputs; });
    if (!s->server->start())
        qWarning() << s->server->startFailure();
    return s;
}

std::unique_ptr<QModbusTcpClient> clientFor(const PlcServer& server)
{
    auto c = std::make_unique<QModbusTcpClient>();
    c->setConnectionParameter(QModbusDevice::NetworkAddressParameter, "127.0.0.1");
    c->setConnectionParameter(QModbusDevice::NetworkPortParameter, server.port());
    c->setTimeout(1000);
    c->setNumberOfRetries(0);
    c->connectDevice();
    if (!QTest::qWaitFor([&c] { return c->state() == QModbusDevice::ConnectedState; }, 3000))
        qWarning("the client did not connect");
    return c;
}

// Sends one PDU (hex) to `unit` and describes the answer as
// testing::describeResponse does; "lost" when none came.
QString ask(QModbusClient& client, int unit, const QString& hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    const auto function = QModbusPdu::FunctionCode(quint8(bytes.at(0)));
    const QModbusRequest request{function, bytes.mid(1)};
    std::unique_ptr<QModbusReply> reply(client.sendRawRequest(request, unit));
    if (!reply)
        return QStringLiteral("lost");
    if (!reply->isFinished()) {
        QSignalSpy done(reply.get(), &QModbusReply::finished);
        if (!done.wait(2000))
            return QStringLiteral("lost");
    }
    const QModbusResponse r = reply->rawResult();
    // An exception answer is what Qt's client calls a protocol error, with
    // the code as its one data byte; QModbusPdu::isException() would read a
    // function code outside its enum (undefined behaviour).
    if (reply->error() == QModbusDevice::ProtocolError && r.data().size() == 1)
        return QStringLiteral("ex%1").arg(int(quint8(r.data().at(0))), 2, 16, QLatin1Char('0'));
    if (reply->error() != QModbusDevice::NoError)
        return QStringLiteral("lost");
    QByteArray pdu;
    pdu.append(char(r.functionCode())).append(r.data());
    return testing::describeResponse(pdu);
}

QByteArray frame(quint16 transaction, const QString& hexPdu)
{
    return plc::encodeFrame(transaction, 1, QByteArray::fromHex(hexPdu.toLatin1()));
}

// A raw client from its own loopback address (127.0.0.N).
std::unique_ptr<QTcpSocket> connectFrom(int n, quint16 port)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(n)));
    socket->connectToHost(QHostAddress::LocalHost, port);
    return socket;
}

// Runs one line of a script of PLCs A (127.0.0.1) and B (127.0.0.2) on the
// wire; returns what went wrong, or nothing. Lines:
//   A open | A refused | A close   connect (served or closed by the server), hang up
//   A REQUEST -> R                 see testing::requestPdu / describeResponse
//   advance MS                     the server's clock moves on
//   out HEX, owner A|B|none        what the server's ownership holds
QString runWireLine(const QString& line, Served& served,
                    std::map<QString, std::unique_ptr<QTcpSocket>>& plcs)
{
    const QStringList sides = line.split(QStringLiteral(" -> "));
    const QStringList w = sides[0].split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const plc::Ownership& own = served.server->ownership();
    if (w[0] == QLatin1String("advance")) {
        served.time.advance(w[1].toLongLong());
    } else if (w[0] == QLatin1String("out")) {
        if (own.outputs() != w[1].toInt(nullptr, 16))
            return QStringLiteral("outputs are %1").arg(own.outputs(), 2, 16, QLatin1Char('0'));
    } else if (w[0] == QLatin1String("owner")) {
        const QString want = w[1] == QLatin1String("none")
                                 ? QString()
                                 : QStringLiteral("127.0.0.%1").arg(w[1].at(0).unicode() - 'A' + 1);
        const auto is = [&own] { return own.hasOwner() ? own.owner().toString() : QString(); };
        if (!QTest::qWaitFor([&] { return is() == want; }, 2000))
            return QStringLiteral("owner is '%1'").arg(is());
    } else if (w[1] == QLatin1String("open") || w[1] == QLatin1String("refused")) {
        auto socket = connectFrom(w[0].at(0).unicode() - 'A' + 1, served.server->port());
        if (!socket->waitForConnected(2000))
            return QStringLiteral("no connection");
        const bool refused = w[1] == QLatin1String("refused");
        if (refused &&
            !QTest::qWaitFor([&] { return socket->state() != QTcpSocket::ConnectedState; }, 2000))
            return QStringLiteral("not closed");
        plcs[w[0]] = std::move(socket);
    } else if (w[1] == QLatin1String("close")) {
        plcs.at(w[0])->disconnectFromHost();
    } else {
        QTcpSocket& socket = *plcs.at(w[0]);
        socket.write(plc::encodeFrame(1, 1, testing::requestPdu(QStringList(w.mid(1)).join(' '))));
        const bool answered =
            QTest::qWaitFor([&socket] { return socket.bytesAvailable() >= 9; }, 2000);
        const QString got =
            answered ? testing::describeResponse(socket.readAll().mid(7)) : QStringLiteral("lost");
        if (got != sides.value(1))
            return QStringLiteral("answer %1").arg(got);
    }
    return {};
}

} // namespace

class TestPlcServer : public QObject
{
    Q_OBJECT

  private slots:
    void init() { m_log = std::make_unique<testing::WarningLog>(); }
    void cleanup() { m_log.reset(); }

    void addressMapAndUnits_data();
    void addressMapAndUnits();
    void allow_data();
    void allow();
    void plcsOnTheWire_data();
    void plcsOnTheWire();
    void rawStreams_data();
    void rawStreams();
    void manyConnectionsKeepTheOwnerServed();
    void cannotListen_data();
    void cannotListen();
    void modbusInterfaceDrivesTheStation();

  private:
    std::unique_ptr<testing::WarningLog> m_log;
};

void TestPlcServer::addressMapAndUnits_data()
{
    QTest::addColumn<int>("serverUnit");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QStringList>("setup"); // PDUs sent first, each answered
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("expected");

    const QStringList none;
    QTest::newRow("coils") << 0 << 1 << QStringList{"0f000000080105"} << "0100000008"
                           << "=05";
    QTest::newRow("coils 2..4") << 0 << 1 << QStringList{"0f000000080116"} << "0100020003"
                                << "=05";
    QTest::newRow("discrete inputs and the hold bit") << 0 << 1 << none << "0200000009"
                                                      << "=5a00";
    QTest::newRow("one coil set, read as the register")
        << 0 << 1 << QStringList{"050003ff00"} << "0300000001"
        << "=0008";
    QTest::newRow("register written, read as coils")
        << 0 << 1 << QStringList{"1000000001020081"} << "0100000008"
        << "=81";
    QTest::newRow("input register") << 0 << 1 << none << "0400000001"
                                    << "=005a";
    QTest::newRow("coil 8 does not exist") << 0 << 1 << none << "0100080001"
                                           << "ex02";
    QTest::newRow("discrete input 9 does not exist") << 0 << 1 << none << "0200000010"
                                                     << "ex02";
    QTest::newRow("holding register 1") << 0 << 1 << none << "0300010001"
                                        << "ex02";
    QTest::newRow("input register 1") << 0 << 1 << none << "0400010001"
                                      << "ex02";
    QTest::newRow("read of no coils") << 0 << 1 << none << "0100000000"
                                      << "ex03";
    QTest::newRow("register value above output 8") << 0 << 1 << none << "0600000100"
                                                   << "ex03";
    QTest::newRow("two registers") << 0 << 1 << none << "10000000020400010002"
                                   << "ex02";
    QTest::newRow("coil value neither on nor off") << 0 << 1 << none << "0500000001"
                                                   << "ex03";
    QTest::newRow("mask write") << 0 << 1 << none << "16000000ff0001"
                                << "ex01";
    QTest::newRow("read/write registers") << 0 << 1 << none << "1700000001000000010200ff"
                                          << "ex01";
    QTest::newRow("diagnostics") << 0 << 1 << none << "0800000000"
                                 << "ex01";
    QTest::newRow("device identification") << 0 << 1 << none << "2b0e0100"
                                           << "ex01";
    for (const int unit : {0, 1, 17, 255})
        QTest::addRow("any unit: %d", unit) << 0 << unit << none << "0100000008"
                                            << "=00";
    QTest::newRow("unit 5: 5") << 5 << 5 << none << "0100000008"
                               << "=00";
    QTest::newRow("unit 5: 255") << 5 << 255 << none << "0100000008"
                                 << "=00";
    QTest::newRow("unit 5: 1") << 5 << 1 << none << "0100000008"
                               << "ex0b";
    QTest::newRow("unit 5: 0") << 5 << 0 << none << "0100000008"
                               << "ex0b";
    QTest::newRow("unit 5: a write to 1 writes nothing") << 5 << 1 << QStringList{} << "050000ff00"
                                                         << "ex0b";
}

void TestPlcServer::addressMapAndUnits()
{
    QFETCH(int, serverUnit);
    QFETCH(int, unit);
    QFETCH(QStringList, setup);
    QFETCH(QString, request);
    QFETCH(QString, expected);
    PlcSettings settings;
    settings.unit = serverUnit;
    const auto served = serve(settings);
    const auto client = clientFor(*served->server);
    for (const QString& pdu : setup)
        QCOMPARE(ask(*client, unit, pdu), QStringLiteral("ok"));
    QCOMPARE(ask(*client, unit, request), expected);
    if (expected.startsWith(QLatin1String("ex")) && setup.isEmpty())
        QCOMPARE(served->server->ownership().outputs(), quint8(0));
}

void TestPlcServer::allow_data()
{
    QTest::addColumn<QString>("allow");
    QTest::addColumn<bool>("served");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("the address") << "127.0.0.1" << true;
    QTest::newRow("its range") << "10.1.1.0/24, 127.0.0.0/8" << true;
    QTest::newRow("other addresses") << "192.168.0.20,127.0.0.2" << false;
    QTest::newRow("another range") << "10.0.0.0/8" << false;
}

void TestPlcServer::allow()
{
    QFETCH(QString, allow);
    QFETCH(bool, served);
    PlcSettings plcSettings;
    plcSettings.allow = *settings::addressList(allow);
    const auto served_ = serve(plcSettings);
    QSignalSpy refused(served_->server.get(), &PlcServer::connectionRefused);
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, served_->server->port());
    QVERIFY(socket.waitForConnected(2000));
    socket.write(frame(7, "050000ff00"));
    if (served) {
        TRY_COMPARE(socket.bytesAvailable(), qint64(12));
        QCOMPARE(served_->server->ownership().outputs(), quint8(1));
    } else {
        TRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(refused.size(), 1);
        QCOMPARE(served_->server->ownership().outputs(), quint8(0));
        QCOMPARE(served_->server->connectionCount(), 0);
    }
}

void TestPlcServer::plcsOnTheWire_data()
{
    QTest::addColumn<QString>("allow");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("the owner hangs up: outputs off, the other PLC may write")
        << ""
        << QStringList{"A open",          "B open",     "A w5 0 on -> ok", "B w5 1 on -> ex06",
                       "A close",         "owner none", "out 00",          "B w15 0x00 -> ok",
                       "B w5 1 on -> ok", "owner B",    "out 02"};
    QTest::newRow("allow judges the peer's own address")
        << "127.0.0.2" << QStringList{"A refused", "B open", "B w5 0 on -> ok", "owner B"};
    QTest::newRow("the watchdog runs on the server's clock, each request rearms it")
        << ""
        << QStringList{"A open", "A w5 0 on -> ok", "advance 999", "A r1 -> =01", "advance 999",
                       "out 01", "advance 1",       "out 00",      "owner none"};
}

void TestPlcServer::plcsOnTheWire()
{
    QFETCH(QString, allow);
    QFETCH(QStringList, lines);
    PlcSettings settings;
    settings.allow = *settings::addressList(allow);
    const auto served = serve(settings);
    std::map<QString, std::unique_ptr<QTcpSocket>> plcs;
    for (const QString& line : lines) {
        const QString wrong = runWireLine(line, *served, plcs);
        if (!wrong.isEmpty())
            QFAIL(qPrintable(QStringLiteral("%1: %2").arg(line, wrong)));
    }
}

void TestPlcServer::rawStreams_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QByteArray>("answers");
    QTest::addColumn<bool>("closed");

    const QByteArray read = frame(1, "0100000008");
    const QByteArray write = frame(2, "050001ff00");
    const QByteArray readAnswer = plc::encodeFrame(1, 1, QByteArray::fromHex("010100"));
    const QByteArray writeAnswer = plc::encodeFrame(2, 1, QByteArray::fromHex("050001ff00"));
    QTest::newRow("frame in three pieces")
        << QList<QByteArray>{read.left(3), read.mid(3, 5), read.mid(8)} << readAnswer << false;
    QTest::newRow("two frames in one piece")
        << QList<QByteArray>{read + write} << readAnswer + writeAnswer << false;
    QTest::newRow("a frame and half the next")
        << QList<QByteArray>{read + write.left(4)} << readAnswer << false;
    QTest::newRow("another protocol id")
        << QList<QByteArray>{QByteArray::fromHex("000100010006010100000008")} << QByteArray()
        << true;
    QTest::newRow("text") << QList<QByteArray>{"GET / HTTP/1.0\r\n\r\n"} << QByteArray() << true;
    QTest::newRow("length 1: a unit id without a function")
        << QList<QByteArray>{QByteArray::fromHex("00010000000101")} << QByteArray() << true;
    QTest::newRow("length beyond any PDU")
        << QList<QByteArray>{QByteArray::fromHex("00010000012c01") + QByteArray(300, 'x')}
        << QByteArray() << true;
    QTest::newRow("answered, then garbage")
        << QList<QByteArray>{read, QByteArray::fromHex("ffffffffffffff")} << readAnswer << true;
    QTest::newRow("silent client") << QList<QByteArray>{} << QByteArray() << true;
    QTest::newRow("half a header, then silence")
        << QList<QByteArray>{read.left(4)} << QByteArray() << true;
}

void TestPlcServer::rawStreams()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QByteArray, answers);
    QFETCH(bool, closed);
    const auto served = serve();
    served->server->setIdleLimitMs(500);
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, served->server->port());
    QVERIFY(socket.waitForConnected(2000));
    TRY_COMPARE(served->server->connectionCount(), 1);
    QByteArray got;
    for (const QByteArray& piece : pieces) {
        socket.write(piece);
        socket.flush();
        QTest::qWait(20);
        got += socket.readAll();
    }
    TRY_VERIFY(got.size() + socket.bytesAvailable() >= answers.size());
    got += socket.readAll();
    QCOMPARE(got.toHex(), answers.toHex());
    if (closed) {
        // Idle time passes on the server's clock only.
        served->time.advance(500);
        TRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(served->server->connectionCount(), 0);
    } else {
        QTest::qWait(50);
        QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
    }
    // Nothing of it switched an output on but a whole, owned write.
    QCOMPARE(served->server->ownership().outputs(),
             quint8(answers.contains(QByteArray::fromHex("050001ff00")) ? 2 : 0));
}

void TestPlcServer::manyConnectionsKeepTheOwnerServed()
{
    const auto served = serve();
    const quint16 port = served->server->port();
    QSignalSpy refused(served->server.get(), &PlcServer::connectionRefused);
    // One address opening far more than its share takes only its share.
    std::vector<std::unique_ptr<QTcpSocket>> crowd;
    for (int i = 0; i < PlcServer::MaxConnections + 6; ++i)
        crowd.push_back(connectFrom(2, port));
    const int flood = PlcServer::MaxConnections + 6 - plc::ConnectionSlots::MaxPerAddress;
    TRY_COMPARE_WITH_TIMEOUT(refused.size(), flood, 5000);
    const auto owner = clientFor(*served->server);
    QCOMPARE(ask(*owner, 1, "050002ff00"), QStringLiteral("ok"));
    // Other addresses fill every slot; the owner's new connection still gets in.
    for (int n = 3; n <= 10; ++n)
        for (int i = 0; i < plc::ConnectionSlots::MaxPerAddress; ++i)
            crowd.push_back(connectFrom(n, port));
    TRY_COMPARE_WITH_TIMEOUT(refused.size(), flood + 9, 5000);
    QCOMPARE(served->server->connectionCount(), PlcServer::MaxConnections);
    const auto again = clientFor(*served->server);
    QCOMPARE(ask(*again, 1, "0100000008"), QStringLiteral("=04"));
    QCOMPARE(ask(*again, 1, "050003ff00"), QStringLiteral("ok"));
    QCOMPARE(served->server->ownership().outputs(), quint8(0x0C));
    QCOMPARE(served->server->connectionCount(), PlcServer::MaxConnections);
    crowd.clear();
    TRY_COMPARE(served->server->connectionCount(), 2);
}

void TestPlcServer::cannotListen_data()
{
    QTest::addColumn<QString>("listen");
    QTest::addColumn<bool>("portTaken");
    QTest::addColumn<QString>("named");
    QTest::newRow("port in use") << "127.0.0.1" << true << "al in gebruik";
    QTest::newRow("not this PC's address") << "192.0.2.77" << false << "hoort niet bij deze";
}

void TestPlcServer::cannotListen()
{
    QFETCH(QString, listen);
    QFETCH(bool, portTaken);
    QFETCH(QString, named);
    QTcpServer other;
    PlcSettings settings;
    settings.listen = QHostAddress(listen);
    settings.port = testing::freeTcpPort();
    if (portTaken)
        QVERIFY(other.listen(QHostAddress::LocalHost, quint16(settings.port)));
    testing::ManualTime time;
    PlcServer server(settings, *time.newClock(), [] { return quint8(0); });
    QVERIFY(!server.start());
    QVERIFY2(server.startFailure().contains(named), qPrintable(server.startFailure()));
    if (portTaken)
        QVERIFY(server.startFailure().contains(QString::number(settings.port)));
    else
        QVERIFY(server.startFailure().contains(listen));
}

// The program's own Modbus interface on one PC driving a station served by
// another copy: here both in one process.
void TestPlcServer::modbusInterfaceDrivesTheStation()
{
    const auto served = serve();
    iface::ModbusSettings m;
    m.host = QStringLiteral("127.0.0.1");
    m.port = served->server->port();
    m.unitId = 1;
    iface::ModbusModule port(m);
    QSignalSpy inputs(&port, &iface::EasyPortControl::InputsChanged);
    QVERIFY(port.SearchAndConnect() != 0);
    TRY_VERIFY(!inputs.isEmpty());
    QCOMPARE(inputs.last().at(2).toInt(), 0x5A);
    port.WriteOutputs(0x11);
    QVERIFY(port.flush(2000));
    QCOMPARE(served->server->ownership().outputs(), quint8(0x11));
    QVERIFY(served->server->ownership().hasOwner());
    served->inputs = 0x03;
    TRY_COMPARE(inputs.last().at(2).toInt(), 0x03);
    // The hold refuses the panel's writes; the outputs stay off.
    served->server->ownership().setHold(true);
    port.WriteOutputs(0x01);
    QTest::qWait(100);
    QCOMPARE(served->server->ownership().outputs(), quint8(0));
    port.Disconnect();
    TRY_COMPARE(served->server->connectionCount(), 0);
}

QTEST_MAIN(TestPlcServer)
#include "tst_plc_server.moc"
