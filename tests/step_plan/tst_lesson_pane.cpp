#include "interface_link/simulated_interface.h"
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

QTEST_MAIN(TestLessonPane)
#include "tst_lesson_pane.moc"
