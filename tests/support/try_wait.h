#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

// TRY_VERIFY and TRY_COMPARE look again only every 50 ms, and most of
// what the tests wait for (a loopback round trip, a queued signal from the
// MQTT library's thread) takes a millisecond or two: a test with a few
// hundred waits spent seconds asleep. These look again after every event,
// and at least every 2 ms.
namespace testing
{

template <typename Done> bool waitUntil(Done done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QTimer wake;
    wake.start(2);
    while (!done()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

} // namespace testing

#define TRY_VERIFY_WITH_TIMEOUT(expr, timeoutMs)                                                   \
    do {                                                                                           \
        (void)testing::waitUntil([&] { return bool(expr); }, timeoutMs);                           \
        QVERIFY(expr);                                                                             \
    } while (false)
#define TRY_VERIFY(expr) TRY_VERIFY_WITH_TIMEOUT(expr, 5000)

#define TRY_COMPARE_WITH_TIMEOUT(expr, expected, timeoutMs)                                        \
    do {                                                                                           \
        (void)testing::waitUntil([&] { return bool((expr) == (expected)); }, timeoutMs);           \
        QCOMPARE(expr, expected);                                                                  \
    } while (false)
#define TRY_COMPARE(expr, expected) TRY_COMPARE_WITH_TIMEOUT(expr, expected, 5000)
