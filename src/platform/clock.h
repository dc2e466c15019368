#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QtGlobal>

#include <functional>

namespace platform
{

// The time something is judged by (the PLC's watchdog, say), in
// milliseconds from an arbitrary start; never goes back. Tests put a time
// they move by hand in its place.
class TimeSource
{
  public:
    virtual ~TimeSource() = default;
    virtual qint64 nowMs() const = 0;
};

// The program's time: monotonic, unaffected by changes of the wall time.
class SteadyTime : public TimeSource
{
  public:
    SteadyTime() { m_since.start(); }
    qint64 nowMs() const override { return m_since.elapsed(); }

  private:
    QElapsedTimer m_since;
};

// The time something waits on, and the one wake-up it needs at a time (the
// end of a step plan's wait, the next step of the simulated station).
// Nothing runs while no wake-up is set. Tests put a clock they move by hand
// in its place.
class Clock : public TimeSource
{
  public:
    // Calls the wake handler once, `ms` from now; replaces a wake-up not yet due.
    virtual void wakeAfter(int ms) = 0;
    virtual void cancel() = 0;
    virtual bool isSet() const = 0;

    void setWakeHandler(std::function<void()> handler) { m_wake = std::move(handler); }

  protected:
    void wake()
    {
        if (m_wake)
            m_wake();
    }

  private:
    std::function<void()> m_wake;
};

// The program's clock: a single-shot timer on the event loop, and monotonic
// time unaffected by changes of the wall time.
class TimerClock : public Clock
{
  public:
    TimerClock();
    qint64 nowMs() const override { return m_since.elapsed(); }
    void wakeAfter(int ms) override;
    void cancel() override { m_timer.stop(); }
    bool isSet() const override { return m_timer.isActive(); }

  private:
    QTimer m_timer;
    QElapsedTimer m_since;
};

} // namespace platform
