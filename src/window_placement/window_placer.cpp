#include "window_placement/window_placer.h"

#include "platform/services.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace placement
{

namespace
{

// A title bar and thin border as most window managers draw them; only used
// until a real frame is known.
const QMargins CommonFrame(2, 30, 2, 2);

// Noodstop and the station buttons of the main window: a window that
// cannot leave both clear covers Noodstop last.
const char* const KeepClearNames[] = {"Frame7", "Frame_Dravik_Buttons"};

// How often a window is placed again for its real frame; one is enough
// unless the window manager changes its mind while the window opens.
constexpr int MaxCorrections = 2;

QMargins shownFrame(const QWidget* w)
{
    if (!w || !w->isVisible() || !w->windowHandle())
        return {};
    return w->windowHandle()->frameMargins();
}

// Places the window again once its real frame is known (its first paint
// comes after the window manager framed it), and stops at the pupil's
// first touch, so a window the pupil moved stays where it was put.
class FrameWatch : public QObject
{
  public:
    FrameWatch(QWidget* window, std::function<QRect(const QMargins&)> place)
        : QObject(window), m_window(window), m_place(std::move(place))
    {
        setObjectName(QStringLiteral("placementWatch"));
        m_used = frameOf(window);
        window->setGeometry(m_place(m_used));
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_window)
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
            finish();
            break;
        default:
            break;
        }
        return false;
    }

  private:
    void correct()
    {
        const QMargins real = shownFrame(m_window);
        if (real == m_used)
            return;
        m_used = real;
        m_window->setGeometry(m_place(real));
        if (++m_corrections >= MaxCorrections)
            finish();
    }

    void finish()
    {
        m_window->removeEventFilter(this);
        deleteLater();
    }

    QWidget* m_window;
    std::function<QRect(const QMargins&)> m_place;
    QMargins m_used;
    bool m_painted = false;
    int m_corrections = 0;
};

QSize smallestSize(const QWidget* w)
{
    QSize s = w->minimumSize();
    if (w->layout())
        s = s.expandedTo(w->layout()->minimumSize());
    return s.expandedTo(QSize(1, 1));
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

QVector<QRect> keepClearOf(const QWidget* mainWindow)
{
    QVector<QRect> out;
    if (!mainWindow)
        return out;
    for (const char* name : KeepClearNames)
        if (const auto* w = mainWindow->findChild<QWidget*>(QLatin1String(name)))
            out << QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    return out;
}

void placeWindow(QWidget* window, std::function<QRect(const QMargins& frame)> place)
{
    if (!window)
        return;
    // A window placed again forgets the earlier request.
    for (QObject* old : window->findChildren<QObject*>(QStringLiteral("placementWatch"),
                                                       Qt::FindDirectChildrenOnly)) {
        window->removeEventFilter(old);
        delete old;
    }
    new FrameWatch(window, std::move(place));
}

void placeMainWindow(QWidget* window, QSize design)
{
    const QRect usable = platform::screens().usableArea(window);
    placeWindow(window, [usable, design](const QMargins& frame) {
        return mainWindow(usable, design, frame);
    });
}

void placeBesideMain(QWidget* window, const QWidget* mainWindow, QSize size, Side preferred)
{
    if (!window)
        return;
    Request base;
    base.usable = platform::screens().usableArea(mainWindow ? mainWindow : window);
    base.mainOuter = mainWindow ? mainWindow->frameGeometry() : QRect();
    base.keepClear = keepClearOf(mainWindow);
    base.size = size;
    base.minimum = smallestSize(window);
    base.preferred = preferred;
    placeWindow(window, [base](const QMargins& frame) {
        Request r = base;
        r.frame = frame;
        return besideMain(r);
    });
}

} // namespace placement
