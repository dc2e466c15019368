#include "interface_link/simulated_interface.h"
#include "main_window/main.h"
#include "main_window/station_buttons.h"
#include "outputs/output_panel.h"
#include "step_plan/plan_file.h"
#include "step_plan/step_plan_window.h"
#include "support/manual_time.h"
#include "support/plan_doubles.h"
#include "support/program_fixture.h"
#include "virtual_station/scene_controls.h"
#include "virtual_station/virtual_station_window.h"

#include <QAbstractButton>
#include <QDir>
#include <QtTest>

using iface::SimulatedInterface;
using plan::StepPlanWindow;

namespace
{

// The program as it starts, the plan's station chosen and connected in the
// main window, the plan loaded in its Stappenplan window. The station and
// the plan run on time the test moves; sounds and boxes are recorded.
struct SimRig {
    testing::ManualTime time;
    testing::ProgramFixture program{false, &time};
    StepPlanWindow& window = *program.stepPlan;
    sim::StationRunner& runner = program.simulated();

    bool prepare(const QString& path)
    {
        const plan::ReadResult read = plan::readPlanFile(path);
        if (!read.plan)
            return false;
        program.click(program.main->stationButtons().button(read.plan->station)->objectName());
        program.click(QStringLiteral("CMD_Verbinding"));
        if (program.main->Verbonden() != -1)
            return false;
        // The first input report comes queued after the connect.
        time.advance(0);
        bool loaded = false;
        QMetaObject::invokeMethod(&window, "load", Q_RETURN_ARG(bool, loaded),
                                  Q_ARG(QString, path));
        return loaded;
    }
    QString state() const { return window.property("state").toString(); }
    int step() const { return window.property("currentStep").toInt(); }
};

QStringList exampleNames()
{
    return QDir(testing::examplePlanFolder()).entryList({QStringLiteral("*.json")}, QDir::Files);
}

// Presses a button of "Virtuele opstelling" as the pupil does; false when
// the station in view has no such button.
bool pressSceneButton(virt::VirtualStationWindow& station, const QString& text)
{
    for (virt::SceneControl* c : station.sceneControls()) {
        if (c->text() == text) {
            c->click();
            return true;
        }
    }
    return false;
}

// What the pupil does when a step waits for "Volgende": what its note asks.
void followNote(virt::VirtualStationWindow& station, const QString& note)
{
    if (note.contains(QStringLiteral("Band leegmaken")))
        pressSceneButton(station, QStringLiteral("Band leegmaken"));
    if (note.contains(QStringLiteral("METALEN")))
        pressSceneButton(station, QStringLiteral("Metalen bakje"));
    else if (note.contains(QStringLiteral("bakje")))
        pressSceneButton(station, QStringLiteral("Kunststof bakje"));
}

// Runs the example at `path` as a pupil does on the program as it is: the
// plan's station, connected, the plan loaded and started, each pupil's step
// done as its note says. Empty when it ran through and did on the station
// what it is about; else what went wrong.
QString runExample(testing::ProgramFixture& program, testing::ManualTime& time, const QString& path)
{
    const plan::ReadResult read = plan::readPlanFile(path);
    if (!read.plan)
        return QStringLiteral("unreadable");
    const QString button = program.main->stationButtons().button(read.plan->station)->objectName();
    if (!program.control<QAbstractButton>(button)->isEnabled())
        return button + QStringLiteral(" disabled");
    program.click(button);
    // Nothing here looks at the scene; painting it for every 20 ms step was
    // nine tenths of the run. (The scene's painting has its own tests.)
    program.station->setUpdatesEnabled(false);
    if (program.main->Verbonden() != -1)
        program.click(QStringLiteral("CMD_Verbinding"));
    if (program.main->Verbonden() != -1)
        return QStringLiteral("not connected");
    if (program.main->stationState().current() != read.plan->station)
        return QStringLiteral("station not in view");
    // The first input report comes queued after the connect.
    time.advance(0);
    plan::StepPlanWindow& window = *program.stepPlan;
    if (!window.load(path))
        return QStringLiteral("not loaded: ") + window.message();
    const plan::Plan& p = window.plan();
    const int last = int(p.steps.size());
    const sim::Simulation& sim = program.simulated().simulation();
    // Read before the start: "Magazijn vullen" when the magazine is empty.
    if (sim.stackMagazine() && sim.stackMagazine()->lidsInMagazine() == 0 &&
        p.steps.first().note.contains(QStringLiteral("Magazijn vullen")))
        pressSceneButton(*program.station, QStringLiteral("Magazijn vullen"));
    const int slideBefore = sim.conveyor() ? sim.conveyor()->partsInSlide() : 0;
    const int deliveredBefore = sim.handling() ? sim.handling()->partsDelivered() : 0;
    const int droppedBefore = sim.handling() ? sim.handling()->partsDropped() : 0;
    const qsizetype boxesBefore = program.services.messages.shown.size();
    QStringList written;
    const QMetaObject::Connection watch =
        QObject::connect(&program.simulated(), &sim::StationRunner::stateChanged, &window, [&] {
            const QString word = QString::number(program.simulated().outputs(), 2);
            if (written.isEmpty() || written.last() != word)
                written.append(word);
        });

    const qint64 started = time.now;
    if (!window.start())
        return QStringLiteral("not started: ") + window.message();
    bool wentRound = false;
    bool reachedLast = false;
    bool refused = false;
    while (time.now - started < 40'000) {
        refused = refused || window.message().contains(QStringLiteral("geweigerd"));
        if (window.sequencer().waitsForPupil()) {
            followNote(*program.station, p.steps[window.currentStep() - 1].note);
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
    QObject::disconnect(watch);
    qInfo().noquote() << QFileInfo(path).fileName() << "ran" << time.now - started
                      << "ms; outputs:" << written.join(QStringLiteral(", "));
    if (refused)
        return window.message();
    if (program.services.messages.shown.size() != boxesBefore)
        return QStringLiteral("a box: ") + program.services.messages.shown.last().text;
    if (p.repeat) {
        if (!wentRound)
            return QStringLiteral("not once round: ") + window.message();
        if (window.state() != QLatin1String("stopped") || program.simulated().outputs() != 0 ||
            program.main->DecimaalUit() != 0)
            return QStringLiteral("not stopped with every output off");
        return {};
    }
    if (window.state() != QLatin1String("finished") || window.currentStep() != 0)
        return QStringLiteral("not finished: ") + window.message();
    // The screen shows what the station holds.
    if (program.main->DecimaalUit() != int(program.simulated().outputs()))
        return QStringLiteral("the screen shows other outputs");

    // What each exercise is about really happened on the station.
    if (const sim::StackMagazine* s = sim.stackMagazine()) {
        if (!s->hasLidAtPress() || !s->isLidAtPressPressed())
            return QStringLiteral("no lid pressed");
    }
    if (sim.conveyor() && !sim.handling()) {
        const bool slide = path.contains(QStringLiteral("glijbaan"));
        if (sim.conveyor()->partsInSlide() - slideBefore != (slide ? 1 : 0) ||
            sim.conveyor()->parts().size() != (slide ? 0 : 1))
            return QStringLiteral("parts in the slide or on the belt other than the exercise");
    }
    if (sim.conveyor() && sim.handling()) {
        if (sim.handling()->partsDelivered() - deliveredBefore != 1 ||
            sim.handling()->partsDropped() != droppedBefore)
            return QStringLiteral("the part was not put down at the back");
    }
    return {};
}

} // namespace

class TestStepPlanExamples : public QObject
{
    Q_OBJECT

  private slots:
    void runsThroughTheMainWindow_data();
    void runsThroughTheMainWindow();
    void runOneAfterAnother_data();
    void runOneAfterAnother();
    void brokenSensorTimesOut();
    void disconnectSwitchesOffBeforeTheLinkCloses();
    void stationChangeStopsTheSimulatedRun();
};

void TestStepPlanExamples::runsThroughTheMainWindow_data()
{
    QTest::addColumn<QString>("path");
    const QStringList names = exampleNames();
    QVERIFY(names.size() >= 4);
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << testing::examplePlanFolder() + QLatin1Char('/') + name;
}

// Every example runs to "finished" through the main window on the simulated
// interface with its default settings (a repeating one goes once round),
// with no refusal and no time-out: the pupil chooses the plan's station,
// connects, and the station stays in view. Where a step waits for the
// pupil, the test does what its note asks in "Virtuele opstelling".
void TestStepPlanExamples::runsThroughTheMainWindow()
{
    QFETCH(QString, path);
    testing::ManualTime time;
    testing::ProgramFixture program(false, &time);
    const QString failure = runExample(program, time, path);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestStepPlanExamples::runOneAfterAnother_data()
{
    QTest::addColumn<QStringList>("order");
    const QStringList names = exampleNames();
    QStringList reversed(names.crbegin(), names.crend());
    QStringList twice;
    for (const QString& name : names)
        twice << name << name;
    QTest::newRow("as listed") << names;
    QTest::newRow("the other way round") << reversed;
    // An example must also be able to follow itself.
    QTest::newRow("each twice") << twice;
}

// A class runs the examples one after another on one station, in any
// order: none may leave the station in a state the next cannot start from.
void TestStepPlanExamples::runOneAfterAnother()
{
    QFETCH(QStringList, order);
    testing::ManualTime time;
    testing::ProgramFixture program(false, &time);
    for (const QString& name : order) {
        const QString failure =
            runExample(program, time, testing::examplePlanFolder() + QLatin1Char('/') + name);
        QVERIFY2(failure.isEmpty(), qPrintable(name + QStringLiteral(": ") + failure));
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
    rig.runner.setInputForce(1, sim::Force::Off);
    QVERIFY(rig.window.start());
    QVERIFY(rig.time.advanceUntil([&] { return rig.state() == QLatin1String("failed"); }, 5000));
    QCOMPARE(rig.step(), 1);
    QCOMPARE(rig.window.message(),
             QStringLiteral("Stap 1 wacht al 1,5 s op Eindschakelaar cil. 1 Voor (ingang 2)."));
    QCOMPARE(rig.runner.outputs(), quint8(0));
}

void TestStepPlanExamples::disconnectSwitchesOffBeforeTheLinkCloses()
{
    SimRig rig;
    QVERIFY(rig.prepare(testing::examplePlanFolder() +
                        QStringLiteral("/Station handling - oppakken en wegleggen.json")));
    // The output words the window switched, in order, until the link closed.
    QList<int> words;
    QList<int> wordsWhenClosed;
    QObject::connect(&rig.program.main->outputPanel().outputSwitch(),
                     &outputs::OutputSwitch::wordChanged, &rig.window,
                     [&](int word) { words << word; });
    QObject::connect(&rig.program.port, &SimulatedInterface::connectionChanged, &rig.window,
                     [&](bool up) {
                         if (!up)
                             wordsWhenClosed = words;
                     });
    QVERIFY(rig.window.start());
    QCOMPARE(rig.runner.outputs(), quint8(0b1));
    rig.program.click(QStringLiteral("CMD_Verbinding"));
    QCOMPARE(rig.state(), QStringLiteral("stopped"));
    QCOMPARE(wordsWhenClosed, QList<int>({0b1, 0}));
    QCOMPARE(rig.window.message(),
             QStringLiteral("Gestopt: de verbinding is verbroken met \"Verbreek\"."));
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
    rig.time.advance(300);
    QSignalSpy planReset(&rig.program.main->outputPanel(), &OutputPanel::emergencyReset);
    rig.program.click(QStringLiteral("CMD_StapelMagazijn"));
    QCOMPARE(rig.state(), QStringLiteral("stopped"));
    QCOMPARE(planReset.size(), 1);
    QCOMPARE(rig.runner.outputs(), quint8(0));
    QVERIFY(!rig.window.start());
    QCOMPARE(rig.window.message(),
             QStringLiteral("Kies eerst het station Station handling in het hoofdvenster."));
}

QTEST_MAIN(TestStepPlanExamples)
#include "tst_step_plan_examples.moc"
