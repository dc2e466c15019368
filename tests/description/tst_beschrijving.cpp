#include "description/beschrijving.h"
#include "description/description_tables.h"
#include "fullscreen/full_screen.h"
#include "support/test_support.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using testing::MainFixture;

namespace
{

QString shownFile(const ctl::Image* image)
{
    return image->Picture().isEmpty() ? QString() : QFileInfo(image->Picture()).fileName();
}

// Opens the full-screen picture of `station` and with it the description.
Beschrijving* openFor(MainFixture& fx, const QString& station)
{
    fx.click(station);
    fx.click("Image_Module_Holder");
    return fx.main->beschrijving(false);
}

const char* buttonOf(int station)
{
    switch (desc::Station(station)) {
    case desc::Station::StapelMagazijn:
        return "CMD_StapelMagazijn";
    case desc::Station::Transportband:
        return "CMD_Transportband";
    case desc::Station::Stationhandling:
        return "CMD_Stationhandling";
    default:
        break;
    }
    return "";
}

} // namespace

class TestBeschrijving : public QObject
{
    Q_OBJECT
  private slots:
    void parts_data();
    void parts();
    void outsideTheNumbers();
    void missingPictureIsReported();
    void missingUnnumberedPictureIsQuiet();
    void otherStationChangesNothing_data();
    void otherStationChangesNothing();
    void activationClearsOncePerShowing();
    void closePaths_data();
    void closePaths();
    void leavingTheProgramShowsNothing();
};

void TestBeschrijving::parts_data()
{
    QTest::addColumn<int>("station");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("benaming");
    QTest::addColumn<QString>("info");
    QTest::addColumn<QString>("picture");

    const int S = int(desc::Station::StapelMagazijn), T = int(desc::Station::Transportband),
              H = int(desc::Station::Stationhandling);
    const QString sensor = "Geeft een signaal af, zodra de zuiger van de dubbelwerkende cilinder "
                           "dichtbij de sensor komt";
    const QString s = "Station Stapel Magazijn cijfers ", t = "Station Transportband cijfers ",
                  h = "Station Handling cijfers ";

    QTest::newRow("S1") << S << 1 << "Snelheidsregelventiel"
                        << "Snelheidsregeling van de cilinder" << s + "01.jpg";
    QTest::newRow("S2") << S << 2 << "Enkelwerkende cilinder"
                        << "Aandrukken van deksels" << s + "02.jpg";
    QTest::newRow("S3") << S << 3 << "Product montageplaats"
                        << "Plaats voor producten" << s + "03.jpg";
    QTest::newRow("S4") << S << 4 << "I/O aansluitpaneel"
                        << "Elektrische aansluiting van sensoren en actuatoren" << s + "04.jpg";
    QTest::newRow("S5") << S << 5 << "4/2 Magneetventiel, bi-stabiel"
                        << "Aansturing van de dubbelwerkende cilinder" << s + "05.jpg";
    QTest::newRow("S6") << S << 6 << "4/2 Magneetventiel, monostabiel"
                        << "Aansturing van de enkelwerkende cilinder" << s + "06.jpg";
    QTest::newRow("S7") << S << 7 << "Dubbelwerkende cilinder"
                        << "Doorschuiven Magazijn voorraad" << s + "07.jpg";
    QTest::newRow("S8") << S << 8 << "Magnetische eindschakelaar" << sensor << s + "08.jpg";
    QTest::newRow("S9") << S << 9 << "3/2 stuurventiel, handbediend"
                        << "Afsluiten van de perslucht" << s + "09.jpg";
    QTest::newRow("S10") << S << 10 << "Kabelgoot"
                         << "Nette geleiding van elektrische bedrading" << s + "10.jpg";
    QTest::newRow("S11") << S << 11 << "Magazijn"
                         << "Opslag van producten" << s + "11.jpg";

    QTest::newRow("T1") << T << 1 << "Optische sensor."
                        << "Neemt waar of producten aanwezig zijn aan het begin van de band."
                        << t + "01.jpg";
    QTest::newRow("T2") << T << 2 << "Gelijkstroommotor (DC)"
                        << "Drijft de transportband aan (vooruit en achteruit)" << t + "02.jpg";
    QTest::newRow("T3") << T << 3 << "Relais."
                        << "Sturen van de gelijkstroommotor." << t + "03.jpg";
    QTest::newRow("T4") << T << 4 << "I/O aansluitpaneel"
                        << "Elektrische aansluiting van sensoren en actuatoren" << t + "04.jpg";
    QTest::newRow("T5") << T << 5 << "Elektromagnetische wissel/stopper"
                        << "Uitsorteren van producten maar de glijbaan." << t + "05.jpg";
    QTest::newRow("T6") << T << 6 << "Inductieve sensor."
                        << "Waarnemen van metalen producten" << t + "06.jpg";
    QTest::newRow("T7") << T << 7 << "Glijbaan."
                        << "Opslag van uitgesorteerde producten." << t + "07.jpg";
    QTest::newRow("T8") << T << 8 << "Kabelgoot."
                        << "Nette geleiding van elektrische bedrading." << t + "08.jpg";
    for (int n = 9; n <= 11; ++n)
        QTest::addRow("T%d", n) << T << n << ""
                                << ""
                                << "Station Transportband cijfers.jpg";

    QTest::newRow("H1") << H << 1 << "Magnetische eindschakalaar (Steker)" << sensor
                        << h + "01.jpg";
    QTest::newRow("H2") << H << 2 << "Dubbelwerkende cilinder met geleiding"
                        << "Pneumatische aandrijving voor de beweging in z-richting"
                        << h + "02.jpg";
    QTest::newRow("H3") << H << 3 << "Grijper"
                        << "Oppakken van het product" << h + "03.jpg";
    QTest::newRow("H4") << H << 4 << "Plaats voor producten"
                        << "Plaats voor het oppakken, wegleggen of monteren van producten "
                        << h + "04.jpg";
    QTest::newRow("H5") << H << 5 << "I/O aansluitpaneel"
                        << "Elektrische aansluiting van sensoren en actuatoren" << h + "05.jpg";
    QTest::newRow("H6") << H << 6 << "Snelheidsregelventiel"
                        << "Snelheidsregeling van de cilinder" << h + "06.jpg";
    QTest::newRow("H7") << H << 7 << "Dubbelwerkende cilinder met geleiding"
                        << "Pneumatische aandrijving voor de beweging in x-richting"
                        << h + "07.jpg";
    QTest::newRow("H8") << H << 8 << "Magnetische eindschakalaar" << sensor << h + "08.jpg";
    QTest::newRow("H9") << H << 9 << "Magneetventiel"
                        << "Aansturen van een cilinder" << h + "09.jpg";
    QTest::newRow("H10") << H << 10 << "3/2-Stuurventiel, handbediend"
                         << "Afsluiten van de perslucht" << h + "10.jpg";
    QTest::newRow("H11") << H << 11 << "Kabelgoot"
                         << "Nette geleiding van de elektrische bedrading" << h + "11.jpg";
}

void TestBeschrijving::parts()
{
    QFETCH(int, station);
    QFETCH(int, number);
    QFETCH(QString, benaming);
    QFETCH(QString, info);
    QFETCH(QString, picture);

    const std::optional<desc::Part> p = desc::part(desc::Station(station), number);
    QVERIFY(p);
    QCOMPARE(p->benaming, benaming);
    QCOMPARE(p->info, info);
    QCOMPARE(desc::partPicture(desc::Station(station), number).fileName, picture);

    // The same through the window: texts and the marked picture.
    MainFixture fx;
    Beschrijving* b = openFor(fx, buttonOf(station));
    QVERIFY(b && b->isVisible());
    b->Text_Benaming->setText("vorige");
    b->Option_Nummers[number]->click();
    QVERIFY(b->Option_Nummers[number]->Value());
    QCOMPARE(b->Text_Benaming->Text(), benaming);
    QCOMPARE(b->Text_Info->Text(), info);
    // The texts are painted; a screen reader has only their names.
    QCOMPARE(b->Text_Benaming->accessibleName(), benaming);
    QCOMPARE(b->Text_Info->accessibleName(), info);
    const ctl::Image* image = fx.main->fullScreen(false)->Image_Show_Fullscreen;
    QCOMPARE(shownFile(image), picture);
    QVERIFY(!image->picture().isNull());
    QVERIFY(fx.services.messages.shown.isEmpty());
}

void TestBeschrijving::outsideTheNumbers()
{
    for (int n : {-1, 0, 12}) {
        QVERIFY(!desc::part(desc::Station::StapelMagazijn, n));
        QVERIFY(!desc::part(desc::Station::Transportband, n));
    }
    QVERIFY(desc::partPicture(desc::Station::StapelMagazijn, 10).mustExist);
    QVERIFY(!desc::partPicture(desc::Station::Transportband, 9).mustExist);
    QVERIFY(desc::partPicture(desc::Station::Transportband, 8).mustExist);
}

void TestBeschrijving::missingPictureIsReported()
{
    MainFixture fx(false);
    Beschrijving* b = openFor(fx, "CMD_StapelMagazijn");
    QVERIFY(b);
    // A picture from elsewhere stands in for the previous one.
    QTemporaryDir dir;
    const QString previous = dir.filePath("vorige.png");
    QImage(8, 6, QImage::Format_RGB32).save(previous);
    ctl::Image* image = fx.main->fullScreen(false)->Image_Show_Fullscreen;
    QVERIFY(image->setPicture(previous));

    b->Option_Nummers[3]->click();
    QCOMPARE(fx.services.messages.shown.size(), 1);
    const platform::MessageRequest& r = fx.services.messages.shown.first();
    QCOMPARE(r.text, "Kan het bestand " + fx.services.files.programFolder() +
                         "/Afbeeldingen/Station Stapel Magazijn cijfers 03.jpg niet vinden.");
    QCOMPARE(r.icon, platform::MessageIcon::None);
    QCOMPARE(r.buttons, platform::MessageButtons::Ok);
    QCOMPARE(b->Text_Benaming->Text(), QString("Product montageplaats"));
    QCOMPARE(b->Text_Info->Text(), QString("Plaats voor producten"));
    QCOMPARE(image->Picture(), previous);
    QVERIFY(b->isVisible());
}

void TestBeschrijving::missingUnnumberedPictureIsQuiet()
{
    MainFixture fx(false);
    Beschrijving* b = openFor(fx, "CMD_Transportband");
    b->Option_Nummers[10]->click();
    QVERIFY(fx.services.messages.shown.isEmpty());
    QVERIFY(fx.main->fullScreen(false)->Image_Show_Fullscreen->picture().isNull());
    QCOMPARE(b->Text_Benaming->Text(), QString());
    b->Option_Nummers[2]->click();
    QCOMPARE(b->Text_Benaming->Text(), QString("Gelijkstroommotor (DC)"));
    QCOMPARE(fx.services.messages.shown.size(), 1);
}

void TestBeschrijving::otherStationChangesNothing_data()
{
    QTest::addColumn<QString>("station");
    QTest::newRow("combined") << "CMD_TransHandling";
    QTest::newRow("interface") << "CMD_Interfacing";
}

void TestBeschrijving::otherStationChangesNothing()
{
    QFETCH(QString, station);
    MainFixture fx;
    Beschrijving* b = openFor(fx, "CMD_Stationhandling");
    ctl::Image* image = fx.main->fullScreen(false)->Image_Show_Fullscreen;
    const QString before = image->Picture();
    // Another choice is made while the window is open.
    fx.click(station);
    b->Option_Nummers[3]->click();
    QCOMPARE(b->Text_Benaming->Text(), QString());
    QCOMPARE(b->Text_Info->Text(), QString());
    QCOMPARE(image->Picture(), before);
    QVERIFY(fx.services.messages.shown.isEmpty());
}

void TestBeschrijving::activationClearsOncePerShowing()
{
    MainFixture fx;
    Beschrijving* b = openFor(fx, "CMD_StapelMagazijn");
    QCOMPARE(b->windowTitle(), QString("Info"));
    QVERIFY(b->windowFlags() & Qt::WindowStaysOnTopHint);
    b->Option_Nummers[5]->click();
    // Coming back to the window keeps the choice.
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(b, &activate);
    QVERIFY(b->Option_Nummers[5]->Value());
    QCOMPARE(b->Text_Benaming->Text(), QString("4/2 Magneetventiel, bi-stabiel"));

    b->CMD_Close->click();
    fx.click("Image_Module_Holder");
    QVERIFY(b->isVisible());
    QCOMPARE(b->Text_Benaming->Text(), QString());
    QCOMPARE(b->Text_Info->Text(), QString());
    for (int n = 1; n <= 11; ++n)
        QVERIFY(!b->Option_Nummers[n]->Value());
    // The full-screen picture is the unmarked one again.
    QCOMPARE(shownFile(fx.main->fullScreen(false)->Image_Show_Fullscreen),
             QString("Station Stapel Magazijn cijfers.jpg"));
}

void TestBeschrijving::closePaths_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Sluiten") << "Sluiten";
    QTest::newRow("close box") << "close box";
    QTest::newRow("window object ended") << "ended";
    QTest::newRow("Esc on the picture") << "Esc picture";
    QTest::newRow("Esc in Info") << "Esc info";
    QTest::newRow("click on the picture") << "click picture";
    QTest::newRow("click on the black beside the picture") << "click border";
}

void TestBeschrijving::closePaths()
{
    QFETCH(QString, how);
    MainFixture fx;
    fx.main->hide();
    Beschrijving* b = openFor(fx, "CMD_Transportband");
    Full_Screen* f = fx.main->fullScreen(false);
    QVERIFY(b && f && f->isVisible());
    if (how == "Sluiten") {
        fx.click("CMD_Close");
    } else if (how == "close box") {
        QVERIFY(b->close());
    } else if (how.startsWith("Esc")) {
        QTest::keyClick(how.endsWith("info") ? static_cast<QWidget*>(b->Option_Nummers[3])
                                             : static_cast<QWidget*>(f),
                        Qt::Key_Escape);
        // Esc is still the Noodstop: every output off.
        QVERIFY(fx.port.calls.contains("WriteOutputs(0)"));
        QCoreApplication::processEvents();
    } else if (how == "click picture") {
        QTest::mouseClick(f->Image_Show_Fullscreen, Qt::LeftButton);
    } else if (how == "click border") {
        // The picture keeps its proportions: black is left beside or under it.
        const QRect picture = f->Image_Show_Fullscreen->geometry();
        const QPoint black = picture.left() > 0 ? QPoint(0, f->height() / 2)
                                                : QPoint(f->width() / 2, f->height() - 1);
        QVERIFY(!picture.contains(black));
        QTest::mouseClick(f, Qt::LeftButton, {}, black);
    } else {
        delete b;
    }
    QVERIFY(f->isEnabled());
    QVERIFY(!f->isVisible());
    if (how != "ended")
        QVERIFY(!b->isVisible());
    else
        QVERIFY(!fx.main->beschrijving(false));
    QVERIFY(fx.main->isVisible());
    QCOMPARE(fx.quits, 0);
}

void TestBeschrijving::leavingTheProgramShowsNothing()
{
    MainFixture fx;
    Beschrijving* b = openFor(fx, "CMD_StapelMagazijn");
    fx.main->hide(); // as it stands behind the full-screen picture
    fx.main->exitProgram();
    QCOMPARE(fx.quits, 1);
    QVERIFY(!fx.main->isVisible());
    QVERIFY(!b->isVisible());
    QVERIFY(!fx.main->fullScreen(false)->isVisible());
}

QTEST_MAIN(TestBeschrijving)
#include "tst_beschrijving.moc"
