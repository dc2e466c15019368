// One StationState drives every view that depends on the station: for each
// state the window can be in, the marked button, the station frame, the
// simulated station, the interlocks, the component, instruction, help,
// description and video all follow from the state alone. Every button is
// painted light green before the derived views are checked: a colour is
// only what the pupil sees, never the record. The station tables behind
// those views: the combined station derived from its two stations, and the
// used points.
#include "app/program.h"
#include "component_figure/component_panel.h"
#include "fullscreen/full_screen.h"
#include "interface_link/interface_model.h"
#include "interface_link/simulated_interface.h"
#include "outputs/output_panel.h"
#include "simulation/simulated_station.h"
#include "station/station_data.h"
#include "support/test_support.h"

#include <QtTest>

using station::Station;
using testing::MainFixture;

Q_DECLARE_METATYPE(station::Station)

namespace
{

constexpr uint kLichtgroen = 8454016u;

const char* const kStationButtons[] = {"CMD_StapelMagazijn", "CMD_Transportband",
                                       "CMD_Stationhandling", "CMD_TransHandling",
                                       "CMD_Interfacing"};

const Station kAllStates[] = {Station::Start,           Station::Interface,
                              Station::StapelMagazijn,  Station::Transportband,
                              Station::Stationhandling, Station::TransHandling};

// How an output button's enabled state was decided before the tables said
// which points are used: in a single-station view by its name not being a
// generic "Uitgang n" one, in the other views always.
bool enabledByName(Station s, const QString& name)
{
    const bool byName = s == Station::StapelMagazijn || s == Station::Transportband ||
                        s == Station::Stationhandling;
    return !byName || !name.contains(QLatin1String("Uitgang"), Qt::CaseSensitive);
}

bool samePoint(const station::Point& a, const station::Point& b)
{
    return a.name == b.name && a.used == b.used && a.component == b.component &&
           a.picture == b.picture;
}

} // namespace

class TestStationState : public QObject
{
    Q_OBJECT

  private slots:
    void everyViewFollowsTheState_data();
    void everyViewFollowsTheState();
    void changedOnEveryChoice();
    void usedIsTheOldNameRule_data();
    void usedIsTheOldNameRule();
    void combinedStationIsDerived_data();
    void combinedStationIsDerived();
    void combinedWords_data();
    void combinedWords();
    void interfacePictureIsTheMini();
};

void TestStationState::everyViewFollowsTheState_data()
{
    QTest::addColumn<QString>("click"); // empty: the window as it opens
    QTest::addColumn<Station>("state");
    QTest::addColumn<QString>("marked");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<Station>("simulated");
    QTest::addColumn<int>("refusal"); // output 0 on with inputs 0 and 3 on
    QTest::addColumn<QString>("component");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("help"); // empty: no help
    QTest::addColumn<bool>("picture"); // the numbered full-screen picture opens
    QTest::addColumn<bool>("video");

    const int none = int(outputs::Refusal::None);
    QTest::newRow("start") << "" << Station::Start << "CMD_Interfacing"
                           << "Dravik besturing met Easyport Mini." << Station::Interface << none
                           << "I/O Aansluitpaneel"
                           << "Dravik station besturing."
                           << "EasyPort mini" << false << false;
    QTest::newRow("interface") << "CMD_Interfacing" << Station::Interface << "CMD_Interfacing"
                               << "Interfacing Easyport Mini" << Station::Interface << none
                               << "I/O Aansluitpaneel"
                               << "Dravik station besturing."
                               << "EasyPort mini" << false << false;
    QTest::newRow("stack") << "CMD_StapelMagazijn" << Station::StapelMagazijn
                           << "CMD_StapelMagazijn"
                           << "Stapel magazijn" << Station::StapelMagazijn
                           << int(outputs::Refusal::PressingCylinderOut)
                           << "Dubbelwerkende cilinder"
                           << "Stapel magazijn."
                           << "Stapelmagazijn" << true << true;
    QTest::newRow("conveyor") << "CMD_Transportband" << Station::Transportband
                              << "CMD_Transportband"
                              << "Transportband" << Station::Transportband << none
                              << "Magneetspoel stopper"
                              << "Transportband."
                              << "Transportband" << true << true;
    QTest::newRow("handling") << "CMD_Stationhandling" << Station::Stationhandling
                              << "CMD_Stationhandling"
                              << "Station handling" << Station::Stationhandling
                              << int(outputs::Refusal::GripperCylinderOut)
                              << "Dubbelwerkende cilinder ADN"
                              << "Station handling."
                              << "Station handling" << true << true;
    QTest::newRow("combined") << "CMD_TransHandling" << Station::TransHandling
                              << "CMD_TransHandling"
                              << "Interfacing Easyport D8A" << Station::TransHandling << none
                              << "Magneetspoel stopper"
                              << "Transportband en station handling."
                              << "" << false << false;
}

void TestStationState::everyViewFollowsTheState()
{
    QFETCH(QString, click);
    QFETCH(Station, state);
    QFETCH(QString, marked);
    QFETCH(QString, frame);
    QFETCH(Station, simulated);
    QFETCH(int, refusal);
    QFETCH(QString, component);
    QFETCH(QString, heading);
    QFETCH(QString, help);
    QFETCH(bool, picture);
    QFETCH(bool, video);

    MainFixture fx;
    // The link the program makes between the window's state and the simulation.
    iface::SimulatedInterface port;
    app::linkStation(fx.main->stationState(), &port);
    sim::StationRunner& sim = *port.stationRunner();
    // A different station first, so nothing is right by chance.
    if (!click.isEmpty()) {
        fx.click(click == "CMD_Transportband" ? "CMD_Stationhandling" : "CMD_Transportband");
        fx.click(click);
    }
    QCOMPARE(fx.main->stationState().current(), state);
    for (const char* b : kStationButtons)
        QCOMPARE(fx.prop(b, "BackColor").toUInt() == kLichtgroen, marked == QLatin1String(b));
    QCOMPARE(fx.prop("FrameModule", "Caption").toString(), frame);
    QCOMPARE(station::moduleCaption(state), frame);
    QCOMPARE(sim.simulation().station(), simulated);

    for (const char* b : kStationButtons)
        fx.control<ctl::CommandButton>(b)->setBackColor(kLichtgroen);

    fx.port.raiseInputs(0x09);
    QCOMPARE(int(fx.main->outputPanel().setOutput(0, true, OutputPanel::Feedback::NoBox)), refusal);
    fx.main->ResetAll();
    fx.main->FiguurActuatorSensor(0);
    QCOMPARE(fx.main->componentPanel().shownKind(), component);
    fx.main->PlaatsTekst();
    QCOMPARE(fx.control<ctl::PictureBox>("PictureTekst")->printed().first().text, heading);
    fx.services.messages.shown.clear();
    fx.click("CMD_Help");
    QCOMPARE(fx.services.messages.shown.isEmpty() ? QString()
                                                  : fx.services.messages.shown.first().title,
             help);
    QCOMPARE(fx.prop("CMD_Filmpje", "Visible").toBool(), video);
    fx.click("Image_Module_Holder");
    const Full_Screen* f = fx.main->fullScreen(false);
    QCOMPARE(f && f->isVisible(), picture);
}

// A choice is announced also when it is the station already in view: it
// redraws everything it derives.
void TestStationState::changedOnEveryChoice()
{
    MainFixture fx;
    QList<Station> seen;
    connect(&fx.main->stationState(), &station::StationState::changed, this,
            [&seen](Station s) { seen << s; });
    fx.click("CMD_Transportband");
    fx.click("CMD_Transportband");
    fx.main->SetEasyPort();
    QCOMPARE(seen,
             (QList<Station>{Station::Transportband, Station::Transportband, Station::Interface}));
}

void TestStationState::usedIsTheOldNameRule_data()
{
    QTest::addColumn<Station>("state");
    QTest::addColumn<int>("index");
    for (Station s : kAllStates)
        for (int i = 0; i < station::kPointCount; ++i)
            QTest::addRow("%s %d", qPrintable(station::moduleCaption(s)), i) << s << i;
}

// Every point of every state: the output button is enabled exactly as the
// name rule enabled it, and a point is unused exactly when it carries its
// generic name, without a component.
void TestStationState::usedIsTheOldNameRule()
{
    QFETCH(Station, state);
    QFETCH(int, index);
    const station::StationData& d = station::data(state);
    const station::Point& out = d.outputs[index];
    const station::Point& in = d.inputs[index];
    QCOMPARE(out.used, enabledByName(state, out.name));
    QCOMPARE(bool((d.usedOutputs() >> index) & 1), out.used);
    QCOMPARE(bool((d.usedInputs() >> index) & 1), in.used);
    const bool bareInterface = !station::isStation(state);
    QCOMPARE(out.name == station::genericOutputName(index), !out.used || bareInterface);
    QCOMPARE(in.name == station::genericInputName(index), !in.used || bareInterface);
    QCOMPARE(out.component.isEmpty(), !out.used || bareInterface);
    QCOMPARE(in.component.isEmpty(), !in.used || bareInterface);
    QCOMPARE(out.picture.isEmpty(), out.component.isEmpty());
    QCOMPARE(in.picture.isEmpty(), in.component.isEmpty());
}

void TestStationState::combinedStationIsDerived_data()
{
    QTest::addColumn<bool>("output");
    QTest::addColumn<int>("index");
    QTest::addColumn<Station>("from"); // Interface: a generic, unused point
    QTest::addColumn<int>("fromIndex");
    const Station band = Station::Transportband, handling = Station::Stationhandling,
                  none = Station::Interface;
    QTest::newRow("output 0: stopper") << true << 0 << band << 0;
    QTest::newRow("output 2: last of the conveyor") << true << 2 << band << 2;
    QTest::newRow("output 3: first of the handling") << true << 3 << handling << 0;
    QTest::newRow("output 7: gripper") << true << 7 << handling << 4;
    QTest::newRow("input 1: last of the conveyor") << false << 1 << band << 1;
    QTest::newRow("input 2: gap") << false << 2 << none << 2;
    QTest::newRow("input 3: first of the handling") << false << 3 << handling << 0;
    QTest::newRow("input 6: last of the handling") << false << 6 << handling << 3;
    QTest::newRow("input 7: unused") << false << 7 << none << 7;
}

void TestStationState::combinedStationIsDerived()
{
    QFETCH(bool, output);
    QFETCH(int, index);
    QFETCH(Station, from);
    QFETCH(int, fromIndex);
    const auto points = [output](Station s) -> const station::Points& {
        return output ? station::data(s).outputs : station::data(s).inputs;
    };
    const station::Point& p = points(Station::TransHandling)[index];
    if (from == Station::Interface) {
        QVERIFY(!p.used);
        QCOMPARE(p.name,
                 output ? station::genericOutputName(index) : station::genericInputName(index));
        QVERIFY(p.component.isEmpty());
    } else {
        QVERIFY(samePoint(p, points(from)[fromIndex]));
    }
    // The conveyor has nothing where the handling station starts.
    for (int i = station::kHandlingShift; i < station::kPointCount; ++i)
        QVERIFY(!points(Station::Transportband)[i].used);
}

void TestStationState::combinedWords_data()
{
    QTest::addColumn<int>("outputs");
    QTest::addColumn<int>("conveyorOut");
    QTest::addColumn<int>("handlingOut");
    QTest::addColumn<int>("conveyorIn");
    QTest::addColumn<int>("handlingIn");
    QTest::addColumn<int>("inputs");
    QTest::newRow("nothing") << 0x00 << 0x00 << 0x00 << 0x00 << 0x00 << 0x00;
    QTest::newRow("everything") << 0xFF << 0x07 << 0x1F << 0x03 << 0x0F << 0x7B;
    QTest::newRow("conveyor only") << 0x07 << 0x07 << 0x00 << 0x03 << 0x00 << 0x03;
    QTest::newRow("first handling point") << 0x08 << 0x00 << 0x01 << 0x00 << 0x01 << 0x08;
    QTest::newRow("last point") << 0x80 << 0x00 << 0x10 << 0x00 << 0x08 << 0x40;
    QTest::newRow("conveyor input beyond its own is dropped")
        << 0x00 << 0x00 << 0x00 << 0xFC << 0x00 << 0x00;
}

void TestStationState::combinedWords()
{
    QFETCH(int, outputs);
    QFETCH(int, conveyorOut);
    QFETCH(int, handlingOut);
    QFETCH(int, conveyorIn);
    QFETCH(int, handlingIn);
    QFETCH(int, inputs);
    const station::SplitOutputs split = station::splitCombinedOutputs(quint8(outputs));
    QCOMPARE(int(split.conveyor), conveyorOut);
    QCOMPARE(int(split.handling), handlingOut);
    QCOMPARE(int(station::joinCombinedInputs(quint8(conveyorIn), quint8(handlingIn))), inputs);
    // The used points of the combined station are exactly what the two
    // stations' words reach.
    const station::StationData& both = station::data(Station::TransHandling);
    const station::SplitOutputs all = station::splitCombinedOutputs(both.usedOutputs());
    QCOMPARE(all.conveyor, station::data(Station::Transportband).usedOutputs());
    QCOMPARE(all.handling, station::data(Station::Stationhandling).usedOutputs());
    QCOMPARE(
        station::joinCombinedInputs(0xFF, station::data(Station::Stationhandling).usedInputs()),
        both.usedInputs());
}

// The bare interface shows the EasyPort Mini until a model answers.
void TestStationState::interfacePictureIsTheMini()
{
    const QString mini = iface::interfaceModel(iface::kModelMini).picture;
    QCOMPARE(station::data(Station::Interface).picture, mini);
    QCOMPARE(station::data(Station::Start).picture, mini);
}

QTEST_MAIN(TestStationState)
#include "tst_station_state.moc"
