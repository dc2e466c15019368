#include "step_plan/plan_file.h"
#include "step_plan/sequencer.h"
#include "support/plan_doubles.h"

#include <QtTest>

using plan::RunState;
using plan::Sequencer;
using station::Station;
using testing::ManualClock;
using testing::RecordingPlanHost;

namespace
{

int bitsOf(const QString& list)
{
    int word = 0;
    if (list == QLatin1String("-"))
        return 0;
    for (const QString& n : list.split(QLatin1Char(',')))
        word |= 1 << (n.toInt() - 1);
    return word;
}

Station stationOf(const QString& word)
{
    if (word == QLatin1String("stapel"))
        return Station::StapelMagazijn;
    if (word == QLatin1String("band"))
        return Station::Transportband;
    if (word == QLatin1String("samen"))
        return Station::TransHandling;
    return Station::Stationhandling;
}

plan::Plan planOf(const QString& station, const QString& steps, bool repeat)
{
    const QString json = QStringLiteral(R"({"station": "%1", "stappen": [%2], "herhaal": %3})")
                             .arg(station::displayName(stationOf(station)), steps,
                                  repeat ? QStringLiteral("true") : QStringLiteral("false"));
    const plan::ReadResult r = plan::parsePlan(json.toUtf8(), QStringLiteral("test.json"));
    if (!r.plan)
        qFatal("%s", qPrintable(r.error));
    return *r.plan;
}

// A sequencer on a recording host and a hand-moved clock, driven by a
// script of events:
//   start step stop next      the window's buttons
//   in=2,4  in=-              the input word (inputs on), signalled
//   out=1,2                   outputs the pupil switched by hand (not logged)
//   t=500                     time passes (ms)
//   station=band              the pupil chooses a station in the main window
//   lose                      the link ends
//   ?running@2                the state and current step at this point
struct Rig {
    RecordingPlanHost host;
    ManualClock clock;
    Sequencer seq{host, clock};

    void run(const QString& script)
    {
        for (const QString& token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString key = token.section(QLatin1Char('='), 0, 0);
            const QString value = token.section(QLatin1Char('='), 1);
            if (token == QLatin1String("start"))
                seq.start();
            else if (token == QLatin1String("step"))
                seq.step();
            else if (token == QLatin1String("stop"))
                seq.stop();
            else if (token == QLatin1String("next"))
                seq.next();
            else if (token == QLatin1String("plc"))
                host.refusal = outputs::Refusal::OutputsDrivenElsewhere;
            else if (token == QLatin1String("gripper"))
                host.refusal = outputs::Refusal::GripperCylinderOut;
            else if (token == QLatin1String("lose"))
                host.endConnection(QStringLiteral("de verbinding met de interface is verloren."));
            else if (key == QLatin1String("in"))
                host.setInputs(bitsOf(value));
            else if (key == QLatin1String("out"))
                host.outputs = bitsOf(value);
            else if (key == QLatin1String("t"))
                clock.advance(value.toInt());
            else if (key == QLatin1String("station"))
                host.chooseStation(stationOf(value));
            else if (token.startsWith(QLatin1Char('?')))
                QCOMPARE(where(), token.mid(1));
            else
                QFAIL(qPrintable(QStringLiteral("unknown script token ") + token));
        }
    }
    QString where() const
    {
        return plan::stateName(seq.state()) + QLatin1Char('@') + QString::number(seq.currentStep());
    }
};

const char* const Front = R"({"zet": {"1": true}, "tot": {"ingang": 2, "aan": true}})";
const char* const Back =
    R"({"zet": {"1": false, "2": true}, "tot": {"ingang": 1, "aan": true}, "maxSeconden": 5})";
const char* const Half = R"({"zet": {"2": false}, "tot": {"seconden": 0.5}})";
const char* const Button = R"({"zet": {}, "tot": {"knop": true}})";

QString steps(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* s : list)
        out << QString::fromLatin1(s);
    return out.join(QLatin1Char(','));
}

} // namespace

class TestSequencer : public QObject
{
    Q_OBJECT

  private slots:
    void runs_data();
    void runs();
    void messages_data();
    void messages();
    void noWakeUpAtRest();
    void linkLostWhileSwitchingStopsAtOnce();
    void inputArrivingWhileSwitchingIsNotLost();
};

void TestSequencer::runs_data()
{
    QTest::addColumn<QString>("station");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("end");

    const QString handling = QStringLiteral("handling");
    const QString plan4 = steps({Front, Back, Half, Button});

    QTest::newRow("the documented four-step plan, start to finish")
        << handling << plan4 << false
        << "in=1,3 start ?running@1 in=2,3 ?running@2 in=1,3 ?running@3 t=499 ?running@3 "
           "t=1 ?running@4 next"
        << "1 aan, 1 uit, 2 aan, 2 uit"
        << "finished@0";
    QTest::newRow("finished keeps the outputs as the last step left them")
        << handling << steps({Front}) << false << "start in=2"
        << "1 aan"
        << "finished@0";
    QTest::newRow("off first, then on, each in number order")
        << handling
        << R"({"zet": {"5": true, "3": true, "2": false, "1": false}, "tot": {"knop": true}})"
        << false << "out=1,2 start"
        << "1 uit, 2 uit, 3 aan, 5 aan"
        << "running@1";
    QTest::newRow("outputs already right are not switched")
        << handling << R"({"zet": {"1": true, "2": false}, "tot": {"knop": true}})" << false
        << "out=1 start"
        << ""
        << "running@1";
    QTest::newRow("outputs not named keep what the pupil set")
        << handling << steps({Button, R"({"zet": {"3": true}, "tot": {"knop": true}})"}) << false
        << "start out=5 next"
        << "3 aan"
        << "running@2";
    QTest::newRow("input already on: straight to the next step")
        << handling << steps({Front, Button}) << false << "in=2 start"
        << "1 aan"
        << "running@2";
    QTest::newRow("wait for an input going off")
        << "band"
        << R"({"zet": {"2": true}, "tot": {"ingang": 2, "aan": false}})" << false
        << "in=2 start ?running@1 in=1,2 ?running@1 in=1"
        << "2 aan"
        << "finished@0";
    QTest::newRow("Volgende only counts while a step waits for it")
        << handling << steps({Front, Button}) << false
        << "start next ?running@1 in=2 ?running@2 next"
        << "1 aan"
        << "finished@0";

    QTest::newRow("time-out fails and switches all off")
        << handling << steps({Front}) << false << "start t=9999 ?running@1 t=1"
        << "1 aan, reset"
        << "failed@1";
    QTest::newRow("maxSeconden sets the time-out")
        << handling << steps({Front, Back}) << false << "start in=2 t=4999 ?running@2 t=1"
        << "1 aan, 1 uit, 2 aan, reset"
        << "failed@2";
    QTest::newRow("a time wait has no time-out")
        << handling << R"({"zet": {}, "tot": {"seconden": 60}})" << false
        << "start t=59999 ?running@1 t=1"
        << ""
        << "finished@0";
    QTest::newRow("a button wait has no time-out")
        << handling << steps({Button}) << false << "start t=600000 ?running@1 next"
        << ""
        << "finished@0";
    QTest::newRow("refused switch fails and switches all off")
        << handling << steps({Front}) << false << "in=4 start"
        << "1 aan geweigerd, reset"
        << "failed@1";
    QTest::newRow("refused half way: the switches before it happened, then all off")
        << handling << R"({"zet": {"3": false, "1": true}, "tot": {"knop": true}})" << false
        << "out=3 in=4 start"
        << "3 uit, 1 aan geweigerd, reset"
        << "failed@1";
    QTest::newRow("stack magazine: feed coil in may not drop while pressing")
        << "stapel"
        << R"({"zet": {"2": false, "3": true}, "tot": {"knop": true}})" << false
        << "out=1,2 in=1 start"
        << "2 uit geweigerd, reset"
        << "failed@1";

    QTest::newRow("Stop switches all off") << handling << steps({Front}) << false << "start stop"
                                           << "1 aan, reset"
                                           << "stopped@0";
    QTest::newRow("a station change stops the run")
        << handling << steps({Front}) << false << "start station=band"
        << "1 aan, reset"
        << "stopped@0";
    QTest::newRow("the link ending stops the run")
        << handling << steps({Front}) << false << "start lose"
        << "1 aan, reset"
        << "stopped@0";
    QTest::newRow("an end while paused switches all off too")
        << handling << steps({Front, Button}) << false << "step in=2 ?paused@2 station=stapel"
        << "1 aan, reset"
        << "stopped@0";
    QTest::newRow("Stop when nothing runs does nothing")
        << handling << steps({Front}) << false << "stop"
        << ""
        << "stopped@0";
    QTest::newRow("a time wait does not fire after Stop")
        << handling << steps({Half, Button}) << false << "start stop t=1000"
        << "reset"
        << "stopped@0";

    QTest::newRow("Stap pauses after each step")
        << handling << plan4 << false
        << "step ?running@1 in=2 ?paused@2 t=20000 ?paused@2 step ?running@2 in=1 ?paused@3 "
           "start ?running@3 t=500 ?running@4 next"
        << "1 aan, 1 uit, 2 aan, 2 uit"
        << "finished@0";
    QTest::newRow("Stap while running pauses after the step under way")
        << handling << steps({Front, Button}) << false << "start step in=2"
        << "1 aan"
        << "paused@2";
    QTest::newRow("Start again after finishing runs from step 1")
        << handling << steps({Button}) << false << "start next start"
        << ""
        << "running@1";

    QTest::newRow("herhaal goes back to step 1")
        << handling << steps({Front, Back}) << true << "start in=2 in=1 ?running@1 in=2"
        << "1 aan, 1 uit, 2 aan, 1 aan, 1 uit"
        << "running@2";
    QTest::newRow("herhaal that never waits fails instead of racing")
        << handling
        << steps({R"({"zet": {"5": true}, "tot": {"ingang": 1, "aan": true}})",
                  R"({"zet": {"5": false}, "tot": {"ingang": 1, "aan": true}})"})
        << true << "in=1 start"
        << "5 aan, 5 uit, 5 aan, reset"
        << "failed@1";

    QTest::newRow("not connected: no run, no switch")
        << handling << steps({Front}) << false << "lose start"
        << ""
        << "stopped@0";
    QTest::newRow("another station in view: no run, no switch")
        << handling << steps({Front}) << false << "station=band start"
        << ""
        << "stopped@0";
}

void TestSequencer::runs()
{
    QFETCH(QString, station);
    QFETCH(QString, steps);
    QFETCH(bool, repeat);
    QFETCH(QString, script);
    QFETCH(QString, log);
    QFETCH(QString, end);

    Rig rig;
    rig.host.current = stationOf(station);
    QVERIFY(rig.seq.setPlan(planOf(station, steps, repeat)));
    rig.run(script);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(rig.host.log.join(QStringLiteral(", ")), log);
    QCOMPARE(rig.where(), end);
    if (!rig.seq.isActive())
        QVERIFY(!rig.clock.isSet());
}

void TestSequencer::messages_data()
{
    QTest::addColumn<QString>("station");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("message");

    QTest::newRow("time-out names step, sensor and input")
        << "handling" << steps({Back, Half, Front}) << "start in=1 t=500 t=10000"
        << "Stap 3 wacht al 10 s op Eindschakelaar cil. 1 Voor (ingang 2).";
    QTest::newRow("time-out of an off-wait")
        << "band"
        << R"({"zet": {}, "tot": {"ingang": 2, "aan": false}, "maxSeconden": 2.5})"
        << "in=2 start t=2500"
        << "Stap 1 wacht al 2,5 s tot Optische sensor (ingang 2) uit is.";
    QTest::newRow("refusal names the output and the reason")
        << "handling" << steps({Front}) << "in=4 start"
        << "Stap 1 geweigerd: Verplaatscilinder (uit) (uitgang 1) mag nu niet aan. De "
           "grijpercilinder is uitgeschoven.";
    QTest::newRow("not connected") << "handling" << steps({Front}) << "lose start"
                                   << "Eerst verbinden met de interface.";
    QTest::newRow("a PLC drives the outputs") << "handling" << steps({Front}) << "plc start"
                                              << "De PLC bestuurt de uitgangen.";
    QTest::newRow("an interlock keeps the outputs")
        << "handling" << steps({Front}) << "gripper start"
        << "De grijpercilinder is uitgeschoven.";
    QTest::newRow("other station")
        << "handling" << steps({Front}) << "station=stapel start"
        << "Kies eerst het station Station handling in het hoofdvenster.";
    QTest::newRow("station change") << "handling" << steps({Front}) << "start station=band"
                                    << "Gestopt: in het hoofdvenster is een ander station gekozen.";
    QTest::newRow("lost link") << "handling" << steps({Front}) << "start lose"
                               << "Gestopt: de verbinding met de interface is verloren.";
    QTest::newRow("running shows what the step waits for")
        << "handling" << steps({Front}) << "start"
        << "Stap 1 van 1: wacht op Eindschakelaar cil. 1 Voor (ingang 2).";
    QTest::newRow("paused") << "handling" << steps({Front, Button}) << "step in=2"
                            << "Gepauzeerd voor stap 2. Druk op Stap of Start.";
}

void TestSequencer::messages()
{
    QFETCH(QString, station);
    QFETCH(QString, steps);
    QFETCH(QString, script);
    QFETCH(QString, message);

    Rig rig;
    rig.host.current = stationOf(station);
    rig.seq.setPlan(planOf(station, steps, false));
    rig.run(script);
    QCOMPARE(rig.seq.message(), message);
}

// Waiting for an input or for the pupil sets no timer but the time-out;
// at rest nothing is set at all.
void TestSequencer::noWakeUpAtRest()
{
    Rig rig;
    rig.seq.setPlan(planOf("handling", steps({Button}), false));
    QVERIFY(!rig.clock.isSet());
    rig.run("start");
    QVERIFY(!rig.clock.isSet());
    rig.run("next");
    QVERIFY(!rig.clock.isSet());
}

// "Verbreek" while a step switches: the step must not go on writing
// outputs after the reset.
void TestSequencer::linkLostWhileSwitchingStopsAtOnce()
{
    Rig rig;
    rig.host.afterSet = [&rig](int i, bool) {
        if (i == 0)
            rig.host.endConnection(QStringLiteral("de verbinding is verbroken."));
    };
    rig.seq.setPlan(
        planOf("handling", R"({"zet": {"1": true, "3": true}, "tot": {"knop": true}})", false));
    rig.run("start");
    QCOMPARE(rig.host.log.join(QStringLiteral(", ")), QStringLiteral("1 aan, reset"));
    QCOMPARE(rig.where(), QStringLiteral("stopped@0"));
    QCOMPARE(rig.host.outputs, 0);
}

// The simulated interface reports new inputs inside the write itself.
void TestSequencer::inputArrivingWhileSwitchingIsNotLost()
{
    Rig rig;
    rig.host.afterSet = [&rig](int i, bool on) {
        if (i == 0 && on)
            rig.host.setInputs(0b10);
    };
    rig.seq.setPlan(planOf("handling", steps({Front, Button}), false));
    rig.run("start");
    QCOMPARE(rig.where(), QStringLiteral("running@2"));
    QCOMPARE(rig.host.log.join(QStringLiteral(", ")), QStringLiteral("1 aan"));
}

QTEST_GUILESS_MAIN(TestSequencer)
#include "tst_sequencer.moc"
