#include "lesson/lesson_check.h"
#include "lesson/lesson_file.h"
#include "lesson/sentences.h"
#include "simulation/simulated_station.h"
#include "step_plan/plan_file.h"
#include "step_plan/sequencer.h"
#include "support/manual_time.h"

#include <QSignalSpy>
#include <QtTest>

namespace
{

// A lesson from assets/Opdrachten by name, or inline JSON.
lesson::Lesson lessonFrom(const QString& source)
{
    const lesson::ReadResult read =
        source.startsWith(QLatin1Char('{'))
            ? lesson::parseLesson(source.toUtf8(), QStringLiteral("les.json"))
            : lesson::readLessonFile(QFINDTESTDATA("../../assets/Opdrachten/" + source + ".json"));
    if (!read.lesson)
        qFatal("%s", qPrintable(read.error));
    return *read.lesson;
}

// A plan from assets/Stappenplannen ("voorbeeld:" and its name), from
// tests/lesson/plans by name, or inline JSON.
plan::Plan planFrom(const QString& source)
{
    plan::ReadResult read;
    if (source.startsWith(QLatin1Char('{')))
        read = plan::parsePlan(source.toUtf8(), QStringLiteral("plan.json"));
    else if (source.startsWith(QLatin1String("voorbeeld:")))
        read = plan::readPlanFile(
            QFINDTESTDATA("../../assets/Stappenplannen/" + source.mid(10) + ".json"));
    else
        read = plan::readPlanFile(QFINDTESTDATA("plans/" + source + ".json"));
    if (!read.plan)
        qFatal("%s", qPrintable(read.error));
    return *read.plan;
}

const QString Metal = QStringLiteral("Transportband - metaal naar de glijbaan");
const QString Stack = QStringLiteral("Stapel magazijn - blijven aandrukken");
const QString Safe = QStringLiteral("Station handling - veilig bewegen");
const QString Broken = QStringLiteral("Station handling - draadbreuk");
const QString Both = QStringLiteral("Transportband en Station handling - van de band afpakken");

const QString MetalHead = QStringLiteral("Opdracht: Metaal naar de glijbaan\n"
                                         "%1 Scenario 1: Een metalen en een kunststof onderdeel\n");
const QString StackHead = QStringLiteral("Opdracht: Blijven aandrukken\n");
const QString SafeHead = QStringLiteral("Opdracht: Veilig oppakken en wegleggen\n"
                                        "%1 Scenario 1: Een keer heen en terug\n");
const QString BrokenHead = QStringLiteral("Opdracht: Draadbreuk: wacht op de sensor\n");
const QString BothHead = QStringLiteral("Opdracht: Van de band afpakken\n"
                                        "%1 Scenario 1: Een onderdeel\n");
const QString OneOk = QStringLiteral("1 van 1 scenario goed.\n");
const QString OneBad = QStringLiteral("0 van 1 scenario goed.\n");

// Two parts laid at the same moment: the second waits for the start of the belt.
const QString TwoAtOnce = QStringLiteral(
    R"({"titel": "Twee", "station": "Transportband", "tekst": [],
        "scenarios": [{"naam": "Tegelijk", "seconden": 10,
                       "onderdelen": [{"seconde": 0}, {"seconde": 0}],
                       "eisen": {"eind": 2}}]})");
const QString BeltRuns = QStringLiteral(
    R"({"station": "Transportband", "stappen": [{"zet": {"2": true}, "tot": {"seconden": 8}},
                                              {"zet": {"2": false}, "tot": {"seconden": 0.1}}]})");

} // namespace

class TestLessonCheck : public QObject
{
    Q_OBJECT

  private slots:
    void lessonsAndPlans_data();
    void lessonsAndPlans();
    void waysOut_data();
    void waysOut();
    void countSentences_data();
    void countSentences();
};

void TestLessonCheck::lessonsAndPlans_data()
{
    QTest::addColumn<QString>("lesson");
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QString>("report");

    QTest::newRow("metal: right") << Metal << "transportband-goed" << MetalHead.arg("✓") + OneOk;
    QTest::newRow("metal: the stopper stays up")
        << Metal << "transportband-stopper-blijft"
        << MetalHead.arg("✗") +
               "  Aan het eind lagen 2 onderdelen in de glijbaan; de opdracht vraagt er 1.\n" +
               OneBad;
    QTest::newRow("metal: the example stops before the second part")
        << Metal << "voorbeeld:Transportband - metaal naar de glijbaan"
        << MetalHead.arg("✗") +
               "  Aan het eind lagen 0 onderdelen achteraan op de band; de opdracht vraagt er "
               "1.\n" +
               OneBad;
    QTest::newRow("metal: a plan for another station")
        << Metal << "voorbeeld:Station handling - oppakken en wegleggen"
        << MetalHead.arg("✗") +
               "  Dit stappenplan is voor Station handling, maar de opdracht is voor "
               "Transportband.\n" +
               OneBad;
    QTest::newRow("metal: a plan without steps")
        << Metal << R"({"station": "Transportband", "stappen": []})"
        << MetalHead.arg("✗") + "  Het stappenplan heeft nog geen stappen.\n" + OneBad;

    QTest::newRow("stack: right") << Stack << "voorbeeld:Stapel magazijn - blijven aandrukken"
                                  << StackHead + "✓ Scenario 1: Vol magazijn\n"
                                                 "✓ Scenario 2: Een deksel in het magazijn\n"
                                                 "2 van 2 scenario's goed.\n";
    QTest::newRow("stack: once is not enough")
        << Stack << "voorbeeld:Stapel magazijn - deksel aandrukken"
        << StackHead + "✗ Scenario 1: Vol magazijn\n"
                       "  Aan het eind was het plan klaar; de opdracht vraagt dat het dan nog "
                       "loopt.\n"
                       "✗ Scenario 2: Een deksel in het magazijn\n"
                       "  Aan het eind was het plan klaar; de opdracht vraagt dat het dan nog "
                       "loopt.\n"
                       "0 van 2 scenario's goed.\n";
    QTest::newRow("stack: both coils of the feed valve")
        << Stack << "stapel-beide-spoelen"
        << StackHead + "✗ Scenario 1: Vol magazijn\n"
                       "  Na 3,2 s: uitgang 1 en uitgang 2 stonden tegelijk aan.\n"
                       "✗ Scenario 2: Een deksel in het magazijn\n"
                       "  Na 3,2 s: uitgang 1 en uitgang 2 stonden tegelijk aan.\n"
                       "0 van 2 scenario's goed.\n";
    QTest::newRow("stack: feeding under the lowered press")
        << Stack << "stapel-tegelijk"
        << StackHead + "✗ Scenario 1: Vol magazijn\n"
                       "  Na 0,6 s: de doorvoercilinder duwde een deksel tegen de "
                       "aandrukcilinder, die nog niet omhoog was.\n"
                       "✗ Scenario 2: Een deksel in het magazijn\n"
                       "  Na 0,6 s: de doorvoercilinder duwde een deksel tegen de "
                       "aandrukcilinder, die nog niet omhoog was.\n"
                       "0 van 2 scenario's goed.\n";

    QTest::newRow("handling: right") << Safe << "voorbeeld:Station handling - oppakken en wegleggen"
                                     << SafeHead.arg("✓") + OneOk;
    QTest::newRow("handling: sideways while going down")
        << Safe << "handling-opzij-omlaag"
        << SafeHead.arg("✗") +
               "  Na 0,4 s: de horizontale cilinder liep vast, want de grijper stond nog "
               "omlaag.\n" +
               OneBad;
    QTest::newRow("handling: the gripper stays closed")
        << Safe << "handling-grijper-blijft-dicht"
        << SafeHead.arg("✗") +
               "  Aan het eind stond uitgang 5 nog aan; de opdracht vraagt dat dan alle "
               "uitgangen uit zijn.\n" +
               OneBad;

    QTest::newRow("handling: sideways while down is refused")
        << Safe << "handling-opzij-beneden"
        << SafeHead.arg("✗") +
               "  Na 0,6 s: het plan mislukte: stap 2 geweigerd: Verplaatscilinder (uit) "
               "(uitgang 1) mag nu niet aan. De grijpercilinder is uitgeschoven.\n" +
               OneBad;

    QTest::newRow("broken wire: waits for the sensor")
        << Broken << "voorbeeld:Station handling - oppakken en wegleggen"
        << BrokenHead + "✓ Scenario 1: Zonder storing\n"
                        "✓ Scenario 2: Draadbreuk op de eindschakelaar voor\n"
                        "2 van 2 scenario's goed.\n";
    QTest::newRow("broken wire: goes on blindly on times")
        << Broken << "handling-op-tijd"
        << BrokenHead + "✓ Scenario 1: Zonder storing\n"
                        "✗ Scenario 2: Draadbreuk op de eindschakelaar voor\n"
                        "  Aan het eind was het plan klaar; de opdracht vraagt dat het mislukt "
                        "(het hoort te lang op een ingang te wachten).\n"
                        "1 van 2 scenario's goed.\n";

    QTest::newRow("both: right")
        << Both << "voorbeeld:Transportband en Station handling - van de band afpakken"
        << BothHead.arg("✓") + OneOk;
    QTest::newRow("both: let go in the air")
        << Both << "samen-te-vroeg-los"
        << BothHead.arg("✗") +
               "  Aan het eind waren 0 onderdelen afgelegd; de opdracht vraagt er 1.\n" + OneBad;
    QTest::newRow("both: sideways while down, no interlock to stop it")
        << Both << "samen-omlaag-rijden"
        << BothHead.arg("✗") +
               "  Na 6,4 s: de horizontale cilinder liep vast, want de grijper stond nog "
               "omlaag.\n" +
               OneBad;

    QTest::newRow("two parts at once: the second waits for room")
        << TwoAtOnce << BeltRuns << "Opdracht: Twee\n✓ Scenario 1: Tegelijk\n" + OneOk;
}

void TestLessonCheck::lessonsAndPlans()
{
    QFETCH(QString, lesson);
    QFETCH(QString, plan);
    QFETCH(QString, report);

    // The interface in use: the check never touches it.
    testing::SimulatedRig inUse;
    QVERIFY(inUse.port.SearchAndConnect() != 0);
    inUse.settle();
    QSignalSpy moved(&inUse.runner, &sim::StationRunner::stateChanged);

    const lesson::Lesson l = lessonFrom(lesson);
    const plan::Plan p = planFrom(plan);
    const QString first = lesson::reportText(lesson::checkPlan(l, p));
    QCOMPARE(first, report);
    // The same lesson and plan give the same report, byte for byte.
    QCOMPARE(lesson::reportText(lesson::checkPlan(l, p)).toUtf8(), first.toUtf8());
    QCOMPARE(moved.count(), 0);
    QCOMPARE(inUse.runner.station(), station::Station::Interface);
}

void TestLessonCheck::waysOut_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("plan");
    // When the pupil stops watching (ms after the start); -1: never.
    QTest::addColumn<int>("stopAtMs");
    QTest::addColumn<bool>("passed");
    QTest::addColumn<qint64>("failedAtMs");

    const QString motorOn =
        R"({"station": "Transportband", "stappen": [{"zet": {"2": true}, "tot": {"seconden": 1}}],
            "herhaal": true})";
    QTest::newRow("time is up while the plan runs")
        << R"("seconden": 3, "eisen": {"plan": "loopt"})" << motorOn << -1 << true << qint64(-1);
    QTest::newRow("the plan finished with the motor on")
        << R"("seconden": 3)"
        << R"({"station": "Transportband", "stappen": [{"zet": {"2": true}, "tot": {"seconden": 1}}]})"
        << -1 << true << qint64(-1);
    QTest::newRow("the pupil stops watching")
        << R"("seconden": 30)" << motorOn << 2500 << false << qint64(2500);
    QTest::newRow("a pair on together ends it at once")
        << R"("seconden": 30, "eisen": {"nooitSamen": [[1, 2]]})"
        << R"({"station": "Transportband", "stappen": [{"zet": {"2": true}, "tot": {"seconden": 1.5}},
                                                      {"zet": {"1": true}, "tot": {"seconden": 1}}]})"
        << -1 << false << qint64(1500);
    QTest::newRow("a failed plan ends it at once")
        << R"("seconden": 30, "eisen": {"plan": "klaar"})"
        << R"({"station": "Transportband", "stappen": [{"zet": {"2": true},
                "tot": {"ingang": 1, "aan": true}, "maxSeconden": 2}]})"
        << -1 << false << qint64(2000);
}

void TestLessonCheck::waysOut()
{
    QFETCH(QString, scenario);
    QFETCH(QString, plan);
    QFETCH(int, stopAtMs);
    QFETCH(bool, passed);
    QFETCH(qint64, failedAtMs);

    const lesson::Lesson l =
        lessonFrom(QStringLiteral(R"({"titel": "T", "station": "Transportband", "tekst": [],
                           "scenarios": [{"naam": "S", %1}]})")
                       .arg(scenario));
    const plan::Plan p = planFrom(plan);
    testing::ManualTime time;
    const std::unique_ptr<sim::SimulatedStation> station = time.newStation();
    // The run starts later than the clock's zero: its times are its own.
    time.advance(5000);
    lesson::ScenarioRun run(l, 0, *station, *time.newClock(), &p);
    QSignalSpy finished(&run, &lesson::ScenarioRun::finished);
    run.start();
    if (stopAtMs >= 0) {
        time.advance(stopAtMs);
        run.stop();
    } else {
        QVERIFY(time.advanceUntil([&] { return run.isDone(); }, 60'000));
    }
    QCOMPARE(finished.count(), 1);
    QCOMPARE(run.result().passed, passed);
    QCOMPARE(run.result().failedAtMs, failedAtMs);
    // Every way out: all outputs off, the plan no longer running.
    QCOMPARE(int(station->outputs()), 0);
    QVERIFY(!run.sequencer()->isActive());
    time.advance(5000);
    QCOMPARE(int(station->outputs()), 0);
}

// One and more, none asked, and the bounds, as the pupil reads them.
void TestLessonCheck::countSentences_data()
{
    QTest::addColumn<int>("exact"); // -1: not given
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("found");
    QTest::addColumn<QString>("sentence"); // about the slide; "-": the count holds

    const QString slide = QStringLiteral("Aan het eind %1 in de glijbaan; de opdracht vraagt %2.");
    QTest::newRow("one found, none asked")
        << 0 << -1 << -1 << 1 << slide.arg("lag 1 onderdeel", "er geen");
    QTest::newRow("at least") << -1 << 2 << -1 << 1
                              << slide.arg("lag 1 onderdeel", "er minstens 2");
    QTest::newRow("at most") << -1 << -1 << 3 << 4
                             << slide.arg("lagen 4 onderdelen", "er hoogstens 3");
    QTest::newRow("at most none") << -1 << -1 << 0 << 2
                                  << slide.arg("lagen 2 onderdelen", "er geen");
    QTest::newRow("between") << -1 << 1 << 3 << 0
                             << slide.arg("lagen 0 onderdelen", "er 1 tot en met 3");
    QTest::newRow("the bounds themselves hold") << -1 << 1 << 3 << 3 << "-";
}

void TestLessonCheck::countSentences()
{
    QFETCH(int, exact);
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, found);
    QFETCH(QString, sentence);
    const auto given = [](int v) { return v < 0 ? std::nullopt : std::optional<int>(v); };
    lesson::Requirements req;
    req.slide = {given(exact), given(min), given(max)};
    lesson::EndCounts counts;
    counts.slide = found;
    QCOMPARE(lesson::countsText(req, counts), sentence == "-" ? QString() : sentence);
}

QTEST_GUILESS_MAIN(TestLessonCheck)
#include "tst_lesson_check.moc"
