#include "platform/manual_clock.h"

#include <algorithm>

namespace platform
{

void ManualClock::wakeAfter(int ms)
{
    m_due = m_now + std::max(0, ms);
}

void ManualClock::advance(qint64 ms)
{
    const qint64 until = m_now + std::max<qint64>(0, ms);
    while (m_due >= 0 && m_due <= until) {
        m_now = m_due;
        m_due = -1;
        wake();
    }
    m_now = until;
}

bool ManualClock::advanceToWake(qint64 limitMs)
{
    if (m_due < 0 || m_due > m_now + std::max<qint64>(0, limitMs)) {
        advance(limitMs);
        return false;
    }
    m_now = m_due;
    m_due = -1;
    wake();
    return true;
}

class SplitClock::Part : public Clock
{
  public:
    Part(SplitClock& owner, const Clock& base) : m_owner(owner), m_base(base) {}
    qint64 nowMs() const override { return m_base.nowMs(); }
    void wakeAfter(int ms) override
    {
        due = m_base.nowMs() + std::max(0, ms);
        m_owner.reschedule();
    }
    void cancel() override
    {
        due = -1;
        m_owner.reschedule();
    }
    bool isSet() const override { return due >= 0; }
    void fire()
    {
        due = -1;
        wake();
    }

    qint64 due = -1;

  private:
    SplitClock& m_owner;
    const Clock& m_base;
};

SplitClock::SplitClock(Clock& base) : m_base(base)
{
    m_base.setWakeHandler([this] { onWake(); });
}

SplitClock::~SplitClock()
{
    m_base.setWakeHandler({});
    m_base.cancel();
}

Clock* SplitClock::newClock()
{
    m_parts.push_back(std::make_unique<Part>(*this, m_base));
    return m_parts.back().get();
}

void SplitClock::reschedule()
{
    // While waking, the base is set once the due parts have run.
    if (m_waking)
        return;
    qint64 first = -1;
    for (const std::unique_ptr<Part>& p : m_parts)
        if (p->due >= 0 && (first < 0 || p->due < first))
            first = p->due;
    if (first < 0)
        m_base.cancel();
    else
        m_base.wakeAfter(int(std::clamp<qint64>(first - m_base.nowMs(), 0, INT32_MAX)));
}

void SplitClock::onWake()
{
    m_waking = true;
    for (;;) {
        const qint64 now = m_base.nowMs();
        Part* next = nullptr;
        for (const std::unique_ptr<Part>& p : m_parts)
            if (p->due >= 0 && p->due <= now && (!next || p->due < next->due))
                next = p.get();
        if (!next)
            break;
        next->fire();
    }
    m_waking = false;
    reschedule();
}

} // namespace platform
