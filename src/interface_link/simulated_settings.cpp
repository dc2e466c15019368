#include "interface_link/simulated_settings.h"

#include "platform/services.h"
#include "settings/installation_settings.h"

#include <QSettings>

namespace iface
{

SimulatedSettings SimulatedSettings::fromSettings(QSettings& settings)
{
    SimulatedSettings s;
    const auto take = [&settings](const char* name, qint16 fallback) -> qint16 {
        const settings::Value v =
            settings::read(settings, QStringLiteral("simulated"), QString::fromLatin1(name));
        if (!v.present)
            return fallback;
        if (v.usable)
            return qint16(v.value.toInt());
        qCWarning(lcDravik).noquote() << QStringLiteral("simulated/%1: \"%2\" is not %3; using %4")
                                             .arg(QLatin1String(name), v.shown, v.expected)
                                             .arg(fallback);
        return fallback;
    };
    s.comPort = take("com_port", DefaultComPort);
    s.model = take("model", DefaultModel);
    return s;
}

} // namespace iface
