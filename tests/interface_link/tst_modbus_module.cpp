#include "interface_link/modbus_module.h"
#include "support/modbus_peers.h"
#include "support/test_support.h"
#include "support/try_wait.h"
#include "support/warning_log.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QModbusTcpServer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <functional>
#include <memory>

using iface::ModbusModule;
using iface::ModbusSettings;

using testing::freeTcpPort;

namespace
{

constexpr int kFirstCoil = 16;
constexpr int kFirstInput = 32;

// Qt's own Modbus TCP server, recording every request it is sent.
class RecordingServer : public QModbusTcpServer
{
  public:
    explicit RecordingServer(bool withInputs = true, bool withCoils = true)
    {
        QModbusDataUnitMap map;
        if (withCoils)
            map.insert(QModbusDataUnit::Coils, {QModbusDataUnit::Coils, kFirstCoil, 8});
        if (withInputs) {
            map.insert(QModbusDataUnit::DiscreteInputs,
                       {QModbusDataUnit::DiscreteInputs, kFirstInput, 8});
        }
        setMap(map);
        setServerAddress(1);
    }

    bool start(int port)
    {
        setConnectionParameter(QModbusDevice::NetworkAddressParameter, QStringLiteral("127.0.0.1"));
        setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
        return connectDevice();
    }

    quint8 coils() const
    {
        quint8 word = 0;
        for (int i = 0; i < 8; ++i) {
            quint16 v = 0;
            data(QModbusDataUnit::Coils, quint16(kFirstCoil + i), &v);
            if (v)
                word |= quint8(1u << i);
        }
        return word;
    }

    void setInputs(quint8 word)
    {
        QModbusDataUnit unit(QModbusDataUnit::DiscreteInputs, kFirstInput, 8);
        for (int i = 0; i < 8; ++i)
            unit.setValue(i, (word >> i) & 1);
        setData(unit);
    }

    QList<int> functionCodes;
    QList<quint8> writtenWords; // coil bytes of each "write multiple coils"

  protected:
    QModbusResponse processRequest(const QModbusPdu& request) override
    {
        functionCodes.append(request.functionCode());
        const QByteArray d = request.data();
        if (request.functionCode() == QModbusPdu::WriteMultipleCoils && d.size() >= 6)
            writtenWords.append(quint8(d.at(5)));
        return QModbusTcpServer::processRequest(request);
    }
};

// A bare Modbus TCP peer that can fall silent while keeping its connections
// open, as a module behind a pulled cable looks to the PC.
class MutablePeer : public QObject
{
  public:
    bool mute = false;

    bool start(int port)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                m_sockets.append(s);
                connect(s, &QTcpSocket::readyRead, this, [this, s] { serve(s); });
            }
        });
        return m_server.listen(QHostAddress::LocalHost, quint16(port));
    }

  private:
    void serve(QTcpSocket* s)
    {
        QByteArray& buf = m_buffers[s];
        buf += s->readAll();
        while (buf.size() >= 8) {
            const int len = (quint8(buf[4]) << 8) | quint8(buf[5]);
            if (buf.size() < 6 + len)
                return;
            const QByteArray frame = buf.left(6 + len);
            buf.remove(0, 6 + len);
            if (mute)
                continue;
            const char fc = frame[7];
            QByteArray pdu;
            if (fc == 0x02)
                pdu = QByteArray::fromHex("020100");
            else if (fc == 0x0F)
                pdu = frame.mid(7, 5);
            else
                pdu = QByteArray(1, char(fc | 0x80)) + char(0x01);
            QByteArray reply = frame.left(4);
            reply += char(0);
            reply += char(pdu.size() + 1);
            reply += frame[6];
            reply += pdu;
            s->write(reply);
        }
    }

    QTcpServer m_server;
    QList<QTcpSocket*> m_sockets;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};

ModbusSettings settingsFor(int port)
{
    ModbusSettings s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = port;
    s.firstCoil = kFirstCoil;
    s.firstInput = kFirstInput;
    return s;
}

void spin(int ms)
{
    QTest::qWait(ms);
}

} // namespace

class TestModbusModule : public QObject
{
    Q_OBJECT

  private:
    std::unique_ptr<testing::WarningLog> m_log;

  private slots:
    void init()
    {
        m_log = std::make_unique<testing::WarningLog>();
        m_port = freeTcpPort();
        QVERIFY(m_port > 0);
    }
    void cleanup() { m_log.reset(); }

    void connectReportsInputsOnce();
    void writesReachCoilsInOrder_data();
    void writesReachCoilsInOrder();
    void wordGivenBeforeConnectIsDropped();
    void inputChanges_data();
    void inputChanges();
    void searchFailsWithinBound_data();
    void searchFailsWithinBound();
    void searchInterrupted_data();
    void searchInterrupted();
    void serverStoppedMidSession();
    void disconnectDeliversWordsOnTheirWay();
    void silentModuleIsDetected();
    void destructorConfirmsAllOff();
    void destructorBoundedWhenModuleSilent();
    void aboutBoxIsNonModal();
    void aboutBoxGoesWithTheModule();

  private:
    int m_port = 0;
};

void TestModbusModule::connectReportsInputsOnce()
{
    RecordingServer server;
    QVERIFY(server.start(m_port));
    server.setInputs(0xA5);
    ModbusModule control(settingsFor(m_port));
    QSignalSpy spy(&control, &iface::EasyPortControl::InputsChanged);

    QVERIFY(control.SearchAndConnect() != 0);
    QCOMPARE(control.linkState(), ModbusModule::LinkState::Open);
    QCOMPARE(control.GetComPort(0), qint16(1));
    QCOMPARE(control.GetModuleNumber(0), qint16(2));
    // Heard after the search has returned, once, although polling goes on.
    QCOMPARE(spy.size(), 0);
    QVERIFY(spy.wait(500));
    spin(150);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(2).toInt(), 0xA5);
    QVERIFY(server.functionCodes.count(QModbusPdu::ReadDiscreteInputs) > 3);
    QVERIFY(m_log->messages().isEmpty());
}

void TestModbusModule::writesReachCoilsInOrder_data()
{
    QTest::addColumn<QList<int>>("words");
    QTest::addColumn<QList<int>>("atModule");

    QTest::newRow("one word") << QList<int>{0x05} << QList<int>{0x05};
    QTest::newRow("all on, all off") << QList<int>{0xFF, 0x00} << QList<int>{0xFF, 0x00};
    QList<int> rapid;
    for (int i = 1; i <= 40; ++i)
        rapid.append((i * 53) & 0xFF);
    QTest::newRow("rapid sequence") << rapid << rapid;
    QTest::newRow("same word twice is sent twice")
        << QList<int>{0x81, 0x81} << QList<int>{0x81, 0x81};
    QTest::newRow("bits 8..15 are not outputs") << QList<int>{0x7F03} << QList<int>{0x03};
    QTest::newRow("negative word") << QList<int>{-1} << QList<int>{0xFF};
}

void TestModbusModule::writesReachCoilsInOrder()
{
    QFETCH(QList<int>, words);
    QFETCH(QList<int>, atModule);

    RecordingServer server;
    QVERIFY(server.start(m_port));
    ModbusModule control(settingsFor(m_port));
    QVERIFY(control.SearchAndConnect() != 0);
    QVERIFY(control.flush(1000));
    server.functionCodes.clear();
    server.writtenWords.clear();

    for (const int w : words)
        control.WriteOutputs(qint16(w));
    QVERIFY(control.flush(1000));

    QList<int> seen;
    for (const quint8 w : server.writtenWords)
        seen.append(w);
    QCOMPARE(seen, atModule);
    QCOMPARE(int(server.coils()), atModule.last());
    // One "write multiple coils" per word, nothing else for the outputs.
    QCOMPARE(server.functionCodes.count(QModbusPdu::WriteMultipleCoils), int(atModule.size()));
    QCOMPARE(server.functionCodes.count(QModbusPdu::WriteSingleCoil), 0);
}

void TestModbusModule::wordGivenBeforeConnectIsDropped()
{
    RecordingServer server;
    QVERIFY(server.start(m_port));
    ModbusModule control(settingsFor(m_port));
    control.WriteOutputs(0x11); // accepted without a link
    spin(50);
    QVERIFY(server.writtenWords.isEmpty());

    // A connect never switches anything on.
    QVERIFY(control.SearchAndConnect() != 0);
    QVERIFY(control.flush(1000));
    spin(50);
    QCOMPARE(server.writtenWords, QList<quint8>{0x00});
    QCOMPARE(server.coils(), quint8(0x00));
}

void TestModbusModule::inputChanges_data()
{
    QTest::addColumn<QList<int>>("steps");
    QTest::newRow("one input on and off") << QList<int>{0x01, 0x00};
    QTest::newRow("highest input") << QList<int>{0x80};
    QTest::newRow("unchanged word is not reported") << QList<int>{0x3C, 0x3C, 0x3D, 0x3D};
    QTest::newRow("all, none, all") << QList<int>{0xFF, 0x00, 0xFF};
}

void TestModbusModule::inputChanges()
{
    QFETCH(QList<int>, steps);

    RecordingServer server;
    QVERIFY(server.start(m_port));
    ModbusModule control(settingsFor(m_port));
    QSignalSpy spy(&control, &iface::EasyPortControl::InputsChanged);
    QVERIFY(control.SearchAndConnect() != 0);
    QVERIFY(spy.wait(500)); // the word right after connecting
    QCOMPARE(spy.at(0).at(2).toInt(), 0);

    int previous = 0;
    for (const int word : steps) {
        const int before = int(spy.size());
        server.setInputs(quint8(word));
        if (word == previous) {
            spin(4 * control.settings().pollMs);
            QCOMPARE(int(spy.size()), before);
        } else {
            QVERIFY(spy.wait(500));
            QCOMPARE(int(spy.size()), before + 1);
            QCOMPARE(spy.last().at(2).toInt(), word);
            QCOMPARE(spy.last().at(0).toInt(), 0);
            QCOMPARE(spy.last().at(1).toInt(), 0);
        }
        previous = word;
    }
}

void TestModbusModule::searchFailsWithinBound_data()
{
    QTest::addColumn<QString>("peer");
    QTest::addColumn<bool>("takesTime");
    QTest::addColumn<QString>("reason"); // in what the pupil is told
    QTest::newRow("closed port") << "none" << false << "geweigerd";
    // Connects over TCP but never speaks Modbus: not a module.
    QTest::newRow("silent listener") << "silent" << true << "geen antwoord binnen 200 ms";
    // Answers, but has no inputs at the configured address.
    QTest::newRow("module refuses the input read") << "refusing" << false << "uitzonderingscode 2";
    QTest::newRow("module refuses the output write")
        << "no coils" << false << "uitzonderingscode 2";
    QTest::newRow("unroutable address") << "unroutable" << false << "10.255.255.1";
    QTest::newRow("serial device missing")
        << "no serial device" << false << "/dev/no-such-modbus-port";
}

void TestModbusModule::searchFailsWithinBound()
{
    QFETCH(QString, peer);
    QFETCH(bool, takesTime);
    QFETCH(QString, reason);

    QTcpServer silent;
    RecordingServer refusing(false);
    RecordingServer withoutCoils(true, false);
    ModbusSettings settings = settingsFor(m_port);
    if (peer == QLatin1String("silent"))
        QVERIFY(silent.listen(QHostAddress::LocalHost, quint16(m_port)));
    else if (peer == QLatin1String("refusing"))
        QVERIFY(refusing.start(m_port));
    else if (peer == QLatin1String("no coils"))
        QVERIFY(withoutCoils.start(m_port));
    else if (peer == QLatin1String("unroutable"))
        settings.host = QStringLiteral("10.255.255.1");
    else if (peer == QLatin1String("no serial device")) {
        settings.transport = ModbusSettings::Transport::Rtu;
        settings.serialDevice = QStringLiteral("/dev/no-such-modbus-port");
    }

    ModbusModule control(settings);
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);

    QElapsedTimer clock;
    clock.start();
    QCOMPARE(control.SearchAndConnect(), qint16(0));
    const qint64 took = clock.elapsed();
    QVERIFY2(took < 2000, qPrintable(QString::number(took)));
    if (takesTime)
        QVERIFY2(ticks >= 5, "the event loop stood still during the search");
    QCOMPARE(control.linkState(), ModbusModule::LinkState::Closed);
    QCOMPARE(m_log->messages().size(), 1);
    QVERIFY(m_log->messages().first().contains(QLatin1String("not found")));
    const QString told = control.searchFailureText();
    QVERIFY2(told.startsWith(QLatin1String("Geprobeerd: Modbus")), qPrintable(told));
    QVERIFY2(told.contains(QLatin1String("Reden: ")) && told.contains(reason), qPrintable(told));
    control.WriteOutputs(0x01); // accepted, does nothing
}

void TestModbusModule::searchInterrupted_data()
{
    QTest::addColumn<bool>("deleteControl");
    QTest::newRow("Disconnect during the search") << false;
    QTest::newRow("control deleted during the search") << true;
}

void TestModbusModule::searchInterrupted()
{
    QFETCH(bool, deleteControl);

    QTcpServer silent; // makes the search wait for its read
    QVERIFY(silent.listen(QHostAddress::LocalHost, quint16(m_port)));
    QPointer<ModbusModule> control = new ModbusModule(settingsFor(m_port));
    QTimer::singleShot(100, [control, deleteControl] {
        if (deleteControl)
            delete control.data();
        else
            control->Disconnect();
    });
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(control->SearchAndConnect(), qint16(0));
    QVERIFY(clock.elapsed() < 1000);
    if (deleteControl) {
        QVERIFY(control.isNull());
    } else {
        QCOMPARE(control->linkState(), ModbusModule::LinkState::Closed);
        delete control.data();
    }
}

void TestModbusModule::serverStoppedMidSession()
{
    auto server = std::make_unique<RecordingServer>();
    QVERIFY(server->start(m_port));
    ModbusModule control(settingsFor(m_port));
    QSignalSpy inputs(&control, &iface::EasyPortControl::InputsChanged);
    QSignalSpy lost(&control, &iface::EasyPortControl::LinkLost);
    QVERIFY(control.SearchAndConnect() != 0);
    QVERIFY(inputs.wait(500));

    server->disconnectDevice();
    TRY_COMPARE_WITH_TIMEOUT(control.linkState(), ModbusModule::LinkState::Lost, 1500);
    TRY_COMPARE(lost.size(), 1);
    QCOMPARE(m_log->messages().size(), 1);
    QVERIFY(m_log->messages().first().contains(QLatin1String("link lost")));

    QElapsedTimer clock;
    clock.start();
    control.WriteOutputs(0x03);
    QVERIFY(clock.elapsed() < 50);
    QVERIFY(!control.flush(100));

    // The module comes back: nothing happens until the pupil reconnects.
    server = std::make_unique<RecordingServer>();
    server->setInputs(0x42);
    QVERIFY(server->start(m_port));
    spin(300);
    QVERIFY(server->functionCodes.isEmpty());
    QCOMPARE(inputs.size(), 1);
    QCOMPARE(m_log->messages().size(), 1);

    control.Disconnect();
    QVERIFY(control.SearchAndConnect() != 0);
    QVERIFY(inputs.wait(500));
    QCOMPARE(inputs.last().at(2).toInt(), 0x42);
    QVERIFY(control.flush(1000));
    QCOMPARE(server->coils(), quint8(0x00)); // a connect starts from all off
    QCOMPARE(lost.size(), 1);
    control.WriteOutputs(0x0C);
    QVERIFY(control.flush(1000));
    QCOMPARE(server->coils(), quint8(0x0C));
    QCOMPARE(m_log->messages().size(), 1);
}

void TestModbusModule::disconnectDeliversWordsOnTheirWay()
{
    RecordingServer server;
    QVERIFY(server.start(m_port));
    ModbusModule control(settingsFor(m_port));
    QVERIFY(control.SearchAndConnect() != 0);
    control.WriteOutputs(0x21);
    control.WriteOutputs(0x24);
    control.Disconnect();
    QCOMPARE(control.linkState(), ModbusModule::LinkState::Closed);
    QCOMPARE(server.coils(), quint8(0x24));
    const int requests = int(server.functionCodes.size());
    control.WriteOutputs(0x00); // accepted, does nothing at the module
    spin(100);
    QCOMPARE(int(server.functionCodes.size()), requests);
    QCOMPARE(server.coils(), quint8(0x24));
}

void TestModbusModule::silentModuleIsDetected()
{
    MutablePeer peer;
    QVERIFY(peer.start(m_port));
    // The count of misses is the link policy's table; here only that a
    // real silence counts, so a short time-out.
    ModbusSettings settings = settingsFor(m_port);
    settings.timeoutMs = 50;
    ModbusModule control(settings);
    QVERIFY(control.SearchAndConnect() != 0);
    QVERIFY(control.flush(1000));

    peer.mute = true; // connection stays open, nothing answers
    QElapsedTimer clock;
    clock.start();
    control.WriteOutputs(0x01);
    QVERIFY(clock.elapsed() < 50);
    TRY_COMPARE_WITH_TIMEOUT(control.linkState(), ModbusModule::LinkState::Lost, 3000);
    QCOMPARE(m_log->messages().size(), 1);
    spin(100);
    QCOMPARE(m_log->messages().size(), 1);
}

void TestModbusModule::destructorConfirmsAllOff()
{
    RecordingServer server;
    QVERIFY(server.start(m_port));
    auto* control = new ModbusModule(settingsFor(m_port));
    QVERIFY(control->SearchAndConnect() != 0);
    control->WriteOutputs(0xFF);
    QVERIFY(control->flush(1000));
    QCOMPARE(server.coils(), quint8(0xFF));

    // As at the end of the program: the all-off word, then straight away
    // the control is deleted without the event loop running in between.
    control->WriteOutputs(0x00);
    QElapsedTimer clock;
    clock.start();
    delete control;
    QVERIFY(clock.elapsed() < 1000);
    QCOMPARE(server.coils(), quint8(0x00));
}

void TestModbusModule::destructorBoundedWhenModuleSilent()
{
    MutablePeer peer;
    QVERIFY(peer.start(m_port));
    auto* control = new ModbusModule(settingsFor(m_port));
    QVERIFY(control->SearchAndConnect() != 0);
    QVERIFY(control->flush(1000));
    peer.mute = true;
    control->WriteOutputs(0x00);
    QElapsedTimer clock;
    clock.start();
    delete control;
    const qint64 took = clock.elapsed();
    QVERIFY2(took <= 1100, qPrintable(QString::number(took)));
}

void TestModbusModule::aboutBoxIsNonModal()
{
    ModbusSettings settings = settingsFor(m_port);
    settings.host = QStringLiteral("10.1.2.3");
    settings.unitId = 7;
    ModbusModule control(settings);
    control.AboutBox();
    control.AboutBox(); // a second call shows the same window

    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            boxes.append(box);
    }
    QCOMPARE(boxes.size(), 1);
    QPointer<QMessageBox> box = boxes.first();
    QVERIFY(!box->isModal());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(box->text().contains(QLatin1String("10.1.2.3")));
    QVERIFY(box->text().contains(QLatin1String("unit 7")));
    QVERIFY(box->text().contains(QLatin1String("niet verbonden")));
    box->close();
    TRY_VERIFY(box.isNull());
}

// Through the message service: one box per module, asked again it takes
// the state of now, and it goes when the module goes.
void TestModbusModule::aboutBoxGoesWithTheModule()
{
    testing::ServiceScope services(false);
    {
        ModbusModule control(settingsFor(m_port));
        control.AboutBox();
        control.AboutBox();
        QCOMPARE(services.messages.nonModalShown, 2);
        QCOMPARE(services.messages.open.size(), 1);
        const platform::MessageRequest box = services.messages.open.begin().value();
        QCOMPARE(box.title, QStringLiteral("Over de interface"));
        QCOMPARE(box.icon, platform::MessageIcon::Information);
        QVERIFY(box.text.contains(QLatin1String("niet verbonden")));
        QVERIFY(services.messages.shown.isEmpty());
    }
    QVERIFY(services.messages.open.isEmpty());
}

QTEST_MAIN(TestModbusModule)
#include "tst_modbus_module.moc"
