#include "support/plc_doubles.h"

#include <QStringList>

namespace testing
{

namespace
{

QByteArray pdu(std::initializer_list<int> bytes)
{
    QByteArray out;
    for (const int b : bytes)
        out.append(char(b));
    return out;
}

} // namespace

QByteArray requestPdu(const QString& name)
{
    const QStringList p = name.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (p.isEmpty())
        return {};
    const int v = p.size() > 1 ? p[1].toInt(nullptr, 0) : 0;
    const QString op = p[0];
    if (op == QLatin1String("r1"))
        return pdu({1, 0, 0, 0, 8});
    if (op == QLatin1String("r2"))
        return pdu({2, 0, 0, 0, 9});
    if (op == QLatin1String("r3"))
        return pdu({3, 0, 0, 0, 1});
    if (op == QLatin1String("r4"))
        return pdu({4, 0, 0, 0, 1});
    if (op == QLatin1String("w5"))
        return pdu({5, 0, v, p.value(2) == QLatin1String("on") ? 0xFF : 0, 0});
    if (op == QLatin1String("w6"))
        return pdu({6, 0, 0, v >> 8, v & 0xFF});
    if (op == QLatin1String("w15"))
        return pdu({15, 0, 0, 0, 8, 1, v});
    if (op == QLatin1String("w16"))
        return pdu({16, 0, 0, 0, 1, 2, v >> 8, v & 0xFF});
    if (op == QLatin1String("w22"))
        return pdu({22, 0, 0, 0, 0, 0, 0xFF});
    if (op == QLatin1String("w23"))
        return pdu({23, 0, 0, 0, 1, 0, 0, 0, 1, 2, v >> 8, v & 0xFF});
    return QByteArray::fromHex(name.toLatin1());
}

QString describeResponse(const QByteArray& pdu)
{
    if (pdu.isEmpty())
        return QStringLiteral("(none)");
    const quint8 fc = quint8(pdu[0]);
    if (fc & 0x80)
        return QStringLiteral("ex%1").arg(pdu.size() > 1 ? quint8(pdu[1]) : 0, 2, 16,
                                          QLatin1Char('0'));
    if (fc >= 1 && fc <= 4)
        return QLatin1Char('=') + QString::fromLatin1(pdu.mid(2).toHex());
    return QStringLiteral("ok");
}

} // namespace testing
