#include "description/beschrijving.h"
#include "fullscreen/fit.h"
#include "fullscreen/full_screen.h"
#include "support/test_support.h"
#include "support/warning_log.h"

#include <QFileInfo>
#include <QtTest>

using testing::MainFixture;

namespace
{

QString shownFile(const ctl::Image* image)
{
    return image->Picture().isEmpty() ? QString() : QFileInfo(image->Picture()).fileName();
}

} // namespace

class TestFullScreen : public QObject
{
    Q_OBJECT
  private slots:
    void fit_data();
    void fit();
    void opensFittedWithDescription_data();
    void opensFittedWithDescription();
    void reactivationWhileDescribingChangesNothing();
    void reopensWithOtherStation();
    void missingPictureKeepsWindowsUsable();
    void closingFullScreenClosesBoth();
};

void TestFullScreen::fit_data()
{
    QTest::addColumn<double>("SW");
    QTest::addColumn<double>("SH");
    QTest::addColumn<double>("VW");
    QTest::addColumn<double>("VH");
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");

    QTest::newRow("screen size: fit to height, fills")
        << 1920.0 << 1080.0 << 1920.0 << 1080.0 << 0.0 << 0.0 << 1920.0 << 1080.0;
    QTest::newRow("2560x1200: fit to width, centred vertically")
        << 1920.0 << 1080.0 << 2560.0 << 1200.0 << 0.0 << 90.0 << 1920.0 << 900.0;
    QTest::newRow("4:3 picture on a wide screen")
        << 1920.0 << 1080.0 << 1600.0 << 1200.0 << 240.0 << 0.0 << 1440.0 << 1080.0;
    QTest::newRow("small picture is enlarged")
        << 1920.0 << 1080.0 << 800.0 << 600.0 << 240.0 << 0.0 << 1440.0 << 1080.0;
    QTest::newRow("free space equal: height wins")
        << 1000.0 << 800.0 << 1100.0 << 900.0 << 11.11111111111111 << 0.0 << 977.7777777777778
        << 800.0;
    QTest::newRow("free space less across by one: width")
        << 1000.0 << 800.0 << 1001.0 << 800.0 << 0.0 << 0.3996003996003996 << 1000.0
        << 799.2007992007992;
    // Free space picks one fit, but the picture would stick out: the other.
    QTest::newRow("small wide picture would stick out sideways")
        << 1920.0 << 1080.0 << 100.0 << 50.0 << 0.0 << 60.0 << 1920.0 << 960.0;
    QTest::newRow("design-sized window, 4:3 picture would stick out downwards")
        << 203.0 << 119.0 << 1600.0 << 1200.0 << 22.166666666666668 << 0.0 << 158.66666666666666
        << 119.0;
    QTest::newRow("free space, not ratio, decides")
        << 1920.0 << 1080.0 << 1900.0 << 500.0 << 0.0 << 287.3684210526316 << 1920.0
        << 505.2631578947368;
    QTest::newRow("tall picture") << 1920.0 << 1080.0 << 500.0 << 2000.0 << 825.0 << 0.0 << 270.0
                                  << 1080.0;
    QTest::newRow("no picture fills the window")
        << 1920.0 << 1080.0 << 0.0 << 0.0 << 0.0 << 0.0 << 1920.0 << 1080.0;
    QTest::newRow("no height") << 800.0 << 600.0 << 640.0 << 0.0 << 0.0 << 0.0 << 800.0 << 600.0;
}

void TestFullScreen::fit()
{
    QFETCH(double, SW);
    QFETCH(double, SH);
    QFETCH(double, VW);
    QFETCH(double, VH);
    QFETCH(double, left);
    QFETCH(double, top);
    QFETCH(double, width);
    QFETCH(double, height);
    const fs::Placement p = fs::fitPicture(SW, SH, VW, VH);
    QVERIFY(qAbs(p.left - left) < 1e-9);
    QVERIFY(qAbs(p.top - top) < 1e-9);
    QVERIFY(qAbs(p.width - width) < 1e-9);
    QVERIFY(qAbs(p.height - height) < 1e-9);
}

void TestFullScreen::opensFittedWithDescription_data()
{
    QTest::addColumn<QString>("station");
    QTest::addColumn<QString>("picture");
    QTest::newRow("stapel") << "CMD_StapelMagazijn"
                            << "Station Stapel Magazijn cijfers.jpg";
    QTest::newRow("band") << "CMD_Transportband"
                          << "Station Transportband cijfers.jpg";
    QTest::newRow("handling") << "CMD_Stationhandling"
                              << "Station Handling cijfers.jpg";
}

void TestFullScreen::opensFittedWithDescription()
{
    QFETCH(QString, station);
    QFETCH(QString, picture);
    MainFixture fx;
    fx.click(station);
    fx.click("Image_Module_Holder");
    Full_Screen* f = fx.main->fullScreen(false);
    QVERIFY(f);
    QCOMPARE(f->objectName(), QString("Full_Screen"));
    QVERIFY(f->isVisible());
    // It takes Esc and a click, which close it.
    QVERIFY(f->isEnabled());
    QVERIFY(f->windowState() & Qt::WindowMaximized);
    QCOMPARE(f->palette().color(QPalette::Window), QColor(Qt::black));
    Beschrijving* b = fx.main->beschrijving(false);
    QVERIFY(b && b->isVisible());
    // The description belongs to the picture: it stands over it whatever
    // the window manager makes of "on top".
    QVERIFY(b->windowHandle() && f->windowHandle());
    QCOMPARE(b->windowHandle()->transientParent(), f->windowHandle());
    // The picture comes forward first and the description after it.
    QCoreApplication::processEvents();
    QCOMPARE(QGuiApplication::focusWindow(), b->windowHandle());

    QCOMPARE(shownFile(f->Image_Show_Fullscreen), picture);
    QVERIFY(!f->Picture_Measure_Size->isVisible());
    QCOMPARE(f->measured(), QSizeF(f->Image_Show_Fullscreen->picture().size()));
    const fs::Placement want =
        fs::fitPicture(f->width(), f->height(), f->measured().width(), f->measured().height());
    const fs::Placement got = f->placement();
    QCOMPARE(got.left, want.left);
    QCOMPARE(got.top, want.top);
    QCOMPARE(got.width, want.width);
    QCOMPARE(got.height, want.height);
    // The image stands where the fit put it, and inside the window.
    QCOMPARE(f->Image_Show_Fullscreen->Width(), want.width * 15);
    QCOMPARE(f->Image_Show_Fullscreen->Top(), want.top * 15);
    QVERIFY2(f->rect().contains(f->Image_Show_Fullscreen->geometry()),
             qPrintable(QString("%1x%2 in %3,%4 %5x%6")
                            .arg(f->width())
                            .arg(f->height())
                            .arg(f->Image_Show_Fullscreen->x())
                            .arg(f->Image_Show_Fullscreen->y())
                            .arg(f->Image_Show_Fullscreen->width())
                            .arg(f->Image_Show_Fullscreen->height())));
}

void TestFullScreen::reactivationWhileDescribingChangesNothing()
{
    MainFixture fx;
    fx.click("CMD_StapelMagazijn");
    fx.click("Image_Module_Holder");
    Full_Screen* f = fx.main->fullScreen(false);
    QVERIFY(f);
    f->Image_Show_Fullscreen->clearPicture();
    const double width = f->Image_Show_Fullscreen->Width();

    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(f, &activate);
    fx.click("Image_Module_Holder"); // brings it to the front only
    QVERIFY(f->Image_Show_Fullscreen->Picture().isEmpty());
    QCOMPARE(f->Image_Show_Fullscreen->Width(), width);
    QVERIFY(f->isVisible());
}

void TestFullScreen::reopensWithOtherStation()
{
    MainFixture fx;
    fx.click("CMD_StapelMagazijn");
    fx.click("Image_Module_Holder");
    Beschrijving* b = fx.main->beschrijving(false);
    QVERIFY(b);
    b->CMD_Close->click();
    Full_Screen* f = fx.main->fullScreen(false);
    QVERIFY(!f->isVisible());
    QVERIFY(f->isEnabled());

    fx.click("CMD_Stationhandling");
    fx.click("Image_Module_Holder");
    QVERIFY(f->isVisible());
    QVERIFY(b->isVisible());
    QCOMPARE(shownFile(f->Image_Show_Fullscreen), QString("Station Handling cijfers.jpg"));
}

void TestFullScreen::missingPictureKeepsWindowsUsable()
{
    MainFixture fx(false);
    fx.click("CMD_Transportband");
    testing::WarningLog warnings;
    fx.click("Image_Module_Holder");
    Full_Screen* f = fx.main->fullScreen(false);
    QVERIFY(f && f->isVisible());
    QCOMPARE(warnings.count(), 1);
    QVERIFY(f->Image_Show_Fullscreen->picture().isNull());
    QVERIFY(f->measured().isEmpty());
    QCOMPARE(f->placement().width, double(f->width()));
    QCOMPARE(f->placement().height, double(f->height()));
    Beschrijving* b = fx.main->beschrijving(false);
    QVERIFY(b && b->isVisible());
    b->CMD_Close->click();
    QVERIFY(!f->isVisible());
    QVERIFY(fx.main->isVisible());
}

void TestFullScreen::closingFullScreenClosesBoth()
{
    MainFixture fx;
    fx.click("CMD_Transportband");
    fx.click("Image_Module_Holder");
    Full_Screen* f = fx.main->fullScreen(false);
    QVERIFY(f);
    f->close();
    QVERIFY(!f->isVisible());
    QVERIFY(f->isEnabled());
    QVERIFY(!fx.main->beschrijving(false)->isVisible());
    QVERIFY(fx.main->isVisible());
}

QTEST_MAIN(TestFullScreen)
#include "tst_full_screen.moc"
