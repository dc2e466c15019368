#include "lesson/scenario_run.h"

#include "lesson/sentences.h"
#include "outputs/interlocks.h"
#include "platform/manual_clock.h"
#include "simulation/station_runner.h"
#include "step_plan/plan_host.h"
#include "step_plan/sequencer.h"

#include <algorithm>

namespace lesson
{

// The plan's way to the station: the program's interlocks on the runner's
// input word, then the whole word to the runner.
class ScenarioRun::Host : public plan::PlanHost
{
  public:
    explicit Host(sim::StationRunner& runner) : m_runner(runner)
    {
        connect(&runner, &sim::StationRunner::inputsChanged, this,
                [this](quint8 word) { emit inputsChanged(word); });
    }

    bool isConnected() const override { return true; }
    station::Station station() const override { return m_runner.station(); }
    int outputWord() const override { return m_word; }
    int inputWord() const override { return m_runner.inputs(); }
    outputs::Refusal setOutput(int i, bool on) override
    {
        if (i < 0 || i >= plan::PointCount)
            return outputs::Refusal::None;
        const outputs::Refusal why =
            outputs::interlock(m_runner.station(), i, on, m_runner.inputs(), m_word);
        if (why == outputs::Refusal::None)
            m_word = on ? (m_word | (1 << i)) : (m_word & ~(1 << i));
        m_runner.setOutputs(quint8(m_word));
        return why;
    }
    void emergencyReset() override
    {
        m_word = 0;
        m_runner.setOutputs(0);
    }

  private:
    sim::StationRunner& m_runner;
    int m_word = 0;
};

enum EventKind { LayPart, SetFault, PressButton, End };

struct ScenarioRun::Event {
    qint64 atMs;
    int kind;
    int index;
};

struct ScenarioRun::Engine {
    explicit Engine(platform::Clock& clock, sim::StationRunner& runner)
        : split(clock), events(split.newClock()), planClock(split.newClock()), host(runner)
    {
    }
    platform::SplitClock split;
    platform::Clock* events;
    platform::Clock* planClock;
    Host host;
    std::unique_ptr<plan::Sequencer> sequencer;
    // Due events, in the order they fall due (the same time: as scheduled).
    QVector<Event> due;
    // Parts whose time has come, waiting for the start of the belt.
    QVector<bool> waitingParts;
    // Counts the pupil's waits, so a press meant for one wait never ends another.
    int buttonWait = 0;
    bool waiting = false;
    bool laying = false;
};

ScenarioRun::ScenarioRun(const Lesson& lesson, int scenario, sim::StationRunner& runner,
                         platform::Clock& clock, const plan::Plan* plan, QObject* parent)
    : QObject(parent), m_scenario(lesson.scenarios.value(scenario)),
      m_valid(scenario >= 0 && scenario < lesson.scenarios.size()), m_station(lesson.station),
      m_runner(runner), m_clock(clock), m_engine(std::make_unique<Engine>(clock, runner))
{
    m_result.name = m_scenario.name;
    m_engine->events->setWakeHandler([this] { onWake(); });
    if (plan) {
        m_engine->sequencer =
            std::make_unique<plan::Sequencer>(m_engine->host, *m_engine->planClock);
        m_engine->sequencer->setPlan(*plan);
        connect(m_engine->sequencer.get(), &plan::Sequencer::changed, this, [this] {
            if (m_done)
                return;
            pressIfWaiting();
            judgeContinuous();
            emit changed();
        });
    }
    connect(&runner, &sim::StationRunner::stateChanged, this, &ScenarioRun::onStation);
}

ScenarioRun::~ScenarioRun()
{
    if (m_started && !m_done) {
        m_done = true;
        switchOffPlanOutputs();
    }
    m_engine->events->setWakeHandler({});
}

const plan::Sequencer* ScenarioRun::sequencer() const
{
    return m_engine->sequencer.get();
}

qint64 ScenarioRun::elapsedMs() const
{
    if (!m_started)
        return 0;
    return (m_done ? m_endMs : m_clock.nowMs()) - m_startMs;
}

void ScenarioRun::start()
{
    if (m_started)
        return;
    m_started = true;
    m_startMs = m_clock.nowMs();
    m_busy = true;
    // A fresh station at rest, with every output off when the plan drives.
    switchOffPlanOutputs();
    m_runner.setStation(m_station);
    m_runner.restartStation();
    if (m_scenario.magazine)
        m_runner.setMagazineLids(*m_scenario.magazine);
    m_busy = false;

    if (!m_valid) {
        fail(0, QStringLiteral("Dit scenario bestaat niet in de opdracht."));
        return;
    }
    for (int i = 0; i < m_scenario.parts.size(); ++i)
        schedule(m_scenario.parts[i].ms, LayPart, i);
    for (int i = 0; i < m_scenario.faults.size(); ++i)
        schedule(m_scenario.faults[i].fromMs, SetFault, i);
    schedule(qint64(m_scenario.seconds) * 1000, End, 0);

    // What is due at the start is in place before the plan's first step.
    onWake();
    if (m_done)
        return;
    if (plan::Sequencer* seq = m_engine->sequencer.get(); seq && !seq->start())
        fail(0, QStringLiteral("Het plan kon niet starten: %1").arg(seq->message()));
    judgeContinuous();
}

void ScenarioRun::stop()
{
    if (!m_started || m_done)
        return;
    fail(elapsedMs(), QStringLiteral("Na %1: gestopt voordat het scenario klaar was.")
                          .arg(timeText(m_clock.nowMs() - m_startMs)));
}

void ScenarioRun::schedule(qint64 atMs, int kind, int index)
{
    const Event e{m_startMs + atMs, kind, index};
    auto at = std::upper_bound(m_engine->due.begin(), m_engine->due.end(), e,
                               [](const Event& a, const Event& b) { return a.atMs < b.atMs; });
    m_engine->due.insert(at, e);
    m_engine->events->wakeAfter(
        int(std::max<qint64>(0, m_engine->due.front().atMs - m_clock.nowMs())));
}

void ScenarioRun::onWake()
{
    while (!m_done && !m_engine->due.isEmpty() && m_engine->due.front().atMs <= m_clock.nowMs()) {
        const Event e = m_engine->due.takeFirst();
        switch (e.kind) {
        case LayPart:
            m_engine->waitingParts.append(m_scenario.parts[e.index].metal);
            layParts();
            break;
        case SetFault: {
            const InputFault& f = m_scenario.faults[e.index];
            m_runner.setInputForce(f.input - 1, f.force);
            break;
        }
        case PressButton:
            if (m_engine->sequencer && e.index == m_engine->buttonWait &&
                m_engine->sequencer->waitsForPupil()) {
                m_engine->waiting = false;
                m_engine->sequencer->next();
            }
            break;
        case End:
            judgeEnd();
            if (!m_done) {
                m_result.passed = true;
                m_result.failedAtMs = -1;
                m_result.sentence.clear();
                finish();
            }
            break;
        }
    }
    if (!m_done && !m_engine->due.isEmpty())
        m_engine->events->wakeAfter(
            int(std::max<qint64>(0, m_engine->due.front().atMs - m_clock.nowMs())));
}

void ScenarioRun::onStation()
{
    if (m_done || m_busy || !m_started)
        return;
    layParts();
    judgeContinuous();
    if (!m_done)
        emit changed();
}

// Lays the parts whose time has come, in order, as long as the start of
// the belt is free.
void ScenarioRun::layParts()
{
    if (m_engine->laying)
        return;
    m_engine->laying = true;
    while (!m_engine->waitingParts.isEmpty() && m_runner.placePart(m_engine->waitingParts.front()))
        m_engine->waitingParts.removeFirst();
    m_engine->laying = false;
}

void ScenarioRun::pressIfWaiting()
{
    const bool waits = m_engine->sequencer->waitsForPupil();
    if (waits && !m_engine->waiting) {
        m_engine->waiting = true;
        ++m_engine->buttonWait;
        schedule(m_clock.nowMs() - m_startMs + m_scenario.buttonMs, PressButton,
                 m_engine->buttonWait);
    } else if (!waits) {
        m_engine->waiting = false;
    }
}

void ScenarioRun::judgeContinuous()
{
    if (m_done || !m_started)
        return;
    const qint64 now = m_clock.nowMs() - m_startMs;
    const Requirements& req = m_scenario.req;
    const QString when = timeText(now);
    const int word = m_runner.outputs();
    for (const OutputPair& p : req.neverTogether) {
        if (outputs::bitSet(word, p.first - 1) && outputs::bitSet(word, p.second - 1)) {
            fail(now, QStringLiteral("Na %1: uitgang %2 en uitgang %3 stonden tegelijk aan.")
                          .arg(when)
                          .arg(p.first)
                          .arg(p.second));
            return;
        }
    }
    if (req.neverBlocked) {
        const sim::Simulation& s = m_runner.simulation();
        if (s.stackMagazine() && s.stackMagazine()->isFeedBlocked()) {
            fail(now, QStringLiteral("Na %1: de doorvoercilinder duwde een deksel tegen de "
                                     "aandrukcilinder, die nog niet omhoog was.")
                          .arg(when));
            return;
        }
        if (s.handling() && s.handling()->isHorizontalBlocked()) {
            fail(now, QStringLiteral("Na %1: de horizontale cilinder liep vast, want de grijper "
                                     "stond nog omlaag.")
                          .arg(when));
            return;
        }
    }
    const plan::Sequencer* seq = m_engine->sequencer.get();
    if (seq && seq->state() == plan::RunState::Failed &&
        (req.planEnd == PlanEnd::Finished || req.planEnd == PlanEnd::Running)) {
        QString why = seq->message();
        if (!why.isEmpty())
            why[0] = why[0].toLower();
        fail(now, QStringLiteral("Na %1: het plan mislukte: %2").arg(when, why));
    }
}

void ScenarioRun::judgeEnd()
{
    const Requirements& req = m_scenario.req;
    const qint64 now = -1; // judged at the end
    if (const plan::Sequencer* seq = m_engine->sequencer.get()) {
        const QString why = planEndText(req.planEnd, seq->state(), seq->currentStep());
        if (!why.isEmpty()) {
            fail(now, why);
            return;
        }
    }
    const sim::Simulation& s = m_runner.simulation();
    const EndCounts counts{
        s.handling() ? s.handling()->partsDelivered() : 0,
        s.handling() ? s.handling()->partsDropped() : 0,
        s.conveyor() ? s.conveyor()->partsInSlide() : 0,
        s.conveyor() ? s.conveyor()->partsAtEnd() : 0,
        s.stackMagazine() ? s.stackMagazine()->deliveredLids() : 0,
    };
    if (const QString why = countsText(req, counts); !why.isEmpty()) {
        fail(now, why);
        return;
    }
    if (req.outputsOff && m_runner.outputs() != 0)
        fail(now, outputsOnText(m_runner.outputs()));
}

void ScenarioRun::switchOffPlanOutputs()
{
    // Without a plan the outputs belong to whoever drives them (a PLC on the
    // served station): writing them here would put the station out of step
    // with the coils that PLC wrote.
    if (m_engine->sequencer)
        m_engine->host.emergencyReset();
}

void ScenarioRun::fail(qint64 atMs, const QString& sentence)
{
    if (m_done)
        return;
    m_result.passed = false;
    m_result.failedAtMs = atMs;
    m_result.sentence = sentence;
    finish();
}

void ScenarioRun::finish()
{
    m_done = true;
    m_endMs = m_clock.nowMs();
    m_engine->due.clear();
    m_engine->events->cancel();
    // Every way out: all outputs off.
    if (plan::Sequencer* seq = m_engine->sequencer.get(); seq && seq->isActive())
        seq->stop(QStringLiteral("Het scenario is afgelopen."));
    switchOffPlanOutputs();
    emit changed();
    emit finished();
}

} // namespace lesson
