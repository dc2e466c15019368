#include "step_plan/lesson_pane.h"

#include "controls/color.h"
#include "controls/palette.h"
#include "lesson/lesson_file.h"
#include "lesson/live_check.h"
#include "platform/clock.h"
#include "platform/dialog_gate.h"
#include "platform/services.h"
#include "step_plan/fault_report_dialog.h"
#include "step_plan/lesson_replay.h"
#include "step_plan/plan_document.h"
#include "step_plan/plan_files.h"
#include "step_plan/sequencer.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace plan
{

namespace
{

const QString Comic = QStringLiteral("Comic Sans MS");

QFont paneFont(double points = 10, bool bold = false)
{
    return ctl::makeFont(Comic, points, bold);
}

ctl::CommandButton* paneButton(QWidget* parent, const QString& name, const QString& caption,
                               int width)
{
    auto* b = new ctl::CommandButton(parent);
    b->setObjectName(name);
    b->setBackColor(ctl::KleurKnopGrijs);
    b->setFontName(Comic);
    b->setFontSize(11.25);
    b->setCaption(caption);
    b->setFixedSize(width, 34);
    return b;
}

} // namespace

LessonPane::LessonPane(PlanDocument& document, const Sequencer& sequencer,
                       std::function<void()> commitTyping, QWidget* parent)
    : ctl::Frame(parent), m_document(document), m_sequencer(sequencer),
      m_commitTyping(std::move(commitTyping)), m_ownTime(std::make_unique<platform::SteadyTime>())
{
    setObjectName(QStringLiteral("FrameOpdracht"));
    build();
    connect(&m_sequencer, &Sequencer::changed, this, &LessonPane::refreshButtons);
    connect(&m_document, &PlanDocument::planChanged, this, &LessonPane::planChanged);
    // Shown once a lesson is open.
    hide();
}

LessonPane::~LessonPane()
{
    delete m_replay.data();
    m_live.reset();
}

LessonReplay* LessonPane::replay() const
{
    return m_replay.data();
}

void LessonPane::build()
{
    setBackColor(ctl::KleurLila);
    setForeColor(ctl::KleurMarine);
    setFontName(Comic);
    setFontSize(12);
    setCaption(QStringLiteral(" Opdracht "));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, QFontMetrics(font()).height() + 4, 10, 10);
    row->setSpacing(10);

    // What the teacher asks, as the pupil reads it.
    auto* left = new QVBoxLayout;
    m_text = new QTextBrowser(this);
    m_text->setObjectName(QStringLiteral("OpdrachtTekst"));
    m_text->setAccessibleName(QStringLiteral("Opdracht"));
    m_text->setFont(paneFont());
    m_text->setOpenLinks(false);
    // Room for the steps below: longer texts and reports scroll.
    m_text->setMinimumHeight(80);
    m_text->setMaximumHeight(140);
    left->addWidget(m_text);
    m_noteLabel = new QLabel(this);
    m_noteLabel->setObjectName(QStringLiteral("OpdrachtStartplan"));
    m_noteLabel->setFont(paneFont(10, true));
    m_noteLabel->setWordWrap(true);
    m_noteLabel->setStyleSheet(QStringLiteral("QLabel { color: #000080; }"));
    m_noteLabel->hide();
    left->addWidget(m_noteLabel);
    left->addStretch(1);
    row->addLayout(left, 1);

    // The check and what it found, one row a scenario.
    auto* right = new QVBoxLayout;
    m_table = new QTableWidget(0, 2, this);
    m_table->setObjectName(QStringLiteral("Controletabel"));
    m_table->setAccessibleName(QStringLiteral("Controle"));
    m_table->setFont(paneFont());
    m_table->setHorizontalHeaderLabels({QString(), QStringLiteral("Scenario")});
    m_table->horizontalHeader()->setFont(paneFont(10, true));
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_table->setColumnWidth(0, 30);
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    // One Tab stop: the arrow keys walk the scenarios, Tab goes on.
    m_table->setTabKeyNavigation(false);
    m_table->setStyleSheet(QStringLiteral("QTableWidget:focus { border: 3px solid #000080; }"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(true);
    m_table->setMinimumHeight(80);
    m_table->setMaximumHeight(140);
    right->addWidget(m_table, 1);
    auto* buttons = new QHBoxLayout;
    m_check = paneButton(this, QStringLiteral("CMD_Controleer"), QStringLiteral("Controleer"), 120);
    m_watch = paneButton(this, QStringLiteral("CMD_Bekijk"), QStringLiteral("Bekijk"), 96);
    m_watch->setToolTipText(QStringLiteral("Speel het gekozen scenario af"));
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("ControleUitslag"));
    m_summary->setFont(paneFont(10, true));
    m_summary->setWordWrap(true);
    buttons->addWidget(m_check);
    buttons->addWidget(m_watch);
    buttons->addWidget(m_summary, 1);
    right->addLayout(buttons);
    // Only when a PLC can drive the station (see setLiveTarget).
    m_checkLive = paneButton(this, QStringLiteral("CMD_ControleerPLC"),
                             QStringLiteral("Controleer met de PLC"), 220);
    m_checkLive->setToolTipText(
        QStringLiteral("Speel de scenario's op het station terwijl de PLC het bestuurt"));
    m_checkLive->hide();
    right->addWidget(m_checkLive);
    // Only while there is a fault to find.
    m_reportFault = paneButton(this, QStringLiteral("CMD_StoringMelden"),
                               QStringLiteral("Storing melden…"), 180);
    m_reportFault->setToolTipText(
        QStringLiteral("Zeg welke ingang of uitgang een storing heeft, en welke"));
    m_reportFault->hide();
    right->addWidget(m_reportFault, 0, Qt::AlignLeft);
    row->addLayout(right, 1);

    connect(m_check, &QAbstractButton::clicked, this, &LessonPane::check);
    connect(m_watch, &QAbstractButton::clicked, this, [this] { watch(m_table->currentRow()); });
    connect(m_checkLive, &QAbstractButton::clicked, this, [this] {
        if (isCheckingLive())
            stopLive();
        else
            checkLive();
    });
    connect(m_reportFault, &QAbstractButton::clicked, this, &LessonPane::reportFault);
    connect(m_table, &QTableWidget::currentCellChanged, this, &LessonPane::refreshButtons);
    // A sentence wraps to the width its column has now.
    connect(m_table->horizontalHeader(), &QHeaderView::sectionResized, m_table,
            &QTableWidget::resizeRowsToContents);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int r) { watch(r); });
    refreshButtons();
}

void LessonPane::chooseLesson()
{
    if (m_sequencer.isActive() || m_frozen)
        return;
    const QString folder = planFiles().lessonsFolder();
    const QString path = platform::fileDialogs().openFileName(
        window(), QStringLiteral("Opdracht openen"), folder, QStringLiteral("Opdrachten (*.json)"));
    if (!path.isEmpty() && !m_frozen)
        openLesson(path);
}

bool LessonPane::openLesson(const QString& path)
{
    const lesson::ReadResult read = lesson::readLessonFile(path);
    if (!read.lesson) {
        platform::MessageRequest box;
        box.title = QStringLiteral("Opdracht openen");
        box.text = read.error;
        box.icon = platform::MessageIcon::Warning;
        platform::messages().show(window(), box);
        return false;
    }
    const QString refusal = openLesson(*read.lesson);
    if (!refusal.isEmpty()) {
        platform::MessageRequest box;
        box.title = QStringLiteral("Opdracht openen");
        box.text = refusal;
        box.icon = platform::MessageIcon::Warning;
        platform::messages().show(window(), box);
        return false;
    }
    return true;
}

QString LessonPane::openLesson(const lesson::Lesson& lesson)
{
    // The fault goes on before anything changes: refused, the open lesson
    // and its fault stay as they were.
    if (lesson.hunt) {
        const QString why = m_faultHooks.apply
                                ? m_faultHooks.apply(lesson.hunt)
                                : QStringLiteral("Dit programma kan hier geen storing zetten.");
        if (!why.isEmpty())
            return QStringLiteral("De opdracht \"%1\" kan hier niet: %2").arg(lesson.title, why);
        m_lessonFaultApplied = true;
    } else {
        liftLessonFault();
    }
    delete m_replay.data();
    m_live.reset();
    m_lesson = lesson;
    m_report.reset();
    m_hunt.reset();
    m_huntSentence.clear();
    if (lesson.hunt)
        m_hunt.emplace(*lesson.hunt, nowMs());
    takeStartPlan();
    showLesson();
    showReport();
    refreshButtons();
    show();
    return {};
}

void LessonPane::liftLessonFault()
{
    if (!m_lessonFaultApplied)
        return;
    m_lessonFaultApplied = false;
    if (m_faultHooks.apply)
        m_faultHooks.apply(std::nullopt);
}

qint64 LessonPane::nowMs() const
{
    return (m_faultHooks.time ? m_faultHooks.time : m_ownTime.get())->nowMs();
}

void LessonPane::setFaultHooks(FaultHooks hooks)
{
    m_faultHooks = std::move(hooks);
}

void LessonPane::setTeacherFault(const std::optional<lesson::HiddenFault>& fault)
{
    if (!fault) {
        m_teacherHunt.reset();
    } else if (!m_teacherHunt || m_teacherHunt->hidden() != *fault) {
        m_teacherHunt.emplace(*fault, nowMs());
    }
    refreshButtons();
}

void LessonPane::outputSwitched()
{
    if (m_teacherHunt)
        m_teacherHunt->outputSwitched();
    else if (m_hunt)
        m_hunt->outputSwitched();
}

const lesson::FaultHunt* LessonPane::faultHunt() const
{
    if (m_teacherHunt)
        return &*m_teacherHunt;
    return m_hunt ? &*m_hunt : nullptr;
}

bool LessonPane::reportFault()
{
    const lesson::FaultHunt* hunt = faultHunt();
    if (!m_lesson || !hunt || hunt->found())
        return false;
    FaultReportDialog dialog(m_lesson->station, window());
    if (platform::runDialog(dialog) != QDialog::Accepted || !faultHunt() || faultHunt()->found())
        return false;
    const QString sentence = answerFault(dialog.answer());
    platform::MessageRequest box;
    box.title = QStringLiteral("Storing melden");
    box.text = sentence;
    box.icon =
        faultHunt()->found() ? platform::MessageIcon::Information : platform::MessageIcon::None;
    platform::messages().show(window(), box);
    return true;
}

QString LessonPane::answerFault(const lesson::HiddenFault& answer)
{
    const bool teacher = m_teacherHunt.has_value();
    lesson::FaultHunt* hunt = teacher ? &*m_teacherHunt : m_hunt ? &*m_hunt : nullptr;
    if (!m_lesson || !hunt || hunt->found())
        return {};
    const qint64 now = nowMs();
    const bool right = hunt->answer(answer, now);
    m_huntSentence = lesson::answerSentence(hunt->hidden(), answer, m_lesson->station);
    // Found, the lesson's fault is lifted; the teacher's stays until the
    // teacher lifts it, so the tile never shows a fault the PC lost.
    if (right && !teacher)
        liftLessonFault();
    refreshButtons();
    emit faultReported(*m_lesson, {hunt->found(), hunt->attempts(), hunt->seconds(now),
                                   hunt->switches(), teacher});
    return m_huntSentence;
}

void LessonPane::goOnHunting(const lesson::Lesson& lesson, const lesson::HuntResult& kept)
{
    if (!m_lesson || !m_hunt || !(lesson == *m_lesson))
        return;
    const bool wasFound = m_hunt->found();
    m_hunt->goOnFrom(kept, nowMs());
    // The line says what the last answer was: a record not found ended on
    // a wrong one.
    if (m_hunt->found() && !wasFound) {
        liftLessonFault();
        m_huntSentence =
            lesson::answerSentence(m_hunt->hidden(), m_hunt->hidden(), m_lesson->station);
    } else if (!m_hunt->found() && m_hunt->attempts() > 0 && m_huntSentence.isEmpty()) {
        m_huntSentence = QStringLiteral("Nee, dat is het niet.");
    }
    refreshButtons();
}

void LessonPane::refreshHunt()
{
    const lesson::FaultHunt* hunt = faultHunt();
    const bool hunting = m_lesson && (m_lesson->hunt || m_teacherHunt);
    m_reportFault->setVisible(hunting);
    m_reportFault->setEnabled(hunt && !hunt->found());
    if (!m_lesson || !m_lesson->hunt)
        return;
    // A lesson without scenarios: nothing to check, the answers instead.
    m_table->hide();
    m_check->hide();
    m_watch->hide();
    m_checkLive->hide();
    if (!hunt)
        return;
    QString line = m_huntSentence;
    if (hunt->attempts() > 0)
        line +=
            QStringLiteral(" (%1 %2)")
                .arg(hunt->attempts())
                .arg(hunt->attempts() == 1 ? QStringLiteral("poging") : QStringLiteral("pogingen"));
    m_summary->setText(line.trimmed());
}

// A pupil opening a lesson expects to start from the teacher's plan when
// there is nothing of their own yet, and never to lose their own steps to
// it: a question at that moment would put those steps one wrong click from
// being gone. So an empty plan nobody changed takes the start plan (or an
// empty plan for the lesson's station), and any other plan stays, with a
// line saying so.
void LessonPane::takeStartPlan()
{
    m_note.clear();
    const lesson::Lesson& l = *m_lesson;
    const bool untouched = m_document.plan().steps.isEmpty() && !m_document.isModified();
    Plan start;
    start.station = l.station;
    if (l.startPlan)
        start = *l.startPlan;
    if (untouched) {
        if (!(start == m_document.plan()))
            m_document.begin(start);
        return;
    }
    if (l.startPlan && !(start == m_document.plan()))
        m_note = QStringLiteral("Het startplan van de opdracht is niet geladen: je eigen plan "
                                "blijft staan. Kies Nieuw en open de opdracht opnieuw om met "
                                "het startplan te beginnen.");
    else if (m_document.plan().station != l.station)
        m_note = QStringLiteral("Let op: je plan is voor %1, de opdracht voor %2.")
                     .arg(station::displayName(m_document.plan().station),
                          station::displayName(l.station));
}

void LessonPane::showLesson()
{
    const lesson::Lesson& l = *m_lesson;
    setCaption(QStringLiteral(" Opdracht: %1 ").arg(l.title));
    QString html =
        QStringLiteral("<p><b>%1</b> (%2)</p>")
            .arg(l.title.toHtmlEscaped(), station::displayName(l.station).toHtmlEscaped());
    for (const QString& line : l.text)
        html += QStringLiteral("<p>%1</p>").arg(line.toHtmlEscaped());
    m_text->setHtml(html);
    m_noteLabel->setText(m_note);
    m_noteLabel->setVisible(!m_note.isEmpty());
}

bool LessonPane::check()
{
    if (!m_lesson || m_lesson->hunt || m_sequencer.isActive() || isCheckingLive())
        return false;
    m_live.reset();
    if (m_commitTyping)
        m_commitTyping();
    m_checked = m_document.plan();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_report = lesson::checkPlan(*m_lesson, m_checked);
    QApplication::restoreOverrideCursor();
    showReport();
    // The first scenario that went wrong is the one to look at.
    for (int r = 0; r < m_report->scenarios.size(); ++r)
        if (!m_report->scenarios[r].passed) {
            m_table->setCurrentCell(r, 0);
            break;
        }
    if (m_table->currentRow() < 0 && m_table->rowCount() > 0)
        m_table->setCurrentCell(0, 0);
    refreshButtons();
    emit checked(*m_report, m_checked);
    return true;
}

void LessonPane::showReport()
{
    m_table->clearContents();
    const int rows = m_report ? int(m_report->scenarios.size()) : 0;
    m_table->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        const lesson::ScenarioResult& s = m_report->scenarios[r];
        auto* mark = new QTableWidgetItem(s.passed ? QStringLiteral("✓") : QStringLiteral("✗"));
        mark->setData(Qt::AccessibleTextRole,
                      s.passed ? QStringLiteral("goed") : QStringLiteral("fout"));
        mark->setTextAlignment(Qt::AlignCenter);
        mark->setFont(paneFont(12, true));
        mark->setForeground(s.passed ? QColor(0, 128, 0) : QColor(176, 0, 0));
        QString text = QStringLiteral("%1. %2").arg(r + 1).arg(s.name);
        if (!s.passed)
            text += QLatin1Char('\n') + s.sentence;
        auto* what = new QTableWidgetItem(text);
        what->setToolTip(s.sentence);
        m_table->setItem(r, 0, mark);
        m_table->setItem(r, 1, what);
    }
    m_table->resizeRowsToContents();
    m_table->setAccessibleDescription(m_report ? lesson::reportText(*m_report) : QString());
    showSummary();
}

void LessonPane::showSummary()
{
    if (!m_report) {
        m_summary->clear();
        return;
    }
    const int total = int(m_report->scenarios.size());
    const int passed = m_report->passed();
    QString summary = passed == total ? QStringLiteral("Alle %1 goed.").arg(total)
                                      : QStringLiteral("%1 van %2 goed.").arg(passed).arg(total);
    if (!(m_checked == m_document.plan()))
        summary += QStringLiteral(" Je plan is daarna veranderd: controleer opnieuw.");
    m_summary->setText(summary);
}

bool LessonPane::watch(int row)
{
    if (!m_lesson || !m_report || row < 0 || row >= m_report->scenarios.size())
        return false;
    delete m_replay.data();
    platform::Clock* stationClock = m_clocks ? m_clocks() : nullptr;
    platform::Clock* runClock = m_clocks ? m_clocks() : nullptr;
    // The replay plays the plan that was checked, so it shows what the row says.
    m_replay = new LessonReplay(*m_lesson, row, m_checked, stationClock, runClock, window());
    // Over the lower part of the Stappenplan window, inside the screen.
    const QRect area = platform::screens().usableArea(window());
    QRect r(QPoint(), m_replay->size());
    r.moveCenter(window()->frameGeometry().center());
    r.moveLeft(std::max(area.left(), std::min(r.left(), area.right() - r.width())));
    r.moveTop(std::max(area.top(), std::min(r.top(), area.bottom() - r.height())));
    m_replay->move(r.topLeft());
    m_replay->show();
    m_replay->raise();
    m_replay->activateWindow();
    return true;
}

void LessonPane::refreshButtons()
{
    const bool idle = !m_sequencer.isActive();
    const bool live = isCheckingLive();
    m_check->setEnabled(m_lesson.has_value() && idle && !live);
    m_watch->setEnabled(m_report.has_value() && m_table->currentRow() >= 0 && !live);
    m_checkLive->setVisible(m_liveRunner && m_liveDriven);
    m_checkLive->setEnabled(live || (m_lesson.has_value() && idle));
    m_checkLive->setCaption(live ? QStringLiteral("Stop de controle")
                                 : QStringLiteral("Controleer met de PLC"));
    const bool scenarios = !m_lesson || !m_lesson->hunt;
    m_table->setVisible(scenarios);
    m_check->setVisible(scenarios);
    m_watch->setVisible(scenarios);
    if (!scenarios)
        m_checkLive->hide();
    refreshHunt();
}

void LessonPane::setLiveTarget(sim::StationRunner* runner, iface::DrivenElsewhere* driven)
{
    m_live.reset();
    m_liveRunner = runner;
    m_liveDriven = driven;
    refreshButtons();
}

bool LessonPane::isCheckingLive() const
{
    return m_live && m_live->isRunning();
}

const lesson::LiveReport* LessonPane::liveReport() const
{
    return m_live && m_live->isDone() ? &m_live->report() : nullptr;
}

bool LessonPane::checkLive()
{
    if (!m_lesson || m_lesson->hunt || !m_liveRunner || !m_liveDriven || m_sequencer.isActive() ||
        isCheckingLive())
        return false;
    delete m_replay.data();
    m_live.reset();
    m_report.reset();
    showReport();
    platform::Clock* clock = m_clocks ? m_clocks() : nullptr;
    if (!clock) {
        m_liveClock = std::make_unique<platform::TimerClock>();
        clock = m_liveClock.get();
    }
    m_live = std::make_unique<lesson::LiveCheck>(*m_lesson, *m_liveRunner, *m_liveDriven, *clock);
    connect(m_live.get(), &lesson::LiveCheck::progressed, this, &LessonPane::liveProgress);
    connect(m_live.get(), &lesson::LiveCheck::finished, this, &LessonPane::liveFinished);
    // Without a PLC that drives, it ends at once and says so.
    m_live->start();
    refreshButtons();
    return true;
}

void LessonPane::stopLive()
{
    if (isCheckingLive())
        m_live->stop();
}

void LessonPane::liveProgress()
{
    if (isCheckingLive())
        m_summary->setText(m_live->progressText());
}

void LessonPane::liveFinished()
{
    showLiveReport();
    refreshButtons();
    // A check that could not start (no PLC drives the station) judged
    // nothing: it is no attempt.
    if (m_live->report().notRun.isEmpty())
        emit checkedLive(m_live->report());
}

void LessonPane::showLiveReport()
{
    const lesson::LiveReport& live = m_live->report();
    const QVector<lesson::ScenarioResult>& played = live.report.scenarios;
    const int rows = live.notRun.isEmpty() ? live.scenarioCount : 0;
    m_table->clearContents();
    m_table->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        const bool wasPlayed = r < played.size();
        const bool passed = wasPlayed && played[r].passed;
        auto* mark = new QTableWidgetItem(!wasPlayed ? QStringLiteral("–")
                                          : passed   ? QStringLiteral("✓")
                                                     : QStringLiteral("✗"));
        mark->setData(Qt::AccessibleTextRole, !wasPlayed ? QStringLiteral("niet gespeeld")
                                              : passed   ? QStringLiteral("goed")
                                                         : QStringLiteral("fout"));
        mark->setTextAlignment(Qt::AlignCenter);
        mark->setFont(paneFont(12, true));
        mark->setForeground(passed ? QColor(0, 128, 0) : QColor(176, 0, 0));
        const QString name = wasPlayed ? played[r].name : m_lesson->scenarios.value(r).name;
        QString text = QStringLiteral("%1. %2").arg(r + 1).arg(name);
        if (!wasPlayed)
            text += QStringLiteral("\nniet gespeeld");
        else if (!passed)
            text += QLatin1Char('\n') + played[r].sentence;
        auto* what = new QTableWidgetItem(text);
        if (wasPlayed)
            what->setToolTip(played[r].sentence);
        m_table->setItem(r, 0, mark);
        m_table->setItem(r, 1, what);
    }
    m_table->resizeRowsToContents();
    m_table->setAccessibleDescription(lesson::liveReportText(live));
    if (!live.notRun.isEmpty())
        m_summary->setText(live.notRun);
    else
        m_summary->setText(QStringLiteral("Live met de PLC op %1: %2 van %3 goed.")
                               .arg(live.plc)
                               .arg(live.report.passed())
                               .arg(live.scenarioCount));
}

// The replay belongs to the window: it ends when the window closes.
void LessonPane::hideEvent(QHideEvent* event)
{
    if (m_replay)
        m_replay->close();
    ctl::Frame::hideEvent(event);
}

void LessonPane::planChanged()
{
    // The report stays for fault finding, but says it is about an older plan.
    if (m_report)
        showSummary();
}

} // namespace plan
