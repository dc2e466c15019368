#include "step_plan/plan_file.h"
#include "platform/services.h"

#include "step_plan/station_points.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace plan
{

namespace
{

const QString KeyStation = QStringLiteral("station");
const QString KeySteps = QStringLiteral("stappen");
const QString KeyRepeat = QStringLiteral("herhaal");
const QString KeySet = QStringLiteral("zet");
const QString KeyUntil = QStringLiteral("tot");
const QString KeyInput = QStringLiteral("ingang");
const QString KeyOn = QStringLiteral("aan");
const QString KeySeconds = QStringLiteral("seconden");
const QString KeyButton = QStringLiteral("knop");
const QString KeyTimeout = QStringLiteral("maxSeconden");
const QString KeyNote = QStringLiteral("uitleg");
constexpr int MaxNoteLength = 500;

QString quoted(const QString& s)
{
    return QLatin1Char('"') + s + QLatin1Char('"');
}

ReadResult refuse(const QString& fileName, const QString& why)
{
    return {std::nullopt, QStringLiteral("Kan %1 niet openen: %2").arg(quoted(fileName), why)};
}

// Line and column (1-based) of a byte offset, for JSON syntax errors.
QString placeOf(const QByteArray& text, int offset)
{
    offset = std::clamp(offset, 0, int(text.size()));
    int line = 1;
    int column = 1;
    for (int i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return QStringLiteral("regel %1, teken %2").arg(line).arg(column);
}

// Seconds in JSON to whole milliseconds within [lo, hi]; nothing when the
// value is no number or lies outside.
std::optional<int> millis(const QJsonValue& v, int lo, int hi)
{
    if (!v.isDouble())
        return std::nullopt;
    const double s = v.toDouble();
    if (!std::isfinite(s))
        return std::nullopt;
    const double ms = std::round(s * 1000.0);
    if (ms < lo || ms > hi)
        return std::nullopt;
    return int(ms);
}

QString rangeText(int lo, int hi)
{
    QString a = secondsText(lo);
    QString b = secondsText(hi);
    a.chop(2);
    b.chop(2);
    return QStringLiteral("%1 en %2").arg(a, b);
}

// A whole number 1..8 from JSON, else nothing.
std::optional<int> pointNumber(const QJsonValue& v)
{
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (d < 1 || d > PointCount || std::floor(d) != d)
        return std::nullopt;
    return int(d);
}

// Reads one step; on failure returns the reason (starting with "stap n").
QString readStep(const QJsonValue& value, int number, Step* step)
{
    const QString stap = QStringLiteral("stap %1").arg(number);
    if (!value.isObject())
        return stap + QStringLiteral(" is geen object met \"zet\" en \"tot\".");
    const QJsonObject o = value.toObject();

    const QJsonValue set = o.value(KeySet);
    if (!set.isUndefined() && !set.isObject())
        return stap + QStringLiteral(": \"zet\" moet een object zijn, zoals {\"1\": true}.");
    const QJsonObject outputs = set.toObject();
    for (auto it = outputs.begin(); it != outputs.end(); ++it) {
        bool ok = false;
        const int n = it.key().toInt(&ok);
        if (!ok || n < 1 || n > PointCount || it.key() != QString::number(n))
            return stap + QStringLiteral(": \"zet\" noemt uitgang %1; de uitgangen zijn "
                                         "genummerd van 1 tot en met 8.")
                              .arg(quoted(it.key()));
        if (!it.value().isBool())
            return stap + QStringLiteral(": uitgang %1 in \"zet\" moet true of false zijn.").arg(n);
        step->setTarget(n, it.value().toBool());
    }

    const QJsonValue until = o.value(KeyUntil);
    if (!until.isObject())
        return stap + QStringLiteral(": \"tot\" ontbreekt of is geen object.");
    const QJsonObject t = until.toObject();
    const int kinds =
        int(t.contains(KeyInput)) + int(t.contains(KeySeconds)) + int(t.contains(KeyButton));
    if (kinds != 1)
        return stap + QStringLiteral(": \"tot\" moet precies een van \"ingang\", \"seconden\" of "
                                     "\"knop\" hebben.");
    if (t.contains(KeyInput)) {
        const std::optional<int> n = pointNumber(t.value(KeyInput));
        if (!n)
            return stap + QStringLiteral(": \"ingang\" moet een getal van 1 tot en met 8 zijn.");
        if (!t.value(KeyOn).isBool())
            return stap +
                   QStringLiteral(": bij ingang %1 moet \"aan\" true of false zijn.").arg(*n);
        step->wait.kind = WaitKind::Input;
        step->wait.input = *n;
        step->wait.on = t.value(KeyOn).toBool();
        const QJsonValue timeout = o.value(KeyTimeout);
        if (!timeout.isUndefined()) {
            const std::optional<int> ms = millis(timeout, MinTimeoutMs, MaxTimeoutMs);
            if (!ms)
                return stap + QStringLiteral(": \"maxSeconden\" moet een getal tussen %1 zijn.")
                                  .arg(rangeText(MinTimeoutMs, MaxTimeoutMs));
            step->timeoutMs = *ms;
        }
    } else if (t.contains(KeySeconds)) {
        const std::optional<int> ms = millis(t.value(KeySeconds), MinWaitMs, MaxWaitMs);
        if (!ms)
            return stap + QStringLiteral(": \"seconden\" moet een getal tussen %1 zijn.")
                              .arg(rangeText(MinWaitMs, MaxWaitMs));
        step->wait.kind = WaitKind::Time;
        step->wait.ms = *ms;
    } else {
        if (t.value(KeyButton) != QJsonValue(true))
            return stap + QStringLiteral(": \"knop\" kan alleen true zijn.");
        step->wait.kind = WaitKind::Button;
    }
    const QJsonValue note = o.value(KeyNote);
    if (!note.isUndefined() && (!note.isString() || note.toString().size() > MaxNoteLength))
        return stap + QStringLiteral(": \"uitleg\" moet een tekst van hoogstens %1 tekens zijn.")
                          .arg(MaxNoteLength);
    step->note = note.toString().simplified();
    return {};
}

} // namespace

QString checkPoints(const Plan& plan)
{
    const StationPoints points = stationPoints(plan.station);
    const QString station = station::displayName(plan.station);
    for (int s = 0; s < plan.steps.size(); ++s) {
        const Step& step = plan.steps[s];
        for (int n = 1; n <= PointCount; ++n) {
            if (step.target(n) && !points.usesOutput(n))
                return QStringLiteral("stap %1 zet uitgang %2, maar %3 gebruikt uitgang %2 niet.")
                    .arg(s + 1)
                    .arg(n)
                    .arg(station);
        }
        if (step.wait.kind == WaitKind::Input && !points.usesInput(step.wait.input))
            return QStringLiteral("stap %1 wacht op ingang %2, maar %3 gebruikt ingang %2 niet.")
                .arg(s + 1)
                .arg(step.wait.input)
                .arg(station);
    }
    return {};
}

ReadResult parsePlan(const QByteArray& bytes, const QString& fileName)
{
    // Some editors put a byte order mark before the text.
    const QByteArray json = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return refuse(fileName, QStringLiteral("het is beschadigd of geen JSON (fout bij %1).")
                                    .arg(placeOf(json, error.offset)));
    if (!doc.isObject())
        return refuse(fileName,
                      QStringLiteral("het is geen stappenplan (een object met \"station\" en "
                                     "\"stappen\" ontbreekt)."));
    const QJsonObject root = doc.object();

    Plan plan;
    const QJsonValue station = root.value(KeyStation);
    if (!station.isString())
        return refuse(fileName, QStringLiteral("\"station\" ontbreekt."));
    const std::optional<station::Station> s = station::fromDisplayName(station.toString());
    if (!s)
        return refuse(fileName, QStringLiteral("het station %1 bestaat niet; kies Stapel "
                                               "magazijn, Transportband, Station handling of "
                                               "Transportband en Station handling.")
                                    .arg(quoted(station.toString())));
    plan.station = *s;

    const QJsonValue steps = root.value(KeySteps);
    if (!steps.isArray())
        return refuse(fileName, QStringLiteral("\"stappen\" ontbreekt of is geen lijst."));
    const QJsonArray list = steps.toArray();
    if (list.size() > MaxSteps)
        return refuse(fileName,
                      QStringLiteral("het plan heeft meer dan %1 stappen.").arg(MaxSteps));
    for (int i = 0; i < list.size(); ++i) {
        Step step;
        const QString why = readStep(list.at(i), i + 1, &step);
        if (!why.isEmpty())
            return refuse(fileName, why);
        plan.steps.append(step);
    }

    const QJsonValue repeat = root.value(KeyRepeat);
    if (!repeat.isUndefined() && !repeat.isBool())
        return refuse(fileName, QStringLiteral("\"herhaal\" moet true of false zijn."));
    plan.repeat = repeat.toBool(false);

    const QString points = checkPoints(plan);
    if (!points.isEmpty())
        return refuse(fileName, points);
    return {plan, QString()};
}

ReadResult readPlanFile(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!QFileInfo(path).isFile())
        return refuse(name, QStringLiteral("het bestand bestaat niet."));
    if (file.size() > MaxFileBytes)
        return refuse(name, QStringLiteral("het bestand is te groot voor een stappenplan."));
    if (!file.open(QIODevice::ReadOnly))
        return refuse(name, QStringLiteral("het bestand kan niet gelezen worden."));
    // Read one byte past the limit: a file that grew since the size check
    // is still caught.
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (bytes.size() > MaxFileBytes)
        return refuse(name, QStringLiteral("het bestand is te groot voor een stappenplan."));
    if (file.error() != QFile::NoError)
        return refuse(name, QStringLiteral("het bestand kan niet gelezen worden."));
    return parsePlan(bytes, name);
}

QByteArray writePlan(const Plan& plan)
{
    QJsonArray steps;
    for (const Step& step : plan.steps) {
        QJsonObject set;
        for (int n = 1; n <= PointCount; ++n)
            if (const std::optional<bool> t = step.target(n))
                set.insert(QString::number(n), *t);
        QJsonObject until;
        QJsonObject o;
        switch (step.wait.kind) {
        case WaitKind::Input:
            until.insert(KeyInput, step.wait.input);
            until.insert(KeyOn, step.wait.on);
            if (step.timeoutMs != DefaultTimeoutMs)
                o.insert(KeyTimeout, step.timeoutMs / 1000.0);
            break;
        case WaitKind::Time:
            until.insert(KeySeconds, step.wait.ms / 1000.0);
            break;
        case WaitKind::Button:
            until.insert(KeyButton, true);
            break;
        }
        o.insert(KeySet, set);
        o.insert(KeyUntil, until);
        if (!step.note.isEmpty())
            o.insert(KeyNote, step.note);
        steps.append(o);
    }
    QJsonObject root;
    root.insert(KeyStation, station::displayName(plan.station));
    root.insert(KeySteps, steps);
    root.insert(KeyRepeat, plan.repeat);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString savePlanFile(const Plan& plan, const QString& path)
{
    return saveWholeFile(writePlan(plan), path);
}

QString saveWholeFile(const QByteArray& bytes, const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const platform::WriteResult written = platform::storage().writeFile(path, bytes);
    switch (written.failure) {
    case platform::WriteFailure::None:
        break;
    case platform::WriteFailure::NotOpened:
        return QStringLiteral("Kan %1 niet opslaan: de map is er niet of mag niet beschreven "
                              "worden.")
            .arg(quoted(name));
    case platform::WriteFailure::NotWritten:
        return QStringLiteral("Kan %1 niet opslaan: het schrijven is mislukt (is de schijf vol?).")
            .arg(quoted(name));
    }
    return {};
}

} // namespace plan
