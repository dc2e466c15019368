#include "interface_link/simulated_interface.h"
#include "step_plan/plan_file.h"
#include "step_plan/simulated_host.h"
#include "step_plan/step_plan_window.h"
#include "support/manual_time.h"
#include "support/plan_doubles.h"
#include "support/program_fixture.h"

#include <QAbstractButton>
#include <QDir>
#include <QtTest>

using iface::SimulatedInterface;
using plan::SimulatedHost;
using plan::StepPlanWindow;

namespace
{

// The station as it starts, connected, with the plan loaded through the
// window's programmatic contract. The station and the plan run on time the
// test moves; sounds and boxes are recorded.
struct SimRig {
    testing::ServiceScope services;
    testing::SimulatedRig sim;
    SimulatedInterface& port = sim.port;
    SimulatedHost host{port};
    StepPlanWindow window{host, sim.time.newClock()};

    bool prepare(const QString& path)
    {
        const plan::ReadResult read = plan::readPlanFile(path);
        if (!read.plan)
            return false;
        host.chooseStation(read.plan->station);
        if (!host.connectLink())
            return false;
        // The first input report comes queued after the connect.
        sim.settle();
        bool loaded = false;
        QMetaObject::invokeMethod(&window, "load", Q_RETURN_ARG(bool, loaded),
                                  Q_ARG(QString, path));
        return loaded;
    }
    QString state() const { return window.property("state").toString(); }
    int step() const { return window.property("currentStep").toInt(); }
};

// The main window's button that chooses `s`.
QString stationButton(station::Station s)
{
    switch (s) {
    case station::Station::StapelMagazijn:
        return QStringLiteral("CMD_StapelMagazijn");
    case station::Station::Transportband:
        return QStringLiteral("CMD_Transportband");
    case station::Station::Stationhandling:
        return QStringLiteral("CMD_Stationhandling");
    case station::Station::TransHandling:
        return QStringLiteral("CMD_TransHandling");
    default:
        return QStringLiteral("CMD_Interfacing");
    }
}

} // namespace

class TestStepPlanExamples : public QObject
{
    Q_OBJECT

  private slots:
    void runsThroughTheMainWindow_data();
    void runsThroughTheMainWindow();
    void brokenSensorTimesOut();
    void disconnectSwitchesOffBeforeTheLinkCloses();
    void stationChangeStopsTheSimulatedRun();
};

void TestStepPlanExamples::runsThroughTheMainWindow_data()
{
    QTest::addColumn<QString>("path");
    const QDir folder(testing::examplePlanFolder());
    const QStringList names = folder.entryList({QStringLiteral("*.json")}, QDir::Files);
    QVERIFY(names.size() >= 4);
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << folder.filePath(name);
}

// Every example runs to "finished" through the main window on the simulated
// interface with its default settings (a repeating one goes once round),
// with no refusal and no time-out: the pupil chooses the plan's station,
// connects, and the station stays in view. Where a step waits for the
// pupil, the test does what its note asks: it lays a metal part on the belt.
void TestStepPlanExamples::runsThroughTheMainWindow()
{
    QFETCH(QString, path);
    testing::ManualTime time;
    testing::ProgramFixture program(false, &time);
    const plan::ReadResult read = plan::readPlanFile(path);
    QVERIFY(read.plan);
    const QString button = stationButton(read.plan->station);
    QVERIFY(program.control<QAbstractButton>(button)->isEnabled());
    program.click(button);
    program.click(QStringLiteral("CMD_Verbinding"));
    QCOMPARE(program.main->Verbonden(), -1);
    QCOMPARE(program.main->stationState().current(), read.plan->station);
    QVERIFY(program.control<QAbstractButton>(button)->isEnabled());
    // The first input report comes queued after the connect.
    time.advance(0);
    plan::StepPlanWindow& window = *program.stepPlan;
    QVERIFY(window.load(path));
    const plan::Plan& p = window.plan();
    const int last = int(p.steps.size());
    QStringList written;
    QObject::connect(&program.simulated(), &sim::StationRunner::stateChanged, &window, [&] {
        const QString word = QString::number(program.simulated().outputs(), 2);
        if (written.isEmpty() || written.last() != word)
            written.append(word);
    });

    const qint64 started = time.now;
    QVERIFY2(window.start(), qPrintable(window.message()));
    bool wentRound = false;
    bool reachedLast = false;
    bool refused = false;
    while (time.now - started < 40'000) {
        refused = refused || window.message().contains(QStringLiteral("geweigerd"));
        if (window.sequencer().waitsForPupil()) {
            program.simulated().placePart(true);
            window.next();
        }
        reachedLast = reachedLast || window.currentStep() == last;
        if (p.repeat && reachedLast && window.currentStep() == 1) {
            wentRound = true;
            window.stop();
        }
        if (window.state() != QLatin1String("running"))
            break;
        time.advance(sim::SimulatedStation::TickMs);
    }
    qInfo().noquote() << QFileInfo(path).fileName() << "ran" << time.now - started
                      << "ms; outputs:" << written.join(QStringLiteral(", "));
    QVERIFY2(!refused, qPrintable(window.message()));
    QVERIFY(program.services.messages.shown.isEmpty());
    if (p.repeat) {
        QVERIFY2(wentRound, qPrintable(window.message()));
        QCOMPARE(window.state(), QStringLiteral("stopped"));
        QCOMPARE(program.simulated().outputs(), quint8(0));
        QCOMPARE(program.main->DecimaalUit(), 0);
        return;
    }
    QVERIFY2(window.state() == QLatin1String("finished"), qPrintable(window.message()));
    QCOMPARE(window.currentStep(), 0);
    // The screen shows what the station holds.
    QCOMPARE(program.main->DecimaalUit(), int(program.simulated().outputs()));

    // What each exercise is about really happened on the station.
    const sim::Simulation& sim = program.simulated().simulation();
    if (const sim::StackMagazine* s = sim.stackMagazine()) {
        QVERIFY(s->hasLidAtPress());
        QVERIFY(s->isLidAtPressPressed());
    }
    if (sim.conveyor() && !sim.handling()) {
        const bool slide = path.contains(QStringLiteral("glijbaan"));
        QCOMPARE(sim.conveyor()->partsInSlide(), slide ? 1 : 0);
        QCOMPARE(sim.conveyor()->parts().size(), slide ? 0 : 1);
    }
    if (sim.conveyor() && sim.handling()) {
        QCOMPARE(sim.handling()->partsDelivered(), 1);
        QCOMPARE(sim.handling()->partsDropped(), 0);
    }
}

// A sensor forced to "draadbreuk" shows up as a time-out naming it, and the
// station is switched off.
void TestStepPlanExamples::brokenSensorTimesOut()
{
    SimRig rig;
    QVERIFY(rig.prepare(testing::examplePlanFolder() +
                        QStringLiteral("/Station handling - oppakken en wegleggen.json")));
    plan::Plan p = rig.window.plan();
    p.steps[0].timeoutMs = 1500; // the carriage needs 1 s
    QVERIFY(rig.window.setPlan(p));
    rig.sim.runner.setInputForce(1, sim::Force::Off);
    QVERIFY(rig.window.start());
    QVERIFY(
        rig.sim.time.advanceUntil([&] { return rig.state() == QLatin1String("failed"); }, 5000));
    QCOMPARE(rig.step(), 1);
    QCOMPARE(rig.window.message(),
             QStringLiteral("Stap 1 wacht al 1,5 s op Eindschakelaar cil. 1 Voor (ingang 2)."));
    QCOMPARE(rig.sim.runner.outputs(), quint8(0));
}

void TestStepPlanExamples::disconnectSwitchesOffBeforeTheLinkCloses()
{
    SimRig rig;
    QVERIFY(rig.prepare(testing::examplePlanFolder() +
                        QStringLiteral("/Station handling - oppakken en wegleggen.json")));
    QStringList logWhenClosed;
    QObject::connect(&rig.port, &SimulatedInterface::connectionChanged, &rig.window, [&](bool up) {
        if (!up)
            logWhenClosed = rig.host.log;
    });
    QVERIFY(rig.window.start());
    QCOMPARE(rig.sim.runner.outputs(), quint8(0b1));
    rig.host.disconnectLink();
    QCOMPARE(rig.state(), QStringLiteral("stopped"));
    QCOMPARE(logWhenClosed, QStringList({"1 aan", "reset"}));
    QCOMPARE(rig.window.message(), QStringLiteral("Gestopt: de verbinding is verbroken."));
    // Start now says why it cannot run.
    QVERIFY(!rig.window.start());
    QCOMPARE(rig.window.message(), QStringLiteral("Eerst verbinden met de interface."));
}

void TestStepPlanExamples::stationChangeStopsTheSimulatedRun()
{
    SimRig rig;
    QVERIFY(rig.prepare(testing::examplePlanFolder() +
                        QStringLiteral("/Station handling - oppakken en wegleggen.json")));
    QVERIFY(rig.window.start());
    rig.sim.time.advance(300);
    rig.host.chooseStation(station::Station::StapelMagazijn);
    QCOMPARE(rig.state(), QStringLiteral("stopped"));
    QCOMPARE(rig.host.log.last(), QStringLiteral("reset"));
    QCOMPARE(rig.sim.runner.outputs(), quint8(0));
    QVERIFY(!rig.window.start());
    QCOMPARE(rig.window.message(),
             QStringLiteral("Kies eerst het station Station handling in het hoofdvenster."));
}

QTEST_MAIN(TestStepPlanExamples)
#include "tst_step_plan_examples.moc"
