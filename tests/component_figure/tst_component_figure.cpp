#include "component_figure/component_panel.h"
#include "component_figure/figure_tables.h"
#include "fullscreen/full_screen.h"
#include "support/test_support.h"
#include "support/warning_log.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QtTest>

using testing::MainFixture;

namespace
{

// The file name of the picture an image shows ("" when none).
QString shownFile(const ctl::Image* image)
{
    return image->Picture().isEmpty() ? QString() : QFileInfo(image->Picture()).fileName();
}

} // namespace

class TestComponentFigure : public QObject
{
    Q_OBJECT
  private slots:
    void componentTable_data();
    void componentTable();
    void alternation_data();
    void alternation();
    void restoreHighlight_data();
    void restoreHighlight();
    void highlighted_data();
    void highlighted();
    void hoverShowsComponent_data();
    void hoverShowsComponent();
    void hoverSamePointDoesNothing();
    void interfacePanelLoadedOnce();
    void valveAlternatesOnTicks();
    void inputStopsAlternation();
    void outOfRangePointIgnored();
    void missingPictureLeavesEmptyImage();
    void versionMessage();
    void stationPictureClick_data();
    void stationPictureClick();
};

void TestComponentFigure::componentTable_data()
{
    QTest::addColumn<int>("station");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("picture"); // "" : no component there
    QTest::addColumn<QString>("kind");

    const int T = int(station::Station::Transportband), S = int(station::Station::StapelMagazijn),
              H = int(station::Station::Stationhandling), C = int(station::Station::TransHandling);
    const QString stopper = "Transportband Magneetspoel Stopper.bmp";
    const QString motor = "Transportband Elektro Motor.bmp";
    const QString relais = "Transportband Relais.bmp";
    const QString induct = "Transportband Inductieve Sensor.bmp";
    const QString optic = "Transportband Optische Sensor.bmp";
    const QString magn = "Stapel magazijn Magnetische Sensor.bmp";
    const QString adn = "Cilinder Dubbelwerkend ADN.bmp";
    const QString adnB = "Cilinder Dubbelwerkend ADN Bediend.bmp";
    const QString grip = "Station handling Grijper.bmp";
    const QString adnK = "Dubbelwerkende cilinder ADN";

    QTest::newRow("band 0") << T << 0 << stopper << "Magneetspoel stopper";
    QTest::newRow("band 1") << T << 1 << motor << "Gelijkstroom motor";
    QTest::newRow("band 2") << T << 2 << relais << "Motor relais";
    QTest::newRow("band 3 unused") << T << 3 << ""
                                   << "";
    QTest::newRow("band 7 unused") << T << 7 << ""
                                   << "";
    QTest::newRow("band 8") << T << 8 << induct << "Inductieve sensor";
    QTest::newRow("band 9") << T << 9 << optic << "Optische sensor";
    QTest::newRow("band 10 unused") << T << 10 << ""
                                    << "";

    QTest::newRow("stapel 0") << S << 0 << "Cilinder dubbelwerkend.bmp"
                              << "Dubbelwerkende cilinder";
    QTest::newRow("stapel 1") << S << 1 << "Cilinder dubbelwerkend.bmp"
                              << "Dubbelwerkende cilinder";
    QTest::newRow("stapel 2") << S << 2 << "Cilinder enkelwerkend.bmp"
                              << "Enkelwerkende cilinder";
    QTest::newRow("stapel 3 unused") << S << 3 << ""
                                     << "";
    QTest::newRow("stapel 8") << S << 8 << magn << "Magnetische sensor";
    QTest::newRow("stapel 9 unused") << S << 9 << ""
                                     << "";

    QTest::newRow("handling 0") << H << 0 << adnB << adnK;
    QTest::newRow("handling 1") << H << 1 << adn << adnK;
    QTest::newRow("handling 2") << H << 2 << adnB << adnK;
    QTest::newRow("handling 3") << H << 3 << adn << adnK;
    QTest::newRow("handling 4") << H << 4 << grip << "Grijper";
    QTest::newRow("handling 5 unused") << H << 5 << ""
                                       << "";
    for (int i = 8; i <= 11; ++i)
        QTest::addRow("handling %d", i) << H << i << magn << "Magnetische sensor";
    QTest::newRow("handling 12 unused") << H << 12 << ""
                                        << "";

    QTest::newRow("combined 0") << C << 0 << stopper << "Magneetspoel stopper";
    QTest::newRow("combined 1") << C << 1 << motor << "Gelijkstroom motor";
    QTest::newRow("combined 2") << C << 2 << relais << "Motor relais";
    QTest::newRow("combined 3") << C << 3 << adnB << adnK;
    QTest::newRow("combined 4") << C << 4 << adn << adnK;
    QTest::newRow("combined 5") << C << 5 << adnB << adnK;
    QTest::newRow("combined 6") << C << 6 << adn << adnK;
    QTest::newRow("combined 7") << C << 7 << grip << "Grijper";
    QTest::newRow("combined 8") << C << 8 << induct << "Inductieve sensor";
    QTest::newRow("combined 9") << C << 9 << optic << "Optische sensor";
    QTest::newRow("combined 10 unused") << C << 10 << ""
                                        << "";
    for (int i = 11; i <= 14; ++i)
        QTest::addRow("combined %d", i) << C << i << magn << "Magnetische sensor";
    QTest::newRow("combined 15 unused") << C << 15 << ""
                                        << "";

    QTest::newRow("interface has no table") << int(station::Station::Interface) << 0 << ""
                                            << "";
}

void TestComponentFigure::componentTable()
{
    QFETCH(int, station);
    QFETCH(int, index);
    QFETCH(QString, picture);
    QFETCH(QString, kind);
    const std::optional<fig::Component> c = fig::componentFor(station::Station(station), index);
    QCOMPARE(c.has_value(), !picture.isEmpty());
    if (c) {
        QCOMPARE(c->picture, picture);
        QCOMPARE(c->kind, kind);
    }
}

void TestComponentFigure::alternation_data()
{
    QTest::addColumn<QString>("start");
    // Two ticks: the kind and picture after each ("" picture: no row).
    QTest::addColumn<QString>("kind1");
    QTest::addColumn<QString>("picture1");
    QTest::addColumn<QString>("kind2");
    QTest::addColumn<QString>("picture2");

    const QString mono = "Stapel magazijn 4-2 Ventiel Mono stabiel.bmp";
    const QString bi = "Stapel magazijn 4-2 Ventiel Bistabiel.bmp";
    QTest::newRow("single-acting") << "Enkelwerkende cilinder"
                                   << "4-2 Ventiel monostabiel" << mono << "Enkelwerkende cilinder"
                                   << "Cilinder enkelwerkend.bmp";
    QTest::newRow("double-acting") << "Dubbelwerkende cilinder"
                                   << "4-2 Ventiel bistabiel" << bi << "Dubbelwerkende cilinder"
                                   << "Cilinder dubbelwerkend.bmp";
    QTest::newRow("guided cylinder returns at rest")
        << "Dubbelwerkende cilinder ADN"
        << "4-2 Ventiel bistabiel ADN" << bi << "Dubbelwerkende cilinder ADN"
        << "Cilinder Dubbelwerkend ADN.bmp";
    QTest::newRow("gripper") << "Grijper"
                             << "4-2 Ventiel Mono stabiel Grijper" << mono << "Grijper"
                             << "Station handling Grijper.bmp";
    QTest::newRow("motor stays") << "Gelijkstroom motor"
                                 << "Gelijkstroom motor"
                                 << ""
                                 << "Gelijkstroom motor"
                                 << "";
    QTest::newRow("generic stays") << "Sensor / Actuator"
                                   << "Sensor / Actuator"
                                   << ""
                                   << "Sensor / Actuator"
                                   << "";
    QTest::newRow("panel stays") << "I/O Aansluitpaneel"
                                 << "I/O Aansluitpaneel"
                                 << ""
                                 << "I/O Aansluitpaneel"
                                 << "";
    QTest::newRow("empty after reset") << ""
                                       << ""
                                       << ""
                                       << ""
                                       << "";
    QTest::newRow("match is exact") << "grijper"
                                    << "grijper"
                                    << ""
                                    << "grijper"
                                    << "";
}

void TestComponentFigure::alternation()
{
    QFETCH(QString, start);
    QFETCH(QString, kind1);
    QFETCH(QString, picture1);
    QFETCH(QString, kind2);
    QFETCH(QString, picture2);
    QString naam = start;
    for (const auto& [kind, picture] : {std::pair{kind1, picture1}, std::pair{kind2, picture2}}) {
        const std::optional<fig::Component> step = fig::alternate(naam);
        QCOMPARE(step.has_value(), !picture.isEmpty());
        if (step) {
            QCOMPARE(step->picture, picture);
            naam = step->kind;
        }
        QCOMPARE(naam, kind);
    }
}

void TestComponentFigure::restoreHighlight_data()
{
    QTest::addColumn<QString>("station");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<uint>("restored");

    // The colour the point has in the station view, whatever the state of
    // its widget.
    const uint lila = 16765650, mint = 13828050, normaal = mw::KleurNormaal;
    QTest::newRow("used output") << "CMD_StapelMagazijn" << 2 << 8 << lila;
    QTest::newRow("unused output") << "CMD_StapelMagazijn" << 3 << 8 << normaal;
    QTest::newRow("used input") << "CMD_Stationhandling" << 9 << 0 << mint;
    QTest::newRow("unused input") << "CMD_Transportband" << 10 << 0 << normaal;
    QTest::newRow("unused input, combined") << "CMD_TransHandling" << 15 << 0 << normaal;
    QTest::newRow("output to output") << "CMD_Transportband" << 0 << 1 << lila;
    QTest::newRow("input to input") << "CMD_Transportband" << 8 << 9 << mint;
}

void TestComponentFigure::restoreHighlight()
{
    QFETCH(QString, station);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(uint, restored);
    MainFixture fx;
    fx.click(station);
    Main& w = *fx.main;
    auto colourOf = [&](int point) -> uint {
        return point < 8 ? w.CMD_SetReset[point]->BackColor()
                         : w.PictureLabelIngangen[point - 8]->BackColor();
    };
    w.FiguurActuatorSensor(from);
    QCOMPARE(colourOf(from), uint(from < 8 ? 15777683 : 8454016));
    w.FiguurActuatorSensor(to);
    QCOMPARE(colourOf(from), restored);
    QCOMPARE(colourOf(to), uint(to < 8 ? 15777683 : 8454016));
    QCOMPARE(int(w.componentPanel().shownPoint()), to);
}

void TestComponentFigure::highlighted_data()
{
    QTest::addColumn<int>("figuur");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("index");
    const int none = int(fig::IoControl::Kind::None);
    const int out = int(fig::IoControl::Kind::Output);
    const int in = int(fig::IoControl::Kind::Input);
    QTest::newRow("none shown") << -1 << none << -1;
    QTest::newRow("output 0") << 0 << out << 0;
    QTest::newRow("output 7") << 7 << out << 7;
    QTest::newRow("input 0") << 8 << in << 0;
    QTest::newRow("input 7") << 15 << in << 7;
    QTest::newRow("beyond inputs") << 16 << none << -1;
}

void TestComponentFigure::highlighted()
{
    QFETCH(int, figuur);
    QFETCH(int, kind);
    QFETCH(int, index);
    const fig::IoControl c = fig::highlightedControl(figuur);
    QCOMPARE(int(c.kind), kind);
    QCOMPARE(c.index, index);
}

void TestComponentFigure::hoverShowsComponent_data()
{
    QTest::addColumn<QString>("station");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("timer");

    QTest::newRow("stapel output 2") << "CMD_StapelMagazijn"
                                     << "CMD_SetReset(2)"
                                     << "Cilinder enkelwerkend.bmp"
                                     << "Enkelwerkende cilinder" << true;
    QTest::newRow("stapel input 0") << "CMD_StapelMagazijn"
                                    << "Label_Ingang(0)"
                                    << "Stapel magazijn Magnetische Sensor.bmp"
                                    << "Magnetische sensor" << false;
    QTest::newRow("band unused output") << "CMD_Transportband"
                                        << "CMD_SetReset(3)"
                                        << ""
                                        << "Sensor / Actuator" << true;
    QTest::newRow("combined input 2 unused") << "CMD_TransHandling"
                                             << "Label_Ingang(2)"
                                             << ""
                                             << "Sensor / Actuator" << false;
}

void TestComponentFigure::hoverShowsComponent()
{
    QFETCH(QString, station);
    QFETCH(QString, control);
    QFETCH(QString, picture);
    QFETCH(QString, caption);
    QFETCH(bool, timer);
    MainFixture fx;
    fx.click(station);
    auto* target = fx.control<QWidget>(control);
    QVERIFY(target);
    if (target->isEnabled()) {
        fx.hover(control);
    } else {
        // An unused point takes no mouse; its figure is still defined.
        const int n = control.section('(', 1).section(')', 0, 0).toInt();
        fx.main->FiguurActuatorSensor(control.startsWith("CMD") ? n : n + 8);
    }
    QCOMPARE(shownFile(fx.main->ImageSensorActuator), picture);
    if (!picture.isEmpty())
        QVERIFY(!fx.main->ImageSensorActuator->picture().isNull());
    QCOMPARE(fx.prop("FrameSensorActuator", "Caption").toString(), caption);
    QCOMPARE(fx.main->componentPanel().shownKind(), caption);
    if (target->isEnabled())
        QCOMPARE(fx.main->Timer_Wissel_Afbeelding->Enabled(), timer);
}

void TestComponentFigure::hoverSamePointDoesNothing()
{
    MainFixture fx;
    fx.click("CMD_StapelMagazijn");
    fx.hover("CMD_SetReset(2)");
    fx.main->Timer_Wissel_Afbeelding->setEnabledProp(false);
    fx.main->CMD_SetReset[2]->setBackColor(mw::KleurWit);
    fx.hover("CMD_SetReset(2)");
    QCOMPARE(fx.main->CMD_SetReset[2]->BackColor(), mw::KleurWit);
    QVERIFY(!fx.main->Timer_Wissel_Afbeelding->Enabled());

    fx.hover("Label_Ingang(0)");
    fx.main->PictureLabelIngangen[0]->setBackColor(mw::KleurWit);
    fx.main->Timer_Wissel_Afbeelding->setEnabledProp(true);
    fx.hover("Label_Ingang(0)");
    QCOMPARE(fx.main->PictureLabelIngangen[0]->BackColor(), mw::KleurWit);
    QVERIFY(fx.main->Timer_Wissel_Afbeelding->Enabled());
}

void TestComponentFigure::interfacePanelLoadedOnce()
{
    MainFixture fx; // the interface view is active at start
    QCOMPARE(fx.main->stationState().current(), station::Station::Start);
    fx.hover("CMD_SetReset(0)");
    QCOMPARE(shownFile(fx.main->ImageSensorActuator), QString("Multi Connector.bmp"));
    QCOMPARE(fx.prop("FrameSensorActuator", "Caption").toString(), QString("I/O Aansluitpaneel"));
    // Further points leave the picture as it is.
    fx.main->ImageSensorActuator->clearPicture();
    fx.hover("Label_Ingang(4)");
    QVERIFY(fx.main->ImageSensorActuator->Picture().isEmpty());
    QCOMPARE(fx.prop("FrameSensorActuator", "Caption").toString(), QString("I/O Aansluitpaneel"));
}

void TestComponentFigure::valveAlternatesOnTicks()
{
    MainFixture fx;
    fx.click("CMD_StapelMagazijn");
    fx.hover("Label_Ingang(0)");
    fx.hover("CMD_SetReset(2)");
    QCOMPARE(fx.main->Timer_Wissel_Afbeelding->Interval(), 5000);
    QSignalSpy ticks(fx.main->Timer_Wissel_Afbeelding, &ctl::Timer::Tick);
    emit fx.main->Timer_Wissel_Afbeelding->Tick();
    QCOMPARE(fx.prop("FrameSensorActuator", "Caption").toString(),
             QString("4-2 Ventiel monostabiel"));
    QCOMPARE(shownFile(fx.main->ImageSensorActuator),
             QString("Stapel magazijn 4-2 Ventiel Mono stabiel.bmp"));
    emit fx.main->Timer_Wissel_Afbeelding->Tick();
    QCOMPARE(fx.prop("FrameSensorActuator", "Caption").toString(),
             QString("Enkelwerkende cilinder"));
    QVERIFY(!fx.main->ImageSensorActuator->picture().isNull());
    QCOMPARE(shownFile(fx.main->ImageSensorActuator), QString("Cilinder enkelwerkend.bmp"));
    QCOMPARE(ticks.count(), 2);
}

void TestComponentFigure::inputStopsAlternation()
{
    MainFixture fx;
    fx.click("CMD_Stationhandling");
    fx.hover("CMD_SetReset(4)");
    QVERIFY(fx.main->Timer_Wissel_Afbeelding->Enabled());
    emit fx.main->Timer_Wissel_Afbeelding->Tick();
    QCOMPARE(fx.main->componentPanel().shownKind(), QString("4-2 Ventiel Mono stabiel Grijper"));
    fx.hover("Label_Ingang(1)");
    QVERIFY(!fx.main->Timer_Wissel_Afbeelding->Enabled());
    QCOMPARE(fx.main->componentPanel().shownKind(), QString("Magnetische sensor"));
    // Back to an output: the alternation restarts from the component.
    fx.hover("CMD_SetReset(1)");
    QCOMPARE(fx.main->componentPanel().shownKind(), QString("Dubbelwerkende cilinder ADN"));
    QCOMPARE(shownFile(fx.main->ImageSensorActuator), QString("Cilinder Dubbelwerkend ADN.bmp"));
}

void TestComponentFigure::outOfRangePointIgnored()
{
    MainFixture fx;
    fx.click("CMD_Transportband");
    fx.main->FiguurActuatorSensor(1);
    testing::WarningLog warnings;
    for (int bad : {-1, 16, 1000})
        fx.main->FiguurActuatorSensor(bad);
    QCOMPARE(int(fx.main->componentPanel().shownPoint()), 1);
    QCOMPARE(fx.main->CMD_SetReset[1]->BackColor(), ctl::OleColor(15777683));
    QCOMPARE(warnings.count(), 3);
}

void TestComponentFigure::missingPictureLeavesEmptyImage()
{
    MainFixture fx(false);
    fx.click("CMD_Transportband");
    fx.main->ImageSensorActuator->setPicture(":/no-such-picture");
    testing::WarningLog warnings;
    fx.hover("CMD_SetReset(1)");
    QVERIFY(fx.main->ImageSensorActuator->picture().isNull());
    QCOMPARE(fx.prop("FrameSensorActuator", "Caption").toString(), QString("Gelijkstroom motor"));
    QCOMPARE(warnings.count(), 1);
    // Still usable: the next point works as ever.
    fx.hover("Label_Ingang(0)");
    QCOMPARE(fx.prop("FrameSensorActuator", "Caption").toString(), QString("Inductieve sensor"));
}

void TestComponentFigure::versionMessage()
{
    MainFixture fx;
    fx.click("Image1");
    QCOMPARE(fx.services.messages.shown.size(), 1);
    const platform::MessageRequest& r = fx.services.messages.shown.first();
    QCOMPARE(r.title, QString("tst_component_figure"));
    QCOMPARE(r.icon, platform::MessageIcon::Information);
    QCOMPARE(r.buttons, platform::MessageButtons::Ok);
    const QStringList lines = r.text.split('\r');
    QCOMPARE(lines.size(), 2);
    QVERIFY(!lines[0].trimmed().isEmpty());
    QCOMPARE(lines[1], QStringLiteral("Versie: %1.%2.%3")
                           .arg(DRAVIK_VERSION_MAJOR)
                           .arg(DRAVIK_VERSION_MINOR)
                           .arg(DRAVIK_VERSION_PATCH));
    QCOMPARE(fig::versionText(1, 2, 45).split('\r').value(1), QString("Versie: 1.2.45"));
}

void TestComponentFigure::stationPictureClick_data()
{
    QTest::addColumn<QString>("station"); // "" : the start state (interface view)
    QTest::addColumn<bool>("opens");
    QTest::newRow("interface") << "" << false;
    QTest::newRow("combined") << "CMD_TransHandling" << false;
    QTest::newRow("stapel") << "CMD_StapelMagazijn" << true;
    QTest::newRow("band") << "CMD_Transportband" << true;
    QTest::newRow("handling") << "CMD_Stationhandling" << true;
}

void TestComponentFigure::stationPictureClick()
{
    QFETCH(QString, station);
    QFETCH(bool, opens);
    MainFixture fx;
    if (!station.isEmpty())
        fx.click(station);
    fx.click("Image_Module_Holder");
    Full_Screen* f = fx.main->fullScreen(false);
    QCOMPARE(f && f->isVisible(), opens);
    QVERIFY(fx.services.messages.shown.isEmpty());
}

QTEST_MAIN(TestComponentFigure)
#include "tst_component_figure.moc"
