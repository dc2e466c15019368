#pragma once

#include "simulation/simulation.h"
#include "station/station.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>
#include <QVector>

// The drawing model of the virtual station: where everything sits in scene
// coordinates, where the moving parts are for a given state of the
// simulated station, and what a click at a point means. No widgets here.
namespace virt
{

using sim::Force;
using station::Station;

// Every scene is this tall; the width depends on the station.
constexpr double SceneHeight = 800.0;

// A sensor: its body, the lamp that shows its input, and its name.
struct SensorSpot {
    int input = -1;
    QRectF body;
    QPointF lamp;
    QRectF label;
    int labelAlign = 0; // Qt::Alignment flags
    QString name;
    // Sits on the handling station's carriage and travels with it.
    bool onCarriage = false;

    // The area a click selects: the body and the label.
    QRectF hitArea() const { return body.united(label).adjusted(-6, -6, 6, 6); }
};

// An output: the lamp on its coil (or motor, relay) and its name.
struct OutputSpot {
    int output = -1;
    QPointF lamp;
    QRectF label;
    int labelAlign = 0;
    QString name;
    // A coil of a valve terminal; the first coil of each valve carries the
    // number of coils of its valve.
    bool onValve = false;
    int valveCoils = 0;
};

enum class Action { None, ForceInput, PlaceMetal, PlacePlastic, ClearBelt, Refill };

struct ButtonSpot {
    Action action = Action::None;
    QRectF rect;
    QString text;
};

// What a click hits.
struct Hit {
    Action action = Action::None;
    int input = -1; // with ForceInput

    bool operator==(const Hit& o) const { return action == o.action && input == o.input; }
};

// The fixed parts of one station's scene.
struct SceneLayout {
    station::Station station = station::Station::Interface;
    QSizeF size;
    QString title;
    // Where the conveyor's and the handling station's own drawings start
    // (x offset); negative when the scene has no such part.
    double conveyorX = -1;
    double handlingX = -1;
    // Points of the handling station in the interface word (3 when it
    // shares the interface with the conveyor).
    int handlingShift = 0;
    QVector<SensorSpot> sensors;
    QVector<OutputSpot> outputs;
    QVector<ButtonSpot> buttons;
    // The interface view: the input switches (index = input).
    QVector<QRectF> inputSwitches;
};

// The scene of a station, its points named from the station tables.
SceneLayout layoutFor(station::Station station);

// A part (lid, box) as drawn.
struct PartPose {
    QRectF rect;
    bool metal = false;
    int tint = 0; // lids: 0 red, 1 dark, 2 light
    bool pressed = false;
};

// The moving parts of the scene for one state of the station.
struct Pose {
    // Stack magazine.
    double feedPusherX = 0; // front face of the feed pusher
    double pressHeadBottom = 0;
    QVector<PartPose> lids;
    int lidsInMagazine = 0;
    int lidsDelivered = 0;
    // Conveyor.
    QVector<PartPose> beltParts;
    double beltPhase = 0; // scene units the belt surface has run, 0..cleat pitch
    bool stopperSet = false;
    bool motorOn = false;
    bool backward = false;
    int partsInSlide = 0;
    bool slideMetal = false;  // the last part that went down the slide
    double dropProgress = -1; // 0..1 while a part slides down, else -1
    bool dropMetal = false;
    // Handling station.
    double carriageX = 0; // centre of the carriage
    double gripperBottom = 0;
    double fingerGap = 0;
    bool holding = false;
    PartPose held;
    int partsDelivered = 0;
    int partsDropped = 0;
    bool horizontalBlocked = false;
};

Pose poseFor(const SceneLayout& layout, const sim::Simulation& sim);

// Scene geometry that the pose and the tests share.
namespace geo
{
// Conveyor (relative to SceneLayout::conveyorX).
constexpr double BeltTop = 440;
constexpr double BeltStartX = 190; // part centre at the start of the belt
constexpr double BeltEndX = 1010;  // part centre at the far end
constexpr double PartWidth = 80;
constexpr double PartHeight = 70;
constexpr double CleatPitch = 40;
// Centre x of a part at `positionMs` along the belt, relative to the
// conveyor; the diverter (stopper, slide) stands at one such place.
constexpr double beltOffset(int positionMs)
{
    return BeltStartX + (BeltEndX - BeltStartX) * positionMs / sim::Conveyor::LengthMs;
}
constexpr double DiverterX = beltOffset(sim::Conveyor::DiverterAtMs);
constexpr double InductiveX = beltOffset(sim::Conveyor::InductiveAtMs);
// Stack magazine.
constexpr double LidWidth = 90;
constexpr double LidHeight = 50;
constexpr double LidRestX = 305; // left edge of the feed lid in the magazine
constexpr double FeedStroke = 300;
constexpr double FeedTrackTop = 560;
constexpr double PressHeadRestBottom = 460;
constexpr double PressStroke = 100;
// Handling station (relative to SceneLayout::handlingX).
constexpr double FrontX = 300;
constexpr double BackX = 700;
constexpr double GripperUpBottom = 280;
constexpr double GripperStroke = 90; // down: the head rests on a part on the belt
constexpr double FingerOpenGap = 110;
constexpr double FingerClosedGap = PartWidth;
} // namespace geo

// Centre x (scene) of a part at `positionMs` along the belt.
double beltX(const SceneLayout& layout, int positionMs);

// Where a part sliding down from the diverter into the bin is, `t` = 0
// (leaving the belt) to 1 (lying in the bin).
QRectF slidePartRect(const SceneLayout& layout, double t);

// Sensors whose place depends on the state (those on the carriage), moved
// to where they are for `pose`.
SensorSpot placedSensor(const SensorSpot& sensor, const SceneLayout& layout, const Pose& pose);

// What a click at `scenePoint` hits.
Hit hitTest(const SceneLayout& layout, const Pose& pose, QPointF scenePoint);

// Forcing of a sensor: free -> forced on (short circuit) -> forced off
// (broken wire) -> free.
Force nextForce(Force force);
// Switch of the interface view: an input switched on goes free, any other
// is switched on.
Force nextSwitchForce(Force force);
// Dutch words for a forcing ("kortsluiting", "draadbreuk"; empty when free).
QString forceLabel(Force force);

// Maps the scene into a widget of `widget` size, keeping the proportions and
// centring it (bars at the sides or top and bottom).
QTransform sceneTransform(QSizeF scene, QSizeF widget);

} // namespace virt
