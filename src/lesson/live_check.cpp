#include "lesson/live_check.h"

#include "interface_link/capabilities.h"
#include "lesson/sentences.h"
#include "platform/manual_clock.h"
#include "simulation/station_runner.h"

namespace lesson
{

namespace
{

QString scenariosText(int n)
{
    return n == 1 ? QStringLiteral("scenario") : QStringLiteral("scenario's");
}

} // namespace

QString liveReportText(const LiveReport& live)
{
    QString text;
    if (!live.notRun.isEmpty())
        return QStringLiteral("Opdracht: %1\n%2\n").arg(live.report.title, live.notRun);
    text += QStringLiteral("Live gecontroleerd met de PLC op %1.\n").arg(live.plc);
    text += QStringLiteral("Opdracht: %1\n").arg(live.report.title);
    const QVector<ScenarioResult>& played = live.report.scenarios;
    for (int i = 0; i < played.size(); ++i)
        text += scenarioLine(i + 1, played[i]) + QLatin1Char('\n');
    for (int i = int(played.size()); i < live.scenarioCount; ++i)
        text += QStringLiteral("– Scenario %1: niet gespeeld\n").arg(i + 1);
    text += QStringLiteral("%1 van %2 %3 goed.\n")
                .arg(live.report.passed())
                .arg(live.scenarioCount)
                .arg(scenariosText(live.scenarioCount));
    return text;
}

LiveCheck::LiveCheck(const Lesson& lesson, sim::StationRunner& runner,
                     iface::DrivenElsewhere& driven, platform::Clock& clock, QObject* parent)
    : QObject(parent), m_lesson(lesson), m_runner(runner), m_driven(driven),
      m_split(std::make_unique<platform::SplitClock>(clock)), m_runClock(m_split->newClock()),
      m_tick(m_split->newClock())
{
    m_report.report.title = lesson.title;
    m_report.scenarioCount = int(lesson.scenarios.size());
    m_tick->setWakeHandler([this] {
        emit progressed();
        scheduleTick();
    });
    // Whatever may mean the PLC stopped driving is looked at as it happens.
    connect(&driven, &iface::DrivenElsewhere::statusChanged, this, &LiveCheck::watch);
    connect(&driven, &iface::DrivenElsewhere::holdChanged, this, &LiveCheck::watch);
    connect(&driven, &iface::DrivenElsewhere::outputsDriven, this, &LiveCheck::watch);
    connect(&runner, &sim::StationRunner::stateChanged, this, &LiveCheck::watch);
}

LiveCheck::~LiveCheck()
{
    m_run.reset();
    // Closed while it ran: the station is left as the check would have left it.
    if (m_started && !m_done && m_playedAny)
        m_runner.restartStation();
    m_tick->setWakeHandler({});
}

QString LiveCheck::owner() const
{
    // The refusal is there only while connected with an owner.
    return m_driven.outputsRefusal().isEmpty() ? QString() : m_driven.drivenBy();
}

QString LiveCheck::lostReason() const
{
    if (m_runner.station() != m_lesson.station)
        return QStringLiteral("er is een ander station gekozen");
    if (m_driven.isHeld())
        return QStringLiteral("de Noodstop houdt alle uitgangen uit");
    const QString now = owner();
    if (now.isEmpty())
        return QStringLiteral("de PLC op %1 bestuurt de uitgangen niet meer").arg(m_report.plc);
    if (now != m_report.plc)
        return QStringLiteral("de PLC op %1 bestuurt nu de uitgangen").arg(now);
    return {};
}

void LiveCheck::start()
{
    if (m_started)
        return;
    m_started = true;
    const station::Station wanted = m_lesson.station;
    if (m_lesson.scenarios.isEmpty()) {
        end(QStringLiteral("De opdracht heeft geen scenario's; er is niets gecontroleerd."));
    } else if (m_driven.isHeld()) {
        end(QStringLiteral("De Noodstop houdt alle uitgangen uit; er is niets gecontroleerd."));
    } else if (owner().isEmpty()) {
        end(QStringLiteral("Er bestuurt geen PLC de uitgangen; er is niets gecontroleerd."));
    } else if (m_runner.station() != wanted) {
        end(QStringLiteral("De opdracht is voor %1: kies dat station in het hoofdvenster. Er is "
                           "niets gecontroleerd.")
                .arg(station::displayName(wanted)));
    } else {
        m_report.plc = owner();
        startScenario();
    }
}

void LiveCheck::stop()
{
    if (!isRunning())
        return;
    m_pupilStopped = true;
    if (m_run && !m_run->isDone())
        m_run->stop();
}

QString LiveCheck::progressText() const
{
    if (!isRunning() || !m_run)
        return {};
    return QStringLiteral("Scenario %1 van %2 loopt… %3 s")
        .arg(m_index + 1)
        .arg(m_report.scenarioCount)
        .arg(m_run->elapsedMs() / 1000);
}

void LiveCheck::startScenario()
{
    // The last run ended in its own signal; it goes here, outside it.
    m_run.reset();
    if (m_done)
        return;
    if (m_pupilStopped) {
        end();
        return;
    }
    if (const QString why = lostReason(); !why.isEmpty()) {
        ScenarioResult r;
        r.name = m_lesson.scenarios[m_index].name;
        r.failedAtMs = 0;
        r.sentence = QStringLiteral("Na %1: %2; de controle is gestopt.").arg(timeText(0), why);
        m_report.report.scenarios.append(r);
        end();
        return;
    }
    m_stopWhy.clear();
    m_playedAny = true;
    m_run = std::make_unique<ScenarioRun>(m_lesson, m_index, m_runner, *m_runClock, nullptr);
    connect(m_run.get(), &ScenarioRun::finished, this, &LiveCheck::onRunFinished);
    m_run->start();
    if (!m_done) {
        scheduleTick();
        emit progressed();
    }
}

void LiveCheck::watch()
{
    if (!m_run || m_run->isDone() || !m_stopWhy.isEmpty())
        return;
    if (const QString why = lostReason(); !why.isEmpty()) {
        m_stopWhy = why;
        m_run->stop();
    }
}

void LiveCheck::onRunFinished()
{
    ScenarioResult r = m_run->result();
    // A pass counts only for a PLC that still drives at the end.
    if (m_stopWhy.isEmpty() && !m_pupilStopped)
        m_stopWhy = lostReason();
    if (!m_stopWhy.isEmpty()) {
        r.passed = false;
        r.failedAtMs = m_run->elapsedMs();
        r.sentence = QStringLiteral("Na %1: %2; de controle is gestopt.")
                         .arg(timeText(r.failedAtMs), m_stopWhy);
    }
    m_report.report.scenarios.append(r);
    m_tick->cancel();
    // The run is still inside its own signal (and perhaps the station's):
    // what follows waits for the event loop.
    QMetaObject::invokeMethod(this, &LiveCheck::afterRun, Qt::QueuedConnection);
}

void LiveCheck::afterRun()
{
    if (m_done)
        return;
    if (!m_stopWhy.isEmpty() || m_pupilStopped || ++m_index >= m_report.scenarioCount) {
        m_run.reset();
        end();
        return;
    }
    startScenario();
}

void LiveCheck::end(const QString& notRun)
{
    if (m_done)
        return;
    m_done = true;
    m_report.notRun = notRun;
    m_tick->cancel();
    // The parts and faults the check laid go; the PLC's outputs stay its own.
    if (m_playedAny)
        m_runner.restartStation();
    emit progressed();
    emit finished();
}

void LiveCheck::scheduleTick()
{
    if (!m_run || m_run->isDone())
        return;
    const qint64 elapsed = m_run->elapsedMs();
    m_tick->wakeAfter(int(1000 - elapsed % 1000));
}

} // namespace lesson
