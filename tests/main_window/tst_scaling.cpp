// Window scaling: the factor rules, the picture holders, and whole-window
// rescales from the recorded layout.
#include "main_window/scaling.h"
#include "support/test_support.h"
#include "support/try_wait.h"

#include <QtTest>

using testing::MainFixture;

class TestScaling : public QObject
{
    Q_OBJECT

  private slots:
    void factors_data();
    void factors();
    void pictureHolder_data();
    void pictureHolder();
    void skipsWhatAControlLacks();
    void windowRescale_data();
    void windowRescale();
    void restoreReturnsExactly();
    void afterResizeFirstPageAndFocus();
    void opensWholeOnTheScreen_data();
    void opensWholeOnTheScreen();
};

namespace
{

class FixedScreen : public platform::ScreenService
{
  public:
    QRect usable;
    QRect usableArea(const QWidget*) const override { return usable; }
};

} // namespace

void TestScaling::factors_data()
{
    QTest::addColumn<QSizeF>("now");
    QTest::addColumn<float>("fx");
    QTest::addColumn<float>("fy");
    QTest::addColumn<float>("ffont");
    // Recorded outer size 1000 x 800.
    QTest::newRow("load size") << QSizeF(1000, 800) << 1.0f << 1.0f << 1.0f;
    QTest::newRow("double width") << QSizeF(2000, 800) << 2.0f << 1.0f << 1.0f;
    QTest::newRow("double height") << QSizeF(1000, 1600) << 1.0f << 2.0f << 1.0f;
    QTest::newRow("double both: equal gives 1") << QSizeF(2000, 1600) << 2.0f << 2.0f << 1.0f;
    QTest::newRow("1.5 x 1.2") << QSizeF(1500, 960) << 1.5f << 1.2f << 1.2f;
    QTest::newRow("1.2 x 1.5") << QSizeF(1200, 1200) << 1.2f << 1.5f << 1.2f;
    QTest::newRow("shrunk") << QSizeF(500, 600) << 0.5f << 0.75f << 0.5f;
}

void TestScaling::factors()
{
    QFETCH(QSizeF, now);
    QFETCH(float, fx);
    QFETCH(float, fy);
    QFETCH(float, ffont);
    const mw::ScaleFactors f = mw::scaleFactors(now.width(), now.height(), 1000, 800);
    QCOMPARE(f.FactorX, fx);
    QCOMPARE(f.FactorY, fy);
    QCOMPARE(f.FactorFont, ffont);
}

void TestScaling::pictureHolder_data()
{
    QTest::addColumn<float>("fx");
    QTest::addColumn<float>("fy");
    QTest::addColumn<QRectF>("expected");
    // Holder 6495 x 5655 in a frame of 6975 x 6375 at load size.
    QTest::newRow("load size") << 1.0f << 1.0f << QRectF(240, 150 + 360, 6495, 5655);
    QTest::newRow("double width") << 2.0f << 1.0f
                                  << QRectF((13950 - 6495) / 2.0, 150 + 360, 6495, 5655);
    QTest::newRow("1.5 x 1.2") << 1.5f << 1.2f
                               << QRectF((6975 * 1.5 - 6495 * 1.2) / 2.0,
                                         1.2 * 150 + (6375 * 1.2 - 5655 * 1.2) / 2.0, 6495 * 1.2,
                                         5655 * 1.2);
}

void TestScaling::pictureHolder()
{
    QFETCH(float, fx);
    QFETCH(float, fy);
    QFETCH(QRectF, expected);
    mw::BeginPositie r;
    r.Left = 240;
    r.Top = 375;
    r.Width = 6495;
    r.Height = 5655;
    const mw::ScaleFactors f = mw::scaleFactors(1000 * fx, 800 * fy, 1000, 800);
    const mw::TwipRect t = mw::centredPicture(r, f, 6975 * double(fx), 6375 * double(fy));
    QVERIFY(qAbs(t.left - expected.left()) < 0.01);
    QVERIFY(qAbs(t.top - expected.top()) < 0.01);
    QVERIFY(qAbs(t.width - expected.width()) < 0.01);
    QVERIFY(qAbs(t.height - expected.height()) < 0.01);
}

void TestScaling::skipsWhatAControlLacks()
{
    MainFixture fx;
    QObject* timer = fx.control("TimerNVT");
    const mw::BeginPositie r = mw::recordControl(timer);
    QCOMPARE(r.Width, 0.0f);
    QCOMPARE(r.FontSize, 0.0f);
    QVERIFY(!mw::writeProperty(timer, "Width", 100));
    // A font size of 0 is refused and the old size stays.
    QObject* shape = fx.control("Shape_Lampje(0)");
    QVERIFY(!mw::writeProperty(shape, "FontSize", 12));
    QObject* button = fx.control("CMD_Help");
    QVERIFY(!mw::writeProperty(button, "FontSize", 0));
    QCOMPARE(button->property("FontSize").toDouble(), 11.25);
}

// The client size the window opened with: 15870 x 10905 twips.
static QSize designSize(const Main&)
{
    return QSize(1058, 727);
}

void TestScaling::windowRescale_data()
{
    QTest::addColumn<double>("wx");
    QTest::addColumn<double>("wy");
    QTest::newRow("double width") << 2.0 << 1.0;
    QTest::newRow("double height") << 1.0 << 2.0;
    QTest::newRow("1.5 x 1.2") << 1.5 << 1.2;
    QTest::newRow("smaller") << 0.8 << 0.7;
}

void TestScaling::windowRescale()
{
    QFETCH(double, wx);
    QFETCH(double, wy);
    MainFixture fx;
    Main& m = *fx.main;
    m.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m));
    const QSize base = designSize(m);
    const QSize frame = m.frameGeometry().size() - m.size();
    const QSize outer = base + frame;
    const QSize target(qRound(outer.width() * wx) - frame.width(),
                       qRound(outer.height() * wy) - frame.height());
    m.resize(target);
    const mw::ScaleFactors f = mw::scaleFactors((target + frame).width(), (target + frame).height(),
                                                outer.width(), outer.height());
    // An ordinary control follows both factors; fonts the smaller one.
    QObject* help = fx.control("CMD_Help");
    QVERIFY(qAbs(help->property("Left").toDouble() - 2430 * double(f.FactorX)) < 0.01);
    QVERIFY(qAbs(help->property("Height").toDouble() - 690 * double(f.FactorY)) < 0.01);
    QVERIFY(qAbs(help->property("FontSize").toDouble() - 11.25 * double(f.FactorFont)) < 0.001);
    // The input lamps move with their frame.
    QObject* lamp = fx.control("Shape_LampjeIn(8)");
    QVERIFY(qAbs(lamp->property("Top").toDouble() - 3360 * double(f.FactorY)) < 0.01);
    // The two pictures keep their proportions and sit centred in their frames.
    for (const auto& [picture, frameName] :
         {std::pair{"Image_Module_Holder", "FrameModule"},
          std::pair{"ImageSensorActuator", "FrameSensorActuator"}}) {
        QObject* p = fx.control(picture);
        QObject* fr = fx.control(frameName);
        const double pw = p->property("Width").toDouble();
        const double ph = p->property("Height").toDouble();
        QCOMPARE(p->property("Left").toDouble(), (fr->property("Width").toDouble() - pw) / 2);
        QCOMPARE(p->property("Top").toDouble(),
                 double(f.FactorY) * 150 + (fr->property("Height").toDouble() - ph) / 2);
        const mw::BeginPositie* rec = nullptr;
        for (const auto& r : m.BeginPosities())
            if (r.Control == p)
                rec = &r;
        QVERIFY(rec);
        QVERIFY(qAbs(pw / ph - double(rec->Width) / rec->Height) < 1e-6);
    }
    // The interface control moves like every other control.
    QVERIFY(qAbs(fx.port.Left() - 720 * double(f.FactorX)) < 0.01);
}

void TestScaling::restoreReturnsExactly()
{
    MainFixture fx;
    Main& m = *fx.main;
    m.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m));
    const QSize base = designSize(m);
    m.resize(base.width() * 2, base.height() * 3 / 2);
    QVERIFY(fx.prop("CMD_Help", "Left").toDouble() > 4000);
    m.resize(40, 30); // something like a minimised window
    m.resize(base);
    for (const auto& r : m.BeginPosities()) {
        QObject* c = r.Control.data();
        if (!c)
            continue;
        const QString n = c->objectName();
        // The picture holders are centred in their frames, not put back.
        if (n != "Image_Module_Holder" && n != "ImageSensorActuator") {
            QCOMPARE(float(c->property("Left").toDouble()), r.Left);
            QCOMPARE(float(c->property("Top").toDouble()), r.Top);
        }
        QCOMPARE(float(c->property("Width").toDouble()), r.Width);
        QCOMPARE(float(c->property("Height").toDouble()), r.Height);
        if (r.FontSize > 0 && n != "PictureTekst")
            QCOMPARE(float(c->property("FontSize").toDouble()), r.FontSize);
    }
}

void TestScaling::afterResizeFirstPageAndFocus()
{
    MainFixture fx;
    Main& m = *fx.main;
    m.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m));
    fx.control("PictureTekst")->setProperty("Top", -3630.0);
    m.resize(m.width() + 100, m.height() + 50);
    QCOMPARE(fx.prop("PictureTekst", "Top").toDouble(), 0.0);
    TRY_COMPARE(QApplication::focusWidget(), fx.control<QWidget>("CMD_Interfacing"));
}

void TestScaling::opensWholeOnTheScreen_data()
{
    QTest::addColumn<QRect>("usable");
    QTest::addColumn<bool>("scaled");
    QTest::newRow("1366x768 above a task bar") << QRect(0, 0, 1366, 728) << true;
    QTest::newRow("1024x768 below a panel") << QRect(0, 32, 1024, 736) << true;
    QTest::newRow("1920x1080 above a task bar") << QRect(0, 0, 1920, 1040) << false;
    QTest::newRow("second screen, right of the first") << QRect(1920, 0, 1280, 984) << false;
}

// Noodstop and every other control stay in reach: the window lies whole in
// the usable area, shrunk with smaller fonts only when its design size does
// not fit there.
void TestScaling::opensWholeOnTheScreen()
{
    QFETCH(QRect, usable);
    QFETCH(bool, scaled);
    FixedScreen screen;
    screen.usable = usable;
    platform::setScreens(&screen);
    auto restore = qScopeGuard([] { platform::setScreens(nullptr); });
    MainFixture fx;
    Main& m = *fx.main;
    m.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m));
    QVERIFY2(usable.contains(m.frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                .arg(m.frameGeometry().x())
                                                                .arg(m.frameGeometry().y())
                                                                .arg(m.frameGeometry().width())
                                                                .arg(m.frameGeometry().height())));
    auto* stop = fx.control<QWidget>(QStringLiteral("CMD_ResetAlles"));
    QVERIFY(usable.contains(QRect(stop->mapToGlobal(QPoint(0, 0)), stop->size())));
    QCOMPARE(m.size() != designSize(m), scaled);
    const double helpFont = fx.prop(QStringLiteral("CMD_Help"), "FontSize").toDouble();
    if (scaled)
        QVERIFY(helpFont < 11.25);
    else
        QCOMPARE(helpFont, 11.25);
    // Scaling still starts from the design layout.
    m.resize(designSize(m));
    QCOMPARE(fx.prop(QStringLiteral("CMD_Help"), "FontSize").toDouble(), 11.25);
}

QTEST_MAIN(TestScaling)
#include "tst_scaling.moc"
