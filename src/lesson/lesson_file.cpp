#include "lesson/lesson_file.h"

#include "step_plan/plan_file.h"
#include "step_plan/station_points.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace lesson
{

namespace
{

const QString KeyTitle = QStringLiteral("titel");
const QString KeyStation = QStringLiteral("station");
const QString KeyText = QStringLiteral("tekst");
const QString KeyStartPlan = QStringLiteral("startplan");
const QString KeyScenarios = QStringLiteral("scenarios");
const QString KeyName = QStringLiteral("naam");
const QString KeySeconds = QStringLiteral("seconden");
const QString KeyMagazine = QStringLiteral("magazijn");
const QString KeyParts = QStringLiteral("onderdelen");
const QString KeySecond = QStringLiteral("seconde");
const QString KeyMetal = QStringLiteral("metaal");
const QString KeyFaults = QStringLiteral("storingen");
const QString KeyInput = QStringLiteral("ingang");
const QString KeyKind = QStringLiteral("soort");
const QString KeyFrom = QStringLiteral("vanaf");
const QString KeyButton = QStringLiteral("knop");
const QString KeyRequirements = QStringLiteral("eisen");
const QString KeyNeverTogether = QStringLiteral("nooitSamen");
const QString KeyNeverBlocked = QStringLiteral("nooitGeblokkeerd");
const QString KeyOutputsOff = QStringLiteral("uitgangenUit");
const QString KeyPlan = QStringLiteral("plan");
const QString KeyMin = QStringLiteral("min");
const QString KeyMax = QStringLiteral("max");
const QString KeyOutput = QStringLiteral("uitgang");
const QString KeyFault = QStringLiteral("storing");
const QString WordHunt = QStringLiteral("storing zoeken");
const QString WordOpen = QStringLiteral("draadbreuk");
const QString WordShort = QStringLiteral("kortsluiting");
constexpr int MaxLineLength = 500;
constexpr int MaxNameLength = 200;
constexpr int MaxCount = 1000;

QString quoted(const QString& s)
{
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString refusalPrefix(const QString& fileName)
{
    return QStringLiteral("Kan %1 niet openen: ").arg(quoted(fileName));
}

ReadResult refuse(const QString& fileName, const QString& why)
{
    return {std::nullopt, refusalPrefix(fileName) + why};
}

// A whole number within [lo, hi] from JSON, else nothing.
std::optional<int> whole(const QJsonValue& v, int lo, int hi)
{
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (!std::isfinite(d) || std::floor(d) != d || d < lo || d > hi)
        return std::nullopt;
    return int(d);
}

// Seconds from JSON as whole milliseconds within [0, hiMs], else nothing.
std::optional<int> millis(const QJsonValue& v, int hiMs)
{
    if (!v.isDouble())
        return std::nullopt;
    const double s = v.toDouble();
    if (!std::isfinite(s))
        return std::nullopt;
    const double ms = std::round(s * 1000.0);
    if (ms < 0 || ms > hiMs)
        return std::nullopt;
    return int(ms);
}

QString wholeText(const QString& key, int lo, int hi)
{
    return QStringLiteral("%1 moet een heel getal van %2 tot en met %3 zijn.")
        .arg(quoted(key))
        .arg(lo)
        .arg(hi);
}

QString secondsRangeText(const QString& key, int hiMs)
{
    return QStringLiteral("%1 moet een aantal seconden van 0 tot en met %2 zijn.")
        .arg(quoted(key), QString::number(hiMs / 1000));
}

// What each count needs of the station, and what to call it when missing.
struct CountKey {
    QString key;
    Count Requirements::*count;
    bool (*has)(station::Station);
    const char* missing;
};

bool hasHandling(station::Station s)
{
    return s == station::Station::Stationhandling || s == station::Station::TransHandling;
}
bool hasBelt(station::Station s)
{
    return s == station::Station::Transportband || s == station::Station::TransHandling;
}
bool hasMagazine(station::Station s)
{
    return s == station::Station::StapelMagazijn;
}

const CountKey kCounts[] = {
    {QStringLiteral("afgelegd"), &Requirements::putDown, hasHandling, "geen grijper"},
    {QStringLiteral("gevallen"), &Requirements::dropped, hasHandling, "geen grijper"},
    {QStringLiteral("glijbaan"), &Requirements::slide, hasBelt, "geen glijbaan"},
    {QStringLiteral("eind"), &Requirements::beltEnd, hasBelt, "geen band"},
    {QStringLiteral("afgevoerd"), &Requirements::pushedOff, hasMagazine, "geen stapelmagazijn"},
};

QString lacks(station::Station s, const char* what, const QString& key)
{
    return QStringLiteral("%1 heeft %2, dus %3 kan niet.")
        .arg(station::displayName(s), QString::fromLatin1(what), quoted(key));
}

// Reads a count: a number, or an object with "min" and/or "max".
QString readCount(const QJsonValue& v, const QString& key, Count* count)
{
    const QString wrong = QStringLiteral("%1 moet een heel getal van 0 tot en met %2 zijn, of "
                                         "{\"min\": n} en/of {\"max\": n}.")
                              .arg(quoted(key))
                              .arg(MaxCount);
    if (v.isDouble()) {
        count->exact = whole(v, 0, MaxCount);
        return count->exact ? QString() : wrong;
    }
    if (!v.isObject())
        return wrong;
    const QJsonObject o = v.toObject();
    if (!o.contains(KeyMin) && !o.contains(KeyMax))
        return wrong;
    if (o.contains(KeyMin) && !(count->min = whole(o.value(KeyMin), 0, MaxCount)))
        return wrong;
    if (o.contains(KeyMax) && !(count->max = whole(o.value(KeyMax), 0, MaxCount)))
        return wrong;
    if (count->min && count->max && *count->min > *count->max)
        return QStringLiteral("in %1 is \"min\" groter dan \"max\".").arg(quoted(key));
    return {};
}

QString readRequirements(const QJsonValue& v, station::Station s, Requirements* req)
{
    if (v.isUndefined())
        return {};
    if (!v.isObject())
        return QStringLiteral("\"eisen\" moet een object zijn.");
    const QJsonObject o = v.toObject();
    for (const CountKey& c : kCounts) {
        if (!o.contains(c.key))
            continue;
        if (!c.has(s))
            return lacks(s, c.missing, c.key);
        const QString why = readCount(o.value(c.key), c.key, &(req->*c.count));
        if (!why.isEmpty())
            return why;
    }

    const plan::StationPoints points = plan::stationPoints(s);
    if (o.contains(KeyNeverTogether)) {
        const QJsonValue pairs = o.value(KeyNeverTogether);
        const QString wrong = QStringLiteral("\"nooitSamen\" moet een lijst van paren uitgangen "
                                             "zijn, zoals [[2, 3]].");
        if (!pairs.isArray() || pairs.toArray().size() > MaxPairs)
            return wrong;
        for (const QJsonValue& p : pairs.toArray()) {
            const QJsonArray pair = p.toArray();
            if (!p.isArray() || pair.size() != 2)
                return wrong;
            const std::optional<int> a = whole(pair.at(0), 1, plan::PointCount);
            const std::optional<int> b = whole(pair.at(1), 1, plan::PointCount);
            if (!a || !b)
                return QStringLiteral("\"nooitSamen\": de uitgangen zijn genummerd van 1 tot en "
                                      "met 8.");
            if (*a == *b)
                return QStringLiteral("\"nooitSamen\" noemt uitgang %1 twee keer in een paar.")
                    .arg(*a);
            for (const int n : {*a, *b})
                if (!points.usesOutput(n))
                    return QStringLiteral("\"nooitSamen\" noemt uitgang %1, maar %2 gebruikt "
                                          "uitgang %1 niet.")
                        .arg(n)
                        .arg(station::displayName(s));
            req->neverTogether.append({*a, *b});
        }
    }
    for (const auto& [key, flag] : {std::pair{KeyNeverBlocked, &Requirements::neverBlocked},
                                    std::pair{KeyOutputsOff, &Requirements::outputsOff}}) {
        const QJsonValue b = o.value(key);
        if (b.isUndefined())
            continue;
        if (!b.isBool())
            return QStringLiteral("%1 moet true of false zijn.").arg(quoted(key));
        req->*flag = b.toBool();
    }
    const QJsonValue end = o.value(KeyPlan);
    if (!end.isUndefined()) {
        const QString word = end.toString();
        if (word == QLatin1String("klaar"))
            req->planEnd = PlanEnd::Finished;
        else if (word == QLatin1String("mislukt"))
            req->planEnd = PlanEnd::Failed;
        else if (word == QLatin1String("loopt"))
            req->planEnd = PlanEnd::Running;
        else
            return QStringLiteral("\"plan\" moet \"klaar\", \"mislukt\" of \"loopt\" zijn.");
    }
    return {};
}

QString readParts(const QJsonValue& v, station::Station s, int endMs, Scenario* sc)
{
    if (v.isUndefined())
        return {};
    if (!hasBelt(s))
        return lacks(s, "geen band", KeyParts);
    if (!v.isArray())
        return QStringLiteral("\"onderdelen\" moet een lijst zijn.");
    const QJsonArray list = v.toArray();
    if (list.size() > MaxParts)
        return QStringLiteral("\"onderdelen\" heeft meer dan %1 onderdelen.").arg(MaxParts);
    for (int i = 0; i < list.size(); ++i) {
        const QString where = QStringLiteral("onderdeel %1: ").arg(i + 1);
        if (!list.at(i).isObject())
            return where + QStringLiteral("dat moet een object zijn, zoals {\"seconde\": 0, "
                                          "\"metaal\": true}.");
        const QJsonObject o = list.at(i).toObject();
        const std::optional<int> ms = millis(o.value(KeySecond), endMs);
        if (!ms)
            return where + secondsRangeText(KeySecond, endMs);
        const QJsonValue metal = o.value(KeyMetal);
        if (!metal.isUndefined() && !metal.isBool())
            return where + QStringLiteral("\"metaal\" moet true of false zijn.");
        sc->parts.append({*ms, metal.toBool(false)});
    }
    return {};
}

QString readFaults(const QJsonValue& v, station::Station s, int endMs, Scenario* sc)
{
    if (v.isUndefined())
        return {};
    if (!v.isArray())
        return QStringLiteral("\"storingen\" moet een lijst zijn.");
    const QJsonArray list = v.toArray();
    if (list.size() > MaxFaults)
        return QStringLiteral("\"storingen\" heeft meer dan %1 storingen.").arg(MaxFaults);
    const plan::StationPoints points = plan::stationPoints(s);
    for (int i = 0; i < list.size(); ++i) {
        const QString where = QStringLiteral("storing %1: ").arg(i + 1);
        if (!list.at(i).isObject())
            return where + QStringLiteral("dat moet een object zijn, zoals {\"ingang\": 3, "
                                          "\"soort\": \"draadbreuk\"}.");
        const QJsonObject o = list.at(i).toObject();
        const std::optional<int> input = whole(o.value(KeyInput), 1, plan::PointCount);
        if (!input)
            return where + wholeText(KeyInput, 1, plan::PointCount);
        if (!points.usesInput(*input))
            return where + QStringLiteral("%1 gebruikt ingang %2 niet.")
                               .arg(station::displayName(s))
                               .arg(*input);
        const QString kind = o.value(KeyKind).toString();
        if (kind != WordOpen && kind != WordShort)
            return where + QStringLiteral("\"soort\" moet \"draadbreuk\" of \"kortsluiting\" "
                                          "zijn.");
        int from = 0;
        if (o.contains(KeyFrom)) {
            const std::optional<int> ms = millis(o.value(KeyFrom), endMs);
            if (!ms)
                return where + secondsRangeText(KeyFrom, endMs);
            from = *ms;
        }
        sc->faults.append({*input, kind == WordOpen ? sim::Force::Off : sim::Force::On, from});
    }
    return {};
}

// Reads the keys of a scenario after its name; the reason is without the
// scenario's number and name.
QString readScenario(const QJsonObject& o, station::Station s, Scenario* sc)
{
    const std::optional<int> seconds =
        whole(o.value(KeySeconds), MinScenarioSeconds, MaxScenarioSeconds);
    if (!seconds)
        return wholeText(KeySeconds, MinScenarioSeconds, MaxScenarioSeconds);
    sc->seconds = *seconds;
    const int endMs = *seconds * 1000;

    if (o.contains(KeyMagazine)) {
        if (!hasMagazine(s))
            return lacks(s, "geen stapelmagazijn", KeyMagazine);
        sc->magazine = whole(o.value(KeyMagazine), 0, sim::StackMagazine::Capacity);
        if (!sc->magazine)
            return wholeText(KeyMagazine, 0, sim::StackMagazine::Capacity);
    }
    if (QString why = readParts(o.value(KeyParts), s, endMs, sc); !why.isEmpty())
        return why;
    if (QString why = readFaults(o.value(KeyFaults), s, endMs, sc); !why.isEmpty())
        return why;
    if (o.contains(KeyButton)) {
        const std::optional<int> ms = millis(o.value(KeyButton), MaxScenarioSeconds * 1000);
        if (!ms)
            return secondsRangeText(KeyButton, MaxScenarioSeconds * 1000);
        sc->buttonMs = *ms;
    }
    return readRequirements(o.value(KeyRequirements), s, &sc->req);
}

// The one fault of a fault-finding lesson: {"ingang": n, "soort": ...} or
// {"uitgang": n, "soort": "werkt niet"}.
QString readHunt(const QJsonValue& v, station::Station s, std::optional<HiddenFault>* hunt)
{
    const QString shape = QStringLiteral("\"storing\" moet een object zijn, zoals {\"ingang\": 3, "
                                         "\"soort\": \"draadbreuk\"} of {\"uitgang\": 2, "
                                         "\"soort\": \"werkt niet\"}.");
    if (!v.isObject())
        return shape;
    const QJsonObject o = v.toObject();
    if (o.contains(KeyInput) == o.contains(KeyOutput))
        return QStringLiteral("\"storing\" noemt precies één \"ingang\" of één \"uitgang\".");
    HiddenFault f;
    f.output = o.contains(KeyOutput);
    const QString key = f.output ? KeyOutput : KeyInput;
    const std::optional<int> point = whole(o.value(key), 1, plan::PointCount);
    if (!point)
        return QStringLiteral("in \"storing\": ") + wholeText(key, 1, plan::PointCount);
    f.point = *point;
    const std::optional<FaultKind> kind = faultKindFromWord(o.value(KeyKind).toString());
    if (!kind)
        return f.output ? QStringLiteral("in \"storing\": \"soort\" van een uitgang moet "
                                         "\"werkt niet\" zijn.")
                        : QStringLiteral("in \"storing\": \"soort\" van een ingang moet "
                                         "\"draadbreuk\" of \"kortsluiting\" zijn.");
    f.kind = *kind;
    if (const QString why = faultProblem(f, s); !why.isEmpty())
        return QStringLiteral("in \"storing\": ") + why;
    *hunt = f;
    return {};
}

QJsonValue countJson(const Count& c)
{
    if (c.exact && !c.min && !c.max)
        return *c.exact;
    QJsonObject o;
    if (c.min)
        o.insert(KeyMin, *c.min);
    if (c.max)
        o.insert(KeyMax, *c.max);
    return o;
}

} // namespace

ReadResult parseLesson(const QByteArray& bytes, const QString& fileName)
{
    const QByteArray json = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        const QByteArray before = json.left(error.offset);
        const int line = int(before.count('\n')) + 1;
        const int column = int(before.size() - before.lastIndexOf('\n'));
        return refuse(fileName, QStringLiteral("het is beschadigd of geen JSON (fout bij regel "
                                               "%1, teken %2).")
                                    .arg(line)
                                    .arg(column));
    }
    if (!doc.isObject())
        return refuse(fileName, QStringLiteral("het is geen opdracht (een object met \"titel\", "
                                               "\"station\" en \"scenarios\" ontbreekt)."));
    const QJsonObject root = doc.object();
    Lesson lesson;

    const QJsonValue title = root.value(KeyTitle);
    if (!title.isString() || title.toString().trimmed().isEmpty() ||
        title.toString().size() > MaxNameLength)
        return refuse(
            fileName,
            QStringLiteral("\"titel\" ontbreekt of is langer dan %1 tekens.").arg(MaxNameLength));
    lesson.title = title.toString().simplified();

    const QJsonValue station = root.value(KeyStation);
    if (!station.isString())
        return refuse(fileName, QStringLiteral("\"station\" ontbreekt."));
    const std::optional<station::Station> s = station::fromDisplayName(station.toString());
    if (!s)
        return refuse(fileName, QStringLiteral("het station %1 bestaat niet; kies Stapel "
                                               "magazijn, Transportband, Station handling of "
                                               "Transportband en Station handling.")
                                    .arg(quoted(station.toString())));
    lesson.station = *s;

    const QJsonValue text = root.value(KeyText);
    const QString textWrong = QStringLiteral("\"tekst\" moet een lijst van hoogstens %1 regels "
                                             "van hoogstens %2 tekens zijn.")
                                  .arg(MaxTextLines)
                                  .arg(MaxLineLength);
    if (!text.isArray() || text.toArray().size() > MaxTextLines)
        return refuse(fileName, textWrong);
    for (const QJsonValue& line : text.toArray()) {
        if (!line.isString() || line.toString().size() > MaxLineLength)
            return refuse(fileName, textWrong);
        lesson.text << line.toString().simplified();
    }

    const QJsonValue start = root.value(KeyStartPlan);
    if (!start.isUndefined()) {
        if (!start.isObject())
            return refuse(fileName, QStringLiteral("\"startplan\" moet een stappenplan zijn."));
        plan::ReadResult read = plan::parsePlan(QJsonDocument(start.toObject()).toJson(), fileName);
        if (!read.plan)
            return refuse(fileName, QStringLiteral("in \"startplan\": ") +
                                        read.error.mid(refusalPrefix(fileName).size()));
        if (read.plan->station != lesson.station)
            return refuse(fileName, QStringLiteral("\"startplan\" is voor %1, maar de opdracht "
                                                   "is voor %2.")
                                        .arg(station::displayName(read.plan->station),
                                             station::displayName(lesson.station)));
        lesson.startPlan = read.plan;
    }

    const QJsonValue kind = root.value(KeyKind);
    if (!kind.isUndefined() && kind.toString() != WordHunt)
        return refuse(fileName, QStringLiteral("\"soort\" moet \"storing zoeken\" zijn, of "
                                               "ontbreken voor een opdracht met scenario's."));
    if (!kind.isUndefined()) {
        if (!root.contains(KeyFault))
            return refuse(fileName, QStringLiteral("een opdracht \"storing zoeken\" heeft één "
                                                   "\"storing\" nodig, zoals {\"ingang\": 3, "
                                                   "\"soort\": \"draadbreuk\"}."));
        if (root.contains(KeyScenarios))
            return refuse(fileName, QStringLiteral("een opdracht \"storing zoeken\" heeft geen "
                                                   "\"scenarios\": de leerling zoekt met de "
                                                   "hand."));
        const QString why = readHunt(root.value(KeyFault), lesson.station, &lesson.hunt);
        if (!why.isEmpty())
            return refuse(fileName, why);
        return {lesson, QString()};
    }
    if (root.contains(KeyFault))
        return refuse(fileName, QStringLiteral("\"storing\" hoort alleen bij een opdracht met "
                                               "\"soort\": \"storing zoeken\"."));

    const QJsonValue scenarios = root.value(KeyScenarios);
    if (!scenarios.isArray() || scenarios.toArray().isEmpty() ||
        scenarios.toArray().size() > MaxScenarios)
        return refuse(fileName, QStringLiteral("\"scenarios\" moet een lijst van 1 tot en met "
                                               "%1 scenario's zijn.")
                                    .arg(MaxScenarios));
    const QJsonArray list = scenarios.toArray();
    for (int i = 0; i < list.size(); ++i) {
        const QString number = QStringLiteral("scenario %1").arg(i + 1);
        if (!list.at(i).isObject())
            return refuse(fileName, number + QStringLiteral(" is geen object."));
        const QJsonObject o = list.at(i).toObject();
        const QJsonValue name = o.value(KeyName);
        if (!name.isString() || name.toString().trimmed().isEmpty() ||
            name.toString().size() > MaxNameLength)
            return refuse(fileName, number + QStringLiteral(": \"naam\" ontbreekt of is langer "
                                                            "dan %1 tekens.")
                                                 .arg(MaxNameLength));
        Scenario sc;
        sc.name = name.toString().simplified();
        const QString why = readScenario(o, lesson.station, &sc);
        if (!why.isEmpty())
            return refuse(fileName,
                          QStringLiteral("%1 (%2): %3").arg(number, quoted(sc.name), why));
        lesson.scenarios.append(sc);
    }
    return {lesson, QString()};
}

ReadResult readLessonFile(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (!QFileInfo(path).isFile())
        return refuse(name, QStringLiteral("het bestand bestaat niet."));
    QFile file(path);
    if (file.size() > MaxFileBytes)
        return refuse(name, QStringLiteral("het bestand is te groot voor een opdracht."));
    if (!file.open(QIODevice::ReadOnly))
        return refuse(name, QStringLiteral("het bestand kan niet gelezen worden."));
    // One byte past the limit: a file that grew since the size check is caught.
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (bytes.size() > MaxFileBytes)
        return refuse(name, QStringLiteral("het bestand is te groot voor een opdracht."));
    if (file.error() != QFile::NoError)
        return refuse(name, QStringLiteral("het bestand kan niet gelezen worden."));
    return parseLesson(bytes, name);
}

QByteArray writeLesson(const Lesson& lesson)
{
    QJsonObject root;
    root.insert(KeyTitle, lesson.title);
    root.insert(KeyStation, station::displayName(lesson.station));
    root.insert(KeyText, QJsonArray::fromStringList(lesson.text));
    if (lesson.startPlan)
        root.insert(KeyStartPlan,
                    QJsonDocument::fromJson(plan::writePlan(*lesson.startPlan)).object());
    if (lesson.hunt) {
        const HiddenFault& f = *lesson.hunt;
        root.insert(KeyKind, WordHunt);
        root.insert(KeyFault, QJsonObject{{f.output ? KeyOutput : KeyInput, f.point},
                                          {KeyKind, faultKindWord(f.kind)}});
        return QJsonDocument(root).toJson(QJsonDocument::Indented);
    }
    QJsonArray scenarios;
    for (const Scenario& sc : lesson.scenarios) {
        QJsonObject o;
        o.insert(KeyName, sc.name);
        o.insert(KeySeconds, sc.seconds);
        if (sc.magazine)
            o.insert(KeyMagazine, *sc.magazine);
        if (!sc.parts.isEmpty()) {
            QJsonArray parts;
            for (const PartDrop& p : sc.parts)
                parts.append(QJsonObject{{KeySecond, p.ms / 1000.0}, {KeyMetal, p.metal}});
            o.insert(KeyParts, parts);
        }
        if (!sc.faults.isEmpty()) {
            QJsonArray faults;
            for (const InputFault& f : sc.faults)
                faults.append(
                    QJsonObject{{KeyInput, f.input},
                                {KeyKind, f.force == sim::Force::On ? WordShort : WordOpen},
                                {KeyFrom, f.fromMs / 1000.0}});
            o.insert(KeyFaults, faults);
        }
        if (sc.buttonMs != DefaultButtonMs)
            o.insert(KeyButton, sc.buttonMs / 1000.0);
        QJsonObject req;
        for (const CountKey& c : kCounts)
            if ((sc.req.*c.count).given())
                req.insert(c.key, countJson(sc.req.*c.count));
        if (!sc.req.neverTogether.isEmpty()) {
            QJsonArray pairs;
            for (const OutputPair& p : sc.req.neverTogether)
                pairs.append(QJsonArray{p.first, p.second});
            req.insert(KeyNeverTogether, pairs);
        }
        if (sc.req.neverBlocked)
            req.insert(KeyNeverBlocked, true);
        if (sc.req.outputsOff)
            req.insert(KeyOutputsOff, true);
        switch (sc.req.planEnd) {
        case PlanEnd::Any:
            break;
        case PlanEnd::Finished:
            req.insert(KeyPlan, QStringLiteral("klaar"));
            break;
        case PlanEnd::Failed:
            req.insert(KeyPlan, QStringLiteral("mislukt"));
            break;
        case PlanEnd::Running:
            req.insert(KeyPlan, QStringLiteral("loopt"));
            break;
        }
        o.insert(KeyRequirements, req);
        scenarios.append(o);
    }
    root.insert(KeyScenarios, scenarios);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString saveLessonFile(const Lesson& lesson, const QString& path)
{
    return plan::saveWholeFile(writeLesson(lesson), path);
}

} // namespace lesson
