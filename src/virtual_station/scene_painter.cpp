#include "virtual_station/scene_painter.h"

#include "controls/color.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace virt
{

namespace
{

using namespace geo;

// The palette of the station pictures.
const QColor Ink(0x26, 0x32, 0x3f);
const QColor TextGrey(0x4a, 0x52, 0x5c);
const QColor LampOn(0xff, 0xd2, 0x3f);
const QColor LampOff(0x8d, 0x8f, 0x80);
const QColor Plastic(0xe0, 0x53, 0x3d);
const QColor PlasticTop(0xf3, 0x8a, 0x78);
const QColor Dark(0x3b, 0x3f, 0x45);
const QColor DarkTop(0x6a, 0x71, 0x7a);
const QColor MetalPart(0xc7, 0xcf, 0xd8);
const QColor MetalTop(0xee, 0xf2, 0xf6);
const QColor Hose(0x6f, 0xb0, 0xf0);
const QColor Fault(0xd6, 0x28, 0x28);
const QColor Floor(0xb9, 0xc4, 0xcf);
const QColor Fitting(0xae, 0xb9, 0xc5);

QLinearGradient vertical(const QRectF& r, std::initializer_list<QGradientStop> stops)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setStops(QGradientStops(stops));
    return g;
}

QLinearGradient horizontal(const QRectF& r, std::initializer_list<QGradientStop> stops)
{
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setStops(QGradientStops(stops));
    return g;
}

QBrush alu(const QRectF& r)
{
    return vertical(r, {{0, QColor(0xee, 0xf2, 0xf6)},
                        {0.45, QColor(0xcd, 0xd6, 0xdf)},
                        {1, QColor(0x98, 0xa5, 0xb3)}});
}
QBrush aluH(const QRectF& r)
{
    return horizontal(r, {{0, QColor(0x98, 0xa5, 0xb3)},
                          {0.5, QColor(0xee, 0xf2, 0xf6)},
                          {1, QColor(0xa9, 0xb5, 0xc2)}});
}
QBrush rod(const QRectF& r)
{
    return vertical(
        r, {{0, Qt::white}, {0.5, QColor(0xc3, 0xcc, 0xd6)}, {1, QColor(0x8a, 0x97, 0xa5)}});
}
QBrush rodV(const QRectF& r)
{
    return horizontal(
        r, {{0, QColor(0x8a, 0x97, 0xa5)}, {0.4, Qt::white}, {1, QColor(0x9a, 0xa6, 0xb3)}});
}
QBrush coil(const QRectF& r)
{
    return vertical(r, {{0, QColor(0x3c, 0x43, 0x4c)},
                        {0.5, QColor(0x5b, 0x64, 0x6f)},
                        {1, QColor(0x2c, 0x31, 0x38)}});
}
QBrush blue(const QRectF& r)
{
    return vertical(r, {{0, QColor(0x6f, 0xb0, 0xf0)}, {1, QColor(0x25, 0x67, 0xb0)}});
}

void box(QPainter& p, const QRectF& r, const QBrush& fill, double radius = 0, double width = 3)
{
    p.setPen(QPen(Ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    if (radius > 0)
        p.drawRoundedRect(r, radius, radius);
    else
        p.drawRect(r);
}

void lamp(QPainter& p, QPointF at, bool on, double r = 8)
{
    p.setPen(QPen(Ink, 2));
    p.setBrush(on ? LampOn : LampOff);
    p.drawEllipse(at, r, r);
    if (on) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 210, 63, 90));
        p.drawEllipse(at, r * 2, r * 2);
    }
}

void text(QPainter& p, const QRectF& r, int align, const QString& s, double points,
          bool bold = false, const QColor& colour = Ink)
{
    QFont f = ctl::makeFont(QStringLiteral("Comic Sans MS"), 10, bold);
    f.setPixelSize(int(points));
    p.setFont(f);
    p.setPen(colour);
    p.drawText(r, align, s);
}

// A cylindrical part (lid, box) seen from the side, with its top ellipse.
void part(QPainter& p, const QRectF& r, const QColor& body, const QColor& top)
{
    const double ry = std::max(3.0, r.height() * 0.08);
    box(p, r, body, 0, 3);
    p.setBrush(top);
    p.drawEllipse(QPointF(r.center().x(), r.top()), r.width() / 2, ry);
}

void beltPart(QPainter& p, const PartPose& pp)
{
    if (pp.metal) {
        const QBrush b = horizontal(pp.rect, {{0, QColor(0x8a, 0x97, 0xa5)},
                                              {0.35, Qt::white},
                                              {0.7, MetalPart},
                                              {1, QColor(0x8a, 0x97, 0xa5)}});
        box(p, pp.rect, b, 0, 3);
        p.setBrush(MetalTop);
        p.drawEllipse(QPointF(pp.rect.center().x(), pp.rect.top()), pp.rect.width() / 2, 6);
    } else {
        part(p, pp.rect, Plastic, PlasticTop);
    }
}

void hose(QPainter& p, const QPainterPath& path)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Hose, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

// A hose along one curve from `from` to `to`.
void hose(QPainter& p, QPointF from, QPointF c1, QPointF c2, QPointF to)
{
    QPainterPath path(from);
    path.cubicTo(c1, c2, to);
    hose(p, path);
}

// Valve bodies of the valve terminal (the coils and lamps are drawn with
// the outputs).
void valveBodies(QPainter& p, const SceneLayout& l)
{
    for (const OutputSpot& o : l.outputs) {
        if (o.valveCoils == 0)
            continue;
        const int coils = o.valveCoils;
        const double x = o.lamp.x() - 132;
        const double y = o.lamp.y() - 12;
        const QRectF body(x, y - 6, 110, 28 * coils + 10);
        box(p, body, alu(body), 6, 3);
        box(p, QRectF(x + 12, body.center().y() - 8, 86, 16), QColor(0xe6, 0xed, 0xf4), 4, 2);
        for (int k = 0; k < 2; ++k) {
            const QRectF f(x + 24 + k * 44, y - 20, 20, 14);
            box(p, f, blue(f), 3, 2);
        }
    }
}

void outputLabels(QPainter& p, const SceneLayout& l)
{
    for (const OutputSpot& o : l.outputs)
        text(p, o.label, o.labelAlign, o.name, 17, true, TextGrey);
}

void sensorLabel(QPainter& p, const SensorSpot& s)
{
    text(p, s.label, s.labelAlign, s.name, 17, true, TextGrey);
}

// --- stack magazine -----------------------------------------------------

void stackStatic(QPainter& p)
{
    // Hoses to the valves, behind everything.
    hose(p, {71, 565}, {40, 130}, {740, 110}, {830, 350});
    hose(p, {219, 565}, {200, 170}, {720, 150}, {830, 378});
    hose(p, {650, 244}, {650, 170}, {820, 200}, {830, 430});
    // Frame of the pressing cylinder.
    const QRectF column(770, 200, 30, 440);
    box(p, column, aluH(column), 0, 3);
    const QRectF arm(685, 262, 100, 30);
    box(p, arm, alu(arm), 0, 3);
    // Magazine tube and its foot.
    const QRectF foot(270, 520, 160, 120);
    box(p, foot, QColor(0xe6, 0xec, 0xf2), 6, 3);
    const QRectF track(260, 610, 500, 30);
    box(p, track, alu(track), 0, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd3, 0xdb, 0xe4));
    p.drawRect(QRectF(300, 556, 100, 56));
    const QRectF tube(298, 200, 104, 362);
    p.setBrush(QColor(255, 255, 255, 80));
    p.setPen(QPen(Ink, 3));
    p.drawRect(tube);
    const QRectF rim(290, 192, 120, 16);
    box(p, rim, alu(rim), 3, 3);
    // Feed cylinder body.
    const QRectF feed(60, 565, 170, 40);
    box(p, feed, alu(feed), 6, 3);
    box(p, QRectF(60, 565, 22, 40), Fitting, 4, 3);
    box(p, QRectF(208, 565, 22, 40), Fitting, 4, 3);
    // Pressing cylinder body.
    const QRectF press(615, 250, 70, 180);
    box(p, press, aluH(press), 6, 3);
    box(p, QRectF(609, 244, 82, 20), Fitting, 3, 3);
    box(p, QRectF(609, 416, 82, 20), Fitting, 3, 3);
    box(p, QRectF(640, 230, 20, 14), blue(QRectF(640, 230, 20, 14)), 3, 2);
}

void stackMoving(QPainter& p, const Pose& pose)
{
    // Feed rod and pusher.
    const QRectF feedRod(230, 578, std::max(0.0, pose.feedPusherX - 14 - 230), 14);
    box(p, feedRod, rod(feedRod), 0, 2.5);
    const QRectF pusher(pose.feedPusherX - 14, 566, 14, 40);
    box(p, pusher, aluH(pusher), 2, 3);
    for (const PartPose& lid : pose.lids) {
        QRectF r = lid.rect;
        if (lid.pressed)
            r.setTop(r.top() + 8);
        switch (lid.tint) {
        case 0:
            part(p, r, Plastic, PlasticTop);
            break;
        case 1:
            part(p, r, Dark, DarkTop);
            break;
        default:
            part(p, r, MetalPart, MetalTop);
            break;
        }
    }
    // Pressing rod and head.
    const double headTop = pose.pressHeadBottom - 24;
    const QRectF pressRod(641, 436, 18, std::max(0.0, headTop - 436));
    box(p, pressRod, rodV(pressRod), 0, 2.5);
    const QRectF head(610, headTop, 80, 24);
    box(p, head, alu(head), 4, 3);
    text(p, QRectF(260, 650, 200, 30), Qt::AlignCenter,
         QStringLiteral("In magazijn: %1").arg(pose.lidsInMagazine), 17, true, TextGrey);
    text(p, QRectF(560, 650, 240, 30), Qt::AlignCenter,
         QStringLiteral("Afgeleverd: %1").arg(pose.lidsDelivered), 17, true, TextGrey);
}

// --- conveyor -------------------------------------------------------------

void conveyorStatic(QPainter& p, double x, const SceneLayout& l)
{
    p.save();
    p.translate(x, 0);
    // Legs.
    for (double lx : {200.0, 990.0}) {
        const QRectF leg(lx, 490, 36, 150);
        box(p, leg, aluH(leg), 0, 3);
    }
    // Slide, under the diverter.
    const double div = DiverterX;
    QPolygonF slide;
    slide << QPointF(div - 44, 480) << QPointF(div + 44, 480) << QPointF(div + 104, 600)
          << QPointF(div + 16, 600);
    p.setPen(QPen(Ink, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xcd, 0xd6, 0xdf));
    p.drawPolygon(slide);
    p.setPen(QPen(Fitting, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(div - 30, 486), QPointF(div + 28, 594));
    p.drawLine(QPointF(div + 30, 486), QPointF(div + 90, 594));
    const QRectF bin(div - 4, 596, 130, 44);
    box(p, bin, alu(bin), 4, 3);
    // Belt.
    const QRectF belt(120, BeltTop, 960, 56);
    box(p, belt, vertical(belt, {{0, QColor(0x5a, 0x5f, 0x66)}, {1, QColor(0x2b, 0x2e, 0x33)}}), 28,
        3);
    const QRectF frame(150, BeltTop + 12, 900, 32);
    box(p, frame, alu(frame), 0, 3);
    p.setPen(QPen(Ink, 3));
    p.setBrush(Fitting);
    p.drawEllipse(QPointF(150, BeltTop + 28), 14, 14);
    p.drawEllipse(QPointF(1050, BeltTop + 28), 14, 14);
    // Inductive sensor: a threaded barrel on a bracket.
    const SensorSpot& ind = l.sensors[0];
    const QRectF bracket(ind.body.right(), 280, 60, 14);
    box(p, bracket, alu(bracket), 0, 2.5);
    const QRectF post(ind.body.right() + 50, 280, 16, BeltTop - 280);
    box(p, post, aluH(post), 0, 2.5);
    box(p, ind.body.translated(-x, 0), QColor(0xcd, 0xd6, 0xdf), 0, 3);
    for (double y = ind.body.top() + 6; y < ind.body.bottom() - 8; y += 7) {
        p.setPen(QPen(QColor(0x8a, 0x97, 0xa5), 1.5));
        p.drawLine(QPointF(ind.body.left() - x, y), QPointF(ind.body.right() - x, y));
    }
    const QRectF tip(ind.body.left() - x + 2, ind.body.bottom(), ind.body.width() - 4, 12);
    box(p, tip, blue(tip), 3, 2.5);
    // Optical sensor housing (the beam is drawn with the moving parts).
    const SensorSpot& opt = l.sensors[1];
    box(p, opt.body.translated(-x, 0), Dark, 8, 3);
    // Stopper magnet (coil box) and its bracket.
    const QRectF magnet(div - 40, 220, 80, 62);
    box(p, magnet, QColor(0xc3, 0xcc, 0xd6), 6, 3);
    const QRectF copper(div - 30, 228, 60, 46);
    box(p, copper,
        vertical(copper, {{0, QColor(0xf0, 0xa3, 0x5a)},
                          {0.5, QColor(0xc8, 0x74, 0x2b)},
                          {1, QColor(0x8d, 0x4d, 0x17)}}),
        4, 2);
    // Motor at the far end.
    const QRectF motor(1040, 510, 110, 60);
    box(p, motor, alu(motor), 16, 3);
    box(p, QRectF(1140, 518, 26, 44), Dark, 6, 3);
    p.setPen(QPen(Ink, 3));
    p.setBrush(Fitting);
    p.drawEllipse(QPointF(1066, 540), 16, 16);
    text(p, QRectF(1080, 518, 40, 44), Qt::AlignCenter, QStringLiteral("M"), 26, true);
    p.setPen(QPen(QColor(0x2b, 0x2e, 0x33), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(1060, 470), QPointF(1066, 525));
    // Relay box.
    const QRectF relay(280, 510, 200, 92);
    box(p, relay, QColor(0xe6, 0xec, 0xf2), 6, 3);
    box(p, QRectF(300, 524, 40, 64), QColor(0xf0, 0xc8, 0x9a), 4, 2.5);
    box(p, QRectF(410, 524, 52, 64), QColor(0xf0, 0xc8, 0x9a), 4, 2.5);
    p.restore();
    for (int i = 0; i < 2; ++i)
        sensorLabel(p, l.sensors[i]);
}

void conveyorMoving(QPainter& p, double x, const Pose& pose, const SceneLayout& l)
{
    // Cleats on the belt surface, running with the belt.
    p.save();
    p.setClipRect(QRectF(x + 150, BeltTop - 2, 900, 12));
    p.setPen(QPen(QColor(0x1e, 0x21, 0x25), 3));
    for (double cx = x + 150 + pose.beltPhase - CleatPitch; cx < x + 1050; cx += CleatPitch)
        p.drawLine(QPointF(cx, BeltTop + 1), QPointF(cx, BeltTop + 8));
    p.restore();
    // Optical beam, down to the first thing below it.
    const SensorSpot& opt = l.sensors[1];
    double beamEnd = BeltTop;
    for (const PartPose& pp : pose.beltParts)
        if (pp.rect.left() < opt.body.center().x() && pp.rect.right() > opt.body.center().x())
            beamEnd = pp.rect.top();
    QPolygonF beam;
    beam << QPointF(opt.body.center().x() - 6, opt.body.bottom())
         << QPointF(opt.body.center().x() + 6, opt.body.bottom())
         << QPointF(opt.body.center().x() + 14, beamEnd)
         << QPointF(opt.body.center().x() - 14, beamEnd);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0x8a, 0x78, 150));
    p.drawPolygon(beam);
    // Stopper plunger: down onto the belt when set.
    const double div = x + DiverterX;
    const double plungerBottom = pose.stopperSet ? BeltTop - 4 : BeltTop - PartHeight - 24;
    const QRectF plunger(div - 8, 282, 16, plungerBottom - 282);
    box(p, plunger, rodV(plunger), 0, 2.5);
    const QRectF flap(div - 46, plungerBottom - 12, 92, 12);
    box(p, flap, QColor(0xfa, 0xfc, 0xfe), 3, 2.5);
    for (const PartPose& pp : pose.beltParts)
        beltPart(p, pp);
    // Parts that went down the slide lie in its bin.
    const int lying = pose.partsInSlide - (pose.dropProgress >= 0 ? 1 : 0);
    if (lying > 0) {
        PartPose pp;
        pp.rect = slidePartRect(l, 1);
        pp.metal = pose.slideMetal;
        beltPart(p, pp);
    }
    if (pose.dropProgress >= 0) {
        PartPose pp;
        pp.rect = slidePartRect(l, pose.dropProgress);
        pp.metal = pose.dropMetal;
        beltPart(p, pp);
    }
    if (pose.partsInSlide > 0) {
        text(p, QRectF(div + 130, 600, 70, 36), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("× %1").arg(pose.partsInSlide), 20, true);
    }
    // Relay: which way the belt runs.
    text(p, QRectF(x + 340, 580, 80, 22), Qt::AlignCenter,
         pose.backward ? QStringLiteral("achteruit") : QStringLiteral("vooruit"), 15, true,
         TextGrey);
    if (pose.motorOn) {
        const double ay = BeltTop + 28;
        const double from = pose.backward ? x + 700 : x + 500;
        const double to = pose.backward ? x + 500 : x + 700;
        p.setPen(QPen(QColor(0x53, 0xc1, 0x53), 6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(from, ay), QPointF(to, ay));
        const double d = pose.backward ? 16 : -16;
        p.drawLine(QPointF(to, ay), QPointF(to + d, ay - 10));
        p.drawLine(QPointF(to, ay), QPointF(to + d, ay + 10));
    }
}

// --- handling station -----------------------------------------------------

void handlingStatic(QPainter& p, double x, const SceneLayout& l, bool withHolders)
{
    p.save();
    p.translate(x, 0);
    hose(p, {1048, 150}, {1060, 210}, {1000, 230}, {980, 270});
    // Beam and column.
    const QRectF column(1150, 60, 36, 580);
    box(p, column, aluH(column), 0, 3);
    const QRectF beam(150, 60, 1036, 40);
    box(p, beam, alu(beam), 0, 3);
    for (double bx = 170; bx < 1170; bx += 34) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x7d, 0x88, 0x94));
        p.drawRect(QRectF(bx, 70, 12, 20));
    }
    // Horizontal guided cylinder body.
    const QRectF hbody(820, 110, 240, 56);
    box(p, hbody, alu(hbody), 8, 3);
    box(p, QRectF(1036, 110, 24, 56), Fitting, 6, 3);
    // Valve terminal plate.
    const QRectF plate(800, 266, 360, 300);
    box(p, plate, QColor(0xe6, 0xec, 0xf2), 6, 3);
    // Holders: the back place always, the front place when there is no
    // belt beneath it.
    const QVector<double> holders =
        withHolders ? QVector<double>{FrontX, BackX} : QVector<double>{BackX};
    for (double hx : holders) {
        const QRectF stand(hx - 24, BeltTop + 20, 48, 640 - BeltTop - 20);
        box(p, stand, aluH(stand), 0, 3);
        const QRectF cup(hx - 60, BeltTop, 120, 24);
        box(p, cup, alu(cup), 4, 3);
    }
    p.restore();
    for (const SensorSpot& s : l.sensors) {
        if (s.onCarriage || s.input < l.handlingShift)
            continue;
        box(p, s.body, QColor(0x33, 0x3a, 0x42), 4, 2.5);
        sensorLabel(p, s);
    }
}

void handlingMoving(QPainter& p, const Pose& pose, const SceneLayout& l, const Signals& sig)
{
    const double cx = pose.carriageX;
    // Guide rods from the cylinder body to the carriage.
    for (double ry : {120.0, 144.0}) {
        const QRectF r(cx + 55, ry, std::max(0.0, 820 + l.handlingX - cx - 55), 14);
        box(p, r, rod(r), 0, 2.5);
    }
    // Carriage: the vertical cylinder's body.
    const QRectF body(cx - 55, 110, 110, 110);
    box(p, body, aluH(body), 8, 3);
    box(p, QRectF(cx - 55, 110, 110, 22), QColor(0xb9, 0xc4, 0xcf), 6, 3);
    // Vertical rods and the gripper.
    const double headTop = pose.gripperBottom - 40;
    for (double rx : {cx - 40, cx - 8, cx + 24}) {
        const QRectF r(rx, 220, 16, std::max(0.0, headTop - 220));
        box(p, r, rodV(r), 0, 2.5);
    }
    const QRectF head(cx - 50, headTop, 100, 40);
    box(p, head, alu(head), 6, 3);
    const QRectF band(cx - 50, headTop, 100, 12);
    box(p, band, blue(band), 4, 2);
    if (pose.holding)
        beltPart(p, pose.held);
    const double half = pose.fingerGap / 2;
    for (const QRectF& f : {QRectF(cx - half - 14, pose.gripperBottom - 4, 14, 64),
                            QRectF(cx + half, pose.gripperBottom - 4, 14, 64)})
        box(p, f, aluH(f), 4, 3);
    // Sensors on the carriage.
    for (const SensorSpot& s : l.sensors) {
        if (!s.onCarriage)
            continue;
        const SensorSpot placed = placedSensor(s, l, pose);
        box(p, placed.body, QColor(0x33, 0x3a, 0x42), 4, 2.5);
        lamp(p, placed.lamp, sig.inputs & (1u << s.input), 6);
        sensorLabel(p, placed);
    }
    // What the station has put away or let fall.
    const double bx = l.handlingX + BackX;
    if (pose.partsDelivered > 0)
        text(p, QRectF(bx - 110, 600, 220, 30), Qt::AlignCenter,
             QStringLiteral("Afgelegd: %1").arg(pose.partsDelivered), 17, true, TextGrey);
    if (pose.partsDropped > 0)
        text(p, QRectF(bx - 110, 650, 220, 30), Qt::AlignCenter,
             QStringLiteral("Gevallen: %1").arg(pose.partsDropped), 17, true, Fault);
}

// --- interface view -------------------------------------------------------

void interfaceStatic(QPainter& p, const SceneLayout& l)
{
    const QRectF panel(80, 150, 1040, 450);
    box(p, panel, QColor(0x3a, 0x44, 0x52), 16, 4);
    text(p, QRectF(100, 160, 400, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Ingangen"),
         26, true, Qt::white);
    text(p, QRectF(100, 420, 400, 40), Qt::AlignLeft | Qt::AlignVCenter,
         QStringLiteral("Uitgangen"), 26, true, Qt::white);
    for (const SensorSpot& s : l.sensors)
        text(p, s.label, s.labelAlign, s.name, 18, true, Qt::white);
    for (const OutputSpot& o : l.outputs)
        text(p, o.label, o.labelAlign, o.name, 18, true, Qt::white);
}

void interfaceMoving(QPainter& p, const SceneLayout& l, const Signals& sig)
{
    for (int i = 0; i < l.inputSwitches.size(); ++i) {
        const QRectF sw = l.inputSwitches[i];
        const bool on = sig.inputs & (1u << i);
        box(p, sw, QColor(0x2c, 0x34, 0x3e), 10, 3);
        const QRectF lever(sw.left() + 10, on ? sw.top() + 8 : sw.center().y() + 2, sw.width() - 20,
                           sw.height() / 2 - 10);
        box(p, lever, on ? QBrush(LampOn) : alu(lever), 6, 3);
    }
}

void forcingMarks(QPainter& p, const SceneLayout& l, const Pose& pose, const Signals& sig)
{
    for (const SensorSpot& s : l.sensors) {
        const SensorSpot placed = placedSensor(s, l, pose);
        if (!placed.onCarriage)
            lamp(p, placed.lamp, sig.inputs & (1u << s.input), l.inputSwitches.isEmpty() ? 6 : 9);
        const Force f = sig.forces[size_t(s.input)];
        // In the interface view a switch that is on is simply switched on.
        if (f == Force::Free || (f == Force::On && !l.inputSwitches.isEmpty()))
            continue;
        const QRectF mark = placed.body.adjusted(-8, -8, 8, 8);
        p.setPen(QPen(Fault, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(mark, 6, 6);
        // Below the sensor, or below its name when that lies underneath.
        const double tagTop = placed.label.top() >= placed.body.bottom() - 1
                                  ? placed.label.bottom() + 2
                                  : mark.bottom() + 2;
        const QRectF tag(mark.center().x() - 70, tagTop, 140, 24);
        p.setPen(QPen(Fault, 2));
        p.setBrush(QColor(255, 255, 255, 230));
        p.drawRoundedRect(tag, 6, 6);
        text(p, tag, Qt::AlignCenter, forceLabel(f), 17, true, Fault);
    }
}

} // namespace

void paintStatic(QPainter& p, const SceneLayout& l)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF all(QPointF(0, 0), l.size);
    p.fillRect(all, vertical(all, {{0, QColor(0xf4, 0xf8, 0xfc)}, {1, QColor(0xdc, 0xe6, 0xf0)}}));
    const QRectF strip(-2, 640, l.size.width() + 4, 40);
    box(p, strip, alu(strip), 0, 3);
    p.fillRect(QRectF(0, 681.5, l.size.width(), SceneHeight - 681.5), Floor);
    text(p, QRectF(20, 6, l.size.width() - 40, 50), Qt::AlignLeft | Qt::AlignVCenter, l.title, 34,
         true);

    switch (l.station) {
    case station::Station::Start:
    case station::Station::Interface:
        interfaceStatic(p, l);
        break;
    case station::Station::StapelMagazijn:
        stackStatic(p);
        sensorLabel(p, l.sensors[0]);
        box(p, l.sensors[0].body, QColor(0x33, 0x3a, 0x42), 4, 2.5);
        break;
    case station::Station::Transportband:
        conveyorStatic(p, l.conveyorX, l);
        break;
    case station::Station::Stationhandling:
        handlingStatic(p, l.handlingX, l, true);
        break;
    case station::Station::TransHandling:
        handlingStatic(p, l.handlingX, l, false);
        conveyorStatic(p, l.conveyorX, l);
        break;
    }
    valveBodies(p, l);
    if (l.station != station::Station::Interface)
        outputLabels(p, l);
    for (const ButtonSpot& b : l.buttons) {
        box(p, b.rect,
            vertical(b.rect, {{0, QColor(0xfa, 0xfc, 0xfe)}, {1, QColor(0xd3, 0xdb, 0xe4)}}), 10,
            3);
        text(p, b.rect, Qt::AlignCenter, b.text, 22, true);
    }
    text(p, QRectF(l.size.width() - 720, 700, 700, 56), Qt::AlignRight | Qt::AlignVCenter,
         l.station == station::Station::Interface
             ? QStringLiteral("Klik op een schakelaar om een ingang aan of uit te zetten")
             : QStringLiteral("Klik op een sensor: kortsluiting, draadbreuk, weer vrij"),
         18, false, TextGrey);
}

void paintMoving(QPainter& p, const SceneLayout& l, const Pose& pose, const Signals& sig)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (l.station) {
    case station::Station::Start:
    case station::Station::Interface:
        interfaceMoving(p, l, sig);
        break;
    case station::Station::StapelMagazijn:
        stackMoving(p, pose);
        break;
    case station::Station::Transportband:
        conveyorMoving(p, l.conveyorX, pose, l);
        break;
    case station::Station::Stationhandling:
        handlingMoving(p, pose, l, sig);
        break;
    case station::Station::TransHandling:
        conveyorMoving(p, l.conveyorX, pose, l);
        handlingMoving(p, pose, l, sig);
        break;
    }
    // Coils and lamps of the outputs.
    for (const OutputSpot& o : l.outputs) {
        const bool on = sig.outputs & (1u << o.output);
        if (o.onValve) {
            const QRectF c(o.lamp.x() - 16, o.lamp.y() - 12, 32, 24);
            box(p, c, coil(c), 4, 2.5);
        }
        lamp(p, o.lamp, on, l.station == station::Station::Interface ? 16 : 7);
    }
    forcingMarks(p, l, pose, sig);
}

} // namespace virt
