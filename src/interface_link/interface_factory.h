#pragma once

#include "interface_link/easyport_control.h"

#include <memory>

class QSettings;

namespace iface
{

// The installation file (see platform::installationFile() for where it is
// looked for). It is read once at start and never written.
QString installationFilePath();

// Builds the interface control the installation asks for ([interface]
// type = simulated | modbus | plc). Without the file or the key, or with a value
// it does not know (logged), the built-in simulated interface is used.
std::unique_ptr<EasyPortControl> createInterface(QSettings& installation);
std::unique_ptr<EasyPortControl> createInterfaceFromInstallation();

} // namespace iface
