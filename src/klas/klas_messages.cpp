#include "klas/klas_messages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

namespace klas
{

namespace
{

// Payloads larger than this are not ours: a status is a few hundred bytes.
constexpr int kMaxPayload = 8192;
// Texts shown in a tile are cut to a line's length.
constexpr int kMaxText = 200;
// An "Alles uit" id: the teacher's window makes eight characters.
constexpr int kMaxId = 64;
// A lesson file is at most 1 MiB; the message adds its id.
constexpr int kMaxLessonPayload = (1 << 20) + 256;
// A result carries a plan file; a plan of the most steps is well below this.
constexpr int kMaxResultPayload = 512 * 1024;
// A failure sentence or a refusal: longer than a tile's line.
constexpr int kMaxSentence = 1000;
// Scenarios in one lesson.
constexpr int kMaxScenarios = 20;

std::optional<QJsonObject> object(const QByteArray& payload, int maxSize = kMaxPayload)
{
    if (payload.isEmpty() || payload.size() > maxSize)
        return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(payload, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

QString text(const QJsonObject& o, const char* key, int maxLength = kMaxText)
{
    QString t = o.value(QLatin1String(key)).toString().left(maxLength);
    for (QChar& c : t) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    }
    return t;
}

// A whole number in 0..max, nothing for anything else.
std::optional<int> number(const QJsonValue& v, int max)
{
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (d < 0 || d > max || d != double(int(d)))
        return std::nullopt;
    return int(d);
}

QJsonArray faultArray(const Faults& f)
{
    QJsonArray list;
    for (int i = 0; i < 8; ++i) {
        if (f.input[i] != Fault::None)
            list.append(QJsonObject{{QStringLiteral("ingang"), i + 1},
                                    {QStringLiteral("soort"), faultWord(f.input[i])}});
    }
    for (int i = 0; i < 8; ++i) {
        if (f.deadOutput[i])
            list.append(QJsonObject{{QStringLiteral("uitgang"), i + 1},
                                    {QStringLiteral("soort"), deadOutputWord()}});
    }
    return list;
}

std::optional<Faults> faultsFrom(const QJsonValue& v)
{
    if (!v.isArray())
        return std::nullopt;
    const QJsonArray list = v.toArray();
    if (list.size() > 16)
        return std::nullopt;
    Faults f;
    for (const QJsonValue& entry : list) {
        if (!entry.isObject())
            return std::nullopt;
        const QJsonObject o = entry.toObject();
        if (o.contains(QStringLiteral("uitgang"))) {
            const std::optional<int> output = number(o.value(QStringLiteral("uitgang")), 8);
            if (!output || *output < 1 || o.contains(QStringLiteral("ingang")) ||
                o.value(QStringLiteral("soort")).toString() != deadOutputWord())
                return std::nullopt;
            f.deadOutput[*output - 1] = true;
            continue;
        }
        const std::optional<int> input = number(o.value(QStringLiteral("ingang")), 8);
        const std::optional<Fault> kind =
            faultFromWord(o.value(QStringLiteral("soort")).toString());
        if (!input || *input < 1 || !kind)
            return std::nullopt;
        f.input[*input - 1] = *kind;
    }
    return f;
}

} // namespace

QString sessionClientId(const QString& account)
{
    quint32 bits[4];
    QRandomGenerator::system()->fillRange(bits);
    QString id = account + QLatin1Char('-');
    for (const quint32 b : bits)
        id += QStringLiteral("%1").arg(b, 8, 16, QLatin1Char('0'));
    return id;
}

QString statusTopic(const QString& klas, const QString& account)
{
    return klas + QLatin1Char('/') + account + QStringLiteral("/status");
}

QString faultTopic(const QString& klas, const QString& account)
{
    return klas + QLatin1Char('/') + account + QStringLiteral("/storing");
}

QString allOffTopic(const QString& klas)
{
    return klas + QStringLiteral("/allesuit");
}

namespace
{

QString accountOfTopic(const QString& klas, const QString& topic, QLatin1String leaf)
{
    const QStringList parts = topic.split(QLatin1Char('/'));
    if (parts.size() != 3 || parts[0] != klas || parts[2] != leaf || parts[1].isEmpty())
        return {};
    return parts[1];
}

} // namespace

QString accountOfStatusTopic(const QString& klas, const QString& topic)
{
    return accountOfTopic(klas, topic, QLatin1String("status"));
}

QString accountOfFaultTopic(const QString& klas, const QString& topic)
{
    return accountOfTopic(klas, topic, QLatin1String("storing"));
}

QString lessonTopic(const QString& klas)
{
    return klas + QStringLiteral("/opdracht");
}

QString resultTopic(const QString& klas, const QString& account)
{
    return klas + QLatin1Char('/') + account + QStringLiteral("/resultaat");
}

QString accountOfResultTopic(const QString& klas, const QString& topic)
{
    return accountOfTopic(klas, topic, QLatin1String("resultaat"));
}

QString freezeTopic(const QString& klas)
{
    return klas + QStringLiteral("/bevriezen");
}

std::optional<Fault> faultFromWord(const QString& word)
{
    if (word == QLatin1String("geen"))
        return Fault::None;
    if (word == QLatin1String("draadbreuk"))
        return Fault::OpenCircuit;
    if (word == QLatin1String("kortsluiting"))
        return Fault::ShortCircuit;
    return std::nullopt;
}

QString faultWord(Fault f)
{
    switch (f) {
    case Fault::OpenCircuit:
        return QStringLiteral("draadbreuk");
    case Fault::ShortCircuit:
        return QStringLiteral("kortsluiting");
    case Fault::None:
        break;
    }
    return QStringLiteral("geen");
}

QString deadOutputWord()
{
    return QStringLiteral("werkt niet");
}

bool Faults::any() const
{
    for (const Fault f : input) {
        if (f != Fault::None)
            return true;
    }
    for (const bool dead : deadOutput) {
        if (dead)
            return true;
    }
    return false;
}

QString Faults::describe() const
{
    QStringList parts;
    for (int i = 0; i < 8; ++i) {
        if (input[i] != Fault::None)
            parts.append(QStringLiteral("ingang %1 %2").arg(i + 1).arg(faultWord(input[i])));
    }
    for (int i = 0; i < 8; ++i) {
        if (deadOutput[i])
            parts.append(QStringLiteral("uitgang %1 %2").arg(i + 1).arg(deadOutputWord()));
    }
    return parts.join(QStringLiteral(", "));
}

QByteArray encodeFaults(const Faults& f, const QString& sender)
{
    QJsonObject o{{QStringLiteral("storingen"), faultArray(f)}};
    if (!sender.isEmpty())
        o.insert(QStringLiteral("van"), sender);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QString faultSender(const QByteArray& payload)
{
    const std::optional<QJsonObject> o = object(payload);
    return o ? text(*o, "van") : QString();
}

std::optional<Faults> decodeFaults(const QByteArray& payload)
{
    const std::optional<QJsonObject> o = object(payload);
    if (!o)
        return std::nullopt;
    return faultsFrom(o->value(QStringLiteral("storingen")));
}

QByteArray encodeAllOff(const QString& id, const QStringList& to)
{
    QJsonObject o{{QStringLiteral("allesuit"), true}};
    if (!id.isEmpty())
        o.insert(QStringLiteral("id"), id);
    if (!to.isEmpty())
        o.insert(QStringLiteral("voor"), QJsonArray::fromStringList(to));
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<AllOff> decodeAllOff(const QByteArray& payload)
{
    const std::optional<QJsonObject> o = object(payload);
    // Exactly true: a 1, a "true" or a false is no switch-off.
    if (!o || o->value(QStringLiteral("allesuit")) != QJsonValue(true))
        return std::nullopt;
    AllOff a;
    const QJsonValue id = o->value(QStringLiteral("id"));
    if (!id.isUndefined()) {
        if (!id.isString() || id.toString().isEmpty() || id.toString().size() > kMaxId)
            return std::nullopt;
        a.id = id.toString();
    }
    const QJsonValue to = o->value(QStringLiteral("voor"));
    if (!to.isUndefined()) {
        if (!to.isArray())
            return std::nullopt;
        for (const QJsonValue& account : to.toArray()) {
            if (!account.isString() || account.toString().isEmpty())
                return std::nullopt;
            a.to.append(account.toString());
        }
        // Sent again for nobody is no message of ours.
        if (a.to.isEmpty())
            return std::nullopt;
    }
    return a;
}

bool isAllOff(const QByteArray& payload)
{
    return decodeAllOff(payload).has_value();
}

std::optional<QString> allOffToCarryOut(const QByteArray& payload, const QString& account,
                                        const QString& done)
{
    const std::optional<AllOff> a = decodeAllOff(payload);
    if (!a || (!a->to.isEmpty() && !a->to.contains(account)))
        return std::nullopt;
    if (!a->id.isEmpty() && a->id == done)
        return std::nullopt;
    return a->id;
}

QByteArray encodeFreeze(bool frozen)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("bevroren"), frozen}})
        .toJson(QJsonDocument::Compact);
}

std::optional<bool> decodeFreeze(const QByteArray& payload)
{
    const std::optional<QJsonObject> o = object(payload);
    if (!o || o->size() != 1)
        return std::nullopt;
    const QJsonValue v = o->value(QStringLiteral("bevroren"));
    if (!v.isBool())
        return std::nullopt;
    return v.toBool();
}

bool PupilStatus::operator==(const PupilStatus& o) const
{
    return online == o.online && naam == o.naam && interfaceType == o.interfaceType &&
           verbonden == o.verbonden && station == o.station && uitgangen == o.uitgangen &&
           ingangen == o.ingangen && plan == o.plan && stap == o.stap &&
           planBericht == o.planBericht && plc == o.plc && storingen == o.storingen &&
           allesUit == o.allesUit && opdracht == o.opdracht && opdrachtFout == o.opdrachtFout &&
           bevroren == o.bevroren;
}

QByteArray encodeStatus(const PupilStatus& s)
{
    QJsonObject o{
        {QStringLiteral("online"), s.online},
        {QStringLiteral("naam"), s.naam},
        {QStringLiteral("interface"), s.interfaceType},
        {QStringLiteral("verbonden"), s.verbonden},
        {QStringLiteral("station"), s.station},
        {QStringLiteral("uitgangen"), s.uitgangen & 0xFF},
        {QStringLiteral("ingangen"), s.ingangen & 0xFF},
        {QStringLiteral("plan"), s.plan},
        {QStringLiteral("stap"), s.stap},
        {QStringLiteral("planbericht"), s.planBericht},
        {QStringLiteral("plc"), s.plc},
        {QStringLiteral("storingen"), faultArray(s.storingen)},
    };
    if (!s.allesUit.isEmpty())
        o.insert(QStringLiteral("allesuit"), s.allesUit);
    if (!s.opdracht.isEmpty())
        o.insert(QStringLiteral("opdracht"), s.opdracht);
    if (!s.opdrachtFout.isEmpty())
        o.insert(QStringLiteral("opdrachtfout"), s.opdrachtFout);
    if (s.bevroren)
        o.insert(QStringLiteral("bevroren"), true);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<PupilStatus> decodeStatus(const QByteArray& payload)
{
    const std::optional<QJsonObject> o = object(payload);
    if (!o || !o->value(QStringLiteral("online")).isBool())
        return std::nullopt;
    PupilStatus s;
    s.online = o->value(QStringLiteral("online")).toBool();
    s.naam = text(*o, "naam");
    s.interfaceType = text(*o, "interface");
    s.verbonden = o->value(QStringLiteral("verbonden")).toBool(false);
    s.station = text(*o, "station");
    s.uitgangen = number(o->value(QStringLiteral("uitgangen")), 255).value_or(0);
    s.ingangen = number(o->value(QStringLiteral("ingangen")), 255).value_or(0);
    s.plan = text(*o, "plan");
    s.stap = number(o->value(QStringLiteral("stap")), 9999).value_or(0);
    s.planBericht = text(*o, "planbericht");
    s.plc = text(*o, "plc");
    s.storingen = faultsFrom(o->value(QStringLiteral("storingen"))).value_or(Faults{});
    s.allesUit = text(*o, "allesuit").left(kMaxId);
    s.opdracht = text(*o, "opdracht").left(kMaxId);
    s.opdrachtFout = text(*o, "opdrachtfout", kMaxSentence);
    // Only a true confirms: anything else is a PC that has not frozen.
    s.bevroren = o->value(QStringLiteral("bevroren")) == QJsonValue(true);
    return s;
}

QByteArray offlineStatus(const QString& naam)
{
    PupilStatus s;
    s.naam = naam;
    return encodeStatus(s);
}

namespace
{

// A non-empty text id of at most kMaxId characters.
std::optional<QString> idFrom(const QJsonValue& v)
{
    if (!v.isString() || v.toString().isEmpty() || v.toString().size() > kMaxId)
        return std::nullopt;
    return v.toString();
}

} // namespace

QByteArray encodeLesson(const QString& id, const QByteArray& lessonJson)
{
    const QJsonDocument lesson = QJsonDocument::fromJson(lessonJson);
    QJsonObject o{{QStringLiteral("id"), id}};
    o.insert(QStringLiteral("opdracht"),
             lesson.isObject() ? QJsonValue(lesson.object()) : QJsonValue(QJsonValue::Null));
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<LessonMessage> decodeLesson(const QByteArray& payload)
{
    const std::optional<QJsonObject> o = object(payload, kMaxLessonPayload);
    if (!o)
        return std::nullopt;
    const std::optional<QString> id = idFrom(o->value(QStringLiteral("id")));
    if (!id)
        return std::nullopt;
    LessonMessage m;
    m.id = *id;
    const QJsonValue lesson = o->value(QStringLiteral("opdracht"));
    if (lesson.isObject())
        m.lesson = QJsonDocument(lesson.toObject()).toJson(QJsonDocument::Compact);
    return m;
}

bool LessonResult::operator==(const LessonResult& o) const
{
    return id == o.id && titel == o.titel && goed == o.goed && totaal == o.totaal &&
           fout == o.fout && pogingen == o.pogingen && seconden == o.seconden && plan == o.plan &&
           hunt == o.hunt && bediend == o.bediend && docent == o.docent && plc == o.plc;
}

QByteArray encodeResult(const LessonResult& r)
{
    QJsonObject o{
        {QStringLiteral("id"), r.id},
        {QStringLiteral("titel"), r.titel},
        {QStringLiteral("goed"), r.goed},
        {QStringLiteral("totaal"), r.totaal},
        {QStringLiteral("fout"), r.fout},
        {QStringLiteral("pogingen"), r.pogingen},
        {QStringLiteral("seconden"), r.seconden},
    };
    if (r.hunt) {
        o.insert(QStringLiteral("soort"), QStringLiteral("storing zoeken"));
        o.insert(QStringLiteral("bediend"), r.bediend);
        o.insert(QStringLiteral("docent"), r.docent);
    } else if (r.plc) {
        o.insert(QStringLiteral("plc"), true);
    } else {
        const QJsonDocument plan = QJsonDocument::fromJson(r.plan);
        o.insert(QStringLiteral("plan"),
                 plan.isObject() ? QJsonValue(plan.object()) : QJsonValue());
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<LessonResult> decodeResult(const QByteArray& payload)
{
    const std::optional<QJsonObject> o = object(payload, kMaxResultPayload);
    if (!o)
        return std::nullopt;
    const std::optional<int> total = number(o->value(QStringLiteral("totaal")), kMaxScenarios);
    const std::optional<int> passed = number(o->value(QStringLiteral("goed")), kMaxScenarios);
    const std::optional<int> attempts = number(o->value(QStringLiteral("pogingen")), 1'000'000);
    const std::optional<int> seconds = number(o->value(QStringLiteral("seconden")), 100'000'000);
    const QJsonValue title = o->value(QStringLiteral("titel"));
    const QJsonValue failure = o->value(QStringLiteral("fout"));
    const QJsonValue plan = o->value(QStringLiteral("plan"));
    const QJsonValue kind = o->value(QStringLiteral("soort"));
    const bool hunt = kind == QJsonValue(QStringLiteral("storing zoeken"));
    // A kind this program does not know is not read as a check's result.
    if (!kind.isUndefined() && !hunt)
        return std::nullopt;
    const std::optional<int> switches =
        hunt ? number(o->value(QStringLiteral("bediend")), 1'000'000) : 0;
    const QJsonValue teacher = o->value(QStringLiteral("docent"));
    // The teacher's own fault, found on a lesson of the pupil's own, is
    // about no lesson sent: its id may be empty.
    const QJsonValue idValue = o->value(QStringLiteral("id"));
    const std::optional<QString> id =
        hunt && teacher == QJsonValue(true) && idValue == QJsonValue(QString())
            ? std::optional<QString>(QString())
            : idFrom(idValue);
    // Absent in a plan's result (and from older programs); a result checked
    // with the PLC has no plan, and fault finding is never checked so.
    const QJsonValue live = o->value(QStringLiteral("plc"));
    const bool plc = live == QJsonValue(true);
    if ((!live.isUndefined() && !live.isBool()) || (plc && hunt))
        return std::nullopt;
    if (!id || !total || !passed || !attempts || !seconds || !title.isString() ||
        !failure.isString() || (!hunt && !plc && !plan.isObject()) || *total < 1 ||
        *passed > *total || *attempts < 1 || !switches ||
        (hunt && (*total != 1 || !teacher.isBool())))
        return std::nullopt;
    LessonResult r;
    r.hunt = hunt;
    r.bediend = *switches;
    r.docent = teacher.toBool(false);
    r.plc = plc;
    r.id = *id;
    r.titel = text(*o, "titel");
    r.goed = *passed;
    r.totaal = *total;
    r.fout = text(*o, "fout", kMaxSentence);
    r.pogingen = *attempts;
    r.seconden = *seconds;
    if (!hunt && !plc)
        r.plan = QJsonDocument(plan.toObject()).toJson(QJsonDocument::Compact);
    return r;
}

} // namespace klas
