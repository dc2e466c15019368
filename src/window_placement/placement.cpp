#include "window_placement/placement.h"

#include <algorithm>
#include <array>
#include <optional>

namespace placement
{

namespace
{

QSize frameSize(const QMargins& frame)
{
    return QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
}

qint64 area(const QRect& r)
{
    return r.isEmpty() ? 0 : qint64(r.width()) * r.height();
}

qint64 overlap(const QRect& a, const QRect& b)
{
    return area(a.intersected(b));
}

// Spots for a window of outer size `s`: flush with the usable area's
// edges, the main window's edges, just beside each rectangle to keep clear
// and beside a window of each size in `others` standing in a corner, kept
// inside the usable area. Assumes `s` fits the usable area.
QVector<QRect> spots(const QRect& u, const QRect& m, const QVector<QRect>& clear, QSize s,
                     const QVector<QSize>& others)
{
    QVector<int> xs{u.left(),
                    u.right() + 1 - s.width(),
                    m.left(),
                    m.right() + 1 - s.width(),
                    m.right() + 1 + Gap,
                    m.left() - Gap - s.width()};
    QVector<int> ys{u.top(), u.bottom() + 1 - s.height(), m.top(), m.bottom() + 1 - s.height()};
    for (const QRect& k : clear) {
        if (k.isNull())
            continue;
        xs << k.left() - Gap - s.width() << k.right() + 1 + Gap;
        ys << k.top() - Gap - s.height() << k.bottom() + 1 + Gap;
    }
    // Room for another window of size `o` in a corner of the usable area.
    for (const QSize o : others) {
        xs << u.left() + o.width() + Gap << u.right() + 1 - o.width() - Gap - s.width();
        ys << u.top() + o.height() + Gap << u.bottom() + 1 - o.height() - Gap - s.height();
    }
    // Each corner once, in the order first met: every size is placed
    // several hundred times while a window opens, so the rectangles are not
    // compared with each other.
    auto clamped = [](const QVector<int>& values, int low, int high) {
        QVector<int> once;
        for (const int v : values) {
            const int c = std::clamp(v, low, high);
            if (!once.contains(c))
                once << c;
        }
        return once;
    };
    const QVector<int> xOnce = clamped(xs, u.left(), u.right() + 1 - s.width());
    const QVector<int> yOnce = clamped(ys, u.top(), u.bottom() + 1 - s.height());
    QVector<QRect> out;
    out.reserve(xOnce.size() * yOnce.size());
    for (const int x : xOnce)
        for (const int y : yOnce)
            out << QRect(QPoint(x, y), s);
    return out;
}

// The outer sizes worth trying for a window: as asked, the smallest, and
// as large as fits each room around the main window (keeping proportions).
QVector<QSize> sizes(const SideRequest& q, const SideWindow& w)
{
    const QRect& u = q.usable;
    const QRect& m = q.mainOuter;
    const QSize outer = (w.size + frameSize(w.frame)).boundedTo(u.size());
    const QSize smallest = (w.minimum + frameSize(w.frame)).boundedTo(outer);
    QVector<QSize> out{outer, smallest};
    const QSize rooms[] = {{m.left() - Gap - u.left(), u.height()},
                           {u.right() - m.right() - Gap, u.height()},
                           {u.width(), m.top() - Gap - u.top()},
                           {u.width(), u.bottom() - m.bottom() - Gap}};
    for (const QSize room : rooms) {
        if (room.width() < smallest.width() || room.height() < smallest.height())
            continue;
        const double f = std::min(
            {1.0, double(room.width()) / outer.width(), double(room.height()) / outer.height()});
        const QSize s = QSize(int(outer.width() * f), int(outer.height() * f)).expandedTo(smallest);
        if (!out.contains(s))
            out << s;
    }
    return out;
}

QVector<QRect> candidates(const SideRequest& q, const SideWindow& w, const QRect& other,
                          const QVector<QSize>& others = {})
{
    switch (w.kind) {
    case SideWindow::Kind::Absent:
        return {QRect()};
    case SideWindow::Kind::Fixed:
        return {w.outer};
    case SideWindow::Kind::Place:
        break;
    }
    const QVector<QRect> clear{q.noodstop, q.stationButtons, other};
    QVector<QRect> out;
    for (const QSize s : sizes(q, w))
        out << spots(q.usable, q.mainOuter, clear, s, others);
    return out;
}

// What a layout of the two windows costs, compared in this order; at
// equal cost a window stands level with the main window's top.
constexpr int CostParts = 9;
using Cost = std::array<qint64, CostParts>;

qint64 costPart(const SideRequest& q, const QRect& station, const QRect& plan, int part)
{
    const QPoint mid = q.mainOuter.center();
    auto wrongSide = [&](const QRect& r, bool right) {
        return !r.isNull() && (right ? r.center().x() < mid.x() : r.center().x() > mid.x());
    };
    switch (part) {
    case 0:
        return overlap(plan, q.noodstop);
    case 1:
        return overlap(station, q.noodstop);
    case 2:
        return overlap(plan, q.stationButtons) + overlap(station, q.stationButtons);
    case 3:
        return overlap(plan, station);
    case 4: {
        qint64 sum = 0;
        for (const QRect& r : q.rather)
            sum += overlap(plan, r) + overlap(station, r);
        return sum;
    }
    case 5:
        return overlap(plan, q.mainOuter) + overlap(station, q.mainOuter);
    case 6:
        return qint64(wrongSide(station, true)) + qint64(wrongSide(plan, false));
    case 7:
        return -(area(plan) + area(station));
    default:
        return qint64(plan.isNull() ? 0 : qAbs(plan.top() - q.mainOuter.top())) +
               (station.isNull() ? 0 : qAbs(station.top() - q.mainOuter.top()));
    }
}

// Whether the layout costs less than `best` (when there is one), and then
// its cost in `best`. The parts after the first that differs are only
// worked out for a layout that wins: a window's placing weighs tens of
// thousands of layouts.
bool cheaper(const SideRequest& q, const QRect& station, const QRect& plan,
             std::optional<Cost>& best)
{
    Cost c{};
    int part = 0;
    if (best) {
        for (; part < CostParts; ++part) {
            c[size_t(part)] = costPart(q, station, plan, part);
            if (c[size_t(part)] != (*best)[size_t(part)])
                break;
        }
        if (part == CostParts || c[size_t(part)] > (*best)[size_t(part)])
            return false;
        ++part;
    }
    for (; part < CostParts; ++part)
        c[size_t(part)] = costPart(q, station, plan, part);
    best = c;
    return true;
}

} // namespace

QRect outerRect(const QRect& client, const QMargins& frame)
{
    return client.marginsAdded(frame);
}

QRect clientRect(const QRect& outer, const QMargins& frame)
{
    QRect r = outer.marginsRemoved(frame);
    // A usable area smaller than the frame still gets a window.
    r.setWidth(std::max(1, r.width()));
    r.setHeight(std::max(1, r.height()));
    return r;
}

QRect mainWindow(const QRect& usable, QSize design, const QMargins& frame)
{
    const QSize outerDesign = design + frameSize(frame);
    QSize outer = outerDesign.boundedTo(usable.size());
    if (outer.width() < outerDesign.width() && outer.height() < outerDesign.height()) {
        // The factors as the window's scaling computes them, from the outer
        // size, or from the client size while the frame is not yet known.
        auto equal = [](QSize now, QSize design) {
            return float(double(now.width()) / design.width()) ==
                   float(double(now.height()) / design.height());
        };
        while (outer.height() > frameSize(frame).height() + 1 &&
               (equal(outer, outerDesign) || equal(outer - frameSize(frame), design)))
            outer.rheight() -= 1;
    }
    const QPoint topLeft(usable.left() + (usable.width() - outer.width()) / 2,
                         usable.top() + (usable.height() - outer.height()) / 2);
    return clientRect(QRect(topLeft, outer), frame);
}

SidePlaces sideWindows(const SideRequest& q)
{
    // The window to place is tried beside each spot of the other, so the
    // two can stand edge to edge.
    const bool planFirst =
        q.plan.kind != SideWindow::Kind::Place && q.station.kind == SideWindow::Kind::Place;
    const SideWindow& first = planFirst ? q.plan : q.station;
    const SideWindow& second = planFirst ? q.station : q.plan;
    std::optional<Cost> best;
    QRect bestStation;
    QRect bestPlan;
    // The first window also tries the spots that leave a corner to the
    // second.
    QVector<QSize> secondSizes;
    if (second.kind == SideWindow::Kind::Place)
        secondSizes = sizes(q, second);
    for (const QRect& a : candidates(q, first, QRect(), secondSizes)) {
        for (const QRect& b : candidates(q, second, a)) {
            const QRect& station = planFirst ? b : a;
            const QRect& plan = planFirst ? a : b;
            if (cheaper(q, station, plan, best)) {
                bestStation = station;
                bestPlan = plan;
            }
        }
    }
    SidePlaces out;
    if (q.station.kind == SideWindow::Kind::Place)
        out.station = clientRect(bestStation, q.station.frame);
    if (q.plan.kind == SideWindow::Kind::Place)
        out.plan = clientRect(bestPlan, q.plan.frame);
    return out;
}

} // namespace placement
