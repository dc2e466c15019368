#include "interface_link/bounded_wait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

namespace iface
{

bool waitUntil(const QObject* guard, int ms, const std::function<bool()>& done)
{
    const QPointer<const QObject> alive = guard;
    if (done())
        return true;
    if (!QCoreApplication::instance())
        return false;
    QElapsedTimer clock;
    clock.start();
    // Wakes the wait below so the time limit holds even when nothing else
    // happens.
    QTimer tick;
    tick.start(5);
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!alive)
            return false;
        if (done())
            return true;
    }
    return done();
}

} // namespace iface
