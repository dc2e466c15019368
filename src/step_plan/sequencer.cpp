#include "step_plan/sequencer.h"

#include "step_plan/plan_file.h"

#include <QScopeGuard>

namespace plan
{

namespace
{

// Each state's name in files and messages, and the word the pupil reads.
struct StateWords {
    RunState state;
    const char* name;
    const char* word;
};
constexpr StateWords kStateWords[] = {
    {RunState::Stopped, "stopped", "Gestopt"},  {RunState::Running, "running", "Bezig"},
    {RunState::Paused, "paused", "Gepauzeerd"}, {RunState::Finished, "finished", "Klaar"},
    {RunState::Failed, "failed", "Mislukt"},
};

const StateWords* wordsFor(RunState state)
{
    for (const StateWords& w : kStateWords)
        if (w.state == state)
            return &w;
    return nullptr;
}

// Why a plan cannot start, in the first line of what refused the outputs.
QString startRefusal(outputs::Refusal why)
{
    return outputs::refusalText(why).section(QLatin1Char('\r'), 0, 0);
}

} // namespace

QString stateName(RunState state)
{
    const StateWords* w = wordsFor(state);
    return w ? QString::fromLatin1(w->name) : QString();
}

std::optional<RunState> stateFromName(const QString& name)
{
    for (const StateWords& w : kStateWords)
        if (name == QLatin1String(w.name))
            return w.state;
    return std::nullopt;
}

QString stateWord(RunState state)
{
    const StateWords* w = wordsFor(state);
    return w ? QString::fromLatin1(w->word) : QString();
}

Sequencer::Sequencer(PlanHost& host, Clock& clock, QObject* parent)
    : QObject(parent), m_host(&host), m_clock(clock), m_points(stationPoints(m_plan.station))
{
    m_clock.setWakeHandler([this] { onWake(); });
    connect(&host, &PlanHost::inputsChanged, this, &Sequencer::onInputs);
    connect(&host, &PlanHost::stationChanged, this, &Sequencer::onStationChanged);
    connect(&host, &PlanHost::connectionEnding, this, &Sequencer::onConnectionEnding);
    connect(&host, &PlanHost::connectionLost, this, &Sequencer::onConnectionLost);
}

Sequencer::~Sequencer()
{
    m_clock.setWakeHandler({});
    m_clock.cancel();
    // Outputs a plan switched on never outlive it.
    if (isActive() && m_host)
        m_host->emergencyReset();
}

bool Sequencer::setPlan(const Plan& plan)
{
    if (isActive())
        return false;
    m_plan = plan;
    m_points = stationPoints(plan.station);
    m_state = RunState::Stopped;
    m_index = -1;
    emit changed();
    return true;
}

bool Sequencer::waitsForPupil() const
{
    return m_state == RunState::Running && !m_switching && m_index >= 0 &&
           m_index < m_plan.steps.size() && m_plan.steps[m_index].wait.kind == WaitKind::Button;
}

bool Sequencer::start()
{
    return begin(false);
}

bool Sequencer::step()
{
    return begin(true);
}

bool Sequencer::begin(bool single)
{
    if (m_state == RunState::Running) {
        if (single && !m_single) {
            m_single = true;
            emit changed();
        }
        return true;
    }
    QString why;
    if (m_plan.steps.isEmpty())
        why = QStringLiteral("Het stappenplan heeft nog geen stappen.");
    else if (!m_host || !m_host->isConnected())
        why = QStringLiteral("Eerst verbinden met de interface.");
    else if (const outputs::Refusal refused = m_host->outputsRefusal();
             refused != outputs::Refusal::None)
        why = startRefusal(refused);
    else if (const QString unavailable = m_host->stationUnavailable(m_plan.station);
             !unavailable.isEmpty())
        why = unavailable;
    else if (m_host->station() != m_plan.station)
        why = QStringLiteral("Kies eerst het station %1 in het hoofdvenster.")
                  .arg(station::displayName(m_plan.station));
    else if (const QString points = checkPoints(m_plan); !points.isEmpty())
        why = QStringLiteral("Dit plan past niet bij het station: %1").arg(points);
    if (!why.isEmpty()) {
        // A pause that can no longer go on ends like any other stop.
        if (m_state == RunState::Paused)
            end(RunState::Stopped, why);
        else
            setMessage(why);
        emit changed();
        return false;
    }
    const int from = m_state == RunState::Paused ? m_index : 0;
    if (m_state != RunState::Paused)
        ++m_generation;
    m_single = single;
    m_state = RunState::Running;
    runFrom(from);
    return true;
}

void Sequencer::stop(const QString& reason)
{
    if (!isActive())
        return;
    if (!reason.isEmpty()) {
        end(RunState::Stopped, reason);
        return;
    }
    end(RunState::Stopped, m_state == RunState::Paused
                               ? QStringLiteral("Gestopt voor stap %1.").arg(m_index + 1)
                               : QStringLiteral("Gestopt tijdens stap %1.").arg(m_index + 1));
}

void Sequencer::next()
{
    if (waitsForPupil())
        complete();
}

// Runs steps from `index` until one has to wait, the run pauses or ends.
// A loop rather than recursion: a step whose input already stands right
// goes straight on to the next.
void Sequencer::runFrom(int index)
{
    const quint64 run = m_generation;
    int withoutWaiting = 0;
    for (;;) {
        m_index = index;
        const Step step = m_plan.steps[index];
        setMessage(runningText(step));
        emit changed();
        if (!applyOutputs(step) || run != m_generation)
            return;
        if (!waitSatisfied(step)) {
            enterWait(step);
            return;
        }
        // A repeating plan whose every input already stands right would
        // switch the valves back and forth as fast as the machine can.
        if (++withoutWaiting > m_plan.steps.size()) {
            end(RunState::Failed,
                QStringLiteral("Gestopt: het plan herhaalt zich zonder ergens op te wachten "
                               "(alle ingangen stonden al goed)."));
            return;
        }
        index = advance();
        if (index < 0)
            return;
    }
}

bool Sequencer::applyOutputs(const Step& step)
{
    const quint64 run = m_generation;
    m_switching = true;
    const auto done = qScopeGuard([this] { m_switching = false; });
    // Off before on, each in number order.
    for (const bool on : {false, true}) {
        for (int n = 1; n <= PointCount; ++n) {
            const std::optional<bool> target = step.target(n);
            if (!target || *target != on || outputs::bitSet(m_host->outputWord(), n - 1) == on)
                continue;
            const outputs::Refusal why = m_host->setOutput(n - 1, on);
            // The switch may have ended the run (the link was lost).
            if (run != m_generation || m_state != RunState::Running)
                return false;
            if (why != outputs::Refusal::None) {
                const QString reason = outputs::refusalText(why).section(QLatin1Char('\r'), 0, 0);
                m_switching = false;
                end(RunState::Failed, QStringLiteral("Stap %1 geweigerd: %2 mag nu niet %3. %4")
                                          .arg(m_index + 1)
                                          .arg(m_points.outputLabel(n))
                                          .arg(on ? QStringLiteral("aan") : QStringLiteral("uit"))
                                          .arg(reason));
                return false;
            }
        }
    }
    return true;
}

bool Sequencer::waitSatisfied(const Step& step) const
{
    return step.wait.kind == WaitKind::Input &&
           outputs::bitSet(m_host->inputWord(), step.wait.input - 1) == step.wait.on;
}

void Sequencer::enterWait(const Step& step)
{
    switch (step.wait.kind) {
    case WaitKind::Input:
        m_clock.wakeAfter(step.timeoutMs);
        break;
    case WaitKind::Time:
        m_clock.wakeAfter(step.wait.ms);
        break;
    case WaitKind::Button:
        m_clock.cancel();
        break;
    }
    emit changed();
}

// The step under way is done: the index of the next one to run, or -1 when
// the run finished or pauses here.
int Sequencer::advance()
{
    m_clock.cancel();
    int next = m_index + 1;
    if (next >= m_plan.steps.size()) {
        if (!m_plan.repeat) {
            const int n = int(m_plan.steps.size());
            end(RunState::Finished,
                n == 1 ? QStringLiteral("Klaar: stap 1 is uitgevoerd.")
                       : QStringLiteral("Klaar: stap 1 tot en met %1 zijn uitgevoerd.").arg(n));
            return -1;
        }
        next = 0;
    }
    if (m_single) {
        m_index = next;
        m_state = RunState::Paused;
        setMessage(QStringLiteral("Gepauzeerd voor stap %1. Druk op Stap of Start.").arg(next + 1));
        emit changed();
        return -1;
    }
    return next;
}

void Sequencer::complete()
{
    const int next = advance();
    if (next >= 0)
        runFrom(next);
}

void Sequencer::end(RunState state, const QString& message, bool reset)
{
    m_clock.cancel();
    ++m_generation;
    m_state = state;
    m_single = false;
    if (state == RunState::Stopped || state == RunState::Finished)
        m_index = -1;
    setMessage(message);
    if (reset && state != RunState::Finished && m_host)
        m_host->emergencyReset();
    emit changed();
}

void Sequencer::setMessage(const QString& message)
{
    m_message = message;
    emit messageChanged(message);
}

void Sequencer::onInputs()
{
    if (m_state != RunState::Running || m_switching || m_index < 0)
        return;
    const Step& step = m_plan.steps[m_index];
    if (step.wait.kind == WaitKind::Input && waitSatisfied(step))
        complete();
}

void Sequencer::onWake()
{
    if (m_state != RunState::Running || m_index < 0)
        return;
    const Step& step = m_plan.steps[m_index];
    switch (step.wait.kind) {
    case WaitKind::Time:
        complete();
        break;
    case WaitKind::Input:
        if (waitSatisfied(step)) {
            complete();
            break;
        }
        end(RunState::Failed,
            step.wait.on
                ? QStringLiteral("Stap %1 wacht al %2 op %3.")
                      .arg(m_index + 1)
                      .arg(secondsText(step.timeoutMs), m_points.inputLabel(step.wait.input))
                : QStringLiteral("Stap %1 wacht al %2 tot %3 uit is.")
                      .arg(m_index + 1)
                      .arg(secondsText(step.timeoutMs), m_points.inputLabel(step.wait.input)));
        break;
    case WaitKind::Button:
        break;
    }
}

void Sequencer::onStationChanged()
{
    if (!isActive())
        return;
    end(RunState::Stopped,
        m_host && m_host->station() == m_plan.station
            ? QStringLiteral("Gestopt: in het hoofdvenster is het station opnieuw gekozen.")
            : QStringLiteral("Gestopt: in het hoofdvenster is een ander station gekozen."));
}

void Sequencer::onConnectionEnding(const QString& reason)
{
    if (!isActive())
        return;
    end(RunState::Stopped, QStringLiteral("Gestopt: %1").arg(reason));
}

void Sequencer::onConnectionLost(const QString& reason)
{
    if (!isActive())
        return;
    // Nothing reaches the device now: the run ends without the usual reset,
    // and the message says whether the one attempt to switch off worked.
    end(RunState::Stopped, QStringLiteral("Gestopt: %1.").arg(reason), false);
    const quint64 ended = m_generation;
    const bool off = m_host && m_host->switchOffAfterLoss();
    if (ended != m_generation)
        return; // a new run began meanwhile
    setMessage(off ? QStringLiteral("Gestopt: %1; alle uitgangen zijn uit.").arg(reason)
                   : QStringLiteral("Gestopt: %1; de uitgangen konden niet worden uitgezet: kijk "
                                    "naar de opstelling.")
                         .arg(reason));
    emit changed();
}

QString Sequencer::runningText(const Step& step) const
{
    QString text = QStringLiteral("Stap %1 van %2: ").arg(m_index + 1).arg(m_plan.steps.size());
    switch (step.wait.kind) {
    case WaitKind::Input:
        text +=
            (step.wait.on ? QStringLiteral("wacht op %1.") : QStringLiteral("wacht tot %1 uit is."))
                .arg(m_points.inputLabel(step.wait.input));
        break;
    case WaitKind::Time:
        text += QStringLiteral("wacht %1.").arg(secondsText(step.wait.ms));
        break;
    case WaitKind::Button:
        text += QStringLiteral("druk op Volgende.");
        break;
    }
    if (!step.note.isEmpty())
        text += QLatin1Char(' ') + step.note;
    return text;
}

} // namespace plan
