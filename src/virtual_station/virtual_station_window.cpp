#include "virtual_station/virtual_station_window.h"

#include "controls/accessible_controls.h"
#include "controls/color.h"
#include "interface_link/capabilities.h"
#include "interface_link/station_link.h"
#include "platform/services.h"
#include "simulation/station_runner.h"
#include "virtual_station/scene_controls.h"
#include "virtual_station/scene_painter.h"
#include "window_placement/window_placer.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace virt
{

namespace
{
// Bars beside a letterboxed scene.
const QColor BarColour(0xb9, 0xc4, 0xcf);
constexpr int Gap = 8;
} // namespace

VirtualStationWindow::VirtualStationWindow(sim::StationRunner* station, iface::StationLink* link,
                                           QWidget* parent)
    : QWidget(parent, Qt::Window), m_station(station), m_link(link)
{
    ctl::installAccessibleControls();
    installSceneAccessibility();
    setObjectName(QStringLiteral("Virtuele_Opstelling"));
    setWindowTitle(QStringLiteral("Virtuele opstelling"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Closing the main window ends the program even while this one is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setMinimumSize(360, 240);
    resize(DefaultWidth, DefaultHeight);
    m_animation.setInterval(16);
    connect(&m_animation, &QTimer::timeout, this, [this] {
        if (m_dropClock.elapsed() >= DropMs)
            m_animation.stop();
        update();
    });
    if (m_station) {
        connect(m_station, &sim::StationRunner::stateChanged, this,
                &VirtualStationWindow::followStation);
    }
    // The way to the step plan that automates the station shown here.
    m_stepPlan = new QPushButton(QStringLiteral("Stappenplan"), this);
    m_stepPlan->setObjectName(QStringLiteral("KnopStappenplan"));
    m_stepPlan->setFocusPolicy(Qt::TabFocus);
    m_stepPlan->setFont(ctl::makeFont(QStringLiteral("Comic Sans MS"), 11, true));
    m_stepPlan->setCursor(Qt::PointingHandCursor);
    m_stepPlan->setStyleSheet(QStringLiteral(
        "QPushButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fafcfe, "
        "stop:1 #d3dbe4); border: 2px solid #333a42; border-radius: 6px; padding: 4px 12px; "
        "color: #1d2329; } QPushButton:pressed { background: #c3ccd6; } "
        "QPushButton:focus { border: 2px dashed #003c8f; }"));
    m_stepPlan->adjustSize();
    connect(m_stepPlan, &QPushButton::clicked, this, &VirtualStationWindow::stepPlanRequested);
    // A teacher's exercise: the link breaks as if the cable were pulled.
    m_pullCable = new QPushButton(QStringLiteral("Kabel los"), this);
    m_pullCable->setObjectName(QStringLiteral("KnopKabelLos"));
    m_pullCable->setToolTip(QStringLiteral("Verbreek de verbinding alsof de kabel los is"));
    m_pullCable->setFocusPolicy(Qt::TabFocus);
    m_pullCable->setFont(m_stepPlan->font());
    m_pullCable->setCursor(Qt::PointingHandCursor);
    m_pullCable->setStyleSheet(m_stepPlan->styleSheet());
    m_pullCable->adjustSize();
    if (m_link)
        connect(m_pullCable, &QPushButton::clicked, m_link, &iface::StationLink::pullCable);
    followStation();
}

Pose VirtualStationWindow::currentPose() const
{
    if (!m_station)
        return {};
    Pose pose = poseFor(m_layout, m_station->simulation());
    if (m_animation.isActive()) {
        pose.dropProgress = std::min(1.0, double(m_dropClock.elapsed()) / DropMs);
        pose.slideMetal = m_binMetalBeforeDrop;
    } else {
        pose.slideMetal = m_binMetal;
    }
    pose.dropMetal = m_binMetal;
    return pose;
}

QPointF VirtualStationWindow::toWidget(QPointF scenePoint) const
{
    return sceneTransform(m_layout.size, size()).map(scenePoint);
}

void VirtualStationWindow::followStation()
{
    const station::Station kind =
        m_station ? m_station->simulation().station() : station::Station::Interface;
    if (kind != m_layout.station || m_layout.size.isEmpty()) {
        m_layout = layoutFor(kind);
        m_background = QPixmap();
        m_beltParts.clear();
        m_slideSeen = 0;
        m_animation.stop();
        buildSceneControls();
    }
    watchSlide();
    placeSceneControls();
    update();
}

// One control per sensor and per scene button, in the order Tab and a
// screen reader take them.
void VirtualStationWindow::buildSceneControls()
{
    qDeleteAll(m_sceneControls);
    m_sceneControls.clear();
    qDeleteAll(m_indicators);
    m_indicators.clear();
    m_tabOrder.clear();
    for (const SensorSpot& s : m_layout.sensors) {
        auto* control = new SceneControl(this, Hit{Action::ForceInput, s.input}, s.name);
        control->setAccessibleName(pointName(true, s.input, s.name));
        m_sceneControls.append(control);
    }
    for (const ButtonSpot& b : m_layout.buttons) {
        auto* control = new SceneControl(this, Hit{b.action, -1}, b.text);
        control->setAccessibleDescription(buttonDescription(b.action));
        m_sceneControls.append(control);
    }
    for (SceneControl* control : std::as_const(m_sceneControls)) {
        control->show();
        connect(control, &QAbstractButton::clicked, this, [this, control] { act(control->hit()); });
    }
    const qsizetype count = indicators(m_layout, Pose{}, 0).size();
    for (qsizetype i = 0; i < count; ++i) {
        auto* indicator = new SceneIndicator(this);
        indicator->show();
        m_indicators.append(indicator);
    }
}

// Each control lies over what it acts on (sensors on the carriage travel
// with it) and tells the state of its sensor.
void VirtualStationWindow::placeSceneControls()
{
    const QTransform toWidget = sceneTransform(m_layout.size, size());
    const Pose pose = currentPose();
    const bool switches = !m_layout.inputSwitches.isEmpty();
    const quint8 inputs = m_station ? m_station->simulation().inputs() : 0;
    int index = 0;
    for (const SensorSpot& s : m_layout.sensors) {
        SceneControl* control = m_sceneControls.value(index++);
        if (!control)
            return;
        control->setGeometry(
            toWidget.mapRect(placedSensor(s, m_layout, pose).hitArea()).toAlignedRect());
        const Force force = m_station ? m_station->inputForce(s.input) : Force::Free;
        const QString state = sensorState(inputs & (1u << s.input), force);
        control->setValue(state);
        const QString description =
            state + (switches
                         ? QStringLiteral(". Indrukken zet de schakelaar om")
                         : QStringLiteral(". Indrukken forceert: kortsluiting, draadbreuk, vrij"));
        if (control->accessibleDescription() != description)
            control->setAccessibleDescription(description);
    }
    for (const ButtonSpot& b : m_layout.buttons)
        if (SceneControl* control = m_sceneControls.value(index++))
            control->setGeometry(toWidget.mapRect(b.rect).toAlignedRect());
    const QVector<Indicator> shown =
        indicators(m_layout, pose, m_station ? m_station->simulation().outputs() : 0);
    for (qsizetype i = 0; i < shown.size() && i < m_indicators.size(); ++i) {
        m_indicators[i]->setGeometry(toWidget.mapRect(shown[i].area).toAlignedRect());
        m_indicators[i]->setIndicator(shown[i]);
    }
    followReadingOrder();
}

// Tab goes through the controls as they are read: row by row from the top,
// each row from left to right (the switches on the carriage move with it).
void VirtualStationWindow::followReadingOrder()
{
    QList<QWidget*> focusable;
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->focusPolicy() & Qt::TabFocus)
            focusable.append(w);
    const QList<QWidget*> order = ctl::readingOrder(focusable);
    if (order == m_tabOrder)
        return;
    m_tabOrder = order;
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

// A part that left the belt while the bin got one more went down the
// slide: let it fall there.
void VirtualStationWindow::watchSlide()
{
    const sim::Conveyor* belt = m_station ? m_station->simulation().conveyor() : nullptr;
    if (!belt)
        return;
    QHash<int, bool> now;
    for (const sim::BeltPart& part : belt->parts())
        now.insert(part.id, part.metal);
    if (belt->partsInSlide() > m_slideSeen) {
        for (auto it = m_beltParts.cbegin(); it != m_beltParts.cend(); ++it) {
            if (!now.contains(it.key())) {
                m_binMetalBeforeDrop = m_animation.isActive() ? m_binMetalBeforeDrop : m_binMetal;
                m_binMetal = it.value();
                break;
            }
        }
        m_dropClock.start();
        m_animation.start();
    }
    m_slideSeen = belt->partsInSlide();
    m_beltParts = now;
}

QPixmap& VirtualStationWindow::background(QSize size, qreal dpr)
{
    const QSize pixels = size * dpr;
    if (m_background.size() == pixels && m_backgroundStation == m_layout.station &&
        m_background.devicePixelRatio() == dpr)
        return m_background;
    m_background = QPixmap(pixels);
    m_background.setDevicePixelRatio(dpr);
    m_background.fill(BarColour);
    QPainter p(&m_background);
    p.setTransform(sceneTransform(m_layout.size, size));
    p.setClipRect(QRectF(QPointF(0, 0), m_layout.size));
    paintStatic(p, m_layout);
    m_backgroundStation = m_layout.station;
    return m_background;
}

void VirtualStationWindow::paintScene(QPainter& p, QSize size)
{
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    p.drawPixmap(0, 0, background(size, dpr));
    if (!m_station)
        return;
    Signals sig;
    const sim::Simulation& sim = m_station->simulation();
    sig.inputs = sim.inputs();
    sig.outputs = sim.outputs();
    for (int i = 0; i < sim::Simulation::InputCount; ++i)
        sig.forces[size_t(i)] = sim.force(i);
    p.save();
    p.setTransform(sceneTransform(m_layout.size, size), true);
    p.setClipRect(QRectF(QPointF(0, 0), m_layout.size));
    paintMoving(p, m_layout, currentPose(), sig);
    p.restore();
}

void VirtualStationWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintScene(p, size());
}

void VirtualStationWindow::setStatusBar(QWidget* bar)
{
    delete m_statusBar.data();
    m_statusBar = bar;
    bar->setParent(this);
    const int h = bar->sizeHint().height();
    bar->setGeometry(Gap, height() - h - Gap, width() - 2 * Gap, h);
    bar->show();
}

void VirtualStationWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_stepPlan->move(width() - m_stepPlan->width() - Gap, Gap);
    m_pullCable->move(m_stepPlan->x() - m_pullCable->width() - Gap, Gap);
    placeSceneControls();
    if (m_statusBar) {
        const int h = m_statusBar->sizeHint().height();
        m_statusBar->setGeometry(Gap, height() - h - Gap, width() - 2 * Gap, h);
    }
    update();
}

void VirtualStationWindow::clickScene(QPointF scenePoint)
{
    if (m_station)
        act(hitTest(m_layout, currentPose(), scenePoint));
}

void VirtualStationWindow::act(const Hit& hit)
{
    if (!m_station)
        return;
    switch (hit.action) {
    case Action::None:
        break;
    case Action::ForceInput: {
        const Force now = m_station->inputForce(hit.input);
        m_station->setInputForce(hit.input, m_layout.station == station::Station::Interface
                                                ? nextSwitchForce(now)
                                                : nextForce(now));
        break;
    }
    case Action::PlaceMetal:
    case Action::PlacePlastic:
        if (!m_station->placePart(hit.action == Action::PlaceMetal))
            beltStartTaken();
        break;
    case Action::ClearBelt:
        m_station->clearBelt();
        break;
    case Action::Refill:
        m_station->refillMagazine();
        break;
    }
}

// A part that cannot be laid down would otherwise vanish without a word.
void VirtualStationWindow::beltStartTaken()
{
    platform::messages().show(
        this, {windowTitle(),
               QStringLiteral("Er ligt al een bakje aan het begin van de band.\rLaat de band "
                              "eerst draaien tot dat bakje verder is, of haal de bakjes van de "
                              "band met \"Band leegmaken\", en leg dan een nieuw bakje neer."),
               platform::MessageButtons::Ok, platform::MessageIcon::Information});
}

void VirtualStationWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    bool invertible = false;
    const QTransform toScene = sceneTransform(m_layout.size, size()).inverted(&invertible);
    if (invertible)
        clickScene(toScene.map(event->position()));
}

void VirtualStationWindow::mouseMoveEvent(QMouseEvent* event)
{
    bool invertible = false;
    const QTransform toScene = sceneTransform(m_layout.size, size()).inverted(&invertible);
    const bool over =
        invertible &&
        hitTest(m_layout, currentPose(), toScene.map(event->position())).action != Action::None;
    setCursor(over ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void VirtualStationWindow::showBeside(QWidget* mainWindow)
{
    if (!isVisible() && mainWindow)
        placement::placeBesideMain(this, mainWindow, QSize(DefaultWidth, DefaultHeight),
                                   placement::Side::Right);
    show();
}

std::unique_ptr<VirtualStationWindow> attachVirtualStation(iface::SimulatedStationSource* source,
                                                           QWidget* mainWindow)
{
    sim::StationRunner* station = source ? source->stationRunner() : nullptr;
    if (!station)
        return nullptr;
    iface::StationLink* link = source->stationLink();
    auto window = std::make_unique<VirtualStationWindow>(station, link);
    VirtualStationWindow* w = window.get();
    QPointer<QWidget> main(mainWindow);
    if (link) {
        QObject::connect(link, &iface::StationLink::connectionChanged, w, [w, main, link](bool up) {
            if (up)
                w->showBeside(main);
            else if (!link->isCableOut())
                w->close(); // after a pulled cable the station stays in sight
        });
        QObject::connect(link, &iface::StationLink::virtualStationRequested, w,
                         [w, main] { w->showBeside(main); });
    }
    return window;
}

} // namespace virt
