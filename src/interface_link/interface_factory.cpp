#include "interface_link/interface_factory.h"

#include "interface_link/modbus_easyport.h"
#include "interface_link/simulated_easyport.h"
#include "platform/installation_file.h"
#include "platform/services.h"

#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace link
{

QString installationFilePath()
{
    return platform::installationFile();
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

namespace
{

// Every key the program reads from the installation file. A key that is not
// here is a typing error (or a damaged file) and is never used.
const QStringList& knownKeys()
{
    static const QStringList keys = {
        QStringLiteral("interface/type"),
        QStringLiteral("simulated/com_port"),
        QStringLiteral("simulated/model"),
        QStringLiteral("modbus/transport"),
        QStringLiteral("modbus/host"),
        QStringLiteral("modbus/port"),
        QStringLiteral("modbus/device"),
        QStringLiteral("modbus/baud"),
        QStringLiteral("modbus/parity"),
        QStringLiteral("modbus/databits"),
        QStringLiteral("modbus/stopbits"),
        QStringLiteral("modbus/unit"),
        QStringLiteral("modbus/coils"),
        QStringLiteral("modbus/inputs"),
        QStringLiteral("modbus/poll"),
        QStringLiteral("modbus/timeout"),
        QStringLiteral("modbus/module"),
        QStringLiteral("modbus/comport"),
        QStringLiteral("video/site_host"),
        QStringLiteral("video/video_host"),
        QStringLiteral("video/stapel_magazijn_id"),
        QStringLiteral("video/station_handling_id"),
    };
    return keys;
}

// One warning naming the keys that are not used (a few of them, for a
// damaged file holds many), and one for a file without any setting.
void warnAboutContent(QSettings& settings)
{
    const QStringList all = settings.allKeys();
    if (all.isEmpty()) {
        qCWarning(lcDravik) << "the installation file" << settings.fileName()
                            << "holds no settings; using the defaults";
        return;
    }
    QStringList unknown;
    for (const QString& key : all)
        if (!knownKeys().contains(key))
            unknown.append(key);
    if (unknown.isEmpty())
        return;
    constexpr int kShown = 5;
    const QString shown = QStringList(unknown.mid(0, kShown)).join(QStringLiteral(", "));
    qCWarning(lcDravik).noquote() << QStringLiteral("the installation file %1 has %2 unknown "
                                                    "key(s), which are not used: %3%4")
                                         .arg(settings.fileName())
                                         .arg(unknown.size())
                                         .arg(shown.left(200), unknown.size() > kShown
                                                                   ? QStringLiteral(", ...")
                                                                   : QString());
}

} // namespace

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
    if (settings.status() == QSettings::NoError)
        warnAboutContent(settings);
    return createInterface(settings);
}

} // namespace link

#include "controls/controls.h"

namespace link
{

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
