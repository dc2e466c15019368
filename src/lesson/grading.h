#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QTextStream;

// Grading a class's step plans against one lesson from the command line:
// one line per plan, and the same as CSV if asked.
namespace lesson
{

// One plan's verdict: `checked` false when the plan could not be read
// (`sentence` then says why).
struct Grade {
    QString file;
    bool checked = false;
    int passed = 0;
    int total = 0;
    // The first failure, "scenario 2 "naam": Na 4,2 s: ...", or why the
    // plan could not be read; empty when every scenario passed.
    QString sentence;
};

// The plan files `paths` names: a file as it is, a folder as its *.json
// files; sorted by file name (then path). A path that is neither comes
// back as it is, so its grade names it.
QStringList planFiles(const QStringList& paths);

// "plan.json: 2/3 scenario 2 ...", one line.
QString gradeLine(const Grade& grade);
// One text of a CSV file, quoted. Quoting keeps commas and line breaks in
// their field, but a spreadsheet still runs a quoted field that starts like
// a formula (= + - @, a tab or a carriage return); such a text gets a
// leading apostrophe, which shows it as the text it is.
QByteArray csvField(const QString& text);

// "bestand,goed,totaal,eerste fout" and a row per grade, every text quoted.
QByteArray gradesCsv(const QVector<Grade>& grades);

// Checks every plan against the lesson at `lessonPath` and prints the lines
// on `out`; with `csvPath` also writes the CSV, whole or not at all.
// Returns 0 when every plan was checked (failing ones included), 1 when a
// plan could not be read or the CSV not written, 2 when the lesson cannot
// be read.
int gradePlans(const QString& lessonPath, const QStringList& paths, const QString& csvPath,
               QTextStream& out, QTextStream& err);

} // namespace lesson
