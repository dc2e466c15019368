#include "plc/plc_settings.h"

#include "platform/services.h"
#include "settings/installation_settings.h"

#include <QDir>
#include <QSettings>

#include <optional>

namespace plc
{

PlcSettings PlcSettings::fromSettings(QSettings& file)
{
    PlcSettings s;
    settings::GroupReader r(file, QStringLiteral("plc"),
                            QStringLiteral("nothing will listen for PLCs"), s.problem);
    if (const auto v = r.take("listen"))
        s.listen = QHostAddress(v->toString());
    if (const auto v = r.take("port"))
        s.port = v->toInt();
    if (const auto v = r.take("unit"))
        s.unit = v->toInt();
    if (const auto v = r.take("watchdog")) {
        const int ms = v->toInt();
        // A watchdog shorter than a PLC's cycle plus the network would cut
        // in while the PLC is still there.
        if (ms != 0 && ms < MinWatchdogMs) {
            r.refuse(QStringLiteral("watchdog"), QString::number(ms),
                     QStringLiteral("0 (uit) of een geheel getal van 100 tot en met 60000"));
        } else {
            s.watchdogMs = ms;
        }
    }
    if (const auto v = r.take("allow"))
        s.allow = settings::addressList(v->toString()).value_or(decltype(s.allow){});
    return s;
}

bool PlcSettings::allows(const QHostAddress& peer) const
{
    if (allow.isEmpty())
        return true;
    bool isV4 = false;
    const quint32 v4 = peer.toIPv4Address(&isV4);
    if (!isV4)
        return false;
    const QHostAddress plain(v4);
    for (const auto& range : allow) {
        if (plain.isInSubnet(range.first, range.second))
            return true;
    }
    return false;
}

} // namespace plc
