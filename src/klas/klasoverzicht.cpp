#include "klas/klasoverzicht.h"

#include "controls/color.h"
#include "klas/mqtt_client.h"
#include "platform/services.h"

#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

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
constexpr int kColumns = 4;

// The step plan's state as the teacher reads it.
QString planWord(const QString& state)
{
    static const QHash<QString, QString> words{
        {QStringLiteral("stopped"), QStringLiteral("gestopt")},
        {QStringLiteral("running"), QStringLiteral("loopt")},
        {QStringLiteral("paused"), QStringLiteral("gepauzeerd")},
        {QStringLiteral("finished"), QStringLiteral("klaar")},
        {QStringLiteral("failed"), QStringLiteral("mislukt")}};
    return words.value(state, state);
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

// A small lamp with its number, painted directly: a class of thirty PCs
// reports many times a second, and style sheets would cost too much.
class Lamp : public QWidget
{
  public:
    Lamp(int number, QWidget* parent) : QWidget(parent), m_number(QString::number(number))
    {
        setFixedSize(20, 18);
    }
    void setColour(const QColor& c)
    {
        if (c == m_colour)
            return;
        m_colour = c;
        update();
    }

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
    QColor m_colour = kLampOff;
};

} // namespace

// One PC as the teacher sees it.
class PupilTile : public QFrame
{
  public:
    PupilTile(const QString& account, QWidget* parent) : QFrame(parent)
    {
        setObjectName(QStringLiteral("Tegel_") + account);
        setFrameShape(QFrame::StyledPanel);
        setAutoFillBackground(true);
        auto* v = new QVBoxLayout(this);
        v->setSpacing(3);
        m_name = new QLabel(this);
        m_name->setFont(ctl::makeFont(QStringLiteral("Comic Sans MS"), 12, true));
        m_online = new QLabel(this);
        m_station = new QLabel(this);
        m_plan = new QLabel(this);
        m_plan->setWordWrap(true);
        m_plc = new QLabel(this);
        m_faults = new QLabel(this);
        m_faults->setWordWrap(true);
        m_station->setWordWrap(true);
        // Four tiles side by side on a 1100 px window, whatever a PC reports.
        setFixedWidth(255);
        v->addWidget(m_name);
        v->addWidget(m_online);
        v->addWidget(m_station);
        v->addLayout(lampRow(QStringLiteral("Uit"), QStringLiteral("Uitgangen"), m_outputs));
        v->addLayout(lampRow(QStringLiteral("In"), QStringLiteral("Ingangen"), m_inputs));
        v->addWidget(m_plan);
        v->addWidget(m_plc);
        v->addWidget(m_faults);
        m_button = new QPushButton(QStringLiteral("Storingen..."), this);
        m_button->setObjectName(QStringLiteral("Storingen_") + account);
        v->addWidget(m_button);
        for (QLabel* l : {m_online, m_station, m_plan, m_plc, m_faults})
            l->setFont(ctl::makeFont(QStringLiteral("Comic Sans MS"), 9.75, false));
    }

    QPushButton* faultsButton() const { return m_button; }

    void showPupil(const ClassModel::Pupil& p)
    {
        const PupilStatus& s = p.status;
        const QString name = ClassModel::shownName(p);
        m_name->setText(name);
        const QString state = !p.seen    ? QStringLiteral("nog niet gezien")
                              : s.online ? QStringLiteral("online")
                                         : QStringLiteral("offline");
        m_online->setText(state);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, s.online ? kInputsGreen : kFrameGrey);
        setPalette(pal);
        const QString iface = interfaceWord(s.interfaceType);
        m_station->setText(
            QStringLiteral("%1 - %2 (%3)")
                .arg(s.station.isEmpty() ? QStringLiteral("-") : s.station, iface,
                     s.verbonden ? QStringLiteral("verbonden") : QStringLiteral("niet verbonden")));
        paintLamps(m_outputs, m_outputWord, s.online ? s.uitgangen : 0, kLampOutput,
                   QStringLiteral("Uitgang"));
        paintLamps(m_inputs, m_inputWord, s.online ? s.ingangen : 0, kLampInput,
                   QStringLiteral("Ingang"));
        m_plan->setText(planText(s));
        m_plc->setText(s.plc.isEmpty() ? QStringLiteral("PLC: -")
                                       : QStringLiteral("PLC: %1").arg(s.plc));
        const QString wanted = p.wanted.describe();
        const QString reported = s.storingen.describe();
        QString faults =
            QStringLiteral("Storingen: %1").arg(wanted.isEmpty() ? QStringLiteral("geen") : wanted);
        if (p.seen && s.online && wanted != reported)
            faults += QStringLiteral(" (nog niet bevestigd)");
        m_faults->setText(faults);
        setAccessibleName(QStringLiteral("%1, %2").arg(name, state));
        m_button->setAccessibleName(QStringLiteral("Storingen van %1").arg(name));
    }

  private:
    QHBoxLayout* lampRow(const QString& caption, const QString& name, std::array<Lamp*, 8>& lamps)
    {
        auto* row = new QHBoxLayout;
        row->setSpacing(4);
        auto* label = new QLabel(caption, this);
        label->setAccessibleName(name);
        label->setMinimumWidth(26);
        row->addWidget(label);
        for (int i = 0; i < 8; ++i) {
            lamps[i] = new Lamp(i + 1, this);
            row->addWidget(lamps[i]);
        }
        row->addStretch();
        return row;
    }

    // Only the lamps that changed: a style sheet is costly, and a class
    // reports many times a second.
    static void paintLamps(std::array<Lamp*, 8>& lamps, int& shown, int word, const QColor& on,
                           const QString& kind)
    {
        for (int i = 0; i < 8; ++i) {
            const bool lit = (word >> i) & 1;
            if (shown >= 0 && ((shown >> i) & 1) == int(lit))
                continue;
            lamps[i]->setColour(lit ? on : kLampOff);
            lamps[i]->setAccessibleName(
                QStringLiteral("%1 %2 %3").arg(kind).arg(i + 1).arg(lit ? "aan" : "uit"));
        }
        shown = word;
    }

    QLabel* m_name{};
    QLabel* m_online{};
    QLabel* m_station{};
    QLabel* m_plan{};
    QLabel* m_plc{};
    QLabel* m_faults{};
    QPushButton* m_button{};
    std::array<Lamp*, 8> m_outputs{};
    int m_outputWord = -1; // as shown; -1 before the first
    int m_inputWord = -1;
    std::array<Lamp*, 8> m_inputs{};
};

Klasoverzicht::Klasoverzicht(MqttClient* client, const QString& klas, const QStringList& accounts,
                             QWidget* parent)
    : QWidget(parent), m_client(client), m_klas(klas), m_model(accounts)
{
    setObjectName(QStringLiteral("Klasoverzicht"));
    setWindowTitle(QStringLiteral("Klasoverzicht - klas %1").arg(klas));
    setFont(ctl::makeFont(QStringLiteral("Comic Sans MS"), 9.75, false));
    resize(1100, 720);

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
    m_allOff->setStyleSheet(QStringLiteral("background-color: #ff6060; padding: 6px 18px;"));
    m_allOff->setAccessibleDescription(QStringLiteral("Zet alle stations in de klas uit"));
    top->addWidget(title);
    top->addSpacing(20);
    top->addWidget(m_broker, 1);
    top->addWidget(m_allOff);

    auto* area = new QScrollArea(this);
    area->setWidgetResizable(true);
    auto* tiles = new QWidget(area);
    m_grid = new QGridLayout(tiles);
    m_grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    area->setWidget(tiles);

    auto* v = new QVBoxLayout(this);
    v->addLayout(top);
    v->addWidget(area, 1);

    m_repaint.setSingleShot(true);
    m_repaint.setInterval(100);
    connect(&m_repaint, &QTimer::timeout, this, &Klasoverzicht::refresh);
    connect(m_allOff, &QPushButton::clicked, this, &Klasoverzicht::confirmAllOff);
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
    for (const QString& a : accounts)
        m_dirty.insert(a);
    refresh();
    showBroker();
    m_client->start();
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
    if (account.isEmpty())
        return;
    const std::optional<PupilStatus> status = decodeStatus(payload);
    if (!status)
        return;
    if (m_model.onStatus(account, *status)) {
        if (const ClassModel::Pupil* p = m_model.pupil(account))
            sendFaults(account, p->wanted);
    }
    m_dirty.insert(account);
    if (!m_repaint.isActive())
        m_repaint.start();
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
    QStringList order;
    for (const ClassModel::Pupil* p : m_model.sorted())
        order.append(p->account);
    if (layoutChanged || order != m_order) {
        m_order = order;
        QWidget* previous = m_allOff;
        for (int i = 0; i < order.size(); ++i) {
            PupilTile* tile = m_tiles.value(order[i]);
            if (!tile)
                continue;
            m_grid->removeWidget(tile);
            m_grid->addWidget(tile, i / kColumns, i % kColumns);
            tile->setVisible(true);
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
    return m_client->publish(faultTopic(m_klas, account), encodeFaults(f), 1, false);
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
    m_client->publish(allOffTopic(m_klas), encodeAllOff(), 1, false);
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
        auto* box = new QComboBox(&dialog);
        box->addItems(kinds);
        box->setCurrentIndex(int(p->wanted.input[i]));
        const QString label = QStringLiteral("Ingang %1").arg(i + 1);
        box->setAccessibleName(label);
        box->setObjectName(QStringLiteral("Storing_%1").arg(i + 1));
        // Applied at once: the teacher watches the tile change.
        connect(box, &QComboBox::currentTextChanged, this,
                [this, account, i](const QString& kind) { zetStoring(account, i + 1, kind); });
        form->addRow(label, box);
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
    auto* close = new QPushButton(QStringLiteral("Sluiten"), &dialog);
    connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    form->addRow(clear);
    form->addRow(close);
    dialog.exec();
}

} // namespace klas
