// A step plan run on the main window itself: its writes take the pupil's
// path, and "Verbreek", a lost link and a station change end it with every
// output off before anything else.

#include "main_window/plan_host_link.h"
#include "step_plan/step_plan_window.h"
#include "support/test_support.h"

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

// The plan as a file in `dir`; its path.
QString writePlan(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("plan.json"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(kPlan);
    return path;
}

} // namespace

class TestStepPlanInMain : public QObject
{
    Q_OBJECT

  private slots:
    void endsSwitchEverythingOff_data();
    void endsSwitchEverythingOff();
    void startSaysWhy();
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
        emit fx.port.LinkLost(QStringLiteral("test"));
        QCOMPARE(fx.main->Verbonden(), 0);
    } else {
        fx.click("CMD_Transportband");
    }
    QCOMPARE(window.property("state").toString(), QStringLiteral("stopped"));
    QVERIFY(window.property("message").toString().startsWith(QLatin1String("Gestopt")));
    QCOMPARE(fx.main->DecimaalUit(), 0);
    QCOMPARE(fx.port.written.last(), qint16(0));
}

void TestStepPlanInMain::startSaysWhy()
{
    MainFixture fx;
    MainPlanHost host(*fx.main);
    plan::StepPlanWindow window(host);
    QTemporaryDir dir;
    QVERIFY(window.load(writePlan(dir)));

    QVERIFY(!window.start());
    QCOMPARE(window.property("message").toString(),
             QStringLiteral("Eerst verbinden met de interface."));
    fx.port.moduleNumber = 1;
    fx.click("CMD_Verbinding");
    QVERIFY(!window.start());
    QVERIFY2(window.property("message").toString().startsWith(QLatin1String("Kies eerst")),
             qPrintable(window.property("message").toString()));
    QVERIFY(fx.port.written.isEmpty() || fx.port.written.last() == 0);
}

// The window tells the pupil which station buttons to use: it must not
// cover them, nor Noodstop, and lies whole on the screen.
void TestStepPlanInMain::opensClearOfStationButtonsAndNoodstop()
{
    MainFixture fx;
    MainPlanHost host(*fx.main);
    plan::StepPlanWindow window(host);
    fx.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(fx.main.get()));
    window.open(fx.main.get());
    QVERIFY(QTest::qWaitForWindowExposed(&window));
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
