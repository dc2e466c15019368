#include "step_plan/plan.h"

namespace plan
{

std::optional<bool> Step::target(int output) const
{
    if (output < 1 || output > PointCount)
        return std::nullopt;
    const quint8 bit = quint8(1u << (output - 1));
    if (!(named & bit))
        return std::nullopt;
    return bool(on & bit);
}

void Step::setTarget(int output, std::optional<bool> value)
{
    if (output < 1 || output > PointCount)
        return;
    const quint8 bit = quint8(1u << (output - 1));
    if (!value) {
        named &= quint8(~bit);
        on &= quint8(~bit);
        return;
    }
    named |= bit;
    if (*value)
        on |= bit;
    else
        on &= quint8(~bit);
}

QString secondsText(int ms)
{
    QString s = QString::number(ms / 1000.0, 'f', 3);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s + QStringLiteral(" s");
}

} // namespace plan
