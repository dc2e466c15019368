#include "step_plan/editor_state.h"
#include "step_plan/plan_document.h"
#include "step_plan/plan_file.h"
#include "step_plan/recovery_writer.h"
#include "support/manual_time.h"
#include "support/plan_doubles.h"
#include "support/test_support.h"

#include <QDir>
#include <QtTest>

using plan::PlanDocument;
using plan::WaitKind;
using station::Station;

namespace
{

// "handling;1+2-:B|:I3|:T1500": the station, then per step the outputs it
// sets and what it waits for.
QString summary(const plan::Plan& p)
{
    QStringList steps;
    for (const plan::Step& s : p.steps) {
        QString t;
        for (int n = 1; n <= plan::PointCount; ++n)
            if (const std::optional<bool> on = s.target(n))
                t += QString::number(n) + (*on ? '+' : '-');
        t += s.wait.kind == WaitKind::Input  ? QStringLiteral(":I%1").arg(s.wait.input)
             : s.wait.kind == WaitKind::Time ? QStringLiteral(":T%1").arg(s.wait.ms)
                                             : QStringLiteral(":B");
        steps << t;
    }
    const QString st =
        p.station == Station::Transportband ? QStringLiteral("band") : QStringLiteral("handling");
    return st + ';' + steps.join('|');
}

// The examples in "Voorbeelden" beside the pupil's own folder.
struct Folders : testing::TempPlanFiles {
    QString examplesFolder() const override
    {
        return QFileInfo(documentsFolder()).path() + "/Voorbeelden";
    }
};

// A column of the current row, for a comparison.
template <typename T> T fetched(const char* column)
{
    return *static_cast<T*>(QTest::qData(column, qMetaTypeId<T>()));
}

// Runs "add out:1=on sel:0 kind:I in:3 station:band run" on `doc`.
void perform(PlanDocument& doc, bool& running, const QString& ops)
{
    for (const QString& op : ops.split(' ', Qt::SkipEmptyParts)) {
        const QString arg = op.section(':', 1);
        if (op == "add")
            doc.addStep();
        else if (op == "del")
            doc.removeStep();
        else if (op == "up" || op == "down")
            doc.moveStep(op == "up" ? -1 : 1);
        else if (op == "run")
            running = true;
        else if (op.startsWith("sel:"))
            doc.select(arg.toInt());
        else if (op.startsWith("out:"))
            doc.setTarget(arg.section('=', 0, 0).toInt(),
                          arg.endsWith('-') ? std::nullopt
                                            : std::optional<bool>(arg.endsWith("on")));
        else if (op.startsWith("kind:"))
            doc.setWaitKind(arg == "I"   ? WaitKind::Input
                            : arg == "T" ? WaitKind::Time
                                         : WaitKind::Button);
        else if (op.startsWith("in:"))
            doc.setWaitInput(arg.toInt());
        else if (op.startsWith("station:"))
            doc.setStation(arg == "band" ? Station::Transportband : Station::Stationhandling);
        else
            QFAIL(qPrintable("unknown op " + op));
    }
}

} // namespace

class TestPlanDocument : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup() { plan::setPlanFiles(nullptr); }
    void edits_data();
    void edits();
    void leave_data();
    void leave();
    void recovery_data();
    void recovery();
    void keptWhileEditing_data();
    void keptWhileEditing();
    void enabledControls_data();
    void enabledControls();

  private:
    std::unique_ptr<testing::ServiceScope> m_services;
    std::unique_ptr<Folders> m_files;
};

void TestPlanDocument::init()
{
    m_services = std::make_unique<testing::ServiceScope>(false);
    m_files = std::make_unique<Folders>();
    plan::setPlanFiles(m_files.get());
}

void TestPlanDocument::edits_data()
{
    QTest::addColumn<QString>("ops");
    QTest::addColumn<QString>("plan");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("modified");

    QTest::newRow("added after the selected step") << "add out:1=on add out:2=off sel:0 add"
                                                   << "handling;1+:B|:B|2-:B" << 1 << true;
    QTest::newRow("last step removed: the one before selected") << "add add out:1=on del"
                                                                << "handling;:B" << 0 << true;
    QTest::newRow("only step removed: back to the saved plan") << "add del"
                                                               << "handling;" << -1 << false;
    QTest::newRow("up at the top stays") << "add out:1=on add sel:0 up"
                                         << "handling;1+:B|:B" << 0 << true;
    QTest::newRow("down swaps") << "add out:1=on add sel:0 down"
                                << "handling;:B|1+:B" << 1 << true;
    QTest::newRow("down at the bottom stays") << "add add out:1=on down"
                                              << "handling;:B|1+:B" << 1 << true;
    QTest::newRow("input wait keeps a used input") << "add kind:I in:3 kind:T kind:I"
                                                   << "handling;:I3" << 0 << true;
    QTest::newRow("input wait takes the first used input")
        << "add kind:I in:4 kind:B station:band kind:I"
        << "band;:I1" << 0 << true;
    QTest::newRow("station refused: an output it lacks") << "add out:5=on station:band"
                                                         << "handling;5+:B" << 0 << true;
    QTest::newRow("nothing changes while it runs") << "add run out:1=on add del kind:T station:band"
                                                   << "handling;:B" << 0 << true;
    QTest::newRow("edit without a selection") << "add sel:-1 kind:T"
                                              << "handling;:B" << -1 << true;
}

void TestPlanDocument::edits()
{
    QFETCH(QString, ops);
    PlanDocument doc;
    bool running = false;
    doc.setRunning([&running] { return running; });
    perform(doc, running, ops);
    QCOMPARE(summary(doc.plan()), fetched<QString>("plan"));
    QCOMPARE(doc.selected(), fetched<int>("selected"));
    QCOMPARE(doc.isModified(), fetched<bool>("modified"));
}

void TestPlanDocument::leave_data()
{
    QTest::addColumn<QString>("from"); // "" new, "own" or "example"
    QTest::addColumn<bool>("changed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("dialog"); // the Save dialog's answer; "ending": ends meanwhile
    QTest::addColumn<bool>("leaves");
    QTest::addColumn<bool>("asks");
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QString>("written");

    using namespace platform;
    const QString docs = QStringLiteral("Documenten/");
    QTest::newRow("unchanged: no question") << "own" << false << 0 << "" << true << false << ""
                                            << "";
    QTest::newRow("discard") << "" << true << int(ResultDiscard) << "" << true << true << ""
                             << "";
    QTest::newRow("cancel") << "own" << true << int(ResultCancel) << "" << false << true << ""
                            << "";
    QTest::newRow("save new: asks where, adds .json")
        << "" << true << int(ResultSave) << "Documenten/mijn" << true << true
        << docs + "Station handling.json"
        << "Documenten/mijn.json";
    QTest::newRow("save new, dialog cancelled")
        << "" << true << int(ResultSave) << "" << false << true << docs + "Station handling.json"
        << "";
    QTest::newRow("save own: written again without asking")
        << "own" << true << int(ResultSave) << "" << true << true << ""
        << "Documenten/eigen.json";
    QTest::newRow("save example: a copy in the pupil's folder")
        << "example" << true << int(ResultSave) << "Documenten/kopie.json" << true << true
        << docs + "voorbeeld.json"
        << "Documenten/kopie.json";
    QTest::newRow("program ended during the question")
        << "own" << true << int(ResultSave) << "ending" << false << true << ""
        << "";
}

void TestPlanDocument::leave()
{
    QFETCH(QString, from);
    QFETCH(bool, changed);
    QFETCH(int, answer);
    QFETCH(QString, dialog);
    const Folders& files = *m_files;
    const QString root = QFileInfo(files.documentsFolder()).path() + '/';
    PlanDocument doc;
    if (!from.isEmpty()) {
        const QString folder = from == "own" ? files.documentsFolder() : files.examplesFolder();
        QDir().mkpath(folder);
        const QString path = folder + (from == "own" ? "/eigen.json" : "/voorbeeld.json");
        plan::Plan p;
        p.steps.resize(1);
        QVERIFY(plan::savePlanFile(p, path).isEmpty());
        QVERIFY(doc.load(path));
    }
    if (changed)
        doc.setRepeat(true);
    QString suggested;
    bool asked = false;
    doc.setPrompts({[&] {
                        asked = true;
                        if (dialog == "ending")
                            doc.endProgram();
                        return answer;
                    },
                    {},
                    {},
                    [&](const QString& at) {
                        suggested = at;
                        return dialog.isEmpty() ? QString() : root + dialog;
                    }});
    QCOMPARE(doc.mayLeave(), fetched<bool>("leaves"));
    QCOMPARE(asked, fetched<bool>("asks"));
    QCOMPARE(QString(suggested).remove(root), fetched<QString>("suggested"));
    const QString written = fetched<QString>("written");
    if (!written.isEmpty()) {
        const plan::ReadResult read = plan::readPlanFile(root + written);
        QVERIFY(read.plan && *read.plan == doc.plan());
    }
    QCOMPARE(doc.isModified(), changed && written.isEmpty());
}

void TestPlanDocument::recovery_data()
{
    QTest::addColumn<QString>("origin"); // "-": no file kept, "" a new plan, or "own"
    QTest::addColumn<bool>("sessionChanged");
    QTest::addColumn<int>("answer"); // -1: the program ends during the question
    QTest::addColumn<bool>("asks");
    QTest::addColumn<QString>("plan");
    QTest::addColumn<bool>("fileStays");
    QTest::addColumn<QString>("path");

    using namespace platform;
    const int yes = ResultYes, no = ResultNo;
    QTest::newRow("nothing kept") << "-" << false << yes << false << "handling;" << false << "";
    QTest::newRow("this session's changes come first")
        << "" << true << yes << false << "handling;" << true << "";
    QTest::newRow("yes: a new plan back")
        << "" << false << yes << true << "band;1+:B" << false << "";
    QTest::newRow("yes: back with its file")
        << "own" << false << yes << true << "band;1+:B" << false << "eigen.json";
    QTest::newRow("no: the file goes") << "" << false << no << true << "handling;" << false << "";
    QTest::newRow("box closed: kept for next time")
        << "" << false << int(ResultCancel) << true << "handling;" << true << "";
    QTest::newRow("program ended meanwhile")
        << "" << false << -1 << true << "handling;" << true << "";
}

void TestPlanDocument::recovery()
{
    QFETCH(QString, origin);
    QFETCH(bool, sessionChanged);
    QFETCH(int, answer);
    const QString folder = m_files->documentsFolder();
    QDir().mkpath(folder);
    const QString keep = m_files->recoveryPath();
    plan::Plan kept;
    kept.station = Station::Transportband;
    kept.steps.resize(1);
    kept.steps[0].setTarget(1, true);
    QString originPath;
    if (origin == "own") {
        originPath = folder + "/eigen.json";
        plan::Plan before = kept;
        before.steps.clear();
        QVERIFY(plan::savePlanFile(before, originPath).isEmpty());
    }
    if (origin != "-")
        QVERIFY(plan::writeRecovery({kept, originPath}, keep).isEmpty());

    PlanDocument doc;
    if (sessionChanged)
        doc.setRepeat(true);
    bool asked = false;
    doc.setPrompts({{},
                    [&](const QString&) {
                        asked = true;
                        if (answer < 0)
                            doc.endProgram();
                        return answer < 0 ? int(platform::ResultYes) : answer;
                    },
                    {},
                    {}});
    doc.offerRecovery(keep);
    QCOMPARE(asked, fetched<bool>("asks"));
    QCOMPARE(summary(doc.plan()), fetched<QString>("plan"));
    QCOMPARE(QFile::exists(keep), fetched<bool>("fileStays"));
    QCOMPARE(QFileInfo(doc.path()).fileName(), fetched<QString>("path"));
    // Taken back, it is still changed against where it came from.
    if (doc.plan() == kept)
        QVERIFY(doc.isModified());
}

void TestPlanDocument::keptWhileEditing_data()
{
    QTest::addColumn<bool>("earlier"); // a plan of an earlier run waits in the file
    QTest::addColumn<QString>("ops");  // edits, "wait:MS" and "save"
    QTest::addColumn<QString>("kept"); // the plan in the file; "-" no file

    const int delay = plan::RecoveryWriter::DelayMs;
    const QString wait = QStringLiteral(" wait:%1 ").arg(delay);
    QTest::newRow("written a few seconds after a change")
        << false << "add out:1=on" + wait << "handling;1+:B";
    QTest::newRow("the latest change is kept")
        << false << "add" + wait + "out:2=on" + wait << "handling;2+:B";
    QTest::newRow("saved: the file goes") << false << "add out:1=on" + wait + "save" + wait << "-";
    QTest::newRow("back to the saved plan: the file goes")
        << false << "add" + wait + "del" + wait << "-";
    QTest::newRow("an earlier run's plan stays until offered")
        << true << "add del" + wait << "band;1+:B";
}

void TestPlanDocument::keptWhileEditing()
{
    QFETCH(bool, earlier);
    QFETCH(QString, ops);
    QFETCH(QString, kept);
    const QString keep = m_files->recoveryPath();
    if (earlier) {
        plan::Plan before;
        before.station = Station::Transportband;
        before.steps.resize(1);
        before.steps[0].setTarget(1, true);
        QVERIFY(plan::writeRecovery({before, QString()}, keep).isEmpty());
    }
    testing::ManualTime time;
    {
        PlanDocument doc;
        doc.setPrompts({{}, {}, {}, [&](const QString&) {
                            return QDir(m_files->documentsFolder()).filePath("mijn.json");
                        }});
        plan::RecoveryWriter writer(doc, *time.newClock(), [keep] { return keep; });
        bool running = false;
        for (const QString& op : ops.split(' ', Qt::SkipEmptyParts)) {
            if (op.startsWith("wait:"))
                time.advance(op.section(':', 1).toInt());
            else if (op == "save")
                QVERIFY(doc.saveAs());
            else
                perform(doc, running, op);
        }
        // Gone without an orderly end: nothing flushed.
    }
    QCOMPARE(QFile::exists(keep), kept != "-");
    if (kept != "-")
        QCOMPARE(summary(plan::readRecovery(keep).value_or(plan::Recovery()).plan), kept);
}

void TestPlanDocument::enabledControls_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("frozen");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("enabled");

    const QString all = "open save settings add remove up down fields table";
    QTest::newRow("middle step") << false << false << 3 << 1 << all;
    QTest::newRow("first step") << false << false << 3 << 0
                                << "open save settings add remove down fields table";
    QTest::newRow("last step") << false << false << 3 << 2
                               << "open save settings add remove up fields table";
    QTest::newRow("no selection") << false << false << 3 << -1 << "open save settings add table";
    QTest::newRow("selection past the end")
        << false << false << 2 << 2 << "open save settings add table";
    QTest::newRow("running") << true << false << 3 << 1 << "save table";
    QTest::newRow("frozen") << false << true << 3 << 1 << "";
    QTest::newRow("frozen while running") << true << true << 3 << 1 << "";
}

// One rule for the window's controls: a frozen class changes, opens and
// saves nothing, and what a release gives back is only what the run and
// the selection allow.
void TestPlanDocument::enabledControls()
{
    QFETCH(bool, running);
    QFETCH(bool, frozen);
    QFETCH(int, steps);
    QFETCH(int, selected);
    QFETCH(QString, enabled);
    plan::EditorSituation s;
    s.running = running;
    s.frozen = frozen;
    s.steps = steps;
    s.selected = selected;
    const plan::EditorEnabled e = plan::editorEnabled(s);
    QStringList on;
    const std::pair<const char*, bool> flags[] = {
        {"open", e.openFiles}, {"save", e.save},         {"settings", e.planSettings},
        {"add", e.add},        {"remove", e.remove},     {"up", e.up},
        {"down", e.down},      {"fields", e.stepFields}, {"table", e.stepTable}};
    for (const auto& [name, flag] : flags)
        if (flag)
            on << QString::fromLatin1(name);
    QCOMPARE(on.join(QLatin1Char(' ')), enabled);
}

QTEST_GUILESS_MAIN(TestPlanDocument)
#include "tst_plan_document.moc"
