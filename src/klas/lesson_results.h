#pragma once

#include "klas/class_model.h"
#include "klas/klas_messages.h"
#include "lesson/fault_hunt.h"
#include "lesson/lesson_check.h"
#include "lesson/live_check.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// The class's results on the lesson the teacher sent, as pure functions:
// what a PC sends after a check, the line on a tile, the class table and
// its CSV.
namespace klas
{

// The result of one check of the class's lesson `id`.
LessonResult makeResult(const QString& id, const lesson::Report& report, const plan::Plan& plan,
                        int attempts, int seconds);

// The result of a check with the PLC that drives the station: no plan, and
// every scenario the check did not reach counts as not passed.
LessonResult makeLiveResult(const QString& id, const lesson::LiveReport& report, int attempts,
                            int seconds);

// The result of an answer to "Storing melden…"; `id` empty when no class's
// lesson is open (the teacher's fault found on a lesson of the pupil's own).
LessonResult makeHuntResult(const QString& id, const QString& title,
                            const lesson::HuntResult& hunt);

// "12:05" (minutes and seconds), "1:02:03" past an hour.
QString durationText(int seconds);

// The tile's line: "Opdracht: 3/4 · 5 pogingen", with the teacher's own
// check where it differs ("zelf nagekeken: 2/4"); a result for another
// lesson than `currentId` is shown as old; a refused lesson says why.
// Empty when there is nothing to say.
QString tileResultLine(const ClassModel::Pupil& p, const QString& currentId);

// One row of the class table: every PC, sorted by name; the numbers only
// for a result on the lesson `currentId`.
struct ResultRow {
    QString naam;
    bool hasResult = false;
    int goed = 0;
    int totaal = 0;
    int pogingen = 0;
    int seconden = 0;
    int zelf = -1; // the teacher's own check, -1 when not done
    QString fout;
    bool hunt = false; // fault finding: goed/totaal is found or not
    int bediend = 0;
    bool plc = false; // checked with the PLC: nothing to check again here
};

// "met de PLC", or the teacher's own score "2/4", or empty when not done.
QString ownCheckText(const ResultRow& row);

QVector<ResultRow> resultRows(const ClassModel& model, const QString& currentId);
// "naam,goed,totaal,pogingen,tijd,zelf nagekeken,eerste fout,bediend" and a
// row per PC, every text quoted; a text a spreadsheet would take for a
// formula is kept a text.
QByteArray resultsCsv(const QVector<ResultRow>& rows);

} // namespace klas
