#include "simulation/simulated_station.h"
#include "simulation/simulation.h"
#include "support/manual_time.h"
#include "support/plan_doubles.h"
#include "support/try_wait.h"

#include <QElapsedTimer>
#include <QtTest>

using sim::BeltPart;
using sim::Force;
using sim::SimulatedStation;
using sim::Simulation;
using station::Station;

Q_DECLARE_METATYPE(station::Station)

namespace
{

station::Station kindByName(const QString& name)
{
    if (name == QLatin1String("stack"))
        return station::Station::StapelMagazijn;
    if (name == QLatin1String("conveyor"))
        return station::Station::Transportband;
    if (name == QLatin1String("handling"))
        return station::Station::Stationhandling;
    if (name == QLatin1String("both"))
        return station::Station::TransHandling;
    return station::Station::Interface;
}

// A clock whose wake-up comes when the test says, however late.
class LateClock : public testing::ManualClock
{
  public:
    void fireAt(qint64 at)
    {
        now = at;
        due = -1;
        wake();
    }
};

QString partList(const Simulation& sim)
{
    if (!sim.conveyor() || sim.conveyor()->parts().isEmpty())
        return QStringLiteral("none");
    QStringList out;
    for (const BeltPart& p : sim.conveyor()->parts())
        out << QString::number(p.positionMs) + (p.metal ? QStringLiteral("m") : QString());
    return out.join(QLatin1Char(','));
}

// Runs a script of actions and checks, separated by ';':
//   out=W            write output word W (0x.. or decimal)
//   wait=MS          let MS milliseconds pass
//   station=NAME     show another station (stack, conveyor, handling, both, interface)
//   force=I:on|off|free
//   part=metal|plain / nopart=metal|plain   placing a part succeeds / is refused
//   clear=1 / noclear=1  taking the parts off the belt succeeds / is refused
//   in=W moving=0|1 feed=MS press=MS lids=N atpress=0|1 pressed=0|1
//   delivered=N parts=LIST slide=N h=MS v=MS grip=open|closed holding=0|1
//   handled=N dropped=N blocked=0|1 atend=N
//   fill=N           put N lids in the stack magazine
//   restart          the station afresh, every input free
//   dead=MASK        outputs in MASK do not work; word=W the word as given
// Returns an empty string or a description of the first failed check.
QString runScript(Simulation& sim, const QString& script)
{
    int elapsed = 0;
    const QStringList commands = script.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& raw : commands) {
        const QString cmd = raw.trimmed();
        const QString key = cmd.section(QLatin1Char('='), 0, 0);
        const QString value = cmd.section(QLatin1Char('='), 1);
        bool ok = true;
        const int number = value.toInt(&ok, 0);
        QString actual;
        QString expected = value;
        if (key == QLatin1String("out")) {
            sim.setOutputs(quint8(number));
            continue;
        } else if (key == QLatin1String("wait")) {
            sim.step(number);
            elapsed += number;
            continue;
        } else if (key == QLatin1String("station")) {
            sim.setStation(kindByName(value));
            continue;
        } else if (key == QLatin1String("fill")) {
            sim.setMagazineLids(number);
            continue;
        } else if (key == QLatin1String("restart")) {
            sim.restart();
            continue;
        } else if (key == QLatin1String("dead")) {
            sim.setDeadOutputs(quint8(number));
            continue;
        } else if (key == QLatin1String("word")) {
            actual = QStringLiteral("0x%1").arg(sim.outputs(), 2, 16, QLatin1Char('0'));
            expected = QStringLiteral("0x%1").arg(number, 2, 16, QLatin1Char('0'));
        } else if (key == QLatin1String("force")) {
            const int input = value.section(QLatin1Char(':'), 0, 0).toInt();
            const QString how = value.section(QLatin1Char(':'), 1);
            sim.setForce(input, how == QLatin1String("on")    ? Force::On
                                : how == QLatin1String("off") ? Force::Off
                                                              : Force::Free);
            continue;
        } else if (key == QLatin1String("part") || key == QLatin1String("nopart")) {
            const bool placed = sim.placePart(value == QLatin1String("metal"));
            actual = placed ? QStringLiteral("placed") : QStringLiteral("refused");
            expected =
                key == QLatin1String("part") ? QStringLiteral("placed") : QStringLiteral("refused");
        } else if (key == QLatin1String("clear") || key == QLatin1String("noclear")) {
            actual = sim.clearBelt() ? QStringLiteral("cleared") : QStringLiteral("refused");
            expected = key == QLatin1String("clear") ? QStringLiteral("cleared")
                                                     : QStringLiteral("refused");
        } else if (key == QLatin1String("in")) {
            actual = QStringLiteral("0x%1").arg(sim.inputs(), 2, 16, QLatin1Char('0'));
            expected = QStringLiteral("0x%1").arg(number, 2, 16, QLatin1Char('0'));
        } else if (key == QLatin1String("moving")) {
            actual = QString::number(sim.isMoving());
        } else if (key == QLatin1String("parts")) {
            actual = partList(sim);
        } else if (key == QLatin1String("atend")) {
            actual = QString::number(sim.conveyor()->partsAtEnd());
        } else if (key == QLatin1String("slide")) {
            actual = QString::number(sim.conveyor()->partsInSlide());
        } else if (key == QLatin1String("feed")) {
            actual = QString::number(sim.stackMagazine()->feed().positionMs());
        } else if (key == QLatin1String("press")) {
            actual = QString::number(sim.stackMagazine()->press().positionMs());
        } else if (key == QLatin1String("lids")) {
            actual = QString::number(sim.stackMagazine()->lidsInMagazine());
        } else if (key == QLatin1String("atpress")) {
            actual = QString::number(sim.stackMagazine()->hasLidAtPress());
        } else if (key == QLatin1String("pressed")) {
            actual = QString::number(sim.stackMagazine()->isLidAtPressPressed());
        } else if (key == QLatin1String("delivered")) {
            actual = QString::number(sim.stackMagazine()->deliveredLids());
        } else if (key == QLatin1String("h")) {
            actual = QString::number(sim.handling()->horizontal().positionMs());
        } else if (key == QLatin1String("v")) {
            actual = QString::number(sim.handling()->vertical().positionMs());
        } else if (key == QLatin1String("grip")) {
            actual = sim.handling()->isGripperClosed() ? QStringLiteral("closed")
                     : sim.handling()->isGripperOpen() ? QStringLiteral("open")
                                                       : QStringLiteral("between");
        } else if (key == QLatin1String("holding")) {
            actual = QString::number(sim.handling()->isHolding());
        } else if (key == QLatin1String("handled")) {
            actual = QString::number(sim.handling()->partsDelivered());
        } else if (key == QLatin1String("dropped")) {
            actual = QString::number(sim.handling()->partsDropped());
        } else if (key == QLatin1String("blocked")) {
            const bool blocked = sim.handling() ? sim.handling()->isHorizontalBlocked()
                                                : sim.stackMagazine()->isFeedBlocked();
            actual = QString::number(blocked);
        } else {
            return QStringLiteral("unknown command '%1'").arg(cmd);
        }
        if (actual != expected)
            return QStringLiteral("at %1 ms, '%2': got %3").arg(elapsed).arg(cmd, actual);
    }
    return QString();
}

} // namespace

class TestSimulation : public QObject
{
    Q_OBJECT

  private slots:
    void stations_data();
    void stations();
    void stationOfEachState_data();
    void stationOfEachState();
    void forcingOutsideRangeIsIgnored();
    void runnerStepsWhileMoving_data();
    void runnerStepsWhileMoving();
    void runnerMakesUpForALateWakeUp_data();
    void runnerMakesUpForALateWakeUp();
    void runnerAnnouncesInputsOnChange();
    void runnerOnItsOwnTimer();
};

void TestSimulation::stations_data()
{
    QTest::addColumn<QString>("station");
    QTest::addColumn<QString>("script");

    // Handling station: inputs 0 back, 1 front, 2 up, 3 down.
    QTest::newRow("handling rests back and up") << "handling"
                                                << "in=0x05; moving=0";
    QTest::newRow("handling reaches the front after 1 s")
        << "handling"
        << "out=0x01; wait=10; in=0x04; h=10; wait=979; in=0x04; h=989; wait=11; "
           "in=0x06; h=1000; moving=0";
    QTest::newRow("handling bistable keeps front with coils off")
        << "handling"
        << "out=0x01; wait=1000; out=0; wait=2000; in=0x06";
    QTest::newRow("handling both coils keep the direction: still out")
        << "handling"
        << "out=0x01; wait=500; out=0x03; wait=500; in=0x06";
    QTest::newRow("handling both coils from rest: stays back")
        << "handling"
        << "out=0x03; wait=2000; in=0x05; moving=0";
    QTest::newRow("handling back again after retract")
        << "handling"
        << "out=0x01; wait=1000; out=0x02; wait=999; in=0x04; wait=1; in=0x05";
    QTest::newRow("handling reverses mid-travel")
        << "handling"
        << "out=0x01; wait=300; out=0x02; wait=299; in=0x04; wait=1; in=0x05";
    QTest::newRow("handling vertical down after 600 ms")
        << "handling"
        << "out=0x04; wait=599; in=0x01; v=599; wait=1; in=0x09";
    QTest::newRow("handling lowered gripper holds the carriage")
        << "handling"
        << "out=0x04; wait=600; out=0x01; blocked=1; moving=0; wait=3000; in=0x09; h=0";
    QTest::newRow("handling carriage goes once the gripper is raised")
        << "handling"
        << "out=0x04; wait=600; out=0x09; wait=400; h=0; wait=200; in=0x04; "
           "wait=800; in=0x06; blocked=0";
    QTest::newRow("handling lowering during travel stops the carriage")
        << "handling"
        << "out=0x05; wait=2000; in=0x08; blocked=1; moving=0";
    QTest::newRow("handling gripper closed only while on")
        << "handling"
        << "grip=open; out=0x10; wait=199; grip=between; wait=1; grip=closed; "
           "in=0x05; out=0; wait=200; grip=open";
    QTest::newRow("handling forced off beats an end switch")
        << "handling"
        << "force=1:off; out=0x01; wait=1000; in=0x04";
    QTest::newRow("handling forcing on, off and free")
        << "handling"
        << "force=0:off; in=0x04; force=7:on; in=0x84; force=0:free; in=0x85";

    // Stack magazine: input 0 = pressing cylinder out.
    QTest::newRow("stack rests with nothing on") << "stack"
                                                 << "in=0x00; lids=6; moving=0";
    QTest::newRow("stack press switch after 500 ms")
        << "stack"
        << "out=0x04; wait=499; in=0x00; wait=1; in=0x01";
    QTest::newRow("stack press springs back when off")
        << "stack"
        << "out=0x04; wait=500; in=0x01; out=0; wait=1; in=0x00; wait=498; press=1; wait=1; "
           "press=0";
    QTest::newRow("stack feed leaves the press switch alone")
        << "stack"
        << "out=0x01; wait=800; in=0x00; feed=800";
    QTest::newRow("stack feed pushes a lid to the press")
        << "stack"
        << "out=0x01; wait=799; atpress=0; wait=1; atpress=1; lids=5; out=0x02; "
           "wait=800; lids=5; delivered=0";
    QTest::newRow("stack second lid pushes the first one off")
        << "stack"
        << "out=0x01; wait=800; out=0x02; wait=800; out=0x01; wait=800; "
           "delivered=1; atpress=1; lids=4";
    QTest::newRow("stack press marks the lid under it")
        << "stack"
        << "out=0x01; wait=800; pressed=0; out=0x06; wait=500; pressed=1; in=0x01";
    QTest::newRow("stack feed stalls against the lowered press")
        << "stack"
        << "out=0x04; wait=500; out=0x05; wait=2000; feed=480; blocked=1; moving=0; "
           "atpress=0";
    QTest::newRow("stack feed goes on when the press is up")
        << "stack"
        << "out=0x04; wait=500; out=0x05; wait=2000; out=0x01; wait=500; feed=480; "
           "wait=320; feed=800; atpress=1";
    QTest::newRow("stack magazine filled to one lid: one reaches the press, then none")
        << "stack"
        << "fill=1; lids=1; out=0x01; wait=800; atpress=1; lids=0; out=0x02; wait=800; "
           "lids=0; out=0x01; wait=800; delivered=0";
    QTest::newRow("stack empty magazine: nothing reaches the press")
        << "stack"
        << "fill=0; lids=0; out=0x01; wait=800; atpress=0; fill=9; lids=6";
    QTest::newRow("stack restart: full again, the lid at the press gone")
        << "stack"
        << "out=0x01; wait=800; out=0x02; wait=800; lids=5; atpress=1; restart; lids=6; "
           "atpress=0; in=0x00";
    QTest::newRow("stack feed both coils: keeps going out")
        << "stack"
        << "out=0x01; wait=400; out=0x03; wait=400; feed=800";
    QTest::newRow("stack feed coils released: stays out")
        << "stack"
        << "out=0x01; wait=800; out=0; wait=800; feed=800; moving=0";

    // Conveyor: inputs 0 inductive, 1 optical; outputs 0 stopper, 1 motor, 2 backward.
    QTest::newRow("conveyor optical sees a part at the start") << "conveyor"
                                                               << "in=0x00; part=plain; in=0x02";
    QTest::newRow("conveyor part leaves the optical sensor")
        << "conveyor"
        << "part=plain; out=0x02; wait=300; in=0x02; wait=1; in=0x00";
    QTest::newRow("conveyor inductive sees a metal part at its place")
        << "conveyor"
        << "part=metal; out=0x02; wait=1599; in=0x00; wait=1; in=0x01; "
           "wait=400; in=0x01; wait=1; in=0x00";
    QTest::newRow("conveyor inductive ignores a plain part")
        << "conveyor"
        << "part=plain; out=0x02; wait=1800; in=0x00; parts=1800";
    QTest::newRow("conveyor motor off: nothing moves")
        << "conveyor"
        << "part=plain; out=0x01; wait=1000; parts=0; moving=0";
    QTest::newRow("conveyor relay alone: nothing moves")
        << "conveyor"
        << "part=plain; out=0x04; wait=1000; parts=0";
    QTest::newRow("conveyor stopper sends the part into the slide")
        << "conveyor"
        << "part=metal; out=0x03; wait=2799; parts=2799m; wait=1; parts=none; "
           "slide=1";
    QTest::newRow("conveyor without stopper the part stops at the end")
        << "conveyor"
        << "part=plain; out=0x02; wait=6000; parts=4000; slide=0; moving=1";
    QTest::newRow("conveyor stopper set too late: part passes")
        << "conveyor"
        << "part=plain; out=0x02; wait=3000; out=0x03; wait=2000; parts=4000; "
           "slide=0";
    QTest::newRow("conveyor parts queue at the end")
        << "conveyor"
        << "part=plain; out=0x02; wait=500; part=metal; wait=6000; parts=3600m,4000; atend=2";
    QTest::newRow("conveyor a part on its way is not at the end")
        << "conveyor"
        << "part=plain; out=0x02; wait=500; part=metal; wait=3500; atend=1; out=0; "
           "restart; part=plain; out=0x02; wait=1000; out=0x06; wait=1000; atend=0";
    QTest::newRow("conveyor backward brings the part back to the start")
        << "conveyor"
        << "part=metal; out=0x02; wait=2000; out=0x06; wait=1699; in=0x00; "
           "wait=1; in=0x02; wait=1000; parts=0m";
    QTest::newRow("conveyor backward past the set stopper: no slide")
        << "conveyor"
        << "part=plain; out=0x02; wait=3000; out=0x07; wait=1000; parts=2000; "
           "slide=0";
    QTest::newRow("conveyor start taken refuses a part")
        << "conveyor"
        << "part=plain; nopart=metal; out=0x02; wait=399; nopart=plain; wait=1; "
           "part=plain; parts=0,400";
    // The next exercise starts from an empty belt; the bin is another place.
    QTest::newRow("conveyor cleared: belt empty, bin kept, start free again")
        << "conveyor"
        << "part=metal; out=0x03; wait=2800; slide=1; out=0x02; part=plain; wait=500; "
           "part=metal; clear=1; parts=none; slide=1; in=0x00; part=metal; parts=0m";

    // Conveyor and handling together: handling shifted by three.
    QTest::newRow("both rest word") << "both"
                                    << "in=0x28";
    QTest::newRow("both handling front through output 3") << "both"
                                                          << "out=0x08; wait=1000; in=0x30";
    QTest::newRow("both handling down through output 5") << "both"
                                                         << "out=0x20; wait=600; in=0x48";
    QTest::newRow("both conveyor on outputs 0-2, inputs 0-1")
        << "both"
        << "part=metal; in=0x2a; out=0x02; wait=1800; in=0x29";
    QTest::newRow("both gripper takes the part off the belt end and puts it down")
        << "both"
        << "part=plain; out=0x02; wait=4000; parts=4000; out=0x08; wait=1000; "
           "out=0x20; wait=600; in=0x50; out=0xa0; wait=200; holding=1; parts=none; "
           "out=0xc0; wait=600; out=0xd0; wait=1000; in=0x28; out=0xa0; wait=600; "
           "out=0x20; wait=200; holding=0; handled=1; dropped=0";
    QTest::newRow("both part let go in the air falls")
        << "both"
        << "part=plain; out=0x02; wait=4000; out=0x08; wait=1000; out=0x20; wait=600; "
           "out=0xa0; wait=200; "
           "out=0xc0; wait=600; out=0x40; wait=200; holding=0; dropped=1; parts=none";
    QTest::newRow("both gripper closing with no part holds nothing")
        << "both"
        << "out=0x28; wait=1000; out=0xa0; wait=800; holding=0";

    // No station: the inputs follow only the forcing.
    QTest::newRow("interface ignores outputs")
        << "interface"
        << "out=0xff; wait=2000; in=0x00; moving=0; nopart=metal";
    QTest::newRow("interface shows forced inputs")
        << "interface"
        << "force=3:on; force=6:on; in=0x48; force=3:free; in=0x40";

    // Changing station.
    QTest::newRow("station change starts the new station at rest")
        << "handling"
        << "out=0x01; wait=1000; in=0x06; station=stack; out=0; in=0x00; "
           "station=handling; in=0x05";
    QTest::newRow("station change applies the present outputs")
        << "handling"
        << "out=0x04; station=stack; wait=500; in=0x01";
    QTest::newRow("same station again keeps its state")
        << "handling"
        << "out=0x01; wait=1000; station=handling; in=0x06";
    QTest::newRow("forcing survives a station change")
        << "handling"
        << "force=6:on; station=stack; in=0x40; station=interface; in=0x40";
    QTest::newRow("restart clears the belt and every forced input")
        << "conveyor"
        << "part=plain; force=0:on; force=5:off; in=0x03; restart; parts=none; in=0x00; "
           "force=5:on; in=0x20";
    // An output that does not work: its lamp shows the word, nothing moves.
    QTest::newRow("dead output: the carriage stays back, the word as given")
        << "handling"
        << "dead=0x01; out=0x01; wait=1000; in=0x05; moving=0; word=0x01; dead=0; wait=1000; "
           "in=0x06";
    QTest::newRow("dead output set while on: the press springs back")
        << "stack"
        << "out=0x04; wait=500; in=0x01; dead=0x04; wait=500; in=0x00; word=0x04";
    QTest::newRow("dead output survives a restart and a station change")
        << "conveyor"
        << "dead=0x02; restart; part=plain; out=0x02; wait=3000; parts=0; station=both; "
           "station=conveyor; part=plain; out=0x02; wait=3000; parts=0";
    QTest::newRow("to interface view and back")
        << "conveyor"
        << "part=plain; station=interface; in=0x00; station=conveyor; "
           "parts=none; in=0x00";
}

void TestSimulation::stations()
{
    QFETCH(QString, station);
    QFETCH(QString, script);
    Simulation sim;
    sim.setStation(kindByName(station));
    const QString failure = runScript(sim, script);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestSimulation::stationOfEachState_data()
{
    QTest::addColumn<station::Station>("state");
    QTest::addColumn<station::Station>("simulated");
    using S = station::Station;
    QTest::newRow("stack") << S::StapelMagazijn << S::StapelMagazijn;
    QTest::newRow("conveyor") << S::Transportband << S::Transportband;
    QTest::newRow("handling") << S::Stationhandling << S::Stationhandling;
    QTest::newRow("both") << S::TransHandling << S::TransHandling;
    QTest::newRow("interface") << S::Interface << S::Interface;
    QTest::newRow("window at start") << S::Start << S::Interface;
}

void TestSimulation::stationOfEachState()
{
    QFETCH(station::Station, state);
    QFETCH(station::Station, simulated);
    Simulation sim;
    sim.setStation(station::Station::Stationhandling);
    sim.setStation(state);
    QCOMPARE(sim.station(), simulated);
}

void TestSimulation::forcingOutsideRangeIsIgnored()
{
    Simulation sim;
    sim.setForce(-1, Force::On);
    sim.setForce(8, Force::On);
    QCOMPARE(sim.inputs(), quint8(0));
    QCOMPARE(sim.force(8), Force::Free);
}

void TestSimulation::runnerStepsWhileMoving_data()
{
    QTest::addColumn<QString>("station");
    QTest::addColumn<int>("outputs");
    QTest::addColumn<int>("afterMs");
    QTest::addColumn<int>("inputs");
    QTest::addColumn<bool>("running");

    QTest::newRow("at rest nothing runs") << "handling" << 0 << 0 << 0x05 << false;
    QTest::newRow("one tick: the carriage has left") << "handling" << 1 << 20 << 0x04 << true;
    QTest::newRow("a tick short of the front") << "handling" << 1 << 980 << 0x04 << true;
    QTest::newRow("at the front it comes to rest") << "handling" << 1 << 1000 << 0x06 << false;
    QTest::newRow("the belt runs on") << "conveyor" << 2 << 5000 << 0x00 << true;
    QTest::newRow("the bare interface never runs") << "interface" << 0xff << 100 << 0 << false;
}

// The station is stepped on its clock every TickMs while something moves,
// and the clock is left alone once it is at rest.
void TestSimulation::runnerStepsWhileMoving()
{
    QFETCH(QString, station);
    QFETCH(int, outputs);
    QFETCH(int, afterMs);
    QFETCH(int, inputs);
    QFETCH(bool, running);

    testing::ManualTime time;
    const std::unique_ptr<SimulatedStation> runner = time.newStation();
    runner->setStation(kindByName(station));
    runner->setOutputs(quint8(outputs));
    time.advance(afterMs);
    QCOMPARE(int(runner->inputs()), inputs);
    QCOMPARE(runner->isRunning(), running);
}

void TestSimulation::runnerMakesUpForALateWakeUp_data()
{
    QTest::addColumn<int>("wakeAtMs");
    QTest::addColumn<int>("partAtMs");

    // The belt starts at 1000 ms.
    QTest::newRow("on time") << 1020 << 20;
    QTest::newRow("late") << 1700 << 700;
    // After a suspended machine: at most a second at once.
    QTest::newRow("very late") << 60'000 << 1000;
    // A clock that went back steps nothing.
    QTest::newRow("before it was set") << 950 << 0;
}

void TestSimulation::runnerMakesUpForALateWakeUp()
{
    QFETCH(int, wakeAtMs);
    QFETCH(int, partAtMs);

    LateClock clock;
    SimulatedStation runner(&clock);
    runner.setStation(station::Station::Transportband);
    QVERIFY(runner.placePart(true));
    clock.now = 1000;
    runner.setOutputs(0x02); // belt on
    QCOMPARE(clock.due, 1000 + SimulatedStation::TickMs);
    clock.fireAt(wakeAtMs);
    QCOMPARE(runner.simulation().conveyor()->parts().first().positionMs, partAtMs);
    QVERIFY(runner.isRunning());
}

// Every change is announced for redrawing; the input word only when it
// changed, and after the redraw.
void TestSimulation::runnerAnnouncesInputsOnChange()
{
    testing::ManualTime time;
    const std::unique_ptr<SimulatedStation> runner = time.newStation();
    QStringList heard;
    connect(runner.get(), &sim::StationRunner::stateChanged, this, [&] { heard << "state"; });
    connect(runner.get(), &sim::StationRunner::inputsChanged, this,
            [&](quint8 word) { heard << QString::number(word, 16); });

    runner->setStation(station::Station::Stationhandling);
    runner->setStation(station::Station::Stationhandling); // the same: nothing
    runner->setInputForce(3, Force::On);
    runner->setInputForce(3, Force::On);  // no change: nothing
    runner->setInputForce(0, Force::On);  // on by the station already
    runner->setInputForce(-1, Force::On); // not an input
    QCOMPARE(heard, QStringList({"state", "5", "state", "d", "state"}));

    heard.clear();
    runner->setOutputs(0x04); // gripper down: the up switch goes off at once
    time.advance(SimulatedStation::TickMs);
    QCOMPARE(heard, QStringList({"state", "state", "9"}));
    QVERIFY(!runner->refillMagazine());
    QVERIFY(!runner->placePart(true));
    QVERIFY(!runner->clearBelt());
    QCOMPARE(heard.size(), 3);
}

// The program's runner: a timer of its own, in real time, stopped at rest.
void TestSimulation::runnerOnItsOwnTimer()
{
    SimulatedStation runner;
    runner.setStation(station::Station::Stationhandling);
    QVERIFY(!runner.isRunning());
    QElapsedTimer clock;
    clock.start();
    runner.setOutputs(0x01); // carriage to the front
    QVERIFY(runner.isRunning());
    TRY_VERIFY_WITH_TIMEOUT(!runner.isRunning(), 3000);
    QVERIFY2(clock.elapsed() >= 900, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(int(runner.inputs()), 0x06);
}

QTEST_GUILESS_MAIN(TestSimulation)
#include "tst_simulation.moc"
