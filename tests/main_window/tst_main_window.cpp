// The main window as it opens: its controls, the name tables, start-up
// and the two ways out.
#include "component_figure/component_panel.h"
#include "main_window/control_table.h"
#include "main_window/station_buttons.h"
#include "support/test_support.h"

#include <QCloseEvent>
#include <QtTest>

using testing::MainFixture;

class TestMainWindow : public QObject
{
    Q_OBJECT

  private slots:
    void inventory_data();
    void inventory();
    void controlOrder();
    void startupState();
    void nameTables_data();
    void nameTables();
    void fontsAreRoundComicFaces();
    void controlsReadBackWhatWasSet_data();
    void controlsReadBackWhatWasSet();
    void exits_data();
    void exits();
    void longestCaptionFits_data();
    void longestCaptionFits();
};

// The expected inventory, written out independently of the window's own
// table: name, container, left, top, width, height, back, fore, font size,
// caption. -1 = not checked.
struct Expected {
    const char* name;
    const char* container;
    double l, t, w, h;
    qint64 back, fore;
    double font;
    const char* caption;
};

static const Expected kExpected[] = {
    {"FrameMain", "Main", 0, 0, 15975, 11025, 2147483670, -1, 8.25, ""},
    {"Frame_Dravik_Buttons", "FrameMain", 7320, 4695, 3975, 4230, 2147483670, 0, 12,
     "Dravik stations"},
    {"CMD_TransHandling", "Frame_Dravik_Buttons", 240, 2550, 3510, 720, 2147483663, -1, 12,
     "Transportband en Station handling"},
    {"CMD_Stationhandling", "Frame_Dravik_Buttons", 240, 1725, 3510, 690, 2147483663, -1, 12,
     "Station handling"},
    {"CMD_Transportband", "Frame_Dravik_Buttons", 240, 1050, 3510, 690, 2147483663, -1, 12,
     "Transportband"},
    {"CMD_Interfacing", "Frame_Dravik_Buttons", 240, 3480, 3510, 615, 8454016, -1, 12,
     "Easyport Mini"},
    {"CMD_StapelMagazijn", "Frame_Dravik_Buttons", 240, 375, 3510, 690, 2147483663, -1, 12,
     "Stapel magazijn"},
    {"FrameIngangen", "FrameMain", 7320, 120, 4215, 4335, 12648384, 16384, 12, "Ingangen"},
    {"Frame6", "FrameIngangen", 150, 360, 3975, 3885, 12648384, -1, -1, ""},
    {"FrameCommand", "FrameMain", 120, 9030, 4830, 1815, 12632256, 8388608, 9.75, " Command "},
    {"CMD_Verder", "FrameCommand", 180, 300, 2235, 690, 14737632, -1, 11.25, "Verder"},
    {"CMD_Terug", "FrameCommand", 180, 1005, 2235, 690, 14737632, -1, 11.25, "Terug"},
    {"CMD_Help", "FrameCommand", 2430, 300, 2235, 690, 14737632, -1, 11.25, "Help"},
    {"CMD_Afsluiten", "FrameCommand", 2430, 1005, 2235, 690, 14737632, -1, 11.25, "Afsluiten"},
    {"FrameEasyPort", "FrameMain", 5145, 9015, 4815, 1815, 12632256, 8388608, 9.75,
     " EasyPort Control "},
    {"Frame1", "FrameEasyPort", 120, 1110, 4575, 615, -1, -1, -1, ""},
    {"Command1", "Frame1", 2520, 120, 1935, 375, -1, -1, 9.75, "Dravik DLL versie"},
    {"Label_Modulenummer", "Frame1", 1965, 180, 375, 255, -1, -1, 9.75, "-"},
    {"Label_Compoort", "Frame1", 600, 180, 600, 255, -1, -1, 9.75, "-"},
    {"Label3", "Frame1", 1230, 180, 735, 255, -1, -1, 9.75, "Module:"},
    {"Label2", "Frame1", 120, 180, 495, 255, -1, -1, 9.75, "Com:"},
    {"CMD_Verbinding", "FrameEasyPort", 120, 330, 2415, 690, 12648384, -1, 11.25,
     "Zoek en verbind"},
    {"EasyPort1", "FrameEasyPort", 720, 360, 1335, 375, -1, -1, -1, nullptr},
    {"Label_Verbinding", "FrameEasyPort", 2760, 510, 1815, 300, 8421504, 16777215, 9.75,
     "Niet verbonden"},
    {"Label_VerbindingKader", "FrameEasyPort", 2670, 330, 2055, 690, 8421504, -1, 8.25, ""},
    {"Frame7", "FrameMain", 10185, 9015, 2535, 1815, 12632256, 8388608, 9.75, " Noodstop "},
    {"CMD_ResetAlles", "Frame7", 240, 360, 2055, 1245, 16777215, -1, 11.25, ""},
    {"FrameModule", "FrameMain", 120, 120, 6975, 6375, 2147483670, 0, 12,
     "Dravik besturing met Easyport Mini."},
    {"CMD_Filmpje", "FrameModule", 5160, 5295, 1455, 600, -1, -1, 8.25, "Filmpje"},
    {"Image_Module_Holder", "FrameModule", 240, 375, 6495, 5655, -1, -1, -1, nullptr},
    {"FrameInstructie", "FrameMain", 120, 6600, 6975, 2295, 2147483670, 0, 9.75, "Instructie"},
    {"PictureTekstKader", "FrameInstructie", 240, 360, 6495, 1815, 16777215, -1, -1, nullptr},
    {"PictureTekst", "PictureTekstKader", 120, 0, 6255, 20235, 16777215, -1, -1, nullptr},
    {"FrameUitgangen", "FrameMain", 12000, 120, 3615, 4335, 15389358, 8388608, 12, "Uitgangen"},
    {"Frame8", "FrameUitgangen", 150, 360, 3375, 3885, 15389358, -1, -1, ""},
    {"Frame5", "FrameMain", 13020, 9030, 2730, 1815, 12632256, 8388608, 9.75, " About "},
    {"Image1", "Frame5", 285, 345, 2235, 1245, -1, -1, -1, nullptr},
    {"FrameSensorActuator", "FrameMain", 11550, 4695, 4215, 4230, 2147483670, 0, 12,
     "I/O Aansluitpaneel"},
    {"ImageSensorActuator", "FrameSensorActuator", 255, 480, 3765, 3570, -1, -1, -1, nullptr},
    {"Frame2", "FrameMain", 7200, 0, 4455, 4575, 12648384, -1, -1, ""},
    {"Frame3", "FrameMain", 11760, 0, 3975, 4575, 15389358, -1, -1, ""},
    {"Shape1", "FrameMain", 0, 8940, 15960, 2010, -1, -1, -1, nullptr},
};

void TestMainWindow::inventory_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRectF>("geometry");
    QTest::addColumn<qint64>("back");
    QTest::addColumn<qint64>("fore");
    QTest::addColumn<double>("font");
    QTest::addColumn<QVariant>("caption");
    auto add = [](const QString& name, const QString& container, QRectF g, qint64 back, qint64 fore,
                  double font, QVariant caption) {
        QTest::newRow(qPrintable(name))
            << name << container << g << back << fore << font << caption;
    };
    for (const Expected& e : kExpected)
        add(e.name, e.container, QRectF(e.l, e.t, e.w, e.h), e.back, e.fore, e.font,
            e.caption ? QVariant(QString::fromUtf8(e.caption)) : QVariant());
    for (int i = 0; i < 8; ++i) {
        const QString box = QStringLiteral("PictureLabelIngangen(%1)").arg(i);
        add(box, "Frame6", QRectF(30, 480 * i, 3075, 420), 12648384, -1, -1, QVariant());
        add(QStringLiteral("Label_Ingang(%1)").arg(i), box, QRectF(90, 30, 2805, 270), -1, 0, 9.75,
            QStringLiteral("Ingang %1").arg(i + 1));
        add(QStringLiteral("Shape_LampjeIn(%1)").arg(i + 1), "Frame6",
            QRectF(3360, 480 * i, 495, 420), 14737632, -1, -1, QVariant());
        add(QStringLiteral("CMD_SetReset(%1)").arg(i), "Frame8", QRectF(0, 480 * i, 2655, 420),
            16765650, -1, 9.75, QStringLiteral("Uitgang %1").arg(i + 1));
        add(QStringLiteral("Shape_Lampje(%1)").arg(i), "Frame8", QRectF(2760, 480 * i, 495, 420),
            14737632, -1, -1, QVariant());
    }
}

void TestMainWindow::inventory()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRectF, geometry);
    QFETCH(qint64, back);
    QFETCH(qint64, fore);
    QFETCH(double, font);
    QFETCH(QVariant, caption);
    MainFixture fx;
    QObject* c = fx.main->findChild<QObject*>(name);
    QVERIFY2(c, qPrintable(name));
    QCOMPARE(c->parent()->objectName(), container);
    QCOMPARE(c->property("Left").toDouble(), geometry.left());
    QCOMPARE(c->property("Top").toDouble(), geometry.top());
    QCOMPARE(c->property("Width").toDouble(), geometry.width());
    QCOMPARE(c->property("Height").toDouble(), geometry.height());
    if (back >= 0)
        QCOMPARE(c->property("BackColor").toLongLong(), back);
    if (fore >= 0)
        QCOMPARE(c->property("ForeColor").toLongLong(), fore);
    if (font > 0) {
        QCOMPARE(c->property("FontSize").toDouble(), font);
        const QString face = c->property("FontName").toString();
        QCOMPARE(face, name == "Label_VerbindingKader" ? QStringLiteral("MS Sans Serif")
                                                       : QStringLiteral("Comic Sans MS"));
    }
    if (caption.isValid())
        QCOMPARE(c->property("Caption").toString(), caption.toString());
}

void TestMainWindow::controlOrder()
{
    MainFixture fx;
    const auto& order = fx.main->controlsInOrder();
    QCOMPARE(int(order.size()), 86);
    QStringList names;
    for (QObject* o : order)
        names << o->objectName();
    // Every container comes before its contents.
    for (int k = 0; k < names.size(); ++k) {
        const QObject* parent = order[k]->parent();
        if (parent != fx.main.get())
            QVERIFY2(names.indexOf(parent->objectName()) < k, qPrintable(names[k]));
    }
    // Spot checks of the order itself.
    QCOMPARE(names.indexOf("FrameMain"), 0);
    QCOMPARE(names.indexOf("FrameCommand"), 33);
    QCOMPARE(names.indexOf("EasyPort1"), 46);
    QCOMPARE(names.indexOf("Image_Module_Holder"), 53);
    QCOMPARE(names.indexOf("ImageSensorActuator"), 82);
    QCOMPARE(names.indexOf("Shape1"), 85);
    QCOMPARE(names.mid(62, 8).join(','),
             QStringLiteral("CMD_SetReset(3),CMD_SetReset(4),CMD_SetReset(6),CMD_SetReset(7),"
                            "CMD_SetReset(5),CMD_SetReset(2),CMD_SetReset(1),CMD_SetReset(0)"));
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), 86);
}

void TestMainWindow::startupState()
{
    MainFixture fx;
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(fx.prop(QStringLiteral("CMD_SetReset(%1)").arg(i), "Caption").toString(),
                 QStringLiteral("Uitgang %1").arg(i + 1));
        QCOMPARE(fx.prop(QStringLiteral("Label_Ingang(%1)").arg(i), "Caption").toString(),
                 QStringLiteral("Ingang %1").arg(i + 1));
        QCOMPARE(fx.prop(QStringLiteral("Shape_Lampje(%1)").arg(i), "FillColor").toUInt(),
                 8421504u);
        QCOMPARE(fx.prop(QStringLiteral("Shape_LampjeIn(%1)").arg(i + 1), "FillColor").toUInt(),
                 8421504u);
    }
    QCOMPARE(fx.prop("CMD_Interfacing", "BackColor").toUInt(), 8454016u);
    for (const char* b :
         {"CMD_StapelMagazijn", "CMD_Transportband", "CMD_Stationhandling", "CMD_TransHandling"})
        QCOMPARE(fx.prop(b, "BackColor").toUInt(), 2147483663u);
    QCOMPARE(fx.prop("CMD_Filmpje", "Visible").toBool(), false);
    QCOMPARE(fx.prop("CMD_Verbinding", "ToolTipText").toString(),
             QStringLiteral("Maak een verbinding met de EasyPort"));
    QCOMPARE(fx.prop("CMD_ResetAlles", "ToolTipText").toString(),
             QStringLiteral("RESET alle uitgangen."));
    QCOMPARE(fx.prop("TimerNVT", "Interval").toInt(), 1000);
    QCOMPARE(fx.prop("TimerNVT", "Enabled").toBool(), false);
    QCOMPARE(fx.prop("Timer_Wissel_Afbeelding", "Interval").toInt(), 5000);
    QCOMPARE(fx.prop("Timer_Wissel_Afbeelding", "Enabled").toBool(), false);
    const Main& m = *fx.main;
    QCOMPARE(m.componentPanel().shownPoint(), -1);
    QCOMPARE(m.stationButtons().buttonUnderMouse(), -1);
    QCOMPARE(mw::KleurLichtblauw, 15777683u);
    QCOMPARE(mw::KleurLila, 16765650u);
    QCOMPARE(mw::KleurMintgroen, 13828050u);
    for (const char* v :
         {"DecimaalUit", "DecimaalIn", "Verbonden", "ReageerNiet", "ComPoort", "ModuleNummer"})
        QCOMPARE(m.property(v).toInt(), 0);
    // The layout reference was taken last, with the window's own entry.
    QCOMPARE(int(m.BeginPosities().size()), 87);
    QCOMPARE(m.BeginPosities().back().Width, float(m.Width()));
    // Nothing was written to the interface but the all-off word.
    for (qint16 w : fx.port.written)
        QCOMPARE(w, qint16(0));
}

void TestMainWindow::nameTables_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    const char* const rows[][3] = {
        {"NamenUitgangTransportband", "0", "Magneetspoel stopper"},
        {"NamenUitgangTransportband", "2", "Motor relais"},
        {"NamenUitgangTransportband", "3", "Uitgang 4"},
        {"NamenUitgangTransportband", "7", "Uitgang 8"},
        {"NamenIngangTransportband", "1", "Optische sensor"},
        {"NamenIngangTransportband", "2", "Ingang 3"},
        {"NamenUitgangStapelMagazijn", "1", "Doorvoercilinder (in)"},
        {"NamenUitgangStapelMagazijn", "2", "Aandrukcilinder"},
        {"NamenUitgangStapelMagazijn", "3", "Uitgang 4"},
        {"NamenIngangStapelMagazijn", "0", "Eindschakelaar cilinder 1A"},
        {"NamenIngangStapelMagazijn", "1", "Ingang 2"},
        {"NamenIngangStapelMagazijn", "7", "Ingang 8"},
        {"NamenUitgangHandling", "3", "Grijpercilinder (in)"},
        {"NamenUitgangHandling", "4", "Grijper"},
        {"NamenUitgangHandling", "5", "Uitgang 6"},
        {"NamenIngangHandling", "0", "Eindschakelaar cil. 1 Achter"},
        {"NamenIngangHandling", "3", "Eindschakelaar cil. 2 Onder"},
        {"NamenIngangHandling", "4", "Ingang 5"},
    };
    for (const auto& r : rows)
        QTest::newRow(qPrintable(QStringLiteral("%1[%2]").arg(r[0], r[1])))
            << QString(r[0]) << QString(r[1]).toInt() << QString::fromUtf8(r[2]);
}

void TestMainWindow::nameTables()
{
    QFETCH(QString, table);
    QFETCH(int, index);
    QFETCH(QString, name);
    const mw::NameTables& t = mw::nameTables();
    const QHash<QString, const mw::NameTable*> tables = {
        {"NamenUitgangTransportband", &t.NamenUitgangTransportband},
        {"NamenIngangTransportband", &t.NamenIngangTransportband},
        {"NamenUitgangStapelMagazijn", &t.NamenUitgangStapelMagazijn},
        {"NamenIngangStapelMagazijn", &t.NamenIngangStapelMagazijn},
        {"NamenUitgangHandling", &t.NamenUitgangHandling},
        {"NamenIngangHandling", &t.NamenIngangHandling}};
    QCOMPARE((*tables.value(table))[index], name);
    // Every output table names exactly its used points without "Uitgang".
    for (const mw::NameTable* out :
         {&t.NamenUitgangTransportband, &t.NamenUitgangStapelMagazijn, &t.NamenUitgangHandling})
        for (int i = 0; i < 8; ++i)
            QVERIFY(!(*out)[i].isEmpty());
}

void TestMainWindow::fontsAreRoundComicFaces()
{
    MainFixture fx;
    auto* button = fx.control<QWidget>("CMD_Verder");
    const QString family = QFontInfo(button->font()).family();
    // Comic Sans MS where the system has it, otherwise Comic Neue: never a serif.
    QVERIFY2(family.contains("Comic", Qt::CaseInsensitive), qPrintable(family));
}

void TestMainWindow::controlsReadBackWhatWasSet_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("fractional left") << "CMD_Help"
                                     << "Left" << QVariant(1234.56);
    QTest::newRow("system colour") << "Label2"
                                   << "BackColor" << QVariant(2147483653u);
    QTest::newRow("fill colour") << "Shape_Lampje(3)"
                                 << "FillColor" << QVariant(65535u);
    QTest::newRow("scaled font") << "CMD_Help"
                                 << "FontSize" << QVariant(13.6125);
    QTest::newRow("caption") << "FrameModule"
                             << "Caption" << QVariant("Station handling");
    QTest::newRow("disabled") << "CMD_SetReset(4)"
                              << "Enabled" << QVariant(false);
    QTest::newRow("hidden") << "CMD_Verder"
                            << "Visible" << QVariant(false);
    QTest::newRow("tooltip") << "CMD_Filmpje"
                             << "ToolTipText" << QVariant("Gemaakt door een GL leerling");
}

void TestMainWindow::controlsReadBackWhatWasSet()
{
    QFETCH(QString, name);
    QFETCH(QString, property);
    QFETCH(QVariant, value);
    MainFixture fx;
    QObject* c = fx.control(name);
    QVERIFY(c->setProperty(property.toLatin1(), value));
    QCOMPARE(c->property(property.toLatin1()).toString(), value.toString());
}

void TestMainWindow::exits_data()
{
    QTest::addColumn<bool>("viaButton");
    QTest::newRow("Afsluiten") << true;
    QTest::newRow("close box") << false;
}

void TestMainWindow::exits()
{
    QFETCH(bool, viaButton);
    MainFixture fx;
    // Two outputs on, the picture alternation running.
    fx.click("CMD_SetReset(1)");
    fx.click("CMD_SetReset(5)");
    fx.control<ctl::Timer>("Timer_Wissel_Afbeelding")->setEnabledProp(true);
    QCOMPARE(fx.main->DecimaalUit(), 2 + 32);
    fx.port.calls.clear();
    if (viaButton) {
        fx.click("CMD_Afsluiten");
    } else {
        fx.main->show();
        QVERIFY(fx.main->close());
    }
    QCOMPARE(fx.port.calls, QStringList{"WriteOutputs(0)"});
    QCOMPARE(fx.quits, 1);
    QCOMPARE(fx.main->DecimaalUit(), 0);
    QCOMPARE(fx.prop("Shape_Lampje(5)", "FillColor").toUInt(), 8421504u);
    QCOMPARE(fx.prop("Timer_Wissel_Afbeelding", "Enabled").toBool(), false);
    // Leaving once more runs nothing further.
    fx.main->exitProgram();
    QCOMPARE(fx.quits, 1);
}

void TestMainWindow::longestCaptionFits_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    // The highest port a Modbus module can listen on.
    QTest::newRow("Com: a five-digit port") << "Label_Compoort"
                                            << "65535";
    QTest::newRow("Module: beside it") << "Label3"
                                       << "Module:";
}

// Measured with the font the window actually uses (Comic Sans or its
// stand-in), at the design size.
void TestMainWindow::longestCaptionFits()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    MainFixture fx;
    auto* label = fx.control<QWidget>(name);
    QVERIFY(label);
    QVERIFY(label->setProperty("Caption", caption));
    const QFontMetrics fm(label->font());
    QVERIFY2(fm.horizontalAdvance(caption) <= label->width(),
             qPrintable(QStringLiteral("%1 px for %2 px")
                            .arg(fm.horizontalAdvance(caption))
                            .arg(label->width())));
    QVERIFY(fm.height() <= label->height());
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
