#include "interface_link/interface_factory.h"

#include "interface_link/modbus_easyport.h"
#include "interface_link/simulated_easyport.h"
#include "platform/services.h"

#include <QFileInfo>
#include <QSettings>

namespace link {

QString installationFilePath()
{
    return platform::files().resolve(platform::files().programFolder() +
                                     QStringLiteral("/Automatiseren.ini"));
}

std::unique_ptr<EasyPortControl> createInterface(QSettings& installation)
{
    if (installation.status() != QSettings::NoError)
        qCWarning(lcDravik) << "the installation file" << installation.fileName()
                            << "cannot be read; using the simulated interface";
    const QVariant type = installation.value(QStringLiteral("interface/type"));
    const QString kind = type.toString().trimmed().toLower();
    if (kind == QLatin1String("modbus"))
        return std::make_unique<ModbusEasyPort>(ModbusSettings::fromSettings(installation));
    if (type.isValid() && kind != QLatin1String("simulated"))
        qCWarning(lcDravik) << "unknown interface type" << type.toString()
                            << "in the installation file; using the simulated interface";
    return std::make_unique<SimulatedEasyPort>(SimulatedSettings::fromSettings(installation));
}

std::unique_ptr<EasyPortControl> createInterfaceFromInstallation()
{
    const QString path = installationFilePath();
    if (!QFileInfo::exists(path)) {
        return std::make_unique<SimulatedEasyPort>(SimulatedSettings{});
    }
    if (!QFileInfo(path).isReadable())
        qCWarning(lcDravik) << "the installation file" << path
                            << "is not readable; using the simulated interface";
    QSettings settings(path, QSettings::IniFormat);
    return createInterface(settings);
}

} // namespace link

#include "controls/controls.h"

namespace link {

void followStationFrame(EasyPortControl* control, ctl::Frame* stationFrame)
{
    auto* sim = qobject_cast<SimulatedEasyPort*>(control);
    if (!sim || !stationFrame)
        return;
    QObject::connect(stationFrame, &ctl::Frame::CaptionChanged, sim,
                     &SimulatedEasyPort::setStationCaption);
    sim->setStationCaption(stationFrame->Caption());
}

} // namespace link
