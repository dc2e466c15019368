#include "window_placement/placement.h"

#include <algorithm>
#include <optional>
#include <tuple>

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
// edges, the main window's edges and just beside each control to keep
// clear, kept inside the usable area. Assumes `s` fits the usable area.
QVector<QRect> spots(const Request& q, QSize s)
{
    const QRect& u = q.usable;
    const QRect& m = q.mainOuter;
    QVector<int> xs{u.left(),
                    u.right() + 1 - s.width(),
                    m.left(),
                    m.right() + 1 - s.width(),
                    m.right() + 1 + Gap,
                    m.left() - Gap - s.width()};
    QVector<int> ys{u.top(), u.bottom() + 1 - s.height(), m.top(), m.bottom() + 1 - s.height()};
    for (const QRect& k : q.keepClear) {
        xs << k.left() - Gap - s.width() << k.right() + 1 + Gap;
        ys << k.top() - Gap - s.height() << k.bottom() + 1 + Gap;
    }
    QVector<QRect> out;
    for (int x : xs) {
        x = std::clamp(x, u.left(), u.right() + 1 - s.width());
        for (int y : ys) {
            y = std::clamp(y, u.top(), u.bottom() + 1 - s.height());
            const QRect r(QPoint(x, y), s);
            if (!out.contains(r))
                out << r;
        }
    }
    return out;
}

qint64 coveredControls(const Request& q, const QRect& r)
{
    qint64 sum = 0;
    for (const QRect& k : q.keepClear)
        sum += overlap(r, k);
    return sum;
}

// Of two spots, the one that covers less of the main window; then the one
// further to the preferred side; then the higher one.
bool better(const Request& q, const QRect& a, const QRect& b)
{
    const int ax = q.preferred == Side::Right ? -a.x() : a.x();
    const int bx = q.preferred == Side::Right ? -b.x() : b.x();
    return std::tuple(overlap(a, q.mainOuter), ax, a.y()) <
           std::tuple(overlap(b, q.mainOuter), bx, b.y());
}

std::optional<QRect> clearSpot(const Request& q, QSize s)
{
    std::optional<QRect> best;
    for (const QRect& r : spots(q, s)) {
        if (coveredControls(q, r) > 0)
            continue;
        if (!best || better(q, r, *best))
            best = r;
    }
    return best;
}

// How much of each control a spot covers, the most important first.
QVector<qint64> coverage(const Request& q, const QRect& r)
{
    QVector<qint64> out;
    for (const QRect& k : q.keepClear)
        out << overlap(r, k);
    return out;
}

QRect leastCovering(const Request& q, QSize s)
{
    QRect best;
    QVector<qint64> bestCovered;
    for (const QRect& r : spots(q, s)) {
        const QVector<qint64> covered = coverage(q, r);
        if (best.isNull() || covered < bestCovered ||
            (covered == bestCovered && better(q, r, best))) {
            best = r;
            bestCovered = covered;
        }
    }
    return best;
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

QRect besideMain(const Request& q)
{
    const QRect& u = q.usable;
    const QRect& m = q.mainOuter;
    const QSize outer = (q.size + frameSize(q.frame)).boundedTo(u.size());
    const QSize smallest = (q.minimum + frameSize(q.frame)).boundedTo(outer);

    const int top = std::clamp(m.top(), u.top(), u.bottom() + 1 - outer.height());
    const Side other = q.preferred == Side::Right ? Side::Left : Side::Right;
    for (Side side : {q.preferred, other}) {
        const int x = side == Side::Right ? m.right() + 1 + Gap : m.left() - Gap - outer.width();
        const QRect r(QPoint(x, top), outer);
        if (u.contains(r))
            return clientRect(r, q.frame);
    }

    // No room beside it: clear of the controls, as large as possible.
    for (int percent = 100;; percent -= 5) {
        const QSize s = QSize(outer.width() * percent / 100, outer.height() * percent / 100)
                            .expandedTo(smallest);
        if (const std::optional<QRect> r = clearSpot(q, s))
            return clientRect(*r, q.frame);
        if (s == smallest || percent <= 5)
            break;
    }
    return clientRect(leastCovering(q, smallest), q.frame);
}

} // namespace placement
