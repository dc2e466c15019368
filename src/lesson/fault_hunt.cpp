#include "lesson/fault_hunt.h"

#include "step_plan/station_points.h"

#include <algorithm>
#include <tuple>

namespace lesson
{

QString faultKindWord(FaultKind k)
{
    switch (k) {
    case FaultKind::OpenCircuit:
        return QStringLiteral("draadbreuk");
    case FaultKind::ShortCircuit:
        return QStringLiteral("kortsluiting");
    case FaultKind::Dead:
        return QStringLiteral("werkt niet");
    }
    return {};
}

std::optional<FaultKind> faultKindFromWord(const QString& word)
{
    for (const FaultKind k : kFaultKinds)
        if (word == faultKindWord(k))
            return k;
    return std::nullopt;
}

QString faultProblem(const HiddenFault& f, station::Station s)
{
    const plan::StationPoints points = plan::stationPoints(s);
    if (f.point < 1 || f.point > 8)
        return QStringLiteral("de %1 zijn genummerd van 1 tot en met 8.")
            .arg(f.output ? QStringLiteral("uitgangen") : QStringLiteral("ingangen"));
    if (f.output && !points.usesOutput(f.point))
        return QStringLiteral("%1 gebruikt uitgang %2 niet.")
            .arg(station::displayName(s))
            .arg(f.point);
    if (!f.output && !points.usesInput(f.point))
        return QStringLiteral("%1 gebruikt ingang %2 niet.")
            .arg(station::displayName(s))
            .arg(f.point);
    if (f.output && f.kind != FaultKind::Dead)
        return QStringLiteral("een uitgang kan alleen \"werkt niet\" hebben.");
    if (!f.output && f.kind == FaultKind::Dead)
        return QStringLiteral("een ingang kan alleen \"draadbreuk\" of \"kortsluiting\" hebben.");
    return {};
}

QString applyProblem(const HiddenFault& f, bool simulatedStation)
{
    if (f.output && !simulatedStation)
        return QStringLiteral("Een uitgang die niet werkt kan alleen op het gesimuleerde station: "
                              "op een echte module zou de cilinder of motor toch bewegen.");
    return {};
}

QString pointText(bool output, int point, station::Station s)
{
    const plan::StationPoints points = plan::stationPoints(s);
    const QString name = output ? points.outputName(point) : points.inputName(point);
    const QString base = QStringLiteral("%1 %2")
                             .arg(output ? QStringLiteral("uitgang") : QStringLiteral("ingang"))
                             .arg(point);
    // An unused point carries its generic name only: said once is enough.
    if (name.isEmpty() || name.compare(base, Qt::CaseInsensitive) == 0)
        return base;
    return QStringLiteral("%1 (%2)").arg(base, name);
}

QString answerSentence(const HiddenFault& hidden, const HiddenFault& answer, station::Station s)
{
    if (hidden != answer)
        return QStringLiteral("Nee, dat is het niet.");
    const QString point = pointText(hidden.output, hidden.point, s);
    switch (hidden.kind) {
    case FaultKind::OpenCircuit:
        return QStringLiteral("Goed gevonden: %1 heeft een draadbreuk.").arg(point);
    case FaultKind::ShortCircuit:
        return QStringLiteral("Goed gevonden: %1 heeft kortsluiting.").arg(point);
    case FaultKind::Dead:
        return QStringLiteral("Goed gevonden: %1 werkt niet.").arg(point);
    }
    return {};
}

FaultMasks masksOf(const HiddenFault& f)
{
    FaultMasks m;
    if (f.point < 1 || f.point > 8)
        return m;
    const int bit = 1 << (f.point - 1);
    if (f.output) {
        if (f.kind == FaultKind::Dead)
            m.deadOutputs = bit;
    } else if (f.kind == FaultKind::OpenCircuit) {
        m.open = bit;
    } else if (f.kind == FaultKind::ShortCircuit) {
        m.shorted = bit;
    }
    return m;
}

FaultMasks combined(const FaultMasks& a, const FaultMasks& b)
{
    FaultMasks m;
    m.open = a.open | b.open;
    m.shorted = (a.shorted | b.shorted) & ~m.open;
    m.deadOutputs = a.deadOutputs | b.deadOutputs;
    return m;
}

std::optional<HiddenFault> singleFault(const FaultMasks& m)
{
    std::optional<HiddenFault> one;
    int count = 0;
    for (int i = 0; i < 8; ++i) {
        const int bit = 1 << i;
        for (const auto& [mask, output, kind] :
             {std::tuple{m.open, false, FaultKind::OpenCircuit},
              std::tuple{m.shorted, false, FaultKind::ShortCircuit},
              std::tuple{m.deadOutputs, true, FaultKind::Dead}}) {
            if (mask & bit) {
                ++count;
                one = HiddenFault{output, i + 1, kind};
            }
        }
    }
    return count == 1 ? one : std::nullopt;
}

void FaultHunt::outputSwitched()
{
    if (!found())
        ++m_switches;
}

bool FaultHunt::answer(const HiddenFault& a, qint64 nowMs)
{
    if (found())
        return a == m_hidden;
    ++m_attempts;
    if (a != m_hidden)
        return false;
    m_foundMs = nowMs;
    return true;
}

void FaultHunt::goOnFrom(const HuntResult& kept, qint64 nowMs)
{
    if (found())
        return;
    m_attempts = std::max(m_attempts, kept.attempts);
    m_switches = std::max(m_switches, kept.switches);
    m_startMs = std::min(m_startMs, nowMs - qint64(kept.seconds) * 1000);
    if (kept.found)
        m_foundMs = m_startMs + qint64(kept.seconds) * 1000;
}

int FaultHunt::seconds(qint64 nowMs) const
{
    const qint64 end = m_foundMs.value_or(nowMs);
    return int(qMax<qint64>(0, end - m_startMs) / 1000);
}

QString huntLine(bool found, int attempts)
{
    const QString tries = QStringLiteral("%1 %2").arg(attempts).arg(
        attempts == 1 ? QStringLiteral("poging") : QStringLiteral("pogingen"));
    return found ? QStringLiteral("Storing gevonden · %1").arg(tries)
                 : QStringLiteral("Storing: nog niet gevonden · %1").arg(tries);
}

} // namespace lesson
