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

class FixedScreen : public platform::ScreenService
{
  public:
    QRect usable;
    QRect usableArea(const QWidget*) const override { return usable; }
};

QRect onScreen(const QWidget* main, const char* name)
{
    const auto* w = main->findChild<QWidget*>(QLatin1String(name));
    return w ? QRect(w->mapToGlobal(QPoint(0, 0)), w->size()) : QRect();
}

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

    FixedScreen screen;
    screen.usable = usable;
    platform::setScreens(&screen);
    {
        testing::ProgramFixture fx;
        fx.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(fx.main));
        fx.click(QStringLiteral("CMD_Verbinding"));
        QVERIFY(fx.station->isVisible());
        fx.stepPlan->open(fx.main);
        QVERIFY(QTest::qWaitForWindowExposed(fx.stepPlan));

        QRect moved;
        if (pupilMovesPlan) {
            fx.stepPlan->move(fx.stepPlan->pos() + QPoint(40, 40));
            moved = fx.stepPlan->geometry();
        }
        if (!changedTo.isNull()) {
            screen.usable = changedTo;
            emit QGuiApplication::primaryScreen()->availableGeometryChanged(changedTo);
            for (int i = 0; i < 5; ++i)
                QCoreApplication::processEvents();
        }
        const QRect area = changedTo.isNull() ? usable : changedTo;
        if (pupilMovesPlan) {
            QCOMPARE(fx.stepPlan->geometry(), moved);
        } else {
            QVERIFY(area.contains(fx.stepPlan->frameGeometry()));
            QVERIFY(!fx.stepPlan->frameGeometry().intersects(fx.station->frameGeometry()));
        }
        QVERIFY(area.contains(fx.main->frameGeometry()));
        QVERIFY(area.contains(fx.station->frameGeometry()));
        for (const char* name : {"Frame7", "Frame_Dravik_Buttons"}) {
            const QRect keep = onScreen(fx.main, name);
            QVERIFY(!keep.isEmpty());
            QVERIFY2(!fx.station->frameGeometry().intersects(keep), name);
            if (!pupilMovesPlan)
                QVERIFY2(!fx.stepPlan->frameGeometry().intersects(keep), name);
        }
    }
    platform::setScreens(nullptr);
}

QTEST_MAIN(TestWindowPlacer)
#include "tst_window_placer.moc"
