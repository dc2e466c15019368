#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace plan
{

// The one wake-up a running plan needs at a time: the end of a timed wait
// or the time-out of an input wait. Nothing runs while no wake-up is set.
class Clock
{
  public:
    virtual ~Clock() = default;
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

// The program's clock: a single-shot timer on the event loop.
class TimerClock : public Clock
{
  public:
    TimerClock();
    void wakeAfter(int ms) override;
    void cancel() override { m_timer.stop(); }
    bool isSet() const override { return m_timer.isActive(); }

  private:
    QTimer m_timer;
};

} // namespace plan
