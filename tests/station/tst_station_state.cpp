// One StationState drives every view that depends on the station: for each
// state the window can be in, the marked button, the station frame, the
// simulated station, the interlocks, the component, instruction, help,
// description and video all follow from the state alone. Every button is
// painted light green before the derived views are checked: a colour is
// only what the pupil sees, never the record.
#include "app/program.h"
#include "component_figure/component_panel.h"
#include "fullscreen/full_screen.h"
#include "interface_link/simulated_interface.h"
#include "outputs/output_panel.h"
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

} // namespace

class TestStationState : public QObject
{
    Q_OBJECT

  private slots:
    void everyViewFollowsTheState_data();
    void everyViewFollowsTheState();
    void changedOnEveryChoice();
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
    iface::SimulatedInterface sim;
    app::linkStation(fx.main->stationState(), &sim);
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

QTEST_MAIN(TestStationState)
#include "tst_station_state.moc"
