// A step plan run on the main window itself: its writes take the pupil's
// path, and "Verbreek", a lost link and a station change end it with every
// output off before anything else.

#include "main_window/main_plan_host.h"
#include "outputs/output_panel.h"
#include "step_plan/plan_file.h"
#include "step_plan/step_plan_window.h"
#include "support/plan_doubles.h"
#include "support/test_support.h"

#include <QDir>
#include <QLayout>
#include <QTemporaryDir>
#include <QtTest>

using testing::MainFixture;

namespace
{

// Output 1 on, then wait for the pupil.
const QByteArray kPlan = R"({"station": "Stapel magazijn",
  "stappen": [{"zet": {"1": true}, "tot": {"knop": true}},
              {"zet": {"1": false}, "tot": {"knop": true}}],
  "herhaal": false})";

// One step on the combined station.
const QByteArray kCombinedPlan = R"({"station": "Transportband en Station handling",
  "stappen": [{"zet": {"2": true}, "tot": {"knop": true}}], "herhaal": false})";

// The plan as a file in `dir`; its path.
QString writePlan(const QTemporaryDir& dir, const QByteArray& text = kPlan)
{
    const QString path = dir.filePath(QStringLiteral("plan.json"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(text);
    return path;
}

} // namespace

class TestStepPlanInMain : public QObject
{
    Q_OBJECT

  private slots:
    void endsSwitchEverythingOff_data();
    void endsSwitchEverythingOff();
    void startSaysWhy_data();
    void startSaysWhy();
    void endingNeverAsks_data();
    void endingNeverAsks();
    void opensClearOfStationButtonsAndNoodstop_data();
    void opensClearOfStationButtonsAndNoodstop();
};

void TestStepPlanInMain::endsSwitchEverythingOff_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Verbreek") << "verbreek";
    QTest::newRow("link lost") << "lost";
    QTest::newRow("station change") << "station";
}

void TestStepPlanInMain::endsSwitchEverythingOff()
{
    QFETCH(QString, how);
    MainFixture fx;
    MainPlanHost host(*fx.main);
    plan::StepPlanWindow window(host);
    QTemporaryDir dir;
    QVERIFY(window.load(writePlan(dir)));

    fx.port.moduleNumber = 1; // keeps the station view on connecting
    fx.click("CMD_StapelMagazijn");
    fx.click("CMD_Verbinding");
    QCOMPARE(fx.main->Verbonden(), -1);
    fx.port.calls.clear();
    QVERIFY(window.start());
    QCOMPARE(window.property("state").toString(), QStringLiteral("running"));
    QCOMPARE(fx.main->DecimaalUit(), 0x01);
    QCOMPARE(fx.port.calls.last(), QStringLiteral("WriteOutputs(1)"));
    // No modal box came from the plan's own switching.
    QVERIFY(fx.services.messages.shown.isEmpty());

    if (how == QLatin1String("verbreek")) {
        fx.click("CMD_Verbinding");
        // All off while the link was still open, then the link closes.
        const int off = int(fx.port.calls.lastIndexOf(QStringLiteral("WriteOutputs(0)")));
        const int disconnect = int(fx.port.calls.indexOf(QStringLiteral("Disconnect")));
        QVERIFY2(off >= 0 && off < disconnect, qPrintable(fx.port.calls.join(QLatin1Char(' '))));
    } else if (how == QLatin1String("lost")) {
        // The module is reached again and confirms all off.
        fx.port.confirmsOffAfterLoss = true;
        emit fx.port.LinkLost(QStringLiteral("test"));
        QCOMPARE(fx.main->Verbonden(), 0);
        QVERIFY(fx.port.calls.contains(QStringLiteral("switchOffAfterLoss")));
        QCOMPARE(window.property("message").toString(),
                 QStringLiteral("Gestopt: de verbinding met de interface is verbroken; alle "
                                "uitgangen zijn uit."));
    } else {
        fx.click("CMD_Transportband");
    }
    QCOMPARE(window.property("state").toString(), QStringLiteral("stopped"));
    QVERIFY(window.property("message").toString().startsWith(QLatin1String("Gestopt")));
    QCOMPARE(fx.main->DecimaalUit(), 0);
    QCOMPARE(fx.port.written.last(), qint16(0));
}

void TestStepPlanInMain::startSaysWhy_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("connect");
    QTest::addColumn<bool>("plc"); // a PLC drives the outputs
    QTest::addColumn<QString>("message");
    QTest::newRow("not connected")
        << "CMD_TransHandling" << 1 << false << false << "Eerst verbinden met de interface.";
    QTest::newRow("other station in view")
        << "CMD_Transportband" << 1 << true << false
        << "Kies eerst het station Transportband en Station handling in het hoofdvenster.";
    QTest::newRow("PLC drives the outputs")
        << "CMD_TransHandling" << 1 << true << true << "De PLC bestuurt de uitgangen.";
    // A Mini disables the combined station: choosing it is no way out.
    QTest::newRow("Mini") << "CMD_TransHandling" << 5 << true << false
                          << "Met de EasyPort Mini kan het station Transportband en Station "
                             "handling niet worden gekozen. Kies een stappenplan voor "
                             "Transportband of voor Station handling, of verbind met een "
                             "EasyPort D16 of D8A.";
}

void TestStepPlanInMain::startSaysWhy()
{
    QFETCH(QString, button);
    QFETCH(int, model);
    QFETCH(bool, connect);
    QFETCH(bool, plc);
    QFETCH(QString, message);
    testing::FakeDriven driven;
    MainFixture fx;
    if (plc) {
        driven.refusal = QStringLiteral("De PLC bestuurt de uitgangen.");
        fx.main->outputPanel().setDrivenElsewhere(&driven);
    }
    MainPlanHost host(*fx.main);
    plan::StepPlanWindow window(host);
    QTemporaryDir dir;
    QVERIFY(window.load(writePlan(dir, kCombinedPlan)));

    fx.click(button);
    fx.port.moduleNumber = qint16(model);
    if (connect)
        fx.click("CMD_Verbinding");
    QVERIFY(!window.start());
    QCOMPARE(window.property("message").toString(), message);
    QVERIFY(fx.port.written.isEmpty() || fx.port.written.last() == 0);
    QCOMPARE(fx.main->DecimaalUit(), 0);
}

// However the program ends, with a changed plan running or waiting for an
// answer, the outputs go off, nobody is asked and the plan is kept.
void TestStepPlanInMain::endingNeverAsks_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("running");
    QTest::newRow("Afsluiten") << "Afsluiten" << false;
    QTest::newRow("Afsluiten, plan running") << "Afsluiten" << true;
    QTest::newRow("main window closed, plan running") << "close" << true;
    QTest::newRow("signal while Wijzigingen opslaan? waits") << "question" << false;
}

void TestStepPlanInMain::endingNeverAsks()
{
    QFETCH(QString, how);
    QFETCH(bool, running);
    MainFixture fx;
    testing::PlanFilesScope files;
    MainPlanHost host(*fx.main);
    plan::StepPlanWindow window(host);
    QTemporaryDir dir;
    QVERIFY(window.load(writePlan(dir)));
    plan::Plan changed = window.plan();
    changed.repeat = true;
    QVERIFY(window.setPlan(changed));
    fx.main->show();
    window.open(fx.main.get());
    if (running) {
        fx.port.moduleNumber = 1;
        fx.click("CMD_StapelMagazijn");
        fx.click("CMD_Verbinding");
        QVERIFY(window.start());
        QCOMPARE(fx.main->DecimaalUit(), 0x01);
    }

    if (how == QLatin1String("Afsluiten")) {
        fx.click("CMD_Afsluiten");
    } else if (how == QLatin1String("close")) {
        fx.main->close();
    } else {
        // SIGTERM arrives while the question holds the windows; the box then
        // returns without an answer the program could act on.
        fx.services.messages.onShow = [&fx](const platform::MessageRequest&) {
            fx.main->exitProgram();
        };
        fx.services.messages.answer = platform::ResultDiscard;
        window.close();
    }

    QCOMPARE(fx.quits, 1);
    QCOMPARE(fx.services.messages.shown.size(), how == QLatin1String("question") ? 1 : 0);
    QCOMPARE(fx.main->DecimaalUit(), 0);
    QCOMPARE(fx.port.written.last(), qint16(0));
    QCOMPARE(window.state(), QStringLiteral("stopped"));
    QVERIFY(window.plan() == changed);
    const plan::ReadResult kept = plan::readPlanFile(files.files.recoveryPath());
    QVERIFY2(kept.plan, qPrintable(kept.error));
    QVERIFY(*kept.plan == changed);
}

void TestStepPlanInMain::opensClearOfStationButtonsAndNoodstop_data()
{
    QTest::addColumn<QString>("path");
    const QDir folder(testing::examplePlanFolder());
    const QStringList names = folder.entryList({QStringLiteral("*.json")}, QDir::Files);
    QVERIFY(!names.isEmpty());
    for (const QString& name : names)
        QTest::newRow(qPrintable(name)) << folder.filePath(name);
}

// The window tells the pupil which station buttons to use: it must not
// cover them, nor Noodstop, and lies whole on the screen; a plan loaded
// into it (more outputs, a larger step editor) scrolls rather than growing
// the window over them.
void TestStepPlanInMain::opensClearOfStationButtonsAndNoodstop()
{
    QFETCH(QString, path);
    MainFixture fx;
    MainPlanHost host(*fx.main);
    plan::StepPlanWindow window(host);
    fx.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(fx.main.get()));
    window.open(fx.main.get());
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QSize opened = window.size();
    QVERIFY(window.load(path));
    QCoreApplication::processEvents();
    QCOMPARE(window.size(), opened);
    const QSize needs = window.layout()->minimumSize();
    QVERIFY2(
        needs.width() <= window.minimumWidth() && needs.height() <= window.minimumHeight(),
        qPrintable(QStringLiteral("layout needs %1x%2").arg(needs.width()).arg(needs.height())));
    QVERIFY(window.screen()->availableGeometry().contains(window.frameGeometry()));
    for (const char* name : {"Frame_Dravik_Buttons", "Frame7"}) {
        const auto* c = fx.control<QWidget>(QLatin1String(name));
        QVERIFY(c);
        QVERIFY2(!window.frameGeometry().intersects(QRect(c->mapToGlobal(QPoint(0, 0)), c->size())),
                 name);
    }
}

QTEST_MAIN(TestStepPlanInMain)
#include "tst_step_plan_in_main.moc"
