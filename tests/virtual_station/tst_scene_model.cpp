#include "virtual_station/scene_model.h"
#include "virtual_station/virtual_station_window.h"

#include <QtTest>

#include <functional>

using sim::Simulation;
using station::Station;
using virt::Action;
using virt::Force;
using virt::Hit;

Q_DECLARE_METATYPE(virt::Force)
Q_DECLARE_METATYPE(station::Station)
Q_DECLARE_METATYPE(virt::Hit)

namespace
{

const QString ShiftedHandling = QStringLiteral("Interfacing Easyport D8A");

virt::SceneLayout layout(station::Station kind)
{
    return virt::layoutFor(kind);
}

// A station driven by `outputs` for `ms`.
Simulation driven(station::Station kind, int outputs, int ms)
{
    Simulation sim;
    sim.setStation(kind);
    sim.setOutputs(quint8(outputs));
    sim.step(ms);
    return sim;
}

using Field = std::function<double(const virt::Pose&)>;

Field field(const QString& name)
{
    if (name == QLatin1String("feed"))
        return [](const virt::Pose& p) { return p.feedPusherX; };
    if (name == QLatin1String("press"))
        return [](const virt::Pose& p) { return p.pressHeadBottom; };
    if (name == QLatin1String("carriage"))
        return [](const virt::Pose& p) { return p.carriageX; };
    if (name == QLatin1String("gripper"))
        return [](const virt::Pose& p) { return p.gripperBottom; };
    if (name == QLatin1String("fingers"))
        return [](const virt::Pose& p) { return p.fingerGap; };
    return {};
}

QPointF centre(const virt::SceneLayout& l, int input)
{
    for (const virt::SensorSpot& s : l.sensors)
        if (s.input == input)
            return s.body.center();
    return {};
}

QPointF labelCentre(const virt::SceneLayout& l, int input)
{
    for (const virt::SensorSpot& s : l.sensors)
        if (s.input == input)
            return s.label.center();
    return {};
}

QPointF button(const virt::SceneLayout& l, Action a)
{
    for (const virt::ButtonSpot& b : l.buttons)
        if (b.action == a)
            return b.rect.center();
    return {-100, -100};
}

} // namespace

class TestSceneModel : public QObject
{
    Q_OBJECT

  private slots:
    void rods_data();
    void rods();
    void beltParts_data();
    void beltParts();
    void lids_data();
    void lids();
    void heldPartHangsInTheGripper();
    void pointsAndNames_data();
    void pointsAndNames();
    void hitTest_data();
    void hitTest();
    void forcing_data();
    void forcing();
    void letterbox_data();
    void letterbox();
    void slideDrop_data();
    void slideDrop();
};

void TestSceneModel::rods_data()
{
    QTest::addColumn<station::Station>("station");
    QTest::addColumn<int>("outputs");
    QTest::addColumn<int>("ms");
    QTest::addColumn<QString>("part");
    QTest::addColumn<double>("expected");

    const auto stack = station::Station::StapelMagazijn;
    const auto hand = station::Station::Stationhandling;
    const auto both = station::Station::TransHandling;
    QTest::newRow("feed at rest") << stack << 0 << 0 << "feed" << 305.0;
    QTest::newRow("feed half out") << stack << 1 << 400 << "feed" << 455.0;
    QTest::newRow("feed out") << stack << 1 << 800 << "feed" << 605.0;
    QTest::newRow("feed stops at the end") << stack << 1 << 3000 << "feed" << 605.0;
    QTest::newRow("press at rest") << stack << 0 << 0 << "press" << 460.0;
    QTest::newRow("press half down") << stack << 4 << 250 << "press" << 510.0;
    QTest::newRow("press down") << stack << 4 << 500 << "press" << 560.0;
    QTest::newRow("carriage at the back") << hand << 0 << 0 << "carriage" << 700.0;
    QTest::newRow("carriage half way") << hand << 1 << 500 << "carriage" << 500.0;
    QTest::newRow("carriage at the front") << hand << 1 << 1000 << "carriage" << 300.0;
    QTest::newRow("gripper up") << hand << 0 << 0 << "gripper" << 280.0;
    QTest::newRow("gripper half down") << hand << 4 << 300 << "gripper" << 325.0;
    QTest::newRow("gripper down") << hand << 4 << 600 << "gripper" << 370.0;
    QTest::newRow("gripper open") << hand << 0 << 0 << "fingers" << 110.0;
    QTest::newRow("gripper half closed") << hand << 16 << 100 << "fingers" << 95.0;
    QTest::newRow("gripper closed") << hand << 16 << 200 << "fingers" << 80.0;
    // Shifted by three points, and drawn with its front over the belt end.
    QTest::newRow("shared: carriage at the back") << both << 0 << 0 << "carriage" << 1410.0;
    QTest::newRow("shared: own output 0 does not move it")
        << both << 1 << 1000 << "carriage" << 1410.0;
    QTest::newRow("shared: carriage at the front") << both << 8 << 1000 << "carriage" << 1010.0;
    QTest::newRow("shared: gripper down") << both << 32 << 600 << "gripper" << 370.0;
}

void TestSceneModel::rods()
{
    QFETCH(station::Station, station);
    QFETCH(int, outputs);
    QFETCH(int, ms);
    QFETCH(QString, part);
    QFETCH(double, expected);
    const virt::SceneLayout l = layout(station);
    const virt::Pose pose = virt::poseFor(l, driven(station, outputs, ms));
    QCOMPARE(field(part)(pose), expected);
}

void TestSceneModel::beltParts_data()
{
    QTest::addColumn<station::Station>("station");
    QTest::addColumn<int>("outputs");
    QTest::addColumn<int>("ms");
    QTest::addColumn<bool>("metal");
    QTest::addColumn<int>("onBelt");
    QTest::addColumn<double>("centreX");
    QTest::addColumn<int>("inSlide");

    const auto band = station::Station::Transportband;
    QTest::newRow("laid at the start") << band << 0 << 0 << true << 1 << 190.0 << 0;
    QTest::newRow("plastic part") << band << 0 << 0 << false << 1 << 190.0 << 0;
    QTest::newRow("half a second on") << band << 2 << 500 << true << 1 << 292.5 << 0;
    QTest::newRow("at the far end") << band << 2 << 5000 << true << 1 << 1010.0 << 0;
    QTest::newRow("backward stays at the start") << band << 6 << 1000 << true << 1 << 190.0 << 0;
    QTest::newRow("motor off: stays") << band << 4 << 1000 << true << 1 << 190.0 << 0;
    QTest::newRow("stopper set: down the slide") << band << 3 << 3000 << true << 0 << 0.0 << 1;
    QTest::newRow("shared station: same belt")
        << station::Station::TransHandling << 2 << 2000 << false << 1 << 600.0 << 0;
}

void TestSceneModel::beltParts()
{
    QFETCH(station::Station, station);
    QFETCH(int, outputs);
    QFETCH(int, ms);
    QFETCH(bool, metal);
    QFETCH(int, onBelt);
    QFETCH(double, centreX);
    QFETCH(int, inSlide);

    Simulation sim;
    sim.setStation(station);
    QVERIFY(sim.placePart(metal));
    sim.setOutputs(quint8(outputs));
    sim.step(ms);
    const virt::SceneLayout l = layout(station);
    const virt::Pose pose = virt::poseFor(l, sim);
    QCOMPARE(pose.beltParts.size(), onBelt);
    QCOMPARE(pose.partsInSlide, inSlide);
    if (onBelt == 0)
        return;
    const virt::PartPose& p = pose.beltParts.first();
    QCOMPARE(p.metal, metal);
    QCOMPARE(p.rect.center().x(), centreX);
    // It stands on the belt.
    QCOMPARE(p.rect.bottom(), virt::geo::BeltTop);
}

void TestSceneModel::lids_data()
{
    QTest::addColumn<int>("outputs");
    QTest::addColumn<int>("ms");
    QTest::addColumn<int>("lids");
    QTest::addColumn<int>("inMagazine");
    QTest::addColumn<double>("feedLidX"); // left edge of the lid on the track
    QTest::addColumn<int>("delivered");

    QTest::newRow("full magazine") << 0 << 0 << 6 << 6 << 305.0 << 0;
    QTest::newRow("lid half way out") << 1 << 400 << 6 << 5 << 455.0 << 0;
    QTest::newRow("lid at the press") << 1 << 800 << 6 << 5 << 605.0 << 0;
}

void TestSceneModel::lids()
{
    QFETCH(int, outputs);
    QFETCH(int, ms);
    QFETCH(int, lids);
    QFETCH(int, inMagazine);
    QFETCH(double, feedLidX);
    QFETCH(int, delivered);

    const virt::SceneLayout l = layout(station::Station::StapelMagazijn);
    const virt::Pose pose = virt::poseFor(l, driven(station::Station::StapelMagazijn, outputs, ms));
    QCOMPARE(pose.lids.size(), lids);
    QCOMPARE(pose.lidsInMagazine, inMagazine);
    QCOMPARE(pose.lidsDelivered, delivered);
    // Exactly one lid lies on the feed track, at the expected place; the
    // others are stacked in the tube, one on top of the other.
    int onTrack = 0;
    QVector<double> stacked;
    for (const virt::PartPose& lid : pose.lids) {
        if (lid.rect.top() == virt::geo::FeedTrackTop) {
            ++onTrack;
            QCOMPARE(lid.rect.left(), feedLidX);
        } else {
            QCOMPARE(lid.rect.left(), virt::geo::LidRestX);
            stacked.append(lid.rect.top());
        }
    }
    QCOMPARE(onTrack, 1);
    std::sort(stacked.begin(), stacked.end());
    for (int i = 0; i < stacked.size(); ++i)
        QCOMPARE(stacked[i], virt::geo::FeedTrackTop - virt::geo::LidHeight * (stacked.size() - i));
}

void TestSceneModel::heldPartHangsInTheGripper()
{
    Simulation sim;
    sim.setStation(station::Station::TransHandling);
    QVERIFY(sim.placePart(true));
    sim.setOutputs(2 | (1 << 3)); // belt on, carriage to the front
    sim.step(5000);
    sim.setOutputs(4 << 3); // gripper down
    sim.step(600);
    sim.setOutputs((4 | 16) << 3); // close
    sim.step(200);
    sim.setOutputs((8 | 16) << 3); // up, holding
    sim.step(300);

    const virt::SceneLayout l = layout(station::Station::TransHandling);
    const virt::Pose pose = virt::poseFor(l, sim);
    QVERIFY(pose.beltParts.isEmpty());
    QVERIFY(pose.holding);
    QVERIFY(pose.held.metal);
    QCOMPARE(pose.held.rect.center().x(), pose.carriageX);
    QCOMPARE(pose.held.rect.top(), pose.gripperBottom);
    QVERIFY(pose.gripperBottom < virt::geo::BeltTop - virt::geo::PartHeight);
}

void TestSceneModel::pointsAndNames_data()
{
    QTest::addColumn<station::Station>("station");
    QTest::addColumn<QList<int>>("inputs");
    QTest::addColumn<QList<int>>("outputs");
    QTest::addColumn<int>("input");
    QTest::addColumn<QString>("inputName");
    QTest::addColumn<int>("output");
    QTest::addColumn<QString>("outputName");

    QTest::newRow("stack magazine")
        << station::Station::StapelMagazijn << QList<int>{0} << QList<int>{0, 1, 2} << 0
        << "Eindschakelaar cilinder 1A" << 2 << "Aandrukcilinder";
    QTest::newRow("conveyor") << station::Station::Transportband << QList<int>{0, 1}
                              << QList<int>{0, 1, 2} << 1 << "Optische sensor" << 0
                              << "Magneetspoel stopper";
    QTest::newRow("handling") << station::Station::Stationhandling << QList<int>{0, 1, 2, 3}
                              << QList<int>{0, 1, 2, 3, 4} << 3 << "Eindschakelaar cil. 2 Onder"
                              << 4 << "Grijper";
    QTest::newRow("shared: handling shifted by three")
        << station::Station::TransHandling << QList<int>{0, 1, 3, 4, 5, 6}
        << QList<int>{0, 1, 2, 3, 4, 5, 6, 7} << 3 << "Eindschakelaar cil. 1 Achter" << 7
        << "Grijper";
    QTest::newRow("shared: conveyor unshifted")
        << station::Station::TransHandling << QList<int>{0, 1, 3, 4, 5, 6}
        << QList<int>{0, 1, 2, 3, 4, 5, 6, 7} << 0 << "Inductieve sensor" << 3
        << "Verplaatscilinder (uit)";
    QTest::newRow("interface") << station::Station::Interface << QList<int>{0, 1, 2, 3, 4, 5, 6, 7}
                               << QList<int>{0, 1, 2, 3, 4, 5, 6, 7} << 7 << "Ingang 8" << 0
                               << "Uitgang 1";
}

void TestSceneModel::pointsAndNames()
{
    QFETCH(station::Station, station);
    QFETCH(QList<int>, inputs);
    QFETCH(QList<int>, outputs);
    QFETCH(int, input);
    QFETCH(QString, inputName);
    QFETCH(int, output);
    QFETCH(QString, outputName);

    const virt::SceneLayout l = layout(station);
    QList<int> seenInputs;
    for (const virt::SensorSpot& s : l.sensors) {
        seenInputs << s.input;
        if (s.input == input)
            QCOMPARE(s.name, inputName);
    }
    std::sort(seenInputs.begin(), seenInputs.end());
    QCOMPARE(seenInputs, inputs);
    QList<int> seenOutputs;
    for (const virt::OutputSpot& o : l.outputs) {
        seenOutputs << o.output;
        if (o.output == output)
            QCOMPARE(o.name, outputName);
    }
    std::sort(seenOutputs.begin(), seenOutputs.end());
    QCOMPARE(seenOutputs, outputs);
    // Everything lies inside the scene.
    const QRectF scene(QPointF(0, 0), l.size);
    for (const virt::SensorSpot& s : l.sensors)
        QVERIFY2(scene.contains(s.hitArea()), qPrintable(s.name));
    for (const virt::OutputSpot& o : l.outputs)
        QVERIFY2(scene.contains(o.label), qPrintable(o.name));
}

void TestSceneModel::hitTest_data()
{
    QTest::addColumn<station::Station>("station");
    QTest::addColumn<int>("outputs");
    QTest::addColumn<int>("ms");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<Hit>("expected");

    const auto force = [](int i) { return Hit{Action::ForceInput, i}; };
    const virt::SceneLayout stack = layout(station::Station::StapelMagazijn);
    const virt::SceneLayout band = layout(station::Station::Transportband);
    const virt::SceneLayout hand = layout(station::Station::Stationhandling);
    const virt::SceneLayout both = layout(station::Station::TransHandling);
    const virt::SceneLayout io = layout(station::Station::Interface);

    QTest::newRow("stack: end switch")
        << station::Station::StapelMagazijn << 0 << 0 << centre(stack, 0) << force(0);
    QTest::newRow("stack: its name")
        << station::Station::StapelMagazijn << 0 << 0 << labelCentre(stack, 0) << force(0);
    QTest::newRow("stack: refill") << station::Station::StapelMagazijn << 0 << 0
                                   << button(stack, Action::Refill) << Hit{Action::Refill, -1};
    QTest::newRow("stack: empty wall")
        << station::Station::StapelMagazijn << 0 << 0 << QPointF(600, 100) << Hit{};
    QTest::newRow("stack: no belt buttons") << station::Station::StapelMagazijn << 0 << 0
                                            << button(band, Action::PlacePlastic) << Hit{};
    QTest::newRow("conveyor: inductive")
        << station::Station::Transportband << 0 << 0 << centre(band, 0) << force(0);
    QTest::newRow("conveyor: optical")
        << station::Station::Transportband << 0 << 0 << centre(band, 1) << force(1);
    QTest::newRow("conveyor: metal part")
        << station::Station::Transportband << 0 << 0 << button(band, Action::PlaceMetal)
        << Hit{Action::PlaceMetal, -1};
    QTest::newRow("conveyor: plastic part")
        << station::Station::Transportband << 0 << 0 << button(band, Action::PlacePlastic)
        << Hit{Action::PlacePlastic, -1};
    QTest::newRow("conveyor: clear the belt")
        << station::Station::Transportband << 0 << 0 << button(band, Action::ClearBelt)
        << Hit{Action::ClearBelt, -1};
    QTest::newRow("handling: no belt to clear")
        << station::Station::Stationhandling << 0 << 0 << button(band, Action::ClearBelt) << Hit{};
    QTest::newRow("conveyor: the belt itself")
        << station::Station::Transportband << 0 << 0 << QPointF(600, 460) << Hit{};
    QTest::newRow("handling: back switch")
        << station::Station::Stationhandling << 0 << 0 << centre(hand, 0) << force(0);
    QTest::newRow("handling: front switch")
        << station::Station::Stationhandling << 0 << 0 << centre(hand, 1) << force(1);
    QTest::newRow("handling: up switch, carriage back")
        << station::Station::Stationhandling << 0 << 0 << centre(hand, 2) << force(2);
    // The switches of the vertical cylinder ride on the carriage.
    QTest::newRow("handling: up switch follows the carriage")
        << station::Station::Stationhandling << 1 << 1000 << centre(hand, 2) - QPointF(400, 0)
        << force(2);
    QTest::newRow("handling: carriage gone from the old place")
        << station::Station::Stationhandling << 1 << 1000 << centre(hand, 3) << Hit{};
    QTest::newRow("handling: down switch half way")
        << station::Station::Stationhandling << 1 << 500 << centre(hand, 3) - QPointF(200, 0)
        << force(3);
    QTest::newRow("shared: inductive")
        << station::Station::TransHandling << 0 << 0 << centre(both, 0) << force(0);
    QTest::newRow("shared: back switch is input 4")
        << station::Station::TransHandling << 0 << 0 << centre(both, 3) << force(3);
    QTest::newRow("shared: down switch is input 7")
        << station::Station::TransHandling << 0 << 0 << centre(both, 6) << force(6);
    QTest::newRow("interface: switch 1")
        << station::Station::Interface << 0 << 0 << io.inputSwitches[0].center() << force(0);
    QTest::newRow("interface: switch 8")
        << station::Station::Interface << 0 << 0 << io.inputSwitches[7].center() << force(7);
    QTest::newRow("interface: an output lamp")
        << station::Station::Interface << 0 << 0 << io.outputs[3].lamp << Hit{};
}

void TestSceneModel::hitTest()
{
    QFETCH(station::Station, station);
    QFETCH(int, outputs);
    QFETCH(int, ms);
    QFETCH(QPointF, point);
    QFETCH(Hit, expected);
    const virt::SceneLayout l = layout(station);
    const Hit hit = virt::hitTest(l, virt::poseFor(l, driven(station, outputs, ms)), point);
    QCOMPARE(int(hit.action), int(expected.action));
    QCOMPARE(hit.input, expected.input);
}

void TestSceneModel::forcing_data()
{
    QTest::addColumn<bool>("switchView");
    QTest::addColumn<Force>("from");
    QTest::addColumn<Force>("to");
    QTest::addColumn<QString>("label");

    QTest::newRow("free -> short circuit") << false << Force::Free << Force::On << "kortsluiting";
    QTest::newRow("short circuit -> broken wire")
        << false << Force::On << Force::Off << "draadbreuk";
    QTest::newRow("broken wire -> free") << false << Force::Off << Force::Free << "";
    QTest::newRow("switch: off -> on") << true << Force::Free << Force::On << "kortsluiting";
    QTest::newRow("switch: on -> off") << true << Force::On << Force::Free << "";
    QTest::newRow("switch: forced off -> on") << true << Force::Off << Force::On << "kortsluiting";
}

void TestSceneModel::forcing()
{
    QFETCH(bool, switchView);
    QFETCH(Force, from);
    QFETCH(Force, to);
    QFETCH(QString, label);
    const Force next = switchView ? virt::nextSwitchForce(from) : virt::nextForce(from);
    QCOMPARE(int(next), int(to));
    QCOMPARE(virt::forceLabel(next), label);
}

void TestSceneModel::letterbox_data()
{
    QTest::addColumn<QSizeF>("scene");
    QTest::addColumn<QSizeF>("widget");
    QTest::addColumn<QRectF>("expected"); // where the scene lands

    QTest::newRow("same proportions")
        << QSizeF(1200, 800) << QSizeF(960, 640) << QRectF(0, 0, 960, 640);
    QTest::newRow("wide window: bars at the sides")
        << QSizeF(1200, 800) << QSizeF(1000, 400) << QRectF(200, 0, 600, 400);
    QTest::newRow("tall window: bars above and below")
        << QSizeF(1200, 800) << QSizeF(600, 1000) << QRectF(0, 300, 600, 400);
    QTest::newRow("shared station in the default window")
        << QSizeF(1900, 800) << QSizeF(950, 640) << QRectF(0, 120, 950, 400);
}

void TestSceneModel::letterbox()
{
    QFETCH(QSizeF, scene);
    QFETCH(QSizeF, widget);
    QFETCH(QRectF, expected);
    const QTransform t = virt::sceneTransform(scene, widget);
    QCOMPARE(t.mapRect(QRectF(QPointF(0, 0), scene)), expected);
}

void TestSceneModel::slideDrop_data()
{
    QTest::addColumn<station::Station>("station");
    QTest::addColumn<double>("t");
    QTest::addColumn<double>("centreX");
    QTest::addColumn<double>("bottom");

    // The diverter sits at 70 % of the belt: x = 190 + 0.7 * 820.
    QTest::newRow("leaving the belt") << station::Station::Transportband << 0.0 << 764.0 << 433.0;
    QTest::newRow("in the bin") << station::Station::Transportband << 1.0 << 832.0 << 596.0;
    QTest::newRow("past the end stays in the bin")
        << station::Station::Transportband << 3.0 << 832.0 << 596.0;
    QTest::newRow("shared station: same place")
        << station::Station::TransHandling << 1.0 << 832.0 << 596.0;
}

void TestSceneModel::slideDrop()
{
    QFETCH(station::Station, station);
    QFETCH(double, t);
    QFETCH(double, centreX);
    QFETCH(double, bottom);
    const QRectF r = virt::slidePartRect(layout(station), t);
    QCOMPARE(r.center().x(), centreX);
    QCOMPARE(r.bottom(), bottom);
}

QTEST_GUILESS_MAIN(TestSceneModel)
#include "tst_scene_model.moc"
