#pragma once

#include <QVector>
#include <QtGlobal>

namespace sim
{

// One part on the belt. The position is in ms of belt travel from the start
// of the belt (0) to its far end (Conveyor::LengthMs).
struct BeltPart {
    int id = 0;
    int positionMs = 0;
    bool metal = false;
};

// The conveyor. A DC motor drives the belt; a relay swaps its direction; a
// magnet sets the stopper at the diverter, which sends a part that arrives
// there into the slide. Parts are laid on the belt at its start, under the
// optical sensor. Both ends of the belt carry an end plate: parts driven to
// an end stay there, and parts behind them queue up.
//
// Outputs: 0 stopper magnet, 1 motor, 2 direction relay (off = forward,
//          on = backward).
// Inputs:  0 inductive sensor (metal parts only, at its place along the
//          belt), 1 optical sensor (any part at the start of the belt).
class Conveyor
{
  public:
    // A part crosses the whole belt in 4 s.
    static constexpr int LengthMs = 4000;
    // Length of a part along the belt; parts cannot come closer than this.
    static constexpr int PartMs = 400;
    // The optical sensor sees a part whose centre lies within this distance
    // of the start.
    static constexpr int OpticalReachMs = 300;
    static constexpr int InductiveAtMs = 1800;
    static constexpr int InductiveReachMs = 200;
    static constexpr int DiverterAtMs = 2800;

    void setOutputs(quint8 word);
    void step(int ms);
    quint8 inputs() const;
    bool isMoving() const { return m_motor; }

    bool isMotorOn() const { return m_motor; }
    bool isBackward() const { return m_backward; }
    bool isStopperSet() const { return m_stopper; }

    // Lays a part at the start of the belt. Refused (false) when a part
    // still lies there.
    bool placePart(bool metal);
    // Parts on the belt, ordered from the start to the far end.
    const QVector<BeltPart>& parts() const { return m_parts; }
    // Takes the part at the far end off the belt (for the handling
    // station); false when none lies there.
    bool takePartAtEnd(BeltPart* taken);
    // Puts a part back at the far end; false when that place is taken.
    bool returnPartAtEnd(const BeltPart& part);
    int partsInSlide() const { return m_slide; }
    // Parts lying against the far end plate and queued right behind it.
    int partsAtEnd() const;
    // How far the belt surface has run, modulo its length (for drawing).
    int beltPhaseMs() const { return m_phase; }

  private:
    void run(int ms);

    QVector<BeltPart> m_parts;
    bool m_motor = false;
    bool m_backward = false;
    bool m_stopper = false;
    int m_slide = 0;
    int m_phase = 0;
    int m_nextId = 1;
};

} // namespace sim
