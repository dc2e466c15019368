#pragma once

namespace sim
{

// A pneumatic cylinder whose rod travels at constant speed between its two
// end positions. The position is kept in milliseconds of travel (0 = fully
// retracted, travelMs() = fully extended) so that stepping is exact; the
// fraction 0..1 is offered for drawing.
class Cylinder
{
  public:
    explicit Cylinder(int travelMs);

    int travelMs() const { return m_travel; }
    int positionMs() const { return m_pos; }
    double position() const { return double(m_pos) / m_travel; }

    // The end the air currently drives the rod to (true = extended).
    bool drivenOut() const { return m_out; }
    void drive(bool out) { m_out = out; }

    bool isRetracted() const { return m_pos == 0; }
    bool isExtended() const { return m_pos == m_travel; }

    // Where the rod would end up after `ms` when something in its way keeps
    // it from passing `outStop` while extending or `inStop` while
    // retracting (both in ms of travel; a rod already beyond a stop is not
    // moved back by it, it just cannot go further that way).
    int positionAfter(int ms, int outStop, int inStop) const;
    int positionAfter(int ms) const { return positionAfter(ms, m_travel, 0); }
    void step(int ms, int outStop, int inStop) { m_pos = positionAfter(ms, outStop, inStop); }
    void step(int ms) { m_pos = positionAfter(ms); }

    // True when a step would move the rod (with the same stops).
    bool canMove(int outStop, int inStop) const
    {
        return positionAfter(1, outStop, inStop) != m_pos;
    }
    bool canMove() const { return canMove(m_travel, 0); }

  private:
    int m_travel;
    int m_pos = 0;
    bool m_out = false;
};

// What a 4/2 valve with two coils (bistable, impulse valve) tells its
// cylinder: the valve stays where the last single coil put it. With both
// coils on, neither pilot wins and the spool stays where it is, so the
// cylinder keeps its direction; with both off likewise.
bool bistableValve(bool drivenOut, bool coilOut, bool coilIn);

} // namespace sim
