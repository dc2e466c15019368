#include "app/interface_factory.h"
#include "app/program.h"
#include "interface_link/simulated_interface.h"
#include "support/manual_time.h"
#include "support/program_fixture.h"
#include "support/test_support.h"
#include "support/try_wait.h"
#include "virtual_station/scene_controls.h"
#include "virtual_station/virtual_station_window.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using iface::SimulatedInterface;
using sim::Force;
using testing::SimulatedRig;
using virt::VirtualStationWindow;

Q_DECLARE_METATYPE(sim::Force)
Q_DECLARE_METATYPE(station::Station)

namespace
{

constexpr station::Station Handling = station::Station::Stationhandling;
constexpr station::Station Conveyor = station::Station::Transportband;
constexpr station::Station Stack = station::Station::StapelMagazijn;

QPointF sensorCentre(const VirtualStationWindow& w, int input)
{
    const virt::Pose pose = w.currentPose();
    for (const virt::SensorSpot& s : w.sceneLayout().sensors)
        if (s.input == input)
            return virt::placedSensor(s, w.sceneLayout(), pose).body.center();
    return {};
}

QPointF buttonCentre(const VirtualStationWindow& w, virt::Action action)
{
    for (const virt::ButtonSpot& b : w.sceneLayout().buttons)
        if (b.action == action)
            return b.rect.center();
    return {};
}

// The window on the rig's station and link.
std::unique_ptr<VirtualStationWindow> windowOn(SimulatedRig& rig)
{
    return std::make_unique<VirtualStationWindow>(&rig.runner, rig.port.stationLink());
}

void clickAt(VirtualStationWindow& w, QPointF scenePoint)
{
    QTest::mouseClick(&w, Qt::LeftButton, {}, w.toWidget(scenePoint).toPoint());
}

QList<QTimer*> runningTimers(const QObject& o)
{
    QList<QTimer*> running;
    for (QTimer* t : o.findChildren<QTimer*>())
        if (t->isActive())
            running << t;
    return running;
}

} // namespace

class TestVirtualStationWindow : public QObject
{
    Q_OBJECT

  private slots:
    void rodFollowsAnOutput();
    void restingStationRunsNoTimer();
    void partDropsDownTheSlideThenStops();
    void clickCyclesForcing_data();
    void clickCyclesForcing();
    void buttonsLayPartsAndRefill();
    void keyboardReachesTheScene_data();
    void keyboardReachesTheScene();
    void screenReaderReadsTheScene_data();
    void screenReaderReadsTheScene();
    void followsTheStation();
    void letterboxedDrawing();
    void opensWithTheConnection();
    void aboutWindowShowsItAgain();
    void cableButtonPullsTheLink_data();
    void cableButtonPullsTheLink();
    void otherInterfacesGetNoWindow();
    void closingTheMainWindowEndsTheProgram();
};

void TestVirtualStationWindow::rodFollowsAnOutput()
{
    SimulatedRig rig;
    rig.runner.setStation(Handling);
    rig.port.SearchAndConnect();
    const auto w = windowOn(rig);
    const double back = w->currentPose().carriageX;
    QCOMPARE(back, 700.0);

    rig.port.WriteOutputs(1); // carriage to the front
    QVERIFY(rig.time.advanceUntil([&] { return w->currentPose().carriageX < back; }, 2000));
    QVERIFY(rig.time.advanceUntil([&] { return w->currentPose().carriageX == 300.0; }, 3000));
    // The front switch reports it, and the window's lamp reads the same word.
    QVERIFY(rig.time.advanceUntil([&] { return rig.runner.inputs() & 0x02; }, 1000));
}

void TestVirtualStationWindow::restingStationRunsNoTimer()
{
    SimulatedRig rig;
    rig.runner.setStation(Stack);
    rig.port.SearchAndConnect();
    const auto w = windowOn(rig);
    w->show();
    QCoreApplication::processEvents();
    QVERIFY(!rig.runner.isRunning());
    QVERIFY(!w->isAnimating());
    QVERIFY(runningTimers(*w).isEmpty());

    // It moves, then comes to rest again: nothing keeps running.
    rig.port.WriteOutputs(4);
    QVERIFY(rig.runner.isRunning());
    QVERIFY(rig.runToRest(3000));
    QCOMPARE(w->currentPose().pressHeadBottom, 560.0);
    QVERIFY(runningTimers(*w).isEmpty());
    QVERIFY(!w->isAnimating());
}

void TestVirtualStationWindow::partDropsDownTheSlideThenStops()
{
    SimulatedRig rig;
    rig.runner.setStation(Conveyor);
    rig.port.SearchAndConnect();
    const auto w = windowOn(rig);
    QVERIFY(rig.runner.placePart(false));
    rig.port.WriteOutputs(3); // stopper set, belt on
    QVERIFY(rig.time.advanceUntil([&] { return w->currentPose().partsInSlide == 1; }, 5000));
    // The part is seen falling, and it is the plastic part.
    QVERIFY(w->isAnimating());
    const virt::Pose falling = w->currentPose();
    QVERIFY(falling.dropProgress >= 0 && falling.dropProgress <= 1);
    QVERIFY(!falling.dropMetal);
    rig.port.WriteOutputs(0);
    QVERIFY(rig.runToRest());
    TRY_VERIFY_WITH_TIMEOUT(!w->isAnimating(), VirtualStationWindow::DropMs + 1000);
    QCOMPARE(w->currentPose().dropProgress, -1.0);
    QVERIFY(runningTimers(*w).isEmpty());
    QVERIFY(!rig.runner.isRunning());

    // A metal part after it: the bin then shows metal on top.
    QVERIFY(rig.runner.placePart(true));
    rig.port.WriteOutputs(3);
    QVERIFY(rig.time.advanceUntil([&] { return w->currentPose().partsInSlide == 2; }, 5000));
    rig.port.WriteOutputs(0);
    TRY_VERIFY_WITH_TIMEOUT(!w->isAnimating(), VirtualStationWindow::DropMs + 1000);
    QVERIFY(w->currentPose().slideMetal);
}

void TestVirtualStationWindow::clickCyclesForcing_data()
{
    QTest::addColumn<station::Station>("station");
    QTest::addColumn<int>("input");
    QTest::addColumn<QList<Force>>("cycle");
    QTest::addColumn<QList<bool>>("inputOn");

    // The end switch of the pressing cylinder is off at rest.
    QTest::newRow("stack: end switch")
        << Stack << 0 << QList<Force>{Force::On, Force::Off, Force::Free}
        << QList<bool>{true, false, false};
    // The back switch of the handling station is on at rest.
    QTest::newRow("handling: back switch")
        << Handling << 0 << QList<Force>{Force::On, Force::Off, Force::Free}
        << QList<bool>{true, false, true};
    QTest::newRow("handling: up switch on the carriage")
        << Handling << 2 << QList<Force>{Force::On, Force::Off, Force::Free}
        << QList<bool>{true, false, true};
    QTest::newRow("shared: down switch is input 7")
        << station::Station::TransHandling << 6 << QList<Force>{Force::On, Force::Off, Force::Free}
        << QList<bool>{true, false, false};
    QTest::newRow("interface: a switch flips")
        << station::Station::Interface << 4 << QList<Force>{Force::On, Force::Free, Force::On}
        << QList<bool>{true, false, true};
}

void TestVirtualStationWindow::clickCyclesForcing()
{
    QFETCH(station::Station, station);
    QFETCH(int, input);
    QFETCH(QList<Force>, cycle);
    QFETCH(QList<bool>, inputOn);

    SimulatedRig rig;
    rig.runner.setStation(station);
    rig.port.SearchAndConnect();
    const auto window = windowOn(rig);
    VirtualStationWindow& w = *window;
    w.resize(700, 500); // not the scene's proportions: clicks go through the letterbox
    for (int i = 0; i < cycle.size(); ++i) {
        clickAt(w, sensorCentre(w, input));
        QCOMPARE(int(rig.runner.inputForce(input)), int(cycle[i]));
        QCOMPARE(bool(rig.runner.inputs() & (1 << input)), inputOn[i]);
    }
    // Only the clicked input was touched.
    for (int i = 0; i < sim::Simulation::InputCount; ++i)
        if (i != input)
            QCOMPARE(int(rig.runner.inputForce(i)), int(Force::Free));
}

void TestVirtualStationWindow::buttonsLayPartsAndRefill()
{
    testing::ServiceScope services;
    SimulatedRig rig;
    rig.runner.setStation(Conveyor);
    rig.port.SearchAndConnect();
    const auto window = windowOn(rig);
    VirtualStationWindow& w = *window;
    clickAt(w, buttonCentre(w, virt::Action::PlaceMetal));
    QCOMPARE(w.currentPose().beltParts.size(), 1);
    QVERIFY(w.currentPose().beltParts.first().metal);
    QVERIFY(services.messages.shown.isEmpty());
    // The start of the belt is taken: a second part, metal or plastic, is
    // refused, and the pupil is told why.
    for (virt::Action part : {virt::Action::PlacePlastic, virt::Action::PlaceMetal}) {
        services.messages.shown.clear();
        clickAt(w, buttonCentre(w, part));
        QCOMPARE(w.currentPose().beltParts.size(), 1);
        QCOMPARE(services.messages.shown.size(), 1);
        QVERIFY(services.messages.shown.first().text.startsWith(
            QStringLiteral("Er ligt al een bakje aan het begin van de band.")));
    }
    QVERIFY(rig.runner.inputs() & 0x02); // the optical sensor sees it
    // "Band leegmaken" frees the start: the next part is laid at once.
    services.messages.shown.clear();
    clickAt(w, buttonCentre(w, virt::Action::ClearBelt));
    QVERIFY(w.currentPose().beltParts.isEmpty());
    QVERIFY(!(rig.runner.inputs() & 0x02));
    clickAt(w, buttonCentre(w, virt::Action::PlacePlastic));
    QCOMPARE(w.currentPose().beltParts.size(), 1);
    QVERIFY(services.messages.shown.isEmpty());

    rig.runner.setStation(Stack);
    rig.port.WriteOutputs(1); // feed one lid out
    QVERIFY(rig.runToRest(3000));
    rig.port.WriteOutputs(2); // and back: the next lid drops
    QVERIFY(rig.runToRest(3000));
    QCOMPARE(w.currentPose().lidsInMagazine, 5);
    clickAt(w, buttonCentre(w, virt::Action::Refill));
    QCOMPARE(w.currentPose().lidsInMagazine, 6);
}

void TestVirtualStationWindow::keyboardReachesTheScene_data()
{
    QTest::addColumn<station::Station>("station");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("presses");
    QTest::addColumn<QString>("effect"); // "force N F": input N forced F; "belt N"; "lids N"

    QTest::newRow("Space forces a sensor on")
        << Conveyor << "Inductieve sensor" << int(Qt::Key_Space) << 1 << "force 0 1";
    QTest::newRow("Enter twice: broken wire")
        << Conveyor << "Optische sensor" << int(Qt::Key_Return) << 2 << "force 1 2";
    QTest::newRow("a switch on the carriage")
        << Handling << "Eindschakelaar cil. 2 Boven" << int(Qt::Key_Space) << 3 << "force 2 0";
    QTest::newRow("Metalen bakje")
        << Conveyor << "Metalen bakje" << int(Qt::Key_Space) << 1 << "belt 1";
    QTest::newRow("Magazijn vullen")
        << Stack << "Magazijn vullen" << int(Qt::Key_Enter) << 1 << "lids 6";
    QTest::newRow("other keys do nothing")
        << Conveyor << "Metalen bakje" << int(Qt::Key_A) << 1 << "belt 0";
}

// Every control of the scene is on the Tab chain of the window, in the
// order of the accessible tree, and a key presses it.
void TestVirtualStationWindow::keyboardReachesTheScene()
{
    QFETCH(station::Station, station);
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(int, presses);
    QFETCH(QString, effect);

    SimulatedRig rig;
    rig.runner.setStation(station);
    rig.port.SearchAndConnect();
    if (station == Stack) { // one lid fed out and back: the magazine holds 5
        rig.port.WriteOutputs(1);
        QVERIFY(rig.runToRest(3000));
        rig.port.WriteOutputs(2);
        QVERIFY(rig.runToRest(3000));
    }
    const auto window = windowOn(rig);
    VirtualStationWindow& w = *window;
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    QStringList tabs;
    QWidget* f = w.nextInFocusChain();
    for (int guard = 0; guard < 100 && f != &w; ++guard, f = f->nextInFocusChain())
        if (f->focusPolicy() & Qt::TabFocus)
            tabs << QAccessible::queryAccessibleInterface(f)->text(QAccessible::Name);
    // The lamps and counters are read, not tabbed to.
    QStringList tree;
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&w);
    for (int i = 0; i < a->childCount(); ++i)
        if (a->child(i)->state().focusable)
            tree << a->child(i)->text(QAccessible::Name);
    QCOMPARE(tabs, tree);
    QCOMPARE(tree.size(), 2 + w.sceneLayout().sensors.size() + w.sceneLayout().buttons.size());

    QAbstractButton* target = nullptr;
    for (virt::SceneControl* c : w.sceneControls())
        if (c->text() == control)
            target = c;
    QVERIFY2(target, qPrintable(control));
    // It lies over what the mouse clicks for the same action.
    bool invertible = false;
    const QPointF scene = virt::sceneTransform(w.sceneLayout().size, w.size())
                              .inverted(&invertible)
                              .map(QPointF(target->geometry().center()));
    QCOMPARE(virt::hitTest(w.sceneLayout(), w.currentPose(), scene),
             static_cast<virt::SceneControl*>(target)->hit());

    target->setFocus();
    for (int i = 0; i < presses; ++i)
        QTest::keyClick(target, Qt::Key(key));
    const QStringList e = effect.split(QLatin1Char(' '));
    if (e[0] == QLatin1String("force"))
        QCOMPARE(int(rig.runner.inputForce(e[1].toInt())), e[2].toInt());
    else if (e[0] == QLatin1String("belt"))
        QCOMPARE(w.currentPose().beltParts.size(), e[1].toInt());
    else
        QCOMPARE(w.currentPose().lidsInMagazine, e[1].toInt());
}

void TestVirtualStationWindow::screenReaderReadsTheScene_data()
{
    QTest::addColumn<station::Station>("station");
    QTest::addColumn<int>("outputs");
    // Read in this order (others may come between), each "name: value".
    QTest::addColumn<QStringList>("read");
    QTest::newRow("conveyor: the title row, the scene top down, the buttons last")
        << Conveyor << 0x02
        << QStringList{"Kabel los",
                       "Stappenplan",
                       "Ingang 2 Optische sensor: uit",
                       "Uitgang 2 Gelijkstroom motor: aan",
                       "Bakjes in de bak: 0",
                       "Metalen bakje",
                       "Kunststof bakje",
                       "Band leegmaken"};
    QTest::newRow("stack: lamps and counters with their numbers")
        << Stack << 0
        << QStringList{"Ingang 1 Eindschakelaar cilinder 1A: uit", "Uitgang 3 Aandrukcilinder: uit",
                       "In magazijn: 6", "Afgeleverd: 0", "Magazijn vullen"};
    QTest::newRow("combined: the handling station's points three higher")
        << station::Station::TransHandling << 0x08
        << QStringList{"Ingang 4 Eindschakelaar cil. 1 Achter: aan",
                       "Uitgang 4 Verplaatscilinder (uit): aan", "Afgelegd: 0", "Gevallen: 0"};
    QTest::newRow("interface view: a generic name is read once")
        << station::Station::Interface << 0x01
        << QStringList{"Ingang 1: uit", "Ingang 8: uit", "Uitgang 1: aan", "Uitgang 2: uit"};
}

// What a screen reader finds in the window, in the order it reads it.
void TestVirtualStationWindow::screenReaderReadsTheScene()
{
    QFETCH(station::Station, station);
    QFETCH(int, outputs);
    QFETCH(QStringList, read);
    SimulatedRig rig;
    rig.runner.setStation(station);
    rig.port.SearchAndConnect();
    rig.port.WriteOutputs(qint16(outputs));
    const auto window = windowOn(rig);
    window->show();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(window.get());
    QStringList all;
    for (int i = 0; i < a->childCount(); ++i) {
        const QString value = a->child(i)->text(QAccessible::Value);
        all << a->child(i)->text(QAccessible::Name) +
                   (value.isEmpty() ? QString() : QStringLiteral(": ") + value);
    }
    qsizetype at = 0;
    for (const QString& item : read) {
        const qsizetype found = all.indexOf(item, at);
        QVERIFY2(found >= 0, qPrintable(item + QStringLiteral(" not in ") + all.join('|')));
        at = found + 1;
    }
}

void TestVirtualStationWindow::followsTheStation()
{
    SimulatedRig rig;
    const auto window = windowOn(rig);
    VirtualStationWindow& w = *window;
    QCOMPARE(w.sceneLayout().station, station::Station::Interface);
    rig.runner.setStation(Conveyor);
    QCOMPARE(w.sceneLayout().station, station::Station::Transportband);
    rig.runner.setStation(station::Station::TransHandling);
    QCOMPARE(w.sceneLayout().station, station::Station::TransHandling);
    QCOMPARE(w.sceneLayout().handlingShift, 3);
}

void TestVirtualStationWindow::letterboxedDrawing()
{
    SimulatedRig rig;
    rig.runner.setStation(Conveyor);
    const auto window = windowOn(rig);
    VirtualStationWindow& w = *window;
    // A wide window: the scene keeps its proportions, with bars at the sides.
    QImage image(1200, 400, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter p(&image);
    w.paintScene(p, image.size());
    p.end();
    const QColor bar = image.pixelColor(20, 200);
    QCOMPARE(bar, image.pixelColor(1180, 200));
    QCOMPARE(bar, QColor(0xb9, 0xc4, 0xcf));
    // The scene covers 600 px in the middle; its wall is lighter than the bars.
    QVERIFY(image.pixelColor(330, 150).lightness() > bar.lightness());
    QVERIFY(image.pixelColor(870, 150).lightness() > bar.lightness());
}

void TestVirtualStationWindow::opensWithTheConnection()
{
    // The program as main() puts it together.
    testing::ManualTime time;
    testing::ProgramFixture program(false, &time);
    SimulatedInterface& port = program.port;
    Main& main = *program.main;
    VirtualStationWindow* w = program.station;
    QVERIFY(w);
    QCOMPARE(w->objectName(), QStringLiteral("Virtuele_Opstelling"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Virtuele opstelling"));
    QVERIFY(!w->isVisible());
    main.show();

    // "Zoek en verbind" in the main window.
    QSignalSpy changes(&port, &SimulatedInterface::connectionChanged);
    auto* connectButton = main.findChild<QAbstractButton*>(QStringLiteral("CMD_Verbinding"));
    QVERIFY(connectButton);
    connectButton->click();
    TRY_VERIFY(port.isConnected());
    QVERIFY(w->isVisible());
    // It stands beside the main window, not over it, and does not ask for
    // the focus or stay on top.
    QVERIFY(!w->geometry().intersects(main.geometry()) ||
            main.geometry().width() + w->width() > main.screen()->availableGeometry().width());
    // Whole on the screen, and never over the station buttons or Noodstop.
    QVERIFY(main.screen()->availableGeometry().contains(w->frameGeometry()));
    for (const char* name : {"Frame_Dravik_Buttons", "Frame7"}) {
        const auto* c = main.findChild<QWidget*>(QLatin1String(name));
        QVERIFY(c);
        QVERIFY2(!w->frameGeometry().intersects(QRect(c->mapToGlobal(QPoint(0, 0)), c->size())),
                 name);
    }
    QVERIFY(w->testAttribute(Qt::WA_ShowWithoutActivating));
    QVERIFY(!(w->windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(QApplication::activeWindow() != w);

    // The pupil closes it; connecting stays as it is.
    w->close();
    QVERIFY(port.isConnected());

    connectButton->click(); // "Verbreek"
    TRY_VERIFY(!port.isConnected());
    QVERIFY(!w->isVisible());
    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes.at(0).at(0).toBool(), true);
    QCOMPARE(changes.at(1).at(0).toBool(), false);
}

void TestVirtualStationWindow::aboutWindowShowsItAgain()
{
    SimulatedRig rig;
    SimulatedInterface& port = rig.port;
    std::unique_ptr<VirtualStationWindow> w = virt::attachVirtualStation(&port, nullptr);
    QVERIFY(w);
    port.AboutBox();
    QDialog* about = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QLatin1String("SimulatedAbout"))
            about = qobject_cast<QDialog*>(top);
    QVERIFY(about);
    auto* show = about->findChild<QPushButton*>(QStringLiteral("ToonVirtueleOpstelling"));
    QVERIFY(show);
    QCOMPARE(show->text(), QStringLiteral("Toon virtuele opstelling"));
    QVERIFY(!w->isVisible());
    show->click();
    QVERIFY(w->isVisible());
    about->close();
}

void TestVirtualStationWindow::cableButtonPullsTheLink_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("lost");
    QTest::newRow("connected: the link is lost") << true << 1;
    QTest::newRow("not connected: nothing to pull") << false << 0;
}

// "Kabel los" reaches the link behind the window; after it the station
// stays in sight, still holding its outputs.
void TestVirtualStationWindow::cableButtonPullsTheLink()
{
    QFETCH(bool, connected);
    QFETCH(int, lost);
    SimulatedRig rig;
    rig.runner.setStation(Handling);
    QSignalSpy losses(&rig.port, &iface::EasyPortControl::LinkLost);
    std::unique_ptr<VirtualStationWindow> w = virt::attachVirtualStation(&rig.port, nullptr);
    QVERIFY(w);
    w->show();
    if (connected) {
        rig.port.SearchAndConnect();
        rig.port.WriteOutputs(0x01);
    }
    auto* cable = w->findChild<QPushButton*>(QStringLiteral("KnopKabelLos"));
    QVERIFY(cable);
    cable->click();
    rig.settle();
    QCOMPARE(losses.size(), lost);
    QCOMPARE(rig.port.isCableOut(), connected);
    QVERIFY(!rig.port.isConnected());
    QVERIFY(w->isVisible());
    QCOMPARE(int(rig.runner.outputs()), connected ? 0x01 : 0);
}

void TestVirtualStationWindow::otherInterfacesGetNoWindow()
{
    testing::RecordingEasyPort recording;
    QVERIFY(!virt::attachVirtualStation(app::capabilitiesOf(&recording).simulatedStation, nullptr));
    QVERIFY(!virt::attachVirtualStation(nullptr, nullptr));
}

void TestVirtualStationWindow::closingTheMainWindowEndsTheProgram()
{
    SimulatedRig rig;
    SimulatedInterface& port = rig.port;
    QWidget main;
    std::unique_ptr<VirtualStationWindow> w = virt::attachVirtualStation(&port, &main);
    main.show();
    port.SearchAndConnect();
    QVERIFY(w->isVisible());
    // Closing the main window while the station window shows must end the
    // event loop; should it not, the guard ends it after a while.
    bool guarded = false;
    QTimer::singleShot(0, &main, [&main] { main.close(); });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [&guarded, &w] {
        guarded = true;
        w->close();
        QCoreApplication::quit();
    });
    guard.start(3000);
    QApplication::exec();
    QVERIFY(!guarded);
}

QTEST_MAIN(TestVirtualStationWindow)
#include "tst_virtual_station_window.moc"
