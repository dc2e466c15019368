#include "lesson/grading.h"

#include "lesson/lesson_check.h"
#include "lesson/lesson_file.h"
#include "platform/services.h"
#include "step_plan/plan_file.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>

namespace lesson
{

QStringList planFiles(const QStringList& paths)
{
    QStringList files;
    for (const QString& path : paths) {
        if (QFileInfo(path).isDir()) {
            const QDir dir(path);
            for (const QString& name :
                 dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
                files << dir.filePath(name);
        } else {
            files << path;
        }
    }
    std::stable_sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        const QString na = QFileInfo(a).fileName();
        const QString nb = QFileInfo(b).fileName();
        return na != nb ? na < nb : a < b;
    });
    files.removeDuplicates();
    return files;
}

QString gradeLine(const Grade& grade)
{
    if (!grade.checked)
        return QStringLiteral("%1: niet nagekeken: %2").arg(grade.file, grade.sentence);
    QString line = QStringLiteral("%1: %2/%3").arg(grade.file).arg(grade.passed).arg(grade.total);
    if (!grade.sentence.isEmpty())
        line += QLatin1Char(' ') + grade.sentence;
    return line;
}

QByteArray csvField(const QString& text)
{
    QString t = text;
    const QString start = t.trimmed();
    if ((!start.isEmpty() && QStringLiteral("=+-@").contains(start.front())) ||
        (!t.isEmpty() && (t.front() == QLatin1Char('\t') || t.front() == QLatin1Char('\r'))))
        t.prepend(QLatin1Char('\''));
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return (QLatin1Char('"') + t + QLatin1Char('"')).toUtf8();
}

QByteArray gradesCsv(const QVector<Grade>& grades)
{
    QByteArray csv = "bestand,goed,totaal,eerste fout\r\n";
    for (const Grade& g : grades) {
        csv += csvField(g.file) + ',';
        csv += (g.checked ? QByteArray::number(g.passed) : QByteArray()) + ',';
        csv += (g.checked ? QByteArray::number(g.total) : QByteArray()) + ',';
        csv += csvField(g.sentence) + "\r\n";
    }
    return csv;
}

int gradePlans(const QString& lessonPath, const QStringList& paths, const QString& csvPath,
               QTextStream& out, QTextStream& err)
{
    const ReadResult lesson = readLessonFile(lessonPath);
    if (!lesson.lesson) {
        err << lesson.error << '\n';
        return 2;
    }
    // Without scenarios every plan would pass "0 of 0": a false all-right.
    if (lesson.lesson->hunt) {
        err << QStringLiteral("Kan \"%1\" niet nakijken: het is een opdracht \"storing "
                              "zoeken\", daar hoort geen stappenplan bij.")
                   .arg(QFileInfo(lessonPath).fileName())
            << '\n';
        return 2;
    }
    const QStringList files = planFiles(paths);
    if (files.isEmpty()) {
        err << QStringLiteral("Geen stappenplannen om na te kijken.") << '\n';
        return 1;
    }
    int status = 0;
    QVector<Grade> grades;
    for (const QString& file : files) {
        Grade grade;
        grade.file = file;
        grade.total = int(lesson.lesson->scenarios.size());
        const plan::ReadResult read = plan::readPlanFile(file);
        if (!read.plan) {
            grade.sentence = read.error;
            status = 1;
        } else {
            grade.checked = true;
            const Report report = checkPlan(*lesson.lesson, *read.plan);
            grade.passed = report.passed();
            for (int i = 0; i < report.scenarios.size(); ++i) {
                const ScenarioResult& r = report.scenarios[i];
                if (!r.passed) {
                    grade.sentence =
                        QStringLiteral("scenario %1 \"%2\": %3").arg(i + 1).arg(r.name, r.sentence);
                    break;
                }
            }
        }
        out << gradeLine(grade) << '\n';
        grades.append(grade);
    }
    out.flush();
    if (!csvPath.isEmpty()) {
        const platform::WriteResult written =
            platform::storage().writeFile(csvPath, gradesCsv(grades));
        if (written.failure != platform::WriteFailure::None) {
            err << QStringLiteral("Kan \"%1\" niet opslaan: %2")
                       .arg(QFileInfo(csvPath).fileName(),
                            written.failure == platform::WriteFailure::NotOpened
                                ? QStringLiteral("de map is er niet of mag niet beschreven worden.")
                                : QStringLiteral("het schrijven is mislukt (is de schijf vol?)."))
                << '\n';
            status = 1;
        }
    }
    return status;
}

} // namespace lesson
