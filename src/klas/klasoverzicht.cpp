#include "klas/klasoverzicht.h"

#include "controls/accessible_controls.h"
#include "controls/color.h"
#include "klas/lesson_results.h"
#include "klas/mqtt_client.h"
#include "lesson/lesson_file.h"
#include "platform/clock.h"
#include "platform/services.h"
#include "step_plan/plan_file.h"
#include "step_plan/plan_files.h"
#include "step_plan/sequencer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QUuid>
#include <QVBoxLayout>
#include <algorithm>

namespace klas
{

namespace
{

// The program's frame colours: grey command frames with navy captions, the
// light green of the inputs and the light blue of the outputs.
const QColor kFrameGrey(192, 192, 192);
const QColor kNavy(0, 0, 128);
const QColor kInputsGreen(192, 255, 192);
// A tile that may be behind its PC: neither live green nor offline grey.
const QColor kStale(255, 228, 170);
const QColor kOutputsBlue(174, 210, 234);
const QColor kLampOff(128, 128, 128);
const QColor kLampInput(255, 255, 0);
const QColor kLampOutput(255, 0, 0);
constexpr int kTileWidth = 255;

// The step plan's state in the word the pupil reads, within the tile's
// sentence.
QString planWord(const QString& state)
{
    const std::optional<plan::RunState> s = plan::stateFromName(state);
    return s ? plan::stateWord(*s).toLower() : state;
}

QString interfaceWord(const QString& type)
{
    if (type == QLatin1String("simulated"))
        return QStringLiteral("gesimuleerd");
    if (type == QLatin1String("modbus"))
        return QStringLiteral("Modbus-module");
    if (type == QLatin1String("plc"))
        return QStringLiteral("PLC-opstelling");
    return type.isEmpty() ? QStringLiteral("-") : type;
}

QString planText(const PupilStatus& s)
{
    if (s.plan.isEmpty())
        return QStringLiteral("Stappenplan: -");
    QString t = QStringLiteral("Stappenplan: %1").arg(planWord(s.plan));
    if (s.stap > 0)
        t += QStringLiteral(", stap %1").arg(s.stap);
    if (!s.planBericht.isEmpty())
        t += QStringLiteral(" - ") + s.planBericht;
    return t;
}

// "1, 3, 8" for the bits lit in `word`; "geen" when none.
QString litNumbers(int word)
{
    QStringList lit;
    for (int i = 0; i < 8; ++i) {
        if ((word >> i) & 1)
            lit.append(QString::number(i + 1));
    }
    return lit.isEmpty() ? QStringLiteral("geen") : lit.join(QStringLiteral(", "));
}

// What a step of a pupil's plan switches: "1 aan, 3 uit"; "-" for nothing.
QString stepOutputs(const plan::Step& step)
{
    QStringList parts;
    for (int n = 1; n <= 8; ++n) {
        if (const std::optional<bool> on = step.target(n))
            parts.append(QStringLiteral("%1 %2").arg(n).arg(*on ? QStringLiteral("aan")
                                                                : QStringLiteral("uit")));
    }
    return parts.isEmpty() ? QStringLiteral("-") : parts.join(QStringLiteral(", "));
}

QString stepWait(const plan::Step& step)
{
    switch (step.wait.kind) {
    case plan::WaitKind::Input:
        return QStringLiteral("ingang %1 %2")
            .arg(step.wait.input)
            .arg(step.wait.on ? QStringLiteral("aan") : QStringLiteral("uit"));
    case plan::WaitKind::Time:
        return plan::secondsText(step.wait.ms);
    case plan::WaitKind::Button:
        break;
    }
    return QStringLiteral("Volgende");
}

// A small lamp with its number, painted directly: a class of thirty PCs
// reports many times a second, and style sheets would cost too much.
class Lamp : public QWidget
{
  public:
    Lamp(const QString& kind, int number, QWidget* parent)
        : QWidget(parent), m_number(QString::number(number)),
          m_name(QStringLiteral("%1 %2").arg(kind).arg(number))
    {
        setFixedSize(20, 18);
    }
    void setLit(bool lit, const QColor& on)
    {
        if (lit == m_lit && m_colour == (lit ? on : kLampOff))
            return;
        m_lit = lit;
        m_colour = lit ? on : kLampOff;
        update();
        if (QAccessible::isActive()) {
            QAccessible::State changed;
            changed.checked = true;
            QAccessibleStateChangeEvent event(this, changed);
            QAccessible::updateAccessibility(&event);
        }
    }
    bool isLit() const { return m_lit; }
    const QString& name() const { return m_name; }

  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(64, 64, 64));
        p.setBrush(m_colour);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        p.setPen(Qt::black);
        p.drawText(rect(), Qt::AlignCenter, m_number);
    }

  private:
    QString m_number;
    QString m_name; // "Uitgang 3"
    QColor m_colour = kLampOff;
    bool m_lit = false;
};

// A lamp is read as the main window's lamps are: a read-only check box
// named by its input or output, checked while lit.
class AccessibleLamp : public QAccessibleWidget
{
  public:
    explicit AccessibleLamp(Lamp* lamp) : QAccessibleWidget(lamp, QAccessible::CheckBox) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return lamp()->name();
        if (t == QAccessible::Value)
            return lamp()->isLit() ? QStringLiteral("aan") : QStringLiteral("uit");
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = lamp()->isLit();
        s.readOnly = true;
        s.focusable = false;
        return s;
    }

  private:
    Lamp* lamp() const { return static_cast<Lamp*>(widget()); }
};

} // namespace

// One PC as the teacher sees it. Only what changed is set again: a class
// reports many times a second, and a palette or a text set anew costs
// events for every child.
// A plain widget with a frame painted here: Qt names every QFrame a border
// to a screen reader, whatever it holds.
class PupilTile : public QWidget
{
  public:
    PupilTile(const QString& account, QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("Tegel_") + account);
        setAutoFillBackground(true);
        auto* v = new QVBoxLayout(this);
        v->setSpacing(3);
        // Made in the order they are shown: a screen reader reads them so.
        m_name = new QLabel(this);
        m_name->setFont(ctl::makeFont(QStringLiteral("Comic Sans MS"), 12, true));
        m_online = new QLabel(this);
        m_station = new QLabel(this);
        m_station->setWordWrap(true);
        // The same width whatever a PC reports.
        setFixedWidth(kTileWidth);
        v->addWidget(m_name);
        v->addWidget(m_online);
        v->addWidget(m_station);
        v->addLayout(lampRow(QStringLiteral("Uit"), QStringLiteral("Uitgang"), m_outputs));
        v->addLayout(lampRow(QStringLiteral("In"), QStringLiteral("Ingang"), m_inputs));
        m_plan = new QLabel(this);
        m_plan->setWordWrap(true);
        m_plc = new QLabel(this);
        m_faults = new QLabel(this);
        m_faults->setWordWrap(true);
        m_result = new QLabel(this);
        m_result->setObjectName(QStringLiteral("Resultaat_") + account);
        m_result->setWordWrap(true);
        m_result->hide();
        v->addWidget(m_plan);
        v->addWidget(m_plc);
        v->addWidget(m_faults);
        v->addWidget(m_result);
        // A tile beside a taller one keeps its lines together.
        v->addStretch(1);
        m_button = new QPushButton(QStringLiteral("Storingen..."), this);
        m_button->setObjectName(QStringLiteral("Storingen_") + account);
        // The tile shows where the keyboard is, however the style draws it.
        m_button->installEventFilter(this);
        v->addWidget(m_button);
        m_planButton = new QPushButton(QStringLiteral("Plan bekijken..."), this);
        m_planButton->setObjectName(QStringLiteral("Plan_") + account);
        m_planButton->hide();
        v->addWidget(m_planButton);
        for (QLabel* l : {m_online, m_station, m_plan, m_plc, m_faults, m_result})
            l->setFont(ctl::makeFont(QStringLiteral("Comic Sans MS"), 9.75, false));
        // A long name or plan message wraps or is cut, never widens a tile.
        for (QLabel* l : {m_name, m_online, m_plc})
            l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

    QPushButton* faultsButton() const { return m_button; }
    QPushButton* planButton() const { return m_planButton; }

    // `result` is the line about the class's lesson (tileResultLine).
    // `current` false: the tile may be behind its PC (the window lost the
    // broker, or its status has not come again since); it must not look live.
    void showPupil(const ClassModel::Pupil& p, const QString& result, bool current)
    {
        const PupilStatus& s = p.status;
        if (m_shownOnce && p.seen == m_seen && current == m_current && s == m_status &&
            p.wanted == m_wanted && result == m_result->text() &&
            (p.result.has_value() && p.result->hasPlan()) == m_planButton->isVisibleTo(this))
            return;
        const bool first = !m_shownOnce;
        const bool wasLive = m_status.online && m_current;
        const bool wasCurrent = m_current;
        m_shownOnce = true;
        m_seen = p.seen;
        m_current = current;
        m_status = s;
        m_wanted = p.wanted;

        const QString name = ClassModel::shownName(p);
        setText(m_name, name);
        const QString state = !current   ? QStringLiteral("niet actueel")
                              : !p.seen  ? QStringLiteral("nog niet gezien")
                              : s.online ? QStringLiteral("online")
                                         : QStringLiteral("offline");
        setText(m_online, state);
        const bool live = s.online && current;
        if (first || wasLive != live || wasCurrent != current) {
            QPalette pal = palette();
            pal.setColor(QPalette::Window, live ? kInputsGreen : current ? kFrameGrey : kStale);
            setPalette(pal);
        }
        const QString iface = interfaceWord(s.interfaceType);
        setText(m_station, QStringLiteral("%1 - %2 (%3)")
                               .arg(s.station.isEmpty() ? QStringLiteral("-") : s.station, iface,
                                    s.verbonden ? QStringLiteral("verbonden")
                                                : QStringLiteral("niet verbonden")));
        const int outputs = live ? s.uitgangen : 0;
        const int inputs = live ? s.ingangen : 0;
        for (int i = 0; i < 8; ++i) {
            m_outputs[i]->setLit((outputs >> i) & 1, kLampOutput);
            m_inputs[i]->setLit((inputs >> i) & 1, kLampInput);
        }
        setText(m_plan, planText(s));
        setText(m_plc,
                s.plc.isEmpty() ? QStringLiteral("PLC: -") : QStringLiteral("PLC: %1").arg(s.plc));
        const QString wanted = p.wanted.describe();
        const QString reported = s.storingen.describe();
        QString faults =
            QStringLiteral("Storingen: %1").arg(wanted.isEmpty() ? QStringLiteral("geen") : wanted);
        if (p.seen && live && wanted != reported)
            faults += QStringLiteral(" (nog niet bevestigd)");
        setText(m_faults, faults);
        setText(m_result, result);
        m_result->setVisible(!result.isEmpty());
        // Fault finding sends no plan.
        m_planButton->setVisible(p.result.has_value() && p.result->hasPlan());
        m_planButton->setAccessibleName(QStringLiteral("Plan van %1").arg(name));

        // What a screen reader says on the tile and on its button: the
        // whole tile, so the teacher need not walk every label.
        const QString tileName = QStringLiteral("%1, %2").arg(name, state);
        const QString description =
            QStringLiteral("%1. Uitgangen aan: %2. Ingangen aan: %3. %4. %5. %6.%7")
                .arg(m_station->text(), current ? litNumbers(outputs) : QStringLiteral("onbekend"),
                     current ? litNumbers(inputs) : QStringLiteral("onbekend"), m_plan->text(),
                     m_plc->text(), faults,
                     result.isEmpty() ? QString() : QStringLiteral(" %1.").arg(result));
        if (accessibleName() != tileName) {
            setAccessibleName(tileName);
            m_button->setAccessibleName(QStringLiteral("Storingen van %1").arg(name));
        }
        if (accessibleDescription() != description) {
            setAccessibleDescription(description);
            m_button->setAccessibleDescription(description);
        }
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_button &&
            (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
            update();
        return QWidget::eventFilter(watched, event);
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setBrush(Qt::NoBrush);
        if (m_button->hasFocus()) {
            p.setPen(QPen(kNavy, 3));
            p.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
        } else {
            p.setPen(QColor(128, 128, 128));
            p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
        }
    }

  private:
    static void setText(QLabel* label, const QString& text)
    {
        if (label->text() != text)
            label->setText(text);
    }

    QHBoxLayout* lampRow(const QString& caption, const QString& kind, std::array<Lamp*, 8>& lamps)
    {
        auto* row = new QHBoxLayout;
        row->setSpacing(4);
        auto* label = new QLabel(caption, this);
        label->setAccessibleName(kind == QLatin1String("Uitgang") ? QStringLiteral("Uitgangen")
                                                                  : QStringLiteral("Ingangen"));
        label->setMinimumWidth(26);
        row->addWidget(label);
        for (int i = 0; i < 8; ++i) {
            lamps[i] = new Lamp(kind, i + 1, this);
            row->addWidget(lamps[i]);
        }
        row->addStretch();
        return row;
    }

    QLabel* m_name{};
    QLabel* m_online{};
    QLabel* m_station{};
    QLabel* m_plan{};
    QLabel* m_plc{};
    QLabel* m_faults{};
    QLabel* m_result{};
    QPushButton* m_button{};
    QPushButton* m_planButton{};
    std::array<Lamp*, 8> m_outputs{};
    std::array<Lamp*, 8> m_inputs{};
    // As shown.
    bool m_shownOnce = false;
    bool m_seen = false;
    bool m_current = false;
    PupilStatus m_status;
    Faults m_wanted;
};

namespace
{

// Lamps as check boxes; a tile as a group named by its PC.
QAccessibleInterface* tileFactory(const QString&, QObject* object)
{
    if (auto* lamp = dynamic_cast<Lamp*>(object))
        return new AccessibleLamp(lamp);
    if (auto* tile = dynamic_cast<PupilTile*>(object))
        return new QAccessibleWidget(tile, QAccessible::Grouping);
    return nullptr;
}

} // namespace

Klasoverzicht::Klasoverzicht(MqttClient* client, const QString& klas, const QStringList& accounts,
                             QWidget* parent)
    : QWidget(parent), m_client(client), m_klas(klas), m_model(accounts),
      m_sender(QUuid::createUuid().toString(QUuid::WithoutBraces).left(8))
{
    ctl::installAccessibleControls();
    static const bool lampsRead = [] {
        QAccessible::installFactory(tileFactory);
        return true;
    }();
    Q_UNUSED(lampsRead);
    setObjectName(QStringLiteral("Klasoverzicht"));
    setWindowTitle(QStringLiteral("Klasoverzicht - klas %1").arg(klas));
    setFont(ctl::makeFont(QStringLiteral("Comic Sans MS"), 9.75, false));
    // Most of the screen: a larger screen shows more tiles side by side.
    QSize size(1100, 720);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        size = size.expandedTo(QSize(free.width() * 9 / 10, free.height() * 85 / 100))
                   .boundedTo(free.size());
    }
    resize(size);

    auto* top = new QHBoxLayout;
    auto* title = new QLabel(QStringLiteral("Klas %1").arg(klas), this);
    title->setFont(ctl::makeFont(QStringLiteral("Comic Sans MS"), 14, true));
    QPalette navy = title->palette();
    navy.setColor(QPalette::WindowText, kNavy);
    title->setPalette(navy);
    m_broker = new QLabel(this);
    m_broker->setObjectName(QStringLiteral("Label_Broker"));
    m_allOff = new QPushButton(QStringLiteral("Alles uit"), this);
    m_allOff->setObjectName(QStringLiteral("CMD_AllesUit"));
    m_allOff->setFont(ctl::makeFont(QStringLiteral("Comic Sans MS"), 12, true));
    // A style sheet replaces the style's focus frame: one of its own.
    m_allOff->setStyleSheet(QStringLiteral(
        "QPushButton { background-color: #ff6060; padding: 6px 18px; border: 2px solid #804040; }"
        "QPushButton:focus { border: 3px solid #000080; }"
        "QPushButton:pressed { background-color: #d04040; }"
        "QPushButton:disabled { background-color: #c0a0a0; color: #606060; }"));
    m_allOff->setAccessibleDescription(QStringLiteral("Zet alle stations in de klas uit"));
    top->addWidget(title);
    top->addSpacing(20);
    // Freezing the class for a test: one button at a time, so the caption
    // always says what a press does.
    m_freeze = new QPushButton(QStringLiteral("Klas bevriezen"), this);
    m_freeze->setObjectName(QStringLiteral("CMD_KlasBevriezen"));
    m_freeze->setAccessibleDescription(QStringLiteral(
        "De leerlingen kunnen hun plan nog uitvoeren en controleren, niet wijzigen"));
    m_release = new QPushButton(QStringLiteral("Klas vrijgeven"), this);
    m_release->setObjectName(QStringLiteral("CMD_KlasVrijgeven"));
    m_release->setAccessibleDescription(
        QStringLiteral("De leerlingen kunnen hun plan weer wijzigen"));
    m_release->hide();
    top->addWidget(m_broker, 1);
    top->addWidget(m_freeze);
    top->addWidget(m_release);
    top->addSpacing(12);
    top->addWidget(m_allOff);

    m_frozenLine =
        new QLabel(QStringLiteral("De klas is bevroren: de leerlingen kunnen hun plan uitvoeren en "
                                  "controleren, niet wijzigen."),
                   this);
    m_frozenLine->setObjectName(QStringLiteral("Label_KlasBevroren"));
    m_frozenLine->setWordWrap(true);
    m_frozenLine->setFont(ctl::makeFont(QStringLiteral("Comic Sans MS"), 11, true));
    m_frozenLine->setStyleSheet(QStringLiteral("QLabel { background: #cce4ff; color: #000080; "
                                               "border: 2px solid #000080; padding: 4px; }"));
    m_frozenLine->setAccessibleName(m_frozenLine->text());
    m_frozenLine->hide();

    // Who has not confirmed "Alles uit", shown until the next one.
    auto* allOffRow = new QHBoxLayout;
    m_allOffState = new QLabel(this);
    m_allOffState->setObjectName(QStringLiteral("Label_AllesUit"));
    m_allOffState->setWordWrap(true);
    m_allOffState->hide();
    m_stopAllOff = new QPushButton(QStringLiteral("Stoppen met uitzetten"), this);
    m_stopAllOff->setObjectName(QStringLiteral("CMD_StoppenMetUitzetten"));
    m_stopAllOff->setAccessibleDescription(
        QStringLiteral("Stuurt Alles uit niet meer opnieuw naar de pc's die het niet bevestigden"));
    m_stopAllOff->hide();
    allOffRow->addWidget(m_allOffState, 1);
    allOffRow->addWidget(m_stopAllOff);

    // The class's lesson and its results.
    auto* lessonRow = new QHBoxLayout;
    m_lessonLabel = new QLabel(this);
    m_lessonLabel->setObjectName(QStringLiteral("Label_Opdracht"));
    m_lessonLabel->setWordWrap(true);
    m_sendLesson = new QPushButton(QStringLiteral("Opdracht versturen…"), this);
    m_sendLesson->setObjectName(QStringLiteral("CMD_OpdrachtVersturen"));
    m_withdrawLesson = new QPushButton(QStringLiteral("Opdracht intrekken"), this);
    m_withdrawLesson->setObjectName(QStringLiteral("CMD_OpdrachtIntrekken"));
    m_saveResults = new QPushButton(QStringLiteral("Resultaten opslaan…"), this);
    m_saveResults->setObjectName(QStringLiteral("CMD_ResultatenOpslaan"));
    lessonRow->addWidget(m_lessonLabel, 1);
    lessonRow->addWidget(m_sendLesson);
    lessonRow->addWidget(m_withdrawLesson);
    lessonRow->addWidget(m_saveResults);
    m_results = new QTableWidget(0, 7, this);
    m_results->setObjectName(QStringLiteral("Resultaten"));
    m_results->setAccessibleName(QStringLiteral("Resultaten"));
    m_results->setHorizontalHeaderLabels(
        {QStringLiteral("Naam"), QStringLiteral("Goed"), QStringLiteral("Pogingen"),
         QStringLiteral("Tijd"), QStringLiteral("Zelf nagekeken"), QStringLiteral("Bediend"),
         QStringLiteral("Eerste fout")});
    m_results->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Sized by the rows in view only: measured over every row, each changed
    // cell cost a pass over the whole class, up to a fifth of a second per
    // result on a busy PC, while every PC's status waited.
    m_results->horizontalHeader()->setResizeContentsPrecision(0);
    m_results->horizontalHeader()->setStretchLastSection(true);
    m_results->verticalHeader()->hide();
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_results->setMaximumHeight(190);
    m_results->hide();

    auto* area = new QScrollArea(this);
    area->setWidgetResizable(true);
    area->setAccessibleName(QStringLiteral("Leerlingen"));
    // The keyboard goes from tile to tile, which scrolls the area; a stop
    // on the area itself would say nothing.
    area->setFocusPolicy(Qt::NoFocus);
    m_viewport = area->viewport();
    m_viewport->installEventFilter(this);
    auto* tiles = new QWidget(area);
    m_grid = new QGridLayout(tiles);
    m_grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    area->setWidget(tiles);

    auto* v = new QVBoxLayout(this);
    v->addLayout(top);
    v->addWidget(m_frozenLine);
    v->addLayout(allOffRow);
    v->addLayout(lessonRow);
    v->addWidget(area, 1);
    v->addWidget(m_results);

    // The top row left to right; from "Alles uit" Tab goes on to the tiles.
    setTabOrder(m_freeze, m_release);
    setTabOrder(m_release, m_allOff);

    m_ownClock = std::make_unique<platform::TimerClock>();
    setClock(m_ownClock.get());

    m_repaint.setSingleShot(true);
    m_repaint.setInterval(100);
    connect(&m_repaint, &QTimer::timeout, this, &Klasoverzicht::refresh);
    connect(m_allOff, &QPushButton::clicked, this, &Klasoverzicht::confirmAllOff);
    connect(m_stopAllOff, &QPushButton::clicked, this, &Klasoverzicht::stopUitzetten);
    connect(m_sendLesson, &QPushButton::clicked, this, &Klasoverzicht::chooseLesson);
    connect(m_withdrawLesson, &QPushButton::clicked, this, &Klasoverzicht::trekOpdrachtIn);
    connect(m_saveResults, &QPushButton::clicked, this, &Klasoverzicht::chooseResultsFile);
    connect(m_freeze, &QPushButton::clicked, this, &Klasoverzicht::bevries);
    connect(m_release, &QPushButton::clicked, this, &Klasoverzicht::geefVrij);
    connect(m_client, &MqttClient::messageArrived, this, &Klasoverzicht::onMessage);
    connect(m_client, &MqttClient::connected, this, &Klasoverzicht::showBroker);
    connect(m_client, &MqttClient::disconnected, this, &Klasoverzicht::showBroker);
    connect(m_client, &MqttClient::refused, this, [this](const QString& reason) {
        m_refusal = reason;
        showBroker();
        platform::messages().show(
            this, {QStringLiteral("Klasoverzicht"),
                   QStringLiteral("De klasbroker weigert de aanmelding: %1.\r\rControleer "
                                  "gebruiker en wachtwoord onder [klas] in het "
                                  "installatiebestand.")
                       .arg(reason),
                   platform::MessageButtons::Ok, platform::MessageIcon::Warning});
    });

    m_client->subscribe(statusTopic(m_klas, QStringLiteral("+")), 1);
    // What another teacher's window of this class sets (where the broker
    // lets the teacher read it).
    m_client->subscribe(faultTopic(m_klas, QStringLiteral("+")), 1);
    // The lesson sent earlier (kept by the broker) and every PC's result.
    m_client->subscribe(lessonTopic(m_klas), 1);
    m_client->subscribe(resultTopic(m_klas, QStringLiteral("+")), 1);
    m_client->subscribe(freezeTopic(m_klas), 1);
    for (const ClassModel::Pupil* p : m_model.sorted())
        m_dirty.insert(p->account);
    refresh();
    showBroker();
    showLesson();
    m_client->start();
}

Klasoverzicht::~Klasoverzicht()
{
    // A clock given from outside may outlive the window.
    m_clock->cancel();
    m_clock->setWakeHandler({});
}

void Klasoverzicht::setClock(platform::Clock* clock)
{
    if (m_clock) {
        m_clock->cancel();
        m_clock->setWakeHandler({});
    }
    m_clock = clock;
    m_clock->setWakeHandler([this] { allOffTick(); });
    if (m_round.sending())
        m_clock->wakeAfter(0);
}

void Klasoverzicht::showBroker()
{
    if (m_model.isBrokerConnected() != m_client->isConnected()) {
        m_model.setBrokerConnected(m_client->isConnected());
        for (const ClassModel::Pupil* p : m_model.sorted())
            m_dirty.insert(p->account);
        if (!m_repaint.isActive())
            m_repaint.start();
    }
    if (!m_refusal.isEmpty())
        m_broker->setText(QStringLiteral("Klasbroker weigert de aanmelding: %1").arg(m_refusal));
    else if (m_client->isConnected())
        m_broker->setText(QStringLiteral("Verbonden met de klasbroker"));
    else
        m_broker->setText(QStringLiteral("Niet verbonden met de klasbroker: opnieuw proberen..."));
    m_allOff->setEnabled(m_client->isConnected());
    m_sendLesson->setEnabled(m_client->isConnected());
    m_withdrawLesson->setEnabled(m_client->isConnected() && !m_lessonId.isEmpty());
    m_freeze->setEnabled(m_client->isConnected());
    m_release->setEnabled(m_client->isConnected());
}

void Klasoverzicht::onMessage(const QString& topic, const QByteArray& payload)
{
    if (topic == lessonTopic(m_klas)) {
        onLessonMessage(payload);
        return;
    }
    if (topic == freezeTopic(m_klas)) {
        onFreezeMessage(payload);
        return;
    }
    if (const QString pc = accountOfResultTopic(m_klas, topic); !pc.isEmpty()) {
        onResultMessage(pc, payload);
        return;
    }
    const QString account = accountOfStatusTopic(m_klas, topic);
    if (account.isEmpty()) {
        onFaultMessage(accountOfFaultTopic(m_klas, topic), payload);
        return;
    }
    const std::optional<PupilStatus> status = decodeStatus(payload);
    if (!status)
        return;
    if (m_round.onStatus(account, *status))
        showAllOff();
    // Online and not (yet) frozen: named under the frozen class's line.
    const auto unfrozen = [this, &account] {
        const ClassModel::Pupil* p = m_model.pupil(account);
        return p && p->status.online && !p->status.bevroren;
    };
    const bool wasUnfrozen = unfrozen();
    if (m_model.onStatus(account, *status)) {
        if (const ClassModel::Pupil* p = m_model.pupil(account))
            sendFaults(account, p->wanted);
    }
    if (m_frozen && wasUnfrozen != unfrozen())
        showFreeze();
    m_dirty.insert(account);
    if (!m_repaint.isActive())
        m_repaint.start();
}

bool Klasoverzicht::eventFilter(QObject* watched, QEvent* event)
{
    // As many tiles side by side as the window is wide.
    if (watched == m_viewport && m_grid && event->type() == QEvent::Resize) {
        const QMargins m = m_grid->contentsMargins();
        const int step = kTileWidth + m_grid->horizontalSpacing();
        const int columns = std::max(
            1, (m_viewport->width() - m.left() - m.right() + m_grid->horizontalSpacing()) / step);
        if (columns != m_columns) {
            m_columns = columns;
            m_order.clear();
            m_orderVersion = -1;
            refresh();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Klasoverzicht::onFaultMessage(const QString& account, const QByteArray& payload)
{
    // Our own come back too; only another window's change the record.
    if (account.isEmpty() || faultSender(payload) == m_sender)
        return;
    const std::optional<Faults> f = decodeFaults(payload);
    if (f && m_model.adoptFaults(account, *f)) {
        m_dirty.insert(account);
        if (!m_repaint.isActive())
            m_repaint.start();
    }
}

void Klasoverzicht::refresh()
{
    bool layoutChanged = false;
    for (const QString& account : std::as_const(m_dirty)) {
        if (!m_tiles.contains(account)) {
            auto* tile = new PupilTile(account, m_grid->parentWidget());
            connect(tile->faultsButton(), &QPushButton::clicked, this,
                    [this, account] { openFaults(account); });
            connect(tile->planButton(), &QPushButton::clicked, this,
                    [this, account] { openPlan(account); });
            m_tiles.insert(account, tile);
            layoutChanged = true;
        }
        if (const ClassModel::Pupil* p = m_model.pupil(account))
            m_tiles[account]->showPupil(*p, tileResultLine(*p, m_lessonId), m_model.isCurrent(*p));
    }
    m_dirty.clear();
    // Sorted by name. Laying out and the tab order cost as much as the class
    // is large, so only when the order changed.
    if (!layoutChanged && m_model.orderVersion() == m_orderVersion) {
        emit changed();
        return;
    }
    m_orderVersion = m_model.orderVersion();
    QStringList order;
    for (const ClassModel::Pupil* p : m_model.sorted())
        order.append(p->account);
    if (layoutChanged || order != m_order) {
        m_order = order;
        setTabOrder(m_allOff, m_stopAllOff);
        QWidget* previous = m_stopAllOff;
        for (int i = 0; i < order.size(); ++i) {
            PupilTile* tile = m_tiles.value(order[i]);
            if (!tile)
                continue;
            m_grid->removeWidget(tile);
            m_grid->addWidget(tile, i / m_columns, i % m_columns);
            tile->setVisible(true);
            // Last raised is last among its siblings: a screen reader lists
            // the tiles in the order they are shown.
            tile->raise();
            // The keyboard follows the reading order of the tiles.
            setTabOrder(previous, tile->faultsButton());
            setTabOrder(tile->faultsButton(), tile->planButton());
            previous = tile->planButton();
        }
    }
    emit changed();
}

QVariantMap Klasoverzicht::leerling(const QString& naam) const
{
    const ClassModel::Pupil* p = m_model.pupil(naam);
    if (!p)
        return {};
    QVariantMap m{{QStringLiteral("online"), p->status.online},
                  {QStringLiteral("station"), p->status.station},
                  {QStringLiteral("uitgangen"), p->status.uitgangen},
                  {QStringLiteral("ingangen"), p->status.ingangen},
                  {QStringLiteral("plan"), p->status.plan},
                  {QStringLiteral("storingen"), p->status.storingen.describe()}};
    if (p->result) {
        const LessonResult& r = *p->result;
        QVariantMap o{{QStringLiteral("id"), r.id},
                      {QStringLiteral("titel"), r.titel},
                      {QStringLiteral("goed"), r.goed},
                      {QStringLiteral("totaal"), r.totaal},
                      {QStringLiteral("fout"), r.fout},
                      {QStringLiteral("pogingen"), r.pogingen},
                      {QStringLiteral("seconden"), r.seconden},
                      {QStringLiteral("plan"), QString::fromUtf8(r.plan)},
                      {QStringLiteral("oud"), r.id != m_lessonId}};
        if (p->ownPassed >= 0)
            o.insert(QStringLiteral("zelfGoed"), p->ownPassed);
        if (r.plc)
            o.insert(QStringLiteral("plc"), true);
        if (r.hunt) {
            o.insert(QStringLiteral("soort"), QStringLiteral("storing zoeken"));
            o.insert(QStringLiteral("gevonden"), r.found());
            o.insert(QStringLiteral("bediend"), r.bediend);
            o.insert(QStringLiteral("docent"), r.docent);
            o.insert(QStringLiteral("oud"), !r.docent && r.id != m_lessonId);
        }
        m.insert(QStringLiteral("opdracht"), o);
    }
    if (!p->status.opdrachtFout.isEmpty())
        m.insert(QStringLiteral("opdrachtFout"), p->status.opdrachtFout);
    return m;
}

bool Klasoverzicht::sendFaults(const QString& account, const Faults& f)
{
    // Never retained: a fault that comes back by itself after a restart
    // would be a fault nobody set.
    return m_client->publish(faultTopic(m_klas, account), encodeFaults(f, m_sender), 1, false);
}

bool Klasoverzicht::zetStoring(const QString& naam, int ingang, const QString& soort)
{
    const std::optional<Fault> kind = faultFromWord(soort);
    return kind && changeFaults(naam, m_model.setFault(naam, ingang, *kind));
}

QString Klasoverzicht::uitgangWeigering(const QString& naam) const
{
    const ClassModel::Pupil* p = m_model.pupil(naam);
    return p ? ClassModel::deadOutputRefusal(p->status.interfaceType) : QString();
}

bool Klasoverzicht::zetUitgangStoring(const QString& naam, int uitgang, const QString& soort)
{
    const bool dead = soort == deadOutputWord();
    if (!dead && soort != QLatin1String("geen"))
        return false;
    // Lifting is always allowed; setting only where a station can ignore it.
    if (dead && (!m_model.pupil(naam) || !uitgangWeigering(naam).isEmpty()))
        return false;
    return changeFaults(naam, m_model.setDeadOutput(naam, uitgang, dead));
}

bool Klasoverzicht::alleStoringenWeg(const QString& naam)
{
    return changeFaults(naam, m_model.clearFaults(naam));
}

bool Klasoverzicht::changeFaults(const QString& naam, const std::optional<Faults>& faults)
{
    if (!faults)
        return false;
    const QString account = m_model.accountOf(naam);
    m_dirty.insert(account);
    m_repaint.start();
    return sendFaults(account, *faults);
}

void Klasoverzicht::allesUit()
{
    // Every PC the broker knows of, online or not: one whose link is cut
    // may still show its last status, or its will, and still have an
    // output on.
    QStringList seen;
    for (const ClassModel::Pupil* p : m_model.sorted()) {
        if (p->seen)
            seen.append(p->account);
    }
    m_round.start(QUuid::createUuid().toString(QUuid::Id128).left(8), seen, m_clock->nowMs());
    allOffTick();
}

void Klasoverzicht::stopUitzetten()
{
    m_round.stop();
    allOffTick();
}

void Klasoverzicht::allOffTick()
{
    const qint64 now = m_clock->nowMs();
    // Not sent while the broker is away: tried again at the next tick.
    if (m_round.resendDue(now) &&
        m_client->publish(allOffTopic(m_klas), encodeAllOff(m_round.id(), m_round.recipients()), 1,
                          false))
        m_round.sent(now);
    showAllOff();
    if (m_round.sending())
        m_clock->wakeAfter(250);
    else
        m_clock->cancel();
}

QStringList Klasoverzicht::nietUitgezet() const
{
    QStringList names;
    for (const QString& account : m_round.late(m_clock->nowMs())) {
        const ClassModel::Pupil* p = m_model.pupil(account);
        names.append(p ? ClassModel::shownName(*p) : account);
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

void Klasoverzicht::showAllOff()
{
    QStringList late;
    for (const QString& account : m_round.late(m_clock->nowMs())) {
        const ClassModel::Pupil* p = m_model.pupil(account);
        const QString name = p ? ClassModel::shownName(*p) : account;
        late.append(p && p->status.online ? name : name + QStringLiteral(" (offline)"));
    }
    late.sort(Qt::CaseInsensitive);
    QString text;
    if (!m_round.started())
        text.clear();
    else if (m_round.unconfirmed().isEmpty())
        text = QStringLiteral("Alles uit: alle pc's hebben bevestigd dat alle uitgangen uit zijn.");
    else if (late.isEmpty())
        text = QStringLiteral("Alles uit verstuurd: wachten op bevestiging van de pc's...");
    else if (m_round.sending())
        text = QStringLiteral("Alles uit nog niet bevestigd door: %1. Wordt opnieuw verstuurd.")
                   .arg(late.join(QStringLiteral(", ")));
    else
        text = QStringLiteral("Gestopt met uitzetten. Niet bevestigd door: %1.")
                   .arg(late.join(QStringLiteral(", ")));
    m_stopAllOff->setVisible(m_round.sending());
    if (text == m_allOffState->text())
        return;
    m_allOffState->setText(text);
    m_allOffState->setVisible(!text.isEmpty());
    emit changed();
}

void Klasoverzicht::confirmAllOff()
{
    const int answer = platform::messages().show(
        this, {QStringLiteral("Alles uit"),
               QStringLiteral("Alle uitgangen van alle stations in de klas uitzetten?"),
               platform::MessageButtons::YesNo, platform::MessageIcon::Warning});
    if (answer == platform::ResultYes)
        allesUit();
}

void Klasoverzicht::openFaults(const QString& account)
{
    const ClassModel::Pupil* p = m_model.pupil(account);
    if (!p)
        return;
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("Storingen"));
    dialog.setWindowTitle(QStringLiteral("Storingen - %1").arg(ClassModel::shownName(*p)));
    auto* form = new QFormLayout(&dialog);
    const QStringList kinds{QStringLiteral("geen"), QStringLiteral("draadbreuk"),
                            QStringLiteral("kortsluiting")};
    std::array<QComboBox*, 8> boxes{};
    for (int i = 0; i < 8; ++i) {
        // The pupil's station names its sensors; Alt and the input's number
        // choose its box.
        const QString label = ClassModel::inputCaption(p->status.station, i + 1);
        QString shown = label;
        shown.replace(QLatin1Char('&'), QStringLiteral("&&")).insert(7, QLatin1Char('&'));
        auto* caption = new QLabel(shown, &dialog);
        caption->setTextFormat(Qt::PlainText);
        auto* box = new QComboBox(&dialog);
        caption->setBuddy(box);
        box->addItems(kinds);
        box->setCurrentIndex(int(p->wanted.input[i]));
        box->setAccessibleName(label);
        box->setObjectName(QStringLiteral("Storing_%1").arg(i + 1));
        // Applied at once: the teacher watches the tile change.
        connect(box, &QComboBox::currentTextChanged, this,
                [this, account, i](const QString& kind) { zetStoring(account, i + 1, kind); });
        form->addRow(caption, box);
        boxes[i] = box;
    }
    // The outputs: only "werkt niet", and only on a simulated station.
    const QString refusal = ClassModel::deadOutputRefusal(p->status.interfaceType);
    std::array<QComboBox*, 8> outputBoxes{};
    for (int i = 0; i < 8; ++i) {
        const QString label = ClassModel::outputCaption(p->status.station, i + 1);
        auto* caption = new QLabel(label, &dialog);
        caption->setTextFormat(Qt::PlainText);
        auto* box = new QComboBox(&dialog);
        caption->setBuddy(box);
        box->addItems({QStringLiteral("geen"), deadOutputWord()});
        box->setCurrentIndex(p->wanted.deadOutput[size_t(i)] ? 1 : 0);
        box->setAccessibleName(label);
        box->setObjectName(QStringLiteral("UitgangStoring_%1").arg(i + 1));
        // One set before the PC showed a module can still be lifted.
        box->setEnabled(refusal.isEmpty() || p->wanted.deadOutput[size_t(i)]);
        connect(box, &QComboBox::currentTextChanged, this, [this, account, i](const QString& kind) {
            zetUitgangStoring(account, i + 1, kind);
        });
        form->addRow(caption, box);
        outputBoxes[i] = box;
    }
    if (!refusal.isEmpty()) {
        auto* why = new QLabel(refusal, &dialog);
        why->setObjectName(QStringLiteral("UitgangWeigering"));
        why->setWordWrap(true);
        form->addRow(why);
    }
    auto* clear = new QPushButton(QStringLiteral("Alle storingen weg"), &dialog);
    connect(clear, &QPushButton::clicked, &dialog, [this, account, boxes, outputBoxes] {
        alleStoringenWeg(account);
        for (QComboBox* b : boxes) {
            const QSignalBlocker quiet(b);
            b->setCurrentIndex(0);
        }
        for (QComboBox* b : outputBoxes) {
            const QSignalBlocker quiet(b);
            b->setCurrentIndex(0);
        }
    });
    // Enter in a box closes the dialog: it must never lift every fault.
    clear->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("Sluiten"), &dialog);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    form->addRow(clear);
    form->addRow(close);
    dialog.exec();
}

void Klasoverzicht::markDirty(const QString& account)
{
    m_dirty.insert(account);
    if (!m_repaint.isActive())
        m_repaint.start();
}

void Klasoverzicht::chooseLesson()
{
    const QString path = platform::fileDialogs().openFileName(
        this, QStringLiteral("Opdracht versturen"), plan::planFiles().lessonsFolder(),
        QStringLiteral("Opdrachten (*.json)"));
    if (!path.isEmpty())
        verstuurOpdracht(path);
}

bool Klasoverzicht::verstuurOpdracht(const QString& path)
{
    const lesson::ReadResult read = lesson::readLessonFile(path);
    if (!read.lesson) {
        platform::messages().show(this,
                                  {QStringLiteral("Opdracht versturen"), read.error,
                                   platform::MessageButtons::Ok, platform::MessageIcon::Warning});
        return false;
    }
    // A new id every sending: the same file sent again after a withdrawal
    // is a new lesson for the PCs, counted from its arrival.
    const QString id = QUuid::createUuid().toString(QUuid::Id128).left(8);
    // As read here: the PCs get exactly what this window checks against.
    if (!m_client->publish(lessonTopic(m_klas), encodeLesson(id, lesson::writeLesson(*read.lesson)),
                           1, true)) {
        platform::messages().show(
            this, {QStringLiteral("Opdracht versturen"),
                   QStringLiteral("De opdracht is niet verstuurd: er is geen verbinding met de "
                                  "klasbroker."),
                   platform::MessageButtons::Ok, platform::MessageIcon::Warning});
        return false;
    }
    m_lesson = read.lesson;
    m_lessonId = id;
    showLesson();
    return true;
}

bool Klasoverzicht::trekOpdrachtIn()
{
    if (m_lessonId.isEmpty())
        return false;
    // An empty retained message clears the broker's copy.
    if (!m_client->publish(lessonTopic(m_klas), QByteArray(), 1, true))
        return false;
    m_lesson.reset();
    m_lessonId.clear();
    showLesson();
    return true;
}

void Klasoverzicht::onLessonMessage(const QByteArray& payload)
{
    // Ours coming back, the broker's copy when the window opens, or another
    // teacher's window of the class.
    if (payload.isEmpty()) {
        if (m_lessonId.isEmpty())
            return;
        m_lesson.reset();
        m_lessonId.clear();
        showLesson();
        return;
    }
    const std::optional<LessonMessage> m = decodeLesson(payload);
    if (!m) {
        qWarning("class broker: a lesson message that is not one was ignored");
        return;
    }
    if (m->id == m_lessonId)
        return;
    const lesson::ReadResult read =
        lesson::parseLesson(m->lesson, QStringLiteral("de opdracht op de klasbroker"));
    if (!read.lesson)
        qWarning("class broker: the class's lesson cannot be read: %s", qPrintable(read.error));
    // Unreadable, it still is what the PCs get now: their refusals are
    // about it, and no result is checked against the one before.
    m_lesson = read.lesson;
    m_lessonId = m->id;
    showLesson();
}

bool Klasoverzicht::bevries()
{
    return sendFreeze(true);
}

bool Klasoverzicht::geefVrij()
{
    return sendFreeze(false);
}

bool Klasoverzicht::sendFreeze(bool frozen)
{
    // Retained: a PC that starts during the test is frozen too.
    if (m_client->publish(freezeTopic(m_klas), encodeFreeze(frozen), 1, true))
        return true;
    platform::messages().show(
        this, {QStringLiteral("Klasoverzicht"),
               QStringLiteral("De klas is niet %1: er is geen verbinding met de klasbroker.")
                   .arg(frozen ? QStringLiteral("bevroren") : QStringLiteral("vrijgegeven")),
               platform::MessageButtons::Ok, platform::MessageIcon::Warning});
    return false;
}

void Klasoverzicht::onFreezeMessage(const QByteArray& payload)
{
    const std::optional<bool> frozen = decodeFreeze(payload);
    if (!frozen) {
        qWarning("class broker: a freeze message that is not one was ignored");
        return;
    }
    if (*frozen == m_frozen)
        return;
    m_frozen = *frozen;
    showFreeze();
}

void Klasoverzicht::showFreeze()
{
    // The button that had the focus goes; its partner takes it.
    const bool hadFocus = m_freeze->hasFocus() || m_release->hasFocus();
    m_freeze->setVisible(!m_frozen);
    m_release->setVisible(m_frozen);
    const QStringList late = nietBevroren();
    m_frozenLine->setText(
        late.isEmpty()
            ? QStringLiteral("De klas is bevroren: de leerlingen kunnen hun plan uitvoeren en "
                             "controleren, niet wijzigen.")
            : QStringLiteral("De klas is bevroren. Nog niet bevestigd door: %1.")
                  .arg(late.join(QStringLiteral(", "))));
    m_frozenLine->setAccessibleName(m_frozenLine->text());
    m_frozenLine->setVisible(m_frozen);
    if (hadFocus)
        (m_frozen ? m_release : m_freeze)->setFocus();
    emit changed();
}

QStringList Klasoverzicht::nietBevroren() const
{
    QStringList names;
    if (!m_frozen)
        return names;
    for (const ClassModel::Pupil* p : m_model.sorted())
        if (p->status.online && !p->status.bevroren)
            names.append(ClassModel::shownName(*p));
    return names;
}

void Klasoverzicht::onResultMessage(const QString& account, const QByteArray& payload)
{
    // A result cleared on the broker says nothing.
    if (payload.isEmpty())
        return;
    const std::optional<LessonResult> r = decodeResult(payload);
    if (!r) {
        qWarning("class broker: a result from %s that is not one was ignored", qPrintable(account));
        return;
    }
    // The tile is the topic's account: a payload cannot speak for another PC.
    m_model.onResult(account, *r);
    recheck(account);
    markDirty(account);
    showResults();
}

// The plan a PC sent is checked here too: a result is the PC's word, and
// the teacher's own check shows where the two differ.
void Klasoverzicht::recheck(const QString& account)
{
    const ClassModel::Pupil* p = m_model.pupil(account);
    // A PLC holds its own program: there is nothing here to check again.
    if (!p || !p->result || !m_lesson || p->result->id != m_lessonId || p->ownPassed >= 0 ||
        !p->result->hasPlan())
        return;
    const plan::ReadResult read = plan::parsePlan(
        p->result->plan, QStringLiteral("het plan van %1").arg(ClassModel::shownName(*p)));
    // A plan that cannot be read passes nothing.
    const int passed = read.plan ? lesson::checkPlan(*m_lesson, *read.plan).passed() : 0;
    m_model.setOwnCheck(account, passed);
}

void Klasoverzicht::showLesson()
{
    m_lessonLabel->setText(m_lesson ? QStringLiteral("Opdracht: %1").arg(m_lesson->title)
                           : m_lessonId.isEmpty()
                               ? QStringLiteral("Geen opdracht verstuurd")
                               : QStringLiteral("De opdracht op de klasbroker is onleesbaar."));
    showBroker();
    for (const ClassModel::Pupil* p : m_model.sorted()) {
        recheck(p->account);
        markDirty(p->account);
    }
    showResults();
}

void Klasoverzicht::showResults()
{
    const QVector<ResultRow> rows = resultRows(m_model, m_lessonId);
    m_results->setVisible(m_lesson.has_value());
    m_saveResults->setEnabled(m_lesson.has_value());
    m_results->setRowCount(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const ResultRow& r = rows[i];
        const QStringList cells{
            r.naam,
            r.hasResult ? QStringLiteral("%1/%2").arg(r.goed).arg(r.totaal) : QStringLiteral("-"),
            r.hasResult ? QString::number(r.pogingen) : QString(),
            r.hasResult ? durationText(r.seconden) : QString(), ownCheckText(r),
            // Fault finding: the presses before the answer.
            r.hasResult && r.hunt ? QString::number(r.bediend) : QString(), r.fout};
        for (int c = 0; c < cells.size(); ++c) {
            QTableWidgetItem* item = m_results->item(i, c);
            if (!item) {
                item = new QTableWidgetItem;
                m_results->setItem(i, c, item);
            }
            item->setText(cells[c]);
            item->setToolTip(c == 6 ? cells[c] : QString());
            // Where this window's own check differs from the PC's score.
            const bool differs = c == 4 && r.zelf >= 0 && r.zelf != r.goed;
            item->setForeground(differs ? QColor(176, 0, 0) : palette().color(QPalette::Text));
        }
    }
}

void Klasoverzicht::chooseResultsFile()
{
    const QString path = platform::fileDialogs().saveFileName(
        this, QStringLiteral("Resultaten opslaan"), QStringLiteral("resultaten.csv"),
        QStringLiteral("CSV-bestanden (*.csv)"));
    if (!path.isEmpty())
        slaResultatenOp(path);
}

bool Klasoverzicht::slaResultatenOp(const QString& path)
{
    const platform::WriteResult written =
        platform::storage().writeFile(path, resultsCsv(resultRows(m_model, m_lessonId)));
    if (written.ok())
        return true;
    platform::messages().show(
        this, {QStringLiteral("Resultaten opslaan"),
               QStringLiteral("Kan \"%1\" niet opslaan: %2")
                   .arg(QFileInfo(path).fileName(),
                        written.failure == platform::WriteFailure::NotOpened
                            ? QStringLiteral("de map is er niet of mag niet beschreven worden.")
                            : QStringLiteral("het schrijven is mislukt (is de schijf vol?).")),
               platform::MessageButtons::Ok, platform::MessageIcon::Warning});
    return false;
}

// The plan a PC checked, to read: a table of its steps, nothing to change.
void Klasoverzicht::openPlan(const QString& account)
{
    const ClassModel::Pupil* p = m_model.pupil(account);
    if (!p || !p->result || !p->result->hasPlan())
        return;
    const QString name = ClassModel::shownName(*p);
    const plan::ReadResult read =
        plan::parsePlan(p->result->plan, QStringLiteral("het plan van %1").arg(name));
    auto* window = new QWidget(this, Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName(QStringLiteral("PlanVan_") + account);
    window->setWindowTitle(QStringLiteral("Plan van %1 - %2").arg(name, p->result->titel));
    auto* v = new QVBoxLayout(window);
    auto* caption = new QLabel(window);
    caption->setWordWrap(true);
    v->addWidget(caption);
    if (!read.plan) {
        caption->setText(read.error);
    } else {
        const plan::Plan& plan = *read.plan;
        caption->setText(
            QStringLiteral("%1, %2 %3%4")
                .arg(station::displayName(plan.station))
                .arg(plan.steps.size())
                .arg(plan.steps.size() == 1 ? QStringLiteral("stap") : QStringLiteral("stappen"),
                     plan.repeat ? QStringLiteral(", herhalen") : QString()));
        auto* table = new QTableWidget(int(plan.steps.size()), 4, window);
        table->setObjectName(QStringLiteral("PlanStappen"));
        table->setHorizontalHeaderLabels({QStringLiteral("Stap"), QStringLiteral("Uitgangen"),
                                          QStringLiteral("Wacht op"), QStringLiteral("Uitleg")});
        table->verticalHeader()->hide();
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->horizontalHeader()->setStretchLastSection(true);
        for (int i = 0; i < plan.steps.size(); ++i) {
            const plan::Step& step = plan.steps[i];
            const QStringList cells{QString::number(i + 1), stepOutputs(step), stepWait(step),
                                    step.note};
            for (int c = 0; c < cells.size(); ++c)
                table->setItem(i, c, new QTableWidgetItem(cells[c]));
        }
        table->resizeColumnsToContents();
        v->addWidget(table, 1);
    }
    window->resize(520, 360);
    window->show();
}

} // namespace klas
