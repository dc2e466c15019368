#include "app/program.h"
#include "interface_link/simulated_interface.h"
#include "lesson/lesson_file.h"
#include "main_window/main.h"
#include "outputs/output_panel.h"
#include "simulation/station_runner.h"
#include "step_plan/lesson_pane.h"
#include "step_plan/lesson_replay.h"
#include "step_plan/step_plan_window.h"
#include "support/manual_time.h"
#include "support/plan_doubles.h"
#include "support/program_fixture.h"
#include "support/test_support.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTableWidget>
#include <QTextBrowser>
#include <QtTest>

using plan::LessonPane;
using plan::StepPlanWindow;

namespace
{

// A lesson for the stack magazine: the feed cylinder's two coils are never
// on together, and the plan ends with everything off.
const QByteArray Lesson = R"({"titel": "Deksel doorvoeren",
 "station": "Stapel magazijn",
 "tekst": ["Schuif een deksel door en druk het aan.", "De twee spoelen nooit samen aan."],
 "startplan": {"station": "Stapel magazijn",
               "stappen": [{"zet": {"1": true}, "tot": {"seconden": 1}}]},
 "scenarios": [
   {"naam": "Volle stapel", "seconden": 8,
    "eisen": {"nooitSamen": [[1, 2]], "uitgangenUit": true, "plan": "klaar"}},
   {"naam": "Drie deksels", "seconden": 8, "magazijn": 3,
    "eisen": {"nooitSamen": [[1, 2]], "uitgangenUit": true, "plan": "klaar"}}]})";

const QByteArray Right = R"({"station": "Stapel magazijn", "stappen": [
    {"zet": {"1": true}, "tot": {"seconden": 1}},
    {"zet": {"1": false, "2": true}, "tot": {"seconden": 1}},
    {"zet": {"2": false}, "tot": {"seconden": 0.5}}]})";

// Coil 2 goes on while coil 1 still is, after a second.
const QByteArray Wrong = R"({"station": "Stapel magazijn", "stappen": [
    {"zet": {"1": true}, "tot": {"seconden": 1}},
    {"zet": {"2": true}, "tot": {"seconden": 1}},
    {"zet": {"1": false, "2": false}, "tot": {"seconden": 0.5}}]})";

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QByteArray shipped(const QString& name)
{
    QFile f(testing::lessonFolder() + QLatin1Char('/') + name);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

template <typename T = QWidget> T* child(const QWidget& w, const QString& name)
{
    T* c = w.findChild<T*>(name);
    if (!c)
        qWarning() << "no child" << name;
    return c;
}

bool enabled(const QWidget& w, const QString& name)
{
    const QWidget* c = child(w, name);
    return c && c->isEnabled();
}

// The marks of the report table, "✓✗".
QString marks(const QWidget& w)
{
    auto* t = child<QTableWidget>(w, QStringLiteral("Controletabel"));
    QString s;
    for (int r = 0; r < t->rowCount(); ++r)
        s += t->item(r, 0)->text();
    return s;
}

} // namespace

class TestLessonPane : public QObject
{
    Q_OBJECT

  private slots:
    void openingALesson_data();
    void openingALesson();
    void checking_data();
    void checking();
    void checkLeavesTheInterfaceInUseAlone();
    void replayStopsWhereItFails_data();
    void replayStopsWhereItFails();
    void noodstopWhileWatching_data();
    void noodstopWhileWatching();
    void faultFinding_data();
    void faultFinding();
};

// The lesson's start plan takes the place of an empty plan nobody changed;
// a plan of the pupil's own stays. A refused file is named in a box.
void TestLessonPane::openingALesson_data()
{
    QTest::addColumn<QByteArray>("before"); // a plan file opened first; empty: none
    QTest::addColumn<QByteArray>("lesson");
    QTest::addColumn<bool>("startPlanTaken");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("textLine"); // a line of the lesson's text
    const QString coils = QStringLiteral("De twee spoelen nooit samen aan.");
    QTest::newRow("empty plan") << QByteArray() << Lesson << true << QString() << coils;
    QTest::newRow("own steps") << Right << Lesson << false << QString() << coils;
    const QByteArray metal =
        shipped(QStringLiteral("Transportband - metaal naar de glijbaan.json"));
    const QString slide = QStringLiteral("Metalen onderdelen gaan de glijbaan in.");
    QTest::newRow("shipped, empty plan") << QByteArray() << metal << true << QString() << slide;
    QTest::newRow("shipped, own steps") << Right << metal << false << QString() << slide;
    QTest::newRow("damaged lesson") << QByteArray() << QByteArray("{\"titel\": ") << false
                                    << QStringLiteral("Kan \"les.json\" niet openen") << QString();
}

void TestLessonPane::openingALesson()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, lesson);
    QFETCH(bool, startPlanTaken);
    QFETCH(QString, box);
    QFETCH(QString, textLine);
    QVERIFY(!lesson.isEmpty());
    testing::ServiceScope services(false);
    testing::PlanFilesScope folders;
    testing::RecordingPlanHost host;
    StepPlanWindow w(host);
    w.show();
    // The layout shows the window's parts once events run.
    QCoreApplication::processEvents();
    QTemporaryDir dir;
    if (!before.isEmpty())
        QVERIFY(w.load(writeFile(dir, QStringLiteral("eigen.json"), before)));
    const plan::Plan own = w.plan();
    services.dialogs.answer = writeFile(dir, QStringLiteral("les.json"), lesson);
    child<QAbstractButton>(w, QStringLiteral("CMD_OpdrachtOpenen"))->click();
    QCOMPARE(services.dialogs.asked,
             QStringList{QStringLiteral("open ") + plan::planFiles().lessonsFolder()});

    auto* pane = child<LessonPane>(w, QStringLiteral("FrameOpdracht"));
    QCOMPARE(pane->isVisible(), box.isEmpty());
    QCOMPARE(services.messages.shown.size(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty()) {
        QVERIFY2(services.messages.shown[0].text.startsWith(box),
                 qPrintable(services.messages.shown[0].text));
        QVERIFY(w.plan() == own);
        QVERIFY(!enabled(w, QStringLiteral("CMD_Controleer")));
        return;
    }
    QVERIFY(
        child<QTextBrowser>(w, QStringLiteral("OpdrachtTekst"))->toPlainText().contains(textLine));
    QVERIFY(enabled(w, QStringLiteral("CMD_Controleer")));
    const auto* note = child<QLabel>(w, QStringLiteral("OpdrachtStartplan"));
    if (startPlanTaken) {
        QVERIFY(w.plan() == *pane->currentLesson()->startPlan);
        // Nothing of the pupil's yet: leaving it asks nothing.
        QVERIFY(!w.isModified());
        QVERIFY(note->isHidden());
    } else {
        QVERIFY(w.plan() == own);
        QVERIFY(!note->isHidden());
        QVERIFY(note->text().startsWith(QStringLiteral("Het startplan van de opdracht is niet")));
    }
}

// "Controleer" checks the plan in the editor, only while no plan runs;
// every scenario gets its row, read as "goed" or "fout".
void TestLessonPane::checking_data()
{
    QTest::addColumn<bool>("lessonOpen");
    QTest::addColumn<QByteArray>("planBytes");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("expectedMarks"); // empty: Controleer is off
    QTest::addColumn<QString>("sentence");      // of the first row
    QTest::addColumn<bool>("editAfter");        // a step added after the check
    QTest::addColumn<QString>("summary");
    QTest::newRow("no lesson") << false << Right << false << QString() << QString() << false
                               << QString();
    QTest::newRow("plan runs") << true << Right << true << QString() << QString() << false
                               << QString();
    QTest::newRow("right plan") << true << Right << false << QStringLiteral("✓✓") << QString()
                                << false << QStringLiteral("Alle 2 goed.");
    QTest::newRow("wrong plan") << true << Wrong << false << QStringLiteral("✗✗")
                                << QStringLiteral("Na 1 s: uitgang 1 en uitgang 2 stonden "
                                                  "tegelijk aan.")
                                << false << QStringLiteral("0 van 2 goed.");
    QTest::newRow("changed after the check")
        << true << Right << false << QStringLiteral("✓✓") << QString() << true
        << QStringLiteral("Alle 2 goed. Je plan is daarna veranderd: controleer opnieuw.");
}

void TestLessonPane::checking()
{
    QFETCH(bool, lessonOpen);
    QFETCH(QByteArray, planBytes);
    QFETCH(bool, running);
    QFETCH(QString, expectedMarks);
    QFETCH(QString, sentence);
    QFETCH(bool, editAfter);
    QFETCH(QString, summary);
    testing::ServiceScope services(false);
    testing::RecordingPlanHost host;
    host.current = station::Station::StapelMagazijn;
    testing::ManualClock clock;
    StepPlanWindow w(host, &clock);
    w.show();
    QTemporaryDir dir;
    QVERIFY(w.load(writeFile(dir, QStringLiteral("plan.json"), planBytes)));
    auto* pane = child<LessonPane>(w, QStringLiteral("FrameOpdracht"));
    if (lessonOpen)
        QVERIFY(pane->openLesson(writeFile(dir, QStringLiteral("les.json"), Lesson)));
    if (running)
        QVERIFY(w.start());
    QCOMPARE(enabled(w, QStringLiteral("CMD_Controleer")), !expectedMarks.isEmpty());
    if (expectedMarks.isEmpty()) {
        QVERIFY(!pane->check());
        return;
    }
    QVERIFY(!enabled(w, QStringLiteral("CMD_Bekijk")));
    child<QAbstractButton>(w, QStringLiteral("CMD_Controleer"))->click();
    QCOMPARE(marks(w), expectedMarks);
    auto* table = child<QTableWidget>(w, QStringLiteral("Controletabel"));
    QCOMPARE(table->item(0, 0)->data(Qt::AccessibleTextRole).toString(),
             expectedMarks.startsWith(QStringLiteral("✓")) ? QStringLiteral("goed")
                                                           : QStringLiteral("fout"));
    QCOMPARE(table->item(0, 1)->text().section(QLatin1Char('\n'), 1), sentence);
    QVERIFY(enabled(w, QStringLiteral("CMD_Bekijk")));
    if (editAfter)
        child<QAbstractButton>(w, QStringLiteral("CMD_Toevoegen"))->click();
    QCOMPARE(child<QLabel>(w, QStringLiteral("ControleUitslag"))->text(), summary);
    QCOMPARE(host.log, QStringList());
}

// The check plays on stations of its own: the connected simulated station,
// with a cylinder out, neither moves nor hears a word.
void TestLessonPane::checkLeavesTheInterfaceInUseAlone()
{
    testing::ManualTime time;
    testing::ProgramFixture fx(false, &time);
    sim::StationRunner& runner = fx.simulated();
    fx.click(QStringLiteral("CMD_StapelMagazijn"));
    fx.click(QStringLiteral("CMD_Verbinding"));
    time.advance(0);
    QCOMPARE(fx.planHost->setOutput(2, true), outputs::Refusal::None);
    QVERIFY(time.advanceUntil([&] { return !runner.isRunning(); }, 5000));
    StepPlanWindow& w = *fx.stepPlan;
    w.show();
    QTemporaryDir dir;
    QVERIFY(w.load(writeFile(dir, QStringLiteral("plan.json"), Wrong)));
    auto* pane = child<LessonPane>(w, QStringLiteral("FrameOpdracht"));
    QVERIFY(pane->openLesson(writeFile(dir, QStringLiteral("les.json"), Lesson)));
    const quint8 inputs = runner.inputs();
    QSignalSpy moves(&runner, &sim::StationRunner::stateChanged);
    QSignalSpy words(&fx.port, &iface::EasyPortControl::InputsChanged);
    QSignalSpy switched(&fx.main->outputPanel().outputSwitch(), &outputs::OutputSwitch::switched);
    QVERIFY(pane->check());
    QCOMPARE(marks(w), QStringLiteral("✗✗"));
    time.advance(2000);
    QCOMPARE(moves.size(), 0);
    QCOMPARE(words.size(), 0);
    QCOMPARE(runner.outputs(), quint8(0b100));
    QCOMPARE(runner.inputs(), inputs);
    QCOMPARE(switched.size(), 0);
    QCOMPARE(fx.main->DecimaalUit(), 0b100);
}

// "Bekijk" replays the checked scenario on time the test moves; the
// picture stands still at the moment it failed, outputs as they were then.
void TestLessonPane::replayStopsWhereItFails_data()
{
    QTest::addColumn<QByteArray>("planBytes");
    QTest::addColumn<qint64>("frozenMs");
    QTest::addColumn<int>("shownOutputs");
    QTest::addColumn<QString>("stepLine");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<bool>("closePlanWindow"); // else the replay's own "Sluiten"
    QTest::newRow("fails") << Wrong << qint64(1000) << 0b11
                           << QStringLiteral("Stap 2 van 3 · 1,0 s van 8 s")
                           << QStringLiteral("✗ Na 1 s: uitgang 1 en uitgang 2 stonden "
                                             "tegelijk aan.")
                           << false;
    QTest::newRow("passes") << Right << qint64(8000) << 0
                            << QStringLiteral("Plan klaar · 8,0 s van 8 s")
                            << QStringLiteral("✓ Dit scenario gaat goed.") << true;
}

void TestLessonPane::replayStopsWhereItFails()
{
    QFETCH(QByteArray, planBytes);
    QFETCH(qint64, frozenMs);
    QFETCH(int, shownOutputs);
    QFETCH(QString, stepLine);
    QFETCH(QString, outcome);
    QFETCH(bool, closePlanWindow);
    testing::ServiceScope services(false);
    testing::ManualTime time;
    testing::RecordingPlanHost host;
    StepPlanWindow w(host);
    w.show();
    QTemporaryDir dir;
    QVERIFY(w.load(writeFile(dir, QStringLiteral("plan.json"), planBytes)));
    auto* pane = child<LessonPane>(w, QStringLiteral("FrameOpdracht"));
    pane->setReplayClocks([&time] { return time.newClock(); });
    QVERIFY(pane->openLesson(writeFile(dir, QStringLiteral("les.json"), Lesson)));
    QVERIFY(pane->check());
    child<QTableWidget>(w, QStringLiteral("Controletabel"))->setCurrentCell(0, 0);
    child<QAbstractButton>(w, QStringLiteral("CMD_Bekijk"))->click();
    QPointer<plan::LessonReplay> replay = pane->replay();
    QVERIFY(replay && replay->isVisible());
    QVERIFY(time.advanceUntil([&] { return replay->isDone(); }, 10'000));
    time.advance(3000);
    QCOMPARE(replay->shownMs(), frozenMs);
    QCOMPARE(int(replay->shownSignals().outputs), shownOutputs);
    QCOMPARE(child<QLabel>(*replay, QStringLiteral("BekijkStap"))->text(), stepLine);
    QCOMPARE(child<QLabel>(*replay, QStringLiteral("BekijkUitslag"))->text(), outcome);
    QCOMPARE(host.log, QStringList());
    // "Opnieuw" plays it from the start again; closing it or the window ends it.
    child<QAbstractButton>(*replay, QStringLiteral("CMD_Opnieuw"))->click();
    QVERIFY(!replay->isDone());
    QCOMPARE(replay->shownMs(), 0);
    QVERIFY(time.advanceUntil([&] { return replay->isDone(); }, 10'000));
    QCOMPARE(replay->shownMs(), frozenMs);
    if (closePlanWindow)
        w.close();
    else
        child<QAbstractButton>(*replay, QStringLiteral("CMD_Sluiten"))->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!replay);
    time.advance(10'000);
}

// The replay is a plain window: the Noodstop takes its click and Esc acts
// while it is open and in front.
void TestLessonPane::noodstopWhileWatching_data()
{
    QTest::addColumn<bool>("byKey");
    // The teacher froze the class: checking, watching and Noodstop still work.
    QTest::addColumn<bool>("frozen");
    QTest::newRow("mouse") << false << false;
    QTest::newRow("Esc") << true << false;
    QTest::newRow("mouse, frozen") << false << true;
    QTest::newRow("Esc, frozen") << true << true;
}

void TestLessonPane::noodstopWhileWatching()
{
    QFETCH(bool, byKey);
    QFETCH(bool, frozen);
    testing::ManualTime time;
    testing::ProgramFixture fx(false, &time);
    fx.main->show();
    fx.click(QStringLiteral("CMD_Verbinding"));
    fx.click(QStringLiteral("CMD_Transportband"));
    fx.click(QStringLiteral("CMD_SetReset(1)"));
    time.advance(0);
    QCOMPARE(int(fx.simulated().outputs()), 0b10);
    fx.stepPlan->show();
    QTemporaryDir dir;
    auto* pane = child<LessonPane>(*fx.stepPlan, QStringLiteral("FrameOpdracht"));
    pane->setReplayClocks([&time] { return time.newClock(); });
    QVERIFY(pane->openLesson(writeFile(dir, QStringLiteral("les.json"), Lesson)));
    fx.stepPlan->setFrozen(frozen);
    QVERIFY(pane->check());
    QVERIFY(pane->watch(0));
    plan::LessonReplay* replay = pane->replay();
    QVERIFY(QTest::qWaitForWindowExposed(replay));
    replay->activateWindow();
    if (byKey) {
        QTest::keyClick(replay->windowHandle(), Qt::Key_Escape);
    } else {
        QWidget* stop = fx.control<QWidget>(QStringLiteral("CMD_ResetAlles"));
        QTest::mouseClick(fx.main->windowHandle(), Qt::LeftButton, {},
                          stop->mapTo(fx.main, stop->rect().center()));
    }
    time.advance(0);
    QCOMPARE(int(fx.simulated().outputs()), 0);
    QCOMPARE(fx.main->DecimaalUit(), 0);
}

// A fault-finding lesson on the handling station: its fault reaches the
// station unseen, only the right answer lifts it, and a real module cannot
// have an output that does not work.
void TestLessonPane::faultFinding_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("module");
    QTest::addColumn<int>("shownIn"); // after output 1 was on for a second
    QTest::addColumn<QString>("found");

    // At rest back and up (inputs 1 and 3); output 1 moves the carriage
    // to the front (input 2).
    QTest::newRow("a cylinder that does not work")
        << R"({"uitgang": 1, "soort": "werkt niet"})" << false << 0x05
        << "Goed gevonden: uitgang 1 (Verplaatscilinder (uit)) werkt niet.";
    QTest::newRow("a broken wire")
        << R"({"ingang": 2, "soort": "draadbreuk"})" << false << 0x04
        << "Goed gevonden: ingang 2 (Eindschakelaar cil. 1 Voor) heeft een draadbreuk.";
    QTest::newRow("an output on a real module")
        << R"({"uitgang": 1, "soort": "werkt niet"})" << true << 0 << QString();
    // The teacher's one fault (input 3 broken) stands in for the lesson's.
    QTest::newRow("the teacher's fault")
        << R"({"ingang": 2, "soort": "draadbreuk"})" << false << 0x04
        << "Goed gevonden: ingang 3 (Eindschakelaar cil. 2 Boven) heeft een draadbreuk.";
}

void TestLessonPane::faultFinding()
{
    QFETCH(QString, fault);
    QFETCH(bool, module);
    QFETCH(int, shownIn);
    QFETCH(QString, found);
    const QByteArray json = QStringLiteral(R"({"titel": "Zoek", "station": "Station handling",
        "tekst": ["Zoek de storing."], "soort": "storing zoeken", "storing": %1})")
                                .arg(fault)
                                .toUtf8();
    const lesson::ReadResult read = lesson::parseLesson(json, QStringLiteral("les.json"));
    QVERIFY2(read.lesson, qPrintable(read.error));
    if (module) {
        testing::ServiceScope services(false);
        testing::RecordingEasyPort port;
        app::Program program(port);
        QCOMPARE(program.stepPlan().openLesson(*read.lesson),
                 QStringLiteral("De opdracht \"Zoek\" kan hier niet: Een uitgang die niet werkt "
                                "kan alleen op het gesimuleerde station: op een echte module zou "
                                "de cilinder of motor toch bewegen."));
        return;
    }
    testing::ManualTime time;
    testing::ProgramFixture fx(false, &time);
    fx.click(QStringLiteral("CMD_Verbinding"));
    fx.click(QStringLiteral("CMD_Stationhandling"));
    QCOMPARE(fx.stepPlan->openLesson(*read.lesson), QString());
    auto* pane = child<LessonPane>(*fx.stepPlan, QStringLiteral("FrameOpdracht"));
    QVERIFY(child(*fx.stepPlan, QStringLiteral("CMD_StoringMelden"))->isVisibleTo(pane));
    QVERIFY(!child(*fx.stepPlan, QStringLiteral("CMD_Controleer"))->isVisibleTo(pane));
    QVERIFY(!pane->check());
    const bool teacher = QByteArray(QTest::currentDataTag()) == "the teacher's fault";
    const lesson::HiddenFault teachers{false, 3, lesson::FaultKind::OpenCircuit};
    if (teacher)
        fx.stepPlan->setTeacherFault(teachers);
    QList<lesson::HuntResult> results;
    connect(pane, &LessonPane::faultReported, this,
            [&results](const lesson::Lesson&, const lesson::HuntResult& r) { results.append(r); });

    fx.click(QStringLiteral("CMD_SetReset(0)"));
    time.advance(1000);
    // The lamp shows what the pupil pressed, whatever the station did.
    QCOMPARE(fx.main->DecimaalUit(), 1);
    QCOMPARE(fx.main->DecimaalIn() & 0xFF, shownIn);
    QCOMPARE(pane->answerFault({false, 1, lesson::FaultKind::OpenCircuit}),
             QStringLiteral("Nee, dat is het niet."));
    if (teacher) {
        // The lesson's fault is not the one judged now, and the teacher's
        // found leaves the lesson's as it was: the teacher lifts theirs.
        QCOMPARE(pane->answerFault(*read.lesson->hunt), QStringLiteral("Nee, dat is het niet."));
        QCOMPARE(pane->answerFault(teachers), found);
        QCOMPARE(fx.main->DecimaalIn() & 0xFF, shownIn);
        QCOMPARE(results.size(), 3);
        QVERIFY(results[2].found && results[2].teacher);
        QCOMPARE(results[2].attempts, 3);
        return;
    }
    QCOMPARE(pane->answerFault(*read.lesson->hunt), found);
    time.advance(1000);
    QCOMPARE(fx.main->DecimaalIn() & 0xFF, 0x06);
    QCOMPARE(int(fx.simulated().deadOutputs()), 0);
    QVERIFY(!child(*fx.stepPlan, QStringLiteral("CMD_StoringMelden"))->isEnabled());
    QCOMPARE(results.size(), 2);
    QCOMPARE(results[0].found, false);
    QCOMPARE(results[1].found, true);
    QCOMPARE(results[1].attempts, 2);
    QCOMPARE(results[1].switches, 1);
    // Found, later answers count nothing.
    QCOMPARE(pane->answerFault(*read.lesson->hunt), QString());
    QCOMPARE(results.size(), 2);
}

QTEST_MAIN(TestLessonPane)
#include "tst_lesson_pane.moc"
