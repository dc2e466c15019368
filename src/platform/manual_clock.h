#pragma once

#include "platform/clock.h"

#include <memory>
#include <vector>

namespace platform
{

// A clock whose time is moved by hand: nothing happens until advance() is
// called, and then every wake-up falls due at its exact time. Lets the
// program play a run of simulated minutes in milliseconds (the lesson check).
class ManualClock : public Clock
{
  public:
    qint64 nowMs() const override { return m_now; }
    void wakeAfter(int ms) override;
    void cancel() override { m_due = -1; }
    bool isSet() const override { return m_due >= 0; }

    // Moves time on by `ms`, waking at every due time on the way.
    void advance(qint64 ms);
    // Moves time to the next wake-up, if one is set within `limitMs`, and
    // wakes; otherwise moves on by `limitMs`. False when none was due.
    bool advanceToWake(qint64 limitMs);

  private:
    qint64 m_now = 0;
    qint64 m_due = -1;
};

// One clock shared by several that each need their own wake-up (a plan's
// sequencer and a station's tick on one time): the base clock is set to
// the earliest, and due wake-ups run in the order they fall due (the same
// time: in the order the clocks were made). Takes the base clock's wake
// handler; the clocks it makes live as long as it.
class SplitClock
{
  public:
    explicit SplitClock(Clock& base);
    ~SplitClock();
    SplitClock(const SplitClock&) = delete;
    SplitClock& operator=(const SplitClock&) = delete;

    Clock* newClock();

  private:
    class Part;
    void reschedule();
    void onWake();

    Clock& m_base;
    std::vector<std::unique_ptr<Part>> m_parts;
    bool m_waking = false;
};

} // namespace platform
