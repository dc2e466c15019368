#include "window_placement/window_placer.h"

#include "platform/services.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace placement
{

namespace
{

// A title bar and thin border as most window managers draw them; only used
// until a real frame is known.
const QMargins CommonFrame(2, 30, 2, 2);

// How often a window is placed again for its real frame; one is enough
// unless the window manager changes its mind while the window opens.
constexpr int MaxCorrections = 2;

QMargins shownFrame(const QWidget* w)
{
    if (!w || !w->isVisible() || !w->windowHandle())
        return {};
    return w->windowHandle()->frameMargins();
}

// A control of the main window in screen coordinates, from the main
// window's geometry (which is current also right after it was placed).
QRect controlRect(const QWidget* mainWindow, const char* name)
{
    if (!mainWindow)
        return {};
    const auto* w = mainWindow->findChild<QWidget*>(QLatin1String(name));
    if (!w)
        return {};
    return QRect(mainWindow->geometry().topLeft() + w->mapTo(mainWindow, QPoint(0, 0)), w->size());
}

// Keeps a window where the rules put it: once more for its real frame
// (its first paint comes after the window manager framed it), and again
// when the screen's usable area changes. A window the pupil moved or
// resized stays where the pupil put it.
class Placed : public QObject
{
  public:
    Placed(QWidget* window, std::function<QRect(const QMargins&, bool)> place, int rank)
        : QObject(window), m_window(window), m_place(std::move(place)), m_rank(rank)
    {
        setObjectName(QStringLiteral("placementWatch"));
        m_used = frameOf(window);
        set(m_place(m_used, false));
        window->installEventFilter(this);
        auto watch = [this](QScreen* s) {
            connect(s, &QScreen::availableGeometryChanged, this, &Placed::screenChanged);
        };
        for (QScreen* s : QGuiApplication::screens())
            watch(s);
        connect(qApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* s) {
            watch(s);
            screenChanged();
        });
        connect(qApp, &QGuiApplication::screenRemoved, this, &Placed::screenChanged);
        connect(qApp, &QGuiApplication::primaryScreenChanged, this, &Placed::screenChanged);
    }

    bool follows() const { return !moved(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_window || !m_correcting)
            return false;
        switch (event->type()) {
        case QEvent::Paint:
        case QEvent::Move:
        case QEvent::Resize:
            if (m_painted || event->type() == QEvent::Paint) {
                m_painted = true;
                correct();
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::KeyPress:
        case QEvent::Hide:
        // Maximised or minimised, the frame changes for another reason.
        case QEvent::WindowStateChange:
            m_correcting = false;
            break;
        default:
            break;
        }
        return false;
    }

  private:
    bool moved() const { return m_window->geometry() != m_set; }

    void set(const QRect& r)
    {
        m_window->setGeometry(r);
        m_set = m_window->geometry();
    }

    void correct()
    {
        const QMargins real = shownFrame(m_window);
        if (real == m_used || moved())
            return;
        m_used = real;
        set(m_place(real, true));
        if (++m_corrections >= MaxCorrections)
            m_correcting = false;
    }

    // The main window first, the side windows after it: theirs follows
    // from where the main window then stands.
    void screenChanged()
    {
        if (!m_window->isVisible() || moved() || m_pending)
            return;
        m_pending = true;
        later(m_rank, [this] {
            m_pending = false;
            if (!m_window->isVisible() || moved())
                return;
            m_used = frameOf(m_window);
            set(m_place(m_used, true));
        });
    }

    void later(int hops, std::function<void()> f)
    {
        QTimer::singleShot(0, this, [this, hops, f = std::move(f)]() mutable {
            if (hops > 0)
                later(hops - 1, std::move(f));
            else
                f();
        });
    }

    QWidget* m_window;
    std::function<QRect(const QMargins&, bool)> m_place;
    int m_rank;
    QMargins m_used;
    QRect m_set;
    bool m_painted = false;
    bool m_correcting = true;
    bool m_pending = false;
    int m_corrections = 0;
};

Placed* placedOf(const QWidget* w)
{
    return w ? w->findChild<Placed*>(QStringLiteral("placementWatch"), Qt::FindDirectChildrenOnly)
             : nullptr;
}

void place(QWidget* window, std::function<QRect(const QMargins&, bool)> f, int rank)
{
    if (!window)
        return;
    // A window placed again forgets the earlier request.
    delete placedOf(window);
    new Placed(window, std::move(f), rank);
}

QSize smallestSize(const QWidget* w)
{
    QSize s = w->minimumSize();
    if (w->layout())
        s = s.expandedTo(w->layout()->minimumSize());
    return s.expandedTo(QSize(1, 1));
}

// The main window's side windows and the sizes they ask for.
class SidePair : public QObject
{
  public:
    SidePair(QWidget* mainWindow, QWidget* station, QWidget* plan)
        : QObject(mainWindow), station(station), plan(plan),
          stationSize(station ? station->size() : QSize()), planSize(plan ? plan->size() : QSize())
    {
        setObjectName(QStringLiteral("placementSidePair"));
    }
    QPointer<QWidget> station;
    QPointer<QWidget> plan;
    QSize stationSize;
    QSize planSize;
};

// The other side window as the rules see it: where it stands when it is
// open (or, placed again after a change of screen, to be placed with this
// one if it still stands where it was put), else where it would open.
SideWindow partnerOf(QWidget* w, QSize asked, bool again)
{
    if (!w)
        return {};
    if (w->isVisible()) {
        const Placed* p = placedOf(w);
        if (!again || !p || !p->follows())
            return SideWindow::fixed(w->frameGeometry());
    }
    return SideWindow::place(asked, smallestSize(w), frameOf(w));
}

} // namespace

QMargins frameOf(const QWidget* window)
{
    if (window && window->isVisible() && window->windowHandle())
        return shownFrame(window);
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        if (w == window || !w->isWindow())
            continue;
        const QMargins m = shownFrame(w);
        if (!m.isNull())
            return m;
    }
    return CommonFrame;
}

QRect noodstopOf(const QWidget* mainWindow)
{
    return controlRect(mainWindow, "Frame7");
}

QRect stationButtonsOf(const QWidget* mainWindow)
{
    return controlRect(mainWindow, "Frame_Dravik_Buttons");
}

void placeWindow(QWidget* window, std::function<QRect(const QMargins& frame, bool again)> f)
{
    place(window, std::move(f), 1);
}

void placeMainWindow(QWidget* window, QSize design)
{
    place(
        window,
        [window, design](const QMargins& frame, bool) {
            return mainWindow(platform::screens().usableArea(window), design, frame);
        },
        0);
}

void pairSideWindows(QWidget* mainWindow, QWidget* station, QWidget* plan)
{
    if (!mainWindow)
        return;
    delete mainWindow->findChild<SidePair*>(QStringLiteral("placementSidePair"),
                                            Qt::FindDirectChildrenOnly);
    new SidePair(mainWindow, station, plan);
}

void placeBesideMain(QWidget* window, const QWidget* mainWindow, QSize size, Side preferred)
{
    if (!window)
        return;
    QPointer<const QWidget> main(mainWindow);
    QPointer<SidePair> pair =
        mainWindow ? mainWindow->findChild<SidePair*>(QStringLiteral("placementSidePair"),
                                                      Qt::FindDirectChildrenOnly)
                   : nullptr;
    // Unpaired, a window takes the slot of its preferred side.
    const bool asPlan = pair ? window == pair->plan : preferred == Side::Left;
    const QSize minimum = smallestSize(window);
    place(
        window,
        [window, main, pair, asPlan, size, minimum](const QMargins& frame, bool again) {
            SideRequest q;
            q.usable = platform::screens().usableArea(main ? main.data() : window);
            q.mainOuter = main ? main->frameGeometry() : QRect();
            q.noodstop = noodstopOf(main);
            q.stationButtons = stationButtonsOf(main);
            for (const char* name :
                 {"FrameUitgangen", "FrameIngangen", "FrameEasyPort", "FrameCommand"})
                q.rather << controlRect(main, name);
            const SideWindow self = SideWindow::place(size, minimum, frame);
            SideWindow other;
            if (pair)
                other = asPlan ? partnerOf(pair->station, pair->stationSize, again)
                               : partnerOf(pair->plan, pair->planSize, again);
            q.plan = asPlan ? self : other;
            q.station = asPlan ? other : self;
            const SidePlaces places = sideWindows(q);
            return asPlan ? places.plan : places.station;
        },
        2);
    // Where the two cannot keep clear of each other, the plan stays on top.
    if (pair && !asPlan && pair->plan && pair->plan->isVisible() &&
        pair->plan->frameGeometry().intersects(window->frameGeometry()))
        QTimer::singleShot(0, pair->plan.data(), [p = pair->plan] {
            if (p)
                p->raise();
        });
}

} // namespace placement
