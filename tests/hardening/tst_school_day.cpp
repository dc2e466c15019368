// A school day on the simulated station: eight hours of lessons on time the
// test moves, the station stepped at its own 20 ms tick. Each lesson runs
// the repeating example plan for a while, stops it, and lets a seeded
// pupil press outputs, change stations, reconnect and lay parts on the
// belt. Afterwards an all-off leaves every output off and every cylinder at
// an end, and the program holds as many live objects and running timers as
// after the first simulated minute: nothing grows over a day.
//
// Label "schoolday": `ctest -L schoolday` runs it alone. DRAVIK_SCHOOL_DAY_HOURS
// overrides the length for longer runs by hand.
#include "interface_link/simulated_interface.h"
#include "simulation/simulated_station.h"
#include "support/manual_time.h"
#include "support/plan_doubles.h"
#include "support/program_fixture.h"
#include "support/pupil_actions.h"

#include <QAbstractButton>
#include <QTimer>
#include <QtTest>

#include <algorithm>

#include <random>
#include <unordered_set>

// Qt's hooks for tools that follow every QObject (qhooks_p.h).
extern quintptr Q_CORE_EXPORT qtHookData[];

namespace
{

enum HookIndex { AddQObject = 3, RemoveQObject = 4 };
using ObjectHook = void (*)(QObject*);

std::unordered_set<QObject*>* s_live = nullptr;
ObjectHook s_nextAdd = nullptr;
ObjectHook s_nextRemove = nullptr;

void added(QObject* o)
{
    if (s_live)
        s_live->insert(o);
    if (s_nextAdd)
        s_nextAdd(o);
}

void removed(QObject* o)
{
    if (s_live)
        s_live->erase(o);
    if (s_nextRemove)
        s_nextRemove(o);
}

// Every QObject created while it exists, and which of them still live.
class LiveObjects
{
  public:
    LiveObjects()
    {
        s_live = &m_live;
        s_nextAdd = reinterpret_cast<ObjectHook>(qtHookData[AddQObject]);
        s_nextRemove = reinterpret_cast<ObjectHook>(qtHookData[RemoveQObject]);
        qtHookData[AddQObject] = reinterpret_cast<quintptr>(&added);
        qtHookData[RemoveQObject] = reinterpret_cast<quintptr>(&removed);
    }
    ~LiveObjects()
    {
        qtHookData[AddQObject] = reinterpret_cast<quintptr>(s_nextAdd);
        qtHookData[RemoveQObject] = reinterpret_cast<quintptr>(s_nextRemove);
        s_live = nullptr;
    }
    // Qt's plugin caches (QFactoryLoader) are made once per process, the
    // first time a kind of plugin is asked for (an accessibility or image
    // plugin, say); they are not the program's objects growing.
    int count() const
    {
        return int(std::count_if(m_live.begin(), m_live.end(), [](QObject* o) {
            return qstrcmp(o->metaObject()->className(), "QFactoryLoader") != 0;
        }));
    }
    int runningTimers() const
    {
        int n = 0;
        for (QObject* o : m_live)
            if (auto* t = qobject_cast<QTimer*>(o); t && t->isActive())
                ++n;
        return n;
    }

  private:
    std::unordered_set<QObject*> m_live;
};

constexpr qint64 kMinute = 60'000;
constexpr quint64 kSeed = 20261209;

} // namespace

class TestSchoolDay : public QObject
{
    Q_OBJECT

  private slots:
    void eightHoursLeaveNothingBehind();
};

void TestSchoolDay::eightHoursLeaveNothingBehind()
{
    const int hours = qEnvironmentVariableIsSet("DRAVIK_SCHOOL_DAY_HOURS")
                          ? qEnvironmentVariableIntValue("DRAVIK_SCHOOL_DAY_HOURS")
                          : 8;
    LiveObjects live;
    testing::ManualTime time;
    testing::ProgramFixture fx(false, &time);
    auto& station = static_cast<sim::SimulatedStation&>(fx.simulated());
    const QString plan =
        testing::examplePlanFolder() + QStringLiteral("/Stapel magazijn - blijven aandrukken.json");
    std::mt19937_64 random(kSeed);
    auto pick = [&random](int n) { return int(random() % quint64(n)); };

    qint64 worstLagMs = 0;
    // Moves time on from one wake-up to the next (the station's ticks while
    // it moves, the plan's waits), noting how far the simulation lags
    // behind the clock while it moves. Between wake-ups nothing happens, so
    // the idle hours cost nothing.
    auto pass = [&](qint64 ms) {
        const qint64 until = time.now + ms;
        while (time.now < until) {
            const qint64 due = time.nextDue();
            time.advance(due >= time.now && due < until ? std::max<qint64>(due - time.now, 0)
                                                        : until - time.now);
            if (station.isRunning())
                worstLagMs = std::max(worstLagMs, time.now - station.steppedToMs());
        }
    };
    // The pupil closes "Virtuele opstelling" whenever a connect opens it:
    // painting it 50 times a second for hours is the benchmark's business.
    auto closeStationWindow = [&] {
        if (fx.station && fx.station->isVisible())
            fx.station->close();
    };
    auto connected = [&] { return fx.main->Verbonden() != 0; };
    auto connect = [&] {
        if (!connected())
            fx.click(QStringLiteral("CMD_Verbinding"));
        closeStationWindow();
    };

    int plansRun = 0;
    int presses = 0;
    int baselineObjects = -1;
    int baselineTimers = -1;
    for (qint64 lesson = 0; time.now < hours * 60 * kMinute; ++lesson) {
        // The repeating plan on the stack magazine for a few minutes.
        fx.click(QStringLiteral("CMD_StapelMagazijn"));
        connect();
        QVERIFY(connected());
        QVERIFY(fx.stepPlan->load(plan));
        QVERIFY(fx.stepPlan->start());
        ++plansRun;
        pass(kMinute);
        QCOMPARE(fx.stepPlan->property("state").toString(), QStringLiteral("running"));
        if (baselineObjects < 0) {
            baselineObjects = live.count();
            baselineTimers = live.runningTimers();
        }
        pass(2 * kMinute + pick(3) * kMinute);
        fx.stepPlan->stop();
        // The pupil's own work until the lesson's ten minutes are up.
        const qint64 end = (lesson + 1) * 10 * kMinute;
        while (time.now < end) {
            switch (pick(10)) {
            case 0:
                fx.click(testing::stationButtonName(pick(5)));
                break;
            case 1:
                fx.click(QStringLiteral("CMD_Verbinding"));
                break;
            case 2:
                fx.click(QStringLiteral("CMD_ResetAlles"));
                break;
            case 3:
                station.placePart(pick(2) == 0);
                break;
            default:
                fx.click(QStringLiteral("CMD_SetReset(%1)").arg(pick(8)));
                ++presses;
            }
            closeStationWindow();
            // A box the pupil answers (a refusal, a lost link) is recorded.
            pass(200 + pick(3000));
        }
    }

    // The end of the day: all off, and the station comes to rest.
    connect();
    fx.click(QStringLiteral("CMD_ResetAlles"));
    QVERIFY(time.advanceUntil([&] { return !station.isRunning(); }, 10'000));
    QCOMPARE(fx.main->DecimaalUit(), 0);
    QCOMPARE(int(station.outputs()), 0);
    const sim::Simulation& s = station.simulation();
    std::vector<const sim::Cylinder*> cylinders;
    if (const auto* m = s.stackMagazine()) {
        QCOMPARE(m->feed().position(), 0.0);
        QCOMPARE(m->press().position(), 0.0);
    }
    if (const auto* h = s.handling())
        cylinders = {&h->horizontal(), &h->vertical(), &h->gripper()};
    for (const sim::Cylinder* c : cylinders)
        QVERIFY2(c->position() == 0.0 || c->position() == 1.0, "a cylinder stopped half-way");
    fx.click(QStringLiteral("CMD_StapelMagazijn"));
    QVERIFY(time.advanceUntil([&] { return !station.isRunning(); }, 10'000));
    QCOMPARE(station.simulation().stackMagazine()->press().position(), 0.0);

    // Nothing grew: the same objects and timers as after the first minute
    // of the day, each with the repeating plan running a minute.
    fx.stepPlan->load(plan);
    fx.stepPlan->start();
    pass(kMinute);
    QCOMPARE(live.count(), baselineObjects);
    QCOMPARE(live.runningTimers(), baselineTimers);
    fx.stepPlan->stop();
    QVERIFY2(worstLagMs <= sim::SimulatedStation::TickMs,
             qPrintable(QStringLiteral("the simulation lagged %1 ms").arg(worstLagMs)));
    qInfo("%d h: %d plans, %d presses, %d live objects, %d running timers, lag at most %lld ms",
          hours, plansRun, presses, live.count(), live.runningTimers(), worstLagMs);
}

QTEST_MAIN(TestSchoolDay)
#include "tst_school_day.moc"
