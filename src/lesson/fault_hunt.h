#pragma once

#include "station/station.h"

#include <QString>
#include <QStringList>

#include <optional>

// Fault finding ("storing zoeken"): one hidden fault on an input or an
// output, the pupil's answers to it and the result that goes to the
// teacher, as pure rules. The pupil operates the station by hand; nothing
// here switches an output.
namespace lesson
{

enum class FaultKind {
    OpenCircuit,  // "draadbreuk": the input reads off
    ShortCircuit, // "kortsluiting": the input reads on
    Dead,         // "werkt niet": the output's actuator does not move
};

// The three kinds in the order the pupil picks them.
constexpr FaultKind kFaultKinds[] = {FaultKind::OpenCircuit, FaultKind::ShortCircuit,
                                     FaultKind::Dead};

QString faultKindWord(FaultKind k);
std::optional<FaultKind> faultKindFromWord(const QString& word);

struct HiddenFault {
    bool output = false; // an output; else an input
    int point = 1;       // 1..8
    FaultKind kind = FaultKind::OpenCircuit;

    bool operator==(const HiddenFault& o) const
    {
        return output == o.output && point == o.point && kind == o.kind;
    }
    bool operator!=(const HiddenFault& o) const { return !(*this == o); }
};

// Why `f` cannot be on `s`: a point the station does not use, or a kind
// that does not belong to an input or an output. Empty when it can.
QString faultProblem(const HiddenFault& f, station::Station s);

// Why `f` cannot be applied on the interface in use; empty when it can.
// A real module's inputs can be masked, but an output that does not work
// would need a station that ignores it: only the simulated one can.
QString applyProblem(const HiddenFault& f, bool simulatedStation);

// "ingang 3 (Inductieve sensor)", "uitgang 2 (Gelijkstroom motor)".
QString pointText(bool output, int point, station::Station s);

// What the pupil hears on an answer: "Goed gevonden: ingang 3 (Inductieve
// sensor) heeft een draadbreuk." or "Nee, dat is het niet.".
QString answerSentence(const HiddenFault& hidden, const HiddenFault& answer, station::Station s);

// The masks the fault is applied with: bit i = point i + 1.
struct FaultMasks {
    int open = 0;
    int shorted = 0;
    int deadOutputs = 0;
    bool operator==(const FaultMasks& o) const
    {
        return open == o.open && shorted == o.shorted && deadOutputs == o.deadOutputs;
    }
};
FaultMasks masksOf(const HiddenFault& f);
// The lesson's fault on top of the teacher's; a broken wire wins, as it
// does for the teacher's own faults.
FaultMasks combined(const FaultMasks& a, const FaultMasks& b);

// The one fault the masks hold; nothing when they hold none or more than
// one (the teacher's set is then not one fault to find).
std::optional<HiddenFault> singleFault(const FaultMasks& m);

// What goes to the teacher after every answer.
struct HuntResult {
    bool found = false;
    int attempts = 0;
    int seconds = 0;  // to the right answer, or so far
    int switches = 0; // outputs switched before it was found
    // Answered against the fault the teacher set, not the lesson's.
    bool teacher = false;
};

// One search: the answers given, the outputs switched, and when it was
// found. Times are milliseconds on the caller's clock.
class FaultHunt
{
  public:
    FaultHunt(const HiddenFault& hidden, qint64 startMs) : m_hidden(hidden), m_startMs(startMs) {}

    const HiddenFault& hidden() const { return m_hidden; }
    // The pupil switched an output; counted only until the fault is found.
    void outputSwitched();
    // An answer: true when it is the hidden fault. Once found, later
    // answers change nothing.
    bool answer(const HiddenFault& a, qint64 nowMs);
    // Goes on from the record an earlier run of the program sent: its
    // answers, presses and time count on from `nowMs`, and a found fault
    // stays found with its time. Never counts back, so the same record
    // again changes nothing.
    void goOnFrom(const HuntResult& kept, qint64 nowMs);

    bool found() const { return m_foundMs.has_value(); }
    int attempts() const { return m_attempts; }
    int switches() const { return m_switches; }
    // Seconds from the start to the right answer, or to `nowMs` while not
    // found.
    int seconds(qint64 nowMs) const;

  private:
    HiddenFault m_hidden;
    qint64 m_startMs = 0;
    std::optional<qint64> m_foundMs;
    int m_attempts = 0;
    int m_switches = 0;
};

// The teacher's line: "Storing gevonden · 2 pogingen" or "Storing: nog
// niet gevonden · 1 poging".
QString huntLine(bool found, int attempts);

} // namespace lesson
