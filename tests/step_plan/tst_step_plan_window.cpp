#include "interface_link/simulated_interface.h"
#include "step_plan/plan_file.h"
#include "step_plan/step_plan_window.h"
#include "support/manual_time.h"
#include "support/plan_doubles.h"
#include "support/test_support.h"
#include "virtual_station/virtual_station_window.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QShortcut>
#include <QTableWidget>
#include <QtTest>

using plan::StepPlanWindow;
using testing::RecordingPlanHost;

namespace
{

const QByteArray Good = R"({"station": "Station handling", "stappen": [
    {"zet": {"1": true}, "tot": {"ingang": 2, "aan": true}},
    {"zet": {}, "tot": {"knop": true}}]})";

const QByteArray Other = R"({"station": "Transportband", "stappen": [
    {"zet": {"2": true}, "tot": {"seconden": 1}}]})";

QString writeFile(const QString& folder, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    return writeFile(dir.path(), name, bytes);
}

plan::Plan fileContents(const QString& path)
{
    const plan::ReadResult read = plan::readPlanFile(path);
    return read.plan.value_or(plan::Plan());
}

QString answerName(int answer)
{
    switch (answer) {
    case platform::ResultSave:
        return QStringLiteral("Opslaan");
    case platform::ResultDiscard:
        return QStringLiteral("Niet opslaan");
    case platform::ResultYes:
        return QStringLiteral("Ja");
    case platform::ResultNo:
        return QStringLiteral("Nee");
    default:
        return QStringLiteral("Annuleren");
    }
}

template <typename T = QWidget> T* child(const QWidget& w, const QString& name)
{
    T* c = w.findChild<T*>(name);
    if (!c)
        qWarning() << "no child" << name;
    return c;
}

void click(const QWidget& w, const QString& name)
{
    if (auto* b = child<QAbstractButton>(w, name))
        b->click();
}

QMenu* openMenu()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible())
            return m;
    return nullptr;
}

} // namespace

class TestStepPlanWindow : public QObject
{
    Q_OBJECT

  private slots:
    void hiddenAndEmptyUntilFirstShown();
    void contractByName();
    void refusedFileKeepsThePlan_data();
    void refusedFileKeepsThePlan();
    void loadRefusedWhileRunning();
    void runShowsItselfInTheWindow();
    void editAndSave();
    void failedSaveKeepsTheFile_data();
    void failedSaveKeepsTheFile();
    void stationChoiceRefusedWhenStepsDoNotFit();
    void closingTheWindowStopsTheRun();
    void changedPlanAskedBeforeItGoes_data();
    void changedPlanAskedBeforeItGoes();
    void frozenRunsButEditsNothing_data();
    void frozenRunsButEditsNothing();
    void savingFromTheQuestionAsksWhere_data();
    void savingFromTheQuestionAsksWhere();
    void noQuestionWhileAPlanRuns();
    void endingKeepsTheChangedPlan_data();
    void endingKeepsTheChangedPlan();
    void reachedFromTheMainWindow();
    void reachedFromTheVirtualStation();
    void longNoteReadableAtTheSmallestSize();
    void openedPlanShowsItsStepsAtTheSmallestSize();
};

void TestStepPlanWindow::hiddenAndEmptyUntilFirstShown()
{
    RecordingPlanHost host;
    QElapsedTimer clock;
    clock.start();
    StepPlanWindow w(host);
    const qint64 ns = clock.nsecsElapsed();
    qInfo() << "hidden window made in" << ns / 1000 << "us";
    QCOMPARE(w.objectName(), QStringLiteral("Stappenplan"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Stappenplan"));
    QVERIFY(!w.isVisible());
    QVERIFY(!w.isBuilt());
    QVERIFY(w.findChildren<QWidget*>().isEmpty());
    QCOMPARE(w.property("state").toString(), QStringLiteral("stopped"));
    QCOMPARE(w.property("currentStep").toInt(), 0);
    w.show();
    QVERIFY(w.isBuilt());
    QVERIFY(child<QTableWidget>(w, QStringLiteral("Stappentabel")));
}

// The window is driven by name, as every other window of the program.
void TestStepPlanWindow::contractByName()
{
    RecordingPlanHost host;
    StepPlanWindow w(host);
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("a.json"), Good);
    QObject* o = &w;
    bool ok = false;
    QVERIFY(QMetaObject::invokeMethod(o, "load", Q_RETURN_ARG(bool, ok), Q_ARG(QString, path)));
    QVERIFY(ok);
    QVERIFY(QMetaObject::invokeMethod(o, "step"));
    QCOMPARE(o->property("state").toString(), QStringLiteral("running"));
    host.setInputs(0b10);
    QCOMPARE(o->property("state").toString(), QStringLiteral("paused"));
    QCOMPARE(o->property("currentStep").toInt(), 2);
    QVERIFY(QMetaObject::invokeMethod(o, "start"));
    QCOMPARE(o->property("currentStep").toInt(), 2);
    QVERIFY(QMetaObject::invokeMethod(o, "stop"));
    QCOMPARE(o->property("state").toString(), QStringLiteral("stopped"));
    QCOMPARE(o->property("message").toString(), QStringLiteral("Gestopt tijdens stap 2."));
    QCOMPARE(host.log, QStringList({"1 aan", "reset"}));
}

void TestStepPlanWindow::refusedFileKeepsThePlan_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("damaged") << QByteArray("{\"station\": \"Transportband\", \"stap")
                             << "Kan \"b.json\" niet openen: het is beschadigd of geen JSON (fout "
                                "bij regel 1, teken 35).";
    QTest::newRow("point the station lacks")
        << QByteArray(R"({"station": "Transportband", "stappen": [{"zet": {"4": true},
           "tot": {"knop": true}}]})")
        << "Kan \"b.json\" niet openen: stap 1 zet uitgang 4, maar Transportband gebruikt "
           "uitgang 4 niet.";
    QTest::newRow("missing") << QByteArray()
                             << "Kan \"b.json\" niet openen: het bestand bestaat "
                                "niet.";
}

void TestStepPlanWindow::refusedFileKeepsThePlan()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    RecordingPlanHost host;
    StepPlanWindow w(host);
    w.show();
    QTemporaryDir dir;
    const QString good = writeFile(dir, QStringLiteral("a.json"), Good);
    QVERIFY(w.load(good));
    const plan::Plan before = w.plan();
    const QString bad = bytes.isEmpty() ? dir.filePath(QStringLiteral("b.json"))
                                        : writeFile(dir, QStringLiteral("b.json"), bytes);
    QVERIFY(!w.load(bad));
    QCOMPARE(w.message(), message);
    QCOMPARE(child<QLabel>(w, QStringLiteral("Melding"))->text(), message);
    QVERIFY(w.plan() == before);
    QCOMPARE(w.filePath(), good);
    QCOMPARE(child<QTableWidget>(w, QStringLiteral("Stappentabel"))->rowCount(), 2);
}

void TestStepPlanWindow::loadRefusedWhileRunning()
{
    RecordingPlanHost host;
    StepPlanWindow w(host);
    QTemporaryDir dir;
    QVERIFY(w.load(writeFile(dir, QStringLiteral("a.json"), Good)));
    QVERIFY(w.start());
    QVERIFY(!w.load(writeFile(dir, QStringLiteral("c.json"), Good)));
    QCOMPARE(w.state(), QStringLiteral("running"));
}

void TestStepPlanWindow::runShowsItselfInTheWindow()
{
    RecordingPlanHost host;
    StepPlanWindow w(host);
    QTemporaryDir dir;
    QVERIFY(w.load(writeFile(dir, QStringLiteral("a.json"), Good)));
    w.show();
    auto* table = child<QTableWidget>(w, QStringLiteral("Stappentabel"));
    auto* next = child<QAbstractButton>(w, QStringLiteral("CMD_Volgende"));
    auto* stop = child<QAbstractButton>(w, QStringLiteral("CMD_Stop"));
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("Verplaatscilinder (uit) aan"));
    QCOMPARE(table->item(0, 2)->text(),
             QStringLiteral("Eindschakelaar cil. 1 Voor (ingang 2) aan"));
    QCOMPARE(table->item(1, 2)->text(), QStringLiteral("Volgende"));
    QVERIFY(!stop->isEnabled());

    click(w, QStringLiteral("CMD_Start"));
    QCOMPARE(table->item(0, 0)->background().color(), QColor(255, 255, 0));
    QVERIFY(!next->isEnabled());
    QVERIFY(stop->isEnabled());
    QVERIFY(!child<QWidget>(w, QStringLiteral("CMD_Toevoegen"))->isEnabled());
    host.setInputs(0b10);
    QCOMPARE(table->item(0, 0)->background().style(), Qt::NoBrush);
    QCOMPARE(table->item(1, 0)->background().color(), QColor(255, 255, 0));
    QVERIFY(next->isEnabled());
    next->click();
    QCOMPARE(w.state(), QStringLiteral("finished"));
    QCOMPARE(child<QLabel>(w, QStringLiteral("Toestand"))->text(), QStringLiteral("Klaar"));
    QVERIFY(!next->isEnabled());
    QVERIFY(child<QWidget>(w, QStringLiteral("CMD_Toevoegen"))->isEnabled());
}

// Steps are added, changed, moved and removed with the window's widgets,
// saved through the dialog service and read back the same.
void TestStepPlanWindow::editAndSave()
{
    testing::ServiceScope services(false);
    testing::PlanFilesScope files;
    RecordingPlanHost host;
    StepPlanWindow w(host);
    w.show();
    click(w, QStringLiteral("CMD_Nieuw"));
    click(w, QStringLiteral("CMD_Toevoegen"));
    child<QComboBox>(w, QStringLiteral("Zet5"))->setCurrentIndex(1);
    child<QComboBox>(w, QStringLiteral("WachtOp"))->setCurrentIndex(1);
    click(w, QStringLiteral("CMD_Toevoegen"));
    auto* input = child<QComboBox>(w, QStringLiteral("Ingang"));
    child<QComboBox>(w, QStringLiteral("WachtOp"))->setCurrentIndex(0);
    input->setCurrentIndex(input->findData(4));
    child<QComboBox>(w, QStringLiteral("IngangAan"))->setCurrentIndex(1);
    click(w, QStringLiteral("CMD_Omhoog"));
    click(w, QStringLiteral("CMD_Toevoegen"));
    click(w, QStringLiteral("CMD_Verwijderen"));

    const plan::Plan& p = w.plan();
    QCOMPARE(p.steps.size(), 2);
    QCOMPARE(p.steps[0].wait.kind, plan::WaitKind::Input);
    QCOMPARE(p.steps[0].wait.input, 4);
    QCOMPARE(p.steps[0].wait.on, false);
    QCOMPARE(p.steps[1].target(5), std::optional<bool>(true));
    QCOMPARE(p.steps[1].wait.kind, plan::WaitKind::Time);

    testing::RecordingFileDialogs& dialogs = services.dialogs;
    dialogs.answer = files.files.documentsFolder() + QStringLiteral("/mijn plan");
    click(w, QStringLiteral("CMD_Opslaan"));
    QCOMPARE(dialogs.asked,
             QStringList({"save " + files.files.documentsFolder() + "/Station handling.json"}));
    QCOMPARE(dialogs.titles, QStringList({"Stappenplan opslaan | Stappenplannen (*.json)"}));
    const QString saved = files.files.documentsFolder() + QStringLiteral("/mijn plan.json");
    QCOMPARE(w.message(), QStringLiteral("Opgeslagen: mijn plan.json."));
    QCOMPARE(services.storage.written, QStringList({saved}));
    const plan::ReadResult back = plan::readPlanFile(saved);
    QVERIFY2(back.plan, qPrintable(back.error));
    QVERIFY(*back.plan == p);

    // Cancelled dialogs change nothing.
    dialogs.answer.clear();
    click(w, QStringLiteral("CMD_Openen"));
    QCOMPARE(dialogs.asked.last(), "open " + files.files.documentsFolder());
    QCOMPARE(dialogs.titles.last(), QStringLiteral("Stappenplan openen | Stappenplannen (*.json)"));
    QCOMPARE(w.filePath(), saved);
}

// A write that fails says why, leaves the file on disk as it was and the
// plan changed, so the pupil is still asked before it goes.
void TestStepPlanWindow::failedSaveKeepsTheFile_data()
{
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("message");
    QTest::newRow("folder not writable")
        << int(platform::WriteFailure::NotOpened)
        << "Kan \"mijn plan.json\" niet opslaan: de map is er niet of mag niet beschreven worden.";
    QTest::newRow("disk full")
        << int(platform::WriteFailure::NotWritten)
        << "Kan \"mijn plan.json\" niet opslaan: het schrijven is mislukt (is de schijf vol?).";
}

void TestStepPlanWindow::failedSaveKeepsTheFile()
{
    QFETCH(int, failure);
    QFETCH(QString, message);
    testing::ServiceScope services(false);
    testing::PlanFilesScope files;
    RecordingPlanHost host;
    StepPlanWindow w(host);
    w.show();
    click(w, QStringLiteral("CMD_Nieuw"));
    click(w, QStringLiteral("CMD_Toevoegen"));
    QVERIFY(QDir().mkpath(files.files.documentsFolder()));
    const QString path = files.files.documentsFolder() + QStringLiteral("/mijn plan.json");
    QVERIFY(w.save(path));
    const QByteArray before = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QVERIFY(!before.isEmpty());
    click(w, QStringLiteral("CMD_Toevoegen"));
    services.storage.failWrites = platform::WriteFailure(failure);
    QVERIFY(!w.save(path));
    QCOMPARE(w.message(), message);
    QVERIFY(w.isModified());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestStepPlanWindow::stationChoiceRefusedWhenStepsDoNotFit()
{
    RecordingPlanHost host;
    StepPlanWindow w(host);
    QTemporaryDir dir;
    QVERIFY(w.load(writeFile(dir, QStringLiteral("a.json"), Good)));
    w.show();
    auto* station = child<QComboBox>(w, QStringLiteral("Station"));
    station->setCurrentText(QStringLiteral("Stapel magazijn"));
    QCOMPARE(w.plan().station, station::Station::Stationhandling);
    QCOMPARE(station->currentText(), QStringLiteral("Station handling"));
    QCOMPARE(w.message(), QStringLiteral("Dit plan past niet bij Stapel magazijn: stap 1 wacht op "
                                         "ingang 2, maar Stapel magazijn gebruikt ingang 2 niet."));
    // Output 1 and input 2 exist on the conveyor too.
    station->setCurrentText(QStringLiteral("Transportband"));
    QCOMPARE(w.plan().station, station::Station::Transportband);
    QCOMPARE(child<QTableWidget>(w, QStringLiteral("Stappentabel"))->item(0, 1)->text(),
             QStringLiteral("Magneetspoel stopper aan"));
}

void TestStepPlanWindow::closingTheWindowStopsTheRun()
{
    RecordingPlanHost host;
    StepPlanWindow w(host);
    QTemporaryDir dir;
    QVERIFY(w.load(writeFile(dir, QStringLiteral("a.json"), Good)));
    w.show();
    QVERIFY(w.start());
    w.close();
    QCOMPARE(w.state(), QStringLiteral("stopped"));
    QCOMPARE(host.log, QStringList({"1 aan", "reset"}));
    QCOMPARE(w.message(), QStringLiteral("Gestopt: het venster Stappenplan is gesloten."));
}

// Every way that replaces or closes the plan, with every answer, on a plan
// of the pupil's own that was or was not changed.
void TestStepPlanWindow::changedPlanAskedBeforeItGoes_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("changed");
    // "asked": the teacher freezes the class while the question waits;
    // "before": the window is frozen already.
    QTest::addColumn<QString>("frozen");
    for (const char* way : {"CMD_Nieuw", "CMD_Openen", "CMD_Voorbeelden", "sluiten"}) {
        for (int answer : {platform::ResultSave, platform::ResultDiscard, platform::ResultCancel})
            for (bool changed : {true, false})
                QTest::addRow("%s, %s, %s", way, qPrintable(answerName(answer)),
                              changed ? "gewijzigd" : "ongewijzigd")
                    << QString::fromLatin1(way) << answer << changed << QString();
        QTest::addRow("%s, Niet opslaan, frozen while asked", way)
            << QString::fromLatin1(way) << int(platform::ResultDiscard) << true << "asked";
    }
    QTest::newRow("sluiten, frozen before")
        << "sluiten" << int(platform::ResultDiscard) << true << "before";
}

void TestStepPlanWindow::changedPlanAskedBeforeItGoes()
{
    QFETCH(QString, way);
    QFETCH(int, answer);
    QFETCH(bool, changed);
    QFETCH(QString, frozen);
    testing::ServiceScope services(false);
    testing::PlanFilesScope files;
    const QString docs = files.files.documentsFolder();
    const QString own = writeFile(docs, QStringLiteral("eigen.json"), Good);
    const QString other = writeFile(docs, QStringLiteral("ander.json"), Other);
    RecordingPlanHost host;
    StepPlanWindow w(host);
    w.show();
    QVERIFY(w.load(own));
    const plan::Plan before = w.plan();
    if (changed)
        click(w, QStringLiteral("CMD_Toevoegen"));
    const plan::Plan edited = w.plan();
    QCOMPARE(w.isModified(), changed);

    services.messages.answer = answer;
    services.dialogs.answer = other;
    if (frozen == QLatin1String("asked"))
        services.messages.onShow = [&w](const platform::MessageRequest&) { w.setFrozen(true); };
    if (frozen == QLatin1String("before"))
        w.setFrozen(true);
    if (way == QLatin1String("sluiten"))
        w.close();
    else
        click(w, way);

    // Frozen, the plan stays as it is, whatever the answer; closing hides it.
    if (!frozen.isEmpty()) {
        QCOMPARE(services.messages.shown.size(), frozen == QLatin1String("asked") ? 1 : 0);
        QVERIFY(services.dialogs.asked.isEmpty());
        QVERIFY(w.plan() == edited);
        QCOMPARE(w.filePath(), own);
        QVERIFY(w.isModified());
        QVERIFY(fileContents(own) == before);
        QCOMPARE(w.isVisible(), frozen == QLatin1String("asked"));
        return;
    }
    QCOMPARE(services.messages.shown.size(), changed ? 1 : 0);
    if (changed) {
        const platform::MessageRequest& box = services.messages.shown.first();
        QCOMPARE(box.text, QStringLiteral("Wijzigingen opslaan?"));
        QCOMPARE(int(box.buttons), int(platform::MessageButtons::SaveDiscardCancel));
    }
    const bool goesOn = !changed || answer != platform::ResultCancel;
    // The pupil's own file is written again without a dialog.
    QVERIFY(fileContents(own) == (changed && answer == platform::ResultSave ? edited : before));

    plan::Plan expected = edited;
    QString expectedPath = own;
    QStringList dialogs;
    if (goesOn && way == QLatin1String("CMD_Nieuw")) {
        expected = plan::Plan();
        expectedPath.clear();
    } else if (goesOn && way != QLatin1String("sluiten")) {
        expected = fileContents(other);
        expectedPath = other;
        dialogs << "open " +
                       (way == QLatin1String("CMD_Openen") ? docs : files.files.examplesFolder());
    } else if (goesOn && answer == platform::ResultDiscard) {
        expected = before;
    }
    QCOMPARE(services.dialogs.asked, dialogs);
    QVERIFY(w.plan() == expected);
    QCOMPARE(w.filePath(), expectedPath);
    QCOMPARE(w.isModified(), !goesOn);
    QCOMPARE(w.isVisible(), way != QLatin1String("sluiten") || !goesOn);
}

void TestStepPlanWindow::frozenRunsButEditsNothing_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<bool>("runWhileFrozen");
    QTest::newRow("first step selected, run to the end while frozen") << "selected" << true;
    QTest::newRow("waiting for Volgende") << "waiting" << false;
    QTest::newRow("new plan without steps") << "empty" << false;
}

// Frozen, the plan runs but nothing that edits, opens or saves it works;
// released, every control is as it was, whatever the freeze saw.
void TestStepPlanWindow::frozenRunsButEditsNothing()
{
    QFETCH(QString, situation);
    QFETCH(bool, runWhileFrozen);
    testing::ServiceScope services(false);
    RecordingPlanHost host;
    StepPlanWindow w(host);
    QTemporaryDir dir;
    QVERIFY(w.load(writeFile(dir, QStringLiteral("a.json"), Good)));
    w.show();
    if (situation == QLatin1String("waiting")) {
        QVERIFY(w.start());
        host.setInputs(0b10);
        QVERIFY(child<QWidget>(w, QStringLiteral("CMD_Volgende"))->isEnabled());
    } else if (situation == QLatin1String("empty")) {
        click(w, QStringLiteral("CMD_Nieuw"));
        QCOMPARE(w.plan().steps.size(), 0);
    }
    const auto enabledStates = [&w] {
        QStringList states;
        for (const QWidget* c : w.findChildren<QWidget*>())
            if (!c->objectName().isEmpty())
                states << c->objectName() + (c->isEnabled() ? " on" : " off");
        return states;
    };
    const QStringList before = enabledStates();
    auto* line = child<QLabel>(w, QStringLiteral("Label_Bevroren"));
    QVERIFY(line->isHidden());

    w.setFrozen(true);
    const QString text = QStringLiteral("De docent heeft de klas bevroren: je kunt je plan nog "
                                        "uitvoeren en controleren, niet wijzigen.");
    QVERIFY(line->isVisible());
    QCOMPARE(line->text(), text);
    QCOMPARE(QAccessible::queryAccessibleInterface(line)->text(QAccessible::Name), text);
    const QStringList editing = {
        "Stappentabel",       "FrameStap", "CMD_Toevoegen", "CMD_Verwijderen", "CMD_Omhoog",
        "CMD_Omlaag",         "CMD_Nieuw", "CMD_Openen",    "CMD_Voorbeelden", "CMD_Opslaan",
        "CMD_OpdrachtOpenen", "Station",   "Herhaal"};
    for (const QString& name : editing)
        QVERIFY2(!child<QWidget>(w, name)->isEnabled(), qPrintable(name));
    const QStringList frozenStates = enabledStates();
    for (const char* name : {"CMD_Start", "CMD_Stap", "CMD_Volgende", "CMD_Stop"}) {
        const QString n = QString::fromLatin1(name);
        QVERIFY2(before.contains(n + " on") == frozenStates.contains(n + " on"), name);
    }
    if (runWhileFrozen) {
        click(w, QStringLiteral("CMD_Start"));
        host.setInputs(0b10);
        click(w, QStringLiteral("CMD_Volgende"));
        QCOMPARE(w.state(), QStringLiteral("finished"));
        QCOMPARE(host.log, QStringList({"1 aan"}));
        QCOMPARE(enabledStates(), frozenStates);
    }

    w.setFrozen(false);
    QVERIFY(line->isHidden());
    QCOMPARE(enabledStates(), before);
}

// "Opslaan" for a plan that is not the pupil's own file asks where; an
// example is never written over, and a cancelled dialog keeps the plan.
void TestStepPlanWindow::savingFromTheQuestionAsksWhere_data()
{
    QTest::addColumn<bool>("example");
    QTest::addColumn<bool>("named");
    QTest::newRow("new plan, named") << false << true;
    QTest::newRow("example, dialog cancelled") << true << false;
}

void TestStepPlanWindow::savingFromTheQuestionAsksWhere()
{
    QFETCH(bool, example);
    QFETCH(bool, named);
    testing::ServiceScope services(false);
    testing::PlanFilesScope files;
    const QString docs = files.files.documentsFolder();
    const QString examplePath =
        files.files.examplesFolder() + QStringLiteral("/Transportband - heen en terug.json");
    QFile exampleFile(examplePath);
    QVERIFY(exampleFile.open(QIODevice::ReadOnly));
    const QByteArray exampleBytes = exampleFile.readAll();
    RecordingPlanHost host;
    StepPlanWindow w(host);
    w.show();
    if (example)
        QVERIFY(w.load(examplePath));
    click(w, QStringLiteral("CMD_Toevoegen"));
    const plan::Plan edited = w.plan();

    services.messages.answer = platform::ResultSave;
    const QString chosen = docs + QStringLiteral("/mijn plan.json");
    services.dialogs.answer = named ? chosen : QString();
    click(w, QStringLiteral("CMD_Nieuw"));

    const QString suggested = example ? QStringLiteral("/Transportband - heen en terug.json")
                                      : QStringLiteral("/Station handling.json");
    QCOMPARE(services.dialogs.asked, QStringList("save " + docs + suggested));
    QVERIFY(exampleFile.seek(0));
    QCOMPARE(exampleFile.readAll(), exampleBytes);
    QCOMPARE(QFile::exists(chosen), named);
    if (named)
        QVERIFY(fileContents(chosen) == edited);
    QCOMPARE(w.plan().steps.isEmpty(), named);
    QCOMPARE(w.isModified(), !named);
}

// A question holds every window, the emergency stop too: while a plan runs
// nothing offers to replace it, and closing stops it before asking.
void TestStepPlanWindow::noQuestionWhileAPlanRuns()
{
    testing::ServiceScope services(false);
    testing::PlanFilesScope files;
    RecordingPlanHost host;
    StepPlanWindow w(host);
    w.show();
    QVERIFY(w.load(writeFile(files.files.documentsFolder(), QStringLiteral("a.json"), Good)));
    click(w, QStringLiteral("CMD_Toevoegen"));
    QVERIFY(w.start());
    for (const char* name : {"CMD_Nieuw", "CMD_Openen", "CMD_Voorbeelden"})
        QVERIFY2(!child<QWidget>(w, QLatin1String(name))->isEnabled(), name);
    QStringList whenAsked;
    services.messages.onShow = [&](const platform::MessageRequest&) {
        whenAsked << w.state() << host.log.last();
    };
    services.messages.answer = platform::ResultCancel;
    w.close();
    QCOMPARE(whenAsked, QStringList({"stopped", "reset"}));
    QCOMPARE(w.message(), QStringLiteral("Gestopt: je wilde het venster Stappenplan sluiten."));
    QVERIFY(w.isVisible());
    QVERIFY(w.isModified());
}

// Ending the program never asks; a changed plan waits in the recovery file
// and the window offers it the first time it opens, once. A program killed
// a few seconds after the last change (nothing orderly) left it there too.
void TestStepPlanWindow::endingKeepsTheChangedPlan_data()
{
    QTest::addColumn<bool>("fromFile");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("killed");
    QTest::newRow("unchanged") << true << false << int(platform::ResultYes) << false;
    QTest::newRow("own file, Ja") << true << true << int(platform::ResultYes) << false;
    QTest::newRow("own file, Nee") << true << true << int(platform::ResultNo) << false;
    QTest::newRow("own file, no answer") << true << true << int(platform::ResultCancel) << false;
    QTest::newRow("new plan, Ja") << false << true << int(platform::ResultYes) << false;
    QTest::newRow("killed: own file, Ja") << true << true << int(platform::ResultYes) << true;
}

void TestStepPlanWindow::endingKeepsTheChangedPlan()
{
    QFETCH(bool, fromFile);
    QFETCH(bool, changed);
    QFETCH(int, answer);
    QFETCH(bool, killed);
    testing::ManualTime time;
    testing::ServiceScope services(false);
    testing::PlanFilesScope files;
    const QString recovery = files.files.recoveryPath();
    const QString own =
        writeFile(files.files.documentsFolder(), QStringLiteral("eigen.json"), Good);
    const plan::Plan original = fileContents(own);
    plan::Plan edited;
    {
        RecordingPlanHost host;
        StepPlanWindow w(host);
        w.setRecoveryClock(time.newClock());
        w.open();
        if (fromFile)
            QVERIFY(w.load(own));
        if (changed) {
            click(w, QStringLiteral("CMD_Toevoegen"));
            // Typed, not yet confirmed with Enter.
            auto* note = child<QLineEdit>(w, QStringLiteral("Uitleg"));
            note->setFocus();
            QTest::keyClicks(note, QStringLiteral("Bijna klaar"));
        }
        edited = w.plan();
        if (killed) {
            time.advance(plan::RecoveryWriter::DelayMs);
        } else {
            emit host.programEnding();
            QVERIFY(services.messages.shown.isEmpty());
        }
        QCOMPARE(QFile::exists(recovery), changed);
        if (!killed) {
            w.close();
            QVERIFY(services.messages.shown.isEmpty());
        }
    }

    services.messages.answer = answer;
    RecordingPlanHost host;
    StepPlanWindow w(host);
    w.open();
    w.hide();
    w.open();
    QCOMPARE(services.messages.shown.size(), changed ? 1 : 0);
    if (changed)
        QCOMPARE(int(services.messages.shown.first().buttons),
                 int(platform::MessageButtons::YesNo));
    const bool restored = changed && answer == platform::ResultYes;
    QCOMPARE(QFile::exists(recovery), changed && answer == platform::ResultCancel);
    if (restored) // the added step follows the selected first one
        edited.steps[fromFile ? 1 : 0].note = QStringLiteral("Bijna klaar");
    QVERIFY(w.plan() == (restored ? edited : plan::Plan()));
    QCOMPARE(w.filePath(), restored && fromFile ? own : QString());
    QCOMPARE(w.isModified(), restored);
    QVERIFY(fileContents(own) == original);
}

// A right click on the command frame, on one of its buttons too (the menu
// names the keys), Ctrl+Shift+S and the button open the window; the main
// window keeps its controls.
void TestStepPlanWindow::reachedFromTheMainWindow()
{
    testing::MainFixture f;
    RecordingPlanHost host;
    StepPlanWindow w(host);
    const size_t controls = f.main->controlsInOrder().size();
    plan::attachStepPlan(f.main.get(), f.main->FrameCommand, &w, f.main->CMD_Stappenplan);
    f.main->show();
    QCOMPARE(f.main->controlsInOrder().size(), controls);

    for (QWidget* target :
         {static_cast<QWidget*>(f.main->FrameCommand), static_cast<QWidget*>(f.main->CMD_Help)}) {
        w.hide();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                target->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(target, &event);
        QMenu* menu = openMenu();
        QVERIFY2(menu, qPrintable(target->objectName()));
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("Stappenplan…"));
        QCOMPARE(menu->actions().first()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
        QVERIFY(menu->actions().first()->isShortcutVisibleInContextMenu());
        menu->actions().first()->trigger();
        menu->close();
        QVERIFY(w.isVisible());
        QVERIFY(w.isBuilt());
    }

    w.hide();
    auto* shortcut = f.main->findChild<QShortcut*>(QStringLiteral("StappenplanSneltoets"));
    QVERIFY(shortcut);
    QCOMPARE(shortcut->key(), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    QCOMPARE(shortcut->context(), Qt::WindowShortcut);
    f.main->activateWindow();
    if (QTest::qWaitForWindowActive(f.main.get()))
        QTest::keyClick(f.main.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    else
        emit shortcut->activated();
    QVERIFY(w.isVisible());

    w.hide();
    f.main->CMD_Stappenplan->click();
    QVERIFY(w.isVisible());
    QVERIFY(f.main->CMD_Stappenplan->shownToolTip().contains(QStringLiteral("Ctrl+Shift+S")));
}

void TestStepPlanWindow::reachedFromTheVirtualStation()
{
    iface::SimulatedInterface port;
    virt::VirtualStationWindow station(port.stationRunner(), port.stationLink());
    RecordingPlanHost host;
    StepPlanWindow w(host);
    plan::attachStepPlan(&station, nullptr, &w);
    station.show();
    auto* button = station.findChild<QAbstractButton*>(QStringLiteral("KnopStappenplan"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("Stappenplan"));
    QVERIFY(button->isVisible());
    button->click();
    QVERIFY(w.isVisible());
}

// A step's note is the pupil's instruction: at the window's smallest size
// it scrolls in the message line rather than growing the window or being
// cut off.
void TestStepPlanWindow::longNoteReadableAtTheSmallestSize()
{
    RecordingPlanHost host;
    StepPlanWindow w(host);
    QTemporaryDir dir;
    const QByteArray note = QByteArray("Leg een metalen bakje op de band. ").repeated(14);
    const QByteArray plan = R"({"station": "Station handling", "stappen": [
        {"zet": {}, "tot": {"knop": true}, "uitleg": ")" +
                            note + R"("}]})";
    QVERIFY(w.load(writeFile(dir, QStringLiteral("n.json"), plan)));
    w.show();
    w.resize(w.minimumSize());
    QVERIFY(w.start());
    QVERIFY(w.message().contains(QString::fromUtf8(note.trimmed())));
    QCoreApplication::processEvents();
    QCOMPARE(w.size(), w.minimumSize());
    auto* line = child<QLabel>(w, QStringLiteral("Melding"));
    QVERIFY2(line->height() >= line->heightForWidth(line->width()),
             qPrintable(QStringLiteral("%1 of %2 pixels shown")
                            .arg(line->height())
                            .arg(line->heightForWidth(line->width()))));
}

void TestStepPlanWindow::openedPlanShowsItsStepsAtTheSmallestSize()
{
    // The window opens this small beside the main window on a 1366x768
    // screen; the steps must not be a scroll away from an opened plan.
    RecordingPlanHost host;
    StepPlanWindow w(host);
    QTemporaryDir dir;
    w.show();
    w.resize(w.minimumSize());
    QVERIFY(w.load(writeFile(dir, QStringLiteral("a.json"), Good)));
    QCoreApplication::processEvents();
    auto* scroll = child<QScrollArea>(w, QStringLiteral("StappenplanScroll"));
    auto* table = child<QTableWidget>(w, QStringLiteral("Stappentabel"));
    const QRect first = table->visualItemRect(table->item(0, 0));
    const QRect shown(table->viewport()->mapTo(scroll->viewport(), first.topLeft()), first.size());
    QVERIFY2(scroll->viewport()->rect().contains(shown),
             qPrintable(QStringLiteral("first step at y=%1, room %2")
                            .arg(shown.y())
                            .arg(scroll->viewport()->height())));
}

QTEST_MAIN(TestStepPlanWindow)
#include "tst_step_plan_window.moc"
