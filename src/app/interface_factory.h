#pragma once

#include "interface_link/easyport_control.h"

#include <memory>

class QSettings;

namespace app
{

// Builds the interface control the installation asks for ([interface]
// type = simulated | modbus | plc). Without the file or the key, or with a value
// it does not know (logged), the built-in simulated interface is used.
std::unique_ptr<iface::EasyPortControl> createInterface(QSettings& installation);
// On the installation file (see platform::installationFile() for where it
// is looked for), read once at start and never written.
std::unique_ptr<iface::EasyPortControl> createInterfaceFromInstallation();

} // namespace app
