// Choosing a station, and the hover colours of the station buttons.
#include "component_figure/component_panel.h"
#include "main_window/station_buttons.h"
#include "support/test_support.h"

#include <QRandomGenerator>
#include <QtTest>

using testing::MainFixture;

class TestStationSelection : public QObject
{
    Q_OBJECT

  private slots:
    void view_data();
    void view();
    void rebuildSwitchesOutputsOff();
    void exactlyOneActive();
    void hover();
    void hoverActiveButton();
    void leaveAndReturn();
};

void TestStationSelection::view_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("outputs");
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<int>("usedOut");
    QTest::addColumn<int>("enabledOut");
    QTest::addColumn<int>("usedIn");
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("inFrame");
    QTest::addColumn<QString>("outFrame");
    QTest::addColumn<bool>("film");
    QTest::addColumn<QString>("filmCaption");
    QTest::addColumn<QString>("filmTip");
    QTest::addColumn<QString>("picture");

    QTest::newRow("stack magazine") << "CMD_StapelMagazijn"
                                    << QStringList{"Doorvoercilinder (uit)",
                                                   "Doorvoercilinder (in)",
                                                   "Aandrukcilinder",
                                                   "Uitgang 4",
                                                   "Uitgang 5",
                                                   "Uitgang 6",
                                                   "Uitgang 7",
                                                   "Uitgang 8"}
                                    << QStringList{"Eindschakelaar cilinder 1A",
                                                   "Ingang 2",
                                                   "Ingang 3",
                                                   "Ingang 4",
                                                   "Ingang 5",
                                                   "Ingang 6",
                                                   "Ingang 7",
                                                   "Ingang 8"}
                                    << 0x07 << 0x07 << 0x01 << "Stapel magazijn"
                                    << "Sensoren"
                                    << "Actuatoren" << true << "Filmpje Stapel magazijn"
                                    << ""
                                    << "Stapel magazijn org.bmp";
    QTest::newRow("conveyor") << "CMD_Transportband"
                              << QStringList{"Magneetspoel stopper",
                                             "Gelijkstroom motor",
                                             "Motor relais",
                                             "Uitgang 4",
                                             "Uitgang 5",
                                             "Uitgang 6",
                                             "Uitgang 7",
                                             "Uitgang 8"}
                              << QStringList{"Inductieve sensor", "Optische sensor", "Ingang 3",
                                             "Ingang 4",          "Ingang 5",        "Ingang 6",
                                             "Ingang 7",          "Ingang 8"}
                              << 0x07 << 0x07 << 0x03 << "Transportband"
                              << "Sensoren"
                              << "Actuatoren" << true << "Filmpje Transportband"
                              << "Gemaakt door een GL leerling"
                              << "Transportband org.bmp";
    QTest::newRow("handling station") << "CMD_Stationhandling"
                                      << QStringList{"Verplaatscilinder (uit)",
                                                     "Verplaatscilinder (in)",
                                                     "Grijpercilinder (uit)",
                                                     "Grijpercilinder (in)",
                                                     "Grijper",
                                                     "Uitgang 6",
                                                     "Uitgang 7",
                                                     "Uitgang 8"}
                                      << QStringList{"Eindschakelaar cil. 1 Achter",
                                                     "Eindschakelaar cil. 1 Voor",
                                                     "Eindschakelaar cil. 2 Boven",
                                                     "Eindschakelaar cil. 2 Onder",
                                                     "Ingang 5",
                                                     "Ingang 6",
                                                     "Ingang 7",
                                                     "Ingang 8"}
                                      << 0x1F << 0x1F << 0x0F << "Station handling"
                                      << "Sensoren"
                                      << "Actuatoren" << true << "Filmpje Station handling"
                                      << ""
                                      << "Station handling org.bmp";
    QTest::newRow("combined") << "CMD_TransHandling"
                              << QStringList{"Magneetspoel stopper",   "Gelijkstroom motor",
                                             "Motor relais",           "Verplaatscilinder (uit)",
                                             "Verplaatscilinder (in)", "Grijpercilinder (uit)",
                                             "Grijpercilinder (in)",   "Grijper"}
                              << QStringList{"Inductieve sensor",
                                             "Optische sensor",
                                             "Ingang 3",
                                             "Eindschakelaar cil. 1 Achter",
                                             "Eindschakelaar cil. 1 Voor",
                                             "Eindschakelaar cil. 2 Boven",
                                             "Eindschakelaar cil. 2 Onder",
                                             "Ingang 8"}
                              << 0xFF << 0xFF << 0x7B << "Interfacing Easyport D8A"
                              << "Ingangen"
                              << "Uitgangen" << false << "Filmpje"
                              << ""
                              << "TransHandling.bmp";
}

void TestStationSelection::view()
{
    QFETCH(QString, button);
    QFETCH(QStringList, outputs);
    QFETCH(QStringList, inputs);
    QFETCH(int, usedOut);
    QFETCH(int, enabledOut);
    QFETCH(int, usedIn);
    QFETCH(QString, module);
    QFETCH(QString, inFrame);
    QFETCH(QString, outFrame);
    QFETCH(bool, film);
    QFETCH(QString, filmCaption);
    QFETCH(QString, filmTip);
    QFETCH(QString, picture);
    MainFixture fx;
    // Start from a different, busy view so nothing is left over by chance.
    fx.click(button == "CMD_Transportband" ? "CMD_Stationhandling" : "CMD_Transportband");
    fx.click("CMD_SetReset(0)");
    fx.click(button);
    for (int i = 0; i < 8; ++i) {
        const QString out = QStringLiteral("CMD_SetReset(%1)").arg(i);
        const QString lbl = QStringLiteral("Label_Ingang(%1)").arg(i);
        const QString row = QStringLiteral("PictureLabelIngangen(%1)").arg(i);
        QCOMPARE(fx.prop(out, "Caption").toString(), outputs[i]);
        QCOMPARE(fx.prop(lbl, "Caption").toString(), inputs[i]);
        QCOMPARE(fx.prop(out, "BackColor").toUInt(), (usedOut >> i) & 1 ? 16765650u : 2147483663u);
        QCOMPARE(fx.prop(out, "Enabled").toBool(), bool((enabledOut >> i) & 1));
        const bool in = (usedIn >> i) & 1;
        QCOMPARE(fx.prop(row, "BackColor").toUInt(), in ? 13828050u : 2147483663u);
        QCOMPARE(fx.prop(lbl, "ForeColor").toUInt(), in ? 2147483666u : 2147483660u);
        QCOMPARE(fx.prop(lbl, "Enabled").toBool(), in);
    }
    QCOMPARE(fx.prop("FrameModule", "Caption").toString(), module);
    QCOMPARE(fx.prop("FrameIngangen", "Caption").toString(), inFrame);
    QCOMPARE(fx.prop("FrameUitgangen", "Caption").toString(), outFrame);
    QCOMPARE(fx.prop("FrameSensorActuator", "Caption").toString(),
             QStringLiteral("Sensor / Actuator"));
    QCOMPARE(fx.prop("CMD_Filmpje", "Visible").toBool(), film);
    if (film) // a hidden video button keeps whatever caption it had
        QCOMPARE(fx.prop("CMD_Filmpje", "Caption").toString(), filmCaption);
    QCOMPARE(fx.prop("CMD_Filmpje", "ToolTipText").toString(), filmTip);
    QCOMPARE(fx.prop(button, "BackColor").toUInt(), 8454016u);
    QCOMPARE(fx.prop("ImageSensorActuator", "Picture").toString(), QString());
    QCOMPARE(fx.main->componentPanel().shownPoint(), -1);
    QCOMPARE(fx.prop("PictureTekst", "Top").toDouble(), 0.0);
    const QString shown = fx.prop("Image_Module_Holder", "Picture").toString();
    QCOMPARE(QFileInfo(shown).fileName(), picture);
}

void TestStationSelection::rebuildSwitchesOutputsOff()
{
    MainFixture fx;
    fx.click("CMD_StapelMagazijn");
    fx.click("CMD_SetReset(2)");
    fx.click("CMD_SetReset(1)");
    fx.control("PictureTekst")->setProperty("Top", -1815.0);
    fx.port.written.clear();
    fx.click("CMD_StapelMagazijn"); // the active one again
    QCOMPARE(fx.port.written, QVector<qint16>{0});
    QCOMPARE(fx.main->DecimaalUit(), 0);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(fx.prop(QStringLiteral("Shape_Lampje(%1)").arg(i), "FillColor").toUInt(),
                 8421504u);
    QCOMPARE(fx.prop("PictureTekst", "Top").toDouble(), 0.0);
}

void TestStationSelection::exactlyOneActive()
{
    MainFixture fx;
    const QStringList buttons = {"CMD_StapelMagazijn", "CMD_Transportband", "CMD_Stationhandling",
                                 "CMD_TransHandling", "CMD_Interfacing"};
    QRandomGenerator rng(7);
    for (int k = 0; k < 200; ++k) {
        const QString b = buttons[rng.bounded(buttons.size())];
        if (rng.bounded(3) == 0)
            fx.hover(buttons[rng.bounded(buttons.size())]);
        fx.click(b);
        int green = 0;
        for (const QString& other : buttons)
            green += fx.prop(other, "BackColor").toUInt() == 8454016u;
        QCOMPARE(green, 1);
        QCOMPARE(fx.prop(b, "BackColor").toUInt(), 8454016u);
    }
}

// A spy on KleurBeheer: every hover turns exactly one button white.
static QString colours(const MainFixture& fx)
{
    QString s;
    for (const char* b : {"CMD_StapelMagazijn", "CMD_Transportband", "CMD_Stationhandling",
                          "CMD_TransHandling", "CMD_Interfacing"}) {
        const uint c = fx.prop(b, "BackColor").toUInt();
        s += c == 8454016u ? 'G' : c == 16777215u ? 'W' : c == 2147483663u ? '-' : '?';
    }
    return s;
}

void TestStationSelection::hover()
{
    MainFixture fx; // interface view active
    QCOMPARE(colours(fx), QStringLiteral("----G"));
    fx.hover("CMD_Transportband");
    QCOMPARE(colours(fx), QStringLiteral("-W--G"));
    QCOMPARE(fx.main->stationButtons().buttonUnderMouse(), 0);
    // Moving within the button does nothing more: a colour set meanwhile stays.
    fx.control("CMD_Transportband")->setProperty("BackColor", 2147483663u);
    fx.hover("CMD_Transportband");
    QCOMPARE(colours(fx), QStringLiteral("----G"));
    fx.hover("CMD_StapelMagazijn");
    QCOMPARE(colours(fx), QStringLiteral("W---G"));
    QCOMPARE(fx.main->stationButtons().buttonUnderMouse(), 1);
    fx.hover("CMD_TransHandling");
    QCOMPARE(colours(fx), QStringLiteral("---WG"));
    QCOMPARE(fx.main->stationButtons().buttonUnderMouse(), 3);
}

void TestStationSelection::hoverActiveButton()
{
    MainFixture fx;
    fx.hover("CMD_Stationhandling");
    QCOMPARE(colours(fx), QStringLiteral("--W-G"));
    fx.hover("CMD_Interfacing");
    QCOMPARE(colours(fx), QStringLiteral("----G"));
    QCOMPARE(fx.main->stationButtons().buttonUnderMouse(), 5);
}

void TestStationSelection::leaveAndReturn()
{
    MainFixture fx;
    fx.hover("CMD_Transportband");
    fx.hover("Frame_Dravik_Buttons");
    QCOMPARE(colours(fx), QStringLiteral("----G"));
    QCOMPARE(fx.main->stationButtons().buttonUnderMouse(), -1);
    fx.hover("CMD_Transportband");
    QCOMPARE(colours(fx), QStringLiteral("-W--G"));
    // Leaving straight out of the frame keeps it white until the next move.
    fx.hover("FrameIngangen");
    QCOMPARE(colours(fx), QStringLiteral("-W--G"));
    // Choosing the white button makes it the active one.
    fx.click("CMD_Transportband");
    QCOMPARE(colours(fx), QStringLiteral("-G---"));
}

QTEST_MAIN(TestStationSelection)
#include "tst_station_selection.moc"
