#include "app/program.h"
#include "interface_link/simulated_interface.h"
#include "lesson/live_check.h"
#include "main_window/main.h"
#include "plc/plc_interface.h"
#include "plc/plc_server.h"
#include "step_plan/lesson_pane.h"
#include "step_plan/step_plan_window.h"
#include "support/manual_time.h"
#include "support/modbus_peers.h"
#include "support/test_support.h"
#include "support/try_wait.h"
#include "support/warning_log.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QLabel>
#include <QModbusReply>
#include <QModbusTcpClient>
#include <QTimer>
#include <QtTest>

namespace
{

// A school PLC on loopback: each scan reads the inputs and writes all eight
// coils from what its program makes of them.
class StandInPlc
{
  public:
    // "belt": motor on, the stopper from a metal part seen until the next
    // part lies at the start; "motor": the motor only; "reads": never writes.
    StandInPlc(int port, const QString& program) : m_program(program)
    {
        m_client.setConnectionParameter(QModbusDevice::NetworkAddressParameter,
                                        QStringLiteral("127.0.0.1"));
        m_client.setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
        m_client.connectDevice();
        TRY_VERIFY(m_client.state() == QModbusDevice::ConnectedState);
    }

    void scan()
    {
        std::unique_ptr<QModbusReply> read(
            m_client.sendReadRequest({QModbusDataUnit::DiscreteInputs, 0, 9}, 1));
        if (!answered(read.get()))
            return;
        const QModbusDataUnit in = read->result();
        if (m_program == QLatin1String("reads"))
            return;
        const bool metal = in.value(0) != 0;
        const bool atStart = in.value(1) != 0;
        if (m_program == QLatin1String("belt"))
            m_stopper = (m_stopper || metal) && !atStart;
        QModbusDataUnit coils(QModbusDataUnit::Coils, 0, 8);
        coils.setValue(0, m_stopper ? 1 : 0);
        coils.setValue(1, 1);
        std::unique_ptr<QModbusReply> write(m_client.sendWriteRequest(coils, 1));
        answered(write.get());
    }
    void close() { m_client.disconnectDevice(); }

  private:
    // One loopback round trip.
    static bool answered(QModbusReply* reply)
    {
        if (!reply)
            return false;
        if (!reply->isFinished()) {
            QEventLoop loop;
            QObject::connect(reply, &QModbusReply::finished, &loop, &QEventLoop::quit);
            QTimer::singleShot(2000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return reply->isFinished() && reply->error() == QModbusDevice::NoError;
    }

    QModbusTcpClient m_client;
    QString m_program;
    bool m_stopper = false;
};

lesson::Lesson beltLesson()
{
    lesson::Lesson l;
    l.title = QStringLiteral("Metaal naar de glijbaan");
    l.station = station::Station::Transportband;
    lesson::Scenario metal;
    metal.name = QStringLiteral("Metaal");
    metal.seconds = 8;
    metal.parts = {{0, true}};
    metal.req.slide.exact = 1;
    lesson::Scenario plastic;
    plastic.name = QStringLiteral("Kunststof");
    plastic.seconds = 8;
    plastic.parts = {{0, false}};
    // A short circuit on the unused input 8: the check must free it again.
    plastic.faults = {{8, sim::Force::On, 0}};
    plastic.req.beltEnd.exact = 1;
    plastic.req.slide.exact = 0;
    l.scenarios = {metal, plastic};
    return l;
}

} // namespace

class TestLiveCheck : public QObject
{
    Q_OBJECT

  private slots:
    void checkWithPlc_data();
    void checkWithPlc();
    void paneButton_data();
    void paneButton();
};

void TestLiveCheck::checkWithPlc_data()
{
    QTest::addColumn<QString>("program"); // the stand-in PLC's (see StandInPlc)
    // "silent@MS" the PLC stops, "close@MS" it disconnects, "noodstop@MS",
    // "station@MS" another station chosen; MS from the check's start.
    // "handling": the station in view at the start is Station handling.
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("report");

    const QString header = QStringLiteral("Live gecontroleerd met de PLC op 127.0.0.1.\n"
                                          "Opdracht: Metaal naar de glijbaan\n");
    QTest::newRow("a right program passes")
        << "belt"
        << ""
        << header + "✓ Scenario 1: Metaal\n✓ Scenario 2: Kunststof\n2 van 2 scenario's goed.\n";
    QTest::newRow("a wrong program fails with the sentence")
        << "motor"
        << ""
        << header + "✗ Scenario 1: Metaal\n  Aan het eind lagen 0 onderdelen in de glijbaan; de "
                    "opdracht vraagt er 1.\n✓ Scenario 2: Kunststof\n"
                    "1 van 2 scenario's goed.\n";
    QTest::newRow("no PLC drives: nothing runs")
        << "reads"
        << ""
        << "Opdracht: Metaal naar de glijbaan\nEr bestuurt geen PLC de uitgangen; er is niets "
           "gecontroleerd.\n";
    QTest::newRow("another station in view: nothing runs")
        << "belt"
        << "handling"
        << "Opdracht: Metaal naar de glijbaan\nDe opdracht is voor Transportband: kies dat "
           "station in het hoofdvenster. Er is niets gecontroleerd.\n";
    QTest::newRow("the PLC falls silent: stopped, said, never passed")
        << "belt"
        << "silent@3000"
        << header + "✗ Scenario 1: Metaal\n  Na 3,9 s: de PLC op 127.0.0.1 bestuurt de uitgangen "
                    "niet meer; de controle is gestopt.\n– Scenario 2: niet gespeeld\n"
                    "0 van 2 scenario's goed.\n";
    QTest::newRow("the PLC disconnects in the second scenario")
        << "belt"
        << "close@10000"
        << header + "✓ Scenario 1: Metaal\n✗ Scenario 2: Kunststof\n  Na 2 s: de PLC op 127.0.0.1 "
                    "bestuurt de uitgangen niet meer; de controle is gestopt.\n"
                    "1 van 2 scenario's goed.\n";
    QTest::newRow("Noodstop stops it")
        << "belt"
        << "noodstop@2000"
        << header + "✗ Scenario 1: Metaal\n  Na 2 s: de Noodstop houdt alle uitgangen uit; de "
                    "controle is gestopt.\n– Scenario 2: niet gespeeld\n0 van 2 scenario's goed.\n";
    QTest::newRow("another station chosen stops it")
        << "belt"
        << "station@1000"
        << header + "✗ Scenario 1: Metaal\n  Na 1 s: er is een ander station gekozen; de controle "
                    "is gestopt.\n– Scenario 2: niet gespeeld\n0 van 2 scenario's goed.\n";
}

void TestLiveCheck::checkWithPlc()
{
    QFETCH(QString, program);
    QFETCH(QString, event);
    QFETCH(QString, report);

    testing::WarningLog log;
    testing::ManualTime time;
    plc::PlcSettings settings;
    settings.port = testing::freeTcpPort();
    plc::PlcInterface port(settings, {}, time.newClock(), time.newStation());
    sim::StationRunner& runner = *port.stationRunner();
    // Every output word the station shows that is not the one the server
    // applied: a write that did not come from the PLC.
    QList<quint8> foreign;
    connect(&runner, &sim::StationRunner::stateChanged, this, [&] {
        if (runner.outputs() != port.server().ownership().outputs())
            foreign.append(runner.outputs());
    });
    runner.setStation(event == QLatin1String("handling") ? station::Station::Stationhandling
                                                         : station::Station::Transportband);
    QCOMPARE(port.SearchAndConnect(), qint16(1));
    StandInPlc plc(settings.port, program);
    plc.scan();
    // A part the pupil laid: gone only when the check played a scenario.
    runner.placePart(false);

    const QString kind = event.section(QLatin1Char('@'), 0, 0);
    const qint64 at = event.section(QLatin1Char('@'), 1, 1).toLongLong();
    lesson::LiveCheck check(beltLesson(), runner, port.drivenElsewhere(), *time.newClock());
    const qint64 start = time.now;
    check.start();
    bool plcRuns = true;
    bool happened = false;
    while (!check.isDone() && time.now - start < 30000) {
        if (!happened && at > 0 && time.now - start >= at) {
            happened = true;
            if (kind == QLatin1String("silent")) {
                plcRuns = false;
            } else if (kind == QLatin1String("close")) {
                plcRuns = false;
                plc.close();
            } else if (kind == QLatin1String("noodstop")) {
                port.WriteOutputs(0);
                port.drivenElsewhere().emergencyStop();
            } else if (kind == QLatin1String("station")) {
                runner.setStation(station::Station::StapelMagazijn);
            }
        }
        if (plcRuns)
            plc.scan();
        time.advance(40);
    }
    QVERIFY(check.isDone());
    QCOMPARE(lesson::liveReportText(check.report()), report);
    // The check wrote no output: every word the station got came from the server.
    QCOMPARE(foreign, QList<quint8>{});
    // Every fault the check set is gone.
    for (int i = 0; i < 8; ++i)
        QCOMPARE(runner.inputForce(i), sim::Force::Free);
    const bool ran = check.report().notRun.isEmpty();
    const sim::Conveyor* belt = runner.simulation().conveyor();
    if (belt)
        QCOMPARE(belt->parts().size(), ran ? 0 : 1);
}

void TestLiveCheck::paneButton_data()
{
    QTest::addColumn<QString>("interface"); // "plc" or "simulated"
    QTest::addColumn<bool>("shown");
    // After 3 s of the check, and after the pupil stopped it.
    QTest::addColumn<QString>("progress");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("program"); // the stand-in PLC's
    // Results the window hands on for the class: a check that judged
    // nothing is no attempt.
    QTest::addColumn<int>("sent");

    QTest::newRow("the simulated interface: no button") << "simulated" << false << ""
                                                        << ""
                                                        << "" << 0;
    QTest::newRow("a PLC station: runs, shows how far, stops")
        << "plc" << true << "Scenario 1 van 2 loopt… 3 s"
        << "Live met de PLC op 127.0.0.1: 0 van 2 goed."
        << "belt" << 1;
    QTest::newRow("a PLC station no PLC drives: nothing to send")
        << "plc" << true << ""
        << "Er bestuurt geen PLC de uitgangen; er is niets gecontroleerd."
        << "reads" << 0;
}

void TestLiveCheck::paneButton()
{
    QFETCH(QString, interface);
    QFETCH(bool, shown);
    QFETCH(QString, progress);
    QFETCH(QString, summary);
    QFETCH(QString, program);
    QFETCH(int, sent);

    testing::ServiceScope services;
    testing::ManualTime time;
    plc::PlcSettings settings;
    settings.port = testing::freeTcpPort();
    std::unique_ptr<iface::EasyPortControl> port;
    if (interface == QLatin1String("plc"))
        port = std::make_unique<plc::PlcInterface>(settings, iface::SimulatedSettings{},
                                                   time.newClock(), time.newStation());
    else
        port = std::make_unique<iface::SimulatedInterface>(iface::SimulatedSettings{},
                                                           time.newStation());
    app::Program app(*port, {}, time.newClock());
    app.window().findChild<QAbstractButton*>("CMD_Verbinding")->click();
    app.window().findChild<QAbstractButton*>("CMD_Transportband")->click();
    app.stepPlan().open();
    auto* pane = app.stepPlan().findChild<plan::LessonPane*>();
    QVERIFY(pane);
    QSignalSpy results(&app.stepPlan(), &plan::StepPlanWindow::lessonCheckedLive);
    pane->setReplayClocks([&time] { return time.newClock(); });
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("band.json")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"titel": "Band", "station": "Transportband", "tekst": [],
        "scenarios": [{"naam": "Metaal", "seconden": 8, "eisen": {"glijbaan": 1}},
                      {"naam": "Kunststof", "seconden": 8, "eisen": {"eind": 1}}]})");
    file.close();
    QVERIFY(pane->openLesson(file.fileName()));
    auto* button = pane->findChild<QAbstractButton*>(QStringLiteral("CMD_ControleerPLC"));
    QVERIFY(button);
    QCOMPARE(!button->isHidden(), shown);
    if (!shown)
        return;

    StandInPlc plc(settings.port, program);
    plc.scan();
    button->click();
    auto* label = pane->findChild<QLabel*>(QStringLiteral("ControleUitslag"));
    if (progress.isEmpty()) {
        QVERIFY(!pane->isCheckingLive());
        QCOMPARE(label->text(), summary);
        QCOMPARE(results.size(), sent);
        return;
    }
    QVERIFY(pane->isCheckingLive());
    for (int ms = 0; ms < 3000; ms += 40) {
        plc.scan();
        time.advance(40);
    }
    QCOMPARE(label->text(), progress);
    QCOMPARE(results.size(), 0);
    QCOMPARE(button->property("Caption").toString(), QStringLiteral("Stop de controle"));
    QVERIFY(!pane->findChild<QAbstractButton*>(QStringLiteral("CMD_Controleer"))->isEnabled());
    // The same button stops it.
    button->click();
    time.advance(0);
    QVERIFY(!pane->isCheckingLive());
    QCOMPARE(label->text(), summary);
    QVERIFY(pane->liveReport());
    QVERIFY(pane->liveReport()->report.scenarios.value(0).sentence.contains("gestopt"));
    // A stopped check is an attempt too: the rest counts as not passed.
    QCOMPARE(results.size(), sent);
    QCOMPARE(results[0][0].value<lesson::Lesson>().title, QStringLiteral("Band"));
    QCOMPARE(results[0][1].value<lesson::LiveReport>().scenarioCount, 2);
}

QTEST_MAIN(TestLiveCheck)
#include "tst_live_check.moc"
