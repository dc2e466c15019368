#include "virtual_station/scene_model.h"

#include "station/station_data.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace virt
{

namespace
{

using namespace geo;

constexpr double StationWidth = 1200;
// The combined scene puts the handling station's front place over the far
// end of the belt.
constexpr double CombinedHandlingX = BeltEndX - FrontX;
constexpr double CombinedWidth = CombinedHandlingX + StationWidth - 10;

constexpr int AlignLeft = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
constexpr int AlignRight = Qt::AlignRight | Qt::AlignVCenter | Qt::TextWordWrap;
constexpr int AlignCentre = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap;

SensorSpot sensor(int input, QRectF body, QPointF lamp, QRectF label, int align, QString name,
                  bool onCarriage = false)
{
    return SensorSpot{input, body, lamp, label, align, std::move(name), onCarriage};
}

OutputSpot output(int out, QPointF lamp, QRectF label, int align, QString name)
{
    return OutputSpot{out, lamp, label, align, std::move(name), false, 0};
}

// One valve of a valve terminal: its coils stand to the right of its body,
// each with its lamp and its name.
void addValve(SceneLayout& l, double x, double y, int firstOutput, int coils,
              const station::Points& outputs)
{
    for (int c = 0; c < coils; ++c) {
        const double cy = y + 12 + c * 28;
        OutputSpot o =
            output(firstOutput + c, QPointF(x + 132, cy), QRectF(x + 156, cy - 13, 200, 26),
                   Qt::AlignLeft | Qt::AlignVCenter, outputs[firstOutput + c].name);
        o.onValve = true;
        o.valveCoils = c == 0 ? coils : 0;
        l.outputs.append(o);
    }
}

void addStackMagazine(SceneLayout& l, const station::StationData& d)
{
    l.sensors.append(sensor(0, QRectF(597, 392, 18, 34), QPointF(606, 402),
                            QRectF(420, 380, 170, 56), AlignRight, d.inputs[0].name));
    addValve(l, 830, 330, 0, 2, d.outputs);
    addValve(l, 830, 430, 2, 1, d.outputs);
    l.buttons.append({Action::Refill, QRectF(60, 700, 260, 56), QStringLiteral("Magazijn vullen")});
}

// The conveyor on its own points of `d`: the conveyor's or the combined
// station's.
void addConveyor(SceneLayout& l, double x, const station::StationData& d)
{
    const station::Points& in = d.inputs;
    const station::Points& out = d.outputs;
    const double ind = x + InductiveX;
    const double div = x + DiverterX;
    l.sensors.append(sensor(0, QRectF(ind - 12, 250, 24, 90), QPointF(ind, 262),
                            QRectF(ind - 100, 190, 200, 52), AlignCentre, in[0].name));
    l.sensors.append(sensor(1, QRectF(x + BeltStartX - 30, 270, 60, 44),
                            QPointF(x + BeltStartX - 14, 282),
                            QRectF(x + BeltStartX - 100, 206, 200, 52), AlignCentre, in[1].name));
    l.outputs.append(output(0, QPointF(div + 26, 246), QRectF(div - 100, 184, 200, 26), AlignCentre,
                            out[0].name));
    l.outputs.append(output(1, QPointF(x + 1153, 540), QRectF(x + 1000, 578, 195, 26),
                            Qt::AlignRight | Qt::AlignVCenter, out[1].name));
    l.outputs.append(
        output(2, QPointF(x + 356, 540), QRectF(x + 280, 606, 200, 26), AlignCentre, out[2].name));
    // Three buttons leave room on the right for the hint about the sensors.
    l.buttons.append(
        {Action::PlaceMetal, QRectF(x + 40, 700, 220, 56), QStringLiteral("Metalen bakje")});
    l.buttons.append(
        {Action::PlacePlastic, QRectF(x + 280, 700, 220, 56), QStringLiteral("Kunststof bakje")});
    l.buttons.append(
        {Action::ClearBelt, QRectF(x + 520, 700, 220, 56), QStringLiteral("Band leegmaken")});
}

// The handling station on the points of `d` from `shift` on: its own
// (shift 0) or the combined station's.
void addHandling(SceneLayout& l, double x, int shift, const station::StationData& d)
{
    const station::Point* in = d.inputs.data() + shift;
    // End switches of the horizontal cylinder, under its body: "Voor" at
    // the end the piston reaches when the carriage is at the front.
    l.sensors.append(sensor(shift + 0, QRectF(x + 1010, 166, 36, 16), QPointF(x + 1040, 174),
                            QRectF(x + 950, 186, 190, 52), AlignCentre, in[0].name));
    l.sensors.append(sensor(shift + 1, QRectF(x + 826, 166, 36, 16), QPointF(x + 856, 174),
                            QRectF(x + 750, 186, 190, 52), AlignCentre, in[1].name));
    // End switches of the vertical cylinder, on the carriage's side (given
    // for the carriage at the back; they travel with it).
    const double cx = x + BackX;
    l.sensors.append(sensor(shift + 2, QRectF(cx - 73, 124, 18, 30), QPointF(cx - 64, 132),
                            QRectF(cx - 256, 112, 172, 52), AlignRight, in[2].name, true));
    l.sensors.append(sensor(shift + 3, QRectF(cx - 73, 180, 18, 30), QPointF(cx - 64, 188),
                            QRectF(cx - 256, 170, 172, 52), AlignRight, in[3].name, true));
    addValve(l, x + 820, 300, shift + 0, 2, d.outputs);
    addValve(l, x + 820, 400, shift + 2, 2, d.outputs);
    addValve(l, x + 820, 500, shift + 4, 1, d.outputs);
}

void addInterface(SceneLayout& l)
{
    for (int i = 0; i < sim::Simulation::InputCount; ++i) {
        const double cx = 162.5 + i * 125;
        const QRectF sw(cx - 30, 250, 60, 90);
        l.inputSwitches.append(sw);
        l.sensors.append(sensor(i, sw, QPointF(cx, 222), QRectF(cx - 60, 346, 120, 30), AlignCentre,
                                station::genericInputName(i)));
        l.outputs.append(output(i, QPointF(cx, 520), QRectF(cx - 60, 548, 120, 30), AlignCentre,
                                station::genericOutputName(i)));
    }
}

PartPose lidPose(double x, double y, int index)
{
    PartPose p;
    p.rect = QRectF(x, y, LidWidth, LidHeight);
    p.tint = index % 3;
    return p;
}

} // namespace

SceneLayout layoutFor(station::Station station)
{
    const station::StationData& d = station::data(station);
    SceneLayout l;
    l.station = station;
    l.size = QSizeF(StationWidth, SceneHeight);
    switch (station) {
    case station::Station::Start:
    case station::Station::Interface:
        l.title = QStringLiteral("Interface");
        addInterface(l);
        break;
    case station::Station::StapelMagazijn:
        l.title = QStringLiteral("Stapel magazijn");
        addStackMagazine(l, d);
        break;
    case station::Station::Transportband:
        l.title = QStringLiteral("Transportband");
        l.conveyorX = 0;
        addConveyor(l, 0, d);
        break;
    case station::Station::Stationhandling:
        l.title = QStringLiteral("Station handling");
        l.handlingX = 0;
        addHandling(l, 0, 0, d);
        break;
    case station::Station::TransHandling:
        l.title = QStringLiteral("Transportband en Station handling");
        l.size = QSizeF(CombinedWidth, SceneHeight);
        l.conveyorX = 0;
        l.handlingX = CombinedHandlingX;
        l.handlingShift = station::kHandlingShift;
        addConveyor(l, 0, d);
        addHandling(l, CombinedHandlingX, station::kHandlingShift, d);
        break;
    }
    return l;
}

double beltX(const SceneLayout& layout, int positionMs)
{
    const double f = double(positionMs) / sim::Conveyor::LengthMs;
    return layout.conveyorX + BeltStartX + (BeltEndX - BeltStartX) * f;
}

Pose poseFor(const SceneLayout& layout, const sim::Simulation& sim)
{
    Pose p;
    if (const sim::StackMagazine* s = sim.stackMagazine()) {
        p.feedPusherX = LidRestX + FeedStroke * s->feed().position();
        p.pressHeadBottom = PressHeadRestBottom + PressStroke * s->press().position();
        if (s->hasLidAtPress()) {
            PartPose lid = lidPose(LidRestX + FeedStroke, FeedTrackTop, 2);
            lid.pressed = s->isLidAtPressPressed();
            p.lids.append(lid);
        }
        if (s->hasFeedLid())
            p.lids.append(lidPose(LidRestX + FeedStroke * s->feedLidPosition(), FeedTrackTop,
                                  s->stackedLids()));
        for (int i = 0; i < s->stackedLids(); ++i)
            p.lids.append(
                lidPose(LidRestX, FeedTrackTop - LidHeight * (i + 1), s->stackedLids() - 1 - i));
        p.lidsInMagazine = s->lidsInMagazine();
        p.lidsDelivered = s->deliveredLids();
    }
    if (const sim::Conveyor* c = sim.conveyor()) {
        for (const sim::BeltPart& part : c->parts()) {
            const double cx = beltX(layout, part.positionMs);
            PartPose pp;
            pp.rect = QRectF(cx - PartWidth / 2, BeltTop - PartHeight, PartWidth, PartHeight);
            pp.metal = part.metal;
            p.beltParts.append(pp);
        }
        const double travelled =
            (BeltEndX - BeltStartX) * c->beltPhaseMs() / sim::Conveyor::LengthMs;
        p.beltPhase = std::fmod(travelled, CleatPitch);
        p.stopperSet = c->isStopperSet();
        p.motorOn = c->isMotorOn();
        p.backward = c->isBackward();
        p.partsInSlide = c->partsInSlide();
    }
    if (const sim::HandlingStation* h = sim.handling()) {
        p.carriageX = layout.handlingX + BackX - (BackX - FrontX) * h->horizontal().position();
        p.gripperBottom = GripperUpBottom + GripperStroke * h->vertical().position();
        p.fingerGap = FingerOpenGap - (FingerOpenGap - FingerClosedGap) * h->gripper().position();
        p.holding = h->isHolding();
        if (p.holding) {
            p.held.rect =
                QRectF(p.carriageX - PartWidth / 2, p.gripperBottom, PartWidth, PartHeight);
            p.held.metal = h->heldPart().metal;
        }
        p.partsDelivered = h->partsDelivered();
        p.partsDropped = h->partsDropped();
        p.horizontalBlocked = h->isHorizontalBlocked();
    }
    return p;
}

QRectF slidePartRect(const SceneLayout& layout, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    const double div = layout.conveyorX + DiverterX;
    const QPointF from(div, BeltTop - PartHeight / 2);
    const QPointF to(div + 68, 596 - 28);
    const QPointF c = from + (to - from) * (t * t); // speeds up as it falls
    return QRectF(c.x() - 32, c.y() - 28, 64, 56);
}

SensorSpot placedSensor(const SensorSpot& sensor, const SceneLayout& layout, const Pose& pose)
{
    if (!sensor.onCarriage)
        return sensor;
    const double dx = pose.carriageX - (layout.handlingX + BackX);
    SensorSpot s = sensor;
    s.body.translate(dx, 0);
    s.lamp += QPointF(dx, 0);
    s.label.translate(dx, 0);
    return s;
}

Hit hitTest(const SceneLayout& layout, const Pose& pose, QPointF scenePoint)
{
    for (const ButtonSpot& b : layout.buttons)
        if (b.rect.contains(scenePoint))
            return Hit{b.action, -1};
    // The bodies first: where a label overlaps another sensor's body, the
    // body wins.
    for (const SensorSpot& s : layout.sensors) {
        const SensorSpot placed = placedSensor(s, layout, pose);
        if (placed.body.adjusted(-6, -6, 6, 6).contains(scenePoint))
            return Hit{Action::ForceInput, s.input};
    }
    for (const SensorSpot& s : layout.sensors) {
        const SensorSpot placed = placedSensor(s, layout, pose);
        if (placed.hitArea().contains(scenePoint))
            return Hit{Action::ForceInput, s.input};
    }
    return {};
}

Force nextForce(Force force)
{
    switch (force) {
    case Force::Free:
        return Force::On;
    case Force::On:
        return Force::Off;
    case Force::Off:
        return Force::Free;
    }
    return Force::Free;
}

Force nextSwitchForce(Force force)
{
    return force == Force::On ? Force::Free : Force::On;
}

QString forceLabel(Force force)
{
    switch (force) {
    case Force::On:
        return QStringLiteral("kortsluiting");
    case Force::Off:
        return QStringLiteral("draadbreuk");
    case Force::Free:
        break;
    }
    return QString();
}

QTransform sceneTransform(QSizeF scene, QSizeF widget)
{
    if (scene.isEmpty() || widget.isEmpty())
        return QTransform();
    const double s = std::min(widget.width() / scene.width(), widget.height() / scene.height());
    const double dx = (widget.width() - scene.width() * s) / 2;
    const double dy = (widget.height() - scene.height() * s) / 2;
    return QTransform(s, 0, 0, s, dx, dy);
}

} // namespace virt
