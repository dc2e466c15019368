#include "klas/klasoverzicht.h"

#include "controls/accessible_controls.h"
#include "controls/color.h"
#include "klas/mqtt_client.h"
#include "platform/clock.h"
#include "platform/services.h"
#include "step_plan/sequencer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
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
        v->addWidget(m_plan);
        v->addWidget(m_plc);
        v->addWidget(m_faults);
        // A tile beside a taller one keeps its lines together.
        v->addStretch(1);
        m_button = new QPushButton(QStringLiteral("Storingen..."), this);
        m_button->setObjectName(QStringLiteral("Storingen_") + account);
        // The tile shows where the keyboard is, however the style draws it.
        m_button->installEventFilter(this);
        v->addWidget(m_button);
        for (QLabel* l : {m_online, m_station, m_plan, m_plc, m_faults})
            l->setFont(ctl::makeFont(QStringLiteral("Comic Sans MS"), 9.75, false));
        // A long name or plan message wraps or is cut, never widens a tile.
        for (QLabel* l : {m_name, m_online, m_plc})
            l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

    QPushButton* faultsButton() const { return m_button; }

    void showPupil(const ClassModel::Pupil& p)
    {
        const PupilStatus& s = p.status;
        if (m_shownOnce && p.seen == m_seen && s == m_status && p.wanted == m_wanted)
            return;
        const bool first = !m_shownOnce;
        const bool wasOnline = m_status.online;
        m_shownOnce = true;
        m_seen = p.seen;
        m_status = s;
        m_wanted = p.wanted;

        const QString name = ClassModel::shownName(p);
        setText(m_name, name);
        const QString state = !p.seen    ? QStringLiteral("nog niet gezien")
                              : s.online ? QStringLiteral("online")
                                         : QStringLiteral("offline");
        setText(m_online, state);
        if (first || wasOnline != s.online) {
            QPalette pal = palette();
            pal.setColor(QPalette::Window, s.online ? kInputsGreen : kFrameGrey);
            setPalette(pal);
        }
        const QString iface = interfaceWord(s.interfaceType);
        setText(m_station, QStringLiteral("%1 - %2 (%3)")
                               .arg(s.station.isEmpty() ? QStringLiteral("-") : s.station, iface,
                                    s.verbonden ? QStringLiteral("verbonden")
                                                : QStringLiteral("niet verbonden")));
        const int outputs = s.online ? s.uitgangen : 0;
        const int inputs = s.online ? s.ingangen : 0;
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
        if (p.seen && s.online && wanted != reported)
            faults += QStringLiteral(" (nog niet bevestigd)");
        setText(m_faults, faults);

        // What a screen reader says on the tile and on its button: the
        // whole tile, so the teacher need not walk every label.
        const QString tileName = QStringLiteral("%1, %2").arg(name, state);
        const QString description =
            QStringLiteral("%1. Uitgangen aan: %2. Ingangen aan: %3. %4. %5. %6.")
                .arg(m_station->text(), litNumbers(outputs), litNumbers(inputs), m_plan->text(),
                     m_plc->text(), faults);
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
    QPushButton* m_button{};
    std::array<Lamp*, 8> m_outputs{};
    std::array<Lamp*, 8> m_inputs{};
    // As shown.
    bool m_shownOnce = false;
    bool m_seen = false;
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
    top->addWidget(m_broker, 1);
    top->addWidget(m_allOff);

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
    v->addLayout(allOffRow);
    v->addWidget(area, 1);

    m_ownClock = std::make_unique<platform::TimerClock>();
    setClock(m_ownClock.get());

    m_repaint.setSingleShot(true);
    m_repaint.setInterval(100);
    connect(&m_repaint, &QTimer::timeout, this, &Klasoverzicht::refresh);
    connect(m_allOff, &QPushButton::clicked, this, &Klasoverzicht::confirmAllOff);
    connect(m_stopAllOff, &QPushButton::clicked, this, &Klasoverzicht::stopUitzetten);
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
    for (const QString& a : accounts)
        m_dirty.insert(a);
    refresh();
    showBroker();
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
    if (!m_refusal.isEmpty())
        m_broker->setText(QStringLiteral("Klasbroker weigert de aanmelding: %1").arg(m_refusal));
    else if (m_client->isConnected())
        m_broker->setText(QStringLiteral("Verbonden met de klasbroker"));
    else
        m_broker->setText(QStringLiteral("Niet verbonden met de klasbroker: opnieuw proberen..."));
    m_allOff->setEnabled(m_client->isConnected());
}

void Klasoverzicht::onMessage(const QString& topic, const QByteArray& payload)
{
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
    if (m_model.onStatus(account, *status)) {
        if (const ClassModel::Pupil* p = m_model.pupil(account))
            sendFaults(account, p->wanted);
    }
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
            m_tiles.insert(account, tile);
            layoutChanged = true;
        }
        if (const ClassModel::Pupil* p = m_model.pupil(account))
            m_tiles[account]->showPupil(*p);
    }
    m_dirty.clear();
    // Sorted by name: a name can change with a status. Laying out and the
    // tab order cost as much as the class is large, so only when the order
    // changed.
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
            previous = tile->faultsButton();
        }
    }
    emit changed();
}

QVariantMap Klasoverzicht::leerling(const QString& naam) const
{
    const ClassModel::Pupil* p = m_model.pupil(naam);
    if (!p)
        return {};
    return {{QStringLiteral("online"), p->status.online},
            {QStringLiteral("station"), p->status.station},
            {QStringLiteral("uitgangen"), p->status.uitgangen},
            {QStringLiteral("ingangen"), p->status.ingangen},
            {QStringLiteral("plan"), p->status.plan},
            {QStringLiteral("storingen"), p->status.storingen.describe()}};
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
    auto* clear = new QPushButton(QStringLiteral("Alle storingen weg"), &dialog);
    connect(clear, &QPushButton::clicked, &dialog, [this, account, boxes] {
        alleStoringenWeg(account);
        for (QComboBox* b : boxes) {
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

} // namespace klas
