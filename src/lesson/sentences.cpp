#include "lesson/sentences.h"

#include <QStringList>

#include <algorithm>

namespace lesson
{

QString timeText(qint64 ms)
{
    return plan::secondsText(int(std::max<qint64>(0, ms) / 100 * 100));
}

QString amount(int n, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n == 1 ? one : many));
}

namespace
{

// "er 1", "er geen", "er minstens 2", "er hoogstens 3", "er 1 tot en met 3".
QString wanted(const Count& c)
{
    const auto n = [](int v) { return v == 0 ? QStringLiteral("geen") : QString::number(v); };
    if (c.exact)
        return QStringLiteral("er ") + n(*c.exact);
    if (c.min && c.max)
        return *c.min == *c.max ? QStringLiteral("er ") + n(*c.min)
                                : QStringLiteral("er %1 tot en met %2").arg(*c.min).arg(*c.max);
    if (c.min)
        return QStringLiteral("er minstens %1").arg(*c.min);
    return *c.max == 0 ? QStringLiteral("er geen") : QStringLiteral("er hoogstens %1").arg(*c.max);
}

struct CountSentence {
    Count Requirements::*count;
    int EndCounts::*found;
    const char* one;
    const char* many;
    // Verb for one and for more, then where or what.
    const char* verbOne;
    const char* verbMany;
    const char* rest;
};

const CountSentence kSentences[] = {
    {&Requirements::putDown, &EndCounts::putDown, "onderdeel", "onderdelen", "was", "waren",
     "afgelegd"},
    {&Requirements::dropped, &EndCounts::dropped, "onderdeel", "onderdelen", "was", "waren",
     "gevallen"},
    {&Requirements::slide, &EndCounts::slide, "onderdeel", "onderdelen", "lag", "lagen",
     "in de glijbaan"},
    {&Requirements::beltEnd, &EndCounts::beltEnd, "onderdeel", "onderdelen", "lag", "lagen",
     "achteraan op de band"},
    {&Requirements::pushedOff, &EndCounts::pushedOff, "deksel", "deksels", "was", "waren",
     "afgevoerd"},
};

} // namespace

QString countsText(const Requirements& req, const EndCounts& counts)
{
    for (const CountSentence& s : kSentences) {
        const Count& c = req.*s.count;
        const int n = counts.*s.found;
        if (!c.given() || c.holds(n))
            continue;
        return QStringLiteral("Aan het eind %1 %2 %3; de opdracht vraagt %4.")
            .arg(QString::fromLatin1(n == 1 ? s.verbOne : s.verbMany), amount(n, s.one, s.many),
                 QString::fromLatin1(s.rest), wanted(c));
    }
    return {};
}

QString planEndText(PlanEnd wanted, plan::RunState state, int step)
{
    const bool active = state == plan::RunState::Running || state == plan::RunState::Paused;
    QString was;
    if (active)
        was = QStringLiteral("was het plan nog bezig met stap %1").arg(step);
    else if (state == plan::RunState::Finished)
        was = QStringLiteral("was het plan klaar");
    else if (state == plan::RunState::Failed)
        was = QStringLiteral("was het plan mislukt");
    else
        was = QStringLiteral("was het plan gestopt");
    switch (wanted) {
    case PlanEnd::Any:
        return {};
    case PlanEnd::Finished:
        if (state == plan::RunState::Finished)
            return {};
        return QStringLiteral("Aan het eind %1; de opdracht vraagt dat het dan klaar is.").arg(was);
    case PlanEnd::Failed:
        if (state == plan::RunState::Failed)
            return {};
        return QStringLiteral("Aan het eind %1; de opdracht vraagt dat het mislukt (het hoort te "
                              "lang op een ingang te wachten).")
            .arg(was);
    case PlanEnd::Running:
        if (active)
            return {};
        return QStringLiteral("Aan het eind %1; de opdracht vraagt dat het dan nog loopt.")
            .arg(was);
    }
    return {};
}

QString outputsOnText(int word)
{
    QStringList on;
    for (int n = 1; n <= plan::PointCount; ++n)
        if ((word >> (n - 1)) & 1)
            on << QString::number(n);
    if (on.isEmpty())
        return {};
    if (on.size() == 1)
        return QStringLiteral("Aan het eind stond uitgang %1 nog aan; de opdracht vraagt dat dan "
                              "alle uitgangen uit zijn.")
            .arg(on.front());
    const QString last = on.takeLast();
    return QStringLiteral("Aan het eind stonden uitgang %1 en %2 nog aan; de opdracht vraagt dat "
                          "dan alle uitgangen uit zijn.")
        .arg(on.join(QStringLiteral(", ")), last);
}

} // namespace lesson
