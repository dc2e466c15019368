#include "klas/class_model.h"

#include "station/station_data.h"

#include <algorithm>

namespace klas
{

ClassModel::ClassModel(QStringList accounts)
{
    for (const QString& entry : accounts) {
        const int colon = entry.indexOf(QLatin1Char(':'));
        const QString account = (colon < 0 ? entry : entry.left(colon)).trimmed();
        if (account.isEmpty())
            continue;
        Pupil& p = m_pupils[account];
        p.account = account;
        p.name = colon < 0 ? QString() : entry.mid(colon + 1).trimmed();
    }
}

bool ClassModel::onStatus(const QString& account, const PupilStatus& status)
{
    if (account.isEmpty())
        return false;
    // A PC outside the list still shows: the teacher sees who is there.
    auto it = m_pupils.find(account);
    if (it == m_pupils.end()) {
        it = m_pupils.insert(account, Pupil{});
        it->account = account;
        ++m_orderVersion;
    }
    Pupil& p = *it;
    p.seen = true;
    p.fresh = true;
    p.status = status;
    return status.online && status.storingen != p.wanted;
}

void ClassModel::setBrokerConnected(bool connected)
{
    if (connected == m_connected)
        return;
    m_connected = connected;
    if (!connected) {
        for (Pupil& p : m_pupils)
            p.fresh = false;
    }
}

void ClassModel::onResult(const QString& account, const LessonResult& result)
{
    if (account.isEmpty())
        return;
    auto it = m_pupils.find(account);
    if (it == m_pupils.end()) {
        it = m_pupils.insert(account, Pupil{});
        it->account = account;
        ++m_orderVersion;
    }
    it->result = result;
    it->ownPassed = -1;
}

bool ClassModel::setOwnCheck(const QString& account, int passed)
{
    const auto it = m_pupils.find(account);
    if (it == m_pupils.end() || !it->result)
        return false;
    it->ownPassed = passed;
    return true;
}

std::optional<Faults> ClassModel::setFault(const QString& pc, int input, Fault kind)
{
    const QString account = accountOf(pc);
    if (account.isEmpty() || input < 1 || input > 8)
        return std::nullopt;
    Pupil& p = m_pupils[account];
    p.wanted.input[input - 1] = kind;
    return p.wanted;
}

std::optional<Faults> ClassModel::setDeadOutput(const QString& pc, int output, bool dead)
{
    const QString account = accountOf(pc);
    if (account.isEmpty() || output < 1 || output > 8)
        return std::nullopt;
    Pupil& p = m_pupils[account];
    p.wanted.deadOutput[size_t(output - 1)] = dead;
    return p.wanted;
}

std::optional<Faults> ClassModel::clearFaults(const QString& pc)
{
    const QString account = accountOf(pc);
    if (account.isEmpty())
        return std::nullopt;
    Pupil& p = m_pupils[account];
    p.wanted = Faults{};
    return p.wanted;
}

bool ClassModel::adoptFaults(const QString& account, const Faults& faults)
{
    const auto it = m_pupils.find(account);
    if (it == m_pupils.end())
        return false;
    it->wanted = faults;
    return true;
}

QString ClassModel::accountOf(const QString& pc) const
{
    if (m_pupils.contains(pc))
        return pc;
    for (const Pupil& p : m_pupils) {
        if (!pc.isEmpty() && shownName(p) == pc)
            return p.account;
    }
    return {};
}

const ClassModel::Pupil* ClassModel::pupil(const QString& pc) const
{
    const QString account = accountOf(pc);
    const auto it = m_pupils.constFind(account);
    return it == m_pupils.constEnd() ? nullptr : &*it;
}

namespace
{

// "<word> n", with the point's name where the station uses it.
QString pointCaption(const QString& station, int n, const QString& word, bool output)
{
    const QString plain = QStringLiteral("%1 %2").arg(word).arg(n);
    const std::optional<station::Station> s = station::fromDisplayName(station);
    if (!s || n < 1 || n > station::kPointCount)
        return plain;
    const auto& points = output ? station::data(*s).outputs : station::data(*s).inputs;
    const station::Point& point = points[size_t(n - 1)];
    return point.used ? plain + QStringLiteral(" – ") + point.name : plain;
}

} // namespace

QString ClassModel::inputCaption(const QString& station, int input)
{
    return pointCaption(station, input, QStringLiteral("Ingang"), false);
}

QString ClassModel::outputCaption(const QString& station, int output)
{
    return pointCaption(station, output, QStringLiteral("Uitgang"), true);
}

QString ClassModel::deadOutputRefusal(const QString& interfaceType)
{
    if (interfaceType == QLatin1String("simulated") || interfaceType == QLatin1String("plc"))
        return {};
    return interfaceType == QLatin1String("modbus")
               ? QStringLiteral("Deze pc stuurt een echte module aan: een uitgang die niet werkt "
                                "kan alleen op het gesimuleerde station.")
               : QStringLiteral("Nog niet bekend welke interface deze pc gebruikt: een uitgang "
                                "die niet werkt kan alleen op het gesimuleerde station.");
}

QString ClassModel::shownName(const Pupil& p)
{
    return p.name.isEmpty() ? p.account : p.name;
}

QList<const ClassModel::Pupil*> ClassModel::sorted() const
{
    QList<const Pupil*> list;
    for (const Pupil& p : m_pupils)
        list.append(&p);
    std::sort(list.begin(), list.end(), [](const Pupil* a, const Pupil* b) {
        const int byName = QString::localeAwareCompare(shownName(*a), shownName(*b));
        return byName != 0 ? byName < 0 : a->account < b->account;
    });
    return list;
}

QStringList ClassModel::onlineNames() const
{
    QStringList names;
    for (const Pupil* p : sorted()) {
        if (p->status.online)
            names.append(shownName(*p));
    }
    return names;
}

} // namespace klas
