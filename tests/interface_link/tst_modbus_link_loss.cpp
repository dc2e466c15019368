// The main window on a real Modbus module reached through a relay that can
// cut or mute the link: what the pupil sees when the link breaks, what the
// module receives at connect, and how the program leaves the module.

#include "app/interface_factory.h"
#include "controls/controls.h"
#include "interface_link/modbus_module.h"
#include "interface_link/simulated_interface.h"
#include "main_window/main.h"
#include "main_window/main_plan_host.h"
#include "simulation/station_runner.h"
#include "step_plan/step_plan_window.h"
#include "support/modbus_peers.h"
#include "support/test_support.h"
#include "support/try_wait.h"
#include "support/warning_log.h"

#include <QElapsedTimer>
#include <QModbusClient>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using testing::ModbusRelay;
using testing::ModbusServerPeer;

namespace
{

struct Bench {
    testing::ServiceScope services;
    testing::WarningLog log;
    ModbusServerPeer module;
    ModbusRelay relay;
    int relayPort = 0;
    // Half the installed default: a request without an answer costs this
    // long, and the rows leave dozens unanswered. The module and the relay
    // answer from this process, within milliseconds.
    int timeoutMs = 100;
    std::unique_ptr<iface::ModbusModule> control;
    std::unique_ptr<iface::SimulatedInterface> simulated;
    std::unique_ptr<Main> window;
    std::unique_ptr<MainPlanHost> planHost;
    std::unique_ptr<plan::StepPlanWindow> stepPlan;
    int quits = 0;

    ~Bench()
    {
        stepPlan.reset();
        planHost.reset();
        window.reset();
    }

    // The main window on the simulated interface instead, linked as main() links it.
    void startSimulated()
    {
        simulated = std::make_unique<iface::SimulatedInterface>();
        window = std::make_unique<Main>(simulated.get());
        window->setQuitHandler([this] { ++quits; });
        QObject::connect(&window->stationState(), &station::StationState::changed,
                         simulated->stationRunner(), &sim::StationRunner::setStation);
    }

    // What the module (or the simulated station) holds now.
    int held() const { return simulated ? simulated->stationRunner()->outputs() : module.coils(); }

    // The step plan window on the main window, with a plan that switches
    // output 1 on and waits for the pupil.
    bool loadPlan(QTemporaryDir& dir)
    {
        planHost = std::make_unique<MainPlanHost>(*window);
        stepPlan = std::make_unique<plan::StepPlanWindow>(*planHost);
        QFile f(dir.filePath(QStringLiteral("plan.json")));
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(R"({"station": "Stapel magazijn", "herhaal": false,
                    "stappen": [{"zet": {"1": true}, "tot": {"knop": true}}]})");
        f.close();
        return stepPlan->load(f.fileName());
    }

    bool start(int moduleNumber = 5)
    {
        const int modulePort = testing::freeTcpPort();
        relayPort = testing::freeTcpPort();
        if (!module.start(modulePort) || !relay.start(relayPort, modulePort))
            return false;
        iface::ModbusSettings s;
        s.host = QStringLiteral("127.0.0.1");
        s.port = relayPort;
        s.moduleNumber = moduleNumber;
        s.timeoutMs = timeoutMs;
        control = std::make_unique<iface::ModbusModule>(s);
        window = std::make_unique<Main>(control.get());
        window->setQuitHandler([this] { ++quits; });
        return true;
    }

    QStringList boxTitles() const
    {
        QStringList titles;
        for (const auto& r : services.messages.shown)
            titles.append(r.title);
        return titles;
    }
};

} // namespace

class TestModbusLinkLoss : public QObject
{
    Q_OBJECT

  private slots:
    void lossIsShown_data();
    void lossIsShown();
    void connectStartsAllOff_data();
    void connectStartsAllOff();
    void scatteredMissesKeepTheLink_data();
    void scatteredMissesKeepTheLink();
    void refusedWriteIsTriedOnceMore_data();
    void refusedWriteIsTriedOnceMore();
    void exitLeavesModuleOff_data();
    void exitLeavesModuleOff();
    void unusableSettingsContactNothing_data();
    void unusableSettingsContactNothing();
};

void TestModbusLinkLoss::lossIsShown_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("planRunning");
    // Whether the one attempt after the loss reaches the module again.
    QTest::addColumn<bool>("reachedAgain");
    // Which requests go unanswered ('x') for "silences".
    QTest::addColumn<QString>("silences");
    for (const bool plan : {false, true}) {
        const char* running = plan ? ", plan running" : "";
        QTest::addRow("connection cut%s", running) << "cut" << plan << true << QString();
        QTest::addRow("module falls silent%s", running) << "mute" << plan << false << QString();
        QTest::addRow("write refused twice%s", running) << "refuse" << plan << true << QString();
        QTest::addRow("simulated Kabel los%s", running)
            << "kabel los" << plan << false << QString();
    }
    QTest::newRow("three requests in a row unanswered")
        << "silences" << false << true << QStringLiteral("xxx");
    QTest::newRow("two misses, an answer, three misses")
        << "silences" << false << true << QStringLiteral("xx.xxx");
    QTest::newRow("word given in the pass the link is found lost")
        << "same pass" << false << true << QString();
}

// A lost link by itself changes neither the output word nor the lamps: they
// are marked as not current. A plan it ends makes one attempt to switch the
// module off, and only a confirmed one clears the screen.
void TestModbusLinkLoss::lossIsShown()
{
    QFETCH(QString, how);
    QFETCH(bool, planRunning);
    QFETCH(bool, reachedAgain);
    QFETCH(QString, silences);
    Bench b;
    if (how == QLatin1String("kabel los"))
        b.startSimulated();
    else
        QVERIFY(b.start(2));
    QTemporaryDir dir;
    if (planRunning) {
        QVERIFY(b.loadPlan(dir));
        b.window->CMD_StapelMagazijn->click();
    }
    b.window->CMD_Verbinding->click();
    QCOMPARE(b.window->Verbonden(), -1);
    if (planRunning)
        QVERIFY2(b.stepPlan->start(), qPrintable(b.stepPlan->message()));
    else
        b.window->CMD_SetReset[0]->click();
    if (b.control)
        QVERIFY(b.control->flush(1000));
    QCOMPARE(b.held(), 0x01);
    b.services.sounds.played.clear();

    QElapsedTimer clock;
    clock.start();
    if (how == QLatin1String("cut")) {
        b.relay.cut();
    } else if (how == QLatin1String("mute")) {
        b.relay.mute = true;
    } else if (how == QLatin1String("silences")) {
        b.relay.silences = silences;
    } else if (how == QLatin1String("same pass")) {
        // Qt's client closes its connection right after the pupil's word
        // went out; that word may not reach the module afterwards.
        QModbusClient* client = b.control->findChild<QModbusClient*>();
        QVERIFY(client);
        b.window->CMD_SetReset[2]->click();
        client->disconnectDevice();
    } else if (how == QLatin1String("refuse")) {
        b.module.refuseWrites = 2;
        b.window->CMD_SetReset[2]->click();
    } else {
        b.simulated->pullCable();
    }
    TRY_COMPARE_WITH_TIMEOUT(b.window->Verbonden(), 0, 2000);
    // The loss, the attempt (at most 1 s) and the box.
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));

    // The "Verbreek" state, but saying what happened.
    QCOMPARE(b.window->Label_Verbinding->Caption(), QStringLiteral("Verbinding verbroken"));
    QCOMPARE(b.window->CMD_Verbinding->Caption(), QStringLiteral("Zoek en verbind"));
    QCOMPARE(b.window->Label_Compoort->Caption(), QStringLiteral("-"));
    QVERIFY(b.window->CMD_TransHandling->isEnabled());
    QCOMPARE(b.services.sounds.names().last(), QStringLiteral("Verbroken.wav"));
    QCOMPARE(b.boxTitles(), QStringList{QStringLiteral("Verbinding verbroken")});
    const QString text = b.services.messages.shown.first().text;
    if (b.control) {
        QVERIFY2(text.contains(QStringLiteral("(127.0.0.1, poort %1)").arg(b.relayPort)),
                 qPrintable(text));
    }
    QVERIFY(text.contains(QLatin1String("Zoek en verbind")));

    // The screen says "off" only when the module confirmed it.
    const bool off = planRunning && reachedAgain;
    const int word =
        how == QLatin1String("refuse") || how == QLatin1String("same pass") ? 0x05 : 0x01;
    QCOMPARE(b.window->DecimaalUit(), off ? 0 : word);
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(b.window->Shape_Lampje[i]->FillColor(),
                 (b.window->DecimaalUit() >> i) & 1 ? mw::KleurLampAan : mw::KleurLampUit);
        QVERIFY(b.window->Shape_Lampje[i]->isStale());
        QVERIFY2(b.window->Shape_Lampje[i]->accessibleDescription().contains(
                     QLatin1String("niet actueel")),
                 qPrintable(b.window->Shape_Lampje[i]->accessibleDescription()));
        // Nothing reads the sensors either.
        QVERIFY(b.window->Shape_LampjeIn[i + 1]->isStale());
        QVERIFY(b.window->Shape_LampjeIn[i + 1]->accessibleDescription().contains(
            QLatin1String("niet actueel")));
    }
    // A short look from the window's side for anything late: a write that
    // reaches the module, a second box. That the loss is told once, whatever
    // comes late, is the link policy's table on a clock moved by hand.
    QTest::qWait(100);
    QCOMPARE(b.held(), off ? 0 : 0x01);
    QCOMPARE(b.services.messages.shown.size(), 1);
    if (planRunning) {
        QCOMPARE(b.stepPlan->state(), QStringLiteral("stopped"));
        QCOMPARE(b.stepPlan->message(),
                 off ? QStringLiteral("Gestopt: de verbinding met de interface is verbroken; alle "
                                      "uitgangen zijn uit.")
                     : QStringLiteral("Gestopt: de verbinding met de interface is verbroken; de "
                                      "uitgangen konden niet worden uitgezet: kijk naar de "
                                      "opstelling."));
    }

    // While lost, a press works on the screen as without a link; it stays
    // marked.
    b.window->CMD_SetReset[1]->click();
    QVERIFY(b.window->DecimaalUit() & 0x02);
    QVERIFY(b.window->Shape_Lampje[1]->isStale());

    // No reconnect by itself; the pupil's connect starts from all off.
    b.relay.mute = false;
    QCOMPARE(b.relay.silences, QString());
    const int connections = b.relay.connectionsSeen();
    QTest::qWait(50);
    QCOMPARE(b.relay.connectionsSeen(), connections);
    b.window->CMD_Verbinding->click();
    QCOMPARE(b.window->Verbonden(), -1);
    QCOMPARE(b.window->Label_Verbinding->Caption(), QStringLiteral("Verbonden"));
    QCOMPARE(b.window->DecimaalUit(), 0);
    QVERIFY(!b.window->Shape_Lampje[0]->isStale());
    QVERIFY(!b.window->Shape_LampjeIn[8]->isStale());
    if (b.control)
        QVERIFY(b.control->flush(1000));
    QCOMPARE(b.held(), 0);
}

void TestModbusLinkLoss::connectStartsAllOff_data()
{
    QTest::addColumn<int>("model");
    QTest::newRow("EasyPort D16") << 1;
    QTest::newRow("EasyPort D8A") << 2;
    QTest::newRow("EasyPort Mini") << 5;
}

void TestModbusLinkLoss::connectStartsAllOff()
{
    QFETCH(int, model);
    Bench b;
    // The relay delays each way by more than half of the shorter time-out.
    b.timeoutMs = iface::ModbusSettings().timeoutMs;
    QVERIFY(b.start(model));
    // Switched while not connected, and again while the search waits.
    b.window->CMD_SetReset[0]->click();
    b.window->CMD_SetReset[1]->click();
    b.relay.delayMs = 60;
    QTimer::singleShot(20, b.window.get(), [&b] { b.window->CMD_SetReset[3]->click(); });
    b.window->CMD_Verbinding->click();
    QCOMPARE(b.window->Verbonden(), -1);
    b.relay.delayMs = 0;

    QCOMPARE(b.window->DecimaalUit(), 0);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(b.window->Shape_Lampje[i]->FillColor(), mw::KleurLampUit);
    QVERIFY(b.control->flush(1000));
    QTest::qWait(100);
    QVERIFY(!b.module.writtenWords.isEmpty());
    for (const quint8 w : b.module.writtenWords)
        QCOMPARE(w, quint8(0)); // nothing on before the pupil's first click
    b.window->CMD_SetReset[2]->click();
    QVERIFY(b.control->flush(1000));
    QCOMPARE(b.module.writtenWords.last(), quint8(0x04));
}

// Only requests in a row without an answer count; any answer starts the
// count again. The counting itself is the link policy's table; here
// requests swallowed on a real connection count as misses, not as a loss.
void TestModbusLinkLoss::scatteredMissesKeepTheLink_data()
{
    QTest::addColumn<QString>("silences");
    // The pupil switches output 2 once this many requests have passed the
    // relay (-1: not at all); the write is then the next request.
    QTest::addColumn<int>("clickAfter");
    QTest::newRow("two misses around an answer") << "xx.xx" << -1;
    QTest::newRow("two missed reads, a good write, one missed read keeps the link") << "xx.x" << 2;
}

void TestModbusLinkLoss::scatteredMissesKeepTheLink()
{
    QFETCH(QString, silences);
    QFETCH(int, clickAfter);
    Bench b;
    QVERIFY(b.start());
    b.window->CMD_Verbinding->click();
    QVERIFY(b.control->flush(1000));
    b.relay.silences = silences;
    const int timeoutMs = b.control->settings().timeoutMs;
    if (clickAfter >= 0) {
        // The press must come before the next read, which follows within a
        // time-out: looked for after every event.
        (void)testing::waitUntil(
            [&] { return b.relay.silences.size() <= silences.size() - clickAfter; }, 5000);
        b.window->CMD_SetReset[1]->click();
    }
    TRY_COMPARE_WITH_TIMEOUT(b.relay.silences, QString(), int(silences.size()) * timeoutMs * 3);
    // Long enough for the last miss to be counted.
    QTest::qWait(timeoutMs * 2);
    QCOMPARE(b.control->linkState(), iface::ModbusModule::LinkState::Open);
    QCOMPARE(b.window->Verbonden(), -1);
    QVERIFY(b.services.messages.shown.isEmpty());
    b.window->CMD_SetReset[0]->click();
    QVERIFY(b.control->flush(1000));
    QCOMPARE(b.module.coils(), quint8(clickAfter >= 0 ? 0x03 : 0x01));
}

void TestModbusLinkLoss::refusedWriteIsTriedOnceMore_data()
{
    // Each click switches one more output on; before it the module is set to
    // refuse that many writes.
    QTest::addColumn<QList<int>>("refusals");
    QTest::addColumn<QList<int>>("written");
    QTest::newRow("one refusal") << QList<int>{1} << QList<int>{0x02, 0x02};
    // A good write makes the next word's single refusal a first one again.
    QTest::newRow("refusal, good retry, refusal")
        << QList<int>{1, 1} << QList<int>{0x02, 0x02, 0x06, 0x06};
    QTest::newRow("refusal, good write, refusal")
        << QList<int>{1, 0, 1} << QList<int>{0x02, 0x02, 0x06, 0x0E, 0x0E};
}

void TestModbusLinkLoss::refusedWriteIsTriedOnceMore()
{
    QFETCH(QList<int>, refusals);
    QFETCH(QList<int>, written);
    Bench b;
    QVERIFY(b.start());
    b.window->CMD_Verbinding->click();
    QVERIFY(b.control->flush(1000));
    b.module.writeTimes.clear();
    b.module.writtenWords.clear();
    for (int i = 0; i < refusals.size(); ++i) {
        b.module.refuseWrites = refusals[i];
        b.window->CMD_SetReset[i + 1]->click();
        QVERIFY(b.control->flush(1000));
    }
    QList<quint8> expected;
    for (const int w : written)
        expected.append(quint8(w));
    QCOMPARE(b.module.writtenWords, expected);
    // The retry comes after a pause, not straight back at the module.
    const qint64 pause = b.module.writeTimes.at(1) - b.module.writeTimes.at(0);
    QVERIFY2(pause >= b.control->settings().pollMs / 2, qPrintable(QString::number(pause)));
    QCOMPARE(b.module.coils(), expected.last());
    QCOMPARE(b.window->Verbonden(), -1);
    QVERIFY(b.services.messages.shown.isEmpty());
}

void TestModbusLinkLoss::exitLeavesModuleOff_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("moduleReachable");
    QTest::addColumn<int>("coilsAfter");
    QTest::newRow("link cut, module still there") << "cut" << true << 0;
    QTest::newRow("link cut, module gone") << "cut" << false << 0x05;
    // A deliberate "Verbreek" leaves the outputs as they are, and so does
    // the way out after it.
    QTest::newRow("Verbreek") << "verbreek" << true << 0x05;
}

void TestModbusLinkLoss::exitLeavesModuleOff()
{
    QFETCH(QString, before);
    QFETCH(bool, moduleReachable);
    QFETCH(int, coilsAfter);
    Bench b;
    QVERIFY(b.start());
    b.window->CMD_Verbinding->click();
    b.window->CMD_SetReset[0]->click();
    b.window->CMD_SetReset[2]->click();
    QVERIFY(b.control->flush(1000));
    QCOMPARE(b.module.coils(), quint8(0x05));

    if (before == QLatin1String("cut")) {
        b.relay.cut();
        TRY_COMPARE_WITH_TIMEOUT(b.window->Verbonden(), 0, 2000);
        if (!moduleReachable)
            b.relay.mute = true;
    } else {
        b.window->CMD_Verbinding->click();
        QCOMPARE(b.window->Verbonden(), 0);
    }
    b.window->CMD_Afsluiten->click();
    QCOMPARE(b.quits, 1);

    // As main() ends: the window goes, then the control.
    QElapsedTimer clock;
    clock.start();
    b.window.reset();
    b.control.reset();
    const qint64 took = clock.elapsed();
    QVERIFY2(took <= 1500, qPrintable(QString::number(took)));
    QTest::qWait(50);
    QCOMPARE(int(b.module.coils()), coilsAfter);
}

void TestModbusLinkLoss::unusableSettingsContactNothing_data()
{
    QTest::addColumn<QByteArray>("modbus");
    QTest::addColumn<QString>("named");
    QTest::newRow("port out of range") << QByteArray("host=127.0.0.1\nport=99999") << "port=99999";
    QTest::newRow("unit out of range") << QByteArray("host=127.0.0.1\nunit=300") << "unit=300";
    QTest::newRow("host with a space") << QByteArray("host=my module") << "host=my module";
    QTest::newRow("transport misspelt")
        << QByteArray("host=127.0.0.1\ntransport=tcpp") << "transport=tcpp";
    QTest::newRow("no host") << QByteArray("port=502") << "host=";
}

void TestModbusLinkLoss::unusableSettingsContactNothing()
{
    QFETCH(QByteArray, modbus);
    QFETCH(QString, named);
    testing::ServiceScope services;
    testing::WarningLog log;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Automatiseren.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[interface]\ntype=modbus\n[modbus]\n" + modbus + "\n");
    file.close();

    QSettings settings(path, QSettings::IniFormat);
    std::unique_ptr<iface::EasyPortControl> control = app::createInterface(settings);
    QVERIFY(qobject_cast<iface::ModbusModule*>(control.get()));
    Main window(control.get());
    window.CMD_Verbinding->click();

    QCOMPARE(window.Verbonden(), 0);
    QCOMPARE(services.messages.shown.size(), 1);
    const QString text = services.messages.shown.first().text;
    QVERIFY2(text.startsWith(QLatin1String("De interface is niet gevonden.")), qPrintable(text));
    QVERIFY2(text.contains(named), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("Automatiseren.ini")), qPrintable(text));
    QVERIFY(!text.contains(QLatin1String("WinXP")));
    QVERIFY(log.messages().join(QLatin1Char('\n')).contains(QLatin1String("not searched")));
}

QTEST_MAIN(TestModbusLinkLoss)
#include "tst_modbus_link_loss.moc"
