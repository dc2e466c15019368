// The program as app::Program puts it together: what it builds depends on
// the interface and the class settings only.
#include "app/program.h"
#include "interface_link/simulated_interface.h"
#include "klas/klas_messages.h"
#include "klas/mqtt_client.h"
#include "klas/pupil_session.h"
#include "lesson/lesson_file.h"
#include "main_window/main.h"
#include "main_window/main_plan_host.h"
#include "step_plan/lesson_pane.h"
#include "step_plan/step_plan_window.h"
#include "support/class_broker.h"
#include "support/test_support.h"
#include "support/try_wait.h"
#include "virtual_station/virtual_station_window.h"

#include <QSignalSpy>

#include <QAbstractButton>
#include <QtTest>

class TestProgram : public QObject
{
    Q_OBJECT

  private slots:
    void wiringFollowsTheInterface_data();
    void wiringFollowsTheInterface();
    void unusableClassSaidOnceAfterStart();
    void theClassLessonOpensAndItsCheckIsSent();
};

void TestProgram::wiringFollowsTheInterface_data()
{
    QTest::addColumn<bool>("simulated");
    QTest::newRow("simulated interface") << true;
    QTest::newRow("another interface") << false;
}

// Only a simulated station gets the virtual station and follows the
// station in view, and its button in the main window brings it back; the
// step plan sees the window's station and opens from its button either way,
// and without [klas] there is no class session.
void TestProgram::wiringFollowsTheInterface()
{
    QFETCH(bool, simulated);
    testing::ServiceScope services;
    std::unique_ptr<iface::EasyPortControl> port;
    if (simulated)
        port = std::make_unique<iface::SimulatedInterface>();
    else
        port = std::make_unique<testing::RecordingEasyPort>();
    auto* sim = qobject_cast<iface::SimulatedInterface*>(port.get());
    app::Program program(std::move(port));
    QCOMPARE(program.virtualStation() != nullptr, simulated);
    QVERIFY(!program.classSession());
    if (sim)
        QCOMPARE(sim->stationRunner()->station(), station::Station::Interface);
    program.window().findChild<QAbstractButton*>(QStringLiteral("CMD_Transportband"))->click();
    if (sim)
        QCOMPARE(sim->stationRunner()->station(), station::Station::Transportband);
    QCOMPARE(program.planHost().station(), station::Station::Transportband);

    Main& main = program.window();
    main.CMD_Stappenplan->click();
    QVERIFY(program.stepPlan().isVisible());
    QCOMPARE(main.CMD_VirtueleOpstelling->isEnabled(), simulated);
    if (simulated) {
        main.CMD_VirtueleOpstelling->click();
        QVERIFY(program.virtualStation()->isVisible());
    } else {
        QVERIFY(main.CMD_VirtueleOpstelling->shownToolTip().contains(
            QStringLiteral("zonder virtuele opstelling")));
    }
    QVERIFY(services.messages.shown.isEmpty());
}

// A [klas] group that cannot be used: the program works without the class
// and says so once, when the window is up, not while it is being built.
void TestProgram::unusableClassSaidOnceAfterStart()
{
    testing::ServiceScope services;
    iface::SimulatedInterface port;
    klas::KlasSettings klas;
    klas.present = true;
    klas.problem = QStringLiteral("In [klas] ontbreekt host.");
    app::Program program(port, klas);
    QVERIFY(!program.classSession());
    QVERIFY(services.messages.shown.isEmpty());
    TRY_COMPARE(services.messages.shown.size(), 1);
    QCOMPARE(services.messages.shown.first().text,
             QStringLiteral("In [klas] ontbreekt host.\r\rHet programma werkt zonder de klas."));
    QTest::qWait(20);
    QCOMPARE(services.messages.shown.size(), 1);
}

// The teacher's lesson opens in Stappenplan and "Controleer" sends the
// result; nothing of it switches an output.
void TestProgram::theClassLessonOpensAndItsCheckIsSent()
{
    testing::ServiceScope services;
    testing::ClassBroker broker;
    QVERIFY2(broker.start(1), qPrintable(broker.error()));
    klas::MqttClient::Options o;
    o.host = QStringLiteral("127.0.0.1");
    o.port = broker.port();
    o.user = QStringLiteral("docent");
    o.password = broker.password(o.user);
    o.clientId = QStringLiteral("docent-program-test");
    klas::MqttClient teacher(o);
    QSignalSpy arrived(&teacher, &klas::MqttClient::messageArrived);
    teacher.subscribe(klas::resultTopic(broker.klas(), QStringLiteral("pc01")), 1);
    teacher.start();
    TRY_VERIFY(teacher.isConnected());
    const QByteArray lessonJson =
        R"({"titel":"Uit na afloop","station":"Transportband","tekst":["Alles uit."],
            "scenarios":[{"naam":"Een","seconden":1,"eisen":{"uitgangenUit":true}}]})";
    QVERIFY(teacher.publish(klas::lessonTopic(broker.klas()),
                            klas::encodeLesson(QStringLiteral("les00001"), lessonJson), 1, true));

    iface::SimulatedInterface port;
    klas::KlasSettings klas;
    klas.present = true;
    klas.host = o.host;
    klas.port = o.port;
    klas.gebruiker = QStringLiteral("pc01");
    klas.wachtwoord = broker.password(klas.gebruiker);
    klas.naam = QStringLiteral("Anna");
    klas.klas = broker.klas();
    app::Program program(port, klas);
    QVERIFY(program.classSession());
    // Built when the lesson opens the window.
    const auto pane = [&program] { return program.stepPlan().findChild<plan::LessonPane*>(); };
    TRY_VERIFY(pane() && pane()->hasLesson());
    QCOMPARE(pane()->currentLesson()->title, QStringLiteral("Uit na afloop"));
    QVERIFY(program.stepPlan().isVisible());
    QVERIFY(pane()->check());
    TRY_COMPARE(arrived.size(), 1);
    const std::optional<klas::LessonResult> r = klas::decodeResult(arrived[0][1].toByteArray());
    QVERIFY(r);
    QCOMPARE(r->id, QStringLiteral("les00001"));
    QCOMPARE(r->pogingen, 1);
    QCOMPARE(program.window().DecimaalUit(), 0);

    // The teacher's hidden faults reach the inputs the pupil sees as the
    // right kinds: input 3 a broken wire (off), input 5 a short (on).
    Main& main = program.window();
    main.CMD_Verbinding->click();
    TRY_VERIFY(main.Verbonden() != 0);
    klas::Faults faults;
    faults.input[2] = klas::Fault::OpenCircuit;
    faults.input[4] = klas::Fault::ShortCircuit;
    QVERIFY(teacher.publish(klas::faultTopic(broker.klas(), QStringLiteral("pc01")),
                            klas::encodeFaults(faults), 1, false));
    TRY_COMPARE(main.DecimaalIn() & 0b10100, 0b10000);
    QVERIFY(teacher.publish(klas::lessonTopic(broker.klas()), QByteArray(), 1, true));
}

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
