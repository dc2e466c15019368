// Output switching, the interlocks, the reset button and the lamp
// invariant under long random use.
#include "interface_link/simulated_interface.h"
#include "outputs/interlocks.h"
#include "outputs/output_panel.h"
#include "simulation/station_runner.h"
#include "support/program_fixture.h"
#include "support/test_support.h"

#include <QRandomGenerator>
#include <QtTest>

using outputs::Refusal;

Q_DECLARE_METATYPE(station::Station)
using testing::MainFixture;

class TestOutputs : public QObject
{
    Q_OBJECT

  private slots:
    void interlockRules_data();
    void interlockRules();
    void toggleWithoutInterface();
    void setOutputPath_data();
    void setOutputPath();
    void setOutputWhileLeaving();
    void planHostPath_data() { setOutputPath_data(); }
    void planHostPath();
    void planHostWhileLeaving();
    void refusedPress_data();
    void refusedPress();
    void resetButton();
    void resetButtonRelabels_data();
    void resetButtonRelabels();
    void randomUseKeepsInvariants();
    void exitsReachDefaultInterface();
};

void TestOutputs::interlockRules_data()
{
    QTest::addColumn<station::Station>("inView");
    using S = station::Station;
    QTest::addColumn<int>("output");
    QTest::addColumn<bool>("on");
    QTest::addColumn<int>("inputs");
    QTest::addColumn<int>("outputsBefore");
    QTest::addColumn<int>("refusal");
    const int none = int(Refusal::None);
    const int m1 = int(Refusal::PressingCylinderOut);
    const int m2 = int(Refusal::GripperCylinderOut);
    QTest::newRow("stapel 0 on, input 0") << S::StapelMagazijn << 0 << true << 1 << 0 << m1;
    QTest::newRow("stapel 0 on, input 0 among others")
        << S::StapelMagazijn << 0 << true << 0xF1 << 0 << m1;
    QTest::newRow("stapel 0 on, input 0 off")
        << S::StapelMagazijn << 0 << true << 0xFE << 0 << none;
    QTest::newRow("stapel 0 off, input 0") << S::StapelMagazijn << 0 << false << 1 << 1 << none;
    QTest::newRow("stapel 2 on, input 0") << S::StapelMagazijn << 2 << true << 1 << 0 << none;
    QTest::newRow("stapel 1 on, input 0") << S::StapelMagazijn << 1 << true << 1 << 0 << none;
    QTest::newRow("stapel 1 off while 0 on, input 0")
        << S::StapelMagazijn << 1 << false << 1 << 3 << m1;
    QTest::newRow("stapel 1 off while 0 off, input 0")
        << S::StapelMagazijn << 1 << false << 1 << 2 << none;
    QTest::newRow("stapel 1 off while 0 on, input 0 off")
        << S::StapelMagazijn << 1 << false << 0 << 3 << none;
    QTest::newRow("handling 0 on, input 3") << S::Stationhandling << 0 << true << 8 << 0 << m2;
    QTest::newRow("handling 0 off, input 3") << S::Stationhandling << 0 << false << 8 << 1 << m2;
    QTest::newRow("handling 1 on, input 3") << S::Stationhandling << 1 << true << 8 << 0 << m2;
    QTest::newRow("handling 1 off, input 3") << S::Stationhandling << 1 << false << 8 << 2 << m2;
    QTest::newRow("handling 2 on, input 3") << S::Stationhandling << 2 << true << 8 << 0 << none;
    QTest::newRow("handling 0 on, input 3 off")
        << S::Stationhandling << 0 << true << 0xF7 << 0 << none;
    QTest::newRow("conveyor never") << S::Transportband << 0 << true << 0xFF << 0 << none;
    QTest::newRow("combined never") << S::TransHandling << 1 << true << 0xFF << 0 << none;
    QTest::newRow("interface view never") << S::Interface << 0 << true << 0xFF << 0 << none;
    QTest::newRow("start never") << S::Start << 0 << true << 0xFF << 0 << none;
}

void TestOutputs::interlockRules()
{
    QFETCH(station::Station, inView);
    QFETCH(int, output);
    QFETCH(bool, on);
    QFETCH(int, inputs);
    QFETCH(int, outputsBefore);
    QFETCH(int, refusal);
    QCOMPARE(int(outputs::interlock(inView, output, on, inputs, outputsBefore)), refusal);
}

void TestOutputs::toggleWithoutInterface()
{
    MainFixture fx;
    fx.click("CMD_SetReset(2)");
    QCOMPARE(fx.main->DecimaalUit(), 4);
    QCOMPARE(fx.prop("Shape_Lampje(2)", "FillColor").toUInt(), 65535u);
    QCOMPARE(fx.port.written.last(), qint16(4));
    fx.click("CMD_SetReset(2)");
    QCOMPARE(fx.main->DecimaalUit(), 0);
    QCOMPARE(fx.prop("Shape_Lampje(2)", "FillColor").toUInt(), 8421504u);
    QCOMPARE(fx.port.written.last(), qint16(0));
    QCOMPARE(fx.services.sounds.names(), QStringList({"Klik 01.wav", "Klik 01.wav"}));
}

// The one path every switch of an output takes (buttons, keys, plans):
// refused or not, the word is written once and the click sounds; only a
// pupil's press gets the refusal box.
void TestOutputs::setOutputPath_data()
{
    QTest::addColumn<QString>("station");
    QTest::addColumn<int>("inputs");
    QTest::addColumn<int>("before"); // output word set up first
    QTest::addColumn<int>("output");
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("box");
    QTest::addColumn<int>("refusal");
    QTest::addColumn<int>("after");
    const int none = int(Refusal::None);
    const int pressing = int(Refusal::PressingCylinderOut);
    const int gripper = int(Refusal::GripperCylinderOut);
    QTest::newRow("on") << "CMD_Transportband" << 0 << 0 << 1 << true << true << none << 2;
    QTest::newRow("off") << "CMD_Transportband" << 0 << 3 << 0 << false << true << none << 2;
    QTest::newRow("on again: word kept, still written")
        << "CMD_Transportband" << 0 << 2 << 1 << true << true << none << 2;
    QTest::newRow("refused with box")
        << "CMD_StapelMagazijn" << 1 << 0 << 0 << true << true << pressing << 0;
    QTest::newRow("refused, caller shows it")
        << "CMD_StapelMagazijn" << 1 << 0 << 0 << true << false << pressing << 0;
    QTest::newRow("refused off, caller shows it")
        << "CMD_Stationhandling" << 8 << 2 << 1 << false << false << gripper << 2;
    QTest::newRow("allowed without box")
        << "CMD_Stationhandling" << 8 << 0 << 4 << true << false << none << 16;
}

void TestOutputs::setOutputPath()
{
    QFETCH(QString, station);
    QFETCH(int, inputs);
    QFETCH(int, before);
    QFETCH(int, output);
    QFETCH(bool, on);
    QFETCH(bool, box);
    QFETCH(int, refusal);
    QFETCH(int, after);
    MainFixture fx;
    fx.click(station);
    OutputPanel& panel = fx.main->outputPanel();
    for (int i = 0; i < 8; ++i)
        if (before & (1 << i))
            panel.setOutput(i, true);
    fx.port.raiseInputs(inputs);
    fx.port.written.clear();
    fx.services.sounds.played.clear();
    const auto feedback = box ? OutputPanel::Feedback::Box : OutputPanel::Feedback::NoBox;
    QCOMPARE(int(panel.setOutput(output, on, feedback)), refusal);
    QCOMPARE(panel.outputWord(), after);
    QCOMPARE(fx.main->DecimaalUit(), after);
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(panel.isOn(i), bool(after & (1 << i)));
        QCOMPARE(fx.prop(QStringLiteral("Shape_Lampje(%1)").arg(i), "FillColor").toUInt(),
                 after & (1 << i) ? 65535u : 8421504u);
    }
    QCOMPARE(fx.port.written, QVector<qint16>{qint16(after)});
    QCOMPARE(fx.services.sounds.names(), QStringList{"Klik 01.wav"});
    const bool boxShown = refusal != int(Refusal::None) && box;
    QCOMPARE(fx.services.messages.shown.size(), boxShown ? 1 : 0);
}

// Leaving the program: no output switches on any more and nothing is
// written after the all-off word; an index outside 0..7 is ignored.
void TestOutputs::setOutputWhileLeaving()
{
    MainFixture fx;
    OutputPanel& panel = fx.main->outputPanel();
    QCOMPARE(int(panel.setOutput(8, true)), int(Refusal::None));
    QCOMPARE(int(panel.setOutput(-1, true)), int(Refusal::None));
    QVERIFY(fx.port.written.isEmpty());
    fx.main->exitProgram();
    const QVector<qint16> written = fx.port.written;
    QCOMPARE(written, QVector<qint16>{0});
    panel.setOutput(2, true, OutputPanel::Feedback::NoBox);
    QCOMPARE(panel.outputWord(), 0);
    QCOMPARE(fx.port.written, written);

    // Left while the refusal box is open: the word is not written again after the all-off.
    MainFixture boxed;
    boxed.click("CMD_Stationhandling");
    boxed.port.raiseInputs(8);
    boxed.port.written.clear();
    boxed.services.messages.onShow = [&boxed](const platform::MessageRequest&) {
        boxed.main->exitProgram();
    };
    boxed.click("CMD_SetReset(0)");
    QCOMPARE(boxed.port.written, QVector<qint16>{0});
}

// A plan switches by the window's rules, row for row: the same refusal,
// the same word, written once with one click, also when refused or
// unchanged, and never a box.
void TestOutputs::planHostPath()
{
    QFETCH(QString, station);
    QFETCH(int, inputs);
    QFETCH(int, before);
    QFETCH(int, output);
    QFETCH(bool, on);
    QFETCH(int, refusal);
    QFETCH(int, after);
    testing::ManualTime time;
    testing::ProgramFixture fx(false, &time);
    const QHash<QString, station::Station> stations = {
        {"CMD_StapelMagazijn", station::Station::StapelMagazijn},
        {"CMD_Transportband", station::Station::Transportband},
        {"CMD_Stationhandling", station::Station::Stationhandling}};
    fx.click(station);
    QCOMPARE(fx.simulated().simulation().station(), stations.value(station));
    fx.click("CMD_Verbinding");
    QCOMPARE(fx.main->Verbonden(), -1);
    // The first input report comes queued after the connect; the outputs
    // before are switched with no sensor on.
    time.advance(0);
    emit fx.port.InputsChanged(0, 0, 0);
    for (int i = 0; i < 8; ++i)
        if (before & (1 << i))
            fx.planHost->setOutput(i, true);
    // The word the interlocks read, as a device reports it.
    emit fx.port.InputsChanged(0, 0, inputs);
    QCOMPARE(fx.planHost->inputWord(), inputs);
    QSignalSpy switched(&fx.main->outputPanel().outputSwitch(), &outputs::OutputSwitch::switched);
    fx.services.sounds.played.clear();
    fx.services.messages.shown.clear();
    QCOMPARE(int(fx.planHost->setOutput(output, on)), refusal);
    QCOMPARE(fx.planHost->outputWord(), after);
    QCOMPARE(int(fx.simulated().outputs()), after);
    QCOMPARE(switched.size(), 1);
    QCOMPARE(switched.first().at(2).value<Refusal>(), Refusal(refusal));
    QCOMPARE(fx.services.sounds.names(), QStringList{"Klik 01.wav"});
    QVERIFY(fx.services.messages.shown.isEmpty());
}

// Leaving: everything off before the plan hears of it, and nothing
// switches or reaches the device after that.
void TestOutputs::planHostWhileLeaving()
{
    testing::ManualTime time;
    testing::ProgramFixture fx(false, &time);
    fx.click("CMD_Transportband");
    fx.click("CMD_Verbinding");
    time.advance(0);
    fx.planHost->setOutput(1, true);
    QCOMPARE(int(fx.simulated().outputs()), 2);
    int wordWhenTold = -1;
    QObject::connect(fx.planHost, &plan::PlanHost::programEnding, fx.planHost,
                     [&] { wordWhenTold = int(fx.simulated().outputs()); });
    // A plan that reacts to the all-off word by switching again gets nowhere.
    QObject::connect(&fx.main->outputPanel().outputSwitch(), &outputs::OutputSwitch::wordChanged,
                     fx.planHost, [&](int word) {
                         if (word == 0)
                             fx.planHost->setOutput(3, true);
                     });
    fx.main->exitProgram();
    QCOMPARE(wordWhenTold, 0);
    QCOMPARE(fx.planHost->outputWord(), 0);
    QCOMPARE(fx.quits, 1);
    QSignalSpy switched(&fx.main->outputPanel().outputSwitch(), &outputs::OutputSwitch::switched);
    fx.services.sounds.played.clear();
    QCOMPARE(int(fx.planHost->setOutput(2, true)), int(Refusal::None));
    QCOMPARE(fx.planHost->outputWord(), 0);
    QCOMPARE(int(fx.simulated().outputs()), 0);
    QCOMPARE(switched.size(), 0);
    QVERIFY(fx.services.sounds.played.isEmpty());
}

void TestOutputs::refusedPress_data()
{
    QTest::addColumn<QString>("station");
    QTest::addColumn<int>("inputs");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("stack magazine")
        << "CMD_StapelMagazijn" << 1 << "De aandrukcilinder is uitgeschoven.";
    QTest::newRow("handling station")
        << "CMD_Stationhandling" << 8 << "De grijpercilinder is uitgeschoven.";
}

void TestOutputs::refusedPress()
{
    QFETCH(QString, station);
    QFETCH(int, inputs);
    QFETCH(QString, firstLine);
    MainFixture fx;
    fx.click(station);
    fx.port.raiseInputs(inputs);
    fx.services.sounds.played.clear();
    fx.port.written.clear();
    QStringList order;
    fx.services.messages.onShow = [&](const platform::MessageRequest&) {
        order << QStringLiteral("box, %1 writes").arg(fx.port.written.size());
    };
    fx.click("CMD_SetReset(0)");
    QCOMPARE(fx.services.messages.shown.size(), 1);
    const platform::MessageRequest& box = fx.services.messages.shown.first();
    QCOMPARE(box.title, QStringLiteral("Beweging iet toegestaan!"));
    QCOMPARE(box.text, firstLine + "\r\rHorizontaal mag de grijper nu niet verplaatst worden.");
    QCOMPARE(int(box.icon), int(platform::MessageIcon::None));
    QCOMPARE(int(box.buttons), int(platform::MessageButtons::Ok));
    // Nothing changed, but the unchanged word still went out after the box.
    QCOMPARE(order, QStringList{"box, 0 writes"});
    QCOMPARE(fx.main->DecimaalUit(), 0);
    QCOMPARE(fx.prop("Shape_Lampje(0)", "FillColor").toUInt(), 8421504u);
    QCOMPARE(fx.port.written, QVector<qint16>{0});
    QCOMPARE(fx.services.sounds.names(), QStringList{"Klik 01.wav"});
}

void TestOutputs::resetButton()
{
    MainFixture fx;
    fx.click("CMD_Stationhandling");
    fx.click("CMD_SetReset(0)");
    fx.click("CMD_SetReset(4)");
    fx.port.raiseInputs(8); // now outputs 0 and 1 are locked
    fx.click("CMD_SetReset(0)");
    QCOMPARE(fx.main->DecimaalUit(), 1 + 16);
    fx.services.sounds.played.clear();
    fx.click("CMD_ResetAlles");
    QCOMPARE(fx.main->DecimaalUit(), 0);
    QCOMPARE(fx.port.written.last(), qint16(0));
    for (int i = 0; i < 8; ++i)
        QCOMPARE(fx.prop(QStringLiteral("Shape_Lampje(%1)").arg(i), "FillColor").toUInt(),
                 8421504u);
    QVERIFY(fx.services.sounds.played.isEmpty());
}

void TestOutputs::resetButtonRelabels_data()
{
    QTest::addColumn<QString>("station");
    QTest::addColumn<QString>("output0");
    QTest::addColumn<QString>("input1");
    QTest::newRow("interface view") << "CMD_Interfacing"
                                    << "Uitgang 1"
                                    << "Ingang 2";
    QTest::newRow("conveyor") << "CMD_Transportband"
                              << "Magneetspoel stopper"
                              << "Optische sensor";
    QTest::newRow("combined: its own names") << "CMD_TransHandling"
                                             << "Magneetspoel stopper"
                                             << "Optische sensor";
}

void TestOutputs::resetButtonRelabels()
{
    QFETCH(QString, station);
    QFETCH(QString, output0);
    QFETCH(QString, input1);
    MainFixture fx;
    fx.click(station);
    fx.control("CMD_SetReset(0)")->setProperty("Caption", "scribble");
    fx.control("Label_Ingang(1)")->setProperty("Caption", "scribble");
    fx.click("CMD_ResetAlles");
    QCOMPARE(fx.prop("CMD_SetReset(0)", "Caption").toString(), output0);
    QCOMPARE(fx.prop("Label_Ingang(1)", "Caption").toString(), input1);
}

// Pupils click fast and everywhere: after every action lamp i is yellow
// exactly when output i is on, only the eight output bits are ever used,
// the device holds the window's word, and the interlocks refuse exactly
// what they must.
void TestOutputs::randomUseKeepsInvariants()
{
    MainFixture fx;
    const quint32 seed = 20261208;
    QRandomGenerator rng(seed);
    const QStringList stations = {"CMD_StapelMagazijn", "CMD_Transportband", "CMD_Stationhandling",
                                  "CMD_TransHandling", "CMD_Interfacing"};
    for (int step = 0; step < 5000; ++step) {
        const int kind = rng.bounded(10);
        const int before = fx.main->DecimaalUit();
        const int inputs = fx.main->DecimaalIn();
        const QString caption = fx.prop("FrameModule", "Caption").toString();
        const int refusedBefore = fx.services.messages.shown.size();
        int pressed = -1;
        if (kind < 6) {
            pressed = rng.bounded(8);
            auto* b = fx.control<QWidget>(QStringLiteral("CMD_SetReset(%1)").arg(pressed));
            if (!b->isEnabled())
                pressed = -1;
            else
                fx.click(b->objectName());
        } else if (kind == 6) {
            fx.port.raiseInputs(qint32(rng.generate()));
        } else if (kind == 7) {
            fx.click(stations[rng.bounded(stations.size())]);
        } else if (kind == 8) {
            fx.click("CMD_ResetAlles");
        } else {
            fx.main->ResetAll();
        }
        const int word = fx.main->DecimaalUit();
        const QByteArray where =
            QByteArray("seed ") + QByteArray::number(seed) + " step " + QByteArray::number(step);
        QVERIFY2((word & ~0xFF) == 0, where);
        for (int i = 0; i < 8; ++i) {
            const bool yellow =
                fx.prop(QStringLiteral("Shape_Lampje(%1)").arg(i), "FillColor").toUInt() == 65535u;
            QVERIFY2(yellow == bool(word & (1 << i)), where);
        }
        QVERIFY2((fx.port.written.isEmpty() ? 0 : fx.port.written.last()) == word, where);
        if (pressed >= 0) {
            const bool refused = fx.services.messages.shown.size() > refusedBefore;
            const bool mustRefuse =
                outputs::interlock(
                    station::fromDisplayName(caption).value_or(station::Station::Interface),
                    pressed, !(before & (1 << pressed)), inputs, before) != Refusal::None;
            QVERIFY2(refused == mustRefuse, where);
            QVERIFY2(word == (refused ? before : before ^ (1 << pressed)), where);
        }
        int green = 0;
        for (const QString& s : stations)
            green += fx.prop(s, "BackColor").toUInt() == 8454016u;
        QVERIFY2(green == 1, where);
    }
}

void TestOutputs::exitsReachDefaultInterface()
{
    testing::ServiceScope services;
    iface::SimulatedInterface port;
    Main main(&port);
    int quits = 0;
    main.setQuitHandler([&] { ++quits; });
    QVERIFY(port.SearchAndConnect() != 0);
    main.SetEasyPort();
    main.findChild<QAbstractButton*>("CMD_SetReset(3)")->click();
    main.findChild<QAbstractButton*>("CMD_SetReset(6)")->click();
    QCOMPARE(port.stationRunner()->outputs(), 8 + 64);
    main.findChild<QAbstractButton*>("CMD_Afsluiten")->click();
    QCOMPARE(port.stationRunner()->outputs(), 0);
    QCOMPARE(quits, 1);
}

QTEST_MAIN(TestOutputs)
#include "tst_outputs.moc"
