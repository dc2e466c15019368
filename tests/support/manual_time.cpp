#include "support/manual_time.h"

#include <QCoreApplication>

namespace testing
{

class ManualTime::Clock : public platform::Clock
{
  public:
    explicit Clock(const ManualTime& time) : m_time(time) {}
    qint64 nowMs() const override { return m_time.now; }
    void wakeAfter(int ms) override { due = m_time.now + std::max(0, ms); }
    void cancel() override { due = -1; }
    bool isSet() const override { return due >= 0; }
    void fire()
    {
        due = -1;
        wake();
    }

    qint64 due = -1;

  private:
    const ManualTime& m_time;
};

ManualTime::ManualTime() = default;
ManualTime::~ManualTime() = default;

platform::Clock* ManualTime::newClock()
{
    m_clocks.push_back(std::make_unique<Clock>(*this));
    return m_clocks.back().get();
}

std::unique_ptr<sim::SimulatedStation> ManualTime::newStation()
{
    return std::make_unique<sim::SimulatedStation>(newClock());
}

qint64 ManualTime::nextDue() const
{
    qint64 due = -1;
    for (const std::unique_ptr<Clock>& c : m_clocks)
        if (c->due >= 0 && (due < 0 || c->due < due))
            due = c->due;
    return due;
}

void ManualTime::advance(qint64 ms)
{
    const qint64 until = now + std::max<qint64>(0, ms);
    QCoreApplication::processEvents();
    for (;;) {
        Clock* next = nullptr;
        for (const std::unique_ptr<Clock>& c : m_clocks)
            if (c->due >= 0 && c->due <= until && (!next || c->due < next->due))
                next = c.get();
        if (!next)
            break;
        now = next->due;
        next->fire();
        QCoreApplication::processEvents();
    }
    now = until;
}

} // namespace testing
