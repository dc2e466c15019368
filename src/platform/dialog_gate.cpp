#include "platform/dialog_gate.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace platform
{

namespace
{

// The input a dialog takes for itself. Moves, hovers and paints pass, so
// the rest of the program goes on looking alive.
bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

bool isWithin(const QObject* object, const QObject* ancestor)
{
    for (; object; object = object->parent())
        if (object == ancestor)
            return true;
    return false;
}

// The widget a window of the window system shows (events reach that window
// before its widgets).
QObject* widgetOf(QObject* watched)
{
    auto* window = qobject_cast<QWindow*>(watched);
    if (!window)
        return watched;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowHandle() == window)
            return w;
    return nullptr;
}

class Gate : public QObject
{
  public:
    QList<QPointer<QDialog>> open;
    QList<QPointer<QObject>> reach;

    QDialog* top() const
    {
        // One answered but not yet returned from is no longer in the way.
        for (auto it = open.crbegin(); it != open.crend(); ++it)
            if (*it && (*it)->isVisible())
                return *it;
        return nullptr;
    }

    bool inReach(const QObject* object) const
    {
        for (const QPointer<QObject>& r : reach)
            if (r && isWithin(object, r))
                return true;
        return false;
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!isInput(event->type()))
            return false;
        // The program may close its own windows; the pupil may not, behind a box.
        if (event->type() == QEvent::Close && !event->spontaneous())
            return false;
        // A window of the window system passes its input on to its widgets,
        // where it is judged; only its close is its own.
        if (event->type() != QEvent::Close && qobject_cast<QWindow*>(watched))
            return false;
        QDialog* dialog = top();
        QObject* target = widgetOf(watched);
        if (!dialog || !target || isWithin(target, dialog) || inReach(target))
            return false;
        // An open popup (a list or a completer of the dialog) takes its own
        // input: nothing outside the dialog can open one behind it.
        if (QWidget* popup = QApplication::activePopupWidget(); popup && isWithin(target, popup))
            return false;
        if (event->type() == QEvent::MouseButtonPress) {
            dialog->raise();
            dialog->activateWindow();
        }
        return true;
    }
};

Gate& gate()
{
    static Gate g;
    return g;
}

} // namespace

int runDialog(QDialog& dialog)
{
    Gate& g = gate();
    QPointer<QDialog> guard(&dialog);
    // Modal would block the Noodstop too: the gate blocks the rest instead.
    dialog.setWindowModality(Qt::NonModal);
    if (g.open.isEmpty())
        QCoreApplication::instance()->installEventFilter(&g);
    g.open.append(guard);
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, [&loop](int r) { loop.exit(r); });
    QObject::connect(&dialog, &QObject::destroyed, &loop,
                     [&loop] { loop.exit(QDialog::Rejected); });
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    loop.exec(QEventLoop::DialogExec);
    g.open.removeAll(guard);
    g.open.removeAll(QPointer<QDialog>());
    if (g.open.isEmpty())
        QCoreApplication::instance()->removeEventFilter(&g);
    if (!guard)
        return QDialog::Rejected;
    // Left by the program ending under it, as exec() would leave it.
    if (dialog.isVisible())
        dialog.hide();
    return dialog.result();
}

void keepInReach(QObject* object)
{
    Gate& g = gate();
    g.reach.removeAll(QPointer<QObject>());
    if (object && !g.reach.contains(object))
        g.reach.append(object);
}

QDialog* openDialog()
{
    return gate().top();
}

} // namespace platform
