#include "app/interface_factory.h"

#include "interface_link/modbus_module.h"
#include "interface_link/simulated_interface.h"
#include "platform/services.h"
#include "plc/plc_interface.h"
#include "settings/installation_settings.h"

#include <QSettings>

namespace app
{

using iface::EasyPortControl;
using iface::ModbusModule;
using iface::ModbusSettings;
using iface::SimulatedInterface;
using iface::SimulatedSettings;

std::unique_ptr<EasyPortControl> createInterface(QSettings& installation)
{
    if (installation.status() != QSettings::NoError)
        qCWarning(lcDravik) << "the installation file" << installation.fileName()
                            << "cannot be read; using the simulated interface";
    const settings::Value type =
        settings::read(installation, QStringLiteral("interface"), QStringLiteral("type"));
    if (type.usable && type.value.toString() == QLatin1String("modbus"))
        return std::make_unique<ModbusModule>(ModbusSettings::fromSettings(installation));
    if (type.usable && type.value.toString() == QLatin1String("plc"))
        return std::make_unique<plc::PlcInterface>(plc::PlcSettings::fromSettings(installation),
                                                   SimulatedSettings::fromSettings(installation));
    if (type.present && !type.usable)
        qCWarning(lcDravik).noquote()
            << QStringLiteral("unknown interface type %1 in the installation file; using the "
                              "simulated interface")
                   .arg(type.shown);
    return std::make_unique<SimulatedInterface>(SimulatedSettings::fromSettings(installation));
}

std::unique_ptr<EasyPortControl> createInterfaceFromInstallation()
{
    QSettings* file = settings::installationFile();
    if (!file)
        return std::make_unique<SimulatedInterface>(SimulatedSettings{});
    return createInterface(*file);
}

} // namespace app
