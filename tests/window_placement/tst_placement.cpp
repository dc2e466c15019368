#include "main_window/scaling.h"
#include "step_plan/step_plan_window.h"
#include "window_placement/placement.h"

#include <QTest>

using placement::SideRequest;
using placement::SideWindow;

Q_DECLARE_METATYPE(QMargins)

class TestPlacement : public QObject
{
    Q_OBJECT

  private slots:
    void mainWindow_data();
    void mainWindow();
    void sideWindows_data();
    void sideWindows();
};

namespace
{

const QSize Design(1058, 727);
const QMargins Twm(1, 23, 1, 1);

// The side windows: the size they open at, and the smallest they work at.
const QSize StationMinimum(360, 240);
const QSize PlanMinimum(plan::StepPlanWindow::MinimumWidth, plan::StepPlanWindow::MinimumHeight);

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

void TestPlacement::mainWindow_data()
{
    QTest::addColumn<QRect>("usable");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QSize>("mainClient");

    const QMargins none;
    // The main window's design height plus a title bar is more than a
    // 1366x768 screen keeps above its task bar: only the height gives way.
    QTest::newRow("1366x768, task bar below") << QRect(0, 0, 1366, 728) << Twm << QSize(1058, 704);
    QTest::newRow("1366x768, task bar on the left")
        << QRect(48, 0, 1318, 768) << Twm << QSize(1058, 727);
    QTest::newRow("1366x768 without a frame fits as designed")
        << QRect(0, 0, 1366, 768) << none << QSize(1058, 727);
    QTest::newRow("1920x1080, task bar below")
        << QRect(0, 0, 1920, 1040) << Twm << QSize(1058, 727);
    QTest::newRow("3440x1440") << QRect(0, 0, 3440, 1400) << Twm << QSize(1058, 727);
    // Both sides shrink by the same factor (3/4 of 1060x752): the height
    // gives one pixel more, or the fonts would keep their design size.
    QTest::newRow("both sides shrink equally")
        << QRect(0, 0, 795, 564) << QMargins(1, 22, 1, 3) << QSize(793, 538);
    QTest::newRow("1024x768, panel on top") << QRect(0, 32, 1024, 736) << Twm << QSize(1022, 712);
    QTest::newRow("800x600") << QRect(0, 0, 800, 600) << Twm << QSize(798, 576);
    QTest::newRow("640x480") << QRect(0, 0, 640, 480) << Twm << QSize(638, 456);
}

void TestPlacement::mainWindow()
{
    QFETCH(QRect, usable);
    QFETCH(QMargins, frame);
    QFETCH(QSize, mainClient);

    // Whole on the usable area, centred, shrunk only where it does not
    // fit, and then with smaller fonts.
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
}

// The side windows as the program opens them: "Virtuele opstelling" first
// (keeping room for the step plan), then "Stappenplan" beside it as it
// stands. `clear`: the screen has room to keep both off the station
// buttons, Noodstop and each other.
void TestPlacement::sideWindows_data()
{
    QTest::addColumn<QRect>("usable");
    QTest::addColumn<bool>("station");
    QTest::addColumn<bool>("plan");
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<bool>("clear");
    QTest::addColumn<QRect>("mainOuter"); // null: the main window as placed

    struct Screen {
        int w, h;
        bool clear;
    };
    const Screen screens[] = {{1024, 768, true}, {1280, 1024, true}, {1366, 768, true},
                              {1600, 900, true}, {1920, 1080, true}, {2560, 1440, true},
                              {800, 600, false}, {640, 480, false}};
    struct Which {
        const char* name;
        bool station, plan;
    };
    const Which whiches[] = {{"station", true, false}, {"plan", false, true}, {"both", true, true}};
    // As designed, and after the pupil made them larger.
    const QSize sizes[] = {QSize(960, 640), QSize(1400, 1000)};
    for (const Screen& s : screens)
        for (int bar : {0, 40})
            for (const Which& w : whiches)
                for (const QSize& asked : sizes)
                    QTest::addRow("%dx%d%s, %s, %dx%d", s.w, s.h, bar ? " task bar" : "", w.name,
                                  asked.width(), asked.height())
                        << QRect(0, 0, s.w, s.h - bar) << w.station << w.plan << asked << s.clear
                        << QRect();
    // Where the pupil moved the main window.
    QTest::newRow("room on the other side only")
        << QRect(0, 0, 1920, 1080) << true << false << QSize(960, 640) << true
        << QRect(1000, 50, 900, 600);
    QTest::newRow("main window low on the screen: kept on it")
        << QRect(0, 0, 1920, 1080) << true << true << QSize(960, 640) << true
        << QRect(0, 700, 800, 300);
    // Dragged up and left: the step plan fits only over the station
    // buttons or over Noodstop.
    QTest::newRow("main window dragged up: station buttons give way, not Noodstop")
        << QRect(0, 0, 1024, 768) << true << true << QSize(960, 640) << false
        << QRect(-200, -250, 1060, 751);
}

void TestPlacement::sideWindows()
{
    QFETCH(QRect, usable);
    QFETCH(bool, station);
    QFETCH(bool, plan);
    QFETCH(QSize, asked);
    QFETCH(bool, clear);
    QFETCH(QRect, mainOuter);

    SideRequest q;
    q.usable = usable;
    const QRect mainClient = mainOuter.isNull() ? placement::mainWindow(usable, Design, Twm)
                                                : placement::clientRect(mainOuter, Twm);
    q.mainOuter = placement::outerRect(mainClient, Twm);
    q.stationButtons = control(mainClient, 7320, 4695, 3975, 4230);
    q.noodstop = control(mainClient, 10185, 9015, 2535, 1815);
    // The output buttons, then the inputs, the connection and the commands.
    const QRect outputs = control(mainClient, 12000, 120, 3615, 4335);
    q.rather = {outputs, control(mainClient, 7320, 120, 4215, 4335),
                control(mainClient, 5145, 9015, 4815, 1815),
                control(mainClient, 120, 9030, 4830, 1815)};
    const SideWindow stationAsked = SideWindow::place(asked, StationMinimum, Twm);
    const SideWindow planAsked = SideWindow::place(asked, PlanMinimum, Twm);

    QRect stationOuter;
    QRect planOuter;
    if (station) {
        q.station = stationAsked;
        q.plan = plan ? planAsked : SideWindow();
        stationOuter = placement::outerRect(placement::sideWindows(q).station, Twm);
    }
    if (plan) {
        q.station = station ? SideWindow::fixed(stationOuter) : SideWindow();
        q.plan = planAsked;
        planOuter = placement::outerRect(placement::sideWindows(q).plan, Twm);
    }

    struct Placed {
        const char* name;
        QRect outer;
        QSize minimum;
    };
    const QSize frame(Twm.left() + Twm.right(), Twm.top() + Twm.bottom());
    for (const Placed& w : {Placed{"station", stationOuter, StationMinimum},
                            Placed{"plan", planOuter, PlanMinimum}}) {
        if (w.outer.isNull())
            continue;
        const QByteArray why = QByteArray(w.name) + QByteArray(" at ") +
                               QByteArray::number(w.outer.x()) + ',' +
                               QByteArray::number(w.outer.y());
        QVERIFY2(usable.contains(w.outer), why.constData());
        const QSize client = w.outer.size() - frame;
        // A screen smaller than the window's smallest size gets it whole.
        const QSize minimum = w.minimum.boundedTo(usable.size() - frame);
        QVERIFY2(client.width() >= minimum.width() && client.height() >= minimum.height(),
                 why.constData());
        QVERIFY2(client.width() <= asked.width() && client.height() <= asked.height(),
                 why.constData());
        if (clear) {
            QVERIFY2(!w.outer.intersects(q.noodstop), why.constData());
            QVERIFY2(!w.outer.intersects(q.stationButtons), why.constData());
            // On these screens there is also room to leave the outputs in sight.
            QVERIFY2(!w.outer.intersects(outputs), why.constData());
        }
        // Beside the main window: level with its top, as far as the screen allows.
        if (w.outer.left() > q.mainOuter.right() || w.outer.right() < q.mainOuter.left())
            QCOMPARE(w.outer.top(), std::clamp(q.mainOuter.top(), usable.top(),
                                               usable.bottom() + 1 - w.outer.height()));
        // Over the main window only at the smallest size.
        if (w.outer.intersects(q.mainOuter))
            QCOMPARE(client, minimum);
        // Room for the smallest window beside the main window: it opens there.
        const int room =
            std::max(q.mainOuter.left() - usable.left(), usable.right() - q.mainOuter.right()) -
            placement::Gap;
        const bool onlyOne = !(station && plan);
        if (room >= w.minimum.width() + frame.width() &&
            (onlyOne || QByteArray(w.name) == "station" ||
             room >= PlanMinimum.width() + frame.width()))
            QVERIFY2(!w.outer.intersects(q.mainOuter), why.constData());
    }
    if (station && plan && clear)
        QVERIFY2(!planOuter.intersects(stationOuter), "side windows over each other");
    // Never over Noodstop, whatever the screen.
    QVERIFY(!planOuter.intersects(q.noodstop));
}

QTEST_GUILESS_MAIN(TestPlacement)
#include "tst_placement.moc"
