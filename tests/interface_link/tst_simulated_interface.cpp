#include "controls/controls.h"
#include "interface_link/simulated_interface.h"
#include "interface_link/station_link.h"
#include "main_window/main.h"
#include "support/manual_time.h"
#include "support/test_support.h"
#include "support/try_wait.h"
#include "support/warning_log.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using iface::SimulatedInterface;
using iface::SimulatedSettings;
using sim::Force;

Q_DECLARE_METATYPE(station::Station)

namespace
{

constexpr station::Station Handling = station::Station::Stationhandling;

qint32 lastWord(const QSignalSpy& spy)
{
    return spy.isEmpty() ? -1 : spy.last().at(2).toInt();
}

QList<qint32> words(const QSignalSpy& spy)
{
    QList<qint32> out;
    for (const QList<QVariant>& args : spy)
        out << args.at(2).toInt();
    return out;
}

// The shared rig, waiting for a reported word.
struct Rig : testing::SimulatedRig {
    using SimulatedRig::SimulatedRig;
    // Moves time on (bounded) until the inputs report `word`.
    bool waitForWord(const QSignalSpy& spy, qint32 word, int limitMs)
    {
        return time.advanceUntil([&] { return lastWord(spy) == word; }, limitMs);
    }
};

} // namespace

class TestSimulatedInterface : public QObject
{
    Q_OBJECT

  private slots:
    void settings_data();
    void settings();
    void connectReportsSettings();
    void connectReportsRestWord_data();
    void connectReportsRestWord();
    void handlingFrontAfterTravelTime();
    void writeBeforeConnectIsIgnored();
    void writeAfterDisconnectIsIgnored();
    void reconnectReportsAgainFromOutputsZero();
    void timerRunsOnlyWhileMoving();
    void forcingTakesEffectAtOnce();
    void placingAPartTakesEffectAtOnce();
    void stationChangeWhileConnected();
    void aboutBoxDoesNotBlock();
    void pulledCableIsALostLink();
};

void TestSimulatedInterface::settings_data()
{
    QTest::addColumn<QString>("ini");
    QTest::addColumn<int>("comPort");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("warnings");

    // Without a choice: the EasyPort D8A, with which every station can be chosen.
    QTest::newRow("no group") << "" << 1 << 2 << 0;
    QTest::newRow("valid values") << "[simulated]\ncom_port=3\nmodel=5\n" << 3 << 5 << 0;
    QTest::newRow("D16, highest port") << "[simulated]\ncom_port=255\nmodel=1\n" << 255 << 1 << 0;
    QTest::newRow("spaces around") << "[simulated]\ncom_port= 7 \n" << 7 << 2 << 0;
    QTest::newRow("port text") << "[simulated]\ncom_port=COM3\n" << 1 << 2 << 1;
    QTest::newRow("port zero") << "[simulated]\ncom_port=0\n" << 1 << 2 << 1;
    QTest::newRow("port negative") << "[simulated]\ncom_port=-4\n" << 1 << 2 << 1;
    QTest::newRow("port too high") << "[simulated]\ncom_port=256\n" << 1 << 2 << 1;
    QTest::newRow("port beyond 16 bits") << "[simulated]\ncom_port=65537\n" << 1 << 2 << 1;
    QTest::newRow("port list") << "[simulated]\ncom_port=1, 2\n" << 1 << 2 << 1;
    QTest::newRow("port empty") << "[simulated]\ncom_port=\n" << 1 << 2 << 1;
    QTest::newRow("model unknown code") << "[simulated]\nmodel=3\n" << 1 << 2 << 1;
    QTest::newRow("model fraction") << "[simulated]\nmodel=2.5\n" << 1 << 2 << 1;
    QTest::newRow("model name") << "[simulated]\nmodel=Mini\n" << 1 << 2 << 1;
    QTest::newRow("both wrong") << "[simulated]\ncom_port=x\nmodel=9\n" << 1 << 2 << 2;
    QTest::newRow("one wrong, one right") << "[simulated]\ncom_port=x\nmodel=5\n" << 1 << 5 << 1;
    QTest::newRow("other group only") << "[modbus]\ncom_port=4\nmodel=1\n" << 1 << 2 << 0;
}

void TestSimulatedInterface::settings()
{
    QFETCH(QString, ini);
    QFETCH(int, comPort);
    QFETCH(int, model);
    QFETCH(int, warnings);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("test.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ini.toUtf8());
    file.close();

    QSettings settings(path, QSettings::IniFormat);
    testing::WarningLog log;
    const SimulatedSettings s = SimulatedSettings::fromSettings(settings);

    QCOMPARE(int(s.comPort), comPort);
    QCOMPARE(int(s.model), model);
    QCOMPARE(log.count(), warnings);
    QVERIFY(settings.group().isEmpty());
}

void TestSimulatedInterface::connectReportsSettings()
{
    SimulatedSettings s;
    s.comPort = 4;
    s.model = 5;
    Rig rig(s);
    SimulatedInterface& port = rig.port;
    QVERIFY(port.SearchAndConnect() != 0);
    QCOMPARE(port.GetComPort(0), qint16(4));
    QCOMPARE(port.GetModuleNumber(0), qint16(5));

    SimulatedInterface defaults;
    QVERIFY(defaults.SearchAndConnect() != 0);
    QCOMPARE(defaults.GetComPort(0), qint16(1));
    QCOMPARE(defaults.GetModuleNumber(0), qint16(2));
}

void TestSimulatedInterface::connectReportsRestWord_data()
{
    QTest::addColumn<station::Station>("inView");
    QTest::addColumn<int>("word");
    using S = station::Station;
    QTest::newRow("stack") << S::StapelMagazijn << 0x00;
    QTest::newRow("conveyor") << S::Transportband << 0x00;
    QTest::newRow("handling") << S::Stationhandling << 0x05;
    QTest::newRow("both") << S::TransHandling << 0x28;
    QTest::newRow("interface view") << S::Interface << 0x00;
    QTest::newRow("window at start") << S::Start << 0x00;
}

void TestSimulatedInterface::connectReportsRestWord()
{
    QFETCH(station::Station, inView);
    QFETCH(int, word);
    Rig rig;
    rig.runner.setStation(inView);
    QSignalSpy spy(&rig.port, &SimulatedInterface::InputsChanged);
    QVERIFY(rig.port.SearchAndConnect() != 0);
    // The first report comes once the caller has finished connecting.
    QCOMPARE(spy.count(), 0);
    rig.settle();
    QCOMPARE(words(spy), QList<qint32>{word});
    // Nothing moves, so nothing more is reported.
    rig.time.advance(100);
    QCOMPARE(spy.count(), 1);
    QVERIFY(!rig.runner.isRunning());
}

void TestSimulatedInterface::handlingFrontAfterTravelTime()
{
    Rig rig;
    rig.runner.setStation(Handling);
    QSignalSpy spy(&rig.port, &SimulatedInterface::InputsChanged);
    QVERIFY(rig.port.SearchAndConnect() != 0);
    rig.settle();
    QCOMPARE(lastWord(spy), 0x05);

    const qint64 start = rig.time.now;
    rig.port.WriteOutputs(0x01);
    QVERIFY(rig.waitForWord(spy, 0x06, 5000));
    const qint64 took = rig.time.now - start;
    // Back switch off as the carriage leaves, front switch on at the end.
    QCOMPARE(words(spy), (QList<qint32>{0x05, 0x04, 0x06}));
    QVERIFY2(took >= 900, qPrintable(QString::number(took)));
    QVERIFY2(took < 3000, qPrintable(QString::number(took)));
    QVERIFY(rig.runToRest(1000));
}

void TestSimulatedInterface::writeBeforeConnectIsIgnored()
{
    Rig rig;
    rig.runner.setStation(Handling);
    QSignalSpy spy(&rig.port, &SimulatedInterface::InputsChanged);
    rig.port.WriteOutputs(0x01);
    QCOMPARE(rig.runner.outputs(), quint8(0));
    QVERIFY(!rig.runner.isRunning());
    rig.time.advance(50);
    QCOMPARE(spy.count(), 0);

    QVERIFY(rig.port.SearchAndConnect() != 0);
    rig.time.advance(300);
    QCOMPARE(words(spy), QList<qint32>{0x05});
    QCOMPARE(rig.runner.simulation().handling()->horizontal().positionMs(), 0);
}

void TestSimulatedInterface::writeAfterDisconnectIsIgnored()
{
    Rig rig;
    rig.runner.setStation(Handling);
    QSignalSpy spy(&rig.port, &SimulatedInterface::InputsChanged);
    QVERIFY(rig.port.SearchAndConnect() != 0);
    rig.settle();
    QCOMPARE(spy.count(), 1);
    rig.port.Disconnect();
    QVERIFY(!rig.port.isConnected());
    rig.port.WriteOutputs(0x04);
    QCOMPARE(rig.runner.outputs(), quint8(0));
    QVERIFY(!rig.runner.isRunning());
    // Forcing while disconnected is kept but not reported.
    rig.runner.setInputForce(7, Force::On);
    rig.time.advance(100);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(rig.runner.inputs(), 0x85);
}

void TestSimulatedInterface::reconnectReportsAgainFromOutputsZero()
{
    Rig rig;
    rig.runner.setStation(station::Station::StapelMagazijn);
    QSignalSpy spy(&rig.port, &SimulatedInterface::InputsChanged);
    QVERIFY(rig.port.SearchAndConnect() != 0);
    rig.settle();
    rig.port.WriteOutputs(0x04);
    QVERIFY(rig.waitForWord(spy, 0x01, 3000));

    // Closing the link drops the outputs: the pressing cylinder springs back.
    rig.port.Disconnect();
    QVERIFY(rig.time.advanceUntil(
        [&] { return rig.runner.simulation().stackMagazine()->press().isRetracted(); }, 3000));
    QVERIFY(rig.runToRest(1000));
    QCOMPARE(words(spy), (QList<qint32>{0x00, 0x01}));

    QVERIFY(rig.port.SearchAndConnect() != 0);
    rig.settle();
    QCOMPARE(words(spy), (QList<qint32>{0x00, 0x01, 0x00}));
    rig.port.WriteOutputs(0x04);
    QVERIFY(rig.waitForWord(spy, 0x01, 3000));
}

void TestSimulatedInterface::timerRunsOnlyWhileMoving()
{
    Rig rig;
    rig.runner.setStation(station::Station::Transportband);
    QVERIFY(rig.port.SearchAndConnect() != 0);
    QVERIFY(!rig.runner.isRunning());
    rig.port.WriteOutputs(0x02); // belt runs
    QVERIFY(rig.runner.isRunning());
    rig.time.advance(60);
    QVERIFY(rig.runner.isRunning());
    rig.port.WriteOutputs(0x00);
    QVERIFY(rig.runToRest(500));

    rig.runner.setStation(Handling);
    rig.port.WriteOutputs(0x04); // down
    QVERIFY(rig.runToRest(3000));
    // Driving the carriage while the gripper is lowered moves nothing.
    rig.port.WriteOutputs(0x05);
    QVERIFY(!rig.runner.isRunning());
}

void TestSimulatedInterface::forcingTakesEffectAtOnce()
{
    Rig rig;
    SimulatedInterface& port = rig.port;
    sim::StationRunner& runner = rig.runner;
    runner.setStation(Handling);
    QSignalSpy spy(&port, &SimulatedInterface::InputsChanged);
    QSignalSpy state(&runner, &sim::StationRunner::stateChanged);
    QVERIFY(port.SearchAndConnect() != 0);
    rig.settle();

    const int redraws = state.count();
    runner.setInputForce(3, Force::On);
    QCOMPARE(words(spy), (QList<qint32>{0x05, 0x0d}));
    QVERIFY(state.count() > redraws);
    QCOMPARE(runner.inputForce(3), Force::On);
    runner.setInputForce(3, Force::On); // no change, no event
    runner.setInputForce(0, Force::On); // already on by the station: word unchanged
    QCOMPARE(spy.count(), 2);
    runner.setInputForce(0, Force::Off);
    runner.setInputForce(3, Force::Free);
    QCOMPARE(words(spy), (QList<qint32>{0x05, 0x0d, 0x0c, 0x04}));
    runner.setInputForce(8, Force::On);
    runner.setInputForce(-1, Force::On);
    QCOMPARE(spy.count(), 4);
}

void TestSimulatedInterface::placingAPartTakesEffectAtOnce()
{
    Rig rig;
    rig.runner.setStation(station::Station::Transportband);
    QSignalSpy spy(&rig.port, &SimulatedInterface::InputsChanged);
    QVERIFY(rig.port.SearchAndConnect() != 0);
    rig.settle();
    QVERIFY(rig.runner.placePart(true));
    QCOMPARE(words(spy), (QList<qint32>{0x00, 0x02}));
    QVERIFY(!rig.runner.placePart(false));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(rig.runner.simulation().conveyor()->parts().size(), 1);

    // The metal part reaches the inductive sensor after 1.4..1.8 s of belt.
    const qint64 start = rig.time.now;
    rig.port.WriteOutputs(0x02);
    QVERIFY(rig.waitForWord(spy, 0x01, 4000));
    QCOMPARE(words(spy), (QList<qint32>{0x00, 0x02, 0x00, 0x01}));
    QVERIFY2(rig.time.now - start >= 1400, qPrintable(QString::number(rig.time.now - start)));
    QVERIFY2(rig.time.now - start <= 1800, qPrintable(QString::number(rig.time.now - start)));

    rig.runner.setStation(Handling);
    QVERIFY(!rig.runner.placePart(true));
}

void TestSimulatedInterface::stationChangeWhileConnected()
{
    Rig rig;
    QSignalSpy spy(&rig.port, &SimulatedInterface::InputsChanged);
    QVERIFY(rig.port.SearchAndConnect() != 0);
    rig.settle();
    rig.runner.setStation(Handling);
    rig.runner.setStation(Handling);
    rig.runner.setStation(station::Station::TransHandling);
    rig.runner.setStation(station::Station::StapelMagazijn);
    QCOMPARE(words(spy), (QList<qint32>{0x00, 0x05, 0x28, 0x00}));
}

void TestSimulatedInterface::aboutBoxDoesNotBlock()
{
    SimulatedInterface port;
    QElapsedTimer clock;
    clock.start();
    port.AboutBox();
    port.AboutBox();
    QVERIFY(clock.elapsed() < 2000);

    QList<QDialog*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("SimulatedAbout"))
            boxes << qobject_cast<QDialog*>(w);
    }
    QCOMPARE(boxes.size(), 1);
    QPointer<QDialog> box = boxes.first();
    QVERIFY(box);
    QVERIFY(box->isVisible());
    QVERIFY(!box->isModal());
    QVERIFY(box->windowTitle().contains(QStringLiteral("gesimuleerde interface")));
    box->close();
    TRY_VERIFY_WITH_TIMEOUT(box.isNull(), 1000);
}

// The teacher's "Kabel los" in the virtual station: the window shows a lost
// link, the station keeps what it was told (nothing reaches it any more), and
// the pupil reconnects from all off.
void TestSimulatedInterface::pulledCableIsALostLink()
{
    testing::ServiceScope services;
    Rig rig;
    SimulatedInterface& port = rig.port;
    QSignalSpy lost(&port, &iface::EasyPortControl::LinkLost);
    Main window(&port);
    window.CMD_Verbinding->click();
    window.CMD_SetReset[0]->click();
    QCOMPARE(rig.runner.outputs(), 0x01);

    // The link the station window sees follows it.
    iface::StationLink& link = *port.stationLink();
    QVERIFY(link.isConnected());
    link.pullCable();
    QVERIFY(!port.isConnected());
    QVERIFY(!link.isConnected());
    QVERIFY(port.isCableOut());
    QVERIFY(link.isCableOut());
    QCOMPARE(rig.runner.outputs(), 0x01);
    rig.settle();
    QCOMPARE(window.Verbonden(), 0);
    QCOMPARE(window.DecimaalUit(), 0x01);
    QVERIFY(window.Shape_Lampje[0]->isStale());
    QCOMPARE(lost.size(), 1);
    QCOMPARE(window.Label_Verbinding->Caption(), QStringLiteral("Verbinding verbroken"));
    QCOMPARE(services.messages.shown.size(), 1);
    QCOMPARE(services.messages.shown.first().title, QStringLiteral("Verbinding verbroken"));
    QVERIFY(services.messages.shown.first().text.startsWith(
        QLatin1String("De verbinding met de interface is verbroken.")));
    port.pullCable(); // nothing left to pull
    rig.time.advance(20);
    QCOMPARE(lost.size(), 1);

    window.CMD_Verbinding->click();
    QCOMPARE(window.Verbonden(), -1);
    QCOMPARE(window.DecimaalUit(), 0);
    QCOMPARE(rig.runner.outputs(), 0);
    QVERIFY(!window.Shape_Lampje[0]->isStale());
    QVERIFY(!link.isCableOut());
}

QTEST_MAIN(TestSimulatedInterface)
#include "tst_simulated_interface.moc"
