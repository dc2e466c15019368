#include "main_window/scaling.h"
#include "window_placement/placement.h"

#include <QTest>

using placement::Side;

Q_DECLARE_METATYPE(Side)
Q_DECLARE_METATYPE(QMargins)

class TestPlacement : public QObject
{
    Q_OBJECT

  private slots:
    void windows_data();
    void windows();
};

namespace
{

const QSize Design(1058, 727);

// A control of the main window in screen coordinates: its design place in
// twips, scaled as the window's client area is.
QRect control(const QRect& mainClient, double left, double top, double width, double height)
{
    const double fx = double(mainClient.width()) / Design.width() / 15;
    const double fy = double(mainClient.height()) / Design.height() / 15;
    return QRect(mainClient.left() + qRound(left * fx), mainClient.top() + qRound(top * fy),
                 qRound(width * fx), qRound(height * fy));
}

} // namespace

void TestPlacement::windows_data()
{
    QTest::addColumn<QRect>("usable");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QRect>("mainOuter"); // null: the main window as placed
    QTest::addColumn<Side>("preferred");
    QTest::addColumn<QSize>("mainClient");
    QTest::addColumn<QString>("how"); // beside right / left, clear, least
    QTest::addColumn<QSize>("newClient");
    QTest::addColumn<QSize>("minimum"); // the new window's smallest client size

    const QMargins twm(1, 23, 1, 1);
    const QMargins none;
    const QSize full(960, 640);
    // The main window's design height plus a title bar is more than a
    // 1366x768 screen keeps above its task bar: only the height gives way.
    QTest::newRow("1366x768, task bar below")
        << QRect(0, 0, 1366, 728) << twm << QRect() << Side::Right << QSize(1058, 704) << "clear"
        << QSize(623, 407) << QSize(360, 240);
    QTest::newRow("1366x768, task bar on the left")
        << QRect(48, 0, 1318, 768) << twm << QRect() << Side::Left << QSize(1058, 727) << "clear"
        << QSize(575, 374) << QSize(360, 240);
    QTest::newRow("1366x768 without a frame fits as designed")
        << QRect(0, 0, 1366, 768) << none << QRect() << Side::Right << QSize(1058, 727) << "clear"
        << QSize(624, 416) << QSize(360, 240);
    // Beside the main window is no room for 960 pixels on either side.
    QTest::newRow("1920x1080, task bar below")
        << QRect(0, 0, 1920, 1040) << twm << QRect() << Side::Right << QSize(1058, 727) << "clear"
        << QSize(911, 606) << QSize(360, 240);
    QTest::newRow("1920x1080, step plan to the left")
        << QRect(0, 0, 1920, 1040) << twm << QRect() << Side::Left << QSize(1058, 727) << "clear"
        << QSize(911, 606) << QSize(360, 240);
    QTest::newRow("3440x1440: room on the preferred side")
        << QRect(0, 0, 3440, 1400) << twm << QRect() << Side::Right << QSize(1058, 727)
        << "beside right" << full << QSize(360, 240);
    QTest::newRow("room on the other side only")
        << QRect(0, 0, 1920, 1080) << none << QRect(1000, 50, 900, 600) << Side::Right
        << QSize(1058, 727) << "beside left" << full << QSize(360, 240);
    QTest::newRow("main window low on the screen: kept on it")
        << QRect(0, 0, 1920, 1080) << none << QRect(0, 700, 800, 300) << Side::Right
        << QSize(1058, 727) << "beside right" << full << QSize(360, 240);
    // Both sides shrink by the same factor (3/4 of 1060x752): the height
    // gives one pixel more, or the fonts would keep their design size.
    QTest::newRow("both sides shrink equally")
        << QRect(0, 0, 795, 564) << QMargins(1, 22, 1, 3) << QRect() << Side::Right
        << QSize(793, 538) << "clear" << QSize(360, 240) << QSize(360, 240);
    QTest::newRow("1024x768, panel on top")
        << QRect(0, 32, 1024, 736) << twm << QRect() << Side::Right << QSize(1022, 712) << "clear"
        << QSize(430, 274) << QSize(360, 240);
    QTest::newRow("800x600: clear at the smallest size")
        << QRect(0, 0, 800, 600) << twm << QRect() << Side::Right << QSize(798, 576) << "clear"
        << QSize(360, 246) << QSize(360, 240);
    // The step plan's layout needs 835x478: no spot at 1366x768 leaves both
    // clear, so it covers part of the station buttons and none of Noodstop.
    QTest::newRow("1366x768, step plan at its smallest")
        << QRect(0, 0, 1366, 728) << twm << QRect() << Side::Left << QSize(1058, 704) << "least"
        << QSize(835, 478) << QSize(835, 478);
    QTest::newRow("640x480: nothing clear, the least covered")
        << QRect(0, 0, 640, 480) << twm << QRect() << Side::Right << QSize(638, 456) << "least"
        << QSize(360, 240) << QSize(360, 240);
}

void TestPlacement::windows()
{
    QFETCH(QRect, usable);
    QFETCH(QMargins, frame);
    QFETCH(QRect, mainOuter);
    QFETCH(Side, preferred);
    QFETCH(QSize, mainClient);
    QFETCH(QString, how);
    QFETCH(QSize, newClient);
    QFETCH(QSize, minimum);

    // The main window: whole on the usable area, centred, shrunk only where
    // it does not fit, and then with smaller fonts.
    const QRect main = placement::mainWindow(usable, Design, frame);
    const QRect outer = placement::outerRect(main, frame);
    QCOMPARE(main.size(), mainClient);
    QVERIFY2(usable.contains(outer), qPrintable(QStringLiteral("main window off the screen")));
    QVERIFY(qAbs((outer.left() - usable.left()) - (usable.right() - outer.right())) <= 1);
    QVERIFY(qAbs((outer.top() - usable.top()) - (usable.bottom() - outer.bottom())) <= 1);
    const QSize designOuter =
        Design + QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    const mw::ScaleFactors f =
        mw::scaleFactors(outer.width(), outer.height(), designOuter.width(), designOuter.height());
    if (mainClient != Design)
        QVERIFY(f.FactorFont < 1);
    else
        QCOMPARE(f.FactorFont, 1.0f);

    // A new window of 960x640 beside it.
    placement::Request q;
    q.usable = usable;
    q.mainOuter = mainOuter.isNull() ? outer : mainOuter;
    const QRect client = mainOuter.isNull() ? main : mainOuter;
    const QRect stationButtons = control(client, 7320, 4695, 3975, 4230);
    const QRect noodstop = control(client, 10185, 9015, 2535, 1815);
    q.keepClear = {noodstop, stationButtons};
    q.size = QSize(960, 640);
    q.minimum = minimum;
    q.frame = frame;
    q.preferred = preferred;
    const QRect placed = placement::besideMain(q);
    const QRect placedOuter = placement::outerRect(placed, frame);
    QCOMPARE(placed.size(), newClient);
    QVERIFY(usable.contains(placedOuter));
    if (how == QLatin1String("beside right")) {
        QCOMPARE(placedOuter.left(), q.mainOuter.right() + 1 + placement::Gap);
    } else if (how == QLatin1String("beside left")) {
        QCOMPARE(placedOuter.right(), q.mainOuter.left() - 1 - placement::Gap);
    } else if (how == QLatin1String("clear")) {
        QVERIFY(!placedOuter.intersects(stationButtons));
        QVERIFY(!placedOuter.intersects(noodstop));
    } else {
        // Nothing is clear: the smallest window, and Noodstop stays free.
        QCOMPARE(placed.size(), q.minimum);
        QVERIFY(!placedOuter.intersects(noodstop));
    }
}

QTEST_GUILESS_MAIN(TestPlacement)
#include "tst_placement.moc"
