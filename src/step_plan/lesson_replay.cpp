#include "step_plan/lesson_replay.h"

#include "controls/accessible_controls.h"
#include "controls/color.h"
#include "lesson/scenario_run.h"
#include "platform/clock.h"
#include "simulation/simulated_station.h"
#include "step_plan/sequencer.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace plan
{

namespace
{

const QColor BarColour(0xb9, 0xc4, 0xcf);
// Where the scene's row of buttons begins.
constexpr double ButtonRowTop = 700;

QFont replayFont(double points, bool bold = false)
{
    return ctl::makeFont(QStringLiteral("Comic Sans MS"), points, bold);
}

// "2,4 s": the replay's time to a tenth, the Dutch way.
QString tenths(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'f', 1)
               .replace(QLatin1Char('.'), QLatin1Char(',')) +
           QStringLiteral(" s");
}

} // namespace

// The station as "Virtuele opstelling" draws it, for the pose the replay
// shows; it takes no clicks.
class LessonReplay::Scene : public QWidget
{
  public:
    explicit Scene(LessonReplay& replay) : QWidget(&replay), m_replay(replay)
    {
        setObjectName(QStringLiteral("BekijkStation"));
        setAccessibleName(QStringLiteral("Het station"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMinimumSize(320, 200);
    }

  protected:
    void paintEvent(QPaintEvent*) override
    {
        const virt::SceneLayout& layout = m_replay.m_layout;
        const QSize pixels = size() * devicePixelRatioF();
        if (m_background.size() != pixels) {
            m_background = QPixmap(pixels);
            m_background.setDevicePixelRatio(devicePixelRatioF());
            m_background.fill(BarColour);
            QPainter p(&m_background);
            p.setRenderHint(QPainter::Antialiasing);
            p.setTransform(virt::sceneTransform(layout.size, size()));
            p.setClipRect(QRectF(QPointF(), layout.size));
            virt::paintStatic(p, layout);
        }
        QPainter p(this);
        p.drawPixmap(0, 0, m_background);
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(virt::sceneTransform(layout.size, size()));
        p.setClipRect(QRectF(QPointF(), layout.size));
        virt::paintMoving(p, layout, m_replay.m_pose, m_replay.m_signals);
    }

  private:
    LessonReplay& m_replay;
    QPixmap m_background;
};

LessonReplay::LessonReplay(const lesson::Lesson& lesson, int scenario, const Plan& plan,
                           platform::Clock* stationClock, platform::Clock* runClock,
                           QWidget* parent)
    : QWidget(parent, Qt::Window), m_lesson(lesson), m_index(scenario), m_plan(plan),
      m_stationClock(stationClock), m_runClock(runClock), m_layout(virt::layoutFor(lesson.station))
{
    ctl::installAccessibleControls();
    // Only the station: the buttons and the hint along the scene's bottom
    // edge act in "Virtuele opstelling", not here.
    m_layout.buttons.clear();
    m_layout.size.setHeight(ButtonRowTop);
    setObjectName(QStringLiteral("OpdrachtBekijken"));
    const QString name = m_index >= 0 && m_index < m_lesson.scenarios.size()
                             ? m_lesson.scenarios[m_index].name
                             : QString();
    setWindowTitle(QStringLiteral("Bekijk: %1").arg(name));
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(400, 330);
    resize(640, 470);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 8, 8, 8);
    root->setSpacing(6);
    m_stepLine = new QLabel(this);
    m_stepLine->setObjectName(QStringLiteral("BekijkStap"));
    m_stepLine->setFont(replayFont(11.25, true));
    root->addWidget(m_stepLine);
    m_scene = new Scene(*this);
    root->addWidget(m_scene, 1);
    m_outcome = new QLabel(this);
    m_outcome->setObjectName(QStringLiteral("BekijkUitslag"));
    m_outcome->setFont(replayFont(11.25));
    m_outcome->setWordWrap(true);
    m_outcome->setMinimumHeight(44);
    m_outcome->setTextInteractionFlags(Qt::TextSelectableByMouse);
    root->addWidget(m_outcome);
    auto* buttons = new QHBoxLayout;
    auto* again = new QPushButton(QStringLiteral("Opnieuw"), this);
    again->setObjectName(QStringLiteral("CMD_Opnieuw"));
    auto* close = new QPushButton(QStringLiteral("Sluiten"), this);
    close->setObjectName(QStringLiteral("CMD_Sluiten"));
    for (QPushButton* b : {again, close}) {
        b->setFont(replayFont(11.25));
        b->setMinimumSize(110, 34);
    }
    buttons->addStretch(1);
    buttons->addWidget(again);
    buttons->addWidget(close);
    root->addLayout(buttons);
    connect(again, &QPushButton::clicked, this, &LessonReplay::restart);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    // The time goes on while nothing moves (a timed wait).
    m_ticker.setInterval(100);
    connect(&m_ticker, &QTimer::timeout, this, &LessonReplay::refreshText);
    if (!m_runClock) {
        m_ownRunClock = std::make_unique<platform::TimerClock>();
        m_runClock = m_ownRunClock.get();
    }
    restart();
}

LessonReplay::~LessonReplay()
{
    // The run goes before the station it drives.
    m_run.reset();
    m_station.reset();
}

void LessonReplay::restart()
{
    // The old run and station let go of their clocks before new ones take them.
    m_run.reset();
    m_station.reset();
    m_station = std::make_unique<sim::SimulatedStation>(m_stationClock);
    // The picture is taken before the run judges the same change: when that
    // change fails the scenario, the picture keeps the moment of failure
    // rather than the outputs switched off after it.
    connect(m_station.get(), &sim::StationRunner::stateChanged, this, &LessonReplay::follow);
    m_run =
        std::make_unique<lesson::ScenarioRun>(m_lesson, m_index, *m_station, *m_runClock, &m_plan);
    connect(m_run.get(), &lesson::ScenarioRun::changed, this, &LessonReplay::refreshText);
    if (const Sequencer* seq = m_run->sequencer())
        connect(seq, &Sequencer::changed, this, &LessonReplay::refreshText);
    connect(m_run.get(), &lesson::ScenarioRun::finished, this, [this] {
        // The time and the step stand where the scenario ended.
        const lesson::ScenarioResult r = m_run->result();
        m_shownMs = r.failedAtMs >= 0 ? r.failedAtMs : m_run->elapsedMs();
        const Sequencer* seq = m_run->sequencer();
        m_planFinished = seq && seq->state() == RunState::Finished;
        m_ticker.stop();
        refreshText();
    });
    m_shownMs = 0;
    m_shownStep = 0;
    m_planFinished = false;
    m_run->start();
    follow();
    if (!m_run->isDone())
        m_ticker.start();
}

bool LessonReplay::isDone() const
{
    return m_run && m_run->isDone();
}

void LessonReplay::follow()
{
    if (!m_station || (m_run && m_run->isDone()))
        return;
    m_pose = virt::poseFor(m_layout, m_station->simulation());
    m_signals.inputs = m_station->inputs();
    m_signals.outputs = m_station->outputs();
    for (int i = 0; i < sim::Simulation::InputCount; ++i)
        m_signals.forces[size_t(i)] = m_station->inputForce(i);
    m_scene->update();
    refreshText();
}

void LessonReplay::refreshText()
{
    if (!m_run)
        return;
    const bool done = m_run->isDone();
    const Sequencer* seq = m_run->sequencer();
    if (!done) {
        m_shownMs = m_run->elapsedMs();
        m_shownStep = seq ? seq->currentStep() : 0;
        m_planFinished = seq && seq->state() == RunState::Finished;
    }
    const int seconds = m_index >= 0 && m_index < m_lesson.scenarios.size()
                            ? m_lesson.scenarios[m_index].seconds
                            : 0;
    const QString where =
        m_planFinished ? QStringLiteral("Plan klaar")
        : m_shownStep > 0
            ? QStringLiteral("Stap %1 van %2").arg(m_shownStep).arg(m_plan.steps.size())
            : QStringLiteral("Geen stap");
    m_stepLine->setText(
        QStringLiteral("%1 · %2 van %3 s").arg(where, tenths(m_shownMs)).arg(seconds));
    QString outcome;
    QString colour = QStringLiteral("#000080");
    if (!done) {
        outcome = QStringLiteral("Bezig…");
    } else if (m_run->result().passed) {
        outcome = QStringLiteral("✓ Dit scenario gaat goed.");
        colour = QStringLiteral("#006000");
    } else {
        outcome = QStringLiteral("✗ %1").arg(m_run->result().sentence);
        colour = QStringLiteral("#a00000");
    }
    if (m_outcome->text() != outcome) {
        m_outcome->setText(outcome);
        m_outcome->setStyleSheet(
            QStringLiteral("QLabel { background: white; border: 1px solid #808080; padding: 4px; "
                           "color: %1; }")
                .arg(colour));
    }
}

void LessonReplay::closeEvent(QCloseEvent* event)
{
    if (m_run)
        m_run->stop();
    QWidget::closeEvent(event);
}

} // namespace plan
