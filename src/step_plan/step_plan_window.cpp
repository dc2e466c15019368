#include "step_plan/step_plan_window.h"

#include "controls/accessible_controls.h"
#include "controls/controls.h"
#include "controls/palette.h"
#include "platform/services.h"
#include "step_plan/editor_state.h"
#include "step_plan/lesson_pane.h"
#include "step_plan/plan_files.h"
#include "step_plan/station_points.h"
#include "window_placement/window_placer.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>

namespace plan
{

namespace
{

// The main window's frame colours.
constexpr ctl::OleColor Silver = ctl::KleurZilver;
constexpr ctl::OleColor Blue = ctl::KleurBlauw;
constexpr ctl::OleColor Green = ctl::KleurGroen;
constexpr ctl::OleColor Navy = ctl::KleurMarine;
constexpr ctl::OleColor DarkGreen = ctl::KleurDonkergroen;
constexpr ctl::OleColor ButtonGrey = ctl::KleurKnopGrijs;
const QColor LampOn(255, 255, 0);
const QColor PausedBlue(147, 191, 240);
const QColor FailedRed(255, 170, 170);
const QString Comic = QStringLiteral("Comic Sans MS");

const std::array<station::Station, 4> Stations = {
    station::Station::StapelMagazijn, station::Station::Transportband,
    station::Station::Stationhandling, station::Station::TransHandling};

QFont bodyFont(double points = 10, bool bold = false)
{
    return ctl::makeFont(Comic, points, bold);
}

ctl::Frame* frame(QWidget* parent, const QString& caption, ctl::OleColor back, ctl::OleColor fore)
{
    auto* f = new ctl::Frame(parent);
    f->setBackColor(back);
    f->setForeColor(fore);
    f->setFontName(Comic);
    f->setFontSize(12);
    f->setCaption(caption);
    return f;
}

// Room for the caption above a frame's contents.
void frameMargins(QLayout* layout, const ctl::Frame* f)
{
    const int top = QFontMetrics(f->font()).height() + 4;
    layout->setContentsMargins(10, top, 10, 10);
}

ctl::CommandButton* button(QWidget* parent, const QString& name, const QString& caption, int width,
                           int height = 34)
{
    auto* b = new ctl::CommandButton(parent);
    b->setObjectName(name);
    b->setBackColor(ButtonGrey);
    b->setFontName(Comic);
    b->setFontSize(11.25);
    b->setCaption(caption);
    b->setFixedSize(width, height);
    return b;
}

template <typename W> W* body(W* w, const QString& name = QString())
{
    w->setFont(bodyFont());
    if (!name.isEmpty())
        w->setObjectName(name);
    return w;
}

QString setText(const Step& step, const StationPoints& points)
{
    QStringList parts;
    for (int n = 1; n <= PointCount; ++n)
        if (const std::optional<bool> t = step.target(n))
            parts << QStringLiteral("%1 %2").arg(points.outputName(n), *t ? QStringLiteral("aan")
                                                                          : QStringLiteral("uit"));
    return parts.isEmpty() ? QStringLiteral("—") : parts.join(QLatin1Char('\n'));
}

QString waitText(const Step& step, const StationPoints& points)
{
    switch (step.wait.kind) {
    case WaitKind::Input:
        return QStringLiteral("%1 %2").arg(points.inputLabel(step.wait.input),
                                           step.wait.on ? QStringLiteral("aan")
                                                        : QStringLiteral("uit"));
    case WaitKind::Time:
        return secondsText(step.wait.ms);
    case WaitKind::Button:
        return QStringLiteral("Volgende");
    }
    return {};
}

QDoubleSpinBox* secondsBox(QWidget* parent, const QString& name, int minMs, int maxMs)
{
    auto* box = body(new QDoubleSpinBox(parent), name);
    box->setLocale(QLocale(QLocale::Dutch, QLocale::Netherlands));
    box->setDecimals(2);
    box->setSingleStep(0.1);
    box->setRange(minMs / 1000.0, maxMs / 1000.0);
    box->setSuffix(QStringLiteral(" s"));
    box->setKeyboardTracking(false);
    return box;
}

} // namespace

struct StepPlanWindow::Ui {
    QComboBox* station = nullptr;
    QCheckBox* repeat = nullptr;
    ctl::Frame* planFrame = nullptr;
    QTableWidget* table = nullptr;
    ctl::Frame* editor = nullptr;
    std::array<QLabel*, 8> outputLabels{};
    std::array<QComboBox*, 8> outputs{};
    QComboBox* waitKind = nullptr;
    QComboBox* input = nullptr;
    QComboBox* inputOn = nullptr;
    QDoubleSpinBox* seconds = nullptr;
    QDoubleSpinBox* timeout = nullptr;
    QLabel* inputLabel = nullptr;
    QLabel* secondsLabel = nullptr;
    QLabel* timeoutLabel = nullptr;
    QLineEdit* note = nullptr;
    QLabel* stateLabel = nullptr;
    QLabel* messageLine = nullptr;
    QLabel* frozenLine = nullptr;
    QList<QWidget*> openFiles;    // Nieuw, Openen…, Voorbeelden…, Opdracht openen…
    QList<QWidget*> planSettings; // station, herhaal
    ctl::CommandButton* save = nullptr;
    ctl::CommandButton* add = nullptr;
    ctl::CommandButton* start = nullptr;
    ctl::CommandButton* step = nullptr;
    ctl::CommandButton* next = nullptr;
    ctl::CommandButton* stop = nullptr;
    ctl::CommandButton* remove = nullptr;
    ctl::CommandButton* up = nullptr;
    ctl::CommandButton* down = nullptr;
    LessonPane* lesson = nullptr;
    QScrollArea* scroll = nullptr;
};

StepPlanWindow::StepPlanWindow(PlanHost& host, QWidget* parent)
    : StepPlanWindow(host, nullptr, parent)
{
}

StepPlanWindow::StepPlanWindow(PlanHost& host, Clock* clock, QWidget* parent)
    : QWidget(parent, Qt::Window), m_ownClock(clock ? nullptr : std::make_unique<TimerClock>()),
      m_sequencer(host, clock ? *clock : *m_ownClock)
{
    ctl::installAccessibleControls();
    setObjectName(QStringLiteral("Stappenplan"));
    setWindowTitle(QStringLiteral("Stappenplan"));
    // Closing the main window ends the program even while this one is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(DefaultWidth, DefaultHeight);
    connect(&m_sequencer, &Sequencer::changed, this, &StepPlanWindow::runChanged);
    connect(&m_sequencer, &Sequencer::messageChanged, this, &StepPlanWindow::setMessage);
    connect(&host, &PlanHost::connected, this, [this] {
        if (m_ui)
            refreshButtons();
    });
    connect(&host, &PlanHost::programEnding, this, &StepPlanWindow::programEnding);
    connectDocument();
    setRecoveryClock(nullptr);
}

void StepPlanWindow::setRecoveryClock(Clock* clock)
{
    m_recovery.reset();
    m_ownRecoveryClock = clock ? nullptr : std::make_unique<TimerClock>();
    m_recovery = std::make_unique<RecoveryWriter>(m_document, clock ? *clock : *m_ownRecoveryClock,
                                                  [] { return planFiles().recoveryPath(); });
}

void StepPlanWindow::connectDocument()
{
    PlanDocument& doc = m_document;
    doc.setRunning([this] { return m_sequencer.isActive(); });
    // The class may be frozen while a question or a dialog waits: what the
    // pupil answers then changes nothing.
    doc.setPrompts(
        {[this] {
             const int answer = askSaveChanges();
             return m_frozen ? int(platform::ResultCancel) : answer;
         },
         [this](const QString& text) {
             const int answer = askRecovery(text);
             return m_frozen ? int(platform::ResultCancel) : answer;
         },
         [this](const QString& folder) {
             const QString path = planFiles().openFileName(this, folder);
             return m_frozen ? QString() : path;
         },
         [this](const QString& suggested) { return planFiles().saveFileName(this, suggested); }});
    // The sequencer runs the document's plan; it hears of every change first.
    connect(&doc, &PlanDocument::planChanged, this,
            [this] { m_sequencer.setPlan(m_document.plan()); });
    connect(&doc, &PlanDocument::planReset, this, [this] {
        if (m_ui)
            refreshAll();
    });
    connect(&doc, &PlanDocument::stepEdited, this, [this](int row) {
        if (m_ui)
            refreshRow(row);
    });
    connect(&doc, &PlanDocument::stepsChanged, this, [this] {
        if (!m_ui)
            return;
        refreshTable();
        refreshEditor();
        refreshButtons();
    });
    connect(&doc, &PlanDocument::stationChanged, this, [this] {
        if (!m_ui)
            return;
        refreshStationRows();
        refreshTable();
        refreshEditor();
    });
    connect(&doc, &PlanDocument::fileChanged, this, [this] {
        if (!m_ui)
            return;
        refreshCaption();
        // In a window too small for the whole plan, an opened plan shows its
        // lesson or its steps first; the plan's files are a scroll away.
        // After the layout has taken the new steps in.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_ui)
                    return;
                // A lesson's text and its checks come first, else the steps.
                const QWidget* first = m_ui->lesson->hasLesson()
                                           ? static_cast<QWidget*>(m_ui->lesson)
                                           : m_ui->table->parentWidget();
                m_ui->scroll->verticalScrollBar()->setValue(
                    first->mapTo(m_ui->scroll->widget(), QPoint()).y());
            },
            Qt::QueuedConnection);
    });
    connect(&doc, &PlanDocument::message, this, &StepPlanWindow::setMessage);
}

int StepPlanWindow::askSaveChanges()
{
    platform::MessageRequest request;
    request.title = windowTitle();
    request.text = QStringLiteral("Wijzigingen opslaan?");
    request.buttons = platform::MessageButtons::SaveDiscardCancel;
    request.icon = platform::MessageIcon::Question;
    return platform::messages().show(this, request);
}

int StepPlanWindow::askRecovery(const QString& text)
{
    platform::MessageRequest request;
    request.title = windowTitle();
    request.text = text;
    request.buttons = platform::MessageButtons::YesNo;
    request.icon = platform::MessageIcon::Question;
    return platform::messages().show(this, request);
}

StepPlanWindow::~StepPlanWindow()
{
    // The note loses its focus while the widgets go, and its
    // editingFinished must not reach a window that is half destroyed.
    if (m_ui && m_ui->note)
        m_ui->note->disconnect(this);
}

void StepPlanWindow::setLiveCheckTarget(sim::StationRunner* runner, iface::DrivenElsewhere* driven)
{
    m_liveRunner = runner;
    m_liveDriven = driven;
    if (m_ui)
        m_ui->lesson->setLiveTarget(runner, driven);
}

QString StepPlanWindow::state() const
{
    return stateName(m_sequencer.state());
}

int StepPlanWindow::currentStep() const
{
    return m_sequencer.currentStep();
}

bool StepPlanWindow::load(const QString& path)
{
    return m_document.load(path);
}

bool StepPlanWindow::save(const QString& path)
{
    return m_document.save(path);
}

bool StepPlanWindow::start()
{
    return m_sequencer.start();
}

bool StepPlanWindow::step()
{
    return m_sequencer.step();
}

void StepPlanWindow::stop()
{
    m_sequencer.stop();
}

void StepPlanWindow::next()
{
    m_sequencer.next();
}

bool StepPlanWindow::setPlan(const Plan& plan)
{
    return m_document.replace(plan);
}

void StepPlanWindow::setMessage(const QString& message)
{
    m_message = message;
    if (m_ui) {
        m_ui->messageLine->setText(message);
        refreshMessageColour();
    }
    emit messageChanged();
}

// A failure reads in red, everything else in the frames' navy.
void StepPlanWindow::refreshMessageColour()
{
    const int colour = m_sequencer.state() == RunState::Failed ? 1 : 0;
    if (colour == m_messageColour)
        return;
    m_messageColour = colour;
    m_ui->messageLine->setStyleSheet(
        QStringLiteral("QLabel { background: white; border: 1px solid #808080; padding: 4px; "
                       "color: %1; }")
            .arg(colour ? QStringLiteral("#a00000") : QStringLiteral("#000080")));
}

void StepPlanWindow::runChanged()
{
    const RunState s = m_sequencer.state();
    const int step = m_sequencer.currentStep();
    // After a failure the editor shows the step that failed, for fault finding.
    if (s == RunState::Failed && m_shownState != RunState::Failed)
        m_document.select(step - 1);
    if (m_ui) {
        refreshHighlight();
        refreshButtons();
        const int shown = m_sequencer.isActive() ? step - 1 : m_document.selected();
        if (shown != m_shownInEditor)
            refreshEditor();
        refreshMessageColour();
        refreshCaption();
    }
    if (s != m_shownState || step != m_shownStep) {
        m_shownState = s;
        m_shownStep = step;
        emit stateChanged();
    }
}

void StepPlanWindow::open(QWidget* near)
{
    if (!isVisible() && !m_placed && near) {
        // Built first, so the smallest size its layout allows is known.
        if (!m_ui)
            build();
        placement::placeBesideMain(this, near, size(), placement::Side::Left);
        m_placed = true;
    }
    show();
    raise();
    activateWindow();
    // A frozen plan is not replaced by a kept one; it is offered once the
    // class is released and the window opens again.
    if (!m_recoveryOffered && !m_frozen) {
        m_recoveryOffered = true;
        m_document.offerRecovery(planFiles().recoveryPath());
    }
}

QString StepPlanWindow::openLesson(const lesson::Lesson& lesson, QWidget* near)
{
    open(near);
    if (!m_ui)
        build();
    return m_ui->lesson->openLesson(lesson);
}

void StepPlanWindow::setFaultHooks(LessonPane::FaultHooks hooks)
{
    m_faultHooks = hooks;
    if (m_ui)
        m_ui->lesson->setFaultHooks(std::move(hooks));
}

void StepPlanWindow::setTeacherFault(const std::optional<lesson::HiddenFault>& fault)
{
    m_teacherFault = fault;
    if (m_ui)
        m_ui->lesson->setTeacherFault(fault);
}

void StepPlanWindow::outputSwitched()
{
    if (m_ui)
        m_ui->lesson->outputSwitched();
}

void StepPlanWindow::goOnHunting(const lesson::Lesson& lesson, const lesson::HuntResult& kept)
{
    if (m_ui)
        m_ui->lesson->goOnHunting(lesson, kept);
}

void StepPlanWindow::programEnding()
{
    if (m_document.isEnding())
        return;
    m_document.endProgram();
    // Nothing may switch after the outputs went off.
    m_sequencer.stop(QStringLiteral("Gestopt: het programma is afgesloten."));
    commitTyping();
    // A changed plan is written now; one kept earlier is gone once saved.
    m_recovery->flush();
}

void StepPlanWindow::showEvent(QShowEvent* event)
{
    if (!m_ui)
        build();
    QWidget::showEvent(event);
}

void StepPlanWindow::closeEvent(QCloseEvent* event)
{
    // A plan nobody can see any more should not go on moving the station,
    // nor go on while a question below holds every window.
    const bool wasActive = m_sequencer.isActive();
    m_sequencer.stop(QStringLiteral("Gestopt: het venster Stappenplan is gesloten."));
    // Frozen, the plan stays as it is, changed or not: nothing is asked and
    // nothing reverted, and it is there again when the window opens.
    if (!m_document.isEnding() && isVisible() && !m_frozen) {
        commitTyping();
        if (!m_document.mayLeave()) {
            if (wasActive && !m_document.isEnding())
                setMessage(QStringLiteral("Gestopt: je wilde het venster Stappenplan sluiten."));
            event->ignore();
            return;
        }
        // After "Niet opslaan" the window keeps the plan as last opened or saved.
        m_document.revert();
    }
    QWidget::closeEvent(event);
}

void StepPlanWindow::build()
{
    m_ui = std::make_unique<Ui>();
    Ui& ui = *m_ui;
    setFont(bodyFont());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ctl::toQColor(ctl::k3DLight, palette()));
    setPalette(pal);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 8, 8, 8);
    root->setSpacing(8);
    // Above everything, so the pupil knows why the plan cannot be changed.
    const QString frozenText =
        QStringLiteral("De docent heeft de klas bevroren: je kunt je plan nog uitvoeren en "
                       "controleren, niet wijzigen.");
    ui.frozenLine = body(new QLabel(frozenText, this), QStringLiteral("Label_Bevroren"));
    ui.frozenLine->setFont(bodyFont(11.25, true));
    ui.frozenLine->setWordWrap(true);
    ui.frozenLine->setAccessibleName(frozenText);
    ui.frozenLine->setAccessibleDescription(frozenText);
    ui.frozenLine->setStyleSheet(QStringLiteral("QLabel { background: #cce4ff; color: #000080; "
                                                "border: 2px solid #000080; padding: 4px; }"));
    ui.frozenLine->setVisible(m_frozen);
    root->addWidget(ui.frozenLine);
    // The plan and its steps scroll: a plan with more outputs in use grows
    // the step editor, and the window must not grow over the main window's
    // station buttons or Noodstop. Running and the message stay in sight.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("StappenplanScroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setBackgroundRole(QPalette::Window);
    scroll->setMinimumHeight(ScrollMinimumHeight);
    // No Tab stop of its own: it scrolls to the control Tab reaches.
    scroll->setFocusPolicy(Qt::NoFocus);
    auto* page = new QWidget(scroll);
    page->setBackgroundRole(QPalette::Window);
    auto* pageBox = new QVBoxLayout(page);
    pageBox->setContentsMargins(0, 0, 0, 0);
    pageBox->setSpacing(8);
    scroll->setWidget(page);
    root->addWidget(scroll, 1);
    ui.scroll = scroll;

    // The plan: station, repeat, files.
    ctl::Frame* planFrame = frame(this, QStringLiteral(" Plan "), Silver, Navy);
    planFrame->setObjectName(QStringLiteral("FramePlan"));
    ui.planFrame = planFrame;
    // The station on one row, the files and the lesson below it.
    auto* planBox = new QVBoxLayout(planFrame);
    frameMargins(planBox, planFrame);
    auto* planRow = new QHBoxLayout;
    planBox->addLayout(planRow);
    auto* stationLabel = body(new QLabel(QStringLiteral("Station:"), planFrame));
    planRow->addWidget(stationLabel);
    ui.station = body(new QComboBox(planFrame), QStringLiteral("Station"));
    stationLabel->setBuddy(ui.station);
    for (station::Station s : Stations)
        ui.station->addItem(station::displayName(s));
    planRow->addWidget(ui.station);
    ui.repeat =
        body(new QCheckBox(QStringLiteral("herhaal"), planFrame), QStringLiteral("Herhaal"));
    planRow->addWidget(ui.repeat);
    planRow->addStretch(1);
    auto* newPlan = button(planFrame, QStringLiteral("CMD_Nieuw"), QStringLiteral("Nieuw"), 86);
    auto* open = button(planFrame, QStringLiteral("CMD_Openen"), QStringLiteral("Openen…"), 104);
    auto* examples =
        button(planFrame, QStringLiteral("CMD_Voorbeelden"), QStringLiteral("Voorbeelden…"), 130);
    auto* save = button(planFrame, QStringLiteral("CMD_Opslaan"), QStringLiteral("Opslaan…"), 110);
    auto* openLesson = button(planFrame, QStringLiteral("CMD_OpdrachtOpenen"),
                              QStringLiteral("Opdracht openen…"), 150);
    auto* fileRow = new QHBoxLayout;
    planBox->addLayout(fileRow);
    for (QWidget* w : {static_cast<QWidget*>(newPlan), static_cast<QWidget*>(open),
                       static_cast<QWidget*>(examples), static_cast<QWidget*>(save)})
        fileRow->addWidget(w);
    fileRow->addStretch(1);
    fileRow->addWidget(openLesson);
    ui.openFiles << newPlan << open << examples << openLesson;
    ui.planSettings << ui.station << ui.repeat;
    ui.save = save;
    pageBox->addWidget(planFrame);
    ui.lesson = new LessonPane(
        m_document, m_sequencer, [this] { commitTyping(); }, page);
    ui.lesson->setLiveTarget(m_liveRunner, m_liveDriven);
    ui.lesson->setFaultHooks(m_faultHooks);
    ui.lesson->setTeacherFault(m_teacherFault);
    connect(ui.lesson, &LessonPane::faultReported, this, &StepPlanWindow::faultReported);
    ui.lesson->setFrozen(m_frozen);
    pageBox->addWidget(ui.lesson);
    connect(ui.lesson, &LessonPane::checked, this,
            [this](const lesson::Report& report, const Plan& checked) {
                emit lessonChecked(*m_ui->lesson->currentLesson(), report, checked);
            });
    connect(ui.lesson, &LessonPane::checkedLive, this, [this](const lesson::LiveReport& report) {
        emit lessonCheckedLive(*m_ui->lesson->currentLesson(), report);
    });

    auto* middle = new QHBoxLayout;
    middle->setSpacing(8);
    pageBox->addLayout(middle, 1);

    // The steps as a table, with the buttons that change the list.
    ctl::Frame* stepsFrame = frame(this, QStringLiteral("Stappen"), Blue, Navy);
    stepsFrame->setObjectName(QStringLiteral("FrameStappen"));
    auto* stepsBox = new QVBoxLayout(stepsFrame);
    frameMargins(stepsBox, stepsFrame);
    ui.table = body(new QTableWidget(0, 4, stepsFrame), QStringLiteral("Stappentabel"));
    ui.table->setHorizontalHeaderLabels({QStringLiteral("Stap"), QStringLiteral("Zet"),
                                         QStringLiteral("Wacht op"), QStringLiteral("Max.")});
    ui.table->horizontalHeader()->setFont(bodyFont(10, true));
    ui.table->verticalHeader()->hide();
    ui.table->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui.table->setSelectionMode(QAbstractItemView::SingleSelection);
    // One Tab stop: the arrow keys walk the steps, Tab goes on to the buttons.
    ui.table->setTabKeyNavigation(false);
    ui.table->setAccessibleName(QStringLiteral("Stappen"));
    ui.table->setStyleSheet(QStringLiteral("QTableWidget:focus { border: 3px solid #000080; }"));
    ui.table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A frozen class still reads its plan: disabled, the steps stay dark.
    QPalette tablePalette = ui.table->palette();
    tablePalette.setColor(QPalette::Disabled, QPalette::Text, QColor(48, 48, 48));
    ui.table->setPalette(tablePalette);
    ui.table->setWordWrap(true);
    ui.table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    ui.table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    ui.table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    ui.table->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Fixed);
    ui.table->setColumnWidth(0, 48);
    ui.table->setColumnWidth(3, 64);
    stepsBox->addWidget(ui.table, 1);
    auto* listRow = new QHBoxLayout;
    auto* add =
        button(stepsFrame, QStringLiteral("CMD_Toevoegen"), QStringLiteral("Toevoegen"), 110);
    ui.remove =
        button(stepsFrame, QStringLiteral("CMD_Verwijderen"), QStringLiteral("Verwijderen"), 120);
    ui.up = button(stepsFrame, QStringLiteral("CMD_Omhoog"), QStringLiteral("Omhoog"), 96);
    ui.down = button(stepsFrame, QStringLiteral("CMD_Omlaag"), QStringLiteral("Omlaag"), 96);
    listRow->addWidget(add);
    listRow->addWidget(ui.remove);
    listRow->addWidget(ui.up);
    listRow->addWidget(ui.down);
    listRow->addStretch(1);
    stepsBox->addLayout(listRow);
    middle->addWidget(stepsFrame, 3);

    // The selected step.
    ui.editor = frame(this, QStringLiteral("Stap"), Green, DarkGreen);
    ui.editor->setObjectName(QStringLiteral("FrameStap"));
    auto* grid = new QGridLayout(ui.editor);
    frameMargins(grid, ui.editor);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    int row = 0;
    grid->addWidget(body(new QLabel(QStringLiteral("Zet de uitgangen:"), ui.editor)), row++, 0, 1,
                    2);
    for (int i = 0; i < PointCount; ++i) {
        ui.outputLabels[size_t(i)] = body(new QLabel(ui.editor));
        QComboBox* c = body(new QComboBox(ui.editor), QStringLiteral("Zet%1").arg(i + 1));
        c->addItems({QStringLiteral("blijft"), QStringLiteral("aan"), QStringLiteral("uit")});
        // The label names the box after its output, also after a change of
        // station.
        ui.outputLabels[size_t(i)]->setBuddy(c);
        ui.outputs[size_t(i)] = c;
        grid->addWidget(ui.outputLabels[size_t(i)], row, 0);
        grid->addWidget(c, row++, 1);
        connect(c, &QComboBox::currentIndexChanged, this, [this, i](int index) {
            if (!m_filling)
                m_document.setTarget(i + 1,
                                     index == 0 ? std::nullopt : std::optional<bool>(index == 1));
        });
    }
    grid->setRowMinimumHeight(row++, 8);
    auto* waitLabel = body(new QLabel(QStringLiteral("Wacht op:"), ui.editor));
    grid->addWidget(waitLabel, row, 0);
    ui.waitKind = body(new QComboBox(ui.editor), QStringLiteral("WachtOp"));
    waitLabel->setBuddy(ui.waitKind);
    ui.waitKind->addItems(
        {QStringLiteral("een ingang"), QStringLiteral("een tijd"), QStringLiteral("Volgende")});
    grid->addWidget(ui.waitKind, row++, 1);
    ui.inputLabel = body(new QLabel(QStringLiteral("Ingang:"), ui.editor));
    ui.input = body(new QComboBox(ui.editor), QStringLiteral("Ingang"));
    ui.inputOn = body(new QComboBox(ui.editor), QStringLiteral("IngangAan"));
    ui.inputOn->addItems({QStringLiteral("aan"), QStringLiteral("uit")});
    ui.inputLabel->setBuddy(ui.input);
    ui.inputOn->setAccessibleName(QStringLiteral("Ingang aan of uit"));
    grid->addWidget(ui.inputLabel, row, 0);
    grid->addWidget(ui.input, row++, 1);
    grid->addWidget(ui.inputOn, row++, 1);
    ui.timeoutLabel = body(new QLabel(QStringLiteral("Hoogstens:"), ui.editor));
    ui.timeout = secondsBox(ui.editor, QStringLiteral("MaxSeconden"), MinTimeoutMs, MaxTimeoutMs);
    ui.timeoutLabel->setBuddy(ui.timeout);
    ui.timeout->setAccessibleName(QStringLiteral("Hoogstens (seconden)"));
    grid->addWidget(ui.timeoutLabel, row, 0);
    grid->addWidget(ui.timeout, row++, 1);
    ui.secondsLabel = body(new QLabel(QStringLiteral("Tijd:"), ui.editor));
    ui.seconds = secondsBox(ui.editor, QStringLiteral("Seconden"), MinWaitMs, MaxWaitMs);
    ui.secondsLabel->setBuddy(ui.seconds);
    ui.seconds->setAccessibleName(QStringLiteral("Tijd (seconden)"));
    grid->addWidget(ui.secondsLabel, row, 0);
    grid->addWidget(ui.seconds, row++, 1);
    grid->setRowMinimumHeight(row++, 8);
    auto* noteLabel = body(new QLabel(QStringLiteral("Uitleg:"), ui.editor));
    grid->addWidget(noteLabel, row, 0);
    ui.note = body(new QLineEdit(ui.editor), QStringLiteral("Uitleg"));
    noteLabel->setBuddy(ui.note);
    ui.note->setAccessibleName(QStringLiteral("Uitleg"));
    ui.note->setMaxLength(500);
    ui.note->setPlaceholderText(QStringLiteral("wat de leerling moet doen"));
    grid->addWidget(ui.note, row++, 1);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    middle->addWidget(ui.editor, 2);

    // Running.
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(8);
    ctl::Frame* runFrame = frame(this, QStringLiteral(" Uitvoeren "), Silver, Navy);
    runFrame->setObjectName(QStringLiteral("FrameUitvoeren"));
    auto* runRow = new QHBoxLayout(runFrame);
    frameMargins(runRow, runFrame);
    ui.start = button(runFrame, QStringLiteral("CMD_Start"), QStringLiteral("Start"), 110, 40);
    ui.step = button(runFrame, QStringLiteral("CMD_Stap"), QStringLiteral("Stap"), 110, 40);
    ui.next = button(runFrame, QStringLiteral("CMD_Volgende"), QStringLiteral("Volgende"), 110, 40);
    ui.stop = button(runFrame, QStringLiteral("CMD_Stop"), QStringLiteral("Stop"), 110, 40);
    for (ctl::CommandButton* b : {ui.start, ui.step, ui.next, ui.stop})
        runRow->addWidget(b);
    ui.stateLabel = new QLabel(runFrame);
    ui.stateLabel->setObjectName(QStringLiteral("Toestand"));
    ui.stateLabel->setFont(bodyFont(12, true));
    ui.stateLabel->setAlignment(Qt::AlignCenter);
    ui.stateLabel->setFixedSize(140, 40);
    runRow->addSpacing(12);
    runRow->addWidget(ui.stateLabel);
    runRow->addStretch(1);
    bottom->addWidget(runFrame, 1);
    root->addLayout(bottom);

    ui.messageLine = body(new QLabel(this), QStringLiteral("Melding"));
    ui.messageLine->setFont(bodyFont(11.25));
    ui.messageLine->setWordWrap(true);
    ui.messageLine->setMinimumHeight(48);
    ui.messageLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long note for the pupil scrolls too, rather than being cut off at
    // the window's smallest size.
    auto* messageScroll = new QScrollArea(this);
    messageScroll->setObjectName(QStringLiteral("MeldingScroll"));
    messageScroll->setWidgetResizable(true);
    messageScroll->setFrameShape(QFrame::NoFrame);
    messageScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    messageScroll->setMinimumHeight(ui.messageLine->minimumHeight());
    messageScroll->setFocusPolicy(Qt::NoFocus);
    messageScroll->setWidget(ui.messageLine);
    root->addWidget(messageScroll);

    ui.add = add;

    // Wiring.
    connect(ui.station, &QComboBox::currentIndexChanged, this, &StepPlanWindow::chooseStation);
    connect(ui.repeat, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_filling)
            m_document.setRepeat(on);
    });
    connect(newPlan, &QAbstractButton::clicked, this, [this] {
        commitTyping();
        m_document.newPlan();
    });
    connect(open, &QAbstractButton::clicked, this, [this] {
        commitTyping();
        m_document.openFrom(planFiles().documentsFolder());
    });
    connect(examples, &QAbstractButton::clicked, this, [this] {
        commitTyping();
        m_document.openFrom(planFiles().examplesFolder());
    });
    connect(save, &QAbstractButton::clicked, this, [this] { m_document.saveAs(); });
    connect(openLesson, &QAbstractButton::clicked, ui.lesson, &LessonPane::chooseLesson);
    connect(add, &QAbstractButton::clicked, this, [this] { m_document.addStep(); });
    connect(ui.remove, &QAbstractButton::clicked, this, [this] { m_document.removeStep(); });
    connect(ui.up, &QAbstractButton::clicked, this, [this] { m_document.moveStep(-1); });
    connect(ui.down, &QAbstractButton::clicked, this, [this] { m_document.moveStep(1); });
    connect(ui.table, &QTableWidget::currentCellChanged, this, [this](int r) {
        if (m_filling)
            return;
        m_document.select(r);
        refreshEditor();
        refreshButtons();
    });
    connect(ui.waitKind, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling)
            m_document.setWaitKind(index == 0   ? WaitKind::Input
                                   : index == 1 ? WaitKind::Time
                                                : WaitKind::Button);
        refreshEditor();
    });
    connect(ui.input, &QComboBox::currentIndexChanged, this, [this](int index) {
        const int n = m_ui->input->itemData(index).toInt();
        if (!m_filling)
            m_document.setWaitInput(n);
    });
    connect(ui.inputOn, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling)
            m_document.setWaitOn(index == 0);
    });
    connect(ui.seconds, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        if (!m_filling)
            m_document.setWaitMs(int(std::lround(v * 1000)));
    });
    connect(ui.timeout, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        if (!m_filling)
            m_document.setTimeoutMs(int(std::lround(v * 1000)));
    });
    connect(ui.note, &QLineEdit::editingFinished, this, &StepPlanWindow::commitTyping);
    // Every key is part of the plan at once, so a hard stop keeps it too.
    connect(ui.note, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!m_filling)
            m_document.setNote(text.simplified());
    });
    connect(ui.start, &QAbstractButton::clicked, this, &StepPlanWindow::start);
    connect(ui.step, &QAbstractButton::clicked, this, &StepPlanWindow::step);
    connect(ui.next, &QAbstractButton::clicked, this, &StepPlanWindow::next);
    connect(ui.stop, &QAbstractButton::clicked, this, &StepPlanWindow::stop);

    refreshAll();
    setMessage(m_message);
}

void StepPlanWindow::refreshCaption()
{
    const bool changed = isModified();
    const QString path = m_document.path();
    const QString caption = path.isEmpty()
                                ? (changed ? QStringLiteral(" Plan (nieuw, gewijzigd) ")
                                           : QStringLiteral(" Plan (nieuw) "))
                                : QStringLiteral(" Plan: %1%2 ")
                                      .arg(QFileInfo(path).completeBaseName(),
                                           changed ? QStringLiteral(" (gewijzigd)") : QString());
    if (m_ui->planFrame->Caption() != caption)
        m_ui->planFrame->setCaption(caption);
}

void StepPlanWindow::refreshAll()
{
    refreshCaption();
    m_filling = true;
    const int index =
        int(std::find(Stations.begin(), Stations.end(), plan().station) - Stations.begin());
    m_ui->station->setCurrentIndex(index);
    m_ui->repeat->setChecked(plan().repeat);
    m_filling = false;
    refreshStationRows();
    refreshTable();
    refreshEditor();
    refreshHighlight();
    refreshButtons();
}

void StepPlanWindow::refreshTable()
{
    m_filling = true;
    QTableWidget* t = m_ui->table;
    t->setRowCount(int(plan().steps.size()));
    for (int r = 0; r < t->rowCount(); ++r)
        refreshRow(r);
    if (m_document.selected() >= t->rowCount())
        m_document.select(t->rowCount() - 1);
    if (m_document.selected() >= 0)
        t->setCurrentCell(m_document.selected(), 0);
    else
        t->clearSelection();
    m_filling = false;
    t->resizeRowsToContents();
}

void StepPlanWindow::refreshRow(int row)
{
    if (row < 0 || row >= plan().steps.size())
        return;
    const Step& step = plan().steps[row];
    const StationPoints points = stationPoints(plan().station);
    const QStringList texts = {
        QString::number(row + 1), setText(step, points), waitText(step, points),
        step.wait.kind == WaitKind::Input ? secondsText(step.timeoutMs) : QStringLiteral("—")};
    for (int c = 0; c < texts.size(); ++c) {
        QTableWidgetItem* item = m_ui->table->item(row, c);
        if (!item) {
            item = new QTableWidgetItem;
            item->setFont(bodyFont());
            m_ui->table->setItem(row, c, item);
        }
        item->setText(texts[c]);
        item->setToolTip(step.note);
        item->setTextAlignment(c == 0 || c == 3 ? Qt::AlignCenter
                                                : Qt::AlignLeft | Qt::AlignVCenter);
    }
    m_ui->table->resizeRowToContents(row);
}

void StepPlanWindow::refreshHighlight()
{
    const RunState s = m_sequencer.state();
    const int current = m_sequencer.currentStep() - 1;
    QColor mark;
    if (s == RunState::Running)
        mark = LampOn;
    else if (s == RunState::Paused)
        mark = PausedBlue;
    else if (s == RunState::Failed)
        mark = FailedRed;
    QTableWidget* t = m_ui->table;
    for (int r = 0; r < t->rowCount(); ++r)
        for (int c = 0; c < t->columnCount(); ++c)
            if (QTableWidgetItem* item = t->item(r, c))
                item->setBackground(r == current && mark.isValid() ? QBrush(mark) : QBrush());
    if (current >= 0 && current < t->rowCount() && mark.isValid())
        t->scrollToItem(t->item(current, 0));

    m_ui->stateLabel->setText(stateWord(s));
    const QColor back = mark.isValid()            ? mark
                        : s == RunState::Finished ? QColor(128, 255, 128)
                                                  : QColor(192, 192, 192);
    m_ui->stateLabel->setStyleSheet(
        QStringLiteral("QLabel { background: %1; border: 1px solid #606060; border-radius: 6px; }")
            .arg(back.name()));
}

void StepPlanWindow::refreshStationRows()
{
    const StationPoints points = stationPoints(plan().station);
    m_filling = true;
    for (int i = 0; i < PointCount; ++i) {
        const bool used = points.usesOutput(i + 1);
        m_ui->outputLabels[size_t(i)]->setText(points.outputName(i + 1));
        m_ui->outputLabels[size_t(i)]->setVisible(used);
        m_ui->outputs[size_t(i)]->setVisible(used);
    }
    m_ui->input->clear();
    for (int n = 1; n <= PointCount; ++n)
        if (points.usesInput(n))
            m_ui->input->addItem(points.inputLabel(n), n);
    m_filling = false;
}

void StepPlanWindow::refreshEditor()
{
    Ui& ui = *m_ui;
    // While a plan runs the editor shows the step under way.
    const int shown =
        m_sequencer.isActive() ? m_sequencer.currentStep() - 1 : m_document.selected();
    const bool have = shown >= 0 && shown < plan().steps.size();
    ui.editor->setCaption(have ? QStringLiteral("Stap %1").arg(shown + 1) : QStringLiteral("Stap"));
    const Step step = have ? plan().steps[shown] : Step();
    m_filling = true;
    for (int i = 0; i < PointCount; ++i) {
        const std::optional<bool> t = step.target(i + 1);
        ui.outputs[size_t(i)]->setCurrentIndex(!t ? 0 : *t ? 1 : 2);
    }
    const WaitKind kind = step.wait.kind;
    ui.waitKind->setCurrentIndex(kind == WaitKind::Input ? 0 : kind == WaitKind::Time ? 1 : 2);
    ui.input->setCurrentIndex(std::max(0, ui.input->findData(step.wait.input)));
    ui.inputOn->setCurrentIndex(step.wait.on ? 0 : 1);
    ui.seconds->setValue(step.wait.ms / 1000.0);
    ui.timeout->setValue(step.timeoutMs / 1000.0);
    ui.note->setText(step.note);
    ui.note->setCursorPosition(0);
    m_filling = false;
    const bool input = kind == WaitKind::Input;
    for (QWidget* w : {static_cast<QWidget*>(ui.inputLabel), static_cast<QWidget*>(ui.input),
                       static_cast<QWidget*>(ui.inputOn), static_cast<QWidget*>(ui.timeoutLabel),
                       static_cast<QWidget*>(ui.timeout)})
        w->setVisible(input);
    ui.secondsLabel->setVisible(kind == WaitKind::Time);
    ui.seconds->setVisible(kind == WaitKind::Time);
    ui.editor->setEnabled(enabled().stepFields);
    m_shownInEditor = shown;
}

void StepPlanWindow::refreshButtons()
{
    Ui& ui = *m_ui;
    const RunState s = m_sequencer.state();
    const bool active = m_sequencer.isActive();
    ui.start->setEnabled(s != RunState::Running);
    ui.step->setEnabled(!(s == RunState::Running && m_sequencer.isSingleStep()));
    ui.next->setEnabled(m_sequencer.waitsForPupil());
    ui.stop->setEnabled(active);
    const EditorEnabled e = enabled();
    for (QWidget* w : std::as_const(ui.openFiles))
        w->setEnabled(e.openFiles);
    for (QWidget* w : std::as_const(ui.planSettings))
        w->setEnabled(e.planSettings);
    ui.save->setEnabled(e.save);
    ui.add->setEnabled(e.add);
    ui.remove->setEnabled(e.remove);
    ui.up->setEnabled(e.up);
    ui.down->setEnabled(e.down);
    ui.editor->setEnabled(e.stepFields);
    ui.table->setEnabled(e.stepTable);
    const int selected = m_document.selected();
    const bool have = m_document.hasSelection();
    // While a plan runs the table shows where it is, not what is selected.
    ui.table->setSelectionMode(active ? QAbstractItemView::NoSelection
                                      : QAbstractItemView::SingleSelection);
    if (active)
        ui.table->clearSelection();
    else if (have && ui.table->selectedItems().isEmpty() && s != RunState::Failed) {
        // (A failed step stays marked red rather than selected.)
        m_filling = true;
        ui.table->setCurrentCell(selected, 0);
        m_filling = false;
    }
}

EditorEnabled StepPlanWindow::enabled() const
{
    EditorSituation s;
    s.running = m_sequencer.isActive();
    s.frozen = m_frozen;
    s.steps = int(plan().steps.size());
    s.selected = m_document.selected();
    return editorEnabled(s);
}

void StepPlanWindow::setFrozen(bool frozen)
{
    if (frozen == m_frozen)
        return;
    // What is being typed is kept before the editor goes grey.
    if (frozen)
        commitTyping();
    m_frozen = frozen;
    if (m_ui) {
        m_ui->lesson->setFrozen(frozen);
        m_ui->frozenLine->setVisible(frozen);
        refreshButtons();
    }
    emit frozenChanged();
}

void StepPlanWindow::chooseStation(int comboIndex)
{
    if (m_filling || comboIndex < 0 || comboIndex >= int(Stations.size()))
        return;
    const station::Station chosen = Stations[size_t(comboIndex)];
    if (chosen == plan().station || m_document.setStation(chosen))
        return;
    // Refused: the box shows the plan's station again.
    m_filling = true;
    m_ui->station->setCurrentIndex(
        int(std::find(Stations.begin(), Stations.end(), plan().station) - Stations.begin()));
    m_filling = false;
}

// Text still being typed in the editor belongs to the plan before it is
// compared, saved or kept.
void StepPlanWindow::commitTyping()
{
    if (!m_ui)
        return;
    m_ui->seconds->interpretText();
    m_ui->timeout->interpretText();
    if (!m_filling)
        m_document.setNote(m_ui->note->text().simplified());
}

} // namespace plan
