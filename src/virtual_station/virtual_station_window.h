#pragma once

#include "virtual_station/scene_model.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <memory>

class QPushButton;

namespace virt
{
class SceneControl;
class SceneIndicator;
} // namespace virt

namespace iface
{
class SimulatedStationSource;
class StationLink;
} // namespace iface

namespace sim
{
class StationRunner;
}

namespace virt
{

// "Virtuele opstelling": draws the simulated station as it runs, and lets the pupil or teacher
// force its sensors and lay parts on the belt, by mouse, by keyboard (Tab, Space) or through a
// screen reader. It only reads the station and calls its forcing API; "Kabel los" acts on the link,
// when there is one. Showing it never takes the focus from the main window.
class VirtualStationWindow : public QWidget
{
    Q_OBJECT

  public:
    static constexpr int DefaultWidth = 960;
    static constexpr int DefaultHeight = 640;
    // How long a part takes to slide down into the bin.
    static constexpr int DropMs = 450;

    explicit VirtualStationWindow(sim::StationRunner* station, iface::StationLink* link = nullptr,
                                  QWidget* parent = nullptr);

    const SceneLayout& sceneLayout() const { return m_layout; }
    Pose currentPose() const;
    // Widget coordinates of a scene point, for the present size.
    QPointF toWidget(QPointF scenePoint) const;

    // Paints the whole window into `p` for a widget of `size`.
    void paintScene(QPainter& p, QSize size);

    // Acts as a click at a scene point would.
    void clickScene(QPointF scenePoint);
    // Does what a click on `hit` does.
    void act(const Hit& hit);
    // The controls over the scene, sensors first, then the scene's buttons.
    const QList<SceneControl*>& sceneControls() const { return m_sceneControls; }
    // The output lamps and counters as a screen reader finds them.
    const QList<SceneIndicator*>& sceneIndicators() const { return m_indicators; }

    // True while the window animates on its own (a part sliding down).
    bool isAnimating() const { return m_animation.isActive(); }

    // Shows the window beside `mainWindow` without taking the focus.
    void showBeside(QWidget* mainWindow);
    // A bar along the bottom edge (the PLC status); the window takes it over.
    void setStatusBar(QWidget* bar);

  signals:
    // The pupil pressed "Stappenplan".
    void stepPlanRequested();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void followStation();
    void watchSlide();
    void buildSceneControls();
    void placeSceneControls();
    void followReadingOrder();
    void beltStartTaken();
    QPixmap& background(QSize size, qreal dpr);

    QPointer<sim::StationRunner> m_station;
    QPointer<iface::StationLink> m_link;
    SceneLayout m_layout;
    QPixmap m_background;
    station::Station m_backgroundStation = station::Station::Interface;
    // The slide: parts seen on the belt (id -> metal), parts seen in the bin.
    QHash<int, bool> m_beltParts;
    int m_slideSeen = 0;
    bool m_binMetal = false;
    bool m_binMetalBeforeDrop = false;
    QElapsedTimer m_dropClock;
    QTimer m_animation;
    QPushButton* m_stepPlan = nullptr;
    QPushButton* m_pullCable = nullptr;
    QList<SceneControl*> m_sceneControls;
    QList<SceneIndicator*> m_indicators;
    // The focusable controls in the Tab order last given.
    QList<QWidget*> m_tabOrder;
    QPointer<QWidget> m_statusBar;
};

// Gives an interface with a simulated station its virtual station window: it
// opens beside `mainWindow` when the link opens, closes when it closes, and
// opens again when asked from the interface's about window. Null for
// interfaces to real hardware.
std::unique_ptr<VirtualStationWindow> attachVirtualStation(iface::SimulatedStationSource* source,
                                                           QWidget* mainWindow);

} // namespace virt
