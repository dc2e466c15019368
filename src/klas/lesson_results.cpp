#include "klas/lesson_results.h"

#include "lesson/grading.h"
#include "step_plan/plan_file.h"

namespace klas
{

namespace
{

QString firstFailure(const lesson::Report& report)
{
    for (int i = 0; i < report.scenarios.size(); ++i) {
        const lesson::ScenarioResult& s = report.scenarios[i];
        if (!s.passed)
            return QStringLiteral("scenario %1 \"%2\": %3").arg(i + 1).arg(s.name, s.sentence);
    }
    return {};
}

} // namespace

LessonResult makeResult(const QString& id, const lesson::Report& report, const plan::Plan& plan,
                        int attempts, int seconds)
{
    LessonResult r;
    r.id = id;
    r.titel = report.title;
    r.goed = report.passed();
    r.totaal = int(report.scenarios.size());
    r.fout = firstFailure(report);
    r.pogingen = attempts;
    r.seconden = seconds;
    r.plan = plan::writePlan(plan);
    return r;
}

LessonResult makeLiveResult(const QString& id, const lesson::LiveReport& report, int attempts,
                            int seconds)
{
    LessonResult r;
    r.plc = true;
    r.id = id;
    r.titel = report.report.title;
    r.goed = report.report.passed();
    r.totaal = report.scenarioCount;
    r.fout = firstFailure(report.report);
    r.pogingen = attempts;
    r.seconden = seconds;
    return r;
}

LessonResult makeHuntResult(const QString& id, const QString& title, const lesson::HuntResult& hunt)
{
    LessonResult r;
    r.hunt = true;
    r.id = id;
    r.titel = hunt.teacher ? QStringLiteral("Storing van de docent") : title;
    r.goed = hunt.found ? 1 : 0;
    r.totaal = 1;
    r.fout = hunt.found ? QString() : QStringLiteral("storing nog niet gevonden");
    r.pogingen = hunt.attempts;
    r.seconden = hunt.seconds;
    r.bediend = hunt.switches;
    r.docent = hunt.teacher;
    return r;
}

QString durationText(int seconds)
{
    const int h = seconds / 3600;
    const int m = seconds / 60 % 60;
    const int s = seconds % 60;
    const QString ms = QStringLiteral("%1:%2")
                           .arg(m, h > 0 ? 2 : 1, 10, QLatin1Char('0'))
                           .arg(s, 2, 10, QLatin1Char('0'));
    return h > 0 ? QStringLiteral("%1:%2").arg(h).arg(ms) : ms;
}

namespace
{

QString score(const LessonResult& r)
{
    if (r.hunt)
        return lesson::huntLine(r.found(), r.pogingen);
    return QStringLiteral("%1/%2 · %3 %4")
        .arg(r.goed)
        .arg(r.totaal)
        .arg(r.pogingen)
        .arg(r.pogingen == 1 ? QStringLiteral("poging") : QStringLiteral("pogingen"));
}

} // namespace

QString tileResultLine(const ClassModel::Pupil& p, const QString& currentId)
{
    const PupilStatus& s = p.status;
    if (!currentId.isEmpty() && s.opdracht == currentId && !s.opdrachtFout.isEmpty())
        return QStringLiteral("Opdracht geweigerd: %1").arg(s.opdrachtFout);
    if (!p.result)
        return {};
    const LessonResult& r = *p.result;
    // The teacher's own fault belongs to no lesson sent.
    if (r.docent)
        return score(r);
    if (r.hunt && r.id == currentId)
        return score(r);
    if (r.id != currentId)
        return QStringLiteral("Oude opdracht (%1): %2").arg(r.titel, score(r));
    QString line = QStringLiteral("Opdracht: %1").arg(score(r));
    if (r.plc)
        return line + QStringLiteral(" · met de PLC");
    if (p.ownPassed >= 0 && p.ownPassed != r.goed)
        line += QStringLiteral(" · zelf nagekeken: %1/%2").arg(p.ownPassed).arg(r.totaal);
    return line;
}

QVector<ResultRow> resultRows(const ClassModel& model, const QString& currentId)
{
    QVector<ResultRow> rows;
    for (const ClassModel::Pupil* p : model.sorted()) {
        ResultRow row;
        row.naam = ClassModel::shownName(*p);
        if (p->result &&
            ((!currentId.isEmpty() && p->result->id == currentId) || p->result->docent)) {
            const LessonResult& r = *p->result;
            row.hasResult = true;
            row.goed = r.goed;
            row.totaal = r.totaal;
            row.pogingen = r.pogingen;
            row.seconden = r.seconden;
            row.zelf = p->ownPassed;
            row.fout = r.fout;
            row.hunt = r.hunt;
            row.bediend = r.bediend;
            row.plc = r.plc;
        }
        rows.append(row);
    }
    return rows;
}

QString ownCheckText(const ResultRow& row)
{
    if (row.plc)
        return QStringLiteral("met de PLC");
    return row.zelf >= 0 ? QStringLiteral("%1/%2").arg(row.zelf).arg(row.totaal) : QString();
}

QByteArray resultsCsv(const QVector<ResultRow>& rows)
{
    QByteArray csv = "naam,goed,totaal,pogingen,tijd,zelf nagekeken,eerste fout,bediend\r\n";
    for (const ResultRow& r : rows) {
        csv += lesson::csvField(r.naam) + ',';
        if (r.hasResult) {
            const QByteArray own = r.plc         ? lesson::csvField(ownCheckText(r))
                                   : r.zelf >= 0 ? QByteArray::number(r.zelf)
                                                 : QByteArray();
            csv += QByteArray::number(r.goed) + ',' + QByteArray::number(r.totaal) + ',' +
                   QByteArray::number(r.pogingen) + ',' +
                   lesson::csvField(durationText(r.seconden)) + ',' + own + ',';
        } else {
            csv += ",,,,,";
        }
        csv += lesson::csvField(r.fout) + ',';
        // The presses before the right answer belong to fault finding only.
        if (r.hasResult && r.hunt)
            csv += QByteArray::number(r.bediend);
        csv += "\r\n";
    }
    return csv;
}

} // namespace klas
