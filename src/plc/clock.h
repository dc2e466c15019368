#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

namespace plc
{

// The time the PLC server judges its watchdog by, in milliseconds from an
// arbitrary start. Tests put a clock they move by hand in its place.
class Clock
{
  public:
    virtual ~Clock() = default;
    virtual qint64 nowMs() const = 0;
};

// The program's clock: monotonic, unaffected by changes of the wall time.
class SteadyClock : public Clock
{
  public:
    SteadyClock() { m_since.start(); }
    qint64 nowMs() const override { return m_since.elapsed(); }

  private:
    QElapsedTimer m_since;
};

} // namespace plc
