// The Noodstop through every box and dialog of the program: while a box
// waits for an answer, a click on the Noodstop and Esc still switch every
// output off at the device, on the simulated interface, a Modbus module and
// the station served to a PLC; everything else of the window waits for the
// box. Clicks and keys go in through the window system's own path, where a
// modal box would block them.

#include "app/program.h"
#include "interface_link/modbus_module.h"
#include "interface_link/simulated_interface.h"
#include "lesson/lesson_file.h"
#include "main_window/main.h"
#include "platform/dialog_gate.h"
#include "plc/plc_interface.h"
#include "plc/plc_server.h"
#include "simulation/station_runner.h"
#include "step_plan/step_plan_window.h"
#include "support/manual_time.h"
#include "support/modbus_peers.h"
#include "support/test_support.h"
#include "support/try_wait.h"
#include "virtual_station/virtual_station_window.h"

#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QDialog>
#include <QModbusTcpClient>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace
{

// One interface with its device, connected and showing `station`.
struct Rig {
    explicit Rig(const QString& kind)
    {
        if (kind == QLatin1String("modbus")) {
            const int p = testing::freeTcpPort();
            QVERIFY(module.start(p));
            iface::ModbusSettings s;
            s.host = QStringLiteral("127.0.0.1");
            s.port = p;
            port = std::make_unique<iface::ModbusModule>(s);
        } else if (kind == QLatin1String("plc")) {
            plc::PlcSettings s;
            s.port = testing::freeTcpPort();
            plcPort = s.port;
            port =
                std::make_unique<plc::PlcInterface>(s, iface::SimulatedSettings{}, time.newClock());
        } else {
            port = std::make_unique<iface::SimulatedInterface>();
        }
        program = std::make_unique<app::Program>(*port);
        main().setQuitHandler([] {});
        main().show();
        button("CMD_Verbinding")->click();
        QVERIFY(main().Verbonden() != 0);
    }
    ~Rig()
    {
        program.reset();
        port.reset();
    }

    Main& main() const { return program->window(); }
    QAbstractButton* button(const QString& name) const
    {
        return main().findChild<QAbstractButton*>(name);
    }
    // What the device holds: the module's coils, or the simulated station's outputs.
    int deviceWord() const
    {
        if (iface::SimulatedStationSource* source = program->capabilities().simulatedStation)
            return source->stationRunner()->outputs();
        return module.coils();
    }
    // A click where the pupil's mouse would land, through the window system.
    void clickOnScreen(QWidget* w) const
    {
        QTest::mouseClick(w->window()->windowHandle(), Qt::LeftButton, {},
                          w->mapTo(w->window(), w->rect().center()));
    }

    testing::ServiceScope services;
    testing::ModbusServerPeer module;
    testing::ManualTime time; // the PLC watchdog waits on it: still
    int plcPort = 0;
    std::unique_ptr<iface::EasyPortControl> port;
    std::unique_ptr<app::Program> program;
};

// Lets loopback traffic run until `done` holds (at most two seconds).
template <typename Done> bool settles(Done done)
{
    QDeadlineTimer deadline(2000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

} // namespace

class TestNoodstopBehindBoxes : public QObject
{
    Q_OBJECT

  private slots:
    void noodstopReachesTheDevice_data();
    void noodstopReachesTheDevice();
    void holdShownInTheMainWindow();
};

void TestNoodstopBehindBoxes::noodstopReachesTheDevice_data()
{
    QTest::addColumn<QString>("interface");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("how");
    const QStringList boxes = {"help",        "interlock",   "plan question",
                               "open dialog", "save dialog", "box over a box"};
    for (const char* iface : {"simulated", "modbus", "plc"}) {
        QStringList kinds = boxes;
        if (QLatin1String(iface) == QLatin1String("plc"))
            kinds << "plc drives";
        if (QLatin1String(iface) == QLatin1String("simulated"))
            kinds << "lesson dialog"
                  << "fault report"
                  << "link lost";
        for (const QString& box : kinds)
            for (const char* how : {"mouse", "Esc"})
                QTest::addRow("%s, %s, %s", iface, qPrintable(box), how) << iface << box << how;
    }
}

void TestNoodstopBehindBoxes::noodstopReachesTheDevice()
{
    QFETCH(QString, interface);
    QFETCH(QString, box);
    QFETCH(QString, how);
    Rig rig(interface);
    if (QTest::currentTestFailed())
        return;
    platform::setMessages(nullptr);
    platform::setFileDialogs(nullptr);
    QTemporaryDir dir;
    Main& main = rig.main();

    // Outputs on, as the pupil switched them, before the box opens.
    QModbusTcpClient plcClient;
    if (box == QLatin1String("interlock")) {
        // Stack magazine: output 2 may go on; output 0 is refused while input 1 is on.
        rig.button("CMD_StapelMagazijn")->click();
        rig.button("CMD_SetReset(2)")->click();
        if (iface::SimulatedStationSource* source = rig.program->capabilities().simulatedStation)
            source->stationRunner()->setInputForce(0, sim::Force::On);
        else
            rig.module.setInputs(1);
        TRY_COMPARE(main.DecimaalIn() & 1, 1);
    } else {
        rig.button("CMD_Transportband")->click();
        rig.button("CMD_SetReset(0)")->click();
        rig.button("CMD_SetReset(1)")->click();
    }
    if (box == QLatin1String("plc drives")) {
        // A PLC takes the outputs over and switches output 3 on as well.
        plcClient.setConnectionParameter(QModbusDevice::NetworkAddressParameter,
                                         QStringLiteral("127.0.0.1"));
        plcClient.setConnectionParameter(QModbusDevice::NetworkPortParameter, rig.plcPort);
        QVERIFY(plcClient.connectDevice());
        TRY_COMPARE(plcClient.state(), QModbusDevice::ConnectedState);
        QModbusDataUnit coils(QModbusDataUnit::Coils, 0, 8);
        coils.setValue(3, 1);
        std::unique_ptr<QModbusReply> reply(plcClient.sendWriteRequest(coils, 1));
        QVERIFY(reply);
        TRY_VERIFY(reply->isFinished());
        QCOMPARE(reply->error(), QModbusDevice::NoError);
    }
    TRY_VERIFY(rig.deviceWord() != 0);

    // What happens while the box is open: the rest of the window waits, the
    // Noodstop acts, and the device confirms it.
    bool acted = false;
    bool closedByEsc = false;
    bool behindTookClick = false;
    int wordInside = -1;
    QTimer watch;
    watch.setInterval(5);
    connect(&watch, &QTimer::timeout, this, [&] {
        QDialog* open = platform::openDialog();
        if (acted || !open || !open->isVisible())
            return;
        if (box == QLatin1String("box over a box") && open->windowTitle() != QLatin1String("Klas"))
            return;
        acted = true;
        const int before = main.DecimaalUit();
        rig.clickOnScreen(rig.button("CMD_SetReset(4)"));
        behindTookClick = main.DecimaalUit() != before;
        if (how == QLatin1String("mouse")) {
            rig.clickOnScreen(rig.button("CMD_ResetAlles"));
        } else {
            QTest::keyClick(open->windowHandle(), Qt::Key_Escape);
            closedByEsc = !open->isVisible();
        }
        // The device's own answer, while the box is still open (a Modbus
        // write takes a round trip).
        // With the cable out nothing reaches the station: the window's own
        // word is all the Noodstop can set.
        if (box == QLatin1String("link lost")) {
            wordInside = main.DecimaalUit();
        } else {
            settles([&rig] { return rig.deviceWord() == 0; });
            wordInside = rig.deviceWord();
        }
        while (QDialog* left = platform::openDialog())
            left->reject();
    });
    watch.start();

    if (box == QLatin1String("help")) {
        rig.button("CMD_Help")->click();
    } else if (box == QLatin1String("interlock")) {
        rig.button("CMD_SetReset(0)")->click();
    } else if (box == QLatin1String("plc drives")) {
        rig.button("CMD_SetReset(0)")->click();
    } else if (box == QLatin1String("link lost")) {
        rig.program->capabilities().simulatedStation->stationLink()->pullCable();
    } else if (box == QLatin1String("box over a box")) {
        QTimer::singleShot(0, &main, [&main] {
            platform::MessageRequest r;
            r.title = QStringLiteral("Klas");
            r.text = QStringLiteral("De docent heeft alles uitgezet.");
            r.inFront = true;
            platform::messages().show(&main, r);
        });
        rig.button("CMD_Help")->click();
    } else {
        plan::StepPlanWindow& plan = rig.program->stepPlan();
        plan.show();
        const auto planButton = [&plan](const char* name) {
            return plan.findChild<QAbstractButton*>(QLatin1String(name));
        };
        if (box == QLatin1String("plan question")) {
            planButton("CMD_Toevoegen")->click();
            planButton("CMD_Nieuw")->click();
        } else if (box == QLatin1String("lesson dialog")) {
            planButton("CMD_OpdrachtOpenen")->click();
        } else if (box == QLatin1String("fault report")) {
            const lesson::ReadResult read = lesson::parseLesson(
                R"({"titel": "Zoek", "station": "Transportband", "tekst": [],
                    "soort": "storing zoeken", "storing": {"ingang": 1, "soort": "draadbreuk"}})",
                QStringLiteral("les.json"));
            QVERIFY(read.lesson);
            QCOMPARE(plan.openLesson(*read.lesson), QString());
            planButton("CMD_StoringMelden")->click();
        } else {
            planButton(box == QLatin1String("open dialog") ? "CMD_Openen" : "CMD_Opslaan")->click();
        }
    }
    // The link-lost box comes from the event loop, after the cable is out.
    if (box == QLatin1String("link lost"))
        settles([&acted] { return acted; });
    watch.stop();
    QVERIFY2(acted, "no box opened");
    QVERIFY2(!behindTookClick, "a button behind the box took a click");
    QCOMPARE(wordInside, 0);
    if (how == QLatin1String("Esc"))
        QVERIFY2(closedByEsc, "Esc left the box open");
    // Nothing written after the box switched anything on again (a word on
    // its way to the module has arrived by the next round trip).
    if (interface == QLatin1String("modbus"))
        QTest::qWait(50);
    if (box != QLatin1String("link lost"))
        QCOMPARE(rig.deviceWord(), 0);
    QCOMPARE(main.DecimaalUit(), 0);
    QVERIFY(!platform::openDialog());
}

// The PLC station's hold is seen and lifted in the main window, with the
// station window closed; its text stays whatever the PLC does, and after it
// the strip stays until the PLC has written every output off.
void TestNoodstopBehindBoxes::holdShownInTheMainWindow()
{
    Rig rig(QStringLiteral("plc"));
    if (QTest::currentTestFailed())
        return;
    if (rig.program->virtualStation())
        rig.program->virtualStation()->close();
    auto* banner = rig.main().findChild<QWidget*>(QStringLiteral("Noodstop_Houdt"));
    QVERIFY(banner);
    QVERIFY(!banner->isVisible());
    const auto writeCoils = [&rig](quint8 word) {
        QModbusTcpClient plc;
        plc.setConnectionParameter(QModbusDevice::NetworkAddressParameter,
                                   QStringLiteral("127.0.0.1"));
        plc.setConnectionParameter(QModbusDevice::NetworkPortParameter, rig.plcPort);
        if (!plc.connectDevice() ||
            !settles([&plc] { return plc.state() == QModbusDevice::ConnectedState; }))
            return false;
        QModbusDataUnit coils(QModbusDataUnit::Coils, 0, 8);
        for (int i = 0; i < 8; ++i)
            coils.setValue(i, (word >> i) & 1);
        std::unique_ptr<QModbusReply> reply(plc.sendWriteRequest(coils, 1));
        // The PLC hangs up after each write.
        return reply && settles([&reply] { return reply->isFinished(); }) &&
               reply->error() == QModbusDevice::NoError;
    };
    rig.button("CMD_Transportband")->click();
    QVERIFY(writeCoils(0x01));
    rig.clickOnScreen(rig.button("CMD_ResetAlles"));
    QVERIFY(banner->isVisible());
    QCOMPARE(rig.deviceWord(), 0);
    // The owner has gone meanwhile: the line still says the Noodstop holds.
    TRY_VERIFY(!static_cast<plc::PlcInterface*>(rig.port.get())->server().ownership().hasOwner());
    QVERIFY2(banner->accessibleDescription().contains(QLatin1String("Noodstop")),
             qPrintable(banner->accessibleDescription()));
    // Over the instruction frame, not over a control of the I/O or the stations.
    const QRect onWindow(banner->mapTo(&rig.main(), QPoint()), banner->size());
    for (const char* name : {"CMD_ResetAlles", "CMD_SetReset(7)", "CMD_TransHandling"}) {
        QWidget* w = rig.main().findChild<QWidget*>(QLatin1String(name));
        QVERIFY(!onWindow.intersects(QRect(w->mapTo(&rig.main(), QPoint()), w->size())));
    }
    rig.clickOnScreen(banner->findChild<QWidget*>(QStringLiteral("Noodstop_Opheffen")));
    QVERIFY(!static_cast<plc::PlcInterface*>(rig.port.get())->isHeld());
    // Lifted, but nothing comes back on until the PLC writes every output off.
    QVERIFY(banner->isVisible());
    QVERIFY(!writeCoils(0x01));
    QCOMPARE(rig.deviceWord(), 0);
    QVERIFY(writeCoils(0x00));
    QVERIFY(!banner->isVisible());
    QVERIFY(writeCoils(0x01));
    QCOMPARE(rig.deviceWord(), 1);
}

QTEST_MAIN(TestNoodstopBehindBoxes)
#include "tst_noodstop_behind_boxes.moc"
