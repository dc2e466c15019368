// The placer in the whole program: the virtual station and the step plan
// opened one after the other, and a change of screen.
#include "main_window/main.h"
#include "platform/services.h"
#include "step_plan/step_plan_window.h"
#include "support/program_fixture.h"
#include "virtual_station/virtual_station_window.h"

#include <QScreen>
#include <QtTest>

class TestWindowPlacer : public QObject
{
    Q_OBJECT

  private slots:
    void sideWindowsKeepClear_data();
    void sideWindowsKeepClear();
};

namespace
{

// The screen's usable area as the test sets it, for as long as it lives.
struct FixedScreen : platform::ScreenService {
    QRect usable;
    explicit FixedScreen(const QRect& r) : usable(r) { platform::setScreens(this); }
    ~FixedScreen() override { platform::setScreens(nullptr); }
    QRect usableArea(const QWidget*) const override { return usable; }
};

} // namespace

void TestWindowPlacer::sideWindowsKeepClear_data()
{
    QTest::addColumn<QRect>("usable");
    QTest::addColumn<QRect>("changedTo"); // null: the screen stays
    QTest::addColumn<bool>("pupilMovesPlan");
    QTest::newRow("1366x768") << QRect(0, 0, 1366, 768) << QRect() << false;
    QTest::newRow("1920x1080 becomes 1366x768, placed again")
        << QRect(0, 0, 1920, 1080) << QRect(0, 0, 1366, 728) << false;
    QTest::newRow("a plan the pupil moved stays")
        << QRect(0, 0, 1920, 1080) << QRect(0, 0, 1366, 728) << true;
}

void TestWindowPlacer::sideWindowsKeepClear()
{
    QFETCH(QRect, usable);
    QFETCH(QRect, changedTo);
    QFETCH(bool, pupilMovesPlan);
    FixedScreen screen(usable);
    testing::ProgramFixture fx;
    fx.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(fx.main));
    fx.click(QStringLiteral("CMD_Verbinding"));
    QVERIFY(fx.station->isVisible());
    fx.stepPlan->open(fx.main);
    QVERIFY(QTest::qWaitForWindowExposed(fx.stepPlan));
    if (pupilMovesPlan)
        fx.stepPlan->move(fx.stepPlan->pos() + QPoint(40, 40));
    const QRect moved = fx.stepPlan->geometry();
    if (!changedTo.isNull()) {
        screen.usable = changedTo;
        emit QGuiApplication::primaryScreen()->availableGeometryChanged(changedTo);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    const QRect area = changedTo.isNull() ? usable : changedTo;
    const QRect plan = fx.stepPlan->frameGeometry();
    const QRect station = fx.station->frameGeometry();
    if (pupilMovesPlan)
        QCOMPARE(fx.stepPlan->geometry(), moved);
    else
        QVERIFY(area.contains(plan) && !plan.intersects(station));
    QVERIFY(area.contains(fx.main->frameGeometry()) && area.contains(station));
    for (const char* name : {"Frame7", "Frame_Dravik_Buttons"}) {
        const auto* w = fx.main->findChild<QWidget*>(QLatin1String(name));
        const QRect keep(w->mapToGlobal(QPoint(0, 0)), w->size());
        QVERIFY2(!station.intersects(keep), name);
        QVERIFY2(pupilMovesPlan || !plan.intersects(keep), name);
    }
}

QTEST_MAIN(TestWindowPlacer)
#include "tst_window_placer.moc"
